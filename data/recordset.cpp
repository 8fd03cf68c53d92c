// ADODB.Recordset: opening, navigation, fields and the late-bound members.
// The writes back to the table are in recordset_update.cpp.
#include "data/recordset.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>

#include "data/ado_classes.h"
#include "data/ado_errors.h"
#include "data/data_types.h"
#include "data/field.h"
#include "data/recordset_rows.h"
#include "data/tsql_translator.h"
#include "runtime/dispatch.h"

namespace data {

namespace {
constexpr const char* kSource = "ADODB.Recordset";
// The most rows that a move reads ahead of the row it moves to.
constexpr size_t kReadAhead = 64;
}

std::shared_ptr<Recordset> Recordset::New() {
  RegisterAdoClasses();
  return std::make_shared<Recordset>();
}

// A statement still stepped goes back before the connection (which this
// recordset may be the last to hold) gives its session back, so that the
// session is idle then and kept for reuse.
Recordset::~Recordset() { rows_.reset(); }

const rt::DispatchTable* Recordset::Dispatch() const {
  using R = Recordset;
  static const rt::DispatchTable table =
      rt::DispatchBuilder<R>("Recordset")
          .Get("CursorLocation", &R::CursorLocation)
          .Let("CursorLocation", &R::SetCursorLocation)
          .Get("CursorType", &R::CursorType)
          .Let("CursorType", &R::SetCursorType)
          .Get("LockType", &R::LockType)
          .Let("LockType", &R::SetLockType)
          .Get("ActiveConnection", &R::ActiveConnectionLate)
          .Let("ActiveConnection", &R::SetActiveConnectionLate)
          .Set("ActiveConnection", &R::SetActiveConnectionLate)
          .Method("Open", &R::OpenLate)
          .Method("Close", &R::Close)
          .Get("State", &R::State)
          .Get("Source", &R::Source)
          .Get("EOF", &R::EofLate)
          .Get("BOF", &R::BofLate)
          .Get("RecordCount", &R::RecordCount)
          .Get("AbsolutePosition", &R::AbsolutePosition)
          .Method("MoveFirst", &R::MoveFirst)
          .Method("MoveLast", &R::MoveLast)
          .Method("MoveNext", &R::MoveNext)
          .Method("MovePrevious", &R::MovePrevious)
          .Method("Move", &R::Move)
          .Get("Fields", &R::FieldsLate)
          .Let("Fields", &R::SetFieldLate)
          .Method("AddNew", &R::AddNewLate)
          .Method("Update", &R::UpdateLate)
          .Method("CancelUpdate", &R::CancelUpdate)
          .Method("Delete", &R::DeleteLate)
          .Method("UpdateBatch", &R::UpdateBatchLate)
          .Method("CancelBatch", &R::CancelBatchLate)
          .Method("Clone", &R::CloneLate)
          .Method("GetRows", &R::GetRowsLate)
          .Default("Fields")
          .Build();
  return &table;
}

RowSet& Recordset::Rows() {
  RequireOpen();
  ReadPendingRows();
  return *rows_;
}

RowSet& Recordset::Known() {
  RequireOpen();
  return *rows_;
}

// A recordset read as it is moved has read its current row and tried the
// next one; any other reads every row first.
RowSet& Recordset::Navigated() {
  RequireOpen();
  return rows_->Stepped() ? *rows_ : Rows();
}

void Recordset::RequireOpen() {
  if (!rows_) adoerr::Closed(kSource);
}

// --- opening and closing ----------------------------------------------------

void Recordset::SetActiveConnection(std::shared_ptr<Connection> connection) {
  if (connection_ == connection) return;
  // Rows still to read are read on the connection they were opened on.
  ReadPendingRows();
  if (ownsConnection_ && connection_ && connection_->State() == kStateOpen) connection_->Close();
  ownsConnection_ = false;
  pendingConnectionString_.clear();
  connection_ = std::move(connection);
}

void Recordset::Open(const std::string& source, std::shared_ptr<Connection> connection, int32_t cursorType,
                     int32_t lockType) {
  Open(source, std::move(connection), std::vector<rt::Variant>{}, cursorType, lockType);
}

void Recordset::Open(const std::string& source, const std::string& connectionString, int32_t cursorType,
                     int32_t lockType) {
  if (rows_) adoerr::Raise(adoerr::kObjectOpen, kSource, "The recordset is already open.");
  auto connection = Connection::New();
  connection->Open(connectionString);
  Open(source, connection, cursorType, lockType);
  ownsConnection_ = true;
}

void Recordset::Open(const std::string& source, std::shared_ptr<Connection> connection,
                     const std::vector<rt::Variant>& parameters, int32_t cursorType, int32_t lockType) {
  if (rows_) adoerr::Raise(adoerr::kObjectOpen, kSource, "The recordset is already open.");
  if (!connection) {
    adoerr::Raise(adoerr::kConnectionUnusable, kSource, "The recordset has no connection to open its source on.");
  }
  const SessionLease& lease = connection->Lease();
  if (cursorType != -1) cursorType_ = cursorType;
  if (lockType != -1) lockType_ = lockType;
  connection->Guard([&] {
    Execution ex = Run(lease, source, parameters);
    if (ex.rows) Load(std::move(ex.rows), source, connection, cursorType_, lockType_);
  });
  if (connection_ != connection) SetActiveConnection(connection);
}

namespace {

// The statement's current row (for rows read one group at a time).
Row RowOf(const Statement& st) {
  Row row;
  const int n = st.ColumnCount();
  row.values.reserve(n);
  for (int i = 0; i < n; ++i) row.values.push_back(st.Value(i));
  return row;
}

// Reads a statement's rows from where it stands, leaving out those that
// the recordset inserted itself (by their keys).
std::deque<Row> ReadRows(Statement& st, bool more, const RowSet& rows, bool writable) {
  std::deque<Row> out;
  for (; more; more = st.Step()) {
    Row row = RowOf(st);
    if (!rows.inserted.empty() && rows.inserted.count(rows.KeyText(row.values))) continue;
    if (writable) row.original = row.values;
    out.push_back(std::move(row));
  }
  return out;
}

}  // namespace

// What the session reads before other work: the rows a recordset deferred,
// or the rest of those it steps as it is moved (quietly: a failure is
// raised by the move that needs the rows).
class Recordset::PendingReader final : public DeferredRead {
 public:
  explicit PendingReader(std::weak_ptr<Recordset> recordset) : recordset_(std::move(recordset)) {}
  void ReadNow() override {
    auto rs = recordset_.lock();
    if (!rs || !rs->rows_) return;
    if (rs->rows_->stepping) {
      rs->StepUpTo(SIZE_MAX);
    } else {
      rs->ReadPendingRows();
    }
  }
  const SessionLease* RunningThrough() const override {
    auto rs = recordset_.lock();
    if (!rs || !rs->rows_ || !rs->rows_->stepping || !rs->connection_ || rs->connection_->State() != kStateOpen)
      return nullptr;
    return &rs->connection_->Lease();
  }

