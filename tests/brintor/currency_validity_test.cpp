// Tests of the rate-validity questions: the decision for one currency,
// strict and not, the lists of codes with and without a valid rate, and
// their answers when something is missing.
#include "data/testing/fault_engine.h"
#include "tests/brintor/brintor_fixture.h"

namespace {

using RateValidity = ExampleCurrencyTest;

const rt::Date kDay = rt::Date::FromParts(2026, 12, 8, 9, 30);

// "CODE: loose=<decision> strict=<decision>" per code ("(empty)" for "").
std::string Decisions(ICurrency& c, const std::vector<std::string>& codes, rt::Date date = kDay) {
  Golden rows;
  for (std::string code : codes) {
    bool notStrict = false, strict = true;
    const bool a = c.HasValidCurrencyRateEx(code, date, notStrict);
    const bool b = c.HasValidCurrencyRateEx(code, date, strict);
    rows.Add(code.empty() ? "(empty)" : code, Golden().Add("loose", a).Add("strict", b).Line());
  }
  return rows.Lines();
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
         EXPECT_EQ(seen + "CurrencyCode: " + rt::CStr(c.CurrencyCode()),
                   "EUR: loose=true strict=true\nHOM: loose=true strict=true\nABC: loose=true strict=true\n"
                   "DEF: loose=true strict=true\nXYZ: loose=true strict=true\nLOW: loose=false strict=false\n"
                   "EPN: loose=false strict=false\nOLD: loose=false strict=false\nQQQ: loose=false strict=false\n"
                   "(empty): loose=false strict=false\nCurrencyCode: OLD");
       });
  // A home rate other than exactly 1 makes every other currency fail.
  With("UPDATE CURRENCYRATE SET HOMESALESRATE=1.0001, EUROSALESRATE=2 WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=0.8 WHERE CURRENCYCODE='ABC';",
       [&](ICurrency& c) {
         EXPECT_EQ(Decisions(c, {"EUR", "HOM", "ABC", "DEF"}),
                   "EUR: loose=true strict=true\nHOM: loose=false strict=false\nABC: loose=false strict=false\n"
                   "DEF: loose=false strict=false\n");
       });
}

// The home currency without a euro rate is valid unless strict, and strict
// checks of the others fail on it too. Without a euro currency the home
// currency needs only its home rate of 1 (and an empty code equals the
// missing euro's ""); the euro as home currency needs no rate rows.
TEST_F(RateValidity, HomeCurrencyCases) {
  Golden seen;
  With("UPDATE CURRENCYRATE SET EUROSALESRATE=NULL WHERE CURRENCYCODE='HOM';"
       "UPDATE CURRENCYRATE SET EUROSALESRATE=1.95583 WHERE CURRENCYCODE='DEF';",
       [&](ICurrency& c) { seen.Add("home without euro rate", Decisions(c, {"HOM", "ABC", "DEF"})); });
  With("UPDATE CURRENCY SET EURO=0;",
       [&](ICurrency& c) { seen.Add("no euro currency", Decisions(c, {"HOM", "ABC", "EUR", ""})); });
  With("UPDATE CURRENCY SET EURO=1 WHERE CURRENCYCODE='EUR';"
       "UPDATE CURRENCY SET HOMECURRENCY=0; UPDATE CURRENCY SET HOMECURRENCY=1 WHERE CURRENCYCODE='EUR';",
       [&](ICurrency& c) { seen.Add("euro as home", Decisions(c, {"EUR", "ABC", "DEF"})); });
  EXPECT_EQ(seen.Lines(),
            "home without euro rate:\n"
            "HOM: loose=true strict=false\nABC: loose=true strict=false\nDEF: loose=false strict=false\n"
            "no euro currency:\n"
            "HOM: loose=true strict=true\nABC: loose=true strict=true\nEUR: loose=false strict=false\n"
            "(empty): loose=true strict=true\n"
            "euro as home:\n"
            "EUR: loose=true strict=true\nABC: loose=true strict=true\nDEF: loose=true strict=true\n");
}

