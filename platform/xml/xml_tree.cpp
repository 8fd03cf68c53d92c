// XmlTree: ownership of a parsed document and of the nodes taken out of it.
#include "platform/xml/xml_tree.h"

#include "runtime/com_error.h"
#include "runtime/context.h"

namespace msxml {

XmlTree::XmlTree(xmlDocPtr doc) : doc_(doc ? doc : xmlNewDoc(BAD_CAST "1.0")) {}

XmlTree::~XmlTree() {
  // Detached nodes may hold names from the document's dictionary: they go
  // before the document does.
  for (xmlNodePtr node : detached_) xmlFreeNode(node);
  xmlFreeDoc(doc_);
}

void XmlTree::Detach(xmlNodePtr node) {
  xmlUnlinkNode(node);
  detached_.push_back(node);
}

void RaiseXmlError(std::string description) {
  rt::Raise(rt::hr::kFail, rt::CurrentComponentName(), std::move(description));
}

}  // namespace msxml
