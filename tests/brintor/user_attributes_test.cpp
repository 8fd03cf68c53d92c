// Attribute getters of Brintor.User: the directory value, the directory's
// fallback value, the administrative office; the cached directory user and
// office; a refused bind; the three calls the catalog library makes.
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

TEST_F(UserAttributes, PropertyGroupComesFromDirectoryThenFallbackThenOffice) {
  Run([&] {
    AddOffices();
    AddUser("direct", {{"PropertyGroupID", int32_t{7}}, {"AdminOffice", "Head office"}});
    AddUser("fallback", {{"FallbackValues", Array({int32_t{42}})}, {"AdminOffice", "Head office"}});
    AddUser("office", {{"AdminOffice", "Head office"}});
    AddUser("nullcol", {{"AdminOffice", "Bare office"}});
    AddUser("norow", {{"AdminOffice", "Nowhere"}});
    AddUser("nooffice", {});
    AddUser("quoted", {{"AdminOffice", "O'Brien office"}});
    auto user = NewUser();
    std::ostringstream seen;
    for (std::string id : {"direct", "fallback", "office", "nullcol", "norow", "nooffice", "quoted"})
      seen << id << "=" << user->GetPropertyGroup(id) << " ";
    EXPECT_EQ(seen.str(), "direct=7 fallback=42 office=10 nullcol=-1 norow=0 nooffice=0 quoted=11 ");
  });
}

TEST_F(UserAttributes, NumbersFallBackToOfficeOrDefault) {
  Run([&] {
    AddOffices();
    AddUser("office", {{"AdminOffice", "Head office"}});
    AddUser("norow", {{"AdminOffice", "Nowhere"}});
    AddUser("nooffice", {{"SpendLimit", "250.5"}});
    AddUser("german", {{"Language", "1031"}});
    AddUser("bad", {{"Language", "de"}});
    auto user = NewUser();
    std::string office = "office", norow = "norow", nooffice = "nooffice", german = "german", bad = "bad";
    EXPECT_EQ(user->GetAddressID(office), 31);
    EXPECT_EQ(user->GetBillToBusinessPartnerID(norow), -1);
    EXPECT_EQ(user->GetAddressID(nooffice), -1);
    // Limits: 0 means none set.
    EXPECT_EQ(user->GetSpendLimit(office), -1);
    EXPECT_EQ(user->GetSpendLimit(nooffice), 250.5);
    EXPECT_EQ(user->GetCurrencyCode(office), "USD");
    EXPECT_EQ(user->GetCurrencyCode(nooffice), "");
    // The language is a text in the directory: an empty one takes the
    // default, one that is no number fails the conversion, plainly (the
    // getter has no handler of its own).
    EXPECT_EQ(user->GetUserLanguage(nooffice), 1033);
    EXPECT_EQ(user->GetUserLanguage(german), 1031);
    EXPECT_EQ(Failure([&] { user->GetUserLanguage(bad); }), "D Brintor: Type mismatch");
  });
}

TEST_F(UserAttributes, CreditCardRules) {
  Run([&] {
    AddOffices();
    AddUser("own", {{"CreditCardType", int16_t{4}}, {"UserCreditCardNumber", "5500"}, {"AdminOffice", "Head office"}});
    AddUser("five", {{"CreditCardType", int16_t{5}}, {"UserCreditCardNumber", "   "}, {"AdminOffice", "Head office"}});
    AddUser("office", {{"AdminOffice", "Head office"}});
    AddUser("nullcol", {{"AdminOffice", "Bare office"}});
    AddUser("norow", {{"AdminOffice", "Nowhere"}});
    AddUser("nooffice", {});
    auto user = NewUser();
    std::ostringstream types;
    for (std::string id : {"own", "five", "office", "nullcol", "norow", "nooffice"})
      types << id << "=" << user->GetCreditCardType(id) << " ";
    EXPECT_EQ(types.str(), "own=4 five=2 office=2 nullcol=-1 norow=-1 nooffice=5 ");

    std::string own = "own", five = "five", office = "office", nullcol = "nullcol", norow = "norow";
    EXPECT_EQ(user->GetCreditCardNumber(own), "5500");
    EXPECT_EQ(user->GetCreditCardNumber(five), "4111");  // blanks only: the office's
    EXPECT_EQ(rt::CStr(user->GetNullCreditCardExpiry(office)), "2028-12-31");
    EXPECT_TRUE(user->GetNullCreditCardExpiry(nullcol).IsNull());
    rt::Variant noRow = user->GetNullCreditCardExpiry(norow);
    ASSERT_TRUE(noRow.IsString());
    EXPECT_EQ(*noRow.Get<std::string>(), "");
  });
}

