// The Msxml component library: the DOM document and the schema cache.
#include <memory>

#include "platform/xml/dom_document.h"
#include "platform/xml/schema_cache.h"
#include "runtime/registry.h"

namespace msxml {
namespace {

template <class T>
rt::ClassInfo Class(const char* progId, const char* clsid) {
  return rt::ClassInfo{progId, clsid, rt::TransactionAttribute::None,
                       [] { return rt::ObjectPtr(std::make_shared<T>()); }};
}

const rt::ClassTable& Classes() {
  static const rt::ClassTable table({
      Class<DOMDocument>("MSXML2.DOMDocument", "{3B0F6E52-8A41-4C7D-9E15-2D6A7C4B8101}"),
      Class<XMLSchemaCache>("MSXML2.XMLSchemaCache", "{3B0F6E52-8A41-4C7D-9E15-2D6A7C4B8102}"),
  });
  return table;
}

}  // namespace
}  // namespace msxml

RT_COMPONENT_EXPORTS(msxml::Classes())
