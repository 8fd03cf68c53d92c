// Tests of the table writers and existence tests against a real database:
// the statements they run, the rows they leave, the connection they close
// and the vote they cast.
#include "common/lib_sql_tables.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <mutex>
#include <thread>

#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "data/testing/fault_sweep.h"
#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"
#include "tests/data/test_database.h"

namespace {

using testdb::ErrorOf;

const char* kSchema =
    "CREATE TABLE PARTNER (PARTNERID INTEGER PRIMARY KEY AUTOINCREMENT, NAME nvarchar(50) COLLATE NOCASE NOT NULL "
    "UNIQUE, ACTIVE bit, NOTE nvarchar(100) COLLATE NOCASE, CREATED datetime, RATE decimal(18,4));"
    "INSERT INTO PARTNER (NAME, ACTIVE) VALUES ('Acme', 1), ('Brook', 0);";

// Records the text of every statement the engine starts while recording is
// on, on any connection of the process (installed into each new one).
class StatementLog {
 public:
  static StatementLog& Instance() {
    static StatementLog log;
    return log;
  }
  void Start() {
    std::lock_guard lock(mutex_);
    statements_.clear();
    on_ = true;
  }
  // The statements that wrote or searched a table, in order.
  std::vector<std::string> Stop() {
    std::lock_guard lock(mutex_);
    on_ = false;
    std::vector<std::string> kept;
    for (const std::string& s : statements_) {
      if (s.starts_with("INSERT") || s.starts_with("UPDATE") || s.starts_with("DELETE") ||
          s.starts_with("SELECT * FROM"))
        kept.push_back(s);
    }
    return kept;
  }

 private:
  StatementLog() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&Install)); }
  static int Install(sqlite3* db, const char**, const void*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Traced, nullptr);
    return SQLITE_OK;
  }
  static int Traced(unsigned, void*, void*, void* text) {
    StatementLog& log = Instance();
    std::lock_guard lock(log.mutex_);
    if (log.on_) log.statements_.emplace_back(static_cast<const char*>(text));
    return 0;
  }
  std::mutex mutex_;
  bool on_ = false;
  std::vector<std::string> statements_;
};

// A database of the test's own, named as the common connection string in the
// sandbox's configuration; the engine's statements recorded from the start.
class TableWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    StatementLog::Instance();  // before the first connection, so that every one is traced
    sandbox_.WriteConfig("[INSTALL]\nDir=" + sandbox_.Dir() + "\n[LOG]\nFile=" + sandbox_.LogPath() +
                         "\n[CONNECTIONS]\nBrintorConnection_ConnectionString=" + db_.ConnectionString() + "\n");
  }
  std::shared_ptr<data::Connection> Open() {
    std::string cs = db_.ConnectionString();
    return Sql_GetOpenConnection(cs);
  }
  // Runs a writer and answers the statements that it ran.
  template <class F>
  std::vector<std::string> Ran(F&& writer) {
    StatementLog::Instance().Start();
    writer();
    return StatementLog::Instance().Stop();
  }
  std::string Rows() { return db_.RawQuery("SELECT * FROM PARTNER ORDER BY PARTNERID"); }

  testdb::TestDatabase db_{kSchema};
  SuiteSandbox sandbox_;
};

using Statements = std::vector<std::string>;

