// The transactional currency writer's script writes, business rules,
// referential answers and votes: codes in order, what the data object keeps
// and what reaches the row, a rate written and then converted with.
#include "tests/brintor/maintenance_fixture.h"

namespace {

using ScriptWrites = ExampleTCurrencyTest;
using CurrencyRules = ScriptWrites;
using EmptyCurrencyRules = TCurrencyTest;

const rt::Variant kNull = rt::Variant::Null();

rt::Variant Names(std::vector<rt::Variant> names) { return rt::Variant(rt::SafeArray::From(std::move(names))); }

const rt::Variant kCurrencyColumns =
    Names({"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO", "EPC", "DECIMALS", "LOCALEID"});
const rt::Variant kRateColumns = Names({"CURRENCYCODE", "EFFECTIVEDATE", "EXPIRYDATE", "HOMESALESRATE", "RATEFACTOR"});

TEST_F(ScriptWrites, CurrencyInsertsAnswerTheirCodesInOrder) {
  Run([&] {
    Writer w = NewWriter();
    auto insert = [&](rt::Variant keys, std::vector<rt::Variant> values) {
      return Outcome(w->InsertFromScript("CURRENCY", keys, Names(std::move(values))));
    };
    // Missing name and decimals: the presence checks, then the validation
    // once more; names in any letter case; a duplicate code, bad decimals, a
    // second home currency, types and a locale beyond 16 bits.
    Golden seen;
    seen.Add("no name, no decimals",
             insert(Names({"CURRENCYCODE", "HOMECURRENCY", "EURO", "EPC"}), {"NEW", false, false, false}));
    seen.Add("ABC again", insert(Names({"currencycode", "CurrencyName", "HOMECURRENCY", "EURO", "EPC", "DECIMALS"}),
                                 {"ABC", "Again", false, false, false, int16_t{2}}));
    seen.Add("decimals 9", insert(kCurrencyColumns, {"NEW", "New", false, false, false, int16_t{9}, kNull}));
    seen.Add("second home", insert(kCurrencyColumns, {"NEW", "New", true, false, false, int16_t{2}, kNull}));
    seen.Add("decimals two", insert(kCurrencyColumns, {"NEW", "New", false, false, false, "two", kNull}));
    seen.Add("locale 70000",
             insert(kCurrencyColumns, {"NEW", "New", false, false, false, int16_t{2}, int32_t{70000}}));
    EXPECT_EQ(seen.Lines(),
              "no name, no decimals: failed SLBCO5018 SLBCO5019 SLBCO5018\nABC again: failed SLBCO5040\n"
              "decimals 9: failed SLBCO5011\nsecond home: failed SLBCO5006\n"
              "decimals two: failed SLBBR9000:DECIMALS Type mismatch\nlocale 70000: failed SLBBR9000:LOCALEID "
              "SLBCO5015\n");
    EXPECT_EQ(Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'NEW'"), "0");

    // Table names are exact; nothing is answered for another spelling.
    EXPECT_EQ(Outcome(w->InsertFromScript("currency", kCurrencyColumns,
                                          Names({"NEW", "New", false, false, false, int16_t{2}, kNull}))),
              "(nothing)");
    // A null code cannot be made text: the rule's and the script's handlers.
    const std::string error = Failure([&] {
      w->InsertFromScript("CURRENCY", kCurrencyColumns, Names({kNull, "New", false, false, false, int16_t{2}, kNull}));
    });
    EXPECT_EQ(error, "5E Brintor: |ERROR 0x5E| METHOD: Brintor.Currency.InsertFromScript| DESC: |ERROR 0x5E| METHOD: "
                     "Brintor.Currency.BusinessRules_Insert| DESC: Invalid use of Null.|.|");
    EXPECT_EQ(Table("SELECT COUNT(*) FROM CURRENCY"), "5");
  });
}

TEST_F(EmptyCurrencyRules, AEuroCurrencyIsTiedToTheEuroAndTheDataObjectKeepsOnlyItsOwnKeys) {
  Run([&] {
    Writer w = NewWriter();
    auto bdo = DataObject("CurrencyDataObject", {{"CURRENCYCODE", "EUR"}, {"CURRENCYNAME", "Euro"},
                           {"HOMECURRENCY", false}, {"EURO", true}, {"DECIMALS", int16_t{2}}});
    Golden out;
    out.Add("insert", Outcome(w.Rules().BusinessRules_Insert(bdo)));
    out.Add("data object", Render(bdo));
    // A kind of its own answers an empty result and writes nothing.
    auto other = DataObject("BPDataObject", {});
    out.Add("update BPDataObject", Outcome(w.Rules().BusinessRules_Update(other)));
    out.Add("GetInstance BPDataObject", Outcome(w.Rules().BusinessRules_GetInstance(other)));
    EXPECT_EQ(out.Add("rows", Table("SELECT * FROM CURRENCY")).Lines(),
              "insert: ok\ndata object: CURRENCYCODE=String:EUR; CURRENCYNAME=String:Euro; HOMECURRENCY=Boolean:False; "
              "EURO=Boolean:True; DECIMALS=Integer:2; EPC=Boolean:True\nupdate BPDataObject: ok\n"
              "GetInstance BPDataObject: (nothing)\nrows: EUR|Euro|0|1|1|2|null\n");
  });
}

TEST_F(CurrencyRules, CurrencyUpdatesNeedEveryFlagAndLeaveOutWhatWasNotGiven) {
  Run([&] {
    Writer w = NewWriter();
    const rt::Variant flags = Names({"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO", "EPC", "DECIMALS"});
    Golden out;
    out.Add("name only", Outcome(w->UpdateFromScript("CURRENCY", Names({"CURRENCYNAME"}), Names({"Nameless"}))));
    out.Add("locale x", Outcome(w->UpdateFromScript("CURRENCY", kCurrencyColumns,
                                                    Names({"ABC", "Abc", false, false, false, int16_t{2}, "x"}))));
    out.Add("ABC flags", Outcome(w->UpdateFromScript("CURRENCY", flags,
                                                     Names({"ABC", "Renamed", false, false, false, int16_t{3}}))));
    // LOCALEID was not given: the stored one stays.
    Exec("UPDATE CURRENCY SET LOCALEID = 2057 WHERE CURRENCYCODE = 'XYZ';");
    out.Add("XYZ flags",
            Outcome(w->UpdateFromScript("CURRENCY", flags, Names({"XYZ", "Xyz", false, false, false, int16_t{0}}))));
    EXPECT_EQ(out.Lines(),
              "name only: failed SLBCO5022 SLBCO5021 SLBCO5020 SLBCO5019 SLBCO5017\nlocale x: failed SLBCO5015\n"
              "ABC flags: ok\nXYZ flags: ok\n");
    EXPECT_EQ(Table("SELECT * FROM CURRENCY WHERE CURRENCYCODE IN ('ABC', 'XYZ') ORDER BY 1"),
              "ABC|Renamed|0|0|0|3|null; XYZ|Xyz|0|0|0|0|2057");
  });
}

TEST_F(ScriptWrites, ARatePeriodFromAScriptIsUsedByTheNextConversion) {
  Run([&] {
    Writer w = NewWriter();
    // Close the current period, then add the next one; the EPC flag comes
    // from the currency's own row.
    Golden out;
    out.Add("close", Outcome(w->UpdateFromScript("CURRENCYRATE", kRateColumns,
                                                 Names({"ABC", "2026-01-01", "2027-01-01", 4.0, int16_t{1}}))));
    out.Add("add", Outcome(w->InsertFromScript("CURRENCYRATE", kRateColumns,
                                               Names({"ABC", "2027-1-1", kNull, 5.0, int16_t{1}}))));
    EXPECT_EQ(out.Line(), "close=ok add=ok");
    EXPECT_EQ(Rates("ABC"), "2026-01-01 00:00:00|2027-01-01 00:00:00|4.0|null|1; 2027-01-01 00:00:00|null|5.0|null|1");
    auto c = NewCurrency();
    Golden converted;
    converted.Add("2026-12-31", Convert(*c, "HOM", "ABC", 10, Day(2026, 12, 31)));
    EXPECT_EQ(converted.Add("2027-02-01", Convert(*c, "HOM", "ABC", 10, Day(2027, 2, 1))).Line(),
              "2026-12-31=40 2027-02-01=50");
    // The same period again, a currency that does not exist, no currency.
    Golden refused;
    for (const char* code : {"ABC", "QQQ"})
      refused.Add(code, Outcome(w->InsertFromScript("CURRENCYRATE", kRateColumns,
                                                    Names({code, "2027-01-01", kNull, 5.0, int16_t{1}}))));
    refused.Add("no code", Outcome(w->InsertFromScript("CURRENCYRATE", Names({"EFFECTIVEDATE", "RATEFACTOR"}),
                                                       Names({"2028-01-01", int16_t{1}}))));
    EXPECT_EQ(refused.Lines(),
              "ABC: failed internal referential integrity conflict No valid currency rate : EffectiveDateRange\n"
              "QQQ: failed No valid currency rate : MissingEPC\n"
              "no code: failed No valid currency rate : MissingCurrencyCode\n");
    // A rate that its column would store as 0 is refused like 0.
    EXPECT_EQ(Outcome(w->InsertFromScript("CURRENCYRATE", kRateColumns,
                                          Names({"ABC", "2020-01-01", "2020-06-01", 0.00001, int16_t{1}}))),
              "failed No valid currency rate : InvalidNonEPCRate");
  });
}

TEST_F(CurrencyRules, RateRulesWriteOnlyTheGivenColumnsAndNeverTheEpcFlag) {
  Run([&] {
    Writer w = NewWriter();
    // A home-currency update without rates keeps them (its rates are not checked).
    auto update = DataObject("CurrencyRateDataObject", {{"CURRENCYCODE", "HOM"},
                              {"EFFECTIVEDATE", rt::Variant(Day(2026, 1, 1))}, {"EXPIRYDATE", kNull},
                              {"RATEFACTOR", int16_t{1}}, {"EPC", false}});
    EXPECT_EQ(Outcome(w.Rules().BusinessRules_Update(update)), "ok");
    EXPECT_EQ(Render(update),
              "CURRENCYCODE=String:HOM; EFFECTIVEDATE=Date:2026-01-01; EXPIRYDATE=Null; RATEFACTOR=Integer:1; "
              "EPC=Boolean:False");
    EXPECT_EQ(Rates("HOM"), "2026-01-01 00:00:00|null|1.0|2.0|1");

    // A caller's EPC flag decides the rule and stays out of the row.
    auto insert = DataObject("CurrencyRateDataObject", {{"CURRENCYCODE", "DEF"},
                              {"EFFECTIVEDATE", "2025-01-01"}, {"EXPIRYDATE", "2026-01-01"}, {"HOMESALESRATE", 1.0},
                              {"EUROSALESRATE", 2.5}, {"RATEFACTOR", int16_t{1}}, {"EPC", false}});
    EXPECT_EQ(Outcome(w.Rules().BusinessRules_Insert(insert)), "failed No valid currency rate : InvalidNonEPCRate");
    insert->SetItem("EPC", true);
    insert->Add("METAObjectID", "CurrencyRateDataObject");
    EXPECT_EQ(Outcome(w.Rules().BusinessRules_Insert(insert)), "ok");
    EXPECT_EQ(Rates("DEF"), "2025-01-01 00:00:00|2026-01-01 00:00:00|1.0|2.5|1; 2026-01-01 00:00:00|null|null|3.0|1");
  });
}

TEST_F(ScriptWrites, TheScriptDeleteChecksRatesOfficesAndPartnersItself) {
  Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, CURRENCYCODE) VALUES ('Head office', 'XYZ');"
       "INSERT INTO BUSINESSPARTNER (NAME, CURRENCYCODE) VALUES ('Supplier', 'XYZ');"
       "INSERT INTO OFFICE (OFFICEDESCRIPTION, CURRENCYCODE) VALUES ('Branch', 'EUR');");
  Run([&] {
    Writer w = NewWriter();
    const rt::Variant code = Names({"CURRENCYCODE"});
    auto remove = [&](const char* currency) { return Outcome(w->DeleteFromScript("CURRENCY", code, Names({currency}))); };
    Golden out;
    out.Add("XYZ", remove("XYZ")).Add("EUR", remove("EUR"));
    out.Add("ABC rate", Outcome(w->DeleteFromScript("CURRENCYRATE", Names({"EFFECTIVEDATE", "CURRENCYCODE"}),
                                                    Names({"2026-01-01", "ABC"}))));
    out.Add("ABC", remove("ABC")).Add("codes", Table("SELECT CURRENCYCODE FROM CURRENCY ORDER BY 1"));
    EXPECT_EQ(out.Lines(),
              "XYZ: failed SLBCO4027 SLBCO4028 SLBCO4029\nEUR: failed SLBCO4028\nABC rate: ok\nABC: ok\n"
              "codes: DEF; EUR; HOM; XYZ\n");
    // "Currency not present" passes through the rule's handler as an error.
    const std::string error = Failure([&] { w->DeleteFromScript("CURRENCY", code, Names({"QQQ"})); });
    EXPECT_EQ(error.substr(0, error.find("|")), "80040064 Brintor.Currency.CurrencyDelete: ");
    EXPECT_EQ(LogEntriesWith("Brintor.Currency.BusinessRules_Delete"), 2);  // its entry and the script's

    RefuseCurrencyDeletes();
    Golden refused;
    refused.Add("DEF with rates", remove("DEF"));
    Exec("DELETE FROM CURRENCYRATE WHERE CURRENCYCODE = 'DEF';");
    refused.Add("DEF without rates", remove("DEF"));
    EXPECT_EQ(refused.Add("DEF rows", Table("SELECT COUNT(*) FROM CURRENCY WHERE CURRENCYCODE = 'DEF'")).Lines(),
              "DEF with rates: failed SLBCO4027\nDEF without rates: failed SLBCO4026\nDEF rows: 1\n");
  });
}

