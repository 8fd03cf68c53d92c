// The class descriptions (ProgID, CLSID, transaction attribute, factory)
// that each class file of the Quarvel library provides for its class table.
#pragma once

#include "runtime/registry.h"

namespace quarvel {

// reference data (quarvel/reference/)
rt::ClassInfo UnitClass();
rt::ClassInfo TUnitClass();
rt::ClassInfo HazardousClassClass();
rt::ClassInfo THazardousClassClass();
rt::ClassInfo PropertyClass();
rt::ClassInfo PropertyGroupClass();
rt::ClassInfo RPropertyGroupClass();
rt::ClassInfo FaqlistClass();
rt::ClassInfo ContractClass();
// UNSPSC classes
rt::ClassInfo UNSPSCClass();
rt::ClassInfo TUNSPSCClass();
// products (quarvel/product/)
rt::ClassInfo ProductClass();

// catalogs (quarvel/catalog/)
rt::ClassInfo CatalogClass();
rt::ClassInfo TCatalogClass();

// product and price import (quarvel/import/)
rt::ClassInfo PriceXMLClass();
rt::ClassInfo ProductXMLClass();

}  // namespace quarvel
