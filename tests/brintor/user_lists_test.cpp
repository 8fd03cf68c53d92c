// Directory user lists of Brintor.User: the start-key paging of the role and
// filter lists, the internal users' batches, one user's attributes, and the
// offices of the users a search finds.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using ::testing::HasSubstr;

class UserLists : public UserFixture {
 protected:
  static std::string Text(const std::shared_ptr<rt::Collection>& page) {
    std::string out;
    for (int32_t i = 1; i <= page->Count(); ++i) out += (i > 1 ? "," : "") + rt::CStr(page->Item(int32_t{i}));
    return out;
  }

  static std::string Text(const std::shared_ptr<rt::Dictionary>& page) {
    std::string out;
    for (const auto& entry : page->Entries()) {
      out += rt::CStr(entry.key) + "=";
      if (entry.item.IsArray()) {
        const rt::SafeArray& a = entry.item.AsArray();
        for (int32_t i = a.LBound(); i <= a.UBound(); ++i)
          out += (i > a.LBound() ? "|" : "") + (a.At(i).IsEmpty() ? std::string("<Empty>") : rt::CStr(a.At(i)));
      }
      out += " ";
    }
    return out;
  }

  // One call of a role list: "page -> next key".
  std::string Buyers(IUser& user, const std::string& key, rt::Variant size) {
    rt::Variant from(key);
    auto page = user.GetAllBuyers(from, size);
    return Text(page) + " -> " + rt::CStr(from);
  }
};

TEST_F(UserLists, RoleListsArePagedByStartKey) {
  Run([&] {
    for (const char* id : {"a", "b", "c"}) AddUser(id, {{"VYRole", Array({int32_t{2}})}});
    AddUser("s", {{"VYRole", Array({int32_t{6}})}});
    auto user = NewUser();
    rt::Variant two(int16_t{2}), three(int16_t{3}), omitted = rt::Variant::Missing();
    Golden pages;
    for (auto [key, size] : std::vector<std::pair<const char*, rt::Variant>>{
             {"", two}, {"b!", two}, {"c!", three}, {"b", rt::Variant(int16_t{-5})}, {"b", omitted}, {"B", two}})
      pages.Add(Golden()
                    .Add("key", "'" + std::string(key) + "'")
                    .Add("size", size.IsMissing() ? "omitted" : Golden::Value(size))
                    .Line(),
                Buyers(*user, key, size));
    // An overflow is raised plainly, not logged; the caller's key stays as it was.
    rt::Variant from(""), suppliers(""), big(int32_t{40000});
    pages.Add("suppliers", Text(user->GetAllSuppliers(suppliers, two)));
    pages.Add("size 40000", Failure([&] { user->GetAllBuyers(from, big); }));
    EXPECT_EQ(pages.Add("key after", "'" + rt::CStr(from) + "'").Lines(),
              "key='' size=Integer:2: a,b -> b!\nkey='b!' size=Integer:2: c -> \nkey='c!' size=Integer:3:  -> \n"
              "key='b' size=Integer:-5:  -> \nkey='b' size=omitted: b,c -> \nkey='B' size=Integer:2: b,c -> c!\n"
              "suppliers: s\nsize 40000: 6 Brintor: Overflow\nkey after: ''\n");
  });
}

TEST_F(UserLists, FilterListsAndSuppliersOfAPartner) {
  Run([&] {
    AddUser("p1", {{"ProjectUserType", int16_t{3}}, {"ProjectRole", Array({"PM"})}});
    AddUser("p2", {{"ProjectUserType", int16_t{3}}});
    AddUser("sup1", {{"BusinessPartnerID", int32_t{42}}, {"VYRole", Array({int32_t{6}})}});
    AddUser("sup2", {{"BusinessPartnerID", int32_t{42}}, {"VYRole", Array({int32_t{2}})}});
    AddUser("sup3", {{"BusinessPartnerID", int32_t{43}}, {"VYRole", Array({int32_t{6}})}});
    auto user = NewUser();
    rt::Variant from(""), size = rt::Variant::Missing();
    int16_t type = 3;
    std::string role = "PM";
    int32_t partner = 42;
    Golden lists;
    lists.Add("type 3", Text(user->GetUsersByUserType(type, from, size)));
    lists.Add("role PM", Text(user->GetUsersByProjectRole(role, from, size)));
    EXPECT_EQ(lists.Add("suppliers of 42", Text(user->GetAllSuppliersForBP(partner))).Line(),
              "type 3=p1,p2 role PM=p1 suppliers of 42=sup1");
  });
}

