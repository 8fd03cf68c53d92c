// Literals that statements take as parameters: texts that differ only in
// them share one prepared statement and each answers its own rows; a text
// holding NUL is stored and found whole; the literals that stay as written
// keep every answer they gave.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/command.h"
#include "data/engine_hooks.h"
#include "data/tsql_lexer.h"
#include "data/tsql_translator.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

// AMOUNT 67.226464 is one of the numbers that SQLite reads from its digits
// one bit away from the nearest double.
const char* kSchema =
    "CREATE TABLE NAMES (ID int PRIMARY KEY, NAME nvarchar(20) COLLATE NOCASE, CODE nvarchar(10) COLLATE NOCASE,"
    " DT datetime, NOTE nvarchar(20) COLLATE NOCASE, AMOUNT float);"
    "INSERT INTO NAMES VALUES (1, 'a1', '5', '2026-12-08 00:00:00', '12/8/2026', 67.226464),"
    " (2, 'b2', '7', '2026-12-09 10:30:00', NULL, 1.5), (3, 'a%3', 'x', '2003-07-04 00:00:00', NULL, 2),"
    " (4, 'c4', '5', NULL, NULL, NULL);"
    "CREATE TABLE NUMS (ID int PRIMARY KEY, I int, F float, M money, T nvarchar(4) COLLATE NOCASE);"
    "CREATE TABLE PRICE (PRODUCTID int NOT NULL, QUANTITYTO int NOT NULL, GROUPBY nvarchar(10) COLLATE NOCASE,"
    " PRICE float);"
    "CREATE UNIQUE INDEX PRICE_LINE ON PRICE (PRODUCTID, QUANTITYTO, IFNULL(GROUPBY, '') COLLATE NOCASE);"
    "INSERT INTO PRICE VALUES (7, 10, NULL, 9.5), (7, 10, 'g', 8.5);";

// What a text answers: its rows, "(no rows)" or its error.
std::string Answer(const std::shared_ptr<data::Connection>& cn, const std::string& sql) {
  std::string rows;
  const std::string error = ErrorOf([&] { rows = Query(cn, sql); });
  return error == "no error" ? rows : error;
}

TEST(LiteralParameters, StatementsThatDifferOnlyInALiteralShareOnePreparedStatement) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  struct Step {
    const char* label;
    std::string sql;
    std::string answer;
    bool preparesAnew;  // whether it needs a prepared statement of its own
  };
  const std::vector<Step> steps = {
      {"a read by id", "SELECT NAME FROM NAMES WHERE ID = 1", "NAME=String:a1\n", true},
      {"the same read of another id", "SELECT NAME FROM NAMES WHERE ID = 2", "NAME=String:b2\n", false},
      {"a read by name", "SELECT ID FROM NAMES WHERE NAME = 'a1'", "ID=Long:1\n", true},
      {"the same with N'...'", "SELECT ID FROM NAMES WHERE NAME = N'B2'", "ID=Long:2\n", false},
      {"a date in another form against a date column", "SELECT ID FROM NAMES WHERE DT = '12/9/2026 10:30 AM'",
       "ID=Long:2\n", true},
      {"the same with a date in the stored form", "SELECT ID FROM NAMES WHERE DT = '2026-12-08 00:00:00'",
       "ID=Long:1\n", false},
      {"a row count", "SELECT TOP 1 ID FROM NAMES WHERE CODE = '5' ORDER BY ID", "ID=Long:1\n", true},
      {"another row count is another statement", "SELECT TOP 2 ID FROM NAMES WHERE CODE = '5' ORDER BY ID",
       "ID=Long:1\nID=Long:4\n", true},
      {"the first row count again", "SELECT TOP 1 ID FROM NAMES WHERE CODE = 'x' ORDER BY ID", "ID=Long:3\n",
       false},
      {"'' written into an int column is 0", "INSERT INTO NUMS (ID, I) VALUES (1, '')", "(no rows)", true},
      {"'1.5' written into an int column is refused",
       "INSERT INTO NUMS (ID, I) VALUES (2, '1.5')",
       "80040E07 Conversion failed when converting the varchar value '1.5' to data type int.", false},
      {"'7' written into an int column", "INSERT INTO NUMS (ID, I) VALUES (3, ' 7 ')", "(no rows)", false},
      {"a batch whose second value does not fit writes nothing",
       "INSERT INTO NUMS (ID, T) VALUES (4, 'ab'); INSERT INTO NUMS (ID, T) VALUES (5, 'abcde')",
       "80040E57 String or binary data would be truncated.", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const uint64_t before = data::StatementsPreparedOnThisThread();
    EXPECT_EQ(Answer(cn, step.sql), step.answer);
    EXPECT_EQ(data::StatementsPreparedOnThisThread() > before, step.preparesAnew);
  }
  EXPECT_EQ(db.RawQuery("SELECT ID, I FROM NUMS ORDER BY ID"), "1|0;3|7");
}

