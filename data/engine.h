// The one interface between the ADO objects and a database engine. An engine
// opens sessions; a session translates the classes' SQL Server text into its
// own dialect, prepares and runs statements, and keeps transactions. Nothing
// above this interface knows which engine runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_types.h"
#include "runtime/com_error.h"
#include "runtime/variant.h"

namespace data {

// What a connection string names.
struct ConnectionSettings {
  std::string provider;    // "SQLite" when the string names none
  std::string dataSource;  // the database (for SQLite, the file)
  // The same for every spelling of one database: sessions and transactions
  // are shared by it.
  std::string key;
};

// "Provider=SQLite;Data Source=/path/catalog.db" (keys without regard to
// letter case, values optionally in quotes). Raises 0x80004005 when it names
// no data source or an unknown provider.
ConnectionSettings ParseConnectionString(const std::string& connectionString);
// The same without a copy: valid until the next call on this thread.
const ConnectionSettings& ParsedConnectionString(const std::string& connectionString);

struct ColumnInfo {
  std::string name;        // as the schema spells it, or the query's alias
  std::string declared;    // the declared type, empty for an expression
  TypeInfo type;           // type.adoType kEmpty until known for an expression
  std::string baseTable;   // the table and column it comes from, empty for
  std::string baseColumn;  // an expression
};

// A failed engine call: a COM error (0x80040E14, or 0x80040E2F for a
// constraint violation) that also carries the engine's own code.
class EngineError : public rt::ComError {
 public:
  EngineError(int32_t number, std::string source, std::string description, int32_t nativeError)
      : rt::ComError(number, std::move(source), std::move(description)), native_(nativeError) {}
  int32_t nativeError() const { return native_; }

 private:
  int32_t native_;
};

// The columns of a statement's rows, shared by the statement and the
// recordsets that hold its rows.
using ColumnList = std::shared_ptr<const std::vector<ColumnInfo>>;

class Statement {
 public:
  virtual ~Statement() = default;
  virtual int ParameterCount() const = 0;
  // Binds parameter `index` (from 1) by the value's subtype: Empty and Null
  // as NULL, Boolean as 1/0, Date in the stored text form.
  virtual void Bind(int index, const rt::Variant& value) = 0;
  // Runs to the next row; false when there is none. Raises EngineError.
  virtual bool Step() = 0;
  // The columns; after the first Step they describe the rows even when the
  // schema changed since the statement was prepared.
  virtual int ColumnCount() const = 0;
  virtual const ColumnInfo& Column(int index) const = 0;
  // All of them at once (engines share one list between runs).
  virtual ColumnList Columns() const {
    auto list = std::make_shared<std::vector<ColumnInfo>>();
    for (int i = 0; i < ColumnCount(); ++i) list->push_back(Column(i));
    return list;
  }
  // The current row's value, of the subtype of the column's declared type.
  virtual rt::Variant Value(int index) const = 0;
  // True when the statement changes nothing in the database.
  virtual bool ReadOnly() const = 0;
  // Ends the statement's run (and the read it holds open); the next Step
  // runs it again from the start with the same values bound. A row source
  // that cannot run again says so with false (its rows are then read at once).
  virtual bool Reset() { return false; }
};

// A literal of the SQL Server text that an engine statement takes as a
// "?" parameter, so that texts differing only in such literals share one
// translation and one prepared statement.
struct BoundLiteral {
  int parameter = 0;     // the "?" it became, from 1
  uint32_t literal = 0;  // its place among the text's literals, from 0
  // Written into a column: made to fit it as SQL Server converts the
  // literal (FitLiteralValue), the number with this sign ('-', '+' or 0).
  bool fitted = false;
  char sign = 0;
  // Stands against a column of a type that reads text its own way.
  enum class Against : uint8_t {
    Nothing,
    // Compared with a date column: the date as SQL Server reads the text,
    // in the form the stored dates are compared with, or refused
    // (ComparedDateText).
    ComparedDate,
    // Written into a date column without checks of its own (smalldatetime,
    // datetime2, date): the stored form when the text is a date.
    WrittenDate,
    // Compared with a bit column: 'true', 'false' and a blank text as 1, 0
    // and 0 (BitWord).
    ComparedBit,
  };
  Against against = Against::Nothing;
};

// One statement in the engine's dialect, with the column that each of its
// "?" parameters writes into (in order; a TypeInfo whose store is Any for
// one that writes into no column), so that a bound value is made to fit it.
// Of its "?", those named in `literals` take literals of the SQL Server
// text; the others take the caller's values in order.
struct EngineStatement {
  std::string sql;
  std::vector<TypeInfo> parameterColumns;
  std::vector<BoundLiteral> literals;  // by parameter
};

// The engine statements of one SQL Server text, shared by whoever caches it.
using Translation = std::shared_ptr<const std::vector<EngineStatement>>;

// SQL Server text made ready to run: its engine statements, shared with
// every text that differs from it only in the literals they bind, and the
// literals of this text as written (views into it, quotes and all).
struct TranslatedText {
  Translation statements;
  std::vector<std::string_view> literals;
};

struct TableColumn {
  std::string name;
  std::string declared;
  bool primaryKey = false;
  bool identity = false;  // filled by the engine; never written by callers
  // Named by the table's first unique index: the key by which rows are
  // found when the table has no primary key (its key columns may be Null).
  bool uniqueKey = false;
  // What an insert that leaves the column out stores in it: the declared
  // constant (Null when none is declared), unless the engine computes it.
  bool constantDefault = true;
  rt::Variant defaultValue;
  // A trigger of the table may change a row after it is inserted.
  bool triggered = false;
  // How the engine converts a value stored in the column (its own terms).
  uint8_t storage = 0;
};

class Session {
 public:
  virtual ~Session() = default;
  virtual const ConnectionSettings& Settings() const = 0;

