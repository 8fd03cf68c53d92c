// Brintor.User's project roles and business processes: the user's roles and
// default role in the directory, the processes of roles and users, the
// users of processes page by page, and the failures raised straight to the
// caller or through the handler.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using ::testing::HasSubstr;

class UserRoles : public UserFixture {
 protected:
  // Roles A (hours), B (approval, data access; the rest false or null), C
  // (approval), D (nothing, no description); user u1 holds B, X (no row) and A.
  void AddRolesAndUsers() {
    Exec("INSERT INTO ROLE VALUES ('A', '  Alpha  ', 1, 0, 0, 0, 0, 0, 0),"
         " ('B', ' Beta', 0, 1, 0, NULL, 0, 1, NULL), ('C', 'Gamma', 0, 1, 0, 0, 0, 0, 0),"
         " ('D', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);");
    AddUser("u1", {{"ProjectRole", Array({rt::Variant("B"), rt::Variant("X"), rt::Variant("A")})}});
    AddUser("u2", {{"ProjectRole", Array({rt::Variant("C")})}});
    AddUser("u3", {{"ProjectRole", Array({rt::Variant("B"), rt::Variant("C")})}});
    AddUser("zed", {{"ProjectRole", Array({rt::Variant("C")})}});
    AddUser("amy", {{"ProjectRole", Array({rt::Variant("B")})}});
    AddUser("nobody", {});
  }

  // The user's ProjectRole values as the directory's file holds them.
  std::string StoredRoles(const std::string& id) {
    sqlite3* db = nullptr;
    sqlite3_open(sandbox_.DirectoryPath().c_str(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       ("SELECT group_concat(VALUE, ',') FROM (SELECT VALUE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = '" +
                        id + "' AND NAME = 'ProjectRole' ORDER BY SEQ)")
                           .c_str(),
                       -1, &st, nullptr);
    std::string text = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0)
                           ? reinterpret_cast<const char*>(sqlite3_column_text(st, 0))
                           : "";
    sqlite3_finalize(st);
    sqlite3_close(db);
    return text;
  }
};

TEST_F(UserRoles, TheUsersRolesAndSettingTheDefaultOne) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string u1 = "u1", b = "B", nobody = "nobody";
    EXPECT_EQ(Render(user->GetAllProjectRoles()),
              "A=String:Alpha; B=String:Beta; C=String:Gamma; D=Null:");
    EXPECT_EQ(Render(user->GetProjectRoles(u1)), "A=String:  Alpha  ; B=String: Beta");
    EXPECT_EQ(user->GetDefaultProjectRole(u1), "B");
    EXPECT_EQ(user->GetProjectRoles(nobody)->Count(), 0);
    EXPECT_EQ(user->GetDefaultProjectRole(nobody), "");

    // The chosen role first; the code without a ROLE row is dropped.
    user->SetDefaultProjectRole(b, u1);
    EXPECT_EQ(StoredRoles("u1"), "B,A");
    std::string a = "A";
    user->SetDefaultProjectRole(a, u1);
    EXPECT_EQ(StoredRoles("u1"), "A,B");
    EXPECT_EQ(user->GetDefaultProjectRole(u1), "A");
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(UserRoles, ARoleTheUserDoesNotHoldIsRefusedThroughTheHandlerAndNothingIsWritten) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string u1 = "u1", c = "C", lower = "b";
    for (std::string* role : {&c, &lower}) {
      rt::ComError e = RaisedBy([&] { user->SetDefaultProjectRole(*role, u1); });
      EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040068u);
      EXPECT_EQ(e.source(), "Brintor.User.SetDefaultProjectRole");
      EXPECT_EQ(e.description(), Block("80040068", "Brintor.User.SetDefaultProjectRole",
                                       "Project Role Not Present for the User."));
    }
    EXPECT_EQ(StoredRoles("u1"), "B,X,A");
    EXPECT_EQ(LogEntries(), 2);
  });
}

TEST_F(UserRoles, AnEmptyUserIdIsRaisedStraightByTheDefaultAndThroughTheHandlerByTheList) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string empty;
    rt::ComError e = RaisedBy([&] { user->GetDefaultProjectRole(empty); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040069u);
    EXPECT_EQ(e.source(), "Brintor.User.GetDefaultProjectRole");
    EXPECT_EQ(e.description(), "Project Role not Passed");
    EXPECT_EQ(LogEntries(), 0);

    e = RaisedBy([&] { user->GetProjectRoles(empty); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040069u);
    EXPECT_EQ(e.source(), "Brintor.User.GetProjectRoles");
    EXPECT_EQ(e.description(), Block("80040069", "Brintor.User.GetProjectRoles:", "UserID not passed"));
    EXPECT_EQ(LogEntries(), 1);
  });
}

