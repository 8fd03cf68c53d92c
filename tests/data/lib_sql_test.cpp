// Lib_SQL: connections, disconnected and read-only recordsets, the probe,
// and the per-thread common connection string.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <thread>

#include "common/lib_sql.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;

const char* kTable =
    "CREATE TABLE COUNTRY (COUNTRYCODE nchar(2) COLLATE NOCASE PRIMARY KEY, NAME nvarchar(40) COLLATE NOCASE);"
    "INSERT INTO COUNTRY VALUES ('BE', 'Belgium'), ('IE', 'Ireland');";

TEST(LibSql, DisconnectedRecordsetIsDetachedAndUsableAfterItsConnectionClosed) {
  testdb::TestDatabase db(kTable);
  auto rs = Sql_GetDisconnectedRecordset("SELECT * FROM COUNTRY ORDER BY NAME DESC", db.ConnectionString(), true);
  EXPECT_EQ(rs->ActiveConnection(), nullptr);
  EXPECT_EQ(rs->CursorLocation(), data::kUseClient);
  EXPECT_EQ(testdb::Render(*rs), "COUNTRYCODE=String:IE NAME=String:Ireland\nCOUNTRYCODE=String:BE NAME=String:Belgium\n");
  // Nothing holds the database: a writer gets in at once.
  EXPECT_EQ(db.RawExec("BEGIN IMMEDIATE; DELETE FROM COUNTRY; COMMIT"), "");
}

TEST(LibSql, AFailingStatementReportsTheConnectionsErrorsAndTheStatement) {
  testdb::TestDatabase db(kTable);
  EXPECT_EQ(ErrorOf([&] { Sql_GetDisconnectedRecordset("SELECT * FROM NOPE", db.ConnectionString()); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Lib_SQL.Sql_GetDisconnectedRecordset\r\n"
            " DESC: no such table: NOPE.\r\n INFO: Error(s) from connection object:  (1)no such table: "
            "NOPE[-2147217900] executing: 'SELECT * FROM NOPE'.\r\n");
  auto cn = db.Open();
  std::string sql = "SELECT NAME FROM COUNTRY WHERE";
  EXPECT_EQ(ErrorOf([&] { Sql_GetReadonlyRecordset(sql, cn); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Lib_SQL.Sql_GetReadonlyRecordset\r\n"
            " DESC: incomplete input.\r\n INFO: Error(s) from connection object:  (1)incomplete input[-2147217900]"
            " executing: 'SELECT NAME FROM COUNTRY WHERE'.\r\n");
  EXPECT_EQ(cn->State(), data::kStateOpen);  // left for the caller to close
  std::string missing = "Provider=SQLite;Data Source=" + db.dir() + "/missing.db";
  EXPECT_EQ(ErrorOf([&] { Sql_GetOpenConnection(missing); }),
            "80004005 \r\nERROR 0x80004005\r\n METHOD: Lib_SQL.Sql_GetOpenConnection\r\n DESC: Cannot open the "
            "database '" + db.dir() + "/missing.db': unable to open database file.\r\n");
}

TEST(LibSql, ReadonlyRecordsetStaysOnTheCallersConnection) {
  testdb::TestDatabase db(kTable);
  std::string cs = db.ConnectionString();
  auto cn = Sql_GetOpenConnection(cs);
  std::string sql = "SELECT NAME FROM COUNTRY WHERE COUNTRYCODE = 'be'";
  auto rs = Sql_GetReadonlyRecordset(sql, cn);
  EXPECT_EQ(rs->ActiveConnection(), cn);
  EXPECT_EQ(rt::CStr(rs->Value("NAME")), "Belgium");
  Sql_CloseRecordset(rs);
  Sql_CloseConnection(cn);
  EXPECT_EQ(rs, nullptr);
  EXPECT_EQ(cn, nullptr);
  Sql_CloseConnection(cn);  // an empty variable is no error
  rt::Variant nothing = rt::Variant::Nothing(), empty;
  Sql_CloseConnection(nothing);
  Sql_CloseRecordset(empty);
  EXPECT_TRUE(empty.IsNothing());
}

TEST(LibSql, HasRecordsAnswersWhetherTheQueryGaveARowAndFailsUnformatted) {
  testdb::TestDatabase db(kTable);
  EXPECT_TRUE(Sql_HasRecords("SELECT 1 FROM COUNTRY WHERE NAME = 'IRELAND'", db.ConnectionString(), true));
  EXPECT_FALSE(Sql_HasRecords("SELECT 1 FROM COUNTRY WHERE NAME = 'France'", db.ConnectionString()));
  EXPECT_EQ(db.RawExec("BEGIN IMMEDIATE; COMMIT"), "");
  EXPECT_EQ(ErrorOf([&] { Sql_HasRecords("SELECT 1 FROM NOPE", db.ConnectionString()); }),
            "80040E14 no such table: NOPE");
}

// The common connection string is per thread: each case runs on a thread of its own.
template <class F>
void OnFreshThread(F&& f) {
  std::thread t(std::forward<F>(f));
  t.join();
}

class CommonConnectionString : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = db_.dir() + "/suite.ini";
    WriteIni("configured");
    setenv("SUITE_CONFIG", ini_.c_str(), 1);
  }
  void TearDown() override { unsetenv("SUITE_CONFIG"); }
  void WriteIni(const std::string& value) {
    std::ofstream(ini_) << "[CONNECTIONS]\nBrintorConnection_ConnectionString=ignored\n"
                        << "[Vorthem/CONNECTIONS]\nBrintorConnection_ConnectionString=" << value << "\n";
  }
  testdb::TestDatabase db_;
  std::string ini_;
};

TEST_F(CommonConnectionString, TheApplicationValueComesFirstAndIsKeptForTheThread) {
  OnFreshThread([&] {
    auto owner = std::make_shared<testdb::ContextOwner>(false);
    owner->Context()->GetActivity()->application->SetItem("BrintorConnection_ConnectionString",
                                                          rt::Variant("from application"));
    unsetenv("SUITE_CONFIG");  // the configuration must not be needed
    rt::ContextScope scope(*owner);
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "from application");
    owner->Context()->GetActivity()->application->SetItem("BrintorConnection_ConnectionString", rt::Variant("new"));
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.User.ConnectionString"), "from application");
  });
}

TEST_F(CommonConnectionString, WithoutAnApplicationValueTheConfigurationOfTheServerAnswers) {
  OnFreshThread([&] {
    auto owner = std::make_shared<testdb::ContextOwner>(false);
    rt::ContextScope scope(*owner);
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "configured");
  });
  OnFreshThread([&] { EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString", false), "configured"); });
}

TEST_F(CommonConnectionString, AnEmptyValueIsNotKeptSoTheNextCallAsksAgain) {
  WriteIni("");
  OnFreshThread([&] {
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "");
    WriteIni("later");
    EXPECT_EQ(Sql_CommonConnectionString("Brintor.Currency.ConnectionString"), "later");
  });
}

}  // namespace
