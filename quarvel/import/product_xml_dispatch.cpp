// The dispatch table of ProductXML (the members of _ProductXML in slot
// order), the class's description for the library's class table, and its
// making.
#include "quarvel/classes.h"
#include "quarvel/import/product_xml.h"
#include "quarvel/import/product_writer.h"
#include "runtime/dispatch.h"

namespace quarvel {

rt::ClassInfo ProductXMLClass() {
  // No transaction attribute: the class runs outside any transaction and
  // never votes.
  return rt::ClassInfo{"Quarvel.ProductXML", "", rt::TransactionAttribute::None,
                       [] { return std::make_shared<ProductXML>(); }};
}

// A new object answers "" for its separator (the writers and checks read
// that as ";"); its connection, its created objects and the UNSPSC switch
// come with their first use and go with the object.
ProductXML::ProductXML(import::BatchClock clock) : clock_(std::move(clock)) {}
ProductXML::~ProductXML() = default;

const rt::DispatchTable* ProductXML::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<ProductXML>("ProductXML")
          .Method("readBFPartNumbersFromXML", &ProductXML::readBFPartNumbersFromXML)
          .Method("readOneProductFromXML", &ProductXML::readOneProductFromXML)
          .Method("getErrorsInProductValues", &ProductXML::getErrorsInProductValues)
          .Method("insertProductFromXML", &ProductXML::insertProductFromXML)
          .Method("insertProductsFromXML", &ProductXML::insertProductsFromXML)
          .Method("updateProductsFromXML", &ProductXML::updateProductsFromXML)
          .Method("updateProductFromXML", &ProductXML::updateProductFromXML)
          .Method("GetCheckedProductUpdateList", &ProductXML::GetCheckedProductUpdateList)
          .Method("GetCheckedProductInsertList", &ProductXML::GetCheckedProductInsertList)
          .Get("MultipleBuyerSeparator", &ProductXML::get_MultipleBuyerSeparator)
          .Let("MultipleBuyerSeparator", &ProductXML::put_MultipleBuyerSeparator)
          .Method("InsertUpdateMultipleBuyer", &ProductXML::InsertUpdateMultipleBuyer)
          .Build();
  return &table;
}

}  // namespace quarvel
