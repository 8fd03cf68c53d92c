// RoundedToCents: half-to-even rounding of a Decimal's mantissa at the
// second decimal.
#include "quarvel/services/rounding.h"

namespace quarvel {

rt::Variant RoundedToCents(const rt::Variant& value) {
  rt::Decimal d = rt::CDec(value);
  if (d.scale <= 2) return rt::Variant(d);
  __int128 divisor = 1;
  for (int i = 2; i < d.scale; ++i) divisor *= 10;
  const bool negative = d.mantissa < 0;
  const __int128 magnitude = negative ? -d.mantissa : d.mantissa;
  __int128 quotient = magnitude / divisor;
  const __int128 twiceRest = 2 * (magnitude % divisor);
  if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0)) ++quotient;
  d.mantissa = negative ? -quotient : quotient;
  d.scale = 2;
  return rt::Variant(d);
}

}  // namespace quarvel
