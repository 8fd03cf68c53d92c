// TermsAndConditions: the code tables of commercial terms, listed, read by
// code, inserted, updated, deleted and tested for a code.
#include "brintor/partner/terms_and_conditions.h"

#include <vector>

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/lib_sql_tables.h"
#include "common/method_error.h"
#include "data/engine.h"
#include "data/field.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace brintor {

namespace {

// One code table with the errors its checks raise.
struct TermsTable {
  const char* table;
  const char* codeColumn;
  int32_t alreadyExists;
  const char* alreadyExistsText;
  int32_t doesNotExist;
  const char* doesNotExistText;
};

// Indexed by ETermsAndConditions - 1.
constexpr TermsTable kTermsTables[] = {
    {"PAYMENTTERM", "PAYMENTTERMCODE", ERR_PAYMENTTERMALREADYEXIST, "Payment term already exists",
     ERR_PAYMENTTERMNOTEXISTS, "The Payment term does not exist"},
    {"PAYMENTMETHOD", "PAYMENTMETHODCODE", ERR_PAYMENTMETHODALREADYEXIST, "Payment method already exists",
     ERR_PAYMENTMETHODNOTEXISTS, "The Payment method does not exist"},
    {"DELIVERYTERM", "DELIVERYTERMCODE", ERR_DELIVERYTERMALREADYEXIST, "Delivery term already exists",
     ERR_DELIVERYTERMNOTEXISTS, "The Delivery term does not exist"},
    {"DELIVERYMETHOD", "DELIVERYMETHODCODE", ERR_DELIVERYMETHODALREADYEXIST, "Delivery method already exists",
     ERR_DELIVERYMETHODNOTEXISTS, "The Delivery method does not exist"},
    {"PACKAGINGTERM", "PACKAGINGTERMCODE", ERR_PACKAGINGTERMALREADYEXIST, "Packaging term already exists",
     ERR_PACKAGINGTERMNOTEXISTS, "The Packaging term does not exist"},
    {"WARRANTYTERM", "WARRANTYTERMCODE", ERR_WARRANTYTERMALREADYEXIST, "Warranty term already exists",
     ERR_WARRANTYTERMNOTEXISTS, "The Warranty term does not exist"},
    {"PENALTYTERM", "PENALTYTERMCODE", ERR_PENALTYTERMALREADYEXIST, "Penalty term already exists",
     ERR_PENALTYTERMNOTEXISTS, "The Penalty term does not exist"},
};

// A type outside the enumeration names no table and no code column: the
// reads then build statements that the database rejects, and the existence
// test refuses the blank table.
constexpr TermsTable kNoTable{"", "", 0, "", 0, ""};

const TermsTable& TableOf(int32_t type) { return type >= 1 && type <= 7 ? kTermsTables[type - 1] : kNoTable; }

constexpr const char* kGetTermsSource = "Brintor.TermsAndConditions.getTermsAndConditions";

// The caller's column names go into the SELECT as they are, so each must be
// a column of the table; any other text is refused as the database refuses
// an unknown column, and recorded in the connection's Errors.
void CheckColumnNames(const rt::SafeArray& names, const std::string& table,
                      const std::shared_ptr<data::Connection>& connection) {
  const std::vector<data::TableColumn> columns = connection->Lease().session->TableColumns(table);
  if (columns.empty()) return;  // no such table: the statement fails and says so
  for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
    const std::string name = rt::CStr(names.At(i));
    bool known = false;
    for (const data::TableColumn& column : columns) known = known || rt::TextCompare(column.name, name) == 0;
    if (!known) {
      connection->Guard([&] { rt::Raise(rt::hr::kSqlFailed, kGetTermsSource, "Invalid column name '" + name + "'"); });
    }
  }
}

std::string JoinNames(const rt::SafeArray& names) {
  std::string joined;
  for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
    joined += (i == names.LBound() ? "" : ",") + rt::CStr(names.At(i));
  }
  return joined;
}

}  // namespace

rt::ClassInfo TermsAndConditionsClass() {
  // No transaction attribute: the class always runs outside transactions.
  return rt::ClassInfo{"Brintor.TermsAndConditions", "", rt::TransactionAttribute::None,
                       [] { return std::make_shared<TermsAndConditions>(); }};
}

