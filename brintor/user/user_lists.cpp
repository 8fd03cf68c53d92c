// User: lists of directory users (by membership role, by project user type
// or role, internal users), cut into pages by a start key that the caller
// carries between calls; one user's named attributes; the offices of the
// users a search finds.
#include <set>
#include <string>
#include <unordered_set>

#include "brintor/user/directory_access.h"
#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "runtime/context.h"

namespace brintor {

namespace {

constexpr int16_t kBuyerRole = 2;
constexpr int16_t kApproverRole = 4;
constexpr int16_t kSupplierRole = 6;

// Collects the "cn" of each row; a repeated id fails as the keyed collection
// it stands for would (457), ids compared without regard to case.
std::vector<rt::Variant> CollectIds(const rt::Variant& recordset) {
  std::vector<rt::Variant> ids;
  std::unordered_set<std::string> seen;
  ForEachUserId(recordset, [&](const rt::Variant& cn) {
    std::string id = rt::CStr(cn);
    if (!id.empty() && !seen.insert(rt::LCase(id)).second) rt::RaiseVb(rt::vberr::kKeyAlreadyAssociated);
    ids.emplace_back(std::move(id));
    return true;
  });
  return ids;
}

// True when the roles array holds the supplier role.
bool HoldsSupplierRole(const rt::Variant& roles) {
  if (!roles.IsArray()) return false;
  const rt::SafeArray& list = roles.AsArray();
  for (int32_t i = 0; i <= list.UBound(); ++i) {
    if (rt::CLng(list.At(i)) == kSupplierRole) return true;
  }
  return false;
}

bool IsNothing(const rt::Variant& v) { return !v.IsObject() || v.IsNothing(); }

// The page walk shared by both page forms: the page starts at the first id
// not below the start key (compared without regard to case) and takes every
// id from there, in the list's order, until the page size is reached. The
// caller's start key becomes the last id taken + "!" when the page filled,
// else the empty text.
template <class Ids, class Take>
void WalkPage(const Ids& ids, rt::Variant& startKey, const rt::Variant& pageSize, Take take) {
  const bool sized = !pageSize.IsMissing();
  if (sized && rt::CDbl(pageSize) <= 0) {
    startKey = rt::Variant("");
    return;
  }
  const std::string from = rt::Concat(startKey);
  std::string nextKey;
  int16_t count = 0;
  bool taking = false;
  for (const auto& id : ids) {
    const std::string text = rt::CStr(rt::Variant(id));
    if (!taking) taking = from.empty() || rt::TextCompare(text, from) >= 0;
    if (!taking) continue;
    take(id, text);
    if (count == INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
    ++count;
    if (sized && count == rt::CInt(pageSize)) {
      nextKey = text;
      break;
    }
  }
  startKey = rt::Variant(nextKey.empty() ? std::string() : nextKey + "!");
}

}  // namespace

std::shared_ptr<rt::Collection> User::getUserPage(const std::vector<rt::Variant>& ids, rt::Variant& startKey,
                                                  const rt::Variant& pageSize) {
  auto page = std::make_shared<rt::Collection>();
  WalkPage(ids, startKey, pageSize, [&](const rt::Variant& id, const std::string&) { page->Add(id); });
  return page;
}

std::shared_ptr<rt::Dictionary> User::getUserPageDictionary(const std::vector<std::string>& ids,
                                                            rt::Variant& startKey, const rt::Variant& pageSize) {
  auto page = rt::NewDictionary();
  WalkPage(ids, startKey, pageSize, [&](const std::string&, const std::string& text) {
    const rt::Variant id(text);
    page->Add(id, id);
  });
  return page;
}

std::vector<rt::Variant> User::getVYUsersHavingRole(int16_t role) {
  try {
    rt::ObjectPtr members = UL_CreateMO();
    return CollectIds(members->Call("SearchByRole", {rt::Variant(role), rt::Variant("cn")}));
  } catch (...) {
    HandleMethodError("Brintor.User.getVYUsersHavingRole");
  }
  return {};
}

std::vector<rt::Variant> User::GetVYUsers(const rt::Variant& filters) {
  try {
    rt::ObjectPtr members = UL_CreateMO();
    const bool none = filters.IsEmpty() || filters.IsMissing();
    return CollectIds(members->Call("Search", {none ? rt::Variant::Nothing() : filters, rt::Variant("")}));
  } catch (...) {
    HandleMethodError("Brintor.User.GetVYUsers");
  }
  return {};
}

std::shared_ptr<rt::Collection> User::RoleList(int16_t role, rt::Variant& startKey, const rt::Variant& pageSize) {
  return getUserPage(getVYUsersHavingRole(role), startKey, pageSize);
}

std::shared_ptr<rt::Collection> User::GetAllBuyers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  return RoleList(kBuyerRole, io_vFromUserID, i_vPageSize);
}

std::shared_ptr<rt::Collection> User::GetAllApprovers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  return RoleList(kApproverRole, io_vFromUserID, i_vPageSize);
}

std::shared_ptr<rt::Collection> User::GetAllSuppliers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  return RoleList(kSupplierRole, io_vFromUserID, i_vPageSize);
}

std::shared_ptr<rt::Collection> User::GetUsersByUserType(int16_t& iUserType, rt::Variant& io_vFromUserID,
                                                         rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  const auto ids = GetVYUsers(FilterList({"ProjectUserType=" + std::to_string(iUserType)}));
  return getUserPage(ids, io_vFromUserID, i_vPageSize);
}

std::shared_ptr<rt::Collection> User::GetUsersByProjectRole(std::string& iRole, rt::Variant& io_vFromUserID,
                                                            rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  const auto ids = GetVYUsers(FilterList({"ProjectRole=" + iRole}));
  return getUserPage(ids, io_vFromUserID, i_vPageSize);
}

