// The writers among the product's queries under the fault sweep (a failed
// statement or commit raises or refuses and leaves every table as it was),
// and every id that a caller's text or Variant puts into a statement:
// anything but a number is refused with Type mismatch before a statement
// runs.
#include <gtest/gtest.h>

#include "data/testing/fault_sweep.h"
#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

using data::testing::Outcome;

class ProductQueryFaults : public PricedProductTest {
 protected:
  ProductQueryFaults() {
    Exec(
        "UPDATE PRODUCT SET MULTIPLEBUYER = 1 WHERE PRODUCTID = 2;"
        "INSERT INTO PRODUCTBUYER VALUES (2, 'buyer1');"
        "INSERT INTO PROPERTY VALUES (1, 'Colour', 1, 'Black', 0), (2, 'Size', 1, 'M', 0);"
        "INSERT INTO PRODUCTPROPVALUE VALUES (1, 1, 'Blue');"
        "INSERT INTO COMMODITY (COMMODITYCODE) VALUES ('O''B');"
        "INSERT INTO FAVORITES VALUES ('fan', 1, 0, 0, 1), ('fan', 1, 1, 4, 1);");
  }
};

Outcome Done(const std::function<void()>& call) {
  call();
  return Outcome::Succeeded;
}

TEST_F(ProductQueryFaults, WritersRaiseOrRefuseAndLeaveTheTables) {
  const std::vector<std::pair<const char*, std::function<Outcome(IProduct&)>>> writes = {
      {"InsertMultipleBuyers",
       [](IProduct& p) {
         return p.InsertMultipleBuyers(Array({"PRODUCTID", "USERID"}), Array({2, "approver1"})) ? Outcome::Succeeded
                                                                                                : Outcome::Refused;
       }},
      {"UpdateProductPropertyValue",
       [](IProduct& p) {
         int32_t product = 1, property = 1;
         std::string value = "it's red";
         return Done([&] { p.UpdateProductPropertyValue(product, property, value); });
       }},
      {"InsertProductPropertyValue",
       [](IProduct& p) {
         int32_t product = 1, property = 2;
         std::string value = "L";
         return Done([&] { p.InsertProductPropertyValue(product, property, value); });
       }},
      {"DeleteCommodity", [](IProduct& p) { return p.DeleteCommodity("O'B") ? Outcome::Succeeded : Outcome::Refused; }},
      {"InsertManufacturer",
       [](IProduct& p) {
         std::string code = "M'1", name = "Maker";
         return Done([&] { p.InsertManufacturer(code, name); });
       }},
      {"CreateFavorite", [](IProduct& p) { return Done([&] { p.CreateFavorite("fan", 2, std::nullopt); }); }},
      {"CreateFavoriteEx", [](IProduct& p) { return Done([&] { p.CreateFavoriteEx("fan", 3, 1, 9); }); }},
      {"DeleteFavorite", [](IProduct& p) { return Done([&] { p.DeleteFavorite("fan", 1, std::nullopt); }); }},
      {"DeleteFavoriteEx", [](IProduct& p) { return Done([&] { p.DeleteFavoriteEx("fan", 1, 1, 4); }); }},
  };
  Run([&] {
    data::testing::FaultEngine engine;
    const data::testing::SweepTarget target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    for (const auto& [name, write] : writes) {
      auto report = data::testing::SweepFaults(engine, target, [&] { return write(*NewProduct()); });
      EXPECT_GT(report.statements, 0) << name;
      EXPECT_EQ(report.Problems(), "") << name;
    }
  });
}

TEST_F(ProductQueryFaults, IdsThatAreNoNumbersAreRefusedBeforeAnyStatement) {
  const std::string before = data::testing::DatabaseTarget(sandbox_.CatalogPath()).state();
  Run([&] {
    auto product = NewProduct();
    const rt::Variant injected("1) OR (1=1");
    const rt::Variant list = Array({rt::Variant(1), injected});
    const rt::Variant none = rt::Variant::Missing();
    rt::Variant more;
    const std::vector<std::pair<const char*, std::function<void()>>> calls = {
        {"ValidateProductAgainstUserCatalogs",
         [&] { product->ValidateProductAgainstUserCatalogs("1 OR 1=1", Array({1})); }},
        {"ValidateProductAgainstUserCatalogs", [&] { product->ValidateProductAgainstUserCatalogs("1", list); }},
        {"GetProductsBySupplier", [&] { product->GetProductsBySupplier("7 OR 1=1"); }},
        {"GetProductsByCriteria", [&] { product->GetProductsByCriteria(2, injected, none); }},
        {"GetProductsByCriteria", [&] { product->GetProductsByCriteria(2, rt::Variant::Null(), none); }},
        {"GetPartNumbersForProducts", [&] { product->GetPartNumbersForProducts(list); }},
        {"getBuyersForProducts", [&] { product->GetBuyersForProducts(list); }},
        {"GetProductIdFromPartNumSource", [&] { product->GetProductIdFromPartNumSource("P-1", injected, none); }},
        {"GetProductIdFromPartNumSource", [&] { product->GetProductIdFromPartNumSource("P-1", none, injected); }},
        {"GetAlternativeProducts", [&] { product->GetAlternativeProducts(1, injected); }},
        {"getProductIDFromPartNum", [&] { product->getProductIDFromPartNum("P", "(1) OR (1=1)"); }},
        {"countProductIDsFromPartNum", [&] { product->countProductIDsFromPartNum("P", "(1,2"); }},
        {"GetCatalogProductsByPartNumber",
         [&] { product->GetCatalogProductsByPartNumber("P%", 5, more, "(SELECT CATALOGID FROM CATALOG)"); }},
        {"InsertMultipleBuyers",
         [&] {
           product->InsertMultipleBuyers(Array({"PRODUCTID", "USERID"}), Array({"2 OR 1=1", "x"}));
         }},
    };
    for (const auto& [member, call] : calls)
      EXPECT_EQ(Failure(call),
                std::string("D Quarvel: |ERROR 0xD| METHOD: Quarvel.Product.") + member + "| DESC: Type mismatch.|");
  });
  EXPECT_EQ(data::testing::DatabaseTarget(sandbox_.CatalogPath()).state(), before);
}

}  // namespace
}  // namespace producttest