const rt::DispatchTable* TermsAndConditions::Dispatch() const {
  using C = TermsAndConditions;
  static const rt::DispatchTable table = rt::DispatchBuilder<C>("TermsAndConditions")
                                             .Method("getAllTermsAndConditions", &C::getAllTermsAndConditions)
                                             .Method("getTermsAndConditions", &C::getTermsAndConditions)
                                             .Method("InsertTermsAndConditions", &C::InsertTermsAndConditions)
                                             .Method("UpdateTermsAndConditions", &C::UpdateTermsAndConditions)
                                             .Method("DeleteTermsAndConditions", &C::DeleteTermsAndConditions)
                                             .Method("IsTermorConditionPresent", &C::IsTermorConditionPresent)
                                             .Build();
  return &table;
}

std::string TermsAndConditions::ConnectionString() {
  return Sql_CommonConnectionString("Brintor.TermsAndCondition.ConnectionString");
}

std::shared_ptr<rt::Dictionary> TermsAndConditions::getAllTermsAndConditions(int32_t i_nTCType) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  std::shared_ptr<data::Recordset> rs;
  try {
    const TermsTable& t = TableOf(i_nTCType);
    const std::string sql =
        std::string("SELECT ") + t.codeColumn + ", DESCRIPTION FROM " + t.table + " ORDER BY " + t.codeColumn;
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    rs = data::Recordset::New();
    rs->Open(sql, connection, data::kCursorForwardOnly, data::kLockReadOnly);
    auto codes = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) codes->Add(rs->Value(t.codeColumn), rs->Value("DESCRIPTION"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(connection);
    return codes;
  } catch (...) {
    HandleMethodError("Brintor.TermsAndConditions.getAllTermsAndConditions", [&] {
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(connection);
    });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> TermsAndConditions::getTermsAndConditions(int32_t i_nTCType,
                                                                          const std::string& i_sTCCode,
                                                                          int32_t i_nFieldsOfRecord,
                                                                          const rt::Variant& i_vFieldNames) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  std::shared_ptr<data::Recordset> rs;
  rt::ObjectPtr utilities;
  try {
    const TermsTable& t = TableOf(i_nTCType);
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    std::string select = std::string("SELECT * FROM ") + t.table;
    if (i_nFieldsOfRecord == static_cast<int32_t>(EAllOrSpecific::Specific) && i_vFieldNames.IsArray()) {
      const rt::SafeArray& names = i_vFieldNames.AsArray();
      CheckColumnNames(names, t.table, connection);
      // Two blanks after SELECT and before FROM; the code column always comes last.
      select = "SELECT  " + JoinNames(names) + " ," + t.codeColumn + "  FROM " + t.table;
    }
    utilities = Gen_GetComponent("Tamrick.Utilities");
    const std::string literal = rt::CStr(utilities->Call("ToSqlText", {rt::Variant(i_sTCCode)}));
    rs = data::Recordset::New();
    rs->Open(select + " WHERE " + t.codeColumn + " = " + literal, connection, data::kCursorForwardOnly,
             data::kLockReadOnly);
    auto row = rt::NewDictionary();
    if (!rs->Eof()) {
      // A column named twice cannot be a second key: 457 through the handler.
      for (int32_t i = 0; i < rs->FieldCount(); ++i)
        row->Add(rt::Variant(rs->Field(rt::Variant(i))->Name()), rs->Value(i));
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(connection);
    utilities.reset();
    return row;
  } catch (...) {
    HandleMethodError(kGetTermsSource, [&] {
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(connection);
      utilities.reset();
    });
  }
  return nullptr;
}

void TermsAndConditions::InsertTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                                  std::shared_ptr<rt::Dictionary>& i_oDicTCFields) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    const TermsTable& t = TableOf(i_nTCType);
    std::string table = t.table;
    if (CheckIfExistsinTable(table, OneElement(rt::Variant(t.codeColumn)), OneElement(rt::Variant(i_sTCCode)))) {
      rt::Raise(t.alreadyExists, "", t.alreadyExistsText);
    }
    if (!i_oDicTCFields) rt::RaiseVb(rt::vberr::kObjectNotSet);
    // The code first; a code column among the caller's keys is then a second key (457).
    auto fields = rt::NewDictionary();
    fields->Add(rt::Variant(t.codeColumn), rt::Variant(i_sTCCode));
    for (const rt::Dictionary::Entry& entry : i_oDicTCFields->Entries()) fields->Add(entry.key, entry.item);
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    Sql_InsertTableUnicode(table, fields, connection);
    Sql_CloseConnection(connection);
  } catch (...) {
    HandleMethodError("Brintor.TermsAndConditions.InsertTermsAndConditions", [&] { Sql_CloseConnection(connection); });
  }
}

