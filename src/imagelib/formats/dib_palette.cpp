#include "imagelib/formats/dib_palette.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "imagelib/dib_geometry.h"
#include "platform/le_bytes.h"

namespace sprocket {

const std::array<PaletteEntry, 16> kStandardColours = {{
    {0, 0, 0, 0},
    {128, 0, 0, 0},
    {0, 128, 0, 0},
    {128, 128, 0, 0},
    {0, 0, 128, 0},
    {128, 0, 128, 0},
    {0, 128, 128, 0},
    {192, 192, 192, 0},
    {128, 128, 128, 0},
    {255, 0, 0, 0},
    {0, 255, 0, 0},
    {255, 255, 0, 0},
    {0, 0, 255, 0},
    {255, 0, 255, 0},
    {0, 255, 255, 0},
    {255, 255, 255, 0},
}};

namespace {

void WriteTableEntry(std::uint8_t* table, std::size_t index, const PaletteEntry& colour) {
  std::uint8_t* entry = table + index * 4;
  entry[0] = colour.blue;
  entry[1] = colour.green;
  entry[2] = colour.red;
  entry[3] = 0;
}

// The colour count of a DIB in a locked block when its table fits the block.
std::optional<std::uint32_t> TableColours(const std::uint8_t* dib, std::size_t blockBytes) {
  if (dib == nullptr || blockBytes < static_cast<std::size_t>(kDibHeaderSize)) return std::nullopt;
  const DibInfoHeader header = ReadDibHeader(dib);
  const std::uint64_t colours = DibColourCount(header);
  if (header.biSize < static_cast<std::uint32_t>(kDibHeaderSize) || colours > 256 ||
      header.biSize + colours * 4 > blockBytes) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(colours);
}

}  // namespace

ColorPalette CreateDibPalette(const std::uint8_t* dib) {
  if (dib == nullptr) return {};
  const std::optional<std::uint32_t> colours = TableColours(dib, GlobalSize(GlobalHandle(dib)));
  if (!colours || *colours == 0) return {};
  const std::uint8_t* table = dib + ReadDibHeader(dib).biSize;
  std::vector<PaletteEntry> entries;
  for (std::uint32_t i = 0; i < *colours; ++i) {
    const std::uint8_t* entry = table + std::size_t{4} * i;
    entries.push_back(PaletteEntry{entry[2], entry[1], entry[0], 0});
  }
  return ColorPalette(std::move(entries));
}

int SetDibColourUsage(HGLOBAL dib, const ColorPalette* palette, int usage) {
  GlobalLockGuard<std::uint8_t> lock(dib);
  if (!lock) return 0;
  const std::optional<std::uint32_t> colours = TableColours(lock.get(), GlobalSize(dib));
  if (!colours) return 0;
  std::uint8_t* table = lock.get() + ReadDibHeader(lock.get()).biSize;
  if (usage == kDibPaletteIndices) {
    for (std::uint32_t i = 0; i < *colours; ++i) WriteLe16(table + std::size_t{2} * i, i);
    return 1;
  }
  const std::vector<PaletteEntry> standard(kStandardColours.begin(), kStandardColours.end());
  const std::vector<PaletteEntry>& entries = palette != nullptr ? palette->entries() : standard;
  const std::size_t count = std::min<std::size_t>({*colours, entries.size(), 256});
  for (std::size_t i = 0; i < count; ++i) WriteTableEntry(table, i, entries[i]);
  return 1;
}

GlobalBlock NewDib(int bitCount, std::int32_t width, std::int32_t height) {
  if (!IsKnownBitCount(bitCount) || width < 1 || height < 1) return {};
  const std::uint32_t colours = bitCount < 9 ? 1u << bitCount : 0;
  const std::uint64_t rowBytes = (static_cast<std::uint64_t>(bitCount) * width + 31) / 32 * 4;
  const std::uint64_t imageBytes = rowBytes * static_cast<std::uint64_t>(height);
  if (imageBytes > std::numeric_limits<std::uint32_t>::max()) return {};
  GlobalBlock block = GlobalBlock::Allocate(kDibHeaderSize + std::size_t{4} * colours + imageBytes);
  GlobalLockGuard<std::uint8_t> lock(block.get());
  if (!lock) return {};
  DibInfoHeader header;
  header.biSize = kDibHeaderSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<std::uint16_t>(bitCount);
  header.biClrUsed = colours;
  WriteDibHeader(lock.get(), header);
  std::uint8_t* table = lock.get() + kDibHeaderSize;
  if (bitCount == 1) {
    WriteTableEntry(table, 0, kStandardColours.front());
    WriteTableEntry(table, 1, kStandardColours.back());
  } else {
    for (std::size_t i = 0; i < std::min<std::size_t>(colours, kStandardColours.size()); ++i) {
      WriteTableEntry(table, i, kStandardColours[i]);
    }
  }
  return block;
}

}  // namespace sprocket
