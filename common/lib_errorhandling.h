// Lib_ErrorHandling: the failure path that every method ends in. The pending
// error's description is wrapped in a block naming the failing method, the
// error is logged through "Solvane.Log" and raised again to the caller with
// its number, source, help file and help context unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/variant.h"

// A copy of the pending error, the description already formatted.
struct ErrRecord {
  int32_t Number = 0;
  std::string Source;
  std::string Description;
  std::string HelpFile;
  int32_t HelpContext = 0;
};

// The kind of a log entry.
enum LogKind : int16_t { eLogKindError = 0, eLogKindInformation = 1 };

// In every procedure below, `info` left out (Variant::Missing()) gives no
// INFO line; Null gives an empty one.

// Writes an information entry with `message` in the method's place (an
// entry "Not an actual error" when no error is pending). Never raises and
// leaves the pending error as it was.
void Err_LogInfo(const std::string& message, const rt::Variant& info = rt::Variant::Missing());

// Captures the pending error, logs it as an error and raises it again with
// the formatted description. Returns normally when no error is pending.
void Err_LogAndRaise(const std::string& method, const rt::Variant& info = rt::Variant::Missing());

// Logs the pending error with kind 0; raises nothing.
void Err_LogError(const std::string& method, const rt::Variant& info = rt::Variant::Missing());

// Writes one log entry for the pending error with the given kind, or, with
// no error pending, an information entry "Not an actual error" whose source
// is `method`. Raises nothing and leaves the pending error as it was.
void Err_Log(LogKind kind, const std::string& method,
             const rt::Variant& info = rt::Variant::Missing());

// The pending error with its description formatted.
ErrRecord Err_Capture(const std::string& method, const rt::Variant& info = rt::Variant::Missing());

// CR LF "ERROR 0x<hex>" CR LF " METHOD: <method>" CR LF " DESC: <description>." CR LF,
// then " INFO: <info>." CR LF when `info` was passed.
std::string Err_FormatMessage(const std::string& description, int32_t number,
                              const std::string& method,
                              const rt::Variant& info = rt::Variant::Missing());

// The error collection of an ADO connection as one text:
// "Error(s) from connection object: " then " (<n>)<description>[<number>]" per
// error; "" for Nothing, Null or a connection without errors.
std::string Err_GetConnectionErrors(const rt::Variant& connection);

// A withdrawn method's whole body: error -1 from the running library
// ("Brintor", "Quarvel"), logged and raised with `text` in the method's
// place, so the caller's block names the replacement as METHOD.
[[noreturn]] void DeprecatedStub(const std::string& text);

// Raises exactly these values: no formatting, no log.
[[noreturn]] void Err_Raise(int32_t number, const std::string& source,
                            const std::string& description, const std::string& helpFile = {},
                            int32_t helpContext = 0);
