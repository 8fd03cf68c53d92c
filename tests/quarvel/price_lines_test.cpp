// Price lines: actions, column rules, groups, the currency check, the listing.
#include <gtest/gtest.h>

#include "tests/quarvel/product_fixture.h"

namespace producttest {
namespace {

class PriceLines : public PricedProductTest {
 protected:
  static bool Write(IProduct& product, const char* action, std::vector<rt::Variant> names,
                    std::vector<rt::Variant> values, double quantity = 10, int32_t id = 1) {
    return product.InsertUpdatePrice(id, Day(2026, 1, 1), quantity, Array(std::move(names)), Array(std::move(values)),
                                     action);
  }
};

// Percentages round half to even at two decimals whatever the name's letter
// case; an empty expiry date and an empty group are Null. "insertupdate"
// adds or edits; any other action (capitals included) edits a line that
// must exist.
TEST_F(PriceLines, ActionsAndColumnRules) {
  Run([&] {
    auto product = NewProduct();
    EXPECT_TRUE(product->InsertPrice(
        1, Day(2026, 1, 1), 10,
        Array({"CURRENCYCODE", "PRICE", "PRICEEXPIRYDATE", "discountperc", "PRICETAXPERCENTAGE", "GROUPBY"}),
        Array({"EUR", 10, "", 12.625, "0.375", ""})));
    EXPECT_TRUE(Write(*product, "insert", {"CURRENCYCODE", "DISCOUNTPERC", "GroupBy", "PRICEEXPIRYDATE"},
                      {"EUR", "-2.345", "CONTRACT", "2026-06-30"}, 50));
    EXPECT_TRUE(Write(*product, "insertupdate", {"PRICE"}, {11}));
    EXPECT_TRUE(Write(*product, "INSERT", {"FREIGHTCOST"}, {1.5}));
    EXPECT_TRUE(product->UpdatePrice(1, Day(2026, 1, 1), 10, Array({"DISCOUNTPERC"}), Array({0.125})));
    EXPECT_TRUE(Write(*product, "insertupdate", {"CURRENCYCODE", "PRICE"}, {"EUR", 9}, 100));
    EXPECT_EQ(Failure([&] { Write(*product, "update", {"PRICE"}, {13}, 20); }),
              "800A0BCD ADODB.Recordset: |ERROR 0x800A0BCD| METHOD: Quarvel.Product.InsertUpdatePrice| DESC: There is "
              "no current record: the recordset is at BOF or EOF, or the current record was deleted..|");
  });
  EXPECT_EQ(StoredLines(),
            "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=EUR "
            "PRICE=11.0 DISCOUNTPERC=0.12 DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=0.38 FREIGHTCOST=1.5 "
            "PRICEEXPIRYDATE=null\n"
            "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=50.0 GROUPBY=CONTRACT CURRENCYCODE=EUR "
            "PRICE=null DISCOUNTPERC=-2.34 DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
            "PRICEEXPIRYDATE=2026-06-30 00:00:00\n"
            "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=100.0 GROUPBY=null CURRENCYCODE=EUR "
            "PRICE=9.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
            "PRICEEXPIRYDATE=null\n");
}

// Other writers store the default group as '': both forms are one group,
// found by the key and kept unique, as groups are without regard to case.
// A duplicate fails with the constraint's number and votes abort.
TEST_F(PriceLines, DefaultGroupIsOneGroupInEitherStoredForm) {
  Exec(
      "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, GROUPBY, CURRENCYCODE, PRICE) "
      "VALUES (1, '2026-01-01 00:00:00', 10, '', 'EUR', 1), (2, '2026-01-01 00:00:00', 10, NULL, 'EUR', 2),"
      " (2, '2026-01-01 00:00:00', 50, 'contract', 'EUR', 3);");
  Run([&] {
    auto product = NewProduct();
    EXPECT_TRUE(Write(*product, "update", {"PRICE"}, {4}, 10, 1));
    EXPECT_TRUE(Write(*product, "insertupdate", {"PRICE"}, {5}, 10, 2));
    for (auto [quantity, group] : {std::pair{10.0, ""}, std::pair{50.0, "CONTRACT"}}) {
      const std::string failure =
          Failure([&] { Write(*product, "insert", {"CURRENCYCODE", "GROUPBY"}, {"EUR", group}, quantity, 2); });
      EXPECT_EQ(failure.substr(0, failure.find("| DESC:")),
                "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Quarvel.Product.InsertUpdatePrice");
    }
  });
  EXPECT_EQ(
      Golden().Add("lines", StoredLines()).Add("logged", LogEntriesWith("Quarvel.Product.InsertUpdatePrice")).Lines(),
      "lines:\n"
      "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY= CURRENCYCODE=EUR PRICE=4.0 "
      "DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null PRICEEXPIRYDATE=null\n"
      "PRODUCTID=2 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=EUR "
      "PRICE=5.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
      "PRICEEXPIRYDATE=null\n"
      "PRODUCTID=2 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=50.0 GROUPBY=contract CURRENCYCODE=EUR "
      "PRICE=3.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
      "PRICEEXPIRYDATE=null\n"
      "logged: 2\n");
}

// Every value named CURRENCYCODE, in any letter case, is checked: by the
// shipped registry's currency class, then by a refusing owner of a test
// registry.
TEST_F(PriceLines, CurrencyIsCheckedOnEveryAction) {
  Exec(
      "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE, PRICE) "
      "VALUES (1, '2026-01-01 00:00:00', 10, 'EUR', 1);");
  Run([&] {
    struct Case {
      const char* what;
      std::vector<rt::Variant> names, values;
    };
    for (const Case& c : std::vector<Case>{
             {"exact name", {"CURRENCYCODE"}, {"XXX"}},
             {"mixed case", {"PRICE", "CurrencyCode"}, {2, "XXX"}},
             {"the last of two stored", {"CURRENCYCODE", "currencycode"}, {"EUR", "XXX"}},
             {"the first of two", {"currencycode", "CURRENCYCODE"}, {"XXX", "EUR"}},
         }) {
      EXPECT_EQ(Failure([&] { Write(*NewProduct(), "insert", c.names, c.values, 20); }),
                "80040007 Quarvel: |ERROR 0x80040007| METHOD: Quarvel.Product.InsertUpdatePrice| DESC: The catalog "
                "product price record you are trying to insert has an invalid reference to another record.|")
          << c.what;
    }
    EXPECT_TRUE(Write(*NewProduct(), "insert", {"currencycode", "CURRENCYCODE"}, {"usd", "EUR"}, 30));
  });
  EXPECT_EQ(Rows("SELECT QUANTITYTO, CURRENCYCODE FROM CATALOGPRODUCTPRICE ORDER BY 1"), "10.0|EUR\n30.0|EUR\n");
  Exec("DELETE FROM CATALOGPRODUCTPRICE WHERE QUANTITYTO = 30");
  UseReferences(
      "[CURRENCY]\nKey=CURRENCYCODE\nOwner=Test.CurrencyOwner\n"
      "ReferredBy=Quarvel.Product:CATALOGPRODUCTPRICE.CURRENCYCODE\n");
  auto questions = std::make_shared<std::vector<std::string>>();
  auto owner = Owner("Test.CurrencyOwner", false, questions);
  Run([&] {
    auto product = NewProduct();
    for (const char* action : {"insert", "insertupdate", "update"})
      EXPECT_EQ(Failure([&] { Write(*product, action, {"CURRENCYCODE", "PRICE"}, {"GBP", 2}); }).substr(0, 9),
                "80040007 ");
    // In lower case the name is the currency's too; with no such name the
    // checker gets Null, which refers to nothing.
    EXPECT_EQ(Failure([&] { Write(*product, "update", {"currencycode", "PRICE"}, {"GBP", 3}); }).substr(0, 9),
              "80040007 ");
    EXPECT_TRUE(Write(*product, "update", {"PRICE"}, {4}));
  });
  EXPECT_EQ(Golden().Add("asked", testing::PrintToString(*questions)).Add("lines", StoredLines()).Lines(),
            "asked: { \"Exists(Quarvel, CURRENCYCODE=String:GBP)\", \"Exists(Quarvel, CURRENCYCODE=String:GBP)\", "
            "\"Exists(Quarvel, CURRENCYCODE=String:GBP)\", \"Exists(Quarvel, CURRENCYCODE=String:GBP)\" }\n"
            "lines: PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=EUR "
            "PRICE=4.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
            "PRICEEXPIRYDATE=null\n");
}

// The Ex call's group finds the line; after the call, even a failed one, a
// plain call edits the default group's line.
TEST_F(PriceLines, ExGroupHoldsForItsCallOnly) {
  Run([&] {
    auto product = NewProduct();
    auto ex = [&](const char* group, std::vector<rt::Variant> names, std::vector<rt::Variant> values) {
      return product->InsertUpdatePriceEx(1, Day(2026, 1, 1), 10, group, Array(std::move(names)),
                                          Array(std::move(values)), "insertupdate");
    };
    EXPECT_TRUE(Write(*product, "insert", {"CURRENCYCODE", "PRICE"}, {"EUR", 1}));
    EXPECT_TRUE(ex("CONTRACT", {"CURRENCYCODE", "PRICE", "GROUPBY"}, {"EUR", 2, "CONTRACT"}));
    EXPECT_TRUE(ex("contract", {"PRICE"}, {3}));
    EXPECT_EQ(Failure([&] { ex("SPOT", {"CURRENCYCODE", "NOSUCHCOLUMN"}, {"EUR", 4}); }).substr(0, 9), "800A0CC1 ");
    EXPECT_TRUE(Write(*product, "update", {"PRICE"}, {5}));
  });
  EXPECT_EQ(StoredLines(),
            "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=null CURRENCYCODE=EUR "
            "PRICE=5.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
            "PRICEEXPIRYDATE=null\n"
            "PRODUCTID=1 PRICEEFFECTIVEDATE=2026-01-01 00:00:00 QUANTITYTO=10.0 GROUPBY=CONTRACT CURRENCYCODE=EUR "
            "PRICE=3.0 DISCOUNTPERC=null DISCOUNTAMOUNT=null PRICETAXPERCENTAGE=null FREIGHTCOST=null "
            "PRICEEXPIRYDATE=null\n");
}

// "insertupdate" that finds no line in the Ex call's group adds it in that
// group, so that the same call edits it the next time; a GROUPBY among the
// names decides the new line's group. "insert" and "update" go by the names
// alone, as a plain call does.
TEST_F(PriceLines, InsertUpdateAddsTheLineItDidNotFindInItsGroup) {
  Run([&] {
    auto product = NewProduct();
    struct Case {
      const char* group;
      double quantity;
      const char* action;
      std::vector<rt::Variant> names, values;
    };
    std::string answers;
    for (const Case& c : std::vector<Case>{
             {"VIP", 5, "insertupdate", {"CURRENCYCODE", "PRICE"}, {"USD", 1}},
             {"VIP", 5, "insertupdate", {"PRICE"}, {3}},
             {"VIP", 6, "insertupdate", {"CURRENCYCODE", "PRICE", "groupby"}, {"USD", 4, "SPOT"}},
             {"VIP", 7, "insertupdate", {"CURRENCYCODE", "PRICE", "GROUPBY"}, {"USD", 5, ""}},
             {"VIP", 8, "insert", {"CURRENCYCODE", "PRICE"}, {"USD", 6}},
         }) {
      answers += std::string(c.group) + " " + std::to_string(static_cast<int>(c.quantity)) + " " + c.action + ": " +
                 Answer([&] {
                   return product->InsertUpdatePriceEx(1, Day(2026, 4, 1), c.quantity, c.group, Array(c.names),
                                                       Array(c.values), c.action);
                 }) +
                 "\n";
    }
    EXPECT_EQ(answers,
              "VIP 5 insertupdate: Boolean:True\nVIP 5 insertupdate: Boolean:True\nVIP 6 insertupdate: Boolean:True\n"
              "VIP 7 insertupdate: Boolean:True\nVIP 8 insert: Boolean:True\n");
  });
  EXPECT_EQ(Rows("SELECT QUANTITYTO, IFNULL(GROUPBY, 'null'), PRICE FROM CATALOGPRODUCTPRICE WHERE PRODUCTID = 1 "
                 "AND PRICEEFFECTIVEDATE = '2026-04-01 00:00:00' ORDER BY 1"),
            "5.0|VIP|3.0\n6.0|SPOT|4.0\n7.0|null|5.0\n8.0|null|6.0\n");
}

// A quantity break of 16 digits is found again by its key: the statements
// carry it with every digit it needs, so the same insertupdate edits the
// line, an update finds it and the bare lookup by quantity picks it.
TEST_F(PriceLines, AQuantityBreakOfSixteenDigitsIsFoundAgain) {
  Run([&] {
    auto product = NewProduct();
    double third = 0.3333333333333333;
    std::string answers = Answer([&] { return Write(*product, "insertupdate", {"CURRENCYCODE", "PRICE"}, {"EUR", 1}, 0.1); });
    for (int price : {2, 3})
      answers += " " + Answer([&] { return Write(*product, "insertupdate", {"CURRENCYCODE", "PRICE"}, {"EUR", price}, third); });
    answers += " " + Answer([&] {
      return product->UpdatePrice(1, Day(2026, 1, 1), third, Array({"PRICE"}), Array({4}));
    });
    int32_t id = 1;
    answers += " " + Answer([&] { return product->GetPriceFromPriceLines(id, third); });
    EXPECT_EQ(answers, "Boolean:True Boolean:True Boolean:True Boolean:True Double:4");
  });
  // The break stored is the Double a third is, not its text of 15 digits.
  EXPECT_EQ(Rows("SELECT QUANTITYTO = 1.0 / 3, PRICE FROM CATALOGPRODUCTPRICE ORDER BY QUANTITYTO"), "0|1.0\n1|4.0\n");
}

// An amount below 10^11 reads back as written; one at or beyond it, money's
// largest and smallest values among them, is refused with the column's
// overflow and stores nothing, so the product's lines stay readable.
TEST_F(PriceLines, AmountsReadBackAsWrittenOrAreRefusedWithTheColumnsOverflow) {
  Run([&] {
    auto product = NewProduct();
    Golden answers;
    double quantity = 0;
    for (const char* price : {"99999999999.9999", "1234567890123.4567", "922337203685477.5807",
                              "-922337203685477.5808", "100000000000"}) {
      answers.Add(price, Answer([&] {
        return product->InsertPrice(1, Day(2026, 1, 1), ++quantity, Array({"CURRENCYCODE", "PRICE"}),
                                    Array({"EUR", rt::CCur(rt::Variant(price))}));
      }));
    }
    const std::string refused =
        "80040E57 SQLite: |ERROR 0x80040E57| METHOD: Quarvel.Product.InsertUpdatePrice| DESC: Arithmetic overflow "
        "error converting expression to data type money..|";
    int32_t id = 1;
    answers.Add("lines", Render(product->GetProductPriceLines(id)->Item(rt::Variant("1")).AsObject()));
    double one = 1;
    answers.Add("price", Answer([&] { return product->GetPriceFromPriceLines(id, one); }));
    EXPECT_EQ(answers.Lines(),
              "99999999999.9999: Boolean:True\n"
              "1234567890123.4567: " + refused + "\n"
              "922337203685477.5807: " + refused + "\n"
              "-922337203685477.5808: " + refused + "\n"
              "100000000000: " + refused + "\n"
              "lines: PRODUCTID=Long:1; PRICEEFFECTIVEDATE=Date:2026-01-01; CURRENCYCODE=String:EUR; "
              "PRICEEXPIRYDATE=Null; PRICE=Currency:99999999999.9999; DISCOUNTPERC=Null; DISCOUNTAMOUNT=Null; "
              "PRICETAXPERCENTAGE=Null; QUANTITYTO=Double:1; GROUPBY=Null\n"
              "price: Double:99999999999.9999\n");
  });
  EXPECT_EQ(Rows("SELECT COUNT(*), typeof(PRICE) FROM CATALOGPRODUCTPRICE"), "1|real\n");
}

TEST_F(PriceLines, GetProductPriceLinesGivesEachLineUnderItsCount) {
  Exec(
      "INSERT INTO CATALOGPRODUCTPRICE VALUES (2, '2026-01-01 00:00:00', 10, NULL, 'EUR', 1.5, 2.5, 1, 19, 4, NULL),"
      "(2, '2026-02-01 00:00:00', 50, 'CONTRACT', 'USD', 2, NULL, NULL, NULL, NULL, '2026-06-30 00:00:00');");
  Run([&] {
    auto product = NewProduct();
    int32_t id = 2;
    auto lines = product->GetProductPriceLines(id);
    ASSERT_EQ(lines->Count(), 2);
    EXPECT_EQ(Render(lines->Item(rt::Variant("2")).AsObject()->As<rt::Dictionary>()),
              "PRODUCTID=Long:2; PRICEEFFECTIVEDATE=Date:2026-02-01; CURRENCYCODE=String:USD; "
              "PRICEEXPIRYDATE=Date:2026-06-30; PRICE=Currency:2; DISCOUNTPERC=Null; DISCOUNTAMOUNT=Null; "
              "PRICETAXPERCENTAGE=Null; QUANTITYTO=Double:50; GROUPBY=String:CONTRACT");
  });
}

}  // namespace
}  // namespace producttest
