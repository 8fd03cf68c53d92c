// DomNode: names, types, text, attributes, children and removal of one node.
#include "platform/xml/dom_node.h"

#include <cstring>

#include "platform/xml/node_list.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace msxml {
namespace {

constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057);

const char* Chars(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

// True when xml:space="preserve" holds at `node`: the nearest element, itself
// or above, that carries xml:space decides.
bool SpacePreserved(xmlNodePtr node) {
  for (xmlNodePtr n = node; n; n = n->parent) {
    if (n->type != XML_ELEMENT_NODE) continue;
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
      if (a->ns && xmlStrEqual(a->ns->href, XML_XML_NAMESPACE) &&
          xmlStrEqual(a->name, BAD_CAST "space")) {
        const xmlChar* value = a->children ? a->children->content : nullptr;
        if (xmlStrEqual(value, BAD_CAST "preserve")) return true;
        if (xmlStrEqual(value, BAD_CAST "default")) return false;
      }
    }
  }
  return false;
}

std::string TrimBlanks(std::string text) {
  size_t end = text.size();
  while (end > 0 && IsXmlBlank(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && IsXmlBlank(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}

// Text and CDATA content below `node`, in document order.
void AppendDescendantText(xmlNodePtr node, std::string& out) {
  for (xmlNodePtr child = node->children; child; child = child->next) {
    if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
      if (child->content) out += Chars(child->content);
    } else if (child->type == XML_ELEMENT_NODE) {
      AppendDescendantText(child, out);
    }
  }
}

std::string AttributeValue(xmlAttrPtr attribute) {
  xmlNodePtr value = attribute->children;
  if (value && !value->next && value->type == XML_TEXT_NODE) {
    return value->content ? Chars(value->content) : "";
  }
  std::string text;
  for (; value; value = value->next) {
    if (value->content) text += Chars(value->content);
  }
  return text;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, const std::string& name) {
  if (element->type != XML_ELEMENT_NODE) return nullptr;
  for (xmlAttrPtr a = element->properties; a; a = a->next) {
    if (HasQualifiedName(reinterpret_cast<xmlNodePtr>(a), name)) return a;
  }
  return nullptr;
}

}  // namespace

bool HasQualifiedName(xmlNodePtr node, const std::string& name) {
  const char* local = Chars(node->name);
  if (!local) return false;
  const char* prefix = node->ns && node->ns->prefix ? Chars(node->ns->prefix) : nullptr;
  if (!prefix) return name == local;
  size_t prefixLength = std::strlen(prefix);
  return name.size() > prefixLength && name.compare(0, prefixLength, prefix) == 0 &&
         name[prefixLength] == ':' && name.compare(prefixLength + 1, std::string::npos, local) == 0;
}

std::vector<xmlNodePtr> ElementsByTagName(xmlNodePtr node, const std::string& name) {
  std::vector<xmlNodePtr> found;
  bool all = name == "*";
  // A name without a prefix is compared as libxml2 keeps it, in one step.
  bool plain = name.find(':') == std::string::npos;
  const xmlChar* wanted = BAD_CAST name.c_str();
  auto matches = [&](xmlNodePtr element) {
    if (all) return true;
    if (plain) return !(element->ns && element->ns->prefix) && xmlStrEqual(element->name, wanted);
    return HasQualifiedName(element, name);
  };
  // Depth-first in document order without recursion.
  xmlNodePtr current = node->children;
  while (current) {
    if (current->type == XML_ELEMENT_NODE) {
      if (matches(current)) found.push_back(current);
      if (current->children) {
        current = current->children;
        continue;
      }
    }
    while (current && !current->next && current != node) current = current->parent;
    if (!current || current == node) break;
    current = current->next;
  }
  return found;
}

rt::ObjectPtr WrapNode(const TreeRef& tree, xmlNodePtr node) {
  if (!node) return nullptr;
  return std::make_shared<DomNode>(tree, node);
}

std::string DomNode::TypeName() const {
  switch (node_->type) {
    case XML_ELEMENT_NODE: return "IXMLDOMElement";
    case XML_ATTRIBUTE_NODE: return "IXMLDOMAttribute";
    case XML_TEXT_NODE: return "IXMLDOMText";
    case XML_CDATA_SECTION_NODE: return "IXMLDOMCDATASection";
    case XML_COMMENT_NODE: return "IXMLDOMComment";
    case XML_PI_NODE: return "IXMLDOMProcessingInstruction";
    default: return "IXMLDOMNode";
  }
}

const rt::DispatchTable* DomNode::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<DomNode>("IXMLDOMNode")
          .Get("nodeName", &DomNode::nodeName)
          .Get("nodeType", &DomNode::nodeType)
          .Get("text", &DomNode::text)
          .Get("nodeTypedValue", &DomNode::nodeTypedValue)
          .Get("childNodes", &DomNode::childNodes)
          .Method("hasChildNodes", &DomNode::hasChildNodes)
          .Get("parentNode", &DomNode::parentNode)
          .Method("getAttribute", &DomNode::getAttribute)
          .Get("attributes", &DomNode::attributes)
          .Method("removeChild", &DomNode::removeChild)
          .Method("getElementsByTagName", &DomNode::getElementsByTagName)
          .Method("selectNodes", &DomNode::selectNodes)
          .Build();
  return &table;
}

