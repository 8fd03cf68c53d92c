// Catalog's product category lists: the categories visible under a set of
// visibility ids (only an array filters; each once, in name order) and the
// paged list narrowed to given ids.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

class CategoryReads : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES "
         "(1, 'Pens', '441217'), (2, 'paper', '1411'), (3, 'Desks', NULL), (4, 'Hidden', NULL), (7, 'Chairs', '5612');"
         "INSERT INTO VISIBILITIESBYCATEGORY (CATEGORYID, VISIBILITYID) VALUES (1, 1), (2, 1), (2, 2), (3, 2), (4, 3);");
  }
};

TEST_F(CategoryReads, OnlyAnArrayOfVisibilityIdsShowsCategoriesAndThePagedListTakesTheIdsGiven) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden seen;
    auto visible = [&](const char* label, rt::Variant visibility) {
      seen.Add(label, Answer([&] { return Entries(catalog->GetVisibleProductCategories(visibility)); }));
    };
    visible("visibilities 1, 2", Array({1, int16_t{2}}));
    visible("visibilities '3'", Array({"3"}));
    visible("visibility 1, no array", rt::Variant(1));
    visible("Empty", rt::Variant());
    visible("visibilities 1) OR (1=1", Array({"1) OR (1=1"}));
    seen.Add("page of 7, 2",
             Page(catalog->GetProductCategoryData(nullptr, "", 10, Array({7, "2"}), rt::Variant::Missing()),
                  "CATEGORYNAME"));
    seen.Add("page of 2 OR 1=1", Failure([&] {
               catalog->GetProductCategoryData(nullptr, "", 10, Array({"2 OR 1=1"}), "CATEGORYNAME");
             }));
    EXPECT_EQ(seen.Lines(),
              "visibilities 1, 2: String:Long:3=String:Desks; Long:2=String:paper; Long:1=String:Pens\n"
              "visibilities '3': String:Long:4=String:Hidden\nvisibility 1, no array: String:\nEmpty: String:\n"
              "visibilities 1) OR (1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetVisibleProductCategories| "
              "DESC: Type mismatch.|\n"
              "page of 7, 2: 1: paper Chairs\n"
              "page of 2 OR 1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetProductCategoryData| DESC: Type "
              "mismatch.|\n");
  });
}

// Page 8 of seven one-row pages, through a caller's page, is page 7; the
// state it keeps then serves a request for page 6.
TEST_F(CategoryReads, APagePastTheEndOfThePagedListIsItsLastPage) {
  Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME) VALUES (8, 'Lamps'), (9, 'Rugs');");
  Run([&] {
    auto catalog = NewCatalog();
    auto ask = [&](int32_t requested, const std::string& state, rt::ObjectPtr& list) {
      rt::ObjectPtr page = rt::CreateObject("Tamrick.Page");
      page->LetProperty("RequestedPage", rt::Variant(requested));
      page->LetProperty("PersistedStateInfo", rt::Variant(state));
      list = catalog->GetProductCategoryData(page, "", 1, rt::Variant::Missing(), rt::Variant::Missing());
      return rt::CStr(page->GetProperty("PersistedStateInfo"));
    };
    auto shown = [](const rt::ObjectPtr& list) {
      return "page " + rt::CStr(list->GetProperty("AbsolutePage")) + " of " + Page(list, "CATEGORYNAME");
    };
    rt::ObjectPtr list;
    Golden seen;
    const std::string state = ask(8, "", list);
    seen.Add("page 8", shown(list));
    ask(6, state, list);
    seen.Add("then page 6", shown(list));
    EXPECT_EQ(seen.Lines(), "page 8: page 7 of 7: Rugs\nthen page 6: page 6 of 7: Lamps\n");
  });
}

}  // namespace
}  // namespace catalogtest
