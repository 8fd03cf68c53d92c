// User ("Pellorin.User"): Bind checks the account's password and reads the
// user's entry; the properties answer from that entry, and the two
// writable ones (CompanyNumber, ProjectRoles) store at once.
#include "suite/pellorin/user.h"

#include "runtime/com_error.h"
#include "runtime/dispatch.h"
#include "suite/pellorin/entry_values.h"
#include "suite/pellorin/related_entry.h"

namespace pellorin {
namespace {

const char* const kSource = "Pellorin.User";

}  // namespace

const rt::DispatchTable* User::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<User>("User")
          .Method("Bind", &User::Bind)
          .Get("UserID", &User::UserID)
          .Method("GetAttribute", &User::GetAttribute)
          .Get("FallbackValues", &User::FallbackValues)
          .Get("Roles", &User::Roles)
          .Get("ProjectRoles", &User::ProjectRoles)
          .Let("ProjectRoles", &User::SetProjectRoles)
          .Get("RelatedEntry", &User::RelatedEntry)
          .Get("CompanyNumber", &User::CompanyNumber)
          .Let("CompanyNumber", &User::SetCompanyNumber)
          .Get("DefaultURL", &User::DefaultURL)
          .Get("Name", &User::Name)
          .Get("Surname", &User::Surname)
          .Get("Email", &User::Email)
          .Get("Language", &User::Language)
          .Get("PurOffice", &User::PurOffice)
          .Get("AdminOffice", &User::AdminOffice)
          .Get("ReqPrefix", &User::ReqPrefix)
          .Get("WhReqPrefix", &User::WhReqPrefix)
          .Get("CompanyName", &User::CompanyName)
          .Get("FinancialCompanyAdmin", &User::FinancialCompanyAdmin)
          .Get("FinancialCompanyCardUser", &User::FinancialCompanyCardUser)
          .Get("EmployeeNumber", &User::EmployeeNumber)
          .Get("RequisitionerManager", &User::RequisitionerManager)
          .Get("BuyerManager", &User::BuyerManager)
          .Get("CardUserManager", &User::CardUserManager)
          .Get("ApproverManager", &User::ApproverManager)
          .Get("UserCreditCardNumber", &User::UserCreditCardNumber)
          .Get("OutOfOfficeApprover", &User::OutOfOfficeApprover)
          .Get("SubstituteBuyer", &User::SubstituteBuyer)
          .Get("Locale", &User::Locale)
          .Get("ProjectUserType", &User::ProjectUserType)
          .Get("AddressID", &User::AddressID)
          .Get("PropertyGroupID", &User::PropertyGroupID)
          .Get("BillToBusinessPartnerID", &User::BillToBusinessPartnerID)
          .Get("BusinessPartnerID", &User::BusinessPartnerID)
          .Get("BuyerRole", &User::BuyerRole)
          .Get("RequisitionerRole", &User::RequisitionerRole)
          .Get("ApproverRole", &User::ApproverRole)
          .Get("FinancialRole", &User::FinancialRole)
          .Get("ExternalRole", &User::ExternalRole)
          .Get("OutOfOfficeOn", &User::OutOfOfficeOn)
          .Get("ChargeLines", &User::ChargeLines)
          .Get("SpendLimit", &User::SpendLimit)
          .Get("ApproverLimit", &User::ApproverLimit)
          .Get("LimitForRFQ", &User::LimitForRFQ)
          .Get("LimitForContract", &User::LimitForContract)
          .Get("UserCreditCardExpiry", &User::UserCreditCardExpiry)
          .Build();
  return &table;
}

DirectoryStore& User::Store() {
  if (!store_) store_ = OpenConfiguredDirectory();
  return *store_;
}

const Entry& User::Bound() {
  if (!entry_)
    RaiseDirectoryError(eNotBound, kSource, "The user object is not bound to a directory user");
  return *entry_;
}

void User::Bind(const std::string& userId, const std::string& account, const std::string& password) {
  // A failed bind leaves the object unbound, never answering for the user
  // bound before.
  entry_.reset();
  // "ID,ROOT": the embedded directory has one root, so the root part is not read.
  const std::string accountId = account.substr(0, account.find(','));
  if (!Store().Authenticate(accountId, password))
    RaiseDirectoryError(eLogonFailure, kSource,
                        "The directory refused the account '" + accountId +
                            "': unknown account or wrong password");
  std::optional<Entry> entry = Store().Read(userId);
  if (!entry) RaiseDirectoryError(eNoSuchUser, kSource, "The directory holds no user '" + userId + "'");
  entry_ = std::move(entry);
}

std::string User::UserID() { return Bound().id; }

rt::Variant User::GetAttribute(const std::string& name) { return AttributeArray(Bound(), name); }

rt::Variant User::FallbackValues() { return AttributeArray(Bound(), "FallbackValues"); }

rt::Variant User::Roles() { return AttributeArray(Bound(), "VYRole"); }

rt::Variant User::ProjectRoles() { return AttributeArray(Bound(), "ProjectRole"); }

void User::SetProjectRoles(const rt::Variant& roles) {
  AttributeInfo info = DescribeAttribute("ProjectRole");
  std::vector<std::string> values;
  for (const rt::Variant& role : ValuesOf(roles)) values.push_back(ToStoredText(info, role));
  Write("ProjectRole", std::move(values));
}

rt::ObjectPtr User::RelatedEntry() {
  std::string related = rt::CStr(FirstValue(Bound(), "RelatedEntry"));
  if (related.empty()) return nullptr;
  std::optional<Entry> entry = Store().Read(related);
  if (!entry) return nullptr;
  return std::make_shared<pellorin::RelatedEntry>(std::move(*entry));
}

std::string User::CompanyNumber() { return Text("CompanyNumber"); }

void User::SetCompanyNumber(const std::string& number) {
  std::vector<std::string> values;
  if (!number.empty()) values.push_back(number);
  Write("CompanyNumber", std::move(values));
}

std::string User::DefaultURL(int32_t applicationNumber) {
  return rt::CStr(FirstValue(Bound(), "DefaultURL." + std::to_string(applicationNumber)));
}

rt::Variant User::Value(const std::string& name) { return FirstValue(Bound(), name); }

void User::Write(const std::string& name, std::vector<std::string> values) {
  const Entry& entry = Bound();
  AttributeInfo info = DescribeAttribute(name);
  if (!Store().Change(entry.id, {{info, values}}))
    RaiseDirectoryError(eNoSuchUser, kSource, "The directory holds no user '" + entry.id + "'");
  auto& attributes = entry_->attributes;
  for (auto it = attributes.begin(); it != attributes.end(); ++it) {
    if (rt::TextCompare(it->first, info.name) == 0) {
      attributes.erase(it);
      break;
    }
  }
  if (!values.empty()) attributes.emplace_back(info.name, std::move(values));
}

}  // namespace pellorin
