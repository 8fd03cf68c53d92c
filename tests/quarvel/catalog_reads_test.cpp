// Tests of Catalog's reads: the catalog list in name order, one catalog's
// record, the catalog the one-key getters remember (its 91, its failed
// loads, no refresh), a partner's active catalogs, and the catalogs or
// nodes that show products.
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

class CatalogReads : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    // CATALOGID, CATALOGNAME, ACTIVE, APPROVALCATALOG, SUPPLIERCATALOGID,
    // VERSION, CATALOGLAYOUT, ICONID, CATALOGDESCRIPTION
    Exec("INSERT INTO CATALOG VALUES (5, 'beta', 1, 0, 'S-5', 'v2', 1, 7, 'desc');"
         "INSERT INTO CATALOG VALUES (6, 'Alpha', 0, 1, NULL, NULL, NULL, NULL, NULL);"
         "INSERT INTO CATALOG VALUES (7, 'alpha two', 1, NULL, NULL, NULL, 0, NULL, NULL);"
         "INSERT INTO CATALOG VALUES (8, 'Gamma', 1, 0, NULL, NULL, 0, NULL, NULL);"
         "INSERT INTO CATALOG VALUES (9, NULL, 1, 0, NULL, NULL, 0, NULL, NULL);");
  }
};

TEST_F(CatalogReads, TheListIsInNameOrderAndTheRecordHoldsSevenItemsKeyedByColumn) {
  Run([&] {
    auto catalog = NewCatalog();
    Exec("DELETE FROM CATALOG WHERE CATALOGID = 9");
    EXPECT_EQ(Entries(catalog->GetAllCatalogs()),
              "Long:6=String:Alpha; Long:7=String:alpha two; Long:5=String:beta; Long:8=String:Gamma");
    std::shared_ptr<rt::Collection> record = catalog->GetCatalog(5);
    EXPECT_EQ(Items(record), "Long:5; String:beta; Boolean:True; Boolean:False; String:S-5; String:v2; Boolean:True");
    EXPECT_EQ(rt::CStr(record->Item(rt::Variant("catalogname"))), "beta");
    EXPECT_EQ(Items(catalog->GetCatalog(6)), "Long:6; String:Alpha; Boolean:False; Boolean:True; Null:; Null:; Null:");
    // A missing catalog raises under its own source, logged once.
    EXPECT_EQ(Failure([&] { catalog->GetCatalog(42); }),
              "800400CC Quarvel.Catalog.GetCatalog: |ERROR 0x800400CC| METHOD: Quarvel.Catalog.getCatalog| DESC: "
              "Catalog not present.|");
    EXPECT_EQ(LogEntriesWith("Quarvel.Catalog.getCatalog"), 1);
  });
}

// The getters load a catalog only when the id changes and keep it, however
// the row changes; a failed load leaves the remembered catalog as it was.
TEST_F(CatalogReads, TheGettersRememberOneCatalogPerObject) {
  Run([&] {
    auto catalog = NewCatalog();
    EXPECT_EQ(Failure([&] { catalog->getName(0); }), "5B Quarvel: Object variable or With block variable not set");
    EXPECT_EQ(catalog->getName(5), "beta");
    Exec("UPDATE CATALOG SET CATALOGNAME = 'renamed', ACTIVE = 0 WHERE CATALOGID = 5");
    EXPECT_EQ(catalog->getName(5), "beta");
    EXPECT_TRUE(catalog->getActive(5));
    EXPECT_THROW(catalog->getApproval(42), rt::ComError);
    // Another id loads afresh; Null flags answer False.
    EXPECT_EQ(catalog->getName(7), "alpha two");
    EXPECT_FALSE(catalog->getApproval(7));
    EXPECT_EQ(catalog->getName(5), "renamed");
    EXPECT_FALSE(catalog->getActive(5));
    EXPECT_EQ(Failure([&] { catalog->getName(9); }), "5E Quarvel: Invalid use of Null");
  });
}

