// Transition frames at 720 x 480: the cross dissolve, hard and soft wipes.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imagelib/dib_header.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/transitionrender/transition_render.h"
#include "platform/global_memory.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

// A locked 24-bit packed DIB of noise.
class BenchPicture {
public:
  explicit BenchPicture(std::uint32_t seed) {
    const std::size_t bytes = kDibHeaderSize + static_cast<std::size_t>(PaddedStride24(kWidth)) * kHeight;
    handle_ = GlobalAlloc(GHND, bytes);
    data_ = static_cast<std::uint8_t*>(GlobalLock(handle_));
    WriteDibHeader(data_, MakeDib24Header(kWidth, kHeight));
    std::mt19937 random(seed);
    for (std::size_t i = kDibHeaderSize; i < bytes; ++i) data_[i] = static_cast<std::uint8_t>(random());
  }
  BenchPicture(const BenchPicture&) = delete;
  BenchPicture& operator=(const BenchPicture&) = delete;
  ~BenchPicture() {
    GlobalUnlock(handle_);
    GlobalFree(handle_);
  }
  std::uint8_t* data() const { return data_; }

private:
  HGLOBAL handle_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

// One frame of the transition per iteration, the percent moving on each frame.
void BM_Transition(benchmark::State& state, std::int32_t id) {
  BenchPicture a(1);
  BenchPicture b(2);
  BenchPicture result(3);
  float percent = 0.0f;
  for (auto _ : state) {
    if (RenderTransitionFrame(0, id, percent, a.data(), b.data(), result.data(), 0, 0, {}, 0.0f, 0, 25, 1) != 0) {
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
BENCHMARK_CAPTURE(BM_Transition, PushLeft, 60)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
