// The checks of one product as the error report answers them.
#include "tests/quarvel/product_xml_fixture.h"

namespace {

using ProductChecks = ProductXmlTest;

TEST_F(ProductChecks, SoundValuesPassEveryRule) {
  SetSwitch("yes");
  Run([&] {
    const std::string doc = Doc(Product(
        "A", F("BUYERID", " buyer1 ;;buyer1;") + F("COMMODITYCODE", "apparel") + F("UNIT", "kilogram") +
                 F("CONTRACTCODE", "C-2026-01") + F("NUMBER", "2.0") + F("BUSINESSID", "BID-S200") +
                 F("PRODUCTEFFECTIVITYDATE", "12/31/2026") + F("PRODUCTEXPIRYDATE", "2/28/2027") +
                 F("MINORDERQTY", "0") + F("MULTIPLEOF", "2.5") + F("GTIN", "4006381333931") + F("LOTSIZE", "-1") +
                 F("DELIVERYLEADTIME", "1e1") + F("MULTIPLEBUYER", "1") + F("MULTIPLEBUYERSEPARATOR", ";") +
                 F("UNSPSCCODE", " 43211503 ") + F("CLASSCODE", "3") + F("PARTNUMBER", "P") +
                 F("PRODUCTDESCRIPTION", "D") + F("Colour", "anything") + F("DISABLED", "maybe")));
    // A level-1 code is its own last pair under an empty parent.
    const std::string level1 = Doc(Product("B", Sound() + F("UNSPSCCODE", "43")));
    EXPECT_EQ(Golden()
                  .Add("A", Render(NewProductXml()->getErrorsInProductValues(doc, false, "A")))
                  .Add("B, level 1", Render(NewProductXml()->getErrorsInProductValues(level1, false, "B")))
                  .Line(),
              "A= B, level 1=");
  });
}

// Each value as read (a GTIN padded, a buyer list whole); the missing or
// empty mandatory fields last, with "", each once.
TEST_F(ProductChecks, FaultsComeInDocumentOrderThenTheMissingMandatoryFields) {
  SetSwitch("Yes");
  Run([&] {
    const std::string doc = Doc(Product(
        "A", F("PARTNUMBER", "") + F("BUYERID", "buyer1;; nobody ;approver1") + F("COMMODITYCODE", "NOPE") +
                 F("UNIT", "Parsec") + F("CONTRACTCODE", "C-2026-01") + F("NUMBER", "7") +
                 F("BUSINESSID", "BID-NONE") + F("PRODUCTEFFECTIVITYDATE", "31/12/2026") +
                 F("PRODUCTEXPIRYDATE", "") + F("MINORDERQTY", "many") + F("MULTIPLEOF", "") + F("GTIN", "12a") +
                 F("LOTSIZE", "x") + F("DELIVERYLEADTIME", "-") + F("MULTIPLEBUYER", "2") +
                 F("UNSPSCCODE", "43211599") + F("CLASSCODE", "99")));
    EXPECT_EQ(Render(NewProductXml()->getErrorsInProductValues(doc, false, "A")),
              "BUYERID=String:buyer1;; nobody ;approver1; COMMODITYCODE=String:NOPE; UNITCODE=String:Parsec; "
              "CONTRACTCODE=String:C-2026-01; NUMBER=String:7; BUSINESSID=String:BID-NONE; "
              "PRODUCTEFFECTIVITYDATE=String:31/12/2026; PRODUCTEXPIRYDATE=String:; MINORDERQTY=String:many; "
              "MULTIPLEOF=String:; GTIN=String:0000000000012a; LOTSIZE=String:x; DELIVERYLEADTIME=String:-; "
              "MULTIPLEBUYER=String:2; UNSPSCCODE=String:43211599; CLASSCODE=String:99; "
              "PRODUCTDESCRIPTION=String:; PARTNUMBER=String:");
  });
}

// Each half is checked with the other as the product holds it (none: no
// line); a number that is no number matches nothing; empty buyer ids skip.
TEST_F(ProductChecks, AContractLineIsFoundOnlyAsAPair) {
  Run([&] {
    auto products = NewProductXml();
    Golden errors;
    for (const std::string& fields : {F("NUMBER", "1") + F("CONTRACTCODE", "c-2026-02") + F("BUYERID", ";;buyer1; ;"),
                                      F("CONTRACTCODE", "C-2026-02") + F("NUMBER", "2"), F("CONTRACTCODE", "C-2026-01"),
                                      F("CONTRACTCODE", "C-2026-01") + F("NUMBER", "1 OR 1=1")})
      errors.Add(fields, Render(products->getErrorsInProductValues(Doc(Product("A", Sound() + fields)), false, "A")));
    EXPECT_EQ(errors.Lines(),
              "<NUMBER>1</NUMBER><CONTRACTCODE>c-2026-02</CONTRACTCODE><BUYERID>;;buyer1; ;</BUYERID>: \n"
              "<CONTRACTCODE>C-2026-02</CONTRACTCODE><NUMBER>2</NUMBER>: CONTRACTCODE=String:C-2026-02; "
              "NUMBER=String:2\n"
              "<CONTRACTCODE>C-2026-01</CONTRACTCODE>: CONTRACTCODE=String:C-2026-01\n"
              "<CONTRACTCODE>C-2026-01</CONTRACTCODE><NUMBER>1 OR 1=1</NUMBER>: CONTRACTCODE=String:C-2026-01; "
              "NUMBER=String:1 OR 1=1\n");
  });
}

// The switch is read once for the object, on in any letter case of "yes".
// The last pair of a code is read as a number: a code shorter than a pair
// fails with 5, one whose last pair is no number with 13.
TEST_F(ProductChecks, UnspscCodesAreCheckedWhileTheSwitchIsOn) {
  Run([&] {
    const std::string doc = Doc(Product("A", Sound() + F("UNSPSCCODE", "99999999")) +
                                Product("B", Sound() + F("UNSPSCCODE", "4")) +
                                Product("C", Sound() + F("UNSPSCCODE", "432115AB")));
    auto off = NewProductXml();
    Golden text;
    for (const char* part : {"A", "B", "C"})
      text.Add(std::string("off: ") + part, Render(off->getErrorsInProductValues(doc, false, part)));
    SetSwitch("YeS");
    // Read once: the object keeps what it read.
    text.Add("off, switched on since: B", Render(off->getErrorsInProductValues(doc, false, "B")));
    auto on = NewProductXml();
    text.Add("on: A", Render(on->getErrorsInProductValues(doc, false, "A")));
    text.Add("on: B", Failure([&] { on->getErrorsInProductValues(doc, false, "B"); }));
    EXPECT_EQ(text.Lines(),
              "off: A: \noff: B: \noff: C: \noff, switched on since: B: \non: A: UNSPSCCODE=String:99999999\n"
              "on: B: 5 Quarvel: |ERROR 0x5| METHOD: Quarvel.ProductXML.getErrorsInProductValues| DESC: |ERROR 0x5| "
              "METHOD: Quarvel.ProductXML.getErrorFields| DESC: Invalid procedure call or argument.|.|\n");
    EXPECT_EQ(RaisedBy([&] { on->getErrorsInProductValues(doc, false, "C"); }).number(), rt::vberr::kTypeMismatch);
  });
}

}  // namespace
