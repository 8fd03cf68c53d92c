// Catalog copying and the catalogs that show products, each against the
// same work through plain SQLite prepared statements:
//   - TCatalog.CopyCatalog with its tree (level 1) of a 10,000-node catalog
//     five levels deep, as the root of its own transaction, against one
//     SQLite transaction that selects the nodes by NODEID, inserts the
//     catalog and each node and updates the parent of each non-top node;
//   - Catalog.GetValidProductCatalogs for 1,000 products against one
//     prepared SELECT stepped per product into a vector.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_installation.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/catalog.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace {

// Nodes per level of the big catalog (10,000 in all), each level's parents
// taken in turn from the level above, ids growing level by level.
constexpr int kLevels[] = {10, 90, 900, 2000, 7000};
constexpr int kProducts = 1000;

const char* const kValidSql =
    "SELECT DISTINCT CATALOGNODE.CATALOGID AS CATALOGID FROM PRODUCTSBYCATEGORY,CATALOGNODE"
    " WHERE  PRODUCTSBYCATEGORY.PRODUCTID = ? AND PRODUCTSBYCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID ";

using benchinstall::Exec;

// Catalog 1 with the big tree; 200 categories shown by 20 nodes in each of
// catalogs 2 to 11; each product in two categories.
void Fill(sqlite3* db) {
  Exec(db, "BEGIN; INSERT INTO CATALOG (CATALOGID, CATALOGNAME, ACTIVE) VALUES (1, 'Big', 1)");
  sqlite3_stmt* node = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO CATALOGNODE (PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE, CATEGORYID, "
                     "NODEDESCRIPTION) VALUES (?, ?, ?, ?, ?, ?, ?)",
                     -1, &node, nullptr);
  auto addNode = [&](int parent, int catalog, int sequence, int category) {
    if (parent) sqlite3_bind_int(node, 1, parent); else sqlite3_bind_null(node, 1);
    sqlite3_bind_int(node, 2, catalog);
    const std::string name = "Node " + std::to_string(sequence);
    sqlite3_bind_text(node, 3, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(node, 4, sequence);
    sqlite3_bind_int(node, 5, category ? 1 : 0);
    if (category) sqlite3_bind_int(node, 6, category); else sqlite3_bind_null(node, 6);
    sqlite3_bind_text(node, 7, "A node of the benchmark", -1, SQLITE_STATIC);
    sqlite3_step(node);
    sqlite3_reset(node);
    return static_cast<int>(sqlite3_last_insert_rowid(db));
  };
  std::vector<int> above;
  for (int size : kLevels) {
    std::vector<int> level;
    for (int i = 0; i < size; ++i)
      level.push_back(addNode(above.empty() ? 0 : above[i % above.size()], 1, i + 1, (i % 200) + 1));
    above = std::move(level);
  }
  for (int catalog = 2; catalog <= 11; ++catalog) {
    Exec(db, "INSERT INTO CATALOG (CATALOGID, CATALOGNAME, ACTIVE) VALUES (" + std::to_string(catalog) +
                 ", 'Catalog " + std::to_string(catalog) + "', 1)");
    for (int i = 0; i < 20; ++i) addNode(0, catalog, i + 1, (catalog - 2) * 20 + i + 1);
  }
  sqlite3_finalize(node);
  for (int category = 1; category <= 200; ++category)
    Exec(db, "INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME) VALUES (" + std::to_string(category) +
                 ", 'Category " + std::to_string(category) + "')");
  for (int product = 1; product <= kProducts; ++product)
    Exec(db, "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID) VALUES (" + std::to_string(product) + ", " +
                 std::to_string(product % 200 + 1) + "), (" + std::to_string(product) + ", " +
                 std::to_string((product * 7 + 3) % 200 + 1) + ")");
  Exec(db, "COMMIT");
}

// An installation of its own for the process, filled by Fill.
const benchinstall::Installation& Fixture() {
  static const benchinstall::Installation made(
      "catalogbench", {SUITE_SOURCE_DIR "/db/06_unspsc.sql", SUITE_SOURCE_DIR "/db/08_catalog.sql"},
      benchinstall::Reader::Quarvel, Fill);
  return made;
}

// Removes the copies a run made, outside the timing.
void RemoveCopies(const benchinstall::Installation& f) {
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  Exec(db, "DELETE FROM CATALOGNODE WHERE CATALOGID > 11; DELETE FROM CATALOG WHERE CATALOGID > 11");
  sqlite3_close(db);
}

void BM_CopyCatalogWithItsTree(benchmark::State& state) {
  const auto& f = Fixture();
  for (auto _ : state) {
    auto writer =
        std::dynamic_pointer_cast<ITCatalog>(rt::CreateRootObject("Quarvel.TCatalog", std::make_shared<rt::Activity>()));
    writer->CopyCatalog(1, 1, "");
    state.PauseTiming();
    RemoveCopies(f);
    state.ResumeTiming();
  }
}

void BM_PreparedStatementCopy(benchmark::State& state) {
  const auto& f = Fixture();
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_stmt *select = nullptr, *catalog = nullptr, *insert = nullptr, *update = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT NODEID, ICONID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE, NODEURL, "
                     "CATEGORYID, NODEDESCRIPTION FROM CATALOGNODE WHERE CATALOGID = ? ORDER BY NODEID",
                     -1, &select, nullptr);
  sqlite3_prepare_v2(db,
                     "INSERT INTO CATALOG (ICONID, CATALOGNAME, ACTIVE, APPROVALCATALOG, CATALOGDESCRIPTION) "
                     "SELECT ICONID, 'Copy Of ' || CATALOGNAME, 0, 1, CATALOGDESCRIPTION FROM CATALOG WHERE CATALOGID = ?",
                     -1, &catalog, nullptr);
  sqlite3_prepare_v2(db,
                     "INSERT INTO CATALOGNODE (ICONID, PARENTNODEID, CATALOGID, NODENAME, SEQUENCE, NODETYPE, NODEURL, "
                     "CATEGORYID, NODEDESCRIPTION) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                     -1, &insert, nullptr);
  sqlite3_prepare_v2(db, "UPDATE CATALOGNODE SET PARENTNODEID = ? WHERE NODEID = ?", -1, &update, nullptr);
  for (auto _ : state) {
    Exec(db, "BEGIN IMMEDIATE");
    sqlite3_bind_int(catalog, 1, 1);
    sqlite3_step(catalog);
    sqlite3_reset(catalog);
    const int newId = static_cast<int>(sqlite3_last_insert_rowid(db));
    std::map<int, int> newIds;
    std::vector<std::pair<int, int>> parents;  // new node, old parent
    sqlite3_bind_int(select, 1, 1);
    while (sqlite3_step(select) == SQLITE_ROW) {
      for (int column : {1, 2}) sqlite3_bind_value(insert, column, sqlite3_column_value(select, column));
      sqlite3_bind_int(insert, 3, newId);
      for (int column = 4; column <= 9; ++column) sqlite3_bind_value(insert, column, sqlite3_column_value(select, column));
      sqlite3_step(insert);
      sqlite3_reset(insert);
      const int copy = static_cast<int>(sqlite3_last_insert_rowid(db));
      newIds[sqlite3_column_int(select, 0)] = copy;
      if (sqlite3_column_type(select, 2) != SQLITE_NULL) parents.emplace_back(copy, sqlite3_column_int(select, 2));
    }
    sqlite3_reset(select);
    for (const auto& [copy, parent] : parents) {
      sqlite3_bind_int(update, 1, newIds[parent]);
      sqlite3_bind_int(update, 2, copy);
      sqlite3_step(update);
      sqlite3_reset(update);
    }
    Exec(db, "COMMIT");
    state.PauseTiming();
    RemoveCopies(f);
    state.ResumeTiming();
  }
  for (sqlite3_stmt* st : {select, catalog, insert, update}) sqlite3_finalize(st);
  sqlite3_close(db);
}

rt::Variant ProductIds() {
  rt::ArrayPtr ids = rt::SafeArray::OneDim(0, kProducts - 1);
  for (int i = 0; i < kProducts; ++i) ids->At(i) = rt::Variant(i + 1);
  return rt::Variant(ids);
}

void BM_ValidProductCatalogs(benchmark::State& state) {
  Fixture();
  const rt::Variant products = ProductIds();
  for (auto _ : state) {
    auto reader =
        std::dynamic_pointer_cast<ICatalog>(rt::CreateRootObject("Quarvel.Catalog", std::make_shared<rt::Activity>()));
    benchmark::DoNotOptimize(reader->GetValidProductCatalogs(products, rt::Variant::Missing(), rt::Variant::Missing()));
  }
}

void BM_PreparedSelectPerProduct(benchmark::State& state) {
  const auto& f = Fixture();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    data::InstallSqlServerTextRules(db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kValidSql, -1, &st, nullptr);
    std::map<int, std::vector<int>> answer;
    for (int product = 1; product <= kProducts; ++product) {
      sqlite3_bind_int(st, 1, product);
      std::vector<int> ids;
      while (sqlite3_step(st) == SQLITE_ROW) ids.push_back(sqlite3_column_int(st, 0));
      sqlite3_reset(st);
      if (!ids.empty()) answer.emplace(product, std::move(ids));
    }
    benchmark::DoNotOptimize(answer);
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
}

}  // namespace

BENCHMARK(BM_CopyCatalogWithItsTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreparedStatementCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ValidProductCatalogs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreparedSelectPerProduct)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
