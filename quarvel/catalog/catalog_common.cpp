// The shared steps of the catalog classes.
#include "quarvel/catalog/catalog_common.h"

#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/com_error.h"

namespace quarvel::catalog {

std::string SqlNumber(const rt::Variant& value) {
  if (value.IsNull() || value.IsEmpty() || value.IsObject() || value.IsArray() || !rt::IsNumeric(value))
    rt::RaiseVb(rt::vberr::kTypeMismatch);
  return rt::CDec(value).ToString();
}

int32_t LongId(const rt::Variant& value) {
  SqlNumber(value);
  return rt::CLng(value);
}

bool IsEmptyText(const rt::Variant& value) {
  if (value.IsEmpty()) return true;
  const std::string* text = value.Get<std::string>();
  return text && text->empty();
}

bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value) {
  rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
  return rt::CBool(checker->Call("CanDelete", {rt::Variant("Quarvel"), rt::Variant(table),
                                               rt::Variant(rt::SafeArray::From({rt::Variant(keyName)})),
                                               rt::Variant(rt::SafeArray::From({value}))}));
}

std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType) {
  auto rs = data::Recordset::New();
  rs->Open(sql, cn, cursorType, lockType);
  return rs;
}

int32_t ExecuteOnOwnConnection(const std::string& sql) {
  std::shared_ptr<data::Connection> cn = getConnection();
  try {
    rt::Variant affected;
    cn->Execute(sql, &affected);
    Sql_CloseConnection(cn);
    return affected.IsEmpty() ? 0 : rt::CLng(affected);
  } catch (...) {
    CloseQuietly(cn);
    throw;
  }
}

void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn) {
  if (rs && rs->State() == data::kStateOpen) rt::TryResume([&] { rs->CancelUpdate(); });
  rt::TryResume([&] { Sql_CloseRecordset(rs); });
  rs.reset();
  CloseQuietly(cn);
}

void CloseQuietly(std::shared_ptr<data::Connection>& cn) {
  rt::TryResume([&] { Sql_CloseConnection(cn); });
  cn.reset();
}

void CloseWithConnectionQuietly(std::shared_ptr<data::Recordset>& rs) {
  if (!rs) return;
  std::shared_ptr<data::Connection> cn = rs->ActiveConnection();
  CloseQuietly(rs, cn);
}

void NotYetAvailable(const char* className, const std::string& method) {
  rt::Raise(static_cast<int32_t>(0x80004001), std::string("Quarvel.") + className + "." + method,
            method + " is not yet available");
}

}  // namespace quarvel::catalog