// A text that comes again is found as it was written; a translation that
// asked one database's schema still holds for that database only.
TEST(LiteralParameters, ATextThatComesAgainIsAnsweredForItsOwnDatabase) {
  testdb::TestDatabase dates("CREATE TABLE EVENT (WHEN_ datetime); INSERT INTO EVENT VALUES ('2026-12-08 00:00:00');");
  testdb::TestDatabase texts("CREATE TABLE EVENT (WHEN_ nvarchar(20)); INSERT INTO EVENT VALUES ('12/8/2026');");
  const std::string sql = "SELECT COUNT(*) AS N FROM EVENT WHERE WHEN_ = '12/8/2026'";
  auto onDates = dates.Open();
  for (int round = 0; round < 3; ++round) EXPECT_EQ(Query(onDates, sql), "N=Long:1\n") << "dates, round " << round;
  EXPECT_EQ(Query(texts.Open(), sql), "N=Long:1\n") << "texts";
  EXPECT_EQ(Query(onDates, sql), "N=Long:1\n") << "dates again";
  dates.RawExec("ALTER TABLE EVENT RENAME COLUMN WHEN_ TO THEN_; ALTER TABLE EVENT ADD COLUMN WHEN_ nvarchar(20);"
                "UPDATE EVENT SET WHEN_ = '12/8/2026'");
  EXPECT_EQ(Query(onDates, sql), "N=Long:1\n") << "dates, its column now text";
}

// Gen_SqlQuote writes a NUL into the literal as it is; written, the engine
// would read the statement only up to it.
TEST(LiteralParameters, TextHoldingNulIsStoredAndFoundWhole) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  const std::string ab("a\0b", 3), ac("a\0c", 3);
  EXPECT_EQ(Answer(cn, "INSERT INTO NAMES (ID, NAME) VALUES (10, '" + ab + "')"), "(no rows)");
  EXPECT_EQ(Answer(cn, "INSERT INTO NAMES (ID, NAME) VALUES (11, N'" + ac + "')"), "(no rows)");
  EXPECT_EQ(db.RawQuery("SELECT ID, hex(NAME) FROM NAMES WHERE ID >= 10 ORDER BY ID"), "10|610062;11|610063");
  struct Lookup {
    std::string name;
    std::string answer;
  };
  const std::vector<Lookup> lookups = {
      {ab, "ID=Long:10\n"}, {ac, "ID=Long:11\n"}, {std::string("A\0B", 3), "ID=Long:10\n"}, {"a", ""}};
  uint64_t prepared = 0;
  for (size_t i = 0; i < lookups.size(); ++i) {
    SCOPED_TRACE("lookup " + std::to_string(i));
    EXPECT_EQ(Answer(cn, "SELECT ID FROM NAMES WHERE NAME = '" + lookups[i].name + "'"), lookups[i].answer);
    if (i == 0) prepared = data::StatementsPreparedOnThisThread();
  }
  EXPECT_EQ(data::StatementsPreparedOnThisThread(), prepared) << "the lookups share one statement";
  // Also where a literal otherwise stays as written.
  EXPECT_EQ(Answer(cn, "SELECT '" + ab + "' AS V FROM NAMES WHERE ID = 10"), "V=String:" + ab + "\n");
}

