// Resolving an effect's values for a frame, the stop check and the picture
// helpers.

#include <gtest/gtest.h>

#include <cmath>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/effect_stop.h"
#include "platform/message_pump.h"
#include "test_pictures.h"

namespace sprocket {
namespace {

using testing::MakeFilter;
using testing::TestPicture;

TEST(EffectValues, DefaultsApplyWithoutParameterSets) {
  const EffectDescriptor& key = *FindFilter(effect_id::kColourKey);
  const EffectValues values = ResolveEffectValues(key, nullptr, 50.0f);
  EXPECT_EQ(values[0], 0x00FF00);
  EXPECT_EQ(values[1], 40);
  EXPECT_EQ(values[2], 20);
  EXPECT_EQ(values.tables, nullptr);
  EffectFilter empty;
  empty.id = effect_id::kColourKey;
  EXPECT_EQ(ResolveEffectValues(key, &empty, 0.0f)[1], 40);
  EXPECT_EQ(values[-1], 0);
  EXPECT_EQ(values[8], 0);
}

TEST(EffectValues, TheSecondSetIsReachedAtOneHundredPercent) {
  const EffectDescriptor& balance = *FindFilter(effect_id::kColourBalance);
  const EffectFilter filter = MakeFilter(effect_id::kColourBalance, {{0, -50}, {1, 10}}, {{0, 50}, {1, 11}});
  EXPECT_EQ(ResolveEffectValues(balance, &filter, 0.0f)[0], -50);
  EXPECT_EQ(ResolveEffectValues(balance, &filter, 25.0f)[0], -25);
  EXPECT_EQ(ResolveEffectValues(balance, &filter, 50.0f)[1], 11);  // 10.5 rounds away from zero
  EXPECT_EQ(ResolveEffectValues(balance, &filter, 100.0f)[0], 50);
  EXPECT_EQ(ResolveEffectValues(balance, &filter, 250.0f)[0], 50);
  EXPECT_EQ(ResolveEffectValues(balance, &filter, std::nanf(""))[0], -50);
}

TEST(EffectValues, ColoursMoveChannelByChannelAndChoicesStay) {
  const EffectDescriptor& shadow = *FindFilter(effect_id::kDropShadow);
  const EffectFilter filter = MakeFilter(effect_id::kDropShadow, {{3, 0x0000FF}}, {{3, 0xFF0000}});
  EXPECT_EQ(ResolveEffectValues(shadow, &filter, 50.0f)[3], 0x800080);
  const EffectDescriptor& mirror = *FindFilter(effect_id::kMirror);
  const EffectFilter sides = MakeFilter(effect_id::kMirror, {{0, 1}}, {{0, 3}});
  EXPECT_EQ(ResolveEffectValues(mirror, &sides, 90.0f)[0], 1);
}

TEST(EffectValues, ValuesAreLimitedToTheirRanges) {
  const EffectDescriptor& blur = *FindFilter(effect_id::kBlur);
  const EffectFilter high = MakeFilter(effect_id::kBlur, {{0, 1000}});
  const EffectFilter low = MakeFilter(effect_id::kBlur, {{0, -5}});
  EXPECT_EQ(ResolveEffectValues(blur, &high, 0.0f)[0], 100);
  EXPECT_EQ(ResolveEffectValues(blur, &low, 0.0f)[0], 0);
}

TEST(StopCheck, PumpsEverySixtyFourRowsAndRemembersAStop) {
  int calls = 0;
  int answer = 0;
  const RenderPumpCallback pump = [&] {
    ++calls;
    return answer;
  };
  StopCheck stop(pump);
  EXPECT_FALSE(stop.Stopped());
  EXPECT_EQ(calls, 1);
  for (int row = 0; row < 63; ++row) EXPECT_FALSE(stop.AfterRows(1));
  EXPECT_EQ(calls, 1);
  answer = 1;
  EXPECT_TRUE(stop.AfterRows(1));
  EXPECT_EQ(calls, 2);
  answer = 0;
  EXPECT_TRUE(stop.Stopped());
  const RenderPumpCallback none;
  StopCheck aborted(none);
  RequestAbort();
  EXPECT_TRUE(aborted.Stopped());
  ClearAbort();
}

TEST(EffectPictures, ViewsOnlyUsable24BitPictures) {
  TestPicture picture(5, 3), grey(5, 3, 8);
  const PictureView view = ViewPicture24(picture.block());
  EXPECT_EQ(view.width, 5);
  EXPECT_EQ(view.height, 3);
  EXPECT_EQ(view.stride, 16);
  EXPECT_FALSE(ViewPicture24(grey.block()));
  EXPECT_FALSE(ViewPicture24(nullptr));
  // A header that claims more rows than the block holds.
  DibInfoHeader header = ReadDibHeader(picture.block());
  header.biHeight = 40;
  header.biSizeImage = 16 * 40;
  WriteDibHeader(picture.block(), header);
  EXPECT_FALSE(ViewPicture24(picture.block()));
}

TEST(EffectPictures, GreyLevelsComeFromThePaletteOrTheBrightness) {
  TestPicture grey(2, 1, 8), colour(2, 1);
  grey.SetGrey(0, 0, 10);
  grey.SetGrey(1, 0, 250);
  EXPECT_EQ(ReadGreyLevels(grey.block(), 4, 2), (std::vector<std::uint8_t>{10, 10, 250, 250, 10, 10, 250, 250}));
  colour.Set(0, 0, BgrPixel{0, 0, 255});
  EXPECT_EQ(ReadGreyLevels(colour.block(), 2, 1), (std::vector<std::uint8_t>{76, 0}));
  EXPECT_TRUE(ReadGreyLevels(nullptr, 2, 1).empty());
}

}  // namespace
}  // namespace sprocket
