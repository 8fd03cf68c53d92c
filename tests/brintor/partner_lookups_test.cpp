// Tests of the lookups: by code range, name range and part of a name (with
// quotes and LIKE's special characters taken literally, letter case
// ignored), by business id as the catalog library calls it, by code and DUNS
// number with their failures, countries, carriers and the id lists joined
// into SQL.
#include <functional>

#include "tests/brintor/brintor_fixture.h"

namespace {

using PartnerLookups = PartnerTest;
using NameLookups = EmptyPartnerTest;

// Partners whose names and codes hold the characters that SQL and LIKE treat specially.
const char* const kAwkwardPartners =
    "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BISSUPPLIERCODE, BUSINESSID) VALUES "
    "(1, 'O''Brien & Sons', 'K''1', 'B''1'),"
    "(2, '100% Natural', 'K2', 'B2'),"
    "(3, '100 Natural', 'K3', 'B3'),"
    "(4, 'Under_score Ltd', 'K4', 'B4'),"
    "(5, 'UnderXscore Ltd', 'K5', 'B5'),"
    "(6, '[Bracket] Inc', 'K6', 'B6'),"
    "(7, 'B Inc', '', 'B7'),"
    "(8, 'plain partner', NULL, 'B8');"
    "INSERT INTO CUSTOMER VALUES (1, 'O''Brien customer', 0, NULL), (2, '50% Off', 0, NULL), "
    "(3, '50 Off', 0, NULL), (6, '[X] Customer', 0, NULL);";

TEST_F(NameLookups, PartOfANameMatchesQuotesAndWildcardsLiterallyIgnoringCase) {
  Exec(kAwkwardPartners);
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Rows(bp->GetBusinessPartnersByPartOfName("o'brien")), "1|O'Brien & Sons\n");
    EXPECT_EQ(Rows(bp->GetBusinessPartnersByPartOfName("0%")), "2|100% Natural\n");
    EXPECT_EQ(Rows(bp->GetBusinessPartnersByPartOfName("R_S")), "4|Under_score Ltd\n");
    EXPECT_EQ(Rows(bp->GetBusinessPartnersByPartOfName("[bracket]")), "6|[Bracket] Inc\n");
    EXPECT_EQ(Rows(bp->GetBusinessPartnersByPartOfName("' OR '1'='1")), "");
    // Suppliers only: partner 7's empty code and partner 8's null code are no suppliers.
    EXPECT_EQ(Rows(bp->GetSuppliersByPartOfName(" INC")), "6|[Bracket] Inc\n");
    EXPECT_EQ(Rows(bp->GetSuppliersByPartOfName("_")), "4|Under_score Ltd\n");
    EXPECT_EQ(Rows(bp->GetCustomersByPartOfName("0%")), "2|50% Off\n");
  });
}

TEST_F(NameLookups, CodeAndNameRangesQuoteTheirBoundsAndIgnoreCase) {
  Exec(kAwkwardPartners);
  Run([&] {
    auto bp = NewPartner();
    // Both codes empty: every partner, suppliers or not, by name.
    // Text order as the database compares it: punctuation before letters, letter case ignored.
    EXPECT_EQ(Rows(bp->GetSuppliersByCodeRange("", "")),
              "3|K3|100 Natural\n2|K2|100% Natural\n6|K6|[Bracket] Inc\n7||B Inc\n1|K'1|O'Brien & Sons\n"
              "8|null|plain partner\n4|K4|Under_score Ltd\n5|K5|UnderXscore Ltd\n");
    EXPECT_EQ(Rows(bp->GetSuppliersByCodeRange("k'1", "K3")), "3|K3|100 Natural\n2|K2|100% Natural\n1|K'1|O'Brien & Sons\n");
    EXPECT_EQ(Rows(bp->GetSuppliersByCodeRange("K5", "")), "6|K6|[Bracket] Inc\n5|K5|UnderXscore Ltd\n");
    // Name range: suppliers only, by supplier code.
    EXPECT_EQ(Rows(bp->GetSuppliersByNameRange("o'brien & sons", "UNDER_SCORE LTD")),
              "1|K'1|O'Brien & Sons\n4|K4|Under_score Ltd\n");
    EXPECT_TRUE(bp->SupplierExists("k'1"));
    EXPECT_FALSE(bp->SupplierExists("K'"));
  });
}

// What the catalog library relies on.
TEST_F(NameLookups, BusinessIdAnswersThePartnerOrMinusOne) {
  Exec(kAwkwardPartners);
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(bp->GetBusinessPartnerIDByBusinessID("b'1"), 1);
    EXPECT_EQ(bp->GetBusinessPartnerIDByBusinessID("B9"), -1);
    EXPECT_EQ(bp->GetBusinessPartnerIDByBusinessID("' OR ''='"), -1);
    EXPECT_TRUE(bp->checkBusinessPartnerIDByBusinessID("B8"));
    EXPECT_FALSE(bp->checkBusinessPartnerIDByBusinessID("B%"));
    const rt::Variant answer = bp.object->Call("GetBusinessPartnerIDByBusinessID", {rt::Variant("B7")});
    EXPECT_EQ(rt::TypeName(answer) + ":" + rt::CStr(answer), "Long:7");
  });
}

