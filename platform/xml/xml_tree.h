// XmlTree: one parsed libxml2 document shared by the DOM document and by
// every node and list handed out from it, so that these stay usable after the
// document object loads another text or goes away.
#pragma once

#include <libxml/tree.h>

#include <memory>
#include <string>
#include <vector>

namespace msxml {

class XmlTree {
 public:
  // Takes ownership of `doc`; null makes an empty document.
  explicit XmlTree(xmlDocPtr doc);
  ~XmlTree();
  XmlTree(const XmlTree&) = delete;
  XmlTree& operator=(const XmlTree&) = delete;

  xmlDocPtr doc() const { return doc_; }
  xmlNodePtr Root() const { return xmlDocGetRootElement(doc_); }

  // Takes a node out of the tree. It is kept, not freed: wrappers of it and
  // of its descendants may still be held, and a list taken before the
  // removal still holds it.
  void Detach(xmlNodePtr node);

 private:
  xmlDocPtr doc_;
  std::vector<xmlNodePtr> detached_;
};

using TreeRef = std::shared_ptr<XmlTree>;

// Raises a failure of this library (0x80004005) named after the calling
// component, as errors of the platform's parser reach VB code.
[[noreturn]] void RaiseXmlError(std::string description);

// Whitespace as XML counts it: blank, tab, carriage return, line feed.
inline bool IsXmlBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace msxml
