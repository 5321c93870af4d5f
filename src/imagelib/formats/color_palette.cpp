#include "imagelib/formats/color_palette.h"

namespace sprocket {

int ColorPalette::NearestIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
  int best = -1;
  int bestDistance = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const int dr = entries_[i].red - red;
    const int dg = entries_[i].green - green;
    const int db = entries_[i].blue - blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (best < 0 || distance < bestDistance) {
      best = static_cast<int>(i);
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace sprocket
