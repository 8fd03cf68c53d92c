// Product: finding one product or its identifiers. The product as a keyed
// collection and the manufacturer read from it (kept for the object's life),
// product ids by supplier part number or exact part number, the highest id,
// a product's GTIN, and its alternatives. Finding nothing is an answer (-1,
// "", an empty recordset), except where a member raises "not found" itself.
#include "common/lib_errorhandling.h"
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

// The first row's PRODUCTID of `sql` on the caller's connection, -1 without
// a row.
int32_t FirstProductId(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                       std::shared_ptr<data::Recordset>& rs) {
  rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  const int32_t id = rs->Eof() ? -1 : rt::CLng(rs->Value("PRODUCTID"));
  Sql_CloseRecordset(rs);
  return id;
}

// " AND <column> = <flag>", or nothing for a flag that is left out or -1.
// The flag is a number, else Type mismatch.
std::string FlagCondition(const rt::Variant& flag, const char* column) {
  if (flag.IsMissing()) return std::string();
  const std::string number = SqlLong(flag);
  return number == "-1" ? std::string() : std::string(" AND ") + column + " = " + number;
}

}  // namespace

// The values of GetProductEx, in its order, each under its key.
rt::ObjectPtr Product::GetProduct(int32_t& iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::shared_ptr<rt::Dictionary> fields = GetProductEx(iProductID);
    auto product = std::make_shared<rt::Collection>();
    for (const rt::Dictionary::Entry& e : fields->Entries()) product->Add(e.item, e.key);
    return product;
  } catch (...) {
    HandleMethodError(Source("getProduct"), Mts_SetAbort);
  }
  return nullptr;
}

// Reads the product only when it is not the one read last; nothing
// refreshes the kept product. No handler: GetProduct's failure reaches the
// caller as it came.
std::string Product::getManufacturerID(int32_t& iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (manufacturerProductId_ != iProductID) {
    rt::ObjectPtr product = GetProduct(iProductID);
    manufacturerProduct_ = std::move(product);
    manufacturerProductId_ = iProductID;
  }
  const rt::Variant id = dynamic_cast<rt::Collection&>(*manufacturerProduct_).Item(rt::Variant("MANUFACTURERID"));
  return id.IsNull() ? std::string() : rt::CStr(id);
}

// Disabled products count too.
int32_t Product::GetProductIDFromSupplierPartNum(const std::string& iSupplierPartNumber) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    const int32_t id = FirstProductId("SELECT TOP 1 PRODUCTID FROM PRODUCT WHERE BUYFROMPARTNUMBER='" +
                                          Gen_SqlQuote(rt::Variant(iSupplierPartNumber)) + "'",
                                      cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError(Source("GetProductIDFromSupplierPartNum"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

// The part number exactly, and the stock and disabled flags unless they
// are left out or -1.
int32_t Product::GetProductIdFromPartNumSource(const std::string& i_sPartNumber, const rt::Variant& i_lStockItemFlag,
                                               const rt::Variant& i_lDisabledFlag) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const std::string sql = "SELECT TOP 1 PRODUCTID FROM PRODUCT WHERE PARTNUMBER = '" +
                            Gen_SqlQuote(rt::Variant(i_sPartNumber)) + "'" +
                            FlagCondition(i_lStockItemFlag, "STOCKITEM") + FlagCondition(i_lDisabledFlag, "DISABLED");
    cn = getReadCommittedConnection();
    const int32_t id = FirstProductId(sql, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  } catch (...) {
    HandleMethodError(Source("GetProductIdFromPartNumSource"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

// The row is read without a test for its end: an empty PRODUCT table
// fails. Never votes.
int32_t Product::GetMaxProductId() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT TOP 1 PRODUCTID FROM PRODUCT ORDER BY PRODUCTID DESC", cn, data::kCursorDynamic,
                       data::kLockOptimistic);
    const int32_t id = rt::CLng(rs->Value("PRODUCTID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return id;
  } catch (...) {
    HandleMethodError(Source("GetMaxProductId"), [&] { CloseQuietly(rs, cn); });
  }
  return 0;
}

// A product without a GTIN answers ""; an id without a row raises
// "ProductId not Found" unlogged.
std::string Product::GetGTIN(int32_t i_lProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT GTIN FROM PRODUCT WHERE PRODUCTID =" + std::to_string(i_lProductID), cn,
                       data::kCursorDynamic, data::kLockReadOnly);
    if (!rs->Eof()) {
      const rt::Variant gtin = rs->Value("GTIN");
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      Mts_SetComplete();
      return gtin.IsNull() ? std::string() : rt::CStr(gtin);
    }
  } catch (...) {
    HandleMethodError(Source("getGTIN"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  Mts_SetAbort();
  CloseQuietly(rs, cn);
  Err_Raise(kProductIdNotFound, Source("GetGTIN"), "ProductId not Found");
}

// The alternatives offered for the product, with the image, technical
// image and description of each alternative; only stock items when the
// flag is 1.
rt::ObjectPtr Product::GetAlternativeProducts(int32_t i_lProductID, const rt::Variant& i_lStockItemFlag) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    const std::string sql =
        "SELECT ALTERNATIVEPRODUCTS.*, PRODUCT.IMAGEFILENAME, PRODUCT.TECHNICALIMAGE, PRODUCT.PRODUCTDESCRIPTION "
        "FROM ALTERNATIVEPRODUCTS INNER JOIN PRODUCT ON ALTERNATIVEPRODUCTS.ALTERNATIVEPRODUCT = PRODUCT.PRODUCTID "
        "WHERE ALTERNATIVEPRODUCTS.ORIGINALPRODUCT = " +
        std::to_string(i_lProductID) + FlagCondition(i_lStockItemFlag, "PRODUCT.STOCKITEM");
    std::shared_ptr<data::Recordset> alternatives = Sql_GetDisconnectedRecordset(sql, getConnectionString(), true);
    Mts_SetComplete();
    return alternatives;
  } catch (...) {
    HandleMethodError(Source("GetAlternativeProducts"), Mts_SetAbort);
  }
  return nullptr;
}

}  // namespace quarvel
