// Lib_Validate: data types, presence, length, percentage and digit checks of
// a data object.
#include "common/lib_validate.h"

#include <string_view>

#include "common/lib_general.h"
#include "runtime/com_error.h"

namespace {

const rt::Dictionary& Require(const std::shared_ptr<rt::Dictionary>& dataObject) {
  if (!dataObject) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return *dataObject;
}

// The type tests share one rule: an absent key passes, and a present value
// passes when its runtime type is Null or exactly the tested one. Nothing is
// converted, so Integer 7 is no Long and Empty fails every test.
bool HasTypeOrNull(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key,
                   std::string_view typeName) {
  const rt::Variant* value = Require(dataObject).Find(key);
  if (!value) return true;
  const std::string actual = rt::TypeName(*value);
  return actual == "Null" || actual == typeName;
}

// The test that a type name of a column-type table stands for; true for a
// name that is not tested.
bool PassesTypeTest(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key,
                    const std::string& typeName) {
  static constexpr std::string_view kTested[] = {"Boolean", "Byte", "Double", "Integer", "Long", "Single", "String"};
  for (std::string_view tested : kTested) {
    if (typeName == tested) return HasTypeOrNull(dataObject, key, tested);
  }
  return true;
}

}  // namespace

rt::ObjectPtr Val_DataTypes(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& columnNames,
                            const rt::Variant& typeNames) {
  rt::ObjectPtr result = Gen_GetComponent("Solvane.ResultObject");
  for (const rt::Dictionary::Entry& entry : Require(dataObject).Entries()) {
    const std::string name = rt::CStr(entry.key);
    if (!PassesTypeTest(dataObject, entry.key, Val_GetTypeName(name, columnNames, typeNames))) {
      result->Call("AddMessageWithParameter", {rt::Variant("SLBBR9000"), rt::Variant(name)});
    }
  }
  return result;
}

std::string Val_GetTypeName(const std::string& columnName, const rt::Variant& columnNames,
                            const rt::Variant& typeNames) {
  const rt::SafeArray& names = columnNames.AsArray();
  // The table is walked with a 16-bit counter: a bound beyond its range overflows (6).
  const int16_t upper = rt::CInt(rt::Variant(names.UBound()));
  for (int16_t i = 0; i <= upper; ++i) {
    if (rt::VbEquals(names.At(i), rt::Variant(columnName))) return rt::CStr(typeNames.AsArray().At(i));
    if (i == upper) break;  // i would overflow past 32767
  }
  return {};
}

bool Val_IsBoolean(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Boolean");
}
bool Val_IsByte(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Byte");
}
bool Val_IsDouble(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Double");
}
bool Val_IsInteger(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Integer");
}
bool Val_IsLong(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Long");
}
bool Val_IsSingle(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "Single");
}
bool Val_IsString(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  return HasTypeOrNull(dataObject, key, "String");
}

bool Val_HasValue(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& key,
                  std::optional<bool> required) {
  const rt::Variant* value = Require(dataObject).Find(rt::Variant(key));
  if (!value) return !required.value_or(false);
  if (value->IsNull() || value->IsEmpty()) return required.has_value() && !*required;
  if (value->IsString()) return rt::Len(rt::Trim(*value->Get<std::string>())) > 0;
  return true;
}

bool Val_MaxLength(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& key, int16_t maximum) {
  const rt::Variant* value = Require(dataObject).Find(rt::Variant(key));
  if (!value || value->IsNull()) return true;
  return rt::Len(rt::CStr(*value)) <= maximum;
}

bool Val_IsPercentage(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key) {
  const rt::Variant* value = Require(dataObject).Find(key);
  if (!value || value->IsNull()) return true;
  if (!rt::IsNumeric(*value)) return false;
  const double number = rt::CDbl(*value);
  return number >= 0 && number <= 100;
}

bool Val_HasTwoDigits(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key, bool required) {
  const rt::Variant* value = Require(dataObject).Find(key);
  if (!value) return true;
  const std::string text = rt::Concat(*value);
  if (text.empty()) return !required;
  int digits = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') ++digits;
  }
  return digits >= 2;
}
