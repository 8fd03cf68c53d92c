// What the files of ProductXML share: error sources and numbers, the names
// the class reads in a product document, the loaded document with its
// Product elements, the master-data answers kept for one call, and small
// value rules.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "interfaces/quarvel_errors.h"
#include "quarvel/services/class_support.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel::productxml {

// "Quarvel.ProductXML." & member: the error source of a member.
inline std::string Source(const char* member) { return std::string("Quarvel.ProductXML.") + member; }

constexpr int32_t kProductNotFound = ErrorNumber(QuarvelErrors::eProductNotFound);
constexpr const char* kProductNotPresent = "Product not present";

// The product elements and their part-number attribute, matched as written.
constexpr const char* kProductElement = "Product";
constexpr const char* kPartNumberAttribute = "buyfrompartnumber";
constexpr const char* kRestFileStem = "remaining_products_";
constexpr const char* kSeparatorField = "MULTIPLEBUYERSEPARATOR";
constexpr const char* kDefaultSeparator = ";";

// Lists and the fields of one product are walked with 16-bit counters.
constexpr int32_t kMostEntries = 32767;

// Property names and values are cut to this many characters.
constexpr int32_t kPropertyWidth = 30;

// How a reader names a product's fields.
enum class Naming {
  kUpperCasePadded,  // upper case, UNIT as UNITCODE, GTIN padded to 14 (the single-product reader)
  kUpperCase,        // upper case, UNIT as UNITCODE (the batch and the checked insert list)
  kAsWritten,        // as written, only "UNIT" as UNITCODE (the checked update list)
};

// A loaded product document with its Product elements (by tag name, so a
// default namespace changes nothing) in document order, indexed by their
// part number.
class ProductDocument {
 public:
  explicit ProductDocument(rt::ObjectPtr document);

  struct Element {
    rt::ObjectPtr node;
    std::optional<std::string> partNumber;  // none without the attribute
  };
  const std::vector<Element>& Elements() const { return elements_; }
  const rt::ObjectPtr& Document() const { return document_; }

  // The single-product readers' element: the first of the part number. They
  // walk the elements in order, so one without a part number before it (or
  // anywhere, when none matches) fails with Object variable not set (91).
  rt::ObjectPtr First(const std::string& partNumber) const;
  // The batch's element: the part number's first one still in the document.
  rt::ObjectPtr Remaining(const std::string& partNumber) const;
  // Takes the element out of the document.
  void Remove(const rt::ObjectPtr& element);
  // Whether Product elements remain (any, with a part number or without).
  bool ElementsLeft() const;

 private:
  rt::ObjectPtr document_;
  std::vector<Element> elements_;
  std::vector<bool> removed_;
  std::unordered_map<std::string, std::vector<size_t>> byPartNumber_;
  std::unordered_map<const rt::Object*, size_t> position_;
  size_t firstWithout_;
};

// A document named by a call, loaded when it is first read, then kept for
// the rest of the call.
struct LazyDocument {
  std::string textOrUrl;
  bool isUrl = false;
  std::unique_ptr<ProductDocument> loaded;
};

// The element's part number as the readers read it: an element without one
// fails with Object variable not set (91).
std::string PartNumberOf(const ProductDocument::Element& element);

// The master-data answers of one call: each lookup is asked of the database
// or the common library once a call; the property rows the call adds are
// entered as it adds them.
struct CallMemo {
  std::map<std::string, bool> exists;  // table, columns and values -> a row exists
  std::unordered_map<std::string, std::string> unitCodes;
  std::unordered_map<std::string, int32_t> partnerIds;
  std::unordered_map<std::string, bool> buyers;
  std::unordered_map<std::string, bool> categories;  // UNSPSC code -> has product categories
  struct Property {
    int32_t id = 0;
    int16_t dataType = 0;
  };
  // name as the document gives it -> the PROPERTY rows of that name, oldest first
  std::unordered_map<std::string, std::vector<Property>> properties;
};

// --- value rules ---------------------------------------------------------------

// The non-empty entries of a buyer list split at the separator, in order.
std::vector<std::string> ListEntries(const std::string& list, const std::string& separator);

// A value that reads as the number 0 or 1 (Empty and False included, as
// IsNumeric takes them).
bool IsZeroOrOne(const rt::Variant& value);

}  // namespace quarvel::productxml
