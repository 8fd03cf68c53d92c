// TCatalog's product category writers: the delete with its dependants, the
// checker's refusal, empty texts made Null, and the relinking of products
// by UNSPSC code only when the switch is "Yes" exactly.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// Category 3 'Pens' (code 43) shown by nodes 30 and 31 (31 has the child
// 32), with a visibility row and two product links; products coded 43,
// 4321, 432115 and 44.
class CategoryWrites : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES (3, 'Pens', '43'), (4, 'Desks', NULL);"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME, CATEGORYID) VALUES "
         "(30, NULL, 1, 'Pens', 3), (31, NULL, 2, 'More pens', 3), (32, 31, 2, 'Below', NULL), (33, NULL, 2, 'Desks', 4);"
         "INSERT INTO VISIBILITIESBYCATEGORY VALUES (3, 1), (4, 1);"
         "INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (10, '43'), (11, '4321'), (12, '432115'), (13, '44');"
         "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) VALUES (10, 3, 1), (11, 3, 2), (13, 4, 1);");
  }
  std::string Category(int32_t id) const {
    return Rows("SELECT * FROM PRODUCTCATEGORY WHERE CATEGORYID = " + std::to_string(id)) + "links:" +
           Rows("SELECT IFNULL(group_concat(PRODUCTID || '@' || SEQUENCE, ' '), '') FROM (SELECT * FROM PRODUCTSBYCATEGORY "
                "WHERE CATEGORYID = " + std::to_string(id) + " ORDER BY PRODUCTID)");
  }
};

TEST_F(CategoryWrites, ADeleteTakesTheCategorysVisibilityLinksAndNodesButNotTheNodesBelow) {
  Run([&] {
    Exec("INSERT INTO VISIBILITIESBYCATEGORY VALUES (9, 2); INSERT INTO CATALOGNODE (NODEID, CATEGORYID) VALUES (90, 9);");
    const std::string visibilities = "SELECT CATEGORYID, VISIBILITYID FROM VISIBILITIESBYCATEGORY ORDER BY 1";
    const std::string before = CatalogTables() + Rows(visibilities);
    EXPECT_EQ(Failure([] { NewTCatalog()->DeleteProductCategory(9); }),
              "800400CC Quarvel.Catalog.Delete: |ERROR 0x800400CC| METHOD: Quarvel.Catalog.DeleteProductCategory| "
              "DESC: Catalog doesn't exist.|");
    EXPECT_EQ(CatalogTables() + Rows(visibilities), before);
    EXPECT_TRUE(NewTCatalog()->DeleteProductCategory(3));
    Golden left;
    left.Add("categories", Rows("SELECT CATEGORYID FROM PRODUCTCATEGORY")).Add("visibilities", Rows(visibilities));
    left.Add("product links", Rows("SELECT PRODUCTID, CATEGORYID FROM PRODUCTSBYCATEGORY"));
    left.Add("nodes", Rows("SELECT NODEID, PARENTNODEID FROM CATALOGNODE ORDER BY NODEID"));
    EXPECT_EQ(left.Lines(),
              "categories: 4\nvisibilities:\n4|1\n9|2\nproduct links: 13|4\nnodes:\n32|31\n33|null\n90|null\n");
  });
}

TEST_F(CategoryWrites, AReferringComponentKeepsTheCategoryAndDoomsTheCallersWork) {
  Run([&] {
    auto referrer = Owner("Quarvel.TestReferrer", true);
    WriteRegistry({{"Owner=Quarvel.TCatalog", "ReferredBy=Quarvel.TestReferrer:ORDERLINE.CATEGORYID"}});
    EXPECT_FALSE(CallerKeepsItsWork([&] { EXPECT_FALSE(Inner<ITCatalog>("Quarvel.TCatalog")->DeleteProductCategory(3)); }));
    EXPECT_EQ(Category(3), "3|Pens|43\nlinks:10@1 11@2\n");
  });
}

