// Text comparison as SQL Server's default collation does it: letter case and
// trailing blanks do not count, for equality, ordering and LIKE.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace data {

// -1, 0 or 1. Letters compare by Unicode case folding, everything else by
// code point (UTF-8 byte order), and trailing blanks are ignored. For ASCII
// text without trailing blanks the order is SQLite's built-in NOCASE order.
int CompareText(std::string_view a, std::string_view b);

// SQL Server's LIKE: % any run, _ any one character, [abc] [a-z] [^a] one
// character of (or not of) a set, an optional escape character; letter case
// does not count, and trailing blanks of the text (not of the pattern) do not
// count either.
bool LikeMatches(std::string_view text, std::string_view pattern, std::optional<char32_t> escape = std::nullopt);

// UPPER and LOWER as SQL Server does them: every letter of Unicode, one
// character for one.
std::string UpperText(std::string_view text);
std::string LowerText(std::string_view text);

}  // namespace data
