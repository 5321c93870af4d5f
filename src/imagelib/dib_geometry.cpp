#include "imagelib/dib_geometry.h"

#include <limits>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"

namespace sprocket {

bool IsKnownBitCount(std::int32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

std::uint32_t DibColourCount(const DibInfoHeader& header) {
  if (header.biClrUsed != 0) return header.biClrUsed;
  return header.biBitCount < 9 ? 1u << header.biBitCount : 0;
}

std::optional<PictureGeometry> ReadPictureGeometry(const std::uint8_t* picture) {
  if (picture == nullptr) return std::nullopt;
  const std::size_t blockBytes = GlobalSize(GlobalHandle(picture));
  if (blockBytes < sizeof(DibInfoHeader)) return std::nullopt;
  const DibInfoHeader header = ReadDibHeader(picture);
  if (header.biSize < sizeof(DibInfoHeader) || header.biSize > blockBytes) return std::nullopt;
  if (header.biWidth < 1 || header.biHeight < 1 || header.biCompression != 0) return std::nullopt;
  if (!IsKnownBitCount(header.biBitCount)) return std::nullopt;

  const std::uint64_t offset = header.biSize + std::uint64_t{DibColourCount(header)} * 4;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(header.biWidth) * header.biBitCount + 7) / 8;
  const std::uint64_t padded = (static_cast<std::uint64_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
  const std::uint64_t stride = header.biSizeImage != 0 ? header.biSizeImage / header.biHeight : padded;
  if (stride < rowBytes || stride > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  if (offset + stride * static_cast<std::uint64_t>(header.biHeight) > blockBytes) return std::nullopt;

  PictureGeometry geometry;
  geometry.width = header.biWidth;
  geometry.height = header.biHeight;
  geometry.bitCount = header.biBitCount;
  geometry.stride = static_cast<std::int32_t>(stride);
  geometry.pixelOffset = static_cast<std::size_t>(offset);
  geometry.pixels = const_cast<std::uint8_t*>(picture) + offset;
  return geometry;
}

std::int32_t DibRowBytes(std::int32_t width, std::int32_t bitsPerPixel) {
  if (bitsPerPixel == 8) return width;
  if (bitsPerPixel == 24) return PaddedStride24(width);
  return -1;
}

}  // namespace sprocket
