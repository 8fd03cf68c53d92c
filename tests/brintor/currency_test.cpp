// Tests of the currency object's readers: one currency into the properties,
// the lists, the home and euro caches, the votes, the withdrawn members.
#include "data/recordset.h"
#include "tests/brintor/maintenance_fixture.h"

namespace {

using CurrencyObject = ExampleCurrencyTest;

std::string Properties(ICurrency& c) {
  return Golden()
      .Add("CurrencyCode", c.CurrencyCode())
      .Add("CurrencyName", c.CurrencyName())
      .Add("HomeCurrency", c.HomeCurrency())
      .Add("EuroCurrency", c.EuroCurrency())
      .Add("LocaleID", c.LocaleID())
      .Add("EPC", c.EPC())
      .Add("Decimals", c.Decimals())
      .Lines();
}

TEST_F(CurrencyObject, GetCurrencyLoadsTheSevenPropertiesOrFailsLeavingThem) {
  Exec("INSERT INTO CURRENCY VALUES ('AB', '  Padded name  ', 0, 0, 1, 6, 40000);");
  Run([&] {
    auto c = NewCurrency();
    // The code as passed, though the database matched it in another case.
    EXPECT_TRUE(c->GetCurrency(Ref(rt::Variant("hom"))));
    const std::string home = Properties(*c);
    EXPECT_EQ(home,
              "CurrencyCode: String:hom\nCurrencyName: String:Home currency\nHomeCurrency: Boolean:True\n"
              "EuroCurrency: Boolean:False\nLocaleID: Integer:1033\nEPC: Boolean:False\nDecimals: Integer:2\n");
    Golden seen;
    seen.Add("Empty", Failure([&] { c->GetCurrency(Ref(rt::Variant())); }));
    seen.Add("Null", Failure([&] { c->GetCurrency(Ref(rt::Variant::Null())); }));
    seen.Add("log entries", LogEntries());
    seen.Add("QQQ", Failure([&] { c->GetCurrency(Ref(rt::Variant("QQQ"))); }));
    EXPECT_EQ(seen.Add("log entries after", LogEntries()).Lines(),
              "Empty: 80040065 Brintor: MissingCurrencyCode\nNull: 80040065 Brintor: MissingCurrencyCode\n"
              "log entries: 0\nQQQ: 80040074 Brintor: "
              "|ERROR 0x80040074| METHOD: Brintor.Currency.GetCurrency| DESC: Currency 'QQQ' not found.| INFO: .|\n"
              "log entries after: 1\n");
    EXPECT_EQ(Properties(*c), home);

    // A locale beyond 16 bits overflows after the other properties are set.
    EXPECT_EQ(Failure([&] { c->GetCurrency(Ref(rt::Variant("AB"))); }),
              "6 Brintor: |ERROR 0x6| METHOD: Brintor.Currency.GetCurrency| DESC: Overflow.| INFO: .|");
    EXPECT_EQ(rt::CStr(c->CurrencyName()), "Padded name");
  });
}

TEST_F(CurrencyObject, GetCurrencyAsDictGivesTextsAndANotFoundOfItsOwn) {
  Exec("INSERT INTO CURRENCY VALUES ('A''B', 'Quote', 0, 0, 1, 3, NULL);");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Render(c->GetCurrencyAsDict(Ref(rt::Variant("HOM")))),
              "CURRENCYCODE=String:HOM; CURRENCYNAME=String:Home currency; HOMECURRENCY=String:True; "
              "EURO=String:False; EPC=String:False; DECIMALS=String:2; LOCALEID=Integer:1033");
    Golden quoted;
    quoted.Add("A'B", Render(c->GetCurrencyAsDict(Ref(rt::Variant("A'B")))).substr(0, 60));
    quoted.Add("Q'Q", Failure([&] { c->GetCurrencyAsDict(Ref(rt::Variant("Q'Q"))); }));
    EXPECT_EQ(quoted.Lines(),
              "A'B: CURRENCYCODE=String:A'B; CURRENCYNAME=String:Quote; HOMECURR\n"
              "Q'Q: 80040074 Brintor.Currency.GetCurrencyAsDict: Currency Q'Q not found\n");
    EXPECT_EQ(LogEntries(), 0);
  });
  // Any other failure takes the number UnexpectedGetCurrencyAsDict.
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    EXPECT_EQ(Failure([&] { NewCurrency()->GetCurrencyAsDict(Ref(rt::Variant("HOM"))); }).substr(0, 89),
              "8004008C SQLite: |ERROR 0x8004008C| METHOD:  / Brintor.Currency.GetCurrencyAsDict| DESC: ");
    EXPECT_EQ(LogEntries(), 1);
  });
}

