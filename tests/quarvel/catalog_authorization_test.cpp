// Catalog's authorisation reads: levels and topmost nodes, the view-only
// rule by path and by walk, node levels, the catalogs of users and
// profiles, quotes in ids, and walks over a cycle.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <thread>

#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// Catalog 5 ("Zeta"):  A 100 ─ B 110 ─ C 120 ─ D 130
//                            └ F 111 ─ E 121
//                      G 101 ─ H 112
// (sequence: F before B, H before B among the level-2 nodes). Catalog 6
// ("Alpha"): 200 ─ 210. Catalog 7: 300 and 301, each the other's parent.
// Catalog 8 has no nodes.
// u1 holds B, H (level 2), E (3), D (4) and, in catalog 6, 210 (2); as a
// profile it holds A. u2 holds catalog 5 as a whole. O'Neil may only look at
// catalog 6; nv's row on catalog 6 has a Null view-only mark. v2's mark is
// on A, v3's only on a profile row. c1 holds both nodes of the cycle.
class Authorization : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (5, 'Zeta'), (6, 'Alpha'), (7, 'Loop'), (8, 'Empty');"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE) VALUES"
         " (100, NULL, 5, 'A', 1), (101, NULL, 5, 'G', 2), (110, 100, 5, 'B', 3), (111, 100, 5, 'F', 1),"
         " (112, 101, 5, 'H', 2), (120, 110, 5, 'C', 1), (121, 111, 5, 'E', 1), (130, 120, 5, 'D', 1),"
         " (200, NULL, 6, 'Six top', 1), (210, 200, 6, 'Six child', 1), (300, 301, 7, 'Loop one', 1),"
         " (301, 300, 7, 'Loop two', 2);"
         "INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL, ISPROFILE, VIEWONLY) VALUES"
         " ('u1', 5, 110, 2, 0, 0), ('u1', 5, 130, 4, 0, 0), ('u1', 5, 121, 3, 0, 0), ('u1', 5, 112, 2, 0, 0),"
         " ('u1', 6, 210, 2, 0, 0), ('u1', 5, 100, 1, 1, 0), ('u2', 5, NULL, 0, 0, 0),"
         " ('O''Neil', 6, NULL, 0, 0, 1), ('nv', 6, NULL, 0, 0, NULL),"
         " ('v2', 5, 100, 1, 0, 1), ('v2', 5, 110, 2, 0, 0), ('v2', 5, 120, 3, 0, 0),"
         " ('v3', 5, 100, 1, 1, 1), ('v3', 5, 120, 3, 0, 0), ('P', 6, NULL, 0, 1, 0), ('P', 5, NULL, 0, 1, 0),"
         " ('c1', 7, 300, 2, 0, 0), ('c1', 7, 301, 3, 0, 0);");
  }

  static std::string Levels(ICatalog& catalog, const std::string& user, int32_t id) {
    return Golden()
        .Add("top", catalog.GetTopAuthorizedLevel(id, user))
        .Add("bottom", catalog.GetBottomAuthorizedLevel(id, user))
        .Add("whole", catalog.IsEntireCatalogAuthorized(id, user))
        .Add("topmost", "[" + Entries(catalog.GetUserTopLevelCatalogNodes(user, id)) + "]")
        .Line();
  }
  // The parts of a ";" list, sorted: the database may answer in any order.
  static std::string Sorted(std::string list) {
    std::vector<std::string> parts;
    for (size_t at; (at = list.find(';')) != std::string::npos; list.erase(0, at + 1)) parts.push_back(list.substr(0, at));
    if (!list.empty()) parts.push_back(list);
    std::sort(parts.begin(), parts.end());
    std::string text;
    for (const std::string& p : parts) text += (text.empty() ? "" : ";") + p;
    return text;
  }
  static std::string Sorted(const rt::Variant& texts) {
    std::string list;
    for (const rt::Variant& t : texts.AsArray().data) list += (list.empty() ? "" : ";") + rt::CStr(t);
    return rt::TypeName(texts) + " " + std::to_string(texts.AsArray().LBound()) + ":" + Sorted(list);
  }
  // Runs a walk on a thread of its own, ending the program when it does not
  // end within 20 seconds (a walk caught in a cycle); joined, so that its
  // sessions are closed before the test reads the database.
  template <class F>
  static auto WithinTime(F call) {
    std::packaged_task<decltype(call())()> task(std::move(call));
    auto answer = task.get_future();
    std::thread worker(std::move(task));
    if (answer.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      std::fprintf(stderr, "a walk over the tree did not end\n");
      std::_Exit(1);
    }
    worker.join();
    return answer.get();
  }
};

