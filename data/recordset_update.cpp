// ADODB.Recordset: edits, new rows, deletes, and writing them back to the
// table the rows come from (at once, or by UpdateBatch).
#include <strings.h>

#include "data/ado_errors.h"
#include "data/column_fit.h"
#include "data/data_types.h"
#include "data/recordset.h"
#include "data/recordset_rows.h"

namespace data {

namespace {

constexpr const char* kSource = "ADODB.Recordset";

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

// --- RowSet -------------------------------------------------------------------

// Most recordsets have a few fields: those are found by a scan; a wide
// one gets a map by lower-case name.
void RowSet::Index() {
  byName_.clear();
  const auto& columns = Columns();
  if (columns.size() <= kScannedFields) return;
  for (size_t i = 0; i < columns.size(); ++i) byName_.emplace(Lower(columns[i].name), static_cast<int32_t>(i));
}

int32_t RowSet::Find(std::string_view name) const {
  const auto& columns = Columns();
  if (columns.size() <= kScannedFields) {
    for (size_t i = 0; i < columns.size(); ++i) {
      const std::string& c = columns[i].name;
      // Names of one length are told apart by their first letter before
      // the whole name is compared (both letter cases fold to one by 0x20).
      if (c.size() == name.size() && (c.empty() || (c[0] | 0x20) == (name[0] | 0x20)) &&
          strncasecmp(c.data(), name.data(), c.size()) == 0)
        return static_cast<int32_t>(i);
    }
    return -1;
  }
  auto it = byName_.find(Lower(name));
  return it == byName_.end() ? -1 : it->second;
}

void RowSet::ResolveTable(Session& session) {
  const auto& columns = Columns();
  std::string base;
  for (const ColumnInfo& c : columns) {
    if (c.baseTable.empty()) continue;
    if (base.empty()) base = c.baseTable;
    if (strcasecmp(base.c_str(), c.baseTable.c_str()) != 0) return;  // a join: read-only
  }
  if (base.empty()) return;
  std::vector<TableColumn> tableColumns = session.TableColumns(base);
  // The primary key finds a row; a table without one is keyed by its first
  // unique index.
  bool hasPrimaryKey = false;
  for (const TableColumn& tc : tableColumns) hasPrimaryKey = hasPrimaryKey || tc.primaryKey;
  std::vector<int32_t> keyPositions;
  bool allKeys = true;
  for (const TableColumn& tc : tableColumns) {
    int32_t pos = -1;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (strcasecmp(columns[i].baseColumn.c_str(), tc.name.c_str()) == 0 &&
          strcasecmp(columns[i].baseTable.c_str(), base.c_str()) == 0)
        pos = static_cast<int32_t>(i);
    }
    if (hasPrimaryKey ? tc.primaryKey : tc.uniqueKey) {
      if (pos < 0) allKeys = false;
      keyPositions.push_back(pos);
    }
    if (tc.identity) identity = pos;
  }
  table = base;
  if (allKeys) keys = keyPositions;
  tableColumnOf.assign(columns.size(), -1);
  for (size_t t = 0; t < tableColumns.size(); ++t) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (strcasecmp(columns[i].baseColumn.c_str(), tableColumns[t].name.c_str()) == 0 &&
          strcasecmp(columns[i].baseTable.c_str(), base.c_str()) == 0)
        tableColumnOf[i] = static_cast<int32_t>(t);
    }
  }
  this->tableColumns = std::move(tableColumns);
  for (Row& r : rows) {
    if (r.original.empty()) r.original = r.values;
  }
}

std::string RowSet::KeyText(const std::vector<rt::Variant>& values) const {
  std::string text;
  auto add = [&](int32_t position) {
    const rt::Variant& v = values[position];
    text += static_cast<char>('A' + static_cast<int>(v.Type()) % 26);
    if (!v.IsNull()) text += rt::CStr(v);
    text += '\x1f';
  };
  if (identity >= 0) {
    add(identity);
  } else {
    for (int32_t k : keys) add(k);
  }
  return text;
}

