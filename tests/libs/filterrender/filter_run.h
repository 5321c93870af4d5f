#pragma once
// A source, a destination and an alpha mask of one size, and a call of the
// filter renderer on them.

#include <gtest/gtest.h>

#include <vector>

#include "effectcatalog/test_pictures.h"
#include "libs/filterrender/filter_render.h"

namespace sprocket::testing {

struct FilterRun {
  FilterRun(int width, int height) : source(width, height), destination(width, height), alpha(width, height) {
    alpha.Fill(BgrPixel{128, 128, 128});
  }

  // Runs the filters from the source into the destination; with `masked`
  // the alpha picture is the second mask.
  int Apply(std::vector<EffectFilter> filters, float effectPercent = 0.0f, bool masked = false,
            const TestPicture* background = nullptr, std::int32_t sourceTime = 0, float rate = 25.0f) {
    const std::int32_t id = filters.empty() ? 0 : filters.front().id;
    return ApplyFilterFrame(0, id, effectPercent, source.block(), 0, destination.block(), nullptr,
                            masked ? alpha.block() : nullptr, filters, rate, sourceTime, 1, nullptr,
                            background != nullptr ? background->block() : nullptr);
  }
  void ApplyOk(std::vector<EffectFilter> filters, float effectPercent = 0.0f, bool masked = false) {
    ASSERT_EQ(Apply(std::move(filters), effectPercent, masked), kEffectDone);
  }
  int Alpha(int x, int y) const { return alpha.At(x, y).blue; }
  BgrPixel Out(int x, int y) const { return destination.At(x, y); }
  // The alpha of every pixel, top row first, one row a line.
  std::string AlphaMap() const {
    std::string map;
    for (int y = alpha.height() - 1; y >= 0; --y) {
      for (int x = 0; x < alpha.width(); ++x) {
        const int a = Alpha(x, y);
        map += a == 0 ? '.' : a == 128 ? '#' : '+';
      }
      map += '\n';
    }
    return map;
  }

  TestPicture source;
  TestPicture destination;
  TestPicture alpha;
};

inline BgrPixel Grey(int level) {
  const auto v = static_cast<std::uint8_t>(level);
  return BgrPixel{v, v, v};
}

}  // namespace sprocket::testing
