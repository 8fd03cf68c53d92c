// Product: commodities and what they carry for a requisition line (default
// buyer, tax code with its TAXCODES row, charge type, item code), the paged
// list of commodities and the deletion of one, the tax codes, and the name
// of a product category.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
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

constexpr int32_t kCommodityNotFound = ErrorNumber(QuarvelErrors::eCommodityNotFound);

// "'<code>'", the code's single quotes doubled.
std::string Quoted(const std::string& code) { return "'" + Gen_SqlQuote(rt::Variant(code)) + "'"; }

}  // namespace

// Refused by the referential checker, or while a product names the
// commodity (which the checker cannot tell: the product class answers for
// the commodity's existence): False, an abort vote and nothing raised.
bool Product::DeleteCommodity(const std::string& iCommodityCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    if (!CheckerAllowsDelete("COMMODITY", "COMMODITYCODE", rt::Variant(iCommodityCode))) {
      Mts_SetAbort();
      return false;
    }
    cn = getConnection();
    rs = cn->Execute("SELECT PRODUCTID FROM PRODUCT WHERE COMMODITYCODE = " + Quoted(iCommodityCode));
    const bool used = !rs->Eof();
    Sql_CloseRecordset(rs);
    if (used) {
      Sql_CloseConnection(cn);
      Mts_SetAbort();
      return false;
    }
    rt::Variant deleted;
    cn->Execute("DELETE FROM COMMODITY WHERE COMMODITYCODE = " + Quoted(iCommodityCode), &deleted);
    Sql_CloseConnection(cn);
    if (rt::CLng(deleted) == 0)
      rt::Raise(kCommodityNotFound, "Quarvel.Commodity.Delete", "Commodity " + iCommodityCode + " not present");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("DeleteCommodity"), rt::Variant("Commoditycode: " + iCommodityCode), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

// A commodity without a row fails (its field is read at the end of the
// rows); a Null buyer answers "".
std::string Product::GetBuyerFromCommodity(std::string& iCommodity) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT USERID FROM COMMODITY WHERE COMMODITYCODE = " + Quoted(iCommodity), cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    const rt::Variant buyer = rs->Value("USERID");
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return buyer.IsNull() ? std::string() : rt::CStr(buyer);
  } catch (...) {
    HandleMethodError(Source("getbuyerfromcommodity"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return std::string();
}

std::shared_ptr<rt::Dictionary> Product::GetAllCommodities() {
  rt::ContextScope scope(*this);
  DeprecatedStub(
      "Function GetAllCommodities() is a 'full table scan' function and is not supported anymore.\r\n"
      "Use new function GetCommodityData() that supports paging (=based on DRecordset component).");
}

// The commodities (or those of the codes given, each as a quoted text) as a
// paged list keyed by COMMODITYCODE. No vote.
rt::ObjectPtr Product::GetCommodityData(const rt::ObjectPtr& i_oPage, const std::string& i_sPersistedStateInfo,
                                        int32_t i_iPageSize, const rt::Variant& i_asCommodityCodes,
                                        std::optional<std::string> i_sSortTableFieldNames) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return CatalogPagedQuery("SELECT * FROM COMMODITY", "COMMODITYCODE", IdListForm::kQuotedTexts,
                             ListRequest(i_oPage, i_sPersistedStateInfo, i_iPageSize, i_asCommodityCodes,
                                         rt::Variant(i_sSortTableFieldNames.value_or(std::string()))),
                             ConnectionSource::kApplicationFirst);
  } catch (...) {
    HandleMethodError(Source("GetCommodityData"));
  }
  return nullptr;
}

// "" for a category without a row or without a name.
std::string Product::GetCategoryName(int32_t& iCategoryID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT CATEGORYNAME FROM PRODUCTCATEGORY WHERE CATEGORYID=" + std::to_string(iCategoryID), cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    const rt::Variant name = rs->Eof() ? rt::Variant::Null() : rs->Value("CATEGORYNAME");
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return name.IsNull() ? std::string() : rt::CStr(name);
  } catch (...) {
    HandleMethodError(Source("GetCategoryName"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return std::string();
}

// TAXCODE, DESCRIPTION, LEDGERACCOUNT of the commodity's tax code; empty
// when the commodity or its tax code has no row.
std::shared_ptr<rt::Dictionary> Product::GetTaxcodeInformation(const std::string& istrCommodityCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = cn->Execute(
        "SELECT COMMODITY.TAXCODE, TAXCODES.DESCRIPTION, TAXCODES.LEDGERACCOUNT FROM COMMODITY, TAXCODES WHERE "
        "COMMODITY.TAXCODE = TAXCODES.TAXCODE AND COMMODITY.COMMODITYCODE=" +
        Quoted(istrCommodityCode));
    std::shared_ptr<rt::Dictionary> taxCode = Sql_GetRecordAsDictionary(rs);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return taxCode;
  } catch (...) {
    HandleMethodError("Product.GetTaxcodeInformation", rt::Variant(Err_GetConnectionErrors(rt::Variant(cn))), [&] {
      Mts_SetAbort();
      CloseQuietly(rs, cn);
    });
  }
  return nullptr;
}

// TAXCODE -> DESCRIPTION of every tax code.
std::shared_ptr<rt::Dictionary> Product::GetAllTaxCodes() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::shared_ptr<rt::Dictionary> taxCodes =
        Sql_GetRecordsAsDictionary(getConnectionString(), "SELECT TAXCODE, DESCRIPTION FROM TAXCODES");
    Mts_SetComplete();
    return taxCodes;
  } catch (...) {
    HandleMethodError("Product.GetAllTaxCodes", Mts_SetAbort);
  }
  return nullptr;
}

// "" for a commodity without a row or without a charge type.
std::string Product::GetChargeType(const std::string& iCommodityCode) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT CHARGETYPECODE FROM COMMODITY WHERE COMMODITYCODE=" + Quoted(iCommodityCode), cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    const rt::Variant chargeType = rs->Eof() ? rt::Variant::Null() : rs->Value("CHARGETYPECODE");
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return chargeType.IsNull() ? std::string() : rt::CStr(chargeType);
  } catch (...) {
    HandleMethodError(Source("getChargetype"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return std::string();
}

// The commodity's item code ("" for Null); a commodity without a row
// raises "CommodityCode is Not found" unlogged.
std::string Product::GetBisItemCode(std::string& i_lCommodity) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getConnection();
    rs = OpenRecordset("SELECT BISITEMCODE FROM COMMODITY WHERE COMMODITYCODE = " + Quoted(i_lCommodity), cn,
                       data::kCursorDynamic, data::kLockReadOnly);
    if (!rs->Eof()) {
      const rt::Variant code = rs->Value("BISITEMCODE");
      Sql_CloseConnection(cn);
      Sql_CloseRecordset(rs);
      Mts_SetComplete();
      return code.IsNull() ? std::string() : rt::CStr(code);
    }
  } catch (...) {
    HandleMethodError(Source("GetBisItemCode"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  Mts_SetAbort();
  CloseQuietly(rs, cn);
  Err_Raise(kCommodityNotFound, Source("GetBisItemCode"), "CommodityCode is Not found");
}

}  // namespace quarvel