void RowSet::TypeExpressionColumns() {
  std::shared_ptr<std::vector<ColumnInfo>> typed;
  for (size_t i = 0; i < columns->size(); ++i) {
    if ((*columns)[i].type.adoType != adtype::kEmpty) continue;
    if (!typed) typed = std::make_shared<std::vector<ColumnInfo>>(*columns);
    rt::Variant first;
    for (const Row& r : rows) {
      if (!r.values[i].IsNull()) {
        first = r.values[i];
        break;
      }
    }
    (*typed)[i].type = TypeOfValue(first);
  }
  if (typed) columns = std::move(typed);
}

void RowSet::SetColumnType(size_t index, const TypeInfo& type) {
  auto typed = std::make_shared<std::vector<ColumnInfo>>(*columns);
  (*typed)[index].type = type;
  columns = std::move(typed);
}

// --- edits --------------------------------------------------------------------

void Recordset::RequireWritable() {
  RowSet& r = Known();
  if (lockType_ == kLockReadOnly || r.table.empty())
    adoerr::Raise(adoerr::kNotUpdatable, kSource,
                  lockType_ == kLockReadOnly ? "The recordset is read-only (its lock type is read-only)."
                                             : "The recordset's rows do not come from one table and cannot be updated.");
}

void Recordset::SetValue(int32_t index, const rt::Variant& value) {
  RequireWritable();
  const ColumnInfo& column = Column(index);
  size_t current = CurrentRow();
  RowSet& r = *rows_;
  if (index == r.identity)
    adoerr::Raise(adoerr::kFieldNotWritable, kSource,
                  "The field '" + column.name + "' is the table's identity and cannot be written.");
  if (column.baseTable.empty())
    adoerr::Raise(adoerr::kFieldNotWritable, kSource,
                  "The field '" + column.name + "' is computed by the query and cannot be written.");
  rt::Variant stored = ConvertForField(value, column.type);
  if (column.type.padTo > 0 && stored.IsString()) {
    std::string& s = *stored.Get<std::string>();
    int32_t n = CharacterCount(s);
    if (n < column.type.padTo) s.append(column.type.padTo - n, ' ');
  }
  Row& row = r.rows[current];
  if (edit_ == EditMode::None) {
    edit_ = EditMode::Edit;
    editBackup_ = row.values;
  }
  if (row.changed.size() != row.values.size()) row.changed.assign(row.values.size(), false);
  row.values[index] = std::move(stored);
  row.changed[index] = true;
}

void Recordset::AddNew() {
  RequireWritable();
  FinishEdit();
  RowSet& r = *rows_;
  Row row;
  row.values.assign(r.Columns().size(), rt::Variant::Null());
  row.original = row.values;
  row.changed.assign(r.Columns().size(), false);
  row.status = Row::Status::New;
  positionBeforeAdd_ = position_;
  startBeforeAdd_ = atStart_;
  atStart_ = false;
  r.rows.push_back(std::move(row));
  ++r.visible;
  position_ = static_cast<ptrdiff_t>(r.rows.size()) - 1;
  edit_ = EditMode::Add;
  editBackup_.clear();
}

void Recordset::CheckConnectionForWrite() {
  if (!connection_ || connection_->State() != kStateOpen)
    adoerr::Raise(adoerr::kConnectionUnusable, kSource,
                  "The recordset has no open connection to write its changes to.");
}

void Recordset::Update() {
  RequireOpen();
  if (edit_ == EditMode::None) return;
  size_t current = CurrentRow();
  Row& row = rows_->rows[current];
  if (lockType_ == kLockBatchOptimistic) {
    if (row.status == Row::Status::Unchanged) row.status = Row::Status::Modified;
  } else {
    CheckConnectionForWrite();
    // A row that cannot be told from those read later is written after them.
    if (rows_->pending && !rows_->CanKeyRows()) {
      ReadPendingRows();
      current = CurrentRow();
    }
    if (edit_ == EditMode::Add) {
      // The insert and the read-back of its new row are one unit (inside a
      // transaction under a savepoint, outside it in a transaction of its
      // own): a failed read-back must not leave a row the caller was told
      // failed, even when the caller goes on and commits. A row whose stored
      // values are known needs no read-back, and its insert alone is all or
      // nothing.
      connection_->Guard([&] {
        PlanInsert(current, insert_);
        if (insert_.known) {
          RunInsert(current, insert_);
        } else {
          RunAsUnit(connection_->Lease(), [&] { RunInsert(current, insert_); });
        }
      });
    } else {
      WriteRow(current, false);
    }
    Row& written = rows_->rows[current];
    written.status = Row::Status::Unchanged;
    written.original = written.values;
    written.changed.assign(written.values.size(), false);
  }
  edit_ = EditMode::None;
  editBackup_.clear();
}