TEST(LiteralParameters, TheLiteralsThatStayAsWrittenKeepTheirAnswers) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  struct Case {
    const char* label;
    std::string sql;
    std::string answer;
  };
  const std::vector<Case> cases = {
      {"ORDER BY a column's position", "SELECT ID, NAME FROM NAMES WHERE ID < 4 ORDER BY 2 DESC",
       "ID=Long:2 NAME=String:b2\nID=Long:1 NAME=String:a1\nID=Long:3 NAME=String:a%3\n"},
      {"GROUP BY a column's position", "SELECT CODE, COUNT(*) AS N FROM NAMES GROUP BY 1 ORDER BY 1",
       "CODE=String:5 N=Long:2\nCODE=String:7 N=Long:1\nCODE=String:x N=Long:1\n"},
      {"TOP's row count", "SELECT TOP 2 ID FROM NAMES ORDER BY ID", "ID=Long:1\nID=Long:2\n"},
      {"OFFSET and FETCH row counts", "SELECT ID FROM NAMES ORDER BY ID OFFSET 1 ROWS FETCH NEXT 2 ROWS ONLY",
       "ID=Long:2\nID=Long:3\n"},
      {"select-list items name their columns", "SELECT 1, 'x', N'y' + NAME FROM NAMES WHERE ID = 1",
       "1=Long:1 'x'=String:x 'y' || NAME=String:ya1\n"},
      {"a subquery in the select list names its column",
       "SELECT (SELECT COUNT(*) FROM NAMES WHERE ID > 2) FROM NAMES WHERE ID = 1",
       "(SELECT COUNT(*) FROM NAMES WHERE ID > 2)=Long:2\n"},
      {"CASE in ORDER BY", "SELECT ID FROM NAMES ORDER BY CASE WHEN ID = 3 THEN 0 ELSE 1 END, ID",
       "ID=Long:3\nID=Long:1\nID=Long:2\nID=Long:4\n"},
      {"a CAST's width", "SELECT ID FROM NAMES WHERE CAST(NAME AS varchar(1)) = 'a' ORDER BY ID",
       "ID=Long:1\nID=Long:3\n"},
      {"LIKE's ESCAPE", "SELECT ID FROM NAMES WHERE NAME LIKE 'a!%%' ESCAPE '!'", "ID=Long:3\n"},
      {"a blob literal", "SELECT ID FROM NAMES WHERE ID = 1 AND x'01' IS NOT NULL", "ID=Long:1\n"},
      {"a number with a fraction keeps SQLite's own reading", "SELECT ID FROM NAMES WHERE AMOUNT = 67.226464",
       "ID=Long:1\n"},
      {"the '' of the price key's expression",
       "SELECT PRICE FROM PRICE WHERE PRODUCTID = 7 AND QUANTITYTO = 10 AND IFNULL(GROUPBY, '') COLLATE NOCASE = 'G'",
       "PRICE=Double:8.5\n"},
      // Bound, with the meaning they had written.
      {"an IN list", "SELECT ID FROM NAMES WHERE ID IN (1, 3) ORDER BY ID", "ID=Long:1\nID=Long:3\n"},
      {"dates in another form against a date column",
       "SELECT ID FROM NAMES WHERE DT IN ('7/4/2003', '12/9/2026 10:30 AM') OR DT BETWEEN '12/8/2026' AND "
       "'2026-12-08' ORDER BY ID",
       "ID=Long:1\nID=Long:2\nID=Long:3\n"},
      {"a date-like text against a text column", "SELECT ID FROM NAMES WHERE NOTE = '12/8/2026'", "ID=Long:1\n"},
      {"a date against a date column with TOP", "SELECT TOP 1 ID FROM NAMES WHERE DT = '12/8/2026'", "ID=Long:1\n"},
      {"a CAST last with TOP", "SELECT TOP 1 ID FROM NAMES WHERE CODE = CAST(5 AS varchar(3))", "ID=Long:1\n"},
      {"+ joining texts", "SELECT ID FROM NAMES WHERE NAME = 'b' + '2'", "ID=Long:2\n"},
      {"a number glued to a word", "SELECT ID FROM NAMES WHERE ID=2AND NAME='b2'", "ID=Long:2\n"},
      {"a text against an int column", "SELECT NAME FROM NAMES WHERE ID = '2'", "NAME=String:b2\n"},
      {"a whole number against a text column", "SELECT ID FROM NAMES WHERE CODE = 7", "ID=Long:2\n"},
      {"a negative number", "SELECT ID FROM NAMES WHERE -ID = -3", "ID=Long:3\n"},
      {"text compared without a column", "SELECT COUNT(*) AS N FROM NAMES WHERE 'a' = 'A' OR 1 = 0", "N=Long:0\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Answer(cn, c.sql), c.answer) << c.label << ": " << c.sql;

  // Given values and literals in one statement keep their order.
  auto cmd = data::Command::New();
  cmd->SetActiveConnection(cn);
  cmd->SetCommandText("SELECT ID FROM NAMES WHERE NAME <> 'x' AND ID > ? AND CODE = '5'");
  std::vector<rt::Variant> values{rt::Variant(int32_t{1})};
  EXPECT_EQ(testdb::Render(*cmd->Execute(nullptr, &values)), "ID=Long:4\n");
}

// Written into a number column, a literal's digits are read by SQLite as
// they would be written: '67.226464' stores the same double as 67.226464.
TEST(LiteralParameters, AWrittenNumberIsStoredAsItsLiteralWouldBe) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  cn->Execute("INSERT INTO NUMS (ID, F, M) VALUES (1, '67.226464', '67.226464')");
  cn->Execute("INSERT INTO NUMS (ID, F, M) VALUES (2, '1e3', '12.5')");
  EXPECT_EQ(db.RawQuery("SELECT F = 67.226464, M = 67.2265, typeof(F), typeof(M) FROM NUMS WHERE ID = 1"),
            "1|1|real|real");
  EXPECT_EQ(db.RawQuery("SELECT quote(F), quote(M) FROM NUMS WHERE ID = 2"), "1000.0|12.5");
}

