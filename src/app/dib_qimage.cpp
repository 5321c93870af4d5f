#include "app/dib_qimage.h"

#include <cstring>

#include "platform/global_memory.h"

namespace sprocket {

namespace {

struct DibFields {
  std::uint32_t size = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = 0;
  std::uint32_t sizeImage = 0;
  std::uint32_t colorsUsed = 0;
};

template <typename T>
T At(const std::uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

DibFields ReadFields(const std::uint8_t* dib) {
  DibFields f;
  f.size = At<std::uint32_t>(dib, 0);
  f.width = At<std::int32_t>(dib, 4);
  f.height = At<std::int32_t>(dib, 8);
  f.bitCount = At<std::uint16_t>(dib, 14);
  f.compression = At<std::uint32_t>(dib, 16);
  f.sizeImage = At<std::uint32_t>(dib, 20);
  f.colorsUsed = At<std::uint32_t>(dib, 32);
  return f;
}

}  // namespace

QImage DibToQImage(const std::uint8_t* dib) {
  if (dib == nullptr) return {};
  const std::uint64_t blockBytes = GlobalSize(GlobalHandle(dib));
  if (blockBytes < 40) return {};
  const DibFields f = ReadFields(dib);
  if (f.size < 40 || f.size > blockBytes || f.width < 1 || f.height < 1 || f.compression != 0) return {};
  if (f.bitCount != 24 && f.bitCount != 8) return {};
  const std::uint64_t colours = f.bitCount == 8 ? (f.colorsUsed != 0 ? f.colorsUsed : 256) : 0;
  if (colours > 256) return {};
  const std::uint64_t padded = (static_cast<std::uint64_t>(f.width) * f.bitCount + 31) / 32 * 4;
  const std::uint64_t stride = f.sizeImage != 0 ? f.sizeImage / static_cast<std::uint64_t>(f.height) : padded;
  const std::uint64_t rowBytes = static_cast<std::uint64_t>(f.width) * f.bitCount / 8;
  const std::uint64_t offset = f.size + colours * 4;
  if (stride < rowBytes || offset + stride * static_cast<std::uint64_t>(f.height) > blockBytes) return {};

  QImage image(f.width, f.height, QImage::Format_RGB32);
  const std::uint8_t* table = dib + f.size;
  for (std::int32_t y = 0; y < f.height; ++y) {
    const std::uint8_t* row = dib + offset + stride * static_cast<std::uint64_t>(f.height - 1 - y);
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (std::int32_t x = 0; x < f.width; ++x) {
      const std::uint8_t* bgr = f.bitCount == 24 ? row + x * 3 : table + std::min<std::uint64_t>(row[x], colours - 1) * 4;
      out[x] = qRgb(bgr[2], bgr[1], bgr[0]);
    }
  }
  return image;
}

}  // namespace sprocket
