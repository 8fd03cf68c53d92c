// The dispatch tables of Unit and TUnit: every member of the dual interface
// in its slot order, then those of IReferentialIntegrity.
#include "quarvel/reference/unit.h"
#include "runtime/dispatch.h"

namespace quarvel {

const rt::DispatchTable* Unit::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Unit>("Unit")
          .Method("Delete", &Unit::Delete)
          .Method("GetAllUnits", &Unit::GetAllUnits)
          .Method("getUnitCodeFromDescription", &Unit::getUnitCodeFromDescription)
          .Method("IReferentialIntegrity_Exists", &Unit::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &Unit::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

const rt::DispatchTable* TUnit::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<TUnit>("TUnit")
          .Method("Delete", &TUnit::Delete)
          .Method("IReferentialIntegrity_Exists", &TUnit::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &TUnit::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace quarvel
