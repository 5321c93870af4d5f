#pragma once
// Rectangles, filter numbers and the progress callback of the rescaler.

#include <cstdint>

namespace sprocket {

// Filter numbers of the rescaler. 0 means the nearest-pixel stretch in
// CDibImage::StretchRect and CDibImage::Resize, and Hermite when given to
// RescaleFiltered directly.
enum RescaleFilter : std::int32_t {
  kFilterNearest = 0,
  kFilterHermite = 1,
  kFilterBox = 2,
  kFilterTriangle = 3,
  kFilterBell = 4,
  kFilterBSpline = 5,
  kFilterLanczos3 = 6,
  kFilterMitchell = 7,
};
inline constexpr std::int32_t kRescaleFilterCount = 8;

// A rectangle of pixels given by two inclusive corners, fields in this order.
// y counts rows in memory order. The corners may come in either order; they
// are normalised against the picture before use.
struct DibRect {
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;

  friend bool operator==(const DibRect&, const DibRect&) = default;
};
static_assert(sizeof(DibRect) == 16);

// Progress of a nearest-pixel stretch: called before each destination row
// with (0, last row, current row, value1, value2); a nonzero answer stops it.
using ScaleProgressCallback = int (*)(int reserved, float lastRow, float currentRow, std::intptr_t value1,
                                      std::intptr_t value2);

// Clamps each coordinate into 0..maxX (or 0..maxY) and orders the corners so
// that x2 >= x1 and y2 >= y1.
constexpr DibRect NormaliseDibRect(DibRect rect, std::int32_t maxX, std::int32_t maxY) {
  auto clamp = [](std::int32_t value, std::int32_t max) {
    if (value < 1) return 0;
    return value > max ? max : value;
  };
  DibRect result{clamp(rect.x2, maxX), clamp(rect.y2, maxY), clamp(rect.x1, maxX), clamp(rect.y1, maxY)};
  if (result.x2 < result.x1) {
    const std::int32_t swap = result.x2;
    result.x2 = result.x1;
    result.x1 = swap;
  }
  if (result.y2 < result.y1) {
    const std::int32_t swap = result.y2;
    result.y2 = result.y1;
    result.y1 = swap;
  }
  return result;
}

}  // namespace sprocket
