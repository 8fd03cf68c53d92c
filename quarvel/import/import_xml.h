// What the catalog imports share in reading their documents: loading one as
// the suite's pages hand it over (text, or a URL or file of the download
// folder), the nodes of a node list, whether a node is still in its
// document, and the lookups of a document's products.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interfaces/quarvel_errors.h"
#include "runtime/object.h"

namespace quarvel::import {

constexpr int32_t kUnableToLoadXml = ErrorNumber(QuarvelErrors::eUnableToLoadXML);
constexpr const char* kUnableToLoadXmlText = "Unable to load XML";

// A product's description and id by its supplier part number, the one "?"
// parameter, so no text of the document reaches the statement. The part
// number is compared by the database's rule (letter case and trailing
// blanks ignored); of several products the oldest answers.
constexpr const char* kDescriptionQuery =
    "SELECT TOP 1 PRODUCTDESCRIPTION FROM PRODUCT WHERE BUYFROMPARTNUMBER = ? ORDER BY PRODUCTID";
constexpr const char* kIdQuery = "SELECT TOP 1 PRODUCTID FROM PRODUCT WHERE BUYFROMPARTNUMBER = ? ORDER BY PRODUCTID";

// A new MSXML2.DOMDocument as the imports load documents: loads are
// synchronous and URLs are fetched by the server's own HTTP stack.
rt::ObjectPtr NewImportDocument();
// Loads the document's text, or with `isUrl` its location; answers whether
// it loaded.
bool LoadImportDocument(const rt::ObjectPtr& document, const std::string& textOrUrl, bool isUrl);

// The nodes of a node list, in order.
std::vector<rt::ObjectPtr> ListItems(const rt::ObjectPtr& list);

// Whether the node still hangs below its document: a node inside one that
// was removed went with it.
bool InDocument(const rt::ObjectPtr& node);

}  // namespace quarvel::import
