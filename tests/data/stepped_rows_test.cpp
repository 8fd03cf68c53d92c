// A forward-only, read-only recordset reads its rows as it is moved: the
// first row costs one step however many follow, yet counting, moving back,
// cloning and detaching answer every row, the rows stay those of the moment
// it was opened, and its session is idle again once it is done.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
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
  const std::vector<std::pair<std::string, std::function<std::shared_ptr<data::Recordset>()>>> openings = {
      {"Recordset.Open forward-only", [&] { return OpenForwardOnly(cn, sql); }},
      {"Connection.Execute", [&] { return cn->Execute(sql); }},
      {"Command.Execute",
       [&] {
         auto cmd = data::Command::New();
         cmd->SetActiveConnection(cn);
         cmd->SetCommandText(sql);
         return cmd->Execute();
       }},
      {"Recordset.Open keyset (every row at Open)",
       [&] {
         auto rs = data::Recordset::New();
         rs->Open(sql, cn, data::kCursorKeyset, data::kLockReadOnly);
         return rs;
       }},
  };
  for (const auto& [label, open] : openings) {
    engine.Disarm();
    auto rs = open();
    std::string seen = label + ": " + Show(rs->Value("CODE")) + " after " + std::to_string(engine.Steps());
    rs->MoveNext();
    seen += ", " + Show(rs->Value("CODE")) + " after " + std::to_string(engine.Steps());
    rs->Close();
    seen += ", closed after " + std::to_string(engine.Steps());
    const bool everyRow = label.find("keyset") != std::string::npos;
    EXPECT_EQ(seen, label + ": String:C1 after " + (everyRow ? "1001" : "1") + ", String:C2 after " +
                        (everyRow ? "1001" : "2") + ", closed after " + (everyRow ? "1001" : "2"));
  }
}

TEST(SteppedRows, CountingMovingBackCloningAndDetachingAnswerEveryRow) {
  testdb::TestDatabase db(kItems);
  const std::vector<std::pair<std::string, std::function<std::string(data::Recordset&)>>> cases = {
      {"RecordCount", [](data::Recordset& rs) { return std::to_string(rs.RecordCount()); }},
      {"MoveFirst", [](data::Recordset& rs) { rs.MoveFirst(); return Render(rs); }},
      {"MovePrevious", [](data::Recordset& rs) { rs.MovePrevious(); return Render(rs); }},
      {"Move -1", [](data::Recordset& rs) { rs.Move(-1); return Render(rs); }},
      {"MoveLast", [](data::Recordset& rs) { rs.MoveLast(); return Render(rs); }},
      {"Move 2", [](data::Recordset& rs) { rs.Move(2); return Render(rs) + std::to_string(rs.RecordCount()); }},
      {"Clone", [](data::Recordset& rs) { return Render(*rs.Clone()); }},
      {"GetRows", [](data::Recordset& rs) { return std::to_string(rs.GetRows().AsArray().bounds[1].count); }},
      {"GetRows 1", [](data::Recordset& rs) { rs.GetRows(1); return Render(rs); }},
      {"detached, then its connection closed",
       [](data::Recordset& rs) {
         auto cn = rs.ActiveConnection();
         rs.SetActiveConnection(nullptr);
         cn->Close();
         return Render(rs);
       }},
      {"its connection closed", [](data::Recordset& rs) { rs.ActiveConnection()->Close(); return Render(rs); }},
  };
  const std::map<std::string, std::string> expected = {
      {"RecordCount", "3"},
      {"MoveFirst", "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n"},
      {"MovePrevious", "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n"},
      {"Move -1", "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n"},
      {"MoveLast", "CODE=String:C3\n"},
      {"Move 2", "3"},
      {"Clone", "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n"},
      {"GetRows", "2"},
      {"GetRows 1", "CODE=String:C3\n"},
      {"detached, then its connection closed", "CODE=String:C2\nCODE=String:C3\n"},
      {"its connection closed", "CODE=String:C2\nCODE=String:C3\n"},
  };
  for (const auto& [label, act] : cases) {
    auto rs = OpenForwardOnly(db.Open(), kFirstThree);
    rs->MoveNext();  // on the second row, the third not read yet
    EXPECT_EQ(label + ": " + act(*rs), label + ": " + expected.at(label));
  }
}

