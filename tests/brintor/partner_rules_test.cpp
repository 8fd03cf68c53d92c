// Tests of the partner's business rules for inserts and updates: the codes
// of each kind in step order, several at once, the uniqueness tests (letter
// case and trailing blanks ignored, the updated row left out), the module
// switch and currency check, the data object afterwards, and the votes.
#include "tests/brintor/partner_maintenance_fixture.h"

namespace {

using PartnerRules = PartnerMaintenanceTest;

rt::Variant Int(int16_t v) { return rt::Variant(v); }
rt::Variant Long(int32_t v) { return rt::Variant(v); }

TEST_F(PartnerRules, APartnerInsertReportsEveryFailingCheckInStepOrderAndWritesNothing) {
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      auto bdo = Dict({{"METAObjectID", "BPDataObject"},
                       {"NAME", "   "},
                       {"BUSINESSID", "bid-s100  "},
                       {"DUNSNUMBER", "123456789"},
                       {"PRICINGMETHOD", Long(1)},
                       {"CURRENCYCODE", "XXX"}});
      EXPECT_EQ(Outcome(Rules(bp).BusinessRules_Insert(bdo)),
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

TEST_F(PartnerRules, APartnerInsertWritesTheRowAndAnswersItsId) {
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      auto bdo = Dict({{"METAObjectID", "BPDataObject"},
                       {"NAME", "Northwind"},
                       {"BUSINESSID", "BID-N1"},
                       {"PRICINGMETHOD", rt::Variant::Null()},
                       {"CURRENCYCODE", "GBP"},
                       {"ISONETIMEBP", true},
                       {"COMPANYNUMBER", Long(42)}});
      EXPECT_EQ(Outcome(Rules(bp).BusinessRules_Insert(bdo)), "ok BUSINESSPARTNERID=Long:6");
      EXPECT_FALSE(Doomed());
      EXPECT_FALSE(bdo->Exists(rt::Variant("PRICINGMETHOD")));  // Null leaves the column to its default
    });
    EXPECT_EQ(Scalar("SELECT NAME || '|' || BUSINESSID || '|' || CURRENCYCODE || '|' || quote(PRICINGMETHOD) || '|' "
                     "|| ISONETIMEBP || '|' || COMPANYNUMBER FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 6"),
              "Northwind|BID-N1|GBP|NULL|1|42");
  });
}

// "" is no Integer: the type check fails first, and the key goes all the same.
TEST_F(PartnerRules, AnEmptyTextPricingMethodFailsTheTypeCheck) {
  Run([&] {
    auto bp = NewPartner();
    auto bdo = Dict({{"METAObjectID", "BPDataObject"}, {"NAME", "X"}, {"PRICINGMETHOD", ""}});
    EXPECT_EQ(Outcome(Rules(bp).BusinessRules_Insert(bdo)), "failed SLBBR9000:PRICINGMETHOD");
    EXPECT_EQ(Render(bdo), "NAME=String:X");
  });
}

TEST_F(PartnerRules, TheCurrencyMustHaveAValidRateNow) {
  Exec(
      "INSERT INTO CURRENCY VALUES ('OLD', 'Withdrawn', 0, 0, 0, 2, NULL);"
      "INSERT INTO CURRENCYRATE VALUES ('OLD', '2026-01-01 00:00:00', '2026-02-01 00:00:00', 2, 2, 1);");
  Run([&] {
    auto bp = NewPartner();
    std::string outcomes;
    for (const char* code : {"GBP", "XXX", "OLD"}) {
      auto bdo = Dict(
          {{"METAObjectID", "BPDataObject"}, {"NAME", rt::Variant(std::string("P ") + code)}, {"CURRENCYCODE", code}});
      outcomes += Outcome(Rules(bp).BusinessRules_Insert(bdo)) + "\n";
    }
    EXPECT_EQ(outcomes, "ok BUSINESSPARTNERID=Long:6\nfailed SLBBR0026\nfailed SLBBR0026\n");
  });
}

