#include "imagelib/colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace sprocket {
namespace {

TEST(ColourRoutines, SwapRedBlueExchangesTheOuterBytesAndClearsTheTop) {
  // Bytes 0x33, 0x22, 0x11, 0x44, lowest first.
  EXPECT_EQ(SwapRedBlue(0x44112233u), 0x00332211u);
  EXPECT_EQ(SwapRedBlue(SwapRedBlue(0x00ABCDEFu)), 0x00ABCDEFu);
}

TEST(ColourRoutines, BlendColorMixesEachByteAndTruncates) {
  const std::uint32_t a = 0x00C80A64;  // bytes 100, 10, 200
  const std::uint32_t b = 0xFF6514FF;  // bytes 255, 20, 101 (byte 3 ignored)
  EXPECT_EQ(BlendColor(a, b, 1.0f), a);
  EXPECT_EQ(BlendColor(a, b, 0.0f), 0x006514FFu);
  // 0.5: 177.5 -> 177, 15, 150.5 -> 150.
  EXPECT_EQ(BlendColor(a, b, 0.5f), (150u << 16) | (15u << 8) | 177u);
  // 0.25: 100 * .25 + 255 * .75 = 216.25, 10 * .25 + 20 * .75 = 17.5, 200 * .25 + 101 * .75 = 125.75.
  EXPECT_EQ(BlendColor(a, b, 0.25f), (125u << 16) | (17u << 8) | 216u);
}

TEST(ColourRoutines, BlendColorOutsideTheUnitRangeStaysInBytes) {
  EXPECT_EQ(BlendColor(0x00FFFFFF, 0, 2.0f), 0x00FFFFFFu);
  EXPECT_EQ(BlendColor(0x00FFFFFF, 0, -1.0f), 0u);
  EXPECT_EQ(BlendColor(0, 0x00FFFFFF, 2.0f), 0u);
  EXPECT_EQ(BlendColor(0x00FFFFFF, 0x00FFFFFF, std::numeric_limits<float>::quiet_NaN()), 0u);
}

TEST(ColourRoutines, ScaleIntAndScaleEndMapIndexes) {
  EXPECT_EQ(ScaleInt(3, 4, 10), 7);
  EXPECT_EQ(ScaleEnd(0, 2, 10), 4);
  EXPECT_EQ(ScaleEnd(1, 2, 10), 9);
  EXPECT_EQ(ScaleInt(-3, 4, 10), -7);  // truncated toward zero
  EXPECT_EQ(ScaleEnd(0, 4, 2), -1);    // index 0 of 4 covers none of 2 whole units
  EXPECT_EQ(ScaleInt(5, 0, 10), 0);
  EXPECT_EQ(ScaleEnd(5, 0, 10), 0);
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(ScaleInt(big, 1, big), big);
  EXPECT_EQ(ScaleInt(big, -1, big), std::numeric_limits<std::int32_t>::min());
}

TEST(ColourRoutines, MakeDibRectAndSwapInts) {
  const DibRect rect = MakeDibRect(1, 2, 3, 4);
  EXPECT_EQ(rect, (DibRect{2, 1, 4, 3}));
  EXPECT_EQ(rect.x2, 2);
  EXPECT_EQ(rect.y2, 1);
  EXPECT_EQ(rect.x1, 4);
  EXPECT_EQ(rect.y1, 3);
  std::int32_t p = 5;
  std::int32_t q = -6;
  SwapInts(p, q);
  EXPECT_EQ(p, -6);
  EXPECT_EQ(q, 5);
}

}  // namespace
}  // namespace sprocket