TEST_F(PartnerLookups, CodeLookupsFailWithTheirNumbersAndTexts) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 1), "2");
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID(rt::Variant("cc400"), 2), "4");
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID2(rt::Variant("C300"), 0), "3");

    const std::string method = "Brintor.BusinessPartner.GetBusinessPartnerIDByBISID";
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 3); }),
              "8004008A Brintor.BusinessPartner: |ERROR 0x8004008A| METHOD: " + method +
                  "| DESC: |ERROR 0x8004008A| METHOD: " + method + "| DESC: Unknown user type '3'.|.|");
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("K'100"), 1); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: " + method +
                  "| DESC: BISSuppliercode 'K'100' not found.|");

    rt::Err().Clear();
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID2(rt::Variant("S200"), 3), "-1");
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID2(rt::Variant("K100"), 1), "-1");
    EXPECT_EQ(rt::Err().number, 0);

    EXPECT_EQ(bp->GetBusinessPartnerIDByDUNS("987654321"), 2);
    EXPECT_EQ(RaisedBy([&] { bp->GetBusinessPartnerIDByDUNS("111"); }).number(),
              static_cast<int32_t>(EBusinessPartnerErrors::DUNSNumberNotFound));
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByDUNS("111"); }).substr(9),
              "Brintor.Businesspartner.GetBusinessPartnerByDUNS: DUNS Number not found: DUNS=111");
  });
}

TEST_F(PartnerLookups, CountriesAndCarriers) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(bp->GetISOCountryCode(" nl "), "NLD");
    EXPECT_EQ(Failure([&] { bp->GetISOCountryCode("Q'"); }),
              "80040000 Brintor.BusinessPartner.GetISOCountryCode: |ERROR 0x80040000| METHOD: "
              "Brintor.BusinessPartner.GetISOCountryCode| DESC: Country Code Q' was not found.|");

    EXPECT_EQ(Rows(bp->GetAllTransportCarriers()).substr(0, 9), "AIR|Air E");
    // Without a code: the loaded partner's carrier, none when no partner is loaded.
    EXPECT_EQ(Rows(bp->GetTransportCarrier(rt::Variant::Missing())), "");
    bp->GetBusinessPartnerName(rt::Variant(3));
    EXPECT_EQ(Rows(bp->GetTransportCarrier(rt::Variant::Missing())),
              "ROAD|Road Freight Services|https://carrier.example.com/road\n");
    EXPECT_EQ(Rows(bp->GetTransportCarrier(rt::Variant("sea"))), "SEA|Sea Container Lines|null\n");
  });
}

// GetTransportCarrier's own handler logs the failure with its name appended
// and raises it again unchanged, without a block of its own.
TEST_F(PartnerLookups, ACarrierLookupFailureIsLoggedAndRaisedUnchanged) {
  Exec("DROP TABLE TRANSPORTCARRIER");
  Run([&] {
    auto bp = NewPartner();
    rt::ComError e = RaisedBy([&] { bp->GetTransportCarrier(rt::Variant("AIR")); });
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040E14));
    EXPECT_EQ(e.description().rfind("\r\nERROR 0x80040E14\r\n METHOD: Lib_SQL.Sql_GetDisconnectedRecordset\r\n", 0),
              0u)
        << e.description();
    EXPECT_EQ(e.description().find("GetTransportCarrier"), std::string::npos);
    EXPECT_EQ(LogEntriesWith(" / Brintor.BusinessPartner.GetTransportCarrier()"), 1);
  });
}

TEST_F(PartnerLookups, AddressesOfThePartnerAndByName) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Rows(bp->GetShippingAddress(rt::Variant(1))).substr(0, 31), "Office Supplies Inc.|Warehouse|");
    EXPECT_EQ(bp->GetBISAddressCodeFromAddressID(rt::Variant(2)), "A101");
    EXPECT_EQ(bp->GetAddressIdbyBISAddressCode(" A300 "), 4);
    EXPECT_EQ(bp->GetAddressIdbyBISAddressCode("A'9"), -1);

    // An address not yet linked to the partner is linked (once) and answered.
    EXPECT_EQ(bp->GetAddressIdByName("riverside hospital", 2), 5);
    EXPECT_EQ(bp->GetAddressIdByName("Riverside Hospital", 2), 5);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 2 AND ADDRESSID = 5"),
              "1");
    EXPECT_EQ(bp->GetAddressIdByName("Nobody", 2), -1);
  });
}

