// Brintor.User's project roles and business processes, the users of
// processes page by page, and the failures raised straight or handled.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

class UserRoles : public UserFixture {
 protected:
  // Roles A (hours), B (approval, data access; the rest false or null), C
  // (approval), D (nothing, no description); u1 holds B, X (no row) and A.
  void AddRolesAndUsers() {
    Exec("INSERT INTO ROLE VALUES ('A', '  Alpha  ', 1, 0, 0, 0, 0, 0, 0),"
         " ('B', ' Beta', 0, 1, 0, NULL, 0, 1, NULL), ('C', 'Gamma', 0, 1, 0, 0, 0, 0, 0),"
         " ('D', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);");
    auto roles = [](std::vector<rt::Variant> codes) { return Attrs{{"ProjectRole", Array(std::move(codes))}}; };
    AddUser("u1", roles({rt::Variant("B"), rt::Variant("X"), rt::Variant("A")}));
    AddUser("u2", roles({rt::Variant("C")}));
    AddUser("u3", roles({rt::Variant("B"), rt::Variant("C")}));
    AddUser("zed", roles({rt::Variant("C")}));
    AddUser("amy", roles({rt::Variant("B")}));
    AddUser("nobody", {});
  }
};

TEST_F(UserRoles, RolesTheirProcessesAndSettingTheDefaultRole) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string u1 = "u1", a = "A", b = "B", trailing = "b ", spaced = " b ", d = "D", nobody = "nobody";
    int32_t hours = 1, approval = 2, teams = 4;
    rt::Variant all = rt::Variant::Missing(), roleA("A"), roleB("B"), roleC("C"), spacedB(" B");
    Golden roles;
    roles.Add("all roles", Render(user->GetAllProjectRoles())).Add("roles of u1", Render(user->GetProjectRoles(u1)));
    roles.Add("default of u1", user->GetDefaultProjectRole(u1));
    roles.Add("default of nobody", user->GetDefaultProjectRole(nobody));
    roles.Add("processes of B", Render(user->GetBusinessProcessPerRole(b)));
    roles.Add("processes of u1", Render(user->GetBusinessProcessForUser(u1, all)));
    roles.Add("processes of u1 as A", Render(user->GetBusinessProcessForUser(u1, roleA)));
    EXPECT_EQ(roles.Lines(),
              "all roles: A=String:Alpha; B=String:Beta; C=String:Gamma; D=Null\n"
              "roles of u1: A=String:  Alpha  ; B=String: Beta\n"
              "default of u1: B\ndefault of nobody: \n"
              "processes of B: APPROVAL=String:APPROVAL; DATAACCESS=String:DATAACCESS\n"
              "processes of u1: HOURSREGISTRATION=String:HOURSREGISTRATION; APPROVAL=String:APPROVAL; "
              "DATAACCESS=String:DATAACCESS\n"
              "processes of u1 as A: HOURSREGISTRATION=String:HOURSREGISTRATION\n");
    // The database ignores case and trailing blanks; only IsValidBusinessProcess
    // trims; the user's codes are compared exactly (" B"); D's TEAMS is null.
    Golden answers;
    answers.Add("processes of 'b '", user->GetBusinessProcessPerRole(trailing)->Count());
    answers.Add("processes of D", user->GetBusinessProcessPerRole(d)->Count());
    answers.Add("processes of u1 as C", user->GetBusinessProcessForUser(u1, roleC)->Count());
    answers.Add("' b ' approval", user->IsValidBusinessProcess(spaced, approval));
    answers.Add("' b ' teams", user->IsValidBusinessProcess(spaced, teams));
    answers.Add("D approval", user->IsValidBusinessProcess(d, approval));
    answers.Add("u1 hours", user->IsValidBusinessProcessForUser(u1, hours, all));
    answers.Add("u1 as B approval", user->IsValidBusinessProcessForUser(u1, approval, roleB));
    answers.Add("u1 as B hours", user->IsValidBusinessProcessForUser(u1, hours, roleB));
    answers.Add("u1 as ' B' approval", user->IsValidBusinessProcessForUser(u1, approval, spacedB));
    answers.Add("nobody approval", user->IsValidBusinessProcessForUser(nobody, approval, all));
    EXPECT_EQ(answers.Lines(),
              "processes of 'b ': 2\nprocesses of D: 0\nprocesses of u1 as C: 0\n"
              "' b ' approval: true\n' b ' teams: false\nD approval: false\nu1 hours: true\n"
              "u1 as B approval: true\nu1 as B hours: false\nu1 as ' B' approval: false\nnobody approval: false\n");

    // The chosen role first; the code without a ROLE row is dropped.
    Golden stored;
    user->SetDefaultProjectRole(b, u1);
    stored.Add("default B", StoredRoles("u1"));
    user->SetDefaultProjectRole(a, u1);
    EXPECT_EQ(stored.Add("default A", StoredRoles("u1")).Line(), "default B=B,A default A=A,B");
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(UserRoles, StraightRaisesAreUnloggedAndTheOthersGoThroughTheHandler) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    std::string empty, leading = " B", missing = "Q", u1 = "u1", c = "C";
    int32_t approval = 2, zero = 0, eight = 8;
    rt::Variant all = rt::Variant::Missing();
    // Process numbers are checked before the database is touched.
    Exec("ALTER TABLE ROLE RENAME TO ROLE_AWAY;");
    EXPECT_EQ(Failure([&] { user->IsValidBusinessProcess(c, zero); }),
              "8004006A Brintor.User.ValidateBusinessProcess: Invalid Business Process");
    EXPECT_EQ(Failure([&] { user->IsValidBusinessProcessForUser(u1, eight, all); }).substr(0, 9), "8004006A ");
    Exec("ALTER TABLE ROLE_AWAY RENAME TO ROLE;");
    Golden raised;
    raised.Add("IsValidBusinessProcess(Q)", Failure([&] { user->IsValidBusinessProcess(missing, approval); }));
    raised.Add("GetBusinessProcessPerRole( B)", Failure([&] { user->GetBusinessProcessPerRole(leading); }));
    raised.Add("GetDefaultProjectRole()", Failure([&] { user->GetDefaultProjectRole(empty); }));
    EXPECT_EQ(raised.Lines(),
              "IsValidBusinessProcess(Q): 80040068 Brintor.User.ValidateBusinessProcess: Project Role Not Found\n"
              "GetBusinessProcessPerRole( B): 80040068 Brintor.User.GetBusinessProcessPerRole: Project Role Not Found\n"
              "GetDefaultProjectRole(): 80040069 Brintor.User.GetDefaultProjectRole: Project Role not Passed\n");
    EXPECT_EQ(LogEntries(), 0);

    EXPECT_EQ(Failure([&] { user->GetProjectRoles(empty); }),
              "80040069 Brintor.User.GetProjectRoles: |ERROR 0x80040069| METHOD: Brintor.User.GetProjectRoles:| "
              "DESC: UserID not passed.|");
    // A role the user does not hold (codes compared exactly) writes nothing.
    for (std::string role : {"C", "b"}) {
      EXPECT_EQ(Failure([&] { user->SetDefaultProjectRole(role, u1); }),
                "80040068 Brintor.User.SetDefaultProjectRole: |ERROR 0x80040068| METHOD: "
                "Brintor.User.SetDefaultProjectRole| DESC: Project Role Not Present for the User..|");
    }
    EXPECT_EQ(StoredRoles("u1"), "B,X,A");
    EXPECT_EQ(LogEntries(), 3);

    Exec("DROP TABLE ROLE;");
    EXPECT_THAT(Failure([&] { user->IsValidBusinessProcessForUser(u1, approval, all); }),
                ::testing::HasSubstr("| METHOD: Brintor.User.IsValidBusinessProcess|"));
  });
}

