// Filters that read a pixel's neighbours: blurs, sharpening, relief, edges
// and mosaic. Neighbours beyond the picture's edge repeat the edge pixel.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "libs/filterrender/box_blur.h"
#include "libs/filterrender/filter_kernels.h"

namespace sprocket {

namespace {

std::uint8_t Clamp255(std::int32_t v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// The brightness of every pixel, row 0 first, with an edge lookup.
struct LumaField {
  std::vector<std::uint8_t> levels;
  std::int32_t width;
  std::int32_t height;
  explicit LumaField(const PictureView& picture)
      : levels(LumaOf(picture)), width(picture.width), height(picture.height) {}
  int At(std::int32_t x, std::int32_t y) const {
    return levels[static_cast<std::size_t>(ClampIndex(y, height)) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(ClampIndex(x, width))];
  }
};

}  // namespace

int BlurFilter(const FilterFrame& frame) {
  return BoxBlur(frame.source, frame.destination, (frame.values[0] + 5) / 10, *frame.stop);
}

int SharpenFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const int amount = frame.values[0];
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t* p, std::uint8_t* d) {
    for (int c = 0; c < 3; ++c) {
      std::int32_t sum = 0;
      for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx)
          sum += s.At(ClampIndex(x + dx, s.width), ClampIndex(y + dy, s.height))[c];
      }
      const std::int32_t mean = (sum + 4) / 9;
      d[c] = Clamp255(p[c] + (p[c] - mean) * amount / 100);
    }
  });
}

int EmbossFilter(const FilterFrame& frame) {
  const LumaField luma(frame.source);
  const int depth = frame.values[0];
  // Lit from the top left: the top-left neighbour against the bottom-right one.
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t*, std::uint8_t* d) {
    const int relief = luma.At(x - 1, y + 1) - luma.At(x + 1, y - 1);
    d[0] = d[1] = d[2] = Clamp255(128 + relief * depth / 2);
  });
}

int EdgeDetectFilter(const FilterFrame& frame) {
  const LumaField l(frame.source);
  const int gain = frame.values[0];
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t*, std::uint8_t* d) {
    const int gx = (l.At(x + 1, y - 1) + 2 * l.At(x + 1, y) + l.At(x + 1, y + 1)) -
                   (l.At(x - 1, y - 1) + 2 * l.At(x - 1, y) + l.At(x - 1, y + 1));
    const int gy = (l.At(x - 1, y + 1) + 2 * l.At(x, y + 1) + l.At(x + 1, y + 1)) -
                   (l.At(x - 1, y - 1) + 2 * l.At(x, y - 1) + l.At(x + 1, y - 1));
    d[0] = d[1] = d[2] = Clamp255((std::abs(gx) + std::abs(gy)) * gain / 4);
  });
}

int MotionBlurFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const std::int32_t length = std::max(1, frame.values[0]);
  static constexpr std::int32_t kSteps[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
  const auto* step = kSteps[std::clamp(frame.values[1], 0, 3)];
  const std::int32_t first = -(length - 1) / 2;
  return ForEachPixel(frame, [&](std::int32_t x, std::int32_t y, const std::uint8_t*, std::uint8_t* d) {
    std::int32_t sum[3] = {0, 0, 0};
    for (std::int32_t k = first; k < first + length; ++k) {
      const std::uint8_t* p = s.At(ClampIndex(x + k * step[0], s.width), ClampIndex(y + k * step[1], s.height));
      for (int c = 0; c < 3; ++c) sum[c] += p[c];
    }
    for (int c = 0; c < 3; ++c) d[c] = static_cast<std::uint8_t>((sum[c] + length / 2) / length);
  });
}

int MosaicFilter(const FilterFrame& frame) {
  const PictureView& s = frame.source;
  const std::int32_t block = std::max(1, frame.values[0]);
  // Blocks start at the top-left corner of the picture.
  for (std::int32_t top = 0; top < s.height; top += block) {
    const std::int32_t rows = std::min(block, s.height - top);
    for (std::int32_t left = 0; left < s.width; left += block) {
      const std::int32_t columns = std::min(block, s.width - left);
      std::int32_t sum[3] = {0, 0, 0};
      for (std::int32_t r = 0; r < rows; ++r) {
        const std::int32_t y = s.height - 1 - (top + r);
        for (std::int32_t x = left; x < left + columns; ++x) {
          for (int c = 0; c < 3; ++c) sum[c] += s.At(x, y)[c];
        }
      }
      const std::int32_t count = rows * columns;
      std::uint8_t mean[3];
      for (int c = 0; c < 3; ++c) mean[c] = static_cast<std::uint8_t>((sum[c] + count / 2) / count);
      for (std::int32_t r = 0; r < rows; ++r) {
        const std::int32_t y = s.height - 1 - (top + r);
        for (std::int32_t x = left; x < left + columns; ++x) std::copy(mean, mean + 3, frame.destination.At(x, y));
      }
    }
    if (frame.stop->AfterRows(rows)) return kEffectStopped;
  }
  return kEffectDone;
}

}  // namespace sprocket
