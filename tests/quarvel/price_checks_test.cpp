// The checks of price lines as the error report answers them.
#include "tests/quarvel/price_xml_fixture.h"

namespace {

using PriceChecks = PriceXmlTest;

TEST_F(PriceChecks, PerValueChecksTakeAnyLetterCaseAndPercentagesRunFromZeroToHundred) {
  Run([&] {
    const std::string doc = Doc(
        Price("OS-SH100", Sound() + "<discountperc>100</discountperc><PriceTaxPercentage>0</PriceTaxPercentage>"
                                    "<freightcost>2.5</freightcost><Remark>any</Remark>") +
        Price("OS-SH100", Sound() + "<DiscountPerc>100.01</DiscountPerc><PRICETAXPERCENTAGE>-1</PRICETAXPERCENTAGE>"
                                    "<FreightCost>free</FreightCost>") +
        Price("OS-SH100", Sound() + "<DISCOUNTPERC>ten</DISCOUNTPERC>"));
    EXPECT_EQ(Nested(NewPriceXml()->GetErrorsInPriceValues(doc, false, "OS-SH100")),
              "PRICE 1: {}\n"
              "PRICE 2: {DiscountPerc=String:100.01; PRICETAXPERCENTAGE=String:-1; FreightCost=String:free}\n"
              "PRICE 3: {DISCOUNTPERC=String:ten}\n");
  });
}

TEST_F(PriceChecks, AFaultyValueSwitchesOffTheCrossCheckItFeeds) {
  const std::string dates = "<CurrencyCode>USD</CurrencyCode>";
  Run([&] {
    const std::string doc = Doc(
        // Not numeric: QuantityTo (blank too) ends the price check, though the price is below the discount.
        Price("A", "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>2/1/2026</PriceExpiryDate>" +
                       dates + "<Price>1</Price><DiscountAmount>5</DiscountAmount><QuantityTo>many</QuantityTo>") +
        Price("A", "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>2/1/2026</PriceExpiryDate>" +
                       dates + "<Price>10</Price><DiscountAmount>1</DiscountAmount><QuantityTo> </QuantityTo>") +
        // A date that is no month/day/year date ends the date-order check.
        Price("A", "<PriceEffectiveDate>13/1/2026</PriceEffectiveDate><PriceExpiryDate>1/1/2025</PriceExpiryDate>" +
                       dates + "<Price>10</Price><DiscountAmount>1</DiscountAmount>") +
        // Equal dates, and a price equal to its discount, fail.
        Price("A", "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>1/1/2026</PriceExpiryDate>" +
                       dates + "<Price>1</Price><DiscountAmount>1</DiscountAmount>") +
        // The order is that of month/day/year: January 2 comes before February 1.
        Price("A", "<PriceEffectiveDate>1/2/2026</PriceEffectiveDate><PriceExpiryDate>2/1/2026</PriceExpiryDate>" +
                       dates + "<Price>1</Price>"));
    EXPECT_EQ(Nested(NewPriceXml()->GetErrorsInPriceValues(doc, false, "A")),
              "PRICE 1: {QuantityTo=String:many}\n"
              "PRICE 2: {QuantityTo=String:}\n"
              "PRICE 3: {PriceEffectiveDate=String:13/1/2026}\n"
              "PRICE 4: {PriceEffectiveDate=String:1/1/2026; PriceExpiryDate=String:1/1/2026; "
              "DiscountAmount=String:1; Price=String:1}\n"
              "PRICE 5: {}\n");
  });
}

// The cross-field and currency checks read exact names: a line written in
// upper case passes the per-value checks but lacks them all.
TEST_F(PriceChecks, CrossChecksReadExactNamesAndAMissingOneIsEmpty) {
  Run([&] {
    const std::string doc = Doc(
        Price("A", "<PRICEEFFECTIVEDATE>1/1/2026</PRICEEFFECTIVEDATE><PRICEEXPIRYDATE>12/31/2026</PRICEEXPIRYDATE>"
                   "<CURRENCYCODE>USD</CURRENCYCODE><PRICE>10</PRICE><DISCOUNTAMOUNT>1</DISCOUNTAMOUNT>") +
        Price("A", "<!-- no values -->") +
        // Without a discount only a price above 0 is needed; the currency's case counts.
        Price("A", "<PriceEffectiveDate>1/1/2026</PriceEffectiveDate><PriceExpiryDate>2/1/2026</PriceExpiryDate>"
                   "<CurrencyCode>usd</CurrencyCode><Price>0.01</Price>"));
    EXPECT_EQ(Nested(NewPriceXml()->GetErrorsInPriceValues(doc, false, "A")),
              "PRICE 1: {CurrencyCode=String:; PriceEffectiveDate=Empty; PriceExpiryDate=Empty; "
              "DiscountAmount=Empty; Price=Empty}\n"
              "PRICE 2: {CurrencyCode=String:; PriceEffectiveDate=Empty; PriceExpiryDate=Empty; "
              "DiscountAmount=Empty; Price=Empty}\n"
              "PRICE 3: {CurrencyCode=String:usd}\n");
  });
}

// Without a checked list first, the object reads the currencies at its
// first check and keeps them; each checked list reads them again.
TEST_F(PriceChecks, CurrenciesAreReadOnFirstUseAndAgainByEachCheckedList) {
  Run([&] {
    auto prices = NewPriceXml();
    const std::string chf = Doc(Price("OS-SH100", Sound("10", "10", "CHF")));
    EXPECT_EQ(Nested(prices->GetErrorsInPriceValues(Doc(Price("A", Sound())), false, "A")), "PRICE 1: {}\n");
    Exec("INSERT INTO CURRENCY VALUES ('CHF', 'Swiss franc', 0, 0, 0, 2, NULL)");
    EXPECT_EQ(Nested(prices->GetErrorsInPriceValues(chf, false, "OS-SH100")), "PRICE 1: {CurrencyCode=String:CHF}\n");
    bool isUrl = false;
    EXPECT_EQ(Checked(prices->GetCheckedPriceList(chf, isUrl)), "OS-SH100=OS-SH100|Work shirt, blue|True\n");
    EXPECT_EQ(Nested(prices->GetErrorsInPriceValues(chf, false, "OS-SH100")), "PRICE 1: {}\n");
  });
}

}  // namespace
