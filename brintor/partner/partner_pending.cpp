// BusinessPartner: the write side that is still to come (script-driven
// maintenance, business rules, deletes, referential integrity). Each member
// is in the interface and the dispatch table and answers E_NOTIMPL.
#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "runtime/context.h"

namespace brintor {

using namespace partner;

rt::ObjectPtr BusinessPartner::InsertFromScript(const std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("InsertFromScript");
}

rt::ObjectPtr BusinessPartner::UpdateFromScript(const std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("UpdateFromScript");
}

rt::ObjectPtr BusinessPartner::DeleteFromScript(const std::string&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("DeleteFromScript");
}

bool BusinessPartner::Delete(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("Delete");
}

bool BusinessPartner::AddressDelete(int32_t&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("AddressDelete");
}

bool BusinessPartner::CustomerDelete(int32_t) {
  rt::ContextScope scope(*this);
  NotYetAvailable("CustomerDelete");
}

rt::ObjectPtr BusinessPartner::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("BusinessRules_Insert");
}

rt::ObjectPtr BusinessPartner::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("BusinessRules_Update");
}

rt::ObjectPtr BusinessPartner::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("BusinessRules_Delete");
}

rt::ObjectPtr BusinessPartner::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("BusinessRules_GetInstance");
}

bool BusinessPartner::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("IReferentialIntegrity_Exists");
}

bool BusinessPartner::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&,
                                                         const rt::Variant&) {
  rt::ContextScope scope(*this);
  NotYetAvailable("IReferentialIntegrity_BeforeDelete");
}

}  // namespace brintor
