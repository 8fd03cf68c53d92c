// The transactional user class's writers under the fault sweep: a failed
// statement or commit raises or refuses, and leaves every table (and, for a
// bidding supplier, the membership directory) as it was.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using UserMaintenanceFaults = TUserTest;

TEST_F(UserMaintenanceFaults, OfficeAndLinkWritersRaiseOrRefuseAndLeaveTheTables) {
  Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE) VALUES ('Head', 1), ('Branch', 1);"
       "INSERT INTO BPSPERUSER VALUES ('rep', 1), ('rep', 2);"
       "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (1, 'A'), (2, 'B'), (3, 'C'), (4, 'D')");
  Run([&] {
    AddUser("rep", {});
    std::string table = "OFFICE", head = "Head", rep = "rep";
    bool replace = true;
    const std::vector<std::pair<const char*, std::function<Answer(Writer&)>>> writes = {
        {"InsertFromScript",
         [&](Writer& w) {
           rt::Variant k = Array({"OFFICEDESCRIPTION", "OFFICETYPE", "CREDITCARDTYPE", "CREDITCARDNUMBER",
                                  "CREDITCARDEXPIRY"});
           rt::Variant v = Array({"New", int16_t{1}, int16_t{0}, "4111111111111111", "2029-06-30"});
           return Of(w->InsertFromScript(table, k, v));
         }},
        {"UpdateFromScript",
         [&](Writer& w) {
           rt::Variant k = Array({"OFFICEDESCRIPTION", "COSTCENTER"}), v = Array({"Head", "CC9"});
           return Of(w->UpdateFromScript(table, k, v));
         }},
        {"DeleteFromScript",
         [&](Writer& w) {
           rt::Variant k = Array({"OFFICEDESCRIPTION"}), v = Array({"Branch"});
           return Of(w->DeleteFromScript(table, k, v));
         }},
        {"DeleteOffice", [&](Writer& w) { return Of(w->DeleteOffice(head)); }},
        {"InsertBPSPerUser",
         [&](Writer& w) {
           rt::Variant ids = Array({int32_t{2}, int32_t{3}, int32_t{4}});
           return Of(w->InsertBPSPerUser(rep, ids, replace));
         }},
        {"DeleteBPSPerUser", [&](Writer& w) { return Of(w->DeleteBPSPerUser(rep)); }},
    };
    EXPECT_EQ(SweepAll<Writer>(sandbox_.CatalogPath(), NewWriter, writes), "");
  });
}

// A user's delete removes the user's partner links in the transaction and
// then the directory user: a failure anywhere, a directory statement
// included, leaves the links. The directory is no part of the transaction,
// so a commit that fails after the user went cannot bring it back: each run
// starts with the user in the directory again.
TEST_F(UserMaintenanceFaults, AUserDeleteKeepsItsLinksUnlessItSucceeds) {
  Exec("INSERT INTO BPSPERUSER VALUES ('rep', 1), ('rep', 2), ('other', 1)");
  Run([&] {
    AddUser("rep", {});
    data::testing::FaultEngine engine;
    const auto tables = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    const auto directory = data::testing::DatabaseTarget(sandbox_.DirectoryPath());
    const data::testing::SweepTarget target{[&] {
                                              directory.undo();
                                              return tables.state();
                                            },
                                            [&] { tables.undo(); }};
    auto report = data::testing::SweepFaults(engine, target, [&] {
      Writer w = NewWriter();
      std::string table = "USER";
      rt::Variant keys = Array({"USERID"}), values = Array({"rep"});
      return Of(w->DeleteFromScript(table, keys, values));
    });
    EXPECT_EQ(report.Problems(), "");
    EXPECT_EQ(report.commits, 1);
  });
}

// A registration that fails anywhere, its commit included, leaves neither
// rows nor a directory user.
TEST_F(UserMaintenanceFaults, ABiddingSupplierIsRegisteredWholeOrNotAtAll) {
  Run([&] {
    data::testing::FaultEngine engine;
    const auto tables = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    const data::testing::SweepTarget target{[&] { return tables.state() + Users(); },
                                            [&] {
                                              tables.undo();
                                              BrintorSandbox::ExecOn(sandbox_.DirectoryPath(),
                                                                     "DELETE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = "
                                                                     "'bidder'; DELETE FROM DIRECTORYENTRY WHERE "
                                                                     "ENTRYKEY = 'bidder'");
                                            }};
    auto report = data::testing::SweepFaults(engine, target, [&] {
      Writer w = NewWriter();
      std::string user = "bidder", secret = "pw";
      return Of(w->InsertBiddingUser(Array({"NAME1", "COUNTRYCODE"}), Array({"Bidder", "US"}),
                                     Array({"NAME", "BUSINESSID"}), Array({"Bidder", "B1"}),
                                     Array({"BusinessPartnerID"}), Array({int32_t{0}}), user, secret));
    });
    EXPECT_EQ(report.Problems(), "");
    EXPECT_EQ(report.commits, 1);
    EXPECT_EQ(report.statements, 7);
  });
}

}  // namespace
