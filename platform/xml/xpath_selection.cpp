// SelectByXPath: XPath 1.0 over a parsed document with libxml2, its messages
// kept off the standard error stream.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <memory>

#include "platform/xml/dom_node.h"
#include "platform/xml/secure_parser.h"

namespace msxml {
namespace {

void Silent(void*, xmlErrorPtr) {}

[[noreturn]] void Invalid(const std::string& expression) {
  RaiseXmlError("Invalid XPath expression: " + expression);
}

struct ContextDeleter {
  void operator()(xmlXPathContextPtr p) const { xmlXPathFreeContext(p); }
};
struct CompiledDeleter {
  void operator()(xmlXPathCompExprPtr p) const { xmlXPathFreeCompExpr(p); }
};
struct ObjectDeleter {
  void operator()(xmlXPathObjectPtr p) const { xmlXPathFreeObject(p); }
};

}  // namespace

std::vector<xmlNodePtr> SelectByXPath(xmlDocPtr doc, xmlNodePtr context,
                                      const std::string& expression) {
  EnsureLibxml();
  std::unique_ptr<xmlXPathContext, ContextDeleter> xpath(xmlXPathNewContext(doc));
  if (!xpath) Invalid(expression);
  xpath->error = Silent;
  xpath->node = context;

  std::unique_ptr<xmlXPathCompExpr, CompiledDeleter> compiled(
      xmlXPathCtxtCompile(xpath.get(), BAD_CAST expression.c_str()));
  if (!compiled) Invalid(expression);
  std::unique_ptr<xmlXPathObject, ObjectDeleter> result(
      xmlXPathCompiledEval(compiled.get(), xpath.get()));
  if (!result || result->type != XPATH_NODESET) Invalid(expression);

  std::vector<xmlNodePtr> nodes;
  if (xmlNodeSetPtr set = result->nodesetval) {
    nodes.reserve(static_cast<size_t>(set->nodeNr));
    for (int i = 0; i < set->nodeNr; ++i) {
      xmlNodePtr node = set->nodeTab[i];
      // Namespace nodes are copies owned by the result: no DOM node stands for them.
      if (node && node->type != XML_NAMESPACE_DECL) nodes.push_back(node);
    }
  }
  return nodes;
}

}  // namespace msxml
