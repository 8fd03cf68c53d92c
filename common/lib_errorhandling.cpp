// Lib_ErrorHandling: capture, format, log and re-raise of the pending error.
#include "common/lib_errorhandling.h"

#include <cstdio>

#include "common/lib_general.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/object.h"

namespace {

std::string Hex(int32_t number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(number));
  return buf;
}

void WriteEntry(const rt::ObjectPtr& log, const std::string& source, const std::string& text,
                LogKind kind) {
  log->Call("WriteEntry", {rt::Variant(source), rt::Variant(text),
                           rt::Variant(static_cast<int16_t>(kind))});
}

}  // namespace

std::string Err_FormatMessage(const std::string& description, int32_t number,
                              const std::string& method, const rt::Variant& info) {
  std::string text = "\r\nERROR 0x" + Hex(number) + "\r\n METHOD: " + method + "\r\n DESC: " +
                     description + ".\r\n";
  if (!info.IsMissing()) text += " INFO: " + rt::Concat(info) + ".\r\n";
  return text;
}

ErrRecord Err_Capture(const std::string& method, const rt::Variant& info) {
  const rt::PendingError& pending = rt::Err();
  return ErrRecord{pending.number, pending.source,
                   Err_FormatMessage(pending.description, pending.number, method, info),
                   pending.helpFile, pending.helpContext};
}

void Err_Log(LogKind kind, const std::string& method, const rt::Variant& info) {
  const rt::PendingError pending = rt::Err();
  try {
    // The log object is created without Gen_GetComponent's failure path,
    // which would log again.
    if (pending.number != 0) {
      std::string text = Err_FormatMessage(pending.description, pending.number, method, info);
      rt::ObjectPtr log = CreateComponentUnlogged("Solvane.Log");
      if (log) WriteEntry(log, pending.source, text, kind);
    } else {
      std::string text = Err_FormatMessage("Not an actual error", 0, method, info);
      rt::ObjectPtr log = CreateComponentUnlogged("Solvane.Log");
      if (log) WriteEntry(log, method, text, eLogKindInformation);
    }
  } catch (...) {
    // A lost entry is not itself reported: the failure being logged matters more.
  }
  rt::Err() = pending;
}

void Err_LogError(const std::string& method, const rt::Variant& info) {
  Err_Log(eLogKindError, method, info);
}

void Err_LogInfo(const std::string& message, const rt::Variant& info) {
  Err_Log(eLogKindInformation, message, info);
}

void Err_LogAndRaise(const std::string& method, const rt::Variant& info) {
  ErrRecord captured = Err_Capture(method, info);
  if (captured.Number == 0) return;
  try {
    rt::Err() = rt::PendingError{captured.Number, captured.Source, captured.Description,
                                 captured.HelpFile, captured.HelpContext};
    Err_LogError(method, info);
  } catch (...) {
    // Logging never stops the re-raise.
  }
  throw rt::ComError(captured.Number, captured.Source, captured.Description, captured.HelpFile,
                     captured.HelpContext);
}

std::string Err_GetConnectionErrors(const rt::Variant& connection) {
  if (connection.IsNull() || connection.IsEmpty() || connection.IsMissing() ||
      connection.IsNothing()) {
    return {};
  }
  rt::ObjectPtr errors = connection.AsObject()->GetProperty("Errors").AsObject();
  if (!errors) return {};
  int32_t count = rt::CLng(errors->GetProperty("Count"));
  if (count <= 0) return {};
  // ADO's collections count from 0.
  std::string text = "Error(s) from connection object: ";
  for (int32_t i = 0; i < count; ++i) {
    rt::ObjectPtr error = errors->GetProperty("Item", {rt::Variant(i)}).AsObject();
    if (!error) rt::RaiseVb(rt::vberr::kObjectNotSet);
    text += " (" + std::to_string(i + 1) + ")" + rt::Concat(error->GetProperty("Description")) +
            "[" + std::to_string(rt::CLng(error->GetProperty("Number"))) + "]";
  }
  return text;
}

void DeprecatedStub(const std::string& text) {
  rt::Err() = rt::PendingError{-1, rt::CurrentComponentName(), rt::VbErrorText(-1), {}, 0};
  Err_LogAndRaise(text);
  rt::Err().RaiseAgain();  // not reached: Err_LogAndRaise raises the pending error
}

void Err_Raise(int32_t number, const std::string& source, const std::string& description,
               const std::string& helpFile, int32_t helpContext) {
  throw rt::ComError(number, source, description, helpFile, helpContext);
}
