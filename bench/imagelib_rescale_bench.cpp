// Rescaling a PAL frame to 640 x 480 with each filter, plain and fast, and
// the exact 2:1 reduction.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imagelib/rescale.h"
#include "platform/worker_pool.h"

namespace sprocket {
namespace {

enum class Pattern {
  kNoise,  // every pixel different: the sums everywhere
  kBars,   // flat colour bars over a slow ramp, like a test card: mostly the flat rule
};

// A picture over its own handle variable, filled with a pattern.
class Frame {
public:
  Frame(int width, int height, Pattern pattern = Pattern::kNoise) {
    image_.Create(width, height);
    std::mt19937 random(7);
    std::uint8_t* bits = image_.GetBits();
    const std::int64_t stride = image_.GetStride();
    for (std::int64_t i = 0; i < stride * height; ++i) {
      if (pattern == Pattern::kNoise) {
        bits[i] = static_cast<std::uint8_t>((i / 7) % 251 + random() % 16);
      } else {
        const std::int64_t x = i % stride / 3;
        const std::int64_t y = i / stride;
        const std::int64_t channel = i % stride % 3;
        bits[i] = static_cast<std::uint8_t>(y < height / 3 ? x * 255 / width : ((x * 8 / width) >> channel & 1) * 191);
      }
    }
    image_.Unlock();
  }
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;
  ~Frame() { image_.Free(); }
  CDibImage& image() { return image_; }
  DibRect whole() const { return DibRect{image_.GetMaxXY().x, image_.GetMaxXY().y, 0, 0}; }

private:
  HGLOBAL handle_ = nullptr;
  CDibImage image_{&handle_};
};

template <DibResult (*Scale)(CDibImage, CDibImage, DibRect, DibRect, RescaleFilter)>
void Rescale(benchmark::State& state, int width, int height, int sourceHeight = 576,
             Pattern pattern = Pattern::kNoise) {
  const auto filter = static_cast<RescaleFilter>(state.range(0));
  Frame source(720, sourceHeight, pattern);
  Frame target(width, height);
  for (auto _ : state) {
    const DibResult result = Scale(target.image(), source.image(), target.whole(), source.whole(), filter);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_RescalePalTo640x480Plain(benchmark::State& state) { Rescale<RescaleFilteredPlain>(state, 640, 480); }
void BM_RescalePalTo640x480Fast(benchmark::State& state) { Rescale<RescaleFiltered>(state, 640, 480); }
// 720 x 480 movie frames into a 640 x 480 movie: the rows keep their number.
void BM_RescaleNtscTo640x480Fast(benchmark::State& state) { Rescale<RescaleFiltered>(state, 640, 480, 480); }
// 720 x 480 frames on one thread: the rescaler's own work, free of the
// pool's hand-offs.
void RescaleOnOneThread(benchmark::State& state, int width, int height, Pattern pattern = Pattern::kNoise) {
  SetParallelFrameWork(false);
  Rescale<RescaleFiltered>(state, width, height, 480, pattern);
  SetParallelFrameWork(true);
}
void BM_RescaleNtscTo640x480OneThread(benchmark::State& state) { RescaleOnOneThread(state, 640, 480); }
void BM_RescaleNtscBarsTo640x480OneThread(benchmark::State& state) {
  RescaleOnOneThread(state, 640, 480, Pattern::kBars);
}
// Other size pairs: a shrink on both axes and an enlargement on both
// (neither a 2:1 step).
void BM_RescaleNtscTo320x240OneThread(benchmark::State& state) { RescaleOnOneThread(state, 320, 240); }
void BM_RescaleNtscTo1024x768OneThread(benchmark::State& state) { RescaleOnOneThread(state, 1024, 768); }
void BM_RescaleHalvePlain(benchmark::State& state) { Rescale<RescaleFilteredPlain>(state, 360, 288); }
void BM_RescaleHalveFast(benchmark::State& state) { Rescale<RescaleFiltered>(state, 360, 288); }

void BM_ResizeNearestPalTo640x480(benchmark::State& state) {
  Frame source(720, 576);
  for (auto _ : state) {
    HGLOBAL copy = nullptr;
    CDibImage image(&copy);
    image.Copy(source.image());
    benchmark::DoNotOptimize(image.Resize(640, 480, kFilterNearest));
    image.Free();
  }
}

BENCHMARK(BM_RescalePalTo640x480Plain)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescalePalTo640x480Fast)->DenseRange(1, 7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RescaleNtscTo640x480Fast)->Arg(kFilterMitchell)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RescaleNtscTo640x480OneThread)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescaleNtscBarsTo640x480OneThread)->Arg(kFilterMitchell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescaleNtscTo320x240OneThread)->Arg(kFilterMitchell)->Arg(kFilterLanczos3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescaleNtscTo1024x768OneThread)->Arg(kFilterMitchell)->Arg(kFilterLanczos3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescaleHalvePlain)->Arg(kFilterMitchell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RescaleHalveFast)->Arg(kFilterMitchell)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResizeNearestPalTo640x480)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
