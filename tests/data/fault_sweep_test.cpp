// The fault sweep itself (it finds a writer that leaves half its work or
// reports success after a failure; it lets an import keep the rows saved
// before the failure) and the data layer's own writer, UpdateBatch, under it.
#include <gtest/gtest.h>

#include "data/testing/fault_sweep.h"
#include "test_database.h"

namespace {

using data::testing::Outcome;
using data::testing::SweepFaults;
using data::testing::SweepOptions;

const char* kItems =
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY AUTOINCREMENT, CODE nvarchar(10) COLLATE NOCASE NOT NULL);"
    "INSERT INTO ITEM (CODE) VALUES ('A'), ('B');";
// Items whose new rows get a value that only the database knows (the time
// of the insert), so that an added row is read back.
const char* kStampedItems =
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY AUTOINCREMENT, CODE nvarchar(10) COLLATE NOCASE NOT NULL,"
    " MADE datetime DEFAULT CURRENT_TIMESTAMP);"
    "INSERT INTO ITEM (CODE) VALUES ('A'), ('B');";

// Three rows, each committed by itself.
void InsertThree(const testdb::TestDatabase& db) {
  auto cn = db.Open();
  for (const char* code : {"X", "Y", "Z"}) cn->Execute(std::string("INSERT INTO ITEM (CODE) VALUES ('") + code + "')");
}

TEST(FaultSweep, FindsAWriterThatLeavesHalfItsWorkOrAnswersSuccessAfterAFailure) {
  testdb::TestDatabase db(kItems);
  data::testing::FaultEngine engine;
  const auto target = data::testing::DatabaseTarget(db.path());
  const SweepOptions ioOnly{{SQLITE_IOERR}};

  auto halfDone = SweepFaults(engine, target, [&] {
    InsertThree(db);
    return Outcome::Succeeded;
  }, ioOnly);
  EXPECT_EQ(halfDone.statements, 3);
  ASSERT_EQ(halfDone.problems.size(), 2u) << halfDone.Problems();
  EXPECT_TRUE(halfDone.problems[0].starts_with("SQLITE_IOERR at statement 2: the state changed: ITEM rows=3"))
      << halfDone.problems[0];

  auto silent = SweepFaults(engine, target, [&] {
    try {
      db.Open()->Execute("UPDATE ITEM SET CODE = 'Q'");
    } catch (...) {
    }
    return Outcome::Succeeded;
  }, ioOnly);
  EXPECT_EQ(silent.Problems(), "SQLITE_IOERR at statement 1: the call answered success\n");

  // Saved row by row, the rows before the failure stay: the import's rule.
  SweepOptions rowByRow;
  rowByRow.rowByRow = true;
  auto import = SweepFaults(engine, target, [&] {
    InsertThree(db);
    return Outcome::Succeeded;
  }, rowByRow);
  EXPECT_EQ(import.runs, 4 * 4);
  EXPECT_EQ(import.Problems(), "");
  EXPECT_EQ(db.RawQuery("SELECT group_concat(CODE) FROM ITEM"), "A,B");
}

TEST(FaultSweep, UpdateBatchWritesAllOrNothing) {
  testdb::TestDatabase db(kItems);
  data::testing::FaultEngine engine;
  auto report = SweepFaults(engine, data::testing::DatabaseTarget(db.path()), [&] {
    auto cn = db.Open();
    auto rs = data::Recordset::New();
    rs->Open("SELECT ITEMID, CODE FROM ITEM ORDER BY ITEMID", cn, data::kCursorKeyset, data::kLockBatchOptimistic);
    rs->SetValue("CODE", rt::Variant("A2"));
    rs->MoveNext();
    rs->Delete();
    rs->AddNew();
    rs->SetValue("CODE", rt::Variant("C"));
    rs->Update();
    rs->UpdateBatch();
    return Outcome::Succeeded;
  });
  // The query, the update, the delete and the insert (the new row is known
  // without reading it back); one commit.
  EXPECT_EQ(report.statements, 4);
  EXPECT_EQ(report.commits, 1);
  EXPECT_EQ(report.Problems(), "");

  // Inside a transaction the batch is undone with the rest of the call,
  // which votes as a method's handler does.
  auto root = std::make_shared<testdb::ContextOwner>(true);
  auto inTransaction = SweepFaults(engine, data::testing::DatabaseTarget(db.path()), [&] {
    {
      rt::ContextScope scope(*root);
      try {
        auto cn = db.Open();
        cn->Execute("INSERT INTO ITEM (CODE) VALUES ('before')");
        auto rs = data::Recordset::New();
        rs->Open("SELECT ITEMID, CODE FROM ITEM", cn, data::kCursorKeyset, data::kLockBatchOptimistic);
        rs->AddNew();
        rs->SetValue("CODE", rt::Variant("D"));
        rs->Update();
        rs->UpdateBatch();
        rt::GetObjectContext()->SetComplete();
      } catch (...) {
        rt::GetObjectContext()->SetAbort();
        throw;
      }
    }
    return Outcome::Succeeded;
  });
  EXPECT_EQ(inTransaction.commits, 1);
  EXPECT_EQ(inTransaction.Problems(), "");
}

