// The withdrawn contract class Contract ("Quarvel.Contract"), without a
// transaction attribute: every member, the two of IReferentialIntegrity
// included, fails with -1 and touches nothing. Everything, the dispatch
// table included, is in contract.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/contract.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class Contract : public rt::Object, public IContract, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "Contract"; }
  const rt::DispatchTable* Dispatch() const override;

  bool Delete(std::string& iContractCode, int16_t& iNumber) override;
  bool Insert(std::string& iContractCode, int16_t& iNumber, rt::Variant& iFields, rt::Variant& iValues) override;
  bool Update(std::string& iContractCode, int16_t& iNumber, rt::Variant& iFields, rt::Variant& iValues) override;
  bool PostToContract(std::string& iContractCode, int16_t& iNumber, rt::Currency& iAmount, std::string& iCurrencyCode,
                      bool& iClosedRequisition, rt::Date& iDate) override;
  std::shared_ptr<rt::Dictionary> GetAllContracts() override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;
};

}  // namespace quarvel
