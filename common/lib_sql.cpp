// Lib_SQL: connections, recordsets and the common connection string.
#include "common/lib_sql.h"

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/method_error.h"
#include "data/ado_classes.h"
#include "runtime/context.h"
#include "runtime/registry.h"

const char* const kSqlReadCommitted = "set TRANSACTION ISOLATION LEVEL READ COMMITTED";

namespace {

thread_local std::string tCommonConnectionString;

std::string ExecutingInfo(const std::shared_ptr<data::Connection>& connection, const std::string& sql) {
  rt::Variant cn = connection ? rt::Variant(rt::ObjectPtr(connection)) : rt::Variant::Nothing();
  return Err_GetConnectionErrors(cn) + " executing: '" + sql + "'";
}

void CloseIfOpen(const std::shared_ptr<data::Connection>& connection) {
  if (connection && connection->State() == data::kStateOpen) connection->Close();
}

// Closes any object whose State is exactly open, late-bound.
void CloseObject(rt::Variant& object) {
  if (object.IsObject() && !object.IsNothing()) {
    const rt::ObjectPtr& o = object.AsObject();
    if (rt::CLng(o->GetProperty("State")) == data::kStateOpen) o->Call("Close");
  }
  object = rt::Variant::Nothing();
}

}  // namespace

std::shared_ptr<data::Connection> Sql_GetOpenConnection(std::string& connectionString) {
  try {
    auto connection = data::Connection::New();
    connection->Open(connectionString);
    return connection;
  } catch (...) {
    HandleMethodError("Lib_SQL.Sql_GetOpenConnection");
  }
  return nullptr;
}

void Sql_CloseConnection(std::shared_ptr<data::Connection>& connection) {
  CloseIfOpen(connection);
  connection.reset();
}

void Sql_CloseConnection(rt::Variant& connection) { CloseObject(connection); }

void Sql_CloseRecordset(std::shared_ptr<data::Recordset>& recordset) {
  if (recordset && recordset->State() == data::kStateOpen) recordset->Close();
  recordset.reset();
}

void Sql_CloseRecordset(rt::Variant& recordset) { CloseObject(recordset); }

void CloseQuietly(std::shared_ptr<data::Recordset>& rs) {
  rt::TryResume([&] {
    if (rs && rs->State() == data::kStateOpen) rs->CancelUpdate();
  });
  rt::TryResume([&] { Sql_CloseRecordset(rs); });
  rs.reset();
}

void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn) {
  CloseQuietly(rs);
  CloseQuietly(cn);
}

void CloseQuietly(std::shared_ptr<data::Connection>& cn) {
  rt::TryResume([&] { Sql_CloseConnection(cn); });
  cn.reset();
}

void Sql_CloseRecordsetAndConnection(std::shared_ptr<data::Recordset>& recordset) {
  if (!recordset) rt::RaiseVb(rt::vberr::kObjectNotSet);
  if (recordset->State() == data::kStateOpen) recordset->Close();
  CloseIfOpen(recordset->ActiveConnection());
  recordset->SetActiveConnection(nullptr);
  recordset.reset();
}

