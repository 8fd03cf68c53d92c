// The partner links of catalogs and nodes, and the shop-out folders found
// through them.
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// Catalog 5 (linked to 12 and 40) and its nodes 7 (shop-out, linked to 12
// and 40), 8 (shop-out, no link) and 9 (linked, not shop-out).
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
  // "answer=<answer or failure number> list=<list afterwards>" of an Insert or Update.
  static std::string Write(bool update, int16_t node, int16_t catalog, const char* list) {
    rt::Variant partners(list);
    std::string answer;
    try {
      auto writer = NewTCatalog();
      const bool done = update ? writer->UpdateCatalogNodeByBP(node, catalog, partners)
                               : writer->InsertCatalogNodeByBP(node, catalog, partners);
      answer = done ? "True" : "False";
    } catch (const rt::ComError& e) {
      answer = "error " + std::to_string(e.number());
    }
    return Golden().Add("answer", answer).Add("list", Value(partners)).Line();
  }
  static constexpr bool Insert = false, Update = true;
};

TEST_F(PartnerLinks, ThePartnersOfACatalogOrANodeJoinedBySemicolons) {
  Run([&] {
    EXPECT_EQ(
        Golden().Add("catalog", Partners(0, 5)).Add("node -3", Partners(-3, 5)).Add("node 8", Partners(8, 5)).Line(),
        "catalog=12;40 node -3=12;40 node 8=");
  });
}

// "" is no partner, "12;" ends in an empty part (13), a part above 32767
// overflows (6); a failure writes nothing. The caller's list becomes its
// parts. A partner may be linked twice.
TEST_F(PartnerLinks, ListsSplitAsVbSplitsThemAndBadPartsWriteNothing) {
  Run([&] {
    const std::string before = Links();
    Golden refused;
    refused.Add("''", Write(Insert, 0, 6, "")).Add("'12;'", Write(Insert, 0, 6, "12;"));
    refused.Add("'12;40000'", Write(Insert, 7, 6, "12;40000"));
    EXPECT_EQ(refused.Lines(),
              "'': answer=True list=String()()\n'12;': answer=error 13 list=String()(String:12, String:)\n"
              "'12;40000': answer=error 6 list=String()(String:12, String:40000)\n");
    EXPECT_EQ(Links(), before);
    Golden added;
    added.Add("'12;40'", Write(Insert, 0, 6, "12;40")).Add("'12'", Write(Insert, 0, 6, "12")).Add("links", Links());
    EXPECT_EQ(added.Lines(),
              "'12;40': answer=True list=String()(String:12, String:40)\n'12': answer=True list=String()(String:12)\n"
              "links:\n" + before + "6|null|6|12\n7|null|6|40\n8|null|6|12\n");
  });
}

// As many parts as links: the same rows take the new partners. Otherwise
// the links go and new ones are added; an empty list only removes.
TEST_F(PartnerLinks, EqualCountsRewriteInPlaceOthersReplace) {
  Run([&] {
    Golden text;
    text.Add("node 7 '40;55'", Write(Update, 7, 5, "40;55")).Add("links", Links());
    text.Add("node 7 '55'", Write(Update, 7, 5, "55")).Add("catalog ''", Write(Update, 0, 5, ""));
    text.Add("links after", Links()).Add("node 9 '40000'", Write(Update, 9, 5, "40000"));
    text.Add("links at the end", Links());
    EXPECT_EQ(text.Lines(),
              "node 7 '40;55': answer=True list=String()(String:40, String:55)\n"
              "links:\n1|null|5|12\n2|null|5|40\n3|7|5|40\n4|7|5|55\n5|9|5|3\n"
              "node 7 '55': answer=True list=String()(String:55)\ncatalog '': answer=True list=String()()\n"
              "links after:\n5|9|5|3\n6|7|5|55\n"
              "node 9 '40000': answer=error 6 list=String()(String:40000)\n"
              "links at the end:\n5|9|5|3\n6|7|5|55\n");
    EXPECT_EQ(LogEntriesWith("Quarvel.Catalog.UpdateCatalogNodeByBP()"), 1);
  });
}

// The removal answers False for any failure and casts no vote; the replace
// then answers False and votes abort, so no new link joins the old ones.
TEST_F(PartnerLinks, AFailedRemovalFailsTheReplaceAndKeepsTheOldLinks) {
  Run([&] {
    Exec("CREATE TRIGGER KEEPLINKS BEFORE DELETE ON CATALOGNODEBYBP BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    const std::string before = Links();
    int16_t node = 7, catalog = 5;
    rt::Variant list("55");
    EXPECT_TRUE(CallerKeepsItsWork([&] { EXPECT_FALSE(Inner<ITCatalog>("Quarvel.TCatalog")->DeleteCatalogNodeByBP(node, catalog)); }));
    EXPECT_FALSE(CallerKeepsItsWork(
        [&] { EXPECT_FALSE(Inner<ITCatalog>("Quarvel.TCatalog")->UpdateCatalogNodeByBP(node, catalog, list)); }));
    EXPECT_EQ(Links(), before);
    EXPECT_EQ(LogEntries(), 0);
    Exec("DROP TRIGGER KEEPLINKS");
    node = 0;
    EXPECT_TRUE(NewTCatalog()->DeleteCatalogNodeByBP(node, catalog));
    EXPECT_EQ(Links(), "3|7|5|12\n4|7|5|40\n5|9|5|3\n");
  });
}

// A shop-out node counts once per partner link; without a link it is not
// one. The account is read for user and profile rows alike, as stored.
TEST_F(PartnerLinks, ShopOutFoldersAreFoundThroughTheirLinks) {
  Run([&] {
    auto catalog = NewCatalog();
    int16_t shop = 7;
    Golden seen;
    seen.Add("folders", Value(catalog->GetAllShopOutCatalogFolders()));
    seen.Add("details of 7", BrintorTest::Rows(catalog->GetShopOutFolderDetails(shop)));
    seen.Add("accounts of U1", BrintorTest::Rows(catalog->GetFolderAuthenticationDetails("U1", shop)));
    seen.Add("accounts of u1' OR '1'='1",
             BrintorTest::Rows(catalog->GetFolderAuthenticationDetails("u1' OR '1'='1", shop)));
    EXPECT_EQ(seen.Lines(),
              "folders: Integer()(Integer:7, Integer:7)\n"
              "details of 7:\n7|5|Shop|https://shop.example.com|Outside|12\n"
              "7|5|Shop|https://shop.example.com|Outside|40\n"
              "accounts of U1:\nu1-at-shop|S3cret\nteam|T3am\naccounts of u1' OR '1'='1: \n");
  });
}

}  // namespace
}  // namespace catalogtest
