// The partner lookups by names, codes and ids, countries, carriers,
// addresses and the id lists joined into SQL.
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

// Quotes and LIKE's wildcards taken literally, letter case ignored; the
// business id lookups are what the catalog library relies on.
TEST_F(NameLookups, NamesCodesAndBusinessIdsMatchQuotesAndWildcardsLiterally) {
  Exec(kAwkwardPartners);
  Run([&] {
    auto bp = NewPartner();
    std::string out;
    for (const char* part : {"o'brien", "0%", "R_S", "[bracket]", "' OR '1'='1"})
      out += Rows(bp->GetBusinessPartnersByPartOfName(part));
    // Suppliers only: partner 7's empty code and partner 8's null code are no suppliers.
    out += Rows(bp->GetSuppliersByPartOfName(" INC")) + Rows(bp->GetSuppliersByPartOfName("_")) +
           Rows(bp->GetCustomersByPartOfName("0%"));
    EXPECT_EQ(out, "1|O'Brien & Sons\n2|100% Natural\n4|Under_score Ltd\n6|[Bracket] Inc\n6|[Bracket] Inc\n"
                   "4|Under_score Ltd\n2|50% Off\n");
    // Both codes empty: every partner, suppliers or not, by name, in the
    // database's text order (punctuation before letters, case ignored).
    // The name range: suppliers only, by supplier code.
    EXPECT_EQ(Rows(bp->GetSuppliersByCodeRange("", "")) + "-\n" + Rows(bp->GetSuppliersByCodeRange("k'1", "K3")) +
                  "-\n" + Rows(bp->GetSuppliersByCodeRange("K5", "")) + "-\n" +
                  Rows(bp->GetSuppliersByNameRange("o'brien & sons", "UNDER_SCORE LTD")),
              "3|K3|100 Natural\n2|K2|100% Natural\n6|K6|[Bracket] Inc\n7||B Inc\n1|K'1|O'Brien & Sons\n"
              "8|null|plain partner\n4|K4|Under_score Ltd\n5|K5|UnderXscore Ltd\n-\n"
              "3|K3|100 Natural\n2|K2|100% Natural\n1|K'1|O'Brien & Sons\n-\n"
              "6|K6|[Bracket] Inc\n5|K5|UnderXscore Ltd\n-\n1|K'1|O'Brien & Sons\n4|K4|Under_score Ltd\n");
    const rt::Variant answer = bp.object->Call("GetBusinessPartnerIDByBusinessID", {rt::Variant("B7")});
    EXPECT_EQ(std::to_string(bp->SupplierExists("k'1")) + std::to_string(bp->SupplierExists("K'")) + " " +
                  std::to_string(bp->GetBusinessPartnerIDByBusinessID("b'1")) + " " +
                  std::to_string(bp->GetBusinessPartnerIDByBusinessID("B9")) + " " +
                  std::to_string(bp->GetBusinessPartnerIDByBusinessID("' OR ''='")) + " " +
                  std::to_string(bp->checkBusinessPartnerIDByBusinessID("B8")) +
                  std::to_string(bp->checkBusinessPartnerIDByBusinessID("B%")) + " " + rt::TypeName(answer) + ":" +
                  rt::CStr(answer),
              "10 1 -1 -1 10 Long:7");
  });
}

TEST_F(PartnerLookups, CodeLookupsFailWithTheirNumbersAndTexts) {
  Run([&] {
    auto bp = NewPartner();
    EXPECT_EQ(bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 1) +
                  bp->GetBusinessPartnerIDByBISID(rt::Variant("cc400"), 2) +
                  bp->GetBusinessPartnerIDByBISID2(rt::Variant("C300"), 0) +
                  std::to_string(bp->GetBusinessPartnerIDByDUNS("987654321")),
              "2432");
    const std::string method = "Brintor.BusinessPartner.GetBusinessPartnerIDByBISID";
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 3); }),
              "8004008A Brintor.BusinessPartner: |ERROR 0x8004008A| METHOD: " + method +
                  "| DESC: |ERROR 0x8004008A| METHOD: " + method + "| DESC: Unknown user type '3'.|.|");
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("K'100"), 1); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: " + method +
                  "| DESC: BISSuppliercode 'K'100' not found.|");

    rt::Err().Clear();
    const std::string quiet = bp->GetBusinessPartnerIDByBISID2(rt::Variant("S200"), 3) +
                              bp->GetBusinessPartnerIDByBISID2(rt::Variant("K100"), 1);
    EXPECT_EQ(quiet + std::to_string(rt::Err().number), "-1-10");
    EXPECT_EQ(RaisedBy([&] { bp->GetBusinessPartnerIDByDUNS("111"); }).number(),
              static_cast<int32_t>(EBusinessPartnerErrors::DUNSNumberNotFound));
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByDUNS("111"); }).substr(9),
              "Brintor.Businesspartner.GetBusinessPartnerByDUNS: DUNS Number not found: DUNS=111");
  });
}

