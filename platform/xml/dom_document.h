// DOMDocument ("MSXML2.DOMDocument"): loads a document from text, a URL or
// a file of the download folder, selects its nodes, validates it against a
// schema cache and saves it. Loads are synchronous whatever `async` says.
//
// dom_document.cpp: properties, loading and the node members of the
// document; document_save.cpp: `save`.
#pragma once

#include <string>

#include "platform/xml/dom_node.h"
#include "platform/xml/xml_tree.h"
#include "runtime/object.h"

namespace msxml {

class DOMDocument : public rt::Object {
 public:
  DOMDocument();
  const rt::DispatchTable* Dispatch() const override;

  // --- properties ---
  bool get_async() const { return async_; }
  void put_async(bool value) { async_ = value; }
  // "ServerHTTPRequest" (URLs are always fetched by the server's own HTTP
  // client) and "SelectionLanguage" (always XPath 1.0); any other name: 5.
  void setProperty(const std::string& name, const rt::Variant& value);
  rt::Variant get_schemas() const;
  void put_schemas(const rt::Variant& cache);

  // --- loading: False on failure, with the document emptied ---
  bool load(const std::string& location);
  // The text is UTF-8 whatever it declares; taken as the caller's Variant so
  // that a large document is not copied on its way in.
  bool loadXML(const rt::Variant& text);
  rt::ObjectPtr parseError() const;

  // --- the tree ---
  rt::ObjectPtr documentElement() const;
  rt::ObjectPtr getElementsByTagName(const std::string& name) const;
  rt::ObjectPtr selectNodes(const std::string& expression) const;
  rt::ObjectPtr childNodes() const { return AsNode().childNodes(); }
  bool hasChildNodes() const { return AsNode().hasChildNodes(); }
  std::string nodeName() const { return "#document"; }
  int32_t nodeType() const { return kDocumentNode; }
  std::string text() const { return AsNode().text(); }
  rt::Variant nodeTypedValue() const { return AsNode().nodeTypedValue(); }
  rt::ObjectPtr parentNode() const { return nullptr; }
  rt::ObjectPtr removeChild(const rt::ObjectPtr& child) { return AsNode().removeChild(child); }

  // --- validation and saving ---
  rt::ObjectPtr validate() const;
  // Writes UTF-8 with the declaration, a line break, the tree as it is and
  // a line break, through a temporary file renamed into place.
  void save(const std::string& destination) const;

 private:
  DomNode AsNode() const { return DomNode(tree_, reinterpret_cast<xmlNodePtr>(tree_->doc())); }
  bool Parsed(std::string_view bytes, bool honourDeclaredEncoding);

  bool async_ = true;
  TreeRef tree_;
  int32_t errorCode_ = 0;
  std::string reason_;
  rt::ObjectPtr schemas_;
};

}  // namespace msxml
