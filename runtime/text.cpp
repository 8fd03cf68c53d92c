// VB's text functions over UTF-8: Len, UCase, LCase, Trim and text-mode
// comparison, counting and mapping characters rather than bytes.
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include "runtime/variant.h"

namespace rt {

namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

// Maps each character with its simple (one-to-one) case mapping, as VB
// does: "ß" stays one character. Bytes that are not valid UTF-8 pass through.
template <class Map>
std::string MapCharacters(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  const int32_t length = static_cast<int32_t>(s.size());
  int32_t i = 0;
  while (i < length) {
    const int32_t start = i;
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      out.append(s.substr(start, i - start));
      continue;
    }
    const UChar32 mapped = map(c);
    char buf[U8_MAX_LENGTH];
    int32_t n = 0;
    U8_APPEND_UNSAFE(reinterpret_cast<uint8_t*>(buf), n, mapped);
    out.append(buf, n);
  }
  return out;
}

}  // namespace

int32_t Len(std::string_view s) {
  int32_t count = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++count;  // every byte that starts a character
  }
  return count;
}

std::string UCase(std::string_view s) {
  if (IsAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  return MapCharacters(s, [](UChar32 c) { return u_toupper(c); });
}

std::string LCase(std::string_view s) {
  if (IsAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  }
  return MapCharacters(s, [](UChar32 c) { return u_tolower(c); });
}

std::string Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

int TextCompare(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      char x = a[i], y = b[i];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  const auto ua = icu::UnicodeString::fromUTF8(
      icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
  const auto ub = icu::UnicodeString::fromUTF8(
      icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
  const int8_t r = ua.caseCompare(ub, U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER);
  return (r > 0) - (r < 0);
}

}  // namespace rt
