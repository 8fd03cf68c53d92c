// XMLSchemaCache: schemas read through the same guarded parser as documents,
// compiled by libxml2 without reaching any other file, and validation.
#include "platform/xml/schema_cache.h"

#include <libxml/xmlerror.h>

#include "platform/xml/document_source.h"
#include "platform/xml/parse_error.h"
#include "platform/xml/secure_parser.h"
#include "platform/xml/xml_tree.h"
#include "runtime/dispatch.h"

namespace msxml {
namespace {

const xmlChar* kSchemaNamespace = BAD_CAST "http://www.w3.org/2001/XMLSchema";

void KeepFirst(void* user, xmlErrorPtr error) {
  auto* first = static_cast<std::string*>(user);
  if (!first->empty() || error->level < XML_ERR_ERROR) return;
  *first = error->message ? error->message : "";
  while (!first->empty() && (first->back() == '\n' || first->back() == '\r')) first->pop_back();
}

// True when the schema names another schema to read (include, import, redefine).
bool ReachesOtherSchemas(xmlNodePtr node) {
  for (xmlNodePtr child = node->children; child; child = child->next) {
    if (child->type != XML_ELEMENT_NODE) continue;
    if (child->ns && xmlStrEqual(child->ns->href, kSchemaNamespace) &&
        (xmlStrEqual(child->name, BAD_CAST "include") || xmlStrEqual(child->name, BAD_CAST "import") ||
         xmlStrEqual(child->name, BAD_CAST "redefine"))) {
      return true;
    }
    if (ReachesOtherSchemas(child)) return true;
  }
  return false;
}

std::string TargetNamespace(xmlDocPtr doc) {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  xmlChar* value = root ? xmlGetNoNsProp(root, BAD_CAST "targetNamespace") : nullptr;
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

// Reads and compiles a schema; null with the reason when it cannot be used.
std::shared_ptr<CompiledSchema> ReadSchema(const std::string& location,
                                           const std::string& namespaceUri, std::string& reason) {
  SourceBytes source = ReadFileBounded(location);
  if (!source.ok) {
    reason = source.reason;
    return nullptr;
  }
  ParseOutcome parsed = ParseDocument(source.bytes, true);
  if (!parsed.doc) {
    reason = parsed.reason;
    return nullptr;
  }
  auto discard = [&](std::string why) {
    xmlFreeDoc(parsed.doc);
    reason = std::move(why);
    return nullptr;
  };
  if (ReachesOtherSchemas(reinterpret_cast<xmlNodePtr>(parsed.doc))) {
    return discard("a schema that includes or imports another schema is not supported");
  }
  std::string target = TargetNamespace(parsed.doc);
  if (target != namespaceUri) {
    return discard("its target namespace is '" + target + "', not '" + namespaceUri + "'");
  }

  std::string first;
  xmlSchemaParserCtxtPtr parser = xmlSchemaNewDocParserCtxt(parsed.doc);
  if (!parser) return discard("Out of memory");
  xmlSchemaSetParserStructuredErrors(parser, KeepFirst, &first);
  xmlSchemaPtr schema = xmlSchemaParse(parser);
  xmlSchemaFreeParserCtxt(parser);
  if (!schema) return discard(first.empty() ? "the schema is not valid" : first);
  return std::make_shared<CompiledSchema>(parsed.doc, schema);
}

}  // namespace

CompiledSchema::~CompiledSchema() {
  xmlSchemaFree(schema_);
  xmlFreeDoc(doc_);
}

const rt::DispatchTable* XMLSchemaCache::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<XMLSchemaCache>("XMLSchemaCache")
          .Method("Add", &XMLSchemaCache::Add)
          .Get("length", &XMLSchemaCache::length)
          .Build();
  return &table;
}

void XMLSchemaCache::Add(const rt::Variant& namespaceUri, const rt::Variant& location) {
  std::string ns = rt::Concat(namespaceUri);
  std::string path = rt::CStr(location);
  std::string reason;
  std::shared_ptr<CompiledSchema> schema = ReadSchema(path, ns, reason);
  if (!schema) RaiseXmlError("The schema '" + path + "' could not be read: " + reason);
  for (auto& [known, compiled] : schemas_) {
    if (known == ns) {
      compiled = std::move(schema);
      return;
    }
  }
  schemas_.emplace_back(ns, std::move(schema));
}

std::pair<int32_t, std::string> XMLSchemaCache::Validate(xmlDocPtr doc) const {
  xmlNodePtr root = xmlDocGetRootElement(doc);
  if (!root) return {kXmlFailure, "The document has no document element."};
  std::string ns = root->ns && root->ns->href ? reinterpret_cast<const char*>(root->ns->href) : "";
  const CompiledSchema* match = nullptr;
  for (const auto& [known, compiled] : schemas_) {
    if (known == ns) match = compiled.get();
  }
  if (!match) return {kXmlFailure, "No schema is known for the namespace '" + ns + "'."};

  std::string first;
  xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(match->schema());
  if (!validator) return {kXmlFailure, "Out of memory"};
  xmlSchemaSetValidStructuredErrors(validator, KeepFirst, &first);
  int result = xmlSchemaValidateDoc(validator, doc);
  xmlSchemaFreeValidCtxt(validator);
  if (result == 0) return {0, ""};
  return {kXmlFailure, first.empty() ? "The document could not be validated." : first};
}

}  // namespace msxml
