// User: project roles (the table ROLE and the user's list in the
// directory, its first entry the default role) and the business processes
// that each role switches on.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "brintor/user/directory_access.h"
#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "data/field.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

namespace {

// The process columns of ROLE, business process 1 to 7.
constexpr std::array<const char*, 7> kProcesses = {"HOURSREGISTRATION", "APPROVAL",   "PROJECTHOMEPAGE",
                                                   "TEAMBOOKING",       "EXPENSEREGISTRATION", "DATAACCESS",
                                                   "ERPRELATED"};

constexpr const char* kValidateSource = "Brintor.User.ValidateBusinessProcess";

// A process counts only when its column holds Boolean True.
bool IsTrue(const rt::Variant& value) {
  const bool* flag = value.Get<bool>();
  return flag && *flag;
}

// The column of process number 1 to 7; any other number votes abort and
// raises straight to the caller, before the database is touched.
const char* ProcessColumn(int32_t number) {
  if (number < 1 || number > static_cast<int32_t>(kProcesses.size())) {
    Mts_SetAbort();
    Err_Raise(eBusinessProcessInvalid, kValidateSource, "Invalid Business Process");
  }
  return kProcesses[static_cast<size_t>(number - 1)];
}

std::string RoleRowSql(const std::string& role) {
  return "SELECT * FROM ROLE WHERE ROLE='" + Gen_SqlQuote(role) + "'";
}

// Adds the name of each Boolean field of the current row that is True and
// not yet listed.
void AddTrueProcesses(data::Recordset& rs, rt::Dictionary& processes) {
  for (int32_t i = 0; i < rs.FieldCount(); ++i) {
    auto field = rs.Field(rt::Variant(i));
    if (!IsTrue(field->Value())) continue;
    const rt::Variant name(field->Name());
    if (!processes.Exists(name)) processes.Add(name, name);
  }
}

// Leading and trailing blanks removed; Null stays Null.
rt::Variant Trimmed(const rt::Variant& value) { return value.IsNull() ? value : rt::Variant(rt::Trim(rt::CStr(value))); }

// The directory's order of user ids: without regard to case, ids that differ
// only in case by their bytes.
bool IdLess(const std::string& a, const std::string& b) {
  const int r = rt::TextCompare(a, b);
  return r != 0 ? r < 0 : a < b;
}

}  // namespace

std::shared_ptr<rt::Dictionary> User::GetAllProjectRoles() {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = cn->Execute("SELECT ROLE, DESCRIPTION FROM ROLE ORDER BY ROLE");
    auto roles = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) roles->Add(Trimmed(rs->Value("ROLE")), Trimmed(rs->Value("DESCRIPTION")));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return roles;
  } catch (...) {
    HandleMethodError("Brintor.User.GetAllProjectRoles", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// The user's directory roles that have a ROLE row, in ascending order of
// code, each with its description (a null description as the empty text).
std::shared_ptr<rt::Dictionary> User::GetProjectRoles(std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Recordset> rs;
  try {
    if (i_sUserId.empty()) Err_Raise(eProjectRoleBlank, "Brintor.User.GetProjectRoles", "UserID not passed");
    const rt::Variant codes = GetAUObject(i_sUserId)->GetProperty("ProjectRoles");
    std::shared_ptr<rt::Dictionary> roles = ReadProjectRoles(codes, ConnectionString(), false, rs);
    Sql_CloseRecordset(rs);
    return roles;
  } catch (...) {
    HandleMethodError("Brintor.User.GetProjectRoles:" + i_sUserId,
                      [&] { rt::TryResume([&] { Sql_CloseRecordset(rs); }); });
  }
  return nullptr;
}

// Element 0 of the directory's current list, read through a fresh bind and
// not checked against ROLE.
std::string User::GetDefaultProjectRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  if (iUserID.empty()) {
    Mts_SetAbort();
    Err_Raise(eProjectRoleBlank, "Brintor.User.GetDefaultProjectRole", "Project Role not Passed");
  }
  try {
    std::string id = iUserID;
    rt::ObjectPtr user = UL_CreateUO(id);
    return rt::CStr(Element0(user->GetProperty("ProjectRoles")));
  } catch (...) {
    HandleMethodError("Brintor.User.GetDefaultProjectRole:" + iUserID);
  }
  return {};
}

// Writes the user's roles that have a ROLE row back to the directory with
// the chosen one first: it swaps places with the former first role, the
// others stay in ascending order. Codes without a ROLE row are dropped.
void User::SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  try {
    std::shared_ptr<rt::Dictionary> roles = GetProjectRoles(i_sUserId);
    const rt::Variant role(i_sDefaultRole);
    if (!roles->Exists(role)) {
      Err_Raise(eProjectRoleNotFound, "Brintor.User.SetDefaultProjectRole", "Project Role Not Present for the User.");
    }
    GetAUObject(i_sUserId)->LetProperty("ProjectRoles", RolesWithDefaultFirst(*roles, i_sDefaultRole));
  } catch (...) {
    HandleMethodError("Brintor.User.SetDefaultProjectRole");
  }
}

