// NodeList and NamedNodeMap: the lists a node hands out. A list is a
// snapshot taken when it was asked for: removing nodes while walking it
// skips none of them.
#pragma once

#include <string>
#include <vector>

#include "platform/xml/xml_tree.h"
#include "runtime/object.h"

namespace msxml {

class NodeList : public rt::Object {
 public:
  NodeList(TreeRef tree, std::vector<xmlNodePtr> nodes)
      : tree_(std::move(tree)), nodes_(std::move(nodes)) {}
  const rt::DispatchTable* Dispatch() const override;

  int32_t length() const { return static_cast<int32_t>(nodes_.size()); }
  rt::ObjectPtr item(int32_t index) const;  // Nothing out of range
  // For Each: the items in order, as a 0-based array.
  rt::Variant NewEnum() const;

 private:
  TreeRef tree_;
  std::vector<xmlNodePtr> nodes_;
};

// An element's attributes, looked up by name.
class NamedNodeMap : public rt::Object {
 public:
  NamedNodeMap(TreeRef tree, xmlNodePtr element) : tree_(std::move(tree)), element_(element) {}
  const rt::DispatchTable* Dispatch() const override;

  rt::ObjectPtr getNamedItem(const std::string& name) const;  // Nothing when absent

 private:
  TreeRef tree_;
  xmlNodePtr element_;
};

}  // namespace msxml
