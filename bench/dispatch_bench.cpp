// Benchmarks of the late-bound path: a dictionary lookup of a text key and a
// call through Invoke with a by-reference argument.
#include <benchmark/benchmark.h>

#include "runtime/dictionary.h"
#include "runtime/dispatch.h"

namespace {

std::shared_ptr<rt::Dictionary> FilledDictionary(int32_t mode) {
  auto d = rt::NewDictionary();
  d->SetCompareMode(mode);
  for (int i = 0; i < 1000; ++i) d->Add("CURRENCY_CODE_" + std::to_string(i), i);
  return d;
}

void DictionaryTextKeyLookup(benchmark::State& state) {
  auto d = FilledDictionary(static_cast<int32_t>(state.range(0)));
  rt::Variant key("Currency_Code_500");
  if (state.range(0) == 0) key = rt::Variant("CURRENCY_CODE_500");
  for (auto _ : state) benchmark::DoNotOptimize(d->Find(key));
}
BENCHMARK(DictionaryTextKeyLookup)->Arg(0)->Arg(1)->ArgName("textMode");

class Converter : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable kTable = rt::DispatchBuilder<Converter>("Converter")
                                                .Method("ConvertAmount", &Converter::ConvertAmount)
                                                .Build();
    return &kTable;
  }
  double ConvertAmount(double amount, const std::string& currency, int32_t& calls) {
    ++calls;
    return currency.empty() ? amount : amount * 1.5;
  }
};

void InvokeThreeArgumentsOneByReference(benchmark::State& state) {
  auto converter = std::make_shared<Converter>();
  rt::Args args{12.5, "EUR", int32_t{0}};
  for (auto _ : state) {
    benchmark::DoNotOptimize(converter->Invoke("convertamount", rt::CallKind::Method, args));
  }
}
BENCHMARK(InvokeThreeArgumentsOneByReference);

}  // namespace

BENCHMARK_MAIN();
