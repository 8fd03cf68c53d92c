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
    Golden out;
    for (const char* part : {"o'brien", "0%", "R_S", "[bracket]", "' OR '1'='1"})
      out.Add(std::string("partners ") + part, Rows(bp->GetBusinessPartnersByPartOfName(part)));
    // Suppliers only: partner 7's empty code and partner 8's null code are no suppliers.
    out.Add("suppliers ' INC'", Rows(bp->GetSuppliersByPartOfName(" INC")));
    out.Add("suppliers _", Rows(bp->GetSuppliersByPartOfName("_")));
    out.Add("customers 0%", Rows(bp->GetCustomersByPartOfName("0%")));
    EXPECT_EQ(out.Lines(),
              "partners o'brien: 1|O'Brien & Sons\npartners 0%: 2|100% Natural\npartners R_S: 4|Under_score Ltd\n"
              "partners [bracket]: 6|[Bracket] Inc\npartners ' OR '1'='1: \nsuppliers ' INC': 6|[Bracket] Inc\n"
              "suppliers _: 4|Under_score Ltd\ncustomers 0%: 2|50% Off\n");
    // Both codes empty: every partner, suppliers or not, by name, in the
    // database's text order (punctuation before letters, case ignored).
    // The name range: suppliers only, by supplier code.
    Golden ranges;
    ranges.Add("codes '' to ''", Rows(bp->GetSuppliersByCodeRange("", "")));
    ranges.Add("codes k'1 to K3", Rows(bp->GetSuppliersByCodeRange("k'1", "K3")));
    ranges.Add("codes K5 to ''", Rows(bp->GetSuppliersByCodeRange("K5", "")));
    ranges.Add("names o'brien & sons to UNDER_SCORE LTD",
               Rows(bp->GetSuppliersByNameRange("o'brien & sons", "UNDER_SCORE LTD")));
    EXPECT_EQ(ranges.Lines(),
              "codes '' to '':\n3|K3|100 Natural\n2|K2|100% Natural\n6|K6|[Bracket] Inc\n7||B Inc\n"
              "1|K'1|O'Brien & Sons\n8|null|plain partner\n4|K4|Under_score Ltd\n5|K5|UnderXscore Ltd\n"
              "codes k'1 to K3:\n3|K3|100 Natural\n2|K2|100% Natural\n1|K'1|O'Brien & Sons\n"
              "codes K5 to '':\n6|K6|[Bracket] Inc\n5|K5|UnderXscore Ltd\n"
              "names o'brien & sons to UNDER_SCORE LTD:\n1|K'1|O'Brien & Sons\n4|K4|Under_score Ltd\n");
    const rt::Variant answer = bp.object->Call("GetBusinessPartnerIDByBusinessID", {rt::Variant("B7")});
    Golden ids;
    ids.Add("SupplierExists(k'1)", bp->SupplierExists("k'1")).Add("SupplierExists(K')", bp->SupplierExists("K'"));
    ids.Add("GetBusinessPartnerIDByBusinessID(b'1)", bp->GetBusinessPartnerIDByBusinessID("b'1"));
    ids.Add("GetBusinessPartnerIDByBusinessID(B9)", bp->GetBusinessPartnerIDByBusinessID("B9"));
    ids.Add("GetBusinessPartnerIDByBusinessID(' OR ''=')", bp->GetBusinessPartnerIDByBusinessID("' OR ''='"));
    ids.Add("checkBusinessPartnerIDByBusinessID(B8)", bp->checkBusinessPartnerIDByBusinessID("B8"));
    ids.Add("checkBusinessPartnerIDByBusinessID(B%)", bp->checkBusinessPartnerIDByBusinessID("B%"));
    ids.Add("late GetBusinessPartnerIDByBusinessID(B7)", answer);
    EXPECT_EQ(ids.Lines(),
              "SupplierExists(k'1): true\nSupplierExists(K'): false\nGetBusinessPartnerIDByBusinessID(b'1): 1\n"
              "GetBusinessPartnerIDByBusinessID(B9): -1\nGetBusinessPartnerIDByBusinessID(' OR ''='): -1\n"
              "checkBusinessPartnerIDByBusinessID(B8): true\ncheckBusinessPartnerIDByBusinessID(B%): false\n"
              "late GetBusinessPartnerIDByBusinessID(B7): Long:7\n");
  });
}

