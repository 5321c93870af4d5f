#include "imagelib/formats/dib_pixels.h"

#include <algorithm>

#include "imagelib/dib_header.h"

namespace sprocket {

std::optional<DibPixelReader> DibPixelReader::Open(const std::uint8_t* dib) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(dib);
  if (!geometry) return std::nullopt;
  const std::uint32_t headerBytes = ReadDibHeader(dib).biSize;
  const auto colours = static_cast<std::uint32_t>((geometry->pixelOffset - headerBytes) / 4);
  if (geometry->bitCount <= 8 && colours == 0) return std::nullopt;
  return DibPixelReader(*geometry, dib + headerBytes, colours);
}

BgrPixel DibPixelReader::At(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* row = geometry_.Row(y);
  switch (geometry_.bitCount) {
    case 24:
      return BgrPixel{row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
    case 32:
      return BgrPixel{row[x * 4], row[x * 4 + 1], row[x * 4 + 2]};
    case 16: {
      const int value = row[x * 2] | row[x * 2 + 1] << 8;
      auto channel = [value](int shift) { return static_cast<std::uint8_t>(((value >> shift) & 31) * 255 / 31); };
      return BgrPixel{channel(0), channel(5), channel(10)};
    }
    default: {
      const int bits = geometry_.bitCount;
      const std::int64_t bit = static_cast<std::int64_t>(x) * bits;
      const int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
      const std::uint8_t* entry = table_ + std::min<std::uint32_t>(static_cast<std::uint32_t>(index), colours_ - 1) * 4;
      return BgrPixel{entry[0], entry[1], entry[2]};
    }
  }
}

}  // namespace sprocket
