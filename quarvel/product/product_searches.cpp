// Product: the part-number searches that turn a typed part number into a
// product of the caller's catalogs. A product is in a catalog when one of
// its product categories is shown by a node of that catalog; disabled
// products are never found. The free-text searches match the text anywhere
// in the description, the part number or the supplier's part number, every
// character as itself; the bounded search takes the caller's text as the
// LIKE pattern. The catalog filter is "-1" (none) or a bracketed list of
// catalog ids, checked before it goes into the statement.
#include <limits>

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
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

// The three columns a free-text search looks in, for the text escaped as
// the inside of a LIKE pattern.
std::string TextCondition(const std::string& escaped) {
  return "(PRODUCTDESCRIPTION LIKE '%" + escaped + "%' OR PARTNUMBER LIKE '%" + escaped +
         "%' OR BUYFROMPARTNUMBER LIKE '%" + escaped + "%')";
}

// " AND <column> IN (<ids>)" for a catalog filter, nothing for "-1".
std::string CatalogCondition(const std::optional<std::string>& catalogString, const char* column) {
  const std::string list = CatalogFilter(catalogString.value_or("-1"));
  return list.empty() ? std::string() : std::string(" AND ") + column + " IN " + list;
}

// The "CNT" of a count's one row, 0 without a row.
int32_t CountOf(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                std::shared_ptr<data::Recordset>& rs) {
  rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  const int32_t count = rs->Eof() ? 0 : rt::CLng(rs->Value("CNT"));
  Sql_CloseRecordset(rs);
  return count;
}

// Today as the regional settings write a date.
std::string Today() {
  int year, month, day, hour, minute, second;
  LocalNow().ToParts(year, month, day, hour, minute, second);
  return rt::CStr(rt::Variant(rt::Date::FromParts(year, month, day)));
}

// A search's frame: `body` on the connection and recordset kept here, which
// opens, reads, closes and votes itself; a failure closes both quietly,
// votes to abort and is logged and raised with the member's source.
template <class Body>
auto Searching(const char* member, Body&& body) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    return body(cn, rs);
  } catch (...) {
    HandleMethodError(Source(member), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return decltype(body(cn, rs)){};
}

}  // namespace

