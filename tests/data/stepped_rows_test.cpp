// A forward-only, read-only recordset reads its rows as it is moved: the
// first row costs one step however many follow, yet counting, moving back,
// cloning and detaching answer every row, the rows stay those of the moment
// it was opened, and its session is idle again once it is done.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "data/command.h"
#include "data/testing/fault_engine.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;
using testdb::Render;
using testdb::Show;

const char* kItems =
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY, CODE nvarchar(10));"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"
    " INSERT INTO ITEM SELECT i, 'C' || i FROM n;";
const char* kFirstThree = "SELECT CODE FROM ITEM WHERE ITEMID <= 3 ORDER BY ITEMID";
const std::string kAll = "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n";

std::shared_ptr<data::Recordset> OpenForwardOnly(const std::shared_ptr<data::Connection>& cn, const char* sql) {
  auto rs = data::Recordset::New();
  rs->Open(sql, cn, data::kCursorForwardOnly, data::kLockReadOnly);
  return rs;
}

TEST(SteppedRows, TheFirstRowIsReadWithoutTheRest) {
  testdb::TestDatabase db(kItems);
  data::testing::FaultEngine engine;  // counts the steps
  auto cn = db.Open();
  const char* sql = "SELECT CODE FROM ITEM ORDER BY ITEMID";
  auto command = [&] {
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(cn);
    cmd->SetCommandText(sql);
    return cmd->Execute();
  };
  auto keyset = [&] {
    auto rs = data::Recordset::New();
    rs->Open(sql, cn, data::kCursorKeyset, data::kLockReadOnly);
    return rs;
  };
  // The steps after the first row, after MoveNext and after Close.
  const std::vector<std::tuple<std::string, std::function<std::shared_ptr<data::Recordset>()>, std::string>> cases = {
      {"Recordset.Open forward-only", [&] { return OpenForwardOnly(cn, sql); }, "C1 1, C2 2, 2"},
      {"Connection.Execute", [&] { return cn->Execute(sql); }, "C1 1, C2 2, 2"},
      {"Command.Execute", command, "C1 1, C2 2, 2"},
      {"Recordset.Open keyset reads at Open", keyset, "C1 1001, C2 1001, 1001"},
  };
  for (const auto& [label, open, expected] : cases) {
    engine.Disarm();
    auto rs = open();
    std::string seen = rt::CStr(rs->Value("CODE")) + " " + std::to_string(engine.Steps());
    rs->MoveNext();
    seen += ", " + rt::CStr(rs->Value("CODE")) + " " + std::to_string(engine.Steps());
    rs->Close();
    EXPECT_EQ(label + ": " + seen + ", " + std::to_string(engine.Steps()), label + ": " + expected);
  }

  // Moving on, rows are read ahead in groups that grow to 64 at most.
  engine.Disarm();
  auto rs = OpenForwardOnly(cn, sql);
  std::string steps;
  for (int row = 1; row <= 200; ++row, rs->MoveNext()) {
    if (row == 3 || row == 10 || row == 100 || row == 200) steps += std::to_string(engine.Steps()) + " ";
  }
  EXPECT_EQ("steps on rows 3, 10, 100, 200: " + steps, "steps on rows 3, 10, 100, 200: 4 16 128 256 ");
}

