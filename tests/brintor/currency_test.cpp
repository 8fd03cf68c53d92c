// Tests of the currency object's readers: one currency into the properties,
// the lists, the home and euro caches, the withdrawn members, the member
// and the library's error numbers.
#include "tests/brintor/brintor_fixture.h"

#include "data/recordset.h"
#include "runtime/context.h"

namespace {

using CurrencyObject = CurrencyTest;
using CurrencyCaches = CurrencyTest;
using CurrencyLists = CurrencyTest;
using WithdrawnMembers = CurrencyTest;

// A transactional creator whose context a currency object shares, as when a
// class of the library creates it with New; the probe enlisted in the
// transaction records how it ended.
class Creator : public rt::Object {};

class OutcomeProbe : public rt::TransactionResource {
 public:
  explicit OutcomeProbe(std::string& outcome) : outcome_(outcome) {}
  void Commit() override { outcome_ = "commit"; }
  void Rollback() override { outcome_ = "rollback"; }

 private:
  std::string& outcome_;
};

// How the creator's transaction ends when `call` is all it does.
std::string TransactionOutcome(const rt::ObjectPtr& currency, const std::function<void(ICurrency&)>& call) {
  auto creator = std::make_shared<Creator>();
  creator->AttachContext(std::make_shared<rt::ObjectContext>(std::make_shared<rt::Activity>(),
                                                             std::make_shared<rt::TransactionStream>()));
  currency->AttachContext(creator->Context());
  std::string outcome = "none";
  {
    rt::ContextScope scope(*creator);
    rt::GetObjectContext()->CurrentTransaction()->Enlist("probe", std::make_shared<OutcomeProbe>(outcome));
    try {
      call(*std::dynamic_pointer_cast<ICurrency>(currency));
    } catch (const rt::ComError&) {
    }
  }
  return outcome;
}

// A call of GetCurrencyAsDict for `code`.
std::function<void(ICurrency&)> AsDict(const char* code) {
  return [code](ICurrency& x) {
    rt::Variant v(code);
    x.GetCurrencyAsDict(v);
  };
}

std::string Properties(ICurrency& c) {
  auto one = [](const char* name, const rt::Variant& v) {
    return std::string(name) + "=" + rt::TypeName(v) + ":" + rt::Concat(v);
  };
  return one("CurrencyCode", c.CurrencyCode()) + "; " + one("CurrencyName", c.CurrencyName()) + "; " +
         one("HomeCurrency", c.HomeCurrency()) + "; " + one("EuroCurrency", c.EuroCurrency()) + "; " +
         one("LocaleID", c.LocaleID()) + "; " + one("EPC", c.EPC()) + "; " + one("Decimals", c.Decimals());
}

TEST(BrintorErrors, MembersAreConsecutiveFromOffset101To140) {
  EXPECT_EQ(ErrorNumber(BrintorError::MissingCurrencyCode), -2147221403);
  EXPECT_EQ(ErrorNumber(BrintorError::UnexpectedGetCurrencyAsDict), -2147221364);
  const BrintorError all[] = {
      BrintorError::MissingCurrencyCode, BrintorError::MissingCurrencyName, BrintorError::MissingHomeCurrency,
      BrintorError::MissingEuroCurrency, BrintorError::MissingEPC, BrintorError::MissingDecimals,
      BrintorError::MissingLocaleID, BrintorError::InvalidDecimals, BrintorError::InvalidLocaleID,
      BrintorError::DuplicateHomeCurrency, BrintorError::DuplicateEuroCurrency, BrintorError::MissingEffectiveDate,
      BrintorError::MissingRateFactor, BrintorError::InvalidEPCRate, BrintorError::InvalidNonEPCRate,
      BrintorError::CurrencyNotFound, BrintorError::UnexpectedGetHomeCurrency, BrintorError::UnexpectedGetEuroCurrency,
      BrintorError::UnexpectedGetCurrency, BrintorError::UnexpectedAddCurrency, BrintorError::UnexpectedUpdateCurrency,
      BrintorError::UnexpectedDeleteCurrency, BrintorError::UnexpectedGetCurrencyRate,
      BrintorError::UnexpectedAddCurrencyRate, BrintorError::UnexpectedUpdateCurrencyRate,
      BrintorError::UnexpectedDeleteCurrencyRate, BrintorError::CurrencyRateNotFound, BrintorError::ReferentialDelete,
      BrintorError::ReferentialInsert, BrintorError::InvalidEffectiveDate, BrintorError::InvalidExpiryDate,
      BrintorError::EffectiveDateRange, BrintorError::ExpiryDateRange, BrintorError::EuroRateNotDefined,
      BrintorError::EuroRateNotDefinedForHomeCurrency, BrintorError::BusinessPartnerNotFound,
      BrintorError::AddressNotFound, BrintorError::UnknownUserType, BrintorError::HomeRateNotDefined,
      BrintorError::UnexpectedGetCurrencyAsDict};
  ASSERT_EQ(std::size(all), 40u);
  for (size_t i = 0; i < std::size(all); ++i) {
    EXPECT_EQ(static_cast<uint32_t>(ErrorNumber(all[i])), 0x80040000u + 101u + i) << "member " << i;
  }
}

TEST_F(CurrencyObject, GetCurrencyLoadsTheSevenProperties) {
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('AB', '  Padded name  ', 0, 0, 1, 6, 40000);");
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Properties(*c),
              "CurrencyCode=Empty:; CurrencyName=Empty:; HomeCurrency=Empty:; EuroCurrency=Empty:; "
              "LocaleID=Empty:; EPC=Empty:; Decimals=Empty:");
    // The code as passed, though the database matched it in another case.
    rt::Variant code("hom");
    EXPECT_TRUE(c->GetCurrency(code));
    EXPECT_EQ(Properties(*c),
              "CurrencyCode=String:hom; CurrencyName=String:Home currency; HomeCurrency=Boolean:True; "
              "EuroCurrency=Boolean:False; LocaleID=Integer:1033; EPC=Boolean:False; Decimals=Integer:2");
    code = "EUR";
    EXPECT_TRUE(c->GetCurrency(code));
    EXPECT_EQ(Properties(*c),
              "CurrencyCode=String:EUR; CurrencyName=String:Euro; HomeCurrency=Boolean:False; "
              "EuroCurrency=Boolean:True; LocaleID=Null:; EPC=Boolean:False; Decimals=Integer:2");

