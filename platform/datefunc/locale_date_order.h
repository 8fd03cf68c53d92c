// The numeric order of a locale's short dates (which part comes first and
// the character between the parts), read from ICU's short date pattern for
// a Windows locale id.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "runtime/regional.h"

namespace datefunc {

// The order of the locale's short dates; none when ICU knows no locale for
// the id. Looked up in ICU once per locale and thread.
std::optional<rt::NumericDateOrder> LocaleDateOrder(int32_t localeId);

// The order a short date pattern ("M/d/yy", "dd.MM.yy") writes its parts
// in: y, Y and u are the year, M and L the month, d the day; the separator is
// the first punctuation between the first two parts. None when the pattern
// lacks one of the three parts.
std::optional<rt::NumericDateOrder> OrderOfPattern(std::u16string_view pattern);

}  // namespace datefunc
