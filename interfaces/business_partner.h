// The business-partner object ("Brintor.BusinessPartner") as other libraries
// see it: its dual interface in slot order and the enumerations that the
// partner class publishes. Optional Variant arguments take
// rt::Variant::Missing() when left out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

// Scoped, so that member names shared with other enumerations (the
// library's BrintorError also has a BusinessPartnerNotFound) never clash.

// Errors that the partner class raises under its own numbers.
enum class EBusinessPartnerErrors : int32_t {
  BusinessPartnerNotFound = static_cast<int32_t>(0x80040064),
  DUNSNumberNotFound = static_cast<int32_t>(0x80040065),
};

// Bit values kept for callers of the withdrawn full-table list; no member
// of the class tests them.
enum class EBusinessPartnerFilter : int32_t {
  AllBPs = 0,
  OnlyOneTimeBPs = 1,
  OnlyNormalBPs = 2,
  OnlyInternalBPs = 4,
  OnlyExternalBPs = 8,
};

// Which code column a lookup by code searches.
enum class UserTypeEnum : int16_t {
  CUSTOMER = 0,
  SUPPLIER = 1,
  CCCUSTOMER = 2,
};

// The keys of an address dictionary (AddNewAddress, AddNewAddressEx).
enum class AddressFieldsEnum : int16_t {
  COUNTRYCODE = 0,
  NAME1 = 1,
  NAME2 = 2,
  STREET1 = 3,
  STREET2 = 4,
  CITY1 = 5,
  CITY2 = 6,
  STATEPROVINCE = 7,
  ZIPCODE = 8,
  PHONE = 9,
  Fax = 10,
  SHORTDESCRIPTION = 11,
};

// _BusinessPartner. Recordsets are answered as ADODB.Recordset objects, the
// paged lists as Tamrick.DRecordset objects.
struct IBusinessPartner {
  virtual ~IBusinessPartner() = default;

  // --- the loaded partner ---------------------------------------------------
  virtual void Release() = 0;
  virtual void GetBusinessPartner(int32_t& iBPID) = 0;
  virtual rt::Variant GetBusinessPartnerID() = 0;
  virtual std::string GetBusinessID(const rt::Variant& iBPID) = 0;
  virtual std::string GetBusinessPartnerName(const rt::Variant& iBPID) = 0;
  virtual std::string GetBusinessPartnerUserId(int32_t i_lBusinessPartnerID) = 0;
  virtual int16_t GetBusinessPartnerPricingMethod(const rt::Variant& iBPID) = 0;
  virtual std::string GetBuyer(const rt::Variant& iBPID) = 0;
  virtual std::string GetCurrency(const rt::Variant& iBPID) = 0;
  virtual std::string GetOrderRequestUrl(const rt::Variant& iBPID) = 0;
  virtual bool GetOwbEnabled(const rt::Variant& iBPID) = 0;
  virtual std::string GetBusinessPartnerUrl(const rt::Variant& iBPID) = 0;
  virtual std::string GetCustomerCarrier(const rt::Variant& iBPID) = 0;
  virtual std::string GetCustomerCode(const rt::Variant& iBPID) = 0;
  virtual std::string GetCCCustomerCode(const rt::Variant& iBPID) = 0;
  virtual std::string GetInvoiceCustomerCode(const rt::Variant& iBPID) = 0;
  virtual std::string GetCustomerCurrency(const rt::Variant& iBPID) = 0;
  virtual double GetCustomerDiscountPercentage(const rt::Variant& iBPID) = 0;
  virtual std::string GetCustomerName(const rt::Variant& iBPID) = 0;
  virtual int16_t GetCustomerPricingMethod(const rt::Variant& iBPID) = 0;
  virtual int32_t GetPostalAddressID(const rt::Variant& iBPID) = 0;
  virtual int32_t GetShippingAddressID(const rt::Variant& iBPID) = 0;
  virtual int32_t GetSoldToAddressID(const rt::Variant& iBPID) = 0;
  virtual std::string GetSupplierCode(const rt::Variant& iBPID) = 0;
  virtual std::string GetDefaultSupplierCode(int32_t i_lBusinessPartnerID) = 0;
  virtual std::string GetDUNSNumber(int32_t i_lBusinessPartnerID) = 0;
  virtual std::string GetGlobalPartnerClassificationCode(int32_t i_lBusinessPartnerID) = 0;
  virtual bool IsInternalBusinessPartner(const rt::Variant& i_lBusinessPartnerID) = 0;
  virtual bool IsOneTimeBusinessPartner(const rt::Variant& i_lBusinessPartnerID) = 0;
  virtual bool IsInvoiceCustomer() = 0;
  virtual bool IsCCCustomer() = 0;
  virtual bool IsSupplier() = 0;
  virtual bool IsCustomer() = 0;
  virtual void SetOneTimeBusinessPartner(int32_t i_lBusinessPartnerID, bool i_bIsOneTimeBP) = 0;

