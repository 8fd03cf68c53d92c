// Where a paged list stands, kept as text between requests: the page size,
// the page number, and the sort values of the rows that bound the page, so
// that the next request seeks to its page through the list's order (keyset
// paging) instead of reading and skipping the rows before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/variant.h"

namespace tamrick {

// The values of the order columns of one row.
using SortKey = std::vector<rt::Variant>;

struct ListPosition {
  uint64_t listHash = 0;  // the list (query, key and sort) the position belongs to
  int32_t pageSize = 0;
  int32_t page = 1;
  std::optional<SortKey> before;  // the last row before the page; none on page 1
  std::optional<SortKey> last;    // the page's last row; none when the page is empty

  std::string ToText() const;
  // Nothing for text that is no position (an empty or foreign state).
  static std::optional<ListPosition> FromText(const std::string& text);
};

uint64_t ListHash(const std::string& sql, const std::string& keyColumns, const std::string& sortFields);

}  // namespace tamrick
