// The steps that the catalog library's classes share.
#include "quarvel/services/class_support.h"

#include <ctime>

#include "common/lib_general.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "quarvel/services/catalog_connection.h"

namespace quarvel {

namespace {

// One question to "Solvane.ReferentialChecker":
// question("Quarvel", table, keyNames, keyValues).
bool CheckerAllows(const char* question, const std::string& table, const rt::Variant& keyNames,
                   const rt::Variant& keyValues) {
  rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
  return rt::CBool(checker->Call(question, {rt::Variant("Quarvel"), rt::Variant(table), keyNames, keyValues}));
}

// The byte offset of the character at `index` of UTF-8 text (the text's
// size when it has fewer): characters start where rt::Len counts them.
size_t CharacterOffset(std::string_view text, int32_t index) {
  size_t at = 0;
  for (int32_t n = 0; at < text.size(); ++at) {
    if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
    if (n++ == index) return at;
  }
  return text.size();
}

}  // namespace

// --- the referential checker ----------------------------------------------------

bool CheckerAllowsDelete(const std::string& table, const std::string& keyName, const rt::Variant& value) {
  return CheckerAllows("CanDelete", table, OneElement(rt::Variant(keyName)), OneElement(value));
}

bool CheckerAllowsInsert(const std::string& table, const rt::Variant& keyNames, const rt::Variant& keyValues) {
  return CheckerAllows("CanInsert", table, keyNames, keyValues);
}

// --- the product's property group -----------------------------------------------

void UpdateGroupChange(int32_t groupId, int32_t productId) {
  rt::ObjectPtr propertyGroup = Gen_GetComponent("Quarvel.PropertyGroup");
  rt::Args args{rt::Variant(groupId), rt::Variant(productId)};
  propertyGroup->Invoke("UpdateGroupChange", rt::CallKind::Method, args);
}

// --- recordsets and connections -------------------------------------------------

std::shared_ptr<data::Recordset> OpenRecordset(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                               int32_t cursorType, int32_t lockType,
                                               const std::vector<rt::Variant>& parameters) {
  auto rs = data::Recordset::New();
  if (parameters.empty()) {
    rs->Open(sql, cn, cursorType, lockType);
  } else {
    rs->Open(sql, cn, parameters, cursorType, lockType);
  }
  return rs;
}

int32_t ExecuteOnOwnConnection(const std::string& sql, bool readCommitted) {
  std::shared_ptr<data::Connection> cn = getConnection(readCommitted);
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

// --- text -----------------------------------------------------------------------

std::string Left(std::string_view text, int32_t length) {
  if (length < 0) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  return std::string(text.substr(0, CharacterOffset(text, length)));
}

std::string Right(std::string_view text, int32_t length) {
  if (length < 0) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  const int32_t skip = rt::Len(text) - length;
  return std::string(skip > 0 ? text.substr(CharacterOffset(text, skip)) : text);
}

// --- values ---------------------------------------------------------------------

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

int32_t LongId(const rt::Variant& value) {
  SqlNumber(value);
  return rt::CLng(value);
}

std::string SqlLong(const rt::Variant& value) { return std::to_string(LongId(value)); }

bool IsNumberValue(const rt::Variant& value) {
  if (value.IsNumericType()) return true;
  return value.IsString() && rt::IsNumeric(value);
}

bool NumberEquals(const rt::Variant& value, double n) { return IsNumberValue(value) && rt::CDbl(value) == n; }

void emptyToNull(rt::Variant& value) {
  if (!value.IsNull() && rt::Trim(rt::Concat(value)).empty()) value = rt::Variant::Null();
}

rt::Date LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return rt::Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

}  // namespace quarvel
