// User: the late-bound members of `_User` in slot order, then the withdrawn
// members of the two infrastructure interfaces.
#include "brintor/user/user.h"
#include "runtime/dispatch.h"

namespace brintor {

namespace {

// The withdrawn infrastructure members take anything and fail the same way.
template <class F>
rt::Member::Handler Withdrawn(F call) {
  return [call](rt::Object& self, rt::Args&) -> rt::Variant { return rt::Variant(call(static_cast<User&>(self))); };
}

}  // namespace

const rt::DispatchTable* User::Dispatch() const {
  using M = rt::CallKind;
  static const rt::DispatchTable table =
      rt::DispatchBuilder<User>("User")
          .Method("InsertFromScript", &User::InsertFromScript)
          .Method("UpdateFromScript", &User::UpdateFromScript)
          .Method("DeleteFromScript", &User::DeleteFromScript)
          .Method("GetUserLocale", &User::GetUserLocale)
          .Method("GetUserLanguage", &User::GetUserLanguage)
          .Method("GetUsername", &User::GetUsername)
          .Method("GetEmailAddress", &User::GetEmailAddress)
          .Method("GetAddressID", &User::GetAddressID)
          .Method("GetPurOffice", &User::GetPurOffice)
          .Method("GetAdminOffice", &User::GetAdminOffice)
          .Method("GetBuyerRole", &User::GetBuyerRole)
          .Method("GetRequisitionerRole", &User::GetRequisitionerRole)
          .Method("GetApproverRole", &User::GetApproverRole)
          .Method("GetFinancialRole", &User::GetFinancialRole)
          .Method("GetExternalRole", &User::GetExternalRole)
          .Method("GetSpendLimit", &User::GetSpendLimit)
          .Method("GetPropertyGroup", &User::GetPropertyGroup)
          .Method("GetReqPrefix", &User::GetReqPrefix)
          .Method("GetWhReqPrefix", &User::GetWhReqPrefix)
          .Method("GetDefaultURL", &User::GetDefaultURL)
          .Method("GetCompany", &User::GetCompany)
          .Method("GetCompanyNumber", &User::GetCompanyNumber)
          .Method("SetCompanyNumber", &User::SetCompanyNumber)
          .Method("GetFinancialCompanyAdmin", &User::GetFinancialCompanyAdmin)
          .Method("GetFinancialCompanyCardUser", &User::GetFinancialCompanyCardUser)
          .Method("GetProjectUserType", &User::GetProjectUserType)
          .Method("GetEmployee", &User::GetEmployee)
          .Method("GetCreditCardNumber", &User::GetCreditCardNumber)
          .Method("GetNullCreditCardExpiry", &User::GetNullCreditCardExpiry)
          .Method("GetCreditCardType", &User::GetCreditCardType)
          .Method("GetRequisitionerManager", &User::GetRequisitionerManager)
          .Method("GetBillToBusinessPartnerID", &User::GetBillToBusinessPartnerID)
          .Method("GetBusinessPartnerID", &User::GetBusinessPartnerID)
          .Method("GetSubstituteApprover", &User::GetSubstituteApprover)
          .Method("GetShipToContactInformation", &User::GetShipToContactInformation)
          .Method("GetCostCenter", &User::GetCostCenter)
          .Method("GetCurrencyCode", &User::GetCurrencyCode)
          .Method("GetWarehouseOfUser", &User::GetWarehouseOfUser)
          .Method("SendEmail", &User::SendEmail)
          .Method("GetAllAdministrativeOffices", &User::GetAllAdministrativeOffices)
          .Method("GetAllPurchaseOffices", &User::GetAllPurchaseOffices)
          .Method("GetOfficeParams", &User::GetOfficeParams)
          .Method("GetEmployeeDetails", &User::GetEmployeeDetails)
          .Method("GetAllEmployees", &User::GetAllEmployees)
          .Method("GetEmployeeData", &User::GetEmployeeData)
          .Method("GetRangeOfEmployees", &User::GetRangeOfEmployees)
          .Method("GetAllEmployeesbyDepartment", &User::GetAllEmployeesbyDepartment)
          .Method("GetAllDepartments", &User::GetAllDepartments)
          .Method("GetAllBuyers", &User::GetAllBuyers)
          .Method("GetAllApprovers", &User::GetAllApprovers)
          .Method("GetAllSuppliers", &User::GetAllSuppliers)
          .Method("GetAllInternalUsers", &User::GetAllInternalUsers)
          .Method("GetUserDetails", &User::GetUserDetails)
          .Method("GetUsersByUserType", &User::GetUsersByUserType)
          .Method("GetUsersByProjectRole", &User::GetUsersByProjectRole)
          .Method("SearchOfficesByUser", &User::SearchOfficesByUser)
          .Method("CheckUserExists", &User::CheckUserExists)
          .Method("DeleteOffice", &User::DeleteOffice)
          .Method("Release", &User::Release)
          .Method("GetAllWarehouses", &User::GetAllWarehouses)
          .Method("GetWarehouseDetails", &User::GetWarehouseDetails)
          .Method("GetWarehousesByBISID", &User::GetWarehousesByBISID)
          .Method("GetAllWorkcenters", &User::GetAllWorkcenters)
          .Method("GetWorkcenterDetails", &User::GetWorkcenterDetails)
          .Method("GetWorkcentersByBISID", &User::GetWorkcentersByBISID)
          .Method("GetAllProjectRoles", &User::GetAllProjectRoles)
          .Method("GetProjectRoles", &User::GetProjectRoles)
          .Method("GetDefaultProjectRole", &User::GetDefaultProjectRole)
          .Method("SetDefaultProjectRole", &User::SetDefaultProjectRole)
          .Method("GetBusinessProcessPerRole", &User::GetBusinessProcessPerRole)
          .Method("GetBusinessProcessForUser", &User::GetBusinessProcessForUser)
          .Method("IsValidBusinessProcess", &User::IsValidBusinessProcess)
          .Method("GetUsersByBusinessProcess", &User::GetUsersByBusinessProcess)
          .Method("IsValidBusinessProcessForUser", &User::IsValidBusinessProcessForUser)
          .Method("SendEmailwithAttachment", &User::SendEmailwithAttachment)
          .Method("GetAllSuppliersForBP", &User::GetAllSuppliersForBP)
          .Method("IsUserOutOfOffice", &User::IsUserOutOfOffice)
          .Method("GetSubstituteBuyer", &User::GetSubstituteBuyer)
          .Method("GetApproverLimit", &User::GetApproverLimit)
          .Method("GetBuyerApprovalLimit", &User::GetBuyerApprovalLimit)
          .Method("GetBuyerContractLimit", &User::GetBuyerContractLimit)
          .Method("GetBuyerManager", &User::GetBuyerManager)
          .Method("GetCardUserManager", &User::GetCardUserManager)
          .Method("IsChargeLinesAllowed", &User::IsChargeLinesAllowed)
          .Method("GetApproverManager", &User::GetApproverManager)
          .Method("CreateUserWithAttributes", &User::CreateUserWithAttributes)
          .Method("InsertBiddingUser", &User::InsertBiddingUser)
          .Method("IsCostCenter", &User::IsCostCenter)
          // IReferentialIntegrity
          .Raw("IReferentialIntegrity_BeforeDelete", M::Method,
               Withdrawn([](User& u) { return u.IReferentialIntegrity_BeforeDelete({}, {}, {}); }))
          .Raw("IReferentialIntegrity_Exists", M::Method,
               Withdrawn([](User& u) { return u.IReferentialIntegrity_Exists({}, {}, {}); }))
          // BusinessRules
          .Raw("BusinessRules_GetInstance", M::Method,
               Withdrawn([](User& u) { return u.BusinessRules_GetInstance(nullptr); }))
          .Raw("BusinessRules_Insert", M::Method, Withdrawn([](User& u) { return u.BusinessRules_Insert(nullptr); }))
          .Raw("BusinessRules_Update", M::Method, Withdrawn([](User& u) { return u.BusinessRules_Update(nullptr); }))
          .Raw("BusinessRules_Delete", M::Method, Withdrawn([](User& u) { return u.BusinessRules_Delete(nullptr); }))
          .Build();
  return &table;
}

}  // namespace brintor
