// Colour conversions on one thread, the vector road against the scaler's
// exact road: decoded 720x480 motion-JPEG-style pictures (full-range 4:2:2)
// into 24-bit DIBs, and composed 640x480 DIBs into the compressor's YUV
// (full-range 4:2:2 for motion JPEG, limited 4:2:0 for the mpeg family).
//   build/bench/bench_media

#include <benchmark/benchmark.h>

#include <vector>

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

void ConvertForEncoder(benchmark::State& state, AVPixelFormat format, ColourRoad road) {
  constexpr int kWidth = 640;
  constexpr int kHeight = 480;
  SetParallelFrameWork(false);
  const DibInfoHeader header = MakeDib24Header(kWidth, kHeight);
  std::vector<std::uint8_t> bytes(header.biSizeImage);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 1920 * 3) & 0xFF);
  PaddedPixels pixels;
  EncoderFrameConverter converter(road);
  converter.Configure(kWidth, kHeight, format);
  FramePtr frame(av_frame_alloc());
  std::string error;
  if (!pixels.Assign(bytes.data(), bytes.size())) state.SkipWithError("Not enough memory");
  for (auto _ : state) {
    if (!converter.FromDib(header, nullptr, pixels, PaddedStride24(kWidth), frame.get(), &error)) {
      state.SkipWithError(error.c_str());
    }
    benchmark::DoNotOptimize(frame->data[0]);
  }
  SetParallelFrameWork(true);
}

void BM_DibToJpeg422Exact(benchmark::State& state) {
  ConvertForEncoder(state, AV_PIX_FMT_YUVJ422P, ColourRoad::kExact);
}
void BM_DibToJpeg422Vector(benchmark::State& state) {
  ConvertForEncoder(state, AV_PIX_FMT_YUVJ422P, ColourRoad::kVector);
}
void BM_DibTo420Exact(benchmark::State& state) { ConvertForEncoder(state, AV_PIX_FMT_YUV420P, ColourRoad::kExact); }
void BM_DibTo420Vector(benchmark::State& state) { ConvertForEncoder(state, AV_PIX_FMT_YUV420P, ColourRoad::kVector); }

BENCHMARK(BM_DibToJpeg422Exact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DibToJpeg422Vector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DibTo420Exact)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DibTo420Vector)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace sprocket::media_detail
