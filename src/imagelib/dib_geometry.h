#pragma once
// Where the rows of a general DIB lie: any bit count, any header size, a
// colour table, rows biSizeImage / height bytes apart.
//
// A DIB block holds its bits right after the header and the colour table,
// whatever the bit count: a 16-, 24- or 32-bit picture may carry a table
// too (biClrUsed entries), and its bits follow it.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sprocket {

struct DibInfoHeader;

// Where the pixels of a picture lie, checked against its block.
struct PictureGeometry {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitCount = 0;
  std::int32_t stride = 0;      // bytes from one row to the next
  std::size_t pixelOffset = 0;  // header and colour table
  std::uint8_t* pixels = nullptr;

  std::uint8_t* Row(std::int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(stride) * y; }
};

// Bit counts a DIB may have: 1, 4, 8, 16, 24, 32.
bool IsKnownBitCount(std::int32_t bits);

// Entries of the colour table: biClrUsed, or 2^bit count when that is 0 and
// the bit count is below 9.
std::uint32_t DibColourCount(const DibInfoHeader& header);

// The geometry of a picture given by the address of its locked block: the
// pixels after the header and the colour table (DibColourCount entries of 4
// bytes), rows biSizeImage / height
// bytes apart (padded rows when biSizeImage is 0). Nothing for null, a
// header that is not usable, rows shorter than the width or pixels past the
// block.
std::optional<PictureGeometry> ReadPictureGeometry(const std::uint8_t* picture);

// Bytes of one row: 8 bits the width itself, 24 bits width x 3 rounded up to
// a multiple of 4; -1 for any other depth.
std::int32_t DibRowBytes(std::int32_t width, std::int32_t bitsPerPixel);

}  // namespace sprocket
