#include "imagelib/pcm_speed.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace sprocket {
namespace {

// A 16-bit buffer of `frames` frames plus the slack, with sample i of
// channel c = value(i, c); the slack holds silence.
template <typename Value>
std::vector<std::uint8_t> Make16(std::int64_t frames, int channels, std::int64_t capacityFrames, Value value) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(capacityFrames * channels * 2), 0);
  for (std::int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const auto s = static_cast<std::int16_t>(value(i, c));
      std::memcpy(&bytes[static_cast<std::size_t>((i * channels + c) * 2)], &s, 2);
    }
  }
  return bytes;
}

std::int16_t Get16(const std::vector<std::uint8_t>& bytes, std::int64_t frame, int channel, int channels) {
  std::int16_t s = 0;
  std::memcpy(&s, &bytes[static_cast<std::size_t>((frame * channels + channel) * 2)], 2);
  return s;
}

// Distinct, non-interpolated input values: sample i is 7 x i + 1000.
std::int16_t Ramp(std::int64_t i, int) { return static_cast<std::int16_t>(7 * i + 1000); }

TEST(PcmSpeedTest, RefusesSpeedsAndLengthsOutsideTheRoutines) {
  auto bytes = Make16(100, 1, 140, Ramp);
  const auto before = bytes;
  EXPECT_EQ(ChangeWaveSpeed(16, 100, 100, bytes, 1, 200, 16), -1);  // equal lengths
  EXPECT_EQ(ChangeWaveSpeed(16, 49, 100, bytes, 1, 220, 16), -1);
  EXPECT_EQ(ChangeWaveSpeed(16, 201, 100, bytes, 1, 100, 16), -1);
  EXPECT_EQ(ChangeWaveSpeed(12, 80, 100, bytes, 1, 220, 16), -1);
  // An output longer than the buffer, and a slow-down asked to shorten.
  EXPECT_EQ(ChangeWaveSpeed(16, 50, 100, bytes, 1, 2 * 141, 16), -1);
  EXPECT_EQ(ChangeWaveSpeed(16, 90, 100, bytes, 1, 180, 16), -1);
  EXPECT_EQ(bytes, before);
}

TEST(PcmSpeedTest, SpeedUpWithAnOutputNotShorterChangesNothing) {
  auto bytes = Make16(100, 2, 140, Ramp);
  const auto before = bytes;
  EXPECT_EQ(ChangeWaveSpeed(16, 150, 200, bytes, 2, 100 * 4, 16), 0);
  EXPECT_EQ(ChangeWaveSpeed(16, 150, 200, bytes, 2, 110 * 4, 16), 0);
  EXPECT_EQ(bytes, before);
}

TEST(PcmSpeedTest, SlowDownInsertsOneSampleAfterTheFirstOfEachGroup) {
  // 100 to 110 frames: ten groups of ten, each growing by one sample.
  auto bytes = Make16(100, 1, 140, Ramp);
  ASSERT_EQ(ChangeWaveSpeed(16, 91, 100, bytes, 1, 220, 16), 0);
  for (int g = 0; g < 10; ++g) {
    EXPECT_EQ(Get16(bytes, 11 * g, 0, 1), Ramp(10 * g, 0)) << g;
    for (int j = 1; j < 10; ++j) EXPECT_EQ(Get16(bytes, 11 * g + 1 + j, 0, 1), Ramp(10 * g + j, 0)) << g;
  }
  // x0 = 1000, x1 = 1007, x3 = 1021: 1007 + 250 - 251 + 125 - 127 = 1004.
  EXPECT_EQ(Get16(bytes, 1, 0, 1), 1004);
}

TEST(PcmSpeedTest, SlowDownMixesGroupsOfKAndKPlusOne) {
  // 100 to 130: k = 3; 20 groups of 3 first, then 10 groups of 4.
  auto bytes = Make16(100, 1, 160, Ramp);
  ASSERT_EQ(ChangeWaveSpeed(16, 77, 100, bytes, 1, 260, 16), 0);
  std::int64_t out = 0;
  std::int64_t in = 0;
  for (int g = 0; g < 30; ++g) {
    const int length = g < 20 ? 3 : 4;
    EXPECT_EQ(Get16(bytes, out, 0, 1), Ramp(in, 0)) << g;
    for (int j = 1; j < length; ++j) EXPECT_EQ(Get16(bytes, out + 1 + j, 0, 1), Ramp(in + j, 0)) << g;
    out += length + 1;
    in += length;
  }
  EXPECT_EQ(out, 130);
  EXPECT_EQ(in, 100);
}

