// The thread's regional settings: numbers and dates as text and back.
//
// Only the invariant server profile exists. Every format and parse below
// reads the profile it needs through CurrentRegionalSettings(), so another
// profile would be one more RegionalSettings value and a way to select it.
#include "runtime/regional.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace rt {

namespace {

const RegionalSettings kInvariantProfile{};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string WithSeparator(std::string text) {
  const char sep = CurrentRegionalSettings().decimalSeparator;
  if (sep != '.') {
    for (char& c : text) {
      if (c == '.') c = sep;
    }
  }
  return text;
}

// printf's %G with the given significant digits is VB's number text: the
// exponent form from 10^digits up and below 10^-4, trailing zeros dropped.
std::string FormatSignificant(double d, int digits) {
  if (d == 0) return "0";  // never "-0"
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*G", digits, d);
  return WithSeparator(buf);
}

// "&H" and "&O" numbers read as VB reads them: up to 16 bits as an
// Integer (so "&HFFFF" is -1), up to 32 bits as a Long.
std::optional<double> ParseRadix(std::string_view s) {
  int base = 0;
  if (s.size() > 2 && (s[1] == 'H' || s[1] == 'h')) base = 16;
  if (s.size() > 2 && (s[1] == 'O' || s[1] == 'o')) base = 8;
  if (base == 0) return std::nullopt;
  uint64_t value = 0;
  for (char c : s.substr(2)) {
    int digit = -1;
    if (IsDigit(c)) digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (value <= 0xFFFF) return static_cast<double>(static_cast<int16_t>(value));
  return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)));
}

// The power of ten of a plain number's first significant digit, plus one:
// 1 for "5", 3 for "123.4", 0 for "0.5", -2 for "0.005", 401 for "1e400".
int64_t DecimalMagnitude(std::string_view plain) {
  int64_t magnitude = 0;
  bool significant = false, point = false;
  size_t i = 0;
  for (; i < plain.size() && plain[i] != 'e'; ++i) {
    const char c = plain[i];
    if (c == '.') {
      point = true;
    } else if (IsDigit(c)) {
      if (!significant && c != '0') significant = true;
      if (!point && significant) ++magnitude;
      if (point && !significant) --magnitude;
    }
  }
  if (i < plain.size()) {
    int64_t exponent = 0;
    bool negative = false;
    for (++i; i < plain.size(); ++i) {
      if (plain[i] == '-') negative = true;
      else if (IsDigit(plain[i]) && exponent < 100000) exponent = exponent * 10 + (plain[i] - '0');
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude;
}

// --- Dates --------------------------------------------------------------

// A small cursor over the date text.
struct Scanner {
  std::string_view s;
  size_t i = 0;

  bool AtEnd() const { return i == s.size(); }
  bool Eat(char c) {
    if (i < s.size() && s[i] == c) {
      ++i;
      return true;
    }
    return false;
  }
  void SkipBlanks() {
    while (i < s.size() && IsBlank(s[i])) ++i;
  }
  // Between min and max digits; -1 when fewer than min.
  int Number(size_t minDigits, size_t maxDigits, size_t* count = nullptr) {
    size_t n = 0;
    int value = 0;
    while (i < s.size() && n < maxDigits && IsDigit(s[i])) {
      value = value * 10 + (s[i++] - '0');
      ++n;
    }
    if (count) *count = n;
    if (n < minDigits || (i < s.size() && IsDigit(s[i]))) return -1;
    return value;
  }
  bool EatWord(std::string_view word) {
    if (s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k) {
      if (std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
    }
    i += word.size();
    return true;
  }
};

struct Clock {
  int hour = 0, minute = 0, second = 0;
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ValidDay(int y, int m, int d) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  return d <= kDays[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0);
}

// "h:nn[:ss]" and, unless `iso`, an optional " AM"/" PM" (also without the blank).
bool ScanTime(Scanner& sc, bool iso, Clock& t) {
  t.hour = sc.Number(1, 2);
  if (t.hour < 0 || !sc.Eat(':')) return false;
  t.minute = sc.Number(1, 2);
  if (t.minute < 0) return false;
  t.second = 0;
  if (sc.Eat(':')) {
    t.second = sc.Number(1, 2);
    if (t.second < 0) return false;
  }
  if (t.minute > 59 || t.second > 59) return false;
  if (!iso) {
    const size_t mark = sc.i;
    sc.SkipBlanks();
    bool pm = false;
    if (sc.EatWord("AM") || (pm = sc.EatWord("PM"))) {
      if (t.hour > 12) return false;
      if (t.hour == 12) t.hour = 0;
      if (pm) t.hour += 12;
    } else {
      sc.i = mark;
    }
  }
  return t.hour <= 23;
}

// Two-digit years as VB reads them: 00-29 this century, 30-99 the last.
int ExpandYear(int yy) { return yy < 30 ? 2000 + yy : 1900 + yy; }

}  // namespace

const RegionalSettings& CurrentRegionalSettings() { return kInvariantProfile; }

std::string FormatDate(Date d) {
  int y, m, day, h, n, s;
  d.ToParts(y, m, day, h, n, s);
  char buf[32];
  const bool hasTime = h != 0 || n != 0 || s != 0;
  // Day 0 is 1899-12-30 and a time alone; rounding to the second may reach
  // it from either side, so test the parts, not the serial.
  const bool dayZero = y == 1899 && m == 12 && day == 30;
  if (!hasTime) {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, day);
  } else if (dayZero) {
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, n, s);
  } else {
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, day, h, n, s);
  }
  return buf;
}