TEST_F(PartnerLookups, CountriesCarriersAddressesAndRepresentatives) {
  Exec("INSERT INTO BPSPERUSER VALUES ('rep''1', 2), ('rep''1', 1), ('rep2', 3);");
  Run([&] {
    auto bp = NewPartner();
    // Without a code: the loaded partner's carrier, none when no partner is loaded.
    std::string out = bp->GetISOCountryCode(" nl ") + " " + Rows(bp->GetAllTransportCarriers()).substr(0, 9) + "\n" +
                      Rows(bp->GetTransportCarrier(rt::Variant::Missing())) + "-\n";
    bp->GetBusinessPartnerName(rt::Variant(3));
    out += Rows(bp->GetTransportCarrier(rt::Variant::Missing())) + Rows(bp->GetTransportCarrier(rt::Variant("sea")));
    out += Rows(bp->GetShippingAddress(rt::Variant(1))).substr(0, 31) + " " +
           bp->GetBISAddressCodeFromAddressID(rt::Variant(2)) + " " +
           std::to_string(bp->GetAddressIdbyBISAddressCode(" A300 ")) + " " +
           std::to_string(bp->GetAddressIdbyBISAddressCode("A'9")) + "\n";
    // An address not yet linked to the partner is linked (once) and answered.
    out += std::to_string(bp->GetAddressIdByName("riverside hospital", 2)) + " ";
    out += std::to_string(bp->GetAddressIdByName("Riverside Hospital", 2)) + " ";
    out += Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 2 AND ADDRESSID = 5") + " " +
           std::to_string(bp->GetAddressIdByName("Nobody", 2)) + "\n";
    // Representatives' partners in the links' key order (user, then partner).
    out += std::to_string(bp->IsBusinessPartnerPresent("maschinenbau nord gmbh", 0)) +
           std::to_string(bp->IsBusinessPartnerPresent("Maschinenbau Nord GmbH", 1)) +
           std::to_string(bp->IsBusinessPartnerPresent("x' OR 'a'='a", 0)) + " " +
           std::to_string(bp->IsLinkedBP("REP2", 3)) + std::to_string(bp->IsLinkedBP("rep2", 2)) + " " +
           Render(bp->GetSalesRepresentativeBPs("rep'1"));
    EXPECT_EQ(out,
              "NLD AIR|Air E\n-\nROAD|Road Freight Services|https://carrier.example.com/road\n"
              "SEA|Sea Container Lines|null\nOffice Supplies Inc.|Warehouse| A101 4 -1\n5 5 1 -1\n"
              "200 10 1=String:Office Supplies Inc.; 2=String:Maschinenbau Nord GmbH");
  });
}

// Linking by name to an unknown partner: the load fails, and each handler it
// passes adds its block. Ids are joined into SQL as the paged lists join
// theirs: a text that is no number is refused.
TEST_F(PartnerLookups, FailuresOfCountriesLinksAndIdsThatAreNoNumbers) {
  Run([&] {
    auto bp = NewPartner();
    std::string out = Failure([&] { bp->GetISOCountryCode("Q'"); }) + "\n";
    out += Failure([&] { bp->GetAddressIdByName("Riverside Hospital", 99); }) + "\n";
    out += Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 99") + " " +
           std::to_string(RaisedBy([&] { bp->GetRemainingBusinessPartners(Array({rt::Variant("1) OR (1=1")})); }).number()) +
           " " + std::to_string(RaisedBy([&] { bp->GetAddress(rt::Variant("4 OR 1=1")); }).number()) + " " +
           std::to_string(RaisedBy([&] { bp->GetBISAddressCodeFromAddressID(rt::Variant("x")); }).number());
    EXPECT_EQ(out,
              "80040000 Brintor.BusinessPartner.GetISOCountryCode: |ERROR 0x80040000| METHOD: "
              "Brintor.BusinessPartner.GetISOCountryCode| DESC: Country Code Q' was not found.|\n"
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetAddressIdByNameAndCountry| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.AddExistingAddress| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner 99 not found.|.|.|\n0 13 13 13");
    EXPECT_EQ(Rows(bp->GetRemainingBusinessPartners(rt::Variant::Missing())).size(),
              Rows(bp->GetRemainingBusinessPartners(Array({rt::Variant(99)}))).size());
    EXPECT_EQ(Rows(bp->GetRemainingBusinessPartners(Array({rt::Variant(1), rt::Variant("2"), rt::Variant(4)}))),
              "3|Groothandel Zuid B.V.\n5|Own purchasing department\n");
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
