// Price selection: the line in force for a date, quantity and group with
// its amounts converted; the bare price lookups by quantity and by group.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

// Product 1: default-group lines (stored as Null) in EUR with breaks 10, 50
// and 100, and a CONTRACT line at break 100. Product 2: a USD line that
// expired on 2026-06-30 and the open-ended one after it. Product 3: one
// default-group line stored as ''.
const char* const kLines =
    "INSERT INTO CATALOGPRODUCTPRICE VALUES"
    " (1, '2026-01-01 00:00:00', 10, NULL, 'EUR', 10, 5, NULL, 19, 2, NULL),"
    " (1, '2026-01-01 00:00:00', 50, NULL, 'EUR', 9, 5, 1, 19, 2, NULL),"
    " (1, '2026-01-01 00:00:00', 100, NULL, 'EUR', 8, NULL, NULL, NULL, NULL, NULL),"
    " (1, '2026-01-01 00:00:00', 100, 'CONTRACT', 'EUR', 7, NULL, NULL, NULL, NULL, NULL),"
    " (2, '2026-01-01 00:00:00', 1, NULL, 'USD', 5, NULL, NULL, NULL, NULL, '2026-06-30 00:00:00'),"
    " (2, '2026-07-01 00:00:00', 1, NULL, 'USD', 6, NULL, NULL, NULL, NULL, NULL),"
    " (3, '2026-01-01 00:00:00', 1, '', 'GBP', 4, NULL, NULL, NULL, NULL, NULL);";

const char* const kNoLine =
    "PRICE=Integer:0; DISCOUNTPERC=Integer:0; DISCOUNTAMOUNT=Integer:0; PRICETAXPERCENTAGE=Integer:0; "
    "FREIGHTCOST=Integer:0";

class PriceSelection : public PricedProductTest {
 protected:
  PriceSelection() { Exec(kLines); }

  static std::string Price(IProduct& product, int32_t id, rt::Date date, const char* currency,
                           std::optional<double> quantity) {
    return Render(product.getCatalogPriceAttributes(id, date, currency, quantity));
  }
};

TEST_F(PriceSelection, QuantityPicksTheSmallestBreakNotBelowIt) {
  Run([&] {
    auto product = NewProduct();
    const rt::Date day = Day(2026, 3, 1);
    EXPECT_EQ(Price(*product, 1, day, "USD", 20),
              "PRICE=Currency:11.25; DISCOUNTPERC=Currency:5; DISCOUNTAMOUNT=Currency:1.25; "
              "PRICETAXPERCENTAGE=Currency:19; FREIGHTCOST=Currency:2.5");
    EXPECT_EQ(Price(*product, 1, day, "GBP", 10),
              "PRICE=Currency:10; DISCOUNTPERC=Currency:5; DISCOUNTAMOUNT=Currency:0; "
              "PRICETAXPERCENTAGE=Currency:19; FREIGHTCOST=Currency:2");
    // The line's own currency: the amounts as stored, zeros for Null.
    EXPECT_EQ(Price(*product, 1, day, "EUR", 100),
              "PRICE=Currency:8; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; "
              "PRICETAXPERCENTAGE=Currency:0; FREIGHTCOST=Currency:0");
    EXPECT_EQ(Price(*product, 1, day, "USD", 150), kNoLine);
    EXPECT_EQ(Price(*product, 3, day, "GBP", std::nullopt),
              "PRICE=Currency:4; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; "
              "PRICETAXPERCENTAGE=Currency:0; FREIGHTCOST=Currency:0");
  });
}

// A line is in force from its effective date through its expiry date.
TEST_F(PriceSelection, LineIsInForceThroughItsExpiryDate) {
  Run([&] {
    auto product = NewProduct();
    auto price = [&](rt::Date day) {
      auto attributes = product->getCatalogPriceAttributes(2, day, "USD", std::nullopt);
      return rt::CStr(attributes->Item(rt::Variant("PRICE")));
    };
    EXPECT_EQ(price(Day(2025, 12, 31)), "0");
    EXPECT_EQ(price(Day(2026, 1, 1)), "5");
    EXPECT_EQ(price(Day(2026, 6, 30)), "5");
    // The expiry date is a point in time: later that day neither line holds.
    EXPECT_EQ(price(rt::Date::FromParts(2026, 6, 30, 18, 0, 0)), "0");
    EXPECT_EQ(price(Day(2027, 1, 1)), "6");
  });
}

// A named group answers its own line, else the default group's; the plain
// method answers only the default group's.
TEST_F(PriceSelection, GroupFallsBackToTheDefaultGroup) {
  Run([&] {
    auto product = NewProduct();
    auto price = [&](std::optional<std::string> group) {
      auto attributes = group ? product->getCatalogPriceAttributesEx(1, Day(2026, 3, 1), "EUR", 60, group)
                              : product->getCatalogPriceAttributes(1, Day(2026, 3, 1), "EUR", 60);
      return rt::CStr(attributes->Item(rt::Variant("PRICE")));
    };
    EXPECT_EQ(price("contract"), "7");
    EXPECT_EQ(price("SPOT"), "8");
    EXPECT_EQ(price(std::nullopt), "8");
    EXPECT_EQ(price(""), "8");
    EXPECT_EQ(Render(product->getCatalogPriceAttributesEx(3, Day(2026, 3, 1), "GBP", std::nullopt, "SPOT")),
              "PRICE=Currency:4; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; "
              "PRICETAXPERCENTAGE=Currency:0; FREIGHTCOST=Currency:0");
  });
}

