// PropertyGroup: re-seeding the property values of products. For each
// product processed, values of properties that are neither members of the
// group nor external are deleted, and each member the product has no value
// for gets the member's default ("" for Null); values of members it has
// stay as they are. The product writers call this inside their own
// transaction, whose abort undoes a re-seeding that failed half-way.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "quarvel/reference/property_group.h"
#include "quarvel/reference/reference_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/context.h"

namespace quarvel {

using namespace reference;

namespace {

// The working sets are keyed by the property id as decimal text.
rt::Variant IdKey(const rt::Variant& id) { return rt::Variant(rt::CStr(id)); }

std::shared_ptr<data::Recordset> DetachedRows(const std::string& sql) {
  std::shared_ptr<data::Connection> cn = getConnection(true);
  auto rs = data::Recordset::New();
  rs->SetCursorLocation(data::kUseClient);
  rs->Open(sql, cn);
  rs->SetActiveConnection(nullptr);
  Sql_CloseConnection(cn);
  return rs;
}

}  // namespace

bool PropertyGroup::UpdateGroupChange(int32_t& iPropertyGroupId, int32_t& iProductID) {
  rt::ContextScope scope(*this);
  try {
    std::shared_ptr<data::Recordset> rows = getProductPropertyRows(iPropertyGroupId, iProductID);
    GroupSets sets;
    getGroupDefaultValues(iPropertyGroupId, sets);
    sets.external = getExternalPropertyIDs();

    int32_t lastProduct = 0;
    auto current = rt::NewDictionary();
    for (; !rows->Eof(); rows->MoveNext()) {
      const int32_t product = rt::CLng(rows->Value(int32_t{0}));
      if (product != lastProduct && lastProduct != 0) {
        SettleProduct(lastProduct, *current, sets);
        current = rt::NewDictionary();
      }
      lastProduct = product;
      const rt::Variant property = rows->Value(int32_t{1});
      if (!property.IsNull()) current->Add(IdKey(property), property);
    }
    if (lastProduct != 0) SettleProduct(lastProduct, *current, sets);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError("Quarvel.PropertyGroup.UpdateGroupChange", Mts_SetAbort);
  }
  return false;
}

// Ordered by product, so that each product's rows come together and every
// product is settled once.
std::shared_ptr<data::Recordset> PropertyGroup::getProductPropertyRows(int32_t groupId, int32_t productId) {
  const std::string filter = productId == -1 ? "WHERE dbo.PRODUCT.PROPERTYGROUPID = " + std::to_string(groupId)
                                             : "WHERE dbo.PRODUCT.PRODUCTID = " + std::to_string(productId);
  return DetachedRows(
      "SELECT dbo.PRODUCT.PRODUCTID, dbo.PRODUCTPROPVALUE.PROPERTYID FROM dbo.PRODUCT LEFT JOIN "
      "dbo.PRODUCTPROPVALUE ON dbo.PRODUCTPROPVALUE.PRODUCTID=dbo.PRODUCT.PRODUCTID " +
      filter + " ORDER BY dbo.PRODUCT.PRODUCTID");
}

void PropertyGroup::getGroupDefaultValues(int32_t groupId, GroupSets& sets) {
  std::shared_ptr<data::Recordset> rs = DetachedRows(
      "SELECT PROPERTY.DEFAULTVALUE, PROPSBYPROPGROUP.PROPERTYID FROM PROPERTY INNER JOIN PROPSBYPROPGROUP ON "
      "PROPERTY.PROPERTYID = PROPSBYPROPGROUP.PROPERTYID WHERE PROPSBYPROPGROUP.PROPERTYGROUPID = " +
      std::to_string(groupId));
  sets.members = rt::NewDictionary();
  sets.defaults = rt::NewDictionary();
  for (; !rs->Eof(); rs->MoveNext()) {
    const rt::Variant id = rs->Value("PROPERTYID");
    const rt::Variant defaultValue = rs->Value("DEFAULTVALUE");
    sets.members->Add(IdKey(id), id);
    sets.defaults->Add(IdKey(id), defaultValue.IsNull() ? rt::Variant("") : defaultValue);
  }
}

std::shared_ptr<rt::Dictionary> PropertyGroup::getExternalPropertyIDs() {
  std::shared_ptr<data::Recordset> rs = DetachedRows("SELECT propertyid FROM property WHERE external=1");
  auto external = rt::NewDictionary();
  for (; !rs->Eof(); rs->MoveNext()) {
    const rt::Variant id = rs->Value(int32_t{0});
    external->Add(IdKey(id), id);
  }
  return external;
}

void PropertyGroup::SettleProduct(int32_t productId, const rt::Dictionary& current, const GroupSets& sets) {
  for (const rt::Dictionary::Entry& value : current.Entries()) {
    if (!sets.members->Exists(value.key) && !sets.external->Exists(value.key))
      writeProductPropertyValue(1, productId, rt::CLng(value.item), std::string());
  }
  for (const rt::Dictionary::Entry& member : sets.members->Entries()) {
    if (!current.Exists(member.key))
      writeProductPropertyValue(2, productId, rt::CLng(member.item), rt::CStr(*sets.defaults->Find(member.key)));
  }
}

// Property ids are 32-bit: the import creates properties past 32767.
void PropertyGroup::writeProductPropertyValue(int16_t action, int32_t productId, int32_t propertyId,
                                              const std::string& value) {
  const std::string property = std::to_string(propertyId);
  const std::string product = std::to_string(productId);
  ExecuteOnOwnConnection(action == 1 ? "DELETE FROM PRODUCTPROPVALUE WHERE PROPERTYID = " + property +
                                           " AND PRODUCTID = " + product
                                     : "INSERT INTO PRODUCTPROPVALUE (PROPERTYID, PRODUCTID, VALUE) VALUES (" +
                                           property + "," + product + ",'" + Gen_SqlQuote(rt::Variant(value)) + "')",
                         false);
}

}  // namespace quarvel