// Inside a transaction an added row and its read-back are one unit: a
// caller that goes on after the failed read-back and commits keeps no row.
TEST(FaultSweep, AnAddedRowWhoseReadBackFailsIsTakenOutAgain) {
  testdb::TestDatabase db(kStampedItems);
  data::testing::FaultEngine engine;
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    auto cn = db.Open();
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM ITEM WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("CODE", rt::Variant("C"));
    engine.Arm({data::testing::FaultPoint::Statement, 2, SQLITE_BUSY});
    EXPECT_THROW(rs->Update(), rt::ComError);
    EXPECT_TRUE(engine.Fired());
    engine.Disarm();
    rt::GetObjectContext()->SetComplete();
  }
  EXPECT_EQ(db.RawQuery("SELECT group_concat(CODE) FROM ITEM"), "A,B");
}

// Every fault while a row is added inside a transaction, to a table whose
// new rows are known without a read and to one whose rows are read back: a
// caller that goes on after a failed Update and commits keeps no row, and a
// row that stands holds its identity.
TEST(FaultSweep, AnAddedRowIsStoredAndReadBackOrNeither) {
  for (const char* schema : {kItems, kStampedItems})
  for (const int code : {SQLITE_IOERR, SQLITE_BUSY, SQLITE_CONSTRAINT, SQLITE_FULL}) {
    for (const auto point : {data::testing::FaultPoint::Statement, data::testing::FaultPoint::Step}) {
      for (int index = 1; index <= 3; ++index) {
        SCOPED_TRACE(std::string(schema == kItems ? "known row, " : "row read back, ") +
                     data::testing::CodeName(code) +
                     (point == data::testing::FaultPoint::Step ? " at step " : " at statement ") +
                     std::to_string(index));
        testdb::TestDatabase db(schema);
        data::testing::FaultEngine engine;
        auto root = std::make_shared<testdb::ContextOwner>(true);
        std::string answered;
        try {
          rt::ContextScope scope(*root);
          auto cn = db.Open();
          auto rs = data::Recordset::New();
          rs->Open("SELECT * FROM ITEM WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
          rs->AddNew();
          rs->SetValue("CODE", rt::Variant("C"));
          engine.Arm({point, index, code});
          try {
            rs->Update();
            answered = testdb::Show(rs->Value("ITEMID"));
          } catch (const rt::ComError&) {
            answered = "failed";
          }
          engine.Disarm();
          rt::GetObjectContext()->SetComplete();
        } catch (const std::exception&) {
          // The engine gave the whole transaction up (a failed disk, say):
          // the commit at the end of the call fails, and nothing is kept.
          answered = "failed";
        }
        const std::string stored = db.RawQuery("SELECT group_concat(CODE) FROM ITEM");
        if (answered == "failed") {
          EXPECT_EQ(stored, "A,B");
        } else {
          EXPECT_EQ(stored, "A,B,C");
          EXPECT_EQ(answered, "Long:" + db.RawQuery("SELECT MAX(ITEMID) FROM ITEM"));
        }
      }
    }
  }
}

}  // namespace
