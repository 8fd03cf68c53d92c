// Tests of Catalog's product category lists: the categories visible under a
// set of visibility ids (only an array filters; each category once, in name
// order) and the paged list narrowed to given ids.
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
  std::string Visible(rt::Variant visibility) const {
    return Entries(NewCatalog()->GetVisibleProductCategories(visibility));
  }
};

TEST_F(CategoryReads, OnlyAnArrayOfVisibilityIdsShowsCategories) {
  Run([&] {
    EXPECT_EQ(Visible(Array({rt::Variant(1), rt::Variant(int16_t{2})})),
              "Long:3=String:Desks; Long:2=String:paper; Long:1=String:Pens");
    EXPECT_EQ(Visible(Array({rt::Variant("3")})), "Long:4=String:Hidden");
    EXPECT_EQ(Visible(rt::Variant(1)), "");
    EXPECT_EQ(Visible(rt::Variant()), "");
    EXPECT_EQ(Failure([&] { Visible(Array({rt::Variant("1) OR (1=1")})); }),
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetVisibleProductCategories| DESC: Type mismatch.|");
  });
}

TEST_F(CategoryReads, ThePagedListIsNarrowedToTheGivenIds) {
  Run([&] {
    auto catalog = NewCatalog();
    EXPECT_EQ(Page(catalog->GetProductCategoryData(nullptr, "", 10, Array({rt::Variant(7), rt::Variant("2")}),
                                                   rt::Variant::Missing()),
                   "CATEGORYNAME"),
              "1: paper Chairs");
    EXPECT_EQ(Failure([&] {
                catalog->GetProductCategoryData(nullptr, "", 10, Array({rt::Variant("2 OR 1=1")}), rt::Variant("CATEGORYNAME"));
              }),
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetProductCategoryData| DESC: Type mismatch.|");
  });
}

}  // namespace
}  // namespace catalogtest
