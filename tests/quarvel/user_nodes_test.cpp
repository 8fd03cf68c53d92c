// TCatalog's authorisation rows and user nodes: clearing and replacing a
// user's or profile's rows, and the rebuild of USERNODE.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// Catalog 3: 30 ─ 31 ─ 33, 30 ─ 32; catalog 5: 40 ─ 42 ─ 44 and 40 ─ 43,
// 41 ─ 45 (ids not in level order: 45 lies below 41, a top node).
class UserNodes : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (3, 'Three'), (5, 'Five'), (7, 'Seven');"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE) VALUES"
         " (30, NULL, 3, 'a', 1), (31, 30, 3, 'b', 1), (32, 30, 3, 'c', 2), (33, 31, 3, 'd', 1),"
         " (44, 42, 5, 'h', 1), (40, NULL, 5, 'e', 1), (41, NULL, 5, 'f', 2), (42, 40, 5, 'g', 1), (43, 40, 5, 'i', 2),"
         " (45, 41, 5, 'j', 1);");
  }
  std::string UserRows() const {
    return Rows("SELECT '[' || USERID || ']', CATALOGID, NODEID, LEVEL, ISPROFILE, VIEWONLY FROM CATALOGNODEBYUSER "
                "ORDER BY USERID, ISPROFILE, CATALOGID");
  }
  std::string UserNodeRows(const std::string& user) const {
    return Rows("SELECT CATALOGID, NODEID FROM USERNODE WHERE USERID = '" + user + "' ORDER BY rowid");
  }
};

// The rows written carry the id without its blanks, and no earlier row of
// that id or of the id as given survives; profile rows of the same id stay.
TEST_F(UserNodes, ReplacingAUsersCatalogsLeavesOnlyCatalogWideRows) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL, ISPROFILE, VIEWONLY, SHAREDID) VALUES"
         " ('u1', 5, 42, 2, 0, 1, 'shop'), (' u1 ', 3, NULL, 0, 0, 0, NULL), ('u1', 7, NULL, 0, 1, 0, NULL),"
         " ('u2', 5, NULL, 0, 0, 0, NULL)");
    Golden text;
    text.Add("' u1 ' to 3, 7", NewTCatalog()->UpdateUserCatalogIDs(" u1 ", Array({3, "7"}), std::nullopt));
    text.Add("rows", UserRows());
    // A profile's rows only; an empty array clears and adds nothing.
    text.Add("profile u1 to 5", NewTCatalog()->UpdateUserCatalogIDs("u1", Array({5}), true));
    text.Add("u2 to none", NewTCatalog()->UpdateUserCatalogIDs("u2", Array({}), false));
    text.Add("rows after", UserRows());
    text.Add("clear U1", NewTCatalog()->ClearUserCatalogIDs("U1", std::nullopt));
    EXPECT_EQ(text.Add("rows at the end", UserRows()).Lines(),
              "' u1 ' to 3, 7: true\n"
              "rows:\n[u1]|3|null|0|0|0\n[u1]|7|null|0|0|0\n[u1]|7|null|0|1|0\n[u2]|5|null|0|0|0\n"
              "profile u1 to 5: true\nu2 to none: true\n"
              "rows after:\n[u1]|3|null|0|0|0\n[u1]|7|null|0|0|0\n[u1]|5|null|0|1|0\n"
              "clear U1: true\nrows at the end: [u1]|5|null|0|1|0\n");
  });
}

TEST_F(UserNodes, AnIdThatIsNoNumberOrAQuoteInTheUserChangesNothingElse) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, LEVEL) VALUES ('u1', 5, 0), ('x', 3, 0)");
    const std::string before = UserRows();
    EXPECT_EQ(Failure([&] { NewTCatalog()->UpdateUserCatalogIDs("u1", Array({3, "5) OR (1=1"}), false); }),
              "D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.UpdateUserCatalogIDs| DESC: Type mismatch.|");
    EXPECT_EQ(UserRows(), before);
    Golden answers;
    answers.Add("clear x' OR '1'='1", NewTCatalog()->ClearUserCatalogIDs("x' OR '1'='1", std::nullopt));
    answers.Add("O'Neil to 7", NewTCatalog()->UpdateUserCatalogIDs("O'Neil", Array({7}), false));
    EXPECT_EQ(answers.Line(), "clear x' OR '1'='1=true O'Neil to 7=true");
    EXPECT_EQ(UserRows(), "[O'Neil]|7|null|0|0|0\n" + before);
  });
}

// A whole catalog gives all its nodes; a top node gives itself and every
// node below it, level by level in NODEID order, and none of its siblings.
TEST_F(UserNodes, TheRebuildExpandsWholeCatalogsAndTopNodes) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL) VALUES"
         " ('u1', 3, NULL, 0), ('u1', 5, 40, 1), ('u1', 5, 44, 3), ('u2', 5, 42, 2);"
         "INSERT INTO USERNODE VALUES ('u1', 7, 99), ('u2', 7, 99), ('u3', 7, 99)");
    for (const char* user : {"u1", "u2", "u3"}) EXPECT_TRUE(NewTCatalog()->PopulateUserNodes(user)) << user;
    // Catalog 3's nodes come in the database's order.
    Golden nodes;
    nodes.Add("u1 in 5", Rows("SELECT NODEID FROM USERNODE WHERE USERID = 'u1' AND CATALOGID = 5 ORDER BY rowid"));
    nodes.Add("u1 in 3", Rows("SELECT NODEID FROM USERNODE WHERE USERID = 'u1' AND CATALOGID = 3 ORDER BY NODEID"));
    nodes.Add("u2", UserNodeRows("u2")).Add("u3", UserNodeRows("u3"));
    EXPECT_EQ(nodes.Lines(), "u1 in 5:\n40\n42\n43\n44\nu1 in 3:\n30\n31\n32\n33\nu2:\n5|42\n5|44\nu3: \n");
  });
}

// A node refused mid-batch: the call fails and the old rows are back.
TEST_F(UserNodes, AFailedRebuildKeepsTheOldRows) {
  Run([&] {
    Exec("INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL) VALUES ('u1', 5, NULL, 0);"
         "INSERT INTO USERNODE VALUES ('u1', 7, 99);"
         "CREATE TRIGGER REFUSE43 BEFORE INSERT ON USERNODE WHEN NEW.NODEID = 43 BEGIN SELECT RAISE(ABORT, 'no 43'); END;");
    EXPECT_EQ(Failure([&] { NewTCatalog()->PopulateUserNodes("u1"); }).substr(0, 78),
              "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Quarvel.Catalog.PopulateUserNodes|");
    EXPECT_EQ(Golden()
                  .Add("nodes of u1", UserNodeRows("u1"))
                  .Add("logged", LogEntriesWith("Quarvel.Catalog.PopulateUserNodes"))
                  .Lines(),
              "nodes of u1: 7|99\nlogged: 1\n");
  });
}

}  // namespace
}  // namespace catalogtest
