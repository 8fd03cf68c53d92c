// Tests of the transactional currency writer's rate periods: the validation
// (its order, the overlap queries, the rate rules by kind of currency), the
// three writers and the bare, unlogged failures before their handlers.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using RateValidation = ExampleTCurrencyTest;

const rt::Variant kNull = rt::Variant::Null();
const rt::Variant kEmpty;

// AddCurrencyRate's failure as "<member name>" (number checked against the
// name's member), or "added".
std::string Add(TCurrencyTest::Writer& w, rt::Variant code, rt::Variant effective, rt::Variant expiry,
                rt::Variant home, rt::Variant euro, rt::Variant factor, rt::Variant epc) {
  try {
    w->AddCurrencyRate(code, effective, expiry, home, euro, factor, epc);
    return "added";
  } catch (const rt::ComError& e) {
    return e.source() == "Brintor" ? e.description() : "unexpected " + e.description();
  }
}

TEST_F(RateValidation, TheFirstFailureWinsAndIsRaisedBareWithoutLogOrVote) {
  Run([&] {
    Writer w = NewWriter();
    Golden seen;
    seen.Add("all Null", Add(w, kNull, kNull, kNull, kNull, kNull, kNull, kNull));
    seen.Add("no EPC, no date", Add(w, "ABC", kNull, kNull, 1.2, kNull, 1, kNull));  // EPC before the date
    seen.Add("empty date", Add(w, "ABC", kEmpty, kNull, 1.2, kNull, 1, false));
    seen.Add("no factor", Add(w, "ABC", "2027-01-01", kNull, 1.2, kNull, kNull, false));
    seen.Add("factor 0", Add(w, "ABC", "2027-01-01", kNull, 1.2, kNull, 0, false));  // a factor below 1
    seen.Add("factor ten", Add(w, "ABC", "2027-01-01", kNull, 1.2, kNull, "ten", false));
    seen.Add("date 'no date'", Add(w, "ABC", "no date", kNull, 1.2, kNull, 1, false));
    seen.Add("expiry on the date", Add(w, "ABC", "2025-01-01", "2025-01-01", 1.2, kNull, 1, false));
    seen.Add("expiry abc", Add(w, "ABC", "2025-01-01", "abc", 1.2, kNull, 1, false));
    seen.Add("empty expiry", Add(w, "ABC", "2025-01-01", kEmpty, 1.2, kNull, 1, false));  // empty is not null
    seen.Add("inside the open period", Add(w, "ABC", "2026-06-01", kNull, 1.2, kNull, 1, false));
    EXPECT_EQ(seen.Lines(),
              "all Null: MissingCurrencyCode\nno EPC, no date: MissingEPC\nempty date: MissingEffectiveDate\n"
              "no factor: MissingRateFactor\nfactor 0: MissingRateFactor\nfactor ten: MissingRateFactor\n"
              "date 'no date': InvalidEffectiveDate\nexpiry on the date: ExpiryDateRange\n"
              "expiry abc: InvalidExpiryDate\nempty expiry: InvalidExpiryDate\n"
              "inside the open period: EffectiveDateRange\n");
    EXPECT_EQ(Failure([&] { w->AddCurrencyRate("ABC", "2026-06-01", kNull, 1.2, kNull, 1, false); }),
              "80040084 Brintor: EffectiveDateRange");
    EXPECT_EQ(LogEntries(), 0);
    EXPECT_EQ(Rates("ABC"), "2026-01-01 00:00:00|null|4.0|null|1");

    // No vote: the transaction it joins still commits.
    EXPECT_EQ(Vote([](Writer& x) { x->AddCurrencyRate("ABC", "2026-06-01", kNull, 1.2, kNull, 1, false); }),
              "commit");
    // The deletes' argument checks are raised bare too.
    EXPECT_EQ(Failure([&] { w->DeleteCurrencyRate(kEmpty, "2026-01-01"); }), "80040065 Brintor: MissingCurrencyCode");
    EXPECT_EQ(Failure([&] { w->DeleteCurrencyRate("ABC", kNull); }), "80040070 Brintor: MissingEffectiveDate");
    EXPECT_EQ(LogEntries(), 0);
  });
}

