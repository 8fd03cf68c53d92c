// Statements kept prepared and translations kept by their text: a kept one
// answers only its own text, follows the schema as it is, and starts afresh
// after a run that failed half way.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>
#include <string>

#include "data/command.h"
#include "data/statement_cache.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kNames =
    "CREATE TABLE NAMES (ID int PRIMARY KEY, NAME nvarchar(20) COLLATE NOCASE, ESC nvarchar(2));"
    "INSERT INTO NAMES VALUES (1, 'a1', '!'), (2, 'a2', '!'), (3, 'a3', 'xx'), (4, 'a4', '!');"
    "CREATE TABLE COPY (ID int, NAME nvarchar(20) COLLATE NOCASE UNIQUE);";

TEST(StatementCache, StatementsThatDifferOnlyInALiteralAnswerEachTheirOwn) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Query(cn, "SELECT NAME FROM NAMES WHERE ID = 1"), "NAME=String:a1\n");
    EXPECT_EQ(Query(cn, "SELECT NAME FROM NAMES WHERE ID = 2"), "NAME=String:a2\n");
    EXPECT_EQ(Query(cn, "SELECT ID FROM NAMES WHERE NAME = 'A3'"), "ID=Long:3\n");
    EXPECT_EQ(Query(cn, "SELECT ID FROM NAMES WHERE NAME = 'a4'"), "ID=Long:4\n");
  }
  // More statements than a session keeps: the first is prepared again.
  for (int i = 0; i < 100; ++i) Query(cn, "SELECT " + std::to_string(i) + " AS N FROM NAMES WHERE ID = 1");
  EXPECT_EQ(Query(cn, "SELECT NAME FROM NAMES WHERE ID = 1"), "NAME=String:a1\n");
}

// A kept translation that asked the schema holds for its database only.
TEST(StatementCache, ATranslationMadeForOneDatabasesSchemaIsNotUsedForAnother) {
  testdb::TestDatabase dates("CREATE TABLE EVENT (WHEN_ datetime); INSERT INTO EVENT VALUES ('2026-12-08 00:00:00');");
  testdb::TestDatabase texts("CREATE TABLE EVENT (WHEN_ nvarchar(20)); INSERT INTO EVENT VALUES ('12/8/2026');");
  const std::string sql = "SELECT COUNT(*) AS N FROM EVENT WHERE WHEN_ = '12/8/2026'";
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Query(dates.Open(), sql), "N=Long:1\n");
    EXPECT_EQ(Query(texts.Open(), sql), "N=Long:1\n");
  }
}

TEST(StatementCache, AKeptWriteFollowsTheTableThroughSchemaChanges) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  auto insert = [&](int id, const char* name) {
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(cn);
    cmd->SetCommandText("INSERT INTO COPY (ID, NAME) VALUES (?, ?)");
    std::vector<rt::Variant> values{rt::Variant(id), rt::Variant(name)};
    return ErrorOf([&] { cmd->Execute(nullptr, &values); });
  };
  EXPECT_EQ(insert(1, "one"), "no error");
  db.RawExec("ALTER TABLE COPY ADD COLUMN EXTRA int DEFAULT 7");
  EXPECT_EQ(insert(2, "two"), "no error");
  db.RawExec("DROP TABLE COPY");
  EXPECT_EQ(insert(3, "three"), "80040E14 no such table: COPY");
  db.RawExec("CREATE TABLE COPY (NAME nvarchar(20), ID int)");
  EXPECT_EQ(insert(4, "four"), "no error");
  EXPECT_EQ(db.RawQuery("SELECT * FROM COPY"), "four|4");
}

