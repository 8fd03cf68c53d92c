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
    std::ostringstream seen;
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
    for (std::string id : {"direct", "fallback", "office", "nullcol", "norow", "nooffice", "quoted", "own", "five"}) {
      seen << id << " " << get([&] { return user->GetPropertyGroup(id); }) << " "
           << get([&] { return user->GetCreditCardType(id); }) << " " << get([&] { return user->GetAddressID(id); })
           << " " << get([&] { return user->GetBillToBusinessPartnerID(id); }) << " "
           << get([&] { return user->GetSpendLimit(id); }) << " [" << get([&] { return user->GetCurrencyCode(id); })
           << "] [" << get([&] { return user->GetCreditCardNumber(id); }) << "] " << get([&] {
                const rt::Variant expiry = user->GetNullCreditCardExpiry(id);
                return rt::TypeName(expiry) + ":" + (expiry.IsNull() ? "" : rt::CStr(expiry));
              })
           << " [" << get([&] { return user->GetCostCenter(id); }) << "] ["
           << get([&] { return user->GetSubstituteApprover(id); }) << "] ["
           << get([&] { return user->GetSubstituteBuyer(id); }) << "]\n";
    }
    EXPECT_EQ(seen.str(),
              "direct 7 2 31 41 -1 [USD] [4111] Date:2028-12-31 [CC-HEAD] [direct] []\n"
              "fallback 42 2 42 42 -1 [USD] [4111] Date:2028-12-31 [CC-HEAD] [fallback] []\n"
              "office 10 2 31 41 -1 [USD] [4111] Date:2028-12-31 [CC-HEAD] [office] []\n"
              "nullcol -1 -1 -1 -1 -1 [] [] Null: [] [nullcol] []\n"
              "norow 0 -1 -1 -1 -1 [] [] String: [] [norow] []\n"
              "nooffice 0 5 -1 -1 250.5 [] [] Null: [] [nooffice] []\n"
              "quoted 11 3 32 42 -1 [EUR] [] Null: [WC-YES] [boss ] []\n"
              "own 10 4 31 41 -1 [USD] [5500] Date:2028-12-31 [CC-HEAD] [own] []\n"
              "five 10 2 31 41 -1 [USD] [4111] Date:2028-12-31 [CC-HEAD] [five] []\n");
    // Limits: 0 means none set. The language is a text in the directory: an
    // empty one takes the default, one that is no number fails the
    // conversion, plainly (the getter has no handler of its own).
    std::string nooffice = "nooffice", german = "german", bad = "bad", ghost = "ghost";
    rt::Variant quoted("quoted");
    EXPECT_EQ(std::to_string(user->GetUserLanguage(nooffice)) + " " + std::to_string(user->GetUserLanguage(german)) +
                  " " + Failure([&] { user->GetUserLanguage(bad); }) + " [" + user->GetCostCenter(ghost) + "] " +
                  user->GetWarehouseOfUser(quoted),
              "1033 1031 D Brintor: Type mismatch [] WH'2");
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
    EXPECT_EQ(std::to_string(user->GetAddressID(nooffice)) + std::to_string(user->GetPropertyGroup(nooffice)), "-10");
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
    std::string seen = std::to_string(user->GetPropertyGroup(u1));
    SetAttribute("u1", "PropertyGroupID", "8");
    for (std::string* id : {&u1, &u2, &u1}) seen += " " + std::to_string(user->GetPropertyGroup(*id));
    Exec("UPDATE OFFICE SET PROPERTYGROUPID = 99 WHERE OFFICEDESCRIPTION = 'Head office'");
    seen += " " + std::to_string(user->GetPropertyGroup(u3));
    seen += " " + std::to_string(NewUser()->GetPropertyGroup(u3)) + " " + user->GetCompanyNumber(u1);
    user->SetCompanyNumber(number, u1);
    SetAttribute("u1", "DefaultURL.17", "/home17");
    int32_t anyApp = 3;
    seen += " " + NewUser()->GetCompanyNumber(u1) + " " + NewUser()->GetDefaultURL(anyApp, u1);
    EXPECT_EQ(seen, "7 7 10 8 10 99 C1 C2 /home17");
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
