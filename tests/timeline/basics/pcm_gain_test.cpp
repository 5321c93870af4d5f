// The linear gain ramp of the mixdown.

#include <gtest/gtest.h>

#include <vector>

#include "timeline/basics/pcm_gain.h"

namespace sprocket {
namespace {

std::vector<std::uint8_t> Samples16(const std::vector<std::int16_t>& values) {
  std::vector<std::uint8_t> bytes;
  for (std::int16_t value : values) {
    auto raw = static_cast<std::uint16_t>(value);
    bytes.push_back(static_cast<std::uint8_t>(raw & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(raw >> 8));
  }
  return bytes;
}

std::int16_t Sample16(const std::vector<std::uint8_t>& bytes, std::size_t index) {
  return static_cast<std::int16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8);
}

TEST(RampPcmGainTest, SixteenBitRampStepsLinearly) {
  std::vector<std::uint8_t> buffer = Samples16({1000, 1000, 1000, 1000, -1000});
  ASSERT_TRUE(RampPcmGain(buffer, 16, 0, 4, 0, 100));
  EXPECT_EQ(Sample16(buffer, 0), 0);
  EXPECT_EQ(Sample16(buffer, 1), 250);
  EXPECT_EQ(Sample16(buffer, 2), 500);
  EXPECT_EQ(Sample16(buffer, 3), 750);
  EXPECT_EQ(Sample16(buffer, 4), -1000);  // outside the count
}

TEST(RampPcmGainTest, GainsAboveOneHundredClip) {
  std::vector<std::uint8_t> buffer = Samples16({20000, -20000, 100});
  ASSERT_TRUE(RampPcmGain(buffer, 16, 0, 3, 200, 200));
  EXPECT_EQ(Sample16(buffer, 0), 32767);
  EXPECT_EQ(Sample16(buffer, 1), -32768);
  EXPECT_EQ(Sample16(buffer, 2), 200);
}

TEST(RampPcmGainTest, EightBitSamplesScaleAroundTheirMiddle) {
  std::vector<std::uint8_t> buffer = {228, 28, 128, 255, 0};
  ASSERT_TRUE(RampPcmGain(buffer, 8, 0, 4, 50, 50));
  EXPECT_EQ(buffer[0], 178);
  EXPECT_EQ(buffer[1], 78);
  EXPECT_EQ(buffer[2], 128);
  EXPECT_EQ(buffer[3], 191);
  EXPECT_EQ(buffer[4], 0);
  std::vector<std::uint8_t> loud = {255, 0};
  ASSERT_TRUE(RampPcmGain(loud, 8, 0, 2, 200, 200));
  EXPECT_EQ(loud[0], 255);
  EXPECT_EQ(loud[1], 0);
}

TEST(RampPcmGainTest, StartsAtTheFirstSample) {
  std::vector<std::uint8_t> buffer = Samples16({400, 400, 400});
  ASSERT_TRUE(RampPcmGain(buffer, 16, 1, 2, 50, 50));
  EXPECT_EQ(Sample16(buffer, 0), 400);
  EXPECT_EQ(Sample16(buffer, 1), 200);
  EXPECT_EQ(Sample16(buffer, 2), 200);
}

TEST(RampPcmGainTest, RefusesSamplesOutsideTheBufferAndOtherDepths) {
  std::vector<std::uint8_t> buffer = Samples16({400, 400});
  EXPECT_FALSE(RampPcmGain(buffer, 16, 1, 2, 50, 50));
  EXPECT_FALSE(RampPcmGain(buffer, 16, -1, 1, 50, 50));
  EXPECT_FALSE(RampPcmGain(buffer, 24, 0, 1, 50, 50));
  EXPECT_EQ(Sample16(buffer, 0), 400);
  EXPECT_EQ(Sample16(buffer, 1), 400);
  EXPECT_TRUE(RampPcmGain(buffer, 16, 2, 0, 50, 50));
}

}  // namespace
}  // namespace sprocket
