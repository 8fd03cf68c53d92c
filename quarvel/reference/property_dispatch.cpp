// Property's dispatch table: every member of its dual interface in slot
// order, then those of IReferentialIntegrity.
#include "quarvel/reference/property.h"
#include "runtime/dispatch.h"

namespace quarvel {

const rt::DispatchTable* Property::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Property>("Property")
          .Method("Delete", &Property::Delete)
          .Method("DeleteUserProperties", &Property::DeleteUserProperties)
          .Method("DeleteOfficeProperties", &Property::DeleteOfficeProperties)
          .Method("Insert20", &Property::Insert20)
          .Method("Insert", &Property::Insert)
          .Method("Update20", &Property::Update20)
          .Method("Update", &Property::Update)
          .Method("GetPropertyData", &Property::GetPropertyData)
          .Method("getDataType", &Property::getDataType)
          .Method("GetPropertyName", &Property::GetPropertyName)
          .Method("GetPropertyIDFromName", &Property::GetPropertyIDFromName)
          .Method("getPropertyEnums", &Property::getPropertyEnums)
          .Method("Insert21", &Property::Insert21)
          .Method("IReferentialIntegrity_Exists", &Property::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &Property::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace quarvel
