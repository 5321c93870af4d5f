#include "render/audio/pcm_convert.h"

#include <gtest/gtest.h>

#include <vector>

namespace sprocket {
namespace {

TEST(PcmConvertTest, DepthConversionsMapTheSampleRanges) {
  const std::vector<std::uint8_t> eight = {0, 128, 255, 129};
  std::vector<std::int16_t> sixteen(4);
  ConvertPcm8To16(eight, sixteen, 4);
  EXPECT_EQ(sixteen, (std::vector<std::int16_t>{-32768, 0, 32512, 256}));

  const std::vector<std::int16_t> wide = {-32768, 0, 32767, -1, 300};
  std::vector<std::uint8_t> narrow(5);
  ConvertPcm16To8(wide, narrow, 5);
  EXPECT_EQ(narrow, (std::vector<std::uint8_t>{0, 128, 255, 127, 129}));

  // A count past either buffer converts only what is there.
  std::vector<std::uint8_t> small(2, 7);
  ConvertPcm16To8(wide, small, 100);
  EXPECT_EQ(small, (std::vector<std::uint8_t>{0, 128}));
}

TEST(PcmConvertTest, ChannelConversionsKeepTheLeftOrDoubleIt) {
  std::vector<std::int16_t> stereo = {1, -1, 2, -2, 3, -3};
  StereoToMono(std::span<std::int16_t>(stereo), 3);
  EXPECT_EQ(std::vector<std::int16_t>(stereo.begin(), stereo.begin() + 3), (std::vector<std::int16_t>{1, 2, 3}));

  std::vector<std::uint8_t> mono = {10, 20, 30, 0, 0, 0, 0};
  MonoToStereo(std::span<std::uint8_t>(mono), 3);
  EXPECT_EQ(std::vector<std::uint8_t>(mono.begin(), mono.begin() + 6),
            (std::vector<std::uint8_t>{10, 10, 20, 20, 30, 30}));
  // Frames that would not fit are left out.
  std::vector<std::uint8_t> tight = {1, 2, 3};
  MonoToStereo(std::span<std::uint8_t>(tight), 3);
  EXPECT_EQ(tight, (std::vector<std::uint8_t>{1, 1, 3}));
}

TEST(PcmConvertTest, UpsamplingUsesTheQuadraticWeights) {
  // 8-bit, signed p = 127, q = -128, r = 127: t = 0.5 gives -64.25, truncated
  // to -64 and stored as 64.
  std::vector<std::uint8_t> work = {255, 0, 255, 0};
  std::vector<std::uint8_t> scratch(8);
  UpsamplePcm8(work, scratch, 1, 4, 2);
  EXPECT_EQ(work, (std::vector<std::uint8_t>{255, 64, 0, 64}));  // t = 1.5 gives -64.25 as well
  // p = -128, q = 127, r = 127 at t = 1.25: 150.90625 clamps to 127 (255).
  std::vector<std::uint8_t> loud = {0, 255, 255, 0, 0, 0, 0, 0};
  UpsamplePcm8(loud, scratch, 1, 8, 4);
  EXPECT_EQ(loud[4], 255);
  EXPECT_EQ(loud[5], 255);
  EXPECT_EQ(loud[0], 0);

  // 16-bit through the shift formulas: p = 1000, q = 2000, r = 4000.
  std::vector<std::int16_t> wide = {1000, 2000, 4000, 4000};
  std::vector<std::int16_t> wideScratch(4);
  UpsamplePcm16(wide, wideScratch, 1, 4, 2);
  EXPECT_EQ(wide, (std::vector<std::int16_t>{1000, 1375, 2000, 2875}));
}

TEST(PcmConvertTest, UpsamplingKeepsAConstantConstant) {
  for (int factor : {2, 4}) {
    std::vector<std::uint8_t> eight(64, 37);
    std::vector<std::uint8_t> scratch8(64);
    UpsamplePcm8(eight, scratch8, 1, 64, factor);
    EXPECT_EQ(eight, std::vector<std::uint8_t>(64, 37)) << factor;

    // Stereo, left and right apart; 16-bit values that are multiples of 32.
    std::vector<std::int16_t> stereo(64);
    for (std::size_t i = 0; i < stereo.size(); ++i) stereo[i] = i % 2 == 0 ? 3200 : -192;
    std::vector<std::int16_t> scratch16(64);
    UpsamplePcm16(stereo, scratch16, 2, 32, factor);
    for (std::size_t i = 0; i < stereo.size(); ++i)
      EXPECT_EQ(stereo[i], i % 2 == 0 ? 3200 : -192) << factor << " " << i;
  }
}

TEST(PcmConvertTest, UpsamplingFromAPhaseContinuesTheSameCurve) {
  std::vector<std::int16_t> input(40);
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::int16_t>((i * i * 37) % 20000 - 10000);
  for (int phase = 1; phase < 4; ++phase) {
    std::vector<std::int16_t> whole = input;
    std::vector<std::int16_t> scratch(40);
    UpsamplePcm16(whole, scratch, 1, 30 + phase, 4, 0);
    std::vector<std::int16_t> shifted = input;
    UpsamplePcm16(shifted, scratch, 1, 30, 4, phase);
    for (int m = 0; m < 30; ++m) EXPECT_EQ(shifted[m], whole[m + phase]) << phase << " " << m;
  }
}

TEST(PcmConvertTest, ClipConversionChoosesFactorsByRate) {
  std::vector<std::int16_t> ramp(64);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i * 64);
  std::vector<std::int16_t> scratch(64);

  // 22050 to 44100 doubles, 11025 to 44100 quadruples.
  for (const auto& [sourceRate, factor] : {std::pair{22050, 2}, std::pair{11025, 4}}) {
    std::vector<std::int16_t> direct = ramp;
    UpsamplePcm16(direct, scratch, 1, 32, factor);
    std::vector<std::int16_t> converted = ramp;
    EXPECT_EQ(ConvertClipPcm(std::span<std::int16_t>(converted), std::span<std::int16_t>(scratch), 16, 32, 44100, 1, 1,
                             sourceRate),
              0);
    EXPECT_EQ(converted, direct) << sourceRate;
  }

  // 44100 to 11025 keeps every fourth stereo frame, both samples together.
  std::vector<std::int16_t> stereo(64);
  for (std::size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<std::int16_t>(i);
  ConvertClipPcm(std::span<std::int16_t>(stereo), std::span<std::int16_t>(scratch), 32, 8, 11025, 2, 2, 44100);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(stereo[2 * k], 8 * k) << k;
    EXPECT_EQ(stereo[2 * k + 1], 8 * k + 1) << k;
  }

  // Equal rates change nothing; stereo to mono keeps the left samples.
  std::vector<std::uint8_t> eight = {1, 2, 3, 4, 5, 6};
  std::vector<std::uint8_t> scratch8(8);
  ConvertClipPcm(std::span<std::uint8_t>(eight), std::span<std::uint8_t>(scratch8), 3, 3, 22050, 2, 2, 22050);
  EXPECT_EQ(eight, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
  ConvertClipPcm(std::span<std::uint8_t>(eight), std::span<std::uint8_t>(scratch8), 3, 3, 22050, 1, 2, 22050);
  EXPECT_EQ(std::vector<std::uint8_t>(eight.begin(), eight.begin() + 3), (std::vector<std::uint8_t>{1, 3, 5}));
}

}  // namespace
}  // namespace sprocket
