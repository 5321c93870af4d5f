#pragma once
// A logical palette: the colours of a picture reduced to 256 colours or fewer.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sprocket {

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t flags = 0;

  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

class ColorPalette {
public:
  ColorPalette() = default;
  explicit ColorPalette(std::vector<PaletteEntry> entries) : entries_(std::move(entries)) {}

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const PaletteEntry& operator[](std::size_t index) const { return entries_[index]; }
  const std::vector<PaletteEntry>& entries() const { return entries_; }

  // Index of the entry nearest to the colour: the smallest sum of squared
  // differences of red, green and blue, the lowest index on a tie; -1 for an
  // empty palette.
  int NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const;

private:
  std::vector<PaletteEntry> entries_;
};

}  // namespace sprocket
