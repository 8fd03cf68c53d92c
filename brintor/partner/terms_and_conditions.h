// TermsAndConditions ("Brintor.TermsAndConditions"): the seven code tables
// of commercial terms (payment terms and methods, delivery terms and
// methods, packaging, warranty and penalty terms), listed, read, written and
// tested by code. The class keeps no state and runs outside transactions;
// the table writers it calls cast the votes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/terms_and_conditions.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

class TermsAndConditions : public rt::Object, public ITermsAndConditions {
 public:
  std::string TypeName() const override { return "TermsAndConditions"; }
  const rt::DispatchTable* Dispatch() const override;

  std::shared_ptr<rt::Dictionary> getAllTermsAndConditions(int32_t i_nTCType) override;
  std::shared_ptr<rt::Dictionary> getTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                                        int32_t i_nFieldsOfRecord,
                                                        const rt::Variant& i_vFieldNames) override;
  void InsertTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                std::shared_ptr<rt::Dictionary>& i_oDicTCFields) override;
  void UpdateTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                std::shared_ptr<rt::Dictionary>& i_oDicTCFields) override;
  void DeleteTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode) override;
  bool IsTermorConditionPresent(const std::string& i_sTCCode, int32_t i_nTCType) override;

 private:
  std::string ConnectionString();
  // Whether a row of `table` has every column equal to the value at the same
  // index ("Invalid Arguments", -1, for a blank table or arrays that do not pair).
  bool CheckIfExistsinTable(std::string& table, const rt::Variant& columns, const rt::Variant& values);
};

rt::ClassInfo TermsAndConditionsClass();

}  // namespace brintor
