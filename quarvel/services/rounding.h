// Rounding of percentages to whole hundredths, shared by the writers of
// price lines (the product's and the price import's).
#pragma once

#include "runtime/variant.h"

namespace quarvel {

// The value rounded to two decimals, a half going to the even neighbour
// (0.125 gives 0.12, 0.375 gives 0.38, 12.625 gives 12.62), as a Decimal.
// The value is taken as a decimal number (text exactly, a Double to its 15
// significant digits), so that what the caller wrote is what is rounded.
// Null raises Invalid use of Null (94), text that is no number Type
// mismatch (13).
rt::Variant RoundedToCents(const rt::Variant& value);

}  // namespace quarvel
