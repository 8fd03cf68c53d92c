// Exact-number helpers shared by the runtime's conversion files: half-even
// rounding of doubles and of scaled 128-bit integers, and the moves between
// Decimal, Currency and the integer types.
#pragma once

#include <cstdint>

#include "runtime/variant.h"

namespace rt::detail {

// Serials of VB's date range lie strictly between these: 100-01-01 is
// -657434, 9999-12-31 is 2958465, and each takes a fraction of a day.
constexpr double kDateSerialBelow = -657435.0;
constexpr double kDateSerialAbove = 2958466.0;

// A Variant's numeric value in the exact form its subtype holds.
struct Number {
  enum class Kind { Integer, Single, Double, Currency, Decimal } kind = Kind::Integer;
  int64_t integer = 0;  // Integer, Long, Byte, Boolean (-1 for True), Empty (0)
  double real = 0;      // Single, Double, Date; text unless read exactly
  rt::Currency currency;
  rt::Decimal decimal;

  static Number Integral(int64_t i) {
    Number n;
    n.integer = i;
    return n;
  }
  static Number Real(Kind kind, double d) {
    Number n;
    n.kind = kind;
    n.real = d;
    return n;
  }
  static Number Of(rt::Currency c) {
    Number n;
    n.kind = Kind::Currency;
    n.currency = c;
    return n;
  }
  static Number Of(const rt::Decimal& d) {
    Number n;
    n.kind = Kind::Decimal;
    n.decimal = d;
    return n;
  }
};

// Null raises 94; text that is no number, arrays and Error values raise 13;
// an object gives its default member's value. `exactText` reads text as a
// Decimal (for CCur and CDec).
Number ToNumber(const Variant& v, bool exactText = false);

// An object's default member's value (a field's Value, ...); Nothing raises 91.
Variant DefaultValue(const ObjectPtr& object);

// Half to even, as VB's integer conversions round.
double RoundHalfEven(double d);

// 10^n for 0 <= n <= 38.
__int128 Pow10(int n);

// value / 10^digits rounded half to even.
__int128 DropDigits(__int128 value, int digits);

// The Decimal's value times 10^scale, rounded half to even. 0 <= scale <= 4,
// so that the product cannot overflow.
__int128 DecimalAtScale(const Decimal& d, int scale);

// Raise Overflow (6) when the value does not fit.
Currency CurrencyFromDecimal(const Decimal& d);
int64_t IntegerFromDecimal(const Decimal& d, int64_t min, int64_t max);

Decimal DecimalFromCurrency(Currency c);
Decimal DecimalFromInteger(int64_t n);
Decimal DecimalFromSingle(float f);  // 7 significant digits, as VB does

}  // namespace rt::detail