TEST(PcmSpeedTest, EightBitInsertionUsesSignedShiftsAndClamps) {
  // x0 = 0, x1 = 64, x3 = 64 (signed): 64 + 0 - 16 + 0 - 8 = 40, stored 168.
  std::vector<std::uint8_t> bytes(40, 128);
  bytes[1] = 192;
  bytes[2] = 192;
  bytes[3] = 192;
  ASSERT_EQ(ChangeWaveSpeed(8, 80, 4, bytes, 1, 5, 8), 0);
  EXPECT_EQ(bytes[0], 128);
  EXPECT_EQ(bytes[1], 168);
  EXPECT_EQ(bytes[2], 192);

  // 16-bit: 32767 + 8191 - 8191 + 4095 + 4096 clamps to 32767.
  auto loud = Make16(4, 1, 30, [](std::int64_t i, int) { return i == 3 ? -32768 : 32767; });
  ASSERT_EQ(ChangeWaveSpeed(16, 80, 4, loud, 1, 10, 16), 0);
  EXPECT_EQ(Get16(loud, 1, 0, 1), 32767);
}

TEST(PcmSpeedTest, HalfSpeedDoublesEverySample) {
  auto bytes = Make16(100, 1, 220, Ramp);
  ASSERT_EQ(ChangeWaveSpeed(16, 50, 100, bytes, 1, 400, 16), 0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Get16(bytes, 2 * i, 0, 1), Ramp(i, 0)) << i;
  // On a straight ramp the inserted sample lies between its neighbours.
  for (int i = 0; i < 96; ++i) {
    EXPECT_GT(Get16(bytes, 2 * i + 1, 0, 1), Get16(bytes, 2 * i, 0, 1)) << i;
    EXPECT_LT(Get16(bytes, 2 * i + 1, 0, 1), Get16(bytes, 2 * i + 2, 0, 1)) << i;
  }
}

TEST(PcmSpeedTest, DoubleSpeedKeepsEveryOtherSample) {
  auto bytes = Make16(210, 1, 220, Ramp);  // ten frames past the input
  ASSERT_EQ(ChangeWaveSpeed(16, 200, 200, bytes, 1, 200, 16), 0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Get16(bytes, i, 0, 1), Ramp(2 * i, 0)) << i;
  // The frame after the output receives the frame after the input.
  EXPECT_EQ(Get16(bytes, 100, 0, 1), Ramp(200, 0));
}

TEST(PcmSpeedTest, SpeedUpSkipsOneSampleAfterEachGroup) {
  // 110 to 100: groups of ten kept, the eleventh skipped.
  auto bytes = Make16(110, 1, 140, Ramp);
  ASSERT_EQ(ChangeWaveSpeed(16, 110, 110, bytes, 1, 200, 16), 0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(Get16(bytes, i, 0, 1), Ramp(i + i / 10, 0)) << i;

  // 130 to 100: 20 groups keep 3, then 10 groups keep 4, one skipped after each.
  auto uneven = Make16(130, 1, 160, Ramp);
  ASSERT_EQ(ChangeWaveSpeed(16, 130, 130, uneven, 1, 200, 16), 0);
  std::int64_t out = 0;
  std::int64_t in = 0;
  for (int g = 0; g < 30; ++g) {
    const int keep = g < 20 ? 3 : 4;
    for (int j = 0; j < keep; ++j) EXPECT_EQ(Get16(uneven, out + j, 0, 1), Ramp(in + j, 0)) << g;
    out += keep;
    in += keep + 1;
  }
  EXPECT_EQ(out, 100);
  EXPECT_EQ(in, 130);
}

TEST(PcmSpeedTest, StereoChannelsAreChangedApart) {
  auto value = [](std::int64_t i, int c) { return c == 0 ? 10 * i : -10 * i - 5; };
  auto bytes = Make16(120, 2, 140, value);
  // 120 to 100 frames: k = 5, groups keep 5 and skip 1.
  ASSERT_EQ(ChangeWaveSpeed(16, 120, 240, bytes, 2, 400, 16), 0);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Get16(bytes, i, 0, 2), value(i + i / 5, 0)) << i;
    EXPECT_EQ(Get16(bytes, i, 1, 2), value(i + i / 5, 1)) << i;
  }

  // An 8-bit stereo slow-down keeps left and right apart as well.
  std::vector<std::uint8_t> eight(2 * 40, 0);
  for (int i = 0; i < 10; ++i) {
    eight[2 * i] = 100;
    eight[2 * i + 1] = 200;
  }
  for (std::size_t i = 20; i < eight.size(); i += 2) {
    eight[i] = 100;
    eight[i + 1] = 200;
  }
  ASSERT_EQ(ChangeWaveSpeed(8, 50, 20, eight, 2, 40, 8), 0);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(eight[2 * i], 100) << i;
    EXPECT_EQ(eight[2 * i + 1], 200) << i;
  }
}

}  // namespace
}  // namespace sprocket
