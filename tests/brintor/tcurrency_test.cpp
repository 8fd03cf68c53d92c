// Tests of the transactional currency writer's currency rows: adds and
// updates with their validation, the two deletes, and the votes they cast.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using CurrencyWrites = ExampleTCurrencyTest;
using CurrencyDeletes = ExampleTCurrencyTest;

const rt::Variant kNull = rt::Variant::Null();
const rt::Variant kEmpty;

const char* const kCurrencyRows =
    "SELECT CURRENCYCODE, CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY "
    "ORDER BY CURRENCYCODE";

TEST_F(CurrencyWrites, AddAndUpdateWriteTheRowWithDecimalsRoundedHalfToEven) {
  Run([&] {
    Writer w = NewWriter();
    Golden seen;
    seen.Add("AddCurrency", w->AddCurrency("NEW", "New money", false, false, true, 6.5, kNull));
    seen.Add("row", Table("SELECT * FROM CURRENCY WHERE CURRENCYCODE = 'NEW'"));
    seen.Add("UpdateCurrency", w->UpdateCurrency("NEW", "Renamed", false, false, false, int16_t{2}, int32_t{2057}));
    EXPECT_EQ(seen.Add("row after", Table("SELECT * FROM CURRENCY WHERE CURRENCYCODE = 'NEW'")).Lines(),
              "AddCurrency: true\nrow: NEW|New money|0|0|1|6|null\nUpdateCurrency: true\n"
              "row after: NEW|Renamed|0|0|0|2|2057\n");
    // The home currency updated with the number 1 as its flag is itself,
    // not a second home currency; an update matching no row answers True.
    const std::string before = Table(kCurrencyRows);
    Golden same;
    same.Add("HOM", w->UpdateCurrency("HOM", "Home currency", int32_t{1}, false, false, int16_t{2}, int32_t{1033}));
    same.Add("QQQ", w->UpdateCurrency("QQQ", "Nobody", false, false, false, int16_t{2}, kNull));
    same.Add("rows unchanged", Table(kCurrencyRows) == before).Add("log entries", LogEntries());
    EXPECT_EQ(same.Line(), "HOM=true QQQ=true rows unchanged=true log entries=0");
  });
}

TEST_F(CurrencyWrites, ValidationFailsWithTheFirstFailureThroughTheHandlerAndWritesNothing) {
  Run([&] {
    Writer w = NewWriter();
    const std::string before = Table(kCurrencyRows);
    auto add = [&](rt::Variant code, rt::Variant name, rt::Variant home, rt::Variant euro, rt::Variant epc,
                   rt::Variant decimals, rt::Variant locale) {
      // "<source>: " and the DESC line of the block: the validator's description.
      const std::string failure = Failure([&] { w->AddCurrency(code, name, home, euro, epc, decimals, locale); });
      const size_t source = failure.find(' ') + 1, desc = failure.find(" DESC: ") + 7;
      return failure.substr(source, failure.find(": ") + 2 - source) +
             failure.substr(desc, failure.find(".|", desc) - desc);
    };
    Golden seen;
    seen.Add("every field missing", add(kNull, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty));
    seen.Add("name before home", add("NEW", kNull, kNull, false, false, 2, kNull));
    seen.Add("empty name is a value", add("NEW", "", kEmpty, false, false, 2, kNull));
    seen.Add("no euro flag", add("NEW", "N", false, kNull, false, 2, kNull));
    seen.Add("no EPC flag", add("NEW", "N", false, false, kEmpty, 2, kNull));
    seen.Add("no decimals", add("NEW", "N", false, false, false, kNull, kNull));
    seen.Add("decimals 7", add("NEW", "N", false, false, false, 7, kNull));
    seen.Add("decimals -1", add("NEW", "N", false, false, false, -1, kNull));
    seen.Add("decimals two", add("NEW", "N", false, false, false, "two", kNull));  // the conversion fails first
    seen.Add("locale x", add("NEW", "N", false, false, false, 2, "x"));
    seen.Add("locale 40000", add("NEW", "N", false, false, false, 2, int32_t{40000}));  // beyond 16 bits
    seen.Add("home flag 1", add("NEW", "N", int32_t{1}, false, false, 2, kNull));     // the number 1 is True too
    seen.Add("home hom", add("hom", "N", true, false, false, 2, kNull));  // codes compare case-sensitively
    seen.Add("second euro", add("NEW", "N", false, true, true, 2, kNull));
    EXPECT_EQ(seen.Lines(),
              "every field missing: Brintor: MissingCurrencyCode\n"
              "name before home: Brintor: MissingCurrencyName\n"
              "empty name is a value: Brintor: MissingHomeCurrency\n"
              "no euro flag: Brintor: MissingEuroCurrency\n"
              "no EPC flag: Brintor: MissingEPC\n"
              "no decimals: Brintor: MissingDecimals\n"
              "decimals 7: Brintor: InvalidDecimals\n"
              "decimals -1: Brintor: InvalidDecimals\n"
              "decimals two: Brintor: Type mismatch\n"
              "locale x: Brintor: InvalidLocaleID\n"
              "locale 40000: Brintor: InvalidLocaleID\n"
              "home flag 1: Brintor: DuplicateHomeCurrency\n"
              "home hom: Brintor: DuplicateHomeCurrency\n"
              "second euro: Brintor: DuplicateEuroCurrency\n");
    EXPECT_EQ(Table(kCurrencyRows), before);
    EXPECT_EQ(LogEntriesWith("Brintor.Currency.AddCurrency"), 14);

    // The whole block: number, method, description and an empty INFO line.
    EXPECT_EQ(Failure([&] { w->UpdateCurrency("ABC", "Abc", false, false, false, 9, kNull); }),
              "8004006C Brintor: |ERROR 0x8004006C| METHOD: Brintor.Currency.UpdateCurrency| DESC: InvalidDecimals.| "
              "INFO: .|");
    EXPECT_EQ(Vote([](Writer& x) { x->AddCurrency("NEW", "N", false, false, false, 9, kNull); }), "rollback");
    EXPECT_EQ(Vote([](Writer& x) { x->AddCurrency("NEW", "N", false, false, false, 2, kNull); }), "commit");
  });
}

