#include "imagelib/luminance.h"

#include <algorithm>

namespace sprocket {

void SetPixelLuminance(BgrPixel& pixel, std::int32_t level) {
  const std::uint8_t luminance = Luminance(pixel);
  if (luminance == 0) return;
  auto scale = [luminance, level](std::uint8_t channel) {
    const double scaled = static_cast<double>(channel) / luminance * level;
    return static_cast<std::uint8_t>(std::clamp(scaled, 0.0, 255.0));
  };
  pixel = BgrPixel{scale(pixel.blue), scale(pixel.green), scale(pixel.red)};
}

}  // namespace sprocket