void Recordset::FinishEdit() {
  if (rows_ && edit_ != EditMode::None) Update();
}

void Recordset::CancelUpdate() {
  RequireOpen();
  if (edit_ == EditMode::Add) {
    Row& row = rows_->rows[static_cast<size_t>(position_)];
    row.hidden = true;
    row.status = Row::Status::Unchanged;
    --rows_->visible;
    position_ = positionBeforeAdd_;
    atStart_ = startBeforeAdd_;
    if (position_ < 0 || position_ >= static_cast<ptrdiff_t>(rows_->rows.size())) Seek(0, 1);
  } else if (edit_ == EditMode::Edit) {
    Row& row = rows_->rows[static_cast<size_t>(position_)];
    row.values = editBackup_;
    row.changed.assign(row.values.size(), false);
  }
  edit_ = EditMode::None;
  editBackup_.clear();
}

void Recordset::Delete() {
  RequireWritable();
  if (edit_ == EditMode::Add) {
    CancelUpdate();
    return;
  }
  if (edit_ == EditMode::Edit) CancelUpdate();
  size_t current = CurrentRow();
  Row& row = rows_->rows[current];
  if (lockType_ == kLockBatchOptimistic) {
    row.status = row.status == Row::Status::New ? Row::Status::Unchanged : Row::Status::Deleted;
  } else {
    CheckConnectionForWrite();
    row.status = Row::Status::Deleted;
    try {
      WriteRow(current, false);
    } catch (...) {
      rows_->rows[current].status = Row::Status::Unchanged;
      throw;
    }
    rows_->rows[current].status = Row::Status::Unchanged;
  }
  rows_->rows[current].hidden = true;
  --rows_->visible;
}

void Recordset::UpdateBatch() {
  RequireWritable();
  FinishEdit();
  CheckConnectionForWrite();
  if (rows_->pending && !rows_->CanKeyRows()) ReadPendingRows();
  RowSet& r = *rows_;
  std::deque<Row> saved = r.rows;
  std::unordered_set<std::string> savedInserted = r.inserted;
  try {
    connection_->Guard([&] {
      RunAsUnit(connection_->Lease(), [&] {
        for (size_t i = 0; i < r.rows.size(); ++i) {
          const Row& row = r.rows[i];
          if (row.status == Row::Status::Unchanged) continue;
          if (row.status == Row::Status::New && row.hidden) continue;
          WriteRow(i, row.status == Row::Status::New);
        }
      });
    });
  } catch (...) {
    r.rows = std::move(saved);
    r.inserted = std::move(savedInserted);
    throw;
  }
  for (Row& row : r.rows) {
    row.status = Row::Status::Unchanged;
    row.original = row.values;
    row.changed.assign(row.values.size(), false);
  }
}

void Recordset::CancelBatch() {
  RequireOpen();
  if (edit_ != EditMode::None) CancelUpdate();
  ReadPendingRows();
  RowSet& r = *rows_;
  for (Row& row : r.rows) {
    switch (row.status) {
      case Row::Status::New:
        if (!row.hidden) --r.visible;
        row.hidden = true;
        break;
      case Row::Status::Modified: row.values = row.original; break;
      case Row::Status::Deleted:
        row.hidden = false;
        ++r.visible;
        break;
      default: break;
    }
    row.status = Row::Status::Unchanged;
    row.changed.assign(row.values.size(), false);
  }
  Seek(0, 1);
}