TEST_F(RateValidity, NoHomeCurrencyMakesEveryCheckFalseAndConversionsFail) {
  With("UPDATE CURRENCY SET HOMECURRENCY=0;", [&](ICurrency& c) {
    rt::Date day = kDay;
    std::string abc = "ABC";
    Golden seen;
    seen.Add("decisions", Decisions(c, {"EUR", "HOM", "ABC"}));
    seen.Add("CanConvertToHomeCurrency(ABC)", c.CanConvertToHomeCurrency(abc, day));
    seen.Add("AreCurrencyRatesValid", c.AreCurrencyRatesValid(day));
    seen.Add("valid", Keys(c.GetCurrencyCodesHavingValidCurrencyRate(day)));
    seen.Add("not valid", Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(day)));
    EXPECT_EQ(seen.Add("Err", rt::Err().number).Lines(),
              "decisions:\nEUR: loose=false strict=false\nHOM: loose=false strict=false\nABC: loose=false "
              "strict=false\n"
              "CanConvertToHomeCurrency(ABC): false\nAreCurrencyRatesValid: false\nvalid: \n"
              "not valid: ABC,DEF,HOM,XYZ\nErr: 0\n");
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
  Golden logged;
  logged.Add("entries", LogEntries());
  logged.Add("GetCurrencyRate", LogEntriesWith("METHOD: Brintor.Currency.GetCurrencyRate\\r"));
  logged.Add("GetCurrency", LogEntriesWith("METHOD: Brintor.Currency.GetCurrency\\r"));
  EXPECT_EQ(logged.Line(), "entries=2 GetCurrencyRate=1 GetCurrency=1");
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
      Golden rows;
      for (std::string code : {"", "HOM"}) {
        Golden row;
        for (bool strict : {false, true}) {
          auto c = NewCurrency();
          c->GetHomeCurrencyCode();  // read and kept: the euro's read comes next
          failEuroRead ? engine.Arm({data::testing::FaultPoint::Statement, 1, SQLITE_IOERR}) : engine.Disarm();
          rt::Date day = kDay;
          std::string decision = c->HasValidCurrencyRateEx(code, day, strict) ? "true" : "false";
          if (failEuroRead && !engine.Fired()) decision += "(not fired)";
          row.Add(strict ? "strict" : "loose", decision);
        }
        rows.Add(std::string(failEuroRead ? "euro read fails, " : "") + (code.empty() ? "(empty)" : code), row);
      }
      return rows.Lines();
    };
    std::string seen = decisions(false);
    seen += decisions(true);
    EXPECT_EQ(seen + "Err: " + std::to_string(rt::Err().number),
              "(empty): loose=false strict=false\nHOM: loose=true strict=false\n"
              "euro read fails, (empty): loose=false strict=false\neuro read fails, HOM: loose=false strict=false\n"
              "Err: 0");
    auto c = NewCurrency();
    engine.Arm({data::testing::FaultPoint::Statement, 1, SQLITE_IOERR});
    Golden failed;
    failed.Add("euro, read fails", c->GetEuroCurrencyCode());
    failed.Add("Err", rt::Err().number);
    engine.Disarm();
    // A failed read leaves nothing cached.
    EXPECT_EQ(failed.Add("euro, read again", c->GetEuroCurrencyCode()).Lines(),
              "euro, read fails: \nErr: 0\neuro, read again: EUR\n");
  });
}

// Equal codes read nothing; XYZ's one unit is less than 0.00005 home units, so 0.
TEST_F(RateValidity, CanConvertToHomeCurrency) {
  Golden answers;
  auto can = [&](ICurrency& c, const char* tables, std::vector<std::string> codes) {
    for (std::string code : codes)
      answers.Add(std::string(tables) + code, c.CanConvertToHomeCurrency(code, Ref(rt::Date(kDay))));
  };
  With("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE='HOM';",
       [&](ICurrency& c) { can(c, "no home rate: ", {"HOM", "ABC"}); });
  With("INSERT INTO CURRENCYRATE VALUES ('HOM', '2026-01-01 00:00:00', NULL, 1, 2, 1);"
       "UPDATE CURRENCYRATE SET HOMESALESRATE=99999999999 WHERE CURRENCYCODE='XYZ';",
       [&](ICurrency& c) { can(c, "", {"ABC", "XYZ", "QQQ"}); });
  EXPECT_EQ(answers.Lines(), "no home rate: HOM: true\nno home rate: ABC: false\nABC: true\nXYZ: false\nQQQ: false\n");
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
         Golden seen;
         seen.Add("HasValidCurrencyRate(TEN)", c.HasValidCurrencyRate(ten, eleven));
         seen.Add("valid", Keys(c.GetCurrencyCodesHavingValidCurrencyRate(eleven)));
         seen.Add("any rate", Keys(c.GetCurrencyCodesHavingAnyCurrencyRate()));
         seen.Add("not valid", Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(eleven)));
         seen.Add("AreCurrencyRatesValid", c.AreCurrencyRatesValid(eleven));
         seen.Add("CurrencyCode", rt::CStr(c.CurrencyCode())).Add("Err", rt::Err().number);
         EXPECT_EQ(seen.Lines(),
                   "HasValidCurrencyRate(TEN): true\nvalid: ABC,DEF,HOM,XYZ\nany rate: ABC,BAD,DEF,HOM,OLD,TEN,XYZ\n"
                   "not valid: BAD,OLD,TEN\nAreCurrencyRatesValid: false\nCurrencyCode: XYZ\nErr: 0\n");
       });
}

TEST_F(RateValidity, EmptyRateTableIsAllValidAndFailuresAnswerNothing) {
  Golden seen;
  With("DELETE FROM CURRENCYRATE;", [&](ICurrency& c) {
    rt::Date day = kDay;
    seen.Add("empty: AreCurrencyRatesValid", c.AreCurrencyRatesValid(day));
    seen.Add("empty: HasValidCurrencyRate(EUR)", c.HasValidCurrencyRate(Ref<std::string>("EUR"), day));
  });
  With("DROP TABLE CURRENCYRATE;", [&](ICurrency& c) {
    rt::Date day = kDay;
    seen.Add("no table: any rate", Keys(c.GetCurrencyCodesHavingAnyCurrencyRate()));
    seen.Add("no table: not valid", Keys(c.GetCurrencyCodesHavingNoValidCurrencyRate(day)));
    seen.Add("no table: AreCurrencyRatesValid", c.AreCurrencyRatesValid(day));
    seen.Add("no table: Err", rt::Err().number);
  });
  EXPECT_EQ(seen.Lines(),
            "empty: AreCurrencyRatesValid: true\nempty: HasValidCurrencyRate(EUR): true\n"
            "no table: any rate: (nothing)\nno table: not valid: (nothing)\nno table: AreCurrencyRatesValid: false\n"
            "no table: Err: 0\n");
}

}  // namespace
