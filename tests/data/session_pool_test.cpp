// Connections opened one after another on one thread reuse the engine's
// session; nothing of one connection's use may show in the next.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/engine_hooks.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kTable =
    "CREATE TABLE OFFICE (OFFICEID INTEGER PRIMARY KEY AUTOINCREMENT, DESCRIPTION nvarchar(50) COLLATE NOCASE);"
    "INSERT INTO OFFICE (DESCRIPTION) VALUES ('Head office');";

std::string ReadOnce(const testdb::TestDatabase& db, const std::string& sql) {
  auto cn = db.Open();
  std::string rows = Query(cn, sql);
  cn->Close();
  return rows;
}

TEST(SessionPool, AReusedSessionSeesWhatOthersCommittedSince) {
  testdb::TestDatabase db(kTable);
  const std::string count = "SELECT COUNT(*) AS N FROM OFFICE";
  EXPECT_EQ(ReadOnce(db, count), "N=Long:1\n");
  // Another process (the stock tool's own handle) writes in between.
  EXPECT_EQ(db.RawExec("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Branch')"), "");
  EXPECT_EQ(ReadOnce(db, count), "N=Long:2\n");
}

TEST(SessionPool, ATransactionLeftOpenIsRolledBackNotHandedOn) {
  testdb::TestDatabase db(kTable);
  auto cn = db.Open();
  cn->Execute("BEGIN");
  cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Never committed')");
  cn->Close();
  EXPECT_EQ(ReadOnce(db, "SELECT COUNT(*) AS N FROM OFFICE"), "N=Long:1\n");
  // The write lock went with it: the next connection writes and commits by itself.
  auto next = db.Open();
  next->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Committed')");
  next->Close();
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "2");
}

TEST(SessionPool, ADatabaseReplacedOrDeletedAtTheSamePathIsNotServedFromTheOldSession) {
  // Every hand-out compares the file (by default only once per interval).
  const auto interval = data::SetFileRecheckInterval(std::chrono::milliseconds(0));
  struct Restore {
    std::chrono::milliseconds interval;
    ~Restore() { data::SetFileRecheckInterval(interval); }
  } restore{interval};
  testdb::TestDatabase db(kTable);
  EXPECT_EQ(ReadOnce(db, "SELECT DESCRIPTION FROM OFFICE"), "DESCRIPTION=String:Head office\n");
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(db.path() + suffix);
  EXPECT_EQ(ErrorOf([&] { db.Open(); }),
            "80004005 Cannot open the database '" + db.path() + "': unable to open database file");

  data::CreateDatabase(db.path(), {});
  db.RawExec("CREATE TABLE OFFICE (OFFICEID INTEGER PRIMARY KEY, DESCRIPTION nvarchar(50) COLLATE NOCASE);"
             "INSERT INTO OFFICE VALUES (7, 'Replaced');");
  EXPECT_EQ(ReadOnce(db, "SELECT DESCRIPTION FROM OFFICE"), "DESCRIPTION=String:Replaced\n");
}

TEST(SessionPool, AQueryKeptPreparedDescribesTheTableAsItIsNow) {
  testdb::TestDatabase db(kTable);
  EXPECT_EQ(ReadOnce(db, "SELECT * FROM OFFICE"), "OFFICEID=Long:1 DESCRIPTION=String:Head office\n");
  db.RawExec("DROP TABLE OFFICE; CREATE TABLE OFFICE (OFFICEID int, OPENED datetime, DESCRIPTION nchar(6));"
             "INSERT INTO OFFICE VALUES (2, '2026-12-08 00:00:00', 'Depot');");
  EXPECT_EQ(ReadOnce(db, "SELECT * FROM OFFICE"),
            "OFFICEID=Long:2 OPENED=Date:2026-12-08 DESCRIPTION=String:Depot \n");
}

TEST(SessionPool, ADateLiteralIsTranslatedForTheSchemaOfTheMoment) {
  testdb::TestDatabase db("CREATE TABLE EVENT (WHEN_ nvarchar(20) COLLATE NOCASE);"
                          "INSERT INTO EVENT VALUES ('12/8/2026');");
  const std::string sql = "SELECT COUNT(*) AS N FROM EVENT WHERE WHEN_ = '12/8/2026'";
  EXPECT_EQ(ReadOnce(db, sql), "N=Long:1\n");  // a text column: the literal as written
  db.RawExec("DROP TABLE EVENT; CREATE TABLE EVENT (WHEN_ datetime); INSERT INTO EVENT VALUES ('2026-12-08 00:00:00');");
  EXPECT_EQ(ReadOnce(db, sql), "N=Long:1\n");  // a date column now: the stored form
}

}  // namespace
