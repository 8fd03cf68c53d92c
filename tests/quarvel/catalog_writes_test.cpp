// TCatalog's catalog writes and referential answers: the copy of a catalog
// (new ids in id order, parents remapped, an orphan made a top node, the
// free copy name, all or nothing), the new catalog from field arrays (which
// never votes abort), and the answers to the referential checker.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

const char* const kNodeColumns =
    "SELECT NODEID, ICONID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE, NODEURL, CATEGORYID, "
    "NODEDESCRIPTION, SHOPOUT FROM CATALOGNODE ";

// Catalog 1 "Main" with six nodes inserted out of id order (the index
// would hand them out by parent first), one of them under a node of
// catalog 2; the node ids so far end at 99.
class CatalogCopy : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO CATALOG VALUES (1, 'Main', 1, 0, 'S1', 'v1', 1, 3, 'Main catalog');"
         "INSERT INTO CATALOG VALUES (2, 'Other', 1, 0, NULL, NULL, 0, NULL, NULL);"
         "INSERT INTO CATALOGNODE VALUES (99, NULL, NULL, 2, 'Other top', 1, 0, NULL, NULL, NULL, 0);"
         "INSERT INTO CATALOGNODE VALUES (14, 5, 12, 1, 'Pens', 1, 1, NULL, 7, 'Ball point pens', 0);"
         "INSERT INTO CATALOGNODE VALUES (10, 1, NULL, 1, 'Shop', 1, 3, 'https://shop.example.com', NULL, 'Outside', 1);"
         "INSERT INTO CATALOGNODE VALUES (11, 2, NULL, 1, 'Office', 2, 0, NULL, NULL, NULL, 0);"
         "INSERT INTO CATALOGNODE VALUES (12, 3, 11, 1, 'Writing', 1, 1, NULL, 6, NULL, 0);"
         "INSERT INTO CATALOGNODE VALUES (13, 4, 10, 1, 'Guide', 1, 2, 'guide.pdf', NULL, NULL, 0);"
         "INSERT INTO CATALOGNODE VALUES (15, 6, 99, 1, 'Stray', 2, 0, NULL, NULL, NULL, 0);");
  }
  std::string NodesOf(int32_t catalog) const {
    return Rows(kNodeColumns + std::string("WHERE CATALOGID = ") + std::to_string(catalog) + " ORDER BY NODEID");
  }
};

TEST_F(CatalogCopy, LevelOneCopiesTheTreeUnderNewIdsInIdOrderWithParentsRemapped) {
  Run([&] {
    NewTCatalog()->CopyCatalog(1, 1, "");
    // Inactive, an approval catalog, icon and description copied, the
    // supplier's id, version and layout flag not; SHOPOUT not copied.
    EXPECT_EQ(Rows("SELECT * FROM CATALOG WHERE CATALOGID = 3"), "3|Copy Of Main|0|1|null|null|0|3|Main catalog\n");
    EXPECT_EQ(NodesOf(3),
              "100|1|null|3|Shop|1|3|https://shop.example.com|null|Outside|0\n"
              "101|2|null|3|Office|2|0|null|null|null|0\n"
              "102|3|101|3|Writing|1|1|null|6|null|0\n"
              "103|4|100|3|Guide|1|2|guide.pdf|null|null|0\n"
              "104|5|102|3|Pens|1|1|null|7|Ball point pens|0\n"
              "105|6|null|3|Stray|2|0|null|null|null|0\n");
  });
}

// The names compare exactly, in code: "copy of Main" does not take
// "Copy Of Main"; a given name is used even when taken. Levels other than 1
// copy the catalog row only.
TEST_F(CatalogCopy, ACopyTakesTheFirstFreeCopyNameOrTheGivenOne) {
  Run([&] {
    Exec("INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (5, 'copy of Main'), (6, 'Copy (4) Of Main');");
    auto writer = NewTCatalog();
    for (int16_t level : {0, 2, 0, 2}) writer->CopyCatalog(1, level, "");
    writer->CopyCatalog(1, 0, "Other");
    EXPECT_EQ(Rows("SELECT CATALOGNAME FROM CATALOG WHERE CATALOGID > 6 ORDER BY CATALOGID"),
              "Copy Of Main\nCopy (2) Of Main\nCopy (3) Of Main\nCopy (5) Of Main\nOther\n");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM CATALOGNODE WHERE CATALOGID > 6"), "0\n");
  });
}

TEST_F(CatalogCopy, AFailedCopyWritesNothing) {
  Run([&] {
    Exec("INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (4, NULL);"
         "CREATE TRIGGER FOURTH_NODE BEFORE INSERT ON CATALOGNODE "
         "WHEN (SELECT COUNT(*) FROM CATALOGNODE WHERE CATALOGID = NEW.CATALOGID) = 3 "
         "BEGIN SELECT RAISE(ABORT, 'fourth node refused'); END;");
    const std::string before = CatalogTables();
    auto writer = NewTCatalog();
    Golden failures;
    failures.Add("catalog 42", Failure([&] { writer->CopyCatalog(42, 1, ""); }));
    failures.Add("catalog 4 without a name", Failure([&] { writer->CopyCatalog(4, 1, ""); }));
    failures.Add("fourth node refused", Failure([] { NewTCatalog()->CopyCatalog(1, 1, ""); }));
    EXPECT_EQ(failures.Lines(),
              "catalog 42: 800400CC Quarvel.Catalog.CopyCatalog: |ERROR 0x800400CC| METHOD: Catalog.CopyCatalog| DESC: "
              "Catalog 42  not present.|\ncatalog 4 without a name: 5E Quarvel: |ERROR 0x5E| METHOD: "
              "Catalog.CopyCatalog| "
              "DESC: Invalid use of Null.|\nfourth node refused: 80040E2F SQLite: |ERROR 0x80040E2F| METHOD: "
              "Catalog.CopyCatalog| DESC: |ERROR 0x80040E2F| METHOD: Catalog.CopyCatalogNodes| DESC: fourth node "
              "refused.|.|\n");
    EXPECT_EQ(CatalogTables(), before);
  });
}

