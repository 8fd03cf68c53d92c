// ProductXML: the import. One product, a list of products or a batch is
// written from a document, each product as an update when the catalog
// knows its part number (or the call forces one) and as an insert
// otherwise. A product whose values had to be dropped is written only when
// the caller allows it, and never when nothing is left; the master-data
// checks that the error report makes play no part here.
#include "common/method_error.h"
#include "quarvel/import/import_batch.h"
#include "quarvel/import/import_xml.h"
#include "quarvel/import/product_writer.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_xml_calls.h"
#include "quarvel/import/product_xml_common.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace quarvel {

using namespace productxml;

void ProductXML::WriteProduct(const std::string& partNumber, rt::Dictionary& product, bool updateOnErrors,
                              bool update) {
  const int32_t read = product.Count();
  if (read == 0) return;
  getValidatedProductValues(product);
  const int32_t left = product.Count();
  if (left == 0 || (left != read && !updateOnErrors)) return;
  std::shared_ptr<rt::Dictionary> columns = extractProductColumnValues(product);
  if (update) {
    updateProductValues(*columns, partNumber);
    updateProductProperties(product, partNumber);
  } else {
    insertProductProperties(product, insertProductValues(*columns, partNumber));
  }
}

// A part number without a Product element reads as an empty product and
// writes nothing.
bool ProductXML::updateInsertProductFromXML(LazyDocument& document, const std::string& partNumber,
                                            bool updateOnErrors, bool forcedUpdate) {
  try {
    const bool update = forcedUpdate || !getProductName(partNumber).IsNull();
    std::shared_ptr<rt::Dictionary> product = ReadProduct(document, partNumber);
    WriteProduct(partNumber, *product, updateOnErrors, update);
    return true;
  } catch (...) {
    HandleMethodError(Source("updateInsertProductFromXML"));
  }
  return false;
}

// The batch's worker: the part number's element is taken out of the
// document whether or not the product was written; a part number whose
// elements are all gone (or that has none) writes nothing and is handled.
bool ProductXML::updateInsertProductFromXML2(ProductDocument& document, const std::string& partNumber,
                                             bool updateOnErrors, bool forcedUpdate) {
  try {
    const bool update = forcedUpdate || !getProductName(partNumber).IsNull();
    const rt::ObjectPtr element = document.Remaining(partNumber);
    std::shared_ptr<rt::Dictionary> product = readOneProductFromXML2(element);
    WriteProduct(partNumber, *product, updateOnErrors, update);
    if (element) document.Remove(element);
    return true;
  } catch (...) {
    HandleMethodError(Source("updateInsertProductFromXML2"));
  }
  return false;
}

void ProductXML::ImportOne(const char* member, const std::string& iStringOrUrl, bool iIsUrl,
                           const std::string& partNumber, bool updateOnErrors, bool forcedUpdate) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  WritingCall writing(*this);
  try {
    LazyDocument document{iStringOrUrl, iIsUrl, nullptr};
    updateInsertProductFromXML(document, partNumber, updateOnErrors, forcedUpdate);
    writing.Commit();
  } catch (...) {
    HandleMethodError(Source(member), [&] { writing.CommitAfterFailure(); });
  }
}

void ProductXML::insertProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                                      bool iUpdateOnErrors) {
  ImportOne("insertProductFromXML", iStringOrUrl, iIsUrl, iBuyFromPartNr, iUpdateOnErrors, false);
}

void ProductXML::updateProductFromXML(const std::string& iStringOrUrl, bool iIsUrl, const std::string& iBuyFromPartNr,
                                      bool iUpdateOnErrors) {
  ImportOne("updateProductFromXML", iStringOrUrl, iIsUrl, iBuyFromPartNr, iUpdateOnErrors, true);
}

// Each entry as text, not trimmed; the document is loaded at the first
// entry and read for every one. The list is walked with a 16-bit counter:
// one of more entries fails with Overflow (6) before anything is written.
void ProductXML::updateProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                                       bool iUpdateOnErrors) {
  rt::ContextScope scope(*this);
  CallScope call(*this);
  WritingCall writing(*this);
  try {
    const rt::SafeArray& entries = iBuyFromPartNrs.AsArray();
    const int32_t lower = entries.LBound();
    const int32_t upper = entries.UBound();
    if (lower < -kMostEntries - 1 || upper > kMostEntries || upper - lower + 1 > kMostEntries)
      rt::RaiseVb(rt::vberr::kOverflow);
    LazyDocument document{iStringOrUrl, iIsUrl, nullptr};
    for (int32_t i = lower; i <= upper; ++i)
      updateInsertProductFromXML(document, rt::CStr(entries.At(i)), iUpdateOnErrors, true);
    writing.Commit();
  } catch (...) {
    HandleMethodError(Source("updateProductsFromXML"), [&] { writing.CommitAfterFailure(); });
  }
}

// The batch (import_batch.h): one loaded document for all its part
// numbers, the budget tested before each, the list cut to those handled
// and what remains of the document left in the rest file.
void ProductXML::insertProductsFromXML(const std::string& iStringOrUrl, bool iIsUrl, rt::Variant& iBuyFromPartNrs,
                                       bool iUpdateOnErrors) {
  // The budget counts the loading of the document too.
  const double started = clock_();
  rt::ContextScope scope(*this);
  CallScope call(*this);
  WritingCall writing(*this);
  try {
    const import::BatchArgument argument = import::SplitBatchArgument(iStringOrUrl, kRestFileStem);
    const rt::ObjectPtr loaded = import::NewImportDocument();
    // A document that does not load is no empty one: it would fail at its
    // first part number, or count an empty list as done and lose the rest file.
    if (!import::LoadImportDocument(loaded, argument.document, iIsUrl))
      rt::Raise(import::kUnableToLoadXml, Source("insertProductsFromXML"), import::kUnableToLoadXmlText);
    ProductDocument document(loaded);
    const int32_t handled =
        import::RunWithinBudget(iBuyFromPartNrs, clock_, started, [&](const rt::Variant& entry) {
          updateInsertProductFromXML2(document, rt::Trim(rt::CStr(entry)), iUpdateOnErrors, false);
        });
    writing.Commit();
    import::CutList(iBuyFromPartNrs, handled);
    import::RestFile(kRestFileStem, argument.prefix).Settle(loaded, document.ElementsLeft());
  } catch (...) {
    HandleMethodError(Source("insertProductsFromXML"), [&] { writing.CommitAfterFailure(); });
  }
}

}  // namespace quarvel
