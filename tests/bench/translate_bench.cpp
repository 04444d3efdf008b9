// Lookups per second for English, Korean and a catalog language (German), with the heap
// allocations per lookup, which must be zero: translate() hands out borrowed texts.

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

#include "bench/alloc_counter.h"
#include "i18n/translate.h"

namespace {

// A mix of short and long keys, one of them missing from every catalog.
constexpr std::array<kestro::TextPair, 8> kPairs{{
    {"모두 복사", "Copy all"},
    {"제조사", "Manufacturer"},
    {"{0}개 중 {1}개 사용", "{1} of {0} in use"},
    {"배터리 건강", "Battery health"},
    {"설치 파일의 디지털 서명을 확인할 수 없습니다",
     "The installer's digital signature could not be verified"},
    {"지금", "Now"},
    {"저장 장치", "Storage"},
    {"목록에 없는 글", "A text no catalog has"},
}};

void lookups(benchmark::State& state, const char* language) {
  const kestro::ScopedLanguageOverride override_language(language);
  std::size_t i = 0;
  const std::size_t before = kestro_bench_allocations();
  for (auto _ : state) {
    benchmark::DoNotOptimize(kestro::translate(kPairs[i]));
    i = (i + 1) % kPairs.size();
  }
  const std::size_t allocations = kestro_bench_allocations() - before;
  state.counters["allocs/lookup"] =
      static_cast<double>(allocations) / static_cast<double>(state.iterations());
  state.counters["lookups/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK_CAPTURE(lookups, en, "en");
BENCHMARK_CAPTURE(lookups, ko, "ko");
BENCHMARK_CAPTURE(lookups, de, "de");

}  // namespace
