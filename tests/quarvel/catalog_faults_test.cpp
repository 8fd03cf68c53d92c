// TCatalog's writers under the fault sweep: a failed statement or commit
// raises or refuses, and leaves every table as it was.
#include "data/testing/fault_sweep.h"
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

using data::testing::Outcome;

Outcome Of(bool done) { return done ? Outcome::Succeeded : Outcome::Refused; }
Outcome Done(const std::function<void()>& call) {
  call();
  return Outcome::Succeeded;
}

class CatalogFaults : public CatalogTest {
 protected:
  void SetUp() override {
    CatalogTest::SetUp();
    Exec("INSERT INTO CATALOG VALUES (1, 'Main', 1, 0, 'S1', 'v1', 1, 3, 'Main catalog');"
         "INSERT INTO CATALOG (CATALOGID, CATALOGNAME) VALUES (2, 'Copy Of Main');"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME, CATEGORYID) VALUES "
         "(10, NULL, 1, 'Office', NULL), (11, 10, 1, 'Pens', 3), (12, 11, 1, 'Refills', 3), (13, 99, 1, 'Stray', NULL);"
         "INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME, UNSPSCCODE) VALUES (3, 'Pens', '441217');"
         "INSERT INTO VISIBILITIESBYCATEGORY VALUES (3, 1);"
         "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) VALUES (40, 3, 1);"
         "INSERT INTO PRODUCT (PRODUCTID, UNSPSCCODE) VALUES (40, '44121704'), (41, '44121701');");
  }
  // The problems of each write (each by a TCatalog of its own) under its
  // name; the statements each runs without a failure go to statements_.
  std::string Sweep(const std::vector<std::pair<const char*, std::function<Outcome(ITCatalog&)>>>& writes) {
    data::testing::FaultEngine engine;
    const auto target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    std::string problems;
    for (const auto& [name, write] : writes) {
      auto report = data::testing::SweepFaults(engine, target, [&] { return write(*NewTCatalog()); });
      statements_ += std::string(statements_.empty() ? "" : ", ") + name + " " + std::to_string(report.statements);
      if (!report.Problems().empty()) problems += std::string(name) + ":\n" + report.Problems();
    }
    return problems;
  }
  std::string statements_;
};

// The relinking switched on, so that the category writers relink: they read
// the products of the codes and the category, then delete or insert links.
TEST_F(CatalogFaults, CatalogAndCategoryWritesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    SetSwitch("Yes");
    EXPECT_EQ(Sweep({{"CopyCatalog", [](ITCatalog& w) { return Done([&] { w.CopyCatalog(1, 1, ""); }); }},
                     {"InsertCatalog",
                      [](ITCatalog& w) { return Done([&] { w.InsertCatalog(Array({"CATALOGNAME"}), Array({"New"})); }); }},
                     {"DeleteProductCategory", [](ITCatalog& w) { return Of(w.DeleteProductCategory(3)); }},
                     {"InsertProductCategory",
                      [](ITCatalog& w) {
                        return Of(w.InsertProductCategory(Array({"CATEGORYNAME", "UNSPSCCODE"}), Array({"Pens", "441217"})));
                      }},
                     {"UpdateProductCategory",
                      [](ITCatalog& w) {
                        return Of(w.UpdateProductCategory(Array({"CATEGORYID", "UNSPSCCODE"}), Array({3, "44121701"})));
                      }}}),
              "");
    EXPECT_EQ(statements_, "CopyCatalog 14, InsertCatalog 2, DeleteProductCategory 4, InsertProductCategory 5, "
                           "UpdateProductCategory 6");
  });
}

// Over folders of u1, u1's node rows and a whole catalog, and the links of
// node 10. The removal of links answers False for a failure; an added link
// is read back (its LINKID) in the same unit as its insert.
TEST_F(CatalogFaults, FolderAuthorisationAndLinkWritesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    Exec("INSERT INTO FAVORITEFOLDERS VALUES (5, 'Desk', 'u1'), (6, 'Paper', 'u1');"
         "INSERT INTO FAVORITES (USERID, PRODUCTID, FOLDERID, PRESENT) VALUES ('u1', 40, 5, 1);"
         "INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL) VALUES ('u1', 1, 11, 2), ('u1', 2, NULL, 0);"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME) VALUES (20, NULL, 2, 'Two');"
         "INSERT INTO USERNODE VALUES ('u1', 1, 99);"
         "INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES (10, 1, 12), (10, 1, 40);");
    auto links = [](const char* list, bool update) {
      return [=](ITCatalog& w) {
        int16_t node = 10, catalog = 1;
        rt::Variant partners(list);
        return Of(update ? w.UpdateCatalogNodeByBP(node, catalog, partners) : w.InsertCatalogNodeByBP(node, catalog, partners));
      };
    };
    EXPECT_EQ(Sweep({{"InsertFavoriteFolder",
                      [](ITCatalog& w) { return Of(w.InsertFavoriteFolder(Array({"USERID", "FOLDERNAME"}), Array({"u1", "Tools"})) > 0); }},
                     {"UpdateFavoriteFolderName", [](ITCatalog& w) { return Of(w.UpdateFavoriteFolderName(5, "u1", "Tools")); }},
                     {"DeleteFavoriteFolder", [](ITCatalog& w) { return Of(w.DeleteFavoriteFolder(5, "u1")); }},
                     {"ClearUserCatalogIDs", [](ITCatalog& w) { return Of(w.ClearUserCatalogIDs("u1", std::nullopt)); }},
                     {"UpdateUserCatalogIDs", [](ITCatalog& w) { return Of(w.UpdateUserCatalogIDs(" u1", Array({1, 2}), false)); }},
                     {"PopulateUserNodes", [](ITCatalog& w) { return Of(w.PopulateUserNodes("u1")); }},
                     {"InsertCatalogNodeByBP", links("12;40;55", false)},
                     {"UpdateCatalogNodeByBP in place", links("55;56", true)},
                     {"UpdateCatalogNodeByBP replacing", links("55", true)},
                     {"DeleteCatalogNodeByBP",
                      [](ITCatalog& w) {
                        int16_t node = 10, catalog = 1;
                        return Of(w.DeleteCatalogNodeByBP(node, catalog));
                      }}}),
              "");
    EXPECT_EQ(statements_,
              "InsertFavoriteFolder 2, UpdateFavoriteFolderName 2, DeleteFavoriteFolder 2, ClearUserCatalogIDs 1, "
              "UpdateUserCatalogIDs 5, PopulateUserNodes 14, InsertCatalogNodeByBP 4, UpdateCatalogNodeByBP in place 3, "
              "UpdateCatalogNodeByBP replacing 3, DeleteCatalogNodeByBP 1");
  });
}

}  // namespace
}  // namespace catalogtest
