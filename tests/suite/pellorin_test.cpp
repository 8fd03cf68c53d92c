// Tests of the membership directory ("Pellorin.User", "Pellorin.Members")
// over a real directory database made by `suitehost init`.
#include <sqlite3.h>

#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "data/recordset.h"
#include "interfaces/pellorin.h"
#include "runtime/com_error.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"
#include "tests/common/test_values.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The failure of a call as "number source: description".
template <class F>
std::string Failure(F&& call) {
  try {
    call();
  } catch (const rt::ComError& e) {
    char number[16];
    std::snprintf(number, sizeof number, "%08X", static_cast<uint32_t>(e.number()));
    return std::string(number) + " " + e.source() + ": " + e.description();
  }
  return "no failure";
}

// The "cn" column of a search's recordset, in row order.
std::vector<std::string> Ids(const rt::ObjectPtr& rows) {
  auto rs = std::dynamic_pointer_cast<data::Recordset>(rows);
  std::vector<std::string> ids;
  if (!rs) return {"<no recordset>"};
  for (; !rs->Eof(); rs->MoveNext()) ids.push_back(rt::CStr(rs->Value("CN")));
  return ids;
}

// Texts of a Variant array; "<Empty>" for Empty elements.
std::vector<std::string> Texts(const rt::Variant& array) {
  std::vector<std::string> out;
  const rt::SafeArray& a = array.AsArray();
  for (int32_t i = a.LBound(); i <= a.UBound(); ++i)
    out.push_back(a.At(i).IsEmpty() ? "<Empty>" : rt::CStr(a.At(i)));
  return out;
}

class DirectoryTest : public ::testing::Test {
 protected:
  std::shared_ptr<IPellorinMembers> Members() {
    membersObject_ = rt::CreateObject("Pellorin.Members");
    return std::dynamic_pointer_cast<IPellorinMembers>(membersObject_);
  }
  rt::ObjectPtr NewUser() { return rt::CreateObject("Pellorin.User"); }
  std::shared_ptr<IPellorinUser> Bound(const std::string& id, const std::string& account = "admin",
                                       const std::string& password = "secret") {
    rt::ObjectPtr object = NewUser();
    auto user = std::dynamic_pointer_cast<IPellorinUser>(object);
    user->Bind(id, account, password);
    keep_.push_back(object);
    return user;
  }
  void Create(const std::string& id, std::vector<rt::Variant> names = {},
              std::vector<rt::Variant> values = {}, const std::string& password = "pw-" + std::string("x")) {
    rt::Variant n = names.empty() ? rt::Variant() : Array(names);
    rt::Variant v = values.empty() ? rt::Variant() : Array(values);
    Members()->CreateUser(id, password, n, v);
  }
  void SetUp() override { Create("admin", {}, {}, "secret"); }

  BrintorSandbox sandbox_;
  rt::ObjectPtr membersObject_;
  std::vector<rt::ObjectPtr> keep_;
};

// --- Bind ------------------------------------------------------------------

TEST_F(DirectoryTest, BindRefusesWrongPasswordUnknownAccountAndUnknownUser) {
  Create("alice");
  rt::ObjectPtr object = NewUser();
  auto user = std::dynamic_pointer_cast<IPellorinUser>(object);
  user->Bind("alice", "admin", "secret");
  EXPECT_EQ(user->UserID(), "alice");

  EXPECT_EQ(Failure([&] { user->Bind("alice", "admin", "Secret"); }),
            "8007052E Pellorin.User: The directory refused the account 'admin': unknown account or "
            "wrong password");
  // A refused bind reads nothing: the user bound before is gone too.
  EXPECT_EQ(Failure([&] { user->UserID(); }),
            "80040301 Pellorin.User: The user object is not bound to a directory user");
  EXPECT_EQ(Failure([&] { user->Bind("alice", "nobody", "secret"); }).substr(0, 8), "8007052E");
  EXPECT_EQ(Failure([&] { user->Bind("ghost", "admin", "secret"); }),
            "80072030 Pellorin.User: The directory holds no user 'ghost'");
  EXPECT_EQ(Failure([&] { user->GetAttribute("cn"); }).substr(0, 8), "80040301");

  // An account with a directory root after a comma; an id in another case.
  user->Bind("ALICE", "admin,o=suite", "secret");
  EXPECT_EQ(user->UserID(), "alice");
  // The user's own password binds as well (the web session's account).
  user->Bind("admin", "alice", "pw-x");
  EXPECT_EQ(user->UserID(), "admin");
}

