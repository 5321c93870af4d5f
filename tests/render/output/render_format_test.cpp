#include "render/output/render_format.h"

#include <gtest/gtest.h>

namespace sprocket {
namespace {

MovieSettings Movie() { return MovieSettings::Defaults(MovieSettingsKind::kMovie); }

TEST(RenderFormat, AviTakesTheVideoValuesAndRoundsTheSizeDownToMultiplesOfFour) {
  MovieSettings s = Movie();
  s.VResWidth = 162;
  s.VResHeight = 121;
  s.VFramesPerSec = 25.0f;
  s.VCompressionType = "DIB ";
  s.VQuality = 5000;
  s.VKeyFrame = 7;
  s.VInterleave = 3;
  s.VField = 2;
  s.Vb2xAA = 1;
  s.ABitsPerSample = 8;
  s.ASamplesPerSec = 11025;
  s.AChannels = 1;
  RenderFormat f = SelectRenderFormat(s, OutputKind::kAvi, false);
  EXPECT_EQ(f.width, 160);
  EXPECT_EQ(f.height, 120);
  EXPECT_FLOAT_EQ(f.framesPerSecond, 25.0f);
  EXPECT_EQ(f.codec, "DIB ");
  EXPECT_EQ(f.quality, 5000);
  EXPECT_EQ(f.keyFrameEvery, 7);
  EXPECT_EQ(f.interleave, 3);
  EXPECT_EQ(f.fieldMode, 2);
  EXPECT_EQ(f.doubleSize, 1);
  EXPECT_EQ(f.bitDepth, 24);
  EXPECT_EQ(f.paletteKind, 3);
  EXPECT_EQ(f.audioBits, 8);
  EXPECT_EQ(f.audioRate, 11025);
  EXPECT_EQ(f.audioChannels, 1);
  // The preview never renders at double size.
  EXPECT_EQ(SelectRenderFormat(s, OutputKind::kAvi, true).doubleSize, 0);
}

TEST(RenderFormat, BitDepthAndPaletteKindOfAviOutput) {
  MovieSettings s = Movie();
  const std::pair<int, std::pair<int, int>> cases[] = {{24, {24, 3}}, {16, {24, 3}}, {80, {8, 1}}, {81, {8, 2}},
                                                       {82, {8, 3}},  {83, {8, 4}},  {8, {8, 5}},  {32, {8, 5}}};
  for (const auto& [bits, expected] : cases) {
    s.VBitsPerPixel = bits;
    RenderFormat f = SelectRenderFormat(s, OutputKind::kAvi, false);
    EXPECT_EQ(f.bitDepth, expected.first) << bits;
    EXPECT_EQ(f.paletteKind, expected.second) << bits;
  }
  // Other outputs are always 24-bit.
  EXPECT_EQ(SelectRenderFormat(s, OutputKind::kFlic, false).bitDepth, 24);
}

TEST(RenderFormat, ImageSequenceFieldsDoubleTheRate) {
  MovieSettings s = Movie();
  s.IResWidth = 322;
  s.IResHeight = 243;
  s.VFramesPerSec = 25.0f;
  s.IFileType = 5;
  s.IJpegQuality = 60;
  s.IFieldSequence = 0;
  RenderFormat whole = SelectRenderFormat(s, OutputKind::kImageSequence, false);
  EXPECT_EQ(whole.width, 320);
  EXPECT_EQ(whole.height, 240);
  EXPECT_FLOAT_EQ(whole.framesPerSecond, 25.0f);
  EXPECT_FALSE(whole.fieldTime);
  EXPECT_EQ(whole.imageFileType, 5);
  EXPECT_EQ(whole.jpegQuality, 60);
  s.IFieldSequence = 3;
  RenderFormat fields = SelectRenderFormat(s, OutputKind::kImageSequence, false);
  EXPECT_FLOAT_EQ(fields.framesPerSecond, 50.0f);
  EXPECT_TRUE(fields.fieldTime);
  EXPECT_EQ(fields.fieldMode, 3);
}

TEST(RenderFormat, FlcTakesItsOwnSizeAndWavAndDisplayOnlyAreFixed) {
  MovieSettings s = Movie();
  s.FResWidth = 321;
  s.FResHeight = 200;
  s.VField = 1;
  RenderFormat flc = SelectRenderFormat(s, OutputKind::kFlic, false);
  EXPECT_EQ(flc.width, 320);
  EXPECT_EQ(flc.height, 200);
  EXPECT_EQ(flc.fieldMode, 0);
  for (OutputKind kind : {OutputKind::kWav, OutputKind::kDisplayOnly}) {
    RenderFormat f = SelectRenderFormat(s, kind, false);
    EXPECT_EQ(f.width, 160);
    EXPECT_EQ(f.height, 120);
    EXPECT_FLOAT_EQ(f.framesPerSecond, 5.0f);
    EXPECT_EQ(f.codec, "MSVC");
    EXPECT_EQ(f.quality, 7500);
    EXPECT_EQ(f.dataRate, 150);
    EXPECT_EQ(f.keyFrameEvery, 1);
    EXPECT_EQ(f.audioRate, s.ASamplesPerSec);
  }
  EXPECT_EQ(OutputKindFromValue(4), OutputKind::kFlic);
  EXPECT_EQ(OutputKindFromValue(7), OutputKind::kWav);
}

TEST(RenderFrames, CountPeriodAndTimes) {
  EXPECT_EQ(RenderFrameCount(0, 1000, 25.0), 25);
  EXPECT_EQ(RenderFrameCount(0, 40, 25.0), 1);
  EXPECT_EQ(RenderFrameCount(0, 19, 25.0), 1);  // shorter than a frame
  EXPECT_EQ(RenderFrameCount(500, 500, 25.0), 1);
  EXPECT_EQ(RenderFrameCount(0, 1000, 29.97), 30);
  EXPECT_EQ(RenderFrameCount(0, 1000, 0.0), 1);  // a rate of 0 renders one frame
  EXPECT_EQ(RenderFramePeriod(25.0), 40);
  EXPECT_EQ(RenderFramePeriod(29.97), 33);
  EXPECT_EQ(RenderFramePeriod(0.0), 0);
  EXPECT_EQ(RenderFrameTime(100, 0, 25.0), 100);
  EXPECT_EQ(RenderFrameTime(100, 3, 25.0), 220);
  EXPECT_EQ(RenderFrameTime(0, 1, 29.97), 33);
  EXPECT_EQ(RenderFrameTime(100, 5, 0.0), 100);
}

TEST(RenderFrames, ProgressPercent) {
  EXPECT_EQ(RenderProgressPercent(1000, 1000, 3000), 0);
  EXPECT_EQ(RenderProgressPercent(2000, 1000, 3000), 50);
  EXPECT_EQ(RenderProgressPercent(2999, 1000, 3000), 99);
  EXPECT_EQ(RenderProgressPercent(3000, 1000, 3000), 100);
  EXPECT_EQ(RenderProgressPercent(5000, 1000, 3000), 100);
  // An empty range divides by nothing.
  EXPECT_EQ(RenderProgressPercent(1000, 1000, 1000), 0);
  EXPECT_EQ(RenderProgressPercent(1200, 1000, 1000), 0);
}

TEST(RenderTimeCode, FramesOfTheSecondWithCarry) {
  EXPECT_EQ(FormatRenderTimeCode(0, 25.0, false), "00:00:00:00");
  EXPECT_EQ(FormatRenderTimeCode(999, 25.0, false), "00:00:01:00");
  EXPECT_EQ(FormatRenderTimeCode(1040, 25.0, false), "00:00:01:01");
  EXPECT_EQ(FormatRenderTimeCode(3723960, 25.0, false), "01:02:03:24");
  EXPECT_EQ(FormatRenderTimeCode(3599999, 25.0, false), "01:00:00:00");
  EXPECT_EQ(FormatRenderTimeCode(59999, 25.0, false), "00:01:00:00");
  // At 29.97 a frame count of 30 is the next second too.
  EXPECT_EQ(FormatRenderTimeCode(990, 29.97, false), "00:00:01:00");
  // Fields at 50 a second count 25 frames a second.
  EXPECT_EQ(FormatRenderTimeCode(960, 50.0, true), "00:00:00:24");
  EXPECT_EQ(FormatRenderTimeCode(500, 50.0, true), "00:00:00:13");
  // No rate: whole seconds only; negative times count as 0.
  EXPECT_EQ(FormatRenderTimeCode(2500, 0.0, false), "00:00:02:00");
  EXPECT_EQ(FormatRenderTimeCode(-40, 25.0, false), "00:00:00:00");
}

TEST(ImageSequenceNames, NumberAndExtensionByFileType) {
  EXPECT_EQ(ImageSequenceFileName("/seq/take", 0, 5), "/seq/take0000.JPG");
  EXPECT_EQ(ImageSequenceFileName("/seq/take", 2, 0), "/seq/take0002.BMP");
  EXPECT_EQ(ImageSequenceFileName("t", 12345, 6), "t12345.PCT");
  EXPECT_EQ(ImageSequenceFileName("t", 1, 7), "t0001");
  const char* expected[] = {".BMP", ".GIF", ".PCX", ".TGA", ".TIF", ".JPG", ".PCT"};
  for (int type = 0; type < 7; ++type) EXPECT_EQ(ImageSequenceExtension(type), expected[type]);
  EXPECT_EQ(ImageSequenceExtension(-1), "");
}

}  // namespace
}  // namespace sprocket
