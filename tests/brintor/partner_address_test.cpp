// The address writes: links, new addresses from an address dictionary, and
// the refusals that write nothing.
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

// A link goes to the given or the loaded partner (twice if asked twice); a
// new address gets the given fields and is linked.
TEST_F(AddressWrites, AddressesAreLinkedToTheGivenOrLoadedPartner) {
  Run([&] {
    auto bp = NewPartner();
    int32_t existing = 5;
    Golden seen;
    seen.Add("AddExistingAddress(5, 3)", bp->AddExistingAddress(existing, rt::Variant(3)));
    seen.Add("loaded partner", rt::CStr(bp->GetBusinessPartnerID()));
    existing = 1;
    seen.Add("AddExistingAddress(1)", bp->AddExistingAddress(existing, rt::Variant::Missing()));
    seen.Add("AddExistingAddress(1) again", bp->AddExistingAddress(existing, rt::Variant::Missing()));
    seen.Add("addresses of 3", Scalar("SELECT group_concat(ADDRESSID, ',') FROM (SELECT ADDRESSID FROM "
                                      "BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 3 ORDER BY ADDRESSID)"));
    auto address = Address({{Field(AddressFieldsEnum::COUNTRYCODE), rt::Variant("NL")},
                            {rt::Variant(int32_t{1}), rt::Variant("Nieuw B.V.")},
                            {Field(AddressFieldsEnum::SHORTDESCRIPTION), rt::Variant("Nieuw")},
                            {Field(AddressFieldsEnum::NAME2), rt::Variant("")},
                            {Field(AddressFieldsEnum::PHONE), rt::Variant(int16_t{0})},
                            {Field(AddressFieldsEnum::Fax), rt::Variant::Null()},
                            {rt::Variant(int32_t{12}), rt::Variant("")},
                            {rt::Variant("CITY1"), rt::Variant()}});
    seen.Add("AddNewAddressEx(, 2)", bp->AddNewAddressEx(address, rt::Variant(2)));
    seen.Add("address 6", Scalar("SELECT COUNTRYCODE || '|' || NAME1 || '|' || SHORTDESCRIPTION || '|' || "
                                 "quote(NAME2) || quote(PHONE) || quote(FAX) || quote(CITY1) || quote(BISADDRESSCODE) "
                                 "FROM ADDRESS WHERE ADDRESSID = 6"));
    auto second = Address({{Field(AddressFieldsEnum::CITY1), rt::Variant("Breda")}});
    seen.Add("AddNewAddress()", bp->AddNewAddress(second, rt::Variant::Missing()));
    seen.Add("new addresses of 2", Scalar("SELECT group_concat(ADDRESSID) FROM BUSINESSPARTNERADDRESS "
                                          "WHERE BUSINESSPARTNERID = 2 AND ADDRESSID > 5"));
    EXPECT_EQ(seen.Lines(),
              "AddExistingAddress(5, 3): true\nloaded partner: 3\nAddExistingAddress(1): true\n"
              "AddExistingAddress(1) again: true\naddresses of 3: 1,1,4,5\n"
              "AddNewAddressEx(, 2): 6\naddress 6: NL|Nieuw B.V.|Nieuw|NULLNULLNULLNULLNULL\n"
              "AddNewAddress(): true\nnew addresses of 2: 6,7\n");
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
    Golden seen;
    for (const auto& [name, write] : std::vector<std::pair<const char*, std::function<void(Partner&)>>>{
             {"AddExistingAddress", [](Partner& bp) { bp->AddExistingAddress(Ref(int32_t{1}), rt::Variant(2)); }},
             {"AddNewAddress", [&](Partner& bp) { bp->AddNewAddress(Ref(address()), rt::Variant(2)); }},
             {"AddNewAddressEx", [&](Partner& bp) { bp->AddNewAddressEx(Ref(address()), rt::Variant(2)); }},
             {"SetOneTimeBusinessPartner", [](Partner& bp) { bp->SetOneTimeBusinessPartner(3, true); }}}) {
      auto report = sweep(write);
      seen.Add(name, Golden()
                         .Add("statements", report.statements)
                         .Add("commits", report.commits)
                         .Add("problems", report.Problems())
                         .Line());
    }
    EXPECT_EQ(seen.Lines(),
              "AddExistingAddress: statements=2 commits=1 problems=\n"
              "AddNewAddress: statements=4 commits=1 problems=\n"
              "AddNewAddressEx: statements=4 commits=1 problems=\n"
              "SetOneTimeBusinessPartner: statements=1 commits=1 problems=\n");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Swept'"), "0");
  });
}

}  // namespace
