// Tests of the table writers and existence tests against a real database:
// the rows they leave, the connection they close, the vote they cast, and
// what they refuse.
#include "common/lib_sql_tables.h"

#include <gtest/gtest.h>

#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_paging.h"
#include "common/lib_sql.h"
#include "data/testing/fault_sweep.h"
#include "interfaces/solvane.h"
#include "runtime/com_error.h"
#include "runtime/regional.h"
#include "runtime/registry.h"
#include "tests/common/golden.h"
#include "tests/common/suite_sandbox.h"
#include "tests/common/test_values.h"
#include "tests/data/test_database.h"

namespace {

using testdb::ErrorOf;

const char* kSchema =
    "CREATE TABLE PARTNER (PARTNERID INTEGER PRIMARY KEY AUTOINCREMENT, NAME nvarchar(50) COLLATE NOCASE NOT NULL "
    "UNIQUE, ACTIVE bit, NOTE nvarchar(100) COLLATE NOCASE, CREATED datetime, RATE decimal(18,4));"
    "INSERT INTO PARTNER (NAME, ACTIVE) VALUES ('Acme', 1), ('Brook', 0);";
const char* kSampleRows = "1|Acme|1|NULL|NULL|NULL;2|Brook|0|NULL|NULL|NULL";

// A database of the test's own, and a sandbox whose log the writers write to.
class TableWriters : public ::testing::Test {
 protected:
  std::shared_ptr<data::Connection> Open() {
    std::string cs = db_.ConnectionString();
    return Sql_GetOpenConnection(cs);
  }
  std::string Rows() { return db_.RawQuery("SELECT * FROM PARTNER ORDER BY PARTNERID"); }

  testdb::TestDatabase db_{kSchema};
  SuiteSandbox sandbox_;
};

TEST_F(TableWriters, WritersJoinTheDictionarysPairsAsLiteralsAndCloseTheConnection) {
  auto cn = Open();
  rt::ObjectPtr result = Sql_InsertTable("PARTNER",
                                         DataObject({{"NOTE", rt::Variant::Null()},
                                                     {"NAME", "O'Brien & Zürich 東京"},
                                                     {"ACTIVE", true},
                                                     {"CREATED", rt::Variant(rt::CDate(rt::Variant("2003-07-04 10:30:00")))},
                                                     {"RATE", 12.5}}),
                                         cn);
  EXPECT_TRUE(std::dynamic_pointer_cast<IResultObject>(result)->Succeeded());
  // The caller's variable still refers to the connection, now closed.
  ASSERT_NE(cn, nullptr);
  EXPECT_EQ(cn->State(), data::kStateClosed);
  Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "Ægir's"}, {"RATE", 3}}), Open());
  Sql_UpdateTable("PARTNER", DataObject({{"NAME", "X"}, {"ACTIVE", false}}), DataObject({{"PARTNERID", 1}}), Open());
  // A Null key matches nothing.
  Sql_UpdateTable("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"NOTE", rt::Variant::Null()}}), Open());
  Sql_UpdateTableUnicode("PARTNER", DataObject({{"NOTE", "Ωmega's"}, {"ACTIVE", 1}}),
                         DataObject({{"NAME", "brook"}, {"ACTIVE", 0}}), Open());
  Sql_DeleteTableUnicode("PARTNER", DataObject({{"NAME", "x"}, {"PARTNERID", 1}}), Open());
  EXPECT_EQ(Rows(), "2|Brook|1|Ωmega's|NULL|NULL;3|O'Brien & Zürich 東京|1|NULL|2003-07-04 10:30:00|12.5;"
                    "4|Ægir's|NULL|NULL|NULL|3");
}

