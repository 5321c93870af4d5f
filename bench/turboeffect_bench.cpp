// The fast path at 720 x 480: a cross dissolve and a hard wipe written
// straight into the output.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "imagelib/dib_header.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/turboeffect/turbo_effect.h"
#include "platform/global_memory.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

// A locked packed 24-bit DIB of noise in a global block, as the compositor
// hands pictures over.
struct BenchPicture {
  explicit BenchPicture(std::uint32_t seed)
      : block(GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(PaddedStride24(kWidth)) * kHeight)),
        lock(block.get()) {
    WriteDibHeader(lock.get(), MakeDib24Header(kWidth, kHeight));
    std::mt19937 random(seed);
    for (std::size_t i = kDibHeaderSize; i < block.size(); ++i) lock.get()[i] = static_cast<std::uint8_t>(random());
  }
  std::uint8_t* data() const { return lock.get(); }
  GlobalBlock block;
  GlobalLockGuard<std::uint8_t> lock;
};

class Sources : public TurboSources {
public:
  const std::uint8_t* FetchPicture(int side, std::int32_t, std::int32_t) override {
    return side == kTurboSideA ? a.data() : b.data();
  }
  BenchPicture a{1};
  BenchPicture b{2};
};

void BM_FastTransition(benchmark::State& state, std::int32_t id) {
  Sources sources;
  BenchPicture output(3);
  std::vector<EffectFilter> filters(1);
  filters[0].id = id;
  TurboEntry entry;
  entry.trackLetter = 'X';
  entry.filters = filters;
  for (auto _ : state) {
    if (TurboProcess(&sources, entry, output.data(), nullptr, nullptr) != 1) {
      state.SkipWithError("fast path declined");
      break;
    }
    entry.transitionPercent = entry.transitionPercent >= 100.0f ? 0.0f : entry.transitionPercent + 4.0f;
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK_CAPTURE(BM_FastTransition, CrossDissolve, effect_id::kCrossDissolve)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FastTransition, WipeLeftToRight, effect_id::kWipeLeftToRight)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FastTransition, PushLeft, effect_id::kPushLeft)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