// The module flag is read from the configuration at each call.
TEST_F(PartnerRules, PricingMethodTwoNeedsACustomerCodeOnlyWhileQuilletIsInstalled) {
  auto setQuillet = [&](const char* value) {
    std::ifstream in(sandbox_.ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::string config = std::regex_replace(text.str(), std::regex("Quillet=\\w+"), std::string("Quillet=") + value);
    std::ofstream(sandbox_.ConfigPath(), std::ios::trunc) << config;
  };
  Run([&] {
    auto bp = NewPartner();
    auto insert = [&](std::initializer_list<std::pair<const char*, rt::Variant>> extra) {
      auto bdo = Dict({{"METAObjectID", "BPDataObject"}, {"NAME", "Quill"}});
      for (const auto& [key, value] : extra) bdo->Add(rt::Variant(key), value);
      return Outcome(Rules(bp).BusinessRules_Insert(bdo));
    };
    EXPECT_EQ(insert({{"PRICINGMETHOD", Int(2)}}), "ok BUSINESSPARTNERID=Long:6");
    setQuillet("Yes");
    EXPECT_EQ(insert({{"PRICINGMETHOD", Int(2)}}), "failed SLBBR0022");
    EXPECT_EQ(insert({{"PRICINGMETHOD", Long(2)}}), "failed SLBBR9000:PRICINGMETHOD SLBBR0022");
    EXPECT_EQ(insert({{"PRICINGMETHOD", Int(2)}, {"BISCUSTOMERCODE", " "}, {"BISCREDITCARDCUSTOMERCODE", "CC9"}}),
              "ok BUSINESSPARTNERID=Long:7");
    EXPECT_EQ(insert({{"PRICINGMETHOD", Int(1)}}), "ok BUSINESSPARTNERID=Long:8");
    setQuillet("No");
    EXPECT_EQ(insert({{"PRICINGMETHOD", Int(2)}}), "ok BUSINESSPARTNERID=Long:9");
  });
}

TEST_F(PartnerRules, APartnerUpdateSkipsItsOwnRowInTheUniquenessTests) {
  Run([&] {
    auto bp = NewPartner();
    auto update = [&](std::initializer_list<std::pair<const char*, rt::Variant>> entries) {
      auto bdo = Dict({{"METAObjectID", "BPDataObject"}});
      for (const auto& [key, value] : entries) bdo->Add(rt::Variant(key), value);
      return Outcome(Rules(bp).BusinessRules_Update(bdo));
    };
    EXPECT_EQ(update({{"BUSINESSPARTNERID", Long(1)},
                      {"NAME", "Office"},
                      {"BUSINESSID", "bid-s100 "},
                      {"DUNSNUMBER", "123456789"}}),
              "ok");
    EXPECT_EQ(update({{"BUSINESSPARTNERID", Long(1)},
                      {"NAME", "Office"},
                      {"BUSINESSID", "BID-S200"},
                      {"DUNSNUMBER", "987654321"}}),
              "failed SLBBR0023 SLBBR0027");
    EXPECT_EQ(update({{"BUSINESSID", "BID-NEW"}}), "failed SLBBR0011 SLBCO2014");
    EXPECT_EQ(Scalar("SELECT NAME || '|' || BUSINESSID FROM BUSINESSPARTNER WHERE BUSINESSPARTNERID = 1"),
              "Office|bid-s100 ");
    // An id that is no number fails the uniqueness query through the handler.
    rt::ComError e = RaisedBy([&] { update({{"BUSINESSPARTNERID", "one"}, {"NAME", "X"}, {"BUSINESSID", "B"}}); });
    EXPECT_EQ(e.number(), rt::vberr::kTypeMismatch);
    EXPECT_EQ(e.description(), Block("D", "Brintor.BusinessPartner.BusinessRules_Update", "Type mismatch"));
  });
}

TEST_F(PartnerRules, AddressChecksTellAbsentFromEmptyAndFindDuplicateDescriptions) {
  Run([&] {
    auto bp = NewPartner();
    auto run = [&](bool update, std::initializer_list<std::pair<const char*, rt::Variant>> entries) {
      auto bdo = Dict({{"METAObjectID", "AddressDataObject"}});
      for (const auto& [key, value] : entries) bdo->Add(rt::Variant(key), value);
      return Outcome(update ? Rules(bp).BusinessRules_Update(bdo) : Rules(bp).BusinessRules_Insert(bdo));
    };
    EXPECT_EQ(run(false, {{"SHORTDESCRIPTION", ""}, {"COUNTRYCODE", ""}, {"PHONE", ""}, {"FAX", ""}}),
              "failed SLBBR0004 SLBBR0005 SLBBR0020");
    EXPECT_EQ(run(false, {{"SHORTDESCRIPTION", "office supplies - WAREHOUSE  "}, {"PHONE", "1-a"}, {"FAX", "7"}}),
              "failed SLBBR0020 SLBBR0021 SLBBR0025");
    EXPECT_EQ(run(false, {{"ADDRESSID", "7"}, {"NAME1", Long(3)}}), "failed SLBBR9000:ADDRESSID SLBBR9000:NAME1");
    EXPECT_EQ(run(false, {{"SHORTDESCRIPTION", "New site"}, {"COUNTRYCODE", "NL"}, {"PHONE", "1-2"}}),
              "ok ADDRESSID=Long:6");
    EXPECT_EQ(run(true, {{"ADDRESSID", Long(2)}, {"SHORTDESCRIPTION", "Office Supplies - Warehouse"}}), "ok");
    EXPECT_EQ(run(true, {{"ADDRESSID", Long(2)}, {"SHORTDESCRIPTION", "new SITE"}, {"COUNTRYCODE", ""}}),
              "failed SLBBR0015 SLBBR0025");
    EXPECT_EQ(run(true, {{"SHORTDESCRIPTION", ""}}), "failed SLBBR0013 SLBBR0014");
    EXPECT_EQ(Scalar("SELECT SHORTDESCRIPTION FROM ADDRESS WHERE ADDRESSID = 2"), "Office Supplies - Warehouse");
  });
}

TEST_F(PartnerRules, ACustomerRowIsCheckedForExistenceOnlyWhenEverythingElsePassed) {
  Run([&] {
    auto bp = NewPartner();
    auto run = [&](bool update, std::initializer_list<std::pair<const char*, rt::Variant>> entries) {
      auto bdo = Dict({{"METAObjectID", "CustomerDataObject"}});
      for (const auto& [key, value] : entries) bdo->Add(rt::Variant(key), value);
      return Outcome(update ? Rules(bp).BusinessRules_Update(bdo) : Rules(bp).BusinessRules_Insert(bdo));
    };
    EXPECT_EQ(run(false, {{"BUSINESSPARTNERID", Long(3)}, {"CUSTOMERNAME", "Zuid"}}), "failed SLBBR0010");
    EXPECT_EQ(run(false, {{"BUSINESSPARTNERID", Long(3)}, {"CUSTOMERNAME", " "}, {"ORDERDISCOUNTPERC", 100.5}}),
              "failed SLBBR0008 SLBBR0009");
    EXPECT_EQ(run(false, {{"BUSINESSPARTNERID", Long(1)}, {"ORDERDISCOUNTPERC", Long(5)}}),
              "failed SLBBR9000:ORDERDISCOUNTPERC");
    EXPECT_EQ(run(false, {{"BUSINESSPARTNERID", Long(1)}, {"CUSTOMERNAME", "Office"}, {"ORDERDISCOUNTPERC", 5.0}}),
              "ok");
    EXPECT_EQ(run(true, {{"CUSTOMERNAME", "Nobody"}}), "ok");  // no key: no row changes
    EXPECT_EQ(run(true, {{"BUSINESSPARTNERID", Long(3)}, {"ORDERDISCOUNTPERC", 7.5}}), "ok");
    EXPECT_EQ(Scalar("SELECT group_concat(BUSINESSPARTNERID || ':' || CUSTOMERNAME || ':' || ORDERDISCOUNTPERC, ' ') "
                     "FROM CUSTOMER"),
              "3:Groothandel Zuid:7.5 4:Riverside Hospital:0.0 1:Office:5.0");
    // Without the partner id the existence test has no number to ask with.
    rt::ComError e = RaisedBy([&] { run(false, {{"CUSTOMERNAME", "Nobody"}}); });
    EXPECT_EQ(e.number(), rt::vberr::kTypeMismatch);
    EXPECT_EQ(e.description(),
              Block("D", "Brintor.BusinessPartner.BusinessRules_Insert",
                    Block("D", "Brintor.BusinessPartner.IReferentialIntegrity_Exists()", "Type mismatch")));
  });
}

TEST_F(PartnerRules, AnUnknownKindAnswersAnEmptySuccessAndCommits) {
  Run([&] {
    InTransaction([&] {
      auto bp = JoinedPartner();
      auto bdo = Dict({{"METAObjectID", "OfficeDataObject"}, {"NAME", ""}});
      EXPECT_EQ(Outcome(Rules(bp).BusinessRules_Insert(bdo)), "ok");
      EXPECT_EQ(Outcome(Rules(bp).BusinessRules_Update(bdo)), "ok");
      EXPECT_FALSE(Doomed());
    });
  });
}

// A write that the database refuses fails through the handler and leaves
// the table as it was.
TEST_F(PartnerRules, ARefusedWriteFailsAndWritesNothing) {
  Exec(
      "CREATE TRIGGER NO_NEW_PARTNER BEFORE INSERT ON BUSINESSPARTNER BEGIN SELECT RAISE(ABORT, 'no new partners'); "
      "END;");
  Run([&] {
    auto bp = NewPartner();
    auto bdo = Dict({{"METAObjectID", "BPDataObject"}, {"NAME", "Refused"}});
    rt::ComError e = RaisedBy([&] { Rules(bp).BusinessRules_Insert(bdo); });
    EXPECT_NE(e.description().find(" METHOD: Brintor.BusinessPartner.BusinessRules_Insert\r\n DESC: no new partners"),
              std::string::npos)
        << e.description();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNER"), "5");
  });
}

}  // namespace
