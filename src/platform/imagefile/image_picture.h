#pragma once
// The pictures that image handles hold: packed DIBs with rows padded to 4
// bytes and bottom-up, either 24-bit, or 8-bit with a full 256-entry colour
// table (biClrUsed 256) whose first biClrImportant entries are the picture's
// colours. Pixels start at offset 40 (24-bit) or 1064 (8-bit).

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/global_memory.h"

namespace sprocket {

// Largest width or height, and largest pixel count, of a picture.
inline constexpr std::int32_t kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 27;

// True when a picture of that size may be made.
bool IsAcceptedImageSize(std::int64_t width, std::int64_t height);

// One palette entry as stored in a DIB colour table.
struct DibColor {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
};
static_assert(sizeof(DibColor) == 4);

// The geometry of a picture block.
struct PictureLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t bitsPerPixel = 0;  // 8 or 24
  std::int32_t colors = 0;        // colours in the table (8-bit only)
  std::size_t stride = 0;
  std::size_t pixelOffset = 0;

  std::size_t PixelBytes() const { return stride * static_cast<std::size_t>(height); }
};

// A new zero-filled 24-bit picture; an empty block when the size is not
// accepted or memory is short.
GlobalBlock NewTrueColorPicture(std::int32_t width, std::int32_t height);
// A new zero-filled 8-bit picture with `colors` (1..256) table entries in use.
GlobalBlock NewIndexedPicture(std::int32_t width, std::int32_t height, std::int32_t colors);

// The layout of a block made by the functions above (checked against the
// block's size); nothing for any other block.
std::optional<PictureLayout> ReadPictureLayout(const std::uint8_t* block, std::size_t bytes);

// Writes the header that a picture of that layout carries (undoing any
// change a caller made to it).
void WritePictureHeader(std::uint8_t* block, const PictureLayout& layout);

// A 24-bit copy of an 8-bit picture (each pixel looked up in the table).
GlobalBlock ExpandIndexedPicture(const std::uint8_t* block, const PictureLayout& layout);

// A copy of the whole block.
GlobalBlock CopyPicture(HGLOBAL picture);

}  // namespace sprocket