std::string FormatDouble(double d) { return FormatSignificant(d, 15); }

std::string FormatDoubleExact(double d) {
  std::string text;
  for (int digits = 15; digits <= 17; ++digits) {
    text = FormatSignificant(d, digits);
    std::string plain = text;
    for (char& c : plain) {
      if (c == CurrentRegionalSettings().decimalSeparator) c = '.';
    }
    double back = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), back);
    if (error == std::errc() && end == plain.data() + plain.size() && back == d) break;
  }
  return text;
}

std::string FormatSingle(float f) { return FormatSignificant(static_cast<double>(f), 7); }

std::string FormatCurrency(Currency c) {
  const bool negative = c.scaled < 0;
  const uint64_t mag =
      negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
  std::string text = std::to_string(mag / Currency::kScale);
  uint64_t fraction = mag % Currency::kScale;
  if (fraction != 0) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(fraction));
    std::string decimals = buf;
    while (decimals.back() == '0') decimals.pop_back();
    text += CurrentRegionalSettings().decimalSeparator;
    text += decimals;
  }
  return negative ? "-" + text : text;
}

std::string FormatDecimal(const Decimal& d) { return WithSeparator(d.ToString()); }

std::optional<double> ParseNumber(std::string_view text, bool* overflow) {
  if (overflow) *overflow = false;
  std::string_view s = TrimBlanks(text);
  if (s.empty()) return std::nullopt;
  if (s.front() == '&') return ParseRadix(s);

  // Check the form first: from_chars alone would accept "inf", "nan" and hex.
  const char sep = CurrentRegionalSettings().decimalSeparator;
  std::string plain;
  size_t i = 0;
  if (s[i] == '+' || s[i] == '-') {
    if (s[i] == '-') plain.push_back('-');
    ++i;
  }
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      digits = true;
      plain.push_back(s[i]);
    } else if (s[i] == sep && !point) {
      point = true;
      plain.push_back('.');
    } else {
      break;
    }
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    plain.push_back('e');
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain.push_back(s[i++]);
    const size_t start = i;
    while (i < s.size() && IsDigit(s[i])) plain.push_back(s[i++]);
    if (i == start) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (end != plain.data() + plain.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // from_chars reports both ends of the range alike and leaves no value.
    // Far beyond 1 is an overflow; far below, an underflow that reads as 0.
    if (DecimalMagnitude(plain) > 0) {
      if (overflow) *overflow = true;
      return std::nullopt;
    }
    return 0.0;
  }
  if (ec != std::errc()) return std::nullopt;
  return value;
}

std::optional<Date> ParseDate(std::string_view text) { return ParseDate(text, NumericDateOrder{}); }

std::optional<Date> ParseDate(std::string_view text, const NumericDateOrder& order) {
  Scanner sc{TrimBlanks(text)};
  if (sc.s.empty()) return std::nullopt;
  // A time alone: digits then ':'.
  size_t lead = 0;
  while (lead < sc.s.size() && IsDigit(sc.s[lead])) ++lead;
  if (lead < sc.s.size() && sc.s[lead] == ':') {
    Clock t;
    if (!ScanTime(sc, false, t) || !sc.AtEnd()) return std::nullopt;
    return Date::FromParts(1899, 12, 30, t.hour, t.minute, t.second);
  }

  int y = -1, m = -1, d = -1;
  bool iso = false;
  if (lead == 4 && lead < sc.s.size() && sc.s[lead] == '-') {  // yyyy-mm-dd
    y = sc.Number(4, 4);
    sc.Eat('-');
    m = sc.Number(1, 2);
    if (m < 0 || !sc.Eat('-')) return std::nullopt;
    d = sc.Number(1, 2);
    iso = true;
  } else {  // the numeric order: m/d/yy or m/d/yyyy for locale 1033
    using Part = NumericDateOrder::Part;
    for (size_t k = 0; k < order.parts.size(); ++k) {
      if (k > 0 && !sc.Eat(order.separator)) return std::nullopt;
      const Part part = order.parts[k];
      int value = -1;
      if (part == Part::kYear) {
        size_t yearDigits = 0;
        value = sc.Number(2, 4, &yearDigits);
        if (yearDigits == 3) return std::nullopt;
        if (value >= 0 && yearDigits == 2) value = ExpandYear(value);
      } else {
        value = sc.Number(1, 2);
      }
      if (value < 0) return std::nullopt;
      (part == Part::kYear ? y : part == Part::kMonth ? m : d) = value;
    }
  }
  if (y < 0 || m < 0 || d < 0 || !ValidDay(y, m, d)) return std::nullopt;

  Clock t;
  if (!sc.AtEnd()) {
    if (iso && sc.Eat('T')) {
      if (!ScanTime(sc, true, t)) return std::nullopt;
    } else {
      const size_t before = sc.i;
      sc.SkipBlanks();
      if (sc.i == before || !ScanTime(sc, false, t)) return std::nullopt;
    }
    if (!sc.AtEnd()) return std::nullopt;
  }
  return Date::FromParts(y, m, d, t.hour, t.minute, t.second);
}

}  // namespace rt
