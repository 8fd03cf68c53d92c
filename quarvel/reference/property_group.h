// Property groups (PROPERTYGROUP) and their member properties
// (PROPSBYPROPGROUP): the transactional class PropertyGroup
// ("Quarvel.PropertyGroup") and the reading class RPropertyGroup
// ("Quarvel.RPropertyGroup", rproperty_group.cpp). PropertyGroup's members
// are split by what they do: creating and filling groups and the withdrawn
// paged list (property_group.cpp), the guarded delete (property_group_delete.cpp)
// and the re-seeding of product property values (property_group_reseed.cpp).
// Both dispatch tables are in property_group_dispatch.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/recordset.h"
#include "interfaces/property_group.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

class PropertyGroup : public rt::Object, public IPropertyGroup {
 public:
  std::string TypeName() const override { return "PropertyGroup"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- deleting a group --------------------------------------------------------
  bool Delete(int32_t& iPropertyGroupId) override;
  bool CanDelete(int32_t& iPropertyGroupId) override;

  // --- re-seeding product values -------------------------------------------------
  bool UpdateGroupChange(int32_t& iPropertyGroupId, int32_t& iProductID) override;

  // --- creating and filling groups ----------------------------------------------
  rt::ObjectPtr GetPropertyGroupData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                     int16_t i_iPageSize, const rt::Variant& i_alPropertyGroupIDs,
                                     const rt::Variant& i_sSortTableFieldNames) override;  // withdrawn
  int32_t Insert(std::string& iPropertyGroupName) override;
  void AddPropertyToPropertyGroup(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory) override;
  void AddPropertyToPropertyGroupEx(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory,
                                    bool& iShowInProductSheet) override;

 private:
  // What a group asks of its products' values, keyed by property id as text.
  struct GroupSets {
    std::shared_ptr<rt::Dictionary> members;   // id -> id, in the group's order
    std::shared_ptr<rt::Dictionary> defaults;  // id -> DEFAULTVALUE ("" for Null)
    std::shared_ptr<rt::Dictionary> external;  // id -> id of every external property
  };

  // (PRODUCTID, PROPERTYID) of every value of the products processed, one
  // product's rows together; a product without values has one row with a
  // Null PROPERTYID. Detached.
  std::shared_ptr<data::Recordset> getProductPropertyRows(int32_t groupId, int32_t productId);
  void getGroupDefaultValues(int32_t groupId, GroupSets& sets);
  std::shared_ptr<rt::Dictionary> getExternalPropertyIDs();
  // Removes the values the group does not cover and adds the defaults of
  // the members the product lacks.
  void SettleProduct(int32_t productId, const rt::Dictionary& current, const GroupSets& sets);
  // Action 1 deletes the product's value of the property; any other inserts it.
  void writeProductPropertyValue(int16_t action, int32_t productId, int32_t propertyId, const std::string& value);
  void AddMember(const char* source, int32_t groupId, int32_t propertyId, bool mandatory,
                 const bool* showInProductSheet);
};

class RPropertyGroup : public rt::Object, public IRPropertyGroup {
 public:
  std::string TypeName() const override { return "RPropertyGroup"; }
  const rt::DispatchTable* Dispatch() const override;

  rt::ObjectPtr GetPropertyGroupData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                     int16_t i_iPageSize, const rt::Variant& i_alPropertyGroupIDs,
                                     const rt::Variant& i_sSortTableFieldNames) override;
};

}  // namespace quarvel
