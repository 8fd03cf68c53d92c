// The cost of the transactional user class's two busiest writes, each call
// a root transaction that commits, against the floor of the same statements
// as SQLite prepared statements in the same run:
//  - an administrative office with a credit card inserted from a script
//    (its checks, the duplicate query, the insert) into 10,000 offices,
//    against the duplicate SELECT, the INSERT and COMMIT;
//  - the 50 partner links of a user replaced (InsertBPSPerUser with delete),
//    against the DELETE, 50 INSERTs and COMMIT.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_installation.h"
#include "data/sqlite_text_rules.h"
#include "interfaces/tuser.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace {

constexpr int kOffices = 10000;
constexpr int kLinks = 50;

using benchinstall::Exec;

// An installation of its own for the process: the user tables with 10,000
// offices, the 50 partners that the links name, a directory holding the
// user "rep1" whose links are replaced, and a configuration naming both
// databases.
const benchinstall::Installation& Fixture() {
  static const benchinstall::Installation made(
      "tuserbench", {SUITE_SOURCE_DIR "/db/03_partner.sql", SUITE_SOURCE_DIR "/db/04_user.sql"},
      benchinstall::Reader::Brintor, [](sqlite3* db) {
        Exec(db, "PRAGMA journal_mode=WAL; BEGIN;");
        for (int i = 0; i < kOffices; ++i) {
          Exec(db, "INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE, CURRENCYCODE) VALUES ('Office " +
                       std::to_string(i) + "', 1, 'USD');");
        }
        Exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                     std::to_string(kLinks) +
                     ") INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BISSUPPLIERCODE, ISONETIMEBP, "
                     "ISINTERNALBP) SELECT i, 'Partner ' || i, 'S' || i, 0, 0 FROM n;");
        Exec(db, "COMMIT;");
      });
  static const bool directory = [] {
    const std::string path = (std::filesystem::path(made.path).parent_path() / "directory.db").string();
    std::ifstream in(SUITE_SOURCE_DIR "/db/directory/01_directory.sql");
    std::stringstream schema;
    schema << in.rdbuf();
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    Exec(db, schema.str());
    Exec(db, "INSERT INTO DIRECTORYENTRY VALUES ('rep1', 'rep1', '*');");
    sqlite3_close(db);
    std::ofstream(getenv("SUITE_CONFIG"), std::ios::app) << "[DIRECTORY]\nPath=" << path << "\n";
    return true;
  }();
  (void)directory;
  return made;
}

rt::Variant Array(std::vector<rt::Variant> items) { return rt::Variant(rt::SafeArray::From(std::move(items))); }

void BM_OfficeInsertFromScript(benchmark::State& state) {
  Fixture();
  // As the host makes it: every outermost call is a root transaction.
  rt::ObjectPtr object = rt::CreateRootObject("Brintor.TUser", std::make_shared<rt::Activity>());
  auto* writer = dynamic_cast<ITUser*>(object.get());
  std::string table = "OFFICE";
  rt::Variant keys = Array({"OFFICEDESCRIPTION", "OFFICETYPE", "CURRENCYCODE", "CREDITCARDNUMBER", "CREDITCARDTYPE",
                            "CREDITCARDEXPIRY", "COSTCENTER"});
  // The framework runs the function several times: names stay new across runs.
  static int64_t n = 0;
  for (auto _ : state) {
    rt::Variant values = Array({"Script office " + std::to_string(n++), int16_t{1}, "USD", "4111111111111111",
                                int16_t{0}, rt::Date::FromParts(2029, 6, 30), "CC1"});
    rt::ObjectPtr result = writer->InsertFromScript(table, keys, values);
    if (!rt::CBool(result->Call("Succeeded"))) {
      std::fprintf(stderr, "refused: %s\n", rt::CStr(result->Call("GetMessages").AsArray().At(0)).c_str());
      std::abort();
    }
  }
}

struct Prepared {
  sqlite3_stmt* st = nullptr;
  Prepared(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &st, nullptr); }
  ~Prepared() { sqlite3_finalize(st); }
  Prepared& Text(int i, const std::string& v) {
    sqlite3_bind_text(st, i, v.c_str(), -1, SQLITE_TRANSIENT);
    return *this;
  }
  Prepared& Int(int i, int v) {
    sqlite3_bind_int(st, i, v);
    return *this;
  }
  // Steps to the end; answers whether there was a row.
  bool Run() {
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) std::abort();
    sqlite3_reset(st);
    return rc == SQLITE_ROW;
  }
};

void BM_OfficeStatementsPrepared(benchmark::State& state) {
  const auto& f = Fixture();
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_busy_timeout(db, 15000);
  {
    Prepared duplicate(db, "SELECT OFFICEDESCRIPTION FROM OFFICE WHERE OFFICEDESCRIPTION = ?");
    Prepared insert(db,
                    "INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE, CURRENCYCODE, CREDITCARDNUMBER, "
                    "CREDITCARDTYPE, CREDITCARDEXPIRY, COSTCENTER) VALUES (?, 1, 'USD', '4111111111111111', 0, "
                    "'2029-06-30 00:00:00', 'CC1')");
    Prepared begin(db, "BEGIN"), commit(db, "COMMIT");
    static int64_t n = 0;
    for (auto _ : state) {
      const std::string description = "Prepared office " + std::to_string(n++);
      if (duplicate.Text(1, description).Run()) std::abort();
      begin.Run();
      insert.Text(1, description).Run();
      commit.Run();
    }
  }
  sqlite3_close(db);
}

void BM_ReplaceFiftyLinks(benchmark::State& state) {
  Fixture();
  rt::ObjectPtr object = rt::CreateRootObject("Brintor.TUser", std::make_shared<rt::Activity>());
  auto* writer = dynamic_cast<ITUser*>(object.get());
  std::string user = "rep1";
  std::vector<rt::Variant> ids;
  for (int i = 1; i <= kLinks; ++i) ids.emplace_back(int32_t{i});
  rt::Variant values = Array(ids);
  bool replace = true;
  for (auto _ : state) {
    if (!writer->InsertBPSPerUser(user, values, replace)) std::abort();
  }
}

void BM_LinkStatementsPrepared(benchmark::State& state) {
  const auto& f = Fixture();
  sqlite3* db = nullptr;
  sqlite3_open(f.path.c_str(), &db);
  data::InstallSqlServerTextRules(db);
  sqlite3_busy_timeout(db, 15000);
  {
    Prepared remove(db, "DELETE FROM BPSPERUSER WHERE USERID = ?");
    Prepared insert(db, "INSERT INTO BPSPERUSER VALUES (?, ?)");
    Prepared begin(db, "BEGIN"), commit(db, "COMMIT");
    remove.Text(1, "rep2");
    insert.Text(1, "rep2");
    for (auto _ : state) {
      begin.Run();
      remove.Run();
      for (int i = 1; i <= kLinks; ++i) insert.Int(2, i).Run();
      commit.Run();
    }
  }
  sqlite3_close(db);
}

BENCHMARK(BM_OfficeInsertFromScript);
BENCHMARK(BM_OfficeStatementsPrepared);
BENCHMARK(BM_ReplaceFiftyLinks);
BENCHMARK(BM_LinkStatementsPrepared);

}  // namespace

BENCHMARK_MAIN();
