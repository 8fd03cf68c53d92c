// ProductXML: the checks of one product's values against the catalog and
// the master data, reported field by field. Nothing stored changes; a
// MULTIPLEBUYERSEPARATOR sets the object's separator, valid or not.
#include <vector>

#include "common/method_error.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/com_error.h"

namespace quarvel {

using namespace productxml;

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
      // The separator is the object's from here on, valid or not.
      if (name == kSeparatorField) separator_ = rt::CStr(value);
      const FieldRule* rule = FieldRuleOf(name);
      const bool valid = !rule || rule->valid(*this, productValues, value);
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
