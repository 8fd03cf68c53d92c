// The statements of keyset paging over a list's query: the list is ordered
// by its sort fields and then its key columns, and a page is found by
// seeking past the sort values of the row before it, so that a page costs
// one page of rows however deep in the list it lies.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "suite/tamrick/list_position.h"

namespace tamrick {

struct OrderItem {
  std::string column;  // as the query's result spells it
  bool descending = false;
};

// The list's order: the sort fields ("NAME1, CITY1 DESC"; a table prefix is
// dropped), then the key columns ascending. Every name must be a column of
// the query's result (`columns`); anything else raises 5 naming it, so no
// caller text reaches the statements.
std::vector<OrderItem> ListOrder(const std::string& sortFields, const std::string& keyColumns,
                                 const std::vector<std::string>& columns);

class KeysetQuery {
 public:
  KeysetQuery(std::string sql, std::vector<OrderItem> order) : sql_(std::move(sql)), order_(std::move(order)) {}

  const std::vector<OrderItem>& Order() const { return order_; }

  // Up to `size` rows after `after` (from the start without it).
  std::string Page(int32_t size, const std::optional<SortKey>& after, std::vector<rt::Variant>& params) const;
  // The order columns of the row `offset` rows (from 0) after `after`.
  std::string RowAfter(int64_t offset, const std::optional<SortKey>& after, std::vector<rt::Variant>& params) const;
  // The order columns of the row `offset` rows (from 0) back from `from`
  // (offset 0 is `from` itself).
  std::string RowBack(int64_t offset, const SortKey& from, std::vector<rt::Variant>& params) const;
  std::string Count() const;
  // The query's columns, no rows.
  static std::string Columns(const std::string& sql);

 private:
  std::string From() const { return " FROM (" + sql_ + ") AS DRS_LIST"; }
  std::string OrderBy(bool reversed) const;
  std::string ColumnList() const;
  std::string After(const SortKey& key, std::vector<rt::Variant>& params) const;
  std::string AtOrBefore(const SortKey& key, std::vector<rt::Variant>& params) const;

  std::string sql_;
  std::vector<OrderItem> order_;
};

}  // namespace tamrick
