// Commands with positional parameters of ADO's types.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "data/command.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;

const char* kRates =
    "CREATE TABLE RATE (CURRENCYCODE nchar(3) COLLATE NOCASE NOT NULL, EFFECTIVEDATE datetime NOT NULL,"
    " HOMESALESRATE decimal(18,4), EUROSALESRATE decimal(12,6), RATEFACTOR int, DECIMALS smallint,"
    " EPC bit, PRIMARY KEY (CURRENCYCODE, EFFECTIVEDATE));";

TEST(CommandParameters, BindByTheirTypesWithEmptyAndNullAsNull) {
  testdb::TestDatabase db(kRates);
  auto cn = db.Open();
  auto cmd = data::Command::New();
  cmd->SetActiveConnection(cn);
  cmd->SetCommandText("INSERT INTO RATE VALUES (?, ?, ?, ?, ?, ?, ?)");
  auto p = [&](const char* name, int32_t type, rt::Variant v) {
    cmd->Parameters()->Append(cmd->CreateParameter(name, type, data::kParamInput, 0, v));
  };
  p("CurrencyCode", 130, rt::Variant("usd"));
  p("EffectiveDate", 135, rt::Variant("12/8/2026 10:30:00"));
  p("HomeSalesRate", 131, rt::Variant(1.23456));
  cmd->Parameters()->Item(rt::Variant(int32_t{2}))->SetNumericScale(4);
  p("EuroSalesRate", 131, rt::Variant());
  p("RateFactor", 3, rt::Variant("12"));
  p("Decimals", 2, rt::Variant(rt::Variant::Null()));
  p("EPC", 11, rt::Variant(int32_t{-1}));
  rt::Variant affected;
  cmd->Execute(&affected);
  EXPECT_EQ(rt::CLng(affected), 1);
  EXPECT_EQ(db.RawQuery("SELECT * FROM RATE"), "usd|2026-12-08 10:30:00|1.2346|NULL|12|NULL|1");

  auto query = data::Command::New();
  query->SetActiveConnection(cn);
  query->SetCommandText("SELECT HOMESALESRATE, EPC FROM RATE WHERE CURRENCYCODE = ? AND EFFECTIVEDATE <= ?");
  query->Parameters()->Append(query->CreateParameter("c", 130, 1, 3, rt::Variant("USD")));
  query->Parameters()->Append(
      query->CreateParameter("d", 135, 1, 0, rt::Variant(rt::Date::FromParts(2026, 12, 8, 11, 0, 0))));
  auto rs = query->Execute();
  EXPECT_EQ(testdb::Render(*rs), "HOMESALESRATE=Currency:1.2346 EPC=Boolean:True\n");
}

// Dates bound one after another, some again: each is stored in its own form.
TEST(CommandParameters, DatesBoundInTurnAreEachStoredAsThemselves) {
  testdb::TestDatabase db("CREATE TABLE EVENT (N int, WHEN_ datetime);");
  auto cn = db.Open();
  struct Case {
    rt::Date date;
    const char* stored;
  };
  const Case cases[] = {
      {rt::Date::FromParts(2026, 12, 8), "2026-12-08 00:00:00"},
      {rt::Date::FromParts(2026, 12, 8, 23, 59, 59), "2026-12-08 23:59:59"},
      {rt::Date::FromParts(2026, 12, 8), "2026-12-08 00:00:00"},
      {rt::Date::FromParts(1753, 1, 1), "1753-01-01 00:00:00"},
      {rt::Date::FromParts(9999, 12, 31, 23, 59, 59), "9999-12-31 23:59:59"},
      {rt::Date::FromParts(9999, 12, 31, 23, 59, 59), "9999-12-31 23:59:59"},
      {rt::Date::FromParts(2000, 2, 29, 12, 0, 0), "2000-02-29 12:00:00"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(cn);
    cmd->SetCommandText("INSERT INTO EVENT VALUES (?, ?)");
    std::vector<rt::Variant> values{rt::Variant(static_cast<int32_t>(i)), rt::Variant(cases[i].date)};
    cmd->Execute(nullptr, &values);
    EXPECT_EQ(db.RawQuery("SELECT WHEN_ FROM EVENT WHERE N = " + std::to_string(i)), cases[i].stored)
        << "date " << i << " bound";
  }
}

TEST(CommandParameters, AMissingValueOrAFailedStatementFillsTheConnectionsErrors) {
  testdb::TestDatabase db(kRates);
  auto cn = db.Open();
  auto cmd = data::Command::New();
  cmd->SetActiveConnection(cn);
  cmd->SetCommandText("SELECT * FROM RATE WHERE CURRENCYCODE = ?");
  EXPECT_EQ(ErrorOf([&] { cmd->Execute(); }),
            "80040E14 No value given for one or more required parameters: SELECT * FROM RATE WHERE CURRENCYCODE = ?");
  cmd->SetCommandText("SELECT * FROM NOSUCHTABLE");
  EXPECT_EQ(ErrorOf([&] { cmd->Execute(); }), "80040E14 no such table: NOSUCHTABLE");
  ASSERT_EQ(cn->Errors()->Count(), 1);
  EXPECT_EQ(cn->Errors()->Item(0)->Number(), rt::hr::kSqlFailed);
  EXPECT_EQ(cn->Errors()->Item(0)->Description(), "no such table: NOSUCHTABLE");
}

// A batch's caller values are made to fit before its first statement runs,
// as a single statement's are: a refused value leaves nothing written, also
// outside a transaction.
TEST(CommandParameters, AValueThatDoesNotFitRefusesTheWholeBatch) {
  testdb::TestDatabase db("CREATE TABLE T (ID int, NAME nvarchar(3));");
  auto cn = db.Open();
  auto cmd = data::Command::New();
  cmd->SetActiveConnection(cn);
  cmd->SetCommandText("INSERT INTO T (ID) VALUES (?); INSERT INTO T (ID, NAME) VALUES (2, ?)");
  std::vector<rt::Variant> values{rt::Variant(int32_t{1}), rt::Variant("toolong")};
  EXPECT_EQ(ErrorOf([&] { cmd->Execute(nullptr, &values); }), "80040E57 String or binary data would be truncated.");
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM T"), "0");

  std::vector<rt::Variant> fitting{rt::Variant(int32_t{1}), rt::Variant("abc")};
  EXPECT_EQ(ErrorOf([&] { cmd->Execute(nullptr, &fitting); }), "no error");
  EXPECT_EQ(db.RawQuery("SELECT group_concat(ID || ':' || IFNULL(NAME, '-')) FROM T"), "1:-,2:abc");
}

}  // namespace
