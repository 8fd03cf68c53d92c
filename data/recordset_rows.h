// The rows of a recordset, shared by the recordset and its clones, and the
// table that writes go back to.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/engine.h"

namespace data {

struct Row {
  enum class Status { Unchanged, New, Modified, Deleted };
  std::vector<rt::Variant> values;
  // The values as last read or written (writable recordsets only): the key
  // of an update and what CancelBatch returns to.
  std::vector<rt::Variant> original;
  std::vector<bool> changed;  // assigned since the row was last written
  Status status = Status::Unchanged;
  bool hidden = false;  // deleted, or added and cancelled
};

struct RowSet {
  std::vector<ColumnInfo> columns;
  std::vector<Row> rows;
  int32_t visible = 0;  // rows not hidden

  // The one table that all table columns come from; empty when the rows
  // cannot be written back (a join, or expressions only).
  std::string table;
  std::vector<int32_t> keys;  // positions of the table's primary key columns
  int32_t identity = -1;      // position of the table's identity column

  static constexpr size_t kScannedFields = 16;

  void Index();
  int32_t Find(std::string_view name) const;  // -1 when none
  void ResolveTable(Session& session);

 private:
  std::unordered_map<std::string, int32_t> byName_;
};

}  // namespace data
