// The buyers of products: the buyer chain, buyers of a list, one of several.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class ProductBuyers : public SampleProductTest {
 protected:
  ProductBuyers() {
    Exec(
        "UPDATE BUSINESSPARTNER SET USERID = 'partnerbuyer' WHERE BUSINESSPARTNERID = 2;"
        "UPDATE COMMODITY SET USERID = 'commoditybuyer' WHERE COMMODITYCODE = 'ELECTRICAL';"
        "UPDATE PRODUCT SET USERID = NULL WHERE PRODUCTID IN (3, 4, 5);"
        "UPDATE PRODUCT SET COMMODITYCODE = 'NOSUCH' WHERE PRODUCTID = 4;"
        "UPDATE PRODUCT SET BUSINESSPARTNERID = NULL WHERE PRODUCTID = 5;"
        "UPDATE PRODUCT SET USERID = '' WHERE PRODUCTID = 2;");
  }
};

TEST_F(ProductBuyers, TheChainEndsAtTheFirstBuyerFound) {
  Run([&] {
    auto product = NewProduct();
    Golden buyers;
    {
      // An own buyer, an empty one included, ends the chain before the
      // supplier is asked.
      auto log = std::make_shared<RecordingFake::Log>();
      FakeClass partner("Brintor.BusinessPartner",
                        [log] { return rt::ObjectPtr(std::make_shared<RecordingFake>("BusinessPartner", log)); });
      for (int32_t id : {1, 2, 3}) buyers.Add(std::to_string(id), product->GetDefaultProductBuyer(id));
      buyers.Add("partner calls", log->size());
    }
    // A commodity without a row: the supplier's buyer; neither: "".
    for (int32_t id : {4, 5}) buyers.Add(std::to_string(id), product->GetDefaultProductBuyer(id));
    EXPECT_EQ(buyers.Add("99", Failure([&] { product->GetDefaultProductBuyer(99); })).Lines(),
              "1: buyer1\n2: \n3: commoditybuyer\npartner calls: 0\n4: partnerbuyer\n5: \n"
              "99: 800400C8 Quarvel.Product.GetProduct: |ERROR 0x800400C8| METHOD: "
              "Quarvel.Product.GetDefaultProductBuyer| DESC: Product not present.|\n");
    Exec("UPDATE PRODUCT SET BUSINESSPARTNERID = 99 WHERE PRODUCTID = 5");
    // The partner's failure with its own block, then this method's.
    EXPECT_EQ(Failure([&] { product->GetDefaultProductBuyer(5); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: Quarvel.Product.GetDefaultProductBuyer| "
              "DESC: |ERROR 0x80040088| METHOD: Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner "
              "99 not found.|.|");
  });
}

// MULTIPLEBUYER 0: the product's own buyer; 1: the first buyer row as
// stored; Null, or 1 without rows: no entry.
TEST_F(ProductBuyers, BuyersOfAListOfProductsFollowTheirFlag) {
  Exec(
      "UPDATE PRODUCT SET MULTIPLEBUYER = 1 WHERE PRODUCTID IN (2, 4);"
      "UPDATE PRODUCT SET MULTIPLEBUYER = NULL WHERE PRODUCTID = 8;"
      "INSERT INTO PRODUCTBUYER VALUES (4, 'approver1'), (4, 'buyer1');");
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(Render(product->GetBuyersForProducts(Array({8, 7, "4", 3, 2, 1, 99}))),
              "1=String:buyer1; 3=String:; 4=String:approver1; 7=String:buyer1");
  });
}

TEST_F(ProductBuyers, OneOfSeveralBuyersIsWrittenOnlyForAMultipleBuyerProduct) {
  Exec("UPDATE PRODUCT SET MULTIPLEBUYER = NULL WHERE PRODUCTID = 8");
  Run([&] {
    auto product = NewProduct();
    const rt::Variant names = Array({"PRODUCTID", "USERID"});
    EXPECT_TRUE(product->InsertMultipleBuyers(names, Array({7, "  "})));
    EXPECT_EQ(Failure([&] { product->InsertMultipleBuyers(names, Array({8, "approver1"})); }),
              "80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.InsertMultipleBuyers| DESC: This productid "
              "doesn't have multiple buyer defined in product table.|");
  });
  EXPECT_EQ(Rows("SELECT PRODUCTID, USERID FROM PRODUCTBUYER ORDER BY ROWID"), "7|buyer1\n7|approver1\n7|null\n");

  // A buyer that the referential checker does not know is refused.
  auto log = std::make_shared<std::vector<std::string>>();
  auto users = Owner("Test.Users", false, log);
  UseReferences("[USER]\nKey=USERID\nOwner=Test.Users\nReferredBy=Quarvel.Product:PRODUCTBUYER.USERID\n");
  Run([&] {
    EXPECT_EQ(Failure([&] { NewProduct()->InsertMultipleBuyers(Array({"PRODUCTID", "USERID"}), Array({7, "ghost"})); }),
              "80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.InsertMultipleBuyers| DESC: The "
              "productbuyer record you are trying to insert has an invalid reference to another record.|");
  });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM PRODUCTBUYER"), "3\n");
}

}  // namespace
}  // namespace producttest
