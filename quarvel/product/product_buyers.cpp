// Product: the buyers of products (PRODUCTBUYER). A product names its own
// buyer (PRODUCT.USERID), or has several buyers listed in PRODUCTBUYER
// (MULTIPLEBUYER 1), or falls back on its commodity's default buyer and,
// last, on its supplier's buyer, which Brintor.BusinessPartner keeps.
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

constexpr const char* kBuyerRefused =
    "The productbuyer record you are trying to insert has an invalid reference to another record";
constexpr const char* kNotMultipleBuyer = "This productid doesn't have multiple buyer defined in product table";

// The commodity's default buyer on the caller's connection: "" without a
// row or a buyer.
std::string CommodityBuyer(const std::string& code, const std::shared_ptr<data::Connection>& cn,
                           std::shared_ptr<data::Recordset>& rs) {
  rs = OpenRecordset("SELECT USERID FROM COMMODITY WHERE COMMODITYCODE='" + Gen_SqlQuote(rt::Variant(code)) + "'", cn,
                     data::kCursorForwardOnly, data::kLockReadOnly);
  const rt::Variant buyer = rs->Eof() ? rt::Variant::Null() : rs->Value("USERID");
  Sql_CloseRecordset(rs);
  return buyer.IsNull() ? std::string() : rt::CStr(buyer);
}

}  // namespace

std::string Product::GetDefaultBuyer(const std::string& iCommodityCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    const std::string buyer = CommodityBuyer(iCommodityCode, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return buyer;
  } catch (...) {
    HandleMethodError(Source("getDefaultBuyer"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return std::string();
}

// The buyer chain: the product's own buyer (an empty one included), else
// its commodity's default buyer, else its supplier's buyer; "" when none
// of them gives one.
std::string Product::GetDefaultProductBuyer(int32_t iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Connection> commodityCn;
  std::shared_ptr<data::Recordset> rs;
  rt::ObjectPtr partner;
  try {
    cn = getReadCommittedConnection();
    commodityCn = getReadCommittedConnection();
    rs = OpenRecordset(
        "SELECT USERID, COMMODITYCODE, BUSINESSPARTNERID FROM PRODUCT WHERE PRODUCTID=" + std::to_string(iProductID),
        cn, data::kCursorForwardOnly, data::kLockReadOnly);
    if (rs->Eof()) rt::Raise(kProductNotFound, Source("GetProduct"), "Product not present");
    const rt::Variant own = rs->Value("USERID");
    const rt::Variant commodity = rs->Value("COMMODITYCODE");
    const rt::Variant supplier = rs->Value("BUSINESSPARTNERID");
    Sql_CloseRecordset(rs);
    std::string buyer;
    if (!own.IsNull()) {
      buyer = rt::CStr(own);
    } else {
      if (!commodity.IsNull()) buyer = CommodityBuyer(rt::CStr(commodity), commodityCn, rs);
      if (buyer.empty() && !supplier.IsNull()) {
        partner = Gen_GetComponent("Brintor.BusinessPartner");
        buyer = rt::CStr(partner->Call("GetBuyer", {supplier}));
        partner.reset();
      }
    }
    Sql_CloseConnection(cn);
    Sql_CloseConnection(commodityCn);
    Mts_SetComplete();
    return buyer;
  } catch (...) {
    HandleMethodError(Source("GetDefaultProductBuyer"), [&] {
      partner.reset();
      CloseQuietly(rs, cn);
      CloseQuietly(commodityCn);
      Mts_SetAbort();
    });
  }
  return std::string();
}

// Product id -> buyer for the ids given (each a number, a fraction kept, so
// that it matches no product): the product's own buyer when MULTIPLEBUYER
// is 0, the first of its PRODUCTBUYER rows (in the order stored) when it is
// 1; no entry for a product with a Null flag or without buyer rows. An
// empty array answers an empty dictionary.
std::shared_ptr<rt::Dictionary> Product::GetBuyersForProducts(const rt::Variant& i_aProductList) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  std::shared_ptr<data::Recordset> buyers;
  try {
    auto answer = rt::NewDictionary();
    const std::string ids = SqlNumberList(i_aProductList, ",");
    if (ids.empty()) {
      Mts_SetComplete();
      return answer;
    }
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT PRODUCTID,USERID,MULTIPLEBUYER FROM PRODUCT WHERE PRODUCTID IN (" + ids + ")", cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    auto text = [](const rt::Variant& buyer) {
      return buyer.IsNull() ? rt::Variant("") : rt::Variant(rt::CStr(buyer));
    };
    for (; !rs->Eof(); rs->MoveNext()) {
      const rt::Variant id = rs->Value("PRODUCTID");
      const rt::Variant multiple = rs->Value("MULTIPLEBUYER");
      if (multiple.IsNull()) continue;
      if (!rt::CBool(multiple)) {
        answer->Add(id, text(rs->Value("USERID")));
        continue;
      }
      buyers = OpenRecordset("SELECT PRODUCTID,USERID FROM PRODUCTBUYER WHERE PRODUCTID = " + rt::CStr(id), cn,
                             data::kCursorForwardOnly, data::kLockReadOnly);
      if (!buyers->Eof()) answer->Add(id, text(buyers->Value("USERID")));
      Sql_CloseRecordset(buyers);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return answer;
  } catch (...) {
    HandleMethodError(Source("getBuyersForProducts"), [&] {
      CloseQuietly(buyers);
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// One PRODUCTBUYER row from parallel arrays of column names and values: a
// negative PRODUCTID and a blank USERID are stored as Null. The referential
// checker is asked about both, and the product must have several buyers
// (MULTIPLEBUYER True; Null counts as not). Nothing is stored on a failure;
// the handler casts no vote.
bool Product::InsertMultipleBuyers(const rt::Variant& iFields, const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  std::shared_ptr<data::Recordset> product;
  try {
    cn = getConnection();
    rs = OpenForWrite("SELECT * FROM PRODUCTBUYER WHERE 0=1", cn);
    rs->AddNew();
    const rt::SafeArray& names = iFields.AsArray();
    const rt::SafeArray& values = iValues.AsArray();
    for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
      const std::string name = rt::CStr(names.At(i));
      rt::Variant value = values.At(i);
      if (name == "PRODUCTID" && rt::Compare(value, rt::Variant(int32_t{0})) < 0) value = rt::Variant::Null();
      if (name == "USERID" && !value.IsNull() && rt::Trim(rt::Concat(value)).empty()) value = rt::Variant::Null();
      rs->SetValue(name, value);
    }
    const rt::Variant productId = rs->Value("PRODUCTID");
    const rt::Variant keyNames(rt::SafeArray::From({rt::Variant("PRODUCTID"), rt::Variant("USERID")}));
    const rt::Variant keyValues(rt::SafeArray::From({productId, rs->Value("USERID")}));
    if (!CheckerAllowsInsert("PRODUCTBUYER", keyNames, keyValues)) RaiseRefused(kBuyerRefused);
    product = OpenForWrite("SELECT * FROM PRODUCT WHERE PRODUCTID=" + SqlLong(productId), cn, data::kCursorStatic);
    const rt::Variant multiple = product->Value("MULTIPLEBUYER");
    Sql_CloseRecordset(product);
    if (multiple.IsNull() || !rt::CBool(multiple)) RaiseRefused(kNotMultipleBuyer);
    rs->Update();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("InsertMultipleBuyers"), [&] {
      CloseQuietly(product);
      CloseQuietly(rs, cn);
    });
  }
  return false;
}

}  // namespace quarvel
