// BusinessPartner ("Brintor.BusinessPartner"): customers, suppliers,
// internal and one-time partners with their addresses, customer data,
// countries and transport carriers. The object keeps one loaded partner
// between calls; its members are split over the files of brintor/partner/ by
// what they do: the loaded partner (business_partner.cpp), lookups
// (partner_lookups.cpp, partner_code_lookups.cpp), paged lists
// (partner_lists.cpp), address writes (address_writes.cpp), script-driven
// maintenance (partner_script.cpp), the business rules of inserts and
// updates (partner_rules.cpp), and deletes with the referential answers
// (partner_deletes.cpp). TermsAndConditions (terms_and_conditions.cpp) is
// the folder's other class.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "data/connection.h"
#include "data/recordset.h"
#include "interfaces/business_partner.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

namespace partner {
struct RuleRun;       // one run of the business rules (partner_rules.cpp)
struct DeleteTarget;  // what one delete method works on (partner_deletes.cpp)
}  // namespace partner

class BusinessPartner : public rt::Object,
                        public IBusinessPartner,
                        public BusinessRules,
                        public IReferentialIntegrity {
 public:
  BusinessPartner();

  std::string TypeName() const override { return "BusinessPartner"; }
  const rt::DispatchTable* Dispatch() const override;

  // ObjectControl
  bool ImplementsObjectControl() const override { return true; }
  void Activate() override;
  void Deactivate() override;
  bool CanBePooled() override { return false; }

  // --- the loaded partner ---------------------------------------------------
  void Release() override;
  void GetBusinessPartner(int32_t& iBPID) override;
  rt::Variant GetBusinessPartnerID() override;
  std::string GetBusinessID(const rt::Variant& iBPID) override;
  std::string GetBusinessPartnerName(const rt::Variant& iBPID) override;
  std::string GetBusinessPartnerUserId(int32_t i_lBusinessPartnerID) override;
  int16_t GetBusinessPartnerPricingMethod(const rt::Variant& iBPID) override;
  std::string GetBuyer(const rt::Variant& iBPID) override;
  std::string GetCurrency(const rt::Variant& iBPID) override;
  std::string GetOrderRequestUrl(const rt::Variant& iBPID) override;
  bool GetOwbEnabled(const rt::Variant& iBPID) override;
  std::string GetBusinessPartnerUrl(const rt::Variant& iBPID) override;
  std::string GetCustomerCarrier(const rt::Variant& iBPID) override;
  std::string GetCustomerCode(const rt::Variant& iBPID) override;
  std::string GetCCCustomerCode(const rt::Variant& iBPID) override;
  std::string GetInvoiceCustomerCode(const rt::Variant& iBPID) override;
  std::string GetCustomerCurrency(const rt::Variant& iBPID) override;
  double GetCustomerDiscountPercentage(const rt::Variant& iBPID) override;
  std::string GetCustomerName(const rt::Variant& iBPID) override;
  int16_t GetCustomerPricingMethod(const rt::Variant& iBPID) override;
  int32_t GetPostalAddressID(const rt::Variant& iBPID) override;
  int32_t GetShippingAddressID(const rt::Variant& iBPID) override;
  int32_t GetSoldToAddressID(const rt::Variant& iBPID) override;
  std::string GetSupplierCode(const rt::Variant& iBPID) override;
  std::string GetDefaultSupplierCode(int32_t i_lBusinessPartnerID) override;
  std::string GetDUNSNumber(int32_t i_lBusinessPartnerID) override;
  std::string GetGlobalPartnerClassificationCode(int32_t i_lBusinessPartnerID) override;
  bool IsInternalBusinessPartner(const rt::Variant& i_lBusinessPartnerID) override;
  bool IsOneTimeBusinessPartner(const rt::Variant& i_lBusinessPartnerID) override;
  bool IsInvoiceCustomer() override;
  bool IsCCCustomer() override;
  bool IsSupplier() override;
  bool IsCustomer() override;
  void SetOneTimeBusinessPartner(int32_t i_lBusinessPartnerID, bool i_bIsOneTimeBP) override;

  // --- withdrawn ----------------------------------------------------------------
  rt::Variant GetAllAddresses() override;
  rt::Variant GetAllCustomersFromBP() override;
  rt::Variant GetAllBusinessPartners(const rt::Variant& i_nFilterOneTimeOrNormalBP,
                                     const rt::Variant& i_nFilterInternalOrExternalBP,
                                     const rt::Variant& i_alBPIDs) override;
  rt::Variant GetBusinessPartners(const rt::Variant& iIDs) override;
  rt::Variant GetBusinessPartnerNames(const rt::Variant& i_oPage, const rt::Variant& i_sPersistedStateInfo,
                                      const rt::Variant& i_iPageSize,
                                      const rt::Variant& i_bSkipOneTimeBusinessPartners,
                                      const rt::Variant& i_bSkipInternalBusinessPartners,
                                      const rt::Variant& i_alBPIDs) override;

  // --- addresses --------------------------------------------------------------
  rt::ObjectPtr GetAddress(const rt::Variant& iAddressID) override;
  rt::ObjectPtr GetAddresses(const rt::Variant& iBPID) override;
  rt::ObjectPtr GetPostalAddress(const rt::Variant& iBPID) override;
  rt::ObjectPtr GetShippingAddress(const rt::Variant& iBPID) override;
  rt::ObjectPtr GetSoldToAddress(const rt::Variant& iBPID) override;
  std::string GetBISAddressCodeFromAddressID(const rt::Variant& iAddressID) override;
  int32_t GetAddressIdByName(const std::string& iName1, int32_t iBPID) override;
  int32_t GetAddressIdbyBISAddressCode(const std::string& i_sBISAddressCode) override;

  // --- partners by id, code and name ------------------------------------------
  int32_t GetBusinessPartnerIDByBusinessID(const std::string& iBusinessID) override;
  bool checkBusinessPartnerIDByBusinessID(const std::string& iBusinessID) override;
  std::string GetBusinessPartnerIDByBISID(const rt::Variant& iBISID, int16_t iUserType) override;
  std::string GetBusinessPartnerIDByBISID2(const rt::Variant& iBISID, int16_t iUserType) override;
  int32_t GetBusinessPartnerIDByDUNS(const std::string& i_lDUNSNumber) override;
  rt::ObjectPtr GetBusinessPartnerDetails(int16_t iBPID) override;
  rt::ObjectPtr GetBusinessPartnersByPartOfName(const std::string& iNamePart) override;
  rt::ObjectPtr GetRemainingBusinessPartners(const rt::Variant& iIDs) override;
  int32_t IsBusinessPartnerPresent(const std::string& iBPName, int32_t iBPTYPE) override;

  // --- suppliers --------------------------------------------------------------
  rt::ObjectPtr GetAllSuppliersFromBP() override;
  rt::ObjectPtr GetSuppliersByCodeRange(const std::string& iFromCode, const std::string& iToCode) override;
  rt::ObjectPtr GetSuppliersByNameRange(const std::string& iFromName, const std::string& iToName) override;
  rt::ObjectPtr GetSuppliersByPartOfName(const std::string& iNamePart) override;
  bool SupplierExists(const std::string& iSupplierCode) override;

  // --- customers, countries, carriers, sales representatives -----------------
  rt::ObjectPtr GetAllCustomers() override;
  rt::ObjectPtr GetCustomersByPartOfName(const std::string& iNamePart) override;
  rt::ObjectPtr GetCountries(const rt::Variant& iBPID) override;
  std::string GetISOCountryCode(const std::string& iCountryCode) override;
  rt::ObjectPtr GetAllTransportCarriers() override;
  rt::ObjectPtr GetTransportCarrier(const rt::Variant& iCarrierCode) override;
  std::shared_ptr<rt::Dictionary> GetSalesRepresentativeBPs(const std::string& i_sUserId) override;
  bool IsLinkedBP(const std::string& i_sUserId, int32_t i_lBPID) override;

  // --- paged lists --------------------------------------------------------------
  rt::ObjectPtr GetAddressData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                               int16_t i_iPageSize, const rt::Variant& i_alAddressIDs,
                               const rt::Variant& i_sSortTableFieldNames) override;
  rt::ObjectPtr GetBusinessPartnerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                       int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                       bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                       const rt::Variant& i_sSortTableFieldNames) override;
  rt::ObjectPtr GetCustomerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                const rt::Variant& i_sSortTableFieldNames) override;
  rt::ObjectPtr GetBusinessPartnersLimited(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                           int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                           bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                           const rt::Variant& i_sSortTableFieldNames) override;

  // --- address writes -----------------------------------------------------------
  bool AddExistingAddress(int32_t& iAddressID, const rt::Variant& iBPID) override;
  bool AddNewAddress(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) override;
  int32_t AddNewAddressEx(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) override;

  // --- script-driven maintenance (partner_script.cpp) ---------------------------
  rt::ObjectPtr InsertFromScript(const std::string& iTableName, rt::Variant& iKeys, rt::Variant& iValues) override;
  rt::ObjectPtr UpdateFromScript(const std::string& iTableName, rt::Variant& iKeys, rt::Variant& iValues) override;
  rt::ObjectPtr DeleteFromScript(const std::string& iTableName, rt::Variant& iKeys, rt::Variant& iValues) override;
  rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // --- business rules of inserts and updates (partner_rules.cpp) ------------------
  rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // --- deletes and referential answers (partner_deletes.cpp) ----------------------
  bool Delete(int32_t& iBPID) override;
  bool AddressDelete(int32_t& iAddressID) override;
  bool CustomerDelete(int32_t iBPID) override;
  rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // A data object's columns, each with the type name its values are checked
  // against, kept as the parallel 0-based arrays that Val_DataTypes takes.
  struct ColumnTypeTable {
    ColumnTypeTable(std::initializer_list<std::pair<const char*, const char*>> columns);
    rt::Variant columnNames;
    rt::Variant typeNames;
  };

  void LoadFields(data::Recordset& rs);
  void ClearFields();
  // Loads the partner when the caller gave an id (a missing optional argument gives none).
  void LoadIfGiven(const rt::Variant& iBPID);
  // The partner that an address is linked to: the given one (loaded first),
  // else the loaded one; refused when none is loaded.
  int32_t PartnerForLink(const rt::Variant& iBPID);
  std::shared_ptr<rt::Dictionary> Fieldnames();
  std::string ConnectionString();
  std::shared_ptr<data::Connection> OpenConnection();
  std::shared_ptr<data::Connection> OpenReadCommittedConnection();
  // A disconnected recordset of the query, read under READ COMMITTED.
  std::shared_ptr<data::Recordset> ReadCommitted(const std::string& sql);
  // Shared by the two lookups by code; `raise` false gives the variant that
  // answers "-1" instead of failing.
  std::string PartnerIdByCode(const rt::Variant& iBISID, int16_t iUserType, bool raise);
  rt::ObjectPtr PagedList(std::string sql, const char* keyColumn, const rt::ObjectPtr& page,
                          const std::string& state, int16_t pageSize, const rt::Variant& sortFields);
  int32_t AddNewAddressRow(const char* method, std::shared_ptr<rt::Dictionary>& iAddress,
                           const rt::Variant& iBPID);

  // Business rules: each kind's checks in their order, adding the codes of
  // the failing ones to the run's answer, then the write when all passed.
  using RuleRun = partner::RuleRun;
  void InsertAddressRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  void InsertCustomerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  void InsertPartnerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  void UpdateAddressRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  void UpdateCustomerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  void UpdatePartnerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run);
  // A new row of the data object's columns through an empty updatable
  // recordset; answers the identity that the table gave it.
  int32_t InsertRow(const std::string& table, const rt::Dictionary& bdo, const char* identityColumn);

  // Deletes: the referential checker first (and, for an address, the
  // partners and offices that name it), then the links, then the row.
  using DeleteTarget = partner::DeleteTarget;
  enum class DeleteStep { Refused, NoRow, Deleted };
  // How an address or customer delete ended: whether the row went, and
  // whether something was written before it failed (its abort must stand).
  struct DeleteOutcome {
    bool deleted = false;
    bool wroteBeforeFailing = false;
  };
  DeleteStep RunDelete(const DeleteTarget& target, int32_t id, std::shared_ptr<data::Connection>& connection,
                       bool& touched, int32_t& linksRemoved);
  DeleteOutcome DeleteOwnRow(const DeleteTarget& target, int32_t id);
  // Removes the links of a partner (to addresses and to users) or of an
  // address; `linksRemoved` receives their number.
  bool BeforeDelete(std::string& table, const rt::Variant& names, const rt::Variant& values,
                    int32_t& linksRemoved);
  // BusinessRules_Delete's work and handler; `abortStands` tells a caller
  // that must vote after it whether a commit would keep a half-done delete.
  rt::ObjectPtr RulesDelete(const std::shared_ptr<rt::Dictionary>& bdo, bool& abortStands);

  // The loaded partner: 0 before the first ClearFields, -1 after it.
  int32_t loadedId_ = 0;
  std::string userIdText_;
  std::string name_;
  int16_t pricingMethod_ = 0;
  std::string customerCode_;
  std::string supplierCode_;
  std::string customerName_;
  int16_t customerPricingMethod_ = 0;
  double orderDiscount_ = 0;
  std::string currencyCode_;
  std::string carrierCode_;
  int32_t postalAddressId_ = 0;
  int32_t shippingAddressId_ = 0;
  int32_t soldToAddressId_ = 0;
  std::string buyer_;
  std::string businessId_;
  bool owbEnabled_ = false;
  std::string orderRequestUrl_;
  std::string partnerUrl_;
  std::string ccCustomerCode_;
  std::string invoiceCustomerCode_;
  std::string dunsNumber_;
  bool isOneTime_ = false;
  bool isInternal_ = false;
  std::string globalPartnerClassificationCode_;
  std::string defaultSupplierCode_;
  bool isCustomer_ = false;

  std::shared_ptr<rt::Dictionary> fieldNumbers_;  // built on first use, released at deactivation
  ColumnTypeTable partnerTypes_;   // "BPDataObject"
  ColumnTypeTable addressTypes_;   // "AddressDataObject"
  ColumnTypeTable customerTypes_;  // "CustomerDataObject"
};

rt::ClassInfo BusinessPartnerClass();

}  // namespace brintor
