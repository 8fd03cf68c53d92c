// Dates as the database stores them and the date forms of statement text.
#include "data/date_text.h"

#include <cctype>
#include <cstring>
#include <limits>

namespace data {

namespace {

struct Parts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reading a text from left to right: the steps that both readers below take.
class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool AtEnd() const { return i_ == s_.size(); }
  char Peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }
  static bool Digit(char c) { return c >= '0' && c <= '9'; }
  static bool Letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  // minDigits to maxDigits digits (no more are read).
  bool Number(int& out, size_t minDigits, size_t maxDigits) {
    const size_t start = i_;
    out = 0;
    while (i_ - start < maxDigits && Digit(Peek())) {
      out = out * 10 + (Peek() - '0');
      ++i_;
    }
    return i_ - start >= minDigits;
  }
  // All the digits there are (at most 9 counted into `value`); how many.
  size_t Digits(int& value) {
    const size_t start = i_;
    value = 0;
    while (Digit(Peek())) {
      if (i_ - start < 9) value = value * 10 + (Peek() - '0');
      ++i_;
    }
    return i_ - start;
  }
  bool Blanks() {
    const size_t start = i_;
    while (Peek() == ' ') ++i_;
    return i_ > start;
  }
  // The upper-case word `w` in any letter case.
  bool Word(std::string_view w) {
    if (!WordAt(i_, w)) return false;
    i_ += w.size();
    return true;
  }

 protected:
  bool WordAt(size_t at, std::string_view w) const {
    if (at > s_.size() || s_.size() - at < w.size()) return false;
    for (size_t k = 0; k < w.size(); ++k) {
      if (std::toupper(static_cast<unsigned char>(s_[at + k])) != w[k]) return false;
    }
    return true;
  }

  std::string_view s_;
  size_t i_ = 0;
};

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
}

bool Valid(const Parts& p) {
  if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1) return false;
  return p.day <= DaysIn(p.year, p.month) && p.hour < 24 && p.minute < 60 && p.second < 60;
}

// " hh:nn[:ss]" with an optional AM/PM when `clock12` is allowed.
bool Time(Reader& r, Parts& p, bool clock12) {
  if (r.AtEnd()) return true;
  if (!r.Blanks() && !r.Take('T')) return false;
  if (!r.Number(p.hour, 1, 2) || !r.Take(':') || !r.Number(p.minute, 2, 2)) return false;
  if (r.Take(':') && !r.Number(p.second, 2, 2)) return false;
  if (clock12 && r.Blanks()) {
    bool pm = r.Word("PM");
    if (!pm && !r.Word("AM")) return false;
    if (p.hour < 1 || p.hour > 12) return false;
    p.hour = p.hour % 12 + (pm ? 12 : 0);
  }
  return r.AtEnd();
}

// The forms that ParseStoredDate reads besides the stored one: the server
// profile's ("2026-12-08", "2026-12-08 10:30") and month/day/year
// ("12/8/2026 3:05 PM"). It stays apart from SqlDateReader, which reads
// statement text: this reads what a column already holds, written there by
// another client, where a date may lie before 1753 (a Date's years begin at
// 100) and where "" or "2026" is no date, as SqlDateReader would take them.
std::optional<Parts> Parse(std::string_view text) {
  Parts p;
  {
    Reader r(text);
    if (r.Number(p.year, 4, 4) && r.Take('-') && r.Number(p.month, 2, 2) && r.Take('-') &&
        r.Number(p.day, 2, 2) && Time(r, p, false) && Valid(p))
      return p;
  }
  p = Parts{};
  Reader r(text);
  if (r.Number(p.month, 1, 2) && r.Take('/') && r.Number(p.day, 1, 2) && r.Take('/') &&
      r.Number(p.year, 4, 4) && Time(r, p, true) && Valid(p))
    return p;
  return std::nullopt;
}

// "YYYY-MM-DD HH:MM:SS" into `out`, digit by digit (dates are bound with
// every statement that takes one).
void FormatInto(const Parts& p, char* out) {
  auto put = [&](size_t at, int value, int digits) {
    for (int k = digits - 1; k >= 0; --k, value /= 10) out[at + k] = static_cast<char>('0' + value % 10);
  };
  put(0, p.year, 4);
  out[4] = '-';
  put(5, p.month, 2);
  out[7] = '-';
  put(8, p.day, 2);
  out[10] = ' ';
  put(11, p.hour, 2);
  out[13] = ':';
  put(14, p.minute, 2);
  out[16] = ':';
  put(17, p.second, 2);
}

