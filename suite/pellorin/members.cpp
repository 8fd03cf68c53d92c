// Members ("Pellorin.Members"): searches answered as detached ADO recordsets
// in directory order, batches with their next key, and account creation and
// removal.
#include "suite/pellorin/members.h"

#include "data/data_types.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "suite/pellorin/entry_values.h"
#include "suite/pellorin/user.h"

namespace pellorin {
namespace {

const char* const kSource = "Pellorin.Members";

// Rows held in memory, served to the recordset as a statement's result.
class RowsStatement : public data::Statement {
 public:
  RowsStatement(std::vector<data::ColumnInfo> columns, std::vector<std::vector<rt::Variant>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}
  int ParameterCount() const override { return 0; }
  void Bind(int, const rt::Variant&) override {}
  bool Step() override { return ++row_ < rows_.size(); }
  int ColumnCount() const override { return static_cast<int>(columns_.size()); }
  const data::ColumnInfo& Column(int index) const override { return columns_[index]; }
  rt::Variant Value(int index) const override { return rows_[row_][index]; }
  bool ReadOnly() const override { return true; }

 private:
  std::vector<data::ColumnInfo> columns_;
  std::vector<std::vector<rt::Variant>> rows_;
  size_t row_ = static_cast<size_t>(-1);
};

const char* DeclaredType(AttributeType type) {
  switch (type) {
    case AttributeType::Text: return "nvarchar(255)";
    case AttributeType::Int16: return "smallint";
    case AttributeType::Int32: return "int";
    case AttributeType::Boolean: return "bit";
    case AttributeType::Currency: return "money";
    case AttributeType::Date: return "datetime";
  }
  return "nvarchar(255)";
}

// The filter texts of a caller's filter list: an array, one text, or
// Nothing / Empty / omitted for none.
std::vector<Filter> FiltersOf(const rt::Variant& list) {
  std::vector<Filter> filters;
  if (list.IsObject()) {
    if (!list.IsNothing())
      RaiseDirectoryError(eInvalidFilter, kSource, "The filter list is neither an array nor Nothing");
    return filters;
  }
  if (list.IsNull()) return filters;
  for (const rt::Variant& text : ValuesOf(list)) filters.push_back(ParseFilter(rt::CStr(text)));
  return filters;
}

std::vector<Filter> RoleFilter(const rt::Variant& role) {
  return {ParseFilter("VYRole=" + std::to_string(rt::CLng(role)))};
}

// The attribute names of a field list, "cn" first and once.
std::vector<std::string> FieldNames(const std::string& attributes) {
  std::vector<std::string> names = {"cn"};
  size_t start = 0;
  while (start <= attributes.size()) {
    size_t comma = attributes.find(',', start);
    std::string name = rt::Trim(attributes.substr(start, comma == std::string::npos ? std::string::npos
                                                                                    : comma - start));
    if (!name.empty() && rt::TextCompare(name, "cn") != 0) names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return names;
}

}  // namespace

const rt::DispatchTable* Members::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Members>("Members")
                                             .Method("Search", &Members::SearchLate)
                                             .Get("NextKey", &Members::NextKey)
                                             .Method("SearchByRole", &Members::SearchByRoleLate)
                                             .Method("SearchByRoleAndFilter", &Members::SearchByRoleAndFilter)
                                             .Method("CreateUser", &Members::CreateUser)
                                             .Method("DeleteUser", &Members::DeleteUser)
                                             .Build();
  return &table;
}

DirectoryStore& Members::Store() {
  if (!store_) store_ = OpenConfiguredDirectory();
  return *store_;
}

rt::ObjectPtr Members::Search(const rt::Variant& filters, const std::string& attributes,
                              const rt::Variant& batchSize) {
  std::vector<Filter> parsed = FiltersOf(filters);
  int32_t limit = 0;
  // No batch size: omitted, Empty, Null or Nothing.
  if (!batchSize.IsMissing() && !batchSize.IsEmpty() && !batchSize.IsNull() && !batchSize.IsNothing())
    limit = rt::CLng(batchSize);
  std::vector<std::string> ids = Store().Search(parsed);
  nextKey_.clear();
  if (limit > 0 && ids.size() > static_cast<size_t>(limit)) {
    nextKey_ = ids[static_cast<size_t>(limit)];
    ids.resize(static_cast<size_t>(limit));
  }
  return Rows(ids, attributes);
}

rt::ObjectPtr Members::SearchLate(const rt::Variant& filters, const rt::Variant& attributes,
                                  const rt::Variant& batchSize) {
  std::string names = attributes.IsMissing() ? std::string() : rt::Concat(attributes);
  return Search(filters, names, batchSize);
}

rt::ObjectPtr Members::SearchByRole(const rt::Variant& role, const std::string& attributes) {
  nextKey_.clear();
  return Rows(Store().Search(RoleFilter(role)), attributes);
}

rt::ObjectPtr Members::SearchByRoleLate(const rt::Variant& role, const rt::Variant& attributes) {
  return SearchByRole(role, attributes.IsMissing() ? std::string() : rt::Concat(attributes));
}

rt::ObjectPtr Members::SearchByRoleAndFilter(rt::Variant& role, rt::Variant& filters,
                                             rt::Variant& attributes) {
  std::vector<Filter> parsed = RoleFilter(role);
  for (Filter& filter : FiltersOf(filters)) parsed.push_back(std::move(filter));
  nextKey_.clear();
  return Rows(Store().Search(parsed), attributes.IsMissing() ? std::string() : rt::Concat(attributes));
}

rt::ObjectPtr Members::CreateUser(const std::string& userName, const std::string& password,
                                  const rt::Variant& attributeNames, const rt::Variant& attributeValues) {
  std::vector<rt::Variant> names = ValuesOf(attributeNames);
  AttributeChanges attributes;
  if (!names.empty()) {
    const rt::SafeArray& values = attributeValues.AsArray();
    const rt::SafeArray& nameArray = attributeNames.AsArray();
    for (int32_t i = nameArray.LBound(); i <= nameArray.UBound(); ++i) {
      const rt::Variant& name = nameArray.At(i);
      if (name.IsEmpty()) continue;
      AttributeInfo info = DescribeAttribute(rt::CStr(name));
      // Values pair with names by position from each array's lower bound.
      int32_t at = values.LBound() + (i - nameArray.LBound());
      if (at > values.UBound())
        RaiseDirectoryError(eInvalidValue, kSource, "The attribute '" + info.name + "' has no value");
      std::vector<std::string> stored;
      for (const rt::Variant& v : ValuesOf(values.At(at))) stored.push_back(ToStoredText(info, v));
      if (!info.multiValued && stored.size() > 1)
        RaiseDirectoryError(eInvalidValue, kSource, "The attribute '" + info.name + "' takes one value");
      attributes.emplace_back(std::move(info), std::move(stored));
    }
  }
  Store().Create(userName, password, attributes);
  std::optional<Entry> entry = Store().Read(userName);
  if (!entry) RaiseDirectoryError(eNoSuchUser, kSource, "The directory holds no user '" + userName + "'");
  return std::make_shared<User>(store_, std::move(*entry));
}

void Members::DeleteUser(const std::string& userId) {
  if (!Store().Remove(userId))
    RaiseDirectoryError(eNoSuchUser, kSource, "The directory holds no user '" + userId + "'");
}

rt::ObjectPtr Members::Rows(const std::vector<std::string>& ids, const std::string& attributes) {
  std::vector<std::string> names = FieldNames(attributes);
  std::vector<data::ColumnInfo> columns;
  std::vector<AttributeInfo> infos;
  for (const std::string& name : names) {
    data::ColumnInfo column;
    AttributeInfo info;
    if (rt::TextCompare(name, "cn") == 0) {
      info.name = "cn";
    } else {
      info = DescribeAttribute(name);
    }
    column.name = info.name;
    column.declared = DeclaredType(info.type);
    column.type = data::TypeFromDeclared(column.declared);
    columns.push_back(std::move(column));
    infos.push_back(std::move(info));
  }
  std::vector<std::vector<rt::Variant>> rows;
  rows.reserve(ids.size());
  for (const std::string& id : ids) {
    std::vector<rt::Variant> row = {rt::Variant(id)};
    if (names.size() > 1) {
      std::optional<Entry> entry = Store().Read(id);
      for (size_t i = 1; i < infos.size(); ++i) {
        const std::vector<std::string>* stored = entry ? entry->Find(infos[i].name) : nullptr;
        row.push_back(stored && !stored->empty() ? FromStoredText(infos[i], stored->front())
                                                 : rt::Variant::Null());
      }
    }
    rows.push_back(std::move(row));
  }
  auto recordset = data::Recordset::New();
  recordset->Load(std::make_unique<RowsStatement>(std::move(columns), std::move(rows)), "", nullptr,
                  data::kCursorStatic, data::kLockReadOnly);
  return recordset;
}

}  // namespace pellorin