TEST_F(UserRoles, UsersOfProcessesAreListedOnceInIdOrderPageByPage) {
  Run([&] {
    AddRolesAndUsers();
    auto user = NewUser();
    // Holders of B (amy, u1, u3) and of C (u2, u3, zed), sorted before the cut.
    rt::Variant approval = Array({rt::Variant("approval")}), from(""), two(int16_t{2});
    Golden pages;
    for (int page = 1; page <= 3; ++page) {
      const std::string users = Render(user->GetUsersByBusinessProcess(approval, from, two));
      pages.Add("approval page " + std::to_string(page), users + " > " + rt::CStr(from));
    }
    rt::Variant either = Array({rt::Variant("HOURSREGISTRATION"), rt::Variant("DATAACCESS")});
    rt::Variant whole = rt::Variant::Missing();
    pages.Add("hours or data access", Render(user->GetUsersByBusinessProcess(either, from, whole)));
    EXPECT_EQ(pages.Lines(),
              "approval page 1: amy=String:amy; u1=String:u1 > u1!\napproval page 2: u2=String:u2; u3=String:u3 > u3!\n"
              "approval page 3: zed=String:zed > \nhours or data access: amy=String:amy; u1=String:u1; u3=String:u3\n");

    // Names go into the statement as columns: anything else is refused.
    from = rt::Variant("u1!");
    for (const char* name : {"ROLE", "1=1 OR APPROVAL", ""}) {
      rt::Variant names = Array({rt::Variant("APPROVAL"), rt::Variant(name)});
      EXPECT_EQ(Failure([&] { user->GetUsersByBusinessProcess(names, from, two); }),
                "5 Brintor: |ERROR 0x5| METHOD: Brintor.User.GetUsersByBusinessProcess| DESC: Invalid procedure call "
                "or argument.|");
    }
    EXPECT_EQ(rt::CStr(from), "u1!");
  });
}

}  // namespace
