// TCatalog's writers under the fault sweep: a failed statement or commit
// raises or refuses, and leaves every table as it was.
#include "data/testing/fault_sweep.h"
#include "tests/quarvel/catalog_fixture.h"

namespace catalogtest {
namespace {

using data::testing::Outcome;

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
    EXPECT_EQ(Sweep({{"CopyCatalog",
                      [](ITCatalog& writer) {
                        writer.CopyCatalog(1, 1, "");
                        return Outcome::Succeeded;
                      }},
                     {"InsertCatalog", [](ITCatalog& writer) {
                        writer.InsertCatalog(Array({rt::Variant("CATALOGNAME")}), Array({rt::Variant("New")}));
                        return Outcome::Succeeded;
                      }}}),
              "");
    EXPECT_EQ(statements_, "CopyCatalog 19, InsertCatalog 3");
  });
}

// With the relinking switched on, so that the category writers relink.
TEST_F(CatalogFaults, CategoryWritesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    SetSwitch("Yes");
    auto of = [](bool done) { return done ? Outcome::Succeeded : Outcome::Refused; };
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

}  // namespace
}  // namespace catalogtest
