// The partner's business rules for inserts and updates: codes in step order,
// uniqueness tests, the module switch, currency check, data object and votes.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using PartnerRules = PartnerMaintenanceTest;

constexpr const char* kPartner = "BPDataObject";
constexpr const char* kAddress = "AddressDataObject";
constexpr const char* kCustomer = "CustomerDataObject";

rt::Variant Int(int16_t v) { return rt::Variant(v); }
rt::Variant Long(int32_t v) { return rt::Variant(v); }

TEST_F(PartnerRules, APartnerInsertReportsEveryFailingCheckInStepOrderAndWritesNothing) {
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      auto bdo = DataObject(kPartner, {{"NAME", "   "},
                       {"BUSINESSID", "bid-s100  "},
                       {"DUNSNUMBER", "123456789"},
                       {"PRICINGMETHOD", Long(1)},
                       {"CURRENCYCODE", "XXX"}});
      EXPECT_EQ(Outcome(bp.Rules().BusinessRules_Insert(bdo)),
                "failed SLBBR9000:PRICINGMETHOD SLBCO2014 SLBBR0023 SLBBR0027 SLBBR0026");
      EXPECT_TRUE(Doomed());
      // The kind goes; the rest stays as given.
      EXPECT_EQ(Render(bdo),
                "NAME=String:   ; BUSINESSID=String:bid-s100  ; DUNSNUMBER=String:123456789; "
                "PRICINGMETHOD=Long:1; CURRENCYCODE=String:XXX");
    });
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER"), "5");
  });
}

TEST_F(PartnerRules, APartnerInsertNeedsACurrencyWithARateNowAndAnswersTheNewId) {
  Exec(
      "INSERT INTO CURRENCY VALUES ('OLD', 'Withdrawn', 0, 0, 0, 2, NULL);"
      "INSERT INTO CURRENCYRATE VALUES ('OLD', '2026-01-01 00:00:00', '2026-02-01 00:00:00', 2, 2, 1);");
  Run([&] {
    EXPECT_EQ(Insert(NewPartner(), kPartner, {{"NAME", "Expired"}, {"CURRENCYCODE", "OLD"}}), "failed SLBBR0026");
    InTransaction([&] {
      auto bdo = DataObject(kPartner, {{"NAME", "Nettlefield"},
                       {"PRICINGMETHOD", rt::Variant::Null()},
                       {"CURRENCYCODE", "gbp"},
                       {"ISONETIMEBP", true},
                       {"COMPANYNUMBER", Long(42)}});
      EXPECT_EQ(Outcome(JoinedPartner().Rules().BusinessRules_Insert(bdo)), "ok BUSINESSPARTNERID=Long:6");
      EXPECT_FALSE(Doomed());
      EXPECT_FALSE(bdo->Exists(rt::Variant("PRICINGMETHOD")));  // Null leaves the column to its default
    });
    EXPECT_EQ(Scalar("SELECT NAME || '|' || CURRENCYCODE || '|' || quote(PRICINGMETHOD) || '|' || ISONETIMEBP || '|' "
                     "|| COMPANYNUMBER FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 6"),
              "Nettlefield|gbp|NULL|1|42");
  });
}

// The module flag is read from the configuration at each call; the pricing
// method is compared as text.
TEST_F(PartnerRules, PricingMethodTwoNeedsACustomerCodeOnlyWhileQuilletIsInstalled) {
  auto setQuillet = [&](const char* value) {
    std::ifstream in(sandbox_.ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc)
        << std::regex_replace(text.str(), std::regex("Quillet=\\w+"), std::string("Quillet=") + value);
  };
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Insert(bp, kPartner, {{"NAME", "Q"}, {"PRICINGMETHOD", Int(2)}}), "ok BUSINESSPARTNERID=Long:6");
    setQuillet("Yes");
    EXPECT_EQ(Insert(bp, kPartner, {{"NAME", "Q"}, {"PRICINGMETHOD", Int(2)}}), "failed SLBBR0022");
    EXPECT_EQ(Insert(bp, kPartner, {{"NAME", "Q"}, {"PRICINGMETHOD", Long(2)}}),
              "failed SLBBR9000:PRICINGMETHOD SLBBR0022");
    // "" is no Integer: the type check fails before the empty method is dropped.
    EXPECT_EQ(Insert(bp, kPartner, {{"NAME", "Q"}, {"PRICINGMETHOD", ""}}), "failed SLBBR9000:PRICINGMETHOD");
    EXPECT_EQ(
        Insert(
            bp, kPartner,
            {{"NAME", "Q"}, {"PRICINGMETHOD", Int(2)}, {"BISCUSTOMERCODE", " "}, {"BISCREDITCARDCUSTOMERCODE", "C"}}),
        "ok BUSINESSPARTNERID=Long:7");
    setQuillet("No");
    EXPECT_EQ(Insert(bp, kPartner, {{"NAME", "Q"}, {"PRICINGMETHOD", Int(2)}}), "ok BUSINESSPARTNERID=Long:8");
  });
}

