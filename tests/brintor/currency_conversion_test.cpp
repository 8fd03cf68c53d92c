// The rate readers and the conversions: worked examples, rounding, failures,
// the validity period's edges and the home-currency cache.
#include "tests/brintor/brintor_fixture.h"

namespace {

using ConvertAmount = ExampleCurrencyTest;

const rt::Date kDay = rt::Date::FromParts(2026, 12, 8);

TEST_F(ConvertAmount, WorkedExamplesGoThroughTheHomeCurrencyOrTheEuro) {
  With("", [&](ICurrency& c) {
    Golden answers;
    for (auto [from, to, amount] : std::vector<std::tuple<const char*, const char*, double>>{
             {"ABC", "HOM", 10}, {"HOM", "ABC", 10}, {"DEF", "HOM", 9}, {"HOM", "EUR", 6},
             {"HOM", "XYZ", 2},  {"ABC", "DEF", 10}, {"EUR", "ABC", 1}, {"DEF", "EUR", 9},
             {"EUR", "DEF", 2},  {"XYZ", "ABC", 300}}) {
      answers.Add(std::string(from) + ">" + to + " " + Golden::Text(amount), Convert(c, from, to, amount, kDay));
    }
    // Afterwards the properties describe the last target.
    EXPECT_EQ(answers.Add("CurrencyCode", rt::CStr(c.CurrencyCode())).Lines(),
              "ABC>HOM 10: 2.5\n"      // 10 / (1 x 4)
              "HOM>ABC 10: 40\n"       // (10 x 4) x 1
              "DEF>HOM 9: 6\n"         // 9 / (1 x 3) x (1 x 2)
              "HOM>EUR 6: 3\n"         // 6 / (1 x 2) x 1
              "HOM>XYZ 2: 300\n"       // (2 x 1.5) x 100
              "ABC>DEF 10: 3.75\n"     // 2.5 home units / 2 x 3
              "EUR>ABC 1: 8\n"         // 1 euro = 2 home units, x 4
              "DEF>EUR 9: 3\n"         // 9 / 3 x 2 = 6 home units, / 2
              "EUR>DEF 2: 6\n"         // 2 euros = 4 home units, / 2 x 3
              "XYZ>ABC 300: 8\n"       // 300 / 150 = 2 home units, x 4
              "CurrencyCode: ABC\n");
  });
}

// Results round half to even at the fourth decimal, never to the currency's
// own decimals (XYZ has 0); missing rates and unknown codes fail with their
// own numbers.
TEST_F(ConvertAmount, ResultsRoundAtTheFourthDecimalAndMissingRatesFail) {
  With("INSERT INTO CURRENCY VALUES ('TRI', 'Three', 0, 0, 0, 2, NULL), ('HLF', 'Half', 0, 0, 0, 2, NULL),"
       " ('NUL', 'Null home rate', 0, 0, 0, 2, NULL), ('EP0', 'Tied, no euro rate', 0, 0, 1, 2, NULL),"
       " ('NOR', 'No rate row', 0, 0, 0, 2, NULL), ('ZER', 'Zero factor', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('TRI', '2026-01-01 00:00:00', NULL, 3, NULL, 1),"
       " ('HLF', '2026-01-01 00:00:00', NULL, 0.5, NULL, 1), ('ZER', '2026-01-01 00:00:00', NULL, 4, NULL, 0),"
       " ('NUL', '2026-01-01 00:00:00', NULL, NULL, 5, 1), ('EP0', '2026-01-01 00:00:00', NULL, 7, 0, 1);",
       [&](ICurrency& c) {
         Golden rounded;
         rounded.Add("TRI>HOM 10", Convert(c, "TRI", "HOM", 10, kDay));
         rounded.Add("HOM>HLF 0.0001", Convert(c, "HOM", "HLF", 0.0001, kDay));
         rounded.Add("HOM>HLF 0.0003", Convert(c, "HOM", "HLF", 0.0003, kDay));
         rounded.Add("HOM>XYZ 0.0101", Convert(c, "HOM", "XYZ", 0.0101, kDay));
         EXPECT_EQ(rounded.Lines(),
                   "TRI>HOM 10: 3.3333\nHOM>HLF 0.0001: 0\nHOM>HLF 0.0003: 0.0002\nHOM>XYZ 0.0101: 1.515\n");
         Golden missing;
         missing.Add("NUL>HOM", Convert(c, "NUL", "HOM", 1, kDay)).Add("HOM>EP0", Convert(c, "HOM", "EP0", 1, kDay));
         missing.Add("HOM>NOR", Convert(c, "HOM", "NOR", 1, kDay)).Add("HOM>QQQ", Convert(c, "HOM", "QQQ", 1, kDay));
         EXPECT_EQ(missing.Lines(), "NUL>HOM: " + Failed(BrintorError::HomeRateNotDefined) + "\nHOM>EP0: " +
                                        Failed(BrintorError::EuroRateNotDefined) + "\nHOM>NOR: " +
                                        Failed(BrintorError::CurrencyRateNotFound) + "\nHOM>QQQ: " +
                                        Failed(BrintorError::CurrencyNotFound) + "\n");

         // The first raise's number and source reach the caller; each handler on
         // the way adds its block, and each logs once. A factor of 0 divides by
         // zero: VB's error through the handler.
         const int logged = LogEntries();
         auto convert = [&](const char* from, const char* to) {
           rt::Date day = kDay;
           return Failure([&] { c.ConvertAmount(Ref<std::string>(from), Ref<std::string>(to), Ref(Money(1)), day); });
         };
         EXPECT_EQ(convert("HOM", "NOR"),
                   "8004007F Brintor: |ERROR 0x8004007F| METHOD: Brintor.Currency.ConvertAmount| DESC: |ERROR "
                   "0x8004007F| METHOD: Brintor.Currency.GetCurrencyRate| DESC: CurrencyRateNotFound.| INFO: .|.|");
         EXPECT_EQ(LogEntries(), logged + 2);
         EXPECT_EQ(convert("ZER", "HOM"),
                   "B Brintor: |ERROR 0xB| METHOD: Brintor.Currency.ConvertAmount| DESC: Division by zero.|");
       });
}

// Compared exactly: another letter case is another code and needs the tables.
TEST_F(ConvertAmount, EqualCodesAnswerTheAmountWithoutReadingAnything) {
  With("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;", [&](ICurrency& c) {
    Golden seen;
    seen.Add("QQQ>QQQ", Convert(c, "QQQ", "QQQ", 12.3456, kDay)).Add("CurrencyCode", rt::CStr(c.CurrencyCode()));
    EXPECT_EQ(seen.Add("QQQ>qqq", Convert(c, "QQQ", "qqq", 1, kDay)).Line(),
              "QQQ>QQQ=12.3456 CurrencyCode= QQQ>qqq=error -2147217900");
  });
}

// The euro as source would otherwise answer 0 as if converted; converting
// into the euro divides by the home currency's euro rate: VB's division by
// zero, through the handler.
TEST_F(ConvertAmount, TiedCurrencyNeedsTheHomeCurrencysEuroRate) {
  With("UPDATE CURRENCYRATE SET EUROSALESRATE=NULL WHERE CURRENCYCODE='HOM';", [&](ICurrency& c) {
    const std::string missing = Failed(BrintorError::EuroRateNotDefinedForHomeCurrency);
    Golden seen;
    seen.Add("DEF>HOM", Convert(c, "DEF", "HOM", 9, kDay)).Add("EUR>ABC", Convert(c, "EUR", "ABC", 5, kDay));
    EXPECT_EQ(seen.Add("HOM>EUR", Convert(c, "HOM", "EUR", 5, kDay)).Line(),
              "DEF>HOM=" + missing + " EUR>ABC=" + missing + " HOM>EUR=error 11");
  });
}

TEST_F(ConvertAmount, RateIsValidFromItsEffectiveDateUntilBeforeItsExpiry) {
  With("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE='ABC';"
       "INSERT INTO CURRENCYRATE VALUES ('ABC', '2026-01-01 00:00:00', '2026-06-01 00:00:00', 4, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('ABC', '2026-06-01 00:00:00', '2026-09-01 12:00:00', 5, NULL, 1);",
       [&](ICurrency& c) {
         Golden seen;
         for (rt::Date day : {Day(2026, 5, 31, 23, 59, 59), Day(2026, 6, 1), Day(2026, 9, 1, 11, 59, 59),
                              Day(2026, 9, 1, 12), Day(2025, 12, 31, 23, 59, 59)})
           seen.Add(rt::CStr(rt::Variant(day)), Convert(c, "HOM", "ABC", 1, day));
         const std::string none = Failed(BrintorError::CurrencyRateNotFound);
         EXPECT_EQ(seen.Lines(), "2026-05-31 23:59:59: 4\n2026-06-01: 5\n2026-09-01 11:59:59: 5\n"
                                 "2026-09-01 12:00:00: " + none + "\n2025-12-31 23:59:59: " + none + "\n");
       });
}

// With the euro as home currency, its unit rate stands in for a rate row.
TEST_F(ConvertAmount, HomeCurrencyNeedsARateRowUnlessItIsTheEuro) {
  Golden seen;
  With("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE='HOM';",
       [&](ICurrency& c) { seen.Add("no home row: ABC>XYZ", Convert(c, "ABC", "XYZ", 4, kDay)); });
  With("UPDATE CURRENCY SET HOMECURRENCY=0; UPDATE CURRENCY SET HOMECURRENCY=1 WHERE CURRENCYCODE='EUR';",
       [&](ICurrency& c) {
         seen.Add("euro home: ABC>XYZ", Convert(c, "ABC", "XYZ", 4, kDay));
         seen.Add("euro home: DEF>EUR", Convert(c, "DEF", "EUR", 6, kDay));
       });
  EXPECT_EQ(seen.Lines(), "no home row: ABC>XYZ: " + Failed(BrintorError::CurrencyRateNotFound) +
                              "\neuro home: ABC>XYZ: 150\neuro home: DEF>EUR: 2\n");
}

// Another home currency in the database is not seen by an object that read
// one; a home currency set from outside is used as it is: flagged as the
// euro, it takes the unit rate.
TEST_F(ConvertAmount, HomeCurrencyIsReadOnceAndCanBeReplaced) {
  Run([&] {
    auto c = NewCurrency();
    Golden seen;
    seen.Add("ABC>HOM", Convert(*c, "ABC", "HOM", 10, kDay));
    Exec("UPDATE CURRENCY SET HOMECURRENCY=0; UPDATE CURRENCY SET HOMECURRENCY=1 WHERE CURRENCYCODE='EUR';");
    seen.Add("ABC>DEF", Convert(*c, "ABC", "DEF", 10, kDay));
    seen.Add("another's home", NewCurrency()->GetHomeCurrencyCode());

    auto home = rt::NewDictionary();
    home->Add("CURRENCYCODE", "XYZ");
    home->Add("EURO", true);
    rt::ObjectPtr object = home;
    c->SetHomeCurrencyObject(object);
    seen.Add("home", c->GetHomeCurrencyCode());
    // DEF>ABC: 3 / 3 x 1 home units, x 4
    EXPECT_EQ(seen.Add("DEF>ABC", Convert(*c, "DEF", "ABC", 3, kDay)).Line(),
              "ABC>HOM=2.5 ABC>DEF=3.75 another's home=EUR home=XYZ DEF>ABC=4");
  });
}

TEST_F(ConvertAmount, RateRowsAsDictionariesAndTheirFailures) {
  Exec("INSERT INTO CURRENCYRATE VALUES ('ABC', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 3.25, 1.125, 10);");
  Run([&] {
    auto c = NewCurrency();
    rt::Variant abc("ABC");
    rt::Date day = kDay;
    Golden rates;
    rates.Add("GetCurrencyRate", Render(c->GetCurrencyRate(abc, day)));
    rates.Add("GetSpecificCurrencyRate(2025-01-01)",
              Render(c->GetSpecificCurrencyRate(abc, Ref(Day(2025, 1, 1)))).substr(0, 80));
    EXPECT_EQ(rates.Lines(),
              "GetCurrencyRate: CURRENCYCODE=String:ABC; EFFECTIVEDATE=Date:2026-01-01; EXPIRYDATE=Null; "
              "HOMESALESRATE=Double:4; EUROSALESRATE=Integer:0; RATEFACTOR=Long:1\n"
              "GetSpecificCurrencyRate(2025-01-01): CURRENCYCODE=String:ABC; EFFECTIVEDATE=Date:2025-01-01; "
              "EXPIRYDATE=Date:2026-01-\n");
    EXPECT_EQ(Failure([&] { c->GetSpecificCurrencyRate(abc, Ref(Day(2025, 1, 2))); }),
              "8004007F Brintor: |ERROR 0x8004007F| METHOD: Brintor.Currency.GetSpecificCurrencyRate| DESC: "
              "CurrencyRateNotFound.| INFO: .|");
    // A missing code is formatted only by GetCurrencyRate.
    EXPECT_EQ(Failure([&] { c->GetCurrencyRate(Ref(rt::Variant()), day); }),
              "80040065 Brintor: |ERROR 0x80040065| METHOD: Brintor.Currency.GetCurrencyRate| DESC: "
              "MissingCurrencyCode.| INFO: .|");
    EXPECT_EQ(Failure([&] { c->GetSpecificCurrencyRate(Ref(rt::Variant::Null()), day); }),
              "80040065 Brintor: MissingCurrencyCode");
  });
  EXPECT_EQ(LogEntriesWith("MissingCurrencyCode"), 1);
}

TEST_F(ConvertAmount, PriceAndDiscountFromTheHomeCurrency) {
  Exec("INSERT INTO CURRENCY VALUES ('EPZ', 'Tied, no euro rate', 0, 0, 1, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('EPZ', '2026-01-01 00:00:00', NULL, 1, NULL, 1);");
  Run([&] {
    auto c = NewCurrency();
    rt::ObjectPtr home = c->GetHomeCurrency();
    rt::Currency price = Money(10), discount = Money(1.25);
    rt::Date day = kDay;
    auto convert = [&](const char* code) {
      rt::Variant target(code);
      try {
        return Render(c->ConvertTo(home, target, price, discount, day));
      } catch (const rt::ComError& e) {
        return "error " + std::to_string(e.number());
      }
    };
    // DEF: 10 / 2 x 3; the euro, though not flagged EPC, through the home currency's euro rate.
    Golden prices;
    for (const char* code : {"ABC", "DEF", "EUR", "EPZ"}) prices.Add(code, convert(code));
    EXPECT_EQ(prices.Lines(),
              "ABC: PRICE=Currency:40; DISCOUNTAMOUNT=Currency:5\nDEF: PRICE=Currency:15; "
              "DISCOUNTAMOUNT=Currency:1.875\n"
              "EUR: PRICE=Currency:5; DISCOUNTAMOUNT=Currency:0.625\nEPZ: " + Failed(BrintorError::EuroRateNotDefined) +
                  "\n");

    // Held in the euro: the target's euro rate alone.
    home = c->GetEuroCurrency();
    EXPECT_EQ(convert("DEF"), "PRICE=Currency:30; DISCOUNTAMOUNT=Currency:3.75");
    Exec("UPDATE CURRENCYRATE SET EUROSALESRATE=0 WHERE CURRENCYCODE='HOM';");
    home = c->GetHomeCurrency();
    EXPECT_EQ(convert("EUR"), Failed(BrintorError::EuroRateNotDefinedForHomeCurrency));
  });
}

// The sample installation's currency set: an expired period and an open one.
class SampleCurrencies : public CurrencyTest {
 protected:
  SampleCurrencies() : CurrencyTest(/*sample=*/true) {}
};

TEST_F(SampleCurrencies, ConvertWithTheRatesOfTheirPeriod) {
  Run([&] {
    auto c = NewCurrency();
    // Late-bound, as the host calls it.
    rt::Variant result = std::dynamic_pointer_cast<rt::Object>(c)->Call(
        "ConvertAmount", {rt::Variant("EUR"), rt::Variant("USD"), rt::Variant(rt::Currency::FromScaled(1000000)),
                          rt::Variant(Day(2026, 12, 8))});
    EXPECT_EQ(rt::TypeName(result) + " " + rt::CStr(result), "Currency 116.55");
    EXPECT_EQ(Convert(*c, "XOF", "EUR", 655957, kDay), "1000");
    EXPECT_EQ(c->GetHomeCurrencyCode(), "USD");
    rt::Date march = Day(2026, 3, 15), december = kDay;
    EXPECT_FALSE(c->AreCurrencyRatesValid(march));  // the yen's first period starts in July
    EXPECT_TRUE(c->AreCurrencyRatesValid(december));
  });
}

}  // namespace
