// Loading the imports' documents and walking their node lists.
#include "quarvel/import/import_xml.h"

#include "runtime/registry.h"

namespace quarvel::import {

rt::ObjectPtr NewImportDocument() {
  rt::ObjectPtr document = rt::CreateObject("MSXML2.DOMDocument");
  document->LetProperty("async", rt::Variant(false));
  document->Call("setProperty", {rt::Variant("ServerHTTPRequest"), rt::Variant(true)});
  return document;
}

bool LoadImportDocument(const rt::ObjectPtr& document, const std::string& textOrUrl, bool isUrl) {
  return rt::CBool(document->Call(isUrl ? "load" : "loadXML", {rt::Variant(textOrUrl)}));
}

std::vector<rt::ObjectPtr> ListItems(const rt::ObjectPtr& list) {
  const rt::Variant items = list->Call("_NewEnum");
  const rt::SafeArray& array = items.AsArray();
  std::vector<rt::ObjectPtr> nodes;
  nodes.reserve(array.data.size());
  for (const rt::Variant& item : array.data) nodes.push_back(item.AsObject());
  return nodes;
}

bool InDocument(const rt::ObjectPtr& node) {
  constexpr int32_t kDocumentNode = 9;
  for (rt::Variant parent = node->GetProperty("parentNode"); !parent.IsNothing();
       parent = parent.AsObject()->GetProperty("parentNode")) {
    if (rt::CLng(parent.AsObject()->GetProperty("nodeType")) == kDocumentNode) return true;
  }
  return false;
}

}  // namespace quarvel::import
