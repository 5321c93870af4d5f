#include "imagelib/quadmap/segment_intersect.h"

namespace sprocket {

namespace {

using Wide = __int128;

// Whether the ranges [a1, a2] (in either order) and [b1, b2] can overlap,
// given the directions a = a2 - a1 and b = b1 - b2.
bool BoxesOverlap(std::int64_t a1, std::int64_t a2, std::int64_t b1, std::int64_t b2) {
  const std::int64_t aLow = a1 < a2 ? a1 : a2;
  const std::int64_t aHigh = a1 < a2 ? a2 : a1;
  const std::int64_t bLow = b1 < b2 ? b1 : b2;
  const std::int64_t bHigh = b1 < b2 ? b2 : b1;
  return aHigh >= bLow && bHigh >= aLow;
}

// Whether numerator / denominator lies in [0, 1] without dividing.
bool WithinUnit(Wide numerator, Wide denominator) {
  if (denominator > 0) return numerator >= 0 && numerator <= denominator;
  return numerator <= 0 && numerator >= denominator;
}

// start + numerator / denominator rounded half away from zero.
std::int32_t RoundedStep(std::int64_t start, Wide numerator, Wide denominator) {
  const bool sameSigns = (numerator >= 0) == (denominator >= 0);
  const Wide offset = sameSigns ? denominator / 2 : -denominator / 2;
  return static_cast<std::int32_t>(start + (numerator + offset) / denominator);
}

}  // namespace

SegmentMeeting SegmentIntersect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
                                std::int32_t y3, std::int32_t x4, std::int32_t y4, QuadPoint& point) {
  if (!BoxesOverlap(x1, x2, x3, x4) || !BoxesOverlap(y1, y2, y3, y4)) return kSegmentsApart;

  const Wide ax = Wide{x2} - x1;
  const Wide ay = Wide{y2} - y1;
  const Wide bx = Wide{x3} - x4;
  const Wide by = Wide{y3} - y4;
  const Wide cx = Wide{x1} - x3;
  const Wide cy = Wide{y1} - y3;

  const Wide alpha = by * cx - bx * cy;
  const Wide denominator = ay * bx - ax * by;
  if (!WithinUnit(alpha, denominator)) return kSegmentsApart;
  const Wide beta = ax * cy - ay * cx;
  if (!WithinUnit(beta, denominator)) return kSegmentsApart;
  if (denominator == 0) return kSegmentsParallel;

  point.x = RoundedStep(x1, alpha * ax, denominator);
  point.y = RoundedStep(y1, alpha * ay, denominator);
  return kSegmentsMeet;
}

}  // namespace sprocket
