// The statements of keyset paging.
#include "suite/tamrick/keyset_query.h"

#include <strings.h>

#include "runtime/com_error.h"

namespace tamrick {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Quote(const std::string& column) { return "[" + column + "]"; }

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!item.empty()) items.push_back(item);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

std::string Unquote(std::string name) {
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name = name.substr(dot + 1);
  if (name.size() >= 2 && ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"')))
    name = name.substr(1, name.size() - 2);
  return name;
}

std::string ResultColumn(const std::string& name, const std::vector<std::string>& columns, const char* what) {
  std::string bare = Unquote(name);
  for (const std::string& c : columns) {
    if (strcasecmp(c.c_str(), bare.c_str()) == 0) return c;
  }
  rt::Raise(rt::vberr::kInvalidProcedureCall, "Tamrick.DRecordset",
            std::string("The ") + what + " '" + name + "' is not a column of the list");
}

}  // namespace

std::vector<OrderItem> ListOrder(const std::string& sortFields, const std::string& keyColumns,
                                 const std::vector<std::string>& columns) {
  std::vector<OrderItem> order;
  auto has = [&](const std::string& c) {
    for (const OrderItem& o : order) {
      if (strcasecmp(o.column.c_str(), c.c_str()) == 0) return true;
    }
    return false;
  };
  for (const std::string& item : SplitList(sortFields)) {
    OrderItem o;
    std::string name = item;
    size_t space = item.find_last_of(" \t");
    if (space != std::string::npos) {
      std::string word = item.substr(space + 1);
      if (strcasecmp(word.c_str(), "DESC") == 0 || strcasecmp(word.c_str(), "ASC") == 0) {
        o.descending = strcasecmp(word.c_str(), "DESC") == 0;
        name = Trim(item.substr(0, space));
      }
    }
    o.column = ResultColumn(name, columns, "sort field");
    if (!has(o.column)) order.push_back(o);
  }
  std::vector<std::string> keys = SplitList(keyColumns);
  if (keys.empty()) rt::Raise(rt::vberr::kInvalidProcedureCall, "Tamrick.DRecordset", "The list has no key column");
  for (const std::string& key : keys) {
    std::string column = ResultColumn(key, columns, "key column");
    if (!has(column)) order.push_back(OrderItem{column, false});
  }
  return order;
}

std::string KeysetQuery::OrderBy(bool reversed) const {
  std::string out = " ORDER BY ";
  for (size_t i = 0; i < order_.size(); ++i) {
    out += (i ? ", " : "") + Quote(order_[i].column) + ((order_[i].descending != reversed) ? " DESC" : "");
  }
  return out;
}

std::string KeysetQuery::ColumnList() const {
  std::string out;
  for (size_t i = 0; i < order_.size(); ++i) out += (i ? ", " : "") + Quote(order_[i].column);
  return out;
}

// Rows after the key in the list's order: for some column i, equal on every
// column before i and after on column i. NULLs come first in ascending order
// and last in descending order, as both engines place them. When the first
// column ascends and its key is not NULL, every such row is at or after that
// key on it: saying so first lets the engine seek an index on the column to
// the key instead of walking the list from its start, which the OR of the
// terms alone does not let SQLite do with bound values.
std::string KeysetQuery::After(const SortKey& key, std::vector<rt::Variant>& params) const {
  std::string seek;
  if (!order_.empty() && !order_[0].descending && !key[0].IsNull()) {
    seek = Quote(order_[0].column) + " >= ? AND ";
    params.push_back(key[0]);
  }
  std::string out;
  for (size_t i = 0; i < order_.size(); ++i) {
    std::string term;
    for (size_t j = 0; j < i; ++j) {
      const std::string c = Quote(order_[j].column);
      if (key[j].IsNull()) {
        term += c + " IS NULL AND ";
      } else {
        term += c + " = ? AND ";
        params.push_back(key[j]);
      }
    }
    const std::string c = Quote(order_[i].column);
    bool null = key[i].IsNull();
    if (!order_[i].descending) {
      if (null) {
        term += c + " IS NOT NULL";
      } else {
        term += c + " > ?";
        params.push_back(key[i]);
      }
    } else {
      if (null) {
        term += "1 = 0";
      } else {
        term += "(" + c + " < ? OR " + c + " IS NULL)";
        params.push_back(key[i]);
      }
    }
    out += (out.empty() ? "(" : " OR (") + term + ")";
  }
  return "(" + seek + "(" + out + "))";
}

std::string KeysetQuery::AtOrBefore(const SortKey& key, std::vector<rt::Variant>& params) const {
  std::string out;
  for (size_t i = 0; i <= order_.size(); ++i) {
    std::string term;
    for (size_t j = 0; j < i; ++j) {
      const std::string c = Quote(order_[j].column);
      if (key[j].IsNull()) {
        term += (j ? " AND " : "") + c + " IS NULL";
      } else {
        term += (j ? " AND " : "") + c + " = ?";
        params.push_back(key[j]);
      }
    }
    if (i < order_.size()) {
      const std::string c = Quote(order_[i].column);
      bool null = key[i].IsNull();
      std::string before;
      if (!order_[i].descending) {
        before = null ? "1 = 0" : "(" + c + " < ? OR " + c + " IS NULL)";
      } else {
        before = null ? c + " IS NOT NULL" : c + " > ?";
      }
      if (!null) params.push_back(key[i]);
      term += (i ? " AND " : "") + before;
    }
    out += (out.empty() ? "(" : " OR (") + term + ")";
  }
  return "(" + out + ")";
}

std::string KeysetQuery::Page(int32_t size, const std::optional<SortKey>& after,
                              std::vector<rt::Variant>& params) const {
  std::string sql = "SELECT TOP " + std::to_string(size) + " *" + From();
  if (after) sql += " WHERE " + After(*after, params);
  return sql + OrderBy(false);
}

std::string KeysetQuery::RowAfter(int64_t offset, const std::optional<SortKey>& after,
                                  std::vector<rt::Variant>& params) const {
  std::string sql = "SELECT " + ColumnList() + From();
  if (after) sql += " WHERE " + After(*after, params);
  return sql + OrderBy(false) + " OFFSET " + std::to_string(offset) + " ROWS FETCH NEXT 1 ROWS ONLY";
}

std::string KeysetQuery::RowBack(int64_t offset, const SortKey& from, std::vector<rt::Variant>& params) const {
  return "SELECT " + ColumnList() + From() + " WHERE " + AtOrBefore(from, params) + OrderBy(true) + " OFFSET " +
         std::to_string(offset) + " ROWS FETCH NEXT 1 ROWS ONLY";
}

std::string KeysetQuery::Count() const { return "SELECT COUNT(*) AS N" + From(); }

std::string KeysetQuery::Columns(const std::string& sql) { return "SELECT * FROM (" + sql + ") AS DRS_LIST WHERE 1 = 0"; }

}  // namespace tamrick