std::shared_ptr<rt::Dictionary> User::GetBusinessProcessPerRole(std::string& iRole) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  std::shared_ptr<rt::Dictionary> processes;
  try {
    cn = getConnection();
    rs = cn->Execute(RoleRowSql(iRole));
    if (!rs->Eof()) {
      processes = rt::NewDictionary();
      AddTrueProcesses(*rs, *processes);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
  } catch (...) {
    HandleMethodError("Brintor.User.GetBusinessProcessPerRole Role: " + iRole, [&] { CloseQuietly(rs, cn); });
  }
  if (!processes) {
    Mts_SetAbort();
    Err_Raise(eProjectRoleNotFound, "Brintor.User.GetBusinessProcessPerRole", "Project Role Not Found");
  }
  return processes;
}

// Without a role the union of the processes of all the user's roles; with
// one, the processes of that role when the user holds it, else none.
std::shared_ptr<rt::Dictionary> User::GetBusinessProcessForUser(std::string& iUser, rt::Variant& iRole) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    std::shared_ptr<rt::Dictionary> roles = GetProjectRoles(iUser);
    cn = getConnection();
    auto processes = rt::NewDictionary();
    auto addRole = [&](const std::string& role) {
      rs = cn->Execute(RoleRowSql(role));
      if (!rs->Eof()) AddTrueProcesses(*rs, *processes);
      Sql_CloseRecordset(rs);
    };
    if (iRole.IsMissing()) {
      for (const rt::Dictionary::Entry& entry : roles->Entries()) addRole(rt::CStr(entry.key));
    } else {
      const std::string role = rt::CStr(iRole);
      if (roles->Exists(rt::Variant(role))) addRole(role);
    }
    Sql_CloseConnection(cn);
    return processes;
  } catch (...) {
    HandleMethodError("Brintor.User.GetBusinessProcessForUser", [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// The role is looked up with blanks around it removed.
bool User::IsValidBusinessProcess(std::string& iRole, int32_t& iBusinessProcess) {
  rt::ContextScope scope(*this);
  const char* column = ProcessColumn(iBusinessProcess);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  bool found = false, valid = false;
  try {
    cn = getConnection();
    rs = cn->Execute("select * from ROLE WHERE ROLE = '" + Gen_SqlQuote(rt::Trim(iRole)) + "'");
    found = !rs->Eof();
    if (found) valid = IsTrue(rs->Value(column));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
  } catch (...) {
    HandleMethodError("Brintor.User.IsValidBusinessProcess", [&] { CloseQuietly(rs, cn); });
  }
  if (!found) {
    Mts_SetAbort();
    Err_Raise(eProjectRoleNotFound, kValidateSource, "Project Role Not Found");
  }
  return valid;
}

// Without a role, True when any of the user's roles has the process; with
// one, only when the user holds it (exact comparison) and it has the process.
bool User::IsValidBusinessProcessForUser(std::string& iUser, int32_t& iBusinessProcess, rt::Variant& iRole) {
  rt::ContextScope scope(*this);
  const char* column = ProcessColumn(iBusinessProcess);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    std::shared_ptr<rt::Dictionary> roles = GetProjectRoles(iUser);
    auto allows = [&](const std::string& role) {
      rs = cn->Execute(RoleRowSql(rt::Trim(role)));
      const bool yes = !rs->Eof() && IsTrue(rs->Value(column));
      Sql_CloseRecordset(rs);
      return yes;
    };
    bool valid = false;
    if (iRole.IsMissing()) {
      for (const rt::Dictionary::Entry& entry : roles->Entries()) {
        if ((valid = allows(rt::CStr(entry.key)))) break;
      }
    } else {
      const std::string role = rt::CStr(iRole);
      valid = roles->Exists(rt::Variant(role)) && allows(role);
    }
    Sql_CloseConnection(cn);
    return valid;
  } catch (...) {
    HandleMethodError("Brintor.User.IsValidBusinessProcess", [&] { CloseQuietly(rs, cn); });
  }
  return false;
}

// The users holding any role with any of the named processes, each once, in
// the directory's id order, cut into a page by the caller's start key. The
// names go into the statement as column names: each must be one of the
// seven process columns (any letter case), else 5.
std::shared_ptr<rt::Dictionary> User::GetUsersByBusinessProcess(rt::Variant& i_aBusinessProcess,
                                                                rt::Variant& io_vFromUserID,
                                                                rt::Variant& i_vPageSize) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Recordset> rs;
  try {
    const rt::SafeArray& names = i_aBusinessProcess.AsArray();
    std::string condition;
    for (int32_t i = 0; i <= names.UBound(); ++i) {
      const std::string name = rt::CStr(names.At(i));
      const bool known = std::any_of(kProcesses.begin(), kProcesses.end(),
                                     [&](const char* process) { return rt::TextCompare(process, name) == 0; });
      if (!known) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
      condition += (i ? " OR " : "") + name + " = 1";
    }
    rs = Sql_GetDisconnectedRecordset("SELECT ROLE FROM ROLE WHERE " + condition, ConnectionString());

    // The union of the role lists in the directory's id order, each holder
    // once: the page walk expects ascending ids, which the lists one after
    // another are not. Each list comes sorted, so it is merged in; one that
    // is not gets the union sorted whole.
    std::vector<std::string> ids;
    bool sorted = true;
    const rt::Variant whole = rt::Variant::Missing();
    for (; !rs->Eof(); rs->MoveNext()) {
      std::string role = rt::CStr(rs->Value("ROLE"));
      rt::Variant from(""), pageSize = whole;
      std::shared_ptr<rt::Collection> users = GetUsersByProjectRole(role, from, pageSize);
      const size_t before = ids.size();
      for (int32_t i = 1; i <= users->Count(); ++i) ids.push_back(rt::CStr(users->Item(rt::Variant(i))));
      const auto middle = ids.begin() + static_cast<ptrdiff_t>(before);
      sorted = sorted && std::is_sorted(middle, ids.end(), IdLess);
      if (sorted) std::inplace_merge(ids.begin(), middle, ids.end(), IdLess);
    }
    Sql_CloseRecordset(rs);
    if (!sorted) std::sort(ids.begin(), ids.end(), IdLess);
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return getUserPageDictionary(ids, io_vFromUserID, i_vPageSize);
  } catch (...) {
    HandleMethodError("Brintor.User.GetUsersByBusinessProcess",
                      [&] { rt::TryResume([&] { Sql_CloseRecordset(rs); }); });
  }
  return nullptr;
}

}  // namespace brintor
