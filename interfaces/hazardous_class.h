// The hazardous-class classes of the catalog library for C++ callers: the
// reading class "Quarvel.HazardousClass" (IHazardousClass) and its
// transactional twin "Quarvel.THazardousClass" (ITHazardousClass). The twin
// also implements IReferentialIntegrity (interfaces/referential_integrity.h)
// for the key CLASSCODE; the reading class has no withdrawn members.
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"

struct IHazardousClass {
  virtual ~IHazardousClass() = default;
  // Every class code, as key and item, in the order the database returns them.
  virtual std::shared_ptr<rt::Dictionary> GetAllHazardousClass() = 0;
  // The code of the class whose description is the text (letter case and
  // trailing blanks ignored; codes are not compared), or "".
  virtual std::string getHazardousClassFromDescription(const std::string& iDescription) = 0;
};

struct ITHazardousClass {
  virtual ~ITHazardousClass() = default;
  // Deletes the class: True; False (nothing deleted, no error) when a
  // product still refers to it. No referential checker is asked.
  virtual bool Delete(std::string& iClassCode) = 0;
};
