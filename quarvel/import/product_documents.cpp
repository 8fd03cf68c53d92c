// ProductXML: loading product documents and reading products from them:
// the part numbers a document holds and the values of one product.
#include "common/method_error.h"
#include "quarvel/import/import_xml.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_calls.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace productxml;

namespace {

constexpr int32_t kElementNode = 1;
constexpr int32_t kGtinLength = 14;

}  // namespace

std::unique_ptr<ProductDocument> ProductXML::getProductNodeList(const std::string& iStringOrUrl, bool iIsUrl) {
  try {
    rt::ObjectPtr document = import::NewImportDocument();
    if (!import::LoadImportDocument(document, iStringOrUrl, iIsUrl))
      rt::Raise(import::kUnableToLoadXml, Source("getProductNodeList"), import::kUnableToLoadXmlText);
    return std::make_unique<ProductDocument>(std::move(document));
  } catch (...) {
    HandleMethodError(Source("getProductNodeList"));
  }
  return nullptr;
}

rt::ObjectPtr ProductXML::getProductNodes(ProductDocument& document, const std::string& partNumber) {
  try {
    return document.First(partNumber);
  } catch (...) {
    HandleMethodError(Source("getProductNodes"));
  }
  return nullptr;
}

// Children that are no elements (text, comments) are passed over; a name
// met again keeps its first place and takes the later value. A
// MULTIPLEBUYERSEPARATOR sets the object's separator as it is read, so
// that the buyer lists of this and later products split at it.
std::shared_ptr<rt::Dictionary> ProductXML::ProductValuesOf(const rt::ObjectPtr& element, Naming naming) {
  auto values = rt::NewDictionary();
  if (!element) return values;
  for (const rt::ObjectPtr& child : import::ListItems(element->GetProperty("childNodes").AsObject())) {
    if (rt::CLng(child->GetProperty("nodeType")) != kElementNode) continue;
    std::string name = rt::CStr(child->GetProperty("nodeName"));
    if (naming != Naming::kAsWritten) name = rt::UCase(name);
    if (name == "UNIT") name = "UNITCODE";
    rt::Variant value = child->GetProperty("nodeTypedValue");
    if (naming == Naming::kUpperCasePadded && name == "GTIN") {
      const std::string gtin = rt::CStr(value);
      const int32_t length = rt::Len(gtin);
      if (length > 0 && length < kGtinLength) value = rt::Variant(std::string(kGtinLength - length, '0') + gtin);
    }
    if (name == kSeparatorField) separator_ = rt::CStr(value);
    values->SetItem(rt::Variant(name), value);
  }
  return values;
}

std::shared_ptr<rt::Dictionary> ProductXML::readOneProductFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                                  const std::string& iBuyFromPartNr) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  LazyDocument document{iStringOrUrl, iIsUrl, nullptr};
  return ReadProduct(document, iBuyFromPartNr);
}

// The public reader's steps, on a document that the calls of one list load
// once.
std::shared_ptr<rt::Dictionary> ProductXML::ReadProduct(LazyDocument& document, const std::string& partNumber) {
  try {
    if (!document.loaded) document.loaded = getProductNodeList(document.textOrUrl, document.isUrl);
    return ProductValuesOf(getProductNodes(*document.loaded, partNumber), Naming::kUpperCasePadded);
  } catch (...) {
    HandleMethodError(Source("readOneProductFromXML"));
  }
  return nullptr;
}

// GTIN is not padded here.
std::shared_ptr<rt::Dictionary> ProductXML::readOneProductFromXML2(const rt::ObjectPtr& element) {
  try {
    return ProductValuesOf(element, Naming::kUpperCase);
  } catch (...) {
    HandleMethodError(Source("readOneProductFromXML2"));
  }
  return nullptr;
}

std::shared_ptr<rt::Collection> ProductXML::readBFPartNumbersFromXML(const std::string& iStringOrUrl, bool iIsUrl) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  try {
    std::unique_ptr<ProductDocument> document = getProductNodeList(iStringOrUrl, iIsUrl);
    auto partNumbers = std::make_shared<rt::Collection>();
    for (const ProductDocument::Element& element : document->Elements()) {
      if (!rt::CBool(element.node->Call("hasChildNodes"))) continue;
      partNumbers->Add(rt::Variant(PartNumberOf(element)));
    }
    return partNumbers;
  } catch (...) {
    HandleMethodError(Source("readBFPartNumbersFromXML"));
  }
  return nullptr;
}

}  // namespace quarvel