// --- writing one row ------------------------------------------------------------

void Recordset::WriteRow(size_t index, bool adding) {
  RowSet& r = *rows_;
  Row& row = r.rows[index];
  Session& session = *connection_->Lease().session;
  const SessionLease& lease = connection_->Lease();
  auto q = [&](const std::string& name) { return session.QuoteName(name); };
  const std::string table = q(r.table);

  auto keyWhere = [&](std::vector<rt::Variant>& params) {
    if (r.keys.empty())
      adoerr::Raise(rt::hr::kFail, kSource,
                    "The recordset lacks the key columns of table '" + r.table + "' needed to find the row.");
    // IS, not =: a key column of a unique index may hold Null, which = never matches.
    std::string where;
    for (int32_t k : r.keys) {
      where += (where.empty() ? " WHERE " : " AND ") + q(r.Columns()[k].baseColumn) + " IS ?";
      params.push_back(row.original[k]);
    }
    return where;
  };
  auto run = [&](const std::string& sql, const std::vector<rt::Variant>& params) {
    std::unique_ptr<Statement> st = session.Prepare(sql);
    for (size_t i = 0; i < params.size(); ++i) st->Bind(static_cast<int>(i + 1), params[i]);
    return RunPrepared(lease, *st, sql, r.reader.get());
  };

  connection_->Guard([&] {
    std::vector<rt::Variant> params;
    if (row.status == Row::Status::Deleted) {
      std::string sql = "DELETE FROM " + table;
      sql += keyWhere(params);
      if (run(sql, params) == 0)
        adoerr::Raise(adoerr::kRowNotFound, kSource, "The row to delete from '" + r.table + "' was not found.");
      return;
    }
    if (!adding) {
      std::string set;
      for (size_t i = 0; i < r.Columns().size(); ++i) {
        if (i >= row.changed.size() || !row.changed[i]) continue;
        set += (set.empty() ? "" : ", ") + q(r.Columns()[i].baseColumn) + " = ?";
        params.push_back(FitValue(row.values[i], r.Columns()[i].type));
      }
      if (set.empty()) return;
      std::string sql = "UPDATE " + table + " SET " + set;
      sql += keyWhere(params);
      if (run(sql, params) == 0)
        adoerr::Raise(adoerr::kRowNotFound, kSource,
                      "The row to update in '" + r.table + "' was not found; it may have changed since it was read.");
      return;
    }
    PlanInsert(index, insert_);
    RunInsert(index, insert_);
  });
}

void RowSet::MakeReadBack(Session& session) {
  if (!texts.readBackSql.empty()) return;
  auto q = [&](const std::string& name) { return session.QuoteName(name); };
  std::string where;
  if (identity >= 0) {
    where = " WHERE " + q(Columns()[identity].baseColumn) + " = ?";
  } else {
    for (int32_t k : keys) where += (where.empty() ? " WHERE " : " AND ") + q(Columns()[k].baseColumn) + " IS ?";
  }
  std::string list;
  for (size_t i = 0; i < Columns().size(); ++i) {
    if (Columns()[i].baseTable.empty() || strcasecmp(Columns()[i].baseTable.c_str(), table.c_str()) != 0) continue;
    list += (list.empty() ? "" : ", ") + q(Columns()[i].baseColumn);
    texts.readBack.push_back(i);
  }
  texts.readBackSql = "SELECT " + list + " FROM " + q(table) + where;
}

