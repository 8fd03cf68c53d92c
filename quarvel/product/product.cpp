// Product: the class description, the catalog connections it opens, and the
// private value procedures that its files share.
#include "quarvel/product/product.h"

#include <string_view>

#include "common/lib_paging.h"
#include "common/lib_sql.h"
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
std::string Product::getConnectionString() { return quarvel::getConnectionString(ConnectionSource::kApplicationFirst); }

std::shared_ptr<data::Connection> Product::getConnection() {
  return quarvel::getConnection(false, ConnectionSource::kApplicationFirst);
}

std::shared_ptr<data::Connection> Product::getReadCommittedConnection() {
  return quarvel::getReadCommittedConnection(ConnectionSource::kApplicationFirst);
}

namespace product {

rt::Currency nullToCurrency(const rt::Variant& value) { return value.IsNull() ? rt::Currency{} : rt::CCur(value); }

std::string SqlNumberList(const rt::Variant& ids, const std::string& separator) {
  const rt::SafeArray& array = ids.AsArray();
  std::string list;
  if (array.Dimensions() == 0) return list;
  for (int32_t i = array.LBound(); i <= array.UBound(); ++i)
    list += (i == array.LBound() ? "" : separator) + SqlNumber(array.At(i));
  return list;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text between `from` and the next `stop` (or the end), blanks around
// it removed; `from` moves past the stop.
std::string_view NextItem(std::string_view text, size_t& from, char stop) {
  size_t end = text.find(stop, from);
  if (end == std::string_view::npos) end = text.size();
  size_t first = from, last = end;
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  from = end + 1;
  return text.substr(first, last - first);
}

bool IsWholeNumber(std::string_view item) {
  if (!item.empty() && item.front() == '-') item.remove_prefix(1);
  if (item.empty()) return false;
  for (char c : item)
    if (c < '0' || c > '9') return false;
  return true;
}

// The columns of PRODUCT (db/07_product.sql), each between blanks.
constexpr std::string_view kProductColumns =
    " PRODUCTID PARTNUMBER PRODUCTDESCRIPTION UNITCODE CLASSCODE COMMODITYCODE CONTRACTCODE PRICINGMETHOD NUMBER"
    " MANUFACTURERID MFRPARTNUMBER BUSINESSPARTNERID BUYFROMPARTNUMBER BUYFROMCONTACTINFO BUYFROMCONTACTEMAIL USERID"
    " MULTIPLEBUYER PROPERTYGROUPID UNSPSCCODE GTIN CONFIGURABLE PRODUCTREMARK IMAGEFILENAME TECHNICALIMAGE URL"
    " PRODUCTXML PRODUCTEFFECTIVITYDATE PRODUCTEXPIRYDATE DISABLED STOCKITEM MINORDERQTY MULTIPLEOF LOTSIZE"
    " DELIVERYLEADTIME DATEUPDATED CLASSIFICATION ";

bool IsProductColumn(std::string_view name) {
  if (name.empty() || name.find(' ') != std::string_view::npos) return false;
  return kProductColumns.find(" " + rt::UCase(name) + " ") != std::string_view::npos;
}

}  // namespace

std::string CatalogFilter(const std::string& catalogString) {
  if (catalogString == "-1") return std::string();
  std::string_view text = catalogString;
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') rt::RaiseVb(rt::vberr::kTypeMismatch);
  text = text.substr(1, text.size() - 2);
  std::string list;
  for (size_t from = 0; from <= text.size();) {
    const std::string_view item = NextItem(text, from, ',');
    if (!IsWholeNumber(item)) rt::RaiseVb(rt::vberr::kTypeMismatch);
    list += (list.empty() ? "" : ",") + std::string(item);
  }
  return "(" + list + ")";
}

void CheckProductColumns(const std::string& list, bool star) {
  const std::string_view text = list;
  size_t whole = 0;
  if (star && NextItem(text, whole, '\0') == "*") return;
  for (size_t from = 0; from <= text.size();)
    if (!IsProductColumn(NextItem(text, from, ','))) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
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
  std::string text = rt::FormatDoubleExact(quantity);
  for (char& c : text)
    if (c == ',') c = '.';
  return text;
}

void RaiseRefused(const std::string& description) {
  rt::Raise(kReferentialCheckRefused, rt::CurrentComponentName(), description);
}

std::shared_ptr<rt::Dictionary> NumberedRows(data::Recordset& rs, std::span<const char* const> columns) {
  auto rows = rt::NewDictionary();
  for (int32_t counter = 1; !rs.Eof(); rs.MoveNext(), ++counter) {
    CountIn16Bits(counter);
    auto row = rt::NewDictionary();
    for (const char* column : columns) row->Add(rt::Variant(column), rs.Value(column));
    rows->Add(rt::Variant(std::to_string(counter)), rt::Variant(row));
  }
  return rows;
}

std::shared_ptr<data::Recordset> OpenForWrite(const std::string& sql, const std::shared_ptr<data::Connection>& cn,
                                              int32_t cursorType) {
  auto rs = data::Recordset::New();
  rs->SetCursorLocation(data::kUseServer);
  rs->Open(sql, cn, cursorType, data::kLockOptimistic);
  return rs;
}

}  // namespace product
}  // namespace quarvel
