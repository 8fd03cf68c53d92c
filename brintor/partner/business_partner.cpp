// BusinessPartner: creation and activation, the loaded partner with its
// getters and role tests, the one-time flag, and the withdrawn full-table reads.
#include "brintor/partner/business_partner.h"

#include "brintor/partner/partner_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace brintor {

using namespace partner;

namespace {

const char* const kCrLf = "\r\n";

}  // namespace

bool partner::ResultSucceeded(const rt::ObjectPtr& result) {
  if (!result) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return rt::CBool(result->Call("Succeeded"));
}

BusinessPartner::ColumnTypeTable::ColumnTypeTable(
    std::initializer_list<std::pair<const char*, const char*>> columns) {
  std::vector<rt::Variant> names, types;
  for (const auto& [name, type] : columns) {
    names.emplace_back(name);
    types.emplace_back(type);
  }
  columnNames = rt::Variant(rt::SafeArray::From(std::move(names)));
  typeNames = rt::Variant(rt::SafeArray::From(std::move(types)));
}

BusinessPartner::BusinessPartner()
    : partnerTypes_({{"BUSINESSPARTNERID", "Long"},
                     {"SHIPPINGADDRESSID", "Long"},
                     {"POSTALADDRESSID", "Long"},
                     {"SOLDTOADDRESSID", "Long"},
                     {"CURRENCYCODE", "String"},
                     {"NAME", "String"},
                     {"BISCUSTOMERCODE", "String"},
                     {"BISSUPPLIERCODE", "String"},
                     {"USERID", "String"},
                     {"BUSINESSID", "String"},
                     {"PRICINGMETHOD", "Integer"},
                     {"OWBENABLED", "Boolean"},
                     {"ORDERREQUESTURL", "String"},
                     {"BPURL", "String"},
                     {"BISCREDITCARDCUSTOMERCODE", "String"},
                     {"GLOBALPARTNERCLASSIFICATIONCODE", "String"},
                     {"DEFAULTSUPPLIERCODE", "String"},
                     {"DUNSNUMBER", "String"},
                     {"ISONETIMEBP", "Boolean"},
                     {"ISINTERNALBP", "Boolean"}}),
      addressTypes_({{"ADDRESSID", "Long"},
                     {"COUNTRYCODE", "String"},
                     {"NAME1", "String"},
                     {"NAME2", "String"},
                     {"STREET1", "String"},
                     {"STREET2", "String"},
                     {"CITY1", "String"},
                     {"CITY2", "String"},
                     {"STATEPROVINCE", "String"},
                     {"ZIPCODE", "String"},
                     {"PHONE", "String"},
                     {"FAX", "String"},
                     {"SHORTDESCRIPTION", "String"},
                     {"BISADDRESSCODE", "String"}}),
      customerTypes_({{"BUSINESSPARTNERID", "Long"},
                      {"CUSTOMERNAME", "String"},
                      {"ORDERDISCOUNTPERC", "Double"},
                      {"CARRIERCODE", "String"}}) {}

rt::ClassInfo BusinessPartnerClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Brintor.BusinessPartner", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<BusinessPartner>(); }};
}

// --- ObjectControl and Release ------------------------------------------------

void BusinessPartner::Activate() {
  rt::ContextScope scope(*this);
  try {
    ClearFields();
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.ObjectControl_Activate");
  }
}

void BusinessPartner::Deactivate() { fieldNumbers_.reset(); }

void BusinessPartner::Release() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (rt::GetObjectContext()) Mts_SetComplete();
}

// --- the loaded partner ---------------------------------------------------------

std::string BusinessPartner::ConnectionString() {
  return Sql_CommonConnectionString("Brintor.BusinessPartner.ConnectionString");
}

std::shared_ptr<data::Connection> BusinessPartner::OpenConnection() {
  auto connection = data::Connection::New();
  connection->Open(ConnectionString());
  return connection;
}

std::shared_ptr<data::Connection> BusinessPartner::OpenReadCommittedConnection() {
  auto connection = OpenConnection();
  connection->Execute(kSqlReadCommitted);
  return connection;
}

