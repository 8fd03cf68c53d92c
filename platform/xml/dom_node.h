// DomNode: one node of a parsed document (element, attribute, text, CDATA,
// comment, processing instruction, or the document itself), as late-bound
// callers see it. It holds its document, so it outlives the document object.
#pragma once

#include <string>
#include <vector>

#include "platform/xml/xml_tree.h"
#include "runtime/object.h"

namespace msxml {

// DOM node type numbers.
enum NodeType : int32_t {
  kElementNode = 1,
  kAttributeNode = 2,
  kTextNode = 3,
  kCDataNode = 4,
  kProcessingInstructionNode = 7,
  kCommentNode = 8,
  kDocumentNode = 9,
};

class DomNode : public rt::Object {
 public:
  DomNode(TreeRef tree, xmlNodePtr node) : tree_(std::move(tree)), node_(node) {}
  std::string TypeName() const override;
  const rt::DispatchTable* Dispatch() const override;

  std::string nodeName() const;
  int32_t nodeType() const;
  // Descendant text and CDATA joined, trimmed unless xml:space="preserve"
  // holds; an attribute's value as written.
  std::string text() const;
  rt::Variant nodeTypedValue() const { return rt::Variant(text()); }
  rt::ObjectPtr childNodes() const;
  bool hasChildNodes() const;
  rt::ObjectPtr parentNode() const;  // Nothing for a removed node or an attribute
  rt::Variant getAttribute(const std::string& name) const;  // Null when absent
  rt::Variant attributes() const;  // Null unless an element
  rt::ObjectPtr removeChild(const rt::ObjectPtr& child);
  rt::ObjectPtr getElementsByTagName(const std::string& name) const;  // exact or "*"
  rt::ObjectPtr selectNodes(const std::string& expression) const;     // XPath 1.0

  const TreeRef& tree() const { return tree_; }
  xmlNodePtr node() const { return node_; }

 private:
  TreeRef tree_;
  xmlNodePtr node_;
};

// A node's wrapper; Nothing for null.
rt::ObjectPtr WrapNode(const TreeRef& tree, xmlNodePtr node);

// The name as written in the document: "prefix:local" or "local".
bool HasQualifiedName(xmlNodePtr node, const std::string& name);

// The elements below `node` in document order whose name is `name` ("*": all).
std::vector<xmlNodePtr> ElementsByTagName(xmlNodePtr node, const std::string& name);

// The nodes an XPath 1.0 expression selects from `context`, in document
// order. An expression that does not compile or answers no node-set raises
// "Invalid XPath expression: <expression>".
std::vector<xmlNodePtr> SelectByXPath(xmlDocPtr doc, xmlNodePtr context,
                                      const std::string& expression);

}  // namespace msxml
