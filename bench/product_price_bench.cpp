// The cost of pricing a product (Quarvel.Product.getCatalogPriceAttributes)
// on 100,000 products of 5 price lines each: a quantity, the line's pound
// amounts asked in yen (two currencies that are neither the home currency
// nor the euro), the object made once. Measured without a context, and as
// the root of a transaction per call, against the same run's raw work done
// with prepared sqlite3 statements:
// - the minimal work: the price-line select, the two rate rows, the
//   arithmetic;
// - every statement the method is written to run for the call: the
//   price-line select and, for each amount that is not zero (the price and
//   the freight; the discount amount is Null), the six reads of a
//   conversion (home currency, its rate, each currency and its rate).
// And the method on products with 10 and with 1,000 lines in force.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "data/sqlite_text_rules.h"
#include "interfaces/product.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 100000;

// The product that has `lines` price lines in force at a quantity of 20.
int32_t LinesProduct(int lines) { return kProducts + (lines == 10 ? 1 : 2); }

// The installation: the sample currencies, then 100,000 products with
// lines at breaks 10, 50, 100, 500 and 1000, in pounds, in force since
// 2026-01-01 (a discount percentage, no discount amount, freight).
BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>();
    std::ifstream in(SUITE_SOURCE_DIR "/db/sample/02_currency.sql");
    std::stringstream currencies;
    currencies << in.rdbuf();
    b->Exec(currencies.str());
    b->Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kProducts) +
            ") INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID) "
            "SELECT i, 'P-' || i, 'Product ' || i, 1 FROM n;"
            "WITH RECURSIVE b(q) AS (SELECT 10 UNION ALL SELECT 50 UNION ALL SELECT 100 UNION ALL SELECT 500 "
            "UNION ALL SELECT 1000) INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, "
            "CURRENCYCODE, PRICE, DISCOUNTPERC, PRICETAXPERCENTAGE, FREIGHTCOST) "
            "SELECT PRODUCTID, '2026-01-01 00:00:00', q, 'GBP', 100 - q / 100.0, 5, 20, 2.5 FROM PRODUCT, b;");
    // Two products with 10 and 1,000 lines in force for a quantity of 20.
    for (const int lines : {10, 1000}) {
      const std::string id = std::to_string(LinesProduct(lines));
      b->Exec("INSERT INTO PRODUCT (PRODUCTID, PARTNUMBER, PRODUCTDESCRIPTION, BUSINESSPARTNERID) VALUES (" + id +
              ", 'L-" + id + "', 'Lines', 1);"
              "WITH RECURSIVE q(n) AS (SELECT 21 UNION ALL SELECT n + 1 FROM q WHERE n < " +
              std::to_string(20 + lines) +
              ") INSERT INTO CATALOGPRODUCTPRICE (PRODUCTID, PRICEEFFECTIVEDATE, QUANTITYTO, CURRENCYCODE, PRICE, "
              "DISCOUNTPERC, PRICETAXPERCENTAGE, FREIGHTCOST) SELECT " +
              id + ", '2026-01-01 00:00:00', n, 'GBP', 90, 5, 20, 2.5 FROM q;");
    }
    return b;
  }();
  return *box;
}

// The products asked for, spread over the table.
int32_t ProductFor(int64_t call) { return static_cast<int32_t>((call * 7919) % kProducts) + 1; }

const rt::Date kDay = rt::Date::FromParts(2026, 12, 8);

void Price(benchmark::State& state, const rt::ObjectPtr& object) {
  auto product = std::dynamic_pointer_cast<IProduct>(object);
  int64_t call = 0;
  for (auto _ : state) {
    auto attributes = product->getCatalogPriceAttributes(ProductFor(call++), kDay, "JPY", 20.0);
    benchmark::DoNotOptimize(attributes);
  }
}

void BM_CatalogPriceAttributes(benchmark::State& state) {
  Installation();
  Price(state, rt::CreateObject("Quarvel.Product"));
}

// Each call is the root of a transaction of its own, as a web page's is.
void BM_CatalogPriceAttributesAsContextRoot(benchmark::State& state) {
  Installation();
  Price(state, rt::CreateRootObject("Quarvel.Product", std::make_shared<rt::Activity>()));
}

