// XMLSchemaCache: schemas by target namespace, read at once when added, and
// the validation of a document against the schema of its root's namespace.
#pragma once

#include <libxml/xmlschemas.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/object.h"

namespace msxml {

// One compiled schema with the document it was read from.
class CompiledSchema {
 public:
  CompiledSchema(xmlDocPtr doc, xmlSchemaPtr schema) : doc_(doc), schema_(schema) {}
  ~CompiledSchema();
  CompiledSchema(const CompiledSchema&) = delete;
  CompiledSchema& operator=(const CompiledSchema&) = delete;
  xmlSchemaPtr schema() const { return schema_; }

 private:
  xmlDocPtr doc_;
  xmlSchemaPtr schema_;
};

class XMLSchemaCache : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override;

  // Reads the local schema file `location` for `namespaceUri` ("" or Empty:
  // no namespace); a schema already there for it is replaced. The schema may
  // include or import no other. A failure raises "The schema '<location>'
  // could not be read: <reason>" and leaves the cache as it was.
  void Add(const rt::Variant& namespaceUri, const rt::Variant& location);
  int32_t length() const { return static_cast<int32_t>(schemas_.size()); }

  // Validates `doc`: 0 and "", or kXmlFailure and libxml2's first message.
  std::pair<int32_t, std::string> Validate(xmlDocPtr doc) const;

 private:
  std::vector<std::pair<std::string, std::shared_ptr<CompiledSchema>>> schemas_;
};

}  // namespace msxml
