// Reading price documents: one part number's lines, the checked list, failures.
#include "tests/quarvel/price_xml_fixture.h"

namespace {

class PriceLists : public PriceXmlTest {
 protected:
  void SetUp() override {
    PriceXmlTest::SetUp();
    // An empty and a Null description; two products of one part number in
    // two spellings (the older answers); a part number with an apostrophe.
    Exec("INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, BUYFROMPARTNUMBER) VALUES"
         " ('E', '', 'EM-1'), ('N', NULL, 'NU-1'), ('D1', 'First', 'DU-1'), ('D2', 'Second', 'du-1 '),"
         " ('Q', 'Quoted', 'O''B-1')");
  }
};

TEST_F(PriceLists, ReadingAPartNumberTakesItsElementsExactlyWithTheirNamesAsWritten) {
  Run([&] {
    const std::string doc = "<x:List xmlns:x=\"urn:x\"><Group xmlns=\"urn:default\">" +
                            Price("A", "<Price>1</Price><!-- note --><currencyCode>EUR</currencyCode>") +
                            "</Group>" + Price("a", "<Price>2</Price>") + Price("A", "") +
                            Price("A", "<Price> 3 </Price>") + "</x:List>";
    auto prices = NewPriceXml();
    EXPECT_EQ(Golden()
                  .Add("A", Nested(prices->readProductPriceFromXML(doc, false, "A")))
                  .Add("B", Nested(prices->readProductPriceFromXML(doc, false, "B")))
                  .Lines(),
              "A:\nPRICE 1: {Price=String:1; currencyCode=String:EUR}\nPRICE 2: {}\nPRICE 3: {Price=String:3}\nB: \n");
  });
}

TEST_F(PriceLists, TheCheckedListHoldsKnownProductsInTheOrderOfTheirLastElement) {
  Run([&] {
    const std::string doc = Doc(Price("OS-SH100", Sound()) + Price("OS-GL200", Sound("10", "0.5")) +
                                Price("OS-SH100", Sound("20", "abc")) + Price("XX-9999", Sound()) +
                                Price("EM-1", Sound()) + Price("NU-1", Sound()) + Price("os-gl200", Sound()) +
                                Price("DU-1", Sound()) + Price("O'B-1", Sound()) + Price("MN-L300", "") +
                                "<ProductPrice/>");
    bool isUrl = false;
    const std::string list = Checked(NewPriceXml()->GetCheckedPriceList(doc, isUrl));
    EXPECT_EQ(Golden().Add("list", list).Add("isUrl", isUrl).Lines(),
              "list:\nOS-GL200=OS-GL200|Safety gloves|False\nOS-SH100=OS-SH100|Work shirt, blue|False\n"
              "os-gl200=os-gl200|Safety gloves|True\nDU-1=DU-1|First|True\nO'B-1=O'B-1|Quoted|True\nisUrl: false\n");
  });
}

// Without a price element the currencies are not read: here they cannot be.
TEST_F(PriceLists, ADocumentWithoutPricesGivesAnEmptyListWithoutReadingCurrencies) {
  Exec("ALTER TABLE CURRENCY RENAME TO CURRENCY_AWAY");
  Run([&] {
    bool isUrl = false;
    auto prices = NewPriceXml();
    EXPECT_EQ(Checked(prices->GetCheckedPriceList(Doc("<Other/>"), isUrl)), "");
    const rt::ComError e = RaisedBy([&] { prices->GetCheckedPriceList(Doc(Price("OS-SH100", Sound())), isUrl); });
    EXPECT_EQ(e.number(), static_cast<int32_t>(0x80040077));
    EXPECT_NE(e.description().find(" / Brintor.Currency.GetCurrenciesInDictionary"), std::string::npos);
  });
}

TEST_F(PriceLists, FailuresOfReadingCarryABlockForEachMethodTheyPassed) {
  Run([&] {
    auto prices = NewPriceXml();
    bool isUrl = false;
    rt::ComError e = RaisedBy([&] { prices->GetCheckedPriceList("<PriceList>", isUrl); });
    EXPECT_EQ(e.source(), "Quarvel.PriceXML.getPriceNodeList");
    EXPECT_EQ(e.description(), Block("800400D5", "Quarvel.PriceXML.GetCheckedPriceList",
                                     Block("800400D5", "Quarvel.PriceXML.getPriceNodeList", "Unable to load XML")));
    // Any element without a part number fails reading, whichever is asked for.
    e = RaisedBy([&] { prices->GetErrorsInPriceValues(Doc(Price("A", "") + "<ProductPrice/>"), false, "A"); });
    const std::string notSet = "Object variable or With block variable not set";
    EXPECT_EQ(e.description(),
              Block("5B", "Quarvel.PriceXML.GetErrorsInPriceValues",
                    Block("5B", "Quarvel.PriceXML.readProductPriceFromXML",
                          Block("5B", "Quarvel.PriceXML.getPriceNodes", notSet))));
    e = RaisedBy([&] { prices->readProductPriceFromXML(Doc(Price("A", "<Price>1</Price><Price>2</Price>")), false, "A"); });
    EXPECT_EQ(e.description(), Block("1C9", "Quarvel.PriceXML.readProductPriceFromXML",
                                     "This key is already associated with an element of this collection"));
  });
}

// The checks count elements in 16 bits: a longer document fails at once.
TEST_F(PriceLists, MoreThan32767PriceElementsOverflowBeforeAnyIsRead) {
  std::string body;
  for (int i = 0; i < 32768; ++i) body += "<ProductPrice/>";
  Run([&] {
    auto prices = NewPriceXml();
    bool isUrl = false;
    const std::string list = RaisedBy([&] { prices->GetCheckedPriceList(Doc(body), isUrl); }).description();
    Golden failures;
    failures.Add("GetCheckedPriceList", list);
    failures.Add("readProductPriceFromXML",
                 RaisedBy([&] { prices->readProductPriceFromXML(Doc(body), false, "A"); }).description());
    EXPECT_EQ(failures.Lines(),
              "GetCheckedPriceList:\n" + Block("6", "Quarvel.PriceXML.GetCheckedPriceList", "Overflow") +
                  "readProductPriceFromXML:\n" +
                  Block("6", "Quarvel.PriceXML.readProductPriceFromXML",
                        Block("6", "Quarvel.PriceXML.getPriceNodes", "Overflow")));
  });
}

}  // namespace
