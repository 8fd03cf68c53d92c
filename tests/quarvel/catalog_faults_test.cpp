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
  // The problems of each write, made by a new TCatalog of its own, under its
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

TEST_F(CatalogFaults, CatalogWritesRaiseAndLeaveTheTables) {
  Run([&] {
    EXPECT_EQ(Sweep({{"CopyCatalog", [](ITCatalog& writer) { return Done([&] { writer.CopyCatalog(1, 1, ""); }); }},
                     {"InsertCatalog", [](ITCatalog& writer) {
                        return Done([&] { writer.InsertCatalog(Array({"CATALOGNAME"}), Array({"New"})); });
                      }}}),
              "");
    EXPECT_EQ(statements_, "CopyCatalog 19, InsertCatalog 3");
  });
}

// With the relinking switched on, so that the category writers relink.
TEST_F(CatalogFaults, CategoryWritesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    SetSwitch("Yes");
    auto of = Of;
    EXPECT_EQ(Sweep({{"DeleteProductCategory", [&](ITCatalog& writer) { return of(writer.DeleteProductCategory(3)); }},
                     {"InsertProductCategory",
                      [&](ITCatalog& writer) {
                        return of(writer.InsertProductCategory(Array({rt::Variant("CATEGORYNAME"), rt::Variant("UNSPSCCODE")}),
                                                               Array({rt::Variant("Pens"), rt::Variant("441217")})));
                      }},
                     {"UpdateProductCategory", [&](ITCatalog& writer) {
                        return of(writer.UpdateProductCategory(Array({rt::Variant("CATEGORYID"), rt::Variant("UNSPSCCODE")}),
                                                               Array({rt::Variant(3), rt::Variant("44121701")})));
                      }}}),
              "");
    // The relinking reads the products of the codes and the category, then
    // deletes or inserts links.
    EXPECT_EQ(statements_, "DeleteProductCategory 4, InsertProductCategory 6, UpdateProductCategory 6");
  });
}

// The folder, authorisation and partner-link writers over folders of u1,
// u1's node rows and a whole catalog, and the links of node 10. The
// removal of links answers False for a failure. An added link is read back
// (its LINKID) in the same unit as its insert.
TEST_F(CatalogFaults, FolderAuthorisationAndLinkWritesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    Exec("INSERT INTO FAVORITEFOLDERS VALUES (5, 'Desk', 'u1'), (6, 'Paper', 'u1');"
         "INSERT INTO FAVORITES (USERID, PRODUCTID, FOLDERID, PRESENT) VALUES ('u1', 40, 5, 1);"
         "INSERT INTO CATALOGNODEBYUSER (USERID, CATALOGID, NODEID, LEVEL) VALUES ('u1', 1, 11, 2), ('u1', 2, NULL, 0);"
         "INSERT INTO CATALOGNODE (NODEID, PARENTNODEID, CATALOGID, NODENAME) VALUES (20, NULL, 2, 'Two');"
         "INSERT INTO USERNODE VALUES ('u1', 1, 99);"
         "INSERT INTO CATALOGNODEBYBP (NODEID, CATALOGID, BUSINESSPARTNERID) VALUES (10, 1, 12), (10, 1, 40);");
    auto of = Of;
    auto links = [&](const char* list, bool update) {
      return [=](ITCatalog& writer) {
        int16_t node = 10, catalog = 1;
        rt::Variant partners(list);
        return of(update ? writer.UpdateCatalogNodeByBP(node, catalog, partners)
                         : writer.InsertCatalogNodeByBP(node, catalog, partners));
      };
    };
    EXPECT_EQ(Sweep({{"InsertFavoriteFolder",
                      [&](ITCatalog& writer) {
                        return of(writer.InsertFavoriteFolder(Array({rt::Variant("USERID"), rt::Variant("FOLDERNAME")}),
                                                              Array({rt::Variant("u1"), rt::Variant("Tools")})) > 0);
                      }},
                     {"UpdateFavoriteFolderName",
                      [&](ITCatalog& writer) { return of(writer.UpdateFavoriteFolderName(5, "u1", "Tools")); }},
                     {"DeleteFavoriteFolder", [&](ITCatalog& writer) { return of(writer.DeleteFavoriteFolder(5, "u1")); }},
                     {"ClearUserCatalogIDs",
                      [&](ITCatalog& writer) { return of(writer.ClearUserCatalogIDs("u1", std::nullopt)); }},
                     {"UpdateUserCatalogIDs",
                      [&](ITCatalog& writer) {
                        return of(writer.UpdateUserCatalogIDs(" u1", Array({rt::Variant(1), rt::Variant(2)}), false));
                      }},
                     {"PopulateUserNodes", [&](ITCatalog& writer) { return of(writer.PopulateUserNodes("u1")); }},
                     {"InsertCatalogNodeByBP", links("12;40;55", false)},
                     {"UpdateCatalogNodeByBP in place", links("55;56", true)},
                     {"UpdateCatalogNodeByBP replacing", links("55", true)},
                     {"DeleteCatalogNodeByBP",
                      [&](ITCatalog& writer) {
                        int16_t node = 10, catalog = 1;
                        return of(writer.DeleteCatalogNodeByBP(node, catalog));
                      }}}),
              "");
    EXPECT_EQ(statements_,
              "InsertFavoriteFolder 3, UpdateFavoriteFolderName 2, DeleteFavoriteFolder 2, ClearUserCatalogIDs 1, "
              "UpdateUserCatalogIDs 5, PopulateUserNodes 14, InsertCatalogNodeByBP 7, UpdateCatalogNodeByBP in place 3, "
              "UpdateCatalogNodeByBP replacing 4, DeleteCatalogNodeByBP 1");
  });
}

}  // namespace
}  // namespace catalogtest
