// BusinessPartner: lookups of addresses and of partners by id, business id,
// code, DUNS number and name. Each reads a disconnected recordset under READ
// COMMITTED; on failure it votes abort and logs and raises with its own
// source, and on success it casts no vote.
#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

std::shared_ptr<data::Recordset> BusinessPartner::ReadCommitted(const std::string& sql) {
  return Sql_GetDisconnectedRecordset(sql, ConnectionString(), true);
}

// --- addresses ------------------------------------------------------------------

// An address id given by the caller goes into the statement as the number
// given, a fraction kept (address 2.5 is no address); anything that is no
// number fails with Type mismatch (13).
rt::ObjectPtr BusinessPartner::GetAddress(const rt::Variant& iAddressID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted(
        "SELECT A.NAME1, A.NAME2, A.STREET1, A.STREET2, A.CITY1, A.CITY2, "
        "A.STATEPROVINCE, A.ZIPCODE, C.COUNTRYCODE, C.COUNTRYNAME, A.PHONE, A.FAX, A.SHORTDESCRIPTION FROM ADDRESS "
        "A, COUNTRY C WHERE A.COUNTRYCODE=C.COUNTRYCODE AND A.ADDRESSID = " +
        SqlNumber(iAddressID));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAddress", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetAddresses(const rt::Variant& iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    LoadIfGiven(iBPID);
    return ReadCommitted(
        "SELECT ADDRESSID, COUNTRYCODE, NAME1, NAME2, STREET1, STREET2, CITY1, CITY2, STATEPROVINCE, ZIPCODE, "
        "PHONE, FAX, SHORTDESCRIPTION FROM ADDRESS "
        "WHERE ADDRESSID IN (SELECT ADDRESSID FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = " +
        std::to_string(loadedId_) + ")");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAddresses", Mts_SetAbort);
  }
  return nullptr;
}

namespace {

std::string OneAddressSql(int32_t addressId) {
  return "SELECT NAME1, NAME2, STREET1, STREET2, CITY1, CITY2, STATEPROVINCE, ZIPCODE, C.COUNTRYNAME, PHONE, FAX, "
         "SHORTDESCRIPTION "
         "FROM ADDRESS A, COUNTRY C "
         "WHERE A.ADDRESSID = " +
         std::to_string(addressId) + " AND A.COUNTRYCODE = C.COUNTRYCODE";
}

}  // namespace

rt::ObjectPtr BusinessPartner::GetPostalAddress(const rt::Variant& iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    LoadIfGiven(iBPID);
    return ReadCommitted(OneAddressSql(postalAddressId_));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetPostalAddress", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetShippingAddress(const rt::Variant& iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    LoadIfGiven(iBPID);
    return ReadCommitted(OneAddressSql(shippingAddressId_));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetShippingAddress", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetSoldToAddress(const rt::Variant& iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    LoadIfGiven(iBPID);
    return ReadCommitted(OneAddressSql(soldToAddressId_));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetSoldToAddress", Mts_SetAbort);
  }
  return nullptr;
}

std::string BusinessPartner::GetBISAddressCodeFromAddressID(const rt::Variant& iAddressID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rs = ReadCommitted("SELECT BISADDRESSCODE FROM ADDRESS WHERE ADDRESSID = " + SqlNumber(iAddressID));
    if (rs->Eof()) return "";
    return Gen_NullToString(rs->Value("BISADDRESSCODE"));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBISAddressCodeFromAddressID", Mts_SetAbort);
  }
  return "";
}

int32_t BusinessPartner::GetAddressIdByName(const std::string& iName1, int32_t iBPID) {
  rt::ContextScope scope(*this);
  try {
    auto rs =
        ReadCommitted("SELECT ADDRESSID FROM ADDRESS WHERE NAME1 = '" + Gen_SqlQuote(rt::Variant(iName1)) + "' ");
    if (rs->Eof()) return -1;
    int32_t addressId = rt::CLng(rs->Value("ADDRESSID"));
    auto link = ReadCommitted("SELECT ADDRESSID FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = " +
                                       std::to_string(iBPID) + " " + "AND ADDRESSID = " +
                                       std::to_string(addressId));
    if (link->Eof() && !AddExistingAddress(addressId, rt::Variant(iBPID))) return -1;
    return addressId;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAddressIdByNameAndCountry", Mts_SetAbort);
  }
  return -1;
}

int32_t BusinessPartner::GetAddressIdbyBISAddressCode(const std::string& i_sBISAddressCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> connection;
  try {
    connection = OpenReadCommittedConnection();
    auto rs = connection->Execute("SELECT ADDRESSID FROM ADDRESS WHERE BISADDRESSCODE = '" +
                                  Gen_SqlQuote(rt::Variant(rt::Trim(i_sBISAddressCode))) + "'");
    int32_t answer = rs->Eof() ? -1 : rt::CLng(rs->Value("ADDRESSID"));
    rs->Close();
    Sql_CloseConnection(connection);
    return answer;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetAddressIdbyBISAddressCode : " + i_sBISAddressCode,
                      [&] { Sql_CloseConnection(connection); });
  }
  return -1;
}

// --- partners ---------------------------------------------------------------------

int32_t BusinessPartner::GetBusinessPartnerIDByBusinessID(const std::string& iBusinessID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rs = ReadCommitted("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE BUSINESSID='" +
                                     Gen_SqlQuote(rt::Variant(iBusinessID)) + "'");
    return rs->Eof() ? -1 : rt::CLng(rs->Value("BUSINESSPARTNERID"));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnerIDByBusinessID", Mts_SetAbort);
  }
  return -1;
}