TEST_F(PartnerLookups, IdsJoinedIntoSqlMustBeNumbers) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Rows(bp->GetRemainingBusinessPartners(rt::Variant::Missing())).size(),
              Rows(bp->GetRemainingBusinessPartners(Array({rt::Variant(99)}))).size());
    EXPECT_EQ(Rows(bp->GetRemainingBusinessPartners(Array({rt::Variant(1), rt::Variant("2"), rt::Variant(4)}))),
              "3|Groothandel Zuid B.V.\n5|Own purchasing department\n");
    // Ids are joined as the paged lists join theirs: a text that is no number is refused.
    EXPECT_EQ(RaisedBy([&] { bp->GetRemainingBusinessPartners(Array({rt::Variant("1) OR (1=1")})); }).number(), 13);

    EXPECT_EQ(RaisedBy([&] { bp->GetAddress(rt::Variant("4 OR 1=1")); }).number(), 13);
    EXPECT_EQ(RaisedBy([&] { bp->GetBISAddressCodeFromAddressID(rt::Variant("x")); }).number(), 13);
  });
}

TEST_F(PartnerLookups, PresenceAndSalesRepresentatives) {
  Exec("INSERT INTO BPSPERUSER VALUES ('rep''1', 2), ('rep''1', 1), ('rep2', 3);");
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(bp->IsBusinessPartnerPresent("maschinenbau nord gmbh", 0), 2);
    EXPECT_EQ(bp->IsBusinessPartnerPresent("Maschinenbau Nord GmbH", 1), 0);
    EXPECT_EQ(bp->IsBusinessPartnerPresent("x' OR 'a'='a", 0), 0);

    // In the order read: the links' key order (user, then partner).
    EXPECT_EQ(Render(bp->GetSalesRepresentativeBPs("rep'1")),
              "1=String:Office Supplies Inc.; 2=String:Maschinenbau Nord GmbH");
    EXPECT_TRUE(bp->IsLinkedBP("REP2", 3));
    EXPECT_FALSE(bp->IsLinkedBP("rep2", 2));
  });
}

// Linking by name to a partner that does not exist: the load fails, and
// each handler it passes adds its block.
TEST_F(PartnerLookups, LinkingByNameToAnUnknownPartnerFailsThroughEachHandler) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(Failure([&] { bp->GetAddressIdByName("Riverside Hospital", 99); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetAddressIdByNameAndCountry| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.AddExistingAddress| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner 99 not found.|.|.|");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 99"), "0");
  });
}

// A database failure names the failing method in the outermost block; the
// getters and IsBusinessPartnerPresent have no handler and add none.
TEST_F(NameLookups, DatabaseFailuresNameTheMethod) {
  Exec("DROP TABLE BUSINESSPARTNER; DROP TABLE ADDRESS; DROP TABLE COUNTRY;");
  Run([&] {
    auto bp = NewPartner();
    auto outerMethod = [](const rt::ComError& e) {
      const std::string& d = e.description();
      const size_t from = d.find(" METHOD: ") + 9;
      return d.substr(from, d.find("\r\n", from) - from);
    };
    const std::vector<std::pair<std::string, std::function<void()>>> calls = {
        {"Brintor.BusinessPartner.GetBusinessPartner(1)", [&] { bp->GetBuyer(rt::Variant(1)); }},
        {"Brintor.BusinessPartner.GetSuppliersByCodeRange(A', B)", [&] { bp->GetSuppliersByCodeRange("A'", "B"); }},
        {"Brintor.BusinessPartner.GetSuppliersByNameRange(, Z)", [&] { bp->GetSuppliersByNameRange("", "Z"); }},
        {"Brintor.BusinessPartner.SupplierExists(K1)", [&] { bp->SupplierExists("K1"); }},
        {"Brintor.BusinessPartner.getAllSuppliersFromBP", [&] { bp->GetAllSuppliersFromBP(); }},
        {"Brintor.BusinessPartner.GetBusinessPartnerIDByBusinessID",
         [&] { bp->GetBusinessPartnerIDByBusinessID("B1"); }},
        {"Brintor.BusinessPartner.GetBusinessPartnerIDByDUNS", [&] { bp->GetBusinessPartnerIDByDUNS("1"); }},
        {"Brintor.BusinessPartner.GetAddressIdbyBISAddressCode : A1",
         [&] { bp->GetAddressIdbyBISAddressCode("A1"); }},
        {"Brintor.BusinessPartner.GetAddressIdByNameAndCountry", [&] { bp->GetAddressIdByName("X", 1); }},
        {"Brintor.BusinessPartner.GetISOCountryCode", [&] { bp->GetISOCountryCode("NL"); }},
        {"Lib_SQL.Sql_GetDisconnectedRecordset", [&] { bp->IsBusinessPartnerPresent("X", 0); }},
    };
    for (const auto& [method, call] : calls) EXPECT_EQ(outerMethod(RaisedBy(call)), method);
    // The second lookup by code swallows the failure.
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID2(rt::Variant("K1"), 1), "-1");
  });
}

}  // namespace
