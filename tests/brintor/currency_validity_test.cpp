// Tests of the rate-validity questions: the decision for one currency,
// strict and not, the lists of codes with and without a valid rate, and
// their answers when something is missing.
#include "data/testing/fault_engine.h"
#include "tests/brintor/brintor_fixture.h"

namespace {

using RateValidity = CurrencyTest;

const rt::Date kDay = rt::Date::FromParts(2026, 12, 8, 9, 30);

// "CODE nonstrict/strict" per code, 1 for true.
std::string Decisions(ICurrency& c, const std::vector<std::string>& codes, rt::Date date = kDay) {
  std::string text;
  for (std::string code : codes) {
    bool notStrict = false, strict = true;
    const bool a = c.HasValidCurrencyRateEx(code, date, notStrict);
    const bool b = c.HasValidCurrencyRateEx(code, date, strict);
    text += code + " " + (a ? "1" : "0") + "/" + (b ? "1" : "0") + "\n";
  }
  return text;
}

std::string Keys(const std::shared_ptr<rt::Dictionary>& codes) {
  if (!codes) return "(nothing)";
  std::string text;
  for (const auto& e : codes->Entries()) text += (text.empty() ? "" : ",") + rt::CStr(e.key);
  return text;
}

TEST_F(RateValidity, DecisionForEachKindOfCurrency) {
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('LOW', 'Zero home rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('EPN', 'Tied, null euro rate', 0, 0, 1, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('LOW', '2026-01-01 00:00:00', NULL, 0, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('EPN', '2026-01-01 00:00:00', NULL, 5, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"EUR", "HOM", "ABC", "DEF", "XYZ", "LOW", "EPN", "OLD", "QQQ", ""}),
              "EUR 1/1\nHOM 1/1\nABC 1/1\nDEF 1/1\nXYZ 1/1\nLOW 0/0\nEPN 0/0\nOLD 0/0\nQQQ 0/0\n 0/0\n");
    // The properties describe the last currency found: unknown codes leave them.
    EXPECT_EQ(rt::CStr(c->CurrencyCode()), "OLD");
  });

  // A home rate other than exactly 1 makes every other currency fail.
  Exec("UPDATE CURRENCYRATE SET HOMESALESRATE=1.0001, EUROSALESRATE=2 WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=0.8 WHERE CURRENCYCODE='ABC';");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"EUR", "HOM", "ABC", "DEF"}), "EUR 1/1\nHOM 0/0\nABC 0/0\nDEF 0/0\n");
  });
}

// The home currency without a euro rate is valid unless strict, and strict
// checks of the others fail on it too.
TEST_F(RateValidity, HomeCurrencyCases) {
  Exec(kExampleCurrencies);
  Exec("UPDATE CURRENCYRATE SET EUROSALESRATE=NULL WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET EUROSALESRATE=1.95583 WHERE CURRENCYCODE='DEF';");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"HOM", "ABC", "DEF"}), "HOM 1/0\nABC 1/0\nDEF 0/0\n");
  });
  // Without a euro currency the home currency needs only its home rate of 1.
  Exec("UPDATE CURRENCY SET EURO=0;");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"HOM", "ABC", "EUR"}), "HOM 1/1\nABC 1/1\nEUR 0/0\n");
    EXPECT_EQ(Decisions(*c, {""}), " 1/1\n");  // an empty code equals the missing euro's ""
  });
  // The euro as home currency needs no rate rows of its own.
  Exec("UPDATE CURRENCY SET EURO=1 WHERE CURRENCYCODE='EUR';"
       "UPDATE CURRENCY SET HOMECURRENCY=0; UPDATE CURRENCY SET HOMECURRENCY=1 WHERE CURRENCYCODE='EUR';");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"EUR", "ABC", "DEF"}), "EUR 1/1\nABC 1/1\nDEF 1/1\n");
  });
}

TEST_F(RateValidity, NoHomeCurrencyMakesEveryCheckFalseAndConversionsFail) {
  Exec(kExampleCurrencies);
  Exec("UPDATE CURRENCY SET HOMECURRENCY=0;");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Decisions(*c, {"EUR", "HOM", "ABC"}), "EUR 0/0\nHOM 0/0\nABC 0/0\n");
    rt::Date day = kDay;
    std::string abc = "ABC";
    EXPECT_FALSE(c->CanConvertToHomeCurrency(abc, day));
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingValidCurrencyRate(day)), "");
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingNoValidCurrencyRate(day)), "ABC,DEF,HOM,XYZ");
    EXPECT_FALSE(c->AreCurrencyRatesValid(day));
    EXPECT_EQ(rt::Err().number, 0);
    EXPECT_EQ(Convert(*c, "ABC", "HOM", 1, day), Failed(BrintorError::CurrencyNotFound));
  });
}

TEST_F(RateValidity, InnerFailuresAreLoggedOnceEachAndNeverRaised) {
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_FALSE(c->HasValidCurrencyRate(Ref<std::string>("OLD"), Ref(rt::Date(kDay))));
    EXPECT_FALSE(c->HasValidCurrencyRate(Ref<std::string>("QQQ"), Ref(rt::Date(kDay))));
    EXPECT_EQ(rt::Err().number, 0);
  });
  // The log holds each entry as one line, its line breaks written as \r\n.
  EXPECT_EQ(LogEntries(), 2);
  EXPECT_EQ(LogEntriesWith("METHOD: Brintor.Currency.GetCurrencyRate\\r"), 1);
  EXPECT_EQ(LogEntriesWith("METHOD: Brintor.Currency.GetCurrency\\r"), 1);
}

