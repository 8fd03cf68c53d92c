// Re-seeding the property values of 10,000 products of a group of 5
// properties with Quarvel.PropertyGroup.UpdateGroupChange(group, -1), in one
// transaction: (a) the first seeding, 50,000 values inserted, and (b) a
// re-apply that changes nothing. The baseline, in the same run, sends the
// same SQL texts through sqlite3 itself inside BEGIN/COMMIT, each prepared
// and stepped once.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "data/sqlite_text_rules.h"
#include "interfaces/property_group.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 10000;

// One installation for the whole run: properties 1 to 5 with defaults, all
// members of group 1, and 10,000 products in group 1.
BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>();
    b->Exec(
        "INSERT INTO PROPERTY VALUES (1, 'P1', 1, 'one', 0), (2, 'P2', 1, 'two', 0), (3, 'P3', 2, '3', 0),"
        " (4, 'P4', 1, NULL, 0), (5, 'P5', 1, 'it''s five', 0), (6, 'Ext', 1, NULL, 1);"
        "INSERT INTO PROPERTYGROUP VALUES (1, 'Bench');"
        "INSERT INTO PROPSBYPROPGROUP (PROPERTYGROUPID, PROPERTYID) VALUES (1, 1), (1, 2), (1, 3), (1, 4), (1, 5);"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
        "INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PROPERTYGROUPID) SELECT i, 'P' || i, 1 FROM n;");
    return b;
  }();
  return *box;
}

void Reseed() {
  auto object = rt::CreateRootObject("Quarvel.PropertyGroup", std::make_shared<rt::Activity>());
  int32_t group = 1, product = -1;
  dynamic_cast<IPropertyGroup&>(*object).UpdateGroupChange(group, product);
}

// The engine's texts of the three reads.
const char* const kReads[] = {
    "SELECT PRODUCT.PRODUCTID, PRODUCTPROPVALUE.PROPERTYID FROM PRODUCT LEFT JOIN PRODUCTPROPVALUE ON "
    "PRODUCTPROPVALUE.PRODUCTID=PRODUCT.PRODUCTID WHERE PRODUCT.PROPERTYGROUPID = 1 ORDER BY PRODUCT.PRODUCTID",
    "SELECT PROPERTY.DEFAULTVALUE, PROPSBYPROPGROUP.PROPERTYID FROM PROPERTY INNER JOIN PROPSBYPROPGROUP ON "
    "PROPERTY.PROPERTYID = PROPSBYPROPGROUP.PROPERTYID WHERE PROPSBYPROPGROUP.PROPERTYGROUPID = 1",
    "SELECT propertyid FROM property WHERE external=1",
};

void Step(sqlite3* db, const std::string& sql, std::vector<int>* firstColumn = nullptr) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW) {
    if (firstColumn) firstColumn->push_back(sqlite3_column_int(st, 0));
    benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
  }
  sqlite3_finalize(st);
}

// The baseline: the reads, then (when seeding) one INSERT text per value.
void Baseline(sqlite3* db, bool seed) {
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  std::vector<int> products;
  Step(db, kReads[0], &products);
  Step(db, kReads[1]);
  Step(db, kReads[2]);
  if (seed) {
    const char* const defaults[] = {"one", "two", "3", "", "it''s five"};
    for (int product : products) {
      for (int p = 1; p <= 5; ++p) {
        Step(db, "INSERT INTO PRODUCTPROPVALUE (PROPERTYID, PRODUCTID, VALUE) VALUES (" + std::to_string(p) + "," +
                     std::to_string(product) + ",'" + defaults[p - 1] + "')");
      }
    }
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

sqlite3* OpenPlain() {
  sqlite3* db = nullptr;
  sqlite3_open(Installation().CatalogPath().c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_busy_timeout(db, 15000);
  return db;
}

void ClearValues() { Installation().Exec("DELETE FROM PRODUCTPROPVALUE"); }

void BM_FirstSeeding(benchmark::State& state) {
  Installation();
  for (auto _ : state) {
    state.PauseTiming();
    ClearValues();
    state.ResumeTiming();
    Reseed();
  }
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_FirstSeeding)->Unit(benchmark::kMillisecond);

void BM_FirstSeedingBaseline(benchmark::State& state) {
  sqlite3* db = OpenPlain();
  for (auto _ : state) {
    state.PauseTiming();
    ClearValues();
    state.ResumeTiming();
    Baseline(db, true);
  }
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_FirstSeedingBaseline)->Unit(benchmark::kMillisecond);

void BM_ReapplyUnchanged(benchmark::State& state) {
  ClearValues();
  Reseed();
  for (auto _ : state) Reseed();
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_ReapplyUnchanged)->Unit(benchmark::kMillisecond);

void BM_ReapplyUnchangedBaseline(benchmark::State& state) {
  ClearValues();
  Reseed();
  sqlite3* db = OpenPlain();
  for (auto _ : state) Baseline(db, false);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_ReapplyUnchangedBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