// A rate belongs to a currency that exists: a blank code is missing, an
// unknown one is not found, each raised bare and before anything is
// written, by the adding and by the changing writer alike.
TEST_F(RateValidation, ARateNeedsTheCodeOfACurrencyThatExists) {
  Run([&] {
    Writer w = NewWriter();
    std::string seen;
    for (const rt::Variant& code : {rt::Variant("QQQ"), rt::Variant(""), rt::Variant("   "), rt::Variant("AB")}) {
      seen += "'" + rt::CStr(code) + "': " + Failure([&] { w->AddCurrencyRate(code, "2027-01-01", kNull, 1.2, kNull, 1, false); }) +
              ", " + Failure([&] { w->UpdateCurrencyRate(code, "2026-01-01", kNull, 1.2, kNull, 1, false); }) + "\n";
    }
    EXPECT_EQ(seen,
              "'QQQ': 80040074 Brintor: CurrencyNotFound, 80040074 Brintor: CurrencyNotFound\n"
              "'': 80040065 Brintor: MissingCurrencyCode, 80040065 Brintor: MissingCurrencyCode\n"
              "'   ': 80040065 Brintor: MissingCurrencyCode, 80040065 Brintor: MissingCurrencyCode\n"
              "'AB': 80040074 Brintor: CurrencyNotFound, 80040074 Brintor: CurrencyNotFound\n");
    // Letter case and trailing blanks compare as the database compares them.
    EXPECT_EQ(Add(w, "xyz ", "2025-01-01", "2025-06-01", 1.5, kNull, 100, false), "added");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM CURRENCYRATE"), "5");
    EXPECT_EQ(LogEntries(), 0);
  });
}

TEST_F(RateValidation, RatesFollowTheRulesOfTheirKindOfCurrency) {
  Run([&] {
    Writer w = NewWriter();
    // Each on a new currency code of its own, so that no period overlaps.
    int next = 0;
    auto add = [&](rt::Variant home, rt::Variant euro, rt::Variant epc) {
      const std::string code = "Q" + std::to_string(next++);
      Exec("INSERT INTO CURRENCY VALUES ('" + code + "', 'Test', 0, 0, 0, 2, NULL);");
      return Add(w, code, "2027-01-01", kNull, home, euro, 1, epc);
    };
    // Tied to the euro, then the others.
    Golden seen;
    for (const auto& [home, euro, epc] : std::vector<std::tuple<rt::Variant, rt::Variant, rt::Variant>>{
             {1, 0.85, true}, {kNull, 0.85, true}, {2, 0.85, true}, {1, 0, true}, {1, kNull, true},
             {1.2, kNull, false}, {1.2, 0, false}, {1.2, 0.5, false}, {0, kNull, false}, {kNull, kNull, false},
             {-1, kNull, false},
             {1.2, kNull, kNull},     // a flag is required
             {1.2, kNull, "yes?"}}) {  // no truth value: not tied
      seen.Add(Golden().Add("EPC", epc).Add("home", home).Add("euro", euro).Line(), add(home, euro, epc));
    }
    EXPECT_EQ(seen.Lines(),
              "EPC=Boolean:True home=Long:1 euro=Double:0.85: added\n"
              "EPC=Boolean:True home=Null euro=Double:0.85: added\n"
              "EPC=Boolean:True home=Long:2 euro=Double:0.85: InvalidEPCRate\n"
              "EPC=Boolean:True home=Long:1 euro=Long:0: InvalidEPCRate\n"
              "EPC=Boolean:True home=Long:1 euro=Null: InvalidEPCRate\n"
              "EPC=Boolean:False home=Double:1.2 euro=Null: added\n"
              "EPC=Boolean:False home=Double:1.2 euro=Long:0: added\n"
              "EPC=Boolean:False home=Double:1.2 euro=Double:0.5: InvalidNonEPCRate\n"
              "EPC=Boolean:False home=Long:0 euro=Null: InvalidNonEPCRate\n"
              "EPC=Boolean:False home=Null euro=Null: InvalidNonEPCRate\n"
              "EPC=Boolean:False home=Long:-1 euro=Null: InvalidNonEPCRate\n"
              "EPC=Null home=Double:1.2 euro=Null: MissingEPC\n"
              "EPC=String:yes? home=Double:1.2 euro=Null: added\n");
    // The home currency's rates are not checked (codes compare exactly).
    EXPECT_EQ(Add(w, "HOM", "2027-01-01", kNull, 1, 0.5, 1, false), "EffectiveDateRange");
    Exec("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE = 'HOM';");
    EXPECT_EQ(Add(w, "hom", "2027-01-01", kNull, 1, 0.5, 1, false), "InvalidNonEPCRate");
    EXPECT_EQ(Add(w, "HOM", "2027-01-01", kNull, 1, 0.5, 1, false), "added");
  });
}

// "Above 0" is judged on the rate as its column stores it: HOMESALESRATE
// keeps four decimals and EUROSALESRATE six, so a smaller rate would be
// stored as 0 and is refused like 0.
TEST_F(RateValidation, ARateStoredAsZeroIsRefusedLikeZero) {
  Run([&] {
    Writer w = NewWriter();
    struct Case {
      const char* label;
      rt::Variant home, euro, epc;
      const char* outcome;
    };
    const Case cases[] = {
        {"home 0.00001, not tied", rt::Variant(0.00001), kNull, rt::Variant(false), "InvalidNonEPCRate"},
        {"home 0.00005, not tied", rt::Variant(0.00005), kNull, rt::Variant(false), "added"},
        {"home '0.00004', not tied", rt::Variant("0.00004"), kNull, rt::Variant(false), "InvalidNonEPCRate"},
        {"euro 0.0000004, tied", kNull, rt::Variant(0.0000004), rt::Variant(true), "InvalidEPCRate"},
        {"euro 0.0000005, tied", kNull, rt::Variant(0.0000005), rt::Variant(true), "added"},
    };
    int next = 0;
    for (const Case& c : cases) {
      const std::string code = "Z" + std::to_string(next++);
      Exec("INSERT INTO CURRENCY VALUES ('" + code + "', 'Test', 0, 0, 0, 2, NULL);");
      EXPECT_EQ(Add(w, code, "2027-01-01", kNull, c.home, c.euro, 1, c.epc), c.outcome) << c.label;
    }
    EXPECT_EQ(Scalar("SELECT group_concat(CURRENCYCODE || '=' || IFNULL(HOMESALESRATE, '-') || '/' ||"
                     " IFNULL(EUROSALESRATE, '-'), ' ') FROM CURRENCYRATE WHERE CURRENCYCODE LIKE 'Z%'"),
              "Z1=0.0001/- Z4=-/1.0e-06");
  });
}

