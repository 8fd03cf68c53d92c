// The data layer's cost against plain SQLite: reading rows into a
// disconnected recordset, inserting rows through AddNew/Update (also on a
// recordset opened on a whole table, empty and full), a method's usual round
// (open a connection, read one row by key, close), and fetching a page near
// the start and deep in a 100,000-row list.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_installation.h"
#include "data/command.h"
#include "data/date_text.h"
#include "data/connection.h"
#include "data/recordset.h"
#include "data/sqlite_text_rules.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace {

// Made as the schema builder makes a table, with its CHECK constraints.
const std::string kTable = data::WithColumnChecks(
    "CREATE TABLE ITEM (ITEMID INTEGER PRIMARY KEY AUTOINCREMENT, CODE nvarchar(20) COLLATE SUITE_CI,"
    " NAME nvarchar(60) COLLATE SUITE_CI, QTY int, PRICE money, CREATED datetime, ACTIVE bit);");

void Exec(sqlite3* db, const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

// The ITEM table with `rows` rows.
void Fill(sqlite3* db, int rows) {
  Exec(db, kTable);
  Exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO ITEM (CODE, NAME, QTY, PRICE, CREATED, ACTIVE) VALUES (?, ?, ?, ?, ?, ?)", -1,
                     &st, nullptr);
  for (int i = 0; i < rows; ++i) {
    std::string code = "C" + std::to_string(i), name = "Item number " + std::to_string(i);
    sqlite3_bind_text(st, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 3, i % 1000);
    sqlite3_bind_double(st, 4, i * 0.25);
    sqlite3_bind_text(st, 5, "2026-12-08 10:30:00", -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 6, i % 2);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  Exec(db, "COMMIT");
}

// One database per row count, filled once for the process.
const benchinstall::Installation& Fixture(int rows) {
  static std::map<int, std::unique_ptr<benchinstall::Installation>> made;
  auto& f = made[rows];
  if (!f)
    f = std::make_unique<benchinstall::Installation>("databench", std::vector<std::string>{},
                                                     benchinstall::Reader::None,
                                                     [rows](sqlite3* db) { Fill(db, rows); });
  return *f;
}

void BM_ReadDisconnectedRecordset(benchmark::State& state) {
  const auto& f = Fixture(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    auto cn = data::Connection::New();
    cn->Open(f.connectionString);
    auto rs = data::Recordset::New();
    rs->SetCursorLocation(data::kUseClient);
    rs->Open("SELECT * FROM ITEM", cn, data::kCursorKeyset, data::kLockReadOnly);
    rs->SetActiveConnection(nullptr);
    cn->Close();
    benchmark::DoNotOptimize(rs->RecordCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same rows read with plain SQLite into C++ values of the kinds the
// recordset holds: texts copied, the amount scaled to money, the date parsed.
struct ItemRow {
  int64_t id;
  std::string code, name;
  int32_t qty;
  int64_t price;
  rt::Date created;
  bool active;
};

std::string ColumnText(sqlite3_stmt* st, int i) {
  return std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
}

void BM_ReadPlainSqlite(benchmark::State& state) {
  const auto& f = Fixture(static_cast<int>(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  data::InstallSqlServerTextRules(db);
  for (auto _ : state) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM ITEM", -1, &st, nullptr);
    std::vector<ItemRow> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
      ItemRow r;
      r.id = sqlite3_column_int64(st, 0);
      r.code = ColumnText(st, 1);
      r.name = ColumnText(st, 2);
      r.qty = sqlite3_column_int(st, 3);
      r.price = static_cast<int64_t>(sqlite3_column_double(st, 4) * 10000);
      r.created = data::ParseStoredDate(ColumnText(st, 5)).value_or(rt::Date{});
      r.active = sqlite3_column_int(st, 6) != 0;
      rows.push_back(std::move(r));
    }
    sqlite3_finalize(st);
    benchmark::DoNotOptimize(rows.size());
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Inserts into a table of its own, in one transaction per iteration.
void BM_InsertAddNewUpdate(benchmark::State& state) {
  const auto& f = Fixture(1);
  auto cn = data::Connection::New();
  cn->Open(f.connectionString);
  cn->Execute("CREATE TABLE IF NOT EXISTS ADDED (ADDEDID INTEGER PRIMARY KEY AUTOINCREMENT,"
              " CODE nvarchar(20) COLLATE NOCASE, QTY int, PRICE money)");
  for (auto _ : state) {
    cn->Execute("BEGIN");
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM ADDED WHERE 0=1", cn, data::kCursorKeyset, data::kLockOptimistic);
    for (int64_t i = 0; i < state.range(0); ++i) {
      rs->AddNew();
      rs->SetValue("CODE", rt::Variant("C" + std::to_string(i)));
      rs->SetValue("QTY", rt::Variant(static_cast<int32_t>(i)));
      rs->SetValue("PRICE", rt::Variant(rt::Currency::FromScaled(i * 2500)));
      rs->Update();
      benchmark::DoNotOptimize(rs->Value(0));
    }
    rs->Close();
    cn->Execute("COMMIT");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_InsertPlainSqlite(benchmark::State& state) {
  const auto& f = Fixture(1);
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  data::InstallSqlServerTextRules(db);
  Exec(db, "CREATE TABLE IF NOT EXISTS PLAIN (PLAINID INTEGER PRIMARY KEY AUTOINCREMENT,"
           " CODE nvarchar(20) COLLATE NOCASE, QTY int, PRICE money)");
  for (auto _ : state) {
    Exec(db, "BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO PLAIN (CODE, QTY, PRICE) VALUES (?, ?, ?)", -1, &st, nullptr);
    for (int64_t i = 0; i < state.range(0); ++i) {
      std::string code = "C" + std::to_string(i);
      sqlite3_bind_text(st, 1, code.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(st, 2, i);
      sqlite3_bind_double(st, 3, i * 0.25);
      sqlite3_step(st);
      sqlite3_reset(st);
      benchmark::DoNotOptimize(sqlite3_last_insert_rowid(db));
    }
    sqlite3_finalize(st);
    Exec(db, "COMMIT");
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

// One row added through a recordset opened on the whole table (as an
// address is added), on an empty table and on one of 100,000 rows; each
// iteration's row is rolled back, so the table keeps its size.
void BM_AddNewOnWholeTable(benchmark::State& state) {
  const auto& f = Fixture(static_cast<int>(state.range(0)));
  auto cn = data::Connection::New();
  cn->Open(f.connectionString);
  for (auto _ : state) {
    cn->Execute("BEGIN");
    auto rs = data::Recordset::New();
    rs->Open("SELECT * FROM ITEM", cn, data::kCursorKeyset, data::kLockOptimistic);
    rs->AddNew();
    rs->SetValue("CODE", rt::Variant("NEW"));
    rs->SetValue("QTY", rt::Variant(int32_t{5}));
    rs->Update();
    benchmark::DoNotOptimize(rs->Value("ITEMID"));
    rs->Close();
    cn->Execute("ROLLBACK");
  }
}

// What every method does: its own connection, one parameterised read by
// key, the connection closed again.
void BM_OpenReadOneRowClose(benchmark::State& state) {
  const auto& f = Fixture(1000);
  int32_t key = 0;
  for (auto _ : state) {
    auto cn = data::Connection::New();
    cn->Open(f.connectionString);
    auto cmd = data::Command::New();
    cmd->SetActiveConnection(cn);
    cmd->SetCommandText("SELECT CODE, NAME, QTY, PRICE, CREATED, ACTIVE FROM ITEM WHERE ITEMID=?");
    cmd->Parameters()->Append(cmd->CreateParameter("Id", 3, data::kParamInput, 0, rt::Variant(key % 1000 + 1)));
    auto rs = cmd->Execute();
    benchmark::DoNotOptimize(rs->Value("PRICE"));
    rs->Close();
    cn->Close();
    ++key;
  }
}

// The floor: one statement prepared once, bound and stepped, its row read
// into C++ values of the kinds the recordset holds (as BM_ReadPlainSqlite).
void BM_PlainPreparedReadOneRow(benchmark::State& state) {
  const auto& f = Fixture(1000);
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  data::InstallSqlServerTextRules(db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "SELECT CODE, NAME, QTY, PRICE, CREATED, ACTIVE FROM ITEM WHERE ITEMID=?", -1, &st, nullptr);
  int key = 0;
  for (auto _ : state) {
    sqlite3_bind_int(st, 1, key % 1000 + 1);
    if (sqlite3_step(st) == SQLITE_ROW) {
      ItemRow r;
      r.code = ColumnText(st, 0);
      r.name = ColumnText(st, 1);
      r.qty = sqlite3_column_int(st, 2);
      r.price = static_cast<int64_t>(sqlite3_column_double(st, 3) * 10000);
      r.created = data::ParseStoredDate(ColumnText(st, 4)).value_or(rt::Date{});
      r.active = sqlite3_column_int(st, 5) != 0;
      benchmark::DoNotOptimize(r);
    }
    sqlite3_reset(st);
    ++key;
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

// A page of 100 rows of the 100,000-row list.
rt::ObjectPtr OpenPage(const benchinstall::Installation& f, const std::string& persisted, int32_t page) {
  rt::ObjectPtr list = rt::CreateObject("Tamrick.DRecordset");
  list->LetProperty("ConnectionString", rt::Variant(f.connectionString));
  list->LetProperty("PersistedStateInfo", rt::Variant(persisted));
  list->LetProperty("PageSize", rt::Variant(int32_t{100}));
  rt::Args request{rt::Variant(true), rt::Variant(page)};
  list->Invoke("ApplyRequest", rt::CallKind::Method, request);
  list->Call("Open", {rt::Variant("SELECT * FROM ITEM"), rt::Variant("ITEMID")});
  return list;
}

void BM_PageFirst(benchmark::State& state) {
  const auto& f = Fixture(100000);
  for (auto _ : state) benchmark::DoNotOptimize(OpenPage(f, "", 1));
}

// Straight to page 1000 with no position known: one seek over the key.
void BM_Page1000ByNumber(benchmark::State& state) {
  const auto& f = Fixture(100000);
  for (auto _ : state) benchmark::DoNotOptimize(OpenPage(f, "", 1000));
}

// Page 1000 from the state of page 999 (the "next page" of a user paging on).
void BM_Page1000FromPage999(benchmark::State& state) {
  const auto& f = Fixture(100000);
  std::string at999 = rt::CStr(OpenPage(f, "", 999)->GetProperty("PersistedStateInfo"));
  for (auto _ : state) benchmark::DoNotOptimize(OpenPage(f, at999, 1000));
}

BENCHMARK(BM_ReadDisconnectedRecordset)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainSqlite)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertAddNewUpdate)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertPlainSqlite)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddNewOnWholeTable)->Arg(0)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenReadOneRowClose)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainPreparedReadOneRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageFirst)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Page1000ByNumber)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Page1000FromPage999)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
