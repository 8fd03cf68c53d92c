// The shared steps of the catalog classes.
#include "quarvel/catalog/catalog_common.h"

#include "common/lib_general.h"
#include "common/lib_sql.h"

namespace quarvel::catalog {

std::string QuotedId(const std::string& id) { return Gen_SqlQuote(rt::Variant(id)); }

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

void CloseWithConnectionQuietly(std::shared_ptr<data::Recordset>& rs) {
  if (!rs) return;
  std::shared_ptr<data::Connection> cn = rs->ActiveConnection();
  CloseQuietly(rs, cn);
}

}  // namespace quarvel::catalog
