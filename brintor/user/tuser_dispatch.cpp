// TUser's member table: its dual interface in slot order, then
// BusinessRules and IReferentialIntegrity.
#include "brintor/user/tuser.h"
#include "runtime/dispatch.h"

namespace brintor {

const rt::DispatchTable* TUser::Dispatch() const {
  using T = TUser;
  static const rt::DispatchTable table =
      rt::DispatchBuilder<T>("TUser")
          .Method("DeleteOffice", &T::DeleteOffice)
          .Method("InsertFromScript", &T::InsertFromScript)
          .Method("UpdateFromScript", &T::UpdateFromScript)
          .Method("DeleteFromScript", &T::DeleteFromScript)
          .Method("SetCompanyNumber", &T::SetCompanyNumber)
          .Method("SetDefaultProjectRole", &T::SetDefaultProjectRole)
          .Method("CreateUserWithAttributes", &T::CreateUserWithAttributes)
          .Method("InsertBiddingUser", &T::InsertBiddingUser)
          .Method("DeleteBPSPerUser", &T::DeleteBPSPerUser)
          .Method("InsertBPSPerUser", &T::InsertBPSPerUser)
          .Method("BusinessRules_Insert", &T::BusinessRules_Insert)
          .Method("BusinessRules_Update", &T::BusinessRules_Update)
          .Method("BusinessRules_Delete", &T::BusinessRules_Delete)
          .Method("BusinessRules_GetInstance", &T::BusinessRules_GetInstance)
          .Method("IReferentialIntegrity_Exists", &T::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &T::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace brintor
