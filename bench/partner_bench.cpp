// Benchmarks of Brintor.BusinessPartner on 100,000 partners: a lookup by
// part of a name (a scan of every name), page 1 against page 1000 of the
// paged partner list, and a read-only call made as the root of its own
// transaction by 1 thread and by 8 at once (each transaction takes the
// database's write lock at its start, so the 8 queue behind each other).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "interfaces/business_partner.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

// One installation for the whole run with 100,000 partners named
// "Partner 000001" ... "Partner 100000"; one in a thousand also holds "Acme".
BrintorSandbox& Installation() {
  // Destroyed, with its folder, when the process ends.
  static std::unique_ptr<BrintorSandbox> box = [] {
    auto b = std::make_unique<BrintorSandbox>();
    b->Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000) "
        "INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME, BISSUPPLIERCODE, ISONETIMEBP, ISINTERNALBP) "
        "SELECT i, 'Partner ' || printf('%06d', i) || CASE WHEN i % 1000 = 0 THEN ' Acme' ELSE '' END, "
        "'S' || i, 0, 0 FROM n;");
    return b;
  }();
  return *box;
}

struct Partner {
  rt::ObjectPtr object;
  IBusinessPartner* operator->() const { return dynamic_cast<IBusinessPartner*>(object.get()); }
};

Partner NewPartner() {
  Installation();
  return Partner{rt::CreateRootObject("Brintor.BusinessPartner", std::make_shared<rt::Activity>())};
}

void BM_GetBusinessPartnersByPartOfName(benchmark::State& state) {
  auto bp = NewPartner();
  for (auto _ : state) {
    rt::ObjectPtr rs = bp->GetBusinessPartnersByPartOfName("acme");
    benchmark::DoNotOptimize(rs);
  }
}
BENCHMARK(BM_GetBusinessPartnersByPartOfName)->Unit(benchmark::kMillisecond);

// One page of 10 partners; the argument is the page asked for.
void BM_GetBusinessPartnerDataPage(benchmark::State& state) {
  auto bp = NewPartner();
  const auto page = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    rt::ObjectPtr request = rt::CreateObject("Tamrick.Page");
    request->LetProperty("RequestedPage", rt::Variant(page));
    rt::ObjectPtr list = bp->GetBusinessPartnerData(request, "", 10, false, false, rt::Variant::Missing(),
                                                    rt::Variant::Missing());
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_GetBusinessPartnerDataPage)->Arg(1)->Arg(1000)->Unit(benchmark::kMillisecond);

// Each thread has its own object; every call is the root of a transaction.
void BM_ReadAsTransactionRoot(benchmark::State& state) {
  auto bp = NewPartner();
  int32_t id = 1 + state.thread_index() * 1000;
  for (auto _ : state) {
    benchmark::DoNotOptimize(bp->GetBusinessPartnerName(rt::Variant(id)));
    id = id % 100000 + 1;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadAsTransactionRoot)->Threads(1)->Threads(8)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
