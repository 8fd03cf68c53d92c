// Text literals against datetime and bit columns, read as SQL Server reads
// them under us_english: each date form as a comparison sees it and as a
// column stores it, the texts refused with SQL Server's errors, and 'true' and
// 'false' against bit columns. The probes run on the installation's own
// schema and sample rates and partners.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/command.h"
#include "data/schema.h"
#include "data/tsql_translator.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

constexpr const char* kNotADate = "80040E07 Conversion failed when converting date and/or time from character string.";
constexpr const char* kOutOfRange =
    "80040E07 The conversion of a varchar data type to a datetime data type resulted in an out-of-range value.";

std::string Source(const std::string& file) { return std::string(SUITE_SOURCE_DIR) + "/db/" + file; }

class DateLiterals : public ::testing::Test {
 protected:
  // The rates, partners, offices and issues of a new installation with its
  // sample rows: three of the six rates take effect after 2026-06-30, on
  // 2026-07-01 00:00:00.
  DateLiterals() : path_(folder_.path().string() + "/catalog.db") {
    data::CreateDatabase(path_, {Source("02_currency.sql"), Source("03_partner.sql"), Source("04_user.sql"),
                                 Source("06_reference.sql"), Source("sample/02_currency.sql"),
                                 Source("sample/03_partner.sql")});
    cn_ = data::Connection::New();
    cn_->Open("Provider=SQLite;Data Source=" + path_);
  }

  // A text's rows or its error.
  std::string Answer(const std::string& sql) {
    std::string rows;
    const std::string error = ErrorOf([&] { rows = Query(cn_, sql); });
    return error == "no error" ? rows : error;
  }
  std::string Count(const std::string& where, const std::string& table = "CURRENCYRATE") {
    return Answer("SELECT COUNT(*) AS N FROM " + table + " WHERE " + where);
  }
  // Rows read with a plain handle, each ended by a line end.
  std::string Raw(const std::string& sql) { return Golden::Query(path_, sql); }

  // What INSERT ... VALUES stores in a datetime column for the literal, or
  // its refusal.
  std::string Written(const std::string& literal) {
    const std::string error =
        ErrorOf([&] { cn_->Execute("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES ('probe', " + literal + ")"); });
    if (error != "no error") return error;
    std::string stored = Raw("SELECT DATE FROM FAQISSUE WHERE DESCRIPTION = 'probe'");
    cn_->Execute("DELETE FROM FAQISSUE");
    if (!stored.empty()) stored.pop_back();
    return stored;
  }

  // What a comparison with a datetime column binds in place of the
  // literal, or its refusal: the translation and the binding that a
  // connection runs, over a schema whose DATE columns hold dates.
  static std::string Compared(const std::string& literal) {
    struct Dates final : data::SchemaInfo {
      bool IsDateColumn(std::string_view, std::string_view column) override { return column == "DATE"; }
      std::vector<std::string> ColumnNames(std::string_view) override { return {}; }
    } schema;
    const std::string sql = "SELECT FAQISSUEID FROM FAQISSUE WHERE DATE > " + literal;
    std::string key;
    std::vector<std::string_view> literals;
    data::LiteralKey(sql, key, literals);
    std::string value;
    const std::string error = ErrorOf([&] {
      const data::BoundTranslation translation = data::TranslateBindingLiterals(sql, &schema);
      const data::BoundLiteral& bound = translation.statements.at(0).literals.at(0);
      value = testdb::Show(data::BoundLiteralValue(literals.at(bound.literal), bound, data::TypeInfo{}));
    });
    return error == "no error" ? value : error;
  }

  testfs::TempFolder folder_;
  std::string path_;
  std::shared_ptr<data::Connection> cn_;
};