// Top level 2; B, then E for the branch whose level-2 node F the user does
// not hold; D adds nothing (B holds its branch). The profile's row on A
// counts for nothing. Level 2 only within the catalog asked; level 0 only
// for a whole catalog. A whole catalog authorises every node without
// USERNODE rows; others need a row; a missing node is quietly False.
TEST_F(Authorization, LevelsAndTopmostNodesComeFromTheUsersOwnRows) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden text;
    for (const char* user : {"u1", "u2", "u3"}) text.Add(user, Levels(*catalog, user, 5));
    for (auto [user, level] : {std::pair{"u1", 2}, std::pair{"u1", 0}, std::pair{"u2", 0}})
      text.Add(std::string(user) + " level " + std::to_string(level),
               Entries(catalog->GetUserCatalogNodesByLevel(user, 5, level)));
    Exec("INSERT INTO USERNODE VALUES ('u1', 5, 120)");
    for (auto [user, node] : {std::pair{"u2", 130}, std::pair{"u1", 130}, std::pair{"u2", 999}})
      text.Add(std::string(user) + " authorized on " + std::to_string(node),
               catalog->IsAuthorizedCatalogNode(user, node));
    EXPECT_EQ(text.Lines(),
              "u1: top=2 bottom=4 whole=false topmost=[Long:112=String:H; Long:110=String:B; Long:121=String:E]\n"
              "u2: top=0 bottom=0 whole=true topmost=[Long:100=String:A; Long:101=String:G]\n"
              "u3: top=-1 bottom=-1 whole=false topmost=[]\n"
              "u1 level 2: Long:112=String:H; Long:110=String:B\nu1 level 0: (nothing)\n"
              "u2 level 0: Long:100=String:A; Long:101=String:G\n"
              "u2 authorized on 130: true\nu1 authorized on 130: false\nu2 authorized on 999: false\n");
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(Authorization, AUsersNodesComeByNameWithinTheCatalogsAsked) {
  Run([&] {
    Exec("INSERT INTO USERNODE VALUES ('u1', 5, 110), ('u1', 5, 120), ('u1', 6, 210), ('u2', 5, 100)");
    auto catalog = NewCatalog();
    const rt::Variant all = rt::Variant::Missing();
    auto nodes = [&](const char* user, const rt::Variant& ids) {
      return Answer([&] { return Entries(catalog->GetAllUserAuthorizedCatalogNodes(user, ids)); });
    };
    Golden text;
    text.Add("u1, all", nodes("u1", all)).Add("U1, catalog 6", nodes("U1", Array({"6"})));
    text.Add("u1, 5) OR (1=1", nodes("u1", Array({"5) OR (1=1"})));
    Exec("INSERT INTO USERNODE VALUES ('u1', 5, 110)");
    EXPECT_EQ(text.Add("u1, all, a node twice", nodes("u1", all)).Lines(),
              "u1, all: String:Long:110=String:B; Long:120=String:C; Long:210=String:Six child\n"
              "U1, catalog 6: String:Long:210=String:Six child\n"
              "u1, 5) OR (1=1: D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.GetAllUserAuthorizedCatalogNodes| DESC: "
              "Type mismatch.|\n"
              "u1, all, a node twice: 1C9 Quarvel: |ERROR 0x1C9| METHOD: "
              "Quarvel.Catalog.GetAllUserAuthorizedCatalogNodes| "
              "DESC: This key is already associated with an element of this collection.|\n");
  });
}

// A mark on the catalog, an ancestor or the node itself makes the node
// view-only; the path version trusts the ancestors it is given, the walk
// finds them. Profile rows mark nothing; short paths and missing nodes are
// quietly False; ids in a path must be numbers; a Null mark cannot be read.
TEST_F(Authorization, ViewOnlyMarksComeDownFromTheCatalogAndTheAncestors) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden marks;
    auto path = [&](std::vector<rt::Variant> ids) {
      std::string label = "v2 path";
      for (const rt::Variant& id : ids) label += " '" + rt::CStr(id) + "'";
      marks.Add(label, Answer([&] { return catalog->IsViewOnlyCatalogNode("v2", Array(std::move(ids))); }));
    };
    auto walk = [&](const char* user, int32_t node) {
      marks.Add(std::string(user) + " walk " + std::to_string(node),
                Answer([&] { return catalog->IsViewOnlyCatalogNodeEx(user, node); }));
    };
    marks.Add("O'Neil catalog 6", Answer([&] { return catalog->IsViewOnlyCatalog("O'Neil", 6); }));
    walk("O'Neil", 210);
    walk("v2", 130);
    walk("v3", 130);
    path({5, 110, 120});
    path({"5", "100", 110, 120});
    path({5, "", 100, "", 120});
    path({5, 100});
    path({5});
    marks.Add("v2 path Null", Answer([&] { return catalog->IsViewOnlyCatalogNode("v2", rt::Variant::Null()); }));
    walk("v2", 999);
    path({5, "100) OR (1=1", 120});
    walk("nv", 210);
    EXPECT_EQ(marks.Lines(),
              "O'Neil catalog 6: Boolean:True\nO'Neil walk 210: Boolean:True\nv2 walk 130: Boolean:True\n"
              "v3 walk 130: Boolean:False\nv2 path '5' '110' '120': Boolean:False\n"
              "v2 path '5' '100' '110' '120': Boolean:True\nv2 path '5' '' '100' '' '120': Boolean:True\n"
              "v2 path '5' '100': Boolean:True\nv2 path '5': Boolean:False\nv2 path Null: Boolean:False\n"
              "v2 walk 999: Boolean:False\n"
              "v2 path '5' '100) OR (1=1' '120': D Quarvel: |ERROR 0xD| METHOD: Quarvel.Catalog.IsViewOnlyCatalogNode| "
              "DESC: Type mismatch.|\n"
              "nv walk 210: 5E Quarvel: |ERROR 0x5E| METHOD: Quarvel.Catalog.IsViewOnlyCatalogNodeEx| DESC: |ERROR "
              "0x5E| "
              "METHOD: Quarvel.Catalog.IsViewOnlyCatalog| DESC: Invalid use of Null.|.|\n");
    EXPECT_EQ(LogEntries(), 3);  // the mismatch's block, and the Null's two
  });
}

