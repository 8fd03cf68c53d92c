// The dispatch table of PriceXML (the members of _PriceXML in slot order),
// the class's description for the library's class table, and its making.
#include "quarvel/classes.h"
#include "quarvel/import/price_xml.h"
#include "runtime/dispatch.h"

namespace quarvel {

rt::ClassInfo PriceXMLClass() {
  // {17093CC6-...}: the class does not support transactions; it never votes.
  return rt::ClassInfo{"Quarvel.PriceXML", "", rt::TransactionAttribute::NotSupported,
                       [] { return std::make_shared<PriceXML>(); }};
}

// A new object has no connection and no currencies; they come with its
// first lookup and its first check.
PriceXML::PriceXML(import::BatchClock clock) : clock_(std::move(clock)) {}
PriceXML::~PriceXML() = default;

const rt::DispatchTable* PriceXML::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<PriceXML>("PriceXML")
          .Method("GetCheckedPriceList", &PriceXML::GetCheckedPriceList)
          .Method("readProductPriceFromXML", &PriceXML::readProductPriceFromXML)
          .Method("GetErrorsInPriceValues", &PriceXML::GetErrorsInPriceValues)
          .Method("UpdateInsertPricesFromXML", &PriceXML::UpdateInsertPricesFromXML)
          .Build();
  return &table;
}

}  // namespace quarvel
