// PriceXML ("Quarvel.PriceXML"): supplier price documents read and checked
// for the caller, and the time-budgeted import of their valid lines into
// CATALOGPRODUCTPRICE. The class runs outside any transaction and never
// votes. An object keeps, between calls, the connection of its product
// lookups and the currency codes its checks accept.
//
// Its members are split over the files of quarvel/import/ by what they do:
// loading documents and reading price lines (price_documents.cpp), product
// and currency lookups (price_lookups.cpp), the checks of one price line
// (price_checks.cpp), the checked list and the error report
// (price_lists.cpp), the batch import (price_import.cpp) with its row
// writer (price_writer.cpp) and the batch mechanism it shares with the
// product import (import_batch.cpp); the dispatch table, the class's
// description and its constructor are in price_xml_dispatch.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/connection.h"
#include "interfaces/price_xml.h"
#include "quarvel/import/import_batch.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

namespace pricexml {
class BatchDocument;  // a batch's loaded document and its price elements (price_import.cpp)
class PriceWriter;    // the batch's row writer (price_writer.h)
}  // namespace pricexml

class PriceXML : public rt::Object, public IPriceXML {
 public:
  explicit PriceXML(import::BatchClock clock = import::MonotonicClock());
  ~PriceXML() override;

  std::string TypeName() const override { return "PriceXML"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- _PriceXML: checks for the caller (price_lists.cpp; reading in price_documents.cpp)
  std::shared_ptr<rt::Dictionary> GetCheckedPriceList(const std::string& iStringOrUrl, bool& iIsUrl) override;
  std::shared_ptr<rt::Dictionary> readProductPriceFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                          const std::string& iBuyFromPartNr) override;
  std::shared_ptr<rt::Dictionary> GetErrorsInPriceValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                         const std::string& iBuyFromPartNr) override;

  // --- _PriceXML: the batch import (price_import.cpp) ---------------------------
  void UpdateInsertPricesFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs) override;

 private:
  // --- documents (price_documents.cpp) -----------------------------------------
  // Loads the document and answers its ProductPrice elements; 0x800400D5
  // "Unable to load XML" when it does not load.
  rt::ObjectPtr getPriceNodeList(const std::string& iStringOrUrl, bool iIsUrl);
  // "PRICE 1", "PRICE 2", ... -> the child-node list of each element whose
  // buyfrompartnumber is the part number (exactly).
  std::shared_ptr<rt::Dictionary> getPriceNodes(const rt::ObjectPtr& elements, const std::string& partNumber);

  // --- lookups (price_lookups.cpp) ---------------------------------------------
  // The description (text, "" when no product has the part number or its
  // description is Null) or the PRODUCTID (text, Null when none) of the
  // product with the part number; of several, the lowest PRODUCTID.
  rt::Variant getProductNameOrID(const std::string& partNumber, bool nameFlag);
  // Replaces the object's currency codes by those of the common library.
  void ReadCurrencies();
  // The object's currency codes, read on first use.
  const rt::Dictionary& Currencies();

  // --- checks of one price line (price_checks.cpp) ------------------------------
  // Each may add keys that it reads but the line lacks, with Empty values.
  std::shared_ptr<rt::Dictionary> getErrorFields(rt::Dictionary& priceValues);
  bool isValidPrice(rt::Dictionary& priceValues);
  std::shared_ptr<rt::Dictionary> getTypeAndRangeErrors(rt::Dictionary& priceValues);
  std::shared_ptr<rt::Dictionary> GetPriceRuleErrors(rt::Dictionary& priceValues);

  // --- the batch import (price_import.cpp) --------------------------------------
  std::unique_ptr<pricexml::BatchDocument> getPriceNodeList2(const rt::ObjectPtr& document);
  void updateInsertPriceFromXMLFile2(pricexml::BatchDocument& document, const std::string& partNumber,
                                     pricexml::PriceWriter& writer);
  std::shared_ptr<rt::Dictionary> readProductPriceFromXML2(const std::vector<rt::ObjectPtr>& elements);
  std::vector<rt::ObjectPtr> getPriceNodes2(pricexml::BatchDocument& document, const std::string& partNumber);

  std::shared_ptr<data::Connection> connection_;
  std::shared_ptr<rt::Dictionary> currencies_;
  import::BatchClock clock_;
};

}  // namespace quarvel