void BusinessPartner::GetBusinessPartner(int32_t& iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (iBPID == loadedId_) return;
  const std::string method = "Brintor.BusinessPartner.GetBusinessPartner(" + std::to_string(iBPID) + ")";
  bool found = false;
  try {
    auto rs = Sql_GetDisconnectedRecordset(
        "SELECT BP.*, CUST.CUSTOMERNAME, CUST.ORDERDISCOUNTPERC, CUST.CARRIERCODE "
        "FROM BUSINESSPARTNER BP LEFT OUTER JOIN CUSTOMER CUST ON BP.BUSINESSPARTNERID = CUST.BUSINESSPARTNERID "
        "WHERE BP.BUSINESSPARTNERID = " + std::to_string(iBPID),
        ConnectionString(), true);
    found = !rs->Eof();
    if (found) {
      ClearFields();
      loadedId_ = iBPID;
      LoadFields(*rs);
    }
  } catch (...) {
    HandleMethodError(method, Mts_SetAbort);
  }
  if (found) return;
  // Not found: raised with the handler off, so the method's block appears once.
  rt::Err() = rt::PendingError{kBrintorBusinessPartnerNotFound, kClassSource,
                               "BusinessPartner " + std::to_string(iBPID) + " not found", {}, 0};
  Mts_SetAbort();
  Err_LogAndRaise(method);
}

void BusinessPartner::LoadFields(data::Recordset& rs) {
  auto read = [&rs](const char* column, auto&& store) {
    rt::Variant value = rs.Value(column);
    if (!value.IsNull()) store(value);
  };
  read("NAME", [&](const rt::Variant& v) { name_ = rt::CStr(v); });
  read("BISCUSTOMERCODE", [&](const rt::Variant& v) {
    customerCode_ = rt::Trim(rt::CStr(v));
    invoiceCustomerCode_ = customerCode_;
  });
  read("BISSUPPLIERCODE", [&](const rt::Variant& v) { supplierCode_ = rt::Trim(rt::CStr(v)); });
  read("POSTALADDRESSID", [&](const rt::Variant& v) { postalAddressId_ = rt::CLng(v); });
  read("SHIPPINGADDRESSID", [&](const rt::Variant& v) { shippingAddressId_ = rt::CLng(v); });
  read("SOLDTOADDRESSID", [&](const rt::Variant& v) { soldToAddressId_ = rt::CLng(v); });
  isCustomer_ = false;
  read("CUSTOMERNAME", [&](const rt::Variant& v) {
    customerName_ = rt::CStr(v);
    isCustomer_ = true;
  });
  read("PRICINGMETHOD", [&](const rt::Variant& v) {
    pricingMethod_ = rt::CInt(v);
    customerPricingMethod_ = pricingMethod_;
  });
  if (isCustomer_) read("ORDERDISCOUNTPERC", [&](const rt::Variant& v) { orderDiscount_ = rt::CDbl(v); });
  read("CURRENCYCODE", [&](const rt::Variant& v) { currencyCode_ = rt::CStr(v); });
  if (isCustomer_) read("CARRIERCODE", [&](const rt::Variant& v) { carrierCode_ = rt::CStr(v); });
  read("USERID", [&](const rt::Variant& v) { buyer_ = rt::CStr(v); });
  read("BUSINESSID", [&](const rt::Variant& v) { businessId_ = rt::CStr(v); });
  read("OWBENABLED", [&](const rt::Variant& v) { owbEnabled_ = rt::CBool(v); });
  read("ORDERREQUESTURL", [&](const rt::Variant& v) { orderRequestUrl_ = rt::CStr(v); });
  read("BISCREDITCARDCUSTOMERCODE", [&](const rt::Variant& v) { ccCustomerCode_ = rt::Trim(rt::CStr(v)); });
  read("BPURL", [&](const rt::Variant& v) { partnerUrl_ = rt::CStr(v); });
  read("DUNSNUMBER", [&](const rt::Variant& v) { dunsNumber_ = rt::CStr(v); });
  read("ISONETIMEBP", [&](const rt::Variant& v) { isOneTime_ = rt::CBool(v); });
  read("ISINTERNALBP", [&](const rt::Variant& v) { isInternal_ = rt::CBool(v); });
  read("GLOBALPARTNERCLASSIFICATIONCODE",
       [&](const rt::Variant& v) { globalPartnerClassificationCode_ = rt::CStr(v); });
  read("DEFAULTSUPPLIERCODE", [&](const rt::Variant& v) { defaultSupplierCode_ = rt::CStr(v); });
}

void BusinessPartner::ClearFields() {
  loadedId_ = -1;
  userIdText_.clear();
  name_.clear();
  pricingMethod_ = 0;
  customerCode_.clear();
  supplierCode_.clear();
  customerName_.clear();
  customerPricingMethod_ = 0;
  orderDiscount_ = 0;
  currencyCode_.clear();
  carrierCode_.clear();
  postalAddressId_ = shippingAddressId_ = soldToAddressId_ = 0;
  buyer_.clear();
  businessId_.clear();
  owbEnabled_ = false;
  orderRequestUrl_.clear();
  partnerUrl_.clear();
  ccCustomerCode_.clear();
  invoiceCustomerCode_.clear();
  dunsNumber_.clear();
  isOneTime_ = isInternal_ = false;
  globalPartnerClassificationCode_.clear();
  defaultSupplierCode_.clear();
  isCustomer_ = false;
}

