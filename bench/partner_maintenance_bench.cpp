// Benchmarks of the partner's script-driven inserts on 100,000 partners and
// 100,000 addresses, each call a transaction of its own: InsertFromScript
// "BUSINESSPARTNER" (NAME, BUSINESSID, DUNSNUMBER, CURRENCYCODE "GBP") and
// "ADDRESS" (with SHORTDESCRIPTION), against the same statements through
// sqlite3 prepared statements: the uniqueness SELECTs, the currency reads of
// the rate check (home, euro, the currency, its rate and the home rate), the
// INSERT and one commit.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/sqlite_text_rules.h"
#include "interfaces/business_partner.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

// One installation for the whole run: the sample currencies and partners,
// then 100,000 partners and 100,000 addresses with unique business ids, DUNS
// numbers and short descriptions.
// The folder is removed when the run ends.
BrintorSandbox& Installation() {
  static BrintorSandbox box(true);
  static bool filled = [] {
    box.Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BUSINESSID, DUNSNUMBER, CURRENCYCODE, ISONETIMEBP, "
        "ISINTERNALBP) SELECT 1000 + i, 'Partner ' || i, 'BID-' || i, 'DUNS-' || i, 'GBP', 0, 0 FROM n;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "INSERT INTO ADDRESS (ADDRESSID, COUNTRYCODE, NAME1, SHORTDESCRIPTION) "
        "SELECT 1000 + i, 'GB', 'Site ' || i, 'Site ' || i FROM n;");
    return true;
  }();
  (void)filled;
  return box;
}

rt::Variant Array(std::vector<rt::Variant> items) { return rt::Variant(rt::SafeArray::From(std::move(items))); }

// Each call on a root object is a transaction of its own.
IBusinessPartner* Partner(const rt::ObjectPtr& object) { return dynamic_cast<IBusinessPartner*>(object.get()); }

void BM_InsertPartnerFromScript(benchmark::State& state) {
  Installation();
  rt::ObjectPtr object = rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>());
  static int next = 0;
  rt::Variant names = Array({"NAME", "BUSINESSID", "DUNSNUMBER", "CURRENCYCODE"});
  for (auto _ : state) {
    const std::string n = std::to_string(++next);
    rt::Variant values = Array({"Script partner " + n, "SBID-" + n, "SDUNS-" + n, "GBP"});
    rt::ObjectPtr result = Partner(object)->InsertFromScript("BUSINESSPARTNER", names, values);
    if (!rt::CBool(result->Call("Succeeded"))) state.SkipWithError("the insert did not pass its rules");
  }
}
BENCHMARK(BM_InsertPartnerFromScript)->Unit(benchmark::kMicrosecond);

void BM_InsertAddressFromScript(benchmark::State& state) {
  Installation();
  rt::ObjectPtr object = rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>());
  static int next = 0;
  rt::Variant names = Array({"SHORTDESCRIPTION", "COUNTRYCODE", "NAME1"});
  for (auto _ : state) {
    const std::string n = std::to_string(++next);
    rt::Variant values = Array({"Script site " + n, "GB", "Script site " + n});
    rt::ObjectPtr result = Partner(object)->InsertFromScript("ADDRESS", names, values);
    if (!rt::CBool(result->Call("Succeeded"))) state.SkipWithError("the insert did not pass its rules");
  }
}
BENCHMARK(BM_InsertAddressFromScript)->Unit(benchmark::kMicrosecond);

// --- the baseline: the same statements through sqlite3 ---------------------------

class Sqlite {
 public:
  Sqlite() {
    if (sqlite3_open(Installation().CatalogPath().c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open");
    data::InstallSqlServerTextRules(db_);
    sqlite3_busy_timeout(db_, 5000);
  }
  ~Sqlite() {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db_));
    statements_.push_back(s);
    return s;
  }
  // Runs a statement with text parameters; answers whether it gave a row.
  static bool Run(sqlite3_stmt* s, std::initializer_list<std::string> texts) {
    int i = 0;
    for (const std::string& t : texts) sqlite3_bind_text(s, ++i, t.c_str(), -1, SQLITE_TRANSIENT);
    bool row = false;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) row = true;
    sqlite3_reset(s);
    if (rc != SQLITE_DONE) throw std::runtime_error("step failed");
    return row;
  }

 private:
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> statements_;
};

constexpr const char* kRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE<=? AND (EXPIRYDATE IS NULL OR EXPIRYDATE>?)";

void BM_InsertPartnerSqlite(benchmark::State& state) {
  Sqlite db;
  sqlite3_stmt* begin = db.Prepare("BEGIN IMMEDIATE");
  sqlite3_stmt* commit = db.Prepare("COMMIT");
  sqlite3_stmt* byBusinessId = db.Prepare("SELECT * FROM BUSINESSPARTNER WHERE (BUSINESSID=?)");
  sqlite3_stmt* byDuns = db.Prepare("SELECT * FROM BUSINESSPARTNER WHERE (DUNSNUMBER=?)");
  sqlite3_stmt* home =
      db.Prepare("SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE HOMECURRENCY=1");
  sqlite3_stmt* euro =
      db.Prepare("SELECT CURRENCYCODE, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE EURO=1");
  sqlite3_stmt* currency =
      db.Prepare("SELECT CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID FROM CURRENCY WHERE CURRENCYCODE=?");
  sqlite3_stmt* rate = db.Prepare(kRateSql);
  sqlite3_stmt* insert =
      db.Prepare("INSERT INTO BUSINESSPARTNER (NAME, BUSINESSID, DUNSNUMBER, CURRENCYCODE) VALUES (?, ?, ?, ?)");
  const std::string now = "2026-12-08 12:00:00";
  static int next = 0;
  for (auto _ : state) {
    const std::string n = std::to_string(++next);
    Sqlite::Run(begin, {});
    if (Sqlite::Run(byBusinessId, {"QBID-" + n}) || Sqlite::Run(byDuns, {"QDUNS-" + n}))
      state.SkipWithError("not unique");
    Sqlite::Run(home, {});
    Sqlite::Run(euro, {});
    Sqlite::Run(currency, {"GBP"});
    Sqlite::Run(rate, {"GBP", now, now});
    Sqlite::Run(rate, {"USD", now, now});
    Sqlite::Run(insert, {"Baseline partner " + n, "QBID-" + n, "QDUNS-" + n, "GBP"});
    Sqlite::Run(commit, {});
  }
}
BENCHMARK(BM_InsertPartnerSqlite)->Unit(benchmark::kMicrosecond);

void BM_InsertAddressSqlite(benchmark::State& state) {
  Sqlite db;
  sqlite3_stmt* begin = db.Prepare("BEGIN IMMEDIATE");
  sqlite3_stmt* commit = db.Prepare("COMMIT");
  sqlite3_stmt* byDescription = db.Prepare("SELECT * FROM ADDRESS WHERE (SHORTDESCRIPTION=?)");
  sqlite3_stmt* insert = db.Prepare("INSERT INTO ADDRESS (SHORTDESCRIPTION, COUNTRYCODE, NAME1) VALUES (?, ?, ?)");
  static int next = 0;
  for (auto _ : state) {
    const std::string n = std::to_string(++next);
    Sqlite::Run(begin, {});
    if (Sqlite::Run(byDescription, {"Baseline site " + n})) state.SkipWithError("not unique");
    Sqlite::Run(insert, {"Baseline site " + n, "GB", "Baseline site " + n});
    Sqlite::Run(commit, {});
  }
}
BENCHMARK(BM_InsertAddressSqlite)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
