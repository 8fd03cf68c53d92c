// Recordsets: typed values, navigation, clones, detached use, and writes
// through AddNew, edits, deletes and batches.
#include <gtest/gtest.h>

#include "data/field.h"
#include "runtime/registry.h"
#include "test_database.h"

namespace {

using testdb::ErrorOf;
using testdb::Query;
using testdb::Render;
using testdb::Show;

const char* kItems =
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY AUTOINCREMENT, CODE nchar(3) COLLATE NOCASE NOT NULL,"
    " NAME nvarchar(50) COLLATE NOCASE, ACTIVE bit NOT NULL DEFAULT 1, QTY smallint, COUNTER int,"
    " RATIO float, PRICE money, RATE decimal(12,6), FEE decimal(18,4), CREATED datetime, NOTE text COLLATE NOCASE);"
    "INSERT INTO ITEM (CODE, NAME, ACTIVE, QTY, COUNTER, RATIO, PRICE, RATE, FEE, CREATED, NOTE) VALUES"
    " ('EU', 'Euro', 1, 7, 70000, 0.5, 12.3456, 1.234567, 2.5, '2026-12-08 10:30:00', NULL),"
    " ('USD', 'Dollar', 0, -2, 3, 2, 1, 0.5, 0, '2003-07-04 00:00:00', 'x');";

TEST(RecordsetValues, ComeBackWithTheSubtypesOfTheDeclaredColumnTypes) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  EXPECT_EQ(Query(cn, "SELECT * FROM ITEM WHERE CODE = 'EU'"),
            "ITEMID=Long:1 CODE=String:EU  NAME=String:Euro ACTIVE=Boolean:True QTY=Integer:7 COUNTER=Long:70000 "
            "RATIO=Double:0.5 PRICE=Currency:12.3456 RATE=Decimal:1.234567 FEE=Currency:2.5 "
            "CREATED=Date:2026-12-08 10:30:00 NOTE=Null\n");
  EXPECT_EQ(Query(cn, "SELECT COUNT(*) AS N, MAX(QTY) + 0.5 AS M, 'a' AS T FROM ITEM"),
            "N=Long:2 M=Double:7.5 T=String:a\n");
}

TEST(RecordsetValues, ColumnNamesAreSpelledAsTheSchemaSpellsThem) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto rs = cn->Execute("SELECT itemid, Code, name AS Label FROM item");
  EXPECT_EQ(rs->Column(0).name, "ITEMID");
  EXPECT_EQ(rs->Column(1).name, "CODE");
  EXPECT_EQ(rs->Column(2).name, "Label");
  EXPECT_EQ(Show(rs->Value("code")), "String:EU ");  // by name without regard to case
  auto field = rs->Field(rt::Variant("CODE"));
  EXPECT_EQ(field->Type(), data::adtype::kWChar);
  EXPECT_EQ(field->DefinedSize(), 3);
  EXPECT_EQ(ErrorOf([&] { rs->Value("NOPE"); }),
            "800A0CC1 No field named 'NOPE' in the recordset.");
}

TEST(RecordsetNavigation, EofBofMovesAndTrueRecordCount) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto empty = cn->Execute("SELECT * FROM ITEM WHERE 0=1");
  EXPECT_TRUE(empty->Eof() && empty->Bof());
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_EQ(ErrorOf([&] { empty->MoveNext(); }).substr(0, 8), "800A0BCD");

  auto rs = data::Recordset::New();
  rs->Open("SELECT CODE FROM ITEM ORDER BY ITEMID", cn, data::kCursorForwardOnly);
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->MoveLast();
  EXPECT_EQ(rt::CStr(rs->Value(0)), "USD");
  rs->MovePrevious();
  EXPECT_EQ(rt::CStr(rs->Value(0)), "EU ");
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(ErrorOf([&] { rs->Value(0); }).substr(0, 8), "800A0BCD");
  rs->Move(5);
  EXPECT_TRUE(rs->Eof());
}

