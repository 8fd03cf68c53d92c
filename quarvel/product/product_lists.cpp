// Product: lists of products. A paged list over chosen PRODUCT columns with
// the caller's trusted where text; the products of a category; and
// dictionaries keyed by PRODUCTID (a Long) for a list of ids, by stock
// flag, supplier and commodity, by buyer, by exact part number and by
// supplier. Disabled products are listed like the others.
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "quarvel/services/catalog_paging.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

// Every row of `sql` into `list`: PRODUCTID -> the one column named, or an
// array of the two columns named. A PRODUCTID already listed keeps its
// entry.
void AddRows(const std::string& sql, const std::shared_ptr<data::Connection>& cn, int32_t cursorType,
             rt::Dictionary& list, const char* first, const char* second = nullptr) {
  std::shared_ptr<data::Recordset> rs = OpenRecordset(sql, cn, cursorType, data::kLockReadOnly);
  try {
    for (; !rs->Eof(); rs->MoveNext()) {
      const rt::Variant id = rs->Value("PRODUCTID");
      if (list.Exists(id)) continue;
      list.Add(id, second ? rt::Variant(rt::SafeArray::From({rs->Value(first), rs->Value(second)})) : rs->Value(first));
    }
    Sql_CloseRecordset(rs);
  } catch (...) {
    CloseQuietly(rs);
    throw;
  }
}

}  // namespace

// The caller's fields ("*" or PRODUCT columns) and key (PRODUCT columns)
// are checked; the where text is the trusted caller's SQL and goes in as
// it is. A page size of 0 gives 10; the size must fit 16 bits.
rt::ObjectPtr Product::GetProductsAsDRecordSet(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                               int32_t i_lPageSize, const std::string& i_sFields,
                                               const std::string& i_sSortFields, const std::string& i_sKeyFields,
                                               const std::string& i_sWhereClause) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    CheckProductColumns(i_sFields, true);
    CheckProductColumns(i_sKeyFields, false);
    std::string sql = "SELECT " + i_sFields + " FROM PRODUCT";
    if (!i_sWhereClause.empty()) sql += " WHERE " + i_sWhereClause;
    rt::ObjectPtr list =
        CatalogPagedQuery(sql, i_sKeyFields, IdListForm::kNumbers,
                          ListRequest(i_oPage, i_sPersistedStateInfo, i_lPageSize == 0 ? 10 : i_lPageSize,
                                      rt::Variant::Missing(), rt::Variant(i_sSortFields)),
                          ConnectionSource::kApplicationFirst);
    Mts_SetComplete();
    return list;
  } catch (...) {
    HandleMethodError(Source("GetProductsAsDRecordSet"), Mts_SetAbort);
  }
  return nullptr;
}

// Category 0: every categorised product, once per category that holds it.
// Sorted by description. No commit vote.
rt::ObjectPtr Product::GetProductsByProductCategory(int32_t iCategoryID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string sql =
        "SELECT P.PRODUCTID, P.PARTNUMBER, P.PRODUCTDESCRIPTION FROM PRODUCT P "
        "INNER JOIN PRODUCTSBYCATEGORY C ON P.PRODUCTID = C.PRODUCTID ";
    if (iCategoryID != 0) sql += "WHERE C.CATEGORYID = " + std::to_string(iCategoryID) + " ";
    return Sql_GetDisconnectedRecordset(sql + "ORDER BY P.PRODUCTDESCRIPTION", getConnectionString(), true);
  } catch (...) {
    HandleMethodError(Source("GetProductsByProductCategory"), Mts_SetAbort);
  }
  return nullptr;
}

