// The transactional user class's partner links and referential answers, and
// the shipped registry's entries for property ids and groups.
#include "tests/brintor/maintenance_fixture.h"

namespace {

const rt::Variant kNull = rt::Variant::Null();

class PartnerLinks : public TUserTest {
 protected:
  // "Boolean:True" or "Boolean:False", or the failure as Failure shows it.
  template <class F>
  static std::string Answer(F&& call) {
    try {
      return call() ? "Boolean:True" : "Boolean:False";
    } catch (const rt::ComError& e) {
      return Failure([&] { throw e; });
    }
  }
  std::string Links() const {
    return Scalar("SELECT group_concat(USERID || ':' || BUSINESSPARTNERID, ' ') FROM "
                 "(SELECT * FROM BPSPERUSER ORDER BY USERID, BUSINESSPARTNERID)");
  }
};

TEST_F(PartnerLinks, LinksAreReplacedOrAddedToAndEveryIdIsAWholeNumber) {
  Exec("INSERT INTO BPSPERUSER VALUES ('u1', 1), ('u''2', 1);"
       "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (1, 'A'), (3, 'C'), (4, 'D'), (17, 'Q'), (18, 'R')");
  Run([&] {
    AddUser("u1", {});
    AddUser("u'2", {});
    Writer w = NewWriter();
    std::string u1 = "u1", u2 = "u'2", nobody = "nobody";
    bool replace = true, add = false;
    rt::Variant ids = Array({int32_t{17}, "18"});
    EXPECT_EQ(Ending([&](Writer& joined) { EXPECT_TRUE(joined->InsertBPSPerUser(u1, ids, replace)); }, true), "commit");
    EXPECT_EQ(Links(), "u'2:1 u1:17 u1:18");
    rt::Variant more = Array({int16_t{3}});
    EXPECT_TRUE(w->InsertBPSPerUser(u2, more, add));
    EXPECT_EQ(Links(), "u'2:1 u'2:3 u1:17 u1:18");
    rt::Variant none = Array({});
    EXPECT_TRUE(w->InsertBPSPerUser(u1, none, replace));
    EXPECT_TRUE(w->DeleteBPSPerUser(nobody));
    EXPECT_EQ(Links(), "u'2:1 u'2:3");

    // Each refused id fails the whole call before anything changes.
    for (const rt::Variant& bad : {rt::Variant("abc"), rt::Variant(1.5), rt::Variant(), rt::Variant(true),
                                   rt::Variant(3e10), rt::Variant("7'); DELETE FROM BPSPERUSER; --")}) {
      rt::Variant list = Array({int32_t{5}, bad});
      EXPECT_EQ(Failure([&] { w->InsertBPSPerUser(u2, list, replace); }).substr(0, 13), "D Brintor: |E")
          << rt::TypeName(bad);
    }
    rt::Variant nulls = Array({kNull});
    EXPECT_EQ(Failure([&] { w->InsertBPSPerUser(u2, nulls, replace); }).substr(0, 13), "5E Brintor: |");
    EXPECT_EQ(Links(), "u'2:1 u'2:3");

    // A link stored twice fails, and the links written before it go back.
    rt::Variant twice = Array({int32_t{4}, int32_t{1}});
    EXPECT_EQ(Ending([&](Writer& joined) {
                EXPECT_EQ(Failure([&] { joined->InsertBPSPerUser(u2, twice, add); }).substr(0, 66),
                          "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.TUser.InsertBP");
              }),
              "rollback");
    EXPECT_EQ(Links(), "u'2:1 u'2:3");
  });
}

// A link names a user that the directory holds and a partner that exists:
// anything else is refused with error 5 before anything is written (an id
// that is no number keeps its type mismatch). Removing links asks nothing.
TEST_F(PartnerLinks, LinksJoinOnlyADirectoryUserAndPartnersThatExist) {
  Exec("INSERT INTO BPSPERUSER VALUES ('u1', 1);"
       "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (1, 'A'), (2, 'B')");
  Run([&] {
    AddUser("u1", {});
    struct Case {
      const char* what;
      const char* user;
      std::vector<rt::Variant> ids;
    };
    std::string seen;
    for (const Case& c : std::vector<Case>{{"no such user", "ghost", {int32_t{1}}},
                                           {"no such partner", "u1", {int32_t{2}, int32_t{999}}},
                                           {"an empty user id", "", {int32_t{2}}},
                                           {"a wildcard user id", "u*", {int32_t{2}}},
                                           {"no number", "ghost", {"x"}},
                                           {"the user in another letter case", "U1", {int32_t{2}}}}) {
      std::string user = c.user, answer;
      bool replace = true;
      rt::Variant ids = Array(c.ids);
      const std::string ending = Ending([&](Writer& joined) {
        answer = Answer([&] { return joined->InsertBPSPerUser(user, ids, replace); });
      });
      seen += std::string(c.what) + ": " + answer.substr(0, 13) + " " + ending + " " + Links() + "\n";
    }
    std::string ghost = "ghost";
    rt::Variant none = Array({});
    bool replace = true;
    seen += "no links for a user who is gone: " + Answer([&] { return NewWriter()->InsertBPSPerUser(ghost, none, replace); });
    EXPECT_EQ(seen,
              "no such user: 5 Brintor: |E rollback u1:1\n"
              "no such partner: 5 Brintor: |E rollback u1:1\n"
              "an empty user id: 5 Brintor: |E rollback u1:1\n"
              "a wildcard user id: 5 Brintor: |E rollback u1:1\n"
              "no number: D Brintor: |E rollback u1:1\n"
              "the user in another letter case: Boolean:True commit U1:2\n"
              "no links for a user who is gone: Boolean:True");
  });
}

class References : public TUserTest {
 protected:
  // Offices, a warehouse and a work centre with BIS ids 1, 2 and 3; users
  // with roles, employee numbers, project roles and property groups.
  void AddReferences() {
    Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, BIS_BISID, PLANPROP, PROPERTYGROUPID) VALUES ('Head', 1, 40, 50);"
         "INSERT INTO WAREHOUSE VALUES ('WH', 'Store', 2); INSERT INTO WORKCENTER VALUES ('WC', 'Bench', 0, 3);");
    AddUser("buyer1", {{"VYRole", Array({int32_t{2}})}, {"EmployeeNumber", "E-1"}, {"ProjectRole", Array({"PM", "A*"})}});
    AddUser("supplier1", {{"VYRole", Array({int32_t{6}})}, {"PropertyGroupID", int32_t{60}}});
  }
  bool Exists(Writer& w, const std::string& origin, std::vector<rt::Variant> keys, std::vector<rt::Variant> values) {
    return w.References().IReferentialIntegrity_Exists(origin, Array(std::move(keys)), Array(std::move(values)));
  }
};

