#pragma once
// The colours of the pixels of an uncompressed DIB of any bit count.

#include <cstdint>
#include <optional>

#include "imagelib/dib_geometry.h"
#include "imagelib/pixel_types.h"

namespace sprocket {

// Reads pixels of a DIB given by the address of its locked block: 1-, 4- and
// 8-bit indices through the colour table (indices past the table read its
// last entry), 16-bit 5-5-5, 24-bit and 32-bit blue, green, red.
class DibPixelReader {
public:
  // Nothing for a DIB that ReadPictureGeometry refuses or an 8-bit or
  // smaller one without colours.
  static std::optional<DibPixelReader> Open(const std::uint8_t* dib);

  // The same pixels read through another colour table of as many entries.
  DibPixelReader WithTable(const std::uint8_t* table) const { return DibPixelReader(geometry_, table, colours_); }

  const PictureGeometry& Geometry() const { return geometry_; }
  // Pixel (x, y), y counting memory rows (0 is the bottom row); the caller
  // keeps the position inside the picture.
  BgrPixel At(std::int32_t x, std::int32_t y) const;

private:
  DibPixelReader(const PictureGeometry& geometry, const std::uint8_t* table, std::uint32_t colours)
      : geometry_(geometry), table_(table), colours_(colours) {}

  PictureGeometry geometry_;
  const std::uint8_t* table_;
  std::uint32_t colours_;
};

}  // namespace sprocket
