// The numeric order of a locale's short dates (which part comes first and
// the character between the parts), read from ICU's short date pattern for
// a Windows locale id.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/regional.h"

namespace datefunc {

// The order of the locale's short dates, read from its short date pattern:
// y, Y and u are the year, M and L the month, d the day, and the separator
// is the first punctuation between the first two parts. None when ICU knows
// no locale for the id, or its pattern lacks one of the three parts. Looked
// up in ICU once per locale and thread.
std::optional<rt::NumericDateOrder> LocaleDateOrder(int32_t localeId);

}  // namespace datefunc
