// Text comparison in the database as SQL Server's default collation does it,
// and what an operator sees with the stock sqlite3 tool.
#include <gtest/gtest.h>

#include "common/lib_general.h"
#include "data/text_rules.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kNames =
    "CREATE TABLE PARTNER (PARTNERID INTEGER PRIMARY KEY AUTOINCREMENT,"
    " CODE nvarchar(10) COLLATE NOCASE UNIQUE, NAME nvarchar(50) COLLATE NOCASE);"
    "INSERT INTO PARTNER (CODE, NAME) VALUES ('a1', 'O''Brien'), ('B2', 'Émile Zola'), ('c3', '50%_[a] off'),"
    " ('D4', 'Delta  '), ('e5', 'delta'), ('F6', 'a_b'), ('G7', 'axb');";

TEST(TextRules, EqualityOrderingAndInIgnoreCaseAndTrailingBlanks) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  EXPECT_EQ(Query(cn, "SELECT CODE FROM PARTNER WHERE NAME = 'DELTA' ORDER BY CODE"),
            "CODE=String:D4\nCODE=String:e5\n");
  EXPECT_EQ(Query(cn, "SELECT CODE FROM PARTNER WHERE NAME = 'émile zola  '"), "CODE=String:B2\n");
  EXPECT_EQ(Query(cn, "SELECT CODE FROM PARTNER WHERE CODE IN ('A1', 'b2 ') ORDER BY CODE DESC"),
            "CODE=String:B2\nCODE=String:a1\n");
  EXPECT_EQ(Query(cn, "SELECT CODE FROM PARTNER WHERE CODE > 'D' ORDER BY CODE"),
            "CODE=String:D4\nCODE=String:e5\nCODE=String:F6\nCODE=String:G7\n");
  EXPECT_EQ(Query(cn, "SELECT NAME, COUNT(*) AS N FROM PARTNER WHERE NAME LIKE 'd%' GROUP BY NAME"),
            "NAME=String:Delta   N=Long:2\n");
  EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO PARTNER (CODE) VALUES ('A1 ')"); }),
            "80040E2F UNIQUE constraint failed: PARTNER.CODE");
}

TEST(TextRules, LikeFollowsSqlServerBracketsEscapesAndCase) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  auto like = [&](const std::string& pattern) {
    std::string codes;
    auto rs = cn->Execute("SELECT CODE FROM PARTNER WHERE NAME LIKE '" + pattern + "' ORDER BY CODE");
    while (!rs->Eof()) {
      codes += rt::CStr(rs->Value(0)) + " ";
      rs->MoveNext();
    }
    return codes;
  };
  // The escaped inside of a pattern matches itself literally.
  EXPECT_EQ(like("%" + Gen_SqlEscapeLike(rt::Variant("50%_[a]")) + "%"), "c3 ");
  EXPECT_EQ(like("%" + Gen_SqlEscapeLike(rt::Variant("O'Brien")) + "%"), "a1 ");
  EXPECT_EQ(like("%" + Gen_SqlEscapeLike(rt::Variant("a_b")) + "%"), "F6 ");
  EXPECT_EQ(like("a_b"), "F6 G7 ");
  EXPECT_EQ(like("[a-c]%"), "F6 G7 ");
  EXPECT_EQ(like("[^a-z]%"), "B2 c3 ");  // É is no letter from a to z
  EXPECT_EQ(like("DELTA"), "D4 e5 ");   // trailing blanks of the text do not count
  EXPECT_EQ(like("delta  "), "D4 ");    // those of the pattern do
  EXPECT_EQ(like("É%"), "B2 ");
  EXPECT_EQ(Query(cn, "SELECT CODE FROM PARTNER WHERE NAME LIKE '50!%%' ESCAPE '!'"), "CODE=String:c3\n");

  EXPECT_TRUE(data::LikeMatches("[x", "[x"));  // an unclosed bracket stands for itself
  EXPECT_EQ(data::CompareText("abc", "ABD"), -1);
  EXPECT_EQ(data::CompareText("x  ", "X"), 0);
}

TEST(TextRules, TheStockToolRunsQueriesAndFindsTheFileIntact) {
  testdb::TestDatabase db(kNames);
  {
    auto cn = db.Open();
    cn->Execute("INSERT INTO PARTNER (CODE, NAME) VALUES ('h8', 'hotel')");
  }
  EXPECT_EQ(db.RawQuery("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(db.RawQuery("SELECT CODE FROM PARTNER WHERE CODE = 'H8'"), "h8");
  EXPECT_EQ(db.RawQuery("PRAGMA journal_mode"), "wal");
}

}  // namespace
