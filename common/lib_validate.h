// Lib_Validate: the generic checks of a data object (a dictionary from
// upper-case column name to value) before a business rule writes it: data
// types against the class's column-type table, presence, length, percentage
// range and digit count, and the checks of a credit card. Nothing here raises an error of its own; a failure
// that does occur (a conversion) reaches the caller unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

// A new "Solvane.ResultObject" with "SLBBR9000" and the key as parameter for
// every key, in the data object's order, whose value fails the test that
// the type table names for it. `columnNames` and `typeNames` are parallel
// 0-based arrays; only "Boolean", "Byte", "Double", "Integer", "Long",
// "Single" and "String" are tested, any other type or an unlisted column passes.
rt::ObjectPtr Val_DataTypes(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& columnNames,
                            const rt::Variant& typeNames);

// The type name listed for the column (exact, case-sensitive match), or "".
std::string Val_GetTypeName(const std::string& columnName, const rt::Variant& columnNames,
                            const rt::Variant& typeNames);

// True when the key is absent, or its value is Null or of exactly that
// runtime type; an Empty value fails, and nothing is converted.
bool Val_IsBoolean(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsByte(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsDouble(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsInteger(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsLong(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsSingle(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);
bool Val_IsString(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);

// Whether the key holds a value: text needs a non-blank character; Null and
// Empty fail unless `required` is false; an absent key fails only when
// `required` is true; any other value passes.
bool Val_HasValue(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& key,
                  std::optional<bool> required = std::nullopt);

// True when the key is absent, Null, or its text is at most `maximum` characters.
bool Val_MaxLength(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& key, int16_t maximum);

// True when the key is absent, Null, or a number from 0 to 100 inclusive.
bool Val_IsPercentage(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key);

// True when the key is absent or its text holds two or more decimal digits;
// empty text (Null included) passes only when not `required`.
bool Val_HasTwoDigits(const std::shared_ptr<rt::Dictionary>& dataObject, const rt::Variant& key, bool required);

// --- credit cards ---------------------------------------------------------------

// The card types of the library's CreditCard enumeration; any other type
// value gets no number tests.
enum class CreditCard : int16_t { Visa = 0, MasterCard = 1, Amex = 2, OTHER = 3 };

// A new "Solvane.ResultObject" with the codes of the card checks that fail.
// Nothing is looked at when the type key is absent or Null. A number or
// expiry that is Null gives "SLBGE1104" / "SLBGE1105" unless the type is
// OTHER; an expiry that is no date (an absent key included) "SLBGE1108";
// when neither was added and the type is not OTHER, Val_CreditCardNumber adds
// at most one more. Keys are read without being added. A type that is no
// number fails with Type mismatch (13).
rt::ObjectPtr Val_CreditCard(const std::shared_ptr<rt::Dictionary>& dataObject, const std::string& numberKey,
                             const std::string& typeKey, const std::string& expiryKey);

// The number tests of a known card type, first failure only: "SLBGE1106"
// empty or blank, "SLBGE1100" wrong length, "SLBGE1101" a character other
// than the ASCII digits 0-9, "SLBGE1102" wrong leading digits, "SLBGE1103"
// failed check digit. True when the number passes or the type is unchecked.
bool Val_CreditCardNumber(int16_t type, const std::string& number, const rt::Date& expiry,
                          const rt::ObjectPtr& result);

// True for a type other than Visa, MasterCard and Amex.
bool Val_IsUncheckedCardType(int16_t type);

// True for Null, Empty, and text that is empty after cutting blanks.
bool Val_IsMissingCardNumber(const rt::Variant& value);

// Length in characters: Visa 13 or 16, MasterCard 16, Amex 15.
bool Val_CardNumberLength(int16_t type, const std::string& number);

// Visa "4"; MasterCard "5" then "1" to "5"; Amex "3" then "4" or "7".
bool Val_CardNumberPrefix(int16_t type, const std::string& number);

// The Luhn (mod 10) check; a character that is no digit fails with 13.
bool Val_LuhnCheck(const std::string& number);
