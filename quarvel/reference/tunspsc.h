// TUNSPSC ("Quarvel.TUNSPSC"): the transactional twin of UNSPSC. It deletes
// codes under the referential checker, answers the checker for UNSPSC codes
// (IReferentialIntegrity) and loads code lists from a workbook or an XML
// document. Requires a transaction.
//
// tunspsc.cpp: Delete, the referential answers, the dispatch table;
// unspsc_upload.cpp: UploadFromXLS and UploadFromXML, which store each code
// through storeUNSPSCCode (unspsc_store.h).
#pragma once

#include <memory>
#include <string>

#include "interfaces/referential_integrity.h"
#include "interfaces/unspsc.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace quarvel {

class TUNSPSC : public rt::Object, public ITUNSPSC, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "TUNSPSC"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- ITUNSPSC, in slot order ---
  // Votes commit on success, abort on a refusal or failure.
  bool Delete(std::string& iUNSPSCCode) override;
  // Neither upload votes on success (the root's transaction commits); a
  // failure through the handler votes abort, so nothing of it is kept.
  std::shared_ptr<rt::Dictionary> UploadFromXLS(const std::string& sFile, bool bOverwrite,
                                                bool bUpdCommodity) override;
  std::shared_ptr<rt::Dictionary> UploadFromXML(const std::string& sFile, bool bOverwrite,
                                                bool bUpdCommodity) override;

  // --- IReferentialIntegrity: the key "UNSPSCCODES" (any letter case) ---
  // True when the full code given under that key has a row.
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  // Deletes nothing; True.
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;
};

rt::ClassInfo TUNSPSCClass();

}  // namespace quarvel
