// Time conversions run for every frame of every render and every ruler label.

#include <benchmark/benchmark.h>

#include "timeline/basics/time_code.h"

namespace {

void BM_FormatTimeCode(benchmark::State& state) {
  std::int32_t ms = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sprocket::FormatTimeCode(ms, 29.97));
    ms += 33;
  }
}
BENCHMARK(BM_FormatTimeCode);

void BM_SnapToFrame(benchmark::State& state) {
  std::int32_t ms = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sprocket::SnapToFrame(ms, 2997));
    ms += 7;
  }
}
BENCHMARK(BM_SnapToFrame);

}  // namespace