void Recordset::PlanInsert(size_t index, Insert& insert) {
  RowSet& r = *rows_;
  Row& row = r.rows[index];
  Session& session = *connection_->Lease().session;
  insert.values.clear();
  insert.stored.clear();
  insert.known = false;
  // The texts of an insert and of its read-back are kept: rows added one
  // after another mostly assign the same fields.
  RowSet::WriteTexts& texts = r.texts;
  const size_t fields = r.Columns().size();
  std::vector<int32_t>& valueOf = texts.valueOf;
  valueOf.assign(fields, -1);
  bool sameFields = texts.assigned.size() == fields;
  for (size_t i = 0; i < fields; ++i) {
    const bool assigned = i < row.changed.size() && row.changed[i];
    sameFields = sameFields && texts.assigned[i] == assigned;
    if (!assigned) continue;
    valueOf[i] = static_cast<int32_t>(insert.values.size());
    insert.values.push_back(FitValue(row.values[i], r.Columns()[i].type));
  }
  if (texts.insertSql.empty() || !sameFields) {
    texts.assigned.assign(fields, false);
    std::string names, marks;
    for (size_t i = 0; i < fields; ++i) {
      if (valueOf[i] < 0) continue;
      texts.assigned[i] = true;
      names += (names.empty() ? "" : ", ") + session.QuoteName(r.Columns()[i].baseColumn);
      marks += marks.empty() ? "?" : ", ?";
    }
    const std::string table = session.QuoteName(r.table);
    texts.insertSql = names.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                    : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
  }
  // A row the recordset cannot find again is not read back at all.
  if (r.identity < 0 && r.keys.empty()) {
    insert.known = true;
    return;
  }
  // Each field of the table as a read of the new row would give it: the
  // value bound to its column, or the column's default. The identity comes
  // from the insert.
  r.MakeReadBack(session);
  for (size_t field : texts.readBack) {
    const int32_t column = r.tableColumnOf.empty() ? -1 : r.tableColumnOf[field];
    if (column < 0) return;
    const TableColumn& tc = r.tableColumns[column];
    if (static_cast<int32_t>(field) == r.identity) {
      if (tc.triggered) return;
      insert.stored.emplace_back();
      continue;
    }
    const rt::Variant* bound = valueOf[field] >= 0 ? &insert.values[valueOf[field]] : nullptr;
    std::optional<rt::Variant> stored = session.InsertedValue(tc, r.Columns()[field].type, bound);
    if (!stored) return;
    insert.stored.push_back(std::move(*stored));
  }
  insert.known = true;
}

void Recordset::RunInsert(size_t index, Insert& insert) {
  RowSet& r = *rows_;
  Row& row = r.rows[index];
  Session& session = *connection_->Lease().session;
  const SessionLease& lease = connection_->Lease();
  RowSet::WriteTexts& texts = r.texts;
  {
    std::unique_ptr<Statement> st = session.Prepare(texts.insertSql);
    for (size_t i = 0; i < insert.values.size(); ++i) st->Bind(static_cast<int>(i + 1), insert.values[i]);
    RunPrepared(lease, *st, texts.insertSql, r.reader.get());
  }
  // The new row as stored: its identity and the defaults the table filled in.
  std::vector<rt::Variant> keyValues;
  if (r.identity >= 0) {
    row.values[r.identity] = rt::Variant(static_cast<int32_t>(session.LastInsertId()));
    keyValues.push_back(row.values[r.identity]);
  } else if (!r.keys.empty()) {
    for (int32_t k : r.keys) keyValues.push_back(row.values[k]);
  } else {
    return;
  }
  if (insert.known) {
    for (size_t i = 0; i < texts.readBack.size(); ++i) {
      const size_t field = texts.readBack[i];
      if (static_cast<int32_t>(field) != r.identity) {
        row.values[field] = std::move(insert.stored[i]);
        continue;
      }
      const rt::Variant id(rt::Decimal{session.LastInsertId(), 0});
      if (std::optional<rt::Variant> stored =
              session.InsertedValue(r.tableColumns[r.tableColumnOf[field]], r.Columns()[field].type, &id))
        row.values[field] = std::move(*stored);
    }
  } else {
    r.MakeReadBack(session);
    std::unique_ptr<Statement> st = session.Prepare(texts.readBackSql);
    for (size_t i = 0; i < keyValues.size(); ++i) st->Bind(static_cast<int>(i + 1), keyValues[i]);
    if (st->Step()) {
      for (size_t i = 0; i < texts.readBack.size(); ++i)
        row.values[texts.readBack[i]] = st->Value(static_cast<int>(i));
    }
  }
  if (r.pending) r.inserted.insert(r.KeyText(row.values));
}

}  // namespace data
