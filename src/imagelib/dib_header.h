#pragma once
// The 40-byte header of a packed device-independent bitmap.
//
// A packed 24-bit DIB is one block: this header, then bottom-up rows of
// blue, green, red bytes. The stride of a row is always taken as
// biSizeImage / biHeight, so rows may be padded to 4 bytes or not. The 8-bit
// variant (masks) has biBitCount 8, biClrUsed 256, a 1024-byte grey palette
// after the header and its pixels from offset 1064.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace sprocket {

struct DibInfoHeader {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};
static_assert(std::endian::native == std::endian::little, "headers are stored little-endian");
static_assert(sizeof(DibInfoHeader) == 40);
static_assert(offsetof(DibInfoHeader, biWidth) == 4);
static_assert(offsetof(DibInfoHeader, biHeight) == 8);
static_assert(offsetof(DibInfoHeader, biPlanes) == 12);
static_assert(offsetof(DibInfoHeader, biBitCount) == 14);
static_assert(offsetof(DibInfoHeader, biCompression) == 16);
static_assert(offsetof(DibInfoHeader, biSizeImage) == 20);
static_assert(offsetof(DibInfoHeader, biXPelsPerMeter) == 24);
static_assert(offsetof(DibInfoHeader, biYPelsPerMeter) == 28);
static_assert(offsetof(DibInfoHeader, biClrUsed) == 32);
static_assert(offsetof(DibInfoHeader, biClrImportant) == 36);

inline constexpr std::int32_t kDibHeaderSize = 40;
inline constexpr std::int32_t kDibPaletteBytes = 1024;
inline constexpr std::int32_t kDibMaskPixelOffset = kDibHeaderSize + kDibPaletteBytes;  // 1064
inline constexpr std::int32_t kDibPelsPerMeter = 3780;

// Reads the header at the start of a locked block (no alignment needed).
DibInfoHeader ReadDibHeader(const void* block);
// Writes the header to the start of a locked block.
void WriteDibHeader(void* block, const DibInfoHeader& header);

// Bytes per row of a 24-bit picture with rows padded to 4 bytes; 0 when the
// width is below 1 or the row would not fit 32 bits.
std::int32_t PaddedStride24(std::int32_t width);
// The same for an 8-bit picture (masks, palette pictures).
std::int32_t PaddedStride8(std::int32_t width);
// Zeroes the bytes that pad each row of a 24-bit picture's pixels (rows of
// PaddedStride24(width) bytes), for a picture whose pixels are written whole.
void ClearDib24RowPadding(std::uint8_t* pixels, std::int32_t width, std::int32_t height);

// The header that a freshly made 24-bit picture carries: padded rows,
// 3780 pixels per metre both ways.
DibInfoHeader MakeDib24Header(std::int32_t width, std::int32_t height);

// Stride (biSizeImage / biHeight) of a header that describes a usable
// picture of the given bit depth held in a block of `blockBytes` bytes whose
// pixels start at `pixelOffset`; 0 when the header is unusable (width or
// height below 1, rows shorter than the width, or pixels past the block).
std::int32_t CheckedDibStride(const DibInfoHeader& header, std::size_t blockBytes,
                              std::int32_t pixelOffset = kDibHeaderSize);

}  // namespace sprocket
