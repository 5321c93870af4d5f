#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagelib/dib_image.h"
#include "imagelib/drawing/gradient_fill.h"
#include "imagelib/drawing/key_edge_smoothing.h"
#include "owned_picture.h"

namespace sprocket {
namespace {

using testing::OwnedPicture;

constexpr COLORREF kFirst = 0x000000;
constexpr COLORREF kSecond = 0x6407FF;  // red 255, green 7, blue 100

// The colour of device row y (top first) at column x.
COLORREF DeviceAt(const OwnedPicture& picture, int x, int y) {
  return picture.image.GetPixel(x, picture.image.GetSize().height - 1 - y);
}

TEST(GradientFill, RowAndColumnStylesFollowTheirSteps) {
  auto c = [](int i, int n) { return GradientColour(kFirst, kSecond, i, n); };
  EXPECT_EQ(c(3, 10), 0x1E024Cu);  // 76.5, 2.1 and 30 truncated
  struct Case {
    int style;
    bool columns;
    std::vector<COLORREF> expected;  // rows (or columns) 0..8 of a 9 x 9 rectangle
  };
  const Case cases[] = {
      {0, false, std::vector<COLORREF>(9, kSecond)},
      {1, false, {c(0, 9), c(1, 9), c(2, 9), c(3, 9), c(4, 9), c(5, 9), c(6, 9), c(7, 9), c(8, 9)}},
      // half = 4: rows 0..3 up, rows 8..4 (9 - i, i from 1) down to the middle row 5 in colour 2.
      {2, false, {c(0, 4), c(1, 4), c(2, 4), c(3, 4), kSecond, kSecond, c(3, 4), c(2, 4), c(1, 4)}},
      {3, false, {kFirst, kFirst, kFirst, c(0, 3), c(1, 3), c(2, 3), kSecond, kSecond, kSecond}},
      {9, true, {c(0, 9), c(1, 9), c(2, 9), c(3, 9), c(4, 9), c(5, 9), c(6, 9), c(7, 9), c(8, 9)}},
      {10, true, {c(0, 4), c(1, 4), c(2, 4), c(3, 4), kSecond, kSecond, c(3, 4), c(2, 4), c(1, 4)}},
      {6, true, {c(8, 9), c(7, 9), c(6, 9), c(5, 9), c(4, 9), c(3, 9), c(2, 9), c(1, 9), c(0, 9)}},
  };
  for (const Case& test : cases) {
    OwnedPicture picture(11, 11);
    picture.image.Fill(0x123456);
    ASSERT_EQ(GradientFillDib(picture.image, kFirst, kSecond, 1, 1, 10, 10, test.style), kDibDone);
    std::vector<COLORREF> got;
    for (int i = 1; i < 10; ++i) got.push_back(test.columns ? DeviceAt(picture, i, 5) : DeviceAt(picture, 5, i));
    EXPECT_EQ(got, test.expected) << test.style;
    // Nothing outside the rectangle, not even style 2's row y1 + h.
    EXPECT_EQ(DeviceAt(picture, 5, 10), 0x123456u) << test.style;
    EXPECT_EQ(DeviceAt(picture, 0, 5), 0x123456u) << test.style;
  }
}

TEST(GradientFill, DiagonalAndEllipseStyles) {
  OwnedPicture picture(8, 6);
  ASSERT_EQ(GradientFillDib(picture.image, kFirst, kSecond, 0, 0, 8, 6, 4), kDibDone);
  EXPECT_EQ(DeviceAt(picture, 0, 0), kFirst);
  EXPECT_EQ(DeviceAt(picture, 7, 5), GradientColour(kFirst, kSecond, 12, 13));
  EXPECT_EQ(DeviceAt(picture, 3, 2), DeviceAt(picture, 5, 0));  // one line per x + y

  ASSERT_EQ(GradientFillDib(picture.image, kFirst, kSecond, 0, 0, 8, 6, 11), kDibDone);
  EXPECT_EQ(DeviceAt(picture, 0, 0), kFirst);  // the outermost ellipse reaches the corners
  EXPECT_EQ(DeviceAt(picture, 4, 3), GradientColour(kFirst, kSecond, 4, 5));  // 5 ellipses, the last in the centre

  EXPECT_TRUE(PlanGradientFill(kFirst, kSecond, 0, 0, 8, 6, 12).empty());
  EXPECT_TRUE(PlanGradientFill(kFirst, kSecond, 5, 0, 5, 6, 1).empty());
  OwnedPicture empty;
  EXPECT_EQ(GradientFillDib(empty.image, kFirst, kSecond, 0, 0, 8, 6, 1), kDibNoBlock);
}

TEST(KeyEdgeSmoothing, MarksKeyPixelsWhoseNeighbourSumsReachTheThresholds) {
  struct Case {
    int mode;
    int rows;
    std::uint8_t neighbours;
    COLORREF thresholds;
    std::vector<std::uint8_t> centre;
  };
  const Case cases[] = {
      {0, 4, 10, 0x505050, {1, 2, 3}},  // sums 80 reach 80: marked with 0x010203
      {0, 4, 10, 0x515151, {0, 0, 0}},  // sums below 81
      {0, 4, 40, 0x505050, {0, 0, 0}},  // 320 wraps to 64
      {0, 3, 10, 0x505050, {0, 0, 0}},  // three rows are not marked
      {1, 4, 10, 0x505050, {0, 0, 0}},
  };
  for (const Case& test : cases) {
    const int stride = 15;
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(stride * test.rows), test.neighbours);
    std::vector<std::uint8_t> work(static_cast<std::size_t>(stride * (test.rows - 1)), 77);
    const std::size_t centre = stride + 2 * 3;
    std::fill_n(picture.begin() + centre, 3, 0);
    std::fill_n(picture.begin(), 3, 0);  // a key pixel on the border is never looked at
    SmoothKeyEdges(test.mode, test.rows, stride, test.thresholds, 0x000000, 0x010203, picture.data(), work.data());
    EXPECT_EQ(std::vector<std::uint8_t>(picture.begin() + centre, picture.begin() + centre + 3), test.centre)
        << test.mode << " " << test.rows << " " << int(test.neighbours);
    EXPECT_EQ(picture[0], 0);
    EXPECT_EQ(picture[3], test.neighbours);
  }
  // Repeated: the first pass lifts the key pixel off the key, the second leaves it.
  std::vector<std::uint8_t> picture(60, 10);
  std::vector<std::uint8_t> work(45);
  std::fill_n(picture.begin() + 21, 3, 0);
  SmoothKeyEdgesRepeat(4, 15, picture.data(), work.data(), 0x000000, 2);
  EXPECT_EQ(std::vector<std::uint8_t>(picture.begin() + 21, picture.begin() + 24),
            (std::vector<std::uint8_t>{5, 5, 5}));
}

}  // namespace
}  // namespace sprocket