TEST_F(CatalogReads, APartnersCatalogsAreTheActiveOnesItIsLinkedToEachOnce) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES "
         "(NULL, 6, 12), (NULL, 5, 12), (50, 5, 12), (51, 5, 12), (70, 7, 12), (NULL, 8, 13);");
    auto catalog = NewCatalog();
    EXPECT_EQ(Entries(catalog->GetCatalogByBP(12)), "Long:7=String:alpha two; Long:5=String:beta");
    EXPECT_EQ(Entries(catalog->GetCatalogByBP(99)), "");
  });
}

// Catalogs 5, 7 and 8 show categories 1, 2 and 3 through their nodes;
// product 10 is in categories 1 and 2, 11 in 3, 12 in a category no node shows.
class ProductCatalogs : public CatalogReads {
 protected:
  void SetUp() override {
    CatalogReads::SetUp();
    Exec("INSERT INTO CATALOGNODE (NODEID, CATALOGID, CATEGORYID) VALUES (50, 5, 1), (51, 5, 2), (70, 7, 1), (80, 8, 3);"
         "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID) VALUES (10, 1), (10, 2), (11, 3), (12, 9);");
  }
  // The answer with each product's ids sorted: the database may answer them in any order.
  std::string Valid(const rt::Variant& products, const rt::Variant& catalogs = rt::Variant::Missing(),
                    const rt::Variant& nodes = rt::Variant::Missing()) const {
    std::shared_ptr<rt::Dictionary> answer = NewCatalog()->GetValidProductCatalogs(products, catalogs, nodes);
    const rt::Variant keys = answer->Keys();
    for (const rt::Variant& key : keys.AsArray().data) {
      std::vector<rt::Variant>& ids = answer->Item(key).MutableArray().data;
      std::sort(ids.begin(), ids.end(), [](const rt::Variant& x, const rt::Variant& y) { return rt::CLng(x) < rt::CLng(y); });
    }
    return Entries(answer);
  }
};

TEST_F(ProductCatalogs, EachProductGetsTheCatalogsOrNodesThatShowIt) {
  Run([&] {
    const rt::Variant products = Array({rt::Variant(10), rt::Variant("11"), rt::Variant(12)});
    const std::string catalogs = "Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)";
    EXPECT_EQ(Valid(products), catalogs);
    EXPECT_EQ(Valid(products, rt::Variant::Missing(), rt::Variant::Null()), catalogs);
    EXPECT_EQ(Valid(products, rt::Variant::Missing(), rt::Variant(true)),
              "Long:10=Long()(Long:50, Long:51, Long:70); String:11=Long()(Long:80)");
    // Empty texts and Nulls in the filter are passed over; a filter of
    // nothing but them filters nothing.
    EXPECT_EQ(Valid(products, Array({rt::Variant(5), rt::Variant(""), rt::Variant::Null(), rt::Variant("8")})),
              "Long:10=Long()(Long:5); String:11=Long()(Long:8)");
    EXPECT_EQ(Valid(products, Array({rt::Variant("")})), catalogs);
    // Null or Empty catalog ids, or no product ids, read nothing.
    EXPECT_EQ(Valid(products, rt::Variant::Null()), "");
    EXPECT_EQ(Valid(rt::Variant()), "");
  });
}

TEST_F(ProductCatalogs, ARepeatedProductOrAnIdThatIsNoNumberFailsTheCall) {
  Run([&] {
    auto catalog = NewCatalog();
    const rt::Variant none = rt::Variant::Missing();
    EXPECT_EQ(Failure([&] { catalog->GetValidProductCatalogs(Array({rt::Variant(10), rt::Variant(10)}), none, none); }),
              "1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: This key is already "
              "associated with an element of this collection.|");
    const std::string mismatch =
        "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: Type mismatch.|";
    EXPECT_EQ(Failure([&] {
                catalog->GetValidProductCatalogs(Array({rt::Variant(10)}), Array({rt::Variant("5) OR (1=1")}), none);
              }),
              mismatch);
    EXPECT_EQ(Failure([&] { catalog->GetValidProductCatalogs(rt::Variant(10), none, none); }), mismatch);
  });
}

}  // namespace
}  // namespace catalogtest
