#include "libs/filterrender/channel_tables.h"

#include <algorithm>
#include <cmath>

#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {

namespace {

using namespace effect_id;

std::uint8_t Clamp255(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

template <typename Function>
void FillAll(ChannelTables& tables, Function&& function) {
  for (int c = 0; c < 3; ++c) {
    for (int v = 0; v < 256; ++v) tables[static_cast<std::size_t>(c)][static_cast<std::size_t>(v)] = function(c, v);
  }
}

}  // namespace

ChannelTables IdentityTables() {
  ChannelTables tables;
  FillAll(tables, [](int, int v) { return static_cast<std::uint8_t>(v); });
  return tables;
}

bool IsChannelTableFilter(std::int32_t id) {
  return id == kBrightnessContrast || id == kGamma || id == kColourBalance || id == kInvert || id == kPosterize ||
         id == kCurves || id == kSolarize;
}

bool MakeChannelTables(std::int32_t id, const EffectValues& values, ChannelTables& tables) {
  switch (id) {
    case kBrightnessContrast: {
      const double gain = (100.0 + values[1]) / 100.0;
      const double lift = values[0] * 2.55;
      FillAll(tables, [&](int, int v) { return Clamp255((v - 128) * gain + 128.0 + lift); });
      return true;
    }
    case kGamma: {
      const double exponent = 100.0 / std::max(1, values[0]);
      FillAll(tables, [&](int, int v) { return Clamp255(255.0 * std::pow(v / 255.0, exponent)); });
      return true;
    }
    case kColourBalance: {
      // Values by slot: red 0, green 1, blue 2; tables are blue, green, red.
      const double shift[3] = {values[2] * 2.55, values[1] * 2.55, values[0] * 2.55};
      FillAll(tables, [&](int c, int v) { return Clamp255(v + shift[c]); });
      return true;
    }
    case kInvert:
      FillAll(tables, [](int, int v) { return static_cast<std::uint8_t>(255 - v); });
      return true;
    case kPosterize: {
      const int steps = std::max(2, values[0]) - 1;
      FillAll(tables, [&](int, int v) { return Clamp255(std::lround(v * steps / 255.0) * 255.0 / steps); });
      return true;
    }
    case kSolarize:
      FillAll(tables, [&](int, int v) { return static_cast<std::uint8_t>(v > values[0] ? 255 - v : v); });
      return true;
    case kCurves: {
      const EffectParamSet* set = values.tables;
      const std::uint8_t* own[3] = {set ? set->blue : nullptr, set ? set->green : nullptr, set ? set->red : nullptr};
      const std::uint8_t* master = set ? set->master : nullptr;
      FillAll(tables, [&](int c, int v) {
        const std::uint8_t first = own[c] != nullptr ? own[c][v] : static_cast<std::uint8_t>(v);
        return master != nullptr ? master[first] : first;
      });
      return true;
    }
    default:
      return false;
  }
}

}  // namespace sprocket
