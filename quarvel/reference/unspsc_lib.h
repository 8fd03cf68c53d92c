// UNSPSCLib: keeps the membership of products in product categories
// (PRODUCTSBYCATEGORY) in step with their UNSPSC codes. A product belongs
// to every category whose code is a leading part of the product's code on a
// two-digit boundary: the category codes of 43211501 are 43, 4321, 432115
// and 43211501; the products of the category code 4321 are those whose code
// begins with 4321.
//
// Called directly, in C++, by the writers of products and product
// categories and by the product import, once they have seen the switch on
// (UNSPSCImplemented / UNSPSCImplementedForImport). The procedures run on
// the caller's thread, in its object context and transaction: every
// statement opens a connection of its own (the catalog connection string,
// no READ COMMITTED) and closes it at once. They never vote commit. A
// failure closes what the procedure opened, votes abort and is logged and
// raised again with "Quarvel.UNSPSCLib.<procedure>", so a failing lookup
// adds its block, the relinking its own, and the caller's handler a third;
// statements already run are undone only by the caller's transaction.
//
// Sets are dictionaries used as sets: the key is an id as the database
// answered it (a Long), the item empty; they keep the order the rows came
// in (no query has an ORDER BY). Codes go into SQL as quoted literals
// (LIKE patterns escaped), ids as numbers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "data/connection.h"
#include "runtime/dictionary.h"

namespace quarvel::UNSPSCLib {

// While it lives, the procedures called on this thread run every statement
// on the caller's open connection instead of connections of their own, and
// leave it open: a caller writing in a transaction of its connection's own
// (the product import's write groups) relinks inside it, instead of
// committing first so that the procedures' own sessions may write.
class OnCallersConnection {
 public:
  explicit OnCallersConnection(std::shared_ptr<data::Connection> connection);
  ~OnCallersConnection();
  OnCallersConnection(const OnCallersConnection&) = delete;
  OnCallersConnection& operator=(const OnCallersConnection&) = delete;

 private:
  std::shared_ptr<data::Connection> previous_;
};

// --- the switch ------------------------------------------------------------------
// The configuration value COMMONPARAMETERS/UNSPSCIMPLEMENTED, read afresh on
// each call (Solvane.Configuration, SelectDefaultServer, GetValue).
// Product and TCatalog: on when the value is "Yes" exactly; the
// configuration is created through the object context (Gen_GetComponent).
bool UNSPSCImplemented();
// The product import: on when the value in upper case is "YES"; the
// configuration is created plainly. The import keeps the answer for the
// life of its object.
bool UNSPSCImplementedForImport();

// --- relinking ---------------------------------------------------------------------
// A product's code changed from `previousCode` to `newCode` ("" for none;
// `newRow` when the product was just inserted, so it has no links yet): the
// links to the categories of the old code only are deleted (in one
// statement), and the product joins each category of the new code that it
// is not in yet, at that category's highest SEQUENCE + 1 (1 in a category
// without members, or whose members are all unnumbered). Equal codes (exact
// comparison) touch no database.
void UpdateProductLinksForUNSPSCCode(int32_t productId, const std::string& previousCode,
                                     const std::string& newCode, bool newRow);
// A category's code changed: the products of the old code only leave it (in
// one statement); the products of the new code that are not in it yet join
// with consecutive SEQUENCE numbers after its highest one, in the order the
// product query answered them.
void UpdateProductCategoryLinksForUNSPSCCode(int32_t categoryId, const std::string& previousCode,
                                             const std::string& newCode, bool newRow);

// --- lookups -------------------------------------------------------------------------
// The CATEGORYIDs of the categories whose code is one of the code's
// prefixes taken two characters at a time (a code of odd length ends with
// itself). The code must not be empty.
std::shared_ptr<rt::Dictionary> GetProductCategoriesForUNSPSCCode(const std::string& code);
// The CATEGORYIDs the product is linked to now.
std::shared_ptr<rt::Dictionary> GetProductCategoriesForProduct(int32_t productId);
// Sets each category's item to its highest SEQUENCE; categories without
// rows keep their item as it was.
void GetMaxSequenceNrsForProductCategories(rt::Dictionary& categories);
// The PRODUCTIDs whose code begins with the code (not empty).
std::shared_ptr<rt::Dictionary> GetProductsForUNSPSCCode(const std::string& code);
// The PRODUCTIDs linked to the category now, and its highest non-Null
// SEQUENCE (0 when it has none). `products` is set to Nothing first and
// receives the set only when the read succeeded.
void GetProductsForProductCategory(int32_t categoryId, std::shared_ptr<rt::Dictionary>& products,
                                   int32_t& highestSequence);

}  // namespace quarvel::UNSPSCLib
