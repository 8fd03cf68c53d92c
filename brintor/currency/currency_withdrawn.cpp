// Currency: the writing members that moved to TCurrency. Each fails with
// error -1, its text naming the replacement standing where the method name
// goes; none reads its arguments or touches the database.
#include "brintor/currency/currency.h"
#include "common/lib_errorhandling.h"
#include "runtime/context.h"

namespace brintor {

namespace {

[[noreturn]] void Withdrawn(const std::string& replacement) {
  DeprecatedStub("This method is depricated, Use Brintor.TCurrency." + replacement + " Method");
}

}  // namespace

bool Currency::AddCurrency() {
  rt::ContextScope scope(*this);
  Withdrawn("AddCurrency");
}

bool Currency::UpdateCurrency() {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateCurrency");
}

bool Currency::DeleteCurrency() {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteCurrency");
}

bool Currency::CurrencyDelete(rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("CurrencyDelete");
}

bool Currency::AddCurrencyRate(rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&,
                               rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("AddCurrencyRate");
}

bool Currency::UpdateCurrencyRate(rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&, rt::Variant&,
                                  rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateCurrencyRate");
}

bool Currency::DeleteCurrencyRate(rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteCurrencyRate");
}

rt::ObjectPtr Currency::InsertFromScript(rt::Variant&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("InsertFromScript");
}

rt::ObjectPtr Currency::UpdateFromScript(rt::Variant&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("UpdateFromScript");
}

rt::ObjectPtr Currency::DeleteFromScript(rt::Variant&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("DeleteFromScript");
}

bool Currency::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_Exists");
}

bool Currency::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn("IReferentialIntegrity_BeforeDelete");
}

rt::ObjectPtr Currency::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Insert");
}

rt::ObjectPtr Currency::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Update");
}

rt::ObjectPtr Currency::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_Delete");
}

rt::ObjectPtr Currency::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  Withdrawn("BusinessRules_GetInstance");
}

}  // namespace brintor
