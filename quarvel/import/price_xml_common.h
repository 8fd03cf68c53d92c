// What the files of PriceXML share: error sources, the names the class
// reads in a price document, loading a document, reading one price line,
// and dates read as month/day/year.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quarvel/import/import_xml.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel::pricexml {

// "Quarvel.PriceXML." & member: the error source of a member.
inline std::string Source(const char* member) { return std::string("Quarvel.PriceXML.") + member; }

using import::kUnableToLoadXml;
using import::kUnableToLoadXmlText;
using import::ListItems;

// The price elements and their part-number attribute, matched as written.
constexpr const char* kPriceElement = "ProductPrice";
constexpr const char* kPartNumberAttribute = "buyfrompartnumber";

// The checks count price elements in 16 bits.
constexpr int32_t kMostPriceElements = 32767;

// A PriceValues: the element children of one ProductPrice element (given
// as its child-node list), name as written -> typed value, in document
// order. A name that comes twice fails with error 457.
std::shared_ptr<rt::Dictionary> PriceValuesOf(const rt::ObjectPtr& childNodes);

// A date text read as IsValidUSDate reads it (month/day/year, locale 1033):
// a Date, or Null for a text that is no date. Empty, the value of a key the
// line lacks, is day 0 (1899-12-30).
rt::Variant ReadUSDate(const rt::Variant& value);

}  // namespace quarvel::pricexml