  // --- withdrawn full-table reads: always fail with error -1 ------------------
  virtual rt::Variant GetAllAddresses() = 0;
  virtual rt::Variant GetAllCustomersFromBP() = 0;
  virtual rt::Variant GetAllBusinessPartners(const rt::Variant& i_nFilterOneTimeOrNormalBP,
                                             const rt::Variant& i_nFilterInternalOrExternalBP,
                                             const rt::Variant& i_alBPIDs) = 0;
  virtual rt::Variant GetBusinessPartners(const rt::Variant& iIDs) = 0;
  virtual rt::Variant GetBusinessPartnerNames(const rt::Variant& i_oPage,
                                              const rt::Variant& i_sPersistedStateInfo,
                                              const rt::Variant& i_iPageSize,
                                              const rt::Variant& i_bSkipOneTimeBusinessPartners,
                                              const rt::Variant& i_bSkipInternalBusinessPartners,
                                              const rt::Variant& i_alBPIDs) = 0;

  // --- addresses --------------------------------------------------------------
  virtual rt::ObjectPtr GetAddress(const rt::Variant& iAddressID) = 0;
  virtual rt::ObjectPtr GetAddresses(const rt::Variant& iBPID) = 0;
  virtual rt::ObjectPtr GetPostalAddress(const rt::Variant& iBPID) = 0;
  virtual rt::ObjectPtr GetShippingAddress(const rt::Variant& iBPID) = 0;
  virtual rt::ObjectPtr GetSoldToAddress(const rt::Variant& iBPID) = 0;
  virtual std::string GetBISAddressCodeFromAddressID(const rt::Variant& iAddressID) = 0;
  virtual int32_t GetAddressIdByName(const std::string& iName1, int32_t iBPID) = 0;
  virtual int32_t GetAddressIdbyBISAddressCode(const std::string& i_sBISAddressCode) = 0;

  // --- partners by id, code and name ------------------------------------------
  // -1 when no partner has the business id.
  virtual int32_t GetBusinessPartnerIDByBusinessID(const std::string& iBusinessID) = 0;
  virtual bool checkBusinessPartnerIDByBusinessID(const std::string& iBusinessID) = 0;
  virtual std::string GetBusinessPartnerIDByBISID(const rt::Variant& iBISID, int16_t iUserType) = 0;
  virtual std::string GetBusinessPartnerIDByBISID2(const rt::Variant& iBISID, int16_t iUserType) = 0;
  virtual int32_t GetBusinessPartnerIDByDUNS(const std::string& i_lDUNSNumber) = 0;
  virtual rt::ObjectPtr GetBusinessPartnerDetails(int16_t iBPID) = 0;
  virtual rt::ObjectPtr GetBusinessPartnersByPartOfName(const std::string& iNamePart) = 0;
  virtual rt::ObjectPtr GetRemainingBusinessPartners(const rt::Variant& iIDs) = 0;
  virtual int32_t IsBusinessPartnerPresent(const std::string& iBPName, int32_t iBPTYPE) = 0;

