// ADODB.Recordset: the rows of a query held in memory, with a current
// position, typed fields, and (when its lock type allows) writes back to the
// one table the rows come from: at once, or in a batch when the lock type is
// optimistic batch. A forward-only, read-only one reads its rows as it is
// moved through them, and all of them when they are counted, moved back
// over, cloned or detached. Detached from its connection (ActiveConnection
// set to Nothing) it stays fully usable.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "data/engine.h"
#include "runtime/object.h"

namespace data {

class Fields;
class Field;

// ADO's cursor and lock values.
constexpr int32_t kCursorForwardOnly = 0;
constexpr int32_t kCursorKeyset = 1;
constexpr int32_t kCursorDynamic = 2;
constexpr int32_t kCursorStatic = 3;
constexpr int32_t kLockReadOnly = 1;
constexpr int32_t kLockPessimistic = 2;
constexpr int32_t kLockOptimistic = 3;
constexpr int32_t kLockBatchOptimistic = 4;
constexpr int32_t kUseServer = 2;
constexpr int32_t kUseClient = 3;

// The rows a recordset and its clones share.
struct RowSet;

class Recordset : public rt::Object {
 public:
  static std::shared_ptr<Recordset> New();
  ~Recordset() override;

  std::string TypeName() const override { return "Recordset"; }
  const rt::DispatchTable* Dispatch() const override;

  // Settings, before Open.
  int32_t CursorLocation() { return cursorLocation_; }
  void SetCursorLocation(int32_t v) { cursorLocation_ = v; }
  int32_t CursorType() { return cursorType_; }
  void SetCursorType(int32_t v) { cursorType_ = v; }
  int32_t LockType() { return lockType_; }
  void SetLockType(int32_t v) { lockType_ = v; }

  // The connection the recordset works on, null when detached. Setting
  // null detaches (and closes a connection that the recordset opened itself
  // from a connection string).
  std::shared_ptr<Connection> ActiveConnection() { return connection_; }
  void SetActiveConnection(std::shared_ptr<Connection> connection);

  // Opens the query on an open connection, or on a new one made from a
  // connection string (which the recordset then owns). -1 keeps the
  // cursor and lock type set before.
  void Open(const std::string& source, std::shared_ptr<Connection> connection, int32_t cursorType = -1,
            int32_t lockType = -1);
  void Open(const std::string& source, const std::string& connectionString, int32_t cursorType = -1,
            int32_t lockType = -1);
  // As Open, with values for the query's positional "?" parameters.
  void Open(const std::string& source, std::shared_ptr<Connection> connection,
            const std::vector<rt::Variant>& parameters, int32_t cursorType = -1, int32_t lockType = -1);
  void Close();
  int32_t State() { return rows_ ? kStateOpen : kStateClosed; }
  std::string Source() { return source_; }

  bool Eof();
  bool Bof();
  int32_t RecordCount();  // the true number of rows (never -1)
  int32_t AbsolutePosition();
  void MoveFirst();
  void MoveLast();
  void MoveNext();
  void MovePrevious();
  void Move(int32_t rows);

  std::shared_ptr<data::Fields> Fields();
  std::shared_ptr<data::Field> Field(const rt::Variant& nameOrIndex);
  int32_t FieldCount();
  // The current row's value of a field (by name without regard to case).
  rt::Variant Value(std::string_view field);
  rt::Variant Value(int32_t index);
  // Assigns a field of the current row; starts an edit when none runs.
  void SetValue(std::string_view field, const rt::Variant& value);
  void SetValue(int32_t index, const rt::Variant& value);

  void AddNew();
  void Update();
  void CancelUpdate();
  void Delete();
  void UpdateBatch();
  void CancelBatch();

  std::shared_ptr<Recordset> Clone();
  // GetRows: fields by rows from the current row on (all rows for -1),
  // as a 2-dimensional array (field, row); the position moves past them.
  rt::Variant GetRows(int32_t rows = -1);

