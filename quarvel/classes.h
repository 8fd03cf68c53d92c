// The class descriptions (ProgID, CLSID, transaction attribute, factory)
// that each class file of the Quarvel library provides for its class table.
#pragma once

#include "runtime/registry.h"

namespace quarvel {

// catalogs (quarvel/catalog/)
rt::ClassInfo CatalogClass();
rt::ClassInfo TCatalogClass();

}  // namespace quarvel
