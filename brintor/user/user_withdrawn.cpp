// User: the withdrawn methods. Each fails with error -1 naming the method of
// TUser that replaced it, whatever it is passed; none forwards the call.
#include <string>

#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "runtime/context.h"

namespace brintor {

namespace {

// The replacement in TUser stands where the method name goes.
[[noreturn]] void Withdrawn(const std::string& method) {
  DeprecatedStub("This method is depricated, Use Brintor.TUser." + method + " Method");
}

}  // namespace

rt::ObjectPtr User::InsertFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertFromScript");
}

rt::ObjectPtr User::UpdateFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateFromScript");
}

rt::ObjectPtr User::DeleteFromScript(std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteFromScript");
}

bool User::DeleteOffice(std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteOffice");
}

rt::ObjectPtr User::CreateUserWithAttributes(std::string&, std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("CreateUserWithAttributes");
}

rt::ObjectPtr User::InsertBiddingUser(rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&,
                                      rt::Variant&, std::string&, std::string&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertBiddingUser");
}

bool User::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_Exists");
}

bool User::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_BeforeDelete");
}

rt::ObjectPtr User::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Insert");
}

rt::ObjectPtr User::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Update");
}

rt::ObjectPtr User::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Delete");
}

rt::ObjectPtr User::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_GetInstance");
}

}  // namespace brintor
