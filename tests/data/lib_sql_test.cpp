// Lib_SQL: connections, disconnected and read-only recordsets and the probe.
#include <gtest/gtest.h>

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

}  // namespace
