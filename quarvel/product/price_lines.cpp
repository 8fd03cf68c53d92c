// Product: writing and listing price lines (CATALOGPRODUCTPRICE). A line is
// one product's price from an effective date, up to a quantity break, in a
// price group; the default group is the empty text, stored as Null. Every
// write asks the referential checker about the line's currency first.

#include <vector>

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/product/product.h"
#include "quarvel/product/product_common.h"
#include "quarvel/services/rounding.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace product;

namespace {

constexpr const char* kPriceRefused =
    "The catalog product price record you are trying to insert has an invalid reference to another record";

// Asks the checker whether the line's currency exists: CanInsert("Quarvel",
// "CATALOGPRODUCTPRICE", ("CURRENCYCODE", ...), (...)) with every value
// whose name is CURRENCYCODE in any letter case, as each of them is written
// to the column (the last one stays); with none, one Null value.
void CheckCurrencyReference(const rt::Variant& names, const rt::Variant& values) {
  std::vector<rt::Variant> codes;
  ForEachIndex16(names, [&](int32_t i) {
    if (rt::UCase(rt::Concat(names.AsArray().At(i))) == "CURRENCYCODE") codes.push_back(values.AsArray().At(i));
  });
  if (codes.empty()) codes.push_back(rt::Variant::Null());
  const rt::Variant keyNames(
      rt::SafeArray::From(std::vector<rt::Variant>(codes.size(), rt::Variant("CURRENCYCODE"))));
  const rt::Variant keyValues(rt::SafeArray::From(std::move(codes)));
  if (!CheckerAllowsInsert("CATALOGPRODUCTPRICE", keyNames, keyValues)) RaiseRefused(kPriceRefused);
}

// Whether the names carry GROUPBY, in any letter case.
bool NamesGroup(const rt::Variant& names) {
  bool named = false;
  ForEachIndex16(names, [&](int32_t i) { named = named || rt::UCase(rt::Concat(names.AsArray().At(i))) == "GROUPBY"; });
  return named;
}

// The value that a line's column receives, by the column's upper-cased name.
rt::Variant PriceColumnValue(const std::string& upperName, const rt::Variant& value) {
  if (upperName == "PRICEEXPIRYDATE" && rt::Concat(value).empty()) return rt::Variant::Null();
  if ((upperName == "PRICETAXPERCENTAGE" || upperName == "DISCOUNTPERC") && !value.IsNull())
    return RoundedToCents(value);
  if (upperName == "GROUPBY" && rt::VbEquals(value, rt::Variant(""))) return rt::Variant::Null();
  return value;
}

}  // namespace

bool Product::InsertUpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo,
                                const rt::Variant& iFields, const rt::Variant& iValues, const std::string& iAction) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    CheckCurrencyReference(iFields, iValues);
    cn = getConnection();
    bool adding = iAction == "insert";
    if (adding) {
      rs = OpenForWrite("SELECT * FROM CATALOGPRODUCTPRICE WHERE 0=1", cn);
    } else {
      // Actions are compared exactly: any text but these two edits the line.
      rs = OpenForWrite("SELECT * FROM CATALOGPRODUCTPRICE WHERE PRODUCTID=" + std::to_string(iProductID) +
                            " AND PRICEEFFECTIVEDATE=" + Gen_SqlValue(rt::Variant(iPriceEffDate)) +
                            " AND QUANTITYTO=" + SqlQuantity(iQuantityTo) + " AND " + GroupMatch(GroupBy_, "GROUPBY ="),
                        cn);
      adding = iAction == "insertupdate" && rs->Eof();
    }
    if (adding) {
      rs->AddNew();
      rs->SetValue("PRODUCTID", rt::Variant(iProductID));
      rs->SetValue("PRICEEFFECTIVEDATE", rt::Variant(iPriceEffDate));
      rs->SetValue("QUANTITYTO", rt::Variant(iQuantityTo));
      // A line that "insertupdate" looked for in a group and did not find
      // is added in that group, so that the same call finds it next time;
      // a GROUPBY among the names still decides.
      if (iAction == "insertupdate" && !GroupBy_.empty() && !NamesGroup(iFields))
        rs->SetValue("GROUPBY", rt::Variant(GroupBy_));
    }
    const rt::SafeArray& names = iFields.AsArray();
    const rt::SafeArray& values = iValues.AsArray();
    ForEachIndex16(iFields, [&](int32_t i) {
      const std::string name = rt::CStr(names.At(i));
      rs->SetValue(name, PriceColumnValue(rt::UCase(name), values.At(i)));
    });
    rs->Update();
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("InsertUpdatePrice"), [&] {
      CloseQuietly(rs);
      Sql_CloseConnection(cn);
      Mts_SetAbort();
    });
  }
  return false;
}

bool Product::InsertPrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                          const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  return InsertUpdatePrice(iProductID, iPriceEffDate, iQuantityTo, iFields, iValues, "insert");
}

bool Product::UpdatePrice(int32_t iProductID, rt::Date iPriceEffDate, double iQuantityTo, const rt::Variant& iFields,
                          const rt::Variant& iValues) {
  rt::ContextScope scope(*this);
  return InsertUpdatePrice(iProductID, iPriceEffDate, iQuantityTo, iFields, iValues, "update");
}

// The group is the object's only for this call: it is cleared again also
// when the call fails, so that a later call on the object never finds the
// lines of a stale group.
bool Product::InsertUpdatePriceEx(int32_t i_lProductID, rt::Date i_dPriceEffDate, double i_fQuantityTo,
                                  const std::string& i_sGroupBy, const rt::Variant& i_vFields,
                                  const rt::Variant& i_vValues, const std::string& i_sAction) {
  rt::ContextScope scope(*this);
  return WithGroup(i_sGroupBy, [&] {
    return InsertUpdatePrice(i_lProductID, i_dPriceEffDate, i_fQuantityTo, i_vFields, i_vValues, i_sAction);
  });
}

std::shared_ptr<rt::Dictionary> Product::GetProductPriceLines(int32_t& iProductID) {
  static const char* const kColumns[] = {
      "PRODUCTID",    "PRICEEFFECTIVEDATE", "CURRENCYCODE",       "PRICEEXPIRYDATE", "PRICE",
      "DISCOUNTPERC", "DISCOUNTAMOUNT",     "PRICETAXPERCENTAGE", "QUANTITYTO",      "GROUPBY"};
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    rs = OpenRecordset("SELECT * FROM CATALOGPRODUCTPRICE WHERE PRODUCTID=" + std::to_string(iProductID), cn,
                       data::kCursorDynamic, data::kLockOptimistic);
    std::shared_ptr<rt::Dictionary> lines = NumberedRows(*rs, kColumns);
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return lines;
  } catch (...) {
    HandleMethodError(Source("GetProductPriceLines"), [&] {
      CloseQuietly(rs);
      Sql_CloseConnection(cn);
    });
  }
  return nullptr;
}

}  // namespace quarvel