TEST_F(PartnerLookups, CodeLookupsFailWithTheirNumbersAndTexts) {
  Run([&] {
    auto bp = NewPartner();
    Golden ids;
    ids.Add("BISID(S200, 1)", bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 1));
    ids.Add("BISID(cc400, 2)", bp->GetBusinessPartnerIDByBISID(rt::Variant("cc400"), 2));
    ids.Add("BISID2(C300, 0)", bp->GetBusinessPartnerIDByBISID2(rt::Variant("C300"), 0));
    ids.Add("DUNS(987654321)", bp->GetBusinessPartnerIDByDUNS("987654321"));
    EXPECT_EQ(ids.Line(), "BISID(S200, 1)=2 BISID(cc400, 2)=4 BISID2(C300, 0)=3 DUNS(987654321)=2");
    const std::string method = "Brintor.BusinessPartner.GetBusinessPartnerIDByBISID";
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("S200"), 3); }),
              "8004008A Brintor.BusinessPartner: |ERROR 0x8004008A| METHOD: " + method +
                  "| DESC: |ERROR 0x8004008A| METHOD: " + method + "| DESC: Unknown user type '3'.|.|");
    EXPECT_EQ(Failure([&] { bp->GetBusinessPartnerIDByBISID(rt::Variant("K'100"), 1); }),
              "80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: " + method +
                  "| DESC: BISSuppliercode 'K'100' not found.|");

    rt::Err().Clear();
    Golden quiet;
    quiet.Add("BISID2(S200, 3)", bp->GetBusinessPartnerIDByBISID2(rt::Variant("S200"), 3));
    quiet.Add("BISID2(K100, 1)", bp->GetBusinessPartnerIDByBISID2(rt::Variant("K100"), 1));
    EXPECT_EQ(quiet.Add("Err", rt::Err().number).Line(), "BISID2(S200, 3)=-1 BISID2(K100, 1)=-1 Err=0");
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
    Golden out;
    out.Add("GetISOCountryCode( nl )", bp->GetISOCountryCode(" nl "));
    out.Add("carriers", Rows(bp->GetAllTransportCarriers()).substr(0, 9));
    out.Add("carrier, none loaded", Rows(bp->GetTransportCarrier(rt::Variant::Missing())));
    bp->GetBusinessPartnerName(rt::Variant(3));
    out.Add("carrier of 3", Rows(bp->GetTransportCarrier(rt::Variant::Missing())));
    out.Add("carrier sea", Rows(bp->GetTransportCarrier(rt::Variant("sea"))));
    out.Add("shipping address of 1", Rows(bp->GetShippingAddress(rt::Variant(1))).substr(0, 31));
    out.Add("BIS code of address 2", bp->GetBISAddressCodeFromAddressID(rt::Variant(2)));
    out.Add("address of ' A300 '", bp->GetAddressIdbyBISAddressCode(" A300 "));
    out.Add("address of A'9", bp->GetAddressIdbyBISAddressCode("A'9"));
    // An address not yet linked to the partner is linked (once) and answered.
    out.Add("GetAddressIdByName(riverside hospital, 2)", bp->GetAddressIdByName("riverside hospital", 2));
    out.Add("GetAddressIdByName(Riverside Hospital, 2)", bp->GetAddressIdByName("Riverside Hospital", 2));
    out.Add("links 2:5", Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 2 AND "
                                "ADDRESSID = 5"));
    out.Add("GetAddressIdByName(Nobody, 2)", bp->GetAddressIdByName("Nobody", 2));
    out.Add("IsBusinessPartnerPresent(maschinenbau nord gmbh, 0)",
            bp->IsBusinessPartnerPresent("maschinenbau nord gmbh", 0));
    out.Add("IsBusinessPartnerPresent(Maschinenbau Nord GmbH, 1)",
            bp->IsBusinessPartnerPresent("Maschinenbau Nord GmbH", 1));
    out.Add("IsBusinessPartnerPresent(x' OR 'a'='a, 0)", bp->IsBusinessPartnerPresent("x' OR 'a'='a", 0));
    out.Add("IsLinkedBP(REP2, 3)", bp->IsLinkedBP("REP2", 3)).Add("IsLinkedBP(rep2, 2)", bp->IsLinkedBP("rep2", 2));
    // Representatives' partners in the links' key order (user, then partner).
    out.Add("representative rep'1", Render(bp->GetSalesRepresentativeBPs("rep'1")));
    EXPECT_EQ(out.Lines(),
              "GetISOCountryCode( nl ): NLD\ncarriers: AIR|Air E\ncarrier, none loaded: \n"
              "carrier of 3: ROAD|Road Freight Services|https://carrier.example.com/road\n"
              "carrier sea: SEA|Sea Container Lines|null\n"
              "shipping address of 1: Office Supplies Inc.|Warehouse|\nBIS code of address 2: A101\n"
              "address of ' A300 ': 4\naddress of A'9: -1\n"
              "GetAddressIdByName(riverside hospital, 2): 5\nGetAddressIdByName(Riverside Hospital, 2): 5\n"
              "links 2:5: 1\nGetAddressIdByName(Nobody, 2): -1\n"
              "IsBusinessPartnerPresent(maschinenbau nord gmbh, 0): 2\n"
              "IsBusinessPartnerPresent(Maschinenbau Nord GmbH, 1): 0\n"
              "IsBusinessPartnerPresent(x' OR 'a'='a, 0): 0\n"
              "IsLinkedBP(REP2, 3): true\nIsLinkedBP(rep2, 2): false\n"
              "representative rep'1: 1=String:Office Supplies Inc.; 2=String:Maschinenbau Nord GmbH\n");
  });
}