TEST(StatementCache, AStatementThatFailedHalfWayStartsAfreshWhenRunAgain) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  // The third row's escape is no single character: the read fails there.
  const std::string read = "SELECT ID FROM NAMES WHERE NAME LIKE 'a%' ESCAPE ESC";
  EXPECT_EQ(ErrorOf([&] { Query(cn, read); }), "80040E14 ESCAPE expression must be a single character");
  db.RawExec("UPDATE NAMES SET ESC = '!' WHERE ID = 3");
  EXPECT_EQ(Query(cn, read), "ID=Long:1\nID=Long:2\nID=Long:3\nID=Long:4\n");

  // A write that fails at its third row writes none of them.
  db.RawExec("INSERT INTO COPY VALUES (0, 'a3')");
  auto copy = [&](int upTo) {
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(cn);
    cmd->SetCommandText("INSERT INTO COPY SELECT ID, NAME FROM NAMES WHERE ID <= ?");
    std::vector<rt::Variant> values{rt::Variant(upTo)};
    return ErrorOf([&] { cmd->Execute(nullptr, &values); });
  };
  EXPECT_EQ(copy(4), "80040E2F UNIQUE constraint failed: COPY.NAME");
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM COPY"), "1");
  EXPECT_EQ(copy(2), "no error");
  db.RawExec("DELETE FROM COPY WHERE ID = 0");
  EXPECT_EQ(copy(4), "80040E2F UNIQUE constraint failed: COPY.NAME");
  EXPECT_EQ(db.RawQuery("SELECT group_concat(ID) FROM (SELECT ID FROM COPY ORDER BY ID)"), "1,2");
}

// A kept statement keeps its bound texts between runs (SQLite reads them in
// place): a run sees only what it bound itself, Null for what it left out,
// and two runs of one text at once each their own values.
TEST(StatementCache, ARunSeesOnlyTheValuesItBoundItself) {
  testdb::TestDatabase db(kNames);
  auto cn = db.Open();
  data::Session& session = *cn->Lease().session;
  const std::string sql = "SELECT ? AS A, ? AS B";
  auto run = [&](std::vector<rt::Variant> values) {
    std::unique_ptr<data::Statement> st = session.Prepare(sql);
    for (size_t i = 0; i < values.size(); ++i) st->Bind(static_cast<int>(i + 1), values[i]);
    EXPECT_TRUE(st->Step());
    auto text = [&](int i) { return st->Value(i).IsNull() ? std::string("Null") : rt::CStr(st->Value(i)); };
    return text(0) + "|" + text(1);
  };
  const std::string longText(5000, 'x');
  struct Case {
    const char* name;
    std::vector<rt::Variant> values;
    std::string expected;
  };
  const Case cases[] = {
      {"both bound", {rt::Variant("first"), rt::Variant(longText)}, "first|" + longText},
      {"the second left out after a long text", {rt::Variant("again")}, "again|Null"},
      {"a shorter text where a longer one was", {rt::Variant("a"), rt::Variant("bb")}, "a|bb"},
      {"the second left out after a short text", {rt::Variant("c")}, "c|Null"},
      {"a number where a text was", {rt::Variant(int32_t{7}), rt::Variant("d")}, "7|d"},
      {"nothing bound", {}, "Null|Null"},
  };
  for (const Case& c : cases) EXPECT_EQ(run(c.values), c.expected) << c.name;

  std::unique_ptr<data::Statement> one = session.Prepare(sql);
  one->Bind(1, rt::Variant("one"));
  one->Bind(2, rt::Variant("uno"));
  ASSERT_TRUE(one->Step());
  std::unique_ptr<data::Statement> two = session.Prepare(sql);
  two->Bind(1, rt::Variant("two"));
  ASSERT_TRUE(two->Step());
  EXPECT_EQ(rt::CStr(one->Value(0)) + rt::CStr(one->Value(1)), "oneuno") << "the first of two runs at once";
  EXPECT_EQ(rt::CStr(two->Value(0)), "two") << "the second of two runs at once";
  EXPECT_TRUE(two->Value(1).IsNull()) << "the second of two runs at once";
}

// The cache itself, on a bare SQLite database: what it keeps, what it gives
// up, and that nothing prepared before a schema change runs after it.
class KeptStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db_, "CREATE TABLE T (N int); INSERT INTO T VALUES (1);", nullptr, nullptr, nullptr),
              SQLITE_OK);
  }
  void TearDown() override {
    cache_.reset();
    sqlite3_close(db_);
  }
  // Takes the statement for the text, steps it once and gives it back;
  // answers the statement SQLite ran.
  sqlite3_stmt* Run(const std::string& sql) {
    auto taken = cache_->Take(sql);
    sqlite3_stmt* stmt = taken->stmt;
    sqlite3_step(stmt);
    cache_->Give(taken);
    return stmt;
  }
  sqlite3* db_ = nullptr;
  std::unique_ptr<data::StatementCache> cache_;
};