// Before any other statement runs on the session, and before the session
// begins a transaction, the rest is read: a transaction begun on the
// snapshot of a read still open would fail once another connection wrote.
TEST(SteppedRows, TheRowsAreThoseOfTheOpeningMoment) {
  testdb::TestDatabase db(kItems);
  using Connection = std::shared_ptr<data::Connection>;
  // Each case prepares on the connection before the recordset is opened,
  // and answers what it then does with the recordset partly read.
  const std::vector<std::pair<std::string, std::function<std::function<void()>(const Connection&)>>> cases = {
      {"a delete through the same connection",
       [](const Connection& cn) { return [=] { cn->Execute("DELETE FROM ITEM WHERE ITEMID = 3"); }; }},
      {"an update through the same connection",
       [](const Connection& cn) {
         return [=] { cn->Execute("UPDATE ITEM SET CODE = 'changed' WHERE ITEMID = 3"); };
       }},
      {"a delete by another connection, then BeginTrans",
       [&](const Connection& cn) {
         return [&db, cn] {
           db.Open()->Execute("DELETE FROM ITEM WHERE ITEMID = 3");
           cn->BeginTrans();
           cn->Execute("DELETE FROM ITEM WHERE ITEMID = 2");
           cn->CommitTrans();
         };
       }},
      {"a delete by another connection, then AddNew",
       [&](const Connection& cn) {
         auto writer = data::Recordset::New();
         writer->Open("SELECT ITEMID, CODE FROM ITEM WHERE 0 = 1", cn, data::kCursorKeyset, data::kLockOptimistic);
         return [&db, writer] {
           db.Open()->Execute("DELETE FROM ITEM WHERE ITEMID = 3");
           writer->AddNew();
           writer->SetValue("CODE", rt::Variant("added"));
           writer->Update();
         };
       }},
  };
  auto reset = [&] {
    db.RawExec("DELETE FROM ITEM WHERE ITEMID <= 3 OR ITEMID > 1000;"
               "INSERT INTO ITEM VALUES (1, 'C1'), (2, 'C2'), (3, 'C3');");
  };
  for (const auto& [label, prepare] : cases) {
    reset();
    auto cn = db.Open();
    auto act = prepare(cn);
    auto rs = OpenForwardOnly(cn, "SELECT ITEMID, CODE FROM ITEM WHERE ITEMID <= 3 ORDER BY ITEMID");
    const std::string failure = ErrorOf(act);
    EXPECT_EQ(label + ": " + failure + "\n" + Render(*rs),
              label + ": no error\nITEMID=Long:1 CODE=String:C1\nITEMID=Long:2 CODE=String:C2\n"
                      "ITEMID=Long:3 CODE=String:C3\n");
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
  EXPECT_EQ(Render(*rs), "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n");
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM ITEM WHERE ITEMID = 2"), "0");
}

// The session keeps its temporary table in the pool: finding it again shows
// that the session was pooled, so no statement was left running on it.
TEST(SteppedRows, TheSessionIsPooledOnceTheRecordsetIsDone) {
  testdb::TestDatabase db(kItems);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  using Recordset = std::shared_ptr<data::Recordset>;
  const std::string all = "CODE=String:C1\nCODE=String:C2\nCODE=String:C3\n";
  struct Case {
    std::string label;
    std::function<Recordset()> end;  // answers the recordset when it outlives its connection
    std::string rows;
  };
  const std::vector<Case> cases = {
      {"the recordset closed, then its connection",
       [&] {
         auto cn = db.Open();
         OpenForwardOnly(cn, kFirstThree)->Close();
         cn->Close();
         return Recordset();
       },
       ""},
      {"its connection closed first",
       [&] {
         auto cn = db.Open();
         auto rs = OpenForwardOnly(cn, kFirstThree);
         cn->Close();
         return rs;
       },
       all},
      {"let go with the recordset holding the connection's last reference",
       [&] {
         auto cn = db.Open();
         auto rs = OpenForwardOnly(cn, kFirstThree);
         cn.reset();
         rs.reset();
         return Recordset();
       },
       ""},
      {"the transaction rolled back before its connection closed",
       [&] {
         Recordset rs;
         std::shared_ptr<data::Connection> cn;
         {
           rt::ContextScope scope(*root);
           cn = db.Open();
           cn->Execute("UPDATE ITEM SET CODE = 'changed' WHERE ITEMID = 3");
           rs = OpenForwardOnly(cn, kFirstThree);
           rt::GetObjectContext()->SetAbort();
         }
         cn->Close();
         return rs;
       },
       "CODE=String:C1\nCODE=String:C2\nCODE=String:changed\n"},
  };
  for (const Case& c : cases) {
    db.Open()->Execute("CREATE TEMP TABLE IF NOT EXISTS MARK (X int)");
    Recordset rs = c.end();
    const std::string rows = rs ? Render(*rs) : "";
    const std::string pooled = ErrorOf([&] { Query(db.Open(), "SELECT COUNT(*) AS N FROM temp.MARK"); });
    EXPECT_EQ(c.label + ": " + rows + "pooled: " + pooled, c.label + ": " + c.rows + "pooled: no error");
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

  // Read before another statement, which runs; the recordset raises later.
  auto ahead = OpenForwardOnly(cn, kFirstThree);
  engine.Arm({data::testing::FaultPoint::Step, 1, SQLITE_BUSY});
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM ITEM"), "N=Long:1000\n");
  EXPECT_EQ(ErrorOf([&] { ahead->MoveNext(); }), "80040E14 database is locked");
}

}  // namespace
