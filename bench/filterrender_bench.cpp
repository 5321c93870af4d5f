// Filters on a 720 x 480 frame: a colour table, greyscale, blur, a colour key.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/filter_render.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

void BM_Filter(benchmark::State& state, std::int32_t id) {
  PictureBuffer source(kWidth, kHeight);
  std::mt19937 random(1);
  for (int y = 0; y < kHeight; ++y) {
    for (int i = 0; i < kWidth * 3; ++i) source.view().Row(y)[i] = static_cast<std::uint8_t>(random());
  }
  const PictureBuffer destination(kWidth, kHeight);
  const PictureBuffer alpha(kWidth, kHeight);
  std::vector<EffectFilter> filters(1);
  filters[0].id = id;
  for (auto _ : state) {
    if (ApplyFilters(filters, 50.0f, source.view(), destination.view(), alpha.view(), PictureView{}, 25.0f, 0) !=
        kEffectDone) {
      state.SkipWithError("filter failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_Filter, BrightnessContrast, effect_id::kBrightnessContrast)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, Greyscale, effect_id::kGreyscale)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, Blur, effect_id::kBlur)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Filter, ColourKey, effect_id::kColourKey)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
