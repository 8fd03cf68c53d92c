// The product import of 20,000 products through
// Quarvel.ProductXML.insertProductsFromXML, one batch each: (a) into a
// catalog without them (20,000 products added, each with one buyer of 50
// and three property values: two properties of the sample, one the first
// product creates), then (b) a second document of the same part numbers
// (every product updated). Each product gives its unit by description, its
// commodity, its supplier by business id and its UNSPSC code, with the
// UNSPSC switch on (the codes are checked against the tree). BM_Import*
// run on a catalog without product categories of the code, so no product is
// relinked, as the baseline writes no links; BM_ImportInsertingRelinked
// keeps the sample's categories of the code, so every new product joins
// them (bench/unspsc_bench measures the relinking alone). The baseline, in
// the same run, writes the same PRODUCT, PRODUCTBUYER and PRODUCTPROPVALUE
// rows through sqlite3 itself with prepared statements (the part-number
// lookup of each product, then its rows), committed in groups of 1,000 rows
// as the import does. The target: at least 5,000 products a second, and
// within 8 times the baseline's time.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/import_documents.h"
#include "bench/import_runs.h"
#include "data/sqlite_text_rules.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 20000;
constexpr int kRowsPerGroup = 1000;
using benchdocs::ProductCommon;

BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>(true);
    std::ifstream in(b->ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::ofstream(b->ConfigPath(), std::ios::trunc)
        << std::regex_replace(text.str(), std::regex("UNSPSCIMPLEMENTED=No"), "UNSPSCIMPLEMENTED=Yes");
    // The categories of the code are kept aside for the relinked run.
    const std::string ofTheCode = "WHERE '" + std::string(ProductCommon::kUnspscCode) + "' LIKE UNSPSCCODE || '%'";
    b->Exec("CREATE TABLE BENCH_CATEGORIES AS SELECT * FROM PRODUCTCATEGORY " + ofTheCode +
            "; DELETE FROM PRODUCTSBYCATEGORY; DELETE FROM PRODUCTCATEGORY " + ofTheCode);
    return b;
  }();
  return *box;
}

const benchdocs::ProductDocument& Document(int round) {
  static const benchdocs::ProductDocument first = benchdocs::MakeProductDocument(kProducts, 0);
  static const benchdocs::ProductDocument second = benchdocs::MakeProductDocument(kProducts, 1);
  return round == 0 ? first : second;
}

// The catalog as the sample has it: its products and five properties.
void ClearProducts() {
  Installation().Exec(
      "DELETE FROM PRODUCTBUYER; DELETE FROM PRODUCTPROPVALUE WHERE PRODUCTID IN (SELECT PRODUCTID FROM PRODUCT"
      " WHERE BUYFROMPARTNUMBER LIKE 'SP-%'); DELETE FROM PRODUCT WHERE BUYFROMPARTNUMBER LIKE 'SP-%';"
      " DELETE FROM PROPERTY WHERE PROPERTYID > 5;");
}

void Import(int round) {
  std::vector<rt::Variant> parts;
  for (int p = 1; p <= kProducts; ++p) parts.emplace_back(benchdocs::PartNumber(p));
  rt::ObjectPtr object = rt::CreateRootObject("Quarvel.ProductXML", std::make_shared<rt::Activity>());
  rt::Args args{rt::Variant("bench/\\" + Document(round).text), rt::Variant(false),
                rt::Variant(rt::SafeArray::From(std::move(parts))), rt::Variant(false)};
  object->Invoke("insertProductsFromXML", rt::CallKind::Method, args);
}

// --- the baseline ------------------------------------------------------------------

