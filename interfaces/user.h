// The user class's interface ("Brintor.User", `_User`) for C++ callers, its
// error numbers and the office types.
//
// Members are listed in the interface's slot order under their late-bound
// names. Text parameters are by reference, as the late-bound callers pass
// them; results are returned.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// Error numbers raised by the user classes.
enum EUserErrors : int32_t {
  eUserNotFound = static_cast<int32_t>(0x80040064),
  eOfficeNotFound = static_cast<int32_t>(0x80040065),
  eWarehouseNotFound = static_cast<int32_t>(0x80040066),
  eWorkcenterNotFound = static_cast<int32_t>(0x80040067),
  eProjectRoleNotFound = static_cast<int32_t>(0x80040068),
  eProjectRoleBlank = static_cast<int32_t>(0x80040069),
  eBusinessProcessInvalid = static_cast<int32_t>(0x8004006A),
  eInvalidArray = static_cast<int32_t>(0x8004006B),
};

// An office's OFFICETYPE.
enum OfficeType : int16_t { Administrative = 1, Purchase = 2 };

struct IUser {
  virtual ~IUser() = default;

  // Withdrawn: each fails with -1 naming its replacement in TUser.
  virtual rt::ObjectPtr InsertFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;
  virtual rt::ObjectPtr UpdateFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;
  virtual rt::ObjectPtr DeleteFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                         rt::Variant& ValuesArray) = 0;

  // Attribute getters: the directory's value, else the default or the
  // administrative office's.
  virtual int16_t GetUserLocale(std::string& iUserID) = 0;
  virtual int16_t GetUserLanguage(std::string& iUserID) = 0;
  virtual std::string GetUsername(std::string& iUserID) = 0;
  virtual std::string GetEmailAddress(std::string& iUserID) = 0;
  virtual int32_t GetAddressID(std::string& iUserID) = 0;
  virtual std::string GetPurOffice(std::string& iUserID) = 0;
  virtual std::string GetAdminOffice(std::string& iUserID) = 0;
  virtual bool GetBuyerRole(std::string& iUserID) = 0;
  virtual bool GetRequisitionerRole(std::string& iUserID) = 0;
  virtual bool GetApproverRole(std::string& iUserID) = 0;
  virtual bool GetFinancialRole(std::string& iUserID) = 0;
  virtual bool GetExternalRole(std::string& iUserID) = 0;
  virtual double GetSpendLimit(std::string& iUserID) = 0;
  virtual int32_t GetPropertyGroup(std::string& iUserID) = 0;
  virtual std::string GetReqPrefix(std::string& iUserID) = 0;
  virtual std::string GetWhReqPrefix(std::string& iUserID) = 0;
  virtual std::string GetDefaultURL(int32_t& i_lAppID, std::string& i_sUserId) = 0;
  virtual std::string GetCompany(std::string& iUserID) = 0;
  virtual std::string GetCompanyNumber(std::string& i_sUserId) = 0;
  virtual void SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) = 0;
  virtual std::string GetFinancialCompanyAdmin(std::string& i_sUserId) = 0;
  virtual std::string GetFinancialCompanyCardUser(std::string& i_sUserId) = 0;
  virtual int16_t GetProjectUserType(std::string& iUserID) = 0;
  virtual std::string GetEmployee(std::string& iUserID) = 0;
  virtual std::string GetCreditCardNumber(std::string& iUserID) = 0;
  virtual rt::Variant GetNullCreditCardExpiry(std::string& iUserID) = 0;
  virtual int16_t GetCreditCardType(std::string& iUserID) = 0;
  virtual std::string GetRequisitionerManager(std::string& iUserID) = 0;
  virtual int32_t GetBillToBusinessPartnerID(std::string& iUserID) = 0;
  virtual int32_t GetBusinessPartnerID(std::string& iUserID) = 0;
  virtual std::string GetSubstituteApprover(std::string& iUserID) = 0;
  virtual std::string GetShipToContactInformation(std::string& iUserID) = 0;
  virtual std::string GetCostCenter(std::string& iUserID) = 0;
  virtual std::string GetCurrencyCode(std::string& iUserID) = 0;
  virtual std::string GetWarehouseOfUser(rt::Variant& iUserID) = 0;

  // Mail.
  virtual void SendEmail(std::string& iUserIDTo, std::string& iUserIDFrom, std::string& iSubject,
                         std::string& iBody) = 0;

  // Offices.
  virtual std::shared_ptr<rt::Collection> GetAllAdministrativeOffices() = 0;
  virtual std::shared_ptr<rt::Collection> GetAllPurchaseOffices() = 0;
  virtual std::shared_ptr<rt::Dictionary> GetOfficeParams(std::string& iOffice) = 0;

  // Employees and departments. The lists answer recordsets detached from
  // their connection; GetAllEmployees and GetAllEmployeesbyDepartment answer
  // Nothing (null) when no row matched, GetRangeOfEmployees an empty one.
  virtual std::shared_ptr<rt::Dictionary> GetEmployeeDetails(std::string& iEmployee) = 0;
  virtual rt::ObjectPtr GetAllEmployees(rt::Variant& iFields) = 0;
  virtual rt::ObjectPtr GetEmployeeData(rt::Variant& i_oPage, std::string& i_sPersistedStateInfo,
                                        int16_t& i_iPageSize, rt::Variant& i_asEmployeeIDs,
                                        rt::Variant& i_sSortTableFieldNames) = 0;
  virtual rt::ObjectPtr GetRangeOfEmployees(std::string& i_sFromEmp, std::string& i_sToEmp,
                                            std::string& i_sFromDep, std::string& i_sToDep) = 0;
  virtual rt::ObjectPtr GetAllEmployeesbyDepartment(std::string& iDepartment) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllDepartments() = 0;

  // Directory user lists, paged by a start key the caller carries between calls.
  virtual std::shared_ptr<rt::Collection> GetAllBuyers(rt::Variant& io_vFromUserID,
                                                       rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Collection> GetAllApprovers(rt::Variant& io_vFromUserID,
                                                          rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Collection> GetAllSuppliers(rt::Variant& io_vFromUserID,
                                                          rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllInternalUsers(rt::Variant& io_vFromUserID,
                                                              rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetUserDetails(std::string& i_sUserId,
                                                         rt::Variant& i_aAttribNames) = 0;
  virtual std::shared_ptr<rt::Collection> GetUsersByUserType(int16_t& iUserType,
                                                             rt::Variant& io_vFromUserID,
                                                             rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Collection> GetUsersByProjectRole(std::string& iRole,
                                                                rt::Variant& io_vFromUserID,
                                                                rt::Variant& i_vPageSize) = 0;
  virtual std::shared_ptr<rt::Collection> SearchOfficesByUser(std::string& iSearchString) = 0;

  virtual bool CheckUserExists(std::string& iUserID) = 0;
  virtual bool DeleteOffice(std::string& iOfficeDescription) = 0;  // withdrawn
  virtual void Release() = 0;

  // Warehouses and work centres.
  virtual std::shared_ptr<rt::Dictionary> GetAllWarehouses() = 0;
  virtual std::shared_ptr<rt::Dictionary> GetWarehouseDetails(std::string& iWarehouseCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetWarehousesByBISID(int16_t& iBISID) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllWorkcenters() = 0;
  virtual std::shared_ptr<rt::Dictionary> GetWorkcenterDetails(std::string& iWorkcenterCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetWorkcentersByBISID(int16_t& iBISID) = 0;

  // Project roles and business processes.
  virtual std::shared_ptr<rt::Dictionary> GetAllProjectRoles() = 0;
  virtual std::shared_ptr<rt::Dictionary> GetProjectRoles(std::string& i_sUserId) = 0;
  virtual std::string GetDefaultProjectRole(std::string& iUserID) = 0;
  virtual void SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetBusinessProcessPerRole(std::string& iRole) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetBusinessProcessForUser(std::string& iUser,
                                                                     rt::Variant& iRole) = 0;
  virtual bool IsValidBusinessProcess(std::string& iRole, int32_t& iBusinessProcess) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetUsersByBusinessProcess(rt::Variant& i_aBusinessProcess,
                                                                     rt::Variant& io_vFromUserID,
                                                                     rt::Variant& i_vPageSize) = 0;
  virtual bool IsValidBusinessProcessForUser(std::string& iUser, int32_t& iBusinessProcess,
                                             rt::Variant& iRole) = 0;

  virtual void SendEmailwithAttachment(std::string& iUserIDTo, std::string& iUserIDFrom,
                                       std::string& iSubject, std::string& iBody,
                                       std::string& iAttachment) = 0;

  virtual std::shared_ptr<rt::Collection> GetAllSuppliersForBP(int32_t& i_lBPID) = 0;
  virtual bool IsUserOutOfOffice(std::string& iUserID) = 0;
  virtual std::string GetSubstituteBuyer(std::string& iUserID) = 0;
  virtual double GetApproverLimit(std::string& iUserID) = 0;
  virtual double GetBuyerApprovalLimit(std::string& iUserID) = 0;
  virtual double GetBuyerContractLimit(std::string& iUserID) = 0;
  virtual std::string GetBuyerManager(std::string& iUserID) = 0;
  virtual std::string GetCardUserManager(std::string& iUserID) = 0;
  virtual bool IsChargeLinesAllowed(std::string& iUserID) = 0;
  virtual std::string GetApproverManager(std::string& iUserID) = 0;

  // Withdrawn: each fails with -1 naming its replacement in TUser.
  virtual rt::ObjectPtr CreateUserWithAttributes(std::string& i_sUserName, std::string& i_sPassword,
                                                 rt::Variant& i_aAttrNames,
                                                 rt::Variant& i_aAttrValues) = 0;
  virtual rt::ObjectPtr InsertBiddingUser(rt::Variant& i_aAddressKeys, rt::Variant& i_aAddressValues,
                                          rt::Variant& i_aBPKeys, rt::Variant& i_aBPValues,
                                          rt::Variant& i_aUserKeys, rt::Variant& i_aUserValues,
                                          std::string& i_sUserId, std::string& i_sPassword) = 0;

  virtual bool IsCostCenter(rt::Variant& I_sWorkCenterCode) = 0;
};
