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
    Golden seen;
    seen.Add("catalogs", Entries(catalog->GetAllCatalogs())).Add("record 5", Items(record));
    seen.Add("record 5 by key catalogname", rt::CStr(record->Item(rt::Variant("catalogname"))));
    seen.Add("record 6", Items(catalog->GetCatalog(6))).Add("record 42", Failure([&] { catalog->GetCatalog(42); }));
    EXPECT_EQ(seen.Lines(),
              "catalogs: Long:6=String:Alpha; Long:7=String:alpha two; Long:5=String:beta; Long:8=String:Gamma\n"
              "record 5: Long:5; String:beta; Boolean:True; Boolean:False; String:S-5; String:v2; Boolean:True\n"
              "record 5 by key catalogname: beta\n"
              "record 6: Long:6; String:Alpha; Boolean:False; Boolean:True; Null; Null; Null\n"
              "record 42: 800400CC Quarvel.Catalog.GetCatalog: |ERROR 0x800400CC| METHOD: Quarvel.Catalog.getCatalog| "
              "DESC: Catalog not present.|\n");
    EXPECT_EQ(LogEntriesWith("Quarvel.Catalog.getCatalog"), 1);
  });
}

// The getters load a catalog only when the id changes and keep it, however
// the row changes; a failed load leaves the remembered catalog as it was.
// Null flags answer False.
TEST_F(CatalogReads, TheGettersRememberOneCatalogPerObject) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden text;
    auto name = [&](const std::string& step, int32_t id) {
      text.Add(step + "getName(" + std::to_string(id) + ")", Answer([&] { return catalog->getName(id); }));
    };
    auto flags = [&](const std::string& step, int32_t id) {
      text.Add(step + "getActive(" + std::to_string(id) + ")", Answer([&] { return catalog->getActive(id); }));
      text.Add(step + "getApproval(" + std::to_string(id) + ")", Answer([&] { return catalog->getApproval(id); }));
    };
    name("", 0);
    name("", 5);
    Exec("UPDATE CATALOG SET CATALOGNAME = 'renamed', ACTIVE = 0 WHERE CATALOGID = 5");
    name("row changed: ", 5);
    flags("row changed: ", 5);
    RaisedBy([&] { catalog->getApproval(42); });
    name("after 42 failed: ", 7);
    flags("after 42 failed: ", 7);
    name("after 42 failed: ", 5);
    flags("after 42 failed: ", 5);
    name("after 42 failed: ", 9);
    EXPECT_EQ(text.Lines(),
              "getName(0): 5B Quarvel: Object variable or With block variable not set\ngetName(5): String:beta\n"
              "row changed: getName(5): String:beta\nrow changed: getActive(5): Boolean:True\n"
              "row changed: getApproval(5): Boolean:False\n"
              "after 42 failed: getName(7): String:alpha two\nafter 42 failed: getActive(7): Boolean:True\n"
              "after 42 failed: getApproval(7): Boolean:False\nafter 42 failed: getName(5): String:renamed\n"
              "after 42 failed: getActive(5): Boolean:False\nafter 42 failed: getApproval(5): Boolean:False\n"
              "after 42 failed: getName(9): 5E Quarvel: Invalid use of Null\n");
  });
}

TEST_F(CatalogReads, APartnersCatalogsAreTheActiveOnesItIsLinkedToEachOnce) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES "
         "(NULL, 6, 12), (NULL, 5, 12), (50, 5, 12), (51, 5, 12), (70, 7, 12), (NULL, 8, 13);");
    EXPECT_EQ(Golden()
                  .Add("partner 12", Entries(NewCatalog()->GetCatalogByBP(12)))
                  .Add("partner 99", Entries(NewCatalog()->GetCatalogByBP(99)))
                  .Lines(),
              "partner 12: Long:7=String:alpha two; Long:5=String:beta\npartner 99: \n");
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
    Golden seen;
    auto valid = [&](const char* label, const rt::Variant& products,
                     const rt::Variant& catalogs = rt::Variant::Missing(),
                     const rt::Variant& nodes = rt::Variant::Missing()) {
      seen.Add(label, Answer([&] { return Valid(products, catalogs, nodes); }));
    };
    valid("no filter", products);
    valid("nodes Null", products, none, rt::Variant::Null());
    valid("nodes True", products, none, rt::Variant(true));
    valid("catalogs 5, '', Null, 8", products, Array({5, "", rt::Variant::Null(), "8"}));
    valid("catalogs ''", products, Array({""}));
    valid("catalogs Null", products, rt::Variant::Null());
    valid("products Empty", rt::Variant());
    valid("products 10, 10", Array({10, 10}));
    valid("catalogs 5) OR (1=1", Array({10}), Array({"5) OR (1=1"}));
    valid("products 10, no array", rt::Variant(10));
    EXPECT_EQ(seen.Lines(),
              "no filter: String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\n"
              "nodes Null: String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\n"
              "nodes True: String:Long:10=Long()(Long:50, Long:51, Long:70); String:11=Long()(Long:80)\n"
              "catalogs 5, '', Null, 8: String:Long:10=Long()(Long:5); String:11=Long()(Long:8)\n"
              "catalogs '': String:Long:10=Long()(Long:5, Long:7); String:11=Long()(Long:8)\n"
              "catalogs Null: String:\nproducts Empty: String:\n"
              "products 10, 10: 1C9 Quarvel: |ERROR 0x1C9| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: This "
              "key is already associated with an element of this collection.|\n"
              "catalogs 5) OR (1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: Type "
              "mismatch.|\n"
              "products 10, no array: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetValidProductCatalogs| DESC: "
              "Type mismatch.|\n");
  });
}

}  // namespace
}  // namespace catalogtest
