// The tokenizer of SQL Server's statement text.
#include "data/tsql_lexer.h"

#include <cctype>
#include <stdexcept>

namespace data {

namespace {

bool IsWordStart(unsigned char c) {
  return std::isalpha(c) || c == '_' || c == '@' || c == '#' || c >= 0x80;
}
bool IsWordChar(unsigned char c) { return IsWordStart(c) || std::isdigit(c) || c == '$'; }

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
    if (sql[i] == close) {
      if (i + 1 < sql.size() && sql[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
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

size_t TokenEnd(std::string_view sql, size_t i, TokenKind& kind) {
  unsigned char c = static_cast<unsigned char>(sql[i]);
  char next = i + 1 < sql.size() ? sql[i + 1] : '\0';
  if (std::isspace(c)) {
    size_t j = i;
    while (j < sql.size() && std::isspace(static_cast<unsigned char>(sql[j]))) ++j;
    kind = TokenKind::Space;
    return j;
  }
  if (c == '-' && next == '-') {
    size_t j = sql.find('\n', i);
    kind = TokenKind::Space;
    return j == std::string_view::npos ? sql.size() : j;
  }
  if (c == '/' && next == '*') {
    size_t j = sql.find("*/", i + 2);
    if (j == std::string_view::npos) throw std::invalid_argument("unterminated comment");
    kind = TokenKind::Space;
    return j + 2;
  }
  if (c == '\'') {
    kind = TokenKind::String;
    return QuotedEnd(sql, i, '\'', "string literal");
  }
  if ((c == 'N' || c == 'n') && next == '\'') {
    kind = TokenKind::NString;
    return QuotedEnd(sql, i + 1, '\'', "string literal");
  }
  if (c == '"') {
    kind = TokenKind::QuotedName;
    return QuotedEnd(sql, i, '"', "quoted name");
  }
  if (c == '[') {
    kind = TokenKind::QuotedName;
    return QuotedEnd(sql, i, ']', "bracketed name");
  }
  if (c == '0' && (next == 'x' || next == 'X')) {
    // A binary literal: 0x and its hex digits, one number.
    size_t j = i + 2;
    while (j < sql.size() && std::isxdigit(static_cast<unsigned char>(sql[j]))) ++j;
    kind = TokenKind::Number;
    return j;
  }
  if (std::isdigit(c) || (c == '.' && std::isdigit(static_cast<unsigned char>(next)))) {
    size_t j = i;
    while (j < sql.size() && (std::isdigit(static_cast<unsigned char>(sql[j])) || sql[j] == '.')) ++j;
    if (j < sql.size() && (sql[j] == 'e' || sql[j] == 'E')) {
      size_t k = j + 1;
      if (k < sql.size() && (sql[k] == '+' || sql[k] == '-')) ++k;
      if (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k]))) {
        while (k < sql.size() && std::isdigit(static_cast<unsigned char>(sql[k]))) ++k;
        j = k;
      }
    }
    kind = TokenKind::Number;
    return j;
  }
  if (IsWordStart(c)) {
    size_t j = i;
    while (j < sql.size() && IsWordChar(static_cast<unsigned char>(sql[j]))) ++j;
    kind = TokenKind::Word;
    return j;
  }
  if (c == '?') {
    kind = TokenKind::Parameter;
    return i + 1;
  }
  static constexpr std::string_view kTwo[] = {"<=", ">=", "<>", "!=", "||", "!<", "!>"};
  size_t len = 1;
  for (std::string_view two : kTwo) {
    if (sql.substr(i, 2) == two) len = 2;
  }
  kind = TokenKind::Symbol;
  return i + len;
}

std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  TokenKind kind;
  for (size_t i = 0; i < sql.size();) {
    const size_t end = TokenEnd(sql, i, kind);
    tokens.push_back(Token{kind, std::string(sql.substr(i, end - i))});
    i = end;
  }
  return tokens;
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