    // A locale beyond 16 bits overflows after the other properties are set.
    code = "AB";
    rt::ComError e = RaisedBy([&] { c->GetCurrency(code); });
    EXPECT_EQ(e.number(), 6);
    EXPECT_EQ(e.description(), "\r\nERROR 0x6\r\n METHOD: Brintor.Currency.GetCurrency\r\n DESC: Overflow.\r\n INFO: .\r\n");
    EXPECT_EQ(rt::CStr(c->CurrencyName()), "Padded name");
  });
}

TEST_F(CurrencyObject, GetCurrencyFailures) {
  Exec(kExampleCurrencies);
  Run([&] {
    auto c = NewCurrency();
    rt::Variant code("EUR");
    c->GetCurrency(code);
    const std::string before = Properties(*c);

    for (rt::Variant missing : {rt::Variant(), rt::Variant::Null()}) {
      rt::ComError e = RaisedBy([&] { c->GetCurrency(missing); });
      EXPECT_EQ(e.number(), ErrorNumber(BrintorError::MissingCurrencyCode));
      EXPECT_EQ(e.source(), "Brintor");
      EXPECT_EQ(e.description(), "MissingCurrencyCode");
    }
    EXPECT_EQ(LogEntries(), 0);

    code = "QQQ";
    rt::ComError e = RaisedBy([&] { c->GetCurrency(code); });
    EXPECT_EQ(e.number(), ErrorNumber(BrintorError::CurrencyNotFound));
    EXPECT_EQ(e.description(),
              "\r\nERROR 0x80040074\r\n METHOD: Brintor.Currency.GetCurrency\r\n DESC: Currency 'QQQ' not found.\r\n"
              " INFO: .\r\n");
    EXPECT_EQ(LogEntries(), 1);
    EXPECT_EQ(Properties(*c), before);
  });
}

