// Benchmarks of Brintor.User: GetPropertyGroup answered from the user's
// administrative office (cached directory user and office); one page of 50
// buyers out of 10,000 directory users; 10,000 of 100,000 employees by
// range, against reading the same rows with plain SQLite into C++ values;
// one page of 50 of the 5,000 users holding three APPROVAL roles, against
// reading ROLE and the directory's ProjectRole rows with plain SQLite and
// sorting the union in C++.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include <filesystem>

#include "data/sqlite_text_rules.h"
#include "interfaces/user.h"
#include "runtime/context.h"
#include "runtime/registry.h"

#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr const char* kAccount = "webadmin";
constexpr const char* kPassword = "s3cret";

// One installation for the whole run: the session account, a user whose
// property group comes from its office, and 10,000 directory users of whom
// every fourth is a buyer (written straight into the directory's file); the
// first 5,000 hold one of the APPROVAL roles R1 to R3 (every tenth a second
// one), the next 1,000 the role R4 without APPROVAL; 100,000 employees in
// ten departments.
BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>();
    b->Exec("INSERT INTO OFFICE (OFFICEDESCRIPTION, OFFICETYPE, PROPERTYGROUPID) VALUES ('Head office', 1, 10)");
    rt::ObjectPtr members = rt::CreateObject("Pellorin.Members");
    auto none = rt::Variant(rt::SafeArray::From({}));
    members->Call("CreateUser", {rt::Variant(kAccount), rt::Variant(kPassword), none, none});
    members->Call("CreateUser", {rt::Variant("officeuser"), rt::Variant("pw"),
                                 rt::Variant(rt::SafeArray::From({rt::Variant("AdminOffice")})),
                                 rt::Variant(rt::SafeArray::From({rt::Variant("Head office")}))});
    std::string sql = "BEGIN;";
    for (int i = 0; i < 10000; ++i) {
      char id[16];
      std::snprintf(id, sizeof id, "user%05d", i);
      sql += std::string("INSERT INTO DIRECTORYENTRY VALUES ('") + id + "', '" + id + "', '*');";
      if (i % 4 == 0) sql += std::string("INSERT INTO DIRECTORYATTRIBUTE VALUES ('") + id + "', 'VYRole', 0, '2');";
      const std::string role = i < 5000 ? "R" + std::to_string(1 + i % 3) : i < 6000 ? "R4" : "";
      if (!role.empty())
        sql += std::string("INSERT INTO DIRECTORYATTRIBUTE VALUES ('") + id + "', 'ProjectRole', 0, '" + role + "');";
      if (i < 5000 && i % 10 == 0)
        sql += std::string("INSERT INTO DIRECTORYATTRIBUTE VALUES ('") + id + "', 'ProjectRole', 1, 'R" +
               std::to_string(1 + (i + 1) % 3) + "');";
    }
    sql += "COMMIT;";
    BrintorSandbox::ExecOn(b->DirectoryPath(), sql);
    b->Exec("INSERT INTO ROLE (ROLE, DESCRIPTION, APPROVAL) VALUES ('R1', 'One', 1), ('R2', 'Two', 1), "
            "('R3', 'Three', 1), ('R4', 'Four', 0);"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
            "INSERT INTO EMPLOYEE SELECT printf('E%06d', i), printf('D%02d', i % 10), 'Employee ' || i FROM n;");
    return b;
  }();
  return *box;
}

std::shared_ptr<IUser> NewUser() {
  auto activity = std::make_shared<rt::Activity>();
  activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant(kAccount));
  activity->session->SetItem("REMOTE_PASSWORD", rt::Variant(kPassword));
  return std::dynamic_pointer_cast<IUser>(rt::CreateRootObject("Brintor.User", activity));
}

void GetPropertyGroupFromOffice(benchmark::State& state) {
  Installation();
  BrintorSandbox::Run([&] {
    auto user = NewUser();
    std::string id = "officeuser";
    if (user->GetPropertyGroup(id) != 10) state.SkipWithError("wrong property group");
    for (auto _ : state) benchmark::DoNotOptimize(user->GetPropertyGroup(id));
  });
}
BENCHMARK(GetPropertyGroupFromOffice);

void PageOf50BuyersOutOf10000Users(benchmark::State& state) {
  Installation();
  BrintorSandbox::Run([&] {
    auto user = NewUser();
    rt::Variant size(int16_t{50});
    for (auto _ : state) {
      rt::Variant from("user05000!");
      auto page = user->GetAllBuyers(from, size);
      if (page->Count() != 50) state.SkipWithError("wrong page");
      benchmark::DoNotOptimize(page);
    }
  });
}
BENCHMARK(PageOf50BuyersOutOf10000Users)->Unit(benchmark::kMillisecond);

// One department of ten: 10,000 of the 100,000 employees.
const char* const kRangeSql =
    "SELECT * FROM EMPLOYEE WHERE EMPLOYEEID>='E000000' AND EMPLOYEEID<='E999999' AND DEPARTMENT>='D03' "
    "AND DEPARTMENT<='D03' ORDER BY DEPARTMENT, EMPLOYEEID";