std::shared_ptr<rt::Dictionary> BusinessPartner::Fieldnames() {
  try {
    if (!fieldNumbers_) {
      auto numbers = rt::NewDictionary();
      // Enumeration value -> column name, added in the columns' alphabetical order.
      const std::pair<int16_t, const char*> columns[] = {
          {5, "CITY1"}, {6, "CITY2"},   {0, "COUNTRYCODE"}, {10, "FAX"},    {1, "NAME1"},   {2, "NAME2"},
          {9, "PHONE"}, {11, "SHORTDESCRIPTION"}, {7, "STATEPROVINCE"}, {3, "STREET1"}, {4, "STREET2"},
          {8, "ZIPCODE"}};
      for (const auto& [number, column] : columns) numbers->Add(rt::Variant(number), rt::Variant(column));
      fieldNumbers_ = numbers;
    }
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.Fieldnames");
  }
  return fieldNumbers_;
}

void BusinessPartner::LoadIfGiven(const rt::Variant& iBPID) {
  if (iBPID.IsMissing()) return;
  int32_t id = rt::CLng(iBPID);
  GetBusinessPartner(id);
}

// The getters have no handler: a failed load has been logged and raised by
// GetBusinessPartner and reaches the caller as it is.

rt::Variant BusinessPartner::GetBusinessPartnerID() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return rt::Variant(loadedId_);
}

#define PARTNER_GETTER(Type, Name, member)                 \
  Type BusinessPartner::Name(const rt::Variant& iBPID) {   \
    rt::ContextScope scope(*this, rt::Access::Reads);      \
    LoadIfGiven(iBPID);                                    \
    return member;                                         \
  }

PARTNER_GETTER(std::string, GetBusinessID, businessId_)
PARTNER_GETTER(std::string, GetBusinessPartnerName, name_)
PARTNER_GETTER(int16_t, GetBusinessPartnerPricingMethod, pricingMethod_)
PARTNER_GETTER(std::string, GetBuyer, buyer_)
PARTNER_GETTER(std::string, GetCurrency, currencyCode_)
PARTNER_GETTER(std::string, GetOrderRequestUrl, orderRequestUrl_)
PARTNER_GETTER(bool, GetOwbEnabled, owbEnabled_)
PARTNER_GETTER(std::string, GetBusinessPartnerUrl, partnerUrl_)
PARTNER_GETTER(std::string, GetCustomerCarrier, carrierCode_)
PARTNER_GETTER(std::string, GetCustomerCode, customerCode_)
PARTNER_GETTER(std::string, GetCCCustomerCode, ccCustomerCode_)
PARTNER_GETTER(std::string, GetInvoiceCustomerCode, invoiceCustomerCode_)
PARTNER_GETTER(std::string, GetCustomerCurrency, currencyCode_)
PARTNER_GETTER(double, GetCustomerDiscountPercentage, orderDiscount_)
PARTNER_GETTER(std::string, GetCustomerName, customerName_)
PARTNER_GETTER(int16_t, GetCustomerPricingMethod, customerPricingMethod_)
PARTNER_GETTER(int32_t, GetPostalAddressID, postalAddressId_)
PARTNER_GETTER(int32_t, GetShippingAddressID, shippingAddressId_)
PARTNER_GETTER(int32_t, GetSoldToAddressID, soldToAddressId_)
PARTNER_GETTER(std::string, GetSupplierCode, supplierCode_)
PARTNER_GETTER(bool, IsInternalBusinessPartner, isInternal_)
PARTNER_GETTER(bool, IsOneTimeBusinessPartner, isOneTime_)

#undef PARTNER_GETTER

// These four always load the partner they are given.
#define PARTNER_LOADING_GETTER(Name, member)                               \
  std::string BusinessPartner::Name(int32_t i_lBusinessPartnerID) {        \
    rt::ContextScope scope(*this, rt::Access::Reads);                      \
    GetBusinessPartner(i_lBusinessPartnerID);                              \
    return member;                                                         \
  }

