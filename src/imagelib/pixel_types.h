#pragma once
// Pixel values and result codes shared by the image library.

#include <cstdint>

namespace sprocket {

// Result of the image operations that report one.
enum DibResult : std::int32_t {
  kDibDone = 0,
  kDibNoMemory = -1,  // a memory allocation or lock failed
  kDibNoBlock = -2,   // the handle variable holds no block
  kDibDetached = -3,  // no handle variable is attached
  kDibBadSize = -4,   // a width or height below 1, an empty span, a bad header
  kDibStopped = 255,  // a stretch was stopped by its progress callback
};

// A colour as red | green << 8 | blue << 16.
using COLORREF = std::uint32_t;

// One pixel of a 24-bit row, in memory order.
struct BgrPixel {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;

  friend bool operator==(const BgrPixel&, const BgrPixel&) = default;
};
static_assert(sizeof(BgrPixel) == 3, "BgrPixel must be three packed bytes");

// A pixel position; y counts rows in memory order (0 is the bottom row).
struct DibPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Width and height of a picture.
struct DibSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

constexpr BgrPixel ColorRefToBgr(COLORREF color) {
  return BgrPixel{static_cast<std::uint8_t>((color >> 16) & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
                  static_cast<std::uint8_t>(color & 0xFF)};
}

constexpr COLORREF BgrToColorRef(BgrPixel pixel) {
  return static_cast<COLORREF>(pixel.red) | (static_cast<COLORREF>(pixel.green) << 8) |
         (static_cast<COLORREF>(pixel.blue) << 16);
}

}  // namespace sprocket
