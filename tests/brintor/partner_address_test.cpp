// Tests of the address writes: links to existing addresses, new addresses
// from an address dictionary, what an item may leave unset, and the refusals
// (no partner loaded, unknown partner, unknown field) that write nothing.
#include "data/testing/fault_sweep.h"
#include <gmock/gmock.h>

#include "tests/brintor/brintor_fixture.h"

namespace {

using AddressWrites = PartnerTest;

std::shared_ptr<rt::Dictionary> Address(std::vector<std::pair<rt::Variant, rt::Variant>> items) {
  auto address = rt::NewDictionary();
  for (auto& [key, item] : items) address->Add(key, item);
  return address;
}

rt::Variant Field(AddressFieldsEnum f) { return rt::Variant(static_cast<int16_t>(f)); }

TEST_F(AddressWrites, AddExistingAddressLinksTheGivenOrLoadedPartner) {
  Run([&] {
    auto bp = NewPartner();
    int32_t address = 5;
    EXPECT_TRUE(bp->AddExistingAddress(address, rt::Variant(3)));
    EXPECT_EQ(rt::CStr(bp->GetBusinessPartnerID()), "3");
    address = 1;
    EXPECT_TRUE(bp->AddExistingAddress(address, rt::Variant::Missing()));
    EXPECT_TRUE(bp->AddExistingAddress(address, rt::Variant::Missing()));  // a second identical link
    EXPECT_EQ(Scalar("SELECT group_concat(ADDRESSID, ',') FROM (SELECT ADDRESSID FROM BUSINESSPARTNERADDRESS "
                     "WHERE BUSINESSPARTNERID = 3 ORDER BY ADDRESSID)"),
              "1,1,4,5");
  });
}

// Without a loaded partner the link would name partner -1 (or 0): refused.
TEST_F(AddressWrites, NoLinkIsWrittenWithoutALoadedPartner) {
  Run([&] {
    const std::string before = Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS");
    auto bp = NewPartner();
    int32_t address = 1;
    EXPECT_EQ(Failure([&] { bp->AddExistingAddress(address, rt::Variant::Missing()); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: Brintor.BusinessPartner.AddExistingAddress| "
              "DESC: No BusinessPartner is loaded to link the address to.|");
    auto plain = PlainPartner();
    EXPECT_EQ(RaisedBy([&] { plain->AddExistingAddress(address, rt::Variant::Missing()); }).number(),
              ErrorNumber(BrintorError::BusinessPartnerNotFound));
    auto address2 = Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Nobody's")}});
    EXPECT_EQ(RaisedBy([&] { bp->AddNewAddressEx(address2, rt::Variant::Missing()); }).number(),
              ErrorNumber(BrintorError::BusinessPartnerNotFound));
    // An unknown partner fails before anything is written.
    EXPECT_THAT(Failure([&] { bp->AddNewAddress(address2, rt::Variant(42)); }),
                ::testing::AllOf(::testing::StartsWith("80040088 "),
                                 ::testing::HasSubstr("BusinessPartner 42 not found")));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS"), before);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Nobody''s'"), "0");
  });
}

TEST_F(AddressWrites, ANewAddressSetsTheGivenFieldsAndIsLinked) {
  Run([&] {
    auto bp = NewPartner();
    auto address = Address({{Field(AddressFieldsEnum::COUNTRYCODE), rt::Variant("NL")},
                            {rt::Variant(int32_t{1}), rt::Variant("Nieuw B.V.")},
                            {Field(AddressFieldsEnum::SHORTDESCRIPTION), rt::Variant("Nieuw")},
                            {Field(AddressFieldsEnum::NAME2), rt::Variant("")},
                            {Field(AddressFieldsEnum::PHONE), rt::Variant(int16_t{0})},
                            {Field(AddressFieldsEnum::Fax), rt::Variant::Null()},
                            {rt::Variant(int32_t{12}), rt::Variant("")},
                            {rt::Variant("CITY1"), rt::Variant()}});
    const int32_t id = bp->AddNewAddressEx(address, rt::Variant(2));
    EXPECT_EQ(id, 6);
    EXPECT_EQ(Scalar("SELECT COUNTRYCODE || '|' || NAME1 || '|' || SHORTDESCRIPTION || '|' || "
                     "quote(NAME2) || quote(PHONE) || quote(FAX) || quote(CITY1) || quote(BISADDRESSCODE) "
                     "FROM ADDRESS WHERE ADDRESSID = 6"),
              "NL|Nieuw B.V.|Nieuw|NULLNULLNULLNULLNULL");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 2 AND ADDRESSID = 6"),
              "1");
    auto second = Address({{Field(AddressFieldsEnum::CITY1), rt::Variant("Breda")}});
    EXPECT_TRUE(bp->AddNewAddress(second, rt::Variant::Missing()));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 2 AND ADDRESSID = 7"),
              "1");
  });
}

