// The script-driven maintenance: name and value arrays into a data object,
// script table names, the last vote, and a bidding supplier in one transaction.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using PartnerScript = PartnerMaintenanceTest;

TEST_F(PartnerScript, NamesArePickedInAnyLetterCaseFirstIndexFirstAndOthersIgnored) {
  Run([&] {
    auto bp = NewPartner();
    auto insert = [&](const char* table, std::vector<rt::Variant> names, std::vector<rt::Variant> values) {
      rt::Variant n = Array(std::move(names)), v = Array(std::move(values));
      return Outcome(bp->InsertFromScript(table, n, v));
    };
    EXPECT_EQ(insert("BUSINESSPARTNER", {"name", "NAME", "AddressID", "FOO", "companynumber"},
                     {"First", "Second", int32_t{7}, "x", "C-1"}),
              "ok BUSINESSPARTNERID=Long:6");
    EXPECT_EQ(Scalar("SELECT NAME || '|' || COMPANYNUMBER FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 6"),
              "First|C-1");
    // Values are taken as they are; the type check is strict.
    EXPECT_EQ(insert("BUSINESSPARTNER", {"NAME", "PRICINGMETHOD"}, {"Typed", int32_t{1}}),
              "failed SLBBR9000:PRICINGMETHOD");
    // A name that picks no column is never looked up among the values.
    EXPECT_EQ(insert("BUSINESSPARTNER", {"BUSINESSID", "FOO"}, {"BID-Q"}), "failed SLBCO2014");
    EXPECT_EQ(insert("ADDRESS", {"Phone", "shortdescription"}, {"12", "Depot"}), "ok ADDRESSID=Long:6");
    EXPECT_EQ(insert("CUSTOMER", {"BUSINESSPARTNERID", "CUSTOMERNAME"}, {int32_t{6}, "First"}), "ok");
    rt::Variant names = Array({"ADDRESSID", "CITY1"}), values = Array({int32_t{6}, "Breda"});
    EXPECT_EQ(Outcome(bp->UpdateFromScript("ADDRESS", names, values)), "ok");
    EXPECT_EQ(Scalar("SELECT SHORTDESCRIPTION || '|' || CITY1 FROM ADDRESS WHERE ADDRESSID = 6"), "Depot|Breda");

    EXPECT_EQ(Failure([&] { insert("BUSINESSPARTNER", {"NAME", "BUSINESSID"}, {"Only a name"}); }),
              "9 Brintor: |ERROR 0x9| METHOD: Brintor.BusinessPartner.InsertFromScript| DESC: Subscript out of range.|");
    EXPECT_EQ(Failure([&] { bp->UpdateFromScript("ADDRESS", Ref(rt::Variant("NAME")), values); }).substr(0, 2), "D ");
  });
}

