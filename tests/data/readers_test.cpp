// Calls that only read (rt::Access::Reads) read the last committed state
// without the write lock, so they neither wait for a writer nor make one
// wait; a reader that joins a writer's transaction sees its writes; and a
// writer waiting behind a long series of grouped commits gets its turn
// between two of them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "data/engine_hooks.h"
#include "runtime/dispatch.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;

const char* kTable = "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY, NAME nvarchar(50) COLLATE NOCASE);"
                     "INSERT INTO ITEM (NAME) VALUES ('committed');";

// A plain handle that holds the write lock with an uncommitted row until it
// is destroyed.
class OpenWriter {
 public:
  explicit OpenWriter(const std::string& path) {
    sqlite3_open(path.c_str(), &db_);
    sqlite3_exec(db_, "BEGIN IMMEDIATE; INSERT INTO ITEM (NAME) VALUES ('uncommitted');", nullptr, nullptr, nullptr);
  }
  ~OpenWriter() {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }

 private:
  sqlite3* db_ = nullptr;
};

// An object whose context joins `root`'s transaction, as one created
// through the root's object context.
std::shared_ptr<rt::Object> Joined(const rt::Object& root) {
  auto joined = std::make_shared<testdb::ContextOwner>(false);
  joined->AttachContext(std::make_shared<rt::ObjectContext>(root.Context()->GetActivity(), root.Context()->Stream()));
  return joined;
}

TEST(Readers, AReaderRootReadsTheCommittedStateWhileAWriterHoldsTheLock) {
  testdb::TestDatabase db(kTable);
  // Both kinds of root: a class that requires a transaction, and one that
  // runs outside any.
  for (bool transactional : {true, false}) {
    SCOPED_TRACE(transactional ? "transactional root" : "root outside transactions");
    OpenWriter writer(db.path());
    auto root = std::make_shared<testdb::ContextOwner>(transactional);
    const uint64_t waitsBefore = data::SqliteBusyWaits();
    {
      rt::ContextScope scope(*root, rt::Access::Reads);
      auto first = db.Open();
      EXPECT_EQ(Query(first, "SELECT NAME FROM ITEM"), "NAME=String:committed\n");
      // A second connection of the call reads the same snapshot.
      auto second = db.Open();
      EXPECT_EQ(Query(second, "SELECT COUNT(*) AS N FROM ITEM"), "N=Long:1\n");
      rt::GetObjectContext()->SetComplete();
    }
    EXPECT_EQ(data::SqliteBusyWaits(), waitsBefore) << "the reader waited for the lock";
  }
}

// A class whose one member only reads, called by name as callers do.
struct Counter : testdb::ContextOwner {
  explicit Counter(std::string connectionString) : ContextOwner(true), connection(std::move(connectionString)) {}
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<Counter>("Counter").Method("Count", &Counter::Count).Build();
    return &table;
  }
  int32_t Count() {
    rt::ContextScope scope(*this, rt::Access::Reads);
    auto cn = data::Connection::New();
    cn->Open(connection);
    return rt::CLng(cn->Execute("SELECT COUNT(*) FROM ITEM")->Value(0));
  }
  std::string connection;
};

TEST(Readers, AReaderCalledByNameIsAReaderToo) {
  testdb::TestDatabase db(kTable);
  OpenWriter writer(db.path());
  auto counter = std::make_shared<Counter>(db.ConnectionString());
  const uint64_t waitsBefore = data::SqliteBusyWaits();
  EXPECT_EQ(rt::CLng(counter->Call("Count")), 1);
  EXPECT_EQ(data::SqliteBusyWaits(), waitsBefore) << "the reader waited for the lock";
}

TEST(Readers, AReaderThatWritesIsRefusedAndChangesNothing) {
  testdb::TestDatabase db(kTable);
  for (bool transactional : {true, false}) {
    SCOPED_TRACE(transactional ? "transactional root" : "root outside transactions");
    auto root = std::make_shared<testdb::ContextOwner>(transactional);
    {
      rt::ContextScope scope(*root, rt::Access::Reads);
      auto cn = db.Open();
      EXPECT_EQ(ErrorOf([&] { cn->Execute("INSERT INTO ITEM (NAME) VALUES ('written')"); }).substr(0, 75),
                "80040E14 The call runs as one that only reads (its method enters its contex");
      EXPECT_EQ(ErrorOf([&] { cn->BeginTrans(); }).substr(0, 70),
                "800A0C93 The connection takes part in the object context's transaction");
    }
    EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM ITEM"), "1");
  }
}

TEST(Readers, AReaderThatJoinsAWritersTransactionSeesItsWrites) {
  testdb::TestDatabase db(kTable);
  auto root = std::make_shared<testdb::ContextOwner>(true);
  {
    rt::ContextScope scope(*root);
    db.Open()->Execute("INSERT INTO ITEM (NAME) VALUES ('written in the transaction')");
    auto joined = Joined(*root);
    {
      rt::ContextScope inner(*joined, rt::Access::Reads);
      EXPECT_EQ(Query(db.Open(), "SELECT COUNT(*) AS N FROM ITEM"), "N=Long:2\n");
    }
    rt::GetObjectContext()->SetComplete();
  }
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM ITEM"), "2");
}

// A long series of grouped commits (an import's) and a writer that starts
// after its third group: the writer's row lands right after the group that
// was running when it began waiting, long before the series ends.
TEST(Readers, AWaitingWriterGetsItsTurnBetweenTwoGroupsOfALongWriter) {
  testdb::TestDatabase db(kTable);
  constexpr int kGroups = 40;
  std::atomic<int> groupsDone{0};
  std::thread series([&] {
    auto cn = db.Open();
    for (int g = 1; g <= kGroups; ++g) {
      cn->BeginTrans();
      cn->Execute("INSERT INTO ITEM (NAME) VALUES ('group " + std::to_string(g) + "')");
      // The work of a group, with the lock held.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      cn->CommitTrans();
      groupsDone = g;
    }
  });
  while (groupsDone < 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const int startedAfter = groupsDone;
  db.Open()->Execute("INSERT INTO ITEM (NAME) VALUES ('writer')");
  series.join();
  // The groups committed before the writer's row.
  const int before = std::stoi(db.RawQuery(
      "SELECT COUNT(*) FROM ITEM WHERE NAME LIKE 'group %' AND ITEMID < (SELECT ITEMID FROM ITEM WHERE NAME = 'writer')"));
  EXPECT_LE(before, startedAfter + 2) << "the writer started after group " << startedAfter;
  EXPECT_LT(before, kGroups);
}

}  // namespace
