// Product: one product's data for the suite's pages. Chosen columns of a
// product found by id or GTIN, the whole product as a dictionary of 32
// fixed keys (its buyer falling back to its commodity's default buyer, and
// the commodity's charge type added), and its description.
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

// The error base alone: neither an id nor a GTIN was given.
constexpr int32_t kMissingArguments = static_cast<int32_t>(0x80040000);

// The keys of ProductDictionary in order, with the PRODUCT column each is
// read from; USERID and CHARGETYPECODE are filled apart.
struct ProductKey {
  const char* key;
  const char* column;
};
constexpr ProductKey kProductKeys[] = {
    {"PRODUCTID", "PRODUCTID"},
    {"UNITCODE", "UNITCODE"},
    {"PROPERTYGROUPID", "PROPERTYGROUPID"},
    {"MANUFACTURERID", "MANUFACTURERID"},
    {"PARTNUMBER", "PARTNUMBER"},
    {"PRODUCTDESCRIPTION", "PRODUCTDESCRIPTION"},
    {"CONFIGURABLE", "CONFIGURABLE"},
    {"PRODUCTREMARK", "PRODUCTREMARK"},
    {"IMAGEFILENAME", "IMAGEFILENAME"},
    {"TECHNICALIMAGE", "TECHNICALIMAGE"},
    {"URL", "URL"},
    {"COMMODITYCODE", "COMMODITYCODE"},
    {"CONTRACTCODE", "CONTRACTCODE"},
    {"NUMBER", "NUMBER"},
    {"BUSINESSPARTNERID", "BUSINESSPARTNERID"},
    {"PRODUCTXML", "PRODUCTXML"},
    {"BUYFROMPARTNUMBER", "BUYFROMPARTNUMBER"},
    {"BUYFROMCONTACTEMAIL", "BUYFROMCONTACTEMAIL"},
    {"PRODUCTEFFECTIVITYDATE", "PRODUCTEFFECTIVITYDATE"},
    {"PRODUCTEXPIRYDATE", "PRODUCTEXPIRYDATE"},
    {"DISABLED", "DISABLED"},
    {"BUYFROMCONTACTINFO", "BUYFROMCONTACTINFO"},
    {"MINORDERQTY", "MINORDERQTY"},
    {"MULTIPLEOF", "MULTIPLEOF"},
    {"UNSPSCCODE", "UNSPSCCODE"},
    {"USERID", nullptr},
    {"CHARGETYPECODE", nullptr},
    {"MULTIPLEBUYER", "MULTIPLEBUYER"},
    {"MFRPARTNUMBEER", "MFRPARTNUMBER"},
    {"LOTSIZE", "LOTSIZE"},
    {"DELIVERYLEADTIME", "DELIVERYLEADTIME"},
    {"CLASSCODE", "CLASSCODE"},
};

}  // namespace

// The columns named by the array, in its order, of the product found by id
// (which wins when both are given) or by GTIN; a Null column as "". The
// names only pick fields of the row read: a name that is no column, or one
// given twice, fails.
std::shared_ptr<rt::Dictionary> Product::GetProductFields(const rt::Variant& i_aProductFieldNames,
                                                          std::optional<int32_t> i_lProductID,
                                                          std::optional<std::string> i_sGTIN) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const int32_t productId = i_lProductID.value_or(-1);
    const std::string gtin = i_sGTIN.value_or(std::string());
    if (isMinusOne(productId) && isEmptyString(gtin))
      rt::Raise(kMissingArguments, "GetProductFields",
                "Both optional arguments cannot be empty - you should pass i_lProductId or i_sGTIN");
    const std::string sql =
        "SELECT * FROM PRODUCT WHERE" + (isMinusOne(productId) ? " GTIN = '" + Gen_SqlQuote(rt::Variant(gtin)) + "'"
                                                               : " PRODUCTID = " + std::to_string(productId));
    cn = getReadCommittedConnection();
    rs = OpenRecordset(sql, cn, data::kCursorKeyset, data::kLockReadOnly);
    auto fields = rt::NewDictionary();
    if (!rs->Eof()) {
      const rt::SafeArray& names = i_aProductFieldNames.AsArray();
      for (int32_t i = names.LBound(); i <= names.UBound(); ++i) {
        const std::string name = rt::CStr(names.At(i));
        const rt::Variant value = rs->Value(name);
        fields->Add(rt::Variant(name), value.IsNull() ? rt::Variant("") : value);
      }
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return fields;
  } catch (...) {
    HandleMethodError(Source("getProductFields"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// No handler: a product without a row raises "Product not present", and
// every other failure reaches the caller as it came, unlogged and without a
// vote.
std::shared_ptr<rt::Dictionary> Product::GetProductEx(int32_t i_lProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT * FROM PRODUCT WHERE PRODUCTID=" + std::to_string(i_lProductID), cn,
                       data::kCursorForwardOnly, data::kLockReadOnly);
    if (rs->Eof()) Err_Raise(kProductNotFound, Source("GetProductEx"), "Product not present");
    const rt::Variant commodity = rs->Value("COMMODITYCODE");
    auto product = rt::NewDictionary();
    for (const ProductKey& k : kProductKeys) {
      rt::Variant value;
      if (k.column) {
        value = rs->Value(k.column);
      } else if (std::string_view(k.key) == "USERID") {
        // The product's own buyer, else its commodity's default buyer (never
        // the supplier's).
        value = rs->Value("USERID");
        if (value.IsNull())
          value = rt::Variant(commodity.IsNull() ? std::string() : GetDefaultBuyer(rt::CStr(commodity)));
      } else if (!commodity.IsNull()) {
        std::shared_ptr<data::Connection> second = getReadCommittedConnection();
        std::shared_ptr<data::Recordset> charge;
        try {
          charge = OpenRecordset(
              "SELECT CHARGETYPECODE FROM COMMODITY WHERE COMMODITYCODE='" + Gen_SqlQuote(commodity) + "'", second,
              data::kCursorForwardOnly, data::kLockReadOnly);
          value = charge->Eof() ? rt::Variant("") : charge->Value("CHARGETYPECODE");
          Sql_CloseRecordset(charge);
          Sql_CloseConnection(second);
        } catch (...) {
          CloseQuietly(charge, second);
          throw;
        }
      } else {
        value = rt::Variant("");
      }
      product->Add(rt::Variant(k.key), value);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return product;
  } catch (...) {
    CloseQuietly(rs, cn);
    throw;
  }
}

// The description ("" for Null); an id without a row raises "Productid Not
// found" unlogged. The id is compared as a quoted text, which the database
// reads as the number.
std::string Product::GetProductDescription(int32_t& i_lProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs =
        OpenRecordset("SELECT PRODUCTDESCRIPTION FROM PRODUCT WHERE PRODUCTID = '" + std::to_string(i_lProductID) + "'",
                      cn, data::kCursorForwardOnly, data::kLockReadOnly);
    if (!rs->Eof()) {
      const rt::Variant description = rs->Value("PRODUCTDESCRIPTION");
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      Mts_SetComplete();
      return description.IsNull() ? std::string() : rt::CStr(description);
    }
  } catch (...) {
    HandleMethodError(Source("GetProductDescription"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  Mts_SetAbort();
  CloseQuietly(rs, cn);
  Err_Raise(kProductIdNotFound, Source("GetProductDescription"), "Productid Not found");
}

}  // namespace quarvel
