// Contract: every member withdrawn. Each fails with -1, the withdrawal text
// standing where the method name goes; no vote, no connection.
#include "quarvel/reference/contract.h"

#include "common/lib_errorhandling.h"
#include "quarvel/classes.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace quarvel {

namespace {

[[noreturn]] void Withdrawn() {
  DeprecatedStub("This method is depricated, Contract module is now not being used in QVS");
}

}  // namespace

rt::ClassInfo ContractClass() {
  // No transaction attribute.
  return rt::ClassInfo{"Quarvel.Contract", "", rt::TransactionAttribute::None,
                       [] { return std::make_shared<Contract>(); }};
}

const rt::DispatchTable* Contract::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Contract>("Contract")
          .Method("Delete", &Contract::Delete)
          .Method("Insert", &Contract::Insert)
          .Method("Update", &Contract::Update)
          .Method("PostToContract", &Contract::PostToContract)
          .Method("GetAllContracts", &Contract::GetAllContracts)
          .Method("IReferentialIntegrity_Exists", &Contract::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &Contract::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

bool Contract::Delete(std::string&, int16_t&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

bool Contract::Insert(std::string&, int16_t&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

bool Contract::Update(std::string&, int16_t&, rt::Variant&, rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

bool Contract::PostToContract(std::string&, int16_t&, rt::Currency&, std::string&, bool&, rt::Date&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

std::shared_ptr<rt::Dictionary> Contract::GetAllContracts() {
  rt::ContextScope scope(*this);
  Withdrawn();
}

bool Contract::IReferentialIntegrity_Exists(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

bool Contract::IReferentialIntegrity_BeforeDelete(const std::string&, const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  Withdrawn();
}

}  // namespace quarvel
