// The cost of a conversion between two currencies that are not the home
// currency (ConvertAmount: the two currencies and three rate rows read
// through the data layer, one connection each) against the floor: two
// prepared statements reading the two rate rows with plain SQLite and the
// same arithmetic.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "data/schema.h"
#include "interfaces/currency.h"
#include "runtime/registry.h"

namespace {

const char* kRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE<=? AND (EXPIRYDATE IS NULL OR EXPIRYDATE>?)";

// An installation of its own for the process: the currency tables with the
// sample currencies (home USD; GBP and JPY are neither the home currency nor
// tied to the euro), and a configuration naming the database.
class Fixture {
 public:
  static const Fixture& Get() {
    static Fixture f;
    return f;
  }
  std::string path;
  ~Fixture() { std::filesystem::remove_all(dir_); }

 private:
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "currencybench-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    path = dir_ + "/catalog.db";
    data::CreateDatabase(path,
                         {SUITE_SOURCE_DIR "/db/02_currency.sql", SUITE_SOURCE_DIR "/db/sample/02_currency.sql"});
    std::ofstream(dir_ + "/suite.ini") << "[LOG]\nFile=" << dir_ << "/suite.log\n[CONNECTIONS]\n"
                                       << "BrintorConnection_ConnectionString=Provider=SQLite;Data Source=" << path
                                       << "\n";
    setenv("SUITE_CONFIG", (dir_ + "/suite.ini").c_str(), 1);
  }
  std::string dir_;
};

void BM_ConvertAmountBetweenTwoForeignCurrencies(benchmark::State& state) {
  Fixture::Get();
  auto currency = std::dynamic_pointer_cast<ICurrency>(rt::CreateObject("Brintor.Currency"));
  std::string from = "GBP", to = "JPY";
  rt::Currency amount = rt::Currency::FromScaled(1000000);
  rt::Date day = rt::Date::FromParts(2026, 12, 8);
  for (auto _ : state) {
    benchmark::DoNotOptimize(currency->ConvertAmount(from, to, amount, day));
  }
}

// Reads one rate row: factor and home rate.
void ReadRate(sqlite3_stmt* st, const char* code, int& factor, double& rate) {
  sqlite3_reset(st);
  sqlite3_bind_text(st, 1, code, -1, SQLITE_STATIC);
  sqlite3_bind_text(st, 2, "2026-12-08 00:00:00", -1, SQLITE_STATIC);
  sqlite3_bind_text(st, 3, "2026-12-08 00:00:00", -1, SQLITE_STATIC);
  if (sqlite3_step(st) != SQLITE_ROW) abort();
  rate = sqlite3_column_double(st, 3);
  factor = sqlite3_column_int(st, 5);
}

void BM_TwoPreparedRateReadsAndTheArithmetic(benchmark::State& state) {
  const Fixture& f = Fixture::Get();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, kRateSql, -1, &st, nullptr);
  const double amount = 100;
  for (auto _ : state) {
    int f1 = 0, f2 = 0;
    double r1 = 0, r2 = 0;
    ReadRate(st, "GBP", f1, r1);
    ReadRate(st, "JPY", f2, r2);
    const double home = amount / (static_cast<double>(f1) * r1);
    benchmark::DoNotOptimize(rt::Currency::FromDouble(home * r2 * static_cast<double>(f2)));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}

BENCHMARK(BM_ConvertAmountBetweenTwoForeignCurrencies);
BENCHMARK(BM_TwoPreparedRateReadsAndTheArithmetic);

}  // namespace

BENCHMARK_MAIN();
