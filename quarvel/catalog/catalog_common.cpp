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

std::string QuotedId(const std::string& id) { return Gen_SqlQuote(rt::Variant(id)); }

void CountIn16Bits(int32_t index) {
  if (index < INT16_MIN || index > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  if (text.empty()) return parts;
  for (size_t from = 0;;) {
    const size_t at = text.find(';', from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 1;
  }
}

rt::Variant PartsArray(const std::vector<std::string>& parts) {
  rt::ArrayPtr array = rt::SafeArray::OneDim(0, static_cast<int32_t>(parts.size()) - 1, rt::VarType::String);
  for (size_t i = 0; i < parts.size(); ++i) array->At(static_cast<int32_t>(i)) = rt::Variant(parts[i]);
  return rt::Variant(array);
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

std::shared_ptr<rt::Dictionary> ReadNodeNames(const std::string& sql, const std::shared_ptr<data::Connection>& cn) {
  std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  auto nodes = rt::NewDictionary();
  for (; !rs->Eof(); rs->MoveNext()) nodes->Add(rs->Value("NODEID"), rs->Value("NODENAME"));
  Sql_CloseRecordset(rs);
  return nodes;
}

rt::Variant FirstValue(const std::string& sql, const std::shared_ptr<data::Connection>& cn, const char* column) {
  std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  rt::Variant value = rs->Eof() ? rt::Variant::Missing() : rs->Value(column);
  Sql_CloseRecordset(rs);
  return value;
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

}  // namespace quarvel::catalog