TEST(SteppedRows, CountingMovingBackCloningAndDetachingAnswerEveryRow) {
  testdb::TestDatabase db(kItems);
  using Rs = data::Recordset;
  const std::string& all = kAll;
  const std::string rest = "CODE=String:C2\nCODE=String:C3\n";
  const std::vector<std::tuple<std::string, std::function<std::string(Rs&)>, std::string>> cases = {
      {"RecordCount", [](Rs& rs) { return std::to_string(rs.RecordCount()); }, "3"},
      {"MoveFirst", [](Rs& rs) { return rs.MoveFirst(), Render(rs); }, all},
      {"MovePrevious", [](Rs& rs) { return rs.MovePrevious(), Render(rs); }, all},
      {"Move -1", [](Rs& rs) { return rs.Move(-1), Render(rs); }, all},
      {"MoveLast", [](Rs& rs) { return rs.MoveLast(), Render(rs); }, "CODE=String:C3\n"},
      {"Move 2", [](Rs& rs) { return rs.Move(2), Render(rs) + std::to_string(rs.RecordCount()); }, "3"},
      {"Clone", [](Rs& rs) { return Render(*rs.Clone()); }, all},
      {"GetRows", [](Rs& rs) { return std::to_string(rs.GetRows().AsArray().bounds[1].count); }, "2"},
      {"GetRows 1", [](Rs& rs) { return rs.GetRows(1), Render(rs); }, "CODE=String:C3\n"},
      {"detached, then its connection closed",
       [](Rs& rs) {
         auto cn = rs.ActiveConnection();
         rs.SetActiveConnection(nullptr);
         return cn->Close(), Render(rs);
       },
       rest},
      {"its connection closed", [](Rs& rs) { return rs.ActiveConnection()->Close(), Render(rs); }, rest},
  };
  for (const auto& [label, act, expected] : cases) {
    auto rs = OpenForwardOnly(db.Open(), kFirstThree);
    rs->MoveNext();  // on the second row, the third not read yet
    EXPECT_EQ(label + ": " + act(*rs), label + ": " + expected);
  }
}

// Before any other statement runs on the session, and before the session
// begins a transaction, the rest is read: a transaction begun on the
// snapshot of a read still open would fail once another connection wrote.
TEST(SteppedRows, TheRowsAreThoseOfTheOpeningMoment) {
  testdb::TestDatabase db(kItems);
  using Cn = std::shared_ptr<data::Connection>;
  auto elsewhere = [&] { db.Open()->Execute("DELETE FROM ITEM WHERE ITEMID = 3"); };
  // Each case may prepare on the connection before the recordset is opened,
  // and answers what it does with the recordset partly read.
  const std::vector<std::pair<std::string, std::function<std::function<void()>(const Cn&)>>> cases = {
      {"a delete through the same connection",
       [](const Cn& cn) { return [=] { cn->Execute("DELETE FROM ITEM WHERE ITEMID = 3"); }; }},
      {"an update through the same connection",
       [](const Cn& cn) { return [=] { cn->Execute("UPDATE ITEM SET CODE = 'x' WHERE ITEMID = 3"); }; }},
      {"a delete elsewhere, then BeginTrans",
       [&](const Cn& cn) { return [=] { elsewhere(), cn->BeginTrans(), cn->CommitTrans(); }; }},
      {"a delete elsewhere, then AddNew",
       [&](const Cn& cn) {
         auto writer = data::Recordset::New();
         writer->Open("SELECT ITEMID FROM ITEM WHERE 0 = 1", cn, data::kCursorKeyset, data::kLockOptimistic);
         return [=] { elsewhere(), writer->AddNew(), writer->Update(); };
       }},
  };
  auto reset = [&] { db.RawExec("DELETE FROM ITEM WHERE ITEMID <= 3 OR ITEMID > 1000;"
                                "INSERT INTO ITEM VALUES (1, 'C1'), (2, 'C2'), (3, 'C3');"); };
  for (const auto& [label, prepare] : cases) {
    reset();
    auto cn = db.Open();
    auto act = prepare(cn);
    auto rs = OpenForwardOnly(cn, kFirstThree);
    const std::string failure = ErrorOf(act);
    EXPECT_EQ(label + ": " + failure + "\n" + Render(*rs), label + ": no error\n" + kAll);
  }

  // Inside a transaction another connection of it shares the session.
  reset();
  auto root = std::make_shared<testdb::ContextOwner>(true);
  std::shared_ptr<data::Recordset> rs;
  {
    rt::ContextScope scope(*root);
    rs = OpenForwardOnly(db.Open(), kFirstThree);
    db.Open()->Execute("DELETE FROM ITEM WHERE ITEMID = 2");
  }
  EXPECT_EQ(Render(*rs), kAll);
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM ITEM WHERE ITEMID = 2"), "0");
}