// Linking by name to an unknown partner: the load fails, and each handler it
// passes adds its block. Ids are joined into SQL as the paged lists join
// theirs: a text that is no number is refused.
TEST_F(PartnerLookups, FailuresOfCountriesLinksAndIdsThatAreNoNumbers) {
  Run([&] {
    auto bp = NewPartner();
    Golden out;
    out.Add("GetISOCountryCode(Q')", Failure([&] { bp->GetISOCountryCode("Q'"); }));
    out.Add("GetAddressIdByName(, 99)", Failure([&] { bp->GetAddressIdByName("Riverside Hospital", 99); }));
    out.Add("links of 99", Scalar("SELECT COUNT(*) FROM BUSINESSPARTNERADDRESS WHERE BUSINESSPARTNERID = 99"));
    out.Add("GetRemainingBusinessPartners(1) OR (1=1)",
            RaisedBy([&] { bp->GetRemainingBusinessPartners(Array({rt::Variant("1) OR (1=1")})); }).number());
    out.Add("GetAddress(4 OR 1=1)", RaisedBy([&] { bp->GetAddress(rt::Variant("4 OR 1=1")); }).number());
    out.Add("GetBISAddressCodeFromAddressID(x)",
            RaisedBy([&] { bp->GetBISAddressCodeFromAddressID(rt::Variant("x")); }).number());
    EXPECT_EQ(out.Lines(),
              "GetISOCountryCode(Q'): 80040000 Brintor.BusinessPartner.GetISOCountryCode: |ERROR 0x80040000| METHOD: "
              "Brintor.BusinessPartner.GetISOCountryCode| DESC: Country Code Q' was not found.|\n"
              "GetAddressIdByName(, 99): 80040088 Brintor.BusinessPartner: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetAddressIdByNameAndCountry| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.AddExistingAddress| DESC: |ERROR 0x80040088| METHOD: "
              "Brintor.BusinessPartner.GetBusinessPartner(99)| DESC: BusinessPartner 99 not found.|.|.|\n"
              "links of 99: 0\nGetRemainingBusinessPartners(1) OR (1=1): 13\nGetAddress(4 OR 1=1): 13\n"
              "GetBISAddressCodeFromAddressID(x): 13\n");
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

// An address or partner id given in a Variant goes into the statement as
// the number it is, whatever form its text takes: a fraction is kept, so
// that 2.5 names no address and no partner where a rounded id named the
// second; text that is no number is refused. Each id labelled as given
// ('text' or a bare Double).
TEST_F(PartnerLookups, AddressAndPartnerIdsKeepTheirFraction) {
  Run([&] {
    auto bp = NewPartner();
    auto forEachId = [](const std::function<std::string(const rt::Variant&)>& ask) {
      Golden answers;
      for (const rt::Variant& id : {rt::Variant("2.5"), rt::Variant("2.50"), rt::Variant(" 2.5 "), rt::Variant("2"),
                                    rt::Variant("1e0"), rt::Variant(2.5), rt::Variant("abc")}) {
        const std::string label = id.IsString() ? "'" + rt::CStr(id) + "'" : rt::CStr(id);
        try {
          answers.Add(label, ask(id));
        } catch (const rt::ComError& e) {
          answers.Add(label, "error " + std::to_string(e.number()));
        }
      }
      return answers;
    };
    auto exists = [&](const char* key, const rt::Variant& id) {
      return bp.References().IReferentialIntegrity_Exists("Brintor", Array({key}), Array({id})) ? "true" : "false";
    };
    Golden rows;
    rows.Add("GetAddress: rows", forEachId([&](const rt::Variant& id) {
               return rt::CStr(bp->GetAddress(id)->GetProperty("RecordCount"));
             }));
    rows.Add("GetBISAddressCodeFromAddressID",
             forEachId([&](const rt::Variant& id) { return "'" + bp->GetBISAddressCodeFromAddressID(id) + "'"; }));
    rows.Add("Exists ADDRESSID", forEachId([&](const rt::Variant& id) { return exists("ADDRESSID", id); }));
    rows.Add("Exists BUSINESSPARTNERID",
             forEachId([&](const rt::Variant& id) { return exists("BUSINESSPARTNERID", id); }));
    EXPECT_EQ(rows.Lines(),
              "GetAddress: rows: '2.5'=0 '2.50'=0 ' 2.5 '=0 '2'=1 '1e0'=1 2.5=0 'abc'=error 13\n"
              "GetBISAddressCodeFromAddressID: '2.5'='' '2.50'='' ' 2.5 '='' '2'='A101' '1e0'='A100' 2.5='' "
              "'abc'=error 13\n"
              "Exists ADDRESSID: '2.5'=false '2.50'=false ' 2.5 '=false '2'=true '1e0'=true 2.5=false 'abc'=error 13\n"
              "Exists BUSINESSPARTNERID: '2.5'=false '2.50'=false ' 2.5 '=false '2'=true '1e0'=true 2.5=false "
              "'abc'=error 13\n");
  });
}

}  // namespace