// Suppliers are left out, by their own role or, lacking roles of their own,
// by their related entry's. A page that fills inside the directory's last
// batch still hands back a key, so the users after it are not lost.
TEST_F(UserLists, InternalUsersLeaveOutSuppliersAndLoseNoBatchRest) {
  Run([&] {
    AddUser("group-suppliers", {{"VYRole", Array({int32_t{6}})}});
    for (const char* id : {"alice", "carol", "erin", "frank", "gina", "hank"})
      AddUser(id, {{"Name", std::string(1, static_cast<char>(id[0] - 32))}, {"Surname", id}});
    AddUser("bob", {{"VYRole", Array({int32_t{2}, int32_t{6}})}});
    AddUser("dave", {{"RelatedEntry", "group-suppliers"}});
    auto user = NewUser();
    rt::Variant from(""), size(int16_t{2});
    std::vector<std::string> pages;
    do {
      auto page = user->GetAllInternalUsers(from, size);
      pages.push_back(Text(page) + "-> " + rt::CStr(from));
    } while (!rt::CStr(from).empty() && pages.size() < 10);
    EXPECT_THAT(pages, ::testing::ElementsAre("alice=A|alice carol=C|carol -> carol!",
                                              "erin=E|erin frank=F|frank -> frank!",
                                              "gina=G|gina hank=H|hank -> hank!", "webadmin=| -> "));

    rt::Variant noSize = rt::Variant::Missing();
    EXPECT_THAT(Failure([&] { user->GetAllInternalUsers(from, noSize); }),
                HasSubstr("D Brintor: |ERROR 0xD| METHOD: Brintor.User.GetAllInternalUsers"));
  });
}

TEST_F(UserLists, UserDetailsApplyTheRoleAndLocaleRules) {
  Run([&] {
    AddUser("group", {{"VYRole", Array({int32_t{4}})}, {"Locale", int16_t{1031}}});
    AddUser("own", {{"VYRole", Array({int32_t{-1}})}, {"Locale", int16_t{-1}}, {"Email", "o@x"}});
    AddUser("member", {{"RelatedEntry", "group"}});
    auto user = NewUser();
    std::string own = "own", member = "member";
    rt::Variant names = Array({"vyrole", "LOCALE", "Email"});
    EXPECT_EQ(Text(user->GetUserDetails(own, names)), "vyrole=<Empty> LOCALE=-1 Email=o@x ");
    rt::Variant memberNames = Array({"VYRole", "Locale"});
    EXPECT_EQ(Text(user->GetUserDetails(member, memberNames)), "VYRole=4 Locale=1031 ");

    rt::Variant none(rt::SafeArray::OneDim(0, -1));
    EXPECT_THAT(Failure([&] { user->GetUserDetails(own, none); }),
                HasSubstr("8004006B Brintor.User.GetUserDetails: |ERROR 0x8004006B| METHOD: "
                          "Brintor.User.GetUserDetails| DESC: Array is invalid."));
    EXPECT_THAT(Failure([&] { user->GetUserDetails(own, Ref(rt::Variant("Email"))); }),
                ::testing::AllOf(::testing::StartsWith("D "), HasSubstr("| INFO: Array is invalid.")));
  });
}

TEST_F(UserLists, OfficesOfFoundUsersAreListedOnce) {
  Run([&] {
    AddUser("andy", {{"AdminOffice", "Branch"}});
    AddUser("ann1", {{"AdminOffice", "Head office"}});
    AddUser("ann2", {{"AdminOffice", "HEAD OFFICE"}});
    AddUser("anton", {});
    auto user = NewUser();
    std::string search = "an*", nobody = "zz*";
    EXPECT_EQ(Text(user->SearchOfficesByUser(search)), "Branch,Head office");
    EXPECT_EQ(Text(user->SearchOfficesByUser(nobody)), "");
  });
}

}  // namespace