TEST_F(UserRoles, ProcessesOfARoleAndOfAUser) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string b = "B", trailing = "b ", leading = " B", d = "D", u1 = "u1", u3 = "u3", nobody = "nobody";
    EXPECT_EQ(Render(user->GetBusinessProcessPerRole(b)), "APPROVAL=String:APPROVAL; DATAACCESS=String:DATAACCESS");
    // The database ignores case and trailing blanks, not leading ones.
    EXPECT_EQ(user->GetBusinessProcessPerRole(trailing)->Count(), 2);
    EXPECT_EQ(user->GetBusinessProcessPerRole(d)->Count(), 0);
    rt::ComError e = RaisedBy([&] { user->GetBusinessProcessPerRole(leading); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040068u);
    EXPECT_EQ(e.source(), "Brintor.User.GetBusinessProcessPerRole");
    EXPECT_EQ(e.description(), "Project Role Not Found");

    rt::Variant all = rt::Variant::Missing(), roleA("A"), roleC("C");
    EXPECT_EQ(Render(user->GetBusinessProcessForUser(u3, all)),
              "APPROVAL=String:APPROVAL; DATAACCESS=String:DATAACCESS");
    EXPECT_EQ(Render(user->GetBusinessProcessForUser(u1, all)),
              "HOURSREGISTRATION=String:HOURSREGISTRATION; APPROVAL=String:APPROVAL; DATAACCESS=String:DATAACCESS");
    EXPECT_EQ(Render(user->GetBusinessProcessForUser(u1, roleA)), "HOURSREGISTRATION=String:HOURSREGISTRATION");
    EXPECT_EQ(user->GetBusinessProcessForUser(u1, roleC)->Count(), 0);
    EXPECT_EQ(user->GetBusinessProcessForUser(nobody, all)->Count(), 0);
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(UserRoles, WhetherARoleOrAUserMayPerformAProcess) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string b = " b ", d = "D", u1 = "u1", nobody = "nobody";
    int32_t approval = 2, hours = 1, teams = 4;
    EXPECT_TRUE(user->IsValidBusinessProcess(b, approval));
    EXPECT_FALSE(user->IsValidBusinessProcess(b, teams));  // null
    EXPECT_FALSE(user->IsValidBusinessProcess(d, approval));

    rt::Variant all = rt::Variant::Missing(), roleB("B"), spaced(" B"), roleC("C");
    EXPECT_TRUE(user->IsValidBusinessProcessForUser(u1, hours, all));
    EXPECT_TRUE(user->IsValidBusinessProcessForUser(u1, approval, roleB));
    EXPECT_FALSE(user->IsValidBusinessProcessForUser(u1, hours, roleB));
    EXPECT_FALSE(user->IsValidBusinessProcessForUser(u1, approval, spaced));  // the user's code compared exactly
    EXPECT_FALSE(user->IsValidBusinessProcessForUser(u1, approval, roleC));
    EXPECT_FALSE(user->IsValidBusinessProcessForUser(u1, teams, all));
    EXPECT_FALSE(user->IsValidBusinessProcessForUser(nobody, approval, all));
  });
}

TEST_F(UserRoles, ProcessNumbersAreCheckedBeforeTheDatabaseAndMissingRolesRaisedStraight) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string b = "B", missing = "Q", u1 = "u1";
    rt::Variant all = rt::Variant::Missing();
    Exec("ALTER TABLE ROLE RENAME TO ROLE_AWAY;");
    for (int32_t number : {0, 8}) {
      rt::ComError e = RaisedBy([&] { user->IsValidBusinessProcess(b, number); });
      EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x8004006Au);
      EXPECT_EQ(e.source(), "Brintor.User.ValidateBusinessProcess");
      EXPECT_EQ(e.description(), "Invalid Business Process");
      e = RaisedBy([&] { user->IsValidBusinessProcessForUser(u1, number, all); });
      EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x8004006Au);
    }
    EXPECT_EQ(LogEntries(), 0);

    Exec("ALTER TABLE ROLE_AWAY RENAME TO ROLE;");
    int32_t approval = 2;
    rt::ComError e = RaisedBy([&] { user->IsValidBusinessProcess(missing, approval); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040068u);
    EXPECT_EQ(e.source(), "Brintor.User.ValidateBusinessProcess");
    EXPECT_EQ(e.description(), "Project Role Not Found");
    EXPECT_EQ(LogEntries(), 0);

    Exec("DROP TABLE ROLE;");
    e = RaisedBy([&] { user->IsValidBusinessProcessForUser(u1, approval, all); });
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.IsValidBusinessProcess\r\n"));
    e = RaisedBy([&] { user->GetAllProjectRoles(); });
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Brintor.User.GetAllProjectRoles\r\n"));
  });
}

TEST_F(UserRoles, UsersOfProcessesAreListedOnceInIdOrderPageByPage) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    // Holders of B (amy, u1, u3) and of C (u2, u3, zed), sorted before the cut.
    rt::Variant approval = Array({rt::Variant("approval")}), from(""), two(int16_t{2});
    EXPECT_EQ(Render(user->GetUsersByBusinessProcess(approval, from, two)), "amy=String:amy; u1=String:u1");
    EXPECT_EQ(rt::CStr(from), "u1!");
    EXPECT_EQ(Render(user->GetUsersByBusinessProcess(approval, from, two)), "u2=String:u2; u3=String:u3");
    EXPECT_EQ(rt::CStr(from), "u3!");
    EXPECT_EQ(Render(user->GetUsersByBusinessProcess(approval, from, two)), "zed=String:zed");
    EXPECT_EQ(rt::CStr(from), "");

    rt::Variant either = Array({rt::Variant("HOURSREGISTRATION"), rt::Variant("DATAACCESS")}), whole = rt::Variant::Missing();
    EXPECT_EQ(Render(user->GetUsersByBusinessProcess(either, from, whole)), "amy=String:amy; u1=String:u1; u3=String:u3");
  });
}

TEST_F(UserRoles, AProcessNameThatIsNoProcessColumnIsRefusedThroughTheHandler) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    rt::Variant from("u1!"), size(int16_t{5});
    for (const char* name : {"ROLE", "1=1 OR APPROVAL", ""}) {
      rt::Variant names = Array({rt::Variant("APPROVAL"), rt::Variant(name)});
      rt::ComError e = RaisedBy([&] { user->GetUsersByBusinessProcess(names, from, size); });
      EXPECT_EQ(e.number(), 5) << name;
      EXPECT_EQ(e.description(), Block("5", "Brintor.User.GetUsersByBusinessProcess",
                                       "Invalid procedure call or argument"));
    }
    EXPECT_EQ(rt::CStr(from), "u1!");
  });
}

}  // namespace