TEST_F(CurrencyObject, GetCurrencyAsDictGivesTextsAndANotFoundOfItsOwn) {
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('A''B', 'Quote', 0, 0, 1, 3, NULL);");
  Run([&] {
    auto c = NewCurrency();
    rt::Variant code("HOM");
    EXPECT_EQ(Render(c->GetCurrencyAsDict(code)),
              "CURRENCYCODE=String:HOM; CURRENCYNAME=String:Home currency; HOMECURRENCY=String:True; "
              "EURO=String:False; EPC=String:False; DECIMALS=String:2; LOCALEID=Integer:1033");
    code = "A'B";
    EXPECT_EQ(Render(c->GetCurrencyAsDict(code)),
              "CURRENCYCODE=String:A'B; CURRENCYNAME=String:Quote; HOMECURRENCY=String:False; "
              "EURO=String:False; EPC=String:True; DECIMALS=String:3; LOCALEID=Null:");

    code = "Q'Q";
    rt::ComError e = RaisedBy([&] { c->GetCurrencyAsDict(code); });
    EXPECT_EQ(e.number(), ErrorNumber(BrintorError::CurrencyNotFound));
    EXPECT_EQ(e.source(), "Brintor.Currency.GetCurrencyAsDict");
    EXPECT_EQ(e.description(), "Currency Q'Q not found");
    EXPECT_EQ(LogEntries(), 0);
  });
  // Any other failure takes the number UnexpectedGetCurrencyAsDict.
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    rt::Variant code("HOM");
    rt::ComError e = RaisedBy([&] { NewCurrency()->GetCurrencyAsDict(code); });
    EXPECT_EQ(e.number(), ErrorNumber(BrintorError::UnexpectedGetCurrencyAsDict));
    EXPECT_EQ(e.description().rfind("\r\nERROR 0x8004008C\r\n METHOD:  / Brintor.Currency.GetCurrencyAsDict\r\n DESC: ", 0), 0u)
        << e.description();
    EXPECT_EQ(LogEntries(), 1);
  });
}

TEST_F(CurrencyLists, AllCurrenciesAsRecordsetAndAsCodeSet) {
  Run([&] {
    auto c = NewCurrency();
    EXPECT_EQ(Render(c->GetCurrenciesInDictionary()), "");
  });
  Exec(kExampleCurrencies);
  Exec("INSERT INTO CURRENCY VALUES ('AB', 'Two letters', 0, 0, 0, 2, NULL);");
  Run([&] {
    auto c = NewCurrency();
    auto rs = std::dynamic_pointer_cast<data::Recordset>(c->GetCurrencies());
    ASSERT_TRUE(rs);
    EXPECT_FALSE(rs->ActiveConnection());
    EXPECT_EQ(rs->FieldCount(), 6);
    EXPECT_EQ(rs->RecordCount(), 6);
    EXPECT_EQ(Render(c->GetCurrenciesInDictionary()),
              "HOM=String:HOM; EUR=String:EUR; ABC=String:ABC; DEF=String:DEF; XYZ=String:XYZ; AB =String:AB ");
  });
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    rt::ComError e = RaisedBy([&] { NewCurrency()->GetCurrenciesInDictionary(); });
    EXPECT_EQ(e.number(), ErrorNumber(BrintorError::UnexpectedGetCurrency));
    // The inner GetCurrencies block keeps the engine's own number.
    EXPECT_EQ(e.description().rfind("\r\nERROR 0x80040077\r\n METHOD:  / Brintor.Currency.GetCurrenciesInDictionary\r\n"
                                    " DESC: \r\nERROR 0x80040E14\r\n METHOD: Brintor.Currency.GetCurrencies\r\n",
                                    0),
              0u)
        << e.description();
    EXPECT_EQ(LogEntries(), 2);
  });
}

