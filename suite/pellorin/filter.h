// Search filters ("NAME=VALUE", "NAME>=VALUE") and the directory's order of ids.
#pragma once

#include <string>
#include <string_view>

#include "suite/pellorin/attributes.h"

namespace pellorin {

struct Filter {
  bool onId = false;             // "cn": the entry's id
  AttributeInfo attribute;       // otherwise the attribute compared
  bool notBelow = false;         // ">=" rather than "="
  std::string value;
};

// Raises eInvalidFilter for a text that is not NAME=VALUE or NAME>=VALUE.
Filter ParseFilter(const std::string& text);

// Whether a stored value (or the id, for a filter on "cn") passes the filter.
bool Matches(const Filter& filter, const std::string& stored);

// The directory's order of ids: rt::TextCompare ascending, ids equal
// without regard to case ordered by their bytes.
int CompareIds(std::string_view a, std::string_view b);
inline bool IdLess(const std::string& a, const std::string& b) { return CompareIds(a, b) < 0; }

}  // namespace pellorin
