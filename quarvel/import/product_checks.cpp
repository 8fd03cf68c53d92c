// ProductXML: the checks of one product's values against the catalog and
// the master data, reported field by field. Nothing stored changes; a
// MULTIPLEBUYERSEPARATOR sets the object's separator, valid or not.
#include <vector>

#include "common/method_error.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"
#include "quarvel/services/util.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace productxml;

namespace {

constexpr const char* kText = "STRING";

}  // namespace

// Fields come in the dictionary's order, each reported once under its key
// with its value as read; then the mandatory fields that are missing or
// empty, with "". A check reads the other half of a contract line without
// adding it to the product.
std::shared_ptr<rt::Dictionary> ProductXML::getErrorFields(rt::Dictionary& productValues) {
  std::shared_ptr<rt::Dictionary> errors;
  try {
    if (productValues.Count() > kMostEntries) rt::RaiseVb(rt::vberr::kOverflow);
    errors = rt::NewDictionary();
    if (productValues.Count() > 0) UnspscImplemented();
    const std::vector<rt::Dictionary::Entry> fields(productValues.Entries().begin(), productValues.Entries().end());
    for (const rt::Dictionary::Entry& field : fields) {
      const std::string name = rt::UCase(rt::CStr(field.key));
      const rt::Variant& value = field.item;
      bool valid = true;
      if (name == "BUYERID") {
        // Each id in order; the first that is no buyer ends the test.
        for (const std::string& piece : ListEntries(rt::CStr(value), EffectiveSeparator())) {
          const std::string id = rt::Trim(piece);
          if (id.empty()) continue;
          if (!IsBuyer(id)) {
            valid = false;
            break;
          }
        }
      } else if (name == "COMMODITYCODE") {
        valid = Exists("COMMODITY", {"COMMODITYCODE"}, {value}, {kText});
      } else if (name == "UNITCODE") {
        const bool byDescription = Exists("UNIT", {"UNITDESCRIPTION"}, {value}, {kText});
        const bool byCode = Exists("UNIT", {"UNITCODE"}, {value}, {kText});
        valid = byDescription || byCode;
      } else if (name == "CONTRACTCODE") {
        const rt::Variant* number = productValues.Find(rt::Variant("NUMBER"));
        valid = number && ContractLineExists(value, *number);
      } else if (name == "NUMBER") {
        const rt::Variant* code = productValues.Find(rt::Variant("CONTRACTCODE"));
        valid = code && ContractLineExists(*code, value);
      } else if (name == "BUSINESSID") {
        valid = PartnerIdOf(rt::CStr(value)) != -1;
      } else if (name == "PRODUCTEFFECTIVITYDATE" || name == "PRODUCTEXPIRYDATE") {
        valid = IsValidUSDate(rt::CStr(value));
      } else if (IsOneOf(name, {"MINORDERQTY", "MULTIPLEOF", "GTIN", "LOTSIZE", "DELIVERYLEADTIME"})) {
        valid = rt::IsNumeric(value);
      } else if (name == "MULTIPLEBUYER") {
        valid = IsZeroOrOne(value);
      } else if (name == kSeparatorField) {
        separator_ = rt::CStr(value);
        valid = IsOneOf(separator_, {"\\", "/", "\"", ";", ","});
      } else if (name == "UNSPSCCODE") {
        valid = !UnspscImplemented() || UnspscPairExists(rt::CStr(value));
      } else if (name == "CLASSCODE") {
        valid = Exists("HAZARDOUSCLASS", {"CLASSCODE"}, {value}, {kText});
      }
      if (!valid && !errors->Exists(field.key)) errors->Add(field.key, value);
    }
    for (const char* mandatory : {"PRODUCTDESCRIPTION", "PARTNUMBER", "UNITCODE"}) {
      const rt::Variant key(mandatory);
      const rt::Variant* value = productValues.Find(key);
      if ((!value || rt::Concat(*value).empty()) && !errors->Exists(key)) errors->Add(key, rt::Variant(""));
    }
    return errors;
  } catch (...) {
    HandleMethodError(Source("getErrorFields"), [&] { errors.reset(); });
  }
  return nullptr;
}

bool ProductXML::isValidProduct(rt::Dictionary& productValues) { return getErrorFields(productValues)->Count() == 0; }

}  // namespace quarvel
