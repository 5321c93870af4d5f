#include "imagelib/dib_header.h"

#include <cstring>
#include <limits>

namespace sprocket {

DibInfoHeader ReadDibHeader(const void* block) {
  DibInfoHeader header;
  std::memcpy(&header, block, sizeof(header));
  return header;
}

void WriteDibHeader(void* block, const DibInfoHeader& header) { std::memcpy(block, &header, sizeof(header)); }

std::int32_t PaddedStride24(std::int32_t width) {
  if (width < 1) return 0;
  const std::int64_t stride = (static_cast<std::int64_t>(width) * 3 + 3) / 4 * 4;
  if (stride > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(stride);
}

std::int32_t PaddedStride8(std::int32_t width) {
  if (width < 1) return 0;
  const std::int64_t stride = (static_cast<std::int64_t>(width) + 3) / 4 * 4;
  if (stride > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(stride);
}

void ClearDib24RowPadding(std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  const auto stride = static_cast<std::size_t>(PaddedStride24(width));
  for (std::int32_t y = 0; stride > rowBytes && y < height; ++y) {
    std::memset(pixels + stride * static_cast<std::size_t>(y) + rowBytes, 0, stride - rowBytes);
  }
}

DibInfoHeader MakeDib24Header(std::int32_t width, std::int32_t height) {
  DibInfoHeader header;
  header.biSize = kDibHeaderSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<std::uint32_t>(PaddedStride24(width)) * static_cast<std::uint32_t>(height);
  header.biXPelsPerMeter = kDibPelsPerMeter;
  header.biYPelsPerMeter = kDibPelsPerMeter;
  return header;
}

std::int32_t CheckedDibStride(const DibInfoHeader& header, std::size_t blockBytes, std::int32_t pixelOffset) {
  if (header.biWidth < 1 || header.biHeight < 1) return 0;
  const std::uint64_t stride = header.biSizeImage / static_cast<std::uint32_t>(header.biHeight);
  const std::uint64_t bitsPerPixel = header.biBitCount == 0 ? 24 : header.biBitCount;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(header.biWidth) * bitsPerPixel + 7) / 8;
  if (stride < rowBytes || stride > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    return 0;
  }
  const std::uint64_t needed =
      static_cast<std::uint64_t>(pixelOffset) + stride * static_cast<std::uint64_t>(header.biHeight);
  if (needed > blockBytes) return 0;
  return static_cast<std::int32_t>(stride);
}

}  // namespace sprocket
