// The thread's regional settings: how numbers and dates become text and back.
// The server profile is invariant (ISO dates, "." decimal, no grouping,
// locale 1033); every conversion between values and text goes through here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/variant.h"

namespace rt {

struct RegionalSettings {
  int32_t localeId = 1033;
  char decimalSeparator = '.';
};

// The settings in force on the calling thread.
const RegionalSettings& CurrentRegionalSettings();

// "yyyy-mm-dd hh:nn:ss"; the date alone at midnight, the time alone on day 0.
std::string FormatDate(Date d);
// VB's text of a Double (15 significant digits), Single (7), Currency (up to 4 decimals).
std::string FormatDouble(double d);
// A Double's text in FormatDouble's form with the fewest significant digits
// (15, 16 or 17) that read back as the same Double: the form for SQL
// literals, where 15 digits can name another number than the one stored.
std::string FormatDoubleExact(double d);
std::string FormatSingle(float f);
std::string FormatCurrency(Currency c);
// A Decimal's digits without exponent or trailing zeros.
std::string FormatDecimal(const Decimal& d);

// Parses a number as VB does for CDbl of a text: blanks around, sign, digits,
// the decimal separator, an exponent, "&H"/"&O" prefixes. No value for anything
// else, nor for a number beyond Double's range, which sets `overflow` when given
// (a number too small for a Double reads as 0).
std::optional<double> ParseNumber(std::string_view text, bool* overflow = nullptr);
// The order of a numeric date's parts and the character between them, as a
// locale writes its short dates: month/day/year for locale 1033.
struct NumericDateOrder {
  enum Part : char { kYear = 'y', kMonth = 'm', kDay = 'd' };
  std::array<Part, 3> parts{kMonth, kDay, kYear};
  char separator = '/';
};

// Parses a date in the profile's form (yyyy-mm-dd, with a time after a
// blank or a "T"), month/day/year, or a time alone (h:nn[:ss] [AM|PM]); a
// date may be followed by a blank and a time. Years of two digits read
// 00-29 as 2000-2029 and 30-99 as 1930-1999; a date lies in 100-9999.
std::optional<Date> ParseDate(std::string_view text);
// The same with another numeric order in place of month/day/year.
std::optional<Date> ParseDate(std::string_view text, const NumericDateOrder& order);

}  // namespace rt
