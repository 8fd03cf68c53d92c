// Dates as the database stores them ('YYYY-MM-DD HH:MM:SS' text, so that
// text order is time order) and the date forms that statement text carries.
#pragma once

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

// A date written as the server profile writes it ("2026-12-08",
// "2026-12-08 10:30" or "2026-12-08 10:30:00") or month/day/year
// ("12/8/2026", "12/08/2026 10:30:00", "12/8/2026 3:05 PM"), turned into the
// stored form; nothing for any other text or an impossible date.
std::optional<std::string> CanonicalDateText(std::string_view text);

// A stored date back as a Date; nothing when the text holds no date.
std::optional<rt::Date> ParseStoredDate(std::string_view text);

}  // namespace data
