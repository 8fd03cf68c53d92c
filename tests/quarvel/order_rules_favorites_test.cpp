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
    std::string answers;
    for (auto [id, quantity] : {std::pair{1, 18.0}, {1, 15.0}, {1, 6.0}, {2, 0.3}, {2, 0.25}, {2, 1e-20}, {3, 2.25},
                                {4, -3.0}, {99, 1.0}})
      answers += product->CheckLotSize(id, quantity) ? "T" : "F";
    EXPECT_EQ(answers + " " + Failure([&] { product->CheckLotSize(2, 1e28); }),
              "TFFTFFFTF 6 Quarvel: |ERROR 0x6| METHOD: Quarvel.Product.Checklotsize| DESC: Overflow.|");
    EXPECT_DOUBLE_EQ(product->getMultipleOf(2) + product->getMinOrderQty(1), 12.1);
    EXPECT_EQ(product->getMultipleOf(4) + product->getMinOrderQty(99), 0);
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
  std::string rows = Rows(stored) + "-\n";
  // A favourite that exists is not added, and the call votes abort.
  EXPECT_FALSE(CallerKeepsItsWork([&] { Inner<IProduct>("Quarvel.Product")->CreateFavoriteEx(user, 1, 1, 0); }));
  EXPECT_TRUE(CallerKeepsItsWork([&] { Inner<IProduct>("Quarvel.Product")->CreateFavoriteEx(user, 3, 0, 0); }));
  Run([&] {
    auto product = NewProduct();
    product->DeleteFavoriteEx(user, 1, WarehouseFavorite, 7);
    product->DeleteFavoriteEx(user, 1, DefaultFavorite, 7);  // matches nothing
    product->DeleteFavoriteEx(user, 2, 0, -5);               // a folder below 0 is matched as it is
  });
  rows += Rows(stored) + "-\n";
  Run([&] {
    auto product = NewProduct();
    product->DeleteFavorite(user, 1, std::nullopt);  // both kinds, every folder
    product->DeleteFavoriteEx(user, 2, DefaultFavorite, 0);
  });
  EXPECT_EQ(rows + Rows(stored), "2|0|0|0\n1|0|0|1\n1|1|7|1\n1|1|0|1\n2|0|0|1\n-\n"
                                 "2|0|0|0\n1|0|0|1\n1|1|0|1\n2|0|0|1\n3|0|0|1\n-\n3|0|0|1\n");
}

}  // namespace
}  // namespace producttest
