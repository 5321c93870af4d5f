#pragma once
// Integer intersection of two line segments.

#include <cstdint>

#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

enum SegmentMeeting : int {
  kSegmentsApart = 0,
  kSegmentsMeet = 1,
  kSegmentsParallel = 2,  // collinear and overlapping bounding boxes
};

// Whether segment (x1, y1)-(x2, y2) meets segment (x3, y3)-(x4, y4): a
// bounding-box rejection, then sign tests of the two segment parameters.
// When they meet, `point` receives the crossing rounded to the nearest
// integer. Products are formed in 128 bits, so any 32-bit coordinates work.
SegmentMeeting SegmentIntersect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
                                std::int32_t y3, std::int32_t x4, std::int32_t y4, QuadPoint& point);

}  // namespace sprocket
