// Interfaces that the entity classes implement for the suite's
// infrastructure component: IReferentialIntegrity (asked by the referential
// checker) and BusinessRules (the checked writes of a data object).
//
// Convention for every header of interfaces/: an interface is a plain
// abstract struct with pure virtual members and a virtual destructor. The
// concrete class derives from rt::Object (for creation by ProgID and
// late-bound calls by name) and from its interfaces; a C++ caller holding the
// object reaches an interface with std::dynamic_pointer_cast<IX>(objectPtr).
// Member names are the late-bound names ("IReferentialIntegrity_Exists"), so
// a class lists them in its dispatch table under the same names.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

struct IReferentialIntegrity {
  virtual ~IReferentialIntegrity() = default;
  // True when this component still uses the key: the names and values are
  // parallel arrays, the origin names the asking component or table.
  virtual bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                            const rt::Variant& iValues) = 0;
  // Removes this component's own rows that hang on the key; True when done.
  virtual bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin,
                                                  const rt::Variant& iKeys,
                                                  const rt::Variant& iValues) = 0;
};

// Each member takes a data object (its "METAObjectID" names the kind; the
// caller's dictionary is changed in place) and answers a "Solvane.ResultObject".
struct BusinessRules {
  virtual ~BusinessRules() = default;
  virtual rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) = 0;
  virtual rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) = 0;
  virtual rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) = 0;
  virtual rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) = 0;
};
