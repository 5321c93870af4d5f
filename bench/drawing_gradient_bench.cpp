// Gradient fills of a 640 x 480 picture in the row, diagonal and ellipse
// styles, and the key-edge smoother over a PAL frame.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "imagelib/dib_image.h"
#include "imagelib/drawing/gradient_fill.h"
#include "imagelib/drawing/key_edge_smoothing.h"

namespace sprocket {
namespace {

void BM_GradientFill(benchmark::State& state) {
  HGLOBAL handle = nullptr;
  CDibImage picture(&handle);
  picture.Create(640, 480);
  const auto style = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(GradientFillDib(picture, 0x102030, 0xF0E0D0, 0, 0, 640, 480, style));
  }
  picture.Free();
}
BENCHMARK(BM_GradientFill)->Arg(1)->Arg(2)->Arg(4)->Arg(10)->Arg(11)->Unit(benchmark::kMillisecond);

void BM_SmoothKeyEdges(benchmark::State& state) {
  const std::int32_t stride = 720 * 3;
  const std::int32_t rows = 576;
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(stride) * rows);
  std::vector<std::uint8_t> work(static_cast<std::size_t>(stride) * (rows - 1));
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = (i / 3) % 7 == 0 ? 0 : static_cast<std::uint8_t>(i);
  for (auto _ : state) {
    SmoothKeyEdges(0, rows, stride, 0x050505, 0x000000, 0x010101, picture.data(), work.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SmoothKeyEdges)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