TEST_F(TableWriters, InsertWritesTheColumnsInTheDictionarysOrderWithTheirLiterals) {
  auto cn = Open();
  auto fields = DataObject({{"NOTE", rt::Variant::Null()},
                        {"NAME", "O'Brien & Zürich 東京"},
                        {"ACTIVE", true},
                        {"CREATED", rt::Variant(rt::CDate(rt::Variant("2003-07-04 10:30:00")))},
                        {"RATE", 12.5}});
  rt::ObjectPtr result;
  EXPECT_EQ(Ran([&] { result = Sql_InsertTable("PARTNER", fields, cn); }),
            (Statements{"INSERT INTO PARTNER(NOTE,NAME,ACTIVE,CREATED,RATE) VALUES (null,'O''Brien & Zürich 東京',1,"
                        "'2003-07-04 10:30:00',12.5)"}));
  EXPECT_EQ(Rows(), "1|Acme|1|NULL|NULL|NULL;2|Brook|0|NULL|NULL|NULL;"
                    "3|O'Brien & Zürich 東京|1|NULL|2003-07-04 10:30:00|12.5");
  // The caller's variable still refers to the connection, now closed.
  ASSERT_NE(cn, nullptr);
  EXPECT_EQ(cn->State(), data::kStateClosed);
  Sql_CloseConnection(cn);
  auto outcome = std::dynamic_pointer_cast<IResultObject>(result);
  ASSERT_NE(outcome, nullptr);
  EXPECT_TRUE(outcome->Succeeded());
}

TEST_F(TableWriters, UpdateAndDeleteJoinTheirPairsAndANullKeyMatchesNothing) {
  EXPECT_EQ(Ran([&] { Sql_UpdateTable("PARTNER", DataObject({{"NAME", "X"}, {"ACTIVE", false}}),
                                      DataObject({{"PARTNERID", 1}}), Open()); }),
            (Statements{"UPDATE PARTNER SET NAME='X',ACTIVE=0 WHERE PARTNERID=1"}));
  EXPECT_EQ(Ran([&] { Sql_UpdateTable("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"NOTE", rt::Variant::Null()}}),
                                      Open()); }),
            (Statements{"UPDATE PARTNER SET NOTE='n' WHERE NOTE=null"}));
  EXPECT_EQ(Ran([&] { Sql_UpdateTableUnicode("PARTNER", DataObject({{"NOTE", "Ωmega's"}, {"ACTIVE", 1}}),
                                             DataObject({{"NAME", "brook"}, {"ACTIVE", 0}}), Open()); }),
            (Statements{"UPDATE PARTNER SET NOTE='Ωmega''s',ACTIVE='1' WHERE NAME='brook' AND ACTIVE='0'"}));
  EXPECT_EQ(Rows(), "1|X|0|NULL|NULL|NULL;2|Brook|1|Ωmega's|NULL|NULL");
  EXPECT_EQ(Ran([&] { Sql_DeleteTableUnicode("PARTNER", DataObject({{"NAME", "x"}, {"PARTNERID", 1}}), Open()); }),
            (Statements{"DELETE FROM PARTNER WHERE NAME='x' AND PARTNERID='1'"}));
  EXPECT_EQ(Rows(), "2|Brook|1|Ωmega's|NULL|NULL");
}

TEST_F(TableWriters, UnicodeInsertWritesTextLiteralsAndANullFailsTheWrite) {
  EXPECT_EQ(Ran([&] { Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "Ægir's"}, {"RATE", 3}}), Open()); }),
            (Statements{"INSERT INTO PARTNER(NAME,RATE) VALUES ('Ægir''s','3')"}));
  EXPECT_EQ(db_.RawQuery("SELECT NAME, RATE FROM PARTNER WHERE PARTNERID = 3"), "Ægir's|3");
  auto cn = Open();
  EXPECT_EQ(ErrorOf([&] { Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "N"}, {"NOTE", rt::Variant::Null()}}),
                                                 cn); }),
            "0000005E \r\nERROR 0x5E\r\n METHOD: Sql_InsertTableUnicode\r\n DESC: Invalid use of Null.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
  EXPECT_EQ(db_.RawQuery("SELECT COUNT(*) FROM PARTNER"), "3");
}

