// Tests of the script-driven maintenance: how the name and value arrays
// become a data object (letter case, duplicates, extra names, short and
// missing arrays), the script table names, the last vote, and the sequence
// in which the user maintenance creates a bidding supplier: address,
// partner and link in one transaction.
#include "tests/brintor/partner_maintenance_fixture.h"

namespace {

using PartnerScript = PartnerMaintenanceTest;

TEST_F(PartnerScript, NamesArePickedInAnyLetterCaseFirstIndexFirstAndOthersIgnored) {
  Run([&] {
    auto bp = NewPartner();
    rt::Variant names = Array({"name", "NAME", "AddressID", "FOO", "businessid", "companynumber"});
    rt::Variant values = Array({"First", "Second", int32_t{7}, "x", "BID-X", "C-1"});
    EXPECT_EQ(Outcome(bp->InsertFromScript("BUSINESSPARTNER", names, values)), "ok BUSINESSPARTNERID=Long:6");
    EXPECT_EQ(Scalar("SELECT NAME || '|' || BUSINESSID || '|' || COMPANYNUMBER || '|' || quote(POSTALADDRESSID) "
                     "FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 6"),
              "First|BID-X|C-1|NULL");
    // Values are taken as they are: the type check is strict.
    names = Array({"NAME", "PRICINGMETHOD"});
    values = Array({"Typed", int32_t{1}});
    EXPECT_EQ(Outcome(bp->InsertFromScript("BUSINESSPARTNER", names, values)), "failed SLBBR9000:PRICINGMETHOD");
    names = Array({"SHORTDESCRIPTION", "countrycode", "Phone"});
    values = Array({"Depot", "NL", "12"});
    EXPECT_EQ(Outcome(bp->InsertFromScript("ADDRESS", names, values)), "ok ADDRESSID=Long:6");
    names = Array({"BUSINESSPARTNERID", "CUSTOMERNAME", "ORDERDISCOUNTPERC"});
    values = Array({int32_t{6}, "First", 2.5});
    EXPECT_EQ(Outcome(bp->InsertFromScript("CUSTOMER", names, values)), "ok");
    names = Array({"ADDRESSID", "CITY1"});
    values = Array({int32_t{6}, "Breda"});
    EXPECT_EQ(Outcome(bp->UpdateFromScript("ADDRESS", names, values)), "ok");
    EXPECT_EQ(Scalar("SELECT SHORTDESCRIPTION || '|' || CITY1 FROM ADDRESS WHERE ADDRESSID = 6"), "Depot|Breda");
  });
}

TEST_F(PartnerScript, ArraysThatDoNotPairFailThroughTheHandler) {
  Run([&] {
    auto bp = NewPartner();
    rt::Variant names = Array({"NAME", "BUSINESSID"});
    rt::Variant shortValues = Array({"Only a name"});
    rt::ComError e = RaisedBy([&] { bp->InsertFromScript("BUSINESSPARTNER", names, shortValues); });
    EXPECT_EQ(e.number(), rt::vberr::kSubscriptOutOfRange);
    EXPECT_EQ(e.source(), "Brintor");
    EXPECT_EQ(e.description(), Block("9", "Brintor.BusinessPartner.InsertFromScript", "Subscript out of range"));
    rt::Variant notAnArray("NAME");
    e = RaisedBy([&] { bp->UpdateFromScript("ADDRESS", notAnArray, shortValues); });
    EXPECT_EQ(e.number(), rt::vberr::kTypeMismatch);
    EXPECT_EQ(e.description(), Block("D", "Brintor.BusinessPartner.UpdateFromScript", "Type mismatch"));
    // A name that no picked column matches is never looked up in the values.
    names = Array({"BUSINESSID", "FOO"});
    EXPECT_EQ(Outcome(bp->InsertFromScript("BUSINESSPARTNER", names, shortValues)), "failed SLBCO2014");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER"), "5");
  });
}

// Table names are compared exactly: an unknown one leaves an insert or an
// update without an answer to ask (91), and a delete with nothing to do.
TEST_F(PartnerScript, TheTableNameDecidesTheKindAndTheLastVote) {
  Run([&] {
    rt::Variant names = Array({"ADDRESSID", "SHORTDESCRIPTION"});
    rt::Variant values = Array({int32_t{1}, "x"});
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::ComError e = RaisedBy([&] { bp->InsertFromScript("address", names, values); });
      EXPECT_EQ(e.number(), rt::vberr::kObjectNotSet);
      EXPECT_EQ(e.description(), Block("5B", "Brintor.BusinessPartner.InsertFromScript",
                                       "Object variable or With block variable not set"));
      EXPECT_TRUE(Doomed());
    });
    InTransaction([&] {
      auto bp = JoinedPartner();
      EXPECT_EQ(Outcome(bp->DeleteFromScript("address", names, values)), "(nothing)");
      EXPECT_FALSE(Doomed());
    });
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::Variant noName = Array({"BUSINESSID"}), id = Array({"BID-NONAME"});
      EXPECT_EQ(Outcome(bp->InsertFromScript("BUSINESSPARTNER", noName, id)), "failed SLBCO2014");
      EXPECT_TRUE(Doomed());
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE ADDRESSID = 1"), "1");
    // A delete picks only its key column: the short description is ignored.
    InTransaction([&] {
      auto bp = JoinedPartner();
      EXPECT_EQ(Outcome(bp->DeleteFromScript("ADDRESS", names, values)), "ok");
      EXPECT_FALSE(Doomed());
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS WHERE ADDRESSID = 1"), "0");
    InTransaction([&] {
      auto bp = JoinedPartner();
      EXPECT_EQ(Outcome(Rules(bp).BusinessRules_GetInstance(Dict({{"METAObjectID", "BPDataObject"}}))), "(nothing)");
      EXPECT_FALSE(Doomed());
    });
  });
}

// How the user maintenance creates a bidding supplier: a new address, a new
// partner and the link between them, all in its own transaction, with the
// new ids read from the answers.
TEST_F(PartnerScript, AddressPartnerAndLinkCommitOrVanishTogether) {
  auto createSupplier = [&](bool abortAtTheEnd) {
    InTransaction([&] {
      auto bp = JoinedPartner();
      rt::Variant names = Array({"SHORTDESCRIPTION", "COUNTRYCODE", "NAME1"});
      rt::Variant values = Array({"Bidder site", "DE", "Bidder GmbH"});
      rt::ObjectPtr address = bp->InsertFromScript("ADDRESS", names, values);
      names = Array({"NAME", "BUSINESSID", "CURRENCYCODE", "ISONETIMEBP"});
      values = Array({"Bidder GmbH", "BID-BIDDER", "GBP", true});
      rt::ObjectPtr partner = bp->InsertFromScript("BUSINESSPARTNER", names, values);
      ASSERT_EQ(Outcome(address) + " / " + Outcome(partner), "ok ADDRESSID=Long:6 / ok BUSINESSPARTNERID=Long:6");
      int32_t addressId = rt::CLng(RecordValue(address, "ADDRESSID"));
      EXPECT_TRUE(bp->AddExistingAddress(addressId, RecordValue(partner, "BUSINESSPARTNERID")));
      EXPECT_FALSE(Doomed());
      if (abortAtTheEnd) rt::GetObjectContext()->SetAbort();
    });
  };
  Run([&] {
    createSupplier(true);
    EXPECT_EQ(Scalar("SELECT (SELECT COUNT(*) FROM ADDRESS) || '|' || (SELECT COUNT(*) FROM BUSINESSPARTNER) || '|' "
                     "|| (SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS)"),
              "5|5|5");
    createSupplier(false);
    EXPECT_EQ(Scalar("SELECT BUSINESSPARTNERID || ':' || ADDRESSID FROM BUSINESSPARTNERADDRESS "
                     "WHERE BUSINESSPARTNERID > 5"),
              "6:6");
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
      rt::ComError e = RaisedBy([&] { bp->InsertFromScript("BUSINESSPARTNER", names, values); });
      EXPECT_EQ(e.description().rfind("\r\nERROR 0x80040E2F\r\n METHOD: Brintor.BusinessPartner.InsertFromScript\r\n"
                                      " DESC: \r\nERROR 0x80040E2F\r\n METHOD: Brintor.BusinessPartner."
                                      "BusinessRules_Insert\r\n",
                                      0),
                0u)
          << e.description();
      EXPECT_TRUE(Doomed());
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ADDRESS"), "5");
  });
}

}  // namespace