TEST_F(CurrencyWrites, ADatabaseFailureNamesTheConnectionsErrors) {
  Run([&] {
    Writer w = NewWriter();
    const std::string error = Failure([&] { w->AddCurrency("ABC", "Twice", false, false, false, 2, kNull); });
    EXPECT_EQ(error.substr(0, error.find(" INFO: ")),
              "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.Currency.AddCurrency| DESC: "
              "UNIQUE constraint failed: CURRENCY.CURRENCYCODE.|");
    EXPECT_NE(error.find(" INFO: Error(s) from connection object: "), std::string::npos) << error;
  });
}

TEST_F(CurrencyDeletes, DeleteCurrencyRemovesTheRatesWithTheCurrencyAndChecksItsArgumentFirst) {
  Run([&] {
    Writer w = NewWriter();
    Golden seen;
    seen.Add("Null", Failure([&] { w->DeleteCurrency(kNull); }));
    seen.Add("Empty", Failure([&] { w->DeleteCurrency(kEmpty); }));
    seen.Add("log entries", LogEntries());
    seen.Add("DeleteCurrency(abc)", w->DeleteCurrency("abc"));
    seen.Add("ABC rows", Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'ABC'"));
    seen.Add("ABC rates", Rates("ABC"));
    // Offices using the code are not looked at by the direct delete.
    Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, CURRENCYCODE) VALUES ('Head office', 'XYZ');");
    seen.Add("DeleteCurrency(XYZ)", PlainWriter()->DeleteCurrency("XYZ"));
    EXPECT_EQ(seen.Add("XYZ rates", Rates("XYZ")).Lines(),
              "Null: 80040065 Brintor: MissingCurrencyCode\nEmpty: 80040065 Brintor: MissingCurrencyCode\n"
              "log entries: 0\nDeleteCurrency(abc): true\nABC rows: 0\nABC rates: \n"
              "DeleteCurrency(XYZ): true\nXYZ rates: \n");
  });
}

TEST_F(CurrencyDeletes, DeleteCurrencyLeavesTheRatesWhenTheSecondDeleteFailsInAndOutOfAContext) {
  Exec("CREATE TRIGGER KEEP_CURRENCY BEFORE DELETE ON CURRENCY BEGIN SELECT RAISE(ABORT, 'currency kept'); END;");
  Run([&] {
    for (Writer w : {NewWriter(), PlainWriter()}) {
      const std::string error = Failure([&] { w->DeleteCurrency("ABC"); });
      EXPECT_EQ(error.substr(0, error.find(" INFO: ")),
                "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.Currency.DeleteCurrency| DESC: currency kept.|");
      EXPECT_EQ(Rates("ABC"), "2026-01-01 00:00:00|null|4.0|null|1");
    }
    // The connection's own transaction ended with the failure: the next
    // delete of the plain writer runs normally.
    Exec("DROP TRIGGER KEEP_CURRENCY;");
    EXPECT_TRUE(PlainWriter()->DeleteCurrency("ABC"));
    EXPECT_EQ(Rates("ABC"), "");
  });
}

TEST_F(CurrencyDeletes, ARefusalOfTheReferentialChecker) {
  RefuseCurrencyDeletes();
  Run([&] {
    Writer w = NewWriter();
    EXPECT_EQ(Failure([&] { w->DeleteCurrency("ABC"); }),
              "80040080 Brintor: |ERROR 0x80040080| METHOD: Brintor.Currency.DeleteCurrency| DESC: ReferentialDelete.| "
              "INFO: .|");
    // CurrencyDelete answers False without an error, neither raised nor left pending.
    rt::Err().Clear();
    Golden seen;
    seen.Add("CurrencyDelete", w->CurrencyDelete("ABC")).Add("Err", rt::Err().number).Add("rates", Rates("ABC"));
    seen.Add("log entries", LogEntries()).Add("vote", Vote([](Writer& x) { x->CurrencyDelete("ABC"); }));
    EXPECT_EQ(seen.Lines(),
              "CurrencyDelete: false\nErr: 0\nrates: 2026-01-01 00:00:00|null|4.0|null|1\nlog entries: 1\n"
              "vote: rollback\n");
  });
}

TEST_F(CurrencyDeletes, CurrencyDeleteRemovesOnlyTheCurrencyRowAndReportsAnUnknownCode) {
  Run([&] {
    Writer w = NewWriter();
    Golden seen;
    seen.Add("CurrencyDelete(ABC)", w->CurrencyDelete("ABC"));
    seen.Add("ABC rows", Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'ABC'"))
        .Add("ABC rates", Rates("ABC"));
    EXPECT_EQ(seen.Add("CurrencyDelete(O'K)", Failure([&] { w->CurrencyDelete("O'K"); })).Lines(),
              "CurrencyDelete(ABC): true\nABC rows: 0\nABC rates: 2026-01-01 00:00:00|null|4.0|null|1\n"
              "CurrencyDelete(O'K): 80040064 Brintor.Currency.CurrencyDelete: |ERROR 0x80040064| "
              "METHOD: Brintor.Currency.CurrencyDelete| DESC: Currency not present.|\n");
  });
}

}  // namespace
