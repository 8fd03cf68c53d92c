// Brintor.User's office lists and one office's columns, read straight from
// OFFICE.
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using UserOffices = UserFixture;

// The collection's items in order, joined by ",".
std::string Items(const std::shared_ptr<rt::Collection>& list) {
  std::string text;
  for (int32_t i = 1; i <= list->Count(); ++i) text += (i > 1 ? "," : "") + rt::CStr(list->Item(rt::Variant(i)));
  return text;
}

TEST_F(UserOffices, ListsHoldOneTypeInDatabaseOrderKeyedByDescription) {
  Run([&] {
    Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE) VALUES ('Zeta', 1), ('Alpha', 2), ('O''Hara', 1),"
         " ('Untyped', NULL), ('Beta', 2);");
    auto user = NewUser();
    auto admin = user->GetAllAdministrativeOffices();
    EXPECT_EQ(Items(admin), "Zeta,O'Hara");
    EXPECT_EQ(Items(user->GetAllPurchaseOffices()), "Alpha,Beta");
    // Keys compare without regard to case.
    EXPECT_EQ(rt::CStr(admin->Item(rt::Variant("o'hARA"))), "O'Hara");

    Exec("DELETE FROM OFFICE WHERE OFFICETYPE = 2;");
    auto none = user->GetAllPurchaseOffices();
    ASSERT_TRUE(none);
    EXPECT_EQ(none->Count(), 0);
  });
}

TEST_F(UserOffices, ParamsHoldEveryColumnInTableOrderWithNullsKept) {
  Run([&] {
    Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE, CURRENCYCODE, CREDITCARDEXPIRY, FINANCIALDIMENSION5,"
         " CREDITCARDTYPE) VALUES ('O''Hara', 1, 'EUR', '2028-12-31 00:00:00', 'F5', 2);");
    auto user = NewUser();
    std::string office = "O'Hara", unknown = "Nowhere";
    EXPECT_EQ(Render(user->GetOfficeParams(office)),
              "OFFICEDESCRIPTION=String:O'Hara; ADDRESSID=Null; BIS_BISID=Null; BUSINESSPARTNERID=Null; "
              "CURRENCYCODE=String:EUR; OFFICETYPE=Integer:1; CREDITCARDNUMBER=Null; "
              "CREDITCARDEXPIRY=Date:2028-12-31; COSTCENTER=Null; WAREHOUSE=Null; SHIPTOCONTACTINFORMATION=Null; "
              "FINANCIALDIMENSION1=Null; FINANCIALDIMENSION2=Null; FINANCIALDIMENSION3=Null; "
              "FINANCIALDIMENSION4=Null; FINANCIALDIMENSION5=String:F5; CREDITCARDTYPE=Integer:2; "
              "PROJECTPROP=Null; PLANPROP=Null; EXTENSIONPROP=Null; COSTCOMPONENTPROP=Null; ACTIVITYPROP=Null; "
              "ELEMENTPROP=Null; PROPERTYGROUPID=Null");
    EXPECT_EQ(user->GetOfficeParams(unknown)->Count(), 0);
  });
}

TEST_F(UserOffices, AFailedReadIsFormattedUnderTheProceduresNames) {
  Run([&] {
    Exec("DROP TABLE OFFICE;");
    auto user = NewUser();
    std::string office = "Head office";
    EXPECT_EQ(Failure([&] { user->GetAllAdministrativeOffices(); }),
              "80040E14 SQLite: |ERROR 0x80040E14| METHOD: Brintor.User.getOffices| DESC: no such table: OFFICE.|");
    EXPECT_THAT(Failure([&] { user->GetOfficeParams(office); }),
                ::testing::HasSubstr("| METHOD: Brintor.User.getOfficeParams|"));
    EXPECT_EQ(LogEntries(), 2);
  });
}

}  // namespace