TEST_F(CurrencyObject, AllCurrenciesAsDisconnectedRecordsetAndAsCodeSet) {
  Exec("INSERT INTO CURRENCY VALUES ('AB', 'Two letters', 0, 0, 0, 2, NULL);");
  Run([&] {
    auto c = NewCurrency();
    auto rs = std::dynamic_pointer_cast<data::Recordset>(c->GetCurrencies());
    ASSERT_TRUE(rs);
    Golden seen;
    seen.Add("disconnected", !rs->ActiveConnection()).Add("records", rs->RecordCount());
    seen.Add("dictionary", Render(c->GetCurrenciesInDictionary()));
    EXPECT_EQ(seen.Lines(),
              "disconnected: true\nrecords: 6\n"
              "dictionary: HOM=String:HOM; EUR=String:EUR; ABC=String:ABC; DEF=String:DEF; XYZ=String:XYZ; AB "
              "=String:AB \n");
  });
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    // The inner GetCurrencies block keeps the engine's own number.
    EXPECT_EQ(Failure([&] { NewCurrency()->GetCurrenciesInDictionary(); }).substr(0, 169),
              "80040077 SQLite: |ERROR 0x80040077| METHOD:  / Brintor.Currency.GetCurrenciesInDictionary| DESC: "
              "|ERROR 0x80040E14| METHOD: Brintor.Currency.GetCurrencies| DESC: no such");
    EXPECT_EQ(LogEntries(), 2);
  });
}

TEST_F(CurrencyObject, HomeAndEuroAreReadOnceAndNeverRefreshed) {
  Exec("DELETE FROM CURRENCYRATE; DELETE FROM CURRENCY;");
  Run([&] {
    auto c = NewCurrency();
    // Nothing there: nothing is cached, so the next call asks again.
    Golden none;
    none.Add("home", c->GetHomeCurrency() != nullptr).Add("euro", c->GetEuroCurrencyCode());
    EXPECT_EQ(none.Line(), "home=false euro=");
    Exec(kExampleCurrencies);
    EXPECT_EQ(Render(c->GetHomeCurrency()),
              "CURRENCYCODE=String:HOM; HOMECURRENCY=Boolean:True; EURO=Boolean:False; EPC=Boolean:False; "
              "DECIMALS=Integer:2; LOCALEID=Integer:1033");
    EXPECT_EQ(c->GetEuroCurrencyCode(), "EUR");
    rt::ObjectPtr home = c->GetHomeCurrency();
    Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
    EXPECT_EQ(c->GetHomeCurrency(), home);
    EXPECT_EQ(c->GetHomeCurrencyObject(), home);
    // Another object reads afresh: its failure is logged, and the code
    // getters answer "" for it.
    Golden codes;
    codes.Add("euro", c->GetEuroCurrencyCode()).Add("another's home", NewCurrency()->GetHomeCurrencyCode());
    codes.Add("logged", LogEntriesWith("Brintor.Currency.GetHomeCurrency")).Add("Err", rt::Err().number);
    EXPECT_EQ(codes.Lines(), "euro: EUR\nanother's home: \nlogged: 1\nErr: 0\n");
  });
}