TEST_F(PartnerRules, APartnerUpdateSkipsItsOwnRowInTheUniquenessTests) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Update(bp, kPartner,
                     {{"BUSINESSPARTNERID", Long(1)},
                      {"NAME", "Office"},
                      {"BUSINESSID", "bid-s100 "},
                      {"DUNSNUMBER", "123456789"}}),
              "ok");
    EXPECT_EQ(
        Update(
            bp, kPartner,
            {{"BUSINESSPARTNERID", Long(1)}, {"NAME", "X"}, {"BUSINESSID", "BID-S200"}, {"DUNSNUMBER", "987654321"}}),
        "failed SLBBR0023 SLBBR0027");
    EXPECT_EQ(Update(bp, kPartner, {{"BUSINESSID", "BID-NEW"}}), "failed SLBBR0011 SLBCO2014");
    EXPECT_EQ(Scalar("SELECT NAME || '|' || BUSINESSID FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 1"),
              "Office|bid-s100 ");
    // An id that is no number fails the uniqueness query through the handler.
    EXPECT_EQ(Failure([&] { Update(bp, kPartner, {{"BUSINESSPARTNERID", "one"}, {"NAME", "X"}, {"BUSINESSID", "B"}}); }),
              "D Brintor: |ERROR 0xD| METHOD: Brintor.BusinessPartner.BusinessRules_Update| DESC: Type mismatch.|");
  });
}

TEST_F(PartnerRules, AddressChecksTellAbsentFromEmptyAndFindDuplicateDescriptions) {
  Run([&] {
    auto bp = NewPartner();
    Golden out;
    out.Add("insert, all empty",
            Insert(bp, kAddress, {{"SHORTDESCRIPTION", ""}, {"COUNTRYCODE", ""}, {"PHONE", ""}, {"FAX", ""}}));
    out.Add("insert, taken description", Insert(bp, kAddress, {{"SHORTDESCRIPTION", "office supplies - WAREHOUSE  "},
                                                                {"PHONE", "1-a"}, {"FAX", "7"}}));
    out.Add("insert, wrong types", Insert(bp, kAddress, {{"ADDRESSID", "7"}, {"NAME1", Long(3)}}));
    out.Add("insert, new site", Insert(bp, kAddress, {{"SHORTDESCRIPTION", "New site"}, {"PHONE", "1-2"}}));
    out.Add("update 2, own description",
            Update(bp, kAddress, {{"ADDRESSID", Long(2)}, {"SHORTDESCRIPTION", "Office Supplies - Warehouse"}}));
    out.Add("update 2, taken description",
            Update(bp, kAddress, {{"ADDRESSID", Long(2)}, {"SHORTDESCRIPTION", "new SITE"}, {"COUNTRYCODE", ""}}));
    out.Add("update, no id", Update(bp, kAddress, {{"SHORTDESCRIPTION", ""}}));
    out.Add("description of 2", Scalar("SELECT SHORTDESCRIPTION FROM ADDRESS WHERE ADDRESSID = 2"));
    EXPECT_EQ(out.Lines(),
              "insert, all empty: failed SLBBR0004 SLBBR0005 SLBBR0020\n"
              "insert, taken description: failed SLBBR0020 SLBBR0021 SLBBR0025\n"
              "insert, wrong types: failed SLBBR9000:ADDRESSID SLBBR9000:NAME1\n"
              "insert, new site: ok ADDRESSID=Long:6\n"
              "update 2, own description: ok\n"
              "update 2, taken description: failed SLBBR0015 SLBBR0025\n"
              "update, no id: failed SLBBR0013 SLBBR0014\n"
              "description of 2: Office Supplies - Warehouse\n");
  });
}

TEST_F(PartnerRules, ACustomerRowIsCheckedForExistenceOnlyWhenEverythingElsePassed) {
  Run([&] {
    auto bp = NewPartner();
    Golden out;
    out.Add("insert 3, exists", Insert(bp, kCustomer, {{"BUSINESSPARTNERID", Long(3)}, {"CUSTOMERNAME", "Zuid"}}));
    out.Add(
        "insert 3, blank name and discount",
        Insert(bp, kCustomer, {{"BUSINESSPARTNERID", Long(3)}, {"CUSTOMERNAME", " "}, {"ORDERDISCOUNTPERC", 100.5}}));
    out.Add("insert 1, Long discount",
            Insert(bp, kCustomer, {{"BUSINESSPARTNERID", Long(1)}, {"ORDERDISCOUNTPERC", Long(5)}}));
    out.Add("insert 1", Insert(bp, kCustomer, {{"BUSINESSPARTNERID", Long(1)}, {"CUSTOMERNAME", "Office"}}));
    out.Add("update, no id", Update(bp, kCustomer, {{"CUSTOMERNAME", "Nobody"}}));  // no key: no row changes
    out.Add("update 3", Update(bp, kCustomer, {{"BUSINESSPARTNERID", Long(3)}, {"ORDERDISCOUNTPERC", 7.5}}));
    out.Add("insert office", Insert(bp, "OfficeDataObject", {{"NAME", ""}}));
    out.Add("customers", Scalar("SELECT group_concat(BUSINESSPARTNERID || ':' || CUSTOMERNAME || ':' || "
                                "quote(ORDERDISCOUNTPERC), ' ') FROM CUSTOMER"));
    EXPECT_EQ(out.Lines(),
              "insert 3, exists: failed SLBBR0010\n"
              "insert 3, blank name and discount: failed SLBBR0008 SLBBR0009\n"
              "insert 1, Long discount: failed SLBBR9000:ORDERDISCOUNTPERC\n"
              "insert 1: ok\nupdate, no id: ok\nupdate 3: ok\ninsert office: ok\n"
              "customers: 3:Groothandel Zuid:7.5 4:Riverside Hospital:0.0 1:Office:NULL\n");
    // Without the partner id the existence test has no number to ask with.
    EXPECT_EQ(Failure([&] { Insert(bp, kCustomer, {{"CUSTOMERNAME", "Nobody"}}); }),
              "D Brintor: |ERROR 0xD| METHOD: Brintor.BusinessPartner.BusinessRules_Insert| DESC: |ERROR 0xD| METHOD: "
              "Brintor.BusinessPartner.IReferentialIntegrity_Exists()| DESC: Type mismatch.|.|");
  });
}

}  // namespace
