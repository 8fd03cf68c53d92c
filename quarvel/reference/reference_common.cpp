// The shared steps of the reference-data classes.
#include "quarvel/reference/reference_common.h"

#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel::reference {

namespace {

rt::Variant OneItem(const rt::Variant& value) { return rt::Variant(rt::SafeArray::From({value})); }

}  // namespace

bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value) {
  rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
  rt::Args args{rt::Variant("Quarvel"), rt::Variant(table), OneItem(rt::Variant(keyName)), OneItem(value)};
  return rt::CBool(checker->Invoke("CanDelete", rt::CallKind::Method, args));
}

std::optional<int32_t> FindKeyIndex(const rt::Variant& keys, std::string_view keyName) {
  std::optional<int32_t> found;
  const rt::SafeArray& names = keys.AsArray();
  ForEachIndex16(keys, [&](int32_t i) {
    if (!found && rt::UCase(rt::CStr(names.At(i))) == keyName) found = i;
  });
  return found;
}

std::string SqlNumber(const rt::Variant& value) {
  if (value.IsNull() || value.IsEmpty() || value.IsObject() || value.IsArray() || !rt::IsNumeric(value))
    rt::RaiseVb(rt::vberr::kTypeMismatch);
  return rt::CDec(value).ToString();
}

int32_t ExecuteOnOwnConnection(const std::string& sql, bool readCommitted) {
  std::shared_ptr<data::Connection> cn = getConnection(readCommitted);
  rt::Variant affected;
  cn->Execute(sql, &affected);
  Sql_CloseConnection(cn);
  return rt::CLng(affected);
}

std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType) {
  auto rs = data::Recordset::New();
  rs->Open(sql, cn, cursorType, lockType);
  return rs;
}

void CloseQuietly(std::shared_ptr<data::Recordset>& rs, std::shared_ptr<data::Connection>& cn) {
  rt::TryResume([&] { Sql_CloseRecordset(rs); });
  CloseQuietly(cn);
}

void CloseQuietly(std::shared_ptr<data::Connection>& cn) {
  rt::TryResume([&] { Sql_CloseConnection(cn); });
}

}  // namespace quarvel::reference
