// The filters that make an alpha mask, with and without masks.

#include <gtest/gtest.h>

#include "filter_run.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/texturemap/texture_map.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;
using testing::TestPicture;

TEST(ColourKey, KeysPixelsNearTheKeyColourWithASoftRamp) {
  FilterRun run(4, 1);
  run.source.Set(0, 0, BgrPixel{0, 255, 0});    // the key colour (green)
  run.source.Set(1, 0, BgrPixel{30, 230, 20});  // 30 away: inside the tolerance
  run.source.Set(2, 0, BgrPixel{50, 205, 0});   // 50 away: half way up the ramp
  run.source.Set(3, 0, BgrPixel{200, 10, 90});  // far away
  run.ApplyOk({MakeFilter(kColourKey, {{0, 0x00FF00}, {1, 40}, {2, 20}})}, 0.0f, true);
  EXPECT_EQ(run.Alpha(0, 0), 0);
  EXPECT_EQ(run.Alpha(1, 0), 0);
  EXPECT_EQ(run.Alpha(2, 0), 64);
  EXPECT_EQ(run.Alpha(3, 0), 128);
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());  // the picture itself stays
}

TEST(ColourKey, KeysMultiplyAnAlphaTheClipAlreadyHas) {
  FilterRun run(2, 1);
  run.source.Fill(BgrPixel{200, 10, 90});
  run.alpha.Set(0, 0, Grey(64));
  run.ApplyOk({MakeFilter(kColourKey)}, 0.0f, true);
  EXPECT_EQ(run.Alpha(0, 0), 64);
  EXPECT_EQ(run.Alpha(1, 0), 128);
}

TEST(ColourKey, WithoutMasksTheKeyedPictureLiesOverTheBackground) {
  FilterRun run(2, 1);
  TestPicture background(2, 1);
  background.Fill(BgrPixel{1, 2, 3});
  run.source.Set(0, 0, BgrPixel{0, 255, 0});
  run.source.Set(1, 0, BgrPixel{9, 9, 9});
  ASSERT_EQ(run.Apply({MakeFilter(kColourKey)}, 0.0f, false, &background), kEffectDone);
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{1, 2, 3}));
  EXPECT_EQ(run.Out(1, 0), (BgrPixel{9, 9, 9}));
  ASSERT_EQ(run.Apply({MakeFilter(kColourKey)}), kEffectDone);  // no background: black
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{0, 0, 0}));
}

TEST(LumaKey, KeysTheBrightnessRange) {
  FilterRun run(4, 1);
  for (int x = 0; x < 4; ++x) run.source.Set(x, 0, Grey(x * 20));  // 0 20 40 60
  run.ApplyOk({MakeFilter(kLumaKey, {{0, 0}, {1, 20}, {2, 40}})}, 0.0f, true);
  EXPECT_EQ(run.Alpha(0, 0), 0);
  EXPECT_EQ(run.Alpha(1, 0), 0);
  EXPECT_EQ(run.Alpha(2, 0), 64);
  EXPECT_EQ(run.Alpha(3, 0), 128);
}

TEST(GradientWizard, OpacityRunsAcrossTheFrame) {
  FilterRun run(4, 2);
  run.ApplyOk({MakeFilter(kGradientWizard, {{0, 0}, {1, 100}, {2, 0}})}, 0.0f, true);
  EXPECT_EQ(run.Alpha(0, 0), 112);  // 87.5 % at the first pixel's centre
  EXPECT_EQ(run.Alpha(3, 1), 16);
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kGradientWizard, {{0, 2}, {1, 0}, {2, 100}})}, 0.0f, true);  // bottom to top
  EXPECT_EQ(run.Alpha(0, 0), 32);
  EXPECT_EQ(run.Alpha(0, 1), 96);
}

