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

class Reader {
 public:
  explicit Reader(std::string_view s) : s_(s) {}
  bool AtEnd() const { return i_ == s_.size(); }
  bool Take(char c) {
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  // 1 to maxDigits digits.
  bool Number(int& out, size_t minDigits, size_t maxDigits) {
    size_t start = i_;
    out = 0;
    while (i_ < s_.size() && i_ - start < maxDigits && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
      out = out * 10 + (s_[i_] - '0');
      ++i_;
    }
    return i_ - start >= minDigits;
  }
  bool Blanks() {
    size_t start = i_;
    while (i_ < s_.size() && s_[i_] == ' ') ++i_;
    return i_ > start;
  }
  bool Word(std::string_view w) {
    if (s_.size() - i_ < w.size()) return false;
    for (size_t k = 0; k < w.size(); ++k) {
      if (std::toupper(static_cast<unsigned char>(s_[i_ + k])) != w[k]) return false;
    }
    i_ += w.size();
    return true;
  }

 private:
  std::string_view s_;
  size_t i_ = 0;
};

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool Valid(const Parts& p) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1) return false;
  int days = kDays[p.month - 1] + (p.month == 2 && LeapYear(p.year) ? 1 : 0);
  return p.day <= days && p.hour < 24 && p.minute < 60 && p.second < 60;
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

std::optional<std::string> CanonicalDateText(std::string_view text) {
  auto p = Parse(text);
  if (!p) return std::nullopt;
  return Format(*p);
}

std::optional<rt::Date> ParseStoredDate(std::string_view text) {
  // The stored form itself, read by position (a recordset reads one per
  // date value); anything else by the general reader.
  if (text.size() == 19 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
      text[16] == ':') {
    Parts p;
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
    p.year = number(0, 4);
    p.month = number(5, 2);
    p.day = number(8, 2);
    p.hour = number(11, 2);
    p.minute = number(14, 2);
    p.second = number(17, 2);
    if (digits && Valid(p)) return rt::Date::FromParts(p.year, p.month, p.day, p.hour, p.minute, p.second);
  }
  auto p = Parse(text);
  if (!p) return std::nullopt;
  return rt::Date::FromParts(p->year, p->month, p->day, p->hour, p->minute, p->second);
}

}  // namespace data