// A missing rate fails the call with the currency class's error and one
// more block; the group of a failed Ex call does not outlive it.
TEST_F(PriceSelection, ConversionFailureIsWrappedAndLeavesNoGroupBehind) {
  Run([&] {
    auto product = NewProduct();
    const std::string failure = Failure([&] { product->getCatalogPriceAttributes(1, Day(2026, 3, 1), "JPY", 60); });
    EXPECT_EQ(failure,
              "8004007F Brintor: |ERROR 0x8004007F| METHOD: Quarvel.Product.getCatalogPriceAttributes| DESC: "
              "|ERROR 0x8004007F| METHOD: Brintor.Currency.ConvertAmount| DESC: |ERROR 0x8004007F| METHOD: "
              "Brintor.Currency.GetCurrencyRate| DESC: CurrencyRateNotFound.| INFO: .|.|.|");
    EXPECT_EQ(Failure([&] { product->getCatalogPriceAttributesEx(1, Day(2026, 3, 1), "JPY", 60, "CONTRACT"); }),
              failure);
    EXPECT_EQ(rt::CStr(product->getCatalogPriceAttributes(1, Day(2026, 3, 1), "EUR", 60)->Item(rt::Variant("PRICE"))),
              "8");
  });
}

// The bare lookups: by quantity QUANTITYTO is a lower end (the largest
// break not above the quantity, whatever the date or group); by group the
// default group is '' or Null. No line fails with a bare, unlogged error.
TEST_F(PriceSelection, BarePricesByQuantityAndByGroup) {
  Run([&] {
    auto product = NewProduct();
    auto byQuantity = [&](int32_t id, double quantity) { return product->GetPriceFromPriceLines(id, quantity); };
    auto byGroup = [&](int32_t id, std::string group) { return product->GetPriceFromPriceLinesByGroup(id, group); };
    EXPECT_EQ(byQuantity(1, 20), 10);
    EXPECT_EQ(byQuantity(1, 60), 9);
    EXPECT_EQ(byGroup(1, "contract"), 7);
    EXPECT_EQ(byGroup(3, ""), 4);
    EXPECT_EQ(Failure([&] { byQuantity(1, 5); }),
              "800400D0 Quarvel.Product.GetPriceFromPriceLines: ProductId not found");
    EXPECT_EQ(Failure([&] { byGroup(1, "SPOT"); }),
              "800400D0 Quarvel.Product.GetPriceFromPriceLinesByGroup: ProductId not found");
    std::string text;
    int32_t number = 0;
    double quantity = 0;
    rt::Date date;
    EXPECT_EQ(product->getERPPrice(text, text, text, number, text, quantity, text, date, text), nullptr);
  });
  EXPECT_EQ(LogEntriesWith("ProductId not found"), 0);
}

}  // namespace
}  // namespace producttest

namespace producttest {
namespace {

// The sample installation: its products priced as the README shows them,
// and a new product of a sample group given the group's defaults by the
// real property group class.
class SampleProducts : public ProductTest {
 protected:
  SampleProducts() : ProductTest(true) {}
};

TEST_F(SampleProducts, AreMaintainedAndPriced) {
  Run([&] {
    auto product = NewProduct();
    auto price = [&](int32_t id, rt::Date day, const char* currency, double quantity, const char* group = "") {
      return rt::CStr(
          product->getCatalogPriceAttributesEx(id, day, currency, quantity, group)->Item(rt::Variant("PRICE")));
    };
    const rt::Date december = Day(2026, 12, 8);
    EXPECT_EQ(price(1, december, "USD", 20), "11.9");
    EXPECT_EQ(price(1, december, "EUR", 20), "10.2102");
    EXPECT_EQ(price(1, december, "USD", 60, "CONTRACT"), "9.8");
    EXPECT_EQ(price(2, Day(2026, 3, 1), "USD", 100), "4.2");
    EXPECT_EQ(price(2, december, "USD", 100), "4.45");
    EXPECT_EQ(price(3, december, "USD", 5), "45.4545");
    const int32_t id =
        product->Insert20(Array({"PARTNUMBER", "PRODUCTDESCRIPTION", "BUSINESSPARTNERID", "USERID", "PROPERTYGROUPID"}),
                          Array({"SHIRT-900", "Work shirt, red", 1, "buyer1", 1}));
    EXPECT_EQ(id, 9);
  });
  EXPECT_EQ(Rows("SELECT PROPERTYID, VALUE FROM PRODUCTPROPVALUE WHERE PRODUCTID = 9 ORDER BY 1"), "1|Black\n2|M\n");
}

}  // namespace
}  // namespace producttest
