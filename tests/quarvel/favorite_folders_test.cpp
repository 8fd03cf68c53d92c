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
    EXPECT_EQ(Entries(catalog->GetFavoriteFolders("U1")) + " " + catalog->GetFavoriteFolderName(12, "u1") + " " +
                  std::to_string(catalog->GetFavoriteFolderID("DESK ", "u1")) + " [" +
                  Entries(catalog->GetFavoriteFolders("u1' OR '1'='1")) + "]",
              "Long:12=String:Desk; Long:15=String:Paper Desk 12 []");
  });
}

// Only the names FOLDERNAME and USERID, written exactly so, are tested for
// emptiness; a name is stored as given, quotes included.
TEST_F(FavoriteFolders, AFolderWithoutANameOrAnOwnerIsRefused) {
  Run([&] {
    EXPECT_EQ(Insert("USERID", "u1", "FOLDERNAME", "") + Insert("USERID", rt::Variant::Null(), "FOLDERNAME", "Tools"), -2);
    const int32_t quoted = Insert("USERID", "u1", "FOLDERNAME", "Bob's pens");
    EXPECT_EQ(NewCatalog()->GetFavoriteFolderID("Bob's pens", "u1"), quoted);
    const int32_t unnamed = Insert("userid", "u3", "FolderName", "");
    EXPECT_EQ(InOrder({std::to_string(unnamed - quoted), "\n",
                       Rows("SELECT FOLDERID - " + std::to_string(quoted) + ", '[' || FOLDERNAME || ']', USERID FROM "
                            "FAVORITEFOLDERS WHERE FOLDERID >= " + std::to_string(quoted) + " ORDER BY 1"),
                       Failure([&] { Insert("USERID", "u1", "COLOUR", "red"); }).substr(0, 40)}),
              "1\n0|[Bob's pens]|u1\n1|[]|u3\n800A0CC1 ADODB.Recordset: |ERROR 0x800A0");
  });
}

// Names compare as the database does, the folder's own included; another
// user's do not count. True whether or not the folder is the user's.
TEST_F(FavoriteFolders, ARenameToANameTheUserHasIsRefused) {
  Run([&] {
    auto writer = NewTCatalog();
    std::string text;
    for (auto [id, user, name] : {std::tuple{12, "u1", "desk"}, std::tuple{12, "u1", "Tools"}, std::tuple{15, "u1", "desk"},
                                  std::tuple{20, "u1' OR '1'='1", "It's mine"}})
      text += writer->UpdateFavoriteFolderName(id, user, name) ? "T" : "F";
    EXPECT_EQ(text + "\n" + Folders(), "FTTT\n12|Tools|u1\n15|desk|u1\n20|desk|u2\n");
  });
}

// The root folder is never deleted; another user's keeps its favourites.
TEST_F(FavoriteFolders, ADeleteTakesOnlyTheUsersOwnFolderAndItsFavourites) {
  Run([&] {
    const std::string favorites = Favorites();
    auto writer = NewTCatalog();
    EXPECT_TRUE(!writer->DeleteFavoriteFolder(0, "u1") && writer->DeleteFavoriteFolder(12, "u2"));
    EXPECT_EQ(Favorites(), favorites);
    EXPECT_TRUE(writer->DeleteFavoriteFolder(12, "u1"));
    EXPECT_EQ(Favorites() + Folders(), "102|15\n103|20\n104|0\n15|Paper|u1\n20|desk|u2\n");
  });
}

// Refusals and the insert's failure cast no vote: the caller's work stays.
TEST_F(FavoriteFolders, RefusalsLeaveTheCallersTransactionAlone) {
  Run([&] {
    EXPECT_TRUE(CallerKeepsItsWork([&] {
      auto writer = Inner<ITCatalog>("Quarvel.TCatalog");
      EXPECT_EQ(writer->InsertFavoriteFolder(Array({"FOLDERNAME"}), Array({""})), -1);
      EXPECT_FALSE(writer->UpdateFavoriteFolderName(12, "u1", "Paper") || writer->DeleteFavoriteFolder(-1, "u1"));
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
