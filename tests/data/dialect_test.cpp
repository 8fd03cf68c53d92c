// SQL Server statement text against real SQLite: each translation, and the
// statements the layer refuses rather than change their meaning.
#include <gtest/gtest.h>

#include "data/tsql_translator.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

std::string Translate(const std::string& sql) {
  std::string out;
  for (const std::string& s : data::TranslateForSqlite(sql, nullptr)) out += (out.empty() ? "" : " ; ") + s;
  return out;
}

const char* kSchema =
    "CREATE TABLE PRODUCT (PRODUCTID INTEGER PRIMARY KEY AUTOINCREMENT, PARTNUMBER nvarchar(40) COLLATE NOCASE,"
    " DISABLED bit NOT NULL DEFAULT 0, CLASSCODE nvarchar(10) COLLATE NOCASE, VALIDFROM datetime, NOTE varchar(20) COLLATE NOCASE);"
    "CREATE TABLE PRODUCTPROPVALUE (PROPERTYID int, PRODUCTID int, VALUE nvarchar(50) COLLATE NOCASE);"
    "INSERT INTO PRODUCT (PARTNUMBER, DISABLED, CLASSCODE, VALIDFROM, NOTE) VALUES"
    " ('A-1', 0, 'X', '2026-12-08 00:00:00', '12/8/2026'), ('B-2', 1, 'Y', '2026-12-09 10:30:00', NULL),"
    " ('C-3', 0, 'X', '2003-07-04 00:00:00', NULL);";

TEST(Dialect, TranslationsTokenByToken) {
  EXPECT_EQ(Translate("set TRANSACTION ISOLATION LEVEL READ COMMITTED"), "");
  EXPECT_EQ(Translate("SELECT TOP 1 PRODUCTID FROM PRODUCT WHERE NAME = 'TOP 5' ORDER BY PRODUCTID"),
            "SELECT PRODUCTID FROM PRODUCT WHERE NAME = 'TOP 5' ORDER BY PRODUCTID LIMIT 1");
  EXPECT_EQ(Translate("SELECT DISTINCT TOP (3) A FROM T"), "SELECT DISTINCT A FROM T LIMIT (3)");
  EXPECT_EQ(Translate("SELECT A FROM T WHERE A IN (SELECT TOP 2 B FROM U ORDER BY B) AND C = N'x'"),
            "SELECT A FROM T WHERE A IN (SELECT B FROM U ORDER BY B LIMIT 2) AND C = 'x'");
  EXPECT_EQ(Translate("SELECT K FROM T ORDER BY K OFFSET 20 ROWS FETCH NEXT 10 ROWS ONLY"),
            "SELECT K FROM T ORDER BY K LIMIT 10 OFFSET 20");
  EXPECT_EQ(Translate("SELECT 'a' + NAME, ISNULL(X, 0) FROM T; -- done"), "SELECT 'a' || NAME, IFNULL(X, 0) FROM T");
}

// SQL Server ends a number where a word begins; SQLite refuses the glued
// text. Exponents, binary literals and text inside literals stay as written.
TEST(Dialect, ANumberGluedToTheWordAfterItIsSplitAsSqlServerReadsIt) {
  EXPECT_EQ(Translate("SELECT * FROM T WHERE CATALOGID=5AND USERID='u' AND ISPROFILE = 0"),
            "SELECT * FROM T WHERE CATALOGID=5 AND USERID='u' AND ISPROFILE = 0");
  EXPECT_EQ(Translate("SELECT 0x1F, 0XaB, 1e3, 1.5E-2, .5 FROM T WHERE A=-12.5OR B=1e2AND C IN (1,2)ORDER BY A"),
            "SELECT 0x1F, 0XaB, 1e3, 1.5E-2, .5 FROM T WHERE A=-12.5 OR B=1e2 AND C IN (1,2)ORDER BY A");
  EXPECT_EQ(Translate("SELECT TOP 2 A FROM T WHERE B = '5AND' AND C=7"),
            "SELECT A FROM T WHERE B = '5AND' AND C=7 LIMIT 2");
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM PRODUCT WHERE PRODUCTID=1AND DISABLED=0OR PRODUCTID=0x2"),
            "N=Long:2\n");
  EXPECT_EQ(Query(cn, "SELECT PARTNUMBER FROM PRODUCT WHERE PRODUCTID>=2.5E0AND DISABLED=0"), "PARTNUMBER=String:C-3\n");
}

TEST(Dialect, RefusesWhatItCannotCarryOverNamingTheStatement) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  EXPECT_EQ(ErrorOf([&] { cn->Execute("SELECT TOP 1 A FROM T UNION SELECT B FROM U"); }),
            "80040E14 The statement cannot be run on this database (TOP in a member of UNION, EXCEPT or "
            "INTERSECT has no equivalent): SELECT TOP 1 A FROM T UNION SELECT B FROM U");
  EXPECT_EQ(ErrorOf([&] { cn->Execute("SELECT TOP 10 PERCENT A FROM T"); }).substr(0, 60),
            "80040E14 The statement cannot be run on this database (TOP .");
  EXPECT_EQ(ErrorOf([&] { cn->Execute("SET NOCOUNT ON"); }).substr(0, 8), "80040E14");
  EXPECT_EQ(ErrorOf([&] { cn->Execute("SELECT 'open"); }),
            "80040E14 The statement cannot be run on this database (unterminated string literal): SELECT 'open");
  EXPECT_EQ(cn->Errors()->Count(), 1);
}