class Baseline {
 public:
  Baseline() {
    sqlite3_open(Installation().CatalogPath().c_str(), &db_);
    data::InstallSqlServerTextRules(db_);
    sqlite3_busy_timeout(db_, 15000);
    Prepare(&find_, "SELECT PRODUCTID FROM PRODUCT WHERE BUYFROMPARTNUMBER = ? ORDER BY PRODUCTID LIMIT 1");
    Prepare(&insert_,
            "INSERT INTO PRODUCT (PARTNUMBER, PRODUCTDESCRIPTION, UNITCODE, COMMODITYCODE, BUSINESSPARTNERID,"
            " USERID, MULTIPLEBUYER, UNSPSCCODE, DATEUPDATED, BUYFROMPARTNUMBER) VALUES (?, ?, ?, ?, ?, ?, 1, ?, ?, ?)");
    Prepare(&update_,
            "UPDATE PRODUCT SET PARTNUMBER = ?, PRODUCTDESCRIPTION = ?, UNITCODE = ?, COMMODITYCODE = ?,"
            " BUSINESSPARTNERID = ?, USERID = ?, MULTIPLEBUYER = 1, UNSPSCCODE = ?, DATEUPDATED = ?"
            " WHERE PRODUCTID = ?");
    Prepare(&clearBuyers_, "DELETE FROM PRODUCTBUYER WHERE PRODUCTID = ?");
    Prepare(&addBuyer_, "INSERT INTO PRODUCTBUYER (PRODUCTID, USERID) VALUES (?, ?)");
    Prepare(&addValue_, "INSERT INTO PRODUCTPROPVALUE (PROPERTYID, PRODUCTID, VALUE) VALUES (?, ?, ?)");
    Prepare(&setValue_, "UPDATE PRODUCTPROPVALUE SET VALUE = ? WHERE PROPERTYID = ? AND PRODUCTID = ?");
  }
  ~Baseline() {
    for (sqlite3_stmt* st : {find_, insert_, update_, clearBuyers_, addBuyer_, addValue_, setValue_})
      sqlite3_finalize(st);
    sqlite3_close(db_);
  }

  void Write(const benchdocs::ProductDocument& doc) {
    const int material = MaterialProperty();
    inGroup_ = 0;
    for (const benchdocs::ProductRow& row : doc.rows) {
      sqlite3_bind_text(find_, 1, row.partNumber.c_str(), -1, SQLITE_STATIC);
      const bool found = sqlite3_step(find_) == SQLITE_ROW;
      int id = found ? sqlite3_column_int(find_, 0) : 0;
      sqlite3_reset(find_);
      sqlite3_stmt* st = found ? update_ : insert_;
      sqlite3_bind_text(st, 1, row.number.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 2, row.description.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 3, ProductCommon::kUnitCode, -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 4, ProductCommon::kCommodity, -1, SQLITE_STATIC);
      sqlite3_bind_int(st, 5, ProductCommon::kPartnerId);
      sqlite3_bind_text(st, 6, row.buyer.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 7, ProductCommon::kUnspscCode, -1, SQLITE_STATIC);
      sqlite3_bind_text(st, 8, "2026-12-09 12:00:00", -1, SQLITE_STATIC);
      if (found) {
        sqlite3_bind_int(st, 9, id);
      } else {
        sqlite3_bind_text(st, 9, row.partNumber.c_str(), -1, SQLITE_STATIC);
      }
      Step(st);
      if (!found) id = static_cast<int>(sqlite3_last_insert_rowid(db_));
      if (found) {
        sqlite3_bind_int(clearBuyers_, 1, id);
        Step(clearBuyers_);
      }
      sqlite3_bind_int(addBuyer_, 1, id);
      sqlite3_bind_text(addBuyer_, 2, row.buyer.c_str(), -1, SQLITE_STATIC);
      Step(addBuyer_);
      const std::pair<int, const std::string*> values[] = {
          {ProductCommon::kColourId, &row.colour}, {ProductCommon::kVoltageId, &row.voltage}, {material, &row.material}};
      for (const auto& [property, value] : values) {
        sqlite3_stmt* v = found ? setValue_ : addValue_;
        sqlite3_bind_int(v, found ? 2 : 1, property);
        sqlite3_bind_int(v, found ? 3 : 2, id);
        sqlite3_bind_text(v, found ? 1 : 3, value->c_str(), -1, SQLITE_STATIC);
        Step(v);
      }
    }
    if (inGroup_ > 0) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  }

