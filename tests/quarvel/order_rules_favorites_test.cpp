// The order-quantity rules in exact decimals, and the favourites' kinds and
// folders, read one way when creating and another when deleting.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class OrderRules : public ProductTest {
 protected:
  OrderRules() {
    Exec(
        "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, MULTIPLEOF, MINORDERQTY) VALUES"
        " (1, 'P-1', 'Six, twelve at least', 6, 12), (2, 'P-2', 'Tenths', 0.1, NULL), (3, 'P-3', 'Halves', 0.5, 0),"
        " (4, 'P-4', 'No rule', NULL, NULL)");
  }
};

TEST_F(OrderRules, QuantitiesAreWholeMultiplesNotBelowTheMinimum) {
  Run([&] {
    auto product = NewProduct();
    Golden answers;
    for (auto [id, quantity] : {std::pair{1, 18.0}, {1, 15.0}, {1, 6.0}, {2, 0.3}, {2, 0.25}, {2, 1e-20}, {3, 2.25},
                                {4, -3.0}, {99, 1.0}})
      answers.Add(std::to_string(id) + " x " + Golden::Text(quantity), product->CheckLotSize(id, quantity));
    answers.Add("2 x 1e28", Failure([&] { product->CheckLotSize(2, 1e28); }));
    EXPECT_EQ(answers.Lines(),
              "1 x 18: true\n1 x 15: false\n1 x 6: false\n2 x 0.3: true\n2 x 0.25: false\n2 x 1e-20: false\n"
              "3 x 2.25: false\n4 x -3: true\n99 x 1: false\n"
              "2 x 1e28: 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Product.Checklotsize| DESC: Overflow.|\n");
    Golden rules;
    rules.Add("multiple of 2", product->getMultipleOf(2)).Add("minimum of 1", product->getMinOrderQty(1));
    rules.Add("multiple of 4", product->getMultipleOf(4)).Add("minimum of 99", product->getMinOrderQty(99));
    EXPECT_EQ(rules.Line(), "multiple of 2=0.1 minimum of 1=12 multiple of 4=0 minimum of 99=0");
  });
}

using Favorites = PricedProductTest;

TEST_F(Favorites, KindsAndFoldersAreReadDifferentlyWhenCreatingAndDeleting) {
  const char* user = "o'hara";
  const std::string stored =
      "SELECT PRODUCTID, WAREHOUSEFAVORITE, FOLDERID, PRESENT FROM FAVORITES WHERE USERID = 'o''hara' ORDER BY ROWID";
  Exec("INSERT INTO FAVORITES VALUES ('o''hara', 2, 0, 0, 0)");
  Run([&] {
    auto product = NewProduct();
    product->CreateFavorite(user, 1, std::nullopt);
    product->CreateFavoriteEx(user, 1, WarehouseFavorite, 7);
    product->CreateFavoriteEx(user, 1, WarehouseFavorite, -5);
    product->CreateFavoriteEx(user, 2, DefaultFavorite, std::nullopt);  // the stored row is not present
  });
  Golden rows;
  rows.Add("created", Rows(stored));
  // A favourite that exists is not added, and the call votes abort.
  EXPECT_FALSE(CallerKeepsItsWork([&] { Inner<IProduct>("Quarvel.Product")->CreateFavoriteEx(user, 1, 1, 0); }));
  EXPECT_TRUE(CallerKeepsItsWork([&] { Inner<IProduct>("Quarvel.Product")->CreateFavoriteEx(user, 3, 0, 0); }));
  Run([&] {
    auto product = NewProduct();
    product->DeleteFavoriteEx(user, 1, WarehouseFavorite, 7);
    product->DeleteFavoriteEx(user, 1, DefaultFavorite, 7);  // matches nothing
    product->DeleteFavoriteEx(user, 2, 0, -5);               // a folder below 0 is matched as it is
  });
  rows.Add("after the deletes", Rows(stored));
  Run([&] {
    auto product = NewProduct();
    product->DeleteFavorite(user, 1, std::nullopt);  // both kinds, every folder
    product->DeleteFavoriteEx(user, 2, DefaultFavorite, 0);
  });
  EXPECT_EQ(rows.Add("after deleting 1 and 2", Rows(stored)).Lines(),
            "created:\n2|0|0|0\n1|0|0|1\n1|1|7|1\n1|1|0|1\n2|0|0|1\n"
            "after the deletes:\n2|0|0|0\n1|0|0|1\n1|1|0|1\n2|0|0|1\n3|0|0|1\n"
            "after deleting 1 and 2: 3|0|0|1\n");
}

}  // namespace
}  // namespace producttest
