// UNSPSC ("Quarvel.UNSPSC"): the reading class of the UNSPSC code tree
// (UNSPSCCODES): code lists by level and parent, descriptions, existence
// of codes and of children. It runs outside any transaction and never
// votes. Its old writing members are withdrawn stubs; deleting and loading
// codes belong to its transactional twin TUNSPSC (tunspsc.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interfaces/referential_integrity.h"
#include "interfaces/unspsc.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace quarvel {

class UNSPSC : public rt::Object, public IUNSPSC, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "UNSPSC"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- IUNSPSC, in slot order ---
  bool Delete(std::string& iUNSPSCCode) override;
  std::shared_ptr<rt::Dictionary> GetAllUNSPSCCodes(int16_t iLevelNumber, const std::string& iParentCode) override;
  // No handler of their own: failures reach the caller as raised.
  std::string getUNSPSCDescription(std::string& i_UNSPSCCode) override;
  bool IsUNSPSCCodeExists(std::string& i_UNSPSCCode) override;
  bool CheckifChildExists(const std::string& i_sParentCode) override;

  // --- IReferentialIntegrity: withdrawn, TUNSPSC answers ---
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // The codes of the level and parent that a full code would sit in: the
  // lookup of getUNSPSCDescription and IsUNSPSCCodeExists.
  std::shared_ptr<rt::Dictionary> Siblings(const std::string& code);
};

rt::ClassInfo UNSPSCClass();

}  // namespace quarvel