TEST(Dialect, ServerTextRunsAgainstSqlite) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  cn->Execute("set TRANSACTION ISOLATION LEVEL READ COMMITTED");
  // Positional parameters keep their order around a moved TOP and a '?' inside a literal.
  auto rs = data::Recordset::New();
  rs->Open("SELECT TOP 1 PARTNUMBER FROM PRODUCT WHERE PARTNUMBER <> '?' AND PRODUCTID > ? ORDER BY PRODUCTID", cn,
           {rt::Variant(int32_t{1})});
  EXPECT_EQ(testdb::Render(*rs), "PARTNUMBER=String:B-2\n");
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM PRODUCT WHERE NOT DISABLED = 1"), "N=Long:2\n");
}

TEST(Dialect, DateLiteralsTakeTheStoredFormOnlyAgainstDateColumns) {
  testdb::TestDatabase db(kSchema);
  auto cn = db.Open();
  // The profile's form, the date alone at midnight, and month/day/year.
  EXPECT_EQ(Query(cn, "SELECT PARTNUMBER FROM PRODUCT WHERE VALIDFROM = '2026-12-08'"), "PARTNUMBER=String:A-1\n");
  EXPECT_EQ(Query(cn, "SELECT PARTNUMBER FROM PRODUCT WHERE '12/9/2026 10:30:00 AM' = dbo.PRODUCT.VALIDFROM"),
            "PARTNUMBER=String:B-2\n");
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM PRODUCT WHERE VALIDFROM BETWEEN '7/4/2003' AND '12/8/2026'"),
            "N=Long:2\n");
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM PRODUCT WHERE VALIDFROM IN ('7/4/2003', '2026-12-08')"), "N=Long:2\n");
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM PRODUCT WHERE VALIDFROM < '12/9/2026'"), "N=Long:2\n");
  // A text column keeps the literal as written.
  EXPECT_EQ(Query(cn, "SELECT PARTNUMBER FROM PRODUCT WHERE NOTE = '12/8/2026'"), "PARTNUMBER=String:A-1\n");
  // Written into a date column, with or without a column list.
  cn->Execute("INSERT INTO PRODUCT (PARTNUMBER, VALIDFROM, NOTE) VALUES ('D-4', '7/4/2003', '7/4/2003')");
  cn->Execute("INSERT PRODUCT VALUES (10, 'E-5', 0, 'Z', '2026-12-08', '2026-12-08')");
  cn->Execute("UPDATE PRODUCT SET VALIDFROM = '1/2/2027 3:04 PM' WHERE PARTNUMBER = 'C-3'");
  EXPECT_EQ(db.RawQuery("SELECT PARTNUMBER, VALIDFROM, NOTE FROM PRODUCT WHERE PRODUCTID >= 3 ORDER BY PRODUCTID"),
            "C-3|2027-01-02 15:04:00|NULL;D-4|2003-07-04 00:00:00|7/4/2003;E-5|2026-12-08 00:00:00|2026-12-08");
}

// The date types that carry no checks of their own take date texts in the
// stored form as datetime does.
TEST(Dialect, DateLiteralsWrittenIntoEveryDateTypeTakeTheStoredForm) {
  testdb::TestDatabase db("CREATE TABLE EVENT (ID int, SMALL smalldatetime, WIDE datetime2, DAY date);");
  auto cn = db.Open();
  cn->Execute("INSERT INTO EVENT (ID, SMALL, WIDE, DAY) VALUES (1, '12/8/2026', '1/2/2027 3:04 PM', '7/4/2003')");
  cn->Execute("INSERT EVENT VALUES (2, '2026-12-08', '12/9/2026', 'no date')");
  EXPECT_EQ(db.RawQuery("SELECT ID, SMALL, WIDE, DAY FROM EVENT ORDER BY ID"),
            "1|2026-12-08 00:00:00|2027-01-02 15:04:00|2003-07-04 00:00:00;"
            "2|2026-12-08 00:00:00|2026-12-09 00:00:00|no date");
}

// Only a compared literal that would change is worth a question to the
// schema: one already in the stored form is left as written whatever its
// column holds; any other text (the empty one too, 1900-01-01 against a
// date column) asks. A written value always asks for its column's type,
// which it must fit.
TEST(Dialect, DateLiteralsInTheStoredFormAskNothingOfTheSchema) {
  struct Questions : data::SchemaInfo {
    bool IsDateColumn(std::string_view, std::string_view column) override {
      asked += std::string(column) + " ";
      return true;
    }
    std::vector<std::string> ColumnNames(std::string_view) override {
      asked += "(columns) ";
      return {"A", "B"};
    }
    std::string asked;
  } schema;
  const std::string stored =
      "SELECT PRICE FROM CATALOGPRODUCTPRICE WHERE PRODUCTID=7 AND GROUPBY =N'' AND "
      "PRICEEFFECTIVEDATE<='2026-12-08 00:00:00' AND (PRICEEXPIRYDATE>='2026-12-08 00:00:00' OR PRICEEXPIRYDATE IS "
      "NULL)";
  data::TranslateForSqlite(stored, &schema);
  EXPECT_EQ(schema.asked, "GROUPBY ");
  schema.asked.clear();
  data::TranslateForSqlite("SELECT 1 FROM T WHERE A = '2026-12-08'", &schema);
  EXPECT_EQ(schema.asked, "A ");
  schema.asked.clear();
  data::TranslateForSqlite("INSERT T VALUES ('2026-12-08 00:00:00', '2026-12-09 00:00:00')", &schema);
  EXPECT_EQ(schema.asked, "(columns) A B ");
}

}  // namespace
