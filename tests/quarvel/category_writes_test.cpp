// Tests of TCatalog's product category writers: the delete with its
// dependants (and their return when the category is missing) and the
// checker's refusal; the insert and update with empty texts made Null, the
// relinking of products by UNSPSC code only when the switch is "Yes"
// exactly, the stored code read before the change, and an update that
// names no code keeping the links.
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
  static rt::Variant Fields(std::vector<rt::Variant> items) { return Array(std::move(items)); }
};

TEST_F(CategoryWrites, ADeleteTakesTheCategorysVisibilityLinksAndNodesButNotTheNodesBelow) {
  Run([&] {
    EXPECT_TRUE(NewTCatalog()->DeleteProductCategory(3));
    EXPECT_EQ(Rows("SELECT CATEGORYID FROM PRODUCTCATEGORY"), "4\n");
    EXPECT_EQ(Rows("SELECT CATEGORYID, VISIBILITYID FROM VISIBILITIESBYCATEGORY"), "4|1\n");
    EXPECT_EQ(Rows("SELECT PRODUCTID, CATEGORYID FROM PRODUCTSBYCATEGORY"), "13|4\n");
    EXPECT_EQ(Rows("SELECT NODEID, PARENTNODEID FROM CATALOGNODE ORDER BY NODEID"), "32|31\n33|null\n");
  });
}

TEST_F(CategoryWrites, DeletingAMissingCategoryRaisesAndPutsItsDependantsBack) {
  Run([&] {
    Exec("INSERT INTO VISIBILITIESBYCATEGORY VALUES (9, 2); INSERT INTO CATALOGNODE (NODEID, CATEGORYID) VALUES (90, 9);");
    const std::string before = CatalogTables() + Rows("SELECT * FROM VISIBILITIESBYCATEGORY");
    EXPECT_EQ(Failure([] { NewTCatalog()->DeleteProductCategory(9); }),
              "800400CC Quarvel.Catalog.Delete: |ERROR 0x800400CC| METHOD: Quarvel.Catalog.DeleteProductCategory| "
              "DESC: Catalog doesn't exist.|");
    EXPECT_EQ(CatalogTables() + Rows("SELECT * FROM VISIBILITIESBYCATEGORY"), before);
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
    EXPECT_TRUE(writer->InsertProductCategory(Fields({"CATEGORYNAME", "unspsccode"}), Fields({"yes", "4321"})));
    SetSwitch("Yes");
    EXPECT_TRUE(writer->InsertProductCategory(Fields({"CATEGORYNAME", "UNSPSCCODE"}), Fields({"Computers", "4321"})));
    EXPECT_TRUE(writer->InsertProductCategory(Fields({"CATEGORYNAME", "UNSPSCCODE"}), Fields({"", ""})));
    EXPECT_EQ(Category(5) + Category(6) + Category(7),
              "5|yes|4321\nlinks:\n6|Computers|4321\nlinks:11@1 12@2\n7|null|null\nlinks:\n");
  });
}

// The relinking goes from the code stored before the update: the products
// of the old code only leave, those of the new one only join after the
// highest number.
TEST_F(CategoryWrites, AnUpdateRelinksFromTheStoredCodeToTheNewOne) {
  Run([&] {
    SetSwitch("Yes");
    auto writer = NewTCatalog();
    EXPECT_TRUE(writer->UpdateProductCategory(Fields({"categoryid", "UNSPSCCODE"}), Fields({"3", "4321"})));
    EXPECT_EQ(Category(3), "3|Pens|4321\nlinks:11@2\n");
    EXPECT_TRUE(writer->UpdateProductCategory(Fields({"CATEGORYID", "UNSPSCCODE"}), Fields({3, "44"})));
    EXPECT_EQ(Category(3), "3|Pens|44\nlinks:13@3\n");
    // No code among the fields: the stored one stays and so do the links.
    EXPECT_TRUE(writer->UpdateProductCategory(Fields({"CATEGORYNAME", "CATEGORYID"}), Fields({"Ball pens", 3})));
    EXPECT_EQ(Category(3), "3|Ball pens|44\nlinks:13@3\n");
    // An empty code is Null and unlinks every product of the old one.
    EXPECT_TRUE(writer->UpdateProductCategory(Fields({"CATEGORYID", "UNSPSCCODE"}), Fields({3, ""})));
    EXPECT_EQ(Category(3), "3|Ball pens|null\nlinks:\n");
  });
}

TEST_F(CategoryWrites, UpdatingAMissingCategoryOrANameThatIsNoColumnFailsAndWritesNothing) {
  Run([&] {
    auto writer = NewTCatalog();
    const std::string before = Category(3);
    EXPECT_EQ(Failure([&] { writer->UpdateProductCategory(Fields({"CATEGORYID", "CATEGORYNAME"}), Fields({7, "X"})); }),
              "800400D4 Quarvel.Catalog.UpdateProductCategory: |ERROR 0x800400D4| METHOD: "
              "Quarvel.Catalog.UpdateProductCategory| DESC: Product Category (7) not found.|");
    EXPECT_EQ(Failure([&] { writer->UpdateProductCategory(Fields({"CATEGORYID", "COLOR"}), Fields({3, "red"})); }),
              "800A0CC1 ADODB.Recordset: |ERROR 0x800A0CC1| METHOD: Quarvel.Catalog.UpdateProductCategory| DESC: No "
              "field named 'COLOR' in the recordset..|");
    EXPECT_EQ(Failure([&] { writer->UpdateProductCategory(Fields({"CATEGORYID"}), Fields({"3 OR 1=1"})); }),
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.UpdateProductCategory| DESC: Type mismatch.|");
    EXPECT_EQ(Category(3), before);
  });
}

}  // namespace
}  // namespace catalogtest
