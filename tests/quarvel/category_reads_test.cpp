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
    auto visible = [&](rt::Variant visibility) {
      return Answer([&] { return Entries(catalog->GetVisibleProductCategories(visibility)); }) + "\n";
    };
    EXPECT_EQ(visible(Array({1, int16_t{2}})) + visible(Array({"3"})) + visible(rt::Variant(1)) + visible(rt::Variant()) +
                  visible(Array({"1) OR (1=1"})) +
                  Page(catalog->GetProductCategoryData(nullptr, "", 10, Array({7, "2"}), rt::Variant::Missing()),
                       "CATEGORYNAME") + "\n" +
                  Failure([&] { catalog->GetProductCategoryData(nullptr, "", 10, Array({"2 OR 1=1"}), "CATEGORYNAME"); }),
              "String:Long:3=String:Desks; Long:2=String:paper; Long:1=String:Pens\nString:Long:4=String:Hidden\n"
              "String:\nString:\n"
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetVisibleProductCategories| DESC: Type mismatch.|\n"
              "1: paper Chairs\n"
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetProductCategoryData| DESC: Type mismatch.|");
  });
}

}  // namespace
}  // namespace catalogtest
