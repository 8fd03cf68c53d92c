// The Quarvel library's class table and its four library exports.
#include "quarvel/classes.h"
#include "runtime/registry.h"

namespace {

// Built on first use, so that nothing of the library runs when it is loaded.
const rt::ClassTable& Classes() {
  static const rt::ClassTable table(std::vector<rt::ClassInfo>{
      // reference data
      quarvel::UnitClass(),
      quarvel::TUnitClass(),
      quarvel::HazardousClassClass(),
      quarvel::THazardousClassClass(),
      quarvel::PropertyClass(),
      quarvel::PropertyGroupClass(),
      quarvel::RPropertyGroupClass(),
      quarvel::FaqlistClass(),
      quarvel::ContractClass(),
      // UNSPSC classes
      quarvel::UNSPSCClass(),
      quarvel::TUNSPSCClass(),
      // catalogs
      quarvel::CatalogClass(),
      quarvel::TCatalogClass(),
      // products
      quarvel::ProductClass(),
      // product and price import
      quarvel::PriceXMLClass(),
      quarvel::ProductXMLClass(),
  });
  return table;
}

}  // namespace

RT_COMPONENT_EXPORTS(Classes())
