// User: the withdrawn methods. Each fails with error -1 naming the method of
// TUser that replaced it, whatever it is passed; none forwards the call.
#include <string>

#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

namespace {

[[noreturn]] void DeprecatedStub(const std::string& method) {
  rt::PendingError& err = rt::Err();
  err.Clear();
  err.number = -1;
  err.source = rt::CurrentComponentName();
  err.description = rt::VbErrorText(-1);
  Err_LogAndRaise("This method is depricated, Use Brintor.TUser." + method + " Method");
  throw rt::ComError(-1, err.source, err.description);  // not reached: Err_LogAndRaise raised
}

}  // namespace

rt::ObjectPtr User::InsertFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("InsertFromScript");
}

rt::ObjectPtr User::UpdateFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("UpdateFromScript");
}

rt::ObjectPtr User::DeleteFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("DeleteFromScript");
}

bool User::DeleteOffice(std::string&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("DeleteOffice");
}

rt::ObjectPtr User::CreateUserWithAttributes(std::string&, std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("CreateUserWithAttributes");
}

rt::ObjectPtr User::InsertBiddingUser(rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&,
                                      rt::Variant&, std::string&, std::string&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("InsertBiddingUser");
}

bool User::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("IReferentialIntegrity_Exists");
}

bool User::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("IReferentialIntegrity_BeforeDelete");
}

rt::ObjectPtr User::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("BusinessRules_Insert");
}

rt::ObjectPtr User::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("BusinessRules_Update");
}

rt::ObjectPtr User::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("BusinessRules_Delete");
}

rt::ObjectPtr User::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("BusinessRules_GetInstance");
}

}  // namespace brintor