TEST_F(TableWriters, AFailureIsLoggedAndRaisedWithTheWritersBlockAfterTheConnectionClosed) {
  auto cn = Open();
  EXPECT_EQ(ErrorOf([&] { Sql_InsertTable("PARTNER", DataObject({{"NAME", "ACME"}}), cn); }),
            "80040E2F \r\nERROR 0x80040E2F\r\n METHOD: Sql_InsertTable\r\n"
            " DESC: UNIQUE constraint failed: PARTNER.NAME.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
  // An update without a key must not reach every row.
  EXPECT_EQ(ErrorOf([&] { Sql_UpdateTable("PARTNER", DataObject({{"NAME", "X"}}), DataObject({}), Open()); }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_UpdateTable\r\n DESC: incomplete input.\r\n");
  cn = Open();
  EXPECT_EQ(ErrorOf([&] { Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "N"}, {"NOTE", rt::Variant::Null()}}),
                                                 cn); }),
            "0000005E \r\nERROR 0x5E\r\n METHOD: Sql_InsertTableUnicode\r\n DESC: Invalid use of Null.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
  const std::vector<std::string> log = sandbox_.LogLines();
  ASSERT_EQ(log.size(), 3u);
  // One entry per failure, with the failure's own source and the writer's block inside.
  EXPECT_EQ(LogEntry::Parse(log[1]).source, "SQLite");
  EXPECT_NE(LogEntry::Parse(log[1]).text.find(" METHOD: Sql_UpdateTable\r\n DESC: incomplete input"), std::string::npos);
  EXPECT_EQ(Rows(), kSampleRows);
}

// Field names come from the caller's data object and reach the statement as
// they are: one that is no column of the table must never be run as SQL.
TEST_F(TableWriters, AKeyThatIsNoColumnOfTheTableIsRefusedBeforeAnythingRuns) {
  auto cn = Open();
  EXPECT_EQ(ErrorOf([&] {
              Sql_InsertTable("PARTNER", DataObject({{"NAME", "Z"}, {"NOTE) VALUES ('a','b'); DELETE FROM PARTNER; --", 1}}),
                              cn);
            }),
            "80040E14 \r\nERROR 0x80040E14\r\n METHOD: Sql_InsertTable\r\n DESC: Invalid column name 'NOTE) VALUES "
            "('a','b'); DELETE FROM PARTNER; --'.\r\n");
  EXPECT_EQ(cn->State(), data::kStateClosed);
  EXPECT_THROW(Sql_UpdateTable("PARTNER", DataObject({{"NAME", "Z"}}), DataObject({{"1=1 OR PARTNERID", 1}}), Open()),
               rt::ComError);
  EXPECT_EQ(Rows(), kSampleRows);
  // Column names match as the database matches them: without regard to case.
  Sql_UpdateTable("PARTNER", DataObject({{"note", "lower"}}), DataObject({{"PartnerId", 2}}), Open());
  EXPECT_EQ(db_.RawQuery("SELECT NOTE FROM PARTNER WHERE PARTNERID = 2"), "lower");
}

