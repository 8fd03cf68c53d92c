// TUser: users of the membership directory: their project roles and
// default role, company number, creation and deletion. The directory is no
// part of the database transaction: a user created inside a transaction
// that then does not commit is deleted again when the transaction ends.
#include <string>
#include <utility>

#include "brintor/user/directory_access.h"
#include "brintor/user/tuser.h"
#include "brintor/user/tuser_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_userlib.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tuser;

namespace {

// Deletes a directory user again when the transaction it was created in
// does not commit. It runs as the transaction ends, outside any method: a
// failure is logged, never raised, and leaves the thread's pending error as
// it was.
class DirectoryUserUndo : public rt::Compensation {
 public:
  DirectoryUserUndo(rt::ObjectPtr members, std::string userId)
      : members_(std::move(members)), userId_(std::move(userId)) {}

  void Commit() noexcept override {}

  void Rollback() noexcept override {
    const rt::PendingError pending = rt::Err();
    try {
      members_->Call("DeleteUser", {rt::Variant(userId_)});
    } catch (...) {
      rt::TrapError();
      try {
        Err_LogError(Source("CreateUserWithAttributes"),
                     rt::Variant("the directory user '" + userId_ +
                                 "' was created in a transaction that did not commit and could not be deleted again"));
      } catch (...) {
        // Logging never raises; nothing may leave a transaction's end.
      }
    }
    rt::Err() = pending;
  }

 private:
  rt::ObjectPtr members_;
  std::string userId_;
};

}  // namespace

std::shared_ptr<rt::Dictionary> TUser::GetProjectRoles(const std::string& userId) {
  std::shared_ptr<data::Recordset> rs;
  try {
    if (userId.empty()) Err_Raise(eProjectRoleBlank, "Brintor.User.GetProjectRoles", "UserID not passed");
    const rt::Variant codes = GetAUObject(userId)->GetProperty("ProjectRoles");
    std::shared_ptr<rt::Dictionary> roles = ReadProjectRoles(codes, ConnectionString(), true, rs);
    Sql_CloseRecordset(rs);
    return roles;
  } catch (...) {
    HandleMethodError(Source("GetProjectRoles:") + userId, [&] { rt::TryResume([&] { Sql_CloseRecordset(rs); }); });
  }
  return nullptr;
}

// The user's roles that have a ROLE row go back to the directory with the
// chosen one first: it swaps places with the first in ascending order.
void TUser::SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  try {
    std::shared_ptr<rt::Dictionary> roles = GetProjectRoles(i_sUserId);
    const rt::Variant role(i_sDefaultRole);
    if (!roles->Exists(role)) {
      Err_Raise(eProjectRoleNotFound, Source("SetDefaultProjectRole"), "Project Role Not Present for the User.");
    }
    GetAUObject(i_sUserId)->LetProperty("ProjectRoles", RolesWithDefaultFirst(*roles, i_sDefaultRole));
  } catch (...) {
    HandleMethodError(Source("SetDefaultProjectRole"), Mts_SetAbort);
  }
}

void TUser::SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  try {
    GetAUObject(i_sUserId)->LetProperty("CompanyNumber", rt::Variant(i_sCompanyNumber));
  } catch (...) {
    HandleMethodError(Source("SetCompanyNumber"), Mts_SetAbort);
  }
}

// The new user does not enter the cache. Its undo is enlisted only once the
// directory answered a user, and names the id the directory answered.
rt::ObjectPtr TUser::CreateUserWithAttributes(std::string& i_sUserName, std::string& i_sPassword,
                                              rt::Variant& i_aAttrNames, rt::Variant& i_aAttrValues) {
  rt::ContextScope scope(*this);
  try {
    rt::ObjectPtr members = UL_CreateMO();
    const rt::Variant answer = members->Call(
        "CreateUser", {rt::Variant(i_sUserName), rt::Variant(i_sPassword), i_aAttrNames, i_aAttrValues});
    rt::ObjectPtr user = answer.AsObject();
    if (user) {
      rt::ObjectContext* context = rt::GetObjectContext();
      if (rt::Transaction* transaction = context ? context->CurrentTransaction() : nullptr) {
        transaction->EnlistCompensation(
            std::make_shared<DirectoryUserUndo>(members, rt::Concat(user->GetProperty("UserID"))));
      }
    }
    Mts_SetComplete();
    return user;
  } catch (...) {
    HandleMethodError(Source("CreateUserWithAttributes"), Mts_SetAbort);
  }
  return nullptr;
}

// A refusal by the checker or a failing directory answers False with an
// abort vote and raises nothing (the directory's failure is logged).
bool TUser::Delete(const std::string& userId) {
  try {
    const rt::Variant names = OneElement(rt::Variant("USERID"));
    const rt::Variant values = OneElement(rt::Variant(userId));
    rt::ObjectPtr checker = NewChecker();
    if (!rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("USER"), names, values}))) {
      Mts_SetAbort();
      return false;
    }
    rt::ObjectPtr members = UL_CreateMO();
    if (!rt::TryResume([&] { members->Call("DeleteUser", {rt::Variant(userId)}); })) {
      Mts_SetAbort();
      Err_LogError(Source("Delete"));
      rt::Err().Clear();
      return false;
    }
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("Delete"), Mts_SetAbort);
  }
  return false;
}

}  // namespace brintor
