// Decimal and Currency: exact scaled numbers, their text and their rounding.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "runtime/com_error.h"
#include "runtime/numeric_detail.h"
#include "runtime/variant.h"

namespace rt {

namespace {

constexpr int kMaxScale = 28;
constexpr int kMaxDigits = 29;  // 2^96 - 1 has 29 digits
const __int128 kMaxMantissa = (static_cast<__int128>(1) << 96) - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The digits with `drop` trailing ones removed, rounded half to even. The
// caller keeps at most 30 digits, so the result fits.
__int128 RoundedPrefix(const std::string& digits, size_t drop) {
  const size_t n = digits.size();
  if (drop > n) return 0;  // below a tenth of the last kept unit
  __int128 kept = 0;
  for (size_t i = 0; i < n - drop; ++i) kept = kept * 10 + (digits[i] - '0');
  if (drop == 0) return kept;
  const char first = digits[n - drop];
  bool rest = false;
  for (size_t i = n - drop + 1; i < n; ++i) rest = rest || digits[i] != '0';
  if (first > '5' || (first == '5' && (rest || kept % 2 != 0))) ++kept;
  return kept;
}

Decimal Normalized(Decimal d) {
  if (d.mantissa == 0) return Decimal{};
  while (d.scale > 0 && d.mantissa % 10 == 0) {
    d.mantissa /= 10;
    --d.scale;
  }
  return d;
}

Decimal FromDigitsText(const char* text) {
  Decimal d;
  Decimal::Parse(text, d);  // text in printf's "%e" form: always well formed
  return Normalized(d);
}

// A finite double rounded to `digits` significant digits, as
// printf("%.<digits - 1>e") rounds it; to_chars gives the same correctly
// rounded digits at a fraction of printf's cost (decimal columns are read
// through here).
Decimal FromSignificantDigits(double d, int digits) {
  // Most values read back are a whole number of hundredths or so: when d is
  // the double nearest to m / 10^k for a whole m of at most `digits` digits,
  // that quotient is its rounding (d lies within half a unit of its last
  // binary place of it, far less than half a unit of the last kept decimal
  // place), and the digits need not be written out and read back.
  static constexpr double kPow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
  const double limit = digits == 15 ? 1e15 : digits == 7 ? 1e7 : std::pow(10.0, digits);
  for (int k = 0; k < 7; ++k) {
    const double scaled = d * kPow10[k];
    if (!(std::fabs(scaled) < limit)) break;
    const double m = std::nearbyint(scaled);
    if (m / kPow10[k] == d)
      return Normalized(Decimal{static_cast<__int128>(static_cast<int64_t>(m)), static_cast<uint8_t>(k)});
  }
  char buf[40];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf - 1, d, std::chars_format::scientific, digits - 1);
  *r.ptr = '\0';
  return FromDigitsText(buf);
}

}  // namespace

namespace detail {

double RoundHalfEven(double d) {
  const double f = std::floor(d);
  const double diff = d - f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) return f + 1.0;
  return f;
}

__int128 Pow10(int n) {
  __int128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

__int128 DropDigits(__int128 value, int digits) {
  if (digits <= 0) return value;
  const __int128 p = Pow10(digits);
  __int128 q = value / p;
  __int128 r = value % p;
  if (r < 0) r = -r;
  if (r * 2 > p || (r * 2 == p && q % 2 != 0)) q += value < 0 ? -1 : 1;
  return q;
}

__int128 DecimalAtScale(const Decimal& d, int scale) {
  if (scale >= d.scale) return d.mantissa * Pow10(scale - d.scale);
  return DropDigits(d.mantissa, d.scale - scale);
}

Currency CurrencyFromDecimal(const Decimal& d) {
  const __int128 m = DecimalAtScale(d, 4);
  if (m > INT64_MAX || m < INT64_MIN) RaiseVb(vberr::kOverflow);
  return Currency::FromScaled(static_cast<int64_t>(m));
}

int64_t IntegerFromDecimal(const Decimal& d, int64_t min, int64_t max) {
  const __int128 m = DecimalAtScale(d, 0);
  if (m < min || m > max) RaiseVb(vberr::kOverflow);
  return static_cast<int64_t>(m);
}

Decimal DecimalFromCurrency(Currency c) { return Normalized(Decimal{c.scaled, 4}); }

Decimal DecimalFromInteger(int64_t n) { return Decimal{n, 0}; }

Decimal DecimalFromSingle(float f) {
  if (!std::isfinite(f)) RaiseVb(vberr::kOverflow);
  return FromSignificantDigits(static_cast<double>(f), 7);
}

}  // namespace detail

