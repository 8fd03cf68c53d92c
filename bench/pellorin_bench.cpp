// The membership directory's searches over 10,000 users: a role search (the
// user lists' whole-list read), a filtered search, and one batch of 50 from a
// start key deep in the list (the internal users' page read).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "interfaces/pellorin.h"
#include "runtime/registry.h"
#include "runtime/variant.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsers = 10000;

// A directory of kUsers users, every tenth a buyer (role 2), made once for
// the process and named by the configuration the component reads.
class Directory {
 public:
  static const Directory& Get() {
    static Directory made;
    return made;
  }
  ~Directory() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

 private:
  Directory() {
    std::string pattern = (fs::temp_directory_path() / "pellorin-bench-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
    const std::string db = dir_ + "/directory.db";
    // The schema that `suitehost init` runs, from the source tree (named by
    // the build: __FILE__ is relative when the compiler is given relative paths).
    fs::path schema = SUITE_SOURCE_DIR "/db/directory/01_directory.sql";
    std::ifstream in(schema);
    std::stringstream sql;
    sql << in.rdbuf();
    sqlite3* handle = nullptr;
    sqlite3_open(db.c_str(), &handle);
    sqlite3_exec(handle, sql.str().c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
    // One hash for every user: hashing 10,000 passwords is not what is measured.
    const std::string hash = "$y$j9T$gwQF7iBkWDqAfxdawb/Ip0$rhfzp/mHhLyRKoV6RRzLArIMtaahFh76JakeA6f6nx0";
    for (int i = 0; i < kUsers; ++i) {
      char id[16];
      std::snprintf(id, sizeof id, "u%05d", i);
      std::string row = std::string("INSERT INTO DIRECTORYENTRY VALUES ('") + id + "','" + id + "','" + hash +
                        "');INSERT INTO DIRECTORYATTRIBUTE VALUES ('" + id + "','Surname',0,'S" + id + "');" +
                        "INSERT INTO DIRECTORYATTRIBUTE VALUES ('" + id + "','VYRole',0,'" +
                        (i % 10 == 0 ? "2" : "4") + "');";
      sqlite3_exec(handle, row.c_str(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    std::ofstream(dir_ + "/suite.ini") << "[DIRECTORY]\nPath=" << db << "\n";
    ::setenv("SUITE_CONFIG", (dir_ + "/suite.ini").c_str(), 1);
  }
  std::string dir_;
};

std::shared_ptr<IPellorinMembers> Members(rt::ObjectPtr& holder) {
  Directory::Get();
  holder = rt::CreateObject("Pellorin.Members");
  return std::dynamic_pointer_cast<IPellorinMembers>(holder);
}

rt::Variant Filters(const std::string& filter) {
  return rt::Variant(rt::SafeArray::From({rt::Variant(filter)}));
}

void BM_SearchByRoleBuyers(benchmark::State& state) {
  rt::ObjectPtr holder;
  auto members = Members(holder);
  for (auto _ : state) benchmark::DoNotOptimize(members->SearchByRole(rt::Variant(int32_t{2}), "cn"));
}
BENCHMARK(BM_SearchByRoleBuyers)->Unit(benchmark::kMillisecond);

void BM_SearchBatchOf50FromStartKey(benchmark::State& state) {
  rt::ObjectPtr holder;
  auto members = Members(holder);
  const rt::Variant filters = Filters("cn>=u05000!");
  for (auto _ : state) benchmark::DoNotOptimize(members->Search(filters, "", rt::Variant(int32_t{50})));
}
BENCHMARK(BM_SearchBatchOf50FromStartKey)->Unit(benchmark::kMillisecond);

void BM_SearchByAttribute(benchmark::State& state) {
  rt::ObjectPtr holder;
  auto members = Members(holder);
  const rt::Variant filters = Filters("Surname=Su07777");
  for (auto _ : state) benchmark::DoNotOptimize(members->Search(filters, "", rt::Variant()));
}
BENCHMARK(BM_SearchByAttribute)->Unit(benchmark::kMillisecond);

void BM_BindSameAccount(benchmark::State& state) {
  Directory::Get();
  rt::ObjectPtr object = rt::CreateObject("Pellorin.User");
  auto user = std::dynamic_pointer_cast<IPellorinUser>(object);
  int i = 0;
  for (auto _ : state) {
    char id[16];
    std::snprintf(id, sizeof id, "u%05d", (i++ * 37) % kUsers);
    user->Bind(id, "u00000", "sample");
  }
}
BENCHMARK(BM_BindSameAccount)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
