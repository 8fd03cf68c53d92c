// The dispatch tables of HazardousClass and THazardousClass: every member of
// the dual interface in its slot order, then those of IReferentialIntegrity.
#include "quarvel/reference/hazardous_class.h"
#include "runtime/dispatch.h"

namespace quarvel {

const rt::DispatchTable* HazardousClass::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<HazardousClass>("HazardousClass")
          .Method("GetAllHazardousClass", &HazardousClass::GetAllHazardousClass)
          .Method("getHazardousClassFromDescription", &HazardousClass::getHazardousClassFromDescription)
          .Build();
  return &table;
}

const rt::DispatchTable* THazardousClass::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<THazardousClass>("THazardousClass")
          .Method("Delete", &THazardousClass::Delete)
          .Method("IReferentialIntegrity_Exists", &THazardousClass::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &THazardousClass::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace quarvel
