// The unit classes of the catalog library for C++ callers: the reading class
// "Quarvel.Unit" (IUnit) and its transactional twin "Quarvel.TUnit" (ITUnit).
// Both also implement IReferentialIntegrity (interfaces/referential_integrity.h):
// TUnit answers for the key UNITCODE, Unit's two members are withdrawn.
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
// Failures are raised as rt::ComError; numbers in interfaces/quarvel_errors.h.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"

struct IUnit {
  virtual ~IUnit() = default;
  // Withdrawn: fails with -1 naming Quarvel.TUnit.Delete.
  virtual bool Delete(std::string& iUnitCode) = 0;
  // Every unit code, as key and item, in the order the database returns them.
  virtual std::shared_ptr<rt::Dictionary> GetAllUnits() = 0;
  // The code of the unit whose code or description is the text (letter case
  // and trailing blanks ignored), or "".
  virtual std::string getUnitCodeFromDescription(std::string& iUnitDescription) = 0;
};

struct ITUnit {
  virtual ~ITUnit() = default;
  // Deletes the unit: True; False (nothing deleted, no error) when the
  // referential checker or a product still refers to it.
  virtual bool Delete(std::string& iUnitCode) = 0;
};
