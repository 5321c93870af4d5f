// The quadrilateral mapper compared with exact integer models: the pixels a
// scan fills against the pixel centres the outline encloses, and the points
// inserted on the edges against their exact positions.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "imagelib/quadmap/point_rotation.h"
#include "imagelib/quadmap/quad_edges.h"
#include "imagelib/quadmap/quad_scan.h"
#include "locked_picture.h"

namespace sprocket {
namespace {

using testing::LockedPicture;
using Points = std::array<QuadPoint, 4>;

std::int64_t Cross(QuadPoint a, QuadPoint b, QuadPoint c) {
  return (std::int64_t{b.x} - a.x) * (std::int64_t{c.y} - a.y) - (std::int64_t{b.y} - a.y) * (std::int64_t{c.x} - a.x);
}

enum class Place { kInside, kOutside, kOnOutline };

// Where the centre of pixel (x, y) lies against the outline, exactly: in
// doubled coordinates a centre is odd and a corner even, so a ray from the
// centre never passes through a corner.
Place PlaceOfCentre(const Points& corners, std::int32_t x, std::int32_t y) {
  const QuadPoint centre{2 * x + 1, 2 * y + 1};
  int crossings = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    QuadPoint a{2 * corners[i].x, 2 * corners[i].y};
    QuadPoint b{2 * corners[(i + 1) % 4].x, 2 * corners[(i + 1) % 4].y};
    if (a.y == b.y) continue;  // a horizontal edge holds no centre
    if (a.y > b.y) std::swap(a, b);
    if (centre.y < a.y || centre.y > b.y) continue;
    const std::int64_t side = Cross(a, b, centre);
    if (side == 0) return Place::kOnOutline;
    if (side > 0) ++crossings;  // the edge passes right of the centre
  }
  return crossings % 2 == 1 ? Place::kInside : Place::kOutside;
}

// A convex outline, corners in order either way round; three corners on a
// line count (a triangle with a corner on one side), a turn back does not.
bool IsConvex(const Points& corners) {
  int positive = 0;
  int negative = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const QuadPoint a = corners[i], b = corners[(i + 1) % 4], c = corners[(i + 2) % 4];
    const std::int64_t turn = Cross(a, b, c);
    const std::int64_t ahead = (std::int64_t{b.x} - a.x) * (c.x - b.x) + (std::int64_t{b.y} - a.y) * (c.y - b.y);
    if (turn > 0) ++positive;
    if (turn < 0) ++negative;
    if (turn == 0 && ahead <= 0) return false;
  }
  return (positive == 0) != (negative == 0) && positive + negative >= 3;
}

std::string Describe(const Points& corners) {
  std::string text;
  for (const QuadPoint& p : corners) text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ") ";
  return text;
}

// Scans a white 8 x 8 source into a black 16 x 16 picture and checks every
// pixel against the outline: filled when its centre is inside, untouched when
// outside; centres on the outline may go either way. Returns the count filled.
int ExpectScanMatchesOutline(const Points& corners) {
  constexpr int kSide = 16;
  LockedPicture destination = LockedPicture::Mask8(kSide, kSide);
  LockedPicture source = LockedPicture::Mask8(8, 8);
  for (int y = 0; y < 8; ++y) source.FillRow(y, 255);
  QuadCorners list;
  for (int i = 0; i < 4; ++i) {
    list.x[i] = corners[static_cast<std::size_t>(i)].x;
    list.y[i] = corners[static_cast<std::size_t>(i)].y;
  }
  ScanQuad(destination.data(), source.data(), list, kQuadNearest);
  int filled = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const bool painted = *destination.At(x, y) == 255;
      filled += painted;
      const Place place = PlaceOfCentre(corners, x, y);
      if (place == Place::kInside) EXPECT_TRUE(painted) << Describe(corners) << "pixel " << x << "," << y;
      if (place == Place::kOutside) EXPECT_FALSE(painted) << Describe(corners) << "pixel " << x << "," << y;
    }
  }
  return filled;
}