// Each form SQL Server reads as a date: what a comparison binds (with the
// fraction of a second as datetime holds it, in steps of 1/300 s) and what
// a datetime column stores (the fraction rounded to the second, half a second
// up); the texts it refuses, refused alike on both paths.
TEST_F(DateLiterals, EachFormComparedAndWritten) {
  struct Case {
    const char* literal;
    std::string compared;  // "String:..." or the refusal
    std::string written;   // the stored text or the refusal
  };
  auto both = [](const char* literal, const std::string& date) {
    return Case{literal, "String:" + date, date};
  };
  const std::vector<Case> cases = {
      both("''", "1900-01-01 00:00:00"),
      both("'   '", "1900-01-01 00:00:00"),
      both("'20260630'", "2026-06-30 00:00:00"),
      both("' 20260630 10:00 '", "2026-06-30 10:00:00"),
      both("'260630'", "2026-06-30 00:00:00"),
      both("'2026'", "2026-01-01 00:00:00"),
      both("'2026-06-30'", "2026-06-30 00:00:00"),
      both("N'2026-6-3 7:05:09'", "2026-06-03 07:05:09"),
      both("'2026/06/30'", "2026-06-30 00:00:00"),
      both("'2026-06-30T10:30'", "2026-06-30 10:30:00"),
      both("'6/30/2026'", "2026-06-30 00:00:00"),
      both("'06-30-26'", "2026-06-30 00:00:00"),
      both("'6.30.49'", "2049-06-30 00:00:00"),
      both("'6/30/50'", "1950-06-30 00:00:00"),
      both("'12/8/2026 3:05 PM'", "2026-12-08 15:05:00"),
      both("'Jun 30 2026'", "2026-06-30 00:00:00"),
      both("'june 30,2026'", "2026-06-30 00:00:00"),
      both("'30 June 2026'", "2026-06-30 00:00:00"),
      both("'30 Jun, 2026'", "2026-06-30 00:00:00"),
      both("'2026 JUN 30'", "2026-06-30 00:00:00"),
      both("'30 2026 Jun'", "2026-06-30 00:00:00"),
      both("'Jun 2026'", "2026-06-01 00:00:00"),
      both("'Jun 30 26'", "2026-06-30 00:00:00"),
      both("'Jun  3 2026 10:05AM'", "2026-06-03 10:05:00"),
      both("'September 3, 2026 12:00 AM'", "2026-09-03 00:00:00"),
      both("'10:30'", "1900-01-01 10:30:00"),
      both("'0:30 am'", "1900-01-01 00:30:00"),
      both("'12:00PM'", "1900-01-01 12:00:00"),
      both("'Feb 29 2024'", "2024-02-29 00:00:00"),
      both("'1753-01-01'", "1753-01-01 00:00:00"),
      // Fractions: kept (in datetime's steps) when compared, rounded when stored.
      {"'2026.06.30 10:00:00.5'", "String:2026-06-30 10:00:00.500", "2026-06-30 10:00:01"},
      {"'2026-06-30T10:30:00.997'", "String:2026-06-30 10:30:00.997", "2026-06-30 10:30:01"},
      {"'2026-06-30 10:00:00.499'", "String:2026-06-30 10:00:00.500", "2026-06-30 10:00:00"},
      {"'2026-06-30 10:00:00.001'", "String:2026-06-30 10:00:00", "2026-06-30 10:00:00"},
      {"'2026-06-30 10:00:00.002'", "String:2026-06-30 10:00:00.003", "2026-06-30 10:00:00"},
      {"'2026-06-30 23:59:59.998'", "String:2026-06-30 23:59:59.997", "2026-07-01 00:00:00"},
      {"'Dec 31 2026 11:59:59.999PM'", "String:2027-01-01 00:00:00", "2027-01-01 00:00:00"},
      {"'9999-12-31 23:59:59.997'", "String:9999-12-31 23:59:59.997", kOutOfRange},
      {"'9999-12-31 23:59:59.999'", kOutOfRange, kOutOfRange},
      // No date: 241.
      {"'garbage'", kNotADate, kNotADate},
      {"'2026-06-30 24:00'", kNotADate, kNotADate},
      {"'2026-06-30 10:00:00.1234'", kNotADate, kNotADate},
      {"'13:00 AM'", kNotADate, kNotADate},
      {"'0:30 PM'", kNotADate, kNotADate},
      {"'Jun 30'", kNotADate, kNotADate},
      {"'Juni 30 2026'", kNotADate, kNotADate},
      {"'Jun 30 2026,'", kNotADate, kNotADate},
      {"'6/30'", kNotADate, kNotADate},
      {"'2026-06-30T10:30 PM'", kNotADate, kNotADate},
      {"'12/8/2026T10:30'", kNotADate, kNotADate},
      // A date that does not exist or lies outside 1753-9999: 242.
      {"'2026-02-30'", kOutOfRange, kOutOfRange},
      {"'30/06/2026'", kOutOfRange, kOutOfRange},
      {"'17520101'", kOutOfRange, kOutOfRange},
      {"'Feb 29 2025'", kOutOfRange, kOutOfRange},
      {"'2026-13-01 10:00'", kOutOfRange, kOutOfRange},
      // An hour with AM or PM alone; thousandths after a colon; a day, a
      // month's name and a year apart by "-"; a time before its date.
      both("'4am'", "1900-01-01 04:00:00"),
      both("'4 PM'", "1900-01-01 16:00:00"),
      both("'12 AM'", "1900-01-01 00:00:00"),
      both("'13 PM'", "1900-01-01 13:00:00"),
      both("'6/30/2026 4 PM'", "2026-06-30 16:00:00"),
      both("'Jun 30 2026 4pm'", "2026-06-30 16:00:00"),
      both("'20260630 10 AM'", "2026-06-30 10:00:00"),
      {"'10:00:00:500'", "String:1900-01-01 10:00:00.500", "1900-01-01 10:00:01"},
      {"'04:30:20:500AM'", "String:1900-01-01 04:30:20.500", "1900-01-01 04:30:21"},
      {"'2026-06-30 10:00:00:5'", "String:2026-06-30 10:00:00.007", "2026-06-30 10:00:00"},
      both("'30-Jun-2026'", "2026-06-30 00:00:00"),
      both("'30-june-26 10:30'", "2026-06-30 10:30:00"),
      both("'10:00 2026-06-30'", "2026-06-30 10:00:00"),
      both("'4 PM Jun 30 2026'", "2026-06-30 16:00:00"),
      {"'4:60'", kNotADate, kNotADate},
      {"'13 AM'", kNotADate, kNotADate},
      {"'0 PM'", kNotADate, kNotADate},
      {"'4 P'", kNotADate, kNotADate},
      {"'10:00:00:1234'", kNotADate, kNotADate},
      {"'2026-06-30T10:00:00:500'", kNotADate, kNotADate},
      {"'30-Jux-2026'", kNotADate, kNotADate},
      {"'30-Jun'", kNotADate, kNotADate},
      {"'10:00 11:00'", kNotADate, kNotADate},
      {"'31-Jun-2026'", kOutOfRange, kOutOfRange},
  };
  Golden seen, expected;
  for (const Case& c : cases) {
    seen.Add(c.literal, "compared " + Compared(c.literal) + ", written " + Written(c.literal));
    expected.Add(c.literal, "compared " + c.compared + ", written " + c.written);
  }
  EXPECT_EQ(seen.Lines(), expected.Lines());
}

