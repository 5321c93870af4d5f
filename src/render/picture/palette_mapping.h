#pragma once
// Mapping true-colour pictures onto one palette (FLC output).
//
// Every colour goes to the palette entry nearest to it: the smallest sum of
// squared differences of red, green and blue, the lowest index on a tie
// (exactly what ColorPalette::NearestIndex answers). The search is fast
// because the colour cube is cut into 32 x 32 x 32 cells and each cell, the
// first time a colour falls into it, keeps the few entries that can be the
// nearest for some colour of the cell; recent colours are cached whole.

#include <cstdint>
#include <vector>

#include "imagelib/formats/color_palette.h"

namespace sprocket {

class NearestPaletteMap {
public:
  explicit NearestPaletteMap(const ColorPalette& palette);

  // The index of the entry nearest to the colour; -1 for an empty palette.
  int Nearest(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

  const ColorPalette& Palette() const { return palette_; }

private:
  static constexpr int kCellBits = 5;
  static constexpr int kCells = 1 << (3 * kCellBits);
  static constexpr int kCacheSize = 1 << 16;

  int Cell(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;
  void BuildCell(int cell);

  ColorPalette palette_;
  // Candidates of each cell: pool_[cellStart_[c] .. + cellCount_[c]]; -1 not built yet.
  std::vector<std::int32_t> cellStart_;
  std::vector<std::uint16_t> cellCount_;
  std::vector<std::uint8_t> pool_;
  // Recent colours: key rgb + 1 (0 empty) and their index.
  std::vector<std::uint32_t> cacheKey_;
  std::vector<std::uint8_t> cacheIndex_;
};

// Stores, for each pixel of the 24-bit packed DIB `src24` (a locked block),
// the palette index of its colour at the same place of the 8-bit packed DIB
// `dst8` (a locked block; pixels after its colour table). Both pictures must
// have one size; nothing is written and false answered otherwise, for
// pictures that do not hold what their headers say, for a width or height
// of 0 or less, or for an empty palette.
bool MapToNearestPalette(std::uint8_t* dst8, const std::uint8_t* src24, NearestPaletteMap& palette);

}  // namespace sprocket