TEST_F(RateValidation, PeriodsOfOneCurrencyNeverOverlap) {
  Run([&] {
    Writer w = NewWriter();
    // An open-ended period that began earlier covers the new one (Q1).
    EXPECT_EQ(Add(w, "ABC", "2027-01-01", kNull, 4.5, kNull, 1, false), "EffectiveDateRange");
    // Closed on the new effective date, it no longer does; dates may come in
    // any form the regional settings read.
    EXPECT_TRUE(w->UpdateCurrencyRate("ABC", rt::Variant(Day(2026, 1, 1)), "2027-1-1", 4, kNull, 1, false));
    EXPECT_EQ(Add(w, "ABC", "2027-1-1", kNull, 4.5, kNull, 1, false), "added");
    EXPECT_EQ(Rates("ABC"), "2026-01-01 00:00:00|2027-01-01 00:00:00|4.0|null|1; 2027-01-01 00:00:00|null|4.5|null|1");

    // A period that starts inside the new one (Q3); one that starts exactly
    // at the new expiry does not collide.
    Exec("INSERT INTO CURRENCYRATE VALUES ('XYZ', '2025-01-05 00:00:00', '2025-02-01 00:00:00', 1.5, NULL, 100);");
    EXPECT_EQ(Add(w, "XYZ", "2025-01-01", "2025-01-10", 1.5, kNull, 100, false), "EffectiveDateRange");
    EXPECT_EQ(Add(w, "XYZ", "2024-12-01", "2025-01-05", 1.5, kNull, 100, false), "added");
    // An open-ended period with a later one still open after its start (Q2).
    EXPECT_EQ(Add(w, "XYZ", "2025-03-01", kNull, 1.5, kNull, 100, false), "EffectiveDateRange");
    EXPECT_EQ(Add(w, "XYZ", rt::Variant(Day(2025, 2, 1, 12)), "2025-03-01", 1.5, kNull, 100, false), "added");

    // An update passes the covering test that the same add fails.
    EXPECT_TRUE(w->UpdateCurrencyRate("XYZ", "2025-01-05", "2025-02-01", 1.6, kNull, 100, false));
    EXPECT_EQ(Add(w, "XYZ", "2025-01-05", "2025-02-01", 1.6, kNull, 100, false), "EffectiveDateRange");
  });
}

TEST_F(RateValidation, TheWritersStoreRoundedRatesAndAnswerTrueWhenNothingMatched) {
  Run([&] {
    Writer w = PlainWriter();
    EXPECT_TRUE(w->AddCurrencyRate("DEF", "2025-01-01", "2026-01-01", kNull, "3.1234567", 1, true));
    EXPECT_TRUE(w->AddCurrencyRate("ABC", "2025-01-01 08:30:00", Day(2026, 1, 1), 4.123456, 0, int32_t{10}, false));
    EXPECT_EQ(Golden().Add("DEF", Rates("DEF")).Add("ABC", Rates("ABC")).Lines(),
              "DEF: 2025-01-01 00:00:00|2026-01-01 00:00:00|null|3.123457|1; 2026-01-01 00:00:00|null|null|3.0|1\n"
              "ABC: 2025-01-01 08:30:00|2026-01-01 00:00:00|4.1235|0.0|10; 2026-01-01 00:00:00|null|4.0|null|1\n");
    EXPECT_TRUE(w->UpdateCurrencyRate("ABC", "2025-01-01 08:30", "2026-01-01", 4.2, kNull, 1, false));
    EXPECT_TRUE(w->UpdateCurrencyRate("ABC", "2020-01-01", "2020-02-01", 4.2, kNull, 1, false));  // no such period
    EXPECT_TRUE(w->DeleteCurrencyRate("ABC", "2026-01-01"));
    EXPECT_TRUE(w->DeleteCurrencyRate("ABC", "2020-01-01"));
    EXPECT_EQ(Rates("ABC"), "2025-01-01 08:30:00|2026-01-01 00:00:00|4.2|null|1");
    EXPECT_EQ(LogEntries(), 0);
  });
}

}  // namespace
