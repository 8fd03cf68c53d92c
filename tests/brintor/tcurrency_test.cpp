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
    std::string seen = std::to_string(w->AddCurrency("NEW", "New money", false, false, true, 6.5, kNull)) + " ";
    seen += Table("SELECT * FROM CURRENCY WHERE CURRENCYCODE = 'NEW'") + " ";
    seen += std::to_string(w->UpdateCurrency("NEW", "Renamed", false, false, false, int16_t{2}, int32_t{2057})) + " ";
    EXPECT_EQ(seen + Table("SELECT * FROM CURRENCY WHERE CURRENCYCODE = 'NEW'"),
              "1 NEW|New money|0|0|1|6|null 1 NEW|Renamed|0|0|0|2|2057");
    // The home currency updated with the number 1 as its flag is itself,
    // not a second home currency; an update matching no row answers True.
    const std::string before = Table(kCurrencyRows);
    seen = std::to_string(w->UpdateCurrency("HOM", "Home currency", int32_t{1}, false, false, int16_t{2}, int32_t{1033}));
    seen += std::to_string(w->UpdateCurrency("QQQ", "Nobody", false, false, false, int16_t{2}, kNull));
    EXPECT_EQ(seen + " " + std::to_string(Table(kCurrencyRows) == before) + std::to_string(LogEntries()), "11 10");
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
    std::string seen;
    for (const std::string& failure :
         {add(kNull, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, kEmpty),       // every field missing
          add("NEW", kNull, kNull, false, false, 2, kNull),                  // name before home
          add("NEW", "", kEmpty, false, false, 2, kNull),                    // an empty text is a value
          add("NEW", "N", false, kNull, false, 2, kNull), add("NEW", "N", false, false, kEmpty, 2, kNull),
          add("NEW", "N", false, false, false, kNull, kNull),
          add("NEW", "N", false, false, false, 7, kNull),                   // above 6
          add("NEW", "N", false, false, false, -1, kNull),                  // below 0
          add("NEW", "N", false, false, false, "two", kNull),               // the conversion fails first
          add("NEW", "N", false, false, false, 2, "x"),                      // LOCALEID no number
          add("NEW", "N", false, false, false, 2, int32_t{40000}),          // beyond 16 bits
          add("NEW", "N", int32_t{1}, false, false, 2, kNull),              // the number 1 is True too
          add("hom", "N", true, false, false, 2, kNull),                     // codes compare case-sensitively
          add("NEW", "N", false, true, true, 2, kNull)}) {
      seen += failure + ", ";
    }
    EXPECT_EQ(seen,
              "Brintor: MissingCurrencyCode, Brintor: MissingCurrencyName, Brintor: MissingHomeCurrency, "
              "Brintor: MissingEuroCurrency, Brintor: MissingEPC, Brintor: MissingDecimals, Brintor: InvalidDecimals, "
              "Brintor: InvalidDecimals, Brintor: Type mismatch, Brintor: InvalidLocaleID, Brintor: InvalidLocaleID, "
              "Brintor: DuplicateHomeCurrency, Brintor: DuplicateHomeCurrency, Brintor: DuplicateEuroCurrency, ");
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
    std::string seen = Failure([&] { w->DeleteCurrency(kNull); }) + "\n" + Failure([&] { w->DeleteCurrency(kEmpty); });
    seen += "\n" + std::to_string(LogEntries()) + " ";
    seen += std::to_string(w->DeleteCurrency("abc")) + " ";
    seen += Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'ABC'") + "/" + Rates("ABC") + " ";
    // Offices using the code are not looked at by the direct delete.
    Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, CURRENCYCODE) VALUES ('Head office', 'XYZ');");
    seen += std::to_string(PlainWriter()->DeleteCurrency("XYZ")) + " [";
    EXPECT_EQ(seen + Rates("XYZ") + "]",
              "80040065 Brintor: MissingCurrencyCode\n80040065 Brintor: MissingCurrencyCode\n0 1 0/ 1 []");
  });
}

TEST_F(CurrencyDeletes, DeleteCurrencyLeavesTheRatesWhenTheSecondDeleteFailsInAndOutOfAContext) {
  Exec("CREATE TRIGGER KEEP_CURRENCY BEFORE DELETE ON CURRENCY BEGIN SELECT RAISE(ABORT, 'currency kept'); END;");
  Run([&] {
    for (Writer w : {NewWriter(), PlainWriter()}) {
      const std::string error = Failure([&] { w->DeleteCurrency("ABC"); });
      EXPECT_EQ(error.substr(0, error.find(" INFO: ")),
                "80040E2F SQLite: |ERROR 0x80040E2F| METHOD: Brintor.Currency.DeleteCurrency| DESC: currency kept.|");
      EXPECT_EQ(Rates("ABC"), "2026-01-01 00:00:00|null|4|null|1");
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
    std::string seen = std::to_string(w->CurrencyDelete("ABC")) + " ";
    seen += std::to_string(rt::Err().number) + " " + Rates("ABC") + " " + std::to_string(LogEntries()) + " ";
    EXPECT_EQ(seen + Vote([](Writer& x) { x->CurrencyDelete("ABC"); }), "0 0 2026-01-01 00:00:00|null|4|null|1 1 rollback");
  });
}

TEST_F(CurrencyDeletes, CurrencyDeleteRemovesOnlyTheCurrencyRowAndReportsAnUnknownCode) {
  Run([&] {
    Writer w = NewWriter();
    std::string seen = std::to_string(w->CurrencyDelete("ABC")) + " ";
    seen += Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'ABC'") + "/" + Rates("ABC") + "\n";
    EXPECT_EQ(seen + Failure([&] { w->CurrencyDelete("O'K"); }),
              "1 0/2026-01-01 00:00:00|null|4|null|1\n80040064 Brintor.Currency.CurrencyDelete: |ERROR 0x80040064| "
              "METHOD: Brintor.Currency.CurrencyDelete| DESC: Currency not present.|");
  });
}

}  // namespace