TEST(ShapeMask, KeepsTheInsideOrTheOutside) {
  FilterRun run(6, 4);
  run.ApplyOk({MakeFilter(kShapeMask, {{0, 1}, {1, 50}, {2, 0}, {3, 0}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "......\n..##..\n..##..\n......\n");
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kShapeMask, {{0, 1}, {1, 50}, {2, 0}, {3, 1}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "######\n##..##\n##..##\n######\n");
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kShapeMask, {{0, 0}, {1, 100}, {2, 0}})}, 0.0f, true);  // ellipse
  EXPECT_EQ(run.AlphaMap(), ".####.\n######\n######\n.####.\n");
}

TEST(ImageMatte, AlphaFollowsTheGreyPicture) {
  FilterRun run(2, 2);
  TestPicture matte(1, 2, 8);
  matte.SetGrey(0, 0, 255);  // bottom half white
  matte.SetGrey(0, 1, 0);
  EffectFilter filter = MakeFilter(kImageMatte);
  filter.pictures.push_back(matte.block());
  run.ApplyOk({filter}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "..\n##\n");
  run.alpha.Fill(Grey(128));
  filter.params[0].values[0] = 1;  // keep the black parts
  run.ApplyOk({filter}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "##\n..\n");
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kImageMatte)}, 0.0f, true);  // no matte: opaque
  EXPECT_EQ(run.AlphaMap(), "##\n##\n");
}

TEST(DropShadow, CastsTheOpaquePartOntoTheClearPart) {
  FilterRun run(3, 1);
  run.source.Fill(BgrPixel{200, 200, 200});
  run.alpha.Set(1, 0, Grey(0));
  run.alpha.Set(2, 0, Grey(0));
  // Shadow one pixel to the right, fully opaque, black.
  run.ApplyOk({MakeFilter(kDropShadow, {{0, 1}, {1, 0}, {2, 100}, {3, 0}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "##.\n");
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{200, 200, 200}));
  EXPECT_EQ(run.Out(1, 0), (BgrPixel{0, 0, 0}));
}

TEST(TextureMap, GivesAReliefAndLetsDarkPartsShowThrough) {
  FilterRun run(2, 1);
  run.source.Fill(Grey(100));
  TestPicture texture(2, 1);
  texture.Set(0, 0, Grey(0));
  texture.Set(1, 0, Grey(255));
  EffectFilter filter = MakeFilter(kTextureMap, {{0, 4}, {1, 100}, {2, 100}});
  filter.pictures.push_back(texture.block());
  run.ApplyOk({filter}, 0.0f, true);
  EXPECT_EQ(run.Out(0, 0), Grey(0));    // factor 256 - 256 = 0
  EXPECT_EQ(run.Out(1, 0), Grey(199));  // factor 256 + 254 = 510
  EXPECT_EQ(run.Alpha(0, 0), 0);
  EXPECT_EQ(run.Alpha(1, 0), 128);
}

TEST(TextureMap, UsesThePreparedTileOfItsTextureMap) {
  FilterRun prepared(40, 40), unprepared(40, 40);
  prepared.source.FillPattern(1);
  unprepared.source.FillPattern(1);
  HGLOBAL map = MakeTextureMap(TextureKind::kBricks, 1);
  ASSERT_EQ(TextureMapCall(kTexturePrepare, 0, 0, map, 0, 0), 0);
  EffectFilter withMap = MakeFilter(kTextureMap, {{0, 0}, {3, 9}});  // its values ask for canvas
  withMap.textureMap = map;
  prepared.ApplyOk({withMap});
  unprepared.ApplyOk({MakeFilter(kTextureMap, {{0, 1}, {3, 1}})});  // bricks made on the spot
  EXPECT_EQ(prepared.destination.Pixels(), unprepared.destination.Pixels());
  // Unprepared, the map's own kind and scale still decide.
  ASSERT_EQ(TextureMapCall(kTextureRelease, 0, 0, map, 0, 0), 0);
  prepared.ApplyOk({withMap});
  EXPECT_EQ(prepared.destination.Pixels(), unprepared.destination.Pixels());
  GlobalFree(map);
}

}  // namespace
}  // namespace sprocket
