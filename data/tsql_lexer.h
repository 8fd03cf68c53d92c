// The tokenizer of SQL Server's statement text, the first step of turning
// the statements that the classes compose into the engine's dialect.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace data {

enum class TokenKind {
  Space,       // blanks, line ends and comments
  Word,        // identifier or keyword: letters, digits, _ @ # $
  QuotedName,  // "name" or [name]
  String,      // 'text' with '' for a quote
  NString,     // N'text'
  Number,      // 12, 1.5, .5, 1e3, 0x1F
  Parameter,   // ?
  Symbol,      // operators and punctuation: ( ) , . ; = <> <= >= != || + - * / % < >
};

struct Token {
  TokenKind kind;
  std::string text;  // the token as written
  // For a literal that a statement may bind as a parameter instead (a
  // string, or a whole number that fits 64 bits): its place among the
  // text's literals, from 0; -1 for any other token.
  int32_t literal = -1;

  bool Is(TokenKind k) const { return kind == k; }
  // A word equal to `keyword` without regard to letter case.
  bool IsWord(std::string_view keyword) const;
  bool IsSymbol(std::string_view symbol) const { return kind == TokenKind::Symbol && text == symbol; }
  // The value of a String or NString token, quotes removed and '' undone.
  std::string StringValue() const;
  // The name of a Word or QuotedName token without its quotes.
  std::string Name() const;
};

// Splits statement text into tokens; the concatenation of the tokens' texts
// is the input. An unterminated literal, quoted name or comment is an error
// (std::invalid_argument naming what is open).
std::vector<Token> Tokenize(std::string_view sql);

// The end of the token that starts at `at`, and its kind: Tokenize's rules
// for one token, for a scanner that needs no token objects. Raises as
// Tokenize does.
size_t TokenEnd(std::string_view sql, size_t at, TokenKind& kind);
// The start of the first literal token (String, NString or Number) at or
// after `from`, its kind and its end; npos when none is left.
size_t NextLiteral(std::string_view sql, size_t from, TokenKind& kind, size_t& end);

// The value of a string literal as written ('text' or N'text'), quotes
// removed and '' undone.
std::string StringLiteralValue(std::string_view literal);

// A string literal's text: 'value' with each quote doubled.
std::string QuoteString(std::string_view value);

// A name's text as SQLite quotes it: "name" with each double quote doubled.
std::string QuoteName(std::string_view name);

}  // namespace data
