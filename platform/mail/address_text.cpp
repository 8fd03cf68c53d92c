// Splitting an address header's text into its pieces, and the grammar that
// each piece must follow to be written whole: RFC 5322's addr-spec, with a
// display name before it in angle brackets or without one. Comments and the
// obsolete forms are left out: what GMime would make of them is not always
// what was written.
#include "platform/mail/address_text.h"

namespace mail {

namespace {

constexpr size_t kNone = std::string::npos;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// RFC 5322's atext, and any octet of a UTF-8 sequence as RFC 6532 allows.
bool IsAtext(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c >= 0x80) return true;
  for (const char* p = "!#$%&'*+-/=?^_`{|}~"; *p; ++p) {
    if (c == static_cast<unsigned char>(*p)) return true;
  }
  return false;
}

// What a quoted string may hold: visible characters, blanks and UTF-8.
bool IsQuotable(unsigned char c) { return (c >= 0x21 && c <= 0x7E) || c >= 0x80 || IsBlank(static_cast<char>(c)); }

// Each scanner answers where the token that starts at `at` ends, or kNone
// when none does.

// atext runs joined by single dots, no dot first or last.
size_t DotAtomEnd(const std::string& s, size_t at) {
  size_t i = at;
  for (;;) {
    const size_t start = i;
    while (i < s.size() && IsAtext(static_cast<unsigned char>(s[i]))) ++i;
    if (i == start) return kNone;
    if (i == s.size() || s[i] != '.') return i;
    ++i;
  }
}

// A double-quoted string; a backslash quotes the character after it.
size_t QuotedStringEnd(const std::string& s, size_t at) {
  if (at >= s.size() || s[at] != '"') return kNone;
  for (size_t i = at + 1; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"') return i + 1;
    if (c == '\\' && ++i == s.size()) return kNone;
    if (!IsQuotable(static_cast<unsigned char>(s[i]))) return kNone;
  }
  return kNone;
}

// A domain literal: "[", ASCII other than blanks, "[", "\" and "]", then "]".
size_t DomainLiteralEnd(const std::string& s, size_t at) {
  if (at >= s.size() || s[at] != '[') return kNone;
  for (size_t i = at + 1; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == ']') return i + 1;
    if (c < 0x21 || c > 0x7E || c == '[' || c == '\\') return kNone;
  }
  return kNone;
}

// local-part "@" domain.
size_t AddrSpecEnd(const std::string& s, size_t at) {
  if (at >= s.size()) return kNone;
  size_t i = s[at] == '"' ? QuotedStringEnd(s, at) : DotAtomEnd(s, at);
  if (i == kNone || i == s.size() || s[i] != '@') return kNone;
  ++i;
  if (i == s.size()) return kNone;
  return s[i] == '[' ? DomainLiteralEnd(s, i) : DotAtomEnd(s, i);
}

}  // namespace

std::vector<std::string> AddressPieces(const std::string& text) {
  std::vector<std::string> pieces;
  std::string piece;
  auto flush = [&] {
    const size_t begin = piece.find_first_not_of(" \t");
    if (begin != std::string::npos) pieces.push_back(piece.substr(begin, piece.find_last_not_of(" \t") + 1 - begin));
    piece.clear();
  };
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (!quoted && (c == ';' || c == ',')) {
      flush();
      continue;
    }
    piece += c;
    if (quoted && c == '\\' && i + 1 < text.size()) {
      piece += text[++i];
    } else if (c == '"') {
      quoted = !quoted;
    }
  }
  flush();
  return pieces;
}

namespace {

// The addr-spec of a whole address, whatever its length (see WholeAddress).
std::optional<std::string> AddressOf(const std::string& piece) {
  const size_t begin = piece.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::nullopt;
  const std::string s = piece.substr(begin, piece.find_last_not_of(" \t") + 1 - begin);
  if (AddrSpecEnd(s, 0) == s.size()) return s;

  // The display name: words and quoted strings (a dot may stand in a word,
  // as in "A. Smith"), up to the "<".
  size_t i = 0;
  while (i < s.size() && s[i] != '<') {
    if (IsBlank(s[i])) {
      ++i;
    } else if (s[i] == '"') {
      i = QuotedStringEnd(s, i);
      if (i == kNone) return std::nullopt;
    } else if (IsAtext(static_cast<unsigned char>(s[i])) || s[i] == '.') {
      while (i < s.size() && (IsAtext(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
    } else {
      return std::nullopt;
    }
  }
  if (i == s.size()) return std::nullopt;
  const size_t end = AddrSpecEnd(s, i + 1);
  if (end == kNone || end + 1 != s.size() || s[end] != '>') return std::nullopt;
  return s.substr(i + 1, end - i - 1);
}

}  // namespace

// The longest address that mail transfer can carry (RFC 5321's path of 256
// octets less its angle brackets). A header line cannot be folded inside an
// address, so a longer one would also make a line past RFC 5322's 998.
constexpr size_t kLongestAddress = 254;

std::optional<std::string> WholeAddress(const std::string& piece) {
  const std::optional<std::string> address = AddressOf(piece);
  if (address && address->size() > kLongestAddress) return std::nullopt;
  return address;
}

}  // namespace mail