TEST(RecordsetDetached, StaysUsableAfterItsConnectionIsClosedAndClonesShareItsRows) {
  testdb::TestDatabase db(kItems);
  auto rs = data::Recordset::New();
  {
    auto cn = db.Open();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open("SELECT CODE, QTY FROM ITEM ORDER BY CODE", cn, data::kCursorKeyset, data::kLockReadOnly);
    rs->SetActiveConnection(nullptr);
    cn->Close();
  }
  auto clone = rs->Clone();
  EXPECT_EQ(Render(*rs), "CODE=String:EU  QTY=Integer:7\nCODE=String:USD QTY=Integer:-2\n");
  rt::Variant rows = clone->GetRows();
  const rt::SafeArray& a = rows.AsArray();
  EXPECT_EQ(a.UBound(1), 1);  // fields
  EXPECT_EQ(a.UBound(2), 1);  // rows
  EXPECT_EQ(Show(a.At(1, 1)), "Integer:-2");
  EXPECT_TRUE(clone->Eof());
}

TEST(RecordsetWrites, AddNewReadsBackTheIdentityAndDefaultsAndIdentitiesAreNeverReused) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT * FROM ITEM WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
  rs->AddNew();
  rs->SetValue("CODE", rt::Variant("GBP"));
  rs->SetValue("CREATED", rt::Variant(rt::Date::FromParts(2026, 1, 2, 3, 4, 5)));
  rs->SetValue("PRICE", rt::Variant("1.25"));
  rs->Update();
  EXPECT_EQ(Show(rs->Value("ITEMID")), "Long:3");
  EXPECT_EQ(Show(rs->Value("ACTIVE")), "Boolean:True");  // the table's default
  EXPECT_EQ(db.RawQuery("SELECT CREATED, PRICE FROM ITEM WHERE ITEMID = 3"), "2026-01-02 03:04:05|1.25");

  EXPECT_EQ(ErrorOf([&] { rs->SetValue("ITEMID", rt::Variant(int32_t{9})); }),
            "80040E21 The field 'ITEMID' is the table's identity and cannot be written.");

  cn->Execute("DELETE FROM ITEM WHERE ITEMID = 3");
  rs->AddNew();
  rs->SetValue("CODE", rt::Variant("CHF"));
  rs->Update();
  EXPECT_EQ(Show(rs->Value("ITEMID")), "Long:4");
}

TEST(RecordsetWrites, EditAndDeleteTheCurrentRow) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT ITEMID, NAME, ACTIVE FROM ITEM ORDER BY ITEMID", cn, data::kCursorKeyset, data::kLockOptimistic);
  rs->SetValue("NAME", rt::Variant("Euros"));
  rs->SetValue("ACTIVE", rt::Variant(int32_t{-1}));  // VB's True as a number
  rs->MoveNext();                                     // moving saves the edit
  rs->Delete();
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(db.RawQuery("SELECT ITEMID, NAME, ACTIVE FROM ITEM"), "1|Euros|1");

  auto readOnly = cn->Execute("SELECT NAME FROM ITEM");
  EXPECT_EQ(ErrorOf([&] { readOnly->SetValue("NAME", rt::Variant("x")); }).substr(0, 8), "800A0CB3");
  auto joined = data::Recordset::New();
  joined->Open("SELECT A.NAME, B.CODE FROM ITEM A JOIN ITEM B ON A.ITEMID = B.ITEMID", cn, 1, 3);
  EXPECT_EQ(ErrorOf([&] { joined->SetValue("NAME", rt::Variant("x")); }).substr(0, 8), "800A0CB3");
}

