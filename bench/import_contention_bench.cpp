// Readers and a writer beside a long import. While Quarvel.ProductXML
// imports 100,000 products (committed in groups of 1,000 rows), 8 threads
// price a sample product in a loop (Quarvel.Product.getCatalogPriceAttributes
// as the root of a transaction of its own, as a web page calls it) and one
// thread writes a price line every 20 ms (Quarvel.Product.InsertUpdatePrice,
// a root writer). Printed: the longest wait of one reader call and of one
// writer call while the import ran (targets: a reader within 50 ms, a writer
// within 1 s), how many calls each made, and how many failed (target 0).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/import_documents.h"
#include "interfaces/product.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

namespace {

constexpr int kProducts = 100000;
constexpr int kReaders = 8;
using Clock = std::chrono::steady_clock;

BrintorSandbox& Installation() {
  static BrintorSandbox box(true);
  static const bool configured = [] {
    std::ifstream in(box.ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::ofstream(box.ConfigPath(), std::ios::trunc)
        << std::regex_replace(text.str(), std::regex("UNSPSCIMPLEMENTED=No"), "UNSPSCIMPLEMENTED=Yes");
    return true;
  }();
  (void)configured;
  return box;
}

void Import(const benchdocs::ProductDocument& document) {
  std::vector<rt::Variant> parts;
  for (int p = 1; p <= kProducts; ++p) parts.emplace_back(benchdocs::PartNumber(p));
  rt::ObjectPtr object = rt::CreateRootObject("Quarvel.ProductXML", std::make_shared<rt::Activity>());
  rt::Args args{rt::Variant("bench/\\" + document.text), rt::Variant(false),
                rt::Variant(rt::SafeArray::From(std::move(parts))), rt::Variant(false)};
  object->Invoke("insertProductsFromXML", rt::CallKind::Method, args);
}

// The longest a call took, how many calls ran and how many failed.
struct Waits {
  std::atomic<int64_t> longestMicroseconds{0};
  std::atomic<int64_t> calls{0};
  std::atomic<int64_t> failures{0};
  template <class F>
  void Time(F&& call) {
    const Clock::time_point start = Clock::now();
    try {
      call();
    } catch (...) {
      ++failures;
    }
    const int64_t took =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    int64_t longest = longestMicroseconds.load();
    while (took > longest && !longestMicroseconds.compare_exchange_weak(longest, took)) {
    }
    ++calls;
  }
};

std::shared_ptr<IProduct> RootProduct() {
  return std::dynamic_pointer_cast<IProduct>(
      rt::CreateRootObject("Quarvel.Product", std::make_shared<rt::Activity>()));
}

void BM_ReadersAndAWriterBesideAnImport(benchmark::State& state) {
  Installation();
  static const benchdocs::ProductDocument document = benchdocs::MakeProductDocument(kProducts, 0);
  const rt::Date day = rt::Date::FromParts(2026, 12, 8);
  for (auto _ : state) {
    Installation().Exec("DELETE FROM PRODUCT WHERE BUYFROMPARTNUMBER LIKE 'SP-%'");
    Waits readers, writer;
    std::atomic<bool> importing{true};
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
      threads.emplace_back([&] {
        // A first call loads the libraries and opens the database: not timed.
        RootProduct()->getCatalogPriceAttributes(1, day, "EUR", 20);
        ++ready;
        while (importing) readers.Time([&] { RootProduct()->getCatalogPriceAttributes(1, day, "EUR", 20); });
      });
    }
    while (ready < kReaders) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    threads.emplace_back([&] {
      for (int n = 0; importing; ++n) {
        writer.Time([&] {
          const rt::Variant names(rt::SafeArray::From({rt::Variant("CURRENCYCODE"), rt::Variant("PRICE")}));
          const rt::Variant values(rt::SafeArray::From({rt::Variant("USD"), rt::Variant(int32_t{10 + n % 5})}));
          RootProduct()->InsertUpdatePrice(2, day, 7, names, values, "insertupdate");
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    const Clock::time_point started = Clock::now();
    std::thread import([&] {
      Import(document);
      importing = false;
    });
    import.join();
    state.counters["import_s"] = std::chrono::duration<double>(Clock::now() - started).count();
    for (std::thread& t : threads) t.join();
    state.counters["reader_longest_ms"] = readers.longestMicroseconds / 1000.0;
    state.counters["reader_calls"] = static_cast<double>(readers.calls);
    state.counters["reader_failures"] = static_cast<double>(readers.failures);
    state.counters["writer_longest_ms"] = writer.longestMicroseconds / 1000.0;
    state.counters["writer_calls"] = static_cast<double>(writer.calls);
    state.counters["writer_failures"] = static_cast<double>(writer.failures);
  }
}

BENCHMARK(BM_ReadersAndAWriterBesideAnImport)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