TEST_F(References, TheFirstKnownKeyDecidesWhereTheValueIsLookedUp) {
  Run([&] {
    AddReferences();
    Writer w = NewWriter();
    std::string answers;
    for (const auto& [key, value] : std::vector<std::pair<const char*, rt::Variant>>{
             {"BISID", int32_t{1}},       {"bisid", "3"},          {"BISID", int32_t{4}},
             {"OFFICEDESCRIPTION", "head "}, {"OFFICEDESCRIPTION", "Branch"},
             {"PROPERTYID", int32_t{40}}, {"PROPERTYID", int32_t{50}}, {"PROPERTYGROUPID", int32_t{50}},
             {"PROPERTYGROUPID", "60"},   {"PROPERTYGROUPID", int32_t{40}},
             {"userid", "Buyer1"},        {"USERID", "b*"},        {"BUYERID", "buyer1"},
             {"BUYERID", "supplier1"},    {"SUPPLIERID", "supplier1"}, {"EMPLOYEEID", "e-1"},
             {"EMPLOYEEID", "E*"},        {"ROLE", "PM"},          {"ROLE", "P*"}}) {
      answers += std::string(key) + "=" + rt::CStr(value) + ":" + (Exists(w, "X", {key}, {value}) ? "T " : "F ");
    }
    EXPECT_EQ(answers,
              "BISID=1:T bisid=3:T BISID=4:F OFFICEDESCRIPTION=head :T OFFICEDESCRIPTION=Branch:F PROPERTYID=40:T "
              "PROPERTYID=50:F PROPERTYGROUPID=50:T PROPERTYGROUPID=60:T PROPERTYGROUPID=40:F userid=Buyer1:T "
              "USERID=b*:F BUYERID=buyer1:T BUYERID=supplier1:F SUPPLIERID=supplier1:T EMPLOYEEID=e-1:T "
              "EMPLOYEEID=E*:F ROLE=PM:T ROLE=P*:F ");

    // Unknown keys are passed over; the first known one ends the walk.
    EXPECT_FALSE(Exists(w, "X", {"NOSUCHKEY", "OFFICEDESCRIPTION"}, {"Head", "Branch"}));
    EXPECT_TRUE(Exists(w, "X", {"OFFICEDESCRIPTION", "USERID"}, {"Head", "nobody"}));
    EXPECT_TRUE(Exists(w, "X", {"NOSUCHKEY"}, {int32_t{1}}));
    EXPECT_TRUE(Exists(w, "X", {}, {}));
    // The budget shortcut: four keys, the origin's letter case counts.
    for (const char* key : {"OFFICEDESCRIPTION", "USERID", "SUPPLIERID", "BUYERID"})
      EXPECT_TRUE(Exists(w, "BUDGET", {key}, {kNull})) << key;
    EXPECT_EQ(LogEntries(), 0);
    std::string raised;
    EXPECT_EQ(Ending([&](Writer& joined) { raised = Failure([&] { Exists(joined, "budget", {"USERID"}, {kNull}); }); }),
              "rollback");
    EXPECT_EQ(raised, "5E Brintor: |ERROR 0x5E| METHOD: Brintor.TUser.Exists| DESC: Invalid use of Null.|");
    EXPECT_EQ(Failure([&] { Exists(w, "BUDGET", {"BISID"}, {kNull}); }).substr(0, 3), "5E ");
    // Ids that go into a statement unquoted must be numbers.
    for (const char* key : {"BISID", "PROPERTYID", "PROPERTYGROUPID"})
      EXPECT_EQ(Failure([&] { Exists(w, "X", {key}, {"1 OR 1=1"}); }).substr(0, 12), "D Brintor: |") << key;
    EXPECT_TRUE(w.References().IReferentialIntegrity_BeforeDelete("X", kNull, kNull));
  });
}

