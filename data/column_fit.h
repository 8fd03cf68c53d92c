// Values made to fit the column they are written into, as SQL Server stores
// them: text no wider than its column (an excess of trailing blanks alone is
// cut off), numbers inside their type's range and rounded to a decimal's
// scale (money and decimal values below 10^11, and of at most 15 digits
// beside more than four decimals, which the database keeps exactly:
// kLargestDecimalDigits), dates that are dates. What does not fit
// is refused with SQL Server's text and number, and the statement then
// changes nothing.
//
// Two paths convert differently, as they do on the original platform:
//  - SQL text (a literal written by INSERT ... VALUES or UPDATE ... SET)
//    converts as SQL Server converts a literal: '' is 0 in an integer, bit,
//    float or money column and 1900-01-01 in a datetime one, a fraction
//    going into an integer column is cut off;
//  - a Variant (a command's parameter, a recordset's field) converts as VB
//    does (CLng, CDbl, CCur, CDate under the server's regional profile),
//    and what VB refuses is refused.
// The CHECK constraints that the schema builder adds to every typed column
// guard the same rules for writes that come by another way (an expression,
// INSERT ... SELECT, the sqlite3 tool).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/data_types.h"
#include "data/engine.h"
#include "runtime/variant.h"

namespace data {

// The numbers a refused value raises (its text is SQL Server's; the native
// number, SQL Server's own, goes to the connection's Errors).
constexpr int32_t kDataOverflow = static_cast<int32_t>(0x80040E57);  // truncation, overflow
constexpr int32_t kCantConvert = static_cast<int32_t>(0x80040E07);   // a failed conversion

// A Variant written into a column: the value to bind. Raises EngineError
// when it does not fit.
rt::Variant FitValue(const rt::Variant& value, const TypeInfo& column);

// A Variant assigned to a field: converted to the column's subtype with VB's
// conversions, a refusal raised as FitValue raises it.
rt::Variant ConvertForField(const rt::Variant& value, const TypeInfo& column);

// Raises the refusal that a failed VB conversion of `value` for the column
// stands for (Type mismatch: a failed conversion; Overflow: an overflow);
// any other failure is raised again as it is. Called only in the handler
// that caught `failure`.
[[noreturn]] void RaiseRefusalFor(const rt::ComError& failure, const rt::Variant& value, const TypeInfo& column);

// A literal of SQL text written into a column: the literal's text as the
// engine should store it (a string literal quoted). `text` is the value of
// a string literal, or a number as written with its sign.
enum class LiteralKind { String, NString, Number };
std::string FitLiteral(std::string_view text, LiteralKind kind, const TypeInfo& column);
// The same literal as the value to bind in its place, by the same rules:
// text as a String, a whole number as a Long (a Decimal beyond it), and a
// number with a fraction or an exponent (which only a float, money or
// decimal column makes of a whole literal) as the String of its digits: the
// column's numeric affinity turns them into the very number that the
// engine reads from the literal.
rt::Variant FitLiteralValue(std::string_view text, LiteralKind kind, const TypeInfo& column);

// A character string compared with a datetime column, read as SQL Server
// reads it (date_text.h): the text that the stored dates are compared with,
// its fraction of a second kept (ComparedFormOf). Refused as a literal
// written into the column is: 241 for text that is no date, 242 for a date
// that does not exist or lies outside 1753-9999 (both 0x80040E07).
std::string ComparedDateText(std::string_view text);

// 'true' or 'false' in any letter case, blanks around ignored, or a blank
// text: 1 or 0, as SQL Server converts them into a bit; nothing for any
// other text.
std::optional<int32_t> BitWord(std::string_view text);

// The refusal that a failed CHECK constraint of the schema builder stands
// for, from the engine's message ("CHECK constraint failed: <name>");
// nothing for another constraint.
std::optional<EngineError> RefusalForCheck(std::string_view engineMessage);

// The CHECK constraints (name, expression) that guard a column of a
// declared type; none for a type that is not checked. The expressions use
// only SQLite's built-in functions, none that our connections replace, so
// that any client can write a row that fits.
std::vector<std::pair<std::string, std::string>> ColumnChecks(std::string_view column, std::string_view declared);
// Whether a constraint's name is one that ColumnChecks gives a column of
// that declared type ("<column>: <type>" or "<column>: <type> range"),
// whatever expression an earlier version wrote under it.
bool IsColumnCheckName(std::string_view constraint, std::string_view column, std::string_view declared);

}  // namespace data
