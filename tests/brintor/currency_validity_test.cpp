// Tests of the rate-validity questions: the decision for one currency,
// strict and not, the lists of codes with and without a valid rate, and
// their answers when something is missing.
#include "data/testing/fault_engine.h"
#include "tests/brintor/brintor_fixture.h"

namespace {

using RateValidity = ExampleCurrencyTest;

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
  With("INSERT INTO CURRENCY VALUES ('LOW', 'Zero home rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('EPN', 'Tied, null euro rate', 0, 0, 1, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('LOW', '2026-01-01 00:00:00', NULL, 0, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('EPN', '2026-01-01 00:00:00', NULL, 5, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);",
       [&](ICurrency& c) {
         // The properties describe the last currency found: unknown codes leave them.
         const std::string seen = Decisions(c, {"EUR", "HOM", "ABC", "DEF", "XYZ", "LOW", "EPN", "OLD", "QQQ", ""});
         EXPECT_EQ(seen + rt::CStr(c.CurrencyCode()),
                   "EUR 1/1\nHOM 1/1\nABC 1/1\nDEF 1/1\nXYZ 1/1\nLOW 0/0\nEPN 0/0\nOLD 0/0\nQQQ 0/0\n 0/0\nOLD");
       });
  // A home rate other than exactly 1 makes every other currency fail.
  With("UPDATE CURRENCYRATE SET HOMESALESRATE=1.0001, EUROSALESRATE=2 WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=0.8 WHERE CURRENCYCODE='ABC';",
       [&](ICurrency& c) {
         EXPECT_EQ(Decisions(c, {"EUR", "HOM", "ABC", "DEF"}), "EUR 1/1\nHOM 0/0\nABC 0/0\nDEF 0/0\n");
       });
}

// The home currency without a euro rate is valid unless strict, and strict
// checks of the others fail on it too. Without a euro currency the home
// currency needs only its home rate of 1 (and an empty code equals the
// missing euro's ""); the euro as home currency needs no rate rows.
TEST_F(RateValidity, HomeCurrencyCases) {
  std::string seen;
  With("UPDATE CURRENCYRATE SET EUROSALESRATE=NULL WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET EUROSALESRATE=1.95583 WHERE CURRENCYCODE='DEF';",
       [&](ICurrency& c) { seen += Decisions(c, {"HOM", "ABC", "DEF"}) + "-\n"; });
  With("UPDATE CURRENCY SET EURO=0;", [&](ICurrency& c) { seen += Decisions(c, {"HOM", "ABC", "EUR", ""}) + "-\n"; });
  With("UPDATE CURRENCY SET EURO=1 WHERE CURRENCYCODE='EUR';"
       "UPDATE CURRENCY SET HOMECURRENCY=0; UPDATE CURRENCY SET HOMECURRENCY=1 WHERE CURRENCYCODE='EUR';",
       [&](ICurrency& c) { seen += Decisions(c, {"EUR", "ABC", "DEF"}); });
  EXPECT_EQ(seen, "HOM 1/0\nABC 1/0\nDEF 0/0\n-\nHOM 1/1\nABC 1/1\nEUR 0/0\n 1/1\n-\nEUR 1/1\nABC 1/1\nDEF 1/1\n");
}

TEST_F(RateValidity, NoHomeCurrencyMakesEveryCheckFalseAndConversionsFail) {
  With("UPDATE CURRENCY SET HOMECURRENCY=0;", [&](ICurrency& c) {
    rt::Date day = kDay;
    std::string abc = "ABC";
    const std::string seen = Decisions(c, {"EUR", "HOM", "ABC"}) + std::to_string(c.CanConvertToHomeCurrency(abc, day)) +
                             std::to_string(c.AreCurrencyRatesValid(day)) + " [" +
                             Keys(c.GetCurrencyCodesHavingValidCurrencyRate(day)) + "] " +
                             Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(day)) + " ";
    EXPECT_EQ(seen + std::to_string(rt::Err().number),
              "EUR 0/0\nHOM 0/0\nABC 0/0\n00 [] ABC,DEF,HOM,XYZ 0");
    EXPECT_EQ(Convert(c, "ABC", "HOM", 1, day), Failed(BrintorError::CurrencyNotFound));
  });
}

TEST_F(RateValidity, InnerFailuresAreLoggedOnceEachAndNeverRaised) {
  With("INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);",
       [&](ICurrency& c) {
         EXPECT_FALSE(c.HasValidCurrencyRate(Ref<std::string>("OLD"), Ref(rt::Date(kDay))));
         EXPECT_FALSE(c.HasValidCurrencyRate(Ref<std::string>("QQQ"), Ref(rt::Date(kDay))));
         EXPECT_EQ(rt::Err().number, 0);
       });
  // The log holds each entry as one line, its line breaks written as \r\n.
  EXPECT_EQ(std::to_string(LogEntries()) + std::to_string(LogEntriesWith("METHOD: Brintor.Currency.GetCurrencyRate\\r")) +
                std::to_string(LogEntriesWith("METHOD: Brintor.Currency.GetCurrency\\r")),
            "211");
}