int32_t Product::getProductIDFromPartNum(const std::string& iPartNum, std::optional<std::string> iCatalogString) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return Searching("getProductIDFromPartNum", [&](auto& cn, auto& rs) -> int32_t {
    const std::string sql =
        "SELECT DISTINCT TOP 1 PRODUCTSBYCATEGORY.PRODUCTID  FROM PRODUCTSBYCATEGORY "
        " INNER JOIN PRODUCT ON PRODUCTSBYCATEGORY.PRODUCTID = PRODUCT.PRODUCTID "
        " INNER JOIN PRODUCTCATEGORY ON PRODUCTSBYCATEGORY.CATEGORYID = PRODUCTCATEGORY.CATEGORYID "
        " INNER JOIN CATALOGNODE ON PRODUCTCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID "
        " WHERE " +
        TextCondition(Gen_SqlEscapeLike(rt::Variant(iPartNum))) + "  AND (PRODUCT.DISABLED = 0)" +
        CatalogCondition(iCatalogString, "CATALOGNODE.CATALOGID");
    cn = getReadCommittedConnection();
    rs = OpenRecordset(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
    const int32_t id = rs->Eof() ? -1 : rt::CLng(rs->Value("PRODUCTID"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return id;
  });
}

int32_t Product::countProductIDsFromPartNum(const std::string& iPartNum, std::optional<std::string> iCatalogString) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return Searching("countProductIDsFromPartNum", [&](auto& cn, auto& rs) -> int32_t {
    const std::string sql =
        "SELECT COUNT(DISTINCT dbo.PRODUCTSBYCATEGORY.PRODUCTID) As CNT  FROM dbo.PRODUCTSBYCATEGORY "
        " INNER JOIN dbo.PRODUCT ON dbo.PRODUCTSBYCATEGORY.PRODUCTID = dbo.PRODUCT.PRODUCTID "
        " INNER JOIN dbo.PRODUCTCATEGORY ON dbo.PRODUCTSBYCATEGORY.CATEGORYID = dbo.PRODUCTCATEGORY.CATEGORYID "
        " INNER JOIN dbo.CATALOGNODE ON dbo.PRODUCTCATEGORY.CATEGORYID = dbo.CATALOGNODE.CATEGORYID "
        " WHERE " +
        TextCondition(Gen_SqlEscapeLike(rt::Variant(iPartNum))) + "  AND (DISABLED = 0)" +
        CatalogCondition(iCatalogString, "dbo.CATALOGNODE.CATALOGID");
    cn = getReadCommittedConnection();
    const int32_t count = CountOf(sql, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return count;
  });
}

// Stock items, in a catalog or not.
int32_t Product::countStockProductIDsFromPartNum(const std::string& iPartNum) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return Searching("countStockProductIDsFromPartNum", [&](auto& cn, auto& rs) -> int32_t {
    const std::string e = Gen_SqlEscapeLike(rt::Variant(iPartNum));
    const std::string sql = "SELECT COUNT(DISTINCT PRODUCTID) As CNT FROM PRODUCT WHERE (PRODUCTDESCRIPTION LIKE '%" +
                            e + "%' OR  PARTNUMBER LIKE '%" + e + "%' OR  BUYFROMPARTNUMBER LIKE '%" + e +
                            "%') AND DISABLED = 0 AND STOCKITEM = 1";
    cn = getReadCommittedConnection();
    const int32_t count = CountOf(sql, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return count;
  });
}

// At most `i_lMaxNumberOfRows` products whose part number matches the
// caller's pattern (its wildcards act; only quotes are doubled), keyed by
// id, each (part number, description); o_bMoreRowsAvailable tells whether
// one more matched. The statement reads one row beyond the limit, counted
// in 32 bits: the largest limit is 2147483646. No order is asked for, so
// which rows fill the answer is the database's choice.
std::shared_ptr<rt::Dictionary> Product::GetCatalogProductsByPartNumber(const std::string& i_sPartNumber,
                                                                        int32_t i_lMaxNumberOfRows,
                                                                        rt::Variant& o_bMoreRowsAvailable,
                                                                        std::optional<std::string> i_sCatalogString) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return Searching("GetCatalogProductsByPartNumber", [&](auto& cn, auto& rs) -> std::shared_ptr<rt::Dictionary> {
    if (i_lMaxNumberOfRows == std::numeric_limits<int32_t>::max()) rt::RaiseVb(rt::vberr::kOverflow);
    const std::string sql =
        "SELECT DISTINCT TOP " + std::to_string(i_lMaxNumberOfRows + 1) +
        " PRODUCTSBYCATEGORY.PRODUCTID, PRODUCT.PARTNUMBER, PRODUCT.PRODUCTDESCRIPTION FROM PRODUCTSBYCATEGORY "
        "INNER JOIN PRODUCT ON PRODUCTSBYCATEGORY.PRODUCTID = PRODUCT.PRODUCTID "
        "INNER JOIN PRODUCTCATEGORY ON PRODUCTSBYCATEGORY.CATEGORYID = PRODUCTCATEGORY.CATEGORYID "
        "INNER JOIN CATALOGNODE ON PRODUCTCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID WHERE PARTNUMBER LIKE '" +
        Gen_SqlQuote(rt::Variant(i_sPartNumber)) + "' AND PRODUCT.DISABLED = 0" +
        CatalogCondition(i_sCatalogString, "CATALOGNODE.CATALOGID");
    cn = getReadCommittedConnection();
    rs = OpenRecordset(sql, cn, data::kCursorKeyset, data::kLockReadOnly);
    auto products = rt::NewDictionary();
    int32_t rows = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
      if (++rows > i_lMaxNumberOfRows) continue;
      products->Add(rs->Value("PRODUCTID"),
                    rt::Variant(rt::SafeArray::From({rs->Value("PARTNUMBER"), rs->Value("PRODUCTDESCRIPTION")})));
    }
    o_bMoreRowsAvailable = rt::Variant(rows > i_lMaxNumberOfRows);
    Mts_SetComplete();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return products;
  });
}

// Whether the product, effective today and not disabled, is shown in one
// of the catalogs. An array whose element 0 is Empty answers False without
// a statement or a vote. The product's expiry date is not looked at. The
// ids go in as the numbers given, a fraction kept: 2.5 is no product's id.
bool Product::ValidateProductAgainstUserCatalogs(const std::string& i_sProductID, const rt::Variant& i_aCatalogIDs) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return Searching("ValidateProductAgainstUserCatalogs", [&](auto& cn, auto& rs) -> bool {
    const rt::SafeArray& catalogs = i_aCatalogIDs.AsArray();
    if (catalogs.At(0).IsEmpty()) return false;
    std::string terms;
    for (int32_t i = catalogs.LBound(); i <= catalogs.UBound(); ++i)
      terms += (i == catalogs.LBound() ? "CN.CATALOGID = " : " OR CN.CATALOGID = ") + SqlNumber(catalogs.At(i));
    std::string sql =
        "SELECT DISTINCT P.PRODUCTID FROM PRODUCT P, PRODUCTSBYCATEGORY PBC, CATALOGNODE CN "
        "WHERE P.PRODUCTID = " +
        SqlNumber(rt::Variant(i_sProductID)) + " AND (P.PRODUCTEFFECTIVITYDATE <= '" + Today() +
        "' OR P.PRODUCTEFFECTIVITYDATE IS NULL) AND P.DISABLED = 0 AND PBC.PRODUCTID = P.PRODUCTID "
        "AND CN.CATEGORYID = PBC.CATEGORYID AND (" +
        terms + ")";
    cn = getReadCommittedConnection();
    rs = Sql_GetReadonlyRecordset(sql, cn);
    const bool orderable = !rs->Eof();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return orderable;
  });
}

}  // namespace quarvel