TEST_F(DirectoryTest, PasswordsAreStoredOnlyAsSaltedHashes) {
  Create("bob", {}, {}, "hunter2");
  Create("carol", {}, {}, "hunter2");
  sqlite3* db = nullptr;
  sqlite3_open(sandbox_.DirectoryPath().c_str(), &db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT PASSWORDHASH FROM DIRECTORYENTRY WHERE USERID IN ('bob','carol')", -1, &st,
                     nullptr);
  std::vector<std::string> hashes;
  while (sqlite3_step(st) == SQLITE_ROW) hashes.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  sqlite3_close(db);
  ASSERT_EQ(hashes.size(), 2u);
  for (const std::string& h : hashes) {
    EXPECT_TRUE(h.rfind("$y$", 0) == 0 || h.rfind("$6$", 0) == 0) << h;
    EXPECT_EQ(h.find("hunter2"), std::string::npos);
  }
  EXPECT_NE(hashes[0], hashes[1]);  // salted: one password, two hashes
}

// The crypt library reads a password up to its first NUL: a password
// holding one is refused rather than stored as its first part, and never
// binds, so "secret" followed by anything after a NUL is not "secret".
TEST_F(DirectoryTest, APasswordHoldingNulIsNeitherStoredNorMatched) {
  const std::string withNul("secret\0IGNORED-PART", 19);
  EXPECT_EQ(Failure([&] { Members()->CreateUser("nul", withNul, rt::Variant(), rt::Variant()); }),
            "80040304 Pellorin.Directory: The password could not be hashed");
  EXPECT_EQ(Failure([&] { Bound("nul"); }), "80072030 Pellorin.User: The directory holds no user 'nul'");
  EXPECT_EQ(Failure([&] { Bound("admin", "admin", withNul); }),
            "8007052E Pellorin.User: The directory refused the account 'admin': unknown account or wrong password");
  EXPECT_EQ(Bound("admin", "admin", "secret")->UserID(), "admin") << "the password itself still binds";
}

// --- Attributes --------------------------------------------------------------

TEST_F(DirectoryTest, TypedPropertiesAttributesAndUnsetValues) {
  Create("dora",
         {"Name", "surname", "BuyerRole", "SpendLimit", "PropertyGroupID", "Locale", "UserCreditCardExpiry",
          "DefaultURL.17", "CreditCardType", "Roles", "ProjectRoles", "FallbackValues", "VYApps"},
         {"Dora", "Explorer", true, "250.5", 12, 1031, "2027-03-31", "https://suite/home", 2,
          Array({2, 4}), Array({"PM", "DEV"}), Array({77}), -1});
  auto u = Bound("dora");
  // Values given as text come back in the property's type.
  EXPECT_EQ(u->SpendLimit().scaled, 2505000);
  EXPECT_EQ(rt::CStr(rt::Variant(u->UserCreditCardExpiry())), "2027-03-31");
  EXPECT_EQ(u->DefaultURL(17), "https://suite/home");
  EXPECT_EQ(u->DefaultURL(3), "");
  EXPECT_EQ(u->Roles().AsArray().At(0).Type(), rt::VarType::Long);
  EXPECT_THAT(Texts(u->ProjectRoles()), ElementsAre("PM", "DEV"));
  // GetAttribute: any letter case, typed values, element 0 the value.
  EXPECT_EQ(u->GetAttribute("CREDITCARDTYPE").AsArray().At(0).Type(), rt::VarType::Integer);
  EXPECT_THAT(Texts(u->GetAttribute("VYROLE")), ElementsAre("2", "4"));
  EXPECT_THAT(Texts(u->GetAttribute("cn")), ElementsAre("dora"));

  // Unset attributes: one Empty element; typed properties their zero value
  // (a locale the suite's default).
  Create("eve");
  auto e = Bound("eve");
  EXPECT_THAT(Texts(e->GetAttribute("Email")), ElementsAre("<Empty>"));
  EXPECT_THAT(Texts(e->GetAttribute("no such attribute!")), ElementsAre("<Empty>"));
  EXPECT_THAT(Texts(e->Roles()), ElementsAre("<Empty>"));
  EXPECT_EQ(e->Email(), "");
  EXPECT_EQ(e->Locale(), 1033);
  EXPECT_EQ(e->UserCreditCardExpiry().serial, 0.0);
  EXPECT_EQ(e->RelatedEntry(), nullptr);
}

