// Cost of the value formatting helpers, with the heap allocations each call makes (the
// helpers should allocate at most their result string, and nothing for short results).
// Allocations are counted by the binary's one operator new replacement (alloc_counter.cpp).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string_view>

#include "base/text.h"
#include "bench/alloc_counter.h"
#include "probe/format.h"

namespace {

// Runs `call` in the timing loop and reports the allocations per call.
template <typename Call>
void measure(benchmark::State& state, Call call) {
  const std::size_t before = kestro_bench_allocations();
  for (auto _ : state) benchmark::DoNotOptimize(call());
  const std::size_t after = kestro_bench_allocations();
  state.counters["allocs_per_call"] = benchmark::Counter(
      static_cast<double>(after - before) / static_cast<double>(state.iterations()));
}

void BM_FormatBytes(benchmark::State& state) {
  std::uint64_t bytes = 17112760320;
  measure(state, [&] { return kestro::format_bytes(bytes); });
}
BENCHMARK(BM_FormatBytes);

void BM_FormatDiskSize(benchmark::State& state) {
  std::uint64_t bytes = 2000398934016;
  measure(state, [&] { return kestro::format_disk_size(bytes); });
}
BENCHMARK(BM_FormatDiskSize);

void BM_Fixed(benchmark::State& state) {
  double value = 1.805;
  measure(state, [&] { return kestro::fixed(value, 2); });
}
BENCHMARK(BM_Fixed);

void BM_FillTemplateShort(benchmark::State& state) {
  std::string_view templ = "{1} of {0} in use";
  measure(state, [&] { return kestro::fill_template(templ, {"4", "2"}); });
}
BENCHMARK(BM_FillTemplateShort);

void BM_FillTemplateLong(benchmark::State& state) {
  // Longer than the small-string buffer: exactly one allocation expected.
  std::string_view templ = "{0} cores, {1} threads, {2} logical processors in total";
  measure(state, [&] { return kestro::fill_template(templ, {"8", "16", "16"}); });
}
BENCHMARK(BM_FillTemplateLong);

void BM_NormalizeSpaces(benchmark::State& state) {
  std::string_view text = "  Intel(R) Core(TM)   i7-8700 CPU @ 3.20GHz          ";
  measure(state, [&] { return kestro::normalize_spaces(text); });
}
BENCHMARK(BM_NormalizeSpaces);

void BM_ParseNumberInteger(benchmark::State& state) {
  std::string_view text = " 17179869184 ";
  measure(state, [&] { return kestro::parse_number(text); });
}
BENCHMARK(BM_ParseNumberInteger);

void BM_ParseNumberFraction(benchmark::State& state) {
  std::string_view text = "3.9e2";
  measure(state, [&] { return kestro::parse_number(text); });
}
BENCHMARK(BM_ParseNumberFraction);

}  // namespace
