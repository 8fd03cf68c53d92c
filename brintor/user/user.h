// User ("Brintor.User"): the reading class of users and offices. Answers
// questions about a user from the membership directory, falling back to the
// user's administrative office for a few attributes; lists directory users
// page by page; reads offices, employees, warehouses, work centres and
// project roles; sends mail to users.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "brintor/user/directory_access.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/user.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

class User : public rt::Object, public IUser, public IReferentialIntegrity, public BusinessRules {
 public:
  std::string TypeName() const override { return "User"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- withdrawn (user_withdrawn.cpp) ---
  rt::ObjectPtr InsertFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                 rt::Variant& ValuesArray) override;
  rt::ObjectPtr UpdateFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                 rt::Variant& ValuesArray) override;
  rt::ObjectPtr DeleteFromScript(std::string& iTableName, rt::Variant& KeyArray,
                                 rt::Variant& ValuesArray) override;
  bool DeleteOffice(std::string& iOfficeDescription) override;
  rt::ObjectPtr CreateUserWithAttributes(std::string& i_sUserName, std::string& i_sPassword,
                                         rt::Variant& i_aAttrNames, rt::Variant& i_aAttrValues) override;
  rt::ObjectPtr InsertBiddingUser(rt::Variant& i_aAddressKeys, rt::Variant& i_aAddressValues,
                                  rt::Variant& i_aBPKeys, rt::Variant& i_aBPValues,
                                  rt::Variant& i_aUserKeys, rt::Variant& i_aUserValues,
                                  std::string& i_sUserId, std::string& i_sPassword) override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;
  rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // --- the user object itself (user.cpp) ---
  std::string GetAdminOffice(std::string& iUserID) override;
  bool CheckUserExists(std::string& iUserID) override;
  void Release() override;

  // --- attribute getters (user_getters.cpp, user_office_getters.cpp) ---
  int16_t GetUserLocale(std::string& iUserID) override;
  int16_t GetUserLanguage(std::string& iUserID) override;
  std::string GetUsername(std::string& iUserID) override;
  std::string GetEmailAddress(std::string& iUserID) override;
  int32_t GetAddressID(std::string& iUserID) override;
  std::string GetPurOffice(std::string& iUserID) override;
  bool GetBuyerRole(std::string& iUserID) override;
  bool GetRequisitionerRole(std::string& iUserID) override;
  bool GetApproverRole(std::string& iUserID) override;
  bool GetFinancialRole(std::string& iUserID) override;
  bool GetExternalRole(std::string& iUserID) override;
  double GetSpendLimit(std::string& iUserID) override;
  int32_t GetPropertyGroup(std::string& iUserID) override;
  std::string GetReqPrefix(std::string& iUserID) override;
  std::string GetWhReqPrefix(std::string& iUserID) override;
  std::string GetDefaultURL(int32_t& i_lAppID, std::string& i_sUserId) override;
  std::string GetCompany(std::string& iUserID) override;
  std::string GetCompanyNumber(std::string& i_sUserId) override;
  void SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) override;
  std::string GetFinancialCompanyAdmin(std::string& i_sUserId) override;
  std::string GetFinancialCompanyCardUser(std::string& i_sUserId) override;
  int16_t GetProjectUserType(std::string& iUserID) override;
  std::string GetEmployee(std::string& iUserID) override;
  std::string GetCreditCardNumber(std::string& iUserID) override;
  rt::Variant GetNullCreditCardExpiry(std::string& iUserID) override;
  int16_t GetCreditCardType(std::string& iUserID) override;
  std::string GetRequisitionerManager(std::string& iUserID) override;
  int32_t GetBillToBusinessPartnerID(std::string& iUserID) override;
  int32_t GetBusinessPartnerID(std::string& iUserID) override;
  std::string GetSubstituteApprover(std::string& iUserID) override;
  std::string GetShipToContactInformation(std::string& iUserID) override;
  std::string GetCostCenter(std::string& iUserID) override;
  std::string GetCurrencyCode(std::string& iUserID) override;
  std::string GetWarehouseOfUser(rt::Variant& iUserID) override;
  std::shared_ptr<rt::Collection> GetAllSuppliersForBP(int32_t& i_lBPID) override;
  bool IsUserOutOfOffice(std::string& iUserID) override;
  std::string GetSubstituteBuyer(std::string& iUserID) override;
  double GetApproverLimit(std::string& iUserID) override;
  double GetBuyerApprovalLimit(std::string& iUserID) override;
  double GetBuyerContractLimit(std::string& iUserID) override;
  std::string GetBuyerManager(std::string& iUserID) override;
  std::string GetCardUserManager(std::string& iUserID) override;
  bool IsChargeLinesAllowed(std::string& iUserID) override;
  std::string GetApproverManager(std::string& iUserID) override;
  bool IsCostCenter(rt::Variant& I_sWorkCenterCode) override;

  // --- directory user lists (user_lists.cpp) ---
  std::shared_ptr<rt::Collection> GetAllBuyers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Collection> GetAllApprovers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Collection> GetAllSuppliers(rt::Variant& io_vFromUserID, rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Dictionary> GetAllInternalUsers(rt::Variant& io_vFromUserID,
                                                      rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Dictionary> GetUserDetails(std::string& i_sUserId, rt::Variant& i_aAttribNames) override;
  std::shared_ptr<rt::Collection> GetUsersByUserType(int16_t& iUserType, rt::Variant& io_vFromUserID,
                                                     rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Collection> GetUsersByProjectRole(std::string& iRole, rt::Variant& io_vFromUserID,
                                                        rt::Variant& i_vPageSize) override;
  std::shared_ptr<rt::Collection> SearchOfficesByUser(std::string& iSearchString) override;

  // --- warehouses and work centres (user_warehouses.cpp) ---
  std::shared_ptr<rt::Dictionary> GetAllWarehouses() override;
  std::shared_ptr<rt::Dictionary> GetWarehouseDetails(std::string& iWarehouseCode) override;
  std::shared_ptr<rt::Dictionary> GetWarehousesByBISID(int16_t& iBISID) override;
  std::shared_ptr<rt::Dictionary> GetAllWorkcenters() override;
  std::shared_ptr<rt::Dictionary> GetWorkcenterDetails(std::string& iWorkcenterCode) override;
  std::shared_ptr<rt::Dictionary> GetWorkcentersByBISID(int16_t& iBISID) override;

  // --- mail (user_mail.cpp) ---
  void SendEmail(std::string& iUserIDTo, std::string& iUserIDFrom, std::string& iSubject,
                 std::string& iBody) override;
  void SendEmailwithAttachment(std::string& iUserIDTo, std::string& iUserIDFrom, std::string& iSubject,
                               std::string& iBody, std::string& iAttachment) override;

  // --- offices (user_offices.cpp) ---
  std::shared_ptr<rt::Collection> GetAllAdministrativeOffices() override;
  std::shared_ptr<rt::Collection> GetAllPurchaseOffices() override;
  std::shared_ptr<rt::Dictionary> GetOfficeParams(std::string& iOffice) override;

  // --- employees and departments (user_employees.cpp) ---
  std::shared_ptr<rt::Dictionary> GetEmployeeDetails(std::string& iEmployee) override;
  rt::ObjectPtr GetAllEmployees(rt::Variant& iFields) override;
  rt::ObjectPtr GetEmployeeData(rt::Variant& i_oPage, std::string& i_sPersistedStateInfo, int16_t& i_iPageSize,
                                rt::Variant& i_asEmployeeIDs, rt::Variant& i_sSortTableFieldNames) override;
  rt::ObjectPtr GetRangeOfEmployees(std::string& i_sFromEmp, std::string& i_sToEmp, std::string& i_sFromDep,
                                    std::string& i_sToDep) override;
  rt::ObjectPtr GetAllEmployeesbyDepartment(std::string& iDepartment) override;
  std::shared_ptr<rt::Dictionary> GetAllDepartments() override;

  // --- project roles and business processes (user_roles.cpp) ---
  std::shared_ptr<rt::Dictionary> GetAllProjectRoles() override;
  std::shared_ptr<rt::Dictionary> GetProjectRoles(std::string& i_sUserId) override;
  std::string GetDefaultProjectRole(std::string& iUserID) override;
  void SetDefaultProjectRole(std::string& i_sDefaultRole, std::string& i_sUserId) override;
  std::shared_ptr<rt::Dictionary> GetBusinessProcessPerRole(std::string& iRole) override;
  std::shared_ptr<rt::Dictionary> GetBusinessProcessForUser(std::string& iUser, rt::Variant& iRole) override;
  bool IsValidBusinessProcess(std::string& iRole, int32_t& iBusinessProcess) override;
  std::shared_ptr<rt::Dictionary> GetUsersByBusinessProcess(rt::Variant& i_aBusinessProcess,
                                                            rt::Variant& io_vFromUserID,
                                                            rt::Variant& i_vPageSize) override;
  bool IsValidBusinessProcessForUser(std::string& iUser, int32_t& iBusinessProcess, rt::Variant& iRole) override;

 private:
  // --- user.cpp: the resolution rule, the two caches, the database ---
  rt::Variant GetUserField(const std::string& userId, const std::string& label, bool officeFallback,
                           const rt::Variant& defaultValue, const rt::Variant& directoryValue,
                           const rt::Variant& unsetMarker);
  rt::Variant getOfficeField(const std::string& office, const std::string& column);
  std::shared_ptr<rt::Dictionary> getOfficeProperties(const std::string& office);
  rt::ObjectPtr GetAUObject(const std::string& userId);
  std::shared_ptr<data::Connection> getConnection();
  // The common connection string from the configuration only.
  std::string ConnectionString();

  // The getters' common pattern: the directory property resolved by GetUserField.
  rt::Variant ResolvedProperty(std::string& userId, const char* property, const char* label,
                               bool officeFallback, const rt::Variant& defaultValue,
                               const rt::Variant& unsetMarker);
  // The administrative office's column (Empty without an office).
  rt::Variant AdminOfficeField(std::string& userId, const char* column);

  // --- user_lists.cpp: directory searches ---
  std::vector<rt::Variant> getVYUsersHavingRole(int16_t role);
  std::vector<rt::Variant> GetVYUsers(const rt::Variant& filters);
  std::shared_ptr<rt::Collection> getUserPage(const std::vector<rt::Variant>& ids, rt::Variant& startKey,
                                              const rt::Variant& pageSize);
  std::shared_ptr<rt::Dictionary> getUserPageDictionary(const std::vector<std::string>& ids, rt::Variant& startKey,
                                                        const rt::Variant& pageSize);
  std::shared_ptr<rt::Collection> RoleList(int16_t role, rt::Variant& startKey, const rt::Variant& pageSize);

  // --- user_offices.cpp, user_employees.cpp, user_mail.cpp ---
  std::shared_ptr<rt::Collection> getOffices(const std::string& sql);
  // The SQL text + " AND (" or " WHERE (" (by whether "WHERE" occurs in it,
  // letter case counting) + the condition + ")".
  static std::string buildWhereClause(const std::string& sql, const std::string& condition);
  void Mail(std::string& to, std::string& from, std::string& subject, std::string& body,
            const std::string* attachments);

  // Cached for the object's life: one office and one directory user.
  std::shared_ptr<rt::Dictionary> officeProperties_;
  std::string officeDescription_;
  DirectoryUserCache directoryUser_;
};

rt::ClassInfo UserClass();

}  // namespace brintor