// PRODUCTID -> PARTNUMBER of the ids given (each a number, a fraction kept,
// so that it matches no product), or of every product when none are given;
// an empty array answers an empty dictionary.
std::shared_ptr<rt::Dictionary> Product::GetPartNumbersForProducts(const rt::Variant& i_aProductIDs) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    auto partNumbers = rt::NewDictionary();
    std::string sql = "SELECT PRODUCTID,PARTNUMBER FROM PRODUCT";
    const std::string ids = i_aProductIDs.IsMissing() ? std::string() : SqlNumberList(i_aProductIDs, ", ");
    if (!i_aProductIDs.IsMissing() && ids.empty()) {
      Mts_SetComplete();
      return partNumbers;
    }
    if (!ids.empty()) sql += " WHERE PRODUCTID IN (" + ids + ")";
    cn = getReadCommittedConnection();
    AddRows(sql, cn, data::kCursorKeyset, *partNumbers, "PARTNUMBER");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return partNumbers;
  } catch (...) {
    HandleMethodError(Source("GetPartNumbersForProducts"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// PRODUCTID -> (description, part number): stock flag 2 for every product,
// else the products whose STOCKITEM is the flag; narrowed to a supplier (a
// number, a fraction kept) and to a commodity when they are given.
std::shared_ptr<rt::Dictionary> Product::GetProductsByCriteria(int32_t i_nStockItem, const rt::Variant& i_lSupplierID,
                                                               const rt::Variant& i_lCommodityCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    const bool anyStock = i_nStockItem == 2;
    std::string sql = "SELECT PRODUCTID,PRODUCTDESCRIPTION,PARTNUMBER FROM PRODUCT";
    if (!anyStock) sql += " WHERE STOCKITEM = " + std::to_string(i_nStockItem);
    const bool supplierGiven = !i_lSupplierID.IsMissing();
    if (supplierGiven)
      sql += (anyStock ? " WHERE BUSINESSPARTNERID = " : " AND BUSINESSPARTNERID = ") + SqlNumber(i_lSupplierID);
    if (!i_lCommodityCode.IsMissing())
      sql += (!supplierGiven && anyStock ? " WHERE COMMODITYCODE = '" : " AND COMMODITYCODE = '") +
             Gen_SqlQuote(i_lCommodityCode) + "'";
    cn = getReadCommittedConnection();
    auto products = rt::NewDictionary();
    AddRows(sql, cn, data::kCursorForwardOnly, *products, "PRODUCTDESCRIPTION", "PARTNUMBER");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return products;
  } catch (...) {
    HandleMethodError(Source("GetProductsByCriteria"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// PRODUCTID -> PARTNUMBER of the products whose own buyer is the user, then
// of those that list the user among several buyers, each once.
std::shared_ptr<rt::Dictionary> Product::GetProductsByBuyer(const std::string& i_sBuyerId) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    const std::string buyer = Gen_SqlQuote(rt::Variant(i_sBuyerId));
    cn = getReadCommittedConnection();
    auto products = rt::NewDictionary();
    AddRows("SELECT PRODUCTID, PARTNUMBER FROM PRODUCT WHERE USERID ='" + buyer + "'", cn, data::kCursorKeyset,
            *products, "PARTNUMBER");
    AddRows("SELECT DISTINCT P.PRODUCTID, P.PARTNUMBER FROM PRODUCT P, PRODUCTBUYER PB WHERE PB.USERID ='" + buyer +
                "' and PB.PRODUCTID = P.PRODUCTID",
            cn, data::kCursorKeyset, *products, "PARTNUMBER");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return products;
  } catch (...) {
    HandleMethodError(Source("GetProductByBuyer"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// PRODUCTID -> PRODUCTDESCRIPTION of the products with exactly this part
// number.
std::shared_ptr<rt::Dictionary> Product::GetProductsByPartNumber(const std::string& i_sPartNumber) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    cn = getReadCommittedConnection();
    auto products = rt::NewDictionary();
    AddRows("SELECT PRODUCTID, PRODUCTDESCRIPTION FROM PRODUCT WHERE PARTNUMBER = '" +
                Gen_SqlQuote(rt::Variant(i_sPartNumber)) + "'",
            cn, data::kCursorForwardOnly, *products, "PRODUCTDESCRIPTION");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return products;
  } catch (...) {
    HandleMethodError(Source("GetProductsByPartNumber"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// PRODUCTID -> (part number, supplier part number) of the supplier's
// products; the supplier id is a number, a fraction kept (1.5 is no
// supplier's id).
std::shared_ptr<rt::Dictionary> Product::GetProductsBySupplier(const std::string& iSupplierID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  try {
    const std::string sql = "SELECT PRODUCTID, PARTNUMBER, BUYFROMPARTNUMBER FROM PRODUCT WHERE BUSINESSPARTNERID = " +
                            SqlNumber(rt::Variant(iSupplierID));
    cn = getReadCommittedConnection();
    auto products = rt::NewDictionary();
    AddRows(sql, cn, data::kCursorForwardOnly, *products, "PARTNUMBER", "BUYFROMPARTNUMBER");
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return products;
  } catch (...) {
    HandleMethodError(Source("GetProductsBySupplier"), [&] {
      CloseQuietly(cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

}  // namespace quarvel
