// IPriceXML: the catalog library's reader and importer of supplier price
// documents ("Quarvel.PriceXML") for C++ callers: its dual interface
// _PriceXML in slot order. The class runs outside any transaction and never
// votes.
//
// A price document is XML of any shape whose elements named exactly
// ProductPrice (attribute buyfrompartnumber) each hold one price line, one
// child element per column of CATALOGPRODUCTPRICE. `iStringOrUrl` is the
// document's text, or with `iIsUrl` True its location: an http or https URL,
// or a file inside <install>/XMLDownload.
//
// Shapes handed out (Scripting.Dictionary, exact and case-sensitive keys):
//   PriceValues       element name as written -> its text, in document order
//   PriceSet          "PRICE 1", "PRICE 2", ... -> PriceValues of one part number
//   FieldErrors       field name -> the offending value (Empty, or "" for
//                     CurrencyCode, when the line lacks it)
//   CheckedPriceList  part number -> Collection(part number, description, valid)
// Failures are raised as rt::ComError; numbers in interfaces/quarvel_errors.h.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

struct IPriceXML {
  virtual ~IPriceXML() = default;
  // The part numbers of known products (a description that is not empty)
  // with whether every price line of each passes the checks, in the order
  // of their last element. Reads the common library's currencies, and keeps
  // them for the object's later checks, unless the document has no price.
  virtual std::shared_ptr<rt::Dictionary> GetCheckedPriceList(const std::string& iStringOrUrl, bool& iIsUrl) = 0;
  // The PriceSet of one part number (compared exactly).
  virtual std::shared_ptr<rt::Dictionary> readProductPriceFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                                  const std::string& iBuyFromPartNr) = 0;
  // The PriceSet's keys -> FieldErrors of each line (empty for a sound line).
  virtual std::shared_ptr<rt::Dictionary> GetErrorsInPriceValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                                 const std::string& iBuyFromPartNr) = 0;
  // The batch import: `iStringOrUrl` is prefix & "/\" & document. Writes the
  // valid lines of the listed part numbers until 180 seconds have passed,
  // cuts the list to the part numbers handled (bounds 0 to n - 1), and
  // leaves what remains of the document in
  // <install>/XMLDownload/remaining_prices_<prefix>.xml.
  virtual void UpdateInsertPricesFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                         rt::Variant& iBuyFromPartNrs) = 0;
};
