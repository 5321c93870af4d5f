#include "imagelib/drawing/lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <set>
#include <utility>
#include <vector>

namespace sprocket {
namespace {

using Points = std::set<std::pair<int, int>>;

// A picture of its own, filled black, for drawing into.
struct Canvas {
  HGLOBAL handle = nullptr;
  CDibImage image{&handle};
  Canvas(int width, int height) { EXPECT_EQ(image.Create(width, height), kDibDone); }
  ~Canvas() {
    if (handle != nullptr) GlobalFree(handle);
  }
  Points Lit() {
    Points lit;
    const DibSize size = image.GetSize();
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        if (image.GetPixel(x, y) != 0) lit.insert({x, y});
      }
    }
    return lit;
  }
};

constexpr COLORREF kWhite = 0xFFFFFF;

std::vector<std::pair<int, int>> Walk(int x1, int y1, int x2, int y2) {
  LineWalker walker;
  walker.Init(x1, y1, x2, y2);
  std::vector<std::pair<int, int>> points;
  do {
    points.push_back({walker.x, walker.y});
    walker.Step();
  } while (walker.done == 0);
  return points;
}

TEST(LineDrawing, FirstStepOfAShallowLineIsDiagonal) {
  Canvas canvas(6, 4);
  EXPECT_EQ(DrawLine(canvas.image, 0, 0, 4, 2, kWhite), kDibDone);
  EXPECT_EQ(canvas.Lit(), (Points{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
  EXPECT_EQ(canvas.image.GetPixel(1, 1), kWhite);
}

TEST(LineDrawing, PointsAndStraightLines) {
  Canvas dot(4, 4);
  DrawLine(dot.image, 2, 3, 2, 3, 0x0000FF);
  EXPECT_EQ(dot.Lit(), (Points{{2, 3}}));
  EXPECT_EQ(dot.image.GetPixel(2, 3), 0x0000FFu);

  Canvas vertical(4, 6);
  DrawLine(vertical.image, 1, 5, 1, 1, kWhite);
  EXPECT_EQ(vertical.Lit(), (Points{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}));
}

TEST(LineDrawing, EveryDirectionIncludesBothEndsAndStepsByOnePixel) {
  const std::vector<std::pair<int, int>> ends = {{7, 2},   {2, 7},  {-2, 7}, {-7, 2}, {-7, -2},
                                                 {-2, -7}, {2, -7}, {7, -2}, {5, 5},  {-5, 5}};
  for (const auto& [dx, dy] : ends) {
    const auto points = Walk(10, 10, 10 + dx, 10 + dy);
    ASSERT_EQ(points.size(), static_cast<std::size_t>(std::max(std::abs(dx), std::abs(dy)) + 1)) << dx << "," << dy;
    EXPECT_EQ(points.front(), (std::pair{10, 10}));
    EXPECT_EQ(points.back(), (std::pair{10 + dx, 10 + dy})) << dx << "," << dy;
    for (std::size_t i = 1; i < points.size(); ++i) {
      EXPECT_LE(std::abs(points[i].first - points[i - 1].first), 1);
      EXPECT_LE(std::abs(points[i].second - points[i - 1].second), 1);
    }
  }
}

TEST(LineDrawing, LinesAreClippedToThePicture) {
  Canvas canvas(5, 10);
  EXPECT_EQ(DrawLine(canvas.image, -10, 5, 10, 5, kWhite), kDibDone);
  EXPECT_EQ(canvas.Lit(), (Points{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}));

  Canvas outside(5, 5);
  EXPECT_EQ(DrawLine(outside.image, 6, 0, 9, 4, kWhite), kDibDone);
  EXPECT_EQ(DrawLine(outside.image, -3, -1, -1, -9, kWhite), kDibDone);
  EXPECT_TRUE(outside.Lit().empty());

  Canvas far(10, 5);
  const int lowest = std::numeric_limits<int>::min();
  const int highest = std::numeric_limits<int>::max();
  EXPECT_EQ(DrawLine(far.image, lowest, 2, highest, 2, kWhite), kDibDone);
  EXPECT_EQ(far.Lit().size(), 10u);
  DrawLine(far.image, lowest, lowest, highest, highest, kWhite);
  for (const auto& [x, y] : far.Lit()) {
    EXPECT_LT(x, 10);
    EXPECT_LT(y, 5);
  }
}

TEST(LineDrawing, FailuresOfThePictureAreReported) {
  CDibImage detached;
  EXPECT_EQ(DrawLine(detached, 0, 0, 1, 1, kWhite), kDibDetached);
  HGLOBAL empty = nullptr;
  CDibImage noBlock(&empty);
  EXPECT_EQ(DrawLine(noBlock, 0, 0, 1, 1, kWhite), kDibNoBlock);
  EXPECT_EQ(FillLines(noBlock, 3, 3, 0, 0, kWhite), kDibNoBlock);
  EXPECT_EQ(FillLines(noBlock, 3, 0, 0, 3, kWhite), kDibDone);  // y1 > y2: nothing to do
}

TEST(LineDrawing, FillLinesDrawsEveryRowOfTheRectangle) {
  Canvas canvas(6, 6);
  EXPECT_EQ(FillLines(canvas.image, 3, 4, 1, 2, kWhite), kDibDone);
  Points expected;
  for (int y = 2; y <= 4; ++y) {
    for (int x = 1; x <= 3; ++x) expected.insert({x, y});
  }
  EXPECT_EQ(canvas.Lit(), expected);

  Canvas none(6, 6);
  EXPECT_EQ(FillLines(none.image, 3, 1, 1, 2, kWhite), kDibDone);
  EXPECT_TRUE(none.Lit().empty());
  EXPECT_EQ(GlobalLockCount(none.handle), 0);
}

TEST(LineWalkerRuns, StepUntilAndRunEndFollowTheRuns) {
  // (0,0)-(2,6) walks (0,0) (0,1) (1,2) (1,3) (1,4) (2,5) (2,6).
  LineWalker walker;
  walker.Init(0, 0, 2, 6);
  walker.StepX();
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{1, 2}));
  walker.Init(0, 0, 2, 6);
  walker.RunEnd(0);
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{0, 1}));
  walker.Step();
  walker.RunEnd(0);
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{1, 4}));
  walker.Step();
  walker.RunEnd(0);  // the last run ends at the line's end
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{2, 6}));
  EXPECT_EQ(walker.done, 0);

  // Along the major axis a step that does not move y keeps y.
  walker.Init(0, 0, 4, 1);
  walker.RunEnd(0);
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{0, 0}));
  walker.Init(0, 0, 2, 6);
  walker.RunEnd(1);
  EXPECT_EQ((std::pair{walker.x, walker.y}), (std::pair{0, 0}));
}

