// Tests of the partner links of catalogs and nodes (the ";" lists split as
// VB splits them, in-place rewrite against removal and re-insert, a removal
// that fails, 16-bit ids) and of the shop-out folders found through them.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// Catalog 5 and its nodes 7 (a shop-out node linked to partners 12 and
// 40), 8 (a shop-out node without a link) and 9 (linked, no shop-out
// node); catalog 5 as a whole is linked to 12 and 40 as well.
class PartnerLinks : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (5, 'Five'), (6, 'Six');"
         "INSERT INTO CATALOGNODE (NODEID, CATALOGID, NODENAME, NODEURL, NODEDESCRIPTION, SHOPOUT) VALUES"
         " (7, 5, 'Shop', 'https://shop.example.com', 'Outside', 1), (8, 5, 'Closed shop', NULL, NULL, 1),"
         " (9, 5, 'Folder', NULL, NULL, 0);"
         "INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES"
         " (NULL, 5, 12), (NULL, 5, 40), (7, 5, 12), (7, 5, 40), (9, 5, 3);"
         "INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL, ISPROFILE, SHAREDID, SHAREDPWD) VALUES"
         " ('u1', 5, 7, 1, 0, 'u1-at-shop', 'S3cret'), ('u1', 5, 7, 1, 1, 'team', 'T3am'), ('u2', 5, 9, 1, 0, 'x', 'y');");
  }
  std::string Links() const { return Rows("SELECT LINKID, NODEID, CATALOGID, BUSINESSPARTNERID FROM CATALOGNODEBYBP ORDER BY 1"); }
  static std::string Partners(int16_t node, int16_t catalog) { return NewCatalog()->GetBPFromCatalogNodeByBP(node, catalog); }
  // Insert or Update (through `write`) with the list, as "<answer> <list
  // afterwards>" or the failure.
  template <class W>
  std::string Write(W write, int16_t node, int16_t catalog, const char* list) {
    rt::Variant partners(list);
    try {
      const bool done = write(*NewTCatalog(), node, catalog, partners);
      return std::string(done ? "True " : "False ") + Value(partners);
    } catch (const rt::ComError& e) {
      return std::to_string(e.number()) + " " + Value(partners);
    }
  }
  static bool Insert(ITCatalog& w, int16_t& node, int16_t& catalog, rt::Variant& list) {
    return w.InsertCatalogNodeByBP(node, catalog, list);
  }
  static bool Update(ITCatalog& w, int16_t& node, int16_t& catalog, rt::Variant& list) {
    return w.UpdateCatalogNodeByBP(node, catalog, list);
  }
};

TEST_F(PartnerLinks, ThePartnersOfACatalogOrANodeJoinedBySemicolons) {
  Run([&] {
    EXPECT_EQ(Partners(0, 5), "12;40");
    EXPECT_EQ(Partners(-3, 5), "12;40");
    EXPECT_EQ(Partners(8, 5), "");
  });
}

// "" is no partner, "12;" ends in an empty part (13), a part above 32767
// overflows (6); a failure writes nothing. The caller's list becomes its
// parts. A partner may be linked twice.
TEST_F(PartnerLinks, ListsSplitAsVbSplitsThemAndBadPartsWriteNothing) {
  Run([&] {
    const std::string before = Links();
    EXPECT_EQ(Write(Insert, 0, 6, ""), "True String()()");
    EXPECT_EQ(Write(Insert, 0, 6, "12;"), "13 String()(String:12, String:)");
    EXPECT_EQ(Write(Insert, 7, 6, "12;40000"), "6 String()(String:12, String:40000)");
    EXPECT_EQ(Links(), before);
    EXPECT_EQ(Write(Insert, 0, 6, "12;40"), "True String()(String:12, String:40)");
    EXPECT_EQ(Write(Insert, 0, 6, "12"), "True String()(String:12)");
    EXPECT_EQ(Links(), before + "6|null|6|12\n7|null|6|40\n8|null|6|12\n");
  });
}

// As many parts as links: the same rows take the new partners. Otherwise
// the links go and new ones are added; an empty list only removes.
TEST_F(PartnerLinks, EqualCountsRewriteInPlaceOthersReplace) {
  Run([&] {
    EXPECT_EQ(Write(Update, 7, 5, "40;55"), "True String()(String:40, String:55)");
    EXPECT_EQ(Links(), "1|null|5|12\n2|null|5|40\n3|7|5|40\n4|7|5|55\n5|9|5|3\n");
    EXPECT_EQ(Write(Update, 7, 5, "55"), "True String()(String:55)");
    EXPECT_EQ(Write(Update, 0, 5, ""), "True String()()");
    EXPECT_EQ(Links(), "5|9|5|3\n6|7|5|55\n");
    EXPECT_EQ(Write(Update, 9, 5, "40000"), "6 String()(String:40000)");
    EXPECT_EQ(Links(), "5|9|5|3\n6|7|5|55\n");
    EXPECT_EQ(LogEntriesWith("Quarvel.Catalog.UpdateCatalogNodeByBP()"), 1);
  });
}

// The removal answers False for any failure and casts no vote; the replace
// then answers False and votes abort, so no new link joins the old ones.
TEST_F(PartnerLinks, AFailedRemovalFailsTheReplaceAndKeepsTheOldLinks) {
  Run([&] {
    Exec("CREATE TRIGGER KEEPLINKS BEFORE DELETE ON CATALOGNODEBYBP BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    const std::string before = Links();
    EXPECT_TRUE(CallerKeepsItsWork([&] {
      int16_t node = 7, catalog = 5;
      EXPECT_FALSE(Inner<ITCatalog>("Quarvel.TCatalog")->DeleteCatalogNodeByBP(node, catalog));
    }));
    EXPECT_FALSE(CallerKeepsItsWork([&] {
      int16_t node = 7, catalog = 5;
      rt::Variant list("55");
      EXPECT_FALSE(Inner<ITCatalog>("Quarvel.TCatalog")->UpdateCatalogNodeByBP(node, catalog, list));
    }));
    EXPECT_EQ(Links(), before);
    EXPECT_EQ(LogEntries(), 0);
    Exec("DROP TRIGGER KEEPLINKS");
    int16_t node = 0, catalog = 5;
    EXPECT_TRUE(NewTCatalog()->DeleteCatalogNodeByBP(node, catalog));
    EXPECT_EQ(Links(), "3|7|5|12\n4|7|5|40\n5|9|5|3\n");
  });
}

// A shop-out node counts once per partner link; without a link it is not
// one. The account is read for user and profile rows alike, as stored.
TEST_F(PartnerLinks, ShopOutFoldersAreFoundThroughTheirLinks) {
  Run([&] {
    auto catalog = NewCatalog();
    EXPECT_EQ(Value(catalog->GetAllShopOutCatalogFolders()), "Integer()(Integer:7, Integer:7)");
    int16_t shop = 7;
    EXPECT_EQ(BrintorTest::Rows(catalog->GetShopOutFolderDetails(shop)),
              "7|5|Shop|https://shop.example.com|Outside|12\n7|5|Shop|https://shop.example.com|Outside|40\n");
    EXPECT_EQ(BrintorTest::Rows(catalog->GetFolderAuthenticationDetails("U1", shop)), "u1-at-shop|S3cret\nteam|T3am\n");
    EXPECT_EQ(BrintorTest::Rows(catalog->GetFolderAuthenticationDetails("u1' OR '1'='1", shop)), "");
  });
}

}  // namespace
}  // namespace catalogtest
