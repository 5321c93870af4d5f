// Whole-picture operations on a PAL frame: smoothing with border repair,
// grey and the quarter turn.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imagelib/dib_image.h"

namespace sprocket {
namespace {

// A PAL frame over its own handle variable, filled with noise.
class PalFrame {
public:
  PalFrame() {
    image_.Create(720, 576);
    std::mt19937 random(3);
    std::uint8_t* bits = image_.GetBits();
    const std::int64_t bytes = static_cast<std::int64_t>(image_.GetStride()) * 576;
    for (std::int64_t i = 0; i < bytes; ++i) bits[i] = static_cast<std::uint8_t>(random());
    image_.Unlock();
  }
  PalFrame(const PalFrame&) = delete;
  PalFrame& operator=(const PalFrame&) = delete;
  ~PalFrame() { image_.Free(); }
  CDibImage& image() { return image_; }

private:
  HGLOBAL handle_ = nullptr;
  CDibImage image_{&handle_};
};

void BM_Smooth(benchmark::State& state) {
  PalFrame frame;
  for (auto _ : state) benchmark::DoNotOptimize(frame.image().Smooth());
}
BENCHMARK(BM_Smooth)->Unit(benchmark::kMillisecond);

void BM_Greyscale(benchmark::State& state) {
  PalFrame frame;
  for (auto _ : state) frame.image().Greyscale();
}
BENCHMARK(BM_Greyscale)->Unit(benchmark::kMillisecond);

void BM_Rotate90(benchmark::State& state) {
  PalFrame frame;
  for (auto _ : state) benchmark::DoNotOptimize(frame.image().Rotate90());
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
