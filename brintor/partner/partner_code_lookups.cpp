// BusinessPartner: lookups of suppliers, customers, countries, transport
// carriers and sales representatives' partners.
#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

namespace {

std::string Quoted(const std::string& text) { return Gen_SqlQuote(rt::Variant(text)); }

}  // namespace

// --- suppliers --------------------------------------------------------------------

rt::ObjectPtr BusinessPartner::GetAllSuppliersFromBP() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted(
        "SELECT BUSINESSPARTNER.BUSINESSPARTNERID, BUSINESSPARTNER.NAME, BUSINESSPARTNER.BISSUPPLIERCODE "
        "FROM BUSINESSPARTNER where not BISSUPPLIERCODE IS NULL "
        "ORDER BY BUSINESSPARTNER.BUSINESSPARTNERID");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.getAllSuppliersFromBP", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetSuppliersByCodeRange(const std::string& iFromCode, const std::string& iToCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT BUSINESSPARTNERID, BISSUPPLIERCODE, NAME FROM BUSINESSPARTNER";
    if (!iFromCode.empty()) sql += " WHERE BISSUPPLIERCODE >= '" + Quoted(iFromCode) + "'";
    if (!iToCode.empty()) {
      sql += iFromCode.empty() ? " WHERE" : " AND";
      sql += " BISSUPPLIERCODE <= '" + Quoted(iToCode) + "'";
    }
    sql += " ORDER BY NAME";
    return ReadCommitted(sql);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetSuppliersByCodeRange(" + iFromCode + ", " + iToCode + ")",
                      Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetSuppliersByNameRange(const std::string& iFromName, const std::string& iToName) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql =
        "SELECT BUSINESSPARTNERID, BISSUPPLIERCODE, NAME FROM BUSINESSPARTNER"
        " WHERE BISSUPPLIERCODE <> ''";
    if (!iFromName.empty()) sql += " AND NAME >= '" + Quoted(iFromName) + "'";
    if (!iToName.empty()) sql += " AND NAME <= '" + Quoted(iToName) + "'";
    sql += " ORDER BY BISSUPPLIERCODE";
    return ReadCommitted(sql);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetSuppliersByNameRange(" + iFromName + ", " + iToName + ")",
                      Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetSuppliersByPartOfName(const std::string& iNamePart) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted(
        "SELECT BP.BUSINESSPARTNERID, BP.NAME FROM BUSINESSPARTNER BP WHERE BISSUPPLIERCODE <> '' AND NAME LIKE "
        "'%" +
        Gen_SqlEscapeLike(rt::Variant(iNamePart)) + "%'");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetSuppliersByPartOfName", Mts_SetAbort);
  }
  return nullptr;
}

bool BusinessPartner::SupplierExists(const std::string& iSupplierCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return Sql_HasRecords("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER " "WHERE BISSUPPLIERCODE = '" +
                              Quoted(iSupplierCode) + "' ",
                          ConnectionString(), true);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.SupplierExists(" + iSupplierCode + ")", Mts_SetAbort);
  }
  return false;
}

// --- customers and countries ----------------------------------------------------------

rt::ObjectPtr BusinessPartner::GetAllCustomers() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted("SELECT BUSINESSPARTNERID, CUSTOMERNAME FROM CUSTOMER");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAllCustomers", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetCustomersByPartOfName(const std::string& iNamePart) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted("SELECT BUSINESSPARTNERID, CUSTOMERNAME FROM CUSTOMER " "WHERE CUSTOMERNAME LIKE '%" +
                         Gen_SqlEscapeLike(rt::Variant(iNamePart)) + "%'");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetCustomersByPartOfName", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetCountries(const rt::Variant&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted("SELECT COUNTRYCODE, COUNTRYNAME FROM COUNTRY");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetCountries", Mts_SetAbort);
  }
  return nullptr;
}

std::string BusinessPartner::GetISOCountryCode(const std::string& iCountryCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  const char* const source = "Brintor.BusinessPartner.GetISOCountryCode";
  std::shared_ptr<data::Connection> connection;
  std::shared_ptr<data::Recordset> rs;
  try {
    connection = OpenReadCommittedConnection();
    std::string sql = "SELECT ISOCODE FROM COUNTRY WHERE COUNTRYCODE='" + Quoted(rt::Trim(iCountryCode)) + "'";
    rs = Sql_GetReadonlyRecordset(sql, connection);
    std::string message;
    std::string answer;
    if (rs->Eof()) {
      message = "Country Code " + iCountryCode + " was not found";
    } else {
      answer = Gen_NullToString(rs->Value("ISOCODE"));
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(connection);
    if (!message.empty()) rt::Raise(static_cast<int32_t>(0x80040000), source, message);
    return answer;
  } catch (...) {
    HandleMethodError(source, [&] {
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(connection);
      Mts_SetAbort();
    });
  }
  return "";
}

// --- transport carriers ------------------------------------------------------------------

rt::ObjectPtr BusinessPartner::GetAllTransportCarriers() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted("SELECT CARRIERCODE, CARRIERNAME, URL FROM TRANSPORTCARRIER ORDER BY CARRIERNAME");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAllTransportCarriers", Mts_SetAbort);
  }
  return nullptr;
}

// Its own handler: the failure is logged with this method's name appended to
// its description, and raised again unchanged (no formatted block).
rt::ObjectPtr BusinessPartner::GetTransportCarrier(const rt::Variant& iCarrierCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    const rt::Variant code = iCarrierCode.IsMissing() ? rt::Variant(carrierCode_) : iCarrierCode;
    return ReadCommitted("SELECT CARRIERCODE, CARRIERNAME, URL FROM TRANSPORTCARRIER WHERE CARRIERCODE = '" +
                         Gen_SqlQuote(code) + "'");
  } catch (...) {
    rt::TrapError();
    const rt::PendingError failure = rt::Err();
    Mts_SetAbort();
    rt::ObjectPtr log = CreateComponentUnlogged("Solvane.Log");
    log->Call("WriteEntry", {rt::Variant(failure.source),
                             rt::Variant(failure.description + " / Brintor.BusinessPartner.GetTransportCarrier()"),
                             rt::Variant(int16_t{0})});
    failure.RaiseAgain();
  }
}

// --- sales representatives -------------------------------------------------------------------

std::shared_ptr<rt::Dictionary> BusinessPartner::GetSalesRepresentativeBPs(const std::string& i_sUserId) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rs = ReadCommitted(
        "SELECT BPSPERUSER.BUSINESSPARTNERID AS BUSINESSPARTNERID, BUSINESSPARTNER.NAME AS NAME "
        " FROM BPSPERUSER, BUSINESSPARTNER WHERE BPSPERUSER.USERID='" +
        Quoted(i_sUserId) +
        "' "
        " AND BPSPERUSER.BUSINESSPARTNERID = BUSINESSPARTNER.BUSINESSPARTNERID ");
    auto map = rt::NewDictionary();
    for (; !rs->Eof(); rs->MoveNext()) map->Add(rs->Value("BUSINESSPARTNERID"), rs->Value("NAME"));
    return map;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetSalesRepresentativeBPs");
  }
  return nullptr;
}

bool BusinessPartner::IsLinkedBP(const std::string& i_sUserId, int32_t i_lBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rs = ReadCommitted("SELECT * FROM BPSPERUSER WHERE USERID='" + Quoted(i_sUserId) +
                                     "' AND BUSINESSPARTNERID = " + std::to_string(i_lBPID) + " ");
    return !rs->Eof();
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.IsLinkedBP");
  }
  return false;
}

}  // namespace brintor
