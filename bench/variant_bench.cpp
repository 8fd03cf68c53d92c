// Speed of Variant copies and of the commonest VB conversions.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "runtime/variant.h"

namespace {

void BM_CopyLong(benchmark::State& state) {
  const rt::Variant source(int32_t{123456});
  for (auto _ : state) {
    rt::Variant copy = source;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyLong);

void BM_CopyString40(benchmark::State& state) {
  const rt::Variant source(std::string(40, 'x'));
  for (auto _ : state) {
    rt::Variant copy = source;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyString40);

// Copying shares the array; the first write through the copy pays for the
// element copy, so both halves are measured.
void BM_CopyArray100(benchmark::State& state) {
  std::vector<rt::Variant> items;
  for (int i = 0; i < 100; ++i) items.emplace_back(i);
  const rt::Variant source(rt::SafeArray::From(std::move(items)));
  for (auto _ : state) {
    rt::Variant copy = source;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyArray100);

void BM_CopyArray100ThenWrite(benchmark::State& state) {
  std::vector<rt::Variant> items;
  for (int i = 0; i < 100; ++i) items.emplace_back(i);
  const rt::Variant source(rt::SafeArray::From(std::move(items)));
  for (auto _ : state) {
    rt::Variant copy = source;
    copy.MutableArray().At(0) = rt::Variant(int32_t{-1});
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyArray100ThenWrite);

void BM_CLngOfDouble(benchmark::State& state) {
  const rt::Variant value(2.5);
  for (auto _ : state) benchmark::DoNotOptimize(rt::CLng(value));
}
BENCHMARK(BM_CLngOfDouble);

void BM_CLngOfText(benchmark::State& state) {
  const rt::Variant value("123456");
  for (auto _ : state) benchmark::DoNotOptimize(rt::CLng(value));
}
BENCHMARK(BM_CLngOfText);

void BM_CStrOfLong(benchmark::State& state) {
  const rt::Variant value(int32_t{123456});
  for (auto _ : state) benchmark::DoNotOptimize(rt::CStr(value));
}
BENCHMARK(BM_CStrOfLong);

void BM_CStrOfDouble(benchmark::State& state) {
  const rt::Variant value(1234.5678);
  for (auto _ : state) benchmark::DoNotOptimize(rt::CStr(value));
}
BENCHMARK(BM_CStrOfDouble);

void BM_CStrOfDate(benchmark::State& state) {
  const rt::Variant value(rt::Date::FromParts(2024, 3, 5, 14, 7, 9));
  for (auto _ : state) benchmark::DoNotOptimize(rt::CStr(value));
}
BENCHMARK(BM_CStrOfDate);

}  // namespace

BENCHMARK_MAIN();
