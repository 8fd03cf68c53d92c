// ReferentialChecker ("Solvane.ReferentialChecker"): guards the references
// between the components' tables by asking the components themselves.
#pragma once

#include <string>

#include "interfaces/solvane.h"
#include "runtime/object.h"

namespace solvane {

class ReferentialChecker : public rt::Object, public IReferentialChecker {
 public:
  std::string TypeName() const override { return "ReferentialChecker"; }
  const rt::DispatchTable* Dispatch() const override;

  bool CanInsert(const std::string& component, const std::string& table,
                 const rt::Variant& keyNames, const rt::Variant& keyValues) override;
  bool CanUpdate(const std::string& table, const rt::Variant& keyNames,
                 const rt::Variant& keyValues) override;
  bool CanDelete(const std::string& component, const std::string& table,
                 const rt::Variant& keyNames, const rt::Variant& keyValues) override;
  bool BeforeDelete(const std::string& table, const rt::Variant& keyNames,
                    const rt::Variant& keyValues) override;

 private:
  bool ReferencesExist(const std::string& origin, const std::string& table,
                       const rt::Variant& keyNames, const rt::Variant& keyValues);
};

}  // namespace solvane
