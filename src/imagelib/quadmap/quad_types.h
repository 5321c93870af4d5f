#pragma once
// Points, corner lists and angle constants of the rotation and
// quadrilateral mapping routines. Coordinates are pixels with y counting rows
// in memory order (0 is the bottom row); a corner list names the corners of a
// quadrilateral in order around it.

#include <cstdint>

namespace sprocket {

inline constexpr double kDegreesToRadians = 0.0174532925;
inline constexpr double kPi = 3.141592654589;
inline constexpr double kTwoPi = 6.283185309178;
inline constexpr double kHalfPi = 1.5707963272945;
inline constexpr double kThreeHalfPi = 4.7123889818835;
inline constexpr double kRadiansToDegrees = 57.29577949485897;
// Angles closer than this to 0 count as 0.
inline constexpr double kAngleEpsilon = 0.01;

// Corners farther out than this are outside every search of the mapper.
inline constexpr std::int32_t kQuadSearchBound = 10000;

struct QuadPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;

  friend bool operator==(const QuadPoint&, const QuadPoint&) = default;
};

// One point of an edge stepped row by row.
struct EdgePoint {
  float x = 0;
  float y = 0;
};

// Four corners as four x values and four y values.
struct QuadCorners {
  std::int32_t x[4] = {0, 0, 0, 0};
  std::int32_t y[4] = {0, 0, 0, 0};

  QuadPoint Corner(int i) const { return {x[i], y[i]}; }
  friend bool operator==(const QuadCorners&, const QuadCorners&) = default;
};

// The corners (0, 0), (width, 0), (width, height), (0, height) of a picture.
constexpr QuadCorners RectangleCorners(std::int32_t width, std::int32_t height) {
  return QuadCorners{{0, width, width, 0}, {0, 0, height, height}};
}

}  // namespace sprocket
