// ProductXML: a validated product split into the values of PRODUCT's
// columns, which the row writers take, and the values of its properties,
// written as PRODUCTPROPVALUE rows. A property is found by name under the
// database's rule (COLOUR finds Colour); a name the catalog does not know
// becomes a new PROPERTY (text, external). Each value is fitted to its
// property's data type and stored as text.
#include <unordered_set>

#include "common/method_error.h"
#include "data/recordset.h"
#include "quarvel/import/product_writer.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"
#include "quarvel/services/util.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace productxml;

namespace {

constexpr int16_t kStringProperty = 1;
constexpr int16_t kNumberProperty = 2;
constexpr int16_t kEnumProperty = 3;
constexpr int16_t kDateProperty = 4;

constexpr const char* kPropertiesNamed =
    "SELECT PROPERTYID, DATATYPE FROM PROPERTY WHERE PROPERTYNAME = ? ORDER BY PROPERTYID";
constexpr const char* kInsertValue = "INSERT INTO PRODUCTPROPVALUE (PROPERTYID, PRODUCTID, VALUE) VALUES (?, ?, ?)";
constexpr const char* kUpdateValue = "UPDATE PRODUCTPROPVALUE SET VALUE = ? WHERE PROPERTYID = ? AND PRODUCTID = ?";
constexpr const char* kValueOfNamed =
    "SELECT PROPERTY.PROPERTYID, DATATYPE FROM PRODUCTPROPVALUE INNER JOIN PROPERTY ON "
    "PRODUCTPROPVALUE.PROPERTYID = PROPERTY.PROPERTYID WHERE PRODUCTPROPVALUE.PRODUCTID = ? AND "
    "PROPERTY.PROPERTYNAME = ? ORDER BY PROPERTY.PROPERTYID";

// The 28 keys of PRODUCT's columns that a product document may give.
const std::unordered_set<std::string>& ColumnKeys() {
  static const std::unordered_set<std::string> keys{
      "COMMODITYCODE", "UNITCODE",       "CONTRACTCODE",  "NUMBER",     "BUSINESSPARTNERID", "PRODUCTDESCRIPTION",
      "PRODUCTREMARK", "IMAGEFILENAME",  "TECHNICALIMAGE", "URL",       "PRODUCTXML",        "BUYFROMCONTACTEMAIL",
      "PRODUCTEFFECTIVITYDATE",          "PRODUCTEXPIRYDATE",           "BUYFROMCONTACTINFO", "CLASSIFICATION",
      "MULTIPLEOF",    "MINORDERQTY",    "USERID",        "PARTNUMBER", "UNSPSCCODE",        "GTIN",
      "DISABLED",      "MULTIPLEBUYER",  "MFRPARTNUMBER", "LOTSIZE",    "DELIVERYLEADTIME",  "CLASSCODE"};
  return keys;
}

// The value a property of the data type stores (as text).
std::string formatPropertyValue(const rt::Variant& value, int16_t dataType) {
  if (value.IsNull()) return "";
  switch (dataType) {
    case kStringProperty:
    case kEnumProperty: return rt::CStr(value);
    case kNumberProperty: return rt::IsNumeric(value) ? rt::CStr(value) : "";
    case kDateProperty: return IsValidUSDate(rt::CStr(value)) ? rt::CStr(value) : "";
    default: return "";
  }
}

bool IsSeparatorField(const rt::Variant& name) { return rt::UCase(rt::CStr(name)) == kSeparatorField; }

void NamesAndValues(const rt::Dictionary& columns, std::vector<std::string>& names, std::vector<rt::Variant>& values) {
  for (const rt::Dictionary::Entry& entry : columns.Entries()) {
    names.push_back(rt::CStr(entry.key));
    values.push_back(entry.item);
  }
}

}  // namespace

std::shared_ptr<rt::Dictionary> ProductXML::extractProductColumnValues(rt::Dictionary& productValues) {
  auto columns = rt::NewDictionary();
  const std::vector<rt::Dictionary::Entry> fields(productValues.Entries().begin(), productValues.Entries().end());
  for (const rt::Dictionary::Entry& field : fields) {
    if (!ColumnKeys().count(rt::CStr(field.key))) continue;
    columns->Add(field.key, field.item);
    productValues.Remove(field.key);
  }
  return columns;
}

int32_t ProductXML::insertProductValues(rt::Dictionary& columnValues, const std::string& partNumber) {
  try {
    columnValues.Add(rt::Variant("BUYFROMPARTNUMBER"), rt::Variant(partNumber));
    std::vector<std::string> names;
    std::vector<rt::Variant> values;
    NamesAndValues(columnValues, names, values);
    return Insert20(names, std::move(values));
  } catch (...) {
    HandleMethodError(Source("insertProductValues"));
  }
  return -1;
}