  // The engine statements for SQL Server text; none for a statement without
  // effect here. Raises 0x80040E14 naming the text when it cannot be
  // translated without changing its meaning.
  virtual TranslatedText Translate(std::string_view sqlServerText) = 0;
  // Prepares one statement of the engine's own dialect. Raises EngineError.
  virtual std::unique_ptr<Statement> Prepare(const std::string& engineSql) = 0;

  virtual int64_t Changes() const = 0;       // rows changed by the last statement
  virtual int64_t LastInsertId() const = 0;  // identity of the last inserted row

  // Transactions. Begin takes the write lock at once (one writer at a time).
  virtual void Begin() = 0;
  // A transaction that only reads: it takes its snapshot at its first read
  // and never the write lock (Commit or Rollback end it alike).
  virtual void BeginRead() = 0;
  // Before a connection's own transaction takes the write lock (the next
  // group of a long import, among others): lets the writers that wait for
  // the lock go first, within a bound, so that no writer waits out its
  // timeout behind a series of transactions. Nothing to do on an engine that
  // queues its writers itself.
  virtual void LetWaitingWritersGo() {}
  virtual void Commit() = 0;
  virtual void Rollback() = 0;  // never throws
  virtual bool InTransaction() const = 0;
  // A named mark inside the transaction, so that one failed statement
  // undoes only itself.
  virtual void Mark(const std::string& name) = 0;
  virtual void ReleaseMark(const std::string& name) = 0;
  virtual void RollbackToMark(const std::string& name) = 0;

  // Whether the session can serve another connection as it is: no
  // statement of it running, no transaction open.
  virtual bool Idle() const = 0;
  // Whether the database that the settings name is still the one the
  // session opened (a file deleted or replaced since is opened anew).
  virtual bool SameDatabase() const = 0;

  // The table's columns in their order; empty when there is no such table.
  virtual std::vector<TableColumn> TableColumns(const std::string& table) = 0;
  // An identifier in the engine's quoting.
  virtual std::string QuoteName(const std::string& name) const = 0;
  // What a read of a row just inserted gives for the column (of `type`),
  // when the insert bound `bound` to it, or left it out when `bound` is
  // null: known without reading the row when the engine can tell; nothing
  // when only a read can.
  virtual std::optional<rt::Variant> InsertedValue(const TableColumn& /*column*/, const TypeInfo& /*type*/,
                                                   const rt::Variant* /*bound*/) const {
    return std::nullopt;
  }
};

class Engine {
 public:
  virtual ~Engine() = default;
  // Opens a new session. Raises 0x80004005 with the engine's text when the
  // database cannot be opened.
  virtual std::unique_ptr<Session> Open(const ConnectionSettings& settings) = 0;
  // Whether the engine lets only one writer in at a time, so that a write
  // outside a transaction that holds the lock must fail at once.
  virtual bool SingleWriter() const = 0;
};

// The engine for a provider name; raises 0x80004005 for an unknown one.
Engine& EngineFor(const std::string& provider);

}  // namespace data
