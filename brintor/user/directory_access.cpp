// Reading the membership directory's answers: value arrays, search rows, the
// kept directory user and project roles.
#include "brintor/user/directory_access.h"

#include <memory>

#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"

namespace brintor {

rt::Variant Element0(const rt::Variant& values) {
  if (!values.IsArray()) return values;
  return values.AsArray().At(0);
}

void ForEachUserId(const rt::Variant& recordset, const std::function<bool(const rt::Variant&)>& row) {
  if (!recordset.IsObject() || recordset.IsNothing()) return;
  const rt::ObjectPtr& object = recordset.AsObject();
  if (auto rs = std::dynamic_pointer_cast<data::Recordset>(object)) {
    while (!rs->Eof()) {
      if (!row(rs->Value("cn"))) break;
      rs->MoveNext();
    }
    if (rs->State() == data::kStateOpen) rs->Close();
    return;
  }
  // Any other recordset, late-bound.
  while (!rt::CBool(object->GetProperty("EOF"))) {
    rt::Variant field = object->GetProperty("Fields", {rt::Variant("cn")});
    if (!row(field.IsObject() ? field.AsObject()->GetProperty("Value") : field)) break;
    object->Call("MoveNext");
  }
  if (rt::CLng(object->GetProperty("State")) == data::kStateOpen) object->Call("Close");
}

rt::Variant FilterList(std::initializer_list<std::string> filters) {
  std::vector<rt::Variant> items;
  for (const std::string& f : filters) items.emplace_back(f);
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

rt::ObjectPtr DirectoryUserCache::Get(const std::string& userId) {
  try {
    if (user_) {
      if (rt::Concat(user_->GetProperty("UserID")) == userId) return user_;
      user_.reset();
    }
    std::string id = userId;
    user_ = UL_CreateUO(id);
    return user_;
  } catch (...) {
    HandleMethodError("Utility.GetAUObject", [&] { user_.reset(); });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> ReadProjectRoles(const rt::Variant& codes, const std::string& connectionString,
                                                 bool readCommitted, std::shared_ptr<data::Recordset>& rs) {
  auto roles = rt::NewDictionary();
  if (Element0(codes).IsEmpty()) return roles;
  std::string list;
  const rt::SafeArray& array = codes.AsArray();
  for (int32_t i = 0; i <= array.UBound(); ++i) {
    list += '\'';
    list += Gen_SqlQuote(rt::CStr(array.At(i)));
    list += "',";
  }
  list.pop_back();
  rs = Sql_GetDisconnectedRecordset(
      std::string("SELECT ROLE, DESCRIPTION FROM ROLE WHERE ROLE ") + "IN (" + list + ")" + " ORDER BY ROLE",
      connectionString, readCommitted);
  for (; !rs->Eof(); rs->MoveNext())
    roles->Add(rt::Variant(rt::CStr(rs->Value("ROLE"))), rt::Variant(Gen_NullToEmpty(rs->Value("DESCRIPTION"))));
  return roles;
}

rt::Variant RolesWithDefaultFirst(const rt::Dictionary& roles, const std::string& role) {
  rt::Variant keys = roles.Keys();
  rt::SafeArray& codes = keys.MutableArray();
  for (int32_t p = 0; p <= codes.UBound(); ++p) {
    if (rt::CStr(codes.At(p)) == role) {
      codes.At(p) = codes.At(0);
      codes.At(0) = rt::Variant(role);
      break;
    }
  }
  return keys;
}

}  // namespace brintor
