// Product: the class description, the catalog connections it opens, and the
// private value procedures that its files share.
#include "quarvel/product/product.h"

#include <ctime>

#include "common/lib_paging.h"
#include "quarvel/product/product_common.h"
#include "quarvel/services/catalog_connection.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/regional.h"

namespace quarvel {

rt::ClassInfo ProductClass() {
  // {17093CC5-...}: the class requires a transaction. A new object's price
  // group is the empty text.
  return rt::ClassInfo{"Quarvel.Product", "", rt::TransactionAttribute::Required,
                       [] { return std::make_shared<Product>(); }};
}

// Product is the catalog class that looks at the web application's value
// for the connection string before the configuration.
std::shared_ptr<data::Connection> Product::getConnection() {
  return quarvel::getConnection(false, ConnectionSource::kApplicationFirst);
}

std::shared_ptr<data::Connection> Product::getReadCommittedConnection() {
  return quarvel::getReadCommittedConnection(ConnectionSource::kApplicationFirst);
}

namespace product {

void emptyToNull(rt::Variant& value) {
  if (!value.IsNull() && rt::Trim(rt::Concat(value)).empty()) value = rt::Variant::Null();
}

rt::Currency nullToCurrency(const rt::Variant& value) { return value.IsNull() ? rt::Currency{} : rt::CCur(value); }

bool IsMinusOneValue(const rt::Variant& value) {
  if (value.IsNull() || value.IsEmpty() || value.IsMissing()) return false;
  if (value.IsString() && !rt::IsNumeric(value)) return false;
  if (!value.IsString() && !value.IsNumericType()) return false;
  return rt::CDbl(value) == -1;
}

std::string SqlNumber(const rt::Variant& value) { return std::to_string(rt::CLng(value)); }

rt::Date Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return rt::Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

std::string SqlUnicodeText(const std::string& text) {
  return rt::CStr(ThreadUtilities()->Call("ToSqlUnicodeText", {rt::Variant(text)}));
}

std::string SqlDate(rt::Date date) { return rt::CStr(ThreadUtilities()->Call("ToSqlDate", {rt::Variant(date)})); }

std::string GroupMatch(const std::string& group, const char* equals) {
  if (group.empty()) return "(GROUPBY = N'' OR GROUPBY IS NULL)";
  return equals + SqlUnicodeText(group);
}

std::string SqlQuantity(double quantity) {
  std::string text = rt::FormatDouble(quantity);
  for (char& c : text)
    if (c == ',') c = '.';
  return text;
}

void RaiseRefused(const std::string& description) {
  rt::Raise(kReferentialCheckRefused, rt::CurrentComponentName(), description);
}

void NotYetAvailable(const char* member) {
  rt::Raise(static_cast<int32_t>(0x80004001), Source(member), std::string(member) + " is not yet available");
}

}  // namespace product
}  // namespace quarvel
