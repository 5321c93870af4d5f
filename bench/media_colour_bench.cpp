// Decoded 720x480 motion-JPEG-style pictures (full-range 4:2:2) into 24-bit
// DIBs on one thread: the vector road against the scaler's exact road.
//   build/bench/bench_media

#include <benchmark/benchmark.h>

#include "platform/media/frame_conversion.h"
#include "platform/worker_pool.h"

namespace sprocket::media_detail {
namespace {

FramePtr MakeFrame() {
  FramePtr frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUVJ422P;
  frame->width = 720;
  frame->height = 480;
  frame->color_range = AVCOL_RANGE_JPEG;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (int plane = 0; plane < 3; ++plane) {
    const int width = plane == 0 ? 720 : 360;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < width; ++x) {
        frame->data[plane][y * frame->linesize[plane] + x] =
            static_cast<std::uint8_t>((x * 7 + y * 3 + plane * 50) & 0xFF);
      }
    }
  }
  return frame;
}

void ConvertDecoded(benchmark::State& state, ColourRoad road) {
  // On one thread: the exact road would otherwise cut pictures into slices
  // on other threads, out of this thread's processor time.
  SetParallelFrameWork(false);
  FramePtr frame = MakeFrame();
  DecodedFrameConverter converter(road);
  std::string error;
  for (auto _ : state) {
    GlobalBlock block = converter.ToDib24(frame.get(), &error);
    if (!block) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(block.get());
  }
  SetParallelFrameWork(true);
}

void BM_DecodedToDib24Exact(benchmark::State& state) { ConvertDecoded(state, ColourRoad::kExact); }
void BM_DecodedToDib24Vector(benchmark::State& state) { ConvertDecoded(state, ColourRoad::kVector); }

BENCHMARK(BM_DecodedToDib24Exact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodedToDib24Vector)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket::media_detail
