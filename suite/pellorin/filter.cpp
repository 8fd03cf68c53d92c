// Search filters: parsing, typed matching and the directory's order of ids.
#include "suite/pellorin/filter.h"

#include <cstdlib>
#include <optional>

#include "interfaces/pellorin.h"
#include "runtime/com_error.h"

namespace pellorin {
namespace {

// "*" stands for any text; both sides are already in one letter case.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
  size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<double> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  double d = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return std::nullopt;
  return d;
}

bool TextMatches(const Filter& filter, const std::string& stored) {
  // ">=" in the user lists' own comparison alone: a start key in another
  // letter case than the id it names still includes that id.
  if (filter.notBelow) return rt::TextCompare(stored, filter.value) >= 0;
  if (filter.value.find('*') != std::string::npos)
    return WildcardMatch(rt::UCase(filter.value), rt::UCase(stored));
  return rt::TextCompare(stored, filter.value) == 0;
}

}  // namespace

Filter ParseFilter(const std::string& text) {
  Filter filter;
  size_t op = text.find(">=");
  size_t eq = text.find('=');
  if (op != std::string::npos && op < eq) {
    filter.notBelow = true;
    eq = op;
  }
  if (eq == std::string::npos || eq == 0)
    RaiseDirectoryError(eInvalidFilter, "Pellorin.Members",
                        "The search filter '" + text + "' is not NAME=VALUE or NAME>=VALUE");
  std::string name = text.substr(0, eq);
  filter.value = text.substr(eq + (filter.notBelow ? 2 : 1));
  if (rt::TextCompare(name, "cn") == 0) {
    filter.onId = true;
    return filter;
  }
  try {
    filter.attribute = DescribeAttribute(name);
  } catch (const rt::ComError&) {
    RaiseDirectoryError(eInvalidFilter, "Pellorin.Members",
                        "The search filter '" + text + "' names no attribute");
  }
  return filter;
}

bool Matches(const Filter& filter, const std::string& stored) {
  if (filter.onId) return TextMatches(filter, stored);
  const AttributeInfo& info = filter.attribute;
  switch (info.type) {
    case AttributeType::Text:
      return TextMatches(filter, stored);
    case AttributeType::Date: {
      std::string wanted;
      try {
        wanted = ToStoredText(info, rt::Variant(filter.value));
      } catch (const rt::ComError&) {
        return false;
      }
      return filter.notBelow ? stored >= wanted : stored == wanted;
    }
    case AttributeType::Boolean:
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Currency: {
      std::optional<double> wanted;
      if (info.type == AttributeType::Boolean) {
        try {
          wanted = ToStoredText(info, rt::Variant(filter.value)) == "1" ? 1.0 : 0.0;
        } catch (const rt::ComError&) {
        }
      } else {
        wanted = Number(filter.value);
      }
      std::optional<double> have = Number(stored);
      if (!wanted || !have) return false;
      return filter.notBelow ? *have >= *wanted : *have == *wanted;
    }
  }
  return false;
}

int CompareIds(std::string_view a, std::string_view b) {
  int r = rt::TextCompare(a, b);
  if (r != 0) return r;
  int c = a.compare(b);
  return (c > 0) - (c < 0);
}

}  // namespace pellorin
