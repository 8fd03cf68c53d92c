// ProductXML ("Quarvel.ProductXML"): supplier product documents read and
// checked for the caller, and written into the catalog (PRODUCT, its buyers
// in PRODUCTBUYER, its property values in PRODUCTPROPVALUE, new PROPERTY
// rows): one product, a list, or a time-budgeted batch that leaves the rest
// of its document in a file. The class runs outside any transaction and
// never votes; what a call writes is committed in groups on one session of
// its own (import_batch.h), and always before a failure leaves the call.
//
// An object keeps, between calls, its buyer separator, the UNSPSC switch
// (read once), the common-library and unit objects it created, and the
// connection of its read-only lookups. Answers about master data (units,
// commodities, partners, buyers, codes, properties) are kept for one call.
//
// Its members are split over the files of quarvel/import/ by what they do:
// documents and the readers of one product (product_documents.cpp), the
// checked lists and the error report (product_lists.cpp), lookups and the
// per-call answers (product_lookups.cpp), the checks of one product
// (product_checks.cpp), the values made ready for writing
// (product_values.cpp), the field rules that both of these walk
// (product_fields.cpp), the import drivers and the batch
// (product_import.cpp), the product's property values
// (product_properties.cpp), its row and its buyers (product_rows.cpp), all
// writing through the call's write session (product_writer.h); the dispatch
// table, the class's description and its making are in
// product_xml_dispatch.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/connection.h"
#include "interfaces/product_xml.h"
#include "quarvel/import/import_batch.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"

namespace quarvel {

namespace productxml {
class ProductWriter;  // the write session of one call (product_writer.h)
}  // namespace productxml

class ProductXML : public rt::Object, public IProductXML {
 public:
  explicit ProductXML(import::BatchClock clock = import::MonotonicClock());
  ~ProductXML() override;

