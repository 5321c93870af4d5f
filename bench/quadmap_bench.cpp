// Quadrilateral mapping of a PAL frame: a turn by 30 degrees in place, a
// picture-in-picture frame with one and with two sources.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imagelib/dib_header.h"
#include "imagelib/quadmap/quad_frame.h"
#include "imagelib/quadmap/quad_map.h"
#include "platform/global_memory.h"

namespace sprocket {
namespace {

// A locked 24-bit picture filled with noise.
class NoisePicture {
public:
  NoisePicture(int width, int height) {
    const DibInfoHeader header = MakeDib24Header(width, height);
    block_ = GlobalBlock::Allocate(kDibHeaderSize + header.biSizeImage);
    data_ = static_cast<std::uint8_t*>(GlobalLock(block_.get()));
    WriteDibHeader(data_, header);
    std::mt19937 random(9);
    for (std::uint32_t i = 0; i < header.biSizeImage; ++i)
      data_[kDibHeaderSize + i] = static_cast<std::uint8_t>(random());
  }
  NoisePicture(const NoisePicture&) = delete;
  NoisePicture& operator=(const NoisePicture&) = delete;
  ~NoisePicture() { GlobalUnlock(block_.get()); }
  std::uint8_t* data() const { return data_; }

private:
  GlobalBlock block_;
  std::uint8_t* data_ = nullptr;
};

void BM_RotateDib(benchmark::State& state) {
  NoisePicture picture(720, 576);
  const auto mode = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(RotateDib(30, 360, 288, picture.data(), mode | kQuadClearFirst));
}
BENCHMARK(BM_RotateDib)->Arg(kQuadNearest)->Arg(kQuadBlendRows)->Unit(benchmark::kMillisecond);

void BM_QuadMapFrame(benchmark::State& state) {
  NoisePicture target(720, 576);
  NoisePicture first(720, 576);
  NoisePicture second(720, 576);
  QuadFrameParams params;
  params.target = QuadCorners{{100, 600, 650, 60}, {50, 90, 520, 480}};
  params.degrees = 10;
  params.level = 128;
  const bool blend = state.range(0) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(QuadMapFrame(target.data(), first.data(), blend ? second.data() : nullptr, params));
  }
}
BENCHMARK(BM_QuadMapFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket
