// Tests of the address writes: links to existing addresses, new addresses
// from an address dictionary, what an item may leave unset, and the refusals
// (no partner loaded, unknown partner, unknown field) that write nothing.
#include "data/testing/fault_sweep.h"
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
    rt::ComError e = RaisedBy([&] { bp->AddExistingAddress(address, rt::Variant::Missing()); });
    EXPECT_EQ(e.number(), ErrorNumber(BrintorError::BusinessPartnerNotFound));
    EXPECT_EQ(e.description(), Block("80040088", "Brintor.BusinessPartner.AddExistingAddress",
                                     "No BusinessPartner is loaded to link the address to"));
    auto plain = PlainPartner();
    EXPECT_EQ(RaisedBy([&] { plain->AddExistingAddress(address, rt::Variant::Missing()); }).number(),
              ErrorNumber(BrintorError::BusinessPartnerNotFound));
    auto address2 = Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Nobody's")}});
    EXPECT_EQ(RaisedBy([&] { bp->AddNewAddressEx(address2, rt::Variant::Missing()); }).number(),
              ErrorNumber(BrintorError::BusinessPartnerNotFound));
    // An unknown partner fails before anything is written.
    rt::ComError unknown = RaisedBy([&] { bp->AddNewAddress(address2, rt::Variant(42)); });
    EXPECT_EQ(unknown.number(), ErrorNumber(BrintorError::BusinessPartnerNotFound));
    EXPECT_NE(unknown.description().find("BusinessPartner 42 not found"), std::string::npos);
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
      rt::ComError e = RaisedBy([&] { bp->AddNewAddressEx(address, rt::Variant(1)); });
      EXPECT_NE(e.description().find(" METHOD: Brintor.BusinessPartner.AddNewAddressEx\r\n"), std::string::npos)
          << e.description();
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
    rt::ComError e = RaisedBy([&] { bp->AddNewAddress(address, rt::Variant(1)); });
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040E14));
    EXPECT_EQ(e.description().rfind("\r\nERROR 0x80040E14\r\n METHOD: Brintor.BusinessPartner.AddNewAddress\r\n", 0),
              0u)
        << e.description();
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
    // Loading the partner, then the link.
    auto existing = sweep([](Partner& bp) {
      int32_t address = 1;
      bp->AddExistingAddress(address, rt::Variant(2));
    });
    EXPECT_EQ(existing.statements, 2);
    EXPECT_EQ(existing.Problems(), "");
    // Loading the partner, the address table opened, the insert and its
    // read-back, then the link.
    for (bool withId : {false, true}) {
      auto added = sweep([withId](Partner& bp) {
        auto address = Address({{Field(AddressFieldsEnum::NAME1), rt::Variant("Swept")},
                                {Field(AddressFieldsEnum::CITY1), rt::Variant("Breda")}});
        if (withId) {
          bp->AddNewAddressEx(address, rt::Variant(2));
        } else {
          bp->AddNewAddress(address, rt::Variant(2));
        }
      });
      EXPECT_EQ(added.statements, 5);
      EXPECT_EQ(added.commits, 1);
      EXPECT_EQ(added.Problems(), "");
    }
    auto oneTime = sweep([](Partner& bp) { bp->SetOneTimeBusinessPartner(3, true); });
    EXPECT_EQ(oneTime.statements, 1);
    EXPECT_EQ(oneTime.Problems(), "");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE NAME1 = 'Swept'"), "0");
  });
}

}  // namespace