// A product with 10 or 1,000 lines in force: only the first is used, so
// the cost should hardly grow with the lines.
void BM_CatalogPriceAttributesLinesInForce(benchmark::State& state) {
  Installation();
  auto product = std::dynamic_pointer_cast<IProduct>(rt::CreateObject("Quarvel.Product"));
  const int32_t id = LinesProduct(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(product->getCatalogPriceAttributes(id, kDay, "JPY", 20.0));
}

// --- raw work with prepared statements ------------------------------------------

const char* const kLineSql =
    "SELECT CURRENCYCODE, PRICE, DISCOUNTPERC, DISCOUNTAMOUNT, PRICETAXPERCENTAGE, FREIGHTCOST FROM "
    "CATALOGPRODUCTPRICE WHERE PRODUCTID=? AND (GROUPBY = '' OR GROUPBY IS NULL) AND PRICEEFFECTIVEDATE<=? AND "
    "(PRICEEXPIRYDATE>=? OR PRICEEXPIRYDATE IS NULL) AND QUANTITYTO>=? ORDER BY QUANTITYTO";
const char* const kCurrencySql =
    "SELECT CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE CURRENCYCODE=?";
const char* const kHomeSql =
    "SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE HOMECURRENCY=1";
const char* const kRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE<=? AND (EXPIRYDATE IS NULL OR EXPIRYDATE>?)";
const char* const kDayText = "2026-12-08 00:00:00";

// Each statement is reset once its row is read, so that, as in the method,
// every statement is a read transaction of its own and sees what others
// committed before it.
struct Raw {
  sqlite3* db = nullptr;
  sqlite3_stmt* line = nullptr;
  sqlite3_stmt* currency = nullptr;
  sqlite3_stmt* home = nullptr;
  sqlite3_stmt* rate = nullptr;
  Raw() {
    sqlite3_open_v2(Installation().CatalogPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    data::InstallSqlServerTextRules(db);
    sqlite3_prepare_v2(db, kLineSql, -1, &line, nullptr);
    sqlite3_prepare_v2(db, kCurrencySql, -1, &currency, nullptr);
    sqlite3_prepare_v2(db, kHomeSql, -1, &home, nullptr);
    sqlite3_prepare_v2(db, kRateSql, -1, &rate, nullptr);
  }
  ~Raw() {
    for (sqlite3_stmt* st : {line, currency, home, rate}) sqlite3_finalize(st);
    sqlite3_close(db);
  }

  // The line for the product at quantity 20: currency, price, freight.
  void Line(int32_t product, std::string& code, double& price, double& freight) {
    sqlite3_reset(line);
    sqlite3_bind_int(line, 1, product);
    sqlite3_bind_text(line, 2, kDayText, -1, SQLITE_STATIC);
    sqlite3_bind_text(line, 3, kDayText, -1, SQLITE_STATIC);
    sqlite3_bind_double(line, 4, 20);
    if (sqlite3_step(line) != SQLITE_ROW) abort();
    code = reinterpret_cast<const char*>(sqlite3_column_text(line, 0));
    price = sqlite3_column_double(line, 1);
    freight = sqlite3_column_double(line, 5);
    sqlite3_reset(line);
  }
  // One rate row: home rate per factor units.
  double Rate(const char* code) {
    sqlite3_reset(rate);
    sqlite3_bind_text(rate, 1, code, -1, SQLITE_STATIC);
    sqlite3_bind_text(rate, 2, kDayText, -1, SQLITE_STATIC);
    sqlite3_bind_text(rate, 3, kDayText, -1, SQLITE_STATIC);
    if (sqlite3_step(rate) != SQLITE_ROW) abort();
    const double perUnit = sqlite3_column_double(rate, 3) / sqlite3_column_int(rate, 5);
    sqlite3_reset(rate);
    return perUnit;
  }
  void Currency(sqlite3_stmt* st, const char* code) {
    sqlite3_reset(st);
    if (code) sqlite3_bind_text(st, 1, code, -1, SQLITE_STATIC);
    if (sqlite3_step(st) != SQLITE_ROW) abort();
    benchmark::DoNotOptimize(sqlite3_column_int(st, 2));
    sqlite3_reset(st);
  }
};

int64_t Cents(double amount) { return std::llround(amount * 10000); }

void BM_RawMinimal(benchmark::State& state) {
  Raw raw;
  int64_t call = 0;
  for (auto _ : state) {
    std::string code;
    double price = 0, freight = 0;
    raw.Line(ProductFor(call++), code, price, freight);
    const double from = raw.Rate(code.c_str());
    const double to = raw.Rate("JPY");
    benchmark::DoNotOptimize(Cents(price / from * to));
    benchmark::DoNotOptimize(Cents(freight / from * to));
  }
}

// One conversion as prescribed: the home currency and its rate, then each
// currency and its rate.
double PrescribedConversion(Raw& raw, const std::string& from, double amount) {
  raw.Currency(raw.home, nullptr);
  raw.Rate("USD");
  raw.Currency(raw.currency, from.c_str());
  const double source = raw.Rate(from.c_str());
  raw.Currency(raw.currency, "JPY");
  return amount / source * raw.Rate("JPY");
}

void BM_RawPrescribed(benchmark::State& state) {
  Raw raw;
  int64_t call = 0;
  for (auto _ : state) {
    std::string code;
    double price = 0, freight = 0;
    raw.Line(ProductFor(call++), code, price, freight);
    // The discount amount is Null: zero needs no conversion, as in the method.
    benchmark::DoNotOptimize(Cents(PrescribedConversion(raw, code, price)));
    benchmark::DoNotOptimize(Cents(PrescribedConversion(raw, code, freight)));
  }
}

BENCHMARK(BM_CatalogPriceAttributes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CatalogPriceAttributesAsContextRoot)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CatalogPriceAttributesLinesInForce)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawMinimal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawPrescribed)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