 private:
  std::weak_ptr<Recordset> recordset_;
};

void Recordset::Load(std::unique_ptr<Statement> st, const std::string& source, std::shared_ptr<Connection> connection,
                     int32_t cursorType, int32_t lockType) {
  auto rows = std::make_shared<RowSet>();
  bool more = st->Step();
  rows->columns = st->Columns();
  const bool writable = lockType != kLockReadOnly;
  const bool oneTable = writable && connection && ReadsOneTable(source);
  // Rows that may be written back are read when first needed: a recordset
  // opened on a whole table only to add a row reads none. The first step
  // has shown that the query runs and described its columns as they are.
  // A forward-only, read-only recordset keeps the first row and steps on as
  // it is moved: a caller that uses only the first row reads no other.
  const bool stepping = more && connection && cursorType == kCursorForwardOnly && lockType == kLockReadOnly;
  if (oneTable && st->Reset()) {
    rows->pending = std::move(st);
  } else if (stepping) {
    rows->rows.push_back(RowOf(*st));
    rows->stepping = std::move(st);
  } else {
    rows->rows = ReadRows(*st, more, *rows, writable);
    rows->TypeExpressionColumns();
  }
  rows->visible = static_cast<int32_t>(rows->rows.size());
  rows->Index();
  if (oneTable) rows->ResolveTable(*connection->Lease().session);
  SetActiveConnection(connection);
  rows_ = std::move(rows);
  source_ = source;
  cursorType_ = cursorType;
  lockType_ = lockType;
  edit_ = EditMode::None;
  position_ = -1;
  Seek(0, 1);
  atStart_ = rows_->pending != nullptr;
  if (rows_->pending || rows_->stepping) {
    rows_->reader = std::make_shared<PendingReader>(std::static_pointer_cast<Recordset>(Self()));
    DeferRead(connection->Lease(), rows_->reader);
  }
}

void Recordset::ReadPendingRows() {
  if (rows_ && rows_->Stepped()) {
    HaveRows(SIZE_MAX);
    return;
  }
  if (!rows_ || !rows_->pending) return;
  RowSet& r = *rows_;
  std::unique_ptr<Statement> st = std::move(r.pending);
  auto read = [&] {
    try {
      bool more = st->Step();
      // The schema may have changed since the recordset was opened: the
      // same columns take their types anew, other columns are refused.
      const ColumnList columns = st->Columns();
      if (columns != r.columns) {
        bool same = columns->size() == r.columns->size();
        for (size_t i = 0; same && i < columns->size(); ++i) {
          const ColumnInfo &now = (*columns)[i], &then = (*r.columns)[i];
          same = now.name == then.name && now.baseTable == then.baseTable && now.baseColumn == then.baseColumn;
        }
        if (!same)
          adoerr::Raise(rt::hr::kFail, kSource,
                        "The columns of '" + source_ + "' changed since the recordset was opened; open it again.");
        r.columns = columns;
      }
      return ReadRows(*st, more, r, true);
    } catch (...) {
      // Read again at the next need, or before the session's next statement.
      if (st->Reset()) {
        r.pending = std::move(st);
        if (connection_ && connection_->State() == kStateOpen) DeferRead(connection_->Lease(), r.reader);
      }
      throw;
    }
  };
  std::deque<Row> fetched = connection_ && connection_->State() == kStateOpen ? connection_->Guard(read) : read();
  st.reset();
  r.reader.reset();
  r.inserted.clear();
  const auto count = static_cast<ptrdiff_t>(fetched.size());
  r.rows.insert(r.rows.begin(), std::make_move_iterator(fetched.begin()), std::make_move_iterator(fetched.end()));
  r.visible += static_cast<int32_t>(count);
  r.TypeExpressionColumns();
  // The rows read come before those added meanwhile.
  if (atStart_) {
    Seek(0, 1);
  } else {
    position_ += count;
    if (positionBeforeAdd_ >= 0) positionBeforeAdd_ += count;
  }
  atStart_ = false;
}

void Recordset::StepUpTo(size_t count) {
  RowSet& r = *rows_;
  while (r.stepping && r.rows.size() < count) {
    try {
      if (!r.stepping->Step()) {
        EndStepping();
        return;
      }
      r.rows.push_back(RowOf(*r.stepping));
    } catch (...) {
      r.failure = std::current_exception();
      EndStepping();
      return;
    }
    ++r.visible;
  }
}

bool Recordset::HaveRows(size_t count) {
  StepUpTo(count);
  RowSet& r = *rows_;
  if (r.rows.size() >= count) return true;
  if (r.failure) {
    const std::exception_ptr failure = r.failure;
    auto raise = [&] { std::rethrow_exception(failure); };
    if (connection_ && connection_->State() == kStateOpen) connection_->Guard(raise);
    raise();
  }
  return false;
}

// The statement goes back to the session (which is idle again when nothing
// else runs on it); the expression columns take their types from all rows.
void Recordset::EndStepping() {
  RowSet& r = *rows_;
  r.stepping.reset();
  r.reader.reset();
  if (!r.failure) r.TypeExpressionColumns();
}

void Recordset::Close() {
  RequireOpen();
  if (edit_ != EditMode::None && lockType_ != kLockBatchOptimistic)
    adoerr::Raise(adoerr::kNotAllowedInContext, kSource,
                  "An edit of the current record is in progress; call Update or CancelUpdate before Close.");
  rows_.reset();
  edit_ = EditMode::None;
  position_ = -1;
  if (ownsConnection_) SetActiveConnection(nullptr);
}

// --- position -----------------------------------------------------------------

void Recordset::Seek(ptrdiff_t from, int step) {
  // Moving forward reads the row moved to (the rows stepped are never hidden),
  // and as the moves go on, rows ahead of it: as many as were read before,
  // up to kReadAhead. Stepping alone between the caller's work on each row
  // costs more than stepping a group at a time.
  if (step > 0 && from >= 0 && rows_->Stepped()) {
    const size_t needed = static_cast<size_t>(from) + 1;
    const size_t read = rows_->rows.size();
    if (needed > read) StepUpTo(std::max(needed, read + std::min(read, kReadAhead)));
    HaveRows(needed);
  }
  const auto& rows = rows_->rows;
  ptrdiff_t size = static_cast<ptrdiff_t>(rows.size());
  ptrdiff_t i = from;
  while (i >= 0 && i < size && rows[i].hidden) i += step;
  position_ = i < 0 ? -1 : (i >= size ? size : i);
}

bool Recordset::Eof() {
  RowSet& r = Navigated();
  return r.visible == 0 || position_ >= static_cast<ptrdiff_t>(r.rows.size());
}

bool Recordset::Bof() {
  RowSet& r = Navigated();
  return r.visible == 0 || position_ < 0;
}

int32_t Recordset::RecordCount() { return Rows().visible; }

int32_t Recordset::AbsolutePosition() {
  if (Bof()) return -2;
  if (Eof()) return -3;
  int32_t n = 0;
  for (ptrdiff_t i = 0; i <= position_; ++i) n += rows_->rows[i].hidden ? 0 : 1;
  return n;
}

void Recordset::MoveFirst() {
  RequireOpen();
  FinishEdit();
  Rows();
  Seek(0, 1);
}

void Recordset::MoveLast() {
  RequireOpen();
  FinishEdit();
  Rows();
  Seek(static_cast<ptrdiff_t>(rows_->rows.size()) - 1, -1);
  if (position_ < 0) position_ = static_cast<ptrdiff_t>(rows_->rows.size());
}

void Recordset::MoveNext() {
  if (Eof()) adoerr::NoCurrentRecord(kSource);
  FinishEdit();
  Seek(position_ + 1, 1);
}

void Recordset::MovePrevious() {
  Rows();
  if (Bof()) adoerr::NoCurrentRecord(kSource);
  FinishEdit();
  Seek(position_ - 1, -1);
}

void Recordset::Move(int32_t count) {
  if (count < 0) {
    Rows();
  } else {
    Navigated();
  }
  if (count == 0) return;
  if ((count > 0 && Eof()) || (count < 0 && Bof())) adoerr::NoCurrentRecord(kSource);
  FinishEdit();
  int step = count > 0 ? 1 : -1;
  for (int32_t k = 0; k < std::abs(count); ++k) {
    Seek(position_ + step, step);
    if (position_ < 0 || position_ >= static_cast<ptrdiff_t>(rows_->rows.size())) break;
  }
}

// Before the rows are read the only current row is one added meanwhile.
size_t Recordset::CurrentRow() {
  RowSet& r = atStart_ ? Rows() : Known();
  if (position_ < 0 || position_ >= static_cast<ptrdiff_t>(r.rows.size()) || r.rows[position_].hidden)
    adoerr::NoCurrentRecord(kSource);
  return static_cast<size_t>(position_);
}

// --- fields -------------------------------------------------------------------

int32_t Recordset::FieldCount() { return static_cast<int32_t>(Known().Columns().size()); }

const ColumnInfo& Recordset::Column(int32_t index) {
  if (ColumnAt(index).type.adoType == adtype::kEmpty && rows_->Stepped()) TypeFromRows(index);
  return rows_->Columns()[index];
}

// An expression column of rows read as they go takes the type of its first
// value that is not Null: the rows are read up to that value.
void Recordset::TypeFromRows(int32_t index) {
  RowSet& r = *rows_;
  for (size_t i = 0; HaveRows(i + 1); ++i) {
    const rt::Variant& value = r.rows[i].values[index];
    if (!value.IsNull()) {
      r.SetColumnType(static_cast<size_t>(index), TypeOfValue(value));
      return;
    }
  }
}

const ColumnInfo& Recordset::ColumnAt(int32_t index) {
  RowSet& r = Known();
  if (index < 0 || index >= static_cast<int32_t>(r.Columns().size()))
    adoerr::Raise(adoerr::kItemNotFound, kSource, "No field at position " + std::to_string(index) + ".");
  // An expression's type is that of its first value.
  if (r.pending && r.Columns()[index].type.adoType == adtype::kEmpty) ReadPendingRows();
  return r.Columns()[index];
}

int32_t Recordset::ColumnIndex(std::string_view name) { return Known().Find(name); }

std::shared_ptr<data::Fields> Recordset::Fields() {
  RequireOpen();
  return std::make_shared<data::Fields>(std::static_pointer_cast<Recordset>(Self()));
}

std::shared_ptr<data::Field> Recordset::Field(const rt::Variant& nameOrIndex) {
  RequireOpen();
  int32_t index;
  if (nameOrIndex.IsString()) {
    index = ColumnIndex(*nameOrIndex.Get<std::string>());
    if (index < 0)
      adoerr::Raise(adoerr::kItemNotFound, kSource,
                    "No field named '" + *nameOrIndex.Get<std::string>() + "' in the recordset.");
  } else {
    index = rt::CLng(nameOrIndex);
    Column(index);
  }
  return std::make_shared<data::Field>(std::static_pointer_cast<Recordset>(Self()), index);
}

rt::Variant Recordset::Value(int32_t index) {
  ColumnAt(index);
  return rows_->rows[CurrentRow()].values[index];
}

rt::Variant Recordset::Value(std::string_view field) {
  int32_t index = ColumnIndex(field);
  if (index < 0)
    adoerr::Raise(adoerr::kItemNotFound, kSource, "No field named '" + std::string(field) + "' in the recordset.");
  return Value(index);
}

rt::Variant Recordset::OriginalValue(int32_t index) {
  ColumnAt(index);
  const Row& row = rows_->rows[CurrentRow()];
  return row.original.empty() ? row.values[index] : row.original[index];
}

void Recordset::SetValue(std::string_view field, const rt::Variant& value) {
  int32_t index = ColumnIndex(field);
  if (index < 0)
    adoerr::Raise(adoerr::kItemNotFound, kSource, "No field named '" + std::string(field) + "' in the recordset.");
  SetValue(index, value);
}

// --- clones and arrays ----------------------------------------------------------

std::shared_ptr<Recordset> Recordset::Clone() {
  Rows();
  auto clone = Recordset::New();
  clone->rows_ = rows_;
  clone->cursorLocation_ = cursorLocation_;
  clone->cursorType_ = cursorType_;
  clone->lockType_ = lockType_;
  clone->source_ = source_;
  clone->connection_ = connection_;
  clone->Seek(0, 1);
  return clone;
}

rt::Variant Recordset::GetRows(int32_t count) {
  if (Eof()) adoerr::NoCurrentRecord(kSource);
  FinishEdit();
  if (count < 0) {
    Rows();
  } else {
    HaveRows(static_cast<size_t>(position_) + static_cast<size_t>(count));
  }
  std::vector<size_t> picked;
  const auto& rows = rows_->rows;
  for (size_t i = static_cast<size_t>(position_); i < rows.size(); ++i) {
    if (count >= 0 && static_cast<int32_t>(picked.size()) >= count) break;
    if (!rows[i].hidden) picked.push_back(i);
  }
  int32_t fields = static_cast<int32_t>(rows_->Columns().size());
  auto array = rt::SafeArray::TwoDim(0, fields - 1, 0, static_cast<int32_t>(picked.size()) - 1);
  for (int32_t f = 0; f < fields; ++f) {
    for (size_t r = 0; r < picked.size(); ++r) array->At(f, static_cast<int32_t>(r)) = rows[picked[r]].values[f];
  }
  Seek(picked.empty() ? position_ : static_cast<ptrdiff_t>(picked.back()) + 1, 1);
  return rt::Variant(array);
}

// --- late-bound adapters ----------------------------------------------------------

rt::Variant Recordset::ActiveConnectionLate() {
  if (connection_) return rt::Variant(rt::ObjectPtr(connection_));
  if (!pendingConnectionString_.empty()) return rt::Variant(pendingConnectionString_);
  return rt::Variant::Nothing();
}

void Recordset::SetActiveConnectionLate(const rt::Variant& v) {
  if (v.IsString()) {
    SetActiveConnection(nullptr);
    pendingConnectionString_ = *v.Get<std::string>();
    return;
  }
  if (v.IsObject() && !v.IsNothing()) {
    auto connection = std::dynamic_pointer_cast<Connection>(v.AsObject());
    if (!connection) rt::RaiseVb(rt::vberr::kTypeMismatch);
    SetActiveConnection(connection);
    return;
  }
  SetActiveConnection(nullptr);
}

void Recordset::OpenLate(const rt::Variant& source, const rt::Variant& connection, std::optional<int32_t> cursorType,
                         std::optional<int32_t> lockType, std::optional<int32_t>) {
  std::string sql = source.IsMissing() ? source_ : rt::CStr(source);
  int32_t ct = cursorType.value_or(-1), lt = lockType.value_or(-1);
  if (connection.IsString()) return Open(sql, *connection.Get<std::string>(), ct, lt);
  if (connection.IsObject() && !connection.IsNothing()) {
    auto cn = std::dynamic_pointer_cast<Connection>(connection.AsObject());
    if (!cn) rt::RaiseVb(rt::vberr::kTypeMismatch);
    return Open(sql, cn, ct, lt);
  }
  if (!connection_ && !pendingConnectionString_.empty()) {
    std::string text = pendingConnectionString_;
    return Open(sql, text, ct, lt);
  }
  Open(sql, connection_, ct, lt);
}

rt::Variant Recordset::FieldsLate(const rt::Variant& index) {
  if (index.IsMissing()) return rt::Variant(rt::ObjectPtr(Fields()));
  return rt::Variant(rt::ObjectPtr(Field(index)));
}

void Recordset::SetFieldLate(const rt::Variant& index, const rt::Variant& value) {
  Field(index)->SetValue(value);
}

// AddNew and Update with a field list and values: one name (or position) and
// one value, or an array of each.
namespace {
template <class F>
void ForEachPair(const rt::Variant& fields, const rt::Variant& values, F&& assign) {
  if (fields.IsMissing()) return;
  if (fields.IsArray()) {
    const rt::SafeArray& names = fields.AsArray();
    const rt::SafeArray& vals = values.AsArray();
    if (names.data.size() != vals.data.size())
      adoerr::Raise(adoerr::kArgumentsWrong, kSource, "The field list and the value list differ in length.");
    for (size_t i = 0; i < names.data.size(); ++i) assign(names.data[i], vals.data[i]);
  } else {
    assign(fields, values);
  }
}
}  // namespace

void Recordset::AddNewLate(const rt::Variant& fields, const rt::Variant& values) {
  AddNew();
  if (fields.IsMissing()) return;
  ForEachPair(fields, values, [&](const rt::Variant& f, const rt::Variant& v) { Field(f)->SetValue(v); });
  Update();
}

void Recordset::UpdateLate(const rt::Variant& fields, const rt::Variant& values) {
  ForEachPair(fields, values, [&](const rt::Variant& f, const rt::Variant& v) { Field(f)->SetValue(v); });
  Update();
}

void Recordset::DeleteLate(std::optional<int32_t>) { Delete(); }
void Recordset::UpdateBatchLate(std::optional<int32_t>) { UpdateBatch(); }
void Recordset::CancelBatchLate(std::optional<int32_t>) { CancelBatch(); }

std::shared_ptr<Recordset> Recordset::CloneLate(std::optional<int32_t> lockType) {
  auto clone = Clone();
  if (lockType && *lockType != -1) clone->lockType_ = *lockType;
  return clone;
}

rt::Variant Recordset::GetRowsLate(std::optional<int32_t> rows, const rt::Variant& start, const rt::Variant& fields) {
  if (!start.IsMissing() && !(start.IsNumericType() && rt::CLng(start) == 0))
    adoerr::Raise(adoerr::kArgumentsWrong, kSource, "GetRows takes no bookmark other than the current record.");
  rt::Variant all = GetRows(rows.value_or(-1));
  if (fields.IsMissing()) return all;
  // Only the listed fields, in the order given.
  std::vector<int32_t> pick;
  auto add = [&](const rt::Variant& f) {
    pick.push_back(f.IsString() ? ColumnIndex(*f.Get<std::string>()) : rt::CLng(f));
    if (pick.back() < 0) adoerr::Raise(adoerr::kItemNotFound, kSource, "No field named '" + rt::CStr(f) + "'.");
  };
  if (fields.IsArray()) {
    for (const rt::Variant& f : fields.AsArray().data) add(f);
  } else {
    add(fields);
  }
  const rt::SafeArray& src = all.AsArray();
  int32_t rowCount = src.bounds.size() == 2 ? src.bounds[1].count : 0;
  auto array = rt::SafeArray::TwoDim(0, static_cast<int32_t>(pick.size()) - 1, 0, rowCount - 1);
  for (size_t f = 0; f < pick.size(); ++f) {
    for (int32_t r = 0; r < rowCount; ++r) array->At(static_cast<int32_t>(f), r) = src.At(pick[f], r);
  }
  return rt::Variant(array);
}

}  // namespace data