// A euro currency that could not be read is not taken for none: the check
// answers false, where the rules without a euro would pass "" and the home
// currency that lacks a euro rate. The code getter still answers "" and
// raises nothing.
TEST_F(RateValidity, AFailedReadOfTheEuroCurrencyAnswersFalse) {
  Exec(kExampleCurrencies);
  Exec("UPDATE CURRENCYRATE SET EUROSALESRATE=0 WHERE CURRENCYCODE='HOM';");
  Run([&] {
    data::testing::FaultEngine engine;
    auto decisions = [&](bool failEuroRead) {
      std::string text;
      for (std::string code : {"", "HOM"}) {
        text += code + " ";
        for (bool strict : {false, true}) {
          auto c = NewCurrency();
          c->GetHomeCurrencyCode();  // read and kept: the euro's read comes next
          failEuroRead ? engine.Arm({data::testing::FaultPoint::Statement, 1, SQLITE_IOERR}) : engine.Disarm();
          rt::Date day = kDay;
          text += c->HasValidCurrencyRateEx(code, day, strict) ? "1" : "0";
          if (failEuroRead) {
            EXPECT_TRUE(engine.Fired());
          }
        }
        text += "\n";
      }
      return text;
    };
    EXPECT_EQ(decisions(false), " 00\nHOM 10\n");
    EXPECT_EQ(decisions(true), " 00\nHOM 00\n");
    EXPECT_EQ(rt::Err().number, 0);

    auto c = NewCurrency();
    engine.Arm({data::testing::FaultPoint::Statement, 1, SQLITE_IOERR});
    EXPECT_EQ(c->GetEuroCurrencyCode(), "");
    EXPECT_EQ(rt::Err().number, 0);
    engine.Disarm();
    EXPECT_EQ(c->GetEuroCurrencyCode(), "EUR");  // a failed read leaves nothing cached
  });
}

TEST_F(RateValidity, CanConvertToHomeCurrency) {
  Exec(kExampleCurrencies);
  Exec("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE='HOM';");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_TRUE(c->CanConvertToHomeCurrency(Ref<std::string>("HOM"), Ref(rt::Date(kDay))));  // equal codes read nothing
    EXPECT_FALSE(c->CanConvertToHomeCurrency(Ref<std::string>("ABC"), Ref(rt::Date(kDay))));  // no home rate row
  });
  Exec("INSERT INTO CURRENCYRATE VALUES ('HOM', '2026-01-01 00:00:00', NULL, 1, 2, 1);"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=100000000000 WHERE CURRENCYCODE='XYZ';");
  Run([&] {
    auto c = NewCurrency();
    std::string answers;
    // XYZ: one unit is less than 0.00005 home units, so 0.
    for (std::string code : {"ABC", "XYZ", "QQQ"}) {
      answers += c->CanConvertToHomeCurrency(code, Ref(rt::Date(kDay))) ? "1" : "0";
    }
    EXPECT_EQ(answers, "100");
  });
}

TEST_F(RateValidity, ListsCompareWithMidnightAndCheckAtTheFullTime) {
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('TEN', 'From ten o''clock', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('BAD', 'Zero home rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('TEN', '2026-12-08 10:00:00', NULL, 3, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('BAD', '2026-01-01 00:00:00', NULL, 0, NULL, 1);");
  Run([&] {
    auto c = NewCurrency();
    rt::Date eleven = Day(2026, 12, 8, 11);
    std::string ten = "TEN";
    EXPECT_TRUE(c->HasValidCurrencyRate(ten, eleven));
    // The euro has no row, TEN none valid at midnight, OLD none at all now,
    // BAD fails the check.
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingValidCurrencyRate(eleven)), "ABC,DEF,HOM,XYZ");
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingAnyCurrencyRate()), "ABC,BAD,DEF,HOM,OLD,TEN,XYZ");
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingNoValidCurrencyRate(eleven)), "BAD,OLD,TEN");
    EXPECT_FALSE(c->AreCurrencyRatesValid(eleven));
    EXPECT_EQ(rt::CStr(c->CurrencyCode()), "XYZ");  // the last code checked
    EXPECT_EQ(rt::Err().number, 0);
  });
}

TEST_F(RateValidity, EmptyRateTableIsAllValidAndFailuresAnswerNothing) {
  Exec(kExampleCurrencies);
  Exec("DELETE FROM CURRENCYRATE;");
  Run([&] {
    auto c = NewCurrency();
    rt::Date day = kDay;
    EXPECT_TRUE(c->AreCurrencyRatesValid(day));
    EXPECT_TRUE(c->HasValidCurrencyRate(Ref<std::string>("EUR"), day));
  });
  Exec("DROP TABLE CURRENCYRATE;");
  Run([&] {
    auto c = NewCurrency();
    rt::Date day = kDay;
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingAnyCurrencyRate()), "(nothing)");
    EXPECT_EQ(Keys(c->GetCurrencyCodesHavingNoValidCurrencyRate(day)), "(nothing)");
    EXPECT_FALSE(c->AreCurrencyRatesValid(day));
    EXPECT_EQ(rt::Err().number, 0);
  });
}

}  // namespace
