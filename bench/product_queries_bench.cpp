// Benchmarks of Quarvel.Product's queries on 100,000 products of 100
// suppliers, in 200 categories shown by the nodes of 10 catalogs:
// - GetProductsByCriteria(2, supplier): the supplier's 1,000 products as a
//   dictionary, against the method's statement prepared once on a plain
//   sqlite3 handle with the rows stepped and copied;
// - countProductIDsFromPartNum: a free-text search, which scans every
//   product, against its statement prepared once the same way;
// - GetProductsAsDRecordSet: page 1000 against page 1 of 10 rows, sorted by
//   PARTNUMBER, where DISABLED = 0, through the caller's page object: page
//   1000 as a user paging on reaches it (from the state of page 999, one
//   page of rows), and asked by number alone (the 9,990 rows before it read
//   and skipped; SQLite alone needs about 1 ms for that here, as each
//   skipped row's DISABLED is read from the table).
// The object is made once, outside a context, as a caller that keeps it.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "data/sqlite_text_rules.h"
#include "interfaces/product.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 100000;
constexpr int kSuppliers = 100;

// Products "P-000001" ... with descriptions "Product 1" ..., supplier 1 +
// id % 100, each in category 1 + id % 200; catalog c (1 to 10) shows
// categories 20 (c - 1) + 1 to 20 c, one node each. One product in fifty is
// disabled.
BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>();
    b->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kProducts) +
            ") INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID, BUYFROMPARTNUMBER, "
            "DISABLED, STOCKITEM) SELECT i, 'P-' || printf('%06d', i), 'Product ' || i, 1 + i % " +
            std::to_string(kSuppliers) +
            ", 'S-' || i, i % 50 = 0, i % 2 FROM n;"
            "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 10) "
            "INSERT INTO CATALOG (CATALOGID, CATALOGNAME, ACTIVE) SELECT i, 'Catalog ' || i, 1 FROM c;"
            "WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < 200) "
            "INSERT INTO PRODUCTCATEGORY (CATEGORYID, CATEGORYNAME) SELECT i, 'Category ' || i FROM k;"
            "INSERT INTO CATALOGNODE (CATALOGID, NODENAME, NODETYPE, CATEGORYID) "
            "SELECT (CATEGORYID - 1) / 20 + 1, CATEGORYNAME, 1, CATEGORYID FROM PRODUCTCATEGORY;"
            "INSERT INTO PRODUCTSBYCATEGORY (PRODUCTID, CATEGORYID, SEQUENCE) SELECT PRODUCTID, 1 + PRODUCTID % 200, 1 "
            "FROM PRODUCT;");
    return b;
  }();
  return *box;
}

std::shared_ptr<IProduct> NewProduct() {
  Installation();
  return std::dynamic_pointer_cast<IProduct>(rt::CreateObject("Quarvel.Product"));
}

// The statements as the data layer hands them to SQLite.
const char* const kCriteriaSql =
    "SELECT PRODUCTID,PRODUCTDESCRIPTION,PARTNUMBER FROM PRODUCT WHERE BUSINESSPARTNERID = ?";
const char* const kCountSql =
    "SELECT COUNT(DISTINCT PRODUCTSBYCATEGORY.PRODUCTID) As CNT  FROM PRODUCTSBYCATEGORY "
    " INNER JOIN PRODUCT ON PRODUCTSBYCATEGORY.PRODUCTID = PRODUCT.PRODUCTID "
    " INNER JOIN PRODUCTCATEGORY ON PRODUCTSBYCATEGORY.CATEGORYID = PRODUCTCATEGORY.CATEGORYID "
    " INNER JOIN CATALOGNODE ON PRODUCTCATEGORY.CATEGORYID = CATALOGNODE.CATEGORYID "
    " WHERE (PRODUCTDESCRIPTION LIKE '%1234%' OR PARTNUMBER LIKE '%1234%' OR BUYFROMPARTNUMBER LIKE '%1234%')  "
    "AND (DISABLED = 0)";

struct Raw {
  sqlite3* db = nullptr;
  sqlite3_stmt* st = nullptr;
  explicit Raw(const char* sql) {
    sqlite3_open_v2(Installation().CatalogPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    data::InstallSqlServerTextRules(db);
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) abort();
  }
  ~Raw() {
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
};

struct Row {
  int32_t id;
  std::string description;
  std::string partNumber;
};

std::string Text(sqlite3_stmt* st, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
  return text ? text : "";
}

void BM_GetProductsByCriteria(benchmark::State& state) {
  auto product = NewProduct();
  int32_t supplier = 0;
  for (auto _ : state) {
    auto list = product->GetProductsByCriteria(2, rt::Variant(1 + supplier++ % kSuppliers), rt::Variant::Missing());
    if (list->Count() != kProducts / kSuppliers) abort();
    benchmark::DoNotOptimize(list);
  }
}

void BM_RawProductsBySupplier(benchmark::State& state) {
  Raw raw(kCriteriaSql);
  int32_t supplier = 0;
  for (auto _ : state) {
    std::vector<Row> rows;
    sqlite3_reset(raw.st);
    sqlite3_bind_int(raw.st, 1, 1 + supplier++ % kSuppliers);
    while (sqlite3_step(raw.st) == SQLITE_ROW)
      rows.push_back(Row{sqlite3_column_int(raw.st, 0), Text(raw.st, 1), Text(raw.st, 2)});
    if (rows.size() != kProducts / kSuppliers) abort();
    benchmark::DoNotOptimize(rows);
  }
}

void BM_countProductIDsFromPartNum(benchmark::State& state) {
  auto product = NewProduct();
  for (auto _ : state) benchmark::DoNotOptimize(product->countProductIDsFromPartNum("1234", std::nullopt));
}

void BM_RawCountProductIDs(benchmark::State& state) {
  Raw raw(kCountSql);
  for (auto _ : state) {
    sqlite3_reset(raw.st);
    if (sqlite3_step(raw.st) != SQLITE_ROW) abort();
    benchmark::DoNotOptimize(sqlite3_column_int(raw.st, 0));
  }
}

// One page of 10 enabled products by part number, asked through the
// caller's page object that holds `state`.
rt::ObjectPtr ProductPage(IProduct& product, int32_t number, const std::string& state) {
  rt::ObjectPtr page = rt::CreateObject("Tamrick.Page");
  page->LetProperty("PersistedStateInfo", rt::Variant(state));
  page->LetProperty("RequestedPage", rt::Variant(number));
  return product.GetProductsAsDRecordSet(page, "", 10, "PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION", "PARTNUMBER",
                                         "PRODUCTID", "DISABLED = 0");
}

// The argument is the page asked for, by number alone.
void BM_GetProductsAsDRecordSetPage(benchmark::State& state) {
  auto product = NewProduct();
  const auto number = static_cast<int32_t>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ProductPage(*product, number, ""));
}

// Page 1000 from the state of page 999: the next page of a user paging on.
void BM_GetProductsAsDRecordSetPage1000FromPage999(benchmark::State& state) {
  auto product = NewProduct();
  const std::string at999 = rt::CStr(ProductPage(*product, 999, "")->GetProperty("PersistedStateInfo"));
  for (auto _ : state) benchmark::DoNotOptimize(ProductPage(*product, 1000, at999));
}

BENCHMARK(BM_GetProductsByCriteria)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawProductsBySupplier)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_countProductIDsFromPartNum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawCountProductIDs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetProductsAsDRecordSetPage)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetProductsAsDRecordSetPage1000FromPage999)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