// The probes on the sample rates: each form counts the rates after a
// moment as SQL Server does, on either side, in BETWEEN and IN, bound or
// kept as written (a select list's), one form after another through the same
// kept translation; a text SQL Server refuses fails the statement.
TEST_F(DateLiterals, RatesAfterAMomentCountAsSqlServerCountsThem) {
  struct Probe {
    std::string where;
    std::string answer;
  };
  const std::string three = "N=Long:3\n", six = "N=Long:6\n";
  const std::vector<Probe> probes = {
      {"EFFECTIVEDATE > '2026-06-30 00:00:00'", three},
      {"EFFECTIVEDATE > '20260630'", three},
      {"EFFECTIVEDATE > '20260630 10:00'", three},
      {"EFFECTIVEDATE > '2026/06/30'", three},
      {"EFFECTIVEDATE > 'Jun 30 2026'", three},
      {"EFFECTIVEDATE > '30 June 2026'", three},
      {"EFFECTIVEDATE > '6/30/26'", three},
      {"EFFECTIVEDATE > N'6/30/26'", three},
      {"'Jun 30 2026' < EFFECTIVEDATE", three},
      {"EFFECTIVEDATE > 'garbage'", kNotADate},
      {"EFFECTIVEDATE > '2026-02-30'", kOutOfRange},
      {"EFFECTIVEDATE > '30/06/2026'", kOutOfRange},
      {"EFFECTIVEDATE > '17520101'", kOutOfRange},
      {"EFFECTIVEDATE > '20260630'", three},
      {"EFFECTIVEDATE < '2026-07-01 00:00:00.500'", six},
      {"EFFECTIVEDATE <= '2026-06-30 23:59:59.998'", three},
      {"EFFECTIVEDATE <= '2026-06-30 23:59:59.999'", six},
      {"EFFECTIVEDATE = '2026-07-01 00:00:00.001'", three},
      {"EFFECTIVEDATE = '2026-07-01 00:00:00.002'", "N=Long:0\n"},
      {"EFFECTIVEDATE BETWEEN 'Jul 1 2026' AND '20260701 23:59'", three},
      {"EFFECTIVEDATE BETWEEN '20260101' AND 'garbage'", kNotADate},
      {"EFFECTIVEDATE IN ('20260701', 'January 1, 2026')", six},
      {"EFFECTIVEDATE IN ('20260701', '2026-02-30')", kOutOfRange},
      // Whatever stands before a text in the list.
      {"EFFECTIVEDATE IN (EXPIRYDATE, 'January 1, 2026')", three},
      {"EFFECTIVEDATE IN (EXPIRYDATE, 'garbage')", kNotADate},
      {"EFFECTIVEDATE IN (IFNULL(EXPIRYDATE, EFFECTIVEDATE), 'January 1, 2026', 'Jul 1 2026')", six},
      {"EFFECTIVEDATE IN ((SELECT MAX(EXPIRYDATE) FROM CURRENCYRATE), 'January 1, 2026')", six},
      {"EXPIRYDATE = '7/1/2026' AND CURRENCYCODE = 'usd'", "N=Long:1\n"},
      {"EFFECTIVEDATE > ''", six},
      {"CASE WHEN EFFECTIVEDATE > 'Jun 30 2026' THEN 1 ELSE 0 END = 1", three},
  };
  Golden seen, expected;
  for (const Probe& p : probes) {
    seen.Add(p.where, Count(p.where));
    expected.Add(p.where, p.answer);
  }
  // A parameter before the text.
  {
    auto command = data::Command::New();
    command->SetActiveConnection(cn_);
    command->SetCommandText("SELECT COUNT(*) AS N FROM CURRENCYRATE WHERE EFFECTIVEDATE IN (?, 'January 1, 2026')");
    const std::vector<rt::Variant> values = {rt::Variant(rt::Date::FromParts(2026, 7, 1, 0, 0, 0))};
    std::string rows;
    const std::string error = ErrorOf([&] { rows = testdb::Render(*command->Execute(nullptr, &values)); });
    seen.Add("a parameter before the text", error == "no error" ? rows : error);
    expected.Add("a parameter before the text", six);
  }
  // A select list keeps its literals as written: converted, or refused, as
  // the statement is translated.
  seen.Add("select list, in a list", Answer("SELECT SUM(CASE WHEN EFFECTIVEDATE IN (EXPIRYDATE, 'Jul 1 2026') THEN 1 "
                                            "ELSE 0 END) AS N FROM CURRENCYRATE"));
  expected.Add("select list, in a list", three);
  seen.Add("select list", Answer("SELECT SUM(CASE WHEN EFFECTIVEDATE > 'Jun 30 2026' THEN 1 ELSE 0 END) AS N FROM "
                                 "CURRENCYRATE"));
  expected.Add("select list", three);
  seen.Add("select list, no date",
           Answer("SELECT SUM(CASE WHEN EFFECTIVEDATE > 'Jun 31 2026' THEN 1 ELSE 0 END) AS N FROM CURRENCYRATE"));
  expected.Add("select list, no date", kOutOfRange);
  // Numbers, and texts against other columns, stay as they are.
  seen.Add("a text column", Count("CURRENCYCODE > '2026-02-30'"));
  expected.Add("a text column", six);
  seen.Add("a number", Count("RATEFACTOR = '100'"));
  expected.Add("a number", "N=Long:1\n");
  EXPECT_EQ(seen.Lines(), expected.Lines());
}

