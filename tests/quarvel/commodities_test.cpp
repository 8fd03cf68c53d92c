// Commodities, tax codes, category names, manufacturers and their lists.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

using Commodities = SampleProductTest;

TEST_F(Commodities, AnswerTheirPurchasingAttributes) {
  Exec(
      "INSERT INTO COMMODITY (COMMODITYCODE, TAXCODE) VALUES ('O''B', 'NOTAX');"
      "INSERT INTO PRODUCTCATEGORY (CATEGORYNAME) VALUES (NULL);");
  const std::string unnamed = Scalar("SELECT MAX(CATEGORYID) FROM PRODUCTCATEGORY");
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(Render(product->GetTaxcodeInformation("apparel")),
              "TAXCODE=String:VAT19; DESCRIPTION=String:Value added tax 19 %; LEDGERACCOUNT=String:1576");
    EXPECT_EQ(Render(product->GetTaxcodeInformation("O'B")), "");
    std::string electrical = "ELECTRICAL", quoted = "O'B", missing = "NONE";
    EXPECT_EQ(Golden()
                  .Add("ELECTRICAL", product->GetBisItemCode(electrical))
                  .Add("O'B", product->GetBisItemCode(quoted))
                  .Line(),
              "ELECTRICAL=BIS-ELE-02 O'B=");
    EXPECT_EQ(Golden()
                  .Add("ELECTRICAL", product->GetBuyerFromCommodity(electrical))
                  .Add("O'B", product->GetBuyerFromCommodity(quoted))
                  .Line(),
              "ELECTRICAL=buyer1 O'B=");
    EXPECT_EQ(Failure([&] { product->GetBuyerFromCommodity(missing); }).substr(0, 9), "800A0BCD ");
    EXPECT_EQ(LogEntriesWith("Quarvel.Product.getbuyerfromcommodity"), 1);
    // A category without a name answers "", as one without a row does.
    int32_t category = std::stoi(unnamed), paper = std::stoi(CategoryId("Paper products"));
    EXPECT_EQ(Golden()
                  .Add("paper", product->GetCategoryName(paper))
                  .Add("unnamed", product->GetCategoryName(category))
                  .Line(),
              "paper=Paper products unnamed=");
  });
}

TEST_F(Commodities, AreListedPageByPageWithManufacturers) {
  Exec("INSERT INTO COMMODITY (COMMODITYCODE) VALUES ('O''B')");
  Run([&] {
    auto product = NewProduct();
    EXPECT_EQ(Page(product->GetCommodityData(nullptr, "", 3, Array({"O'B", "apparel", "X') OR ('1'='1"}),
                                             "COMMODITYCODE DESC"),
                   "COMMODITYCODE"),
              "1: O'B APPAREL");
    std::string code = "O'C", name = "O'Connor & Sons";
    product->InsertManufacturer(code, name);
    EXPECT_EQ(Failure([&] { product->InsertManufacturer(code, name); }).substr(0, 9), "80040E2F ");
    EXPECT_EQ(LogEntriesWith("Quarvel.Manufacturer.InsertManufacturer"), 1);
    EXPECT_EQ(Page(product->GetManufacturerData(nullptr, "", 10, Array({"O'C", "volta"}), "MANUFACTURERNAME"),
                   "MANUFACTURERNAME"),
              "1: O'Connor & Sons Volta Electric");
    EXPECT_EQ(Failure([&] { product->GetAllCommodities(); }),
              "FFFFFFFF Quarvel: |ERROR 0xFFFFFFFF| METHOD: Function GetAllCommodities() is a 'full table scan' "
              "function and is not supported anymore.|Use new function GetCommodityData() that supports paging "
              "(=based on DRecordset component).| DESC: Application-defined or object-defined error.|");
  });
}

// The shipped registry names no referrer of commodities, and the product
// class cannot answer for them (it answers whether a commodity exists): the
// delete looks itself whether a product names the commodity, as the
// database compares codes, and refuses quietly with an abort vote. A
// registry whose referrer answers that the code is used refuses the same way.
TEST_F(Commodities, AreDeletedOnlyWhenNoProductNamesThemAndTheCheckerAllows) {
  Exec("INSERT INTO COMMODITY (COMMODITYCODE) VALUES ('UNUSED'), ('SPARE')");
  Run([&] {
    std::string answers;
    for (const char* code : {"APPAREL", "electrical ", "UNUSED"}) {
      std::string answer;
      const bool committed = CallerKeepsItsWork(
          [&] { answer = Answer([&] { return Inner<IProduct>("Quarvel.Product")->DeleteCommodity(code); }); });
      answers += std::string(code) + ": " + answer + (committed ? " commit\n" : " rollback\n");
    }
    EXPECT_EQ(answers, "APPAREL: Boolean:False rollback\nelectrical : Boolean:False rollback\nUNUSED: Boolean:True commit\n");
    EXPECT_EQ(Failure([&] { NewProduct()->DeleteCommodity("O'X"); }),
              "800400CE Quarvel.Commodity.Delete: |ERROR 0x800400CE| METHOD: Quarvel.Product.DeleteCommodity| DESC: "
              "Commodity O'X not present.| INFO: Commoditycode: O'X.|");
  });
  EXPECT_EQ(Rows("SELECT COMMODITYCODE FROM COMMODITY WHERE COMMODITYCODE IN ('APPAREL', 'ELECTRICAL', 'UNUSED') "
                 "ORDER BY 1") +
                Rows("SELECT group_concat(PRODUCTID) FROM PRODUCT WHERE COMMODITYCODE = 'ELECTRICAL'"),
            "APPAREL\nELECTRICAL\n3,4,7,8\n");
  auto referrer = Owner("Quarvel.TestReferrer", true);
  UseReferences("[COMMODITY]\nKey=COMMODITYCODE\nOwner=Quarvel.Product\nReferredBy=Quarvel.TestReferrer:T.CODE\n");
  Run([&] { EXPECT_FALSE(NewProduct()->DeleteCommodity("SPARE")); });
  EXPECT_EQ(Rows("SELECT COUNT(*) FROM COMMODITY WHERE COMMODITYCODE = 'SPARE'"), "1\n");
  EXPECT_EQ(LogEntriesWith("DeleteCommodity"), 1);
}

}  // namespace
}  // namespace producttest
