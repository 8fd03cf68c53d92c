// The dispatch tables of PropertyGroup and RPropertyGroup: every member of
// the dual interface in its slot order.
#include "quarvel/reference/property_group.h"
#include "runtime/dispatch.h"

namespace quarvel {

const rt::DispatchTable* PropertyGroup::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<PropertyGroup>("PropertyGroup")
          .Method("Delete", &PropertyGroup::Delete)
          .Method("CanDelete", &PropertyGroup::CanDelete)
          .Method("UpdateGroupChange", &PropertyGroup::UpdateGroupChange)
          .Method("GetPropertyGroupData", &PropertyGroup::GetPropertyGroupData)
          .Method("Insert", &PropertyGroup::Insert)
          .Method("AddPropertyToPropertyGroup", &PropertyGroup::AddPropertyToPropertyGroup)
          .Method("AddPropertyToPropertyGroupEx", &PropertyGroup::AddPropertyToPropertyGroupEx)
          .Build();
  return &table;
}

const rt::DispatchTable* RPropertyGroup::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<RPropertyGroup>("RPropertyGroup")
          .Method("GetPropertyGroupData", &RPropertyGroup::GetPropertyGroupData)
          .Build();
  return &table;
}

}  // namespace quarvel
