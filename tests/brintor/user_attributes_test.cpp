// Attribute getters of Brintor.User, the cached directory user and office, a
// refused bind and the three calls the catalog library makes.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using ::testing::HasSubstr;

class UserAttributes : public UserFixture {
 protected:
  void AddOffices() {
    Exec(
        "INSERT INTO OFFICE (OFFICEDESCRIPTION, ADDRESSID, BUSINESSPARTNERID, CURRENCYCODE, OFFICETYPE, "
        "CREDITCARDNUMBER, CREDITCARDEXPIRY, COSTCENTER, WAREHOUSE, SHIPTOCONTACTINFORMATION, CREDITCARDTYPE, "
        "PROPERTYGROUPID) VALUES "
        "('Head office', 31, 41, 'USD', 1, '4111', '2028-12-31 00:00:00', 'CC-HEAD', 'WH1', 'Gate 2', 2, 10),"
        "('Bare office', NULL, NULL, NULL, 1, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
        "('O''Brien office', 32, 42, 'EUR', 1, NULL, NULL, 'CC-OB', 'WH''2', NULL, 3, 11);"
        "INSERT INTO WORKCENTER VALUES ('WC-YES', 'Assembly', 1, 1), ('WC-NO', 'Packing', 0, 1);");
  }
};

// Each getter takes the directory's value, then the directory's fallback
// value, then the administrative office's column, else its default.
TEST_F(UserAttributes, GettersTakeTheDirectoryThenTheFallbackThenTheOffice) {
  Run([&] {
    AddOffices();
    AddUser("direct", {{"PropertyGroupID", int32_t{7}}, {"AdminOffice", "Head office"}});
    AddUser("fallback", {{"FallbackValues", Array({int32_t{42}})}, {"AdminOffice", "Head office"}});
    AddUser("office", {{"AdminOffice", "Head office"}, {"CostCenter", "WC-NO"}});
    AddUser("nullcol", {{"AdminOffice", "Bare office"}});
    AddUser("norow", {{"AdminOffice", "Nowhere"}});
    AddUser("nooffice", {{"SpendLimit", "250.5"}});
    AddUser("quoted", {{"OutOfOfficeApprover", "boss "}, {"SubstituteBuyer", "  "}, {"CostCenter", "WC-YES"},
                       {"AdminOffice", "O'Brien office"}});
    AddUser("own", {{"CreditCardType", int16_t{4}}, {"UserCreditCardNumber", "5500"}, {"AdminOffice", "Head office"}});
    AddUser("five", {{"CreditCardType", int16_t{5}}, {"UserCreditCardNumber", "   "}, {"AdminOffice", "Head office"}});
    AddUser("german", {{"Language", "1031"}});
    AddUser("bad", {{"Language", "de"}});
    auto user = NewUser();
    // Each answer, or "!" and the failure's description.
    auto get = [](auto&& read) {
      try {
        std::ostringstream answer;
        answer << read();
        return answer.str();
      } catch (const rt::ComError& e) {
        return "!" + e.description();
      }
    };
    // One line a user, one field a getter.
    Golden seen;
    for (std::string id : {"direct", "fallback", "office", "nullcol", "norow", "nooffice", "quoted", "own", "five"}) {
      seen.Add(id, Golden()
                       .Add("group", get([&] { return user->GetPropertyGroup(id); }))
                       .Add("cardtype", get([&] { return user->GetCreditCardType(id); }))
                       .Add("address", get([&] { return user->GetAddressID(id); }))
                       .Add("billto", get([&] { return user->GetBillToBusinessPartnerID(id); }))
                       .Add("limit", get([&] { return user->GetSpendLimit(id); }))
                       .Add("currency", get([&] { return user->GetCurrencyCode(id); }))
                       .Add("card", get([&] { return user->GetCreditCardNumber(id); }))
                       .Add("expiry", get([&] { return Golden::Value(user->GetNullCreditCardExpiry(id)); }))
                       .Add("costcenter", get([&] { return user->GetCostCenter(id); }))
                       .Add("approver", "[" + get([&] { return user->GetSubstituteApprover(id); }) + "]")
                       .Add("buyer", "[" + get([&] { return user->GetSubstituteBuyer(id); }) + "]"));
    }
    EXPECT_EQ(seen.Lines(),
              "direct: group=7 cardtype=2 address=31 billto=41 limit=-1 currency=USD card=4111 expiry=Date:2028-12-31 "
              "costcenter=CC-HEAD approver=[direct] buyer=[]\n"
              "fallback: group=42 cardtype=2 address=42 billto=42 limit=-1 currency=USD card=4111 "
              "expiry=Date:2028-12-31 costcenter=CC-HEAD approver=[fallback] buyer=[]\n"
              "office: group=10 cardtype=2 address=31 billto=41 limit=-1 currency=USD card=4111 expiry=Date:2028-12-31 "
              "costcenter=CC-HEAD approver=[office] buyer=[]\n"
              "nullcol: group=-1 cardtype=-1 address=-1 billto=-1 limit=-1 currency= card= expiry=Null "
              "costcenter= approver=[nullcol] buyer=[]\n"
              "norow: group=0 cardtype=-1 address=-1 billto=-1 limit=-1 currency= card= expiry=String: "
              "costcenter= approver=[norow] buyer=[]\n"
              "nooffice: group=0 cardtype=5 address=-1 billto=-1 limit=250.5 currency= card= expiry=Null "
              "costcenter= approver=[nooffice] buyer=[]\n"
              "quoted: group=11 cardtype=3 address=32 billto=42 limit=-1 currency=EUR card= expiry=Null "
              "costcenter=WC-YES approver=[boss ] buyer=[]\n"
              "own: group=10 cardtype=4 address=31 billto=41 limit=-1 currency=USD card=5500 expiry=Date:2028-12-31 "
              "costcenter=CC-HEAD approver=[own] buyer=[]\n"
              "five: group=10 cardtype=2 address=31 billto=41 limit=-1 currency=USD card=4111 expiry=Date:2028-12-31 "
              "costcenter=CC-HEAD approver=[five] buyer=[]\n");
    // Limits: 0 means none set. The language is a text in the directory: an
    // empty one takes the default, one that is no number fails the
    // conversion, plainly (the getter has no handler of its own).
    std::string nooffice = "nooffice", german = "german", bad = "bad", ghost = "ghost";
    rt::Variant quoted("quoted");
    Golden more;
    more.Add("language nooffice", user->GetUserLanguage(nooffice))
        .Add("language german", user->GetUserLanguage(german));
    more.Add("language bad", Failure([&] { user->GetUserLanguage(bad); }));
    more.Add("costcenter ghost", user->GetCostCenter(ghost)).Add("warehouse quoted", user->GetWarehouseOfUser(quoted));
    EXPECT_EQ(more.Lines(),
              "language nooffice: 1033\nlanguage german: 1031\nlanguage bad: D Brintor: Type mismatch\n"
              "costcenter ghost: \nwarehouse quoted: WH'2\n");
  });
}

