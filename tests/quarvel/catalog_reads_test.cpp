// Catalog's reads: the catalog list, one catalog's record, the catalog the
// one-key getters remember (its 91, failed loads, no refresh), a partner's
// active catalogs, and the catalogs or nodes that show products.
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
    std::shared_ptr<rt::Collection> record = catalog->GetCatalog(5);
    EXPECT_EQ(Entries(catalog->GetAllCatalogs()) + "\n" + Items(record) + " " + rt::CStr(record->Item(rt::Variant("catalogname"))) +
                  "\n" + Items(catalog->GetCatalog(6)) + "\n" + Failure([&] { catalog->GetCatalog(42); }),
              "Long:6=String:Alpha; Long:7=String:alpha two; Long:5=String:beta; Long:8=String:Gamma\n"
              "Long:5; String:beta; Boolean:True; Boolean:False; String:S-5; String:v2; Boolean:True beta\n"
              "Long:6; String:Alpha; Boolean:False; Boolean:True; Null:; Null:; Null:\n"
              "800400CC Quarvel.Catalog.GetCatalog: |ERROR 0x800400CC| METHOD: Quarvel.Catalog.getCatalog| DESC: "
              "Catalog not present.|");
    EXPECT_EQ(LogEntriesWith("Quarvel.Catalog.getCatalog"), 1);
  });
}

// The getters load a catalog only when the id changes and keep it, however
// the row changes; a failed load leaves the remembered catalog as it was.
// Null flags answer False.
TEST_F(CatalogReads, TheGettersRememberOneCatalogPerObject) {
  Run([&] {
    auto catalog = NewCatalog();
    auto name = [&](int32_t id) { return Answer([&] { return catalog->getName(id); }) + " "; };
    auto flags = [&](int32_t id) {
      return Answer([&] { return catalog->getActive(id); }) + " " + Answer([&] { return catalog->getApproval(id); }) + "\n";
    };
    std::string text = InOrder({name(0), name(5)});
    Exec("UPDATE CATALOG SET CATALOGNAME = 'renamed', ACTIVE = 0 WHERE CATALOGID = 5");
    text += InOrder({name(5), flags(5)});
    RaisedBy([&] { catalog->getApproval(42); });
    text += InOrder({name(7), flags(7), name(5), flags(5), name(9)});
    EXPECT_EQ(text,
              "5B Quarvel: Object variable or With block variable not set String:beta String:beta Boolean:True "
              "Boolean:False\nString:alpha two Boolean:True Boolean:False\nString:renamed Boolean:False Boolean:False\n"
              "5E Quarvel: Invalid use of Null ");
  });
}

TEST_F(CatalogReads, APartnersCatalogsAreTheActiveOnesItIsLinkedToEachOnce) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES "
         "(NULL, 6, 12), (NULL, 5, 12), (50, 5, 12), (51, 5, 12), (70, 7, 12), (NULL, 8, 13);");
    EXPECT_EQ(Entries(NewCatalog()->GetCatalogByBP(12)) + "|" + Entries(NewCatalog()->GetCatalogByBP(99)),
              "Long:7=String:alpha two; Long:5=String:beta|");
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
  // The answer with each product's ids sorted (the database's order may vary).
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

// Empty texts and Nulls in the filter are passed over; a filter of nothing
// but them filters nothing. Null or Empty catalog ids, or no product ids,
// read nothing. A repeated product or an id that is no number fails.
TEST_F(ProductCatalogs, EachProductGetsTheCatalogsOrNodesThatShowIt) {
  Run([&] {
    const rt::Variant products = Array({10, "11", 12}), none = rt::Variant::Missing();
    auto valid = [&](const rt::Variant& products, const rt::Variant& catalogs = rt::Variant::Missing(),
                     const rt::Variant& nodes = rt::Variant::Missing()) {
      return Answer([&] { return Valid(products, catalogs, nodes); }) + "\n";
    };
    EXPECT_EQ(valid(products) + valid(products, none, rt::Variant::Null()) + valid(products, none, rt::Variant(true)) +
                  valid(products, Array({5, "", rt::Variant::Null(), "8"})) + valid(products, Array({""})) +
                  valid(products, rt::Variant::Null()) + valid(rt::Variant()) + valid(Array({10, 10})) +
                  valid(Array({10}), Array({"5) OR (1=1"})) + valid(rt::Variant(10)),
              "String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\n"
              "String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\n"
              "String:Long:10=Long()(Long:50, Long:51, Long:70); String:11=Long()(Long:80)\n"
              "String:Long:10=Long()(Long:5); String:11=Long()(Long:8)\n"
              "String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\nString:\nString:\n"
              "1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: This key is already "
              "associated with an element of this collection.|\n"
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: Type mismatch.|\n"
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: Type mismatch.|\n");
  });
}

}  // namespace
}  // namespace catalogtest