TEST_F(DirectoryTest, WritesStoreAtOnceAndLateBoundNamesWork) {
  Create("fred", {"ProjectRoles"}, {Array({"A", "B"})});
  rt::ObjectPtr object = NewUser();
  object->Call("Bind", {rt::Variant("fred"), rt::Variant("admin"), rt::Variant("secret")});
  object->LetProperty("CompanyNumber", rt::Variant("C-42"));
  object->LetProperty("ProjectRoles", Array({"B", rt::Variant(), "A"}));
  EXPECT_EQ(rt::CStr(object->GetProperty("userid")), "fred");
  EXPECT_EQ(rt::CStr(object->GetProperty("DefaultURL", {rt::Variant(int32_t{17})})), "");

  // Another object, bound afresh, reads what was written.
  auto again = Bound("fred");
  EXPECT_EQ(again->CompanyNumber(), "C-42");
  EXPECT_THAT(Texts(again->ProjectRoles()), ElementsAre("B", "A"));
  again->SetCompanyNumber("");
  EXPECT_THAT(Texts(Bound("fred")->GetAttribute("CompanyNumber")), ElementsAre("<Empty>"));
}

TEST_F(DirectoryTest, RelatedEntrySuppliesRolesAndAttributes) {
  Create("company", {"Roles", "LOCALE"}, {Array({6}), 1043});
  Create("gina", {"RelatedEntry"}, {"COMPANY"});
  auto g = Bound("gina");
  rt::ObjectPtr related = g->RelatedEntry();
  ASSERT_NE(related, nullptr);
  EXPECT_THAT(Texts(related->GetProperty("Roles")), ElementsAre("6"));
  EXPECT_THAT(Texts(related->Call("GetAttribute", {rt::Variant("locale")})), ElementsAre("1043"));
  EXPECT_THAT(Texts(g->Roles()), ElementsAre("<Empty>"));  // the user's own roles only
  // A related entry removed since answers Nothing.
  Members()->DeleteUser("company");
  EXPECT_EQ(Bound("gina")->RelatedEntry(), nullptr);
}

// --- Searches ----------------------------------------------------------------

class SearchTest : public DirectoryTest {
 protected:
  void SetUp() override {
    DirectoryTest::SetUp();
    Create("b", {"Roles", "BuyerRole", "BusinessPartnerID"}, {Array({2}), true, 42});
    Create("A", {"Roles", "ProjectUserType"}, {Array({2, 4}), 3});
    Create("c", {"Roles", "BusinessPartnerID", "ProjectRoles"}, {Array({6}), 42, Array({"PM"})});
    Create("b!x", {"Roles", "employeenumber"}, {Array({4}), "E-7"});
    Create("Dd", {"RelatedEntry", "ProjectRoles"}, {"c", Array({"DEV", "PM"})});
  }
  rt::ObjectPtr Search(std::vector<rt::Variant> filters, rt::Variant batch = rt::Variant::Missing()) {
    rt::Variant list = filters.empty() ? rt::Variant::Nothing() : Array(filters);
    return members_->Search(list, "", batch);
  }
  void SetUpMembers() { members_ = Members(); }
  std::shared_ptr<IPellorinMembers> members_ = nullptr;
};

TEST_F(SearchTest, FiltersAnswerIdsInCaseInsensitiveAscendingOrder) {
  SetUpMembers();
  EXPECT_THAT(Ids(members_->Search(rt::Variant(), "", rt::Variant())), ElementsAre("A", "admin", "b", "b!x", "c", "Dd"));
  EXPECT_THAT(Ids(Search({"cn>=b!"})), ElementsAre("b!x", "c", "Dd"));
  // A start key in another letter case includes the id it names.
  EXPECT_THAT(Ids(Search({"cn>=dd"})), ElementsAre("Dd"));
  EXPECT_THAT(Ids(Search({"CN=b*"})), ElementsAre("b", "b!x"));
  EXPECT_THAT(Ids(Search({"ProjectRole=pm"})), ElementsAre("c", "Dd"));
  EXPECT_THAT(Ids(Search({"buyerrole=True"})), ElementsAre("b"));
  // Every filter must match; a role held through the related entry counts.
  EXPECT_THAT(Ids(Search({"BusinessPartnerID=42", "VYRole=6"})), ElementsAre("c"));
  EXPECT_THAT(Ids(Search({"VYRole=6"})), ElementsAre("c", "Dd"));
  EXPECT_THAT(Ids(Search({"PropertyGroupID=5"})), IsEmpty());

  EXPECT_EQ(Failure([&] { Search({"BuyerRole"}); }),
            "80040302 Pellorin.Members: The search filter 'BuyerRole' is not NAME=VALUE or NAME>=VALUE");
  EXPECT_EQ(Failure([&] { Search({"=x"}); }).substr(0, 8), "80040302");
}

