#pragma once
// Luminance of a pixel and pixels brought to a luminance level.

#include <cstdint>

#include "imagelib/pixel_types.h"

namespace sprocket {

// (77 red + 150 green + 29 blue) >> 8: pure red gives 76, white 255.
constexpr std::uint8_t Luminance(BgrPixel pixel) {
  return static_cast<std::uint8_t>((77 * pixel.red + 150 * pixel.green + 29 * pixel.blue) >> 8);
}

// Scales the pixel so that its luminance becomes `level`: each channel c
// becomes c / luminance x level, truncated and kept within 0..255. A pixel of
// luminance 0 is left as it is.
void SetPixelLuminance(BgrPixel& pixel, std::int32_t level);

}  // namespace sprocket