// A table without a primary key is keyed by its unique index, here over an
// expression on a column that may be Null: rows whose key column is Null
// are edited and deleted like any other; a table with neither stays unkeyed.
TEST(RecordsetWrites, TableWithoutPrimaryKeyIsKeyedByItsUniqueIndex) {
  testdb::TestDatabase db(
      "CREATE TABLE LINE (ITEM int NOT NULL, QTY float NOT NULL, GRP nvarchar(10) COLLATE NOCASE NULL, PRICE money);"
      "CREATE UNIQUE INDEX LINE_KEY ON LINE (ITEM, QTY, IFNULL(GRP, '') COLLATE NOCASE);"
      "CREATE TABLE LOOSE (A int, B int);"
      "INSERT INTO LINE VALUES (1, 10, NULL, 1), (1, 10, 'X', 2), (2, 10, NULL, 3);"
      "INSERT INTO LOOSE VALUES (1, 1);");
  auto cn = db.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT * FROM LINE WHERE ITEM = 1 AND GRP IS NULL", cn, data::kCursorKeyset, data::kLockOptimistic);
  rs->SetValue("PRICE", rt::Variant(int32_t{5}));
  rs->Update();
  rs->AddNew();
  rs->SetValue("ITEM", rt::Variant(int32_t{3}));
  rs->SetValue("QTY", rt::Variant(1.5));
  rs->Update();
  EXPECT_EQ(Show(rs->Value("PRICE")), "Null");
  rs->MoveFirst();
  rs->Delete();
  EXPECT_EQ(db.RawQuery("SELECT ITEM, QTY, IFNULL(GRP, '-'), PRICE FROM LINE ORDER BY ITEM, GRP"),
            "1|10.0|X|2;2|10.0|-|3;3|1.5|-|NULL");

  auto loose = data::Recordset::New();
  loose->Open("SELECT * FROM LOOSE", cn, data::kCursorKeyset, data::kLockOptimistic);
  loose->SetValue("B", rt::Variant(int32_t{2}));
  EXPECT_EQ(ErrorOf([&] { loose->Update(); }),
            "80004005 The recordset lacks the key columns of table 'LOOSE' needed to find the row.");
}

TEST(RecordsetWrites, CancelUpdateForgetsTheNewRowOrTheEdit) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT ITEMID, CODE, NAME FROM ITEM ORDER BY ITEMID", cn, data::kCursorKeyset, data::kLockOptimistic);
  rs->MoveNext();
  rs->AddNew();
  rs->SetValue("CODE", rt::Variant("NEW"));
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->CancelUpdate();
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(Show(rs->Value("CODE")), "String:USD");  // back on the row that was current
  rs->SetValue("CODE", rt::Variant("x"));           // nchar(3): padded as it reads back
  EXPECT_EQ(Show(rs->Value("CODE")), "String:x  ");
  rs->CancelUpdate();
  rs->MoveFirst();
  EXPECT_EQ(Render(*rs), "ITEMID=Long:1 CODE=String:EU  NAME=String:Euro\nITEMID=Long:2 CODE=String:USD NAME=String:Dollar\n");
  EXPECT_EQ(db.RawQuery("SELECT COUNT(*) FROM ITEM"), "2");
}

TEST(RecordsetWrites, BatchChangesStayLocalUntilUpdateBatchOnAReattachedConnection) {
  testdb::TestDatabase db(kItems);
  auto rs = data::Recordset::New();
  {
    auto cn = db.Open();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open("SELECT ITEMID, CODE, NAME FROM ITEM ORDER BY ITEMID", cn, data::kCursorKeyset,
             data::kLockBatchOptimistic);
    rs->SetActiveConnection(nullptr);
  }
  // An edit, a delete and an addition, from the first row on.
  auto change = [&] {
    rs->MoveFirst();
    rs->SetValue("NAME", rt::Variant("Changed"));
    rs->MoveNext();
    rs->Delete();
    rs->AddNew();
    rs->SetValue("CODE", rt::Variant("JPY"));
    rs->Update();
  };
  change();
  EXPECT_EQ(db.RawQuery("SELECT NAME FROM ITEM ORDER BY ITEMID"), "Euro;Dollar");
  rs->CancelBatch();
  EXPECT_EQ(Render(*rs), "ITEMID=Long:1 CODE=String:EU  NAME=String:Euro\nITEMID=Long:2 CODE=String:USD NAME=String:Dollar\n");

  change();
  rs->SetActiveConnection(db.Open());
  rs->UpdateBatch();
  EXPECT_EQ(db.RawQuery("SELECT ITEMID, CODE, NAME FROM ITEM ORDER BY ITEMID"), "1|EU|Changed;3|JPY|NULL");
  EXPECT_EQ(Show(rs->Value("ITEMID")), "Long:3");
}

