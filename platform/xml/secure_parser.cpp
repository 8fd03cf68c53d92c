// ParseDocument: libxml2 with the DTD refused at its first sign. Entities
// can only be declared in a DTD, so refusing it also refuses external
// entities and entity expansion; the parser never loads anything itself.
// Whitespace-only text is dropped as it is read (its SAX events are wrapped)
// rather than freed from the finished tree: a large document then leaves no
// heap full of freed nodes behind.
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
  // Whitespace that may turn out to be a whole text node of its own: held
  // back until the next character data (then it is part of a longer text)
  // or the next markup (then it is dropped unless xml:space preserves it).
  std::string pendingBlanks;
  xmlSAXHandler original;
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

bool IsBlank(const xmlChar* chars, int length) {
  for (int i = 0; i < length; ++i) {
    if (!IsXmlBlank(static_cast<char>(chars[i]))) return false;
  }
  return true;
}

// True when xml:space="preserve" holds inside `node`: the nearest element,
// itself or above, that carries xml:space decides.
bool SpacePreservedIn(xmlNodePtr node) {
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

// Markup follows: held-back whitespace was a text node of its own.
void SettleBlanks(void* userData) {
  ParseState& state = StateOf(userData);
  if (state.pendingBlanks.empty()) return;
  auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
  if (SpacePreservedIn(ctxt->node)) {
    state.original.characters(userData, BAD_CAST state.pendingBlanks.data(),
                              static_cast<int>(state.pendingBlanks.size()));
  }
  state.pendingBlanks.clear();
}

void OnCharacters(void* userData, const xmlChar* chars, int length) {
  ParseState& state = StateOf(userData);
  auto* ctxt = static_cast<xmlParserCtxtPtr>(userData);
  xmlNodePtr last = ctxt->node ? ctxt->node->last : nullptr;
  bool continuesText = state.pendingBlanks.empty() && last && last->type == XML_TEXT_NODE;
  if (!continuesText && IsBlank(chars, length)) {
    state.pendingBlanks.append(reinterpret_cast<const char*>(chars), static_cast<size_t>(length));
    return;
  }
  if (!state.pendingBlanks.empty()) {
    state.original.characters(userData, BAD_CAST state.pendingBlanks.data(),
                              static_cast<int>(state.pendingBlanks.size()));
    state.pendingBlanks.clear();
  }
  state.original.characters(userData, chars, length);
}

void OnStartElement(void* userData, const xmlChar* localname, const xmlChar* prefix,
                    const xmlChar* uri, int nbNamespaces, const xmlChar** namespaces,
                    int nbAttributes, int nbDefaulted, const xmlChar** attributes) {
  SettleBlanks(userData);
  StateOf(userData).original.startElementNs(userData, localname, prefix, uri, nbNamespaces,
                                            namespaces, nbAttributes, nbDefaulted, attributes);
}

void OnEndElement(void* userData, const xmlChar* localname, const xmlChar* prefix,
                  const xmlChar* uri) {
  SettleBlanks(userData);
  StateOf(userData).original.endElementNs(userData, localname, prefix, uri);
}

void OnCData(void* userData, const xmlChar* value, int length) {
  SettleBlanks(userData);
  StateOf(userData).original.cdataBlock(userData, value, length);
}

void OnComment(void* userData, const xmlChar* value) {
  SettleBlanks(userData);
  StateOf(userData).original.comment(userData, value);
}

void OnProcessingInstruction(void* userData, const xmlChar* target, const xmlChar* data) {
  SettleBlanks(userData);
  StateOf(userData).original.processingInstruction(userData, target, data);
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
  state.original = *ctxt->sax;
  ctxt->sax->internalSubset = OnDoctype;
  ctxt->sax->serror = OnError;
  ctxt->sax->characters = OnCharacters;
  ctxt->sax->ignorableWhitespace = OnCharacters;
  ctxt->sax->startElementNs = OnStartElement;
  ctxt->sax->endElementNs = OnEndElement;
  ctxt->sax->cdataBlock = OnCData;
  ctxt->sax->comment = OnComment;
  ctxt->sax->processingInstruction = OnProcessingInstruction;

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
  outcome.doc = doc;
  return outcome;
}

}  // namespace msxml
