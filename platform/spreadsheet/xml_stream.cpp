// XmlStream: libxml2's reader over an in-memory part, with the safe options.
#include "platform/spreadsheet/xml_stream.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <mutex>

#include "platform/spreadsheet/workbook_file.h"

namespace spreadsheet {
namespace {

// No XML_PARSE_NOENT (entities stay unexpanded), no DTDLOAD or DTDATTR (no
// DTD is read), no HUGE (libxml2's default size limits stand).
constexpr int kSafeOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

void InitLibxml() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

// True when the part opens with a document type declaration. A SAX pass
// over the prolog stops at the declaration's name, before any of its
// internal subset (entity declarations included) is parsed, or at the first
// element; the reader never sees a declared entity.
bool DeclaresDocumentType(const std::string& text) {
  xmlSAXHandler sax{};
  xmlSAXVersion(&sax, 2);
  xmlSAXHandler quiet{};
  quiet.initialized = sax.initialized;
  quiet.internalSubset = [](void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* parser = static_cast<xmlParserCtxtPtr>(ctx);
    *static_cast<bool*>(parser->_private) = true;
    xmlStopParser(parser);
  };
  quiet.startElementNs = [](void* ctx, const xmlChar*, const xmlChar*, const xmlChar*, int,
                            const xmlChar**, int, int, const xmlChar**) {
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
  };
  quiet.serror = [](void*, xmlErrorPtr) {};
  bool declared = false;
  xmlParserCtxtPtr parser = xmlCreatePushParserCtxt(&quiet, nullptr, nullptr, 0, nullptr);
  if (!parser) return false;
  parser->_private = &declared;
  xmlCtxtUseOptions(parser, kSafeOptions);
  size_t size = std::min(text.size(), static_cast<size_t>(INT32_MAX));
  xmlParseChunk(parser, text.data(), static_cast<int>(size), 1);
  xmlFreeParserCtxt(parser);
  return declared;
}

}  // namespace

XmlStream::XmlStream(const std::string& text, std::string part) : part_(std::move(part)) {
  InitLibxml();
  if (text.size() > static_cast<size_t>(INT32_MAX)) Fail("the part is too large");
  if (DeclaresDocumentType(text)) {
    throw OpenFailure("the workbook is refused (" + part_ + " holds a document type declaration)");
  }
  reader_ = xmlReaderForMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                               kSafeOptions);
  if (!reader_) Fail("the part cannot be read");
  xmlTextReaderSetStructuredErrorHandler(
      reader_, [](void* self, xmlErrorPtr error) { OnError(self, error); }, this);
}

XmlStream::~XmlStream() {
  if (reader_) xmlFreeTextReader(reader_);
}

void XmlStream::OnError(void* self, xmlErrorPtr error) {
  auto* stream = static_cast<XmlStream*>(self);
  if (!stream->firstError_.empty() || !error || error->level < XML_ERR_ERROR) return;
  std::string message = error->message ? error->message : "malformed XML";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  stream->firstError_ = message;
}

void XmlStream::Fail(const std::string& what) const {
  throw OpenFailure("the workbook is damaged (" + part_ + ": " + what + ")");
}

bool XmlStream::Next() {
  if (pendingEnd_) {
    pendingEnd_ = false;
    kind_ = Node::End;
    return true;
  }
  int read = xmlTextReaderRead(reader_);
  if (read < 0 || !firstError_.empty()) {
    Fail(firstError_.empty() ? std::string("malformed XML") : firstError_);
  }
  if (read == 0) return false;
  switch (xmlTextReaderNodeType(reader_)) {
    case XML_READER_TYPE_DOCUMENT_TYPE:
      throw OpenFailure("the workbook is refused (" + part_ +
                        " holds a document type declaration)");
    case XML_READER_TYPE_ELEMENT:
      kind_ = Node::Start;
      pendingEnd_ = xmlTextReaderIsEmptyElement(reader_) == 1;
      break;
    case XML_READER_TYPE_END_ELEMENT: kind_ = Node::End; break;
    case XML_READER_TYPE_TEXT:
    case XML_READER_TYPE_CDATA:
    case XML_READER_TYPE_WHITESPACE:
    case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: kind_ = Node::Text; break;
    case XML_READER_TYPE_ENTITY_REFERENCE: Fail("an entity reference is not allowed");
    default: kind_ = Node::Other; break;
  }
  return true;
}

std::string_view XmlStream::Name() const {
  const xmlChar* name = xmlTextReaderConstLocalName(reader_);
  return name ? std::string_view(reinterpret_cast<const char*>(name)) : std::string_view();
}

std::string XmlStream::Text() const {
  const xmlChar* value = xmlTextReaderConstValue(reader_);
  return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
}

std::optional<std::string> XmlStream::Attribute(std::string_view name, bool qualified) {
  std::optional<std::string> found;
  if (xmlTextReaderMoveToFirstAttribute(reader_) != 1) return found;
  do {
    const xmlChar* local = xmlTextReaderConstLocalName(reader_);
    const xmlChar* ns = xmlTextReaderConstNamespaceUri(reader_);
    if (local && name == reinterpret_cast<const char*>(local) && (!qualified || ns)) {
      const xmlChar* value = xmlTextReaderConstValue(reader_);
      found = value ? reinterpret_cast<const char*>(value) : "";
      break;
    }
  } while (xmlTextReaderMoveToNextAttribute(reader_) == 1);
  xmlTextReaderMoveToElement(reader_);
  return found;
}

}  // namespace spreadsheet
