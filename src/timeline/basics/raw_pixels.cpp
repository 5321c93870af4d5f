#include "timeline/basics/raw_pixels.h"

#include <cstring>

namespace sprocket {

void Rgb555ToRgb24(const std::uint8_t* source, std::uint8_t* target, int width, int height, std::size_t sourceStride,
                   std::size_t targetStride) {
  if (width <= 0 || height <= 0) return;
  const auto w = static_cast<std::size_t>(width);
  if (sourceStride == 0) sourceStride = w * 2;
  if (targetStride == 0) targetStride = w * 3;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = source + static_cast<std::size_t>(y) * sourceStride;
    std::uint8_t* out = target + static_cast<std::size_t>(y) * targetStride;
    for (std::size_t x = 0; x < w; ++x) {
      unsigned pixel = in[2 * x] | (in[2 * x + 1] << 8);
      out[3 * x + 0] = static_cast<std::uint8_t>((pixel & 0x1F) << 3);
      out[3 * x + 1] = static_cast<std::uint8_t>(((pixel >> 5) & 0x1F) << 3);
      out[3 * x + 2] = static_cast<std::uint8_t>(((pixel >> 10) & 0x1F) << 3);
    }
  }
}

void FillMemoryLarge(void* buffer, std::size_t length, std::uint8_t value) {
  if (buffer != nullptr && length > 0) std::memset(buffer, value, length);
}

}  // namespace sprocket