std::string DomNode::nodeName() const {
  switch (node_->type) {
    case XML_TEXT_NODE: return "#text";
    case XML_CDATA_SECTION_NODE: return "#cdata-section";
    case XML_COMMENT_NODE: return "#comment";
    case XML_DOCUMENT_NODE: return "#document";
    default: break;
  }
  std::string name;
  if (node_->ns && node_->ns->prefix &&
      (node_->type == XML_ELEMENT_NODE || node_->type == XML_ATTRIBUTE_NODE)) {
    name = Chars(node_->ns->prefix);
    name += ':';
  }
  if (node_->name) name += Chars(node_->name);
  return name;
}

int32_t DomNode::nodeType() const {
  switch (node_->type) {
    case XML_ELEMENT_NODE: return kElementNode;
    case XML_ATTRIBUTE_NODE: return kAttributeNode;
    case XML_TEXT_NODE: return kTextNode;
    case XML_CDATA_SECTION_NODE: return kCDataNode;
    case XML_PI_NODE: return kProcessingInstructionNode;
    case XML_COMMENT_NODE: return kCommentNode;
    default: return kDocumentNode;
  }
}

std::string DomNode::text() const {
  switch (node_->type) {
    case XML_ATTRIBUTE_NODE: return AttributeValue(reinterpret_cast<xmlAttrPtr>(node_));
    case XML_COMMENT_NODE:
    case XML_PI_NODE: return node_->content ? Chars(node_->content) : "";
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE: {
      std::string own = node_->content ? Chars(node_->content) : "";
      return SpacePreserved(node_->parent) ? own : TrimBlanks(std::move(own));
    }
    default: break;
  }
  std::string joined;
  AppendDescendantText(node_, joined);
  xmlNodePtr scope = node_->type == XML_DOCUMENT_NODE ? tree_->Root() : node_;
  return scope && SpacePreserved(scope) ? joined : TrimBlanks(std::move(joined));
}

rt::ObjectPtr DomNode::childNodes() const {
  std::vector<xmlNodePtr> children;
  if (node_->type != XML_ATTRIBUTE_NODE) {
    for (xmlNodePtr child = node_->children; child; child = child->next) children.push_back(child);
  }
  return std::make_shared<NodeList>(tree_, std::move(children));
}

bool DomNode::hasChildNodes() const {
  return node_->type != XML_ATTRIBUTE_NODE && node_->children != nullptr;
}

rt::ObjectPtr DomNode::parentNode() const {
  if (node_->type == XML_ATTRIBUTE_NODE) return nullptr;
  return WrapNode(tree_, node_->parent);
}

rt::Variant DomNode::getAttribute(const std::string& name) const {
  xmlAttrPtr attribute = FindAttribute(node_, name);
  return attribute ? rt::Variant(AttributeValue(attribute)) : rt::Variant::Null();
}

rt::Variant DomNode::attributes() const {
  if (node_->type != XML_ELEMENT_NODE) return rt::Variant::Null();
  return rt::Variant(rt::ObjectPtr(std::make_shared<NamedNodeMap>(tree_, node_)));
}

rt::ObjectPtr DomNode::removeChild(const rt::ObjectPtr& child) {
  if (!child) rt::RaiseVb(rt::vberr::kObjectNotSet);
  auto node = std::dynamic_pointer_cast<DomNode>(child);
  if (!node || node->tree_ != tree_ || node->node_->type == XML_ATTRIBUTE_NODE ||
      node->node_->parent != node_) {
    rt::Raise(kInvalidArgument, rt::CurrentComponentName(),
              "The node to remove is not a child of this node.");
  }
  tree_->Detach(node->node_);
  return child;
}

rt::ObjectPtr DomNode::getElementsByTagName(const std::string& name) const {
  return std::make_shared<NodeList>(tree_, ElementsByTagName(node_, name));
}

rt::ObjectPtr DomNode::selectNodes(const std::string& expression) const {
  return std::make_shared<NodeList>(tree_, SelectByXPath(tree_->doc(), node_, expression));
}

rt::ObjectPtr NamedNodeMap::getNamedItem(const std::string& name) const {
  return WrapNode(tree_, reinterpret_cast<xmlNodePtr>(FindAttribute(element_, name)));
}

}  // namespace msxml