 private:
  void Prepare(sqlite3_stmt** st, const char* sql) { sqlite3_prepare_v2(db_, sql, -1, st, nullptr); }
  // One row written: the first of a group begins it, the last commits it.
  void Step(sqlite3_stmt* st) {
    if (inGroup_ == 0) sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    sqlite3_step(st);
    sqlite3_reset(st);
    if (++inGroup_ == kRowsPerGroup) {
      sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
      inGroup_ = 0;
    }
  }
  // The new property's id, added as the import adds it when it is missing.
  int MaterialProperty() {
    auto id = [&] {
      sqlite3_stmt* st = nullptr;
      Prepare(&st, "SELECT PROPERTYID FROM PROPERTY WHERE PROPERTYNAME = 'MATERIAL'");
      const int found = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : 0;
      sqlite3_finalize(st);
      return found;
    };
    if (const int found = id()) return found;
    sqlite3_exec(db_, "INSERT INTO PROPERTY (PROPERTYNAME, DATATYPE, EXTERNAL) VALUES ('MATERIAL', 1, 1)", nullptr,
                 nullptr, nullptr);
    return id();
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt *find_ = nullptr, *insert_ = nullptr, *update_ = nullptr, *clearBuyers_ = nullptr,
               *addBuyer_ = nullptr, *addValue_ = nullptr, *setValue_ = nullptr;
  int inGroup_ = 0;
};

void Count(benchmark::State& state) { state.SetItemsProcessed(state.iterations() * kProducts); }

void BM_ImportInserting(benchmark::State& state) {
  Installation();
  Document(0);
  benchdocs::WriteIntoEmptyTables(state, ClearProducts, Import);
  Count(state);
}
BENCHMARK(BM_ImportInserting)->Unit(benchmark::kMillisecond);

// As BM_ImportInserting, with the categories of the products' code in the
// catalog: every product joins them.
void BM_ImportInsertingRelinked(benchmark::State& state) {
  Installation();
  Document(0);
  for (auto _ : state) {
    state.PauseTiming();
    ClearProducts();
    Installation().Exec("INSERT INTO PRODUCTCATEGORY SELECT * FROM BENCH_CATEGORIES");
    state.ResumeTiming();
    Import(0);
    state.PauseTiming();
    Installation().Exec(
        "DELETE FROM PRODUCTSBYCATEGORY; DELETE FROM PRODUCTCATEGORY WHERE CATEGORYID IN "
        "(SELECT CATEGORYID FROM BENCH_CATEGORIES)");
    state.ResumeTiming();
  }
  Count(state);
}
BENCHMARK(BM_ImportInsertingRelinked)->Unit(benchmark::kMillisecond);

void BM_ImportInsertingBaseline(benchmark::State& state) {
  Baseline baseline;
  benchdocs::WriteIntoEmptyTables(state, ClearProducts, [&](int round) { baseline.Write(Document(round)); });
  Count(state);
}
BENCHMARK(BM_ImportInsertingBaseline)->Unit(benchmark::kMillisecond);

// Each run updates the products with the other document's values.
void BM_ImportUpdating(benchmark::State& state) {
  ClearProducts();
  benchdocs::WriteInTurn(state, Import);
  Count(state);
}
BENCHMARK(BM_ImportUpdating)->Unit(benchmark::kMillisecond);

void BM_ImportUpdatingBaseline(benchmark::State& state) {
  ClearProducts();
  Baseline baseline;
  benchdocs::WriteInTurn(state, [&](int round) { baseline.Write(Document(round)); });
  Count(state);
}
BENCHMARK(BM_ImportUpdatingBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
