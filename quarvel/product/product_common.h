// What the files of the product class share: its private value procedures
// (the tests by which an argument counts as not given, empty text as Null,
// Null as a zero amount), the error texts it raises, ids written into SQL,
// and the answer of the members still to come.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/quarvel_errors.h"
#include "runtime/variant.h"

namespace quarvel::product {

constexpr const char* kClassSource = "Quarvel.Product";

// "Quarvel.Product." & member: the error source of a member.
inline std::string Source(const char* member) { return std::string(kClassSource) + "." + member; }

constexpr int32_t kProductNotFound = ErrorNumber(QuarvelErrors::eProductNotFound);
constexpr int32_t kProductIdNotFound = ErrorNumber(QuarvelErrors::eProductIdNotFound);

// A Variant whose trimmed text is empty (Empty included) becomes Null; Null
// stays Null.
void emptyToNull(rt::Variant& value);
// Null gives 0, any other value its conversion to Currency.
rt::Currency nullToCurrency(const rt::Variant& value);
// The tests by which an optional argument counts as not given.
inline bool isMinusOne(int32_t value) { return value == -1; }
inline bool isMinusOneDouble(double value) { return value == -1; }
inline bool isEmptyString(const std::string& value) { return value.empty(); }

// True when the value is the number -1, or a text that reads as it (as the
// comparison of a Variant with the literal -1 takes text). Null is not.
bool IsMinusOneValue(const rt::Variant& value);

// A key value as it goes into SQL unquoted: the number's decimal digits.
// Anything that is not a number fails with Type mismatch (13).
std::string SqlNumber(const rt::Variant& value);

// The current date and time to the second.
rt::Date Now();

// The thread's Tamrick.Utilities literals: N'text' and 'YYYY-MM-DD HH:MM:SS'.
std::string SqlUnicodeText(const std::string& text);
std::string SqlDate(rt::Date date);

// The condition that picks a price group's lines: `equals` (such as
// "GROUPBY =") followed by the group's literal; for the default group (the
// empty text) "(GROUPBY = N'' OR GROUPBY IS NULL)", as the writers store it
// in either form.
std::string GroupMatch(const std::string& group, const char* equals);

// A quantity as SQL text: the number with a point as decimal separator.
std::string SqlQuantity(double quantity);

// Raises 0x80040007 with `description` for a write that the referential
// checker refused; the source is the library's name, as a raise without
// one of its own gets it.
[[noreturn]] void RaiseRefused(const std::string& description);

// Raises 0x80004001 "<member> is not yet available" with the source
// "Quarvel.Product.<member>": the members whose behaviour is still to come.
[[noreturn]] void NotYetAvailable(const char* member);

}  // namespace quarvel::product
