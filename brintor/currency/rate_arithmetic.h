// The conversion arithmetic of the currency object: doubles, evaluated in
// exactly this order so that results match to the last bit. A factor is a
// 32-bit integer taken as a double. Dividing by zero raises VB's Division
// by zero (11); a result beyond the double range raises Overflow (6).
#pragma once

#include <cmath>
#include <cstdint>

#include "runtime/com_error.h"

namespace brintor::rates {

inline double Checked(double result) {
  if (!std::isfinite(result)) rt::RaiseVb(rt::vberr::kOverflow);
  return result;
}

inline double Divide(double x, double divisor) {
  if (divisor == 0.0) rt::RaiseVb(rt::vberr::kDivisionByZero);
  return Checked(x / divisor);
}

// From a currency not tied to the euro into home units.
inline double DivideByRate(double x, int32_t factor, double rate) {
  return Divide(x, Checked(static_cast<double>(factor) * rate));
}

// From home units into a currency not tied to the euro.
inline double MultiplyByRate(double x, int32_t factor, double rate) {
  return Checked(Checked(x * rate) * static_cast<double>(factor));
}

// Through the euro: x / (f1 * r1) is the amount in euros.
inline double ConvertViaRates(double x, int32_t factor1, double rate1, int32_t factor2, double rate2) {
  double euros = Divide(x, Checked(static_cast<double>(factor1) * rate1));
  return Checked(euros * Checked(static_cast<double>(factor2) * rate2));
}

}  // namespace brintor::rates
