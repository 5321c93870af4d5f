#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <utility>

#include "imagelib/quadmap/point_rotation.h"
#include "imagelib/quadmap/quad_edges.h"
#include "imagelib/quadmap/quad_frame.h"
#include "imagelib/quadmap/quad_map.h"
#include "imagelib/quadmap/segment_intersect.h"

namespace sprocket {
namespace {

using Points = std::array<QuadPoint, 4>;

TEST(SegmentIntersect, MeetsApartParallelAndLargeCoordinates) {
  struct Case {
    std::int32_t c[8];
    SegmentMeeting result;
    QuadPoint point;
  };
  const Case cases[] = {
      {{0, 0, 10, 10, 0, 10, 10, 0}, kSegmentsMeet, {5, 5}},
      {{0, 0, 10, 0, 10, 0, 10, 10}, kSegmentsMeet, {10, 0}},  // touching at an end
      {{0, 0, 3, 1, 0, 1, 3, 0}, kSegmentsMeet, {2, 1}},       // (1.5, 0.5) rounded away from zero
      {{0, 0, 1, 1, 5, 5, 6, 7}, kSegmentsApart, {}},          // boxes apart
      {{0, 0, 10, 10, 0, 1, 4, 10}, kSegmentsApart, {}},       // boxes overlap, lines miss
      {{0, 0, 10, 10, 0, 1, 10, 11}, kSegmentsApart, {}},      // parallel, not on one line
      {{0, 0, 10, 0, 5, 0, 15, 0}, kSegmentsParallel, {}},     // on one line, overlapping
      {{-2000000000, -2000000000, 2000000000, 2000000000, -2000000000, 2000000000, 2000000000, -2000000000},
       kSegmentsMeet,
       {0, 0}},
      {{0, 0, 2000000000, 1000000000, 0, 1000000000, 2000000000, 0}, kSegmentsMeet, {1000000000, 500000000}},
      {{100000, 0, 100000, 300000, 0, 200000, 300001, 200000}, kSegmentsMeet, {100000, 200000}},
  };
  for (const Case& test : cases) {
    QuadPoint point{-7, -7};
    const std::int32_t* c = test.c;
    EXPECT_EQ(SegmentIntersect(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], point), test.result) << c[0];
    if (test.result == kSegmentsMeet) {
      EXPECT_EQ(point, test.point) << c[0];
    }
  }
}

TEST(PointRotation, RotatedCornersAreTruncatedAfterAddingAHalf) {
  struct Case {
    double degrees;
    QuadCorners expected;
  };
  const Case cases[] = {
      {0, {{0, 4, 4, 0}, {0, 0, 2, 2}}},
      {90, {{3, 3, 1, 1}, {0, 3, 3, 0}}},  // -0.5 truncates to 0
      {180, {{4, 0, 0, 4}, {2, 2, 0, 0}}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(RotatedRectangle(4, 2, test.degrees, 2, 1), test.expected) << test.degrees;
  }
  EXPECT_EQ(RotatePoint(10, 0, 0, 0, 45 * kDegreesToRadians), (QuadPoint{7, 7}));
}

TEST(PointRotation, AnglesOfLinesByQuadrant) {
  const std::pair<QuadPoint, double> cases[] = {
      {{5, 0}, 0},       {{0, 5}, kHalfPi},       {{-5, 0}, kPi},         {{0, -5}, kThreeHalfPi},
      {{3, 3}, kPi / 4}, {{-3, -3}, 5 * kPi / 4}, {{3, -3}, 7 * kPi / 4}, {{0, 0}, 0},
  };
  for (const auto& [point, angle] : cases) EXPECT_NEAR(AngleOfLine({0, 0}, point), angle, 1e-9) << point.x;
  EXPECT_NEAR(AngleOfLine({10, 10}, {9, 11}), 3 * kPi / 4, 1e-9);
}

TEST(PointRotation, PointsTurnByTheDifferenceToTheNewAngle) {
  QuadPoint first{10, 0}, second{0, 5}, third{-3, 0};
  double angle = 0;  // measured from the first point: 0
  RotatePointsAbout({0, 0}, first, second, third, angle, kHalfPi);
  EXPECT_EQ(first, (QuadPoint{0, 10}));
  EXPECT_EQ(second, (QuadPoint{-4, 0}));  // -4.5 truncated
  EXPECT_EQ(third, (QuadPoint{0, -2}));   // -2.5 truncated
  EXPECT_DOUBLE_EQ(angle, kHalfPi);

  // A given angle is trusted: the points already stand at the new one.
  RotatePointsAbout({0, 0}, first, second, third, angle, kHalfPi);
  EXPECT_EQ(first, (QuadPoint{0, 10}));
}

TEST(QuadEdges, ChainsShareTheirBreakpoints) {
  struct Case {
    Points corners;
    Points first;
    Points second;
  };
  const Case cases[] = {
      // A diamond: both chains from the top corner to the bottom one.
      {{{{5, 0}, {10, 5}, {5, 10}, {0, 5}}},
       {{{5, 0}, {10, 5}, {5, 10}, {5, 10}}},
       {{{5, 0}, {0, 5}, {5, 10}, {5, 10}}}},
      // Corners at four heights: each chain gets a point at the other's corner heights.
      {{{{0, 0}, {10, 2}, {8, 10}, {-2, 6}}},
       {{{0, 0}, {10, 2}, {9, 6}, {8, 10}}},
       {{{0, 0}, {0, 2}, {-2, 6}, {8, 10}}}},
      // A flat top starts the chains at its two ends; a flat bottom ends them at its two ends.
      {{{{0, 0}, {10, 0}, {10, 5}, {0, 5}}},
       {{{10, 0}, {10, 5}, {10, 5}, {10, 5}}},
       {{{0, 0}, {0, 5}, {0, 5}, {0, 5}}}},
      // A concave corner that would step back up is replaced by the point before it.
      {{{{0, 0}, {10, 8}, {5, 4}, {0, 10}}},
       {{{0, 0}, {10, 8}, {0, 10}, {0, 10}}},
       {{{0, 0}, {0, 8}, {0, 10}, {0, 10}}}},
  };
  for (const Case& test : cases) {
    Points first, second;
    ASSERT_TRUE(SplitQuadEdges(0, first, second, test.corners));
    EXPECT_EQ(first, test.first) << test.corners[1].x;
    EXPECT_EQ(second, test.second) << test.corners[1].x;
  }
}

TEST(QuadEdges, AxisOneExchangesTheRolesOfXAndY) {
  const Points corners{{{0, 0}, {2, 10}, {10, 8}, {6, -2}}};
  Points swapped;
  for (std::size_t i = 0; i < 4; ++i) swapped[i] = {corners[i].y, corners[i].x};
  Points first, second, swappedFirst, swappedSecond;
  ASSERT_TRUE(SplitQuadEdges(1, first, second, corners));
  ASSERT_TRUE(SplitQuadEdges(0, swappedFirst, swappedSecond, swapped));
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(first[i], (QuadPoint{swappedFirst[i].y, swappedFirst[i].x}));
    EXPECT_EQ(second[i], (QuadPoint{swappedSecond[i].y, swappedSecond[i].x}));
  }
  EXPECT_FALSE(SplitQuadEdges(0, first, second, Points{{{0, 0}, {10001, 0}, {5, 5}, {0, 5}}}));
}

TEST(QuadFrame, PlacementCases) {
  const std::pair<QuadCorners, QuadPlacement> cases[] = {
      {{{2, 6, 6, 2}, {2, 2, 6, 6}}, kQuadPlacementRectangle},
      {{{5, 10, 5, 0}, {0, 5, 10, 5}}, kQuadPlacementConvex},
      {{{0, 10, 10, 0}, {0, 10, 0, 10}}, kQuadPlacementFolded},    // crossing outline
      {{{0, 10, 2, 0}, {0, 0, 2, 10}}, kQuadPlacementFolded},      // concave
      {{{0, 5, 10, 15}, {0, 5, 10, 15}}, kQuadPlacementNone},      // all on one line
      {{{0, 20000, 20000, 0}, {0, 0, 5, 5}}, kQuadPlacementNone},  // beyond the search bounds
  };
  for (const auto& [corners, placement] : cases) EXPECT_EQ(ClassifyQuad(corners), placement) << corners.x[1];
}

}  // namespace
}  // namespace sprocket
