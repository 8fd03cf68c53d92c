// A recordset that may write its rows back reads them when they are first
// needed: adding a row to one opened on a whole table reads none, and the
// rows read later are those of the moment it was opened, each once.
#include <gtest/gtest.h>

#include "data/testing/fault_engine.h"
#include "test_database.h"

namespace {

using testdb::Render;
using testdb::Show;

const char* kItems =
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY AUTOINCREMENT, CODE nvarchar(10) COLLATE NOCASE NOT NULL);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000)"
    " INSERT INTO ITEM (CODE) SELECT 'C' || i FROM n;";

std::shared_ptr<data::Recordset> OpenWritable(const std::shared_ptr<data::Connection>& cn, const std::string& sql,
                                              int32_t lock = data::kLockOptimistic) {
  auto rs = data::Recordset::New();
  rs->Open(sql, cn, data::kCursorKeyset, lock);
  return rs;
}

void Add(data::Recordset& rs, const char* code) {
  rs.AddNew();
  rs.SetValue("CODE", rt::Variant(code));
  rs.Update();
}

TEST(DeferredRows, AddingToARecordsetOnAWholeTableReadsNoRowUntilItIsNavigated) {
  testdb::TestDatabase db(kItems);
  data::testing::FaultEngine engine;  // counts the steps
  auto cn = db.Open();
  auto rs = OpenWritable(cn, "SELECT * FROM ITEM");
  Add(*rs, "NEW");
  EXPECT_EQ(Show(rs->Value("ITEMID")), "Long:1001");
  // The query's first step and the insert (the new row's values are known
  // without reading it back).
  EXPECT_EQ(engine.Steps(), 2);

  EXPECT_EQ(rs->RecordCount(), 1001);
  EXPECT_EQ(Show(rs->Value("CODE")), "String:NEW");  // still the added row
  rs->MoveFirst();
  EXPECT_EQ(Show(rs->Value("CODE")), "String:C1");
  rs->MoveLast();
  rs->MovePrevious();
  EXPECT_EQ(Show(rs->Value("CODE")), "String:C1000");
  rs->MoveNext();
  EXPECT_EQ(Show(rs->Value("ITEMID")), "Long:1001");
}

TEST(DeferredRows, TheRowsAreThoseOfTheOpeningMomentForTheSessionsOwnWork) {
  testdb::TestDatabase db("CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY, CODE nvarchar(10));"
                          "INSERT INTO ITEM VALUES (1, 'A'), (2, 'B');");
  auto cn = db.Open();
  auto rs = OpenWritable(cn, "SELECT ITEMID, CODE FROM ITEM");
  cn->Execute("DELETE FROM ITEM WHERE ITEMID = 1");
  Add(*rs, "C");
  EXPECT_EQ(Render(*rs), "ITEMID=Long:3 CODE=String:C\n");
  rs->MoveFirst();
  EXPECT_EQ(Render(*rs), "ITEMID=Long:1 CODE=String:A\nITEMID=Long:2 CODE=String:B\nITEMID=Long:3 CODE=String:C\n");

  // Detached, it has read its rows on the connection it came from.
  auto detached = OpenWritable(cn, "SELECT ITEMID, CODE FROM ITEM", data::kLockBatchOptimistic);
  detached->SetActiveConnection(nullptr);
  cn->Close();
  EXPECT_EQ(Render(*detached), "ITEMID=Long:2 CODE=String:B\nITEMID=Long:3 CODE=String:C\n");
}

TEST(DeferredRows, RowsAddedBeforeTheReadAreNeverReadTwice) {
  testdb::TestDatabase db("CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY, CODE nvarchar(10));"
                          "CREATE TABLE NOTE (REMARK nvarchar(10));"
                          "INSERT INTO ITEM VALUES (1, 'A'); INSERT INTO NOTE VALUES ('old');");
  auto cn = db.Open();
  // In a batch, written by UpdateBatch.
  auto batch = OpenWritable(cn, "SELECT ITEMID, CODE FROM ITEM", data::kLockBatchOptimistic);
  Add(*batch, "B");
  Add(*batch, "C");
  batch->UpdateBatch();
  batch->MoveFirst();
  EXPECT_EQ(Render(*batch), "ITEMID=Long:1 CODE=String:A\nITEMID=Long:2 CODE=String:B\nITEMID=Long:3 CODE=String:C\n");

  // A table without a key: its rows are read before the first insert.
  auto notes = OpenWritable(cn, "SELECT REMARK FROM NOTE");
  notes->AddNew();
  notes->SetValue("REMARK", rt::Variant("new"));
  notes->Update();
  notes->MoveFirst();
  EXPECT_EQ(Render(*notes), "REMARK=String:old\nREMARK=String:new\n");

  // An addition cancelled before the read leaves the first row current.
  auto cancelled = OpenWritable(cn, "SELECT ITEMID, CODE FROM ITEM");
  cancelled->AddNew();
  cancelled->CancelUpdate();
  EXPECT_EQ(Show(cancelled->Value("CODE")), "String:A");
  EXPECT_EQ(cancelled->RecordCount(), 3);
}

}  // namespace