// Table names are compared exactly: an unknown one leaves an insert without
// an answer to ask (91), and a delete with nothing to do.
TEST_F(PartnerScript, TheTableNameDecidesTheKindAndTheLastVote) {
  Exec("INSERT INTO ADDRESS (ADDRESSID, COUNTRYCODE, NAME1) VALUES (6, 'NL', 'Depot')");  // named by no partner
  Run([&] {
    rt::Variant names = Array({"ADDRESSID", "SHORTDESCRIPTION"}), values = Array({int32_t{6}, "x"});
    InTransaction([&] {
      auto bp = JoinedPartner();
      EXPECT_EQ(Failure([&] { bp->InsertFromScript("address", names, values); }).substr(0, 3), "5B ");
      EXPECT_TRUE(Doomed());
    });
    InTransaction([&] {
      auto bp = JoinedPartner();
      EXPECT_EQ(Outcome(bp->DeleteFromScript("address", names, values)), "(nothing)");
      EXPECT_EQ(Outcome(bp.Rules().BusinessRules_GetInstance(DataObject("BPDataObject", {}))), "(nothing)");
      EXPECT_FALSE(Doomed());
    });
    InTransaction([&] {
      rt::Variant noName = Array({"BUSINESSID"}), id = Array({"BID-NONAME"});
      EXPECT_EQ(Outcome(JoinedPartner()->InsertFromScript("BUSINESSPARTNER", noName, id)), "failed SLBCO2014");
      EXPECT_TRUE(Doomed());
    });
    // A delete picks only its key column: the short description is ignored.
    InTransaction([&] {
      EXPECT_EQ(Outcome(JoinedPartner()->DeleteFromScript("ADDRESS", names, values)), "ok");
      EXPECT_FALSE(Doomed());
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE ADDRESSID = 6"), "0");
  });
}

// How the user maintenance creates a bidding supplier: a new address, a new
// partner and the link between them in its own transaction, with the new
// ids read from the answers.
TEST_F(PartnerScript, AddressPartnerAndLinkCommitOrVanishTogether) {
  auto createSupplier = [&](bool abortAtTheEnd) {
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::Variant names = Array({"SHORTDESCRIPTION", "COUNTRYCODE"}), values = Array({"Bidder site", "DE"});
      rt::ObjectPtr address = bp->InsertFromScript("ADDRESS", names, values);
      names = Array({"NAME", "BUSINESSID", "CURRENCYCODE"});
      values = Array({"Bidder GmbH", "BID-BIDDER", "GBP"});
      rt::ObjectPtr partner = bp->InsertFromScript("BUSINESSPARTNER", names, values);
      ASSERT_EQ(Golden().Add("address", Outcome(address)).Add("partner", Outcome(partner)).Lines(),
                "address: ok ADDRESSID=Long:6\npartner: ok BUSINESSPARTNERID=Long:6\n");
      int32_t addressId = rt::CLng(RecordValue(address, "ADDRESSID"));
      EXPECT_TRUE(bp->AddExistingAddress(addressId, RecordValue(partner, "BUSINESSPARTNERID")));
      if (abortAtTheEnd) rt::GetObjectContext()->SetAbort();
    });
  };
  auto counts = [&] {
    return Golden()
        .Add("addresses", Scalar("SELECT COUNT(*) FROM ADDRESS"))
        .Add("partners", Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER"))
        .Add("links",
             Scalar("SELECT group_concat(BUSINESSPARTNERID || ':' || ADDRESSID, ' ') FROM BUSINESSPARTNERADDRESS"))
        .Line();
  };
  Run([&] {
    createSupplier(true);
    EXPECT_EQ(counts(), "addresses=5 partners=5 links=1:1 1:2 2:3 3:4 4:5");
    createSupplier(false);
    EXPECT_EQ(counts(), "addresses=6 partners=6 links=1:1 1:2 2:3 3:4 4:5 6:6");
  });
}

// A partner write that fails after the address was written in the same
// transaction takes the address back with it.
TEST_F(PartnerScript, AFailedPartnerInsertTakesTheEarlierAddressBack) {
  Exec("CREATE TRIGGER NO_NEW_PARTNER BEFORE INSERT ON BUSINESSPARTNER BEGIN SELECT RAISE(ABORT, 'refused'); END;");
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::Variant names = Array({"SHORTDESCRIPTION"}), values = Array({"Orphan site"});
      EXPECT_EQ(Outcome(bp->InsertFromScript("ADDRESS", names, values)), "ok ADDRESSID=Long:6");
      names = Array({"NAME"});
      values = Array({"Refused"});
      EXPECT_EQ(Failure([&] { bp->InsertFromScript("BUSINESSPARTNER", names, values); }).substr(0, 178),
                "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.BusinessPartner.InsertFromScript| DESC: |ERROR "
                "0x80040E2F| METHOD: Brintor.BusinessPartner.BusinessRules_Insert| DESC: refused");
      EXPECT_TRUE(Doomed());
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS"), "5");
  });
}

}  // namespace
