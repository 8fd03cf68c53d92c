// Lib_Validate: data types, presence, length, percentage and digit checks of
// a data object, and the credit-card checks.
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

// --- credit cards ---------------------------------------------------------------

namespace {

constexpr int16_t kVisa = static_cast<int16_t>(CreditCard::Visa);
constexpr int16_t kMasterCard = static_cast<int16_t>(CreditCard::MasterCard);
constexpr int16_t kAmex = static_cast<int16_t>(CreditCard::Amex);
constexpr int16_t kOther = static_cast<int16_t>(CreditCard::OTHER);

void AddCardCode(const rt::ObjectPtr& result, const char* code) { result->Call("AddMessage", {rt::Variant(code)}); }

// Only the ASCII digits: the check digit needs them, and other digits
// (full-width, Arabic-Indic) would pass a Unicode digit test.
bool HasOnlyAsciiDigits(const std::string& number) {
  for (char c : number) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

rt::ObjectPtr Val_CreditCard(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& numberKey,
                             const std::string& typeKey, const std::string& expiryKey) {
  rt::ObjectPtr result = Gen_GetComponent("Solvane.ResultObject");
  const rt::Dictionary& data = Require(dataObject);
  const rt::Variant* typeValue = data.Find(rt::Variant(typeKey));
  if (!typeValue || typeValue->IsNull()) return result;
  const int16_t type = rt::CInt(*typeValue);
  bool good = true;

  // Absent keys read as never assigned, without being added.
  const rt::Variant* found = data.Find(rt::Variant(numberKey));
  const rt::Variant numberValue = found ? *found : rt::Variant();
  std::string number;
  if (numberValue.IsNull()) {
    if (type != kOther) {
      good = false;
      AddCardCode(result, "SLBGE1104");
    }
  } else {
    number = rt::CStr(numberValue);
  }

  found = data.Find(rt::Variant(expiryKey));
  const rt::Variant expiryValue = found ? *found : rt::Variant();
  rt::Date expiry;
  if (expiryValue.IsNull()) {
    if (type != kOther) {
      good = false;
      AddCardCode(result, "SLBGE1105");
    }
  } else if (rt::IsDate(expiryValue)) {
    expiry = rt::CDate(expiryValue);
  } else {
    good = false;
    AddCardCode(result, "SLBGE1108");
  }

  if (type != kOther && good) Val_CreditCardNumber(type, number, expiry, result);
  return result;
}

bool Val_CreditCardNumber(int16_t type, const std::string& number, const rt::Date& /*expiry*/,
                          const rt::ObjectPtr& result) {
  if (Val_IsUncheckedCardType(type)) return true;
  const char* failed = nullptr;
  if (Val_IsMissingCardNumber(rt::Variant(number))) {
    failed = "SLBGE1106";
  } else if (!Val_CardNumberLength(type, number)) {
    failed = "SLBGE1100";
  } else if (!HasOnlyAsciiDigits(number)) {
    failed = "SLBGE1101";
  } else if (!Val_CardNumberPrefix(type, number)) {
    failed = "SLBGE1102";
  } else if (!Val_LuhnCheck(number)) {
    failed = "SLBGE1103";
  }
  if (!failed) return true;
  AddCardCode(result, failed);
  return false;
}

bool Val_IsUncheckedCardType(int16_t type) { return type != kVisa && type != kMasterCard && type != kAmex; }

bool Val_IsMissingCardNumber(const rt::Variant& value) {
  if (value.IsNull() || value.IsEmpty()) return true;
  return rt::Trim(rt::CStr(value)).empty();
}

bool Val_CardNumberLength(int16_t type, const std::string& number) {
  const int32_t length = rt::Len(number);
  switch (type) {
    case kVisa: return length == 13 || length == 16;
    case kMasterCard: return length == 16;
    case kAmex: return length == 15;
    default: return false;
  }
}

bool Val_CardNumberPrefix(int16_t type, const std::string& number) {
  const char first = number.size() > 0 ? number[0] : '\0';
  const char second = number.size() > 1 ? number[1] : '\0';
  switch (type) {
    case kVisa: return first == '4';
    case kMasterCard: return first == '5' && second >= '1' && second <= '5';
    case kAmex: return first == '3' && (second == '4' || second == '7');
    default: return false;
  }
}

bool Val_LuhnCheck(const std::string& number) {
  int sum = 0;
  int index = 0;
  for (auto it = number.rbegin(); it != number.rend(); ++it, ++index) {
    if (*it < '0' || *it > '9') rt::RaiseVb(rt::vberr::kTypeMismatch);
    int digit = *it - '0';
    if (index % 2 == 1) {
      digit *= 2;
      if (digit >= 10) digit = digit / 10 + digit % 10;
    }
    sum += digit;
  }
  return sum % 10 == 0;
}
