// Brintor.User's warehouse and work-centre tables, its withdrawn members,
// the opening of its connection, and the directory objects of Lib_UserLib.
#include <gmock/gmock.h>

#include "common/lib_userlib.h"
#include "tests/brintor/brintor_fixture.h"

namespace {

using ::testing::HasSubstr;

using UserTables = UserFixture;

TEST_F(UserTables, ListsAndDetails) {
  Run([&] {
    Exec("INSERT INTO WAREHOUSE VALUES ('W1', 'Main', 1), ('W''Q', 'Quoted', 1), ('W3', 'Remote', 2);"
         "INSERT INTO WORKCENTER VALUES ('WC1', 'Assembly', 1, 1), ('WC2', 'Packing', NULL, 1);");
    auto user = NewUser();
    int16_t bis1 = 1, bis9 = 9;
    std::string w1 = " W1 ", quoted = "W'Q", wc2 = "WC2";
    EXPECT_EQ(Render(user->GetAllWarehouses()), "W1=String:Main; W'Q=String:Quoted; W3=String:Remote");
    EXPECT_EQ(Render(user->GetWarehousesByBISID(bis1)), "W1=String:Main; W'Q=String:Quoted");
    EXPECT_EQ(Render(user->GetAllWorkcenters()), "WC1=String:Assembly; WC2=String:Packing");
    EXPECT_EQ(user->GetWorkcentersByBISID(bis9)->Count(), 0);
    EXPECT_EQ(Render(user->GetWarehouseDetails(w1)),
              "WAREHOUSECODE=String:W1; WAREHOUSEDESCRIPTION=String:Main; BISID=Long:1");
    EXPECT_EQ(Render(user->GetWarehouseDetails(quoted)),
              "WAREHOUSECODE=String:W'Q; WAREHOUSEDESCRIPTION=String:Quoted; BISID=Long:1");
    EXPECT_EQ(Render(user->GetWorkcenterDetails(wc2)),
              "WORKCENTERCODE=String:WC2; WORKCENTERDESCRIPTION=String:Packing; COSTCENTER=Null:; BISID=Long:1");
  });
}

TEST_F(UserTables, MissingCodeRaisesPlainNotFoundAndAFailedStatementIsFormatted) {
  Run([&] {
    auto user = NewUser();
    std::string code = "NOPE";
    rt::ComError w = RaisedBy([&] { user->GetWarehouseDetails(code); });
    EXPECT_EQ(static_cast<uint32_t>(w.number()), 0x80040066u);
    EXPECT_EQ(w.source(), "Brintor.User.GetWarehouseDetails");
    EXPECT_EQ(w.description(), "WarehouseCode Not Found");
    rt::ComError c = RaisedBy([&] { user->GetWorkcenterDetails(code); });
    EXPECT_EQ(static_cast<uint32_t>(c.number()), 0x80040067u);
    EXPECT_EQ(c.description(), "WorkcenterCode Not Found");
    EXPECT_EQ(LogEntries(), 0);

    // A failed statement goes through the handler.
    Exec("DROP TABLE WORKCENTER;");
    rt::ComError e = RaisedBy([&] { user->GetAllWorkcenters(); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040E14u);
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.GetAllWorkcenters"));
    int16_t bis = 7;
    e = RaisedBy([&] { user->GetWorkcentersByBISID(bis); });
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.GetWorkcentersByBISID BISID: 7"));
    // The details name the code as the caller passed it, blanks included.
    Exec("DROP TABLE WAREHOUSE;");
    code = " W1 ";
    e = RaisedBy([&] { user->GetWarehouseDetails(code); });
    EXPECT_EQ(e.description(), "\r\nERROR 0x80040E14\r\n METHOD: Brintor.User.GetWarehouseDetails Warehouse:  W1 \r\n"
                               " DESC: no such table: WAREHOUSE.\r\n");
  });
}

TEST_F(UserTables, AConnectionStringFailureGetsOnlyTheCallingMethodsBlock) {
  Run([&] {
    // getConnection has no handler: the configuration's failure reaches the
    // calling method's handler unformatted, so one block describes it.
    ::setenv("SUITE_CONFIG", (sandbox_.Site() + "/missing.ini").c_str(), 1);
    auto user = NewUser();
    std::string code = "W1";
    rt::ComError e = RaisedBy([&] { user->GetWarehouseDetails(code); });
    ::setenv("SUITE_CONFIG", sandbox_.ConfigPath().c_str(), 1);
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.GetWarehouseDetails Warehouse: W1\r\n"));
    EXPECT_THAT(e.description(), ::testing::Not(HasSubstr("Brintor.User.ConnectionString")));
  });
}

TEST_F(UserTables, AConnectionThatCannotBeOpenedFailsAtOnce) {
  Run([&] {
    // The web application's string is taken when there is a context; a
    // database that cannot be opened is reported as the open's failure,
    // not as a later use of an unopened connection.
    auto activity = std::make_shared<rt::Activity>();
    activity->application->SetItem("BrintorConnection_ConnectionString",
                                   rt::Variant("Provider=SQLite;Data Source=" + sandbox_.Site() + "/no/such/folder.db"));
    auto user = std::dynamic_pointer_cast<IUser>(rt::CreateRootObject("Brintor.User", activity));
    rt::ComError e = RaisedBy([&] { user->GetAllWarehouses(); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80004005u);
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.GetAllWarehouses\r\n DESC: "));
    EXPECT_THAT(e.description(), HasSubstr("folder.db"));
  });
}

TEST_F(UserTables, WithdrawnMembers) {
  Run([&] {
    NewUser();
    rt::ComError e = RaisedBy([&] { Late().Call("InsertFromScript", {rt::Variant("OFFICE"), {}, {}}); });
    EXPECT_EQ(e.number(), -1);
    EXPECT_THAT(e.description(),
                HasSubstr(" METHOD: This method is depricated, Use Brintor.TUser.InsertFromScript Method\r\n"));
    e = RaisedBy([&] { Late().Call("IReferentialIntegrity_Exists", {rt::Variant(int32_t{5})}); });
    EXPECT_EQ(e.number(), -1);
    EXPECT_THAT(e.description(), HasSubstr("Use Brintor.TUser.IReferentialIntegrity_Exists Method"));
    e = RaisedBy([&] { Late().Call("DeleteOffice", {rt::Variant("Head office")}); });
    EXPECT_THAT(e.description(), HasSubstr("Use Brintor.TUser.DeleteOffice Method"));
  });
}

TEST_F(UserTables, DirectoryObjectsNeedAContextOnlyToBind) {
  Run([&] {
    std::string id = "webadmin";
    rt::ComError e = RaisedBy([&] { UL_CreateUO(id); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040000u);
    EXPECT_EQ(e.source(), "Brintor.dll");
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Lib_UserLib.UL_CreateUO\r\n DESC: Unable to get object context"));
    rt::ObjectPtr members = UL_CreateMO();
    ASSERT_TRUE(members);
    EXPECT_EQ(members->TypeName(), "Members");
  });
}

}  // namespace
