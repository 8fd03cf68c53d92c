// The rows of a recordset, shared by the recordset and its clones, and the
// table that writes go back to.
#pragma once

#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/engine.h"
#include "data/session_broker.h"

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
  ColumnList columns;  // shared with the statement they were read by
  // A deque: reading adds rows without moving those read before, and
  // freeing them gives back small blocks rather than one large one.
  std::deque<Row> rows;
  int32_t visible = 0;  // rows not hidden

  // The one table that all table columns come from; empty when the rows
  // cannot be written back (a join, or expressions only).
  std::string table;
  std::vector<int32_t> keys;  // positions of the table's primary key columns
  int32_t identity = -1;      // position of the table's identity column
  // The table's columns, and for each field the position of its column
  // there (-1 for a field that is none of them).
  std::vector<TableColumn> tableColumns;
  std::vector<int32_t> tableColumnOf;

  // A writable recordset reads its rows when they are first needed: the
  // query, run again from its start then. Rows that the recordset inserted
  // meanwhile are in `rows` already and are skipped, by their keys.
  std::unique_ptr<Statement> pending;
  std::shared_ptr<DeferredRead> reader;  // what the session reads before other work
  std::unordered_set<std::string> inserted;

  // A forward-only, read-only recordset steps its statement as it is moved:
  // `stepping` holds the statement while rows are left to read. A failed
  // step ends it and is kept: every later need of a row past those read
  // raises it again.
  std::unique_ptr<Statement> stepping;
  std::exception_ptr failure;
  bool Stepped() const { return stepping || failure; }

  // Statement texts of the writes, kept between rows.
  struct WriteTexts {
    std::vector<bool> assigned;  // the fields of the insert
    std::vector<int32_t> valueOf;  // a field's place among the insert's values, or -1
    std::string insertSql;
    std::string readBackSql;
    std::vector<size_t> readBack;  // the fields the read-back fills
  } texts;
  // The fields that a new row's read-back fills, and its text, made once.
  void MakeReadBack(Session& session);

  static constexpr size_t kScannedFields = 16;

  const std::vector<ColumnInfo>& Columns() const { return *columns; }
  void Index();
  int32_t Find(std::string_view name) const;  // -1 when none
  void ResolveTable(Session& session);
  // Whether an inserted row can be told from the rows read later.
  bool CanKeyRows() const { return identity >= 0 || !keys.empty(); }
  // The text of a row's key (its identity, else its primary key columns).
  std::string KeyText(const std::vector<rt::Variant>& values) const;
  // An expression column has no declared type: it takes its first value's.
  void TypeExpressionColumns();
  void SetColumnType(size_t index, const TypeInfo& type);

 private:
  std::unordered_map<std::string, int32_t> byName_;
};

}  // namespace data