  // For the data layer: fills the recordset from a statement's rows.
  void Load(std::unique_ptr<Statement> rows, const std::string& source, std::shared_ptr<Connection> connection,
            int32_t cursorType, int32_t lockType);

  // For Field: the column's description and the row's values.
  const ColumnInfo& Column(int32_t index);
  int32_t ColumnIndex(std::string_view name);  // -1 when none
  rt::Variant OriginalValue(int32_t index);

 private:
  enum class EditMode { None, Edit, Add };

  // Dispatch adapters.
  rt::Variant ActiveConnectionLate();
  void SetActiveConnectionLate(const rt::Variant& v);
  void OpenLate(const rt::Variant& source, const rt::Variant& connection, std::optional<int32_t> cursorType,
                std::optional<int32_t> lockType, std::optional<int32_t> options);
  rt::Variant FieldsLate(const rt::Variant& index);
  void SetFieldLate(const rt::Variant& index, const rt::Variant& value);
  void AddNewLate(const rt::Variant& fields, const rt::Variant& values);
  void UpdateLate(const rt::Variant& fields, const rt::Variant& values);
  void DeleteLate(std::optional<int32_t> affect);
  void UpdateBatchLate(std::optional<int32_t> affect);
  void CancelBatchLate(std::optional<int32_t> affect);
  std::shared_ptr<Recordset> CloneLate(std::optional<int32_t> lockType);
  rt::Variant GetRowsLate(std::optional<int32_t> rows, const rt::Variant& start, const rt::Variant& fields);
  bool EofLate() { return Eof(); }
  bool BofLate() { return Bof(); }

  class PendingReader;
  RowSet& Rows();       // every row read
  RowSet& Known();      // the columns and the rows read or added so far
  RowSet& Navigated();  // the rows that the position needs read
  void ReadPendingRows();
  // Rows read as the recordset is moved: StepUpTo reads until `count` rows
  // are read or none is left, keeping a failure; HaveRows also raises a
  // failure that leaves fewer rows than `count` read.
  void StepUpTo(size_t count);
  bool HaveRows(size_t count);
  void EndStepping();
  void TypeFromRows(int32_t index);
  const ColumnInfo& ColumnAt(int32_t index);  // without typing an expression column
  void RequireOpen();
  size_t CurrentRow();           // raises 3021 without a current row
  void RequireWritable();
  void FinishEdit();             // an implicit Update before moving
  void Seek(ptrdiff_t from, int step);  // first visible row from `from` in direction `step`
  void WriteRow(size_t row, bool adding);  // sends one changed row to the database
  // A new row's insert: its values fitted to their columns, and the row as
  // stored when that is known without reading it back.
  struct Insert {
    std::vector<rt::Variant> values;
    std::vector<rt::Variant> stored;  // by read-back field; empty when not known
    bool known = false;
  };
  // Fills `insert` (kept between rows for its buffers).
  void PlanInsert(size_t row, Insert& insert);
  void RunInsert(size_t row, Insert& insert);
  Insert insert_;
  void CheckConnectionForWrite();

  std::shared_ptr<RowSet> rows_;
  ptrdiff_t position_ = -1;  // -1 BOF, rows.size() EOF
  EditMode edit_ = EditMode::None;
  int32_t cursorLocation_ = kUseServer;
  int32_t cursorType_ = kCursorForwardOnly;
  int32_t lockType_ = kLockReadOnly;
  std::string source_;
  std::shared_ptr<Connection> connection_;
  bool ownsConnection_ = false;
  std::string pendingConnectionString_;  // ActiveConnection given as text
  ptrdiff_t positionBeforeAdd_ = -1;
  // Not moved since opened: the first row is current once the rows are read.
  bool atStart_ = false;
  bool startBeforeAdd_ = false;
  std::vector<rt::Variant> editBackup_;
};

}  // namespace data
