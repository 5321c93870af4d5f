// Filters that change each pixel's colour on its own.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/channel_tables.h"
#include "libs/filterrender/filter_kernels.h"

namespace sprocket {

int ChannelTableFilter(const FilterFrame& frame) {
  ChannelTables tables;
  if (!MakeChannelTables(frame.filter != nullptr ? frame.filter->id : 0, frame.values, tables)) {
    tables = IdentityTables();
  }
  return ForEachPixel(frame, [&](std::int32_t, std::int32_t, const std::uint8_t* s, std::uint8_t* d) {
    d[0] = tables[0][s[0]];
    d[1] = tables[1][s[1]];
    d[2] = tables[2][s[2]];
  });
}

int GreyscaleFilter(const FilterFrame& frame) {
  return ForEachPixel(frame, [](std::int32_t, std::int32_t, const std::uint8_t* s, std::uint8_t* d) {
    d[0] = d[1] = d[2] = static_cast<std::uint8_t>(Luma(s));
  });
}

int TintFilter(const FilterFrame& frame) {
  const auto colour = static_cast<std::uint32_t>(frame.values[0]);
  const int tint[3] = {static_cast<int>((colour >> 16) & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                       static_cast<int>(colour & 0xFF)};
  const int amount = frame.values[1];
  // Grey levels run from black through the tint colour (at 128) to white.
  return ForEachPixel(frame, [&](std::int32_t, std::int32_t, const std::uint8_t* s, std::uint8_t* d) {
    const int grey = Luma(s);
    for (int c = 0; c < 3; ++c) {
      const int tinted = grey < 128 ? tint[c] * grey / 128 : tint[c] + (255 - tint[c]) * (grey - 128) / 127;
      d[c] = static_cast<std::uint8_t>(s[c] + (tinted - s[c]) * amount / 100);
    }
  });
}

int ThresholdFilter(const FilterFrame& frame) {
  const int level = frame.values[0];
  return ForEachPixel(frame, [level](std::int32_t, std::int32_t, const std::uint8_t* s, std::uint8_t* d) {
    d[0] = d[1] = d[2] = Luma(s) >= level ? 255 : 0;
  });
}

// Turns the colours about the grey axis by the hue angle and scales their
// distance from grey by the saturation.
int HueSaturationFilter(const FilterFrame& frame) {
  const double angle = frame.values[1] * std::numbers::pi / 180.0;
  const double saturation = (100.0 + frame.values[0]) / 100.0;
  const double cosine = std::cos(angle);
  const double sine = std::sin(angle);
  const double third = 1.0 / 3.0;
  const double root = std::sqrt(third);
  // Rotation about the axis (1, 1, 1) / sqrt(3), rows and columns in the
  // order red, green, blue.
  double m[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const double sign = ((j - i + 3) % 3 == 1) ? -1.0 : 1.0;
      m[i][j] = i == j ? cosine + (1.0 - cosine) * third : (1.0 - cosine) * third + sign * root * sine;
    }
  }
  return ForEachPixel(frame, [&](std::int32_t, std::int32_t, const std::uint8_t* s, std::uint8_t* d) {
    const double rgb[3] = {static_cast<double>(s[2]), static_cast<double>(s[1]), static_cast<double>(s[0])};
    double turned[3];
    for (int i = 0; i < 3; ++i) turned[i] = m[i][0] * rgb[0] + m[i][1] * rgb[1] + m[i][2] * rgb[2];
    const double grey = (turned[0] + turned[1] + turned[2]) * third;
    for (int i = 0; i < 3; ++i) {
      const double value = grey + (turned[i] - grey) * saturation;
      d[2 - i] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
  });
}

}  // namespace sprocket