bool BusinessPartner::checkBusinessPartnerIDByBusinessID(const std::string& iBusinessID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rs = ReadCommitted("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE BUSINESSID='" +
                                     Gen_SqlQuote(rt::Variant(iBusinessID)) + "'");
    return !rs->Eof();
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.checkBusinessPartnerIDByBusinessID", Mts_SetAbort);
  }
  return false;
}

std::string BusinessPartner::PartnerIdByCode(const rt::Variant& iBISID, int16_t iUserType, bool raise) {
  const std::string source = "Brintor.BusinessPartner.GetBusinessPartnerIDByBISID";
  const std::string code = Gen_SqlQuote(iBISID);
  std::string label;
  bool found = false;
  std::string answer = "-1";
  try {
    std::string column;
    switch (iUserType) {
      case static_cast<int16_t>(UserTypeEnum::CUSTOMER): column = "BISCUSTOMERCODE"; label = "BISCustomercode"; break;
      case static_cast<int16_t>(UserTypeEnum::SUPPLIER): column = "BISSUPPLIERCODE"; label = "BISSuppliercode"; break;
      case static_cast<int16_t>(UserTypeEnum::CCCUSTOMER):
        column = "BISCREDITCARDCUSTOMERCODE";
        label = "BISCreditCardCustomercode";
        break;
      default:
        Mts_SetAbort();
        if (!raise) return "-1";
        // Raised while the handler is on: it passes through the handler once more.
        rt::Err() = rt::PendingError{kBrintorUnknownUserType, kClassSource,
                                     "Unknown user type '" + std::to_string(iUserType) + "'", {}, 0};
        Err_LogAndRaise(source);
    }
    auto rs =
        ReadCommitted("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE " + column + " = '" + code + "'");
    found = !rs->Eof();
    if (found) answer = rt::CStr(rs->Value("BUSINESSPARTNERID"));
  } catch (...) {
    if (!raise) {
      rt::TrapError();
      rt::Err().Clear();
      Mts_SetAbort();
      return "-1";
    }
    HandleMethodError(source, Mts_SetAbort);
  }
  if (found) return answer;
  // No row: raised with the handler off.
  Mts_SetAbort();
  if (!raise) return "-1";
  rt::Err() = rt::PendingError{kBrintorBusinessPartnerNotFound, kClassSource,
                               label + " '" + rt::Concat(iBISID) + "' not found", {}, 0};
  Err_LogAndRaise(source);
  return "-1";
}

std::string BusinessPartner::GetBusinessPartnerIDByBISID(const rt::Variant& iBISID, int16_t iUserType) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return PartnerIdByCode(iBISID, iUserType, true);
}

std::string BusinessPartner::GetBusinessPartnerIDByBISID2(const rt::Variant& iBISID, int16_t iUserType) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return PartnerIdByCode(iBISID, iUserType, false);
}

int32_t BusinessPartner::GetBusinessPartnerIDByDUNS(const std::string& i_lDUNSNumber) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  bool found = false;
  int32_t answer = 0;
  try {
    auto rs = ReadCommitted("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER " "WHERE DUNSNUMBER = " "'" +
                                     Gen_SqlQuote(rt::Variant(i_lDUNSNumber)) + "' ");
    found = !rs->Eof();
    if (found) answer = rt::CLng(rs->Value("BUSINESSPARTNERID"));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnerIDByDUNS", Mts_SetAbort);
  }
  if (found) return answer;
  Mts_SetAbort();
  Err_Raise(static_cast<int32_t>(EBusinessPartnerErrors::DUNSNumberNotFound),
            "Brintor.Businesspartner.GetBusinessPartnerByDUNS", "DUNS Number not found: DUNS=" + i_lDUNSNumber);
}

rt::ObjectPtr BusinessPartner::GetBusinessPartnerDetails(int16_t iBPID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted(
        "SELECT BUSINESSPARTNER.NAME, BUSINESSPARTNER.BISCUSTOMERCODE, BUSINESSPARTNER.BISSUPPLIERCODE FROM "
        "BUSINESSPARTNER where BUSINESSPARTNERID =" +
        std::to_string(iBPID));
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnerDetails", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetBusinessPartnersByPartOfName(const std::string& iNamePart) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return ReadCommitted("SELECT BP.BUSINESSPARTNERID, BP.NAME FROM BUSINESSPARTNER BP WHERE BP.NAME LIKE '%" +
                         Gen_SqlEscapeLike(rt::Variant(iNamePart)) + "%'");
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetBusinessPartnersByPartOfName", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::GetRemainingBusinessPartners(const rt::Variant& iIDs) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql = "SELECT BP.BUSINESSPARTNERID, BP.NAME FROM BUSINESSPARTNER BP";
    // IdInList converts every id to a number; "<key> NOT" turns its IN into NOT IN.
    if (!iIDs.IsMissing()) sql += " WHERE " + IdInList("BP.BUSINESSPARTNERID NOT", iIDs);
    return ReadCommitted(sql);
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.GetRemainingBusinessPartners", Mts_SetAbort);
  }
  return nullptr;
}

// No handler: failures reach the caller as raised, unlogged and without a vote.
int32_t BusinessPartner::IsBusinessPartnerPresent(const std::string& iBPName, int32_t iBPTYPE) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (iBPName.empty()) return 0;
  rt::ObjectPtr utilities = ThreadUtilities();
  const std::string name = rt::CStr(utilities->Call("ToSqlText", {rt::Variant(iBPName)}));
  const std::string type = rt::CStr(utilities->Call("ToSqlNumber", {rt::Variant(iBPTYPE)}));
  auto rs = ReadCommitted("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER " "WHERE NAME = " + name +
                                   " And ISONETIMEBP = " + type);
  return rs->Eof() ? 0 : rt::CLng(rs->Value("BUSINESSPARTNERID"));
}

}  // namespace brintor