// The session keeps its temporary table in the pool: finding it again shows
// that the session was pooled, so no statement was left running on it.
TEST(SteppedRows, TheSessionIsPooledOnceTheRecordsetIsDone) {
  testdb::TestDatabase db(kItems);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  using Rs = std::shared_ptr<data::Recordset>;
  // Each case answers the recordset when it outlives its connection.
  const std::vector<std::tuple<std::string, std::function<Rs()>, std::string>> cases = {
      {"the recordset closed, then its connection",
       [&] {
         auto cn = db.Open();
         OpenForwardOnly(cn, kFirstThree)->Close();
         return cn->Close(), Rs();
       },
       ""},
      {"its connection closed first",
       [&] {
         auto cn = db.Open();
         auto rs = OpenForwardOnly(cn, kFirstThree);
         return cn->Close(), rs;
       },
       kAll},
      {"let go with the recordset holding the connection's last reference",
       [&] {
         auto cn = db.Open();
         auto rs = OpenForwardOnly(cn, kFirstThree);
         cn.reset();
         return rs.reset(), Rs();
       },
       ""},
      {"the transaction rolled back before its connection closed",
       [&] {
         Rs rs;
         std::shared_ptr<data::Connection> cn;
         {
           rt::ContextScope scope(*root);
           cn = db.Open();
           cn->Execute("UPDATE ITEM SET CODE = 'x' WHERE ITEMID = 3");
           rs = OpenForwardOnly(cn, kFirstThree);
           rt::GetObjectContext()->SetAbort();
         }
         return cn->Close(), rs;
       },
       "CODE=String:C1\nCODE=String:C2\nCODE=String:x\n"},
  };
  for (const auto& [label, end, rows] : cases) {
    db.Open()->Execute("CREATE TEMP TABLE IF NOT EXISTS MARK (X int)");
    Rs rs = end();
    const std::string read = rs ? Render(*rs) : "";
    const std::string pooled = ErrorOf([&] { Query(db.Open(), "SELECT COUNT(*) AS N FROM temp.MARK"); });
    EXPECT_EQ(label + ": " + read + "pooled: " + pooled, label + ": " + rows + "pooled: no error");
  }
  EXPECT_EQ(db.RawQuery("SELECT CODE FROM ITEM WHERE ITEMID = 3"), "C3");
}

TEST(SteppedRows, AFailedStepRaisesAtTheMoveThatNeedsTheRow) {
  testdb::TestDatabase db(kItems);
  data::testing::FaultEngine engine;
  auto cn = db.Open();
  auto rs = OpenForwardOnly(cn, kFirstThree);
  engine.Arm({data::testing::FaultPoint::Step, 1, SQLITE_IOERR});
  EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), "80040E14 disk I/O error");
  EXPECT_EQ(cn->Errors()->Item(0)->Description(), "disk I/O error");
  EXPECT_EQ(Show(rs->Value("CODE")), "String:C1");  // still on the row read
  EXPECT_EQ(ErrorOf([&] { rs->RecordCount(); }), "80040E14 disk I/O error");
  // The statement went back: the session runs the next one.
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM ITEM"), "N=Long:1000\n");

  // A row that fails while read ahead fails the move that needs it.
  auto grouped = OpenForwardOnly(cn, "SELECT CODE FROM ITEM ORDER BY ITEMID");
  grouped->MoveNext();
  engine.Arm({data::testing::FaultPoint::Step, 2, SQLITE_IOERR});
  grouped->MoveNext();  // reads the third row and fails on the fourth
  EXPECT_EQ(Show(grouped->Value("CODE")), "String:C3");
  EXPECT_EQ(ErrorOf([&] { grouped->MoveNext(); }), "80040E14 disk I/O error");
  grouped->Close();

  // Read before another statement, which runs; the recordset raises later.
  auto ahead = OpenForwardOnly(cn, kFirstThree);
  engine.Arm({data::testing::FaultPoint::Step, 1, SQLITE_BUSY});
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM ITEM"), "N=Long:1000\n");
  EXPECT_EQ(ErrorOf([&] { ahead->MoveNext(); }), "80040E14 database is locked");
}

}  // namespace
