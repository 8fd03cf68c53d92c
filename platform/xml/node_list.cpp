// NodeList and NamedNodeMap: items by position or name, and For Each.
#include "platform/xml/node_list.h"

#include "platform/xml/dom_node.h"
#include "runtime/dispatch.h"

namespace msxml {

const rt::DispatchTable* NodeList::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<NodeList>("IXMLDOMNodeList")
                                             .Get("length", &NodeList::length)
                                             .Method("item", &NodeList::item)
                                             .Method("_NewEnum", &NodeList::NewEnum)
                                             .Default("item")
                                             .Build();
  return &table;
}

rt::ObjectPtr NodeList::item(int32_t index) const {
  if (index < 0 || index >= length()) return nullptr;
  return WrapNode(tree_, nodes_[static_cast<size_t>(index)]);
}

rt::Variant NodeList::NewEnum() const {
  std::vector<rt::Variant> items;
  items.reserve(nodes_.size());
  for (xmlNodePtr node : nodes_) items.emplace_back(WrapNode(tree_, node));
  return rt::Variant(rt::SafeArray::From(std::move(items)));
}

const rt::DispatchTable* NamedNodeMap::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<NamedNodeMap>("IXMLDOMNamedNodeMap")
          .Method("getNamedItem", &NamedNodeMap::getNamedItem)
          .Build();
  return &table;
}

}  // namespace msxml