  // --- suppliers --------------------------------------------------------------
  virtual rt::ObjectPtr GetAllSuppliersFromBP() = 0;
  virtual rt::ObjectPtr GetSuppliersByCodeRange(const std::string& iFromCode, const std::string& iToCode) = 0;
  virtual rt::ObjectPtr GetSuppliersByNameRange(const std::string& iFromName, const std::string& iToName) = 0;
  virtual rt::ObjectPtr GetSuppliersByPartOfName(const std::string& iNamePart) = 0;
  virtual bool SupplierExists(const std::string& iSupplierCode) = 0;

  // --- customers, countries, carriers, sales representatives -----------------
  virtual rt::ObjectPtr GetAllCustomers() = 0;
  virtual rt::ObjectPtr GetCustomersByPartOfName(const std::string& iNamePart) = 0;
  virtual rt::ObjectPtr GetCountries(const rt::Variant& iBPID) = 0;
  virtual std::string GetISOCountryCode(const std::string& iCountryCode) = 0;
  virtual rt::ObjectPtr GetAllTransportCarriers() = 0;
  virtual rt::ObjectPtr GetTransportCarrier(const rt::Variant& iCarrierCode) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetSalesRepresentativeBPs(const std::string& i_sUserId) = 0;
  virtual bool IsLinkedBP(const std::string& i_sUserId, int32_t i_lBPID) = 0;

  // --- paged lists --------------------------------------------------------------
  virtual rt::ObjectPtr GetAddressData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                       int16_t i_iPageSize, const rt::Variant& i_alAddressIDs,
                                       const rt::Variant& i_sSortTableFieldNames) = 0;
  virtual rt::ObjectPtr GetBusinessPartnerData(const rt::ObjectPtr& i_oPage,
                                               const std::string& i_sPersistedStateInfo, int16_t i_iPageSize,
                                               bool i_bSkipOneTimeBusinessPartners,
                                               bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                               const rt::Variant& i_sSortTableFieldNames) = 0;
  virtual rt::ObjectPtr GetCustomerData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                        int16_t i_iPageSize, bool i_bSkipOneTimeBusinessPartners,
                                        bool i_bSkipInternalBusinessPartners, const rt::Variant& i_alBPIDs,
                                        const rt::Variant& i_sSortTableFieldNames) = 0;
  virtual rt::ObjectPtr GetBusinessPartnersLimited(const rt::ObjectPtr& i_oPage,
                                                   const std::string& i_sPersistedStateInfo, int16_t i_iPageSize,
                                                   bool i_bSkipOneTimeBusinessPartners,
                                                   bool i_bSkipInternalBusinessPartners,
                                                   const rt::Variant& i_alBPIDs,
                                                   const rt::Variant& i_sSortTableFieldNames) = 0;

  // --- address writes -----------------------------------------------------------
  virtual bool AddExistingAddress(int32_t& iAddressID, const rt::Variant& iBPID) = 0;
  virtual bool AddNewAddress(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) = 0;
  virtual int32_t AddNewAddressEx(std::shared_ptr<rt::Dictionary>& iAddress, const rt::Variant& iBPID) = 0;

  // --- script-driven maintenance and deletes --------------------------------------
  virtual rt::ObjectPtr InsertFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                         rt::Variant& iValues) = 0;
  virtual rt::ObjectPtr UpdateFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                         rt::Variant& iValues) = 0;
  virtual rt::ObjectPtr DeleteFromScript(const std::string& iTableName, rt::Variant& iKeys,
                                         rt::Variant& iValues) = 0;
  virtual bool Delete(int32_t& iBPID) = 0;
  virtual bool AddressDelete(int32_t& iAddressID) = 0;
  virtual bool CustomerDelete(int32_t iBPID) = 0;
};