  std::string TypeName() const override { return "ProductXML"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- _ProductXML: reading (product_documents.cpp) -------------------------------
  std::shared_ptr<rt::Collection> readBFPartNumbersFromXML(const std::string& iStringOrUrl, bool iIsUrl) override;
  std::shared_ptr<rt::Dictionary> readOneProductFromXML(const std::string& iStringOrUrl, bool iIsUrl,
                                                        const std::string& iBuyFromPartNr) override;

  // --- _ProductXML: checks for the caller (product_lists.cpp) ---------------------
  std::shared_ptr<rt::Dictionary> getErrorsInProductValues(const std::string& iStringOrUrl, bool iIsUrl,
                                                           const std::string& iBuyFromPartNr) override;
  std::shared_ptr<rt::Collection> GetCheckedProductUpdateList(const std::string& iStringOrUrl, bool& iIsUrl) override;
  std::shared_ptr<rt::Collection> GetCheckedProductInsertList(const std::string& iStringOrUrl, bool& iIsUrl) override;

  // --- _ProductXML: the import (product_import.cpp) -------------------------------
  void insertProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                            bool iUpdateOnErrors) override;
  void insertProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                             bool iUpdateOnErrors) override;
  void updateProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                             bool iUpdateOnErrors) override;
  void updateProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                            bool iUpdateOnErrors) override;

  // --- _ProductXML: buyers (product_rows.cpp) --------------------------------------
  std::string get_MultipleBuyerSeparator() override { return separator_; }
  void put_MultipleBuyerSeparator(const std::string& separator) override { separator_ = separator; }
  bool InsertUpdateMultipleBuyer(const rt::Variant& i_lProductID, const rt::Variant& sUserid) override;

 private:
  class CallScope;    // the per-call answers of the outermost public call
  class WritingCall;  // the write session of a writing call

  // --- documents (product_documents.cpp) ----------------------------------------
  // Loads the document and indexes its Product elements; 0x800400D5 "Unable
  // to load XML" when it does not load.
  std::unique_ptr<productxml::ProductDocument> getProductNodeList(const std::string& iStringOrUrl, bool iIsUrl);
  // The first Product element of the part number, as the single-product
  // readers find it, or nothing.
  rt::ObjectPtr getProductNodes(productxml::ProductDocument& document, const std::string& partNumber);
  // The single-product reader on a document loaded at its first use.
  std::shared_ptr<rt::Dictionary> ReadProduct(productxml::LazyDocument& document, const std::string& partNumber);
  // The ProductValues of an element's children (nothing: an empty one).
  std::shared_ptr<rt::Dictionary> ProductValuesOf(const rt::ObjectPtr& element, productxml::Naming naming);
  // The batch's reader, of the element the batch selected.
  std::shared_ptr<rt::Dictionary> readOneProductFromXML2(const rt::ObjectPtr& element);

  // --- lookups (product_lookups.cpp) --------------------------------------------
  // The description of the product of the part number as text, Null when
  // the catalog has none.
  rt::Variant getProductName(const std::string& partNumber);
  // The PRODUCTID of the product of the part number, or none.
  std::optional<int32_t> ProductIdOf(const std::string& partNumber);
  // Whether `table` has a row whose `columns` hold `values`; "STRING" in
  // `types` marks a text, anything else a number. A value that is no
  // number matches no row.
  bool Exists(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<rt::Variant>& values, const std::vector<std::string>& types);
  // The connection of the lookups: the write session's while a call writes
  // (so that it sees the call's own rows), else the kept one.
  std::shared_ptr<data::Connection> LookupConnection();
  // The master-data answers, each asked once a call.
  std::string UnitCodeOf(const std::string& text);
  int32_t PartnerIdOf(const std::string& businessId);
  bool IsBuyer(const std::string& userId);
  bool UnspscPairExists(const std::string& code);
  bool ContractLineExists(const rt::Variant& code, const rt::Variant& number);
  bool CodeHasCategories(const std::string& code);
  // The UNSPSC switch, read at the first need of the object's life.
  bool UnspscImplemented();
  // The separator to split a buyer list at: the object's, set to ";" first
  // when it is empty.
  const std::string& EffectiveSeparator();

  // --- field rules (product_fields.cpp) --------------------------------------------
  // What making values ready does with a field that has a rule.
  enum class FieldUse {
    kKeepWhenValid,  // kept as it is when its check passes, else dropped
    kUnitCode,       // a unit's description becomes its code; an unknown unit is dropped
    kPartnerId,      // becomes BUSINESSPARTNERID, the partner's id (-1 when unknown)
    kBuyerList,      // becomes USERID, the buyer ids trimmed and cut
    kSeparator,      // becomes the object's buyer separator
  };
  // Whether a field's value is valid, given all the product's values.
  using FieldCheck = bool (*)(ProductXML& self, const rt::Dictionary& values, const rt::Variant& value);
  struct FieldRule {
    const char* name;  // upper case
    FieldCheck valid;
    FieldUse use;
  };
  // The rule of an upper-case field name; none for the text columns that
  // are only cut to their width and for the properties.
  static const FieldRule* FieldRuleOf(const std::string& name);

  // --- checks (product_checks.cpp) ------------------------------------------------
  std::shared_ptr<rt::Dictionary> getErrorFields(rt::Dictionary& productValues);
  bool isValidProduct(rt::Dictionary& productValues);

  // --- values made ready for writing (product_values.cpp) ------------------------
  // Drops, converts and cuts the values in place; the caller tells from the
  // count of entries whether a value was dropped.
  void getValidatedProductValues(rt::Dictionary& productValues);

  // --- the import (product_import.cpp) -----------------------------------------------
  bool updateInsertProductFromXML(productxml::LazyDocument& document, const std::string& partNumber,
                                  bool updateOnErrors, bool forcedUpdate);
  bool updateInsertProductFromXML2(productxml::ProductDocument& document, const std::string& partNumber,
                                   bool updateOnErrors, bool forcedUpdate);
  // The common steps of both: validate, and write unless values were dropped.
  void WriteProduct(const std::string& partNumber, rt::Dictionary& product, bool updateOnErrors, bool update);
  // The steps of insertProductFromXML and updateProductFromXML.
  void ImportOne(const char* member, const std::string& iStringOrUrl, bool iIsUrl, const std::string& partNumber,
                 bool updateOnErrors, bool forcedUpdate);

  // --- property values (product_properties.cpp) ------------------------------------
  std::shared_ptr<rt::Dictionary> extractProductColumnValues(rt::Dictionary& productValues);
  // The new PRODUCTID, or -1 when the row writer refused the values.
  int32_t insertProductValues(rt::Dictionary& columnValues, const std::string& partNumber);
  void updateProductValues(rt::Dictionary& columnValues, const std::string& partNumber);
  void insertProductProperties(rt::Dictionary& propertyValues, int32_t productId);
  void updateProductProperties(rt::Dictionary& propertyValues, const std::string& partNumber);
  // The PROPERTY rows of the name (by the database's rule), oldest first;
  // and a new one of the name (DATATYPE 1, EXTERNAL).
  const std::vector<productxml::CallMemo::Property>& PropertiesNamed(const std::string& name);
  productxml::CallMemo::Property CreateProperty(const std::string& name);

  // --- the row and its buyers (product_rows.cpp) ------------------------------------
  // The new product's PRODUCTID, or -1 when a field check fails (nothing
  // written, no error).
  int32_t Insert20(const std::vector<std::string>& fields, std::vector<rt::Variant> values);
  // 0x800400C8 "Product not present" without a row.
  bool Update20(int32_t productId, const std::vector<std::string>& fields, std::vector<rt::Variant> values);
  // The steps of InsertUpdateMultipleBuyer on the call's write session.
  bool WriteBuyers(const rt::Variant& productId, const rt::Variant& users);
  // Moves the product from the categories of its old code to those of its
  // new one (UNSPSCLib), committing the call's group first.
  void Relink(int32_t productId, const std::string& previousCode, const std::string& newCode, bool newRow);

  std::string separator_;
  std::optional<bool> unspscImplemented_;
  rt::ObjectPtr user_;
  rt::ObjectPtr businessPartner_;
  rt::ObjectPtr unit_;
  std::shared_ptr<data::Connection> connection_;
  std::unique_ptr<productxml::CallMemo> memo_;
  int32_t callDepth_ = 0;
  productxml::ProductWriter* writer_ = nullptr;
  import::BatchClock clock_;
};

}  // namespace quarvel
