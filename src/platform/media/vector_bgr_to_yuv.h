#pragma once
// Packed 24-bit BGR pictures into the compressor's planar YUV (BT.601; full
// range for the JPEG formats, limited otherwise) through fixed-point row code
// the compiler vectorises. Every step rounds as the scaler's exact road does
// (bicubic chroma read at full width, accurate rounding), so the planes are
// byte for byte the exact road's for the layouts and sizes taken here; the
// encoder-side converter keeps the exact road for the others.

#include <cstdint>
#include <vector>

#include "platform/media/ffmpeg_handles.h"

namespace sprocket::media_detail {

class VectorBgrToYuv {
public:
  // The processor's widest vector instructions (AVX2, else SSE4.1), SSE4.1
  // where the processor has them, or plain code (for comparisons).
  enum class Instructions { kBest, kSse41, kPlain };

  explicit VectorBgrToYuv(Instructions instructions = Instructions::kBest) : instructions_(instructions) {}

  // Whether `width` x `height` pictures go this road into `format`: 4:4:4 at
  // any size, 4:2:2 at even widths from 12 pixels, 4:2:0 at even widths and
  // heights from 12 (the exact road shortens its chroma filter on smaller
  // pictures and places odd edges' chroma otherwise).
  static bool Takes(AVPixelFormat format, int width, int height);

  // Writes the bottom-up rows at `pixels`, `stride` bytes apart, into the
  // planes of `target` (allocated, of a format and size taken here). False
  // when `target` is not such a picture.
  bool Convert(const std::uint8_t* pixels, std::int32_t stride, AVFrame* target);

private:
  Instructions instructions_;
  // Per-row working space: chroma of one row at 14 bits with the edges
  // repeated for the filter, and the filtered chroma rows (for 4:2:0 the
  // ring of rows the column filter reads).
  std::vector<std::int16_t> scratch_;
};

}  // namespace sprocket::media_detail
