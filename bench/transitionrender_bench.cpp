// Transition frames at 720 x 480: the cross dissolve, hard and soft wipes,
// a push.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/transitionrender/transition_render.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

PictureBuffer Noise(std::uint32_t seed) {
  PictureBuffer picture(kWidth, kHeight);
  std::mt19937 random(seed);
  for (int y = 0; y < kHeight; ++y) {
    std::uint8_t* row = picture.view().Row(y);
    for (int i = 0; i < kWidth * 3; ++i) row[i] = static_cast<std::uint8_t>(random());
  }
  return picture;
}

// One frame of the transition per iteration, the percent moving on each frame.
void BM_Transition(benchmark::State& state, std::int32_t id) {
  const PictureBuffer a = Noise(1);
  const PictureBuffer b = Noise(2);
  const PictureBuffer result(kWidth, kHeight);
  float percent = 0.0f;
  for (auto _ : state) {
    if (RenderTransition(id, percent, a.view(), b.view(), result.view()) != kEffectDone) {
      state.SkipWithError("transition failed");
      break;
    }
    percent = percent >= 100.0f ? 0.0f : percent + 4.0f;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_Transition, CrossDissolve, effect_id::kCrossDissolve)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transition, WipeLeftToRight, effect_id::kWipeLeftToRight)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transition, SoftWipeLeftToRight, effect_id::kSoftLeftToRight)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transition, SoftCircle, effect_id::kSoftCircle)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transition, SoftClouds, effect_id::kSoftClouds)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Transition, PushLeft, effect_id::kPushLeft)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