// The counter grows whenever a row's parent differs from the last parent
// seen, in NODEID order: H (112), two levels down, counts 3 because its
// parent G follows A's children.
TEST_F(Authorization, NodeLevelsAreCountedAlongTheNodeIds) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden levels;
    for (int32_t node : {100, 101, 110, 111, 112, 120, 130, 999})
      levels.Add(std::to_string(node), catalog->GetNodeLevel(5, node));
    EXPECT_EQ(levels.Add("catalog 8, node 1", catalog->GetNodeLevel(8, 1)).Line(),
              "100=1 101=1 110=2 111=2 112=3 120=4 130=6 999=6 catalog 8, node 1=-1");
  });
}

TEST_F(Authorization, TheCatalogsOfUsersAndProfilesAndTheirHolders) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden seen;
    seen.Add("catalogs of u1", Sorted(catalog->GetUserCatalogIDs("u1")));
    seen.Add("catalogs of o'neil", catalog->GetUserCatalogIDs("o'neil"));
    seen.Add("catalogs of x' OR '1'='1", catalog->GetUserCatalogIDs("x' OR '1'='1"));
    seen.Add("catalogs of profile P", catalog->GetProfileCatalogIDs("P"));
    seen.Add("users", Sorted(catalog->GetCatalogUsers(std::nullopt, std::nullopt)));
    seen.Add("profiles", Sorted(catalog->GetCatalogUsers(-1, true)));
    seen.Add("users of 6", Sorted(catalog->GetCatalogUsers(6, false)));
    seen.Add("users of 99", Sorted(catalog->GetCatalogUsers(99, std::nullopt)));
    EXPECT_EQ(seen.Lines(),
              "catalogs of u1: 5;6\ncatalogs of o'neil: 6\ncatalogs of x' OR '1'='1: \ncatalogs of profile P: 6;5\n"
              "users: String() 0:O'Neil;c1;nv;u1;u2;v2;v3\nprofiles: String() 0:P;u1;v3\n"
              "users of 6: String() 0:O'Neil;nv;u1\nusers of 99: String() 0:\n");
  });
}

// PARENTNODEID 300 -> 301 -> 300: every walk ends, and the branch adds
// nothing. A walked node that the catalog does not hold fails the call.
TEST_F(Authorization, AWalkCaughtInACycleEndsAndOneThatLeavesTheCatalogFails) {
  Run([&] {
    EXPECT_EQ(WithinTime([] { return Entries(NewCatalog()->GetUserTopLevelCatalogNodes("c1", 7)); }),
              "Long:300=String:Loop one");
    EXPECT_FALSE(WithinTime([] { return NewCatalog()->IsViewOnlyCatalogNodeEx("c1", 301); }));
    EXPECT_TRUE(WithinTime([] { return NewTCatalog()->PopulateUserNodes("c1"); }));
    EXPECT_EQ(Rows("SELECT CATALOGID, NODEID FROM USERNODE WHERE USERID = 'c1' ORDER BY rowid"), "7|300\n7|301\n");
    Exec("UPDATE CATALOGNODE SET CATALOGID = 6 WHERE NODEID = 120");
    EXPECT_EQ(Failure([&] { NewCatalog()->GetUserTopLevelCatalogNodes("u1", 5); }),
              "800A0BCD ADODB.Recordset: |ERROR 0x800A0BCD| METHOD: Quarvel.Catalog.GetUserTopLevelCatalogNodes| DESC: "
              "There is no current record: the recordset is at BOF or EOF, or the current record was deleted..|");
  });
}

}  // namespace
}  // namespace catalogtest
