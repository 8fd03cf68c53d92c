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
    Golden found;
    for (const char* text : {"'", "%", "_", "[Z]", "x_y", "zed", "PEN-600", "shirt"})
      found.Add(text, Golden()
                          .Add("id", product->getProductIDFromPartNum(text, std::nullopt))
                          .Add("count", product->countProductIDsFromPartNum(text, std::nullopt))
                          .Add("stock", product->countStockProductIDsFromPartNum(text)));
    // The uncategorised Z is counted only among the stock items; the pens
    // are disabled.
    EXPECT_EQ(found.Lines(),
              "': id=9 count=1 stock=1\n%: id=10 count=1 stock=1\n_: id=12 count=1 stock=1\n"
              "[Z]: id=14 count=1 stock=1\nx_y: id=12 count=1 stock=1\nzed: id=-1 count=0 stock=1\n"
              "PEN-600: id=-1 count=0 stock=0\nshirt: id=1 count=1 stock=1\n");
  });
}

TEST_F(ProductSearches, TheCatalogFilterIsMinusOneOrAListOfIds) {
  const std::string workshop = CatalogId("Workshop and Safety");
  Run([&] {
    auto product = NewProduct();
    // The paper is shown in the office catalog (1) and the archive (3): one
    // product all the same.
    Golden text;
    text.Add("count paper, -1", product->countProductIDsFromPartNum("paper", "-1"));
    text.Add("count -, workshop", product->countProductIDsFromPartNum("-", "(" + workshop + ")"));
    text.Add("id paper, (2)", product->getProductIDFromPartNum("paper", "(2)"));
    rt::Variant more;
    text.Add("PAPER%, (1,3)", Listed(product->GetCatalogProductsByPartNumber("PAPER%", 5, more, "(1,3)")));
    EXPECT_EQ(text.Lines(),
              "count paper, -1: 1\ncount -, workshop: 8\nid paper, (2): -1\n"
              "PAPER%, (1,3): Long 5=PAPER-500|Copy paper A4, 80 g, 500 sheets\n");
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
      return Golden().Add("found", count).Add("more", Golden::Value(more)).Line();
    };
    Golden found;
    found.Add("five, limit 5", search("lim-_", 5));
    Exec(
        "INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION) VALUES ('LIM-6', 'f');"
        "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID) SELECT MAX(PRODUCTID), " +
        CategoryId("Electrical supplies") + " FROM PRODUCT");
    found.Add("six, limit 5", search("LIM-_", 5)).Add("six, limit 2147483646", search("LIM-_", 2147483646));
    more = rt::Variant("untouched");
    found.Add("six, limit 2147483647",
              Failure([&] { product->GetCatalogProductsByPartNumber("LIM-_", 2147483647, more, std::nullopt); }));
    EXPECT_EQ(found.Add("more after", rt::CStr(more)).Lines(),
              "five, limit 5: found=5 more=Boolean:False\nsix, limit 5: found=5 more=Boolean:True\n"
              "six, limit 2147483646: found=6 more=Boolean:False\nsix, limit 2147483647: 6 Quarvel: |ERROR 0x6| "
              "METHOD: "
              "Quarvel.Product.GetCatalogProductsByPartNumber| DESC: Overflow.|\nmore after: untouched\n");
  });
}

TEST_F(ProductSearches, AProductIsValidatedAgainstTheCatalogsThatShowItToday) {
  Exec("UPDATE PRODUCT SET PRODUCTEFFECTIVITYDATE = '2999-01-01 00:00:00' WHERE PARTNUMBER = 'LAMP-300'");
  const std::string workshop = CatalogId("Workshop and Safety");
  Run([&] {
    auto product = NewProduct();
    Golden valid;
    // The lamp (3) is effective only from 2999, the pens (6) are disabled.
    for (auto [id, catalogs] : {std::pair<const char*, std::vector<rt::Variant>>{"5", {2, "3"}},
                                {"4", {workshop}}, {"3", {workshop}}, {"6", {1}}, {"no number at all", {{}}}})
      valid.Add(id, product->ValidateProductAgainstUserCatalogs(id, Array(catalogs)));
    EXPECT_EQ(valid.Lines(), "5: true\n4: true\n3: false\n6: false\nno number at all: false\n");
  });
}

}  // namespace
}  // namespace producttest
