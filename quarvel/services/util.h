// Util: date checks of the catalog library through the outside date parser
// (DataFunctions), one object of which each thread creates at its first
// check and keeps for its life.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/object.h"

namespace quarvel {

// The class identifier the date parser is created by (plainly, neither
// through the object context nor by ProgID).
extern const char* const kDataFunctionsClsid;

// IsValidDate with the locale id 1033 (US English: month/day/year).
// Failures are logged and raised with "Quarvel.UtilIsValidUSDate".
bool IsValidUSDate(const std::string& text);

// True when the date parser reads the text as a date in the locale; a text
// that is no date is False, not a failure. Failures (the parser cannot be
// created, or raises) are logged and raised with "Quarvel.UtilIsValidDate".
bool IsValidDate(const std::string& text, int32_t& localeId);

// The thread's date parser, created on first use. A failure to create it is
// logged and raised with "Quarvel.UtilGetDataFunctions".
rt::ObjectPtr GetDataFunctions();

// The date parser's answer for the text in the locale: a Date, or Null for
// a text that is no date. The imports read each line's dates several times
// (checked, compared, written), so the thread keeps the last two answers;
// the parser's answer depends on the text and the locale alone. Failures
// are the parser's (and GetDataFunctions'), raised to the caller.
rt::Variant ParsedDate(const std::string& text, int32_t localeId);

}  // namespace quarvel
