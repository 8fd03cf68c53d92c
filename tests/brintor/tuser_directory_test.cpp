// The transactional user class's directory side: the default project role,
// the bound directory user, deletes under the checker, and bidding suppliers
// with their rows, directory user, vote and undo.
#include "data/testing/fault_engine.h"
#include "tests/brintor/maintenance_fixture.h"

namespace {

class DirectoryUsers : public TUserTest {
 protected:
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

    Golden refused;
    refused.Add("role c", Failure([&] { w->SetDefaultProjectRole(lower, u1); }));
    refused.Add("user without roles", Failure([&] { w->SetDefaultProjectRole(a, none); }).substr(0, 46));
    refused.Add("no user", Failure([&] { w->SetDefaultProjectRole(a, blank); }));
    EXPECT_EQ(refused.Add("roles of u1", StoredRoles("u1")).Lines(),
              "role c: 80040068 Brintor.TUser.SetDefaultProjectRole: |ERROR 0x80040068| METHOD: "
              "Brintor.TUser.SetDefaultProjectRole| DESC: Project Role Not Present for the User..|\n"
              "user without roles: 80040068 Brintor.TUser.SetDefaultProjectRole: \n"
              "no user: 80040069 Brintor.User.GetProjectRoles: |ERROR 0x80040069| METHOD: "
              "Brintor.TUser.SetDefaultProjectRole| DESC: |ERROR 0x80040069| METHOD: Brintor.TUser.GetProjectRoles:| "
              "DESC: UserID not passed.|.|\nroles of u1: A,B,C\n");
    EXPECT_EQ(Ending([&](Writer& joined) { joined->SetDefaultProjectRole(lower, u1); }), "rollback");
  });
}

// Deletes ask the checker; the object binds a directory user once and writes
// through that binding, another user needs a new bind.
TEST_F(DirectoryUsers, AUserIsDeletedOnlyWhenTheCheckerAllowsAndBoundOncePerObject) {
  Run([&] {
    AddUser("u1", {});
    AddUser("u2", {});
    auto checker = RecordChecker();
    std::string user = "USER";
    auto remove = [&](Writer& w, const char* id) {
      rt::Variant keys = Array({"userid"}), values = Array({id});
      return Outcome(w->DeleteFromScript(user, keys, values));
    };
    RecordingChecker::answers["CanDelete"] = false;
    Writer w = NewWriter();
    EXPECT_EQ(remove(w, "u1"), "failed SLBBR1020");
    EXPECT_EQ(Users(), "u1,u2,webadmin");
    EXPECT_EQ(LogEntries(), 0);
    RecordingChecker::answers.clear();
    EXPECT_EQ(Ending([&](Writer& joined) { EXPECT_EQ(remove(joined, "u1"), "ok"); }), "commit");
    EXPECT_EQ(Users(), "u2,webadmin");
    EXPECT_EQ(Asked(), "CanDelete USER USERID=String:u1\nCanDelete USER USERID=String:u1\n")
        << "no before-delete step for users";
    EXPECT_EQ(remove(w, "u1"), "failed SLBBR1020");
    EXPECT_EQ(LogEntriesWith("Brintor.TUser.Delete"), 1);
    AddUser("u1", {});
    w = NewWriter();
    std::string u1 = "u1", u2 = "u2", first = "100", second = "200";
    w->SetCompanyNumber(first, u2);
    BrintorSandbox::ExecOn(sandbox_.DirectoryPath(), "DELETE FROM DIRECTORYENTRY WHERE ENTRYKEY = 'webadmin'");
    w->SetCompanyNumber(second, u2);
    Golden seen;
    seen.Add("u2's number", Attribute("u2", "CompanyNumber"));
    seen.Add("u1, new bind fails", Failure([&] { w->SetCompanyNumber(first, u1); }).substr(0, 8));
    EXPECT_EQ(seen.Add("u1's number", Attribute("u1", "CompanyNumber")).Line(),
              "u2's number=200 u1, new bind fails=8007052E u1's number=");
  });
}

