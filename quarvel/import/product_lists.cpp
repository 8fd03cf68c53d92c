// ProductXML: the checked lists of a document's products and the error
// report of one product.
#include <unordered_map>

#include "common/method_error.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_calls.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace productxml;

namespace {

std::shared_ptr<rt::Collection> CheckedEntry(const std::string& partNumber, const std::string& description,
                                             bool valid) {
  auto entry = std::make_shared<rt::Collection>();
  entry->Add(rt::Variant(partNumber));
  entry->Add(rt::Variant(description));
  entry->Add(rt::Variant(valid));
  return entry;
}

}  // namespace

std::shared_ptr<rt::Dictionary> ProductXML::getErrorsInProductValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                                     const std::string& iBuyFromPartNr) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  try {
    std::shared_ptr<rt::Dictionary> product = readOneProductFromXML(iStringOrUrl, iIsUrl, iBuyFromPartNr);
    return getErrorFields(*product);
  } catch (...) {
    HandleMethodError(Source("getErrorsInProductValues"));
  }
  return nullptr;
}

// The products the catalog knows, in document order, with the catalog's
// description. Element names stay as written (only "UNIT" is read as
// UNITCODE), so a field in another letter case is no field the checks know.
std::shared_ptr<rt::Collection> ProductXML::GetCheckedProductUpdateList(const std::string& iStringOrUrl,
                                                                        bool& iIsUrl) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  try {
    std::unique_ptr<ProductDocument> document = getProductNodeList(iStringOrUrl, iIsUrl);
    auto list = std::make_shared<rt::Collection>();
    // A part number's description is asked once a call.
    std::unordered_map<std::string, rt::Variant> descriptions;
    for (const ProductDocument::Element& element : document->Elements()) {
      if (!rt::CBool(element.node->Call("hasChildNodes"))) continue;
      const std::string partNumber = PartNumberOf(element);
      auto known = descriptions.find(partNumber);
      if (known == descriptions.end()) known = descriptions.emplace(partNumber, getProductName(partNumber)).first;
      if (known->second.IsNull()) continue;
      std::shared_ptr<rt::Dictionary> product = ProductValuesOf(element.node, Naming::kAsWritten);
      list->Add(rt::Variant(CheckedEntry(partNumber, rt::CStr(known->second), isValidProduct(*product))));
    }
    return list;
  } catch (...) {
    HandleMethodError(Source("GetCheckedProductUpdateList"));
  }
  return nullptr;
}

// Every product of the document, known or not, with the document's own
// description.
std::shared_ptr<rt::Collection> ProductXML::GetCheckedProductInsertList(const std::string& iStringOrUrl,
                                                                        bool& iIsUrl) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  try {
    std::unique_ptr<ProductDocument> document = getProductNodeList(iStringOrUrl, iIsUrl);
    auto list = std::make_shared<rt::Collection>();
    for (const ProductDocument::Element& element : document->Elements()) {
      if (!rt::CBool(element.node->Call("hasChildNodes"))) continue;
      const std::string partNumber = PartNumberOf(element);
      std::shared_ptr<rt::Dictionary> product = ProductValuesOf(element.node, Naming::kUpperCase);
      const rt::Variant* description = product->Find(rt::Variant("PRODUCTDESCRIPTION"));
      const std::string text = description ? rt::Concat(*description) : std::string();
      list->Add(rt::Variant(CheckedEntry(partNumber, text, isValidProduct(*product))));
    }
    return list;
  } catch (...) {
    HandleMethodError(Source("GetCheckedProductInsertList"));
  }
  return nullptr;
}

}  // namespace quarvel