std::string Format(const Parts& p) {
  std::string out(kStoredDateLength, '0');
  FormatInto(p, out.data());
  return out;
}

// The stored form, read by position: its parts when it holds a real date.
std::optional<Parts> StoredParts(std::string_view text) {
  if (text.size() != kStoredDateLength || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  bool digits = true;
  auto number = [&](size_t at, size_t count) {
    int value = 0;
    for (size_t k = at; k < at + count; ++k) {
      const unsigned char c = static_cast<unsigned char>(text[k]);
      digits = digits && c >= '0' && c <= '9';
      value = value * 10 + (c - '0');
    }
    return value;
  };
  Parts p;
  p.year = number(0, 4);
  p.month = number(5, 2);
  p.day = number(8, 2);
  p.hour = number(11, 2);
  p.minute = number(14, 2);
  p.second = number(17, 2);
  if (!digits || !Valid(p)) return std::nullopt;
  return p;
}

// SQL Server's datetime begins with 1753.
constexpr int kFirstYear = 1753;

Parts PartsOf(const DateTextReading& d) {
  return Parts{d.year, d.month, d.day, d.hour, d.minute, d.second};
}

// One second later; false past 9999-12-31 23:59:59.
bool AddSecond(Parts& p) {
  if (++p.second < 60) return true;
  p.second = 0;
  if (++p.minute < 60) return true;
  p.minute = 0;
  if (++p.hour < 24) return true;
  p.hour = 0;
  if (++p.day <= DaysIn(p.year, p.month)) return true;
  p.day = 1;
  if (++p.month <= 12) return true;
  p.month = 1;
  return ++p.year <= 9999;
}

// SQL Server's reading of a character string as a datetime (date_text.h
// lists the forms). The text comes without blanks around it.
class SqlDateReader : Reader {
 public:
  using Reader::Reader;

  DateTextReading Read() {
    using Outcome = DateTextReading::Outcome;
    DateTextReading out;
    if (s_.empty()) {
      out.outcome = Outcome::Date;
      return out;
    }
    bool iso = false;
    if (TimeAhead()) {
      // A time first, and then perhaps a date.
      if (!Time(out, false)) return out;
      if (!AtEnd() && (!Blanks() || !Date(out, iso))) return out;
    } else {
      if (!Date(out, iso)) return out;
      if (!AtEnd()) {
        if (iso && Take('T')) {
          if (!Time(out, true)) return out;
        } else if (!Blanks() || !Time(out, false)) {
          return out;
        }
      }
    }
    if (!AtEnd()) return out;
    if (out.year < kFirstYear || out.year > 9999 || out.month < 1 || out.month > 12 || out.day < 1 ||
        out.day > DaysIn(out.year, out.month)) {
      out.outcome = Outcome::OutOfRange;
      return out;
    }
    out.outcome = Outcome::Date;
    return out;
  }

 private:
  // Whether a time starts here: digits and then ":", or an hour and AM or
  // PM ("4am", "4 PM").
  bool TimeAhead() const {
    size_t k = i_;
    while (k < s_.size() && Digit(s_[k])) ++k;
    if (k == i_ || k == s_.size()) return false;
    if (s_[k] == ':') return true;
    while (k < s_.size() && s_[k] == ' ') ++k;
    return WordAt(k, "AM") || WordAt(k, "PM");
  }

  static int TwoDigitYear(int y) { return y < 50 ? 2000 + y : 1900 + y; }

  // The date forms; `iso` tells that a "T" and a time may follow.
  bool Date(DateTextReading& out, bool& iso) {
    if (!Digit(Peek())) return Alphabetic(out);
    const size_t start = i_;
    int first = 0;
    const size_t n = Digits(first);
    const char separator = Peek();
    if (separator == '-' && n <= 2 && Letter(Peek(1))) {
      // Day, month's name and year apart by "-": 30-Jun-2026, 30-June-26.
      ++i_;
      int year = 0;
      if (!MonthName(out.month) || !Take('-')) return false;
      const size_t n3 = Digits(year);
      if (n3 != 2 && n3 != 4) return false;
      out.day = first;
      out.year = n3 == 2 ? TwoDigitYear(year) : year;
      return true;
    }
    if (separator == '/' || separator == '-' || separator == '.') {
      ++i_;
      int second = 0, third = 0;
      const size_t n2 = Digits(second);
      if (!Take(separator)) return false;
      const size_t n3 = Digits(third);
      if (n2 < 1 || n2 > 2 || n3 < 1) return false;
      if (n == 4) {
        if (n3 > 2) return false;
        out.year = first;
        out.month = second;
        out.day = third;
        iso = separator == '-' && n2 == 2 && n3 == 2;
        return true;
      }
      if (n > 2 || (n3 != 2 && n3 != 4)) return false;
      out.month = first;
      out.day = second;
      out.year = n3 == 2 ? TwoDigitYear(third) : third;
      return true;
    }
    if (AtEnd() || Peek() == ' ') {
      if (n == 8 || n == 6) {
        const std::string_view d = s_.substr(start, n);
        auto two = [&](size_t at) { return (d[at] - '0') * 10 + (d[at + 1] - '0'); };
        const size_t y = n - 4;
        out.year = n == 8 ? two(0) * 100 + two(2) : TwoDigitYear(two(0));
        out.month = two(y);
        out.day = two(y + 2);
        return true;
      }
      if (n == 4 && AtEnd()) {
        out.year = first;
        return true;
      }
    }
    i_ = start;
    return Alphabetic(out);
  }

  // A month's name and one or two numbers, in any order, apart by blanks
  // or a comma; ends where a time begins.
  bool Alphabetic(DateTextReading& out) {
    int month = 0;
    int numbers[2] = {0, 0};
    size_t digits[2] = {0, 0};
    size_t count = 0, elements = 0;
    while (!AtEnd() && !TimeAhead()) {
      if (elements > 0) {
        const bool blank = Blanks();
        const bool comma = Take(',');
        if (comma) Blanks();
        if (!blank && !comma) return false;
        if (AtEnd() || TimeAhead()) {
          // The blanks before a time end the date; a comma may not.
          if (comma) return false;
          i_ -= 1;  // leave one blank for the time
          break;
        }
      }
      if (Letter(Peek())) {
        if (month != 0 || !MonthName(month)) return false;
      } else if (Digit(Peek())) {
        if (count == 2) return false;
        digits[count] = Digits(numbers[count]);
        ++count;
      } else {
        return false;
      }
      ++elements;
    }
    if (month == 0 || count == 0) return false;
    out.month = month;
    if (count == 1) {
      if (digits[0] != 4) return false;
      out.year = numbers[0];
      return true;
    }
    if (digits[0] == 4 && digits[1] <= 2) {
      out.year = numbers[0];
      out.day = numbers[1];
    } else if (digits[0] <= 2 && digits[1] == 4) {
      out.day = numbers[0];
      out.year = numbers[1];
    } else if (digits[0] <= 2 && digits[1] == 2) {
      out.day = numbers[0];
      out.year = TwoDigitYear(numbers[1]);
    } else {
      return false;
    }
    return true;
  }

  // The letters here as January to December, by their English names or
  // first three letters; false for any other word.
  bool MonthName(int& month) {
    static constexpr std::string_view kMonths[] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
                                                   "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER",
                                                   "DECEMBER"};
    const size_t start = i_;
    while (Letter(Peek())) ++i_;
    const std::string_view word = s_.substr(start, i_ - start);
    for (int m = 0; m < 12; ++m) {
      const std::string_view name = kMonths[m];
      if (word.size() != 3 && word.size() != name.size()) continue;
      bool same = true;
      for (size_t k = 0; k < word.size() && same; ++k)
        same = std::toupper(static_cast<unsigned char>(word[k])) == name[k];
      if (same) {
        month = m + 1;
        return true;
      }
    }
    return false;
  }

  // hh:mm[:ss[.f[f[f]]|:m[m[m]]]] with an optional AM or PM, or an hour
  // with AM or PM alone ("4am", "4 PM"); after a "T" (`iso`) two digits each,
  // a fraction after "." only and no AM or PM. A fraction after "." is a
  // decimal one (.5 is half a second), a number after ":" counts
  // thousandths (:5 is 5 ms). False for a time that does not exist.
  bool Time(DateTextReading& out, bool iso) {
    const size_t lo = iso ? 2 : 1;
    auto field = [&](int& value) {
      const size_t n = Digits(value);
      return n >= lo && n <= 2;
    };
    if (!field(out.hour)) return false;
    const bool minutes = Take(':');
    if (minutes) {
      if (!field(out.minute)) return false;
      if (Take(':')) {
        if (!field(out.second)) return false;
        const bool point = Take('.');
        if (point || (!iso && Take(':'))) {
          int fraction = 0;
          const size_t n = Digits(fraction);
          if (n < 1 || n > 3) return false;
          out.milliseconds = point ? fraction * (n == 1 ? 100 : n == 2 ? 10 : 1) : fraction;
        }
      }
      if (out.minute > 59 || out.second > 59) return false;
    }
    if (iso) return minutes && out.hour < 24;
    const size_t beforeBlanks = i_;
    Blanks();
    const bool pm = Word("PM");
    if (!pm && !Word("AM")) {
      i_ = beforeBlanks;
      return minutes && out.hour < 24;
    }
    // 12 AM is midnight and 12 PM noon; 0 takes no PM, 13 to 23 no AM.
    if (pm) {
      if (out.hour == 0 || out.hour > 23) return false;
      if (out.hour < 12) out.hour += 12;
    } else {
      if (out.hour > 12) return false;
      if (out.hour == 12) out.hour = 0;
    }
    return true;
  }
};

}  // namespace