// A user's delete takes the user's partner links with it, in the database
// transaction: they stay when the checker refuses or when the directory
// fails (the abort then stands through the delete rule), so that a later
// user of the same id does not find them.
TEST_F(DirectoryUsers, AUsersPartnerLinksGoOnlyWithTheUser) {
  Exec("INSERT INTO BPSPERUSER VALUES ('u1', 3), ('u1', 4), ('u2', 4), ('u3', 5)");
  BrintorSandbox::ExecOn(sandbox_.DirectoryPath(),
                         "CREATE TRIGGER KEEP_U2 BEFORE DELETE ON DIRECTORYENTRY WHEN OLD.ENTRYKEY = 'u2'"
                         " BEGIN SELECT RAISE(ABORT, 'kept'); END;");
  Run([&] {
    for (const char* id : {"u1", "u2", "u3"}) AddUser(id, {});
    auto checker = RecordChecker();
    auto links = [&] {
      return Scalar("SELECT group_concat(L, ' ') FROM (SELECT USERID || ':' || BUSINESSPARTNERID AS L FROM BPSPERUSER"
                    " ORDER BY 1)");
    };
    struct Case {
      const char* what;
      const char* user;
      bool allowed;
    };
    std::string seen;
    for (const Case& c : std::vector<Case>{{"refused by the checker", "u3", false},
                                           {"the directory fails", "u2", true},
                                           {"deleted", "u1", true}}) {
      RecordingChecker::answers["CanDelete"] = c.allowed;
      std::string outcome;
      const std::string ending = Ending([&](Writer& w) {
        std::string table = "USER";
        rt::Variant keys = Array({"USERID"}), values = Array({c.user});
        outcome = Outcome(w->DeleteFromScript(table, keys, values));
      });
      seen += std::string(c.what) + ": " + outcome + " " + ending + " " + links() + " " + Users() + "\n";
    }
    EXPECT_EQ(seen,
              "refused by the checker: failed SLBBR1020 commit u1:3 u1:4 u2:4 u3:5 u1,u2,u3,webadmin\n"
              "the directory fails: failed SLBBR1020 rollback u1:3 u1:4 u2:4 u3:5 u1,u2,u3,webadmin\n"
              "deleted: ok commit u2:4 u3:5 u2,u3,webadmin\n");
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
  // The registration's outcome and how its caller's transaction ends.
  std::string Attempt(const std::function<std::string(Writer&)>& body, bool presetAbort = false) {
    std::string outcome;
    const std::string ending = Ending([&](Writer& w) { outcome = body(w); }, presetAbort);
    return Golden().Add("outcome", outcome).Add("ending", ending).Line();
  }
  std::string Rows() const {
    return Golden()
        .Add("addresses", Scalar("SELECT COUNT(*) FROM ADDRESS"))
        .Add("partners", Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER"))
        .Add("links", Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS"))
        .Line();
  }
};

TEST_F(BiddingUsers, RegistrationsKeepAddressPartnerLinkAndUserTogether) {
  Exec("CREATE TRIGGER NOLINK BEFORE INSERT ON BUSINESSPARTNERADDRESS WHEN (SELECT BUSINESSID FROM BUSINESSPARTNER"
       " WHERE BUSINESSPARTNERID = NEW.BUSINESSPARTNERID) = 'B4' BEGIN SELECT RAISE(ABORT, 'no link'); END;");
  Run([&] {
    AddUser("taken", {});
    // A registration whose user's first value (99) becomes the partner's id.
    Golden out;
    out.Add("acme", Attempt([&](Writer& w) { return Register(w, "acme", "B9"); }, true));
    out.Add("rows", Rows()).Add("users", Users()).Add("acme's partner", Attribute("acme", "BusinessPartnerID"));
    // The partner refused (no user, the address rolled back), then the address refused.
    out.Add("acme2, business id taken", Attempt([&](Writer& w) { return Register(w, "acme2", "b9"); }));
    out.Add("acme3, phone x", Attempt([&](Writer& w) {
              std::string user = "acme3", secret = "pw";
              return Outcome(w->InsertBiddingUser(Array({"NAME1", "PHONE"}), Array({"Acme", "x"}), Array({}),
                                                  Array({}), Array({}), Array({}), user, secret));
            }));
    EXPECT_EQ(out.Add("rows after", Rows()).Add("users after", Users()).Lines(),
              "acme: outcome=ok BUSINESSPARTNERID=Long:1 ending=commit\n"
              "rows: addresses=1 partners=1 links=1\nusers: acme,taken,webadmin\nacme's partner: 1\n"
              "acme2, business id taken: outcome=failed SLBBR0023 ending=rollback\n"
              "acme3, phone x: outcome=failed SLBBR0020 ending=rollback\n"
              "rows after: addresses=1 partners=1 links=1\nusers after: acme,taken,webadmin\n");
    Exec("DELETE FROM BUSINESSPARTNERADDRESS; DELETE FROM BUSINESSPARTNER; DELETE FROM ADDRESS;");

    // An id taken, no password, two values for a single-valued attribute,
    // the link refused: each a code with an abort vote, the rows taken back.
    Golden refused;
    using Registration = std::tuple<const char*, const char*, const char*, const char*, rt::Variant>;
    for (auto [label, id, businessId, password, values] : std::vector<Registration>{
             {"id taken", "taken", "B1", "pw", {}},
             {"no password", "new", "B2", "", {}},
             {"two mail values", "new", "B3", "pw", Array({int32_t{0}, Array({"a@example.com", "b@example.com"})})},
             {"link refused", "new", "B4", "pw", {}}}) {
      refused.Add(label, Attempt([&](Writer& w) { return Register(w, id, businessId, password, values); }, true));
    }
    // Before the link step a failure leaves as it came, with an abort vote.
    refused.Add("partner values no array", Attempt([&](Writer& w) {
                  std::string user = "new", secret = "pw";
                  return Failure([&] {
                    w->InsertBiddingUser(Array({"NAME1"}), Array({"Acme"}), rt::Variant("no array"), Array({}),
                                         Array({}), Array({}), user, secret);
                  });
                }));
    EXPECT_EQ(refused.Add("rows", Rows()).Add("users", Users()).Lines(),
              "id taken: outcome=failed SLBCO8572 SLBCO8339 BUSINESSPARTNERID=Long:2 ending=rollback\n"
              "no password: outcome=failed SLBCO8501 SLBCO8339 BUSINESSPARTNERID=Long:2 ending=rollback\n"
              "two mail values:\noutcome=failed \r\nERROR 0x80040303\r\n METHOD: Brintor.TUser.CreateUserWithAttributes"
              "\r\n DESC: The attribute 'Email' takes one value.\r\n SLBCO8339 BUSINESSPARTNERID=Long:2 "
              "ending=rollback\n"
              "link refused:\noutcome=failed \r\nERROR 0x80040E2F\r\n METHOD: "
              "Brintor.BusinessPartner.AddExistingAddress"
              "\r\n DESC: no link.\r\n SLBCO8337 BUSINESSPARTNERID=Long:2 ending=rollback\n"
              "partner values no array: outcome=D Brintor: Type mismatch ending=rollback\n"
              "rows: addresses=0 partners=0 links=0\nusers: acme,taken,webadmin\n");
  });
}

// A password holding NUL cannot be hashed: the directory refuses the user,
// so nothing of it is created, directly or as a bidding supplier.
TEST_F(BiddingUsers, APasswordHoldingNulCreatesNoUser) {
  Run([&] {
    std::string secret("secret\0IGNORED-PART", 19);
    std::string out = Attempt([&](Writer& w) {
      std::string user = "nulpw";
      rt::Variant none = Array({});
      return Failure([&] { w->CreateUserWithAttributes(user, secret, none, none); });
    }) + "\n";
    out += Attempt([&](Writer& w) {
      std::string user = "nulbid";
      return Outcome(w->InsertBiddingUser(Array({"NAME1", "COUNTRYCODE"}), Array({"Acme", "US"}),
                                          Array({"NAME", "BUSINESSID"}), Array({"Acme", "B1"}),
                                          Array({"BusinessPartnerID"}), Array({int32_t{0}}), user, secret));
    });
    EXPECT_EQ(out + "\n" + Rows() + " " + Users(),
              "outcome=80040304 Pellorin.Directory: |ERROR 0x80040304| METHOD: Brintor.TUser.CreateUserWithAttributes|"
              " DESC: The password could not be hashed.| ending=rollback\n"
              "outcome=failed \r\nERROR 0x80040304\r\n METHOD: Brintor.TUser.CreateUserWithAttributes\r\n DESC: The "
              "password could not be hashed.\r\n SLBCO8339 BUSINESSPARTNERID=Long:1 ending=rollback\n"
              "addresses=0 partners=0 links=0 webadmin");
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
                "8004E002 : The root transaction wanted to commit, but transaction aborted: disk I/O error");
      EXPECT_TRUE(engine.Fired());
    }
    EXPECT_EQ(Rows(), "addresses=0 partners=0 links=0");
    EXPECT_EQ(Users(), "webadmin");

    // An outer caller's abort, after a registration that succeeded.
    InTransaction([&] {
      Writer joined{rt::GetObjectContext()->CreateInstance("Brintor.TUser")};
      EXPECT_EQ(Register(joined, "acme", "B2"), "ok BUSINESSPARTNERID=Long:1");
      EXPECT_EQ(Users(), "acme,webadmin") << "the directory changes at once";
      rt::GetObjectContext()->SetAbort();
    }, SessionActivity());
    EXPECT_EQ(Rows(), "addresses=0 partners=0 links=0");
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
