// Text comparison and LIKE with the rules of SQL Server's default collation.
#include "data/text_rules.h"

#include <unicode/uchar.h>

#include <vector>

#include "runtime/utf8.h"

namespace data {

namespace {

// Decodes one UTF-8 character at `i`; a malformed byte stands for itself.
char32_t Next(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (c < 0x80 || i + extra >= s.size()) {
    ++i;
    return c;
  }
  char32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  return cp;
}

char32_t Fold(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(cp), U_FOLD_CASE_DEFAULT));
}

std::string_view TrimTrailingBlanks(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::vector<char32_t> Folded(std::string_view s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out.push_back(Fold(Next(s, i)));
  return out;
}

struct Element {
  enum Kind { Literal, AnyOne, AnyRun, Set } kind;
  char32_t cp = 0;
  bool negate = false;
  std::vector<std::pair<char32_t, char32_t>> ranges = {};

  Element(Kind k, char32_t c = 0) : kind(k), cp(c) {}

  bool Accepts(char32_t c) const {
    switch (kind) {
      case Literal: return c == cp;
      case AnyOne: return true;
      case Set: {
        bool in = false;
        for (auto [lo, hi] : ranges) in = in || (c >= lo && c <= hi);
        return in != negate;
      }
      default: return false;
    }
  }
};

std::vector<Element> Compile(const std::vector<char32_t>& p, std::optional<char32_t> escape) {
  std::vector<Element> out;
  for (size_t i = 0; i < p.size(); ++i) {
    char32_t c = p[i];
    if (escape && c == *escape && i + 1 < p.size()) {
      out.emplace_back(Element::Literal, p[++i]);
    } else if (c == '%') {
      if (out.empty() || out.back().kind != Element::AnyRun) out.emplace_back(Element::AnyRun);
    } else if (c == '_') {
      out.emplace_back(Element::AnyOne);
    } else if (c == '[') {
      size_t close = i + 1;
      while (close < p.size() && p[close] != ']') ++close;
      if (close >= p.size()) {
        out.emplace_back(Element::Literal, c);
        continue;
      }
      Element set(Element::Set);
      size_t j = i + 1;
      if (j < close && p[j] == '^') {
        set.negate = true;
        ++j;
      }
      for (; j < close; ++j) {
        if (j + 2 < close && p[j + 1] == '-') {
          set.ranges.emplace_back(p[j], p[j + 2]);
          j += 2;
        } else {
          set.ranges.emplace_back(p[j], p[j]);
        }
      }
      out.push_back(std::move(set));
      i = close;
    } else {
      out.emplace_back(Element::Literal, c);
    }
  }
  return out;
}

// Wildcard matching with backtracking to the last run (linear in practice).
bool Match(const std::vector<char32_t>& t, const std::vector<Element>& p) {
  size_t ti = 0, pi = 0;
  size_t starP = std::string_view::npos, starT = 0;
  while (ti < t.size()) {
    if (pi < p.size() && p[pi].kind != Element::AnyRun && p[pi].Accepts(t[ti])) {
      ++ti;
      ++pi;
    } else if (pi < p.size() && p[pi].kind == Element::AnyRun) {
      starP = pi++;
      starT = ti;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi].kind == Element::AnyRun) ++pi;
  return pi == p.size();
}

template <class Map>
std::string MapLetters(std::string_view s, Map map) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    size_t start = i;
    char32_t cp = Next(s, i);
    // A malformed byte stays as it is.
    if (cp >= 0x80 && i == start + 1) out += s[start];
    else rt::AppendUtf8(out, static_cast<char32_t>(map(static_cast<UChar32>(cp))));
  }
  return out;
}

}  // namespace

std::string UpperText(std::string_view text) { return MapLetters(text, u_toupper); }
std::string LowerText(std::string_view text) { return MapLetters(text, u_tolower); }

int CompareText(std::string_view a, std::string_view b) {
  a = TrimTrailingBlanks(a);
  b = TrimTrailingBlanks(b);
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
    char32_t x, y;
    if (ca < 0x80 && cb < 0x80) {
      x = Fold(ca);
      y = Fold(cb);
      ++i;
      ++j;
    } else {
      x = Fold(Next(a, i));
      y = Fold(Next(b, j));
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

bool LikeMatches(std::string_view text, std::string_view pattern, std::optional<char32_t> escape) {
  if (escape) *escape = Fold(*escape);
  std::vector<Element> compiled = Compile(Folded(pattern), escape);
  if (Match(Folded(text), compiled)) return true;
  std::string_view trimmed = TrimTrailingBlanks(text);
  return trimmed.size() != text.size() && Match(Folded(trimmed), compiled);
}

}  // namespace data
