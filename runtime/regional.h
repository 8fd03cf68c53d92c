// The thread's regional settings: how numbers and dates become text and back.
// The server profile is invariant (ISO dates, "." decimal, no grouping,
// locale 1033); every conversion between values and text goes through here.
#pragma once

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
std::string FormatSingle(float f);
std::string FormatCurrency(Currency c);
// A Decimal's digits without exponent or trailing zeros.
std::string FormatDecimal(const Decimal& d);

// Parses a number as VB does for CDbl of a text: blanks around, sign, digits,
// the decimal separator, an exponent, "&H"/"&O" prefixes. No value for anything
// else, nor for a number beyond Double's range, which sets `overflow` when given
// (a number too small for a Double reads as 0).
std::optional<double> ParseNumber(std::string_view text, bool* overflow = nullptr);
// Parses a date in the profile's form, month/day/year, or a time (h:nn[:ss] [AM|PM]).
std::optional<Date> ParseDate(std::string_view text);

}  // namespace rt
