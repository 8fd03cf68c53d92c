// Date: calendar parts to serial days and back, with VB's negative serials.
//
// A serial counts days from 1899-12-30 in the proleptic Gregorian calendar.
// Before that day the integer part still names the day and the fraction,
// whatever its sign, is the time after the day's midnight: -1.25 is
// 1899-12-29 06:00.
#include <cmath>

#include "runtime/com_error.h"
#include "runtime/numeric_detail.h"
#include "runtime/variant.h"

namespace rt {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1970-01-01 to a civil date (H. Hinnant's algorithm).
constexpr int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDay = DaysFromCivil(100, 1, 1) - kEpoch;
constexpr int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpoch;
static_assert(kFirstDay - 1 == detail::kDateSerialBelow);
static_assert(kLastDay + 1 == detail::kDateSerialAbove);

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

// Out-of-range month, day and time parts carry over as DateSerial and
// TimeSerial do (month 13 is January of the next year, day 0 the last day
// of the previous month); a result outside 100-01-01..9999-12-31 raises 5.
Date Date::FromParts(int year, int month, int day, int hour, int minute, int second) {
  const int64_t months = static_cast<int64_t>(year) * 12 + (month - 1);
  const int64_t y = FloorDiv(months, 12);
  const int64_t m = months - y * 12 + 1;
  const int64_t days = DaysFromCivil(y, m, 1) + (day - 1) - kEpoch;
  const int64_t linear = days * kSecondsPerDay + static_cast<int64_t>(hour) * 3600 +
                         static_cast<int64_t>(minute) * 60 + second;
  const int64_t d = FloorDiv(linear, kSecondsPerDay);
  const int64_t secs = linear - d * kSecondsPerDay;
  if (d < kFirstDay || d > kLastDay) RaiseVb(vberr::kInvalidProcedureCall);
  const double time = static_cast<double>(secs) / kSecondsPerDay;
  return Date{d >= 0 ? static_cast<double>(d) + time : static_cast<double>(d) - time};
}

void Date::ToParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
  if (!std::isfinite(serial) || serial <= detail::kDateSerialBelow ||
      serial >= detail::kDateSerialAbove) {
    RaiseVb(vberr::kOverflow);
  }
  int64_t d = static_cast<int64_t>(std::trunc(serial));
  int64_t secs = std::llround(std::fabs(serial - static_cast<double>(d)) * kSecondsPerDay);
  if (secs >= kSecondsPerDay) {  // rounded up to the next midnight
    secs -= kSecondsPerDay;
    d += 1;
  }
  CivilFromDays(d + kEpoch, year, month, day);
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  second = static_cast<int>(secs % 60);
}

}  // namespace rt