// A failed office read is reported by each resolving step with its own
// block, none by the getter; a user without office never reads the table.
TEST_F(UserAttributes, FailedOfficeReadNamesEachResolvingStep) {
  Run([&] {
    AddUser("office", {{"AdminOffice", "Head office"}});
    AddUser("nooffice", {});
    Exec("DROP TABLE OFFICE;");
    auto user = NewUser();
    std::string office = "office", nooffice = "nooffice";
    EXPECT_EQ(
        Golden().Add("address", user->GetAddressID(nooffice)).Add("group", user->GetPropertyGroup(nooffice)).Line(),
        "address=-1 group=0");
    rt::ComError e = RaisedBy([&] { user->GetPropertyGroup(office); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x80040E14u);
    EXPECT_EQ(e.description(),
              "\r\nERROR 0x80040E14\r\n METHOD: Brintor.User.GetUserField User: office Field:PROPERTYGROUPID\r\n"
              " DESC: \r\nERROR 0x80040E14\r\n"
              " METHOD: Brintor.User.getOfficeField Field: PROPERTYGROUPID Office: Head office\r\n"
              " DESC: \r\nERROR 0x80040E14\r\n METHOD: Brintor.User.getOfficeProperties\r\n"
              " DESC: no such table: OFFICE.\r\n.\r\n.\r\n");
  });
}

// The cached directory user answers until another user is asked; the office
// row is cached by description and shared between its users; the company
// number is written through the directory user.
TEST_F(UserAttributes, OneBindPerUserUntilAnotherIsAskedAndWritesThroughIt) {
  Run([&] {
    AddOffices();
    AddUser("u1", {{"PropertyGroupID", int32_t{7}}, {"CompanyNumber", "C1"}});
    AddUser("u2", {{"AdminOffice", "Head office"}});
    AddUser("u3", {{"AdminOffice", "Head office"}});
    auto user = NewUser();
    std::string u1 = "u1", u2 = "u2", u3 = "u3", number = "C2";
    Golden seen;
    seen.Add("u1", user->GetPropertyGroup(u1));
    SetAttribute("u1", "PropertyGroupID", "8");
    seen.Add("u1, changed", user->GetPropertyGroup(u1)).Add("u2", user->GetPropertyGroup(u2));
    seen.Add("u1 again", user->GetPropertyGroup(u1));
    Exec("UPDATE OFFICE SET PROPERTYGROUPID = 99 WHERE OFFICEDESCRIPTION = 'Head office'");
    seen.Add("u3, office changed", user->GetPropertyGroup(u3));
    seen.Add("u3, new object", NewUser()->GetPropertyGroup(u3)).Add("number of u1", user->GetCompanyNumber(u1));
    user->SetCompanyNumber(number, u1);
    SetAttribute("u1", "DefaultURL.17", "/home17");
    int32_t anyApp = 3;
    seen.Add("number of u1, new object", NewUser()->GetCompanyNumber(u1));
    seen.Add("url of u1, new object", NewUser()->GetDefaultURL(anyApp, u1));
    EXPECT_EQ(seen.Lines(),
              "u1: 7\nu1, changed: 7\nu2: 10\nu1 again: 8\nu3, office changed: 10\nu3, new object: 99\n"
              "number of u1: C1\nnumber of u1, new object: C2\nurl of u1, new object: /home17\n");
  });
}

TEST_F(UserAttributes, RefusedBindFailsTheGetterAndCheckUserExistsSaysNo) {
  Run([&] {
    AddUser("u1", {{"BuyerRole", true}});
    auto refused = NewUser(kAccount, "wrong");
    std::string u1 = "u1", ghost = "ghost";
    rt::ComError e = RaisedBy([&] { refused->GetBuyerRole(u1); });
    EXPECT_EQ(static_cast<uint32_t>(e.number()), 0x8007052Eu);
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Lib_UserLib.UL_CreateUO"));
    EXPECT_THAT(e.description(), HasSubstr(" METHOD: Utility.GetAUObject"));

    const int logged = LogEntries();
    auto user = NewUser();
    EXPECT_FALSE(user->CheckUserExists(ghost));
    EXPECT_EQ(LogEntries(), logged + 1);
    EXPECT_TRUE(user->CheckUserExists(u1));
    EXPECT_FALSE(refused->CheckUserExists(u1));
    // Outside a component server there is no session to bind with.
    auto plain = std::dynamic_pointer_cast<IUser>(rt::CreateObject("Brintor.User"));
    EXPECT_FALSE(plain->CheckUserExists(u1));
  });
}

TEST_F(UserAttributes, CatalogLibraryCallsLateBound) {
  Run([&] {
    AddOffices();
    AddUser("buyer", {{"BuyerRole", true}, {"AdminOffice", "Head office"}});
    NewUser();
    Golden answers;
    for (const char* member : {"GetPropertyGroup", "CheckUserExists", "GetBuyerRole"})
      answers.Add(member, Late().Call(member, {rt::Variant("buyer")}));
    EXPECT_EQ(answers.Line(), "GetPropertyGroup=Long:10 CheckUserExists=Boolean:True GetBuyerRole=Boolean:True");
    EXPECT_FALSE(rt::CBool(Late().Call("CheckUserExists", {rt::Variant("nobody")})));
    EXPECT_EQ(Failure([&] { Late().Call("GetBuyerRole", {rt::Variant("nobody")}); }).substr(0, 9), "80072030 ");
  });
}

}  // namespace
