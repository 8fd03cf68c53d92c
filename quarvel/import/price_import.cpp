// PriceXML: the batch import. The document is loaded once and its price
// elements indexed by part number; each listed part number of a known
// product has its valid lines written and all its elements removed, until
// the budget is spent; what is left of the document becomes the rest file.
#include <unordered_map>

#include "common/method_error.h"
#include "quarvel/import/import_batch.h"
#include "quarvel/import/price_writer.h"
#include "quarvel/import/price_xml.h"
#include "quarvel/import/price_xml_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

namespace pricexml {

constexpr const char* kRestFileStem = "remaining_prices_";

// A batch's document with its price elements by part number (exactly as
// written), in document order. Elements without a part number are never
// selected and stay in the document.
class BatchDocument {
 public:
  explicit BatchDocument(rt::ObjectPtr document) : document_(std::move(document)) {}

  void Index(const rt::ObjectPtr& element, const std::string& partNumber) {
    elements_[partNumber].push_back(element);
  }
  // The part number's elements that are still in the document: an element
  // inside another one that was removed went with it.
  std::vector<rt::ObjectPtr> Elements(const std::string& partNumber) const {
    std::vector<rt::ObjectPtr> found;
    auto it = elements_.find(partNumber);
    if (it == elements_.end()) return found;
    for (const rt::ObjectPtr& element : it->second) {
      if (import::InDocument(element)) found.push_back(element);
    }
    return found;
  }
  // Takes the part number's elements out of the document.
  void Remove(const std::string& partNumber, const std::vector<rt::ObjectPtr>& elements) {
    for (const rt::ObjectPtr& element : elements)
      element->GetProperty("parentNode").AsObject()->Call("removeChild", {rt::Variant(element)});
    elements_.erase(partNumber);
  }
  bool ElementsLeft() const {
    rt::ObjectPtr left = document_->Call("getElementsByTagName", {rt::Variant(kPriceElement)}).AsObject();
    return rt::CLng(left->GetProperty("length")) > 0;
  }

 private:
  rt::ObjectPtr document_;
  std::unordered_map<std::string, std::vector<rt::ObjectPtr>> elements_;
};

}  // namespace pricexml

using namespace pricexml;

void PriceXML::UpdateInsertPricesFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs) {
  // The budget counts the loading of the document too.
  const double started = clock_();
  rt::ContextScope scope(*this);
  import::WriteGroup group;
  try {
    const import::BatchArgument argument = import::SplitBatchArgument(iStringOrUrl, kRestFileStem);
    const rt::ObjectPtr document = import::NewImportDocument();
    // A document that does not load is no empty one: it would count every
    // part number as handled and lose the rest file.
    if (!import::LoadImportDocument(document, argument.document, iIsUrl))
      rt::Raise(kUnableToLoadXml, Source("UpdateInsertPricesFromXML"), kUnableToLoadXmlText);
    std::unique_ptr<BatchDocument> prices = getPriceNodeList2(document);
    PriceWriter writer(group);
    const int32_t handled =
        import::RunWithinBudget(iBuyFromPartNrs, clock_, started, [&](const rt::Variant& entry) {
          updateInsertPriceFromXMLFile2(*prices, rt::CStr(entry), writer);
        });
    group.Commit();
    import::CutList(iBuyFromPartNrs, handled);
    import::RestFile(kRestFileStem, argument.prefix).Settle(document, prices->ElementsLeft());
  } catch (...) {
    HandleMethodError(Source("UpdateInsertPricesFromXML"), [&] { group.CommitAfterFailure(); });
  }
}

// "ProductPrice" as written, as the checks find the elements: a default
// namespace changes nothing.
std::unique_ptr<BatchDocument> PriceXML::getPriceNodeList2(const rt::ObjectPtr& document) {
  try {
    auto prices = std::make_unique<BatchDocument>(document);
    const rt::ObjectPtr list = document->Call("getElementsByTagName", {rt::Variant(kPriceElement)}).AsObject();
    for (const rt::ObjectPtr& element : ListItems(list)) {
      const rt::Variant partNumber = element->Call("getAttribute", {rt::Variant(kPartNumberAttribute)});
      if (!partNumber.IsNull()) prices->Index(element, rt::CStr(partNumber));
    }
    return prices;
  } catch (...) {
    HandleMethodError(Source("getPriceNodeList2"));
  }
  return nullptr;
}

// The part number is compared in code, never put into a selection path.
std::vector<rt::ObjectPtr> PriceXML::getPriceNodes2(BatchDocument& document, const std::string& partNumber) {
  try {
    return document.Elements(partNumber);
  } catch (...) {
    HandleMethodError(Source("getPriceNodes2"));
  }
  return {};
}

std::shared_ptr<rt::Dictionary> PriceXML::readProductPriceFromXML2(const std::vector<rt::ObjectPtr>& elements) {
  try {
    auto prices = rt::NewDictionary();
    int32_t n = 0;
    for (const rt::ObjectPtr& element : elements)
      prices->Add(rt::Variant("PRICE " + std::to_string(++n)),
                  rt::Variant(PriceValuesOf(element->GetProperty("childNodes").AsObject())));
    return prices;
  } catch (...) {
    HandleMethodError(Source("readProductPriceFromXML2"));
  }
  return nullptr;
}

void PriceXML::updateInsertPriceFromXMLFile2(BatchDocument& document, const std::string& partNumber,
                                             PriceWriter& writer) {
  try {
    // An unknown part number keeps its elements for the rest file.
    const rt::Variant productId = getProductNameOrID(partNumber, false);
    if (productId.IsNull()) return;
    const std::vector<rt::ObjectPtr> elements = getPriceNodes2(document, partNumber);
    std::shared_ptr<rt::Dictionary> prices = readProductPriceFromXML2(elements);
    for (const rt::Dictionary::Entry& entry : prices->Entries()) {
      auto line = std::dynamic_pointer_cast<rt::Dictionary>(entry.item.AsObject());
      const rt::Variant quantity(std::string("QuantityTo"));
      const rt::Variant* given = line->Find(quantity);
      if (!given || rt::Trim(rt::Concat(*given)).empty()) line->SetItem(quantity, rt::Variant("999999999"));
      // An invalid line is skipped without a word; the checks report it.
      if (!isValidPrice(*line)) continue;
      std::vector<std::string> names;
      std::vector<rt::Variant> values;
      for (const rt::Dictionary::Entry& value : line->Entries()) {
        names.push_back(rt::UCase(rt::CStr(value.key)));
        values.push_back(value.item);
      }
      // The key date as the checks read it: day 0 when the line has none.
      const rt::Date effective = rt::CDate(ReadUSDate(line->Item(rt::Variant("PriceEffectiveDate"))));
      writer.InsertUpdatePrice(rt::CLng(productId), effective, rt::CDbl(line->Item(quantity)), names, values);
    }
    document.Remove(partNumber, elements);
  } catch (...) {
    HandleMethodError(Source("updateInsertPriceFromXMLFile2"));
  }
}

}  // namespace quarvel