TEST_F(CurrencyCaches, HomeAndEuroAreReadOnceAndNeverRefreshed) {
  Run([&] {
    auto c = NewCurrency();
    // Nothing there: nothing is cached, so the next call asks again.
    EXPECT_FALSE(c->GetHomeCurrency());
    EXPECT_EQ(c->GetHomeCurrencyCode(), "");
    EXPECT_EQ(c->GetEuroCurrencyCode(), "");
    Exec(kExampleCurrencies);
    EXPECT_EQ(Render(c->GetHomeCurrency()),
              "CURRENCYCODE=String:HOM; HOMECURRENCY=Boolean:True; EURO=Boolean:False; EPC=Boolean:False; "
              "DECIMALS=Integer:2; LOCALEID=Integer:1033");
    EXPECT_EQ(Render(c->GetEuroCurrency()),
              "CURRENCYCODE=String:EUR; HOMECURRENCY=Boolean:False; EURO=Boolean:True; EPC=Boolean:False; "
              "DECIMALS=Integer:2; LOCALEID=Null:");
    rt::ObjectPtr home = c->GetHomeCurrency();
    Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
    EXPECT_EQ(c->GetHomeCurrency(), home);
    EXPECT_EQ(c->GetHomeCurrencyObject(), home);
    EXPECT_EQ(c->GetEuroCurrencyCode(), "EUR");

    // Another object reads afresh: its failure is logged, and the code
    // getters answer "" for it.
    EXPECT_EQ(NewCurrency()->GetHomeCurrencyCode(), "");
    EXPECT_EQ(LogEntriesWith("Brintor.Currency.GetHomeCurrency"), 1);
    EXPECT_EQ(rt::Err().number, 0);
  });
}

TEST_F(CurrencyObject, OnlyReleaseAndTwoFailuresVote) {
  Exec(kExampleCurrencies);
  Run([&] {
    rt::ObjectPtr c = rt::CreateObject("Brintor.Currency");
    std::string outcomes;
    auto record = [&](const char* what, const std::function<void(ICurrency&)>& call) {
      outcomes += std::string(what) + ": " + TransactionOutcome(c, call) + "\n";
    };
    record("Release", [](ICurrency& x) { x.Release(); });
    record("GetCurrencyAsDict found", AsDict("HOM"));
    record("GetCurrencyAsDict unknown", AsDict("QQQ"));
    record("GetCurrency unknown", [](ICurrency& x) {
      rt::Variant code("QQQ");
      x.GetCurrency(code);
    });
    record("ConvertAmount failing", [](ICurrency& x) {
      std::string from = "HOM", to = "QQQ";
      rt::Currency amount = rt::Currency::FromScaled(10000);
      rt::Date day = rt::Date::FromParts(2026, 12, 8);
      x.ConvertAmount(from, to, amount, day);
    });
    EXPECT_EQ(outcomes,
              "Release: commit\n"
              "GetCurrencyAsDict found: commit\n"
              "GetCurrencyAsDict unknown: rollback\n"
              "GetCurrency unknown: commit\n"
              "ConvertAmount failing: commit\n");
  });
  Exec("DROP TABLE CURRENCYRATE; DROP TABLE CURRENCY;");
  Run([&] {
    rt::ObjectPtr c = rt::CreateObject("Brintor.Currency");
    EXPECT_EQ(TransactionOutcome(c, [](ICurrency& x) { x.GetCurrenciesInDictionary(); }), "rollback");
    EXPECT_EQ(TransactionOutcome(c, AsDict("HOM")), "commit");
  });
}

TEST_F(WithdrawnMembers, EachFailsWithMinusOneNamingItsReplacement) {
  Exec(kExampleCurrencies);
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
      rt::ComError e = RaisedBy([&] { c->Invoke(name, rt::CallKind::Method, args); });
      EXPECT_EQ(e.number(), -1) << name;
      EXPECT_EQ(e.description(), std::string("\r\nERROR 0xFFFFFFFF\r\n METHOD: This method is depricated, Use "
                                             "Brintor.TCurrency.") +
                                     name + " Method\r\n DESC: Application-defined or object-defined error.\r\n");
    }
    EXPECT_EQ(LogEntriesWith("This method is depricated"), 16);
  });
}

}  // namespace