// Asks the directory in batches of the page size from the key on, binding each
// user found (with the membership script account) to leave out suppliers.
// Whenever the page fills, the key handed back continues after the last
// listed user, even when the directory's last batch held more users.
std::shared_ptr<rt::Dictionary> User::GetAllInternalUsers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr configuration, members, user;
  try {
    configuration = Gen_GetComponent("Solvane.Configuration");
    members = Gen_GetComponent("Pellorin.Members");
    user = Gen_GetComponent("Pellorin.User");
    auto page = rt::NewDictionary();
    std::string key = rt::CStr(io_vFromUserID);

    configuration->Call("SelectDefaultServer");
    auto setting = [&](const char* name) {
      return rt::Concat(configuration->Call("GetValue", {rt::Variant("MEMBERSHIP"), rt::Variant(name)}));
    };
    std::string account = setting("MemScriptUser");
    const std::string password = setting("MemScriptCode");
    const std::string root = setting("LDAPRoot");
    if (!root.empty()) account += "," + root;

    // Without a page size there is nothing to compare the count with.
    if (i_vPageSize.IsMissing()) rt::RaiseVb(rt::vberr::kTypeMismatch);
    const int32_t pageSize = rt::CLng(i_vPageSize);
    if (pageSize <= 0) {
      io_vFromUserID = rt::Variant("");
      return page;
    }

    int32_t count = 0;
    std::string lastListed;
    do {
      rt::Variant rows =
          members->Call("Search", {FilterList({"cn>=" + key}), rt::Variant(""), i_vPageSize});
      if (IsNothing(rows)) {
        key.clear();
        continue;
      }
      ForEachUserId(rows, [&](const rt::Variant& cn) {
        const std::string id = rt::CStr(cn);
        user->Call("Bind", {rt::Variant(id), rt::Variant(account), rt::Variant(password)});
        rt::Variant roles = user->GetProperty("Roles");
        if (Element0(roles).IsEmpty()) {
          rt::Variant related = user->GetProperty("RelatedEntry");
          if (!IsNothing(related)) roles = related.AsObject()->GetProperty("Roles");
        }
        if (!HoldsSupplierRole(roles)) {
          page->Add(rt::Variant(id), rt::Variant(rt::SafeArray::From(
                                         {user->GetProperty("Name"), user->GetProperty("Surname")})));
          lastListed = id;
          ++count;
        }
        return count < pageSize;
      });
      key = rt::Concat(members->GetProperty("NextKey"));
    } while (count < pageSize && !key.empty());

    const bool filled = count >= pageSize;
    configuration.reset();
    members.reset();
    user.reset();
    io_vFromUserID = rt::Variant(filled ? lastListed + "!" : std::string());
    return page;
  } catch (...) {
    HandleMethodError("Brintor.User.GetAllInternalUsers", [&] {
      configuration.reset();
      members.reset();
      user.reset();
    });
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> User::GetUserDetails(std::string& i_sUserId, rt::Variant& i_aAttribNames) {
  rt::ContextScope scope(*this);
  rt::Variant info("Array is invalid.");
  try {
    const int32_t upper = i_aAttribNames.AsArray().UBound();
    if (upper < 0) Err_Raise(eInvalidArray, "Brintor.User.GetUserDetails", "Array is invalid.");
    info = rt::Variant::Missing();

    rt::ObjectPtr user = GetAUObject(i_sUserId);
    auto details = rt::NewDictionary();
    const rt::SafeArray& names = i_aAttribNames.AsArray();
    static const std::set<std::string> kGroupA = {"LANGUAGEID", "LOCALE"};
    static const std::set<std::string> kGroupB = {"VYAPPS", "VYCATALOGIDS", "VYDASHBOARDIDS", "EFAQVISIBILITY",
                                                  "VYROLE"};
    for (int32_t i = names.LBound(); i <= upper; ++i) {
      const rt::Variant& name = names.At(i);
      rt::Variant value = user->Call("GetAttribute", {name});
      const std::string upperName = rt::UCase(rt::CStr(name));
      const bool groupA = kGroupA.count(upperName) > 0;
      const bool groupB = kGroupB.count(upperName) > 0;
      if (groupA || groupB) {
        bool replaced = false;
        if (Element0(value).IsEmpty()) {
          rt::Variant related = user->GetProperty("RelatedEntry");
          if (!IsNothing(related)) {
            value = related.AsObject()->Call("GetAttribute", {name});
            replaced = true;
          }
        }
        if (groupB && !replaced && value.IsArray() && rt::VbEquals(Element0(value), rt::Variant(int32_t{-1})))
          value.MutableArray().At(0) = rt::Variant();
      }
      details->Add(name, value);
    }
    return details;
  } catch (...) {
    HandleMethodError("Brintor.User.GetUserDetails", info);
  }
  return nullptr;
}

std::shared_ptr<rt::Collection> User::SearchOfficesByUser(std::string& iSearchString) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr members = UL_CreateMO();
    rt::Variant rows = members->Call("Search", {FilterList({"cn=" + iSearchString}), rt::Variant("")});
    auto offices = std::make_shared<rt::Collection>();
    std::unordered_set<std::string> listed;
    ForEachUserId(rows, [&](const rt::Variant& cn) {
      std::string id = rt::CStr(cn);
      const std::string office = GetAdminOffice(id);
      if (!office.empty() && listed.insert(rt::LCase(office)).second) offices->Add(rt::Variant(office), rt::Variant(office));
      return true;
    });
    return offices;
  } catch (...) {
    HandleMethodError("Brintor.User.searchOfficesByUser");
  }
  return nullptr;
}

}  // namespace brintor
