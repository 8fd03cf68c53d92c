// The price import over 20,000 products: one batch of a document of
// 100,000 price lines (5 a part number, one of them invalid) through
// Quarvel.PriceXML.UpdateInsertPricesFromXML, (a) into an empty price table
// (80,000 rows added), then (b) again with other prices (80,000 rows
// changed). The baseline, in the same run, writes the same rows through
// sqlite3 itself with prepared statements: the product id of each part
// number, the key select of each line, then its insert or update, committed
// in groups of 1,000 rows as the import does. The target: at least 20,000
// lines a second, and within 8 times the baseline's time.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/import_documents.h"
#include "bench/import_runs.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/price_xml.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 20000;
constexpr int kLinesPerPart = 5;
constexpr int kRowsPerGroup = 1000;

BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>(true);
    b->Exec("DELETE FROM PRODUCTPROPVALUE; DELETE FROM PRODUCT;" + benchdocs::ProductsSql(kProducts));
    return b;
  }();
  return *box;
}

const benchdocs::PriceDocument& Document(int round) {
  static const benchdocs::PriceDocument first = benchdocs::MakePriceDocument(kProducts, kLinesPerPart, 0);
  static const benchdocs::PriceDocument second = benchdocs::MakePriceDocument(kProducts, kLinesPerPart, 1);
  return round == 0 ? first : second;
}

void Import(int round) {
  static rt::ObjectPtr object = rt::CreateRootObject("Quarvel.PriceXML", std::make_shared<rt::Activity>());
  std::vector<rt::Variant> parts;
  for (int p = 1; p <= kProducts; ++p) parts.emplace_back(benchdocs::PartNumber(p));
  rt::Args args{rt::Variant("bench/\\" + Document(round).text), rt::Variant(false),
                rt::Variant(rt::SafeArray::From(std::move(parts)))};
  object->Invoke("UpdateInsertPricesFromXML", rt::CallKind::Method, args);
}

// --- the baseline ------------------------------------------------------------------

class Baseline {
 public:
  Baseline() {
    sqlite3_open(Installation().CatalogPath().c_str(), &db_);
    data::InstallSqlServerTextRules(db_);
    sqlite3_busy_timeout(db_, 15000);
    Prepare(&product_, "SELECT PRODUCTID FROM PRODUCT WHERE BUYFROMPARTNUMBER = ? ORDER BY PRODUCTID LIMIT 1");
    Prepare(&key_,
            "SELECT 1 FROM CATALOGPRODUCTPRICE WHERE PRODUCTID = ? AND PRICEEFFECTIVEDATE = ? AND QUANTITYTO = ?"
            " AND (GROUPBY IS NULL OR GROUPBY = '')");
    Prepare(&insert_,
            "INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, PRICEEXPIRYDATE,"
            " CURRENCYCODE, PRICE, DISCOUNTAMOUNT) VALUES (?, ?, ?, ?, ?, ?, ?)");
    Prepare(&update_,
            "UPDATE CATALOGPRODUCTPRICE SET PRICEEXPIRYDATE = ?, CURRENCYCODE = ?, PRICE = ?, DISCOUNTAMOUNT = ?"
            " WHERE PRODUCTID = ? AND PRICEEFFECTIVEDATE = ? AND QUANTITYTO = ? AND (GROUPBY IS NULL OR GROUPBY = '')");
  }
  ~Baseline() {
    for (sqlite3_stmt* st : {product_, key_, insert_, update_}) sqlite3_finalize(st);
    sqlite3_close(db_);
  }

  void Write(const benchdocs::PriceDocument& doc) {
    int inGroup = 0;
    size_t next = 0;
    for (int p = 1; p <= kProducts; ++p) {
      const std::string part = benchdocs::PartNumber(p);
      sqlite3_bind_text(product_, 1, part.c_str(), -1, SQLITE_TRANSIENT);
      const int id = sqlite3_step(product_) == SQLITE_ROW ? sqlite3_column_int(product_, 0) : 0;
      sqlite3_reset(product_);
      for (; next < doc.rows.size() && doc.rows[next].product == id; ++next) {
        if (inGroup == 0) sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        const benchdocs::PriceRow& row = doc.rows[next];
        BindKey(key_, 1, row);
        const bool found = sqlite3_step(key_) == SQLITE_ROW;
        sqlite3_reset(key_);
        sqlite3_stmt* st = found ? update_ : insert_;
        const int values = found ? 1 : 4;
        if (!found) BindKey(st, 1, row);
        sqlite3_bind_text(st, values, row.expiry, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, values + 1, row.currency, -1, SQLITE_STATIC);
        sqlite3_bind_double(st, values + 2, row.price);
        sqlite3_bind_double(st, values + 3, row.discount);
        if (found) BindKey(st, 5, row);
        sqlite3_step(st);
        sqlite3_reset(st);
        if (++inGroup == kRowsPerGroup) {
          sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
          inGroup = 0;
        }
      }
    }
    if (inGroup > 0) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }

 private:
  void Prepare(sqlite3_stmt** st, const char* sql) { sqlite3_prepare_v2(db_, sql, -1, st, nullptr); }
  static void BindKey(sqlite3_stmt* st, int first, const benchdocs::PriceRow& row) {
    sqlite3_bind_int(st, first, row.product);
    sqlite3_bind_text(st, first + 1, row.effective, -1, SQLITE_STATIC);
    sqlite3_bind_double(st, first + 2, row.quantity);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *product_ = nullptr, *key_ = nullptr, *insert_ = nullptr, *update_ = nullptr;
};

void ClearPrices() { Installation().Exec("DELETE FROM CATALOGPRODUCTPRICE"); }

void Count(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kProducts * kLinesPerPart);
}

void BM_ImportInserting(benchmark::State& state) {
  Installation();
  Document(0);
  benchdocs::WriteIntoEmptyTables(state, ClearPrices, Import);
  Count(state);
}
BENCHMARK(BM_ImportInserting)->Unit(benchmark::kMillisecond);

void BM_ImportInsertingBaseline(benchmark::State& state) {
  Baseline baseline;
  benchdocs::WriteIntoEmptyTables(state, ClearPrices, [&](int round) { baseline.Write(Document(round)); });
  Count(state);
}
BENCHMARK(BM_ImportInsertingBaseline)->Unit(benchmark::kMillisecond);

// Each run changes the rows of the other document's prices.
void BM_ImportUpdating(benchmark::State& state) {
  ClearPrices();
  benchdocs::WriteInTurn(state, Import);
  Count(state);
}
BENCHMARK(BM_ImportUpdating)->Unit(benchmark::kMillisecond);

void BM_ImportUpdatingBaseline(benchmark::State& state) {
  ClearPrices();
  Baseline baseline;
  benchdocs::WriteInTurn(state, [&](int round) { baseline.Write(Document(round)); });
  Count(state);
}
BENCHMARK(BM_ImportUpdatingBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
