// The cost of a conversion between two currencies that are not the home
// currency (ConvertAmount: the home currency's rate, then each currency and
// its rate, five rows read through the data layer, one connection each)
// against the floor: prepared statements reading the same five rows with
// plain SQLite into C++ values and the same arithmetic.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "bench/bench_installation.h"
#include "data/date_text.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/currency.h"
#include "runtime/registry.h"

namespace {

const char* kRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE<=? AND (EXPIRYDATE IS NULL OR EXPIRYDATE>?)";

// An installation of its own for the process: the currency tables with the
// sample currencies (home USD; GBP and JPY are neither the home currency nor
// tied to the euro), and a configuration naming the database.
const benchinstall::Installation& Fixture() {
  static const benchinstall::Installation made(
      "currencybench", {SUITE_SOURCE_DIR "/db/02_currency.sql", SUITE_SOURCE_DIR "/db/sample/02_currency.sql"},
      benchinstall::Reader::Brintor);
  return made;
}

void BM_ConvertAmountBetweenTwoForeignCurrencies(benchmark::State& state) {
  Fixture();
  auto currency = std::dynamic_pointer_cast<ICurrency>(rt::CreateObject("Brintor.Currency"));
  std::string from = "GBP", to = "JPY";
  rt::Currency amount = rt::Currency::FromScaled(1000000);
  rt::Date day = rt::Date::FromParts(2026, 12, 8);
  for (auto _ : state) {
    benchmark::DoNotOptimize(currency->ConvertAmount(from, to, amount, day));
  }
}

constexpr const char* kCurrencySql =
    "SELECT CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE CURRENCYCODE=?";

std::string Text(sqlite3_stmt* st, int i) {
  const unsigned char* p = sqlite3_column_text(st, i);
  return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(st, i)) : std::string();
}

// What the method keeps of a currency row: its flags.
struct CurrencyRow {
  std::string name;
  bool home, euro, epc;
  int16_t decimals;
  int32_t locale;
};

// Each read is a statement of its own, reset at once: like the method's
// reads, it ends its read transaction.
CurrencyRow ReadCurrency(sqlite3_stmt* st, const char* code) {
  sqlite3_bind_text(st, 1, code, -1, SQLITE_STATIC);
  if (sqlite3_step(st) != SQLITE_ROW) abort();
  CurrencyRow r{Text(st, 0),
                sqlite3_column_int(st, 1) != 0,
                sqlite3_column_int(st, 2) != 0,
                sqlite3_column_int(st, 3) != 0,
                static_cast<int16_t>(sqlite3_column_int(st, 4)),
                sqlite3_column_int(st, 5)};
  sqlite3_reset(st);
  return r;
}

// A rate row with every column the method reads: the dates parsed.
struct RateRow {
  std::string code;
  rt::Date effective, expiry;
  double home, euro;
  int32_t factor;
};

RateRow ReadRate(sqlite3_stmt* st, const char* code) {
  sqlite3_bind_text(st, 1, code, -1, SQLITE_STATIC);
  sqlite3_bind_text(st, 2, "2026-12-08 00:00:00", -1, SQLITE_STATIC);
  sqlite3_bind_text(st, 3, "2026-12-08 00:00:00", -1, SQLITE_STATIC);
  if (sqlite3_step(st) != SQLITE_ROW) abort();
  RateRow r{Text(st, 0), {}, {}, sqlite3_column_double(st, 3), sqlite3_column_double(st, 4), sqlite3_column_int(st, 5)};
  r.effective = data::ParseStoredDate(Text(st, 1)).value_or(rt::Date{});
  if (sqlite3_column_type(st, 2) != SQLITE_NULL) r.expiry = data::ParseStoredDate(Text(st, 2)).value_or(rt::Date{});
  sqlite3_reset(st);
  return r;
}

void BM_FivePreparedReadsAndTheArithmetic(benchmark::State& state) {
  const auto& f = Fixture();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  data::InstallSqlServerTextRules(db);
  sqlite3_stmt* rate = nullptr;
  sqlite3_stmt* currency = nullptr;
  sqlite3_prepare_v2(db, kRateSql, -1, &rate, nullptr);
  sqlite3_prepare_v2(db, kCurrencySql, -1, &currency, nullptr);
  const double amount = 100;
  for (auto _ : state) {
    const RateRow home = ReadRate(rate, "USD");
    const CurrencyRow from = ReadCurrency(currency, "GBP");
    const RateRow r1 = ReadRate(rate, "GBP");
    const CurrencyRow to = ReadCurrency(currency, "JPY");
    const RateRow r2 = ReadRate(rate, "JPY");
    benchmark::DoNotOptimize(home.factor + from.decimals + to.decimals);
    const double inHome = amount / (static_cast<double>(r1.factor) * r1.home);
    benchmark::DoNotOptimize(rt::Currency::FromDouble(inHome * r2.home * static_cast<double>(r2.factor)));
  }
  sqlite3_finalize(rate);
  sqlite3_finalize(currency);
  sqlite3_close(db);
}

BENCHMARK(BM_ConvertAmountBetweenTwoForeignCurrencies);
BENCHMARK(BM_FivePreparedReadsAndTheArithmetic);

}  // namespace

BENCHMARK_MAIN();
