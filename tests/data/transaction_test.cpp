// Connections inside the object context's transaction: one session per
// database, commit or rollback when the root call ends, statement-level
// failure, and writes from outside while the transaction holds the lock;
// a connection's own transaction outside the context's.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kTable =
    "CREATE TABLE OFFICE (OFFICEID INTEGER PRIMARY KEY AUTOINCREMENT, DESCRIPTION nvarchar(50) COLLATE NOCASE UNIQUE);";

TEST(Transactions, AWriteIsSeenByASecondConnectionOfTheTransactionAndEndsWithItsVote) {
  testdb::TestDatabase db(kTable);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    auto writer = db.Open();
    writer->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Head office')");
    writer->Close();
    auto reader = db.Open();
    EXPECT_EQ(Query(reader, "SELECT DESCRIPTION FROM OFFICE"), "DESCRIPTION=String:Head office\n");
    reader->Close();
    // Not committed: the stock tool on its own connection does not see it.
    EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "0");
    rt::GetObjectContext()->SetAbort();
  }
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "0");
  {
    rt::ContextScope scope(*root);
    db.Open()->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Branch')");
    rt::GetObjectContext()->SetComplete();
  }
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "Branch");
}

TEST(Transactions, TwoSpellingsOfOneDatabaseShareTheTransactionsSession) {
  testdb::TestDatabase db(kTable);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    db.Open()->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('One')");
    auto other = data::Connection::New();
    other->Open("Data Source = " + db.dir() + "/./test.db");
    other->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Two')");
    EXPECT_EQ(Query(other, "SELECT COUNT(*) AS N FROM OFFICE"), "N=Long:2\n");
  }
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "2");
}

TEST(Transactions, AFailedStatementUndoesOnlyItselfAndTheTransactionGoesOn) {
  testdb::TestDatabase db(kTable);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    auto cn = db.Open();
    cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('One')");
    EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Two'), ('ONE')"); }),
              "80040E2F UNIQUE constraint failed: OFFICE.DESCRIPTION");
    cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Three')");
  }
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE ORDER BY OFFICEID"), "One;Three");
}

TEST(Transactions, AWriteFromOutsideWhileThisThreadsTransactionHoldsTheLockFailsAtOnce) {
  testdb::TestDatabase db(kTable);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  auto outsider = std::make_shared<testdb::ContextOwner>(false);
  {
    rt::ContextScope scope(*root);
    db.Open()->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Inside')");
    rt::ContextScope outside(*outsider);
    auto cn = db.Open();
    EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N FROM OFFICE"), "N=Long:0\n");  // reads see the committed state
    EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Outside')"); }),
              "80040E14 The database is locked by a transaction running on this thread; a write from outside "
              "that transaction would wait for it forever, so it fails: INSERT INTO OFFICE (DESCRIPTION) VALUES "
              "('Outside')");
  }
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "Inside");
}

TEST(Transactions, ThreadsWritingOneFileEachWaitTheirTurnInsteadOfFailing) {
  testdb::TestDatabase db(kTable);
  std::vector<std::thread> threads;
  std::vector<std::string> failures(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      try {
        for (int i = 0; i < 50; ++i) {
          auto cn = db.Open();
          cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('T" + std::to_string(t) + "-" + std::to_string(i) + "')");
          cn->Execute("SELECT COUNT(*) FROM OFFICE");
        }
      } catch (const rt::ComError& e) {
        failures[t] = e.description();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, std::vector<std::string>(4));
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "200");
}

// Outside any transaction each statement commits (or fails) by itself.
TEST(Transactions, AConnectionsOwnTransactionCommitsOrRollsBackAsOneUnitAndOutsideOneEachStatementDoes) {
  testdb::TestDatabase db(kTable);
  auto cn = db.Open();
  cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('Z')");
  EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('B'), ('z')"); }).substr(0, 8),
            "80040E2F");
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "Z");
  cn->Execute("DELETE FROM OFFICE");

  EXPECT_EQ(cn->BeginTrans(), 1);
  cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('A')");
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "0");
  cn->CommitTrans();
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "A");

  cn->BeginTrans();
  cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('B')");
  // A failed statement undoes itself; the rollback undoes the rest.
  EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('a')"); }).substr(0, 8), "80040E2F");
  cn->RollbackTrans();
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "A");

  // Closing with the transaction still open rolls it back.
  cn->BeginTrans();
  cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('C')");
  cn->Close();
  EXPECT_EQ(db.RawQuery("SELECT DESCRIPTION FROM OFFICE"), "A");
}

TEST(Transactions, AConnectionsOwnTransactionIsRefusedInsideTheContextsAndWithoutNesting) {
  testdb::TestDatabase db(kTable);
  auto cn = db.Open();
  EXPECT_EQ(ErrorOf([&] { cn->CommitTrans(); }), "8004D00E No transaction is active.");
  EXPECT_EQ(ErrorOf([&] { cn->RollbackTrans(); }), "8004D00E No transaction is active.");
  cn->BeginTrans();
  EXPECT_EQ(ErrorOf([&] { cn->BeginTrans(); }), "800A0C93 A transaction is already open on this connection.");
  cn->RollbackTrans();

  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    auto enlisted = db.Open();
    EXPECT_EQ(ErrorOf([&] { enlisted->BeginTrans(); }),
              "800A0C93 The connection takes part in the object context's transaction; it cannot begin one of its "
              "own.");
    EXPECT_EQ(enlisted->Errors()->Count(), 1);
  }
}

// A connection's own transaction holds the write lock as the context's
// does: a write of the same thread from elsewhere fails at once instead of
// waiting out the busy timeout, either way round.
TEST(Transactions, AConnectionsOwnTransactionAndAnotherOfTheThreadRefuseEachOtherAtOnce) {
  testdb::TestDatabase db(kTable);
  const std::string locked = "80040E14 The database is locked by a transaction running on this thread";
  auto own = db.Open();
  auto other = db.Open();
  own->BeginTrans();
  EXPECT_EQ(ErrorOf([&] { other->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('A')"); }).substr(0, locked.size()),
            locked);
  own->CommitTrans();
  other->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('A')");

  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    db.Open()->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('B')");
    EXPECT_EQ(ErrorOf([&] { own->BeginTrans(); }).substr(0, locked.size()), locked);
  }
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM OFFICE"), "2");
}

}  // namespace

namespace {

// The guard of a connection's own transaction: committed work stays, work
// left by a failure goes, and the lock is given back either way (a second
// guard on another connection can begin at once).
TEST(OwnTransaction, RollsBackUnlessCommitted) {
  testdb::TestDatabase db(kTable);
  auto cn = db.Open();
  {
    data::OwnTransaction committed(cn);
    cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('kept')");
    committed.Commit();
  }
  try {
    data::OwnTransaction failed(cn);
    cn->Execute("INSERT INTO OFFICE (DESCRIPTION) VALUES ('dropped')");
    throw std::runtime_error("a failure before the commit");
  } catch (const std::runtime_error&) {
  }
  {
    data::OwnTransaction empty;  // a transaction not needed this time
    empty.Commit();
    EXPECT_FALSE(empty.IsOpen());
  }
  auto other = db.Open();
  data::OwnTransaction next(other);
  EXPECT_TRUE(next.IsOpen());
  next.Commit();
  EXPECT_EQ(db.RawQuery("SELECT group_concat(DESCRIPTION) FROM OFFICE"), "kept");
}

}  // namespace
