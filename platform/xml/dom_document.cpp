// DOMDocument: properties, loading, the document's node members, validation.
#include "platform/xml/dom_document.h"

#include "platform/xml/document_source.h"
#include "platform/xml/node_list.h"
#include "platform/xml/parse_error.h"
#include "platform/xml/schema_cache.h"
#include "platform/xml/secure_parser.h"
#include "runtime/com_error.h"
#include "runtime/dispatch.h"

namespace msxml {

DOMDocument::DOMDocument() : tree_(std::make_shared<XmlTree>(nullptr)) {}

const rt::DispatchTable* DOMDocument::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<DOMDocument>("DOMDocument")
          .Get("async", &DOMDocument::get_async)
          .Let("async", &DOMDocument::put_async)
          .Method("setProperty", &DOMDocument::setProperty)
          .Get("schemas", &DOMDocument::get_schemas)
          .Set("schemas", &DOMDocument::put_schemas)
          .Method("load", &DOMDocument::load)
          .Method("loadXML", &DOMDocument::loadXML)
          .Get("parseError", &DOMDocument::parseError)
          .Get("documentElement", &DOMDocument::documentElement)
          .Method("getElementsByTagName", &DOMDocument::getElementsByTagName)
          .Method("selectNodes", &DOMDocument::selectNodes)
          .Get("childNodes", &DOMDocument::childNodes)
          .Method("hasChildNodes", &DOMDocument::hasChildNodes)
          .Get("nodeName", &DOMDocument::nodeName)
          .Get("nodeType", &DOMDocument::nodeType)
          .Get("text", &DOMDocument::text)
          .Get("nodeTypedValue", &DOMDocument::nodeTypedValue)
          .Get("parentNode", &DOMDocument::parentNode)
          .Method("removeChild", &DOMDocument::removeChild)
          .Method("validate", &DOMDocument::validate)
          .Method("save", &DOMDocument::save)
          .Build();
  return &table;
}

// --- properties --------------------------------------------------------------

void DOMDocument::setProperty(const std::string& name, const rt::Variant&) {
  if (rt::TextCompare(name, "ServerHTTPRequest") == 0 ||
      rt::TextCompare(name, "SelectionLanguage") == 0) {
    return;
  }
  rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
}

rt::Variant DOMDocument::get_schemas() const {
  return schemas_ ? rt::Variant(schemas_) : rt::Variant();
}

void DOMDocument::put_schemas(const rt::Variant& cache) {
  if (cache.IsEmpty() || cache.IsNull() || cache.IsNothing()) {
    schemas_ = nullptr;
    return;
  }
  const rt::ObjectPtr& object = cache.AsObject();
  if (!std::dynamic_pointer_cast<XMLSchemaCache>(object)) rt::RaiseVb(rt::vberr::kTypeMismatch);
  schemas_ = object;
}

// --- loading -----------------------------------------------------------------

bool DOMDocument::Parsed(std::string_view bytes, bool honourDeclaredEncoding) {
  ParseOutcome outcome = ParseDocument(bytes, honourDeclaredEncoding);
  tree_ = std::make_shared<XmlTree>(outcome.doc);
  errorCode_ = outcome.doc ? 0 : kXmlFailure;
  reason_ = std::move(outcome.reason);
  return outcome.doc != nullptr;
}

bool DOMDocument::load(const std::string& location) {
  SourceBytes source;
  try {
    source = ReadDocumentSource(location);
  } catch (const std::exception& e) {
    source = SourceBytes{false, {}, e.what()};
  }
  if (!source.ok) {
    tree_ = std::make_shared<XmlTree>(nullptr);
    errorCode_ = kXmlFailure;
    reason_ = std::move(source.reason);
    return false;
  }
  return Parsed(source.bytes, true);
}

bool DOMDocument::loadXML(const rt::Variant& text) {
  if (text.IsMissing()) rt::RaiseVb(rt::vberr::kArgumentNotOptional);
  if (const std::string* s = text.Get<std::string>()) return Parsed(*s, false);
  return Parsed(rt::CStr(text), false);
}

rt::ObjectPtr DOMDocument::parseError() const {
  return std::make_shared<ParseError>(errorCode_, reason_);
}

// --- the tree ----------------------------------------------------------------

rt::ObjectPtr DOMDocument::documentElement() const { return WrapNode(tree_, tree_->Root()); }

rt::ObjectPtr DOMDocument::getElementsByTagName(const std::string& name) const {
  return AsNode().getElementsByTagName(name);
}

rt::ObjectPtr DOMDocument::selectNodes(const std::string& expression) const {
  return AsNode().selectNodes(expression);
}

// --- validation --------------------------------------------------------------

rt::ObjectPtr DOMDocument::validate() const {
  auto cache = std::dynamic_pointer_cast<XMLSchemaCache>(schemas_);
  if (!cache) return std::make_shared<ParseError>(kXmlFailure, "No schema is set for the document.");
  auto [code, reason] = cache->Validate(tree_->doc());
  return std::make_shared<ParseError>(code, std::move(reason));
}

}  // namespace msxml
