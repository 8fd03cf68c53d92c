// Favourite folders: reads by user, the writers' refusals, names compared
// as the database compares them, the delete's owner check, the votes cast.
#include <tuple>

#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

// u1's folders 12 Desk and 15 Paper, u2's 20 desk; favourites 100 and 101 in
// folder 12, 102 in 15, 103 in 20, 104 in the root.
class FavoriteFolders : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO FAVORITEFOLDERS VALUES (12, 'Desk', 'u1'), (15, 'Paper', 'u1'), (20, 'desk', 'u2');"
         "INSERT INTO FAVORITES (USERID, PRODUCTID, WAREHOUSEFAVORITE, FOLDERID, PRESENT) VALUES"
         " ('u1', 100, 0, 12, 1), ('u1', 101, 0, 12, 1), ('u1', 102, 0, 15, 1), ('u2', 103, 0, 20, 1),"
         " ('u1', 104, 0, 0, 1);");
  }
  std::string Folders() const { return Rows("SELECT FOLDERID, FOLDERNAME, USERID FROM FAVORITEFOLDERS ORDER BY 1"); }
  std::string Favorites() const { return Rows("SELECT PRODUCTID, FOLDERID FROM FAVORITES ORDER BY 1"); }
  static int32_t Insert(const char* fieldA, const rt::Variant& a, const char* fieldB, const rt::Variant& b) {
    return NewTCatalog()->InsertFavoriteFolder(Array({rt::Variant(fieldA), rt::Variant(fieldB)}), Array({a, b}));
  }
};

TEST_F(FavoriteFolders, AUsersFoldersByNameAndOneFolderByIdOrName) {
  Run([&] {
    auto catalog = NewCatalog();
    Golden seen;
    seen.Add("folders of U1", Entries(catalog->GetFavoriteFolders("U1")));
    seen.Add("name of 12", catalog->GetFavoriteFolderName(12, "u1"));
    seen.Add("id of 'DESK '", catalog->GetFavoriteFolderID("DESK ", "u1"));
    seen.Add("folders of u1' OR '1'='1", Entries(catalog->GetFavoriteFolders("u1' OR '1'='1")));
    EXPECT_EQ(seen.Lines(),
              "folders of U1: Long:12=String:Desk; Long:15=String:Paper\nname of 12: Desk\nid of 'DESK ': 12\n"
              "folders of u1' OR '1'='1: \n");
  });
}

// Only the names FOLDERNAME and USERID, written exactly so, are tested for
// emptiness; a name is stored as given, quotes included.
TEST_F(FavoriteFolders, AFolderWithoutANameOrAnOwnerIsRefused) {
  Run([&] {
    Golden refused;
    refused.Add("no name", Insert("USERID", "u1", "FOLDERNAME", ""));
    refused.Add("no owner", Insert("USERID", rt::Variant::Null(), "FOLDERNAME", "Tools"));
    EXPECT_EQ(refused.Line(), "no name=-1 no owner=-1");
    const int32_t quoted = Insert("USERID", "u1", "FOLDERNAME", "Bob's pens");
    EXPECT_EQ(NewCatalog()->GetFavoriteFolderID("Bob's pens", "u1"), quoted);
    const int32_t unnamed = Insert("userid", "u3", "FolderName", "");
    Golden seen;
    seen.Add("unnamed after quoted", unnamed - quoted);
    seen.Add("folders from quoted", Rows("SELECT FOLDERID - " + std::to_string(quoted) + ", '[' || FOLDERNAME || ']', "
                                         "USERID FROM FAVORITEFOLDERS WHERE FOLDERID >= " + std::to_string(quoted) +
                                         " ORDER BY 1"));
    seen.Add("field COLOUR", Failure([&] { Insert("USERID", "u1", "COLOUR", "red"); }).substr(0, 40));
    EXPECT_EQ(seen.Lines(),
              "unnamed after quoted: 1\nfolders from quoted:\n0|[Bob's pens]|u1\n1|[]|u3\n"
              "field COLOUR: 800A0CC1 ADODB.Recordset: |ERROR 0x800A0\n");
  });
}

// Names compare as the database does, the folder's own included; another
// user's do not count. True whether or not the folder is the user's.
TEST_F(FavoriteFolders, ARenameToANameTheUserHasIsRefused) {
  Run([&] {
    auto writer = NewTCatalog();
    Golden text;
    for (auto [id, user, name] : {std::tuple{12, "u1", "desk"}, std::tuple{12, "u1", "Tools"}, std::tuple{15, "u1", "desk"},
                                  std::tuple{20, "u1' OR '1'='1", "It's mine"}})
      text.Add(std::to_string(id) + " of " + user + " to " + name, writer->UpdateFavoriteFolderName(id, user, name));
    EXPECT_EQ(text.Add("folders", Folders()).Lines(),
              "12 of u1 to desk: false\n12 of u1 to Tools: true\n15 of u1 to desk: true\n"
              "20 of u1' OR '1'='1 to It's mine: true\nfolders:\n12|Tools|u1\n15|desk|u1\n20|desk|u2\n");
  });
}

// The root folder is never deleted; another user's keeps its favourites.
TEST_F(FavoriteFolders, ADeleteTakesOnlyTheUsersOwnFolderAndItsFavourites) {
  Run([&] {
    const std::string favorites = Favorites();
    auto writer = NewTCatalog();
    Golden answers;
    answers.Add("root of u1", writer->DeleteFavoriteFolder(0, "u1"));
    answers.Add("12 as u2", writer->DeleteFavoriteFolder(12, "u2"));
    EXPECT_EQ(answers.Line(), "root of u1=false 12 as u2=true");
    EXPECT_EQ(Favorites(), favorites);
    EXPECT_TRUE(writer->DeleteFavoriteFolder(12, "u1"));
    EXPECT_EQ(Golden().Add("favourites", Favorites()).Add("folders", Folders()).Lines(),
              "favourites:\n102|15\n103|20\n104|0\nfolders:\n15|Paper|u1\n20|desk|u2\n");
  });
}

// Refusals and the insert's failure cast no vote: the caller's work stays.
TEST_F(FavoriteFolders, RefusalsLeaveTheCallersTransactionAlone) {
  Run([&] {
    EXPECT_TRUE(CallerKeepsItsWork([&] {
      auto writer = Inner<ITCatalog>("Quarvel.TCatalog");
      EXPECT_EQ(writer->InsertFavoriteFolder(Array({"FOLDERNAME"}), Array({""})), -1);
      Golden refused;
      refused.Add("rename to Paper", writer->UpdateFavoriteFolderName(12, "u1", "Paper"));
      refused.Add("delete -1", writer->DeleteFavoriteFolder(-1, "u1"));
      EXPECT_EQ(refused.Line(), "rename to Paper=false delete -1=false");
      RaisedBy([&] { writer->InsertFavoriteFolder(Array({"NOSUCH"}), Array({1})); });
    }));
    // A failed rename votes abort.
    Exec("CREATE TRIGGER KEEPNAMES BEFORE UPDATE ON FAVORITEFOLDERS BEGIN SELECT RAISE(ABORT, 'kept'); END;");
    EXPECT_FALSE(CallerKeepsItsWork([&] {
      RaisedBy([&] { Inner<ITCatalog>("Quarvel.TCatalog")->UpdateFavoriteFolderName(12, "u1", "Tools"); });
    }));
  });
}

}  // namespace
}  // namespace catalogtest