std::shared_ptr<rt::Dictionary> Sql_GetRecordAsDictionary(const std::shared_ptr<data::Recordset>& recordset) {
  try {
    if (!recordset) rt::RaiseVb(rt::vberr::kObjectNotSet);
    auto record = rt::NewDictionary();
    if (!recordset->Eof() && !recordset->Bof()) {
      const int32_t count = recordset->FieldCount();
      for (int32_t i = 0; i < count; ++i) {
        rt::Variant name(recordset->Column(i).name);
        if (!record->Exists(name)) record->Add(name, recordset->Value(i));
      }
    }
    return record;
  } catch (...) {
    std::shared_ptr<data::Connection> connection = recordset ? recordset->ActiveConnection() : nullptr;
    rt::Variant cn = connection ? rt::Variant(rt::ObjectPtr(connection)) : rt::Variant::Nothing();
    HandleMethodError("Lib_SQL.Sql_GetRecordAsDictionary", Err_GetConnectionErrors(cn));
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Sql_GetRecordsAsDictionary(const std::string& connectionString,
                                                           const std::string& sql) {
  // The procedure's own error handler starts with no error pending, so the
  // information entry of a repeated key never reports an earlier failure.
  rt::Err().Clear();
  auto recordset = data::Recordset::New();
  try {
    auto records = rt::NewDictionary();
    recordset->SetCursorLocation(data::kUseClient);
    recordset->Open(sql, connectionString, data::kCursorForwardOnly, data::kLockReadOnly);
    while (!recordset->Eof()) {
      rt::Variant key = recordset->Value(0);
      if (records->Exists(key)) {
        Err_LogInfo("Improper SQL statement '" + sql +
                    "' to create a dictionary. The statement resulted in double key value: '" + rt::Concat(key) + "'");
      } else {
        records->Add(key, recordset->Value(1));
      }
      recordset->MoveNext();
    }
    Sql_CloseRecordsetAndConnection(recordset);
    return records;
  } catch (...) {
    HandleMethodError("Lib_SQL.Sql_GetRecordsAsDictionary. SQL: '" + sql + "'",
                      [&] { Sql_CloseRecordsetAndConnection(recordset); });
  }
  return nullptr;
}

std::shared_ptr<data::Recordset> SQL_GetWritableRecordset(const std::string& sql,
                                                          std::shared_ptr<data::Connection>& connection,
                                                          int32_t lockType) {
  std::shared_ptr<data::Recordset> recordset;
  try {
    recordset = data::Recordset::New();
    recordset->SetCursorLocation(data::kUseClient);
    recordset->Open(sql, connection, data::kCursorKeyset, lockType);
    recordset->SetActiveConnection(nullptr);
    return recordset;
  } catch (...) {
    HandleMethodError("Lib_SQL.SQL_GetWritableRecordset", ExecutingInfo(connection, sql), [&] {
      recordset.reset();
      Sql_CloseConnection(connection);
    });
  }
  return nullptr;
}

std::shared_ptr<data::Recordset> Sql_GetDisconnectedRecordset(const std::string& sql,
                                                              const std::string& connectionString,
                                                              std::optional<bool> readCommitted) {
  std::shared_ptr<data::Connection> connection;
  try {
    connection = data::Connection::New();
    connection->Open(connectionString);
    if (readCommitted.value_or(false)) connection->Execute(kSqlReadCommitted);
    auto recordset = data::Recordset::New();
    recordset->SetCursorLocation(data::kUseClient);
    recordset->SetCursorType(data::kCursorKeyset);
    recordset->SetLockType(data::kLockReadOnly);
    recordset->SetActiveConnection(connection);
    recordset->Open(sql, connection);
    recordset->SetActiveConnection(nullptr);
    CloseIfOpen(connection);
    return recordset;
  } catch (...) {
    HandleMethodError("Lib_SQL.Sql_GetDisconnectedRecordset", ExecutingInfo(connection, sql),
                      [&] { CloseIfOpen(connection); });
  }
  return nullptr;
}

std::shared_ptr<data::Recordset> Sql_GetReadonlyRecordset(std::string& sql,
                                                          std::shared_ptr<data::Connection>& connection) {
  try {
    auto recordset = data::Recordset::New();
    recordset->SetCursorLocation(data::kUseClient);
    recordset->Open(sql, connection, data::kCursorKeyset, data::kLockReadOnly);
    return recordset;
  } catch (...) {
    HandleMethodError("Lib_SQL.Sql_GetReadonlyRecordset", ExecutingInfo(connection, sql));
  }
  return nullptr;
}

bool Sql_HasRecords(const std::string& sql, const std::string& connectionString, std::optional<bool> readCommitted) {
  std::string text = connectionString;
  std::shared_ptr<data::Connection> connection = Sql_GetOpenConnection(text);
  if (readCommitted.value_or(false)) connection->Execute(kSqlReadCommitted);
  data::RegisterAdoClasses();
  auto recordset = std::dynamic_pointer_cast<data::Recordset>(rt::CreateObject("ADODB.Recordset"));
  recordset->SetCursorLocation(data::kUseClient);
  recordset->Open(sql, connection, data::kCursorKeyset, data::kLockReadOnly);
  recordset->SetActiveConnection(nullptr);
  connection->Close();
  return !recordset->Eof();
}

const std::string& Sql_CommonConnectionString(std::string_view errorSource, bool askApplication) {
  std::string& cached = tCommonConnectionString;
  if (!cached.empty()) return cached;
  if (askApplication) {
    if (rt::ObjectContext* context = rt::GetObjectContext()) {
      try {
        rt::ObjectPtr application = context->Item("Application");
        if (application) {
          cached = rt::Concat(application->GetProperty("Value", {rt::Variant("BrintorConnection_ConnectionString")}));
        }
      } catch (...) {
        // The application object is optional: its failures are ignored.
      }
    }
  }
  if (cached.empty()) {
    try {
      rt::ObjectPtr configuration = Gen_GetComponent("Solvane.Configuration");
      configuration->Call("SelectServer", {rt::Variant("Vorthem"), rt::Variant(int32_t{0})});
      cached = rt::Concat(configuration->Call(
          "GetValue", {rt::Variant("CONNECTIONS"), rt::Variant("BrintorConnection_ConnectionString")}));
    } catch (...) {
      if (errorSource.empty()) throw;
      HandleMethodError(std::string(errorSource));
    }
  }
  return cached;
}
