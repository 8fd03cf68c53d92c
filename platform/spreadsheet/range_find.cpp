// Range.Find: the first used cell of the range that matches a pattern, in
// the order and direction asked for.
//
// Arguments are positional, in the spreadsheet's own order: What, After,
// LookIn, LookAt, SearchOrder, SearchDirection, MatchCase (MatchByte and
// SearchFormat are accepted and have no effect). What may hold the wildcards
// "*" (any run of characters) and "?" (one character); "~" takes the next
// character literally. Letter case is ignored unless MatchCase is True.
//
// Without After the search covers the whole range from its first cell in
// the search order: searching by rows forward finds the used cell of the
// smallest row (and the smallest column in it), so a lone header in the top
// left cell is found too. With After it starts just past that cell and wraps
// round, reaching After itself last.
#include <optional>
#include <string>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/range.h"

namespace spreadsheet {
namespace {

constexpr int32_t kWhole = 1, kPart = 2;
constexpr int32_t kByRows = 1, kByColumns = 2;
constexpr int32_t kNext = 1, kPrevious = 2;
constexpr int32_t kValues = -4163, kFormulas = -4123, kComments = -4144;

[[noreturn]] void BadArgument() {
  RaiseApplicationError("Unable to get the Find property of the Range class");
}

int32_t Option(const rt::Args& args, size_t i, int32_t fallback) {
  return Given(args, i) ? rt::CLng(args[i]) : fallback;
}

// UTF-8 text as code points (a malformed byte stands for itself).
std::u32string CodePoints(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? b : (b & (0x3F >> extra));
    size_t j = i + 1;
    for (int k = 0; k < extra && j < text.size(); ++k, ++j) c = (c << 6) | (text[j] & 0x3F);
    out += c;
    i = j;
  }
  return out;
}

// A What pattern: literal characters, "?" and "*".
class Pattern {
 public:
  Pattern(const std::string& what, bool whole, bool matchCase) : matchCase_(matchCase) {
    std::u32string text = CodePoints(matchCase ? what : rt::LCase(what));
    if (!whole) tokens_.push_back({Token::Star, 0});
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == U'~' && i + 1 < text.size()) tokens_.push_back({Token::Literal, text[++i]});
      else if (text[i] == U'*') tokens_.push_back({Token::Star, 0});
      else if (text[i] == U'?') tokens_.push_back({Token::One, 0});
      else tokens_.push_back({Token::Literal, text[i]});
    }
    if (!whole) tokens_.push_back({Token::Star, 0});
  }

  // "*" alone matches every used cell, whatever it shows.
  bool MatchesAll() const {
    for (const Token& t : tokens_) {
      if (t.kind != Token::Star) return false;
    }
    return true;
  }

  bool Matches(const std::string& shown) const {
    std::u32string s = CodePoints(matchCase_ ? shown : rt::LCase(shown));
    // Greedy matching that backtracks to the last star only.
    size_t p = 0, t = 0;
    std::optional<size_t> star;
    size_t resume = 0;
    while (t < s.size()) {
      if (p < tokens_.size() && tokens_[p].kind == Token::Star) {
        star = p++;
        resume = t;
      } else if (p < tokens_.size() &&
                 (tokens_[p].kind == Token::One || tokens_[p].c == s[t])) {
        ++p;
        ++t;
      } else if (star) {
        p = *star + 1;
        t = ++resume;
      } else {
        return false;
      }
    }
    while (p < tokens_.size() && tokens_[p].kind == Token::Star) ++p;
    return p == tokens_.size();
  }

 private:
  struct Token {
    enum Kind { Literal, One, Star } kind;
    char32_t c;
  };
  std::vector<Token> tokens_;
  bool matchCase_;
};

}  // namespace

rt::Variant Range::Find(rt::Args& args) {
  if (args.size() > 9) rt::RaiseVb(rt::vberr::kWrongArgumentCount);
  if (!Given(args, 0)) rt::RaiseVb(rt::vberr::kArgumentNotOptional);
  const int32_t lookIn = Option(args, 2, kValues);
  const int32_t lookAt = Option(args, 3, kPart);
  const int32_t order = Option(args, 4, kByRows);
  const int32_t direction = Option(args, 5, kNext);
  const bool matchCase = Given(args, 6) && rt::CBool(args[6]);
  if ((lookIn != kValues && lookIn != kFormulas && lookIn != kComments) ||
      (lookAt != kWhole && lookAt != kPart) || (order != kByRows && order != kByColumns) ||
      (direction != kNext && direction != kPrevious)) {
    BadArgument();
  }
  // Workbooks are read without their comments: there is nothing to find in them.
  if (lookIn == kComments) return rt::Variant::Nothing();

  // Positions as one number in the search order.
  auto key = [order](int32_t row, int32_t column) {
    return order == kByRows ? (int64_t{row} << 16) | column : (int64_t{column} << 24) | row;
  };
  std::optional<int64_t> after;
  if (Given(args, 1)) {
    auto cell = std::dynamic_pointer_cast<Range>(args[1].AsObject());
    if (!cell || cell->Sheet() != sheet_ || cell->Row() < top_ || cell->Row() > bottom_ ||
        cell->Column() < left_ || cell->Column() > right_) {
      BadArgument();
    }
    after = key(cell->Row(), cell->Column());
  }

  const Pattern pattern(rt::CStr(args[0]), lookAt == kWhole, matchCase);
  const bool forward = direction == kNext;
  const Cell* first = nullptr;   // first match of the whole range
  const Cell* past = nullptr;    // first match past After
  int64_t firstKey = 0, pastKey = 0;
  const bool any = pattern.MatchesAll();
  auto better = [forward](int64_t a, int64_t b) { return forward ? a < b : a > b; };
  ForEachUsed([&](const Cell& cell) {
    if (!any && !pattern.Matches(cell.Display())) return;
    int64_t k = key(cell.row, cell.column);
    if (!first || better(k, firstKey)) {
      first = &cell;
      firstKey = k;
    }
    if (after && better(*after, k) && (!past || better(k, pastKey))) {
      past = &cell;
      pastKey = k;
    }
  });
  const Cell* found = past ? past : first;
  if (!found) return rt::Variant::Nothing();
  return rt::Variant(
      std::make_shared<Range>(sheet_, found->row, found->column, found->row, found->column));
}

}  // namespace spreadsheet