// A refusal comes before any statement of the text runs: the batch's
// UPDATE changes nothing. The texts are refused whether their shape was
// translated before or not.
TEST_F(DateLiterals, ARefusedDateFailsTheTextBeforeAnyOfItsStatementsRuns) {
  const std::string rates = "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE FROM CURRENCYRATE ORDER BY 1, 2";
  const std::string before = Raw(rates);
  const std::string update = "UPDATE CURRENCYRATE SET EXPIRYDATE = '2030-01-01' WHERE CURRENCYCODE = 'JPY'; ";
  Golden seen;
  seen.Add("bound", Answer(update + "SELECT COUNT(*) AS N FROM CURRENCYRATE WHERE EFFECTIVEDATE > 'garbage'"));
  seen.Add("kept", Answer(update + "SELECT CASE WHEN EFFECTIVEDATE > '2026-02-30' THEN 1 END AS X FROM CURRENCYRATE"));
  seen.Add("written", Answer(update + "UPDATE CURRENCYRATE SET EXPIRYDATE = '31/12/2030' WHERE CURRENCYCODE = 'GBP'"));
  seen.Add("unchanged", Raw(rates) == before);
  EXPECT_EQ(seen.Lines(), "bound: " + std::string(kNotADate) + "\nkept: " + kOutOfRange + "\nwritten: " +
                              kOutOfRange + "\nunchanged: true\n");
}