// A currency object shares its creator's context, as when a class of the
// library creates it with New: only Release and two failures vote.
TEST_F(CurrencyObject, OnlyReleaseAndTwoFailuresVote) {
  auto ending = [](const std::function<void(ICurrency&)>& call) {
    return Ending<ICurrency>("Brintor.Currency", std::make_shared<rt::Activity>(),
                             [&](Maintained<ICurrency>& c) { call(*c.operator->()); }, false);
  };
  auto asDict = [](const char* code) { return [code](ICurrency& c) { c.GetCurrencyAsDict(Ref(rt::Variant(code))); }; };
  Run([&] {
    Golden outcomes;
    for (const auto& [name, call] : std::vector<std::pair<const char*, std::function<void(ICurrency&)>>>{
             {"Release", [](ICurrency& c) { c.Release(); }},
             {"GetCurrencyAsDict(HOM)", asDict("HOM")},
             {"GetCurrencyAsDict(QQQ)", asDict("QQQ")},
             {"GetCurrency(QQQ)", [](ICurrency& c) { c.GetCurrency(Ref(rt::Variant("QQQ"))); }},
             {"ConvertAmount(HOM, QQQ)",
              [](ICurrency& c) {
                c.ConvertAmount(Ref<std::string>("HOM"), Ref<std::string>("QQQ"),
                                Ref(rt::Currency::FromScaled(10000)), Ref(rt::Date::FromParts(2026, 12, 8)));
              }}}) {
      outcomes.Add(name, ending(call));
    }
    EXPECT_EQ(outcomes.Lines(),
              "Release: commit\nGetCurrencyAsDict(HOM): commit\nGetCurrencyAsDict(QQQ): rollback\n"
              "GetCurrency(QQQ): commit\nConvertAmount(HOM, QQQ): commit\n");
  });
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    EXPECT_EQ(ending([](ICurrency& c) { c.GetCurrenciesInDictionary(); }), "rollback");
    EXPECT_EQ(ending(asDict("HOM")), "commit");
  });
}

TEST_F(CurrencyObject, WithdrawnMembersFailWithMinusOneNamingTheirReplacement) {
  Run([&] {
    rt::ObjectPtr c = rt::CreateObject("Brintor.Currency");
    const std::pair<const char*, int> members[] = {
        {"AddCurrency", 0}, {"UpdateCurrency", 0}, {"DeleteCurrency", 0}, {"CurrencyDelete", 1},
        {"AddCurrencyRate", 7}, {"UpdateCurrencyRate", 7}, {"DeleteCurrencyRate", 2}, {"InsertFromScript", 3},
        {"UpdateFromScript", 3}, {"DeleteFromScript", 3}, {"BusinessRules_Delete", 1},
        {"BusinessRules_GetInstance", 1}, {"BusinessRules_Insert", 1}, {"BusinessRules_Update", 1},
        {"IReferentialIntegrity_Exists", 3}, {"IReferentialIntegrity_BeforeDelete", 3}};
    for (auto [name, arity] : members) {
      // Whatever the arguments: Null, a text, a number.
      rt::Args args;
      for (int i = 0; i < arity; ++i) {
        args.push_back(i % 3 == 0 ? rt::Variant::Null() : i % 3 == 1 ? rt::Variant("HOM") : rt::Variant(int32_t{7}));
      }
      EXPECT_EQ(Failure([&] { c->Invoke(name, rt::CallKind::Method, args); }),
                std::string("FFFFFFFF Brintor: |ERROR 0xFFFFFFFF| METHOD: This method is depricated, Use "
                            "Brintor.TCurrency.") +
                    name + " Method| DESC: Application-defined or object-defined error.|");
    }
    EXPECT_EQ(LogEntriesWith("This method is depricated"), 16);
  });
}

}  // namespace