TEST(LineClipping, ClipLineRoundsClippedEndsFromTheFirstPoint) {
  DibPoint p1{-10, 5};
  DibPoint p2{10, 5};
  int visible = 0;
  ClipLine(p1, p2, visible, 4, 9, 0, 0);
  EXPECT_EQ(visible, 1);
  EXPECT_EQ((std::pair{p1.x, p1.y}), (std::pair{0, 5}));
  EXPECT_EQ((std::pair{p2.x, p2.y}), (std::pair{4, 5}));

  // Diagonal through the window: t = 0.25 .. 0.75 of (-2,-1)-(6,7).
  p1 = {-2, -1};
  p2 = {6, 7};
  ClipLine(p1, p2, visible, 4, 10, 0, 0);
  EXPECT_EQ(visible, 1);
  EXPECT_EQ((std::pair{p1.x, p1.y}), (std::pair{0, 1}));
  EXPECT_EQ((std::pair{p2.x, p2.y}), (std::pair{4, 5}));

  p1 = {1, 1};
  p2 = {3, 2};
  ClipLine(p1, p2, visible, 4, 4, 0, 0);
  EXPECT_EQ(visible, 1);
  EXPECT_EQ((std::pair{p2.x, p2.y}), (std::pair{3, 2}));

  p1 = {7, 7};
  p2 = {7, 7};
  ClipLine(p1, p2, visible, 4, 4, 0, 0);
  EXPECT_EQ(visible, 0);
  p1 = {2, 2};
  p2 = {2, 2};
  ClipLine(p1, p2, visible, 4, 4, 0, 0);
  EXPECT_EQ(visible, 1);
}

TEST(LineClipping, ThinFormsShareTheClipper) {
  const DibPoint a{-10, 5};
  const DibPoint b{10, 5};
  EXPECT_TRUE(ClipLineByValue(a, b, 4, 9, 0, 0));
  EXPECT_FALSE(ClipLineByValue(a, b, 4, 4, 0, 0));
  DibPoint p1 = a;
  DibPoint p2 = b;
  ClipLineNoFlag(p1, p2, 4, 9, 0, 0);
  EXPECT_EQ(p1.x, 0);
  EXPECT_EQ(p2.x, 4);
}

TEST(LineClipping, FloatClipperKeepsFractions) {
  DibPointF p1{-1.0f, 0.0f};
  DibPointF p2{3.0f, 2.0f};
  EXPECT_NE(ClipLineF(p1, p2, 10, 10, 0, 0), 0);
  EXPECT_FLOAT_EQ(p1.x, 0.0f);
  EXPECT_FLOAT_EQ(p1.y, 0.5f);
  EXPECT_FLOAT_EQ(p2.x, 3.0f);

  p1 = {-10.0f, 5.0f};
  p2 = {10.0f, 5.0f};
  EXPECT_NE(ClipLineF(p1, p2, 4, 9, 0, 0), 0);
  EXPECT_FLOAT_EQ(p1.x, 0.0f);
  EXPECT_FLOAT_EQ(p2.x, 4.0f);

  p1 = {5.5f, 1.0f};
  p2 = {5.5f, 1.0f};
  EXPECT_EQ(ClipLineF(p1, p2, 5, 5, 0, 0), 0);
  EXPECT_TRUE(PointInWindow(5.0f, 0.0f, 5, 5, 0, 0));
  EXPECT_FALSE(PointInWindow(5.0f, -0.5f, 5, 5, 0, 0));
  EXPECT_FALSE(PointInWindow(-0.1f, 1.0f, 5, 5, 0, 0));
}

}  // namespace
}  // namespace sprocket
