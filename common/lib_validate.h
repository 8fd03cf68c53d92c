// Lib_Validate: the generic checks of a data object (a dictionary from
// upper-case column name to value) before a business rule writes it: data
// types against the class's column-type table, presence, length, percentage
// range and digit count. Nothing here raises an error of its own; a failure
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
