// Units of measure (table UNIT), which PRODUCT.UNITCODE names: the reading
// class Unit ("Quarvel.Unit": the unit codes, and the code for a code or a
// description; its old deleting members are withdrawn) in unit.cpp, and the
// transactional twin TUnit ("Quarvel.TUnit": the guarded delete and the
// referential answers for UNITCODE) in tunit.cpp. Both dispatch tables are
// in unit_dispatch.cpp.
#pragma once

#include <memory>
#include <string>

#include "interfaces/referential_integrity.h"
#include "interfaces/unit.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class Unit : public rt::Object, public IUnit, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "Unit"; }
  const rt::DispatchTable* Dispatch() const override;

  bool Delete(std::string& iUnitCode) override;  // withdrawn
  std::shared_ptr<rt::Dictionary> GetAllUnits() override;
  std::string getUnitCodeFromDescription(std::string& iUnitDescription) override;

  // Withdrawn: the twin answers for the key.
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;
};

class TUnit : public rt::Object, public ITUnit, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "TUnit"; }
  const rt::DispatchTable* Dispatch() const override;

  // The checker first, the unit's products second, the DELETE last.
  bool Delete(std::string& iUnitCode) override;
  // True when UNIT holds the code named by the key UNITCODE (any letter case).
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  // Always True: nothing of the unit's own hangs on another row.
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // True when no product has the unit.
  bool canDeleteUnit(const std::string& iUnitCode);
};

}  // namespace quarvel