// No load fills this member: the partner's USERID is what GetBuyer answers.
PARTNER_LOADING_GETTER(GetBusinessPartnerUserId, userIdText_)
PARTNER_LOADING_GETTER(GetDefaultSupplierCode, defaultSupplierCode_)
PARTNER_LOADING_GETTER(GetDUNSNumber, dunsNumber_)
PARTNER_LOADING_GETTER(GetGlobalPartnerClassificationCode, globalPartnerClassificationCode_)

#undef PARTNER_LOADING_GETTER

// --- role tests -------------------------------------------------------------------

bool BusinessPartner::IsInvoiceCustomer() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return !invoiceCustomerCode_.empty();
}

bool BusinessPartner::IsCCCustomer() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return !ccCustomerCode_.empty();
}

bool BusinessPartner::IsSupplier() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return !supplierCode_.empty();
}

bool BusinessPartner::IsCustomer() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (!IsCCCustomer() && !IsInvoiceCustomer()) return false;
  return Sql_HasRecords("SELECT BUSINESSPARTNERID FROM CUSTOMER WHERE BUSINESSPARTNERID = " +
                            std::to_string(loadedId_),
                        ConnectionString(), true);
}

// No handler: an unknown partner is raised directly, unlogged. The flag is
// written with one UPDATE whose row count tells whether the partner exists
// (the data layer's recordsets write back only rows whose key they hold).
void BusinessPartner::SetOneTimeBusinessPartner(int32_t i_lBusinessPartnerID, bool i_bIsOneTimeBP) {
  rt::ContextScope scope(*this);
  auto connection = OpenConnection();
  rt::Variant rows;
  connection->Execute(std::string("UPDATE BUSINESSPARTNER SET ISONETIMEBP = ") + (i_bIsOneTimeBP ? "1" : "0") +
                          " WHERE BUSINESSPARTNERID = " + std::to_string(i_lBusinessPartnerID) + " ",
                      &rows);
  connection->Close();
  if (rt::CLng(rows) == 0) {
    Mts_SetAbort();
    Err_Raise(static_cast<int32_t>(EBusinessPartnerErrors::BusinessPartnerNotFound),
              "Brintor.Businesspartner.SetOneTimeBusinessPartner", "Businesspartner not found");
  }
}

// --- withdrawn full-table reads -------------------------------------------------------

rt::Variant BusinessPartner::GetAllAddresses() {
  rt::ContextScope scope(*this);
  DeprecatedStub(std::string("Function GetAllAddresses() is a 'full table scan' function and is not supported anymore.") +
                 kCrLf + "Use new function GetAddressData() that supports paging (=based on DRecordset component).");
}

rt::Variant BusinessPartner::GetAllCustomersFromBP() {
  rt::ContextScope scope(*this);
  DeprecatedStub(
      std::string("Function GetAllCustomersFromBP() is a 'full table scan' function and is not supported anymore.") +
      kCrLf + "Use new function GetCustomerData() that supports paging (=based on DRecordset component).");
}

rt::Variant BusinessPartner::GetAllBusinessPartners(const rt::Variant&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub(
      std::string("Function GetAllBusinessPartners() is a 'full table scan' function and is not supported anymore.") +
      kCrLf + "Use new function GetBusinessPartnersLimited() that supports paging (=based on DRecordset component).");
}

rt::Variant BusinessPartner::GetBusinessPartners(const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub(
      std::string("Function GetBusinessPartners() is a 'full table scan' function and is not supported anymore.") +
      kCrLf + "Use new function GetBusinessPartnersLimited() that supports paging (=based on DRecordset component).");
}

rt::Variant BusinessPartner::GetBusinessPartnerNames(const rt::Variant&, const rt::Variant&, const rt::Variant&,
                                                     const rt::Variant&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub(std::string("'Public Function GetBusinessPartnerNames() As Scripting.Dictionary was a 'full table "
                             "scan' function in Ulmary 2.4 and is not supported anymore. ") +
                 kCrLf + "New Public Function GetBusinessPartnerNames(ByVal i_oPage As Tamrick.Page, " +
                 "ByVal i_sPersistedStateInfo As String, " + "ByVal i_iPageSize As Integer, " +
                 "ByVal i_bSkipOneTimeBusinessPartners As Boolean, " +
                 "ByVal i_bSkipInternalBusinessPartners As Boolean, " +
                 "Optional ByVal i_alBPIDs As Variant) As Tamrick.DRecordset " +
                 "is introduced in Q-VS 2.5, but is identified as a double function. " + kCrLf +
                 "Use new function GetBusinessPartnersLimited() that supports paging (=based on DRecordset "
                 "component). " +
                 "This last function replaces the two functions above." + kCrLf);
}

}  // namespace brintor
