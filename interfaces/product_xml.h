// IProductXML: the catalog library's reader and importer of supplier product
// documents ("Quarvel.ProductXML") for C++ callers: its dual interface
// _ProductXML in slot order. The class carries no transaction attribute (it
// runs outside any transaction) and never votes.
//
// A product document is XML of any shape whose elements named exactly
// Product (attribute buyfrompartnumber, the supplier part number) each hold
// one product, one child element per field: the columns of PRODUCT (UNIT for
// UNITCODE, BUSINESSID for the supplier, BUYERID for the buyers) and, under
// any other name, the values of product properties. `iStringOrUrl` is the
// document's text, or with `iIsUrl` True its location: an http or https URL,
// or a file inside <install>/XMLDownload.
//
// Shapes handed out (the caller owns them):
//   ProductValues       Scripting.Dictionary, field name -> value, in
//                       document order (exact, case-sensitive keys)
//   FieldErrors         Scripting.Dictionary, field name -> the offending
//                       value ("" for a missing mandatory field)
//   CheckedProductList  Collection of Collection(part number, description, valid)
// Failures are raised as rt::ComError; numbers in interfaces/quarvel_errors.h.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

struct IProductXML {
  virtual ~IProductXML() = default;

  // The part numbers of the Product elements that have children, in
  // document order (repeated ones repeatedly).
  virtual std::shared_ptr<rt::Collection> readBFPartNumbersFromXML(const std::string& iStringOrUrl,
                                                                   bool iIsUrl) = 0;
  // The ProductValues of the first Product element of the part number
  // (compared exactly): names upper-cased, UNIT as UNITCODE, GTIN padded
  // with "0" to 14 characters. Empty when the document has no such element.
  virtual std::shared_ptr<rt::Dictionary> readOneProductFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                                const std::string& iBuyFromPartNr) = 0;
  // The FieldErrors of that product (empty: it is valid).
  virtual std::shared_ptr<rt::Dictionary> getErrorsInProductValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                                   const std::string& iBuyFromPartNr) = 0;
  // Writes the product: an update when the catalog knows the part number,
  // else an insert. Values that fail their checks are dropped; the product
  // is written only when none was, unless `iUpdateOnErrors`.
  virtual void insertProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                                    bool iUpdateOnErrors) = 0;
  // The batch: `iStringOrUrl` is prefix & "/\" & document. Writes the listed
  // products (insert or update) until 180 seconds have passed, cuts the list
  // to the part numbers handled (bounds 0 to n - 1) and leaves what remains
  // of the document in <install>/XMLDownload/remaining_products_<prefix>.xml.
  virtual void insertProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                                     bool iUpdateOnErrors) = 0;
  // Updates each listed product (at most 32767); the list is not changed.
  virtual void updateProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                                     bool iUpdateOnErrors) = 0;
  // Updates the product; 0x800400C8 "Product not present" when the catalog
  // does not know the part number.
  virtual void updateProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                                    bool iUpdateOnErrors) = 0;
  // The products the catalog knows, with the catalog's description, and
  // whether each is valid (its names as written: only "UNIT" is renamed).
  virtual std::shared_ptr<rt::Collection> GetCheckedProductUpdateList(const std::string& iStringOrUrl,
                                                                      bool& iIsUrl) = 0;
  // Every product, with the document's description, and whether each is valid.
  virtual std::shared_ptr<rt::Collection> GetCheckedProductInsertList(const std::string& iStringOrUrl,
                                                                      bool& iIsUrl) = 0;
  // The delimiter of buyer lists: "" on a new object, which the writers and
  // checks read as ";"; a document's MULTIPLEBUYERSEPARATOR sets it.
  virtual std::string get_MultipleBuyerSeparator() = 0;
  virtual void put_MultipleBuyerSeparator(const std::string& separator) = 0;
  // Rewrites the product's PRODUCTBUYER rows: the ids of the list when its
  // MULTIPLEBUYER is True, none otherwise. True. The id must be a number
  // (else Type mismatch, 13); 0x800400C8 "Product not present" without a row.
  virtual bool InsertUpdateMultipleBuyer(const rt::Variant& i_lProductID, const rt::Variant& sUserid) = 0;
};