// INSERT and UPDATE store the forms; a fraction of a second is
// rounded to the second, as a Date parameter's is.
TEST_F(DateLiterals, WrittenDatesAreStoredAsADateParameterIs) {
  cn_->Execute("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES ('a', '20261231')");
  cn_->Execute("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES ('b', '2026-12-31 10:30:00.997')");
  cn_->Execute("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES ('c', 'Dec 31 2026')");
  cn_->Execute("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES ('d', NULL)");
  cn_->Execute("UPDATE FAQISSUE SET DATE = '12/31/26 10:30:00.4' WHERE DESCRIPTION = 'd'");
  // Date parameters 0.997 s and 0.4 s past the same minute.
  const rt::Date minute = rt::Date::FromParts(2026, 12, 31, 10, 30, 0);
  for (const auto& [name, fraction] : {std::pair{"e", 0.997}, std::pair{"f", 0.4}}) {
    auto command = data::Command::New();
    command->SetActiveConnection(cn_);
    command->SetCommandText("INSERT INTO FAQISSUE (DESCRIPTION, DATE) VALUES (?, ?)");
    const std::vector<rt::Variant> values = {rt::Variant(name),
                                             rt::Variant(rt::Date{minute.serial + fraction / 86400})};
    command->Execute(nullptr, &values);
  }
  EXPECT_EQ(Raw("SELECT DESCRIPTION, DATE FROM FAQISSUE ORDER BY DESCRIPTION"),
            "a|2026-12-31 00:00:00\nb|2026-12-31 10:30:01\nc|2026-12-31 00:00:00\nd|2026-12-31 10:30:00\n"
            "e|2026-12-31 10:30:01\nf|2026-12-31 10:30:00\n");
}

