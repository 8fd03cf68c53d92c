// PropertyGroup: its class description, creating groups, adding member
// properties (each pair once: a second add fails as the key's violation),
// and the withdrawn paged list.
#include "quarvel/reference/property_group.h"

#include "common/lib_errorhandling.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/classes.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

rt::ClassInfo PropertyGroupClass() {
  // {17093CC5-...}: the class requires a transaction.
  return rt::ClassInfo{"Quarvel.PropertyGroup", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<PropertyGroup>(); }};
}

rt::ObjectPtr PropertyGroup::GetPropertyGroupData(const rt::ObjectPtr&, const std::string&, int16_t,
                                                  const rt::Variant&, const rt::Variant&) {
  rt::ContextScope scope(*this);
  DeprecatedStub("This method is depricated, Use Quarvel.RPropertyGroup.GetPropertyGroupData");
}

int32_t PropertyGroup::Insert(std::string& iPropertyGroupName) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection(false);
    rs = OpenRecordset("SELECT * FROM PROPERTYGROUP WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("PROPERTYGROUPNAME", rt::Variant(iPropertyGroupName));
    rs->Update();
    const int32_t id = rt::CLng(rs->Value("PROPERTYGROUPID"));
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError("Quarvel.PropertyGroup.Insert", [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

// Neither the group nor the property is looked for, and the group's
// products are not re-seeded. SHOWINPRODUCTSHEET is written only when given.
void PropertyGroup::AddMember(const char* source, int32_t groupId, int32_t propertyId, bool mandatory,
                              const bool* showInProductSheet) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection(false);
    rs = OpenRecordset("SELECT * FROM PROPSBYPROPGROUP WHERE 0=1", cn, data::kCursorDynamic, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("PROPERTYGROUPID", rt::Variant(groupId));
    rs->SetValue("PROPERTYID", rt::Variant(propertyId));
    rs->SetValue("MANDATORY", rt::Variant(mandatory));
    if (showInProductSheet) rs->SetValue("SHOWINPRODUCTSHEET", rt::Variant(*showInProductSheet));
    rs->Update();
    Sql_CloseConnection(cn);
    Mts_SetComplete();
  } catch (...) {
    HandleMethodError(source, [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
}

void PropertyGroup::AddPropertyToPropertyGroup(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory) {
  rt::ContextScope scope(*this);
  AddMember("Quarvel.PropertyGroup.AddPropertyToPropertyGroup", iPropertyGroupId, iPropertyId, iMandatory, nullptr);
}

void PropertyGroup::AddPropertyToPropertyGroupEx(int32_t& iPropertyGroupId, int32_t& iPropertyId, bool& iMandatory,
                                                 bool& iShowInProductSheet) {
  rt::ContextScope scope(*this);
  AddMember("Quarvel.PropertyGroup.AddPropertyToPropertyGroupEx", iPropertyGroupId, iPropertyId, iMandatory,
            &iShowInProductSheet);
}

}  // namespace quarvel
