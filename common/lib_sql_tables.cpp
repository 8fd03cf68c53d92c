// Lib_SQL's table writers and existence tests.
#include "common/lib_sql_tables.h"

#include <functional>
#include <vector>

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/regional.h"
#include "runtime/registry.h"

namespace {

// Turns one dictionary value into its SQL literal.
using LiteralFn = std::function<std::string(const rt::Variant&)>;

const rt::Dictionary& Require(const std::shared_ptr<rt::Dictionary>& dictionary) {
  if (!dictionary) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return *dictionary;
}

const std::shared_ptr<data::Connection>& Require(const std::shared_ptr<data::Connection>& connection) {
  if (!connection) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return connection;
}

// Column names reach the statement as they are, and the field dictionary of
// a business rule comes from the caller: every key must name a column of the
// table, so no caller text is ever read as SQL. A name that is none is
// refused as the database refuses an unknown column, and recorded in the
// connection's Errors like any failed statement.
void CheckColumns(const std::string& source, const std::string& table, const rt::Dictionary& dictionary,
                  const std::shared_ptr<data::Connection>& connection) {
  const std::vector<data::TableColumn> columns = connection->Lease().session->TableColumns(table);
  if (columns.empty()) return;  // no such table: the statement fails and says so
  for (const rt::Dictionary::Entry& entry : dictionary.Entries()) {
    const std::string name = rt::CStr(entry.key);
    bool known = false;
    for (const data::TableColumn& column : columns) {
      if (rt::TextCompare(column.name, name) == 0) {
        known = true;
        break;
      }
    }
    if (!known) {
      connection->Guard([&] { rt::Raise(rt::hr::kSqlFailed, source, "Invalid column name '" + name + "'"); });
    }
  }
}

// K=V pairs of the dictionary joined by `separator`.
std::string Pairs(const rt::Dictionary& dictionary, const std::string& separator, const LiteralFn& literal) {
  std::string text;
  bool first = true;
  for (const rt::Dictionary::Entry& entry : dictionary.Entries()) {
    if (!first) text += separator;
    first = false;
    text += rt::CStr(entry.key) + "=" + literal(entry.item);
  }
  return text;
}

// The keys are walked once for the names and once for the literals.
std::string InsertStatement(const std::string& table, const rt::Dictionary& fields, const LiteralFn& literal) {
  std::string names, values;
  bool first = true;
  for (const rt::Dictionary::Entry& entry : fields.Entries()) {
    names += (first ? "" : ",") + rt::CStr(entry.key);
    first = false;
  }
  first = true;
  for (const rt::Dictionary::Entry& entry : fields.Entries()) {
    values += (first ? "" : ",") + literal(entry.item);
    first = false;
  }
  return "INSERT " + table + "(" + names + ") VALUES (" + values + ")";
}

// The literal maker of the Unicode writers: one Tamrick.Utilities object,
// created at the first value and kept for the rest of the call. A null value
// cannot be made text and fails the write (94).
class UnicodeLiterals {
 public:
  std::string operator()(const rt::Variant& value) {
    // A Double with the digits that read back as itself, as Gen_SqlValue writes it.
    const double* number = value.Get<double>();
    const std::string text = number ? rt::FormatDoubleExact(*number) : rt::CStr(value);
    if (!utilities_) utilities_ = rt::CreateObject("Tamrick.Utilities");
    return rt::CStr(utilities_->Call("ToSqlUnicodeText", {rt::Variant(text)}));
  }

 private:
  rt::ObjectPtr utilities_;
};

// The steps every writer shares: result object, statement, execution,
// close, vote; on failure close, vote abort, log and raise with `source`.
rt::ObjectPtr Write(const std::string& source, const std::string& table,
                    std::initializer_list<const std::shared_ptr<rt::Dictionary>*> dictionaries,
                    const std::shared_ptr<data::Connection>& callerConnection,
                    const std::function<std::string()>& statement) {
  std::shared_ptr<data::Connection> connection = callerConnection;
  try {
    rt::ObjectPtr result = Gen_GetComponent("Solvane.ResultObject");
    Require(connection);
    for (const std::shared_ptr<rt::Dictionary>* dictionary : dictionaries) {
      CheckColumns(source, table, Require(*dictionary), connection);
    }
    connection->Execute(statement());
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError(source, [&] {
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

}  // namespace

rt::ObjectPtr Sql_InsertTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                              const std::shared_ptr<data::Connection>& connection) {
  return Write("Sql_InsertTable", table, {&fields}, connection,
               [&] { return InsertStatement(table, *fields, Gen_SqlValue); });
}

rt::ObjectPtr Sql_InsertTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                                     const std::shared_ptr<data::Connection>& connection) {
  return Write("Sql_InsertTableUnicode", table, {&fields}, connection, [&] {
    UnicodeLiterals literal;
    return InsertStatement(table, *fields, std::ref(literal));
  });
}

rt::ObjectPtr Sql_UpdateTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                              const std::shared_ptr<rt::Dictionary>& keys,
                              const std::shared_ptr<data::Connection>& connection) {
  return Write("Sql_UpdateTable", table, {&fields, &keys}, connection, [&] {
    return "UPDATE " + table + " SET " + Pairs(*fields, ",", Gen_SqlValue) + " WHERE " +
           Pairs(*keys, " AND ", Gen_SqlValue);
  });
}

rt::ObjectPtr Sql_UpdateTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& fields,
                                     const std::shared_ptr<rt::Dictionary>& keys,
                                     const std::shared_ptr<data::Connection>& connection) {
  return Write("Sql_UpdateTableUnicode", table, {&fields, &keys}, connection, [&] {
    UnicodeLiterals literal;
    std::string set = Pairs(*fields, ",", std::ref(literal));
    return "UPDATE " + table + " SET " + set + " WHERE " + Pairs(*keys, " AND ", std::ref(literal));
  });
}

rt::ObjectPtr Sql_DeleteTableUnicode(const std::string& table, const std::shared_ptr<rt::Dictionary>& keys,
                                     const std::shared_ptr<data::Connection>& connection) {
  return Write("Sql_DeleteTableUnicode", table, {&keys}, connection, [&] {
    UnicodeLiterals literal;
    return "DELETE FROM " + table + " WHERE " + Pairs(*keys, " AND ", std::ref(literal));
  });
}

bool Sql_ExistsInTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& dictionary,
                       const std::string& key, const std::string& column,
                       const std::shared_ptr<data::Connection>& callerConnection) {
  std::shared_ptr<data::Connection> connection = callerConnection;
  std::shared_ptr<data::Recordset> rows;
  try {
    const rt::Variant* value = Require(dictionary).Find(rt::Variant(key));
    if (!value) return false;
    rows = Require(connection)->Execute("SELECT * FROM " + table + " WHERE (" + column + "=" +
                                        Gen_SqlValue(*value) + ")");
    const bool found = !(rows->Bof() && rows->Eof());
    rows.reset();
    Sql_CloseConnection(connection);
    Mts_SetComplete();
    return found;
  } catch (...) {
    HandleMethodError("Sql_ExistsInTable", [&] {
      rows.reset();
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return false;
}

bool Sql_KeyExistsInTable(const std::string& table, const std::shared_ptr<rt::Dictionary>& dictionary,
                          const std::string& key, const std::shared_ptr<data::Connection>& connection) {
  return Sql_ExistsInTable(table, dictionary, key, key, connection);
}