TEST_F(TableWriters, ExistenceTestsLookUpTheDictionarysValue) {
  auto values = DataObject({{"NAME", "brook"}, {"CODE", "Acme"}, {"QUOTED", "O'Brien"}, {"NONE", rt::Variant::Null()}});
  auto cn = Open();
  EXPECT_TRUE(Sql_KeyExistsInTable("PARTNER", values, "NAME", cn));
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

// A Double goes into SQL text in a form that reads back as the same Double,
// through every writer of literals: a key of 16 or 17 digits written with
// 15 would name another number than the one stored. Each row: the value, the
// text of Gen_SqlValue, of the paged lists' id and of Tamrick's number, and
// whether the rows the plain and the Unicode writer stored hold it exactly.
TEST(DoubleLiterals, EveryWriterWritesTheTextThatReadsBackAsTheSameDouble) {
  SuiteSandbox sandbox;
  rt::ObjectPtr utilities = rt::CreateObject("Tamrick.Utilities");
  testdb::TestDatabase db("CREATE TABLE LINE (WRITER nvarchar(10) COLLATE NOCASE, Q float)");
  std::string cs = db.ConnectionString();
  std::string table;
  for (double value : {0.3333333333333333, 1.0000000000000002, 0.00001}) {
    Sql_InsertTable("LINE", DataObject({{"WRITER", "plain"}, {"Q", value}}), Sql_GetOpenConnection(cs));
    Sql_InsertTableUnicode("LINE", DataObject({{"WRITER", "unicode"}, {"Q", value}}), Sql_GetOpenConnection(cs));
    std::string stored;
    auto rs = db.Open()->Execute("SELECT WRITER, Q FROM LINE ORDER BY WRITER");
    for (; !rs->Eof(); rs->MoveNext())
      stored += " " + rt::CStr(rs->Value("WRITER")) + (*rs->Value("Q").Get<double>() == value ? "=" : "!=");
    table += rt::FormatDoubleExact(value) + ": " + Gen_SqlValue(rt::Variant(value)) + " " +
             SqlNumber(rt::Variant(value)) + " " + rt::CStr(utilities->Call("ToSqlNumber", {rt::Variant(value)})) +
             stored + "\n";
    db.RawExec("DELETE FROM LINE");
  }
  EXPECT_EQ(table,
            "0.3333333333333333: 0.3333333333333333 0.3333333333333333 0.3333333333333333 plain= unicode=\n"
            "1.0000000000000002: 1.0000000000000002 1.0000000000000002 1.0000000000000002 plain= unicode=\n"
            "1E-05: 1E-05 0.00001 0.00001 plain= unicode=\n");
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
  EXPECT_EQ(Rows(), std::string(kSampleRows) + ";3|Kept|NULL|NULL|NULL|NULL");
}

// Each writer under the fault sweep, in a transaction as the business rules
// call them: a failed statement or commit raises and leaves the table as it was.
TEST_F(TableWriters, EveryWriterRaisesAndLeavesTheTableAsItWasUnderAFault) {
  data::testing::FaultEngine engine;
  const auto target = data::testing::DatabaseTarget(db_.path());
  auto root = std::make_shared<testdb::ContextOwner>(true);
  const std::vector<std::pair<const char*, std::function<void()>>> writers = {
      {"Sql_InsertTable", [&] { Sql_InsertTable("PARTNER", DataObject({{"NAME", "New"}}), Open()); }},
      {"Sql_InsertTableUnicode", [&] { Sql_InsertTableUnicode("PARTNER", DataObject({{"NAME", "New"}}), Open()); }},
      {"Sql_UpdateTable",
       [&] { Sql_UpdateTable("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"PARTNERID", 1}}), Open()); }},
      {"Sql_UpdateTableUnicode",
       [&] { Sql_UpdateTableUnicode("PARTNER", DataObject({{"NOTE", "n"}}), DataObject({{"NAME", "Acme"}}), Open()); }},
      {"Sql_DeleteTableUnicode", [&] { Sql_DeleteTableUnicode("PARTNER", DataObject({{"NAME", "Brook"}}), Open()); }},
  };
  Golden reports;
  for (const auto& [name, write] : writers) {
    const auto report = data::testing::SweepFaults(engine, target, [&] {
      {
        rt::ContextScope scope(*root);
        write();
      }
      return data::testing::Outcome::Succeeded;
    });
    reports.Add(name, Golden()
                          .Add("statements", report.statements)
                          .Add("commits", report.commits)
                          .Add("problems", report.Problems()));
  }
  EXPECT_EQ(reports.Lines(),
            "Sql_InsertTable: statements=1 commits=1 problems=\n"
            "Sql_InsertTableUnicode: statements=1 commits=1 problems=\n"
            "Sql_UpdateTable: statements=1 commits=1 problems=\n"
            "Sql_UpdateTableUnicode: statements=1 commits=1 problems=\n"
            "Sql_DeleteTableUnicode: statements=1 commits=1 problems=\n");
  EXPECT_EQ(Rows(), kSampleRows);
}

}  // namespace
