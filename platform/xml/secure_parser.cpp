// ParseDocument: libxml2 with the DTD refused at its first sign. Entities
// can only be declared in a DTD, so refusing it also refuses external
// entities and entity expansion; the parser never loads anything itself.
#include "platform/xml/secure_parser.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <cstring>
#include <mutex>

#include "platform/xml/xml_tree.h"

namespace msxml {
namespace {

struct ParseState {
  bool dtdSeen = false;
  std::string firstMessage;
};

std::string WithoutNewline(const char* message) {
  std::string text = message ? message : "";
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

ParseState& StateOf(void* userData) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
  return *static_cast<ParseState*>(ctxt->_private);
}

// The document type declaration: stop before its internal subset is read.
void OnDoctype(void* userData, const xmlChar*, const xmlChar*, const xmlChar*) {
  StateOf(userData).dtdSeen = true;
  xmlStopParser(static_cast<xmlParserCtxtPtr>(userData));
}

void OnError(void* userData, xmlErrorPtr error) {
  ParseState& state = StateOf(userData);
  if (error->level >= XML_ERR_ERROR && state.firstMessage.empty()) {
    state.firstMessage = WithoutNewline(error->message);
  }
}

bool IsBlankText(const xmlChar* content) {
  if (!content) return true;
  for (const xmlChar* p = content; *p; ++p) {
    if (!IsXmlBlank(static_cast<char>(*p))) return false;
  }
  return true;
}

// The xml:space setting of an element, or the inherited one when it has none.
bool PreservesSpace(xmlNodePtr element, bool inherited) {
  for (xmlAttrPtr a = element->properties; a; a = a->next) {
    if (a->ns && xmlStrEqual(a->ns->href, XML_XML_NAMESPACE) &&
        xmlStrEqual(a->name, BAD_CAST "space")) {
      const xmlChar* value = a->children ? a->children->content : nullptr;
      if (xmlStrEqual(value, BAD_CAST "preserve")) return true;
      if (xmlStrEqual(value, BAD_CAST "default")) return false;
    }
  }
  return inherited;
}

void DropBlankText(xmlNodePtr parent, bool preserve) {
  for (xmlNodePtr child = parent->children; child;) {
    xmlNodePtr next = child->next;
    if (child->type == XML_TEXT_NODE && !preserve && IsBlankText(child->content)) {
      xmlUnlinkNode(child);
      xmlFreeNode(child);
    } else if (child->type == XML_ELEMENT_NODE) {
      DropBlankText(child, PreservesSpace(child, preserve));
    }
    child = next;
  }
}

}  // namespace

void EnsureLibxml() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

ParseOutcome ParseDocument(std::string_view bytes, bool honourDeclaredEncoding) {
  EnsureLibxml();
  ParseOutcome outcome;
  if (bytes.size() > kMaxDocumentBytes || bytes.size() > INT_MAX) {
    outcome.reason = kTooLarge;
    return outcome;
  }
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (!ctxt) {
    outcome.reason = "Out of memory";
    return outcome;
  }
  ParseState state;
  ctxt->_private = &state;
  ctxt->sax->internalSubset = OnDoctype;
  ctxt->sax->serror = OnError;

  // No XML_PARSE_NOENT, DTDLOAD, DTDATTR, XINCLUDE or HUGE.
  int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
  const char* encoding = nullptr;
  if (!honourDeclaredEncoding) {
    options |= XML_PARSE_IGNORE_ENC;
    encoding = "UTF-8";
  }
  xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                    encoding, options);
  bool sound = doc && !state.dtdSeen && ctxt->wellFormed && ctxt->nsWellFormed;
  if (!sound) {
    if (doc) xmlFreeDoc(doc);
    doc = nullptr;
    if (state.dtdSeen) {
      outcome.reason = "DTD is prohibited.";
    } else if (!state.firstMessage.empty()) {
      outcome.reason = state.firstMessage;
    } else {
      const xmlError* last = xmlCtxtGetLastError(ctxt);
      outcome.reason = last && last->message ? WithoutNewline(last->message)
                                             : std::string("The document could not be parsed.");
    }
  }
  xmlFreeParserCtxt(ctxt);
  if (doc) DropBlankText(reinterpret_cast<xmlNodePtr>(doc), false);
  outcome.doc = doc;
  return outcome;
}

}  // namespace msxml