TEST_F(CatalogCopy, ANewCatalogTakesTheGivenValuesAsTheyAreAndDefaultsForTheRest) {
  Run([&] {
    auto writer = NewTCatalog();
    Golden seen;
    seen.Add("New, active", writer->InsertCatalog(Array({"CATALOGNAME", "active"}), Array({"New", true})));
    seen.Add("empty name and version", writer->InsertCatalog(Array({"CATALOGNAME", "VERSION"}), Array({"", ""})));
    seen.Add("rows", Rows("SELECT * FROM CATALOG WHERE CATALOGID > 2"));
    EXPECT_EQ(seen.Lines(),
              "New, active: 3\nempty name and version: 4\n"
              "rows:\n3|New|1|0|null|null|0|null|null\n4||0|0|null||0|null|null\n");
    const std::string before = CatalogTables();
    EXPECT_EQ(Failure([&] { writer->InsertCatalog(Array({"CATALOGNAME", "COLOR"}), Array({"Red", "red"})); }),
              "800A0CC1 ADODB.Recordset: |ERROR 0x800A0CC1| METHOD: Quarvel.TCatalog.InsertCatalog| DESC: No field "
              "named 'COLOR' in the recordset..|");
    EXPECT_EQ(CatalogTables(), before);
  });
}

// Inside a caller's transaction: a failed insert leaves the caller's work
// to commit, a failed copy dooms it.
TEST_F(CatalogCopy, AFailedInsertCastsNoAbortVoteAndAFailedCopyDoes) {
  Run([&] {
    EXPECT_TRUE(CallerKeepsItsWork(
        [&] { RaisedBy([&] { Inner<ITCatalog>("Quarvel.TCatalog")->InsertCatalog(Array({"COLOR"}), Array({"red"})); }); }));
    EXPECT_FALSE(CallerKeepsItsWork([&] { RaisedBy([&] { Inner<ITCatalog>("Quarvel.TCatalog")->CopyCatalog(42, 1, ""); }); }));
  });
}

class CatalogReferences : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME) VALUES (3, 'Pens');"
         "INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES (NULL, 1, 12);");
  }
  std::string Ask(const char* member, const std::vector<rt::Variant>& keys, const std::vector<rt::Variant>& values) {
    return Answer([&] { return NewLate("Quarvel.TCatalog")->Call(member, {"Test", Array(keys), Array(values)}); });
  }
};

// Only the first key counts; keys are matched in any letter case; other
// keys, and no key at all, answer False.
TEST_F(CatalogReferences, ExistsAnswersForCategoriesAndPartnerLinksByTheFirstKey) {
  Run([&] {
    const char* exists = "IReferentialIntegrity_Exists";
    Golden answers;
    answers.Add("Exists CATEGORYID 3", Ask(exists, {"CATEGORYID"}, {3}));
    answers.Add("Exists businesspartnerid 12", Ask(exists, {"businesspartnerid"}, {"12"}));
    answers.Add("Exists CATEGORYID 3, NODEID 99", Ask(exists, {"CATEGORYID", "NODEID"}, {3, 99}));
    answers.Add("Exists NODEID 3, CATEGORYID 3", Ask(exists, {"NODEID", "CATEGORYID"}, {3, 3}));
    answers.Add("Exists no keys", Ask(exists, {}, {}));
    answers.Add("BeforeDelete CATEGORYID 3", Ask("IReferentialIntegrity_BeforeDelete", {"CATEGORYID"}, {3}));
    answers.Add("Exists CATEGORYID 3 OR 1=1", Ask(exists, {"CATEGORYID"}, {"3 OR 1=1"}));
    EXPECT_EQ(answers.Lines(),
              "Exists CATEGORYID 3: Boolean:True\nExists businesspartnerid 12: Boolean:True\n"
              "Exists CATEGORYID 3, NODEID 99: Boolean:True\nExists NODEID 3, CATEGORYID 3: Boolean:False\n"
              "Exists no keys: Boolean:False\nBeforeDelete CATEGORYID 3: Boolean:True\n"
              "Exists CATEGORYID 3 OR 1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.Exists| DESC: Type "
              "mismatch.|\n");
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM PRODUCTCATEGORY"), "1\n");
  });
}

// The registry lists partner links as references to BUSINESSPARTNER.
TEST_F(CatalogReferences, APartnerLinkedToACatalogCannotBeDeleted) {
  Run([&] {
    Exec("INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (12, 'Linked'), (13, 'Free');");
    rt::ObjectPtr partners = NewLate("Brintor.BusinessPartner");
    Golden deleted;
    deleted.Add("linked 12", rt::CStr(partners->Call("Delete", {12})));
    EXPECT_EQ(deleted.Add("free 13", rt::CStr(partners->Call("Delete", {13}))).Line(), "linked 12=False free 13=True");
    EXPECT_EQ(Rows("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER"), "12\n");
  });
}

}  // namespace
}  // namespace catalogtest