// The index on IFNULL(GROUPBY, '') is found only by its own text: with the
// '' bound the engine would read every line of the product.
TEST(LiteralParameters, TheIndexOnAnExpressionStillServesItsQueries) {
  testdb::TestDatabase db(kSchema);
  const data::BoundTranslation translation = data::TranslateBindingLiterals(
      "SELECT PRICE FROM PRICE WHERE PRODUCTID=7 AND QUANTITYTO=10 AND IFNULL(GROUPBY, '') COLLATE NOCASE = N'g'",
      nullptr);
  ASSERT_EQ(translation.statements.size(), 1u);
  const std::string sql = translation.statements[0].sql;
  EXPECT_EQ(sql, "SELECT PRICE FROM PRICE WHERE PRODUCTID=? AND QUANTITYTO=? AND IFNULL(GROUPBY, '') COLLATE NOCASE = ?");
  EXPECT_THAT(db.RawQuery("EXPLAIN QUERY PLAN " + sql),
              ::testing::HasSubstr("USING INDEX PRICE_LINE (PRODUCTID=? AND QUANTITYTO=? AND <expr>=?)"));
}

// The scan that finds a text's literals on every run skips what the
// tokenizer sorts into tokens; both must find the same literals.
TEST(LiteralParameters, TheLiteralScanFindsTheTokenizersLiterals) {
  static constexpr char kNul[] = "SELECT 'a\0b', N'\0' FROM T WHERE A = 1";
  const std::vector<std::string> texts = {
      "SELECT A1, B2$ FROM T3 WHERE X = 5AND Y = 'it''s' OR Z=N'n'",
      "SELECT 0x1F, 1e3, 1.5E-2, .5, 1.2.3, T.5, 7 FROM T -- '8' and 9\n WHERE A = 10",
      "SELECT [a'1], \"b'2\" FROM T /* 'x' 3 */ WHERE SIGN'x' = nN'y' AND x'01' = ?",
      "SELECT @v1, #t2, \xC3\xA9" "4 FROM T WHERE A<>-6 AND B!<7 AND C||'z' = ''",
      std::string(kNul, sizeof kNul - 1),
  };
  for (const std::string& text : texts) {
    std::string fromTokens, fromScan;
    for (const data::Token& t : data::Tokenize(text)) {
      if (t.Is(data::TokenKind::String) || t.Is(data::TokenKind::NString) || t.Is(data::TokenKind::Number))
        fromTokens += "[" + t.text + "]";
    }
    data::TokenKind kind;
    size_t end = 0;
    for (size_t at = data::NextLiteral(text, 0, kind, end); at != std::string::npos;
         at = data::NextLiteral(text, end, kind, end))
      fromScan += "[" + text.substr(at, end - at) + "]";
    EXPECT_EQ(fromScan, fromTokens) << text;
  }
}

}  // namespace
