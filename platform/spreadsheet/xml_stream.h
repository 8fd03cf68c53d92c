// XmlStream: walks one XML part of a package node by node with libxml2's
// reader, safely: no DTD, no entity expansion, no network, default size
// limits. A document type declaration refuses the workbook.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct _xmlTextReader;
struct _xmlError;

namespace spreadsheet {

class XmlStream {
 public:
  enum class Node { Start, End, Text, Other };

  // `text` must outlive the stream; `part` names it in failures.
  XmlStream(const std::string& text, std::string part);
  ~XmlStream();
  XmlStream(const XmlStream&) = delete;
  XmlStream& operator=(const XmlStream&) = delete;

  // Moves to the next node; false at the end. Throws OpenFailure on a
  // malformed part or a document type declaration. An empty element
  // (<c/>) gives a Start and then an End of its own.
  bool Next();
  Node Kind() const { return kind_; }
  // The element's name without its prefix.
  std::string_view Name() const;
  // A text node's characters, blanks included.
  std::string Text() const;
  // An attribute of the current element by its name without prefix; when
  // `qualified`, only one that has a namespace (r:id).
  std::optional<std::string> Attribute(std::string_view name, bool qualified = false);

  [[noreturn]] void Fail(const std::string& what) const;

 private:
  ::_xmlTextReader* reader_ = nullptr;
  std::string part_;
  std::string firstError_;
  Node kind_ = Node::Other;
  bool pendingEnd_ = false;

  static void OnError(void* self, ::_xmlError* error);
};

}  // namespace spreadsheet