TEST_F(SearchTest, RoleSearchesLateBound) {
  rt::ObjectPtr members = rt::CreateObject("Pellorin.Members");
  auto roleIds = [&](int16_t role) {
    return Ids(members->Call("SearchByRole", {rt::Variant(role), rt::Variant("cn")}).AsObject());
  };
  EXPECT_THAT(roleIds(4), ElementsAre("A", "b!x"));
  EXPECT_THAT(roleIds(6), ElementsAre("c", "Dd"));
  rt::Variant rows = members->Call("SearchByRoleAndFilter",
                                   {rt::Variant(int32_t{6}), Array({"BusinessPartnerID=42"}), rt::Variant("cn")});
  EXPECT_THAT(Ids(rows.AsObject()), ElementsAre("c"));
  // Search late-bound: Nothing (or no argument) as the batch size gives every match.
  rows = members->Call("Search", {Array({"VYRole=2"}), rt::Variant(""), rt::Variant::Nothing()});
  EXPECT_THAT(Ids(rows.AsObject()), ElementsAre("A", "b"));
  rows = members->Call("Search", {Array({"cn=b"}), rt::Variant("BusinessPartnerID")});
  EXPECT_EQ(rt::CLng(std::dynamic_pointer_cast<data::Recordset>(rows.AsObject())->Value("businesspartnerid")), 42);
}

TEST_F(SearchTest, NextKeyBatchesCoverEveryIdOnce) {
  SetUpMembers();
  std::vector<std::string> seen;
  std::vector<std::string> keys;
  std::string key;
  do {
    seen.push_back("|");
    for (const std::string& id : Ids(Search({"cn>=" + key}, rt::Variant(int32_t{2})))) seen.push_back(id);
    key = members_->NextKey();
    keys.push_back(key);
  } while (!key.empty());
  EXPECT_THAT(seen, ElementsAre("|", "A", "admin", "|", "b", "b!x", "|", "c", "Dd"));
  EXPECT_THAT(keys, ElementsAre("b", "c", ""));
  // A batch that ends exactly at the last id leaves no next key; no batch
  // size, or one of 0, gives every id.
  Search({"cn>=c"}, rt::Variant(int32_t{2}));
  EXPECT_EQ(members_->NextKey(), "");
  EXPECT_EQ(Ids(Search({}, rt::Variant(int32_t{0}))).size(), 6u);
  EXPECT_EQ(members_->NextKey(), "");
  // The page walk's continuation key (last listed id + "!") resumes right after it.
  EXPECT_THAT(Ids(Search({"cn>=admin!"}, rt::Variant(int32_t{1}))), ElementsAre("b"));
  EXPECT_EQ(members_->NextKey(), "b!x");
}

// --- Create and delete -------------------------------------------------------

TEST_F(DirectoryTest, CreateAndDeleteUsers) {
  auto members = Members();
  rt::ObjectPtr created = members->CreateUser("Hank", "pw", Array({"Email", "Roles"}), Array({"h@x", Array({4})}));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(rt::CStr(created->GetProperty("Email")), "h@x");
  EXPECT_EQ(Bound("hank", "Hank", "pw")->Email(), "h@x");

  EXPECT_EQ(Failure([&] { members->CreateUser("HANK", "pw", rt::Variant(), rt::Variant()); }),
            "8004032A Pellorin.Directory: The directory already holds the user 'Hank'");
  EXPECT_EQ(Failure([&] { members->CreateUser("ivy", "", rt::Variant(), rt::Variant()); }),
            "8004044F Pellorin.Directory: The directory refuses an empty password");
  EXPECT_EQ(Failure([&] { members->CreateUser("ivy", "pw", Array({"BuyerRole"}), Array({"maybe"})); }),
            "80040303 Pellorin.Directory: BuyerRole: 'maybe' is not a Boolean");
  EXPECT_EQ(Failure([&] { members->CreateUser("ivy", "pw", Array({"Email", "Email2"}), Array({"x"})); }),
            "80040303 Pellorin.Members: The attribute 'Email2' has no value");
  // Nothing of a refused user was written.
  EXPECT_EQ(Failure([&] { Bound("ivy"); }).substr(0, 8), "80072030");

  members->DeleteUser("HANK");
  EXPECT_EQ(Failure([&] { Bound("hank"); }), "80072030 Pellorin.User: The directory holds no user 'hank'");
  EXPECT_EQ(Failure([&] { members->DeleteUser("hank"); }),
            "80072030 Pellorin.Members: The directory holds no user 'hank'");
  // The same id made again with another password: the old one, proven
  // before in this process, no longer binds.
  members->CreateUser("hank", "new", rt::Variant(), rt::Variant());
  EXPECT_EQ(Failure([&] { Bound("admin", "hank", "pw"); }).substr(0, 8), "8007052E");
  EXPECT_EQ(Bound("hank", "hank", "new")->UserID(), "hank");
}

