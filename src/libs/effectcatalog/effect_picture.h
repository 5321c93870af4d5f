#pragma once
// Pictures as the effect libraries see them: views of 24-bit rows in a
// locked packed DIB or in a buffer of their own, and grey maps.
//
// Rows are bottom-up (row 0 is the bottom of the picture), three bytes a
// pixel in the order blue, green, red; the stride of a packed DIB is its
// biSizeImage / biHeight.

#include <cstdint>
#include <vector>

#include "imagelib/pixel_types.h"

namespace sprocket {

struct PictureView {
  std::uint8_t* pixels = nullptr;  // row 0
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;

  explicit operator bool() const { return pixels != nullptr; }
  std::uint8_t* Row(std::int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(stride) * y; }
  std::uint8_t* At(std::int32_t x, std::int32_t y) const { return Row(y) + static_cast<std::ptrdiff_t>(x) * 3; }
  bool SameSize(const PictureView& other) const { return width == other.width && height == other.height; }
};

// The 24-bit packed DIB whose locked block starts at `block` (an address
// GlobalLock gave, or null). Empty when the address is null, the picture is
// not 24 bits a pixel, has no pixels, or its rows do not fit its block.
PictureView ViewPicture24(const std::uint8_t* block);

// A 24-bit picture in ordinary memory, rows padded to 4 bytes, zero-filled.
class PictureBuffer {
public:
  PictureBuffer() = default;
  PictureBuffer(std::int32_t width, std::int32_t height);
  // A copy of the pixels of `source`.
  explicit PictureBuffer(const PictureView& source);
  PictureBuffer(const PictureBuffer&) = delete;
  PictureBuffer& operator=(const PictureBuffer&) = delete;
  PictureBuffer(PictureBuffer&&) noexcept = default;
  PictureBuffer& operator=(PictureBuffer&&) noexcept = default;

  const PictureView& view() const { return view_; }

private:
  std::vector<std::uint8_t> bytes_;
  PictureView view_;
};

// Copies the pixels (width x 3 bytes a row) of a picture into another of the
// same size; the row tails of the destination are left alone.
void CopyPixels(const PictureView& source, const PictureView& destination);
// Sets every pixel of the picture.
void FillPixels(const PictureView& picture, BgrPixel value);

// Brightness of a pixel, 0..255: (77 red + 150 green + 29 blue) >> 8.
inline int Luma(const std::uint8_t* bgr) { return (77 * bgr[2] + 150 * bgr[1] + 29 * bgr[0]) >> 8; }

// The grey levels of a picture scaled (nearest pixel) to width x height, row
// 0 first: an 8-bit packed DIB gives the brightness of its palette entries,
// a 24-bit one the brightness of its pixels. Empty when the block holds
// neither.
std::vector<std::uint8_t> ReadGreyLevels(const std::uint8_t* block, std::int32_t width, std::int32_t height);

// The brightness of every pixel of a picture, row 0 first.
std::vector<std::uint8_t> LumaOf(const PictureView& picture);

// Weights of masks are in 128ths: 0 transparent, 128 opaque.
inline constexpr int kOpaque = 128;

// A 24-bit mask picture: the weight of a pixel is its first (blue) byte.
// Writing stores the weight in all three bytes.
inline int MaskWeight(const PictureView& mask, std::int32_t x, std::int32_t y) {
  const int value = *mask.At(x, y);
  return value > kOpaque ? kOpaque : value;
}
inline void SetMaskWeight(const PictureView& mask, std::int32_t x, std::int32_t y, int weight) {
  std::uint8_t* p = mask.At(x, y);
  p[0] = p[1] = p[2] = static_cast<std::uint8_t>(weight);
}

}  // namespace sprocket
