// PriceXML: loading price documents and reading the price lines of one part
// number from them.
#include "common/method_error.h"
#include "quarvel/import/price_xml.h"
#include "quarvel/import/price_xml_common.h"
#include "quarvel/services/util.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace quarvel {

namespace pricexml {

std::shared_ptr<rt::Dictionary> PriceValuesOf(const rt::ObjectPtr& childNodes) {
  auto values = rt::NewDictionary();
  for (const rt::ObjectPtr& child : ListItems(childNodes)) {
    if (rt::CLng(child->GetProperty("nodeType")) != 1) continue;
    values->Add(child->GetProperty("nodeName"), child->GetProperty("nodeTypedValue"));
  }
  return values;
}

rt::Variant ReadUSDate(const rt::Variant& value) {
  if (value.IsEmpty()) return rt::Variant(rt::Date{0});
  return ParsedDate(rt::CStr(value), 1033);
}

}  // namespace pricexml

using namespace pricexml;

rt::ObjectPtr PriceXML::getPriceNodeList(const std::string& iStringOrUrl, bool iIsUrl) {
  try {
    rt::ObjectPtr document = import::NewImportDocument();
    if (!import::LoadImportDocument(document, iStringOrUrl, iIsUrl))
      rt::Raise(kUnableToLoadXml, Source("getPriceNodeList"), kUnableToLoadXmlText);
    // The list keeps the document alive.
    return document->Call("getElementsByTagName", {rt::Variant(kPriceElement)}).AsObject();
  } catch (...) {
    HandleMethodError(Source("getPriceNodeList"));
  }
  return nullptr;
}

// Every element is walked, so one without the attribute fails the call
// (Object variable not set, 91) whichever part number is asked for; the
// counter is 16-bit, so a document of more elements fails (Overflow, 6)
// before any is read.
std::shared_ptr<rt::Dictionary> PriceXML::getPriceNodes(const rt::ObjectPtr& elements, const std::string& partNumber) {
  try {
    if (rt::CLng(elements->GetProperty("length")) > kMostPriceElements) rt::RaiseVb(rt::vberr::kOverflow);
    auto nodes = rt::NewDictionary();
    int32_t n = 0;
    for (const rt::ObjectPtr& element : ListItems(elements)) {
      const rt::Variant attribute = element->Call("getAttribute", {rt::Variant(kPartNumberAttribute)});
      if (attribute.IsNull()) rt::RaiseVb(rt::vberr::kObjectNotSet);
      if (rt::CStr(attribute) != partNumber) continue;
      nodes->Add(rt::Variant("PRICE " + std::to_string(++n)), element->GetProperty("childNodes"));
    }
    return nodes;
  } catch (...) {
    HandleMethodError(Source("getPriceNodes"));
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> PriceXML::readProductPriceFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                                  const std::string& iBuyFromPartNr) {
  rt::ContextScope scope(*this);
  try {
    std::shared_ptr<rt::Dictionary> nodes = getPriceNodes(getPriceNodeList(iStringOrUrl, iIsUrl), iBuyFromPartNr);
    auto prices = rt::NewDictionary();
    for (const rt::Dictionary::Entry& entry : nodes->Entries())
      prices->Add(entry.key, rt::Variant(PriceValuesOf(entry.item.AsObject())));
    return prices;
  } catch (...) {
    HandleMethodError(Source("readProductPriceFromXML"));
  }
  return nullptr;
}

}  // namespace quarvel