TEST_F(UserAttributes, SubstitutesCostCentreAndWarehouse) {
  Run([&] {
    AddOffices();
    AddUser("plain", {{"AdminOffice", "Head office"}, {"CostCenter", "WC-NO"}});
    AddUser("sub", {{"OutOfOfficeApprover", "boss "}, {"SubstituteBuyer", "  "}, {"CostCenter", "WC-YES"},
                    {"AdminOffice", "O'Brien office"}});
    auto user = NewUser();
    std::string plain = "plain", sub = "sub", ghost = "ghost";
    EXPECT_EQ(user->GetSubstituteApprover(plain), "plain");
    EXPECT_EQ(user->GetSubstituteApprover(sub), "boss ");
    EXPECT_EQ(user->GetSubstituteBuyer(sub), "");
    EXPECT_EQ(user->GetCostCenter(plain), "CC-HEAD");  // work centre not flagged: the office's
    EXPECT_EQ(user->GetCostCenter(sub), "WC-YES");
    EXPECT_EQ(user->GetCostCenter(ghost), "");  // the bind fails: nothing raised
    rt::Variant subId("sub");
    EXPECT_EQ(user->GetWarehouseOfUser(subId), "WH'2");
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
    EXPECT_EQ(user->GetAddressID(nooffice), -1);
    EXPECT_EQ(user->GetPropertyGroup(nooffice), 0);
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

TEST_F(UserAttributes, OneBindPerUserUntilAnotherIsAsked) {
  Run([&] {
    AddOffices();
    AddUser("u1", {{"PropertyGroupID", int32_t{7}}});
    AddUser("u2", {{"AdminOffice", "Head office"}});
    AddUser("u3", {{"AdminOffice", "Head office"}});
    auto user = NewUser();
    std::string u1 = "u1", u2 = "u2", u3 = "u3";
    EXPECT_EQ(user->GetPropertyGroup(u1), 7);
    SetAttribute("u1", "PropertyGroupID", "8");
    EXPECT_EQ(user->GetPropertyGroup(u1), 7);  // the cached directory user answers
    EXPECT_EQ(user->GetPropertyGroup(u2), 10);
    EXPECT_EQ(user->GetPropertyGroup(u1), 8);  // bound again

    // The office row is cached by description and shared between its users.
    Exec("UPDATE OFFICE SET PROPERTYGROUPID = 99 WHERE OFFICEDESCRIPTION = 'Head office'");
    EXPECT_EQ(user->GetPropertyGroup(u3), 10);
    EXPECT_EQ(NewUser()->GetPropertyGroup(u3), 99);
  });
}

TEST_F(UserAttributes, CompanyNumberIsWrittenThroughTheDirectoryUser) {
  Run([&] {
    AddUser("u1", {{"CompanyNumber", "C1"}});
    auto user = NewUser();
    std::string u1 = "u1", number = "C2";
    int32_t anyApp = 3;
    EXPECT_EQ(user->GetCompanyNumber(u1), "C1");
    user->SetCompanyNumber(number, u1);
    EXPECT_EQ(NewUser()->GetCompanyNumber(u1), "C2");
    SetAttribute("u1", "DefaultURL.17", "/home17");
    auto fresh = NewUser();
    EXPECT_EQ(fresh->GetDefaultURL(anyApp, u1), "/home17");
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
    std::string answers;
    for (const char* member : {"GetPropertyGroup", "CheckUserExists", "GetBuyerRole"}) {
      const rt::Variant answer = Late().Call(member, {rt::Variant("buyer")});
      answers += rt::TypeName(answer) + ":" + rt::CStr(answer) + " ";
    }
    EXPECT_EQ(answers, "Long:10 Boolean:True Boolean:True ");
    EXPECT_FALSE(rt::CBool(Late().Call("CheckUserExists", {rt::Variant("nobody")})));
    EXPECT_EQ(Failure([&] { Late().Call("GetBuyerRole", {rt::Variant("nobody")}); }).substr(0, 9), "80072030 ");
  });
}

}  // namespace
