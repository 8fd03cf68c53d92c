// Price selection: the line in force, converted; the bare price lookups.
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

class PriceSelection : public PricedProductTest {
 protected:
  PriceSelection() { Exec(kLines); }

  // The PRICE that getCatalogPriceAttributesEx answers (the plain method
  // when no group is given).
  static std::string PriceOf(IProduct& product, int32_t id, rt::Date day, const char* currency,
                             std::optional<double> quantity, std::optional<std::string> group = std::nullopt) {
    auto attributes = group ? product.getCatalogPriceAttributesEx(id, day, currency, quantity, group)
                            : product.getCatalogPriceAttributes(id, day, currency, quantity);
    return rt::CStr(attributes->Item(rt::Variant("PRICE")));
  }
};

// The smallest break not below the quantity; amounts converted, percentages
// as stored; the line's own currency gives the amounts unchanged. A line is
// in force from its effective date through its expiry date, a point in time.
TEST_F(PriceSelection, LineInForceForTheDateAndQuantity) {
  Run([&] {
    auto product = NewProduct();
    const rt::Date march = Day(2026, 3, 1);
    EXPECT_EQ(Render(product->getCatalogPriceAttributes(1, march, "USD", 20)),
              "PRICE=Currency:11.25; DISCOUNTPERC=Currency:5; DISCOUNTAMOUNT=Currency:1.25; "
              "PRICETAXPERCENTAGE=Currency:19; FREIGHTCOST=Currency:2.5");
    EXPECT_EQ(Render(product->getCatalogPriceAttributes(1, march, "EUR", 100)),
              "PRICE=Currency:8; DISCOUNTPERC=Currency:0; DISCOUNTAMOUNT=Currency:0; "
              "PRICETAXPERCENTAGE=Currency:0; FREIGHTCOST=Currency:0");
    EXPECT_EQ(Render(product->getCatalogPriceAttributes(1, march, "USD", 150)),
              "PRICE=Integer:0; DISCOUNTPERC=Integer:0; DISCOUNTAMOUNT=Integer:0; PRICETAXPERCENTAGE=Integer:0; "
              "FREIGHTCOST=Integer:0");
    EXPECT_EQ(PriceOf(*product, 3, march, "GBP", std::nullopt), "4");
    Golden prices;
    for (rt::Date day : {Day(2025, 12, 31), Day(2026, 1, 1), Day(2026, 6, 30),
                         rt::Date::FromParts(2026, 6, 30, 18, 0, 0), Day(2027, 1, 1)})
      prices.Add(rt::CStr(rt::Variant(day)), PriceOf(*product, 2, day, "USD", std::nullopt));
    EXPECT_EQ(prices.Lines(), "2025-12-31: 0\n2026-01-01: 5\n2026-06-30: 5\n2026-06-30 18:00:00: 0\n2027-01-01: 6\n");
  });
}

// A named group else the default group's line; the plain method the
// default group's only. A missing rate fails with one more block.
TEST_F(PriceSelection, GroupFallsBackToTheDefaultGroupAndDoesNotOutliveItsCall) {
  Run([&] {
    auto product = NewProduct();
    const rt::Date march = Day(2026, 3, 1);
    Golden text;
    text.Add("1, contract", PriceOf(*product, 1, march, "EUR", 60, "contract"));
    text.Add("1, plain", PriceOf(*product, 1, march, "EUR", 60));
    text.Add("3, SPOT", PriceOf(*product, 3, march, "GBP", std::nullopt, "SPOT"));
    text.Add("1, CONTRACT in JPY",
             Failure([&] { product->getCatalogPriceAttributesEx(1, march, "JPY", 60, "CONTRACT"); }));
    EXPECT_EQ(text.Add("1, plain after", PriceOf(*product, 1, march, "EUR", 60)).Lines(),
              "1, contract: 7\n1, plain: 8\n3, SPOT: 4\n"
              "1, CONTRACT in JPY: 8004007F Brintor: |ERROR 0x8004007F| METHOD: "
              "Quarvel.Product.getCatalogPriceAttributes| "
              "DESC: |ERROR 0x8004007F| METHOD: Brintor.Currency.ConvertAmount| DESC: |ERROR 0x8004007F| METHOD: "
              "Brintor.Currency.GetCurrencyRate| DESC: CurrencyRateNotFound.| INFO: .|.|.|\n1, plain after: 8\n");
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
    Golden prices;
    prices.Add("1, quantity 60", rt::CStr(byQuantity(1, 60)))
        .Add("1, group contract", rt::CStr(byGroup(1, "contract")));
    prices.Add("3, group ''", rt::CStr(byGroup(3, ""))).Add("1, quantity 5", Failure([&] { byQuantity(1, 5); }));
    EXPECT_EQ(prices.Add("1, group SPOT", Failure([&] { byGroup(1, "SPOT"); })).Lines(),
              "1, quantity 60: 9\n1, group contract: 7\n3, group '': 4\n"
              "1, quantity 5: 800400D0 Quarvel.Product.GetPriceFromPriceLines: ProductId not found\n"
              "1, group SPOT: 800400D0 Quarvel.Product.GetPriceFromPriceLinesByGroup: ProductId not found\n");
    std::string text;
    int32_t number = 0;
    double quantity = 0;
    rt::Date date;
    EXPECT_EQ(product->getERPPrice(text, text, text, number, text, quantity, text, date, text), nullptr);
  });
  EXPECT_EQ(LogEntriesWith("ProductId not found"), 0);
}

// The sample installation: a new product of a sample group is given its
// defaults by the property group class.
using SampleProducts = SampleProductTest;

TEST_F(SampleProducts, ANewProductOfAGroupGetsTheGroupsDefaults) {
  int32_t id = 0;
  Run([&] {
    id = NewProduct()->Insert20(Array({"PARTNUMBER", "PRODUCTDESCRIPTION", "BUSINESSPARTNERID", "USERID", "PROPERTYGROUPID"}),
                                Array({"SHIRT-900", "Work shirt, red", 1, "buyer1", 1}));
  });
  EXPECT_EQ(Golden()
                .Add("id", id)
                .Add("values of 9", Rows("SELECT PROPERTYID, VALUE FROM PRODUCTPROPVALUE WHERE PRODUCTID = 9"))
                .Lines(),
            "id: 9\nvalues of 9:\n1|Black\n2|M\n");
}

}  // namespace
}  // namespace producttest