TEST(RecordsetWrites, AFailedBatchWritesNothing) {
  testdb::TestDatabase db(kItems);
  auto cn = db.Open();
  auto rs = data::Recordset::New();
  rs->Open("SELECT ITEMID, CODE FROM ITEM ORDER BY ITEMID", cn, data::kCursorKeyset, data::kLockBatchOptimistic);
  rs->SetValue("CODE", rt::Variant("CAD"));
  rs->AddNew();
  rs->SetValue("CODE", rt::Variant(rt::Variant::Null()));  // CODE is NOT NULL
  rs->Update();
  EXPECT_EQ(ErrorOf([&] { rs->UpdateBatch(); }), "80040E2F NOT NULL constraint failed: ITEM.CODE");
  EXPECT_EQ(db.RawQuery("SELECT CODE FROM ITEM ORDER BY ITEMID"), "EU;USD");
  EXPECT_EQ(rt::CStr(cn->Errors()->Item(0)->Description()), "NOT NULL constraint failed: ITEM.CODE");
}

TEST(RecordsetOpen, OnAConnectionStringOpensAndClosesAConnectionOfItsOwn) {
  testdb::TestDatabase db(kItems);
  auto rs = data::Recordset::New();
  rs->Open("SELECT CODE FROM ITEM ORDER BY CODE", db.ConnectionString(), data::kCursorForwardOnly, data::kLockReadOnly);
  auto own = rs->ActiveConnection();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(rt::CStr(rs->Value(0)), "EU ");
  rs->Close();
  EXPECT_EQ(own->State(), data::kStateClosed);
  EXPECT_EQ(ErrorOf([&] { rs->Open("SELECT 1", std::string("Provider=Other;Data Source=x")); }),
            "80004005 Provider cannot be found: 'Other'");
  EXPECT_EQ(ErrorOf([&] { rs->Open("SELECT 1", std::string("")); }),
            "80004005 The connection string names no data source: ''");
}

TEST(RecordsetLateBound, WorksThroughProgIdAndDispatch) {
  testdb::TestDatabase db(kItems);
  data::Connection::New();  // registers the classes
  rt::ObjectPtr cn = rt::CreateObject("ADODB.Connection");
  cn->Call("Open", {rt::Variant(db.ConnectionString()), rt::Variant(""), rt::Variant(""), rt::Variant(int32_t{-1})});
  rt::ObjectPtr rs = rt::CreateObject("ADODB.Recordset");
  rs->LetProperty("CursorLocation", rt::Variant(int32_t{3}));
  rs->Call("Open", {rt::Variant("SELECT CODE, NAME FROM ITEM ORDER BY CODE"), rt::Variant(cn), rt::Variant(int32_t{1}),
                    rt::Variant(int32_t{1}), rt::Variant(int32_t{1})});
  rt::Args detach{rt::Variant::Nothing()};
  rs->Invoke("ActiveConnection", rt::CallKind::Set, detach);
  cn->Call("Close");
  EXPECT_EQ(rt::CLng(rs->GetProperty("RecordCount")), 2);
  rt::ObjectPtr field = rs->GetProperty("Fields", {rt::Variant("name")}).AsObject();
  EXPECT_EQ(rt::CStr(field->GetProperty("Value")), "Euro");
  rs->Call("MoveNext");
  rs->Call("MoveNext");
  EXPECT_TRUE(rt::CBool(rs->GetProperty("EOF")));
  EXPECT_EQ(rt::CLng(cn->GetProperty("State")), 0);
}

}  // namespace