TEST_F(AddressWrites, AKeyThatNamesNoFieldFailsAndWritesNothing) {
  Run([&] {
    auto bp = NewPartner();
    for (rt::Variant key : {rt::Variant(int32_t{12}), rt::Variant("CITY1")}) {
      auto address = Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Half written")},
                              {key, rt::Variant("Breda")}});
      EXPECT_THAT(Failure([&] { bp->AddNewAddressEx(address, rt::Variant(1)); }),
                  ::testing::HasSubstr("| METHOD: Brintor.BusinessPartner.AddNewAddressEx|"));
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Half written'"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 1"), "2");
  });
}

// The new row and its link are one unit of the caller's transaction: when
// the link fails, the abort vote takes the new address back as well.
TEST_F(AddressWrites, AFailedLinkTakesTheNewAddressBack) {
  Exec("DROP TABLE BUSINESSPARTNERADDRESS");
  Run([&] {
    auto bp = NewPartner();
    auto address = Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Rolled back")}});
    EXPECT_THAT(Failure([&] { bp->AddNewAddress(address, rt::Variant(1)); }),
                ::testing::HasSubstr(" |ERROR 0x80040E14| METHOD: Brintor.BusinessPartner.AddNewAddress|"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Rolled back'"), "0");
  });
}

// Every partner and address write under the fault sweep: a failed
// statement or commit raises, and the tables stay as they were.
TEST_F(AddressWrites, EveryWriteRaisesAndLeavesTheTablesAsTheyWereUnderAFault) {
  Run([&] {
    data::testing::FaultEngine engine;
    const auto target = data::testing::DatabaseTarget(sandbox_.CatalogPath());
    auto sweep = [&](const std::function<void(Partner&)>& write) {
      return data::testing::SweepFaults(engine, target, [&] {
        auto bp = NewPartner();
        write(bp);
        return data::testing::Outcome::Succeeded;
      });
    };
    auto address = [] {
      return Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Swept")},
                      {Field(AddressFieldsEnum::CITY1), rt::Variant("Breda")}});
    };
    // Statements and commits of each write, and the problems found: the
    // link loads the partner, then links; a new address loads the partner,
    // opens the address table, inserts and reads back, then links.
    std::string seen;
    for (const auto& [name, write] : std::vector<std::pair<const char*, std::function<void(Partner&)>>>{
             {"AddExistingAddress", [](Partner& bp) { bp->AddExistingAddress(Ref(int32_t{1}), rt::Variant(2)); }},
             {"AddNewAddress", [&](Partner& bp) { bp->AddNewAddress(Ref(address()), rt::Variant(2)); }},
             {"AddNewAddressEx", [&](Partner& bp) { bp->AddNewAddressEx(Ref(address()), rt::Variant(2)); }},
             {"SetOneTimeBusinessPartner", [](Partner& bp) { bp->SetOneTimeBusinessPartner(3, true); }}}) {
      auto report = sweep(write);
      seen += std::string(name) + " " + std::to_string(report.statements) + "/" + std::to_string(report.commits) +
              report.Problems() + "\n";
    }
    EXPECT_EQ(seen,
              "AddExistingAddress 2/1\nAddNewAddress 5/1\nAddNewAddressEx 5/1\nSetOneTimeBusinessPartner 1/1\n");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Swept'"), "0");
  });
}

}  // namespace
