// PriceXML: the checked list of a document's part numbers and the error
// report of one part number's price lines.
#include <unordered_map>

#include "common/method_error.h"
#include "quarvel/import/price_xml.h"
#include "quarvel/import/price_xml_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace pricexml;

namespace {

// One price element of a known product, as the checked list records it.
struct CheckedElement {
  std::string partNumber;
  std::string description;
  bool valid = false;
};

}  // namespace

std::shared_ptr<rt::Dictionary> PriceXML::GetCheckedPriceList(const std::string& iStringOrUrl, bool& iIsUrl) {
  rt::ContextScope scope(*this);
  try {
    const rt::ObjectPtr elements = getPriceNodeList(iStringOrUrl, iIsUrl);
    const int32_t count = rt::CLng(elements->GetProperty("length"));
    auto checked = rt::NewDictionary();
    if (count == 0) return checked;
    // The walk counts in 16 bits.
    if (count > kMostPriceElements) rt::RaiseVb(rt::vberr::kOverflow);
    ReadCurrencies();

    // A part number's description is asked once a call.
    std::unordered_map<std::string, std::string> descriptions;
    std::vector<CheckedElement> recorded;
    for (const rt::ObjectPtr& element : ListItems(elements)) {
      if (!rt::CBool(element->Call("hasChildNodes"))) continue;
      const rt::Variant attribute = element->Call("getAttribute", {rt::Variant(kPartNumberAttribute)});
      if (attribute.IsNull()) rt::RaiseVb(rt::vberr::kObjectNotSet);
      const std::string partNumber = rt::CStr(attribute);
      auto known = descriptions.find(partNumber);
      if (known == descriptions.end())
        known = descriptions.emplace(partNumber, rt::CStr(getProductNameOrID(partNumber, true))).first;
      if (known->second.empty()) continue;
      std::shared_ptr<rt::Dictionary> priceValues = PriceValuesOf(element->GetProperty("childNodes").AsObject());
      recorded.push_back({partNumber, known->second, isValidPrice(*priceValues)});
    }

    // A part number met again moves to the end, valid only if all its lines are.
    for (const CheckedElement& e : recorded) {
      const rt::Variant key(e.partNumber);
      bool valid = e.valid;
      if (const rt::Variant* earlier = checked->Find(key)) {
        auto entry = std::dynamic_pointer_cast<rt::Collection>(earlier->AsObject());
        valid = rt::CBool(entry->Item(rt::Variant(int32_t{3}))) && valid;
        checked->Remove(key);
      }
      auto entry = std::make_shared<rt::Collection>();
      entry->Add(rt::Variant(e.partNumber));
      entry->Add(rt::Variant(e.description));
      entry->Add(rt::Variant(valid));
      checked->Add(key, rt::Variant(rt::ObjectPtr(entry)));
    }
    return checked;
  } catch (...) {
    HandleMethodError(Source("GetCheckedPriceList"));
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> PriceXML::GetErrorsInPriceValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                                 const std::string& iBuyFromPartNr) {
  rt::ContextScope scope(*this);
  try {
    std::shared_ptr<rt::Dictionary> prices = readProductPriceFromXML(iStringOrUrl, iIsUrl, iBuyFromPartNr);
    auto report = rt::NewDictionary();
    for (const rt::Dictionary::Entry& entry : prices->Entries()) {
      auto priceValues = std::dynamic_pointer_cast<rt::Dictionary>(entry.item.AsObject());
      report->Add(entry.key, rt::Variant(getErrorFields(*priceValues)));
    }
    return report;
  } catch (...) {
    HandleMethodError(Source("GetErrorsInPriceValues"));
  }
  return nullptr;
}

}  // namespace quarvel