std::string StoredDateText(rt::Date d) {
  std::string out(kStoredDateLength, '0');
  WriteStoredDateText(d, out.data());
  return out;
}

void WriteStoredDateText(rt::Date d, char* out) {
  // One date is often bound again and again (a day's reads, an import's
  // lines): the last one written on this thread is copied.
  thread_local double lastSerial = std::numeric_limits<double>::quiet_NaN();
  thread_local char lastText[kStoredDateLength];
  if (d.serial != lastSerial) {
    Parts p;
    d.ToParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
    FormatInto(p, lastText);
    lastSerial = d.serial;
  }
  std::memcpy(out, lastText, kStoredDateLength);
}

DateTextReading ReadDateText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return SqlDateReader(text).Read();
}

std::optional<std::string> StoredFormOf(const DateTextReading& date) {
  if (date.outcome != DateTextReading::Outcome::Date) return std::nullopt;
  Parts p = PartsOf(date);
  if (date.milliseconds >= 500 && !AddSecond(p)) return std::nullopt;
  return Format(p);
}

std::optional<std::string> ComparedFormOf(const DateTextReading& date) {
  if (date.outcome != DateTextReading::Outcome::Date) return std::nullopt;
  Parts p = PartsOf(date);
  // datetime holds a time in steps of 1/300 s, the nearest step taken (a
  // half step up): .999 is the next second, .998 is .997.
  int steps = (date.milliseconds * 3 + 5) / 10;
  if (steps == 300) {
    if (!AddSecond(p)) return std::nullopt;
    steps = 0;
  }
  std::string out = Format(p);
  if (steps > 0) {
    const int ms = (steps * 10 + 1) / 3;
    out += '.';
    out += static_cast<char>('0' + ms / 100);
    out += static_cast<char>('0' + ms / 10 % 10);
    out += static_cast<char>('0' + ms % 10);
  }
  return out;
}

bool IsStoredDateText(std::string_view text) {
  std::optional<Parts> p = StoredParts(text);
  return p && p->year >= kFirstYear;
}

std::optional<rt::Date> ParseStoredDate(std::string_view text) {
  // The stored form itself, read by position (a recordset reads one per
  // date value); anything else by the general reader.
  if (std::optional<Parts> p = StoredParts(text))
    return rt::Date::FromParts(p->year, p->month, p->day, p->hour, p->minute, p->second);
  auto p = Parse(text);
  if (!p) return std::nullopt;
  return rt::Date::FromParts(p->year, p->month, p->day, p->hour, p->minute, p->second);
}

}  // namespace data
