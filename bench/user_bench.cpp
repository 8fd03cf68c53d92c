// Benchmarks of Brintor.User: GetPropertyGroup answered from the user's
// administrative office (cached directory user and office), and one page of
// 50 buyers out of 10,000 directory users.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <filesystem>

#include "interfaces/user.h"
#include "runtime/context.h"
#include "runtime/registry.h"

#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr const char* kAccount = "webadmin";
constexpr const char* kPassword = "s3cret";

// One installation for the whole run: the session account, a user whose
// property group comes from its office, and 10,000 directory users of whom
// every fourth is a buyer (written straight into the directory's file).
BrintorSandbox& Installation() {
  static BrintorSandbox* box = [] {
    auto* b = new BrintorSandbox();
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
    }
    sql += "COMMIT;";
    BrintorSandbox::ExecOn(b->DirectoryPath(), sql);
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

}  // namespace
BENCHMARK_MAIN();