TEST(QuadExactModel, ScanFillsWhatTheOutlineEncloses) {
  // Three corners on the top row: the triangle (0,0), (0,8), (8,0) encloses
  // 28 centres (x + y < 7); those on its long side are left out.
  EXPECT_EQ(ExpectScanMatchesOutline({{{4, 0}, {0, 0}, {0, 8}, {8, 0}}}), 28);
  EXPECT_EQ(ExpectScanMatchesOutline({{{0, 0}, {4, 0}, {8, 0}, {0, 8}}}), 28);
  EXPECT_EQ(ExpectScanMatchesOutline({{{8, 0}, {0, 8}, {0, 0}, {4, 0}}}), 28);
  // Three corners on the bottom row, and on a side.
  EXPECT_EQ(ExpectScanMatchesOutline({{{0, 8}, {4, 8}, {8, 8}, {0, 0}}}), 28);
  EXPECT_EQ(ExpectScanMatchesOutline({{{0, 0}, {0, 4}, {0, 8}, {8, 0}}}), 28);

  std::mt19937 random(7);
  std::uniform_int_distribution<int> coordinate(-2, 17);
  int outlines = 0;
  while (outlines < 1500) {
    Points corners;
    for (QuadPoint& corner : corners) corner = {coordinate(random), coordinate(random)};
    if (!IsConvex(corners)) continue;
    ++outlines;
    ExpectScanMatchesOutline(corners);
    if (::testing::Test::HasFailure()) break;
  }
}

// x of the edge a-b at height y, exact and truncated toward zero.
std::int32_t ExactX(QuadPoint a, QuadPoint b, std::int32_t y) {
  const std::int64_t height = std::int64_t{b.y} - a.y;
  return static_cast<std::int32_t>((std::int64_t{a.x} * height + (std::int64_t{b.x} - a.x) * (y - a.y)) / height);
}

// Every point of the chains is a corner or lies on an edge of the outline
// at its exact (truncated) position.
void ExpectPointsOnEdges(const Points& corners, const Points& chain, int axis) {
  auto along = [axis](QuadPoint p) { return axis == 1 ? QuadPoint{p.y, p.x} : p; };
  for (const QuadPoint& point : chain) {
    bool found = false;
    for (std::size_t i = 0; i < 4 && !found; ++i) {
      const QuadPoint a = along(corners[i]), b = along(corners[(i + 1) % 4]), p = along(point);
      found =
          p == a || (a.y != b.y && p.y >= std::min(a.y, b.y) && p.y <= std::max(a.y, b.y) && ExactX(a, b, p.y) == p.x);
    }
    EXPECT_TRUE(found) << Describe(corners) << "axis " << axis << ": (" << point.x << "," << point.y << ")";
  }
}

TEST(QuadExactModel, InsertedPointsLieExactlyOnTheirEdges) {
  // x = -11 + 22 x 26 / 44 is 2 exactly; a float step gives 1.9999 and 1.
  Points first, second;
  ASSERT_TRUE(SplitQuadEdges(0, first, second, Points{{{-11, -16}, {11, 28}, {-1, 10}, {-13, -16}}}));
  EXPECT_EQ(first, (Points{{{-11, -16}, {2, 10}, {11, 28}, {11, 28}}}));
  EXPECT_EQ(second, (Points{{{-13, -16}, {-1, 10}, {11, 28}, {11, 28}}}));

  std::mt19937 random(11);
  std::uniform_int_distribution<int> coordinate(-kQuadSearchBound, kQuadSearchBound);
  for (int round = 0; round < 3000 && !::testing::Test::HasFailure(); ++round) {
    Points corners;
    for (QuadPoint& corner : corners) corner = {coordinate(random), coordinate(random)};
    if (!IsConvex(corners)) continue;
    for (int axis : {0, 1}) {
      ASSERT_TRUE(SplitQuadEdges(axis, first, second, corners));
      ExpectPointsOnEdges(corners, first, axis);
      ExpectPointsOnEdges(corners, second, axis);
    }
  }
}

TEST(QuadExactModel, UnturnedPointsTurnByTheNewAngleAndTurnedOnesToIt) {
  const QuadPoint centre{0, 0};
  // Given angle 0: the points are unturned and turn by the new angle, though
  // the line to the first stands at 45 degrees.
  QuadPoint first{10, 10}, second{10, 0}, third{0, -5};
  double angle = 0.005;
  RotatePointsAbout(centre, first, second, third, angle, kHalfPi);
  EXPECT_EQ(first, RotatePoint(10, 10, 0, 0, kHalfPi));
  EXPECT_EQ(second, RotatePoint(10, 0, 0, 0, kHalfPi));
  EXPECT_EQ(third, RotatePoint(0, -5, 0, 0, kHalfPi));
  EXPECT_DOUBLE_EQ(angle, kHalfPi);

  // Given any other angle: the angle the line stands at is measured and the
  // line turns to the new one, whatever the given value says.
  const QuadPoint before = first;
  angle = 1.0;
  RotatePointsAbout(centre, first, second, third, angle, kPi);
  const double turn = kPi - AngleOfLine(centre, before);
  EXPECT_EQ(first, RotatePoint(before.x, before.y, 0, 0, turn));
  EXPECT_NEAR(AngleOfLine(centre, first), kPi, 0.1);
  EXPECT_DOUBLE_EQ(angle, kPi);
}

}  // namespace
}  // namespace sprocket
