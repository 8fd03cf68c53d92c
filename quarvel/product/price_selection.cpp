// Product: what a product costs. getCatalogPriceAttributes picks the line in
// force on a date for a quantity, in the object's price group or else the
// default group, and converts its amounts into the caller's currency
// through Brintor.Currency; the bare price lookups by quantity and by group.
#include "common/lib_errorhandling.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "interfaces/currency.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

// The five PriceAttributes keys, in their order.
constexpr const char* kPrice = "PRICE";
constexpr const char* kDiscountPerc = "DISCOUNTPERC";
constexpr const char* kDiscountAmount = "DISCOUNTAMOUNT";
constexpr const char* kTaxPercentage = "PRICETAXPERCENTAGE";
constexpr const char* kFreightCost = "FREIGHTCOST";

// The line's amounts in the requested currency, its percentages as stored.
void FillFromLine(data::Recordset& line, const std::string& requested, rt::Date date, rt::Dictionary& answer) {
  rt::ObjectPtr created = Gen_GetComponent("Brintor.Currency");
  auto currency = std::dynamic_pointer_cast<ICurrency>(created);
  if (!currency) rt::RaiseVb(rt::vberr::kTypeMismatch);
  std::string from = rt::CStr(line.Value("CURRENCYCODE"));
  std::string to = requested;
  auto convert = [&](const char* column) {
    rt::Currency amount = nullToCurrency(line.Value(column));
    return currency->ConvertAmount(from, to, amount, date);
  };
  answer.Add(rt::Variant(kPrice), rt::Variant(convert(kPrice)));
  answer.Add(rt::Variant(kDiscountPerc), rt::Variant(nullToCurrency(line.Value(kDiscountPerc))));
  // PRICE was converted with the same codes and date, so every rate that a
  // conversion needs is known to be there: a zero amount stays zero without
  // asking again.
  auto convertOrZero = [&](const char* column) {
    const rt::Currency amount = nullToCurrency(line.Value(column));
    return amount.scaled == 0 ? amount : convert(column);
  };
  answer.Add(rt::Variant(kDiscountAmount), rt::Variant(convertOrZero(kDiscountAmount)));
  answer.Add(rt::Variant(kTaxPercentage), rt::Variant(nullToCurrency(line.Value(kTaxPercentage))));
  answer.Add(rt::Variant(kFreightCost), rt::Variant(convertOrZero(kFreightCost)));
}

// The unlogged failure of the bare price lookups when no line matches.
[[noreturn]] void RaiseNoLine(const char* member) {
  Err_Raise(kProductIdNotFound, Source(member), "ProductId not found");
}

// A bare price lookup: the PRICE of the first line that `statement()`
// reads, on the connection `connect` opens, with a commit vote. Without a
// line the vote is to abort and RaiseNoLine fails; any other failure is
// logged and raised with the member's source after an abort vote.
template <class Statement>
double FirstLinePrice(const char* member, std::shared_ptr<data::Connection> (*connect)(), Statement&& statement) {
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = connect();
    rs = OpenRecordset(statement(), cn, data::kCursorKeyset, data::kLockReadOnly);
    if (!rs->Eof()) {
      const double price = rt::CDbl(rs->Value("PRICE"));
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      Mts_SetComplete();
      return price;
    }
  } catch (...) {
    HandleMethodError(Source(member), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  Mts_SetAbort();
  CloseQuietly(rs, cn);
  RaiseNoLine(member);
}

}  // namespace

std::shared_ptr<rt::Dictionary> Product::getCatalogPriceAttributes(int32_t i_lProductID, rt::Date i_dDate,
                                                                   const std::string& i_sCurrencyCode,
                                                                   std::optional<double> i_fQuantity) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    const double quantity = i_fQuantity.value_or(-1);
    cn = getReadCommittedConnection();
    const std::string date = SqlDate(i_dDate);
    auto statement = [&](const std::string& group) {
      std::string sql =
          "SELECT CURRENCYCODE, PRICE, DISCOUNTPERC, DISCOUNTAMOUNT, PRICETAXPERCENTAGE, FREIGHTCOST FROM "
          "CATALOGPRODUCTPRICE WHERE PRODUCTID=" +
          std::to_string(i_lProductID) + " AND " + GroupMatch(group, "GROUPBY =") + " AND PRICEEFFECTIVEDATE<=" + date +
          " AND (PRICEEXPIRYDATE>=" + date;
      if (isMinusOneDouble(quantity)) return sql + " OR PRICEEXPIRYDATE IS NULL)";
      return sql + " OR PRICEEXPIRYDATE IS NULL) AND QUANTITYTO>=" + SqlQuantity(quantity) + " ORDER BY QUANTITYTO";
    };
    rs = OpenRecordset(statement(GroupBy_), cn, data::kCursorForwardOnly, data::kLockReadOnly);
    // A named group without a line falls back to the default group, which
    // the first statement already covers when the group is the default.
    if (rs->Eof() && !GroupBy_.empty()) {
      Sql_CloseRecordset(rs);
      rs = OpenRecordset(statement(std::string()), cn, data::kCursorForwardOnly, data::kLockReadOnly);
    }
    auto answer = rt::NewDictionary();
    if (rs->Eof()) {
      for (const char* key : {kPrice, kDiscountPerc, kDiscountAmount, kTaxPercentage, kFreightCost})
        answer->Add(rt::Variant(key), rt::Variant(int16_t{0}));
    } else {
      FillFromLine(*rs, i_sCurrencyCode, i_dDate, *answer);
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return answer;
  } catch (...) {
    HandleMethodError(Source("getCatalogPriceAttributes"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return nullptr;
}

// The group is the object's only for this call, whichever way it ends.
std::shared_ptr<rt::Dictionary> Product::getCatalogPriceAttributesEx(int32_t i_lProductID, rt::Date i_dDate,
                                                                     const std::string& i_sCurrencyCode,
                                                                     std::optional<double> i_fQuantity,
                                                                     std::optional<std::string> i_sGroupBy) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return WithGroup(i_sGroupBy.value_or(std::string()),
                   [&] { return getCatalogPriceAttributes(i_lProductID, i_dDate, i_sCurrencyCode, i_fQuantity); });
}

std::shared_ptr<rt::Dictionary> Product::getERPPrice(std::string&, std::string&, std::string&, int32_t&, std::string&,
                                                     double&, std::string&, rt::Date&, std::string&) {
  return nullptr;
}

// Here QUANTITYTO is the lower end of a line's range: the largest break not
// above the quantity wins, whatever the line's date, group or currency.
double Product::GetPriceFromPriceLines(int32_t& i_lProductID, double& i_fQuantity) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return FirstLinePrice("GetPriceFromPriceLines", getReadCommittedConnection, [&] {
    return "SELECT PRICE, QUANTITYTO FROM CATALOGPRODUCTPRICE WHERE PRODUCTID =" + std::to_string(i_lProductID) +
           " AND QUANTITYTO <= " + SqlQuantity(i_fQuantity) + " ORDER BY QUANTITYTO DESC";
  });
}

double Product::GetPriceFromPriceLinesByGroup(int32_t& i_lProductID, std::string& i_sGroupBy) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return FirstLinePrice("GetPriceFromPriceLinesByGroup", getReadCommittedConnection, [&] {
    return "SELECT PRICE, GROUPBY FROM CATALOGPRODUCTPRICE WHERE PRODUCTID =" + std::to_string(i_lProductID) + " AND " +
           GroupMatch(i_sGroupBy, "GROUPBY = ") + " ORDER BY GROUPBY DESC";
  });
}

}  // namespace quarvel
