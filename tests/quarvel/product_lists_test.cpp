// Product lists: the paged list and the lists keyed by PRODUCTID.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

using ProductLists = SampleProductTest;

TEST_F(ProductLists, ThePagedListTakesProductColumnsAndTheTrustedWhereText) {
  const std::string everyColumn = Scalar("SELECT group_concat(name, ', ') FROM pragma_table_info('PRODUCT')");
  Run([&] {
    auto product = NewProduct();
    auto page = [&](const char* fields, const char* key, int32_t size, const char* where) {
      return Page(product->GetProductsAsDRecordSet(nullptr, "", size, fields, "PARTNUMBER", key, where), "PARTNUMBER");
    };
    Golden pages;
    pages.Add("two columns, enabled with a dash", page("PRODUCTID, partnumber", "PRODUCTID", 3,
                                                       "DISABLED = 0 AND PARTNUMBER LIKE '%-%'"));
    pages.Add("every column, with a GTIN", page(everyColumn.c_str(), "PRODUCTID", 8, "GTIN IS NOT NULL"));
    EXPECT_EQ(pages.Lines(),
              "two columns, enabled with a dash: 3: BATT-400 CABLE-800 DRILL-700\nevery column, with a GTIN: 1: "
              "PAPER-500\n");
    for (auto [fields, key] : {std::pair{"PRODUCTID, (SELECT 1)", "PRODUCTID"}, {"PRODUCTID; DROP TABLE X", "PRODUCTID"},
                               {"PRODUCTID", "PRODUCTID DESC"}, {"PRODUCTID", "NOCOLUMN"}})
      EXPECT_EQ(Failure([&] { page(fields, key, 3, ""); }),
                "5 Quarvel: |ERROR 0x5| METHOD: Quarvel.Product.GetProductsAsDRecordSet| DESC: Invalid procedure call "
                "or argument.|");
    EXPECT_EQ(Failure([&] { page("PRODUCTID", "PRODUCTID", 40000, ""); }).substr(0, 2), "6 ");
  });
}

TEST_F(ProductLists, ListsKeyedByProductId) {
  Exec("INSERT INTO PRODUCTBUYER VALUES (2, 'approver1')");
  Run([&] {
    auto product = NewProduct();
    const rt::Variant none = rt::Variant::Missing();
    // The drill lists approver1 among its buyers, the gloves too.
    Golden lists;
    lists.Add("criteria 1, 2, ELECTRICAL",
              Listed(product->GetProductsByCriteria(1, rt::Variant("2"), rt::Variant("ELECTRICAL"))));
    lists.Add("criteria 2, 1: count", product->GetProductsByCriteria(2, rt::Variant(1), none)->Count());
    lists.Add("buyer approver1", Listed(product->GetProductsByBuyer("approver1")));
    lists.Add("supplier 2", Listed(product->GetProductsBySupplier("2")));
    lists.Add("part numbers of 3, 5, 99",
              Listed(product->GetPartNumbersForProducts(Array({rt::Variant(3), rt::Variant("5"), rt::Variant(99)}))));
    lists.Add("part numbers of all: count", product->GetPartNumbersForProducts(none)->Count());
    EXPECT_EQ(lists.Lines(),
              "criteria 1, 2, ELECTRICAL: Long 4=Alkaline batteries AA, box of 10|BATT-400; "
              "Long 8=Extension cable 5 m|CABLE-800\ncriteria 2, 1: count: 4\n"
              "buyer approver1: Long 7=DRILL-700; Long 2=GLOVE-200\n"
              "supplier 2: Long 3=LAMP-300|MN-L300; Long 4=BATT-400|MN-B400; Long 7=DRILL-700|MN-D700; "
              "Long 8=CABLE-800|MN-C800\npart numbers of 3, 5, 99: Long 3=LAMP-300; Long 5=PAPER-500\n"
              "part numbers of all: count: 8\n");
  });
}

}  // namespace
}  // namespace producttest
