// The cost of adding and deleting one rate period through the transactional
// currency writer (AddCurrencyRate: its validation with the covering and the
// inside-period queries, then the insert; DeleteCurrencyRate: the delete;
// each call a root transaction that commits) on a currency with 1,000
// earlier periods, against the floor: the same four statements as SQLite
// prepared statements, the two writes each committing by itself.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "bench/bench_installation.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/tcurrency.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace {

// The period that each round adds and deletes again, after the 1,000 daily
// periods of 2020-01-01 to 2022-09-26.
const char* const kEffective = "2023-01-01 00:00:00";
const char* const kExpiry = "2023-02-01 00:00:00";

const char* const kCovering =
    "SELECT CURRENCYCODE FROM CURRENCYRATE WHERE CURRENCYCODE = ? AND EFFECTIVEDATE <= ? AND (EXPIRYDATE IS NULL "
    "OR EXPIRYDATE > ?)";
const char* const kInside =
    "SELECT CURRENCYCODE FROM CURRENCYRATE WHERE CURRENCYCODE = ? AND EFFECTIVEDATE > ? AND EFFECTIVEDATE < ?";
const char* const kInsert = "INSERT INTO CURRENCYRATE VALUES (?, ?, ?, ?, ?, ?)";
const char* const kDelete = "DELETE FROM CURRENCYRATE WHERE CURRENCYCODE = ? AND EFFECTIVEDATE = ?";

using benchinstall::Exec;

// An installation of its own for the process: the currency tables with a
// home currency and the currency BEN with its 1,000 periods.
const benchinstall::Installation& Fixture() {
  static const benchinstall::Installation made(
      "tcurrencybench", {SUITE_SOURCE_DIR "/db/02_currency.sql"}, benchinstall::Reader::Brintor, [](sqlite3* db) {
        Exec(db, "PRAGMA journal_mode=WAL; BEGIN;"
                 "INSERT INTO CURRENCY VALUES ('HOM', 'Home', 1, 0, 0, 2, NULL);"
                 "INSERT INTO CURRENCY VALUES ('BEN', 'Bench', 0, 0, 0, 2, NULL);");
        for (int day = 0; day < 1000; ++day) {
          Exec(db, "INSERT INTO CURRENCYRATE VALUES ('BEN', datetime('2020-01-01', '+" + std::to_string(day) +
                       " days'), datetime('2020-01-01', '+" + std::to_string(day + 1) + " days'), 1.5, NULL, 1);");
        }
        Exec(db, "COMMIT;");
      });
  return made;
}

void BM_AddThenDeleteRatePeriodThroughTheWriter(benchmark::State& state) {
  Fixture();
  // As the host makes it: every outermost call is a root transaction.
  rt::ObjectPtr object = rt::CreateRootObject("Brintor.TCurrency", std::make_shared<rt::Activity>());
  auto* writer = dynamic_cast<ITCurrency*>(object.get());
  const rt::Variant code("BEN"), effective(kEffective), expiry(kExpiry), home(1.25), euro = rt::Variant::Null();
  const rt::Variant factor(int32_t{1}), epc(false);
  for (auto _ : state) {
    writer->AddCurrencyRate(code, effective, expiry, home, euro, factor, epc);
    writer->DeleteCurrencyRate(code, effective);
  }
}

struct Prepared {
  sqlite3_stmt* st = nullptr;
  Prepared(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st, nullptr); }
  ~Prepared() { sqlite3_finalize(st); }
  Prepared& Text(int i, const char* v) {
    sqlite3_bind_text(st, i, v, -1, SQLITE_STATIC);
    return *this;
  }
  // Steps to the end; answers whether there was a row.
  bool Run() {
    const bool row = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_reset(st);
    return row;
  }
};

void BM_TheSameStatementsPrepared(benchmark::State& state) {
  const auto& f = Fixture();
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_busy_timeout(db, 15000);
  {
    Prepared covering(db, kCovering), inside(db, kInside), insert(db, kInsert), remove(db, kDelete);
    covering.Text(1, "BEN").Text(2, kEffective).Text(3, kEffective);
    inside.Text(1, "BEN").Text(2, kEffective).Text(3, kExpiry);
    insert.Text(1, "BEN").Text(2, kEffective).Text(3, kExpiry);
    sqlite3_bind_double(insert.st, 4, 1.25);
    sqlite3_bind_null(insert.st, 5);
    sqlite3_bind_int(insert.st, 6, 1);
    remove.Text(1, "BEN").Text(2, kEffective);
    for (auto _ : state) {
      if (covering.Run() || inside.Run()) std::abort();
      insert.Run();
      remove.Run();
    }
  }
  sqlite3_close(db);
}

BENCHMARK(BM_AddThenDeleteRatePeriodThroughTheWriter);
BENCHMARK(BM_TheSameStatementsPrepared);

}  // namespace

BENCHMARK_MAIN();