// Ids are unique, and ordered, in the user lists' own comparison: ids that
// it finds equal are one id, and no id may sort between a listed id and the
// page walk's continuation key (that id + "!").
TEST_F(DirectoryTest, IdsAreUniqueAndOrderedInTheListsComparison) {
  auto members = Members();
  members->CreateUser("Straße", "pw", rt::Variant(), rt::Variant());
  EXPECT_EQ(Failure([&] { members->CreateUser("STRASSE", "pw", rt::Variant(), rt::Variant()); }),
            "8004032A Pellorin.Directory: The directory already holds the user 'Straße'");
  EXPECT_EQ(Bound("strasse")->UserID(), "Straße");
  for (const char* bad : {"ab c", "ab\t", "\xff\xfe", "a*", ""})
    EXPECT_EQ(Failure([&] { members->CreateUser(bad, "pw", rt::Variant(), rt::Variant()); }).substr(0, 8),
              "80040303")
        << bad;
  members->CreateUser("ab", "pw", rt::Variant(), rt::Variant());
  members->CreateUser("ab!", "pw", rt::Variant(), rt::Variant());
  EXPECT_THAT(Ids(members->Search(Array({"cn>=ab!"}), "", rt::Variant())), ElementsAre("ab!", "admin", "Straße"));
}

// Several threads, each with its own objects (as each process has), create,
// change, bind and search at once: no write is lost and no read fails.
TEST_F(DirectoryTest, ConcurrentWritersAndReadersLoseNothing) {
  constexpr int kThreads = 4, kUsers = 4;
  std::vector<std::string> failures(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      try {
        auto members = std::dynamic_pointer_cast<IPellorinMembers>(rt::CreateObject("Pellorin.Members"));
        rt::ObjectPtr object = rt::CreateObject("Pellorin.User");
        auto user = std::dynamic_pointer_cast<IPellorinUser>(object);
        for (int i = 0; i < kUsers; ++i) {
          const std::string id = "t" + std::to_string(t) + "u" + std::to_string(i);
          members->CreateUser(id, "pw", Array({"Roles"}), Array({Array({2})}));
          user->Bind(id, "admin", "secret");
          user->SetCompanyNumber("N-" + id);
          members->Search(Array({"VYRole=2"}), "CompanyNumber", rt::Variant());
        }
      } catch (const rt::ComError& e) {
        failures[t] = e.description();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_THAT(failures, ::testing::Each(""));
  auto rows = std::dynamic_pointer_cast<data::Recordset>(
      Members()->Search(Array({"VYRole=2"}), "CompanyNumber", rt::Variant()));
  int count = 0;
  for (; !rows->Eof(); rows->MoveNext(), ++count)
    EXPECT_EQ(rt::CStr(rows->Value("CompanyNumber")), "N-" + rt::CStr(rows->Value("cn")));
  EXPECT_EQ(count, kThreads * kUsers);
}

TEST(DirectoryStoreTest, MissingConfigurationOrDatabaseFailsClearly) {
  BrintorSandbox sandbox;
  std::filesystem::remove(sandbox.DirectoryPath());
  auto members = std::dynamic_pointer_cast<IPellorinMembers>(rt::CreateObject("Pellorin.Members"));
  std::string failure = Failure([&] { members->Search(rt::Variant(), "", rt::Variant()); });
  EXPECT_EQ(failure.substr(0, 8), "80040304") << failure;
  EXPECT_NE(failure.find("cannot be opened"), std::string::npos) << failure;
}

}  // namespace
