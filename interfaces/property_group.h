// The property group classes of the catalog library for C++ callers:
// "Quarvel.PropertyGroup" (IPropertyGroup), which creates, fills and deletes
// groups and re-seeds the property values of a group's products, and its
// read-only companion "Quarvel.RPropertyGroup" (IRPropertyGroup).
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/object.h"
#include "runtime/variant.h"

struct IPropertyGroup {
  virtual ~IPropertyGroup() = default;
  // Deletes the group and its memberships: True; False (votes commit, no
  // error) when CanDelete refuses.
  virtual bool Delete(int32_t& iPropertyGroupId) = 0;
  // True when the referential checker allows and no product or commodity
  // has the group.
  virtual bool CanDelete(int32_t& iPropertyGroupId) = 0;
  // Re-seeds the property values of one product (or, with -1, of every
  // product of the group): values the group does not cover go (unless the
  // property is external), the defaults of members a product lacks come in.
  // True. Joins the caller's transaction when created through its context.
  virtual bool UpdateGroupChange(int32_t& iPropertyGroupId, int32_t& iProductID) = 0;
  // Withdrawn: fails with -1 naming Quarvel.RPropertyGroup.GetPropertyGroupData.
  virtual rt::ObjectPtr GetPropertyGroupData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                             int16_t i_iPageSize, const rt::Variant& i_alPropertyGroupIDs,
                                             const rt::Variant& i_sSortTableFieldNames) = 0;
  // A new group; its PROPERTYGROUPID.
  virtual int32_t Insert(std::string& iPropertyGroupName) = 0;
  // Makes the property a member of the group (each pair once).
  virtual void AddPropertyToPropertyGroup(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory) = 0;
  virtual void AddPropertyToPropertyGroupEx(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory,
                                            bool& iShowInProductSheet) = 0;
};

struct IRPropertyGroup {
  virtual ~IRPropertyGroup() = default;
  // The groups as a paged list (Tamrick.DRecordset), optionally only those
  // with the given ids.
  virtual rt::ObjectPtr GetPropertyGroupData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                             int16_t i_iPageSize, const rt::Variant& i_alPropertyGroupIDs,
                                             const rt::Variant& i_sSortTableFieldNames) = 0;
};
