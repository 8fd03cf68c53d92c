// User: the members whose work is not built yet (offices, mail, employees,
// project roles). Each answers a "not yet available" error.
#include <string>

#include "brintor/user/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

namespace {

constexpr int32_t kNotImplemented = static_cast<int32_t>(0x80004001);

[[noreturn]] void NotYetAvailable(const std::string& method, const std::string& source = {}) {
  rt::Raise(kNotImplemented, source.empty() ? "Brintor.User." + method : source,
            method + " is not yet available");
}

}  // namespace

void User::SendEmail(std::string&, std::string&, std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("SendEmail");
}

void User::SendEmailwithAttachment(std::string&, std::string&, std::string&, std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("SendEmailwithAttachment");
}

rt::Variant User::GetAllAdministrativeOffices() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllAdministrativeOffices");
}

rt::Variant User::GetAllPurchaseOffices() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllPurchaseOffices");
}

rt::Variant User::GetOfficeParams(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetOfficeParams");
}

rt::Variant User::GetEmployeeDetails(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetEmployeeDetails", "Brintor.User.getEmployeeDetails");
}

rt::Variant User::GetAllEmployees(rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllEmployees", "Brintor.User.getAllEmployees");
}

rt::Variant User::GetEmployeeData(rt::Variant&, std::string&, int16_t&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetEmployeeData");
}

rt::Variant User::GetRangeOfEmployees(std::string&, std::string&, std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetRangeOfEmployees");
}

rt::Variant User::GetAllEmployeesbyDepartment(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllEmployeesbyDepartment", "Brintor.User.getAllEmployeesbyDepartment");
}

rt::Variant User::GetAllDepartments() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllDepartments");
}

rt::Variant User::GetAllProjectRoles() {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetAllProjectRoles");
}

rt::Variant User::GetProjectRoles(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetProjectRoles");
}

std::string User::GetDefaultProjectRole(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetDefaultProjectRole");
}

void User::SetDefaultProjectRole(std::string&, std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("SetDefaultProjectRole");
}

rt::Variant User::GetBusinessProcessPerRole(std::string&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetBusinessProcessPerRole");
}

rt::Variant User::GetBusinessProcessForUser(std::string&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetBusinessProcessForUser");
}

bool User::IsValidBusinessProcess(std::string&, int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("IsValidBusinessProcess");
}

rt::Variant User::GetUsersByBusinessProcess(rt::Variant&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("GetUsersByBusinessProcess");
}

bool User::IsValidBusinessProcessForUser(std::string&, int32_t&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("IsValidBusinessProcessForUser", "Brintor.User.IsValidBusinessProcess");
}

}  // namespace brintor
