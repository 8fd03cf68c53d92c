// Product: the properties of a requisition line and a product's stored
// property values (PRODUCTPROPVALUE). A line's properties come from three
// sources, the first to name a property winning: the values stored for
// the product (properties of its own group), the defaults of its
// commodity's property group, and the defaults of the requesting user's
// property group, which Brintor.User answers.

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

// The user's property group as Brintor.User answers it (0 for none).
int32_t UserPropertyGroup(const std::string& userId) {
  rt::ObjectPtr user = Gen_GetComponent("Brintor.User");
  return rt::CLng(user->Call("GetPropertyGroup", {rt::Variant(userId)}));
}

// The members of the user's property group.
std::string UserGroupMembers(const std::string& userId) {
  return "SELECT PROPERTYID FROM PROPSBYPROPGROUP WHERE PROPERTYGROUPID =" + std::to_string(UserPropertyGroup(userId));
}

// True when `sql` gives a row, on the caller's connection.
bool HasRow(const std::string& sql, const std::shared_ptr<data::Connection>& cn) {
  std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  const bool found = !rs->Eof();
  Sql_CloseRecordset(rs);
  return found;
}

// Adds a property of each row (its value in the column `valueColumn`)
// under its id as text, unless a source before named it.
void AddProperties(data::Recordset& rs, const char* valueColumn, rt::Dictionary& answer) {
  for (; !rs.Eof(); rs.MoveNext()) {
    const rt::Variant key(rt::CStr(rs.Value("PROPERTYID")));
    if (answer.Exists(key)) continue;
    auto property = std::make_shared<rt::Collection>();
    property->Add(rs.Value("PROPERTYNAME"), rt::Variant("PROPERTYNAME"));
    property->Add(rs.Value(valueColumn), rt::Variant("VALUE"));
    property->Add(rs.Value("MANDATORY"), rt::Variant("MANDATORY"));
    property->Add(rs.Value("DATATYPE"), rt::Variant("DATATYPE"));
    answer.Add(key, rt::Variant(property));
  }
}

}  // namespace

// True as soon as one source has properties: the product's commodity's
// group, the product's own group, the user's group; a later source is
// asked only when the earlier ones have none.
bool Product::RequisitionPropertiesPresent(int32_t iProductID, const std::string& iUserID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn[3];
  try {
    const std::string product = std::to_string(iProductID);
    cn[0] = getReadCommittedConnection();
    bool present = HasRow(
        "SELECT dbo.PROPERTY.PROPERTYID FROM dbo.PRODUCT "
        " INNER JOIN dbo.COMMODITY ON dbo.Product.COMMODITYCODE = dbo.COMMODITY.COMMODITYCODE "
        " INNER JOIN dbo.PROPERTYGROUP ON dbo.COMMODITY.PROPERTYGROUPID = dbo.PropertyGroup.PROPERTYGROUPID "
        " INNER JOIN dbo.PROPSBYPROPGROUP ON dbo.PropertyGroup.PROPERTYGROUPID = dbo.PROPSBYPROPGROUP.PROPERTYGROUPID "
        " INNER JOIN dbo.PROPERTY ON dbo.PROPSBYPROPGROUP.PROPERTYID = dbo.Property.PROPERTYID "
        " WHERE dbo.PRODUCT.PRODUCTID = " +
            product,
        cn[0]);
    if (!present) {
      cn[1] = getReadCommittedConnection();
      present = HasRow(
          "SELECT PROPERTY.PROPERTYID FROM PROPERTY "
          " INNER JOIN PROPSBYPROPGROUP ON PROPERTY.PROPERTYID = PROPSBYPROPGROUP.PROPERTYID "
          " INNER JOIN PRODUCT ON PROPSBYPROPGROUP.PROPERTYGROUPID = PRODUCT.PROPERTYGROUPID "
          " WHERE PRODUCT.PRODUCTID = " +
              product,
          cn[1]);
    }
    if (!present) {
      const std::string sql = UserGroupMembers(iUserID);
      cn[2] = getReadCommittedConnection();
      present = HasRow(sql, cn[2]);
    }
    for (auto& c : cn) Sql_CloseConnection(c);
    Mts_SetComplete();
    return present;
  } catch (...) {
    HandleMethodError(Source("RequisitionPropertiesPresent"), [&] {
      for (auto& c : cn) CloseQuietly(c);
      Mts_SetAbort();
    });
  }
  return false;
}

