// Lib_SQL: opening and closing connections, the disconnected, read-only and
// writable recordsets that methods hand to their callers, rows as
// dictionaries, the row-existence probe, and the per-thread common
// connection string.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/connection.h"
#include "data/recordset.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

// "set TRANSACTION ISOLATION LEVEL READ COMMITTED"
extern const char* const kSqlReadCommitted;

// An open connection on the string; a failure is logged and raised with
// "Lib_SQL.Sql_GetOpenConnection".
std::shared_ptr<data::Connection> Sql_GetOpenConnection(std::string& connectionString);

// Close the object when it is open, then empty the caller's variable; an
// empty or closed object is no error.
void Sql_CloseConnection(std::shared_ptr<data::Connection>& connection);
void Sql_CloseConnection(rt::Variant& connection);
void Sql_CloseRecordset(std::shared_ptr<data::Recordset>& recordset);
void Sql_CloseRecordset(rt::Variant& recordset);

// Closes what a method opened, on its failure path: an edit still pending
// is dropped, then the object closed and the caller's variable emptied;
// failures of these steps are dropped too, so the method's own failure is
// the one reported.
void CloseQuietly(std::shared_ptr<data::Recordset>& rs);
void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn);
void CloseQuietly(std::shared_ptr<data::Connection>& cn);

// Closes an open recordset and the open connection it runs on (whoever
// opened that), detaches it and empties the caller's variable. No handler:
// an empty variable raises 91 to the caller.
void Sql_CloseRecordsetAndConnection(std::shared_ptr<data::Recordset>& recordset);

// The current row as field name -> value, in field order; of two fields
// with one name the first wins. Empty at EOF or BOF; the recordset does not
// move. Failures are logged and raised with "Lib_SQL.Sql_GetRecordAsDictionary"
// and the errors of the recordset's connection as information.
std::shared_ptr<rt::Dictionary> Sql_GetRecordAsDictionary(const std::shared_ptr<data::Recordset>& recordset);

// A two-column query as column 1's value -> column 2's value, keys keeping
// their subtype. The recordset opens and closes a connection of its own. A
// key that comes again keeps its first value and is logged as information.
// Failures (a bad statement, fewer than two columns, no connection) are
// logged and raised with "Lib_SQL.Sql_GetRecordsAsDictionary. SQL: '<sql>'".
std::shared_ptr<rt::Dictionary> Sql_GetRecordsAsDictionary(const std::string& connectionString,
                                                           const std::string& sql);

// The query's rows on the caller's connection (client cursor, keyset, the
// caller's lock type), then detached so that they can be changed offline
// and written later in a batch. The connection stays open and the caller's.
// On failure the caller's connection is closed and emptied, and the error
// is logged and raised with "Lib_SQL.SQL_GetWritableRecordset" and the
// connection's errors and the statement as information.
std::shared_ptr<data::Recordset> SQL_GetWritableRecordset(const std::string& sql,
                                                          std::shared_ptr<data::Connection>& connection,
                                                          int32_t lockType);

// The query's rows, detached from the connection that this call opened and
// closed; READ COMMITTED first when `readCommitted` is given and true.
// Failures are logged and raised with "Lib_SQL.Sql_GetDisconnectedRecordset"
// and the connection's errors and the statement as information.
std::shared_ptr<data::Recordset> Sql_GetDisconnectedRecordset(const std::string& sql,
                                                              const std::string& connectionString,
                                                              std::optional<bool> readCommitted = std::nullopt);

// The query's rows on the caller's open connection (client cursor, keyset,
// read-only); failures are logged and raised with
// "Lib_SQL.Sql_GetReadonlyRecordset". The connection stays the caller's.
std::shared_ptr<data::Recordset> Sql_GetReadonlyRecordset(std::string& sql,
                                                          std::shared_ptr<data::Connection>& connection);

// True when the query gives at least one row. No handler of its own: a
// failure reaches the caller as it came.
bool Sql_HasRecords(const std::string& sql, const std::string& connectionString,
                    std::optional<bool> readCommitted = std::nullopt);

// The common connection string of the thread: once non-empty it is kept for
// the thread's life. Otherwise, when `askApplication` and there is an object
// context, the web application's "BrintorConnection_ConnectionString" (every
// failure of that step ignored); still empty, the configuration's value
// (server "Vorthem", section "CONNECTIONS"), a failure of which is logged and
// raised with `errorSource` (the reading class's "Brintor.<Class>.ConnectionString");
// with an empty `errorSource` it reaches the caller as it came, for readers
// that have no handler of their own.
// The answer is the string kept for the thread: valid until the thread ends.
const std::string& Sql_CommonConnectionString(std::string_view errorSource, bool askApplication = true);
