// Lib_General: component creation and SQL literals.
#include "common/lib_general.h"

#include "common/lib_errorhandling.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/regional.h"
#include "runtime/registry.h"

namespace {

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
}

}  // namespace

rt::ObjectPtr CreateComponentUnlogged(const std::string& progId) {
  if (rt::ObjectContext* context = rt::GetObjectContext()) return context->CreateInstance(progId);
  return rt::CreateObject(progId);
}

rt::ObjectPtr Gen_GetComponent(const std::string& progId) {
  try {
    return CreateComponentUnlogged(progId);
  } catch (...) {
    rt::TrapError();
    std::string info =
        rt::GetObjectContext()
            ? "CreateInstance(" + progId + ") failed.\r\n" +
                  "Note: Objects having 'Instancing=PublicNotCreatable' may only be instantiated "
                  "with 'New', not with Gen_GetComponent()"
            : "CreateObject(" + progId + ") failed";
    Err_LogAndRaise("Lib_General.Gen_GetComponent", info);
  }
  return nullptr;
}

std::string Gen_SqlValue(const rt::Variant& value) {
  if (value.IsEmpty() || value.IsNull()) return "null";
  switch (value.IsArray() ? rt::VarType::Array : value.Type()) {
    case rt::VarType::Date:
    case rt::VarType::String: return "'" + Gen_SqlQuote(rt::CStr(value)) + "'";
    case rt::VarType::Boolean: return *value.Get<bool>() ? "1" : "0";
    // A Double reads back as itself: 15 digits could match another row's key.
    case rt::VarType::Double: return rt::FormatDoubleExact(*value.Get<double>());
    default: return rt::CStr(value);
  }
}

std::string Gen_SqlQuote(const rt::Variant& text) {
  std::string s = rt::Concat(text);
  ReplaceAll(s, "'", "''");
  return s;
}

std::string Gen_SqlEscapeLike(const rt::Variant& text) {
  std::string s = Gen_SqlQuote(text);
  ReplaceAll(s, "[", "[[]");
  ReplaceAll(s, "%", "[%]");
  ReplaceAll(s, "_", "[_]");
  return s;
}

std::string Gen_FormatUSDate(const rt::Variant& date) {
  try {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    rt::CDate(date).ToParts(year, month, day, hour, minute, second);
    return std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
  } catch (...) {
    return {};
  }
}

std::string Gen_NullToEmpty(const rt::Variant& value) {
  return value.IsNull() ? std::string() : rt::CStr(value);
}

std::string Gen_NullToString(const rt::Variant& value) { return rt::Concat(value); }

double Gen_NullToZero(const rt::Variant& value) { return value.IsNull() ? 0.0 : rt::CDbl(value); }

rt::Variant Gen_LookupValue(const std::string& key, const rt::Variant& names, const rt::Variant& values) {
  const rt::SafeArray& list = names.AsArray();
  const int32_t lower = list.LBound(), upper = list.UBound();
  if (lower < INT16_MIN || upper > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
  const rt::Variant wanted(key);
  for (int32_t i = lower; i <= upper; ++i) {
    if (rt::VbEquals(list.At(i), wanted)) return values.AsArray().At(i);
  }
  // The counter steps past the upper bound before the loop ends.
  if (upper == INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
  return rt::Variant::Null();
}

rt::Variant OneElement(const rt::Variant& value) { return rt::Variant(rt::SafeArray::From({value})); }