TEST_F(KeptStatements, ATextTakenAgainGetsTheSameStatementAndTheLeastRecentIsGivenUpFirst) {
  cache_ = std::make_unique<data::StatementCache>(db_, 2);
  sqlite3_stmt* one = Run("SELECT 1 FROM T");
  Run("SELECT 2 FROM T");
  EXPECT_EQ(Run("SELECT 1 FROM T"), one) << "a kept statement is reused";
  EXPECT_EQ(cache_->counts().hits, 1u);
  EXPECT_EQ(cache_->counts().prepared, 2u);

  Run("SELECT 3 FROM T");  // "SELECT 2" was given back least recently
  EXPECT_EQ(cache_->counts().evicted, 1u);
  EXPECT_EQ(cache_->Kept(), 2u);
  EXPECT_EQ(Run("SELECT 1 FROM T"), one) << "the most recent survives the eviction";
  Run("SELECT 2 FROM T");
  EXPECT_EQ(cache_->counts().prepared, 4u) << "the evicted text is prepared again";
}

TEST_F(KeptStatements, ATextTakenWhileItRunsGetsAStatementOfItsOwn) {
  cache_ = std::make_unique<data::StatementCache>(db_, 4);
  auto first = cache_->Take("SELECT 1 FROM T");
  auto second = cache_->Take("SELECT 1 FROM T");
  EXPECT_NE(first->stmt, second->stmt) << "the running statement is not handed out twice";
  EXPECT_EQ(cache_->Running(), 2);
  sqlite3_stmt* firstStmt = first->stmt;
  sqlite3_stmt* secondStmt = second->stmt;
  cache_->Give(first);
  cache_->Give(second);
  EXPECT_EQ(cache_->Kept(), 2u);
  auto again = cache_->Take("SELECT 1 FROM T");
  auto andAgain = cache_->Take("SELECT 1 FROM T");
  EXPECT_TRUE((again->stmt == firstStmt && andAgain->stmt == secondStmt) ||
              (again->stmt == secondStmt && andAgain->stmt == firstStmt))
      << "both kept statements are taken again";
  EXPECT_EQ(cache_->counts().prepared, 2u);
  EXPECT_EQ(cache_->counts().hits, 2u);
  cache_->Give(again);
  cache_->Give(andAgain);
}

TEST_F(KeptStatements, ARefusedTextLeavesNothingTakenOrKept) {
  cache_ = std::make_unique<data::StatementCache>(db_, 2);
  EXPECT_THROW(cache_->Take("SELECT FROM nowhere"), data::EngineError);
  EXPECT_EQ(cache_->Running(), 0);
  EXPECT_EQ(cache_->Kept(), 0u);
}

TEST_F(KeptStatements, AfterForgetAllEveryTextIsPreparedAgainAndAStatementStillRunningIsNotKept) {
  cache_ = std::make_unique<data::StatementCache>(db_, 4);
  Run("SELECT 1 FROM T");
  auto running = cache_->Take("SELECT 2 FROM T");
  EXPECT_EQ(cache_->Running(), 1);

  cache_->ForgetAll();
  EXPECT_EQ(cache_->Kept(), 0u);
  cache_->Give(running);
  EXPECT_EQ(cache_->Running(), 0);
  EXPECT_EQ(cache_->Kept(), 0u) << "prepared before the schema changed: finalised, not kept";

  Run("SELECT 1 FROM T");
  Run("SELECT 2 FROM T");
  EXPECT_EQ(cache_->counts().hits, 0u);
  EXPECT_EQ(cache_->counts().prepared, 4u);
  EXPECT_NE(sqlite3_next_stmt(db_, nullptr), nullptr);
  cache_.reset();
  EXPECT_EQ(sqlite3_next_stmt(db_, nullptr), nullptr) << "the cache finalises what it keeps when it goes";
}

TEST_F(KeptStatements, AStatementStillTakenWhenTheCacheGoesIsFinalisedToo) {
  cache_ = std::make_unique<data::StatementCache>(db_, 4);
  cache_->Take("SELECT 1 FROM T");
  cache_.reset();
  EXPECT_EQ(sqlite3_next_stmt(db_, nullptr), nullptr);
  EXPECT_EQ(sqlite3_close(db_), SQLITE_OK);
  db_ = nullptr;
}

}  // namespace
