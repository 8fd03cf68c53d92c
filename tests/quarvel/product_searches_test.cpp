// The part-number searches inside catalogs, and the catalog test.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class ProductSearches : public SampleProductTest {
 protected:
  // Products 9 to 14 in the workshop catalog's clothing category, whose
  // texts hold the characters that LIKE patterns treat specially, each
  // beside a text that such a character would match as a pattern.
  ProductSearches() {
    AddToCategory("Work clothing", {{"A''B-1", "Quote"}, {"50%OFF", "Percent"}, {"50-OFF", "No percent"},
                                    {"X_Y", "Underscore"}, {"XAY", "No underscore"}, {"[Z]", "Bracket"}});
    Exec("INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, STOCKITEM) VALUES ('Z', 'zed, uncategorised', 1)");
  }
};

TEST_F(ProductSearches, FreeTextMatchesEveryCharacterAsItselfIgnoringCase) {
  Run([&] {
    auto product = NewProduct();
    std::string found;
    for (const char* text : {"'", "%", "_", "[Z]", "x_y", "zed", "PEN-600", "shirt"})
      found += std::string(text) + ":" + std::to_string(product->getProductIDFromPartNum(text, std::nullopt)) + "/" +
               std::to_string(product->countProductIDsFromPartNum(text, std::nullopt)) + "/" +
               std::to_string(product->countStockProductIDsFromPartNum(text)) + " ";
    // The uncategorised Z is counted only among the stock items; the pens
    // are disabled.
    EXPECT_EQ(found, "':9/1/1 %:10/1/1 _:12/1/1 [Z]:14/1/1 x_y:12/1/1 zed:-1/0/1 PEN-600:-1/0/0 shirt:1/1/1 ");
  });
}

TEST_F(ProductSearches, TheCatalogFilterIsMinusOneOrAListOfIds) {
  const std::string workshop = CatalogId("Workshop and Safety");
  Run([&] {
    auto product = NewProduct();
    // The paper is shown in the office catalog (1) and the archive (3): one
    // product all the same.
    std::string text = std::to_string(product->countProductIDsFromPartNum("paper", "-1"));
    text += " " + std::to_string(product->countProductIDsFromPartNum("-", "(" + workshop + ")"));
    text += " " + std::to_string(product->getProductIDFromPartNum("paper", "(2)"));
    rt::Variant more;
    EXPECT_EQ(text + " " + Listed(product->GetCatalogProductsByPartNumber("PAPER%", 5, more, "(1,3)")),
              "1 8 -1 Long 5=PAPER-500|Copy paper A4, 80 g, 500 sheets");
    for (const char* malformed : {"1,3", "()", "(1,)", "(1) OR 1=1"})
      EXPECT_EQ(Failure([&] { product->countProductIDsFromPartNum("paper", malformed); }),
                "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Product.countProductIDsFromPartNum| DESC: Type mismatch.|");
    EXPECT_EQ(Failure([&] { product->GetCatalogProductsByPartNumber("%", 5, more, "1"); }).substr(0, 2), "D ");
  });
}

// The limit plus one is counted in 32 bits.
TEST_F(ProductSearches, TheBoundedSearchTellsWhetherMoreRowsMatched) {
  AddToCategory("Electrical supplies",
                {{"LIM-1", "a"}, {"LIM-2", "b"}, {"LIM-3", "c"}, {"LIM-4", "d"}, {"LIM-5", "e"}});
  Run([&] {
    auto product = NewProduct();
    rt::Variant more;
    auto search = [&](const char* pattern, int32_t limit) {
      const int32_t count = product->GetCatalogProductsByPartNumber(pattern, limit, more, std::nullopt)->Count();
      return std::to_string(count) + " " + rt::TypeName(more) + ":" + rt::CStr(more);
    };
    std::string found = search("lim-_", 5) + "; ";
    Exec(
        "INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION) VALUES ('LIM-6', 'f');"
        "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID) SELECT MAX(PRODUCTID), " +
        CategoryId("Electrical supplies") + " FROM PRODUCT");
    found += search("LIM-_", 5) + "; ";
    found += search("LIM-_", 2147483646) + "; ";
    more = rt::Variant("untouched");
    found += Failure([&] { product->GetCatalogProductsByPartNumber("LIM-_", 2147483647, more, std::nullopt); });
    EXPECT_EQ(found + " " + rt::CStr(more),
              "5 Boolean:False; 5 Boolean:True; 6 Boolean:False; 6 Quarvel: |ERROR 0x6| METHOD: "
              "Quarvel.Product.GetCatalogProductsByPartNumber| DESC: Overflow.| untouched");
  });
}

TEST_F(ProductSearches, AProductIsValidatedAgainstTheCatalogsThatShowItToday) {
  Exec("UPDATE PRODUCT SET PRODUCTEFFECTIVITYDATE = '2999-01-01 00:00:00' WHERE PARTNUMBER = 'LAMP-300'");
  const std::string workshop = CatalogId("Workshop and Safety");
  Run([&] {
    auto product = NewProduct();
    std::string valid;
    // The lamp (3) is effective only from 2999, the pens (6) are disabled.
    for (auto [id, catalogs] : {std::pair<const char*, std::vector<rt::Variant>>{"5", {2, "3"}},
                                {"4", {workshop}}, {"3", {workshop}}, {"6", {1}}, {"no number at all", {{}}}})
      valid += product->ValidateProductAgainstUserCatalogs(id, Array(catalogs)) ? "1" : "0";
    EXPECT_EQ(valid, "11000");
  });
}

}  // namespace
}  // namespace producttest