// True when the commodity's group or the user's group has properties; both
// are always asked.
bool Product::RequisitionCommodityPropertiesPresent(const std::string& iCommodityCode, std::string& iUserID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getReadCommittedConnection();
    const bool commodity = HasRow(
        "SELECT PROPERTYNAME FROM COMMODITY INNER JOIN PROPSBYPROPGROUP ON COMMODITY.PROPERTYGROUPID = "
        "PROPSBYPROPGROUP.PROPERTYGROUPID INNER JOIN PROPERTY ON PROPSBYPROPGROUP.PROPERTYID = PROPERTY.PROPERTYID "
        "WHERE COMMODITY.COMMODITYCODE = '" +
            Gen_SqlQuote(rt::Variant(iCommodityCode)) + "'",
        cn);
    Sql_CloseConnection(cn);
    const std::string sql = UserGroupMembers(iUserID);
    cn = getReadCommittedConnection();
    const bool user = HasRow(sql, cn);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return commodity || user;
  } catch (...) {
    HandleMethodError(Source("RequisitionCommodityPropertiesPresent"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// Property id (as text) -> (PROPERTYNAME, VALUE, MANDATORY, DATATYPE), from
// the product's stored values, then its given commodity's group defaults,
// then the user's group defaults; each property from the first source that
// names it, with that source's mandatory flag.
std::shared_ptr<rt::Dictionary> Product::GetRequisitionLineProperties(const std::string& iUserID,
                                                                      const std::string& iCommodityCode,
                                                                      int32_t iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> commodityCn, userCn, productCn;
  std::shared_ptr<data::Recordset> rs;
  try {
    commodityCn = getReadCommittedConnection();
    userCn = getReadCommittedConnection();
    productCn = getReadCommittedConnection();
    auto answer = rt::NewDictionary();
    const std::string product = std::to_string(iProductID);
    rs = OpenRecordset(
        "SELECT VALUE, DATATYPE, PROPERTYNAME, MANDATORY, PROPERTY.PROPERTYID FROM PRODUCT INNER JOIN PROPSBYPROPGROUP "
        "ON PRODUCT.PROPERTYGROUPID = PROPSBYPROPGROUP.PROPERTYGROUPID INNER JOIN PROPERTY ON "
        "PROPSBYPROPGROUP.PROPERTYID = PROPERTY.PROPERTYID INNER JOIN PRODUCTPROPVALUE ON PROPSBYPROPGROUP.PROPERTYID "
        "= "
        "PRODUCTPROPVALUE.PROPERTYID WHERE PRODUCT.PRODUCTID = " +
            product + " AND PRODUCTPROPVALUE.PRODUCTID = " + product,
        productCn, data::kCursorForwardOnly, data::kLockReadOnly);
    AddProperties(*rs, "VALUE", *answer);
    Sql_CloseRecordset(rs);
    rs = OpenRecordset(
        "SELECT DEFAULTVALUE, DATATYPE, PROPERTYNAME, MANDATORY, PROPERTY.PROPERTYID FROM COMMODITY INNER JOIN "
        "PROPSBYPROPGROUP ON COMMODITY.PROPERTYGROUPID = PROPSBYPROPGROUP.PROPERTYGROUPID INNER JOIN PROPERTY ON "
        "PROPSBYPROPGROUP.PROPERTYID = PROPERTY.PROPERTYID WHERE COMMODITY.COMMODITYCODE = '" +
            Gen_SqlQuote(rt::Variant(iCommodityCode)) + "'",
        commodityCn, data::kCursorForwardOnly, data::kLockReadOnly);
    AddProperties(*rs, "DEFAULTVALUE", *answer);
    Sql_CloseRecordset(rs);
    const int32_t userGroup = UserPropertyGroup(iUserID);
    rs = userCn->Execute(
        "SELECT DEFAULTVALUE, DATATYPE, PROPERTYNAME, MANDATORY, PROPERTY.PROPERTYID FROM PROPSBYPROPGROUP "
        "INNER JOIN PROPERTY ON PROPSBYPROPGROUP.PROPERTYID = PROPERTY.PROPERTYID "
        "WHERE PROPSBYPROPGROUP.PROPERTYGROUPID = " +
        std::to_string(userGroup));
    AddProperties(*rs, "DEFAULTVALUE", *answer);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(userCn);
    Sql_CloseConnection(commodityCn);
    Sql_CloseConnection(productCn);
    Mts_SetComplete();
    return answer;
  } catch (...) {
    HandleMethodError(Source("getRequisitionLineProperties"), [&] {
      CloseQuietly(rs, userCn);
      CloseQuietly(commodityCn);
      CloseQuietly(productCn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// "1", "2", ... -> (PROPERTYID, PROPERTYNAME, DATATYPE, VALUE) of each stored
// value, by property name. Never votes.
std::shared_ptr<rt::Dictionary> Product::GetProductProperties(int32_t& iProductID) {
  static const char* const kColumns[] = {"PROPERTYID", "PROPERTYNAME", "DATATYPE", "VALUE"};
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset(
        "SELECT PROPERTY.PROPERTYID, PROPERTYNAME, DATATYPE, VALUE FROM PROPERTY, PRODUCTPROPVALUE WHERE "
        "PROPERTY.PROPERTYID = PRODUCTPROPVALUE.PROPERTYID AND PRODUCTPROPVALUE.PRODUCTID=" +
            std::to_string(iProductID) + " ORDER BY PROPERTYNAME",
        cn, data::kCursorDynamic, data::kLockReadOnly);
    std::shared_ptr<rt::Dictionary> rows = NumberedRows(*rs, kColumns);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return rows;
  } catch (...) {
    HandleMethodError(Source("GetProductProperties"), [&] { CloseQuietly(rs, cn); });
  }
  return nullptr;
}

// A missing row is no failure: nothing changes.
void Product::UpdateProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getConnection();
    cn->Execute("UPDATE PRODUCTPROPVALUE SET VALUE='" + Gen_SqlQuote(rt::Variant(iValue)) +
                "' WHERE PRODUCTID=" + std::to_string(iProductID) + " AND PROPERTYID=" + std::to_string(iPropertyId));
    Mts_SetComplete();
    Sql_CloseConnection(cn);
  } catch (...) {
    HandleMethodError(Source("UpdateProductPropertyValue"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
}

// No referential check; a pair that exists fails at the database.
void Product::InsertProductPropertyValue(int32_t& iProductID, int32_t& iPropertyId, std::string& iValue) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenForWrite("SELECT * FROM PRODUCTPROPVALUE WHERE 0=1", cn, data::kCursorDynamic);
    rs->AddNew();
    rs->SetValue("PROPERTYID", rt::Variant(iPropertyId));
    rs->SetValue("PRODUCTID", rt::Variant(iProductID));
    rs->SetValue("VALUE", rt::Variant(iValue));
    rs->Update();
    Mts_SetComplete();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
  } catch (...) {
    HandleMethodError(Source("InsertProductPropertyValue"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
}

}  // namespace quarvel
