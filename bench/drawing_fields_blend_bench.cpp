// Field merge and mask blends on a 720 x 480 frame.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "imagelib/dib_header.h"
#include "imagelib/drawing/fields.h"
#include "imagelib/drawing/mask_blend.h"
#include "platform/global_memory.h"

namespace sprocket {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

// A locked block holding a picture of noise.
class BenchPicture {
public:
  BenchPicture(int bits, std::uint32_t seed) {
    const int stride = bits == 8 ? (kWidth + 3) / 4 * 4 : PaddedStride24(kWidth);
    const int offset = bits == 8 ? kDibMaskPixelOffset : kDibHeaderSize;
    const std::size_t bytes = static_cast<std::size_t>(offset) + static_cast<std::size_t>(stride) * kHeight;
    handle_ = GlobalAlloc(GHND, bytes);
    data_ = static_cast<std::uint8_t*>(GlobalLock(handle_));
    DibInfoHeader header = MakeDib24Header(kWidth, kHeight);
    header.biBitCount = static_cast<std::uint16_t>(bits);
    header.biSizeImage = static_cast<std::uint32_t>(stride * kHeight);
    WriteDibHeader(data_, header);
    std::mt19937 random(seed);
    for (std::size_t i = offset; i < bytes; ++i) data_[i] = static_cast<std::uint8_t>(random());
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

void BM_MergeField(benchmark::State& state) {
  BenchPicture source(24, 1);
  BenchPicture destination(24, 2);
  for (auto _ : state) {
    MergeField(destination.data(), source.data(), static_cast<int>(state.range(0)));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MergeField)->Arg(0)->Arg(1);

template <int (*Kernel)(const std::uint8_t*, std::uint8_t*, const std::uint8_t*), int MaskBits>
void BM_Blend(benchmark::State& state) {
  BenchPicture source(24, 1);
  BenchPicture destination(24, 2);
  BenchPicture mask(MaskBits, 3);
  for (auto _ : state) {
    Kernel(source.data(), destination.data(), mask.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kWidth * kHeight * 3);
}
BENCHMARK(BM_Blend<BlendUnderMask, 8>)->Name("BM_BlendUnderMask");
BENCHMARK(BM_Blend<BlendUnderMaskPlain, 8>)->Name("BM_BlendUnderMaskPlain");
BENCHMARK(BM_Blend<BlendUnderMask24, 24>)->Name("BM_BlendUnderMask24");
BENCHMARK(BM_Blend<BlendUnderMask24Plain, 24>)->Name("BM_BlendUnderMask24Plain");

}  // namespace
}  // namespace sprocket
