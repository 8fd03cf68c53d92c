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
    int16_t bis1 = 1;
    std::string w1 = " W1 ", quoted = "W'Q", wc2 = "WC2";
    EXPECT_EQ(Render(user->GetWarehousesByBISID(bis1)), "W1=String:Main; W'Q=String:Quoted");
    EXPECT_EQ(Render(user->GetAllWorkcenters()), "WC1=String:Assembly; WC2=String:Packing");
    // Codes are trimmed and quoted.
    EXPECT_EQ(rt::CStr(user->GetWarehouseDetails(w1)->Item(rt::Variant("WAREHOUSECODE"))), "W1");
    EXPECT_EQ(Render(user->GetWarehouseDetails(quoted)),
              "WAREHOUSECODE=String:W'Q; WAREHOUSEDESCRIPTION=String:Quoted; BISID=Long:1");
    EXPECT_EQ(Render(user->GetWorkcenterDetails(wc2)),
              "WORKCENTERCODE=String:WC2; WORKCENTERDESCRIPTION=String:Packing; COSTCENTER=Null; BISID=Long:1");
  });
}

TEST_F(UserTables, MissingCodeRaisesPlainNotFoundAndAFailedStatementIsFormatted) {
  Run([&] {
    auto user = NewUser();
    std::string code = "NOPE";
    EXPECT_EQ(Failure([&] { user->GetWarehouseDetails(code); }),
              "80040066 Brintor.User.GetWarehouseDetails: WarehouseCode Not Found");
    EXPECT_EQ(Failure([&] { user->GetWorkcenterDetails(code); }).substr(0, 9), "80040067 ");
    EXPECT_EQ(LogEntries(), 0);

    // A failed statement goes through the handler, which names the
    // arguments as the caller passed them, blanks included.
    Exec("DROP TABLE WORKCENTER; DROP TABLE WAREHOUSE;");
    EXPECT_THAT(Failure([&] { user->GetWorkcentersByBISID(Ref(int16_t{7})); }),
                HasSubstr("| METHOD: Brintor.User.GetWorkcentersByBISID BISID: 7|"));
    EXPECT_EQ(Failure([&] { user->GetWarehouseDetails(Ref<std::string>(" W1 ")); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Brintor.User.GetWarehouseDetails Warehouse:  W1 | DESC: no "
              "such table: WAREHOUSE.|");
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
    EXPECT_THAT(Failure([&] { Late().Call("InsertFromScript", {rt::Variant("OFFICE"), {}, {}}); }),
                HasSubstr("FFFFFFFF Brintor: |ERROR 0xFFFFFFFF| METHOD: This method is depricated, Use "
                          "Brintor.TUser.InsertFromScript Method|"));
    EXPECT_THAT(Failure([&] { Late().Call("DeleteOffice", {rt::Variant("Head office")}); }),
                HasSubstr("Use Brintor.TUser.DeleteOffice Method"));
  });
}

TEST_F(UserTables, DirectoryObjectsNeedAContextOnlyToBind) {
  Run([&] {
    EXPECT_THAT(Failure([&] { UL_CreateUO(Ref<std::string>("webadmin")); }),
                HasSubstr("80040000 Brintor.dll: |ERROR 0x80040000| METHOD: Lib_UserLib.UL_CreateUO| DESC: Unable to "
                          "get object context"));
    rt::ObjectPtr members = UL_CreateMO();
    ASSERT_TRUE(members);
    EXPECT_EQ(members->TypeName(), "Members");
  });
}

}  // namespace
