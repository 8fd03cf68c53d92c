// Product: the order-quantity rules of a product. A quantity must be a
// whole multiple of MULTIPLEOF (the lot size) and not below MINORDERQTY;
// Null or 0 sets no rule. Quantities are compared as exact decimals, so a
// lot size of 0.1 accepts 0.3 and 0.7, which binary doubles would refuse.
#include <cmath>

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

// The largest magnitude of a Decimal, 2^96 - 1.
constexpr double kDecimalLimit = 79228162514264337593543950335.0;

// True when `quantity` is a whole multiple of `multiple` (not 0), 0
// included. Dividing in 28-digit decimals, rounding the quotient to a whole
// number and multiplying back gives the quantity again exactly then, so
// this is the test done without the division; a quotient beyond the
// decimal range raises Overflow (6), as the division does.
bool IsWholeMultiple(const rt::Decimal& quantity, const rt::Decimal& multiple) {
  if (std::abs(quantity.ToDouble() / multiple.ToDouble()) > kDecimalLimit) rt::RaiseVb(rt::vberr::kOverflow);
  const __int128 a = quantity.mantissa;
  const __int128 b = multiple.mantissa;
  if (a == 0) return true;
  if (quantity.scale >= multiple.scale) {
    // quantity / multiple = a / (b * 10^d): a multiple of b * 10^d.
    // b * 10^d grows past a (below 2^96) long before it could overflow.
    auto magnitude = [](__int128 v) { return v < 0 ? -v : v; };
    __int128 divisor = b;
    for (int i = multiple.scale; i < quantity.scale; ++i) {
      if (magnitude(divisor) > magnitude(a)) return false;
      divisor *= 10;
    }
    return a % divisor == 0;
  }
  // quantity / multiple = a * 10^d / b: the remainder of a * 10^d by b,
  // one digit at a time.
  __int128 remainder = a % b;
  for (int i = quantity.scale; i < multiple.scale; ++i) remainder = remainder * 10 % b;
  return remainder == 0;
}

// A column of the product's one row through Execute: 0 without a row or for
// Null.
double ProductNumber(const std::string& column, int32_t productId, const std::shared_ptr<data::Connection>& cn,
                     std::shared_ptr<data::Recordset>& rs) {
  rs = cn->Execute("SELECT " + column + " FROM PRODUCT WHERE PRODUCTID=" + std::to_string(productId));
  const double value = rs->Eof() ? 0 : Gen_NullToZero(rs->Value(column));
  Sql_CloseRecordset(rs);
  return value;
}

}  // namespace

// False for a product without a row.
bool Product::CheckLotSize(int32_t iProductID, double iQuantity) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    bool accepted = true;
    const rt::Decimal quantity = rt::CDec(rt::Variant(iQuantity));
    cn = getReadCommittedConnection();
    rs = cn->Execute("SELECT MINORDERQTY, MULTIPLEOF FROM PRODUCT WHERE PRODUCTID=" + std::to_string(iProductID));
    if (rs->Eof()) {
      accepted = false;
    } else {
      const rt::Variant multipleOf = rs->Value("MULTIPLEOF");
      const rt::Variant minimum = rs->Value("MINORDERQTY");
      if (!multipleOf.IsNull() && rt::CDbl(multipleOf) != 0) accepted = IsWholeMultiple(quantity, rt::CDec(multipleOf));
      if (accepted && !minimum.IsNull() && rt::CDbl(minimum) != 0) accepted = quantity.Compare(rt::CDec(minimum)) >= 0;
    }
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return accepted;
  } catch (...) {
    HandleMethodError(Source("Checklotsize"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return false;
}

double Product::getMultipleOf(int32_t iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    const double multipleOf = ProductNumber("MULTIPLEOF", iProductID, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return multipleOf;
  } catch (...) {
    HandleMethodError(Source("getmultipleof"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

double Product::getMinOrderQty(int32_t iProductID) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  std::shared_ptr<data::Connection> cn;
  std::shared_ptr<data::Recordset> rs;
  try {
    cn = getReadCommittedConnection();
    const double minimum = ProductNumber("MINORDERQTY", iProductID, cn, rs);
    Sql_CloseConnection(cn);
    Mts_SetComplete();
    return minimum;
  } catch (...) {
    HandleMethodError(Source("getMinOrderQty"), [&] {
      CloseQuietly(rs, cn);
      Mts_SetAbort();
    });
  }
  return 0;
}

}  // namespace quarvel