TEST_F(CurrencyRules, ResultsAreCommittedAlsoWhenTheyReportFailures) {
  Run([&] {
    Golden votes;
    for (rt::Variant code : {rt::Variant("ABC"), kNull}) {
      votes.Add(code.IsNull() ? "Null" : rt::CStr(code), Vote([&](Writer& w) {
        w->InsertFromScript("CURRENCY", kCurrencyColumns, Names({code, "Abc", false, false, false, int16_t{2}, kNull}));
      }));
    }
    EXPECT_EQ(votes.Line(), "ABC=commit Null=rollback");
  });
}

TEST_F(ScriptWrites, ExistsAnswersForCurrencyCodesOnly) {
  Run([&] {
    Writer w = NewWriter();
    IReferentialIntegrity& r = w.References();
    // The last code named decides.
    Golden answers;
    answers.Add("Exists currencycode=abc",
                r.IReferentialIntegrity_Exists("BUSINESSPARTNER", Names({"currencycode"}), Names({"abc"})));
    answers.Add("Exists CURRENCYCODE=O'K", r.IReferentialIntegrity_Exists("", Names({"CURRENCYCODE"}), Names({"O'K"})));
    answers.Add("Exists UNITCODE=ABC", r.IReferentialIntegrity_Exists("", Names({"UNITCODE"}), Names({"ABC"})));
    answers.Add("Exists CURRENCYCODE=ABC,QQQ",
                r.IReferentialIntegrity_Exists("", Names({"CURRENCYCODE", "CURRENCYCODE"}), Names({"ABC", "QQQ"})));
    answers.Add("BeforeDelete CURRENCYCODE=ABC",
                r.IReferentialIntegrity_BeforeDelete("", Names({"CURRENCYCODE"}), Names({"ABC"})));
    EXPECT_EQ(answers.Add("ABC rates", Rates("ABC")).Lines(),
              "Exists currencycode=abc: true\nExists CURRENCYCODE=O'K: false\nExists UNITCODE=ABC: false\n"
              "Exists CURRENCYCODE=ABC,QQQ: false\nBeforeDelete CURRENCYCODE=ABC: true\n"
              "ABC rates: 2026-01-01 00:00:00|null|4.0|null|1\n");
  });
}

}  // namespace
