// The colour filters on small known pictures.

#include <gtest/gtest.h>

#include "filter_run.h"
#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;

class ColourFilter : public ::testing::Test {
protected:
  ColourFilter() : run_(3, 1) {
    run_.source.Set(0, 0, BgrPixel{0, 0, 0});
    run_.source.Set(1, 0, BgrPixel{64, 128, 192});  // blue 64, green 128, red 192
    run_.source.Set(2, 0, BgrPixel{255, 255, 255});
  }
  FilterRun run_;
};

TEST_F(ColourFilter, BrightnessAndContrast) {
  run_.ApplyOk({MakeFilter(kBrightnessContrast, {{0, 20}, {1, 0}})});
  EXPECT_EQ(run_.Out(0, 0), Grey(51));
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{115, 179, 243}));
  EXPECT_EQ(run_.Out(2, 0), Grey(255));
  run_.ApplyOk({MakeFilter(kBrightnessContrast, {{0, 0}, {1, 100}})});  // contrast doubled about 128
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{0, 128, 255}));
  run_.ApplyOk({MakeFilter(kBrightnessContrast, {{0, 0}, {1, -100}})});  // no contrast at all
  EXPECT_EQ(run_.Out(0, 0), Grey(128));
}

TEST_F(ColourFilter, GammaLightensTheMiddleTones) {
  run_.ApplyOk({MakeFilter(kGamma, {{0, 200}})});
  EXPECT_EQ(run_.Out(0, 0), Grey(0));
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{128, 181, 221}));  // 255 x sqrt(v / 255)
  EXPECT_EQ(run_.Out(2, 0), Grey(255));
}

TEST_F(ColourFilter, ColourBalanceShiftsEachChannel) {
  run_.ApplyOk({MakeFilter(kColourBalance, {{0, 10}, {1, -50}, {2, 100}})});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{255, 1, 218}));  // blue +255, green 128 - 127.5 rounded, red +25.5 rounded
}

TEST_F(ColourFilter, GreyscaleTintAndThreshold) {
  run_.ApplyOk({MakeFilter(kGreyscale)});
  EXPECT_EQ(run_.Out(1, 0), Grey(140));  // (77 x 192 + 150 x 128 + 29 x 64) >> 8
  run_.ApplyOk({MakeFilter(kThreshold, {{0, 140}})});
  EXPECT_EQ(run_.Out(1, 0), Grey(255));
  run_.ApplyOk({MakeFilter(kThreshold, {{0, 141}})});
  EXPECT_EQ(run_.Out(1, 0), Grey(0));
  EXPECT_EQ(run_.Out(2, 0), Grey(255));
  // Tint: grey 140 lies just above the tint colour (20, 66, 112 at 128).
  run_.ApplyOk({MakeFilter(kTint)});
  EXPECT_EQ(run_.Out(0, 0), Grey(0));
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{42, 83, 125}));
  EXPECT_EQ(run_.Out(2, 0), Grey(255));
  run_.ApplyOk({MakeFilter(kTint, {{1, 0}})});  // amount 0
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{64, 128, 192}));
}

TEST_F(ColourFilter, NegativePosterizeAndSolarize) {
  run_.ApplyOk({MakeFilter(kInvert)});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{191, 127, 63}));
  run_.ApplyOk({MakeFilter(kPosterize, {{0, 2}})});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{0, 255, 255}));
  run_.ApplyOk({MakeFilter(kPosterize, {{0, 3}})});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{128, 128, 255}));
  run_.ApplyOk({MakeFilter(kSolarize, {{0, 100}})});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{64, 127, 63}));
}

TEST_F(ColourFilter, CurvesUseTheChannelTablesAndThenTheMasterTable) {
  std::array<std::uint8_t, 256> red{}, master{};
  for (int i = 0; i < 256; ++i) {
    red[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(255 - i);
    master[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i / 2);
  }
  EffectFilter curves = MakeFilter(kCurves);
  curves.params[0].red = red.data();
  curves.params[0].master = master.data();
  run_.ApplyOk({curves});
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{32, 64, 31}));  // red: 255 - 192 = 63, then halved
  run_.ApplyOk({MakeFilter(kCurves)});                // no tables: unchanged
  EXPECT_EQ(run_.Out(1, 0), (BgrPixel{64, 128, 192}));
}

TEST_F(ColourFilter, HueTurnsColoursAndSaturationScalesThem) {
  run_.source.Set(0, 0, BgrPixel{0, 0, 255});  // pure red
  run_.ApplyOk({MakeFilter(kHueSaturation, {{1, 120}})});
  EXPECT_EQ(run_.Out(0, 0), (BgrPixel{0, 255, 0}));  // a third of a turn: green
  EXPECT_EQ(run_.Out(2, 0), Grey(255));              // grey stays grey
  run_.ApplyOk({MakeFilter(kHueSaturation, {{0, -100}})});
  EXPECT_EQ(run_.Out(0, 0), Grey(85));
  run_.ApplyOk({MakeFilter(kHueSaturation)});  // defaults change nothing
  EXPECT_EQ(run_.destination.Pixels(), run_.source.Pixels());
}

}  // namespace
}  // namespace sprocket