// A euro currency that could not be read is not taken for none: the check
// answers false, where the rules without a euro would pass "" and the home
// currency that lacks a euro rate. The code getter still answers "" and
// raises nothing.
TEST_F(RateValidity, AFailedReadOfTheEuroCurrencyAnswersFalse) {
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
          if (failEuroRead && !engine.Fired()) text += "(not fired)";
        }
        text += "\n";
      }
      return text;
    };
    std::string seen = decisions(false);
    seen += decisions(true);
    EXPECT_EQ(seen + std::to_string(rt::Err().number), " 00\nHOM 10\n 00\nHOM 00\n0");
    auto c = NewCurrency();
    engine.Arm({data::testing::FaultPoint::Statement, 1, SQLITE_IOERR});
    seen = "[" + c->GetEuroCurrencyCode() + "] ";
    seen += std::to_string(rt::Err().number);
    engine.Disarm();
    EXPECT_EQ(seen + " " + c->GetEuroCurrencyCode(), "[] 0 EUR");  // a failed read leaves nothing cached
  });
}

// Equal codes read nothing; XYZ's one unit is less than 0.00005 home units, so 0.
TEST_F(RateValidity, CanConvertToHomeCurrency) {
  std::string answers;
  auto can = [&](ICurrency& c, std::vector<std::string> codes) {
    for (std::string code : codes) answers += c.CanConvertToHomeCurrency(code, Ref(rt::Date(kDay))) ? "1" : "0";
  };
  With("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE='HOM';", [&](ICurrency& c) { can(c, {"HOM", "ABC"}); });
  With("INSERT INTO CURRENCYRATE VALUES ('HOM', '2026-01-01 00:00:00', NULL, 1, 2, 1);"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=100000000000 WHERE CURRENCYCODE='XYZ';",
       [&](ICurrency& c) { can(c, {"ABC", "XYZ", "QQQ"}); });
  EXPECT_EQ(answers, "10100");
}

// The euro has no row, TEN none valid at midnight, OLD none at all now, BAD
// fails the check; the properties describe the last code checked.
TEST_F(RateValidity, ListsCompareWithMidnightAndCheckAtTheFullTime) {
  With("INSERT INTO CURRENCY VALUES ('TEN', 'From ten o''clock', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('OLD', 'Expired rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCY VALUES ('BAD', 'Zero home rate', 0, 0, 0, 2, NULL);"
       "INSERT INTO CURRENCYRATE VALUES ('TEN', '2026-12-08 10:00:00', NULL, 3, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('OLD', '2025-01-01 00:00:00', '2026-01-01 00:00:00', 2, NULL, 1);"
       "INSERT INTO CURRENCYRATE VALUES ('BAD', '2026-01-01 00:00:00', NULL, 0, NULL, 1);",
       [&](ICurrency& c) {
         rt::Date eleven = Day(2026, 12, 8, 11);
         std::string ten = "TEN";
         std::string seen = std::to_string(c.HasValidCurrencyRate(ten, eleven)) + " " +
                            Keys(c.GetCurrencyCodesHavingValidCurrencyRate(eleven)) + " " +
                            Keys(c.GetCurrencyCodesHavingAnyCurrencyRate()) + " " +
                            Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(eleven)) + " ";
         seen += std::to_string(c.AreCurrencyRatesValid(eleven)) + " ";
         EXPECT_EQ(seen + rt::CStr(c.CurrencyCode()) + " " + std::to_string(rt::Err().number),
                   "1 ABC,DEF,HOM,XYZ ABC,BAD,DEF,HOM,OLD,TEN,XYZ BAD,OLD,TEN 0 XYZ 0");
       });
}

TEST_F(RateValidity, EmptyRateTableIsAllValidAndFailuresAnswerNothing) {
  std::string seen;
  With("DELETE FROM CURRENCYRATE;", [&](ICurrency& c) {
    rt::Date day = kDay;
    seen = std::to_string(c.AreCurrencyRatesValid(day)) +
           std::to_string(c.HasValidCurrencyRate(Ref<std::string>("EUR"), day)) + " ";
  });
  With("DROP TABLE CURRENCYRATE;", [&](ICurrency& c) {
    rt::Date day = kDay;
    seen += Keys(c.GetCurrencyCodesHavingAnyCurrencyRate()) + " " +
            Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(day)) + " " +
            std::to_string(c.AreCurrencyRatesValid(day));
    seen += " " + std::to_string(rt::Err().number);
  });
  EXPECT_EQ(seen, "11 (nothing) (nothing) 0 0");
}

}  // namespace
