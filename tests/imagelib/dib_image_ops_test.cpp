#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "imagelib/dib_image.h"
#include "imagelib/luminance.h"
#include "owned_picture.h"

namespace sprocket {
namespace {

using testing::OwnedPicture;

// Pixel (x, y) of a test picture: blue x, green y, red x + 10 y.
COLORREF Pattern(int x, int y) { return static_cast<COLORREF>((x + 10 * y) | y << 8 | x << 16); }

void FillPattern(OwnedPicture& picture) {
  const DibSize size = picture.image.GetSize();
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) picture.image.SetPixel(x, y, Pattern(x, y));
  }
}

TEST(DibImageOps, GreyscaleWeighsTheChannels) {
  const std::pair<COLORREF, int> cases[] = {{0x0000FF, 76}, {0xFFFFFF, 255}, {0x00FF00, 149}, {0xFF0000, 28}};
  for (const auto& [colour, grey] : cases) {
    OwnedPicture picture(2, 1);
    picture.image.Fill(colour);
    picture.image.Greyscale();
    EXPECT_EQ(picture.image.GetPixel(1, 0), static_cast<COLORREF>(grey * 0x010101)) << colour;
  }
  OwnedPicture empty;
  empty.image.Greyscale();
  EXPECT_EQ(empty.handle, nullptr);
}

TEST(DibImageOps, SmoothAveragesTheNeighboursAndRepairsTheBorder) {
  OwnedPicture picture(3, 3);
  picture.image.Fill(0x505050);
  picture.SetGrey(0, 0, 8);    // neighbours of the centre: 7 x 0x50 + 8
  picture.SetGrey(1, 1, 255);  // the centre itself does not count
  EXPECT_EQ(picture.image.Smooth(), kDibDone);
  const COLORREF expected = ((7 * 0x50 + 8) >> 3) * 0x010101u;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(picture.image.GetPixel(x, y), expected) << x << "," << y;
  }
  // Too small to have inner pixels: left alone instead of turning black.
  for (auto [w, h] : {std::pair{2, 5}, std::pair{5, 2}}) {
    OwnedPicture small(w, h);
    FillPattern(small);
    const std::vector<std::uint8_t> before = small.Bytes();
    EXPECT_EQ(small.image.Smooth(), kDibDone);
    EXPECT_EQ(small.image.ReplicateEdges(), kDibDone);
    EXPECT_EQ(small.Bytes(), before) << w;
  }
  OwnedPicture empty;
  EXPECT_EQ(empty.image.Smooth(), kDibNoBlock);
}

TEST(DibImageOps, ReplicateEdgesCopiesRowsThenColumns) {
  OwnedPicture picture(4, 4);
  FillPattern(picture);
  EXPECT_EQ(picture.image.ReplicateEdges(), kDibDone);
  EXPECT_EQ(picture.image.GetPixel(0, 0), Pattern(1, 1));
  EXPECT_EQ(picture.image.GetPixel(2, 0), Pattern(2, 1));
  EXPECT_EQ(picture.image.GetPixel(3, 3), Pattern(2, 2));
  EXPECT_EQ(picture.image.GetPixel(0, 2), Pattern(1, 2));
  EXPECT_EQ(picture.image.GetPixel(2, 2), Pattern(2, 2));
}

TEST(DibImageOps, ApplyLutMapsAllChannelsOrBlueOnly) {
  std::array<std::uint8_t, 256> invert{};
  for (int i = 0; i < 256; ++i) invert[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(255 - i);
  const std::pair<int, COLORREF> cases[] = {{3, 0xEEDDCC}, {0, 0xEE2233}, {1, 0xEE2233}};
  for (const auto& [mode, expected] : cases) {
    OwnedPicture picture(3, 2);
    picture.image.Fill(0x112233);
    EXPECT_EQ(picture.image.ApplyLut(invert.data(), mode), kDibDone);
    EXPECT_EQ(picture.image.GetPixel(2, 1), expected) << mode;
  }
}

TEST(DibImageOps, QuarterAndHalfTurns) {
  OwnedPicture quarter(4, 2);
  FillPattern(quarter);
  EXPECT_EQ(quarter.image.Rotate90(), kDibDone);
  ASSERT_EQ(quarter.image.GetSize().width, 2);
  ASSERT_EQ(quarter.image.GetSize().height, 4);
  for (int k = 0; k < 4; ++k) {
    for (int y = 0; y < 2; ++y) EXPECT_EQ(quarter.image.GetPixel(y, k), Pattern(3 - k, y)) << y << "," << k;
  }
  OwnedPicture half(3, 2);
  FillPattern(half);
  EXPECT_EQ(half.image.Rotate180(), kDibDone);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(half.image.GetPixel(x, y), Pattern(2 - x, 1 - y));
  }
  OwnedPicture empty;
  EXPECT_EQ(empty.image.Rotate90(), kDibNoBlock);
}

TEST(DibImageOps, AddSaturateClampsAndScalesOtherSizes) {
  OwnedPicture picture(4, 2);
  picture.image.Fill(0x10F080);
  OwnedPicture same(4, 2);
  same.image.Fill(0x103090);
  EXPECT_EQ(picture.image.AddSaturate(same.image), kDibDone);
  EXPECT_EQ(picture.image.GetPixel(3, 1), 0x20FFFFu);
  OwnedPicture small(2, 1);
  small.image.Fill(0x010203);
  EXPECT_EQ(picture.image.AddSaturate(small.image), kDibDone);
  EXPECT_EQ(picture.image.GetPixel(3, 1), 0x21FFFFu);
  EXPECT_EQ(small.image.GetSize().width, 2);  // the other picture itself is untouched
  OwnedPicture empty;
  EXPECT_EQ(picture.image.AddSaturate(empty.image), kDibNoBlock);
}

TEST(DibImageOps, SetPixelLuminance) {
  struct Case {
    BgrPixel pixel;
    int level;
    BgrPixel expected;
  };
  const Case cases[] = {
      {{10, 20, 30}, 0, {0, 0, 0}},     {{0, 0, 0}, 200, {0, 0, 0}},
      {{10, 20, 30}, 21, {10, 20, 30}},                                        // luminance 21 already
      {{10, 20, 30}, 42, {20, 40, 60}}, {{10, 20, 30}, 250, {119, 238, 255}},  // clamped at 255
      {{10, 20, 30}, -50, {0, 0, 0}},  // negative levels give black, not wrapped bytes
  };
  for (const Case& test : cases) {
    BgrPixel pixel = test.pixel;
    SetPixelLuminance(pixel, test.level);
    EXPECT_EQ(pixel, test.expected) << test.level;
  }
}

}  // namespace
}  // namespace sprocket