// 'true' and 'false', in any letter case, compare with a bit column as 1
// and 0, and a blank text as 0, as a bit column stores it; other texts, and
// a column of the same name that holds text in another table, keep the
// comparison they had.
TEST_F(DateLiterals, TrueAndFalseCompareWithBitColumnsAsOneAndZero) {
  cn_->Execute("INSERT INTO OFFICE (OFFICEDESCRIPTION, COSTCENTER) VALUES ('North', 'true'), ('South', '1')");
  cn_->Execute("INSERT INTO WORKCENTER (WORKCENTERCODE, COSTCENTER) VALUES ('W1', 1), ('W2', 0), ('W3', 0)");
  struct Probe {
    std::string where;
    std::string table;
    std::string answer;
  };
  const std::string bp = "BUSINESSPARTNER";
  const std::vector<Probe> probes = {
      {"ISONETIMEBP = 0", bp, "N=Long:5\n"},
      {"ISONETIMEBP = 'false'", bp, "N=Long:5\n"},
      {"ISINTERNALBP = 'true'", bp, "N=Long:1\n"},
      {"ISINTERNALBP = N' TRUE '", bp, "N=Long:1\n"},
      {"'True' = ISINTERNALBP", bp, "N=Long:1\n"},
      {"ISINTERNALBP <> 'true'", bp, Count("ISINTERNALBP <> 1", bp)},
      {"ISINTERNALBP IN ('true', 'FALSE')", bp, Count("ISINTERNALBP IN (1, 0)", bp)},
      {"ISINTERNALBP BETWEEN 'false' AND 'true'", bp, Count("ISINTERNALBP BETWEEN 0 AND 1", bp)},
      {"BUSINESSPARTNER.ISINTERNALBP = 'true'", bp, "N=Long:1\n"},
      {"ISINTERNALBP = '1'", bp, "N=Long:1\n"},
      {"ISINTERNALBP = 'yes'", bp, "N=Long:0\n"},
      {"COSTCENTER = 'true'", "WORKCENTER", "N=Long:1\n"},
      {"COSTCENTER = 'false'", "WORKCENTER w", "N=Long:2\n"},
      {"COSTCENTER = 'true'", "OFFICE", "N=Long:1\n"},
      {"OFFICEDESCRIPTION = 'South' AND COSTCENTER = 'true'", "OFFICE", "N=Long:0\n"},
      {"ISINTERNALBP IN (0, 'true')", bp, "N=Long:5\n"},
      {"ISINTERNALBP IN (ISONETIMEBP, 'true')", bp, "N=Long:5\n"},
      {"ISINTERNALBP = ''", bp, "N=Long:4\n"},
      {"'  ' = ISINTERNALBP", bp, "N=Long:4\n"},
      {"ISINTERNALBP IN ('', 'true')", bp, "N=Long:5\n"},
      {"COSTCENTER = ''", "OFFICE", "N=Long:0\n"},
  };
  Golden seen, expected;
  for (const Probe& p : probes) {
    seen.Add(p.table + ": " + p.where, Count(p.where, p.table));
    expected.Add(p.table + ": " + p.where, p.answer);
  }
  seen.Add("select list",
           Answer("SELECT SUM(CASE WHEN ISINTERNALBP = 'true' THEN 1 ELSE 0 END) AS N FROM BUSINESSPARTNER"));
  expected.Add("select list", "N=Long:1\n");
  seen.Add("select list, blank",
           Answer("SELECT SUM(CASE WHEN ISINTERNALBP = '' THEN 1 ELSE 0 END) AS N FROM BUSINESSPARTNER"));
  expected.Add("select list, blank", "N=Long:4\n");
  EXPECT_EQ(seen.Lines(), expected.Lines());
}

// A text is read as a date against a column that holds dates in the
// statement's own tables: a column of that name that holds text there keeps
// its text comparison, whatever other tables hold under the name. Where the
// statement's tables do not have the column (a view's), a date column of
// that name in any table counts.
TEST_F(DateLiterals, AColumnHoldsDatesWhereTheStatementsTablesHoldThem) {
  cn_->Execute("CREATE TABLE NOTEBOOK (NOTE nvarchar(20), EFFECTIVEDATE nvarchar(20))");
  cn_->Execute("INSERT INTO NOTEBOOK (NOTE, EFFECTIVEDATE) VALUES ('a', 'someday'), ('b', 'Jun 30 2026')");
  cn_->Execute("CREATE VIEW RATES AS SELECT * FROM CURRENCYRATE");
  struct Probe {
    std::string where;
    std::string table;
    std::string answer;
  };
  const std::vector<Probe> probes = {
      {"EFFECTIVEDATE = 'someday'", "NOTEBOOK", "N=Long:1\n"},
      {"EFFECTIVEDATE IN ('someday', 'Jun 30 2026')", "NOTEBOOK", "N=Long:2\n"},
      {"NOTEBOOK.EFFECTIVEDATE = 'Jun 30 2026'", "NOTEBOOK", "N=Long:1\n"},
      {"EFFECTIVEDATE > 'Jun 30 2026'", "CURRENCYRATE", "N=Long:3\n"},
      {"EFFECTIVEDATE > 'someday'", "CURRENCYRATE", kNotADate},
      {"EFFECTIVEDATE > 'Jun 30 2026'", "RATES", "N=Long:3\n"},
      {"EFFECTIVEDATE > 'someday'", "RATES", kNotADate},
  };
  Golden seen, expected;
  for (const Probe& p : probes) {
    seen.Add(p.table + ": " + p.where, Count(p.where, p.table));
    expected.Add(p.table + ": " + p.where, p.answer);
  }
  EXPECT_EQ(seen.Lines(), expected.Lines());
}

}  // namespace
