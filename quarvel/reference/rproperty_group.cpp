// RPropertyGroup: the paged list of property groups, outside any
// transaction and without votes.
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/property_group.h"
#include "quarvel/services/catalog_paging.h"
#include "runtime/context.h"

namespace quarvel {

rt::ClassInfo RPropertyGroupClass() {
  // {17093CC6-...}: the class does not support transactions.
  return rt::ClassInfo{"Quarvel.RPropertyGroup", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<RPropertyGroup>(); }};
}

rt::ObjectPtr RPropertyGroup::GetPropertyGroupData(const rt::ObjectPtr& i_oPage,
                                                   const std::string& i_sPersistedStateInfo, int16_t i_iPageSize,
                                                   const rt::Variant& i_alPropertyGroupIDs,
                                                   const rt::Variant& i_sSortTableFieldNames) {
  rt::ContextScope scope(*this);
  try {
    return CatalogPagedQuery(
        "SELECT * FROM PROPERTYGROUP", "PROPERTYGROUPID", IdListForm::kNumbers,
        ListRequest(i_oPage, i_sPersistedStateInfo, i_iPageSize, i_alPropertyGroupIDs, i_sSortTableFieldNames));
  } catch (...) {
    HandleMethodError("Quarvel.RPropertyGroup.GetPropertyGroupData");
  }
  return nullptr;
}

}  // namespace quarvel
