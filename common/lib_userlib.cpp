// Lib_UserLib: creation and binding of the membership directory's objects.
#include "common/lib_userlib.h"

#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/method_error.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

rt::ObjectPtr UL_CreateUO(std::string& userPath) {
  try {
    rt::ObjectContext* context = rt::GetObjectContext();
    if (!context) Err_Raise(static_cast<int32_t>(0x80040000), "Brintor.dll", "Unable to get object context");
    rt::ObjectPtr user = Gen_GetComponent("Pellorin.User");
    rt::ObjectPtr session = context->Item("Session");
    if (!session) rt::RaiseVb(rt::vberr::kObjectNotSet);
    const std::string account = rt::Concat(session->GetProperty("Value", {rt::Variant("REMOTE_ACCOUNT")}));
    const std::string password = rt::Concat(session->GetProperty("Value", {rt::Variant("REMOTE_PASSWORD")}));
    user->Call("Bind", {rt::Variant(userPath), rt::Variant(account), rt::Variant(password)});
    return user;
  } catch (...) {
    HandleMethodError("Lib_UserLib.UL_CreateUO");
  }
  return nullptr;
}

rt::ObjectPtr UL_CreateMO() {
  try {
    return Gen_GetComponent("Pellorin.Members");
  } catch (...) {
    HandleMethodError("Lib_UserLib.UL_CreateMO");
  }
  return nullptr;
}
