// The catalog library's code-to-description map (Sql_GetRecordsAsDictionary)
// over 10,000 rows, against plain SQLite: one connection, a prepared
// statement stepped into a std::map, in the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <string>

#include "bench/bench_installation.h"
#include "common/lib_sql.h"
#include "data/sqlite_text_rules.h"

namespace {

constexpr int kRows = 10000;
const char* kQuery = "SELECT TAXCODE, DESCRIPTION FROM TAXCODES";

// The TAXCODES table with kRows codes.
void Fill(sqlite3* db) {
  sqlite3_exec(db,
               "CREATE TABLE TAXCODES (TAXCODE nvarchar(10) COLLATE NOCASE PRIMARY KEY,"
               " DESCRIPTION nvarchar(60) COLLATE NOCASE); BEGIN",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO TAXCODES VALUES (?, ?)", -1, &st, nullptr);
  for (int i = 0; i < kRows; ++i) {
    const std::string code = "T" + std::to_string(i), text = "Tax code number " + std::to_string(i);
    sqlite3_bind_text(st, 1, code.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, text.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

// The table, filled once for the process.
const benchinstall::Installation& Fixture() {
  static const benchinstall::Installation made("quarvelbench", {}, benchinstall::Reader::None, Fill);
  return made;
}

void BM_RecordsAsDictionary(benchmark::State& state) {
  const auto& f = Fixture();
  for (auto _ : state) {
    auto codes = Sql_GetRecordsAsDictionary(f.connectionString, kQuery);
    if (codes->Count() != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(codes);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

// The same work by hand: open, prepare, step each row into a map (the
// first value of a key kept), finalize, close.
void BM_PlainSqliteIntoMap(benchmark::State& state) {
  const auto& f = Fixture();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    data::InstallSqlServerTextRules(db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &st, nullptr);
    std::map<std::string, std::string> codes;
    while (sqlite3_step(st) == SQLITE_ROW) {
      codes.emplace(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                    reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (codes.size() != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(codes);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

}  // namespace

BENCHMARK(BM_RecordsAsDictionary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSqliteIntoMap)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
