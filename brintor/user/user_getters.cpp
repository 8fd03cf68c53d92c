// User: the attribute getters that read one directory property each and
// resolve it with the default or the administrative office's value.
#include "brintor/user/user.h"

#include "runtime/context.h"

namespace brintor {

namespace {

const rt::Variant kNoText("");
const rt::Variant kNoNumber(int32_t{0});
const rt::Variant kNoFlag(false);

// A resolved flag; Null reads as False.
bool Flag(const rt::Variant& v) { return v.IsNull() ? false : rt::CBool(v); }

}  // namespace

int16_t User::GetUserLocale(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CInt(ResolvedProperty(iUserID, "Locale", "LOCALE", false, int32_t{1033}, kNoText));
}

int16_t User::GetUserLanguage(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CInt(ResolvedProperty(iUserID, "Language", "LANGUAGE", false, int32_t{1033}, kNoText));
}

std::string User::GetUsername(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "Surname", "SURNAME", false, kNoText, kNoText));
}

std::string User::GetEmailAddress(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "Email", "EMAIL", false, kNoText, kNoText));
}

int32_t User::GetAddressID(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CLng(ResolvedProperty(iUserID, "AddressID", "ADDRESSID", true, int32_t{-1}, kNoNumber));
}

std::string User::GetPurOffice(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "PurOffice", "PUROFFICE", false, kNoText, kNoText));
}

bool User::GetBuyerRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "BuyerRole", "BUYERROLE", false, kNoFlag, kNoFlag));
}

bool User::GetRequisitionerRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "RequisitionerRole", "REQUISITIONERROLE", false, kNoFlag, kNoFlag));
}

bool User::GetApproverRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "ApproverRole", "APPROVERROLE", false, kNoFlag, kNoFlag));
}

bool User::GetFinancialRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "FinancialRole", "FINANCIALROLE", false, kNoFlag, kNoFlag));
}

bool User::GetExternalRole(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "ExternalRole", "EXTERNALROLE", false, kNoFlag, kNoFlag));
}

double User::GetSpendLimit(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CDbl(ResolvedProperty(iUserID, "SpendLimit", "SPENDLIMIT", false, int32_t{-1}, kNoNumber));
}

int32_t User::GetPropertyGroup(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CLng(ResolvedProperty(iUserID, "PropertyGroupID", "PROPERTYGROUPID", true, kNoNumber, kNoNumber));
}

std::string User::GetReqPrefix(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "ReqPrefix", "REQPREFIX", false, kNoText, kNoText));
}

std::string User::GetWhReqPrefix(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "WhReqPrefix", "WHREQPREFIX", false, kNoText, kNoText));
}

// The application number is accepted and not used: the directory is always
// asked for application 17.
std::string User::GetDefaultURL(int32_t&, std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  rt::Variant url = GetAUObject(i_sUserId)->GetProperty("DefaultURL", {rt::Variant(int32_t{17})});
  return rt::CStr(GetUserField(i_sUserId, "DefaultURL", false, kNoText, url, kNoText));
}

std::string User::GetCompany(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "CompanyName", "CompanyName", false, kNoText, kNoText));
}

std::string User::GetCompanyNumber(std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(i_sUserId, "CompanyNumber", "CompanyNumber", false, kNoText, kNoText));
}

std::string User::GetFinancialCompanyAdmin(std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  return rt::CStr(
      ResolvedProperty(i_sUserId, "FinancialCompanyAdmin", "FinancialCompanyAdmin", false, kNoText, kNoText));
}

std::string User::GetFinancialCompanyCardUser(std::string& i_sUserId) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(i_sUserId, "FinancialCompanyCardUser", "FinancialCompanyCardUser", false,
                                   kNoText, kNoText));
}

// No unset marker: the directory's value is the answer.
int16_t User::GetProjectUserType(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CInt(GetAUObject(iUserID)->GetProperty("ProjectUserType"));
}

std::string User::GetEmployee(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "EmployeeNumber", "EmployeeNumber", false, kNoText, kNoText));
}

std::string User::GetRequisitionerManager(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "RequisitionerManager", "VYU_USERID", false, kNoText, kNoText));
}

int32_t User::GetBillToBusinessPartnerID(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CLng(ResolvedProperty(iUserID, "BillToBusinessPartnerID", "BUSINESSPARTNERID", true, int32_t{-1},
                                   kNoNumber));
}

int32_t User::GetBusinessPartnerID(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CLng(
      ResolvedProperty(iUserID, "BusinessPartnerID", "BUSINESSPARTNERID", true, int32_t{-1}, kNoNumber));
}

bool User::IsUserOutOfOffice(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "OutOfOfficeOn", "OUTOFOFFICEON", false, kNoFlag, kNoFlag));
}

double User::GetApproverLimit(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CDbl(ResolvedProperty(iUserID, "ApproverLimit", "APPROVERLIMIT", false, int32_t{-1}, kNoNumber));
}

double User::GetBuyerApprovalLimit(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CDbl(ResolvedProperty(iUserID, "LimitForRFQ", "LIMITFORRFQ", false, int32_t{-1}, kNoNumber));
}

double User::GetBuyerContractLimit(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CDbl(
      ResolvedProperty(iUserID, "LimitForContract", "LIMITFORCONTRACT", false, int32_t{-1}, kNoNumber));
}

std::string User::GetBuyerManager(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "BuyerManager", "BUYERMANAGER", false, kNoText, kNoText));
}

std::string User::GetCardUserManager(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "CardUserManager", "CARDUSERMANAGER", false, kNoText, kNoText));
}

bool User::IsChargeLinesAllowed(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return Flag(ResolvedProperty(iUserID, "ChargeLines", "CHARGELINES", false, kNoFlag, kNoFlag));
}

std::string User::GetApproverManager(std::string& iUserID) {
  rt::ContextScope scope(*this);
  return rt::CStr(ResolvedProperty(iUserID, "ApproverManager", "APPROVERMANAGER", false, kNoText, kNoText));
}

}  // namespace brintor