// Blanks around, a sign, digits with at most one ".", an optional exponent.
// Digits beyond the 28th decimal (or beyond 29 significant digits) are
// rounded half to even; a value of 2^96 or more raises Overflow (6).
bool Decimal::Parse(std::string_view text, Decimal& out) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  bool negative = false;
  if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  int64_t fraction = 0;
  bool point = false, any = false;
  for (; i < end; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (!(digits.empty() && c == '0')) digits.push_back(c);
      if (point) ++fraction;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any) return false;
  int64_t exponent = 0;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool expNegative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) expNegative = text[i++] == '-';
    if (i == end) return false;
    for (; i < end && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (expNegative) exponent = -exponent;
  }
  if (i != end) return false;

  // Leading zeros were skipped, so `digits` is the value in units of
  // 10^-scale; trailing zeros of the fraction stay, and so does its scale.
  int64_t scale = fraction - exponent;
  if (digits.empty()) {
    out = Decimal{};
    return true;
  }
  if (scale < 0) {
    if (static_cast<int64_t>(digits.size()) - scale > kMaxDigits) RaiseVb(vberr::kOverflow);
    digits.append(static_cast<size_t>(-scale), '0');
    scale = 0;
  }
  int64_t drop = std::max<int64_t>(scale - kMaxScale, 0);
  drop = std::max<int64_t>(drop, static_cast<int64_t>(digits.size()) - kMaxDigits);
  __int128 m = RoundedPrefix(digits, static_cast<size_t>(drop));
  while (m > kMaxMantissa) {
    ++drop;
    m = RoundedPrefix(digits, static_cast<size_t>(drop));
  }
  if (drop > scale) RaiseVb(vberr::kOverflow);
  out.mantissa = negative ? -m : m;
  out.scale = m == 0 ? 0 : static_cast<uint8_t>(scale - drop);
  return true;
}

std::string Decimal::ToString() const {
  unsigned __int128 mag = mantissa < 0 ? -static_cast<unsigned __int128>(mantissa)
                                        : static_cast<unsigned __int128>(mantissa);
  if (mag == 0) return "0";
  std::string digits;
  for (; mag > 0; mag /= 10) digits.insert(digits.begin(), static_cast<char>('0' + mag % 10));
  if (scale > 0) {
    if (digits.size() <= scale) digits.insert(0, scale + 1 - digits.size(), '0');
    digits.insert(digits.size() - scale, 1, '.');
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  return mantissa < 0 ? "-" + digits : digits;
}

Decimal Decimal::FromDouble(double d) {
  if (!std::isfinite(d)) RaiseVb(vberr::kOverflow);
  return FromSignificantDigits(d, 15);
}

double Decimal::ToDouble() const {
  const std::string text = ToString();
  double d = 0;
  std::from_chars(text.data(), text.data() + text.size(), d);
  return d;
}

int Decimal::Compare(const Decimal& other) const {
  const int sa = (mantissa > 0) - (mantissa < 0);
  const int sb = (other.mantissa > 0) - (other.mantissa < 0);
  if (sa != sb) return sa < sb ? -1 : 1;
  if (sa == 0) return 0;
  // Same sign: compare magnitudes by integer part, then by the fraction at
  // the larger scale (a fraction below 10^28 times 10^28 would not fit, a
  // fraction below 10^scale times 10^(28-scale) does).
  const __int128 ma = mantissa < 0 ? -mantissa : mantissa;
  const __int128 mb = other.mantissa < 0 ? -other.mantissa : other.mantissa;
  const __int128 pa = detail::Pow10(scale), pb = detail::Pow10(other.scale);
  int magnitude = 0;
  if (ma / pa != mb / pb) {
    magnitude = ma / pa < mb / pb ? -1 : 1;
  } else {
    const int common = std::max(scale, other.scale);
    const __int128 fa = (ma % pa) * detail::Pow10(common - scale);
    const __int128 fb = (mb % pb) * detail::Pow10(common - other.scale);
    magnitude = (fa > fb) - (fa < fb);
  }
  return sa > 0 ? magnitude : -magnitude;
}

// Below 10^11 a double carries all four decimals within its 15 significant
// digits, and the amount is rounded from that text (2.00015 gives 2.0002 even
// though the nearest double lies below it). Above, it is rounded directly.
Currency Currency::FromDouble(double d) {
  if (!std::isfinite(d)) RaiseVb(vberr::kOverflow);
  if (std::fabs(d) < 1e11) return detail::CurrencyFromDecimal(Decimal::FromDouble(d));
  const double scaled = detail::RoundHalfEven(d * static_cast<double>(kScale));
  if (scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0) {
    RaiseVb(vberr::kOverflow);
  }
  return FromScaled(static_cast<int64_t>(scaled));
}

}  // namespace rt
