#include "libs/moviejoin/palette_picture.h"

#include <array>

#include "imagelib/dib_header.h"

namespace sprocket {

namespace {

constexpr int kRedLevels = 6;
constexpr int kGreenLevels = 7;
constexpr int kBlueLevels = 6;

int LevelOf(std::uint8_t value, int levels) { return (value * (levels - 1) + 127) / 255; }
std::uint8_t ValueOf(int level, int levels) { return static_cast<std::uint8_t>(level * 255 / (levels - 1)); }

// Each byte value's level, per channel, so the pixel loop only looks up.
struct LevelTables {
  std::array<std::uint8_t, 256> red{}, green{}, blue{};
  LevelTables() {
    for (int v = 0; v < 256; ++v) {
      auto byte = static_cast<std::uint8_t>(v);
      red[v] = static_cast<std::uint8_t>(LevelOf(byte, kRedLevels) * kGreenLevels * kBlueLevels);
      green[v] = static_cast<std::uint8_t>(LevelOf(byte, kGreenLevels) * kBlueLevels);
      blue[v] = static_cast<std::uint8_t>(LevelOf(byte, kBlueLevels));
    }
  }
};

void WritePalette(std::uint8_t* palette) {
  for (int r = 0; r < kRedLevels; ++r) {
    for (int g = 0; g < kGreenLevels; ++g) {
      for (int b = 0; b < kBlueLevels; ++b) {
        std::uint8_t* entry = palette + 4 * ((r * kGreenLevels + g) * kBlueLevels + b);
        entry[0] = ValueOf(b, kBlueLevels);
        entry[1] = ValueOf(g, kGreenLevels);
        entry[2] = ValueOf(r, kRedLevels);
      }
    }
  }
}

}  // namespace

GlobalBlock ReduceToFixedPalette(const std::uint8_t* dib, std::size_t blockBytes) {
  if (dib == nullptr || blockBytes < static_cast<std::size_t>(kDibHeaderSize)) return {};
  DibInfoHeader source = ReadDibHeader(dib);
  std::int32_t sourceStride = source.biBitCount == 24 ? CheckedDibStride(source, blockBytes) : 0;
  if (sourceStride == 0) return {};
  std::int32_t width = source.biWidth;
  std::int32_t height = source.biHeight;
  std::int32_t stride = PaddedStride8(width);
  DibInfoHeader header = source;
  header.biSize = kDibHeaderSize;
  header.biBitCount = 8;
  header.biCompression = 0;
  header.biClrUsed = 256;
  header.biClrImportant = 0;
  header.biSizeImage = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(height);
  GlobalBlock block = GlobalBlock::Allocate(kDibMaskPixelOffset + static_cast<std::size_t>(header.biSizeImage));
  if (!block) return {};
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  WriteDibHeader(bytes.get(), header);
  WritePalette(bytes.get() + kDibHeaderSize);
  static const LevelTables tables;
  const std::uint8_t* in = dib + kDibHeaderSize;
  std::uint8_t* out = bytes.get() + kDibMaskPixelOffset;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* from = in + static_cast<std::ptrdiff_t>(sourceStride) * y;
    std::uint8_t* to = out + static_cast<std::ptrdiff_t>(stride) * y;
    for (std::int32_t x = 0; x < width; ++x, from += 3) {
      to[x] = static_cast<std::uint8_t>(tables.red[from[2]] + tables.green[from[1]] + tables.blue[from[0]]);
    }
  }
  return block;
}

}  // namespace sprocket
