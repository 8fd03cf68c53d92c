// Dates as the database stores them ('YYYY-MM-DD HH:MM:SS' text, so that
// text order is time order) and the date forms that statement text carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/variant.h"

namespace data {

// "2026-12-08 10:30:00"
std::string StoredDateText(rt::Date d);
// The same 19 characters written into `out` (no terminating NUL).
constexpr size_t kStoredDateLength = 19;
void WriteStoredDateText(rt::Date d, char* out);

// A character string read as a datetime the way SQL Server reads one under
// us_english (numeric dates month/day/year), blanks around it ignored:
//   ""                                   1900-01-01 00:00:00
//   20260630, 260630, 2026               unseparated: yyyymmdd, yymmdd, a year alone
//   2026-06-30, 2026/6/30, 2026.06.30    a four-digit year first: year, month, day
//   6/30/2026, 06-30-26, 6.30.26         month, day, year (a two-digit year:
//                                        00-49 is 20xx, 50-99 19xx)
//   Jun 30 2026, June 30, 2026,          a month's English name or its first
//   30 Jun 2026, 2026 June 30, Jun 2026  three letters with a day and a year in
//                                        any order, commas optional (the day
//                                        before a two-digit year; no day: the 1st)
//   30-Jun-2026, 30-June-26              day, month's name and year apart by "-"
//   2026-06-30T10:30:00.997              ISO 8601 (two-digit fields, no AM/PM)
//   10:30, 10:30:15.5, 3:05PM, 4am       a time alone is on 1900-01-01
// Any date form may be followed, after a blank, by a time, or follow one:
// hh:mm[:ss[.f[f[f]]]], hh:mm:ss:m[m[m]] (":" before thousandths: ":5" is
// 5 ms, ".5" half a second), each with AM or PM (blank before it optional),
// or an hour with AM or PM ("4 PM").
struct DateTextReading {
  enum class Outcome : uint8_t {
    Date,
    NotADate,    // no form above, or a time that does not exist
    OutOfRange,  // a date that does not exist, or outside 1753-01-01..9999-12-31
  };
  Outcome outcome = Outcome::NotADate;
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int milliseconds = 0;  // the fraction of a second as written, 0-999
};
DateTextReading ReadDateText(std::string_view text);

// A date read as above in the stored form, its fraction rounded to the
// nearest second (half a second up), as a Date value is stored; nothing when
// rounding leaves 9999-12-31 23:59:59.
std::optional<std::string> StoredFormOf(const DateTextReading& date);
// The same date as a comparison with a stored date sees it: the stored form,
// followed by the fraction as SQL Server's datetime holds it (steps of
// 1/300 s, shown to the millisecond) when there is one, so that
// "2026-07-01 00:00:00.500" sorts after "2026-07-01 00:00:00" and equals no
// stored date; nothing when datetime's steps carry it past 9999.
std::optional<std::string> ComparedFormOf(const DateTextReading& date);

// Whether the text is the stored form of a date within datetime's range,
// which a comparison with a date column takes as it is.
bool IsStoredDateText(std::string_view text);

// A stored date back as a Date; nothing when the text holds no date.
std::optional<rt::Date> ParseStoredDate(std::string_view text);

}  // namespace data
