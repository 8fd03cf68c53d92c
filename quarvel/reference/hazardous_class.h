// Hazardous-material classes (table HAZARDOUSCLASS), which PRODUCT.CLASSCODE
// names: the reading class HazardousClass ("Quarvel.HazardousClass": the
// class codes, and the code for a description) in hazardous_class.cpp, and
// the transactional twin THazardousClass ("Quarvel.THazardousClass": the
// delete guarded by the products alone, and the referential answers for
// CLASSCODE) in thazardous_class.cpp. Both dispatch tables are in
// hazardous_class_dispatch.cpp. Codes and descriptions go into SQL as
// Unicode literals (N'...').
#pragma once

#include <memory>
#include <string>

#include "interfaces/hazardous_class.h"
#include "interfaces/referential_integrity.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class HazardousClass : public rt::Object, public IHazardousClass {
 public:
  std::string TypeName() const override { return "HazardousClass"; }
  const rt::DispatchTable* Dispatch() const override;

  std::shared_ptr<rt::Dictionary> GetAllHazardousClass() override;
  std::string getHazardousClassFromDescription(const std::string& iDescription) override;
};

class THazardousClass : public rt::Object, public ITHazardousClass, public IReferentialIntegrity {
 public:
  std::string TypeName() const override { return "THazardousClass"; }
  const rt::DispatchTable* Dispatch() const override;

  // The class's products first, the DELETE second; no checker is asked.
  bool Delete(std::string& iClassCode) override;
  // True when HAZARDOUSCLASS holds the code named by the key CLASSCODE (any
  // letter case); votes commit, as TUnit's answer does.
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  // Always True: nothing of the class's own hangs on another row.
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

 private:
  // True when no product has the class.
  bool canDeleteHazardousClass(const std::string& iClassCode);
};

}  // namespace quarvel