void RangeOf10000EmployeesOutOf100000(benchmark::State& state) {
  Installation();
  BrintorSandbox::Run([&] {
    auto user = NewUser();
    std::string fromId = "E000000", toId = "E999999", fromDep = "D03", toDep = "D03";
    for (auto _ : state) {
      rt::ObjectPtr rows = user->GetRangeOfEmployees(fromId, toId, fromDep, toDep);
      if (rt::CLng(rows->GetProperty("RecordCount")) != 10000) state.SkipWithError("wrong rows");
      benchmark::DoNotOptimize(rows);
    }
  });
}
BENCHMARK(RangeOf10000EmployeesOutOf100000)->Unit(benchmark::kMillisecond);

struct Employee {
  std::string id, department;
  std::optional<std::string> name;
};

std::string Text(sqlite3_stmt* st, int column) {
  const unsigned char* text = sqlite3_column_text(st, column);
  return text ? reinterpret_cast<const char*>(text) : "";
}

void RangeOf10000EmployeesRawSqlite(benchmark::State& state) {
  BrintorSandbox& box = Installation();
  sqlite3* db = nullptr;
  sqlite3_open_v2(box.CatalogPath().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  data::InstallSqlServerTextRules(db);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, kRangeSql, -1, &st, nullptr);
  for (auto _ : state) {
    std::vector<Employee> rows;
    sqlite3_reset(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
      Employee e{Text(st, 0), Text(st, 1), std::nullopt};
      if (sqlite3_column_type(st, 2) != SQLITE_NULL) e.name = Text(st, 2);
      rows.push_back(std::move(e));
    }
    if (rows.size() != 10000) state.SkipWithError("wrong rows");
    benchmark::DoNotOptimize(rows);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(RangeOf10000EmployeesRawSqlite)->Unit(benchmark::kMillisecond);

void PageOf50ApproversOutOf5000RoleHolders(benchmark::State& state) {
  Installation();
  BrintorSandbox::Run([&] {
    auto user = NewUser();
    rt::Variant processes(rt::SafeArray::From({rt::Variant("APPROVAL")}));
    rt::Variant size(int16_t{50});
    for (auto _ : state) {
      rt::Variant from("user02500!");
      auto page = user->GetUsersByBusinessProcess(processes, from, size);
      if (page->Count() != 50 || rt::CStr(from) != "user02550!") state.SkipWithError("wrong page");
      benchmark::DoNotOptimize(page);
    }
  });
}
BENCHMARK(PageOf50ApproversOutOf5000RoleHolders)->Unit(benchmark::kMillisecond);

// The same page from plain reads: the roles, then each role's holders from
// the directory's file, their union sorted and cut after the start key.
void PageOf50ApproversRawSqlite(benchmark::State& state) {
  BrintorSandbox& box = Installation();
  sqlite3 *catalog = nullptr, *directory = nullptr;
  sqlite3_open_v2(box.CatalogPath().c_str(), &catalog, SQLITE_OPEN_READONLY, nullptr);
  data::InstallSqlServerTextRules(catalog);
  sqlite3_open_v2(box.DirectoryPath().c_str(), &directory, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt *roles = nullptr, *holders = nullptr;
  sqlite3_prepare_v2(catalog, "SELECT ROLE FROM ROLE WHERE APPROVAL = 1", -1, &roles, nullptr);
  sqlite3_prepare_v2(directory,
                     "SELECT e.USERID FROM DIRECTORYATTRIBUTE a JOIN DIRECTORYENTRY e ON e.ENTRYKEY = a.ENTRYKEY "
                     "WHERE a.NAME = 'ProjectRole' AND a.VALUE = ?",
                     -1, &holders, nullptr);
  for (auto _ : state) {
    std::vector<std::string> ids;
    std::unordered_set<std::string> seen;
    sqlite3_reset(roles);
    while (sqlite3_step(roles) == SQLITE_ROW) {
      const std::string role = Text(roles, 0);
      sqlite3_reset(holders);
      sqlite3_bind_text(holders, 1, role.c_str(), -1, SQLITE_TRANSIENT);
      while (sqlite3_step(holders) == SQLITE_ROW) {
        std::string id = Text(holders, 0);
        if (seen.insert(id).second) ids.push_back(std::move(id));
      }
    }
    std::sort(ids.begin(), ids.end(), [](const std::string& a, const std::string& b) {
      const int r = rt::TextCompare(a, b);
      return r != 0 ? r < 0 : a < b;
    });
    auto first = std::find_if(ids.begin(), ids.end(),
                              [](const std::string& id) { return rt::TextCompare(id, "user02500!") >= 0; });
    std::vector<std::string> page(first, first + std::min<ptrdiff_t>(50, ids.end() - first));
    if (page.size() != 50 || page.back() != "user02550") state.SkipWithError("wrong page");
    benchmark::DoNotOptimize(page);
  }
  sqlite3_finalize(roles);
  sqlite3_finalize(holders);
  sqlite3_close(catalog);
  sqlite3_close(directory);
}
BENCHMARK(PageOf50ApproversRawSqlite)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
