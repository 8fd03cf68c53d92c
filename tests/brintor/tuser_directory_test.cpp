// Tests of the transactional user class's directory side: the default
// project role and the order it writes, the cached directory user, users
// deleted under the checker, and bidding suppliers: each branch with its
// rows, its directory user and its vote, and the undo of a directory user
// whose transaction does not commit (a failed commit, an outer abort, an
// undo that fails itself).
#include "data/testing/fault_engine.h"
#include "tests/brintor/maintenance_fixture.h"

namespace {

class DirectoryUsers : public TUserTest {
 protected:
  std::string StoredRoles(const std::string& id) const {
    return Scalar("SELECT group_concat(VALUE, ',') FROM (SELECT VALUE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = '" + id +
                     "' AND NAME = 'ProjectRole' ORDER BY SEQ)",
                 sandbox_.DirectoryPath());
  }
  std::string Attribute(const std::string& id, const std::string& name) const {
    return Scalar("SELECT VALUE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = '" + id + "' AND NAME = '" + name + "'",
                 sandbox_.DirectoryPath());
  }
};

TEST_F(DirectoryUsers, TheDefaultRoleGoesFirstAndSwapsWithTheFormerFirst) {
  Exec("INSERT INTO ROLE (ROLE, DESCRIPTION) VALUES ('A', 'Alpha'), ('B', NULL), ('C', 'Gamma')");
  Run([&] {
    AddUser("u1", {{"ProjectRole", Array({"B", "X", "A", "C"})}});
    AddUser("none", {});
    Writer w = NewWriter();
    std::string u1 = "u1", a = "A", c = "C", lower = "c", blank, none = "none";
    EXPECT_EQ(Ending([&](Writer& joined) { joined->SetDefaultProjectRole(c, u1); }, true), "rollback")
        << "no vote on success";
    EXPECT_EQ(StoredRoles("u1"), "C,B,A") << "the code without a ROLE row is dropped";
    w->SetDefaultProjectRole(a, u1);
    EXPECT_EQ(StoredRoles("u1"), "A,B,C");

    EXPECT_EQ(Failure([&] { w->SetDefaultProjectRole(lower, u1); }),
              "80040068 Brintor.TUser.SetDefaultProjectRole: |ERROR 0x80040068| METHOD: "
              "Brintor.TUser.SetDefaultProjectRole| DESC: Project Role Not Present for the User..|");
    EXPECT_EQ(Failure([&] { w->SetDefaultProjectRole(a, none); }).substr(0, 46),
              "80040068 Brintor.TUser.SetDefaultProjectRole: ");
    EXPECT_EQ(Failure([&] { w->SetDefaultProjectRole(a, blank); }),
              "80040069 Brintor.User.GetProjectRoles: |ERROR 0x80040069| METHOD: Brintor.TUser.SetDefaultProjectRole| "
              "DESC: |ERROR 0x80040069| METHOD: Brintor.TUser.GetProjectRoles:| DESC: UserID not passed.|.|");
    EXPECT_EQ(StoredRoles("u1"), "A,B,C");
    EXPECT_EQ(Ending([&](Writer& joined) { joined->SetDefaultProjectRole(lower, u1); }), "rollback");
  });
}

// The object binds a user once and writes through that binding; another
// user needs a new bind.
TEST_F(DirectoryUsers, AUserIsBoundOncePerObject) {
  Run([&] {
    AddUser("u1", {});
    AddUser("u2", {});
    Writer w = NewWriter();
    std::string u1 = "u1", u2 = "u2", first = "100", second = "200";
    w->SetCompanyNumber(first, u1);
    BrintorSandbox::ExecOn(sandbox_.DirectoryPath(), "DELETE FROM DIRECTORYENTRY WHERE ENTRYKEY = 'webadmin'");
    w->SetCompanyNumber(second, u1);
    EXPECT_EQ(Attribute("u1", "CompanyNumber"), "200");
    EXPECT_EQ(Failure([&] { w->SetCompanyNumber(first, u2); }).substr(0, 8), "8007052E");
    EXPECT_EQ(Attribute("u2", "CompanyNumber"), "");
  });
}

TEST_F(DirectoryUsers, AUserIsDeletedOnlyWhenTheCheckerAllowsAndAFailingDirectoryIsLogged) {
  Run([&] {
    AddUser("u1", {});
    auto checker = RecordChecker();
    std::string user = "USER";
    auto remove = [&](Writer& w, const char* id) {
      rt::Variant keys = Array({"userid"}), values = Array({id});
      return Outcome(w->DeleteFromScript(user, keys, values));
    };
    RecordingChecker::answers["CanDelete"] = false;
    Writer w = NewWriter();
    EXPECT_EQ(remove(w, "u1"), "failed SLBBR1020");
    EXPECT_EQ(Users(), "u1,webadmin");
    EXPECT_EQ(LogEntries(), 0);
    RecordingChecker::answers.clear();
    EXPECT_EQ(Ending([&](Writer& joined) { EXPECT_EQ(remove(joined, "u1"), "ok"); }), "commit");
    EXPECT_EQ(Users(), "webadmin");
    EXPECT_EQ(Asked(), "CanDelete USER USERID=String:u1\nCanDelete USER USERID=String:u1\n")
        << "no before-delete step for users";
    EXPECT_EQ(remove(w, "u1"), "failed SLBBR1020");
    EXPECT_EQ(LogEntriesWith("Brintor.TUser.Delete"), 1);
  });
}

class BiddingUsers : public DirectoryUsers {
 protected:
  // Registers supplier `id`: an address, a partner with the business id and
  // a directory user whose first attribute is to become the partner's id.
  std::string Register(Writer& w, const char* id, const char* businessId, const char* password = "pw",
                       rt::Variant userValues = rt::Variant()) {
    std::string user = id, secret = password;
    if (userValues.IsEmpty()) userValues = Array({int32_t{99}, "sales@example.com"});
    return Outcome(w->InsertBiddingUser(Array({"NAME1", "COUNTRYCODE"}), Array({"Acme", "US"}),
                                        Array({"NAME", "BUSINESSID"}), Array({"Acme", businessId}),
                                        Array({"BusinessPartnerID", "Email"}), userValues, user, secret));
  }
  std::string Rows() const {
    return Scalar("SELECT (SELECT COUNT(*) FROM ADDRESS) || ' ' || (SELECT COUNT(*) FROM BUSINESSPARTNER) || ' ' || "
                 "(SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS)");
  }
};

TEST_F(BiddingUsers, ARegistrationLeavesAddressPartnerLinkAndUserTogether) {
  Run([&] {
    std::string outcome;
    EXPECT_EQ(Ending([&](Writer& w) { outcome = Register(w, "acme", "B1"); }, true), "commit");
    EXPECT_EQ(outcome, "ok BUSINESSPARTNERID=Long:1");
    EXPECT_EQ(Rows(), "1 1 1");
    EXPECT_EQ(Users(), "acme,webadmin");
    EXPECT_EQ(Attribute("acme", "BusinessPartnerID"), "1") << "element 0 was 99";

    // The partner refused: its codes, no user, the address rolled back.
    EXPECT_EQ(Ending([&](Writer& w) { outcome = Register(w, "acme2", "b1"); }), "rollback");
    EXPECT_EQ(outcome, "failed SLBBR0023");
    // The address refused: the address rule's codes.
    EXPECT_EQ(Ending([&](Writer& w) {
                std::string user = "acme3", secret = "pw";
                outcome = Outcome(w->InsertBiddingUser(Array({"NAME1", "PHONE"}), Array({"Acme", "x"}), Array({}),
                                                       Array({}), Array({}), Array({}), user, secret));
              }),
              "rollback");
    EXPECT_EQ(outcome, "failed SLBBR0020");
    EXPECT_EQ(Rows(), "1 1 1");
    EXPECT_EQ(Users(), "acme,webadmin");
  });
}

TEST_F(BiddingUsers, ARefusedDirectoryUserOrLinkIsACodeAndTakesTheRowsBack) {
  Exec("CREATE TRIGGER NOLINK BEFORE INSERT ON BUSINESSPARTNERADDRESS WHEN (SELECT BUSINESSID FROM BUSINESSPARTNER"
       " WHERE BUSINESSPARTNERID = NEW.BUSINESSPARTNERID) = 'B4' BEGIN SELECT RAISE(ABORT, 'no link'); END;");
  Run([&] {
    AddUser("taken", {});
    // An id taken, no password, two values for a single-valued attribute,
    // the link refused; each votes abort, and, rolled back, the ids are given again.
    std::string outcomes;
    using Registration = std::tuple<const char*, const char*, const char*, rt::Variant>;
    for (auto [id, businessId, password, values] : std::vector<Registration>{
             {"taken", "B1", "pw", {}},
             {"new", "B2", "", {}},
             {"new", "B3", "pw", Array({int32_t{0}, Array({"a@example.com", "b@example.com"})})},
             {"new", "B4", "pw", {}}}) {
      outcomes += Ending([&](Writer& w) { outcomes += Register(w, id, businessId, password, values) + " "; }, true);
      outcomes += "\n";
    }
    EXPECT_EQ(outcomes,
              "failed SLBCO8572 SLBCO8339 BUSINESSPARTNERID=Long:1 rollback\n"
              "failed SLBCO8501 SLBCO8339 BUSINESSPARTNERID=Long:1 rollback\n"
              "failed \r\nERROR 0x80040303\r\n METHOD: Brintor.TUser.CreateUserWithAttributes\r\n DESC: The attribute "
              "'Email' takes one value.\r\n SLBCO8339 BUSINESSPARTNERID=Long:1 rollback\n"
              "failed \r\nERROR 0x80040E2F\r\n METHOD: Brintor.BusinessPartner.AddExistingAddress\r\n DESC: no "
              "link.\r\n "
              "SLBCO8337 BUSINESSPARTNERID=Long:1 rollback\n");
    EXPECT_EQ(Rows(), "0 0 0");
    EXPECT_EQ(Users(), "taken,webadmin");

    // Before the link step a failure leaves as it came, with an abort vote.
    std::string raised;
    EXPECT_EQ(Ending([&](Writer& w) {
                std::string user = "new", secret = "pw";
                raised = Failure([&] {
                  w->InsertBiddingUser(Array({"NAME1"}), Array({"Acme"}), rt::Variant("no array"), Array({}),
                                       Array({}), Array({}), user, secret);
                });
              }),
              "rollback");
    EXPECT_EQ(raised, "D Brintor: Type mismatch");
    EXPECT_EQ(Rows(), "0 0 0");
  });
}

// The directory is no part of the transaction: a user created in one that
// then does not commit is deleted again.
TEST_F(BiddingUsers, AUserWhoseTransactionDoesNotCommitIsDeletedAgain) {
  Run([&] {
    {
      // The commit fails after every statement succeeded.
      data::testing::FaultEngine engine;
      engine.Arm({data::testing::FaultPoint::Commit, 1, SQLITE_IOERR});
      Writer w = NewWriter();
      EXPECT_EQ(Failure([&] { Register(w, "acme", "B1"); }),
                "8004E002 : The root transaction wanted to commit, but transaction aborted");
      EXPECT_TRUE(engine.Fired());
    }
    EXPECT_EQ(Rows(), "0 0 0");
    EXPECT_EQ(Users(), "webadmin");

    // An outer caller's abort, after a registration that succeeded.
    InTransaction([&] {
      Writer joined{rt::GetObjectContext()->CreateInstance("Brintor.TUser")};
      EXPECT_EQ(Register(joined, "acme", "B2"), "ok BUSINESSPARTNERID=Long:1");
      EXPECT_EQ(Users(), "acme,webadmin") << "the directory changes at once";
      rt::GetObjectContext()->SetAbort();
    }, SessionActivity());
    EXPECT_EQ(Rows(), "0 0 0");
    EXPECT_EQ(Users(), "webadmin");
    EXPECT_EQ(LogEntries(), 0);

    // An undo that fails is logged, and the thread's pending error stays.
    InTransaction([&] {
      Writer joined{rt::GetObjectContext()->CreateInstance("Brintor.TUser")};
      std::string id = "temp", secret = "pw";
      rt::Variant none = Array({});
      joined->CreateUserWithAttributes(id, secret, none, none);
      BrintorSandbox::ExecOn(sandbox_.DirectoryPath(), "DELETE FROM DIRECTORYENTRY WHERE ENTRYKEY = 'temp'");
      rt::GetObjectContext()->SetAbort();
      rt::Err() = rt::PendingError{9, "caller", "pending", "", 0};
    }, SessionActivity());
    EXPECT_EQ(rt::Err().description, "pending");
    EXPECT_EQ(LogEntriesWith("could not be deleted again"), 1);
    rt::Err().Clear();
  });
}

}  // namespace
