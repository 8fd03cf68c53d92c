// Interfaces of the UNSPSC code classes of the catalog library:
// "Quarvel.UNSPSC" (reading, no transaction of its own) and its
// transactional twin "Quarvel.TUNSPSC" (deleting and uploading). Members in
// their published slot order; both classes also implement
// IReferentialIntegrity (interfaces/referential_integrity.h).
//
// A code is a text of digits, two per level; a stored node is PARENTCODE
// (all but the last pair) and UNSPSCCODE (the last pair). Code lists are
// dictionaries from the full code to its description.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"

struct IUNSPSC {
  virtual ~IUNSPSC() = default;
  // Withdrawn: fails with -1 naming "Quarvel.TUNSPSC.Delete".
  virtual bool Delete(std::string& iUNSPSCCode) = 0;
  // The codes of one level, under one parent unless the parent is empty, in
  // the order level, parent, own code.
  virtual std::shared_ptr<rt::Dictionary> GetAllUNSPSCCodes(int16_t iLevelNumber,
                                                            const std::string& iParentCode) = 0;
  // The description of a full code; "" for an empty or unknown code.
  virtual std::string getUNSPSCDescription(std::string& i_UNSPSCCode) = 0;
  virtual bool IsUNSPSCCodeExists(std::string& i_UNSPSCCode) = 0;
  // True when any row lies below the code, at any depth.
  virtual bool CheckifChildExists(const std::string& i_sParentCode) = 0;
};

// The status of one code of an upload (the items of the uploads' result).
enum UNSPSCUploadStatus : int16_t {
  eUNSPSCStored = 0,
  eUNSPSCInvalidCode = 1,
  eUNSPSCCodeExists = 2,
  eUNSPSCCommodityExists = 3,
  eUNSPSCParentMissing = 4,
};

struct ITUNSPSC {
  virtual ~ITUNSPSC() = default;
  // Deletes the one row of a full code when the referential checker allows;
  // False (and nothing deleted) when it refuses.
  virtual bool Delete(std::string& iUNSPSCCode) = 0;
  // Load a code list from a workbook or an XML document of the download
  // folder; the result maps each code (as read) that was not stored cleanly
  // to its UNSPSCUploadStatus.
  virtual std::shared_ptr<rt::Dictionary> UploadFromXLS(const std::string& sFile, bool bOverwrite,
                                                        bool bUpdCommodity) = 0;
  virtual std::shared_ptr<rt::Dictionary> UploadFromXML(const std::string& sFile, bool bOverwrite,
                                                        bool bUpdCommodity) = 0;
};
