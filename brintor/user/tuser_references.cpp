// TUser: its answers to the suite's referential checker, for the keys that
// name offices, BIS ids, users, buyers, suppliers, employees, property ids,
// property groups and project roles: whether a referenced value exists, in
// the database or in the membership directory. The office insert rule asks
// the same question to find a taken description.
#include <cstdint>
#include <string>

#include "brintor/user/directory_access.h"
#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

enum class Key { None, BisId, BuyerId, EmployeeId, OfficeDescription, PropertyId, PropertyGroupId, Role, SupplierId, UserId };

Key Recognise(const std::string& upperName) {
  static constexpr std::pair<const char*, Key> kKeys[] = {
      {"BISID", Key::BisId},         {"BUYERID", Key::BuyerId},
      {"EMPLOYEEID", Key::EmployeeId}, {"OFFICEDESCRIPTION", Key::OfficeDescription},
      {"PROPERTYID", Key::PropertyId}, {"PROPERTYGROUPID", Key::PropertyGroupId},
      {"ROLE", Key::Role},           {"SUPPLIERID", Key::SupplierId},
      {"USERID", Key::UserId}};
  for (const auto& [name, key] : kKeys) {
    if (upperName == name) return key;
  }
  return Key::None;
}

// The keys whose null value answers True for the budget component.
bool HasBudgetShortcut(Key key) {
  return key == Key::OfficeDescription || key == Key::UserId || key == Key::SupplierId || key == Key::BuyerId;
}

// A value that goes into a statement unquoted, as a number: Null fails with
// 94, anything that is no number with Type mismatch (13).
std::string NumberText(const rt::Variant& value) {
  if (value.IsNull()) rt::RaiseVb(rt::vberr::kInvalidUseOfNull);
  if (!value.IsNumericType() && !value.IsString()) rt::RaiseVb(rt::vberr::kTypeMismatch);
  return Gen_SqlValue(rt::Variant(rt::CDbl(value)));
}

// Whether the directory's search answer holds the value. The directory's
// "=" reads "*" as any text and knows no escape for it, so for a value that
// holds "*" only a row whose field equals the value counts: "b*" is no user.
bool Found(const rt::Variant& answer, const std::string& field, const std::string& value) {
  const rt::ObjectPtr& rows = answer.AsObject();
  if (!rows) rt::RaiseVb(rt::vberr::kObjectNotSet);
  const bool literal = value.find('*') != std::string::npos;
  bool found = false;
  while (!found && !rt::CBool(rows->GetProperty("EOF"))) {
    if (!literal) {
      found = true;
      break;
    }
    const rt::Variant cell = rows->GetProperty("Fields", {rt::Variant(field)});
    const rt::Variant stored = cell.IsObject() ? cell.AsObject()->GetProperty("Value") : cell;
    found = !stored.IsNull() && rt::TextCompare(rt::CStr(stored), value) == 0;
    rows->Call("MoveNext");
  }
  if (rt::CLng(rows->GetProperty("State")) == data::kStateOpen) rows->Call("Close");
  return found;
}

// Users whose attribute `field` ("cn": the id) is the value.
bool DirectoryHas(const std::string& field, const std::string& value) {
  rt::ObjectPtr members = UL_CreateMO();
  const bool literal = value.find('*') != std::string::npos;
  const rt::Variant answer = members->Call(
      "Search", {FilterList({field + "=" + value}), rt::Variant(literal && field != "cn" ? field : std::string())});
  return Found(answer, field, value);
}

// Users of the membership role (2 buyers, 6 suppliers) with the id.
bool DirectoryRoleHas(int32_t role, const std::string& id) {
  rt::ObjectPtr members = UL_CreateMO();
  const rt::Variant answer = members->Call("SearchByRoleAndFilter",
                                           {rt::Variant(role), FilterList({"cn=" + id}), rt::Variant("cn")});
  return Found(answer, "cn", id);
}

// True when the query gives a row.
bool HasRow(const std::shared_ptr<data::Connection>& cn, const std::string& sql) {
  std::shared_ptr<data::Recordset> rs = cn->Execute(sql);
  const bool found = !rs->Eof();
  Sql_CloseRecordset(rs);
  return found;
}

}  // namespace

bool tuser::DirectoryHasUser(const std::string& id) { return !id.empty() && DirectoryHas("cn", id); }

bool TUser::IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                         const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  auto query = [&](const std::string& sql) {
    cn = getConnection(true);
    const bool found = HasRow(cn, sql);
    Sql_CloseConnection(cn);
    return found;
  };
  try {
    // The first key this class knows decides; others are passed over, and
    // with none known the answer is True.
    const rt::SafeArray& keys = iKeys.AsArray();
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      if (i < INT16_MIN || i > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);  // a 16-bit counter
      const Key key = Recognise(rt::UCase(rt::CStr(keys.At(i))));
      if (key == Key::None) continue;
      const rt::Variant& value = iValues.AsArray().At(i);
      if (HasBudgetShortcut(key) && iOrigin == "BUDGET" && value.IsNull()) return true;
      switch (key) {
        case Key::BisId: {
          const std::string bis = NumberText(value);
          return query("SELECT BIS_BISID FROM OFFICE WHERE BIS_BISID=" + bis) ||
                 query("SELECT BISID FROM WAREHOUSE WHERE BISID=" + bis) ||
                 query("SELECT BISID FROM WORKCENTER WHERE BISID=" + bis);
        }
        case Key::OfficeDescription:
          return query("SELECT OFFICEDESCRIPTION FROM OFFICE WHERE OFFICEDESCRIPTION = '" +
                       Gen_SqlQuote(rt::Variant(rt::CStr(value))) + "'");
        case Key::PropertyId: {
          const std::string id = NumberText(value);
          return query(std::string("SELECT OFFICEDESCRIPTION FROM OFFICE WHERE") + " PROJECTPROP=" + id +
                       " OR PLANPROP=" + id + " OR EXTENSIONPROP=" + id + " OR COSTCOMPONENTPROP=" + id +
                       " OR ACTIVITYPROP=" + id + " OR ELEMENTPROP=" + id);
        }
        case Key::PropertyGroupId: {
          const std::string group = NumberText(value);
          const bool inOffice = query("SELECT OFFICEDESCRIPTION FROM OFFICE WHERE PROPERTYGROUPID=" + group);
          const bool inDirectory = DirectoryHas("PropertyGroupID", group);
          return inOffice || inDirectory;
        }
        case Key::EmployeeId: return DirectoryHas("employeenumber", rt::CStr(value));
        case Key::Role: return DirectoryHas("ProjectRole", rt::CStr(value));
        case Key::UserId: return DirectoryHas("cn", rt::CStr(value));
        case Key::BuyerId: return DirectoryRoleHas(2, rt::CStr(value));
        case Key::SupplierId: return DirectoryRoleHas(6, rt::CStr(value));
        case Key::None: break;
      }
    }
    return true;
  } catch (...) {
    HandleMethodError(Source("Exists"), [&] {
      rt::TryResume([&] { Sql_CloseConnection(cn); });
      Mts_SetAbort();
    });
  }
  return false;
}

// Nothing of this class hangs on another component's key.
bool TUser::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Mts_SetComplete();
  return true;
}

}  // namespace brintor