TEST_F(CategoryWrites, AnInsertStoresEmptyTextsAsNullAndRelinksOnlyWhenTheSwitchIsYes) {
  Run([&] {
    auto writer = NewTCatalog();
    SetSwitch("yes");
    EXPECT_TRUE(writer->InsertProductCategory(Array({"CATEGORYNAME", "unspsccode"}), Array({"yes", "4321"})));
    SetSwitch("Yes");
    EXPECT_TRUE(writer->InsertProductCategory(Array({"CATEGORYNAME", "UNSPSCCODE"}), Array({"Computers", "4321"})));
    EXPECT_TRUE(writer->InsertProductCategory(Array({"CATEGORYNAME", "UNSPSCCODE"}), Array({"", ""})));
    EXPECT_EQ(
        Golden().Add("switch yes", Category(5)).Add("switch Yes", Category(6)).Add("empty texts", Category(7)).Lines(),
        "switch yes:\n5|yes|4321\nlinks:\nswitch Yes:\n6|Computers|4321\nlinks:11@1 12@2\n"
        "empty texts:\n7|null|null\nlinks:\n");
  });
}

// The relinking goes from the code stored before the update: the old
// code's products leave, the new one's join after the highest number.
TEST_F(CategoryWrites, AnUpdateRelinksFromTheStoredCodeToTheNewOne) {
  Run([&] {
    SetSwitch("Yes");
    auto writer = NewTCatalog();
    // No code among the fields: the stored one and the links stay; an empty
    // code is Null and unlinks every product of the old one.
    Golden text;
    for (const auto& [label, fields, values] :
         {std::tuple{"code 4321", Array({"categoryid", "UNSPSCCODE"}), Array({"3", "4321"})},
          std::tuple{"code 44", Array({"CATEGORYID", "UNSPSCCODE"}), Array({3, "44"})},
          std::tuple{"name only", Array({"CATEGORYNAME", "CATEGORYID"}), Array({"Ball pens", 3})},
          std::tuple{"empty code", Array({"CATEGORYID", "UNSPSCCODE"}), Array({3, ""})}}) {
      const std::string answer = Answer([&] { return writer->UpdateProductCategory(fields, values); });
      text.Add(label, Golden().Add("answer", answer).Add("category", Category(3)).Lines());
    }
    EXPECT_EQ(text.Lines(),
              "code 4321:\nanswer: Boolean:True\ncategory:\n3|Pens|4321\nlinks:11@2\n"
              "code 44:\nanswer: Boolean:True\ncategory:\n3|Pens|44\nlinks:13@3\n"
              "name only:\nanswer: Boolean:True\ncategory:\n3|Ball pens|44\nlinks:13@3\n"
              "empty code:\nanswer: Boolean:True\ncategory:\n3|Ball pens|null\nlinks:\n");
  });
}

TEST_F(CategoryWrites, UpdatingAMissingCategoryOrANameThatIsNoColumnFailsAndWritesNothing) {
  Run([&] {
    auto writer = NewTCatalog();
    const std::string before = Category(3);
    Golden failures;
    failures.Add("category 7", Failure([&] {
                   writer->UpdateProductCategory(Array({"CATEGORYID", "CATEGORYNAME"}), Array({7, "X"}));
                 }));
    failures.Add("field COLOR", Failure([&] {
                   writer->UpdateProductCategory(Array({"CATEGORYID", "COLOR"}), Array({3, "red"}));
                 }));
    failures.Add("id 3 OR 1=1",
                 Failure([&] { writer->UpdateProductCategory(Array({"CATEGORYID"}), Array({"3 OR 1=1"})); }));
    EXPECT_EQ(failures.Lines(),
              "category 7: 800400D4 Quarvel.Catalog.UpdateProductCategory: |ERROR 0x800400D4| METHOD: "
              "Quarvel.Catalog.UpdateProductCategory| DESC: Product Category (7) not found.|\n"
              "field COLOR: 800A0CC1 ADODB.Recordset: |ERROR 0x800A0CC1| METHOD: "
              "Quarvel.Catalog.UpdateProductCategory| "
              "DESC: No field named 'COLOR' in the recordset..|\n"
              "id 3 OR 1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.UpdateProductCategory| DESC: Type "
              "mismatch.|\n");
    EXPECT_EQ(Category(3), before);
  });
}

}  // namespace
}  // namespace catalogtest
