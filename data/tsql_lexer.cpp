// The tokenizer of SQL Server's statement text.
#include "data/tsql_lexer.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace data {

namespace {

// Character classes, by byte (the "C" locale's, which the process keeps):
// statements are scanned once per run to find their literals.
enum : uint8_t { kSpace = 1, kWordStart = 2, kWordChar = 4, kDigit = 8, kHexDigit = 16 };
constexpr std::array<uint8_t, 256> kClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool digit = c >= '0' && c <= '9';
    uint8_t k = 0;
    if (c == ' ' || (c >= '\t' && c <= '\r')) k |= kSpace;
    if (letter || c == '_' || c == '@' || c == '#' || c >= 0x80) k |= kWordStart | kWordChar;
    if (digit || c == '$') k |= kWordChar;
    if (digit) k |= kDigit;
    if (digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) k |= kHexDigit;
    classes[c] = k;
  }
  return classes;
}();

bool Is(char c, uint8_t k) { return (kClasses[static_cast<unsigned char>(c)] & k) != 0; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The end of a quoted run that starts at `start` (the opening quote) and is
// closed by `close`, a doubled `close` standing for one.
size_t QuotedEnd(std::string_view sql, size_t start, char close, const char* what) {
  size_t i = start + 1;
  while (i < sql.size()) {
    const void* found = std::memchr(sql.data() + i, close, sql.size() - i);
    if (!found) break;
    i = static_cast<size_t>(static_cast<const char*>(found) - sql.data());
    if (i + 1 < sql.size() && sql[i + 1] == close) {
      i += 2;
      continue;
    }
    return i + 1;
  }
  throw std::invalid_argument(std::string("unterminated ") + what);
}

// The value between the quotes of `body` ('text'), '' undone.
std::string Unquoted(std::string_view body) {
  if (body.size() < 2) return {};
  body = body.substr(1, body.size() - 2);
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    out += body[i];
    if (body[i] == '\'' && i + 1 < body.size() && body[i + 1] == '\'') ++i;
  }
  return out;
}

}  // namespace

bool Token::IsWord(std::string_view keyword) const {
  return kind == TokenKind::Word && EqualsNoCase(text, keyword);
}

std::string Token::StringValue() const {
  std::string_view body = text;
  if (kind == TokenKind::NString) body.remove_prefix(1);
  return Unquoted(body);
}

std::string StringLiteralValue(std::string_view literal) {
  if (!literal.empty() && literal.front() != '\'') literal.remove_prefix(1);  // N'text'
  return Unquoted(literal);
}

std::string Token::Name() const {
  if (kind != TokenKind::QuotedName || text.size() < 2) return text;
  char close = text.front() == '[' ? ']' : '"';
  std::string out;
  for (size_t i = 1; i + 1 < text.size(); ++i) {
    out += text[i];
    if (text[i] == close && text[i + 1] == close) ++i;
  }
  return out;
}

namespace {

// Tokenize's rules for the token that starts at `i`: its end and kind.
inline size_t Scan(std::string_view sql, size_t i, TokenKind& kind) {
  const size_t n = sql.size();
  const char c = sql[i];
  const char next = i + 1 < n ? sql[i + 1] : '\0';
  if (Is(c, kSpace)) {
    size_t j = i + 1;
    while (j < n && Is(sql[j], kSpace)) ++j;
    kind = TokenKind::Space;
    return j;
  }
  if (Is(c, kWordStart)) {
    if ((c == 'N' || c == 'n') && next == '\'') {
      kind = TokenKind::NString;
      return QuotedEnd(sql, i + 1, '\'', "string literal");
    }
    size_t j = i + 1;
    while (j < n && Is(sql[j], kWordChar)) ++j;
    kind = TokenKind::Word;
    return j;
  }
  if (c == '0' && (next == 'x' || next == 'X')) {
    // A binary literal: 0x and its hex digits, one number.
    size_t j = i + 2;
    while (j < n && Is(sql[j], kHexDigit)) ++j;
    kind = TokenKind::Number;
    return j;
  }
  if (Is(c, kDigit) || (c == '.' && Is(next, kDigit))) {
    size_t j = i;
    while (j < n && (Is(sql[j], kDigit) || sql[j] == '.')) ++j;
    if (j < n && (sql[j] == 'e' || sql[j] == 'E')) {
      size_t k = j + 1;
      if (k < n && (sql[k] == '+' || sql[k] == '-')) ++k;
      if (k < n && Is(sql[k], kDigit)) {
        while (k < n && Is(sql[k], kDigit)) ++k;
        j = k;
      }
    }
    kind = TokenKind::Number;
    return j;
  }
  switch (c) {
    case '\'':
      kind = TokenKind::String;
      return QuotedEnd(sql, i, '\'', "string literal");
    case '"':
      kind = TokenKind::QuotedName;
      return QuotedEnd(sql, i, '"', "quoted name");
    case '[':
      kind = TokenKind::QuotedName;
      return QuotedEnd(sql, i, ']', "bracketed name");
    case '?':
      kind = TokenKind::Parameter;
      return i + 1;
    case '-':
      if (next == '-') {
        size_t j = sql.find('\n', i);
        kind = TokenKind::Space;
        return j == std::string_view::npos ? n : j;
      }
      break;
    case '/':
      if (next == '*') {
        size_t j = sql.find("*/", i + 2);
        if (j == std::string_view::npos) throw std::invalid_argument("unterminated comment");
        kind = TokenKind::Space;
        return j + 2;
      }
      break;
    default: break;
  }
  // Symbols, two characters for <= >= <> != || !< !>.
  kind = TokenKind::Symbol;
  const bool two = (c == '<' && (next == '=' || next == '>')) || (c == '>' && next == '=') ||
                   (c == '!' && (next == '=' || next == '<' || next == '>')) || (c == '|' && next == '|');
  return i + (two ? 2 : 1);
}

}  // namespace

size_t TokenEnd(std::string_view sql, size_t i, TokenKind& kind) { return Scan(sql, i, kind); }

// Scan's rules, skipping what cannot hold a literal without sorting it
// into tokens: a byte at a time through blanks and symbols, a word at a
// time (its digits are no number), a quoted name or a comment whole.
size_t NextLiteral(std::string_view sql, size_t from, TokenKind& kind, size_t& end) {
  const char* p = sql.data();
  const size_t n = sql.size();
  size_t i = from;
  while (i < n) {
    const char c = p[i];
    const char next = i + 1 < n ? p[i + 1] : '\0';
    if (Is(c, kWordStart)) {
      if ((c == 'N' || c == 'n') && next == '\'') break;
      ++i;
      while (i < n && Is(p[i], kWordChar)) ++i;
      continue;
    }
    if (Is(c, kDigit) || (c == '.' && Is(next, kDigit)) || c == '\'') break;
    if (c == '"' || c == '[' || (c == '-' && next == '-') || (c == '/' && next == '*')) {
      i = Scan(sql, i, kind);
      continue;
    }
    ++i;
  }
  if (i >= n) return std::string_view::npos;
  end = Scan(sql, i, kind);
  return i;
}

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  TokenKind kind;
  for (size_t i = 0; i < sql.size();) {
    const size_t end = Scan(sql, i, kind);
    tokens.push_back(Token{kind, std::string(sql.substr(i, end - i))});
    i = end;
  }
  return tokens;
}

std::string QuoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string QuoteString(std::string_view value) {
  std::string out = "'";
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  out += '\'';
  return out;
}

}  // namespace data
