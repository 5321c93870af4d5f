#pragma once
// Level maps of the wipes: each pixel gets a level 0..65535, the moment it
// turns from A to B. A threshold that rises with the transition percent
// (from below every level at 0 % to above every level at 100 %) decides
// each pixel's weight, with a soft ramp as wide as the softness asks. So a
// pixel never goes back from B to A while the percent rises.

#include <cstdint>
#include <vector>

#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

class WipeMap {
public:
  // True for the transitions drawn through a level map: the random and
  // luminance dissolves, edge wipes, barn doors, iris shapes, clock wipes,
  // patterns, corner wipes and soft wipes.
  static bool Draws(std::int32_t transitionId);

  // The map of `transitionId` for pictures of width x height. A and B are
  // read by the maps made from brightness (7 reads A, 141 reads B when the
  // filter gives no grey picture); `filter` may be null.
  WipeMap(std::int32_t transitionId, const EffectValues& values, const EffectFilter* filter, const PictureView& a,
          const PictureView& b, std::int32_t width, std::int32_t height);

  // The levels of row y (width values).
  void Row(std::int32_t y, std::uint16_t* levels) const;

  std::int32_t width() const { return width_; }
  std::int32_t height() const { return height_; }

private:
  // The levels of the first `count` pixels of row y.
  void RowOfGeometry(std::int32_t y, std::uint16_t* levels, std::int32_t count) const;
  void MakeSpiralOrder();

  std::int32_t id_;
  EffectValues values_;
  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::uint8_t> grey_;           // maps read from grey levels, row 0 first
  std::vector<std::int32_t> order_;          // spiral boxes: the place of each block
  std::vector<std::uint16_t> columnLevels_;  // maps that are the same in every row
  std::int32_t blockColumns_ = 0;
  std::int32_t blockRows_ = 0;
};

// The threshold of a wipe at a percent, with an edge softness of 0..100
// percent of the level range.
struct WipeThreshold {
  std::int64_t level = 0;  // pixels below it show B
  std::int64_t soft = 0;   // width of the ramp in levels; 0 is a hard edge

  static WipeThreshold At(float percent, std::int32_t softness);

  // B's weight of a pixel of that level, 0..128.
  int Weight(std::uint16_t pixelLevel) const {
    const std::int64_t ahead = level - pixelLevel;
    if (soft == 0) return ahead > 0 ? 128 : 0;
    if (ahead <= 0) return 0;
    if (ahead >= soft) return 128;
    return static_cast<int>(ahead * 128 / soft);
  }
};

}  // namespace sprocket