// BUYFROMPARTNUMBER, by which the product was found, is not changed.
void ProductXML::updateProductValues(rt::Dictionary& columnValues, const std::string& partNumber) {
  try {
    if (columnValues.Count() == 0) return;
    const std::optional<int32_t> productId = ProductIdOf(partNumber);
    if (!productId) return;
    std::vector<std::string> names;
    std::vector<rt::Variant> values;
    NamesAndValues(columnValues, names, values);
    Update20(*productId, names, std::move(values));
  } catch (...) {
    HandleMethodError(Source("updateProductValues"));
  }
}

// A product that the row writer refused (-1) gets no property values.
void ProductXML::insertProductProperties(rt::Dictionary& propertyValues, int32_t productId) {
  try {
    if (productId == -1) return;
    if (propertyValues.Count() > kMostEntries) rt::RaiseVb(rt::vberr::kOverflow);
    for (const rt::Dictionary::Entry& entry : propertyValues.Entries()) {
      if (IsSeparatorField(entry.key)) continue;
      const std::vector<CallMemo::Property>& named = PropertiesNamed(rt::CStr(entry.key));
      const CallMemo::Property property = named.empty() ? CreateProperty(rt::CStr(entry.key)) : named.front();
      writer_->Write(kInsertValue, {rt::Variant(property.id), rt::Variant(productId),
                                    rt::Variant(formatPropertyValue(entry.item, property.dataType))});
    }
  } catch (...) {
    HandleMethodError(Source("insertProductProperties"));
  }
}

// A value the product has is replaced, whatever the property's EXTERNAL
// flag; one it lacks is added; its other values stay. A part number that
// no product has fails here, before anything is written.
void ProductXML::updateProductProperties(rt::Dictionary& propertyValues, const std::string& partNumber) {
  try {
    const std::optional<int32_t> found = ProductIdOf(partNumber);
    if (!found) rt::Raise(kProductNotFound, Source("updateProductProperties"), kProductNotPresent);
    const rt::Variant productId(*found);
    if (propertyValues.Count() > kMostEntries) rt::RaiseVb(rt::vberr::kOverflow);
    for (const rt::Dictionary::Entry& entry : propertyValues.Entries()) {
      if (IsSeparatorField(entry.key)) continue;
      const std::string name = rt::CStr(entry.key);
      const std::vector<CallMemo::Property>& named = PropertiesNamed(name);
      if (named.size() == 1) {
        const CallMemo::Property property = named.front();
        const rt::Variant value(formatPropertyValue(entry.item, property.dataType));
        if (writer_->Write(kUpdateValue, {value, rt::Variant(property.id), productId}) == 0)
          writer_->Write(kInsertValue, {rt::Variant(property.id), productId, value});
        continue;
      }
      // Several properties of the name: the one the product has a value of.
      if (named.size() > 1) {
        std::shared_ptr<data::Recordset> held = writer_->Query(kValueOfNamed, {productId, rt::Variant(name)});
        if (!held->Eof()) {
          const int32_t id = rt::CLng(held->Value("PROPERTYID"));
          writer_->Write(kUpdateValue, {rt::Variant(formatPropertyValue(entry.item, rt::CInt(held->Value("DATATYPE")))),
                                        rt::Variant(id), productId});
          continue;
        }
      }
      const CallMemo::Property property = named.empty() ? CreateProperty(name) : named.front();
      writer_->Write(kInsertValue, {rt::Variant(property.id), productId,
                                    rt::Variant(formatPropertyValue(entry.item, property.dataType))});
    }
  } catch (...) {
    HandleMethodError(Source("updateProductProperties"));
  }
}

const std::vector<CallMemo::Property>& ProductXML::PropertiesNamed(const std::string& name) {
  auto known = memo_->properties.find(name);
  if (known != memo_->properties.end()) return known->second;
  std::vector<CallMemo::Property> rows;
  std::shared_ptr<data::Recordset> rs = writer_->Query(kPropertiesNamed, {rt::Variant(name)});
  for (; !rs->Eof(); rs->MoveNext())
    rows.push_back({rt::CLng(rs->Value(int32_t{0})), rt::CInt(rs->Value(int32_t{1}))});
  return memo_->properties.emplace(name, std::move(rows)).first->second;
}

CallMemo::Property ProductXML::CreateProperty(const std::string& name) {
  data::Recordset& properties = writer_->Adder("PROPERTY");
  properties.AddNew();
  try {
    properties.SetValue("PROPERTYNAME", rt::Variant(name));
    properties.SetValue("DATATYPE", rt::Variant(kStringProperty));
    properties.SetValue("EXTERNAL", rt::Variant(true));
    properties.Update();
  } catch (...) {
    rt::TryResume([&] { properties.CancelUpdate(); });
    throw;
  }
  writer_->RowAdded();
  const CallMemo::Property property{rt::CLng(properties.Value("PROPERTYID")), kStringProperty};
  memo_->properties[name] = {property};
  return property;
}

}  // namespace quarvel
