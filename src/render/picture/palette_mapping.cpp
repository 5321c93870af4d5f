#include "render/picture/palette_mapping.h"

#include <algorithm>
#include <limits>

#include "render/picture/picture_ops.h"

namespace sprocket {

namespace {

constexpr int kCellSide = 256 >> 5;  // colour values per cell along one axis

// Squared distance from a value to the nearest and the farthest value of
// [low, low + kCellSide - 1].
int NearSquare(int value, int low) {
  const int high = low + kCellSide - 1;
  const int d = value < low ? low - value : (value > high ? value - high : 0);
  return d * d;
}

int FarSquare(int value, int low) {
  const int high = low + kCellSide - 1;
  const int d = std::max(value - low, high - value);
  return d * d;
}

}  // namespace

namespace {

// The first 256 entries: an 8-bit picture holds no other index.
ColorPalette FirstEntries(const ColorPalette& palette) {
  if (palette.size() <= 256) return palette;
  return ColorPalette(std::vector<PaletteEntry>(palette.entries().begin(), palette.entries().begin() + 256));
}

}  // namespace

NearestPaletteMap::NearestPaletteMap(const ColorPalette& palette)
    : palette_(FirstEntries(palette)),
      cellStart_(kCells, -1),
      cellCount_(kCells, 0),
      cacheKey_(kCacheSize, 0),
      cacheIndex_(kCacheSize, 0) {}

int NearestPaletteMap::Cell(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
  constexpr int shift = 8 - kCellBits;
  return ((red >> shift) << (2 * kCellBits)) | ((green >> shift) << kCellBits) | (blue >> shift);
}

// Keeps the entries that are nearest to some colour of the cell: an entry
// whose smallest distance to the cell exceeds the smallest largest distance
// of any entry can never win, and every entry that ties with the winner
// stays, in index order, so the lowest index still wins ties.
void NearestPaletteMap::BuildCell(int cell) {
  const int redLow = ((cell >> (2 * kCellBits)) & 31) * kCellSide;
  const int greenLow = ((cell >> kCellBits) & 31) * kCellSide;
  const int blueLow = (cell & 31) * kCellSide;
  int bound = std::numeric_limits<int>::max();
  for (const PaletteEntry& entry : palette_.entries()) {
    bound = std::min(bound,
                     FarSquare(entry.red, redLow) + FarSquare(entry.green, greenLow) + FarSquare(entry.blue, blueLow));
  }
  cellStart_[static_cast<std::size_t>(cell)] = static_cast<std::int32_t>(pool_.size());
  std::uint16_t count = 0;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const PaletteEntry& entry = palette_[i];
    if (NearSquare(entry.red, redLow) + NearSquare(entry.green, greenLow) + NearSquare(entry.blue, blueLow) <= bound) {
      pool_.push_back(static_cast<std::uint8_t>(i));
      ++count;
    }
  }
  cellCount_[static_cast<std::size_t>(cell)] = count;
}

int NearestPaletteMap::Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  if (palette_.empty()) return -1;
  const std::uint32_t rgb = (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) | blue;
  const std::size_t slot = (rgb ^ (rgb >> 12) ^ (rgb >> 20)) & (kCacheSize - 1);
  if (cacheKey_[slot] == rgb + 1) return cacheIndex_[slot];

  const int cell = Cell(red, green, blue);
  if (cellStart_[static_cast<std::size_t>(cell)] < 0) BuildCell(cell);
  const std::uint8_t* candidates = pool_.data() + cellStart_[static_cast<std::size_t>(cell)];
  const int count = cellCount_[static_cast<std::size_t>(cell)];
  int best = candidates[0];
  int bestDistance = std::numeric_limits<int>::max();
  for (int i = 0; i < count; ++i) {
    const PaletteEntry& entry = palette_[candidates[i]];
    const int dr = entry.red - red;
    const int dg = entry.green - green;
    const int db = entry.blue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      best = candidates[i];
      bestDistance = distance;
    }
  }
  cacheKey_[slot] = rgb + 1;
  cacheIndex_[slot] = static_cast<std::uint8_t>(best);
  return best;
}

bool MapToNearestPalette(std::uint8_t* dst8, const std::uint8_t* src24, NearestPaletteMap& palette) {
  if (palette.Palette().empty()) return false;
  const std::optional<PictureGeometry> source = ReadPictureGeometry(src24);
  const std::optional<PictureGeometry> target = ReadPictureGeometry(dst8);
  if (!source || !target || source->bitCount != 24 || target->bitCount != 8) return false;
  if (source->width != target->width || source->height != target->height) return false;
  for (std::int32_t y = 0; y < source->height; ++y) {
    const std::uint8_t* in = source->Row(y);
    std::uint8_t* out = target->Row(y);
    for (std::int32_t x = 0; x < source->width; ++x, in += 3) {
      out[x] = static_cast<std::uint8_t>(palette.Nearest(in[2], in[1], in[0]));
    }
  }
  return true;
}

}  // namespace sprocket