void TermsAndConditions::UpdateTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                                  std::shared_ptr<rt::Dictionary>& i_oDicTCFields) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    const TermsTable& t = TableOf(i_nTCType);
    std::string table = t.table;
    if (!CheckIfExistsinTable(table, OneElement(rt::Variant(t.codeColumn)), OneElement(rt::Variant(i_sTCCode)))) {
      rt::Raise(t.doesNotExist, "", t.doesNotExistText);
    }
    if (!i_oDicTCFields) rt::RaiseVb(rt::vberr::kObjectNotSet);
    auto fields = rt::NewDictionary();
    for (const rt::Dictionary::Entry& entry : i_oDicTCFields->Entries()) fields->Add(entry.key, entry.item);
    auto keys = rt::NewDictionary();
    keys->Add(rt::Variant(t.codeColumn), rt::Variant(i_sTCCode));
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    Sql_UpdateTableUnicode(table, fields, keys, connection);
    Sql_CloseConnection(connection);
  } catch (...) {
    HandleMethodError("Brintor.TermsAndConditions.UpdateTermsAndConditions", [&] { Sql_CloseConnection(connection); });
  }
}

void TermsAndConditions::DeleteTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> connection;
  try {
    const TermsTable& t = TableOf(i_nTCType);
    std::string table = t.table;
    if (!CheckIfExistsinTable(table, OneElement(rt::Variant(t.codeColumn)), OneElement(rt::Variant(i_sTCCode)))) {
      rt::Raise(t.doesNotExist, "", t.doesNotExistText);
    }
    auto keys = rt::NewDictionary();
    keys->Add(rt::Variant(t.codeColumn), rt::Variant(i_sTCCode));
    std::string connectionString = ConnectionString();
    connection = Sql_GetOpenConnection(connectionString);
    Sql_DeleteTableUnicode(table, keys, connection);
    Sql_CloseConnection(connection);
  } catch (...) {
    HandleMethodError("Brintor.TermsAndConditions.DeleteTermsAndConditions", [&] { Sql_CloseConnection(connection); });
  }
}

bool TermsAndConditions::IsTermorConditionPresent(const std::string& i_sTCCode, int32_t i_nTCType) {
  rt::ContextScope scope(*this);
  try {
    const TermsTable& t = TableOf(i_nTCType);
    std::string table = t.table;
    return CheckIfExistsinTable(table, OneElement(rt::Variant(t.codeColumn)), OneElement(rt::Variant(i_sTCCode)));
  } catch (...) {
    // The class name with a lower-case "a" and a trailing blank, as callers have always seen it.
    HandleMethodError("Brintor.TermsandConditions.IsTermorConditionPresent ");
  }
  return false;
}

bool TermsAndConditions::CheckIfExistsinTable(std::string& table, const rt::Variant& columns,
                                              const rt::Variant& values) {
  try {
    if (rt::Trim(table).empty() || columns.IsNull() || values.IsNull() || (!columns.IsArray() && !values.IsArray()) ||
        columns.AsArray().UBound() != values.AsArray().UBound()) {
      rt::Raise(-1, "", "Invalid Arguments");
    }
    const rt::SafeArray& names = columns.AsArray();
    const rt::SafeArray& items = values.AsArray();
    auto pair = [&](int32_t i) { return "( " + rt::CStr(names.At(i)) + " = N'" + Gen_SqlQuote(items.At(i)) + "')"; };
    std::string condition = "WHERE  " + pair(0);
    for (int32_t i = 1; i <= names.UBound(); ++i) condition += "AND  " + pair(i);
    return Sql_HasRecords("SELECT * FROM " + table + " " + condition, ConnectionString(), true);
  } catch (...) {
    // The method text runs straight into the failing error's description.
    rt::TrapError();
    Err_LogAndRaise("Brintor.TermsAndCondition.CheckIfExistsinTable" + rt::Err().description);
  }
  return false;
}

}  // namespace brintor