// The shipped registry: deleting a property or a property group asks the
// user class under the key's name, which answers from the offices (and the
// directory); ids in no use may go.
TEST_F(References, ThePropertyEntriesRefuseDeletingWhatOfficesUse) {
  Run([&] {
    AddReferences();
    rt::ObjectPtr checker = rt::CreateObject("Solvane.ReferentialChecker");
    auto canDelete = [&](const char* table, const char* key, int32_t id) {
      return rt::CBool(checker->Call("CanDelete", {rt::Variant("Quarvel"), rt::Variant(table), Array({key}),
                                                   Array({rt::Variant(id)})}));
    };
    EXPECT_FALSE(canDelete("PROPERTY", "PROPERTYID", 40));
    EXPECT_TRUE(canDelete("PROPERTY", "PROPERTYID", 41));
    EXPECT_FALSE(canDelete("PROPERTYGROUP", "PROPERTYGROUPID", 50));
    EXPECT_FALSE(canDelete("PROPERTYGROUP", "PROPERTYGROUPID", 60)) << "a directory user's group";
    EXPECT_TRUE(canDelete("PROPERTYGROUP", "PROPERTYGROUPID", 40));
    EXPECT_TRUE(rt::CBool(checker->Call("BeforeDelete", {rt::Variant("PROPERTY"), Array({"PROPERTYID"}),
                                                         Array({rt::Variant(int32_t{40})})})));
    // Offices and users: no referrer yet, and the class answers for both keys.
    EXPECT_TRUE(rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("OFFICE"),
                                                      Array({"OFFICEDESCRIPTION"}), Array({"Head"})})));
  });
}

// The other way: an office's property ids must name properties of the
// catalog, which its property class answers for.
TEST_F(References, AnOfficeNamingAnUnknownPropertyIsRefused) {
  Exec("INSERT INTO PROPERTY (PROPERTYID, PROPERTYNAME, DATATYPE) VALUES (7, 'Project', 1);"
       "INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE) VALUES ('Head', 2)");
  Run([&] {
    Writer w = NewWriter();
    std::string table = "OFFICE";
    auto write = [&](bool insert, const char* name, int32_t id) {
      rt::Variant keys = Array({"OFFICEDESCRIPTION", "OFFICETYPE", "ELEMENTPROP"});
      rt::Variant values = Array({name, int16_t{2}, id});
      return Outcome(insert ? w->InsertFromScript(table, keys, values) : w->UpdateFromScript(table, keys, values));
    };
    EXPECT_EQ(write(true, "Buying", 8), "failed SLBBR1025");
    EXPECT_EQ(write(true, "Buying", 7), "ok");
    EXPECT_EQ(write(false, "Head", 8), "failed SLBBR1026");
    EXPECT_EQ(write(false, "Head", 7), "ok");
    EXPECT_EQ(Scalar("SELECT group_concat(ELEMENTPROP) FROM OFFICE"), "7,7");
  });
}

}  // namespace
