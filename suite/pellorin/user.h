// User ("Pellorin.User"): one directory user, bound with an account's password.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "interfaces/pellorin.h"
#include "runtime/object.h"
#include "suite/pellorin/directory_store.h"

namespace pellorin {

class User : public rt::Object, public IPellorinUser {
 public:
  User() = default;
  // A user already bound (CreateUser answers the new user so).
  User(std::shared_ptr<DirectoryStore> store, Entry entry)
      : store_(std::move(store)), entry_(std::move(entry)) {}

  std::string TypeName() const override { return "User"; }
  const rt::DispatchTable* Dispatch() const override;

  void Bind(const std::string& userId, const std::string& account, const std::string& password) override;
  std::string UserID() override;
  rt::Variant GetAttribute(const std::string& name) override;
  rt::Variant FallbackValues() override;
  rt::Variant Roles() override;
  rt::Variant ProjectRoles() override;
  void SetProjectRoles(const rt::Variant& roles) override;
  rt::ObjectPtr RelatedEntry() override;
  std::string CompanyNumber() override;
  void SetCompanyNumber(const std::string& number) override;
  std::string DefaultURL(int32_t applicationNumber) override;

  std::string Name() override { return Text("Name"); }
  std::string Surname() override { return Text("Surname"); }
  std::string Email() override { return Text("Email"); }
  std::string Language() override { return Text("Language"); }
  std::string PurOffice() override { return Text("PurOffice"); }
  std::string AdminOffice() override { return Text("AdminOffice"); }
  std::string ReqPrefix() override { return Text("ReqPrefix"); }
  std::string WhReqPrefix() override { return Text("WhReqPrefix"); }
  std::string CompanyName() override { return Text("CompanyName"); }
  std::string FinancialCompanyAdmin() override { return Text("FinancialCompanyAdmin"); }
  std::string FinancialCompanyCardUser() override { return Text("FinancialCompanyCardUser"); }
  std::string EmployeeNumber() override { return Text("EmployeeNumber"); }
  std::string RequisitionerManager() override { return Text("RequisitionerManager"); }
  std::string BuyerManager() override { return Text("BuyerManager"); }
  std::string CardUserManager() override { return Text("CardUserManager"); }
  std::string ApproverManager() override { return Text("ApproverManager"); }
  std::string UserCreditCardNumber() override { return Text("UserCreditCardNumber"); }
  std::string OutOfOfficeApprover() override { return Text("OutOfOfficeApprover"); }
  std::string SubstituteBuyer() override { return Text("SubstituteBuyer"); }
  int16_t Locale() override { return rt::CInt(Value("Locale")); }
  int16_t ProjectUserType() override { return rt::CInt(Value("ProjectUserType")); }
  int32_t AddressID() override { return rt::CLng(Value("AddressID")); }
  int32_t PropertyGroupID() override { return rt::CLng(Value("PropertyGroupID")); }
  int32_t BillToBusinessPartnerID() override { return rt::CLng(Value("BillToBusinessPartnerID")); }
  int32_t BusinessPartnerID() override { return rt::CLng(Value("BusinessPartnerID")); }
  bool BuyerRole() override { return rt::CBool(Value("BuyerRole")); }
  bool RequisitionerRole() override { return rt::CBool(Value("RequisitionerRole")); }
  bool ApproverRole() override { return rt::CBool(Value("ApproverRole")); }
  bool FinancialRole() override { return rt::CBool(Value("FinancialRole")); }
  bool ExternalRole() override { return rt::CBool(Value("ExternalRole")); }
  bool OutOfOfficeOn() override { return rt::CBool(Value("OutOfOfficeOn")); }
  bool ChargeLines() override { return rt::CBool(Value("ChargeLines")); }
  rt::Currency SpendLimit() override { return rt::CCur(Value("SpendLimit")); }
  rt::Currency ApproverLimit() override { return rt::CCur(Value("ApproverLimit")); }
  rt::Currency LimitForRFQ() override { return rt::CCur(Value("LimitForRFQ")); }
  rt::Currency LimitForContract() override { return rt::CCur(Value("LimitForContract")); }
  rt::Date UserCreditCardExpiry() override { return rt::CDate(Value("UserCreditCardExpiry")); }

 private:
  DirectoryStore& Store();
  const Entry& Bound();
  rt::Variant Value(const std::string& name);
  std::string Text(const std::string& name) { return rt::CStr(Value(name)); }
  // Writes one attribute through to the directory and into the bound entry.
  void Write(const std::string& name, std::vector<std::string> values);

  std::shared_ptr<DirectoryStore> store_;
  std::optional<Entry> entry_;  // the bound user as read at Bind
};

}  // namespace pellorin
