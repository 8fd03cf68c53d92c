// User: the getters that decide more than one directory property gives:
// credit card, substitutes, office-only values, cost centre and warehouse,
// the suppliers of a business partner, and the company number's writer.
#include <string>

#include "brintor/user/directory_access.h"
#include "brintor/user/user.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

namespace {

bool BlankOrNull(const rt::Variant& v) { return v.IsNull() || rt::Trim(rt::CStr(v)).empty(); }

}  // namespace

std::string User::GetCreditCardNumber(std::string& iUserID) {
  rt::ContextScope scope(*this);
  rt::Variant number =
      ResolvedProperty(iUserID, "UserCreditCardNumber", "USERCREDITCARDNUMBER", false, "", "");
  if (!number.IsNull() && rt::Trim(rt::CStr(number)).empty()) number = AdminOfficeField(iUserID, "CREDITCARDNUMBER");
  return rt::CStr(number);
}

rt::Variant User::GetNullCreditCardExpiry(std::string& iUserID) {
  rt::ContextScope scope(*this);
  rt::Variant expiry = ResolvedProperty(iUserID, "UserCreditCardExpiry", "USERCREDITCARDEXPIRY", false,
                                        rt::Variant(), rt::Variant(rt::Date{0}));
  if (expiry.IsEmpty()) expiry = AdminOfficeField(iUserID, "CREDITCARDEXPIRY");
  if (expiry.IsEmpty()) expiry = rt::Variant::Null();
  return expiry;
}

int16_t User::GetCreditCardType(std::string& iUserID) {
  rt::ContextScope scope(*this);
  rt::Variant type = Element0(GetAUObject(iUserID)->Call("GetAttribute", {rt::Variant("CreditCardType")}));
  if (type.IsEmpty()) type = rt::Variant(int16_t{-1});
  const rt::Variant kOther(int16_t{5});
  type = GetUserField(iUserID, "USERCREDITCARDTYPE", false, kOther, type, rt::Variant(int16_t{-1}));
  if (rt::VbEquals(type, kOther)) {
    type = AdminOfficeField(iUserID, "CREDITCARDTYPE");
    if (type.IsEmpty()) type = kOther;
  }
  return rt::CInt(type);
}

std::string User::GetSubstituteApprover(std::string& iUserID) {
  rt::ContextScope scope(*this);
  rt::Variant substitute =
      ResolvedProperty(iUserID, "OutOfOfficeApprover", "OUTOFFICEAPPROVER", false, "", "");
  return BlankOrNull(substitute) ? iUserID : rt::CStr(substitute);
}

std::string User::GetSubstituteBuyer(std::string& iUserID) {
  rt::ContextScope scope(*this);
  rt::Variant substitute = ResolvedProperty(iUserID, "SubstituteBuyer", "SUBSTITUTEBUYER", false, "", "");
  return BlankOrNull(substitute) ? std::string() : rt::CStr(substitute);
}

std::string User::GetShipToContactInformation(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(AdminOfficeField(iUserID, "SHIPTOCONTACTINFORMATION"));
}

std::string User::GetCurrencyCode(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(AdminOfficeField(iUserID, "CURRENCYCODE"));
}

// The directory's cost centre counts only when it names a work centre flagged
// as a cost centre; otherwise the office's. Never fails: a failure answers
// what was found so far.
std::string User::GetCostCenter(std::string& iUserID) {
  rt::ContextScope scope(*this);
  std::string result;
  try {
    rt::Variant names(rt::SafeArray::From({rt::Variant("COSTCENTER")}));
    std::shared_ptr<rt::Dictionary> details = GetUserDetails(iUserID, names);
    if (details && details->Count() > 0) {
      const rt::Variant* value = details->Find(rt::Variant("COSTCENTER"));
      rt::Variant code(rt::CStr(Element0(value ? *value : rt::Variant())));
      if (!rt::CStr(code).empty() && IsCostCenter(code)) result = rt::CStr(code);
    }
    if (result.empty()) result = rt::CStr(AdminOfficeField(iUserID, "COSTCENTER"));
  } catch (...) {
    rt::Err().Clear();
  }
  return result;
}

bool User::IsCostCenter(rt::Variant& I_sWorkCenterCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = cn->Execute("select COSTCENTER from WORKCENTER WHERE WORKCENTERCODE = '" +
                     Gen_SqlQuote(rt::CStr(I_sWorkCenterCode)) + "'");
    bool costCenter = false;
    if (!rs->Eof()) {
      rt::Variant flag = rs->Value("COSTCENTER");
      costCenter = !flag.IsNull() && rt::CBool(flag);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return costCenter;
  } catch (...) {
    HandleMethodError("Brintor.User.IsCostCenter", [&] { CloseQuietly(rs, cn); });
  }
  return false;
}

// Reads the office row directly, not through the office cache.
std::string User::GetWarehouseOfUser(rt::Variant& iUserID) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    std::string id = rt::CStr(iUserID);
    const std::string office = GetAdminOffice(id);
    cn = getConnection();
    rs = cn->Execute(std::string("SELECT OFFICE.WAREHOUSE FROM OFFICE ") +
                     "WHERE OFFICE.OFFICEDESCRIPTION  ='" + Gen_SqlQuote(office) + "'");
    std::string warehouse;
    if (!rs->Eof()) warehouse = Gen_NullToEmpty(rs->Value("WAREHOUSE"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return warehouse;
  } catch (...) {
    HandleMethodError("Brintor.User.GetWarehouseOfUser(" + rt::Concat(iUserID) + ")",
                      [&] { CloseQuietly(rs, cn); });
  }
  return {};
}

std::shared_ptr<rt::Collection> User::GetAllSuppliersForBP(int32_t& i_lBPID) {
  rt::ContextScope scope(*this);
  try {
    const std::vector<rt::Variant> ids =
        GetVYUsers(FilterList({"BusinessPartnerID=" + std::to_string(i_lBPID), "VYRole=" + std::to_string(6)}));
    auto suppliers = std::make_shared<rt::Collection>();
    for (const rt::Variant& id : ids) suppliers->Add(id, id);
    return suppliers;
  } catch (...) {
    HandleMethodError("Brintor.User.GetAllSuppliersForBP");
  }
  return nullptr;
}

// Written through the cached directory user; nothing else stores it.
void User::SetCompanyNumber(std::string& i_sCompanyNumber, std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  rt::ObjectPtr user;
  try {
    user = GetAUObject(i_sUserId);
    user->LetProperty("CompanyNumber", rt::Variant(i_sCompanyNumber));
  } catch (...) {
    HandleMethodError("Brintor.User.SetCompanyNumber", [&] { user.reset(); });
  }
}

}  // namespace brintor