TEST_F(TableWriters, ADatabaseErrorIsLoggedAndRaisedWithTheWritersBlockAfterTheConnectionClosed) {
  auto cn = Open();
  EXPECT_EQ(ErrorOf([&] { Sql_InsertTable("PARTNER", DataObject({{"NAME", "ACME"}}), cn); }),
            "80040E2F \r\nERROR 0x80040E2F\r\n METHOD: Sql_InsertTable\r\n"
            " DESC: UNIQUE constraint failed: PARTNER.NAME.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
  EXPECT_EQ(ErrorOf([&] { Sql_UpdateTable("PARTNER", DataObject({{"NAME", "X"}}), DataObject({}), Open()); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_UpdateTable\r\n DESC: incomplete input.\r\n");
  EXPECT_EQ(ErrorOf([&] { Sql_InsertTable("NOPE", DataObject({{"NAME", "X"}}), Open()); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_InsertTable\r\n DESC: no such table: NOPE.\r\n");
  const std::vector<std::string> log = sandbox_.LogLines();
  ASSERT_EQ(log.size(), 3u);
  // One entry per failure, with the failure's own source and the writer's block inside.
  EXPECT_EQ(LogEntry::Parse(log[1]).source, "SQLite");
  EXPECT_NE(LogEntry::Parse(log[1]).text.find(" METHOD: Sql_UpdateTable\r\n DESC: incomplete input"), std::string::npos);
  EXPECT_EQ(Rows(), "1|Acme|1|NULL|NULL|NULL;2|Brook|0|NULL|NULL|NULL");
}

// Field names come from the caller's data object and reach the statement as
// they are: one that is no column of the table must never be run as SQL.
TEST_F(TableWriters, AKeyThatIsNoColumnOfTheTableIsRefusedBeforeAnythingRuns) {
  auto cn = Open();
  Statements ran = Ran([&] {
    EXPECT_EQ(ErrorOf([&] {
                Sql_InsertTable("PARTNER", DataObject({{"NAME", "Z"}, {"NOTE) VALUES ('a','b'); DELETE FROM PARTNER; --", 1}}),
                                cn);
              }),
              "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_InsertTable\r\n DESC: Invalid column name 'NOTE) VALUES "
              "('a','b'); DELETE FROM PARTNER; --'.\r\n");
  });
  EXPECT_EQ(ran, Statements{});
  EXPECT_EQ(cn->State(), data::kStateClosed);
  cn = Open();
  EXPECT_THROW(Sql_UpdateTable("PARTNER", DataObject({{"NAME", "Z"}}), DataObject({{"1=1 OR PARTNERID", 1}}), cn),
               rt::ComError);
  EXPECT_EQ(Rows(), "1|Acme|1|NULL|NULL|NULL;2|Brook|0|NULL|NULL|NULL");
  // Column names match as the database matches them: without regard to case.
  Sql_UpdateTable("PARTNER", DataObject({{"note", "lower"}}), DataObject({{"PartnerId", 2}}), Open());
  EXPECT_EQ(db_.RawQuery("SELECT NOTE FROM PARTNER WHERE PARTNERID = 2"), "lower");
}

TEST_F(TableWriters, ExistenceTestsLookUpTheDictionarysValue) {
  auto values = DataObject({{"NAME", "brook"}, {"CODE", "Acme"}, {"QUOTED", "O'Brien"}, {"NONE", rt::Variant::Null()}});
  auto cn = Open();
  EXPECT_EQ(Ran([&] { EXPECT_TRUE(Sql_KeyExistsInTable("PARTNER", values, "NAME", cn)); }),
            (Statements{"SELECT * FROM PARTNER WHERE (NAME='brook')"}));
  EXPECT_EQ(cn->State(), data::kStateClosed);
  EXPECT_TRUE(Sql_ExistsInTable("PARTNER", values, "CODE", "NAME", Open()));
  EXPECT_FALSE(Sql_ExistsInTable("PARTNER", values, "QUOTED", "NAME", Open()));
  EXPECT_FALSE(Sql_ExistsInTable("PARTNER", values, "NONE", "NOTE", Open()));
  // A key missing from the dictionary answers at once and leaves the connection open.
  cn = Open();
  EXPECT_FALSE(Sql_KeyExistsInTable("PARTNER", values, "name", cn));
  EXPECT_EQ(cn->State(), data::kStateOpen);
  EXPECT_EQ(ErrorOf([&] { Sql_ExistsInTable("PARTNER", values, "NAME", "NOPE", cn); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_ExistsInTable\r\n DESC: no such column: NOPE.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
}

// Inside a transaction the later vote of an object replaces its earlier one,
// so an abort cast first shows whether a call voted complete after it.
TEST_F(TableWriters, WritersVoteOnTheCallersTransaction) {
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    Mts_SetAbort();
    Sql_InsertTable("PARTNER", DataObject({{"NAME", "Kept"}}), Open());
  }
  EXPECT_EQ(db_.RawQuery("SELECT NAME FROM PARTNER WHERE PARTNERID = 3"), "Kept");
  {
    rt::ContextScope scope(*root);
    Sql_InsertTable("PARTNER", DataObject({{"NAME", "Undone"}}), Open());
    EXPECT_THROW(Sql_InsertTable("PARTNER", DataObject({{"NAME", "kept"}}), Open()), rt::ComError);
  }
  {
    rt::ContextScope scope(*root);
    Mts_SetAbort();
    auto cn = Open();
    Sql_InsertTable("PARTNER", DataObject({{"NAME", "Not voted"}}), cn);
    Mts_SetAbort();
    EXPECT_FALSE(Sql_KeyExistsInTable("PARTNER", DataObject({}), "NAME", Open()));  // casts no vote
  }
  {
    rt::ContextScope scope(*root);
    Mts_SetAbort();
    EXPECT_TRUE(Sql_KeyExistsInTable("PARTNER", DataObject({{"NAME", "kept"}}), "NAME", Open()));
    Sql_DeleteTableUnicode("PARTNER", DataObject({{"NAME", "Acme"}}), Open());
  }
  EXPECT_EQ(Rows(), "2|Brook|0|NULL|NULL|NULL;3|Kept|NULL|NULL|NULL|NULL");
}

TEST_F(TableWriters, ACallerOnTheCommonConnectionStringWritesToItsDatabase) {
  std::thread([&] {
    std::string cs = Sql_CommonConnectionString("Brintor.Test.ConnectionString");
    EXPECT_EQ(cs, db_.ConnectionString());
    Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "Common"}}), Sql_GetOpenConnection(cs));
  }).join();
  EXPECT_EQ(db_.RawQuery("SELECT NAME FROM PARTNER WHERE PARTNERID = 3"), "Common");
}

// Each writer under the fault sweep, in a transaction as the business rules
// call them: a failed statement or commit raises and leaves the table as it was.
TEST_F(TableWriters, EveryWriterRaisesAndLeavesTheTableAsItWasUnderAFault) {
  data::testing::FaultEngine engine;
  const auto target = data::testing::DatabaseTarget(db_.path());
  auto root = std::make_shared<testdb::ContextOwner>(true);
  auto sweep = [&](const std::function<void()>& write) {
    return data::testing::SweepFaults(engine, target, [&] {
      {
        rt::ContextScope scope(*root);
        write();
      }
      return data::testing::Outcome::Succeeded;
    });
  };
  const std::vector<std::pair<const char*, std::function<void()>>> writers = {
      {"Sql_InsertTable", [&] { Sql_InsertTable("PARTNER", DataObject({{"NAME", "New"}}), Open()); }},
      {"Sql_InsertTableUnicode", [&] { Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "New"}}), Open()); }},
      {"Sql_UpdateTable",
       [&] { Sql_UpdateTable("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"PARTNERID", 1}}), Open()); }},
      {"Sql_UpdateTableUnicode",
       [&] { Sql_UpdateTableUnicode("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"NAME", "Acme"}}), Open()); }},
      {"Sql_DeleteTableUnicode", [&] { Sql_DeleteTableUnicode("PARTNER", DataObject({{"NAME", "Brook"}}), Open()); }},
  };
  for (const auto& [name, write] : writers) {
    const auto report = sweep(write);
    EXPECT_EQ(report.statements, 1) << name;
    EXPECT_EQ(report.commits, 1) << name;
    EXPECT_EQ(report.Problems(), "") << name;
  }
  EXPECT_EQ(Rows(), "1|Acme|1|NULL|NULL|NULL;2|Brook|0|NULL|NULL|NULL");
}

}  // namespace
