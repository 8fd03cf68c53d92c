// The catalog tests' fixture: the catalog library's installation fixture
// with the catalog classes created as the host creates them (TCatalog in a
// transaction each outermost call ends), the catalog tables as text, and
// renderings that show the subtypes of keys too.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <string>

#include "interfaces/catalog.h"
#include "tests/quarvel/reference_fixture.h"

namespace catalogtest {

class CatalogTest : public ReferenceTest {
 protected:
  explicit CatalogTest(bool sample = false) : ReferenceTest(sample) {}

  // Every catalog and node, for comparing the database before and after.
  std::string CatalogTables() const {
    return Rows("SELECT * FROM CATALOG ORDER BY CATALOGID") + "--\n" + Rows("SELECT * FROM CATALOGNODE ORDER BY NODEID");
  }

  // "Type:key=Type:item" per entry joined by "; "; arrays "Type()(Type:a, Type:b)".
  static std::string Entries(const std::shared_ptr<rt::Dictionary>& dictionary) {
    return Golden::Entries(dictionary, /*keyTypes=*/true);
  }
  static std::string Value(const rt::Variant& v) { return Golden::Value(v); }
  // The items of a collection in order, each as "Type:value".
  static std::string Items(const std::shared_ptr<rt::Collection>& collection) {
    if (!collection) return "(nothing)";
    std::string text;
    for (int32_t i = 1; i <= collection->Count(); ++i)
      text += (i > 1 ? "; " : "") + Value(collection->Item(rt::Variant(i)));
    return text;
  }

  static rt::ObjectPtr NewLate(const char* progId) {
    return rt::CreateRootObject(progId, std::make_shared<rt::Activity>());
  }
  static std::shared_ptr<ICatalog> NewCatalog() { return std::dynamic_pointer_cast<ICatalog>(NewLate("Quarvel.Catalog")); }
  static std::shared_ptr<ITCatalog> NewTCatalog() { return std::dynamic_pointer_cast<ITCatalog>(NewLate("Quarvel.TCatalog")); }
};

// An installation with the sample data (db/sample/).
class SampleCatalogTest : public CatalogTest {
 protected:
  SampleCatalogTest() : CatalogTest(true) {}
};

}  // namespace catalogtest
