#pragma once
// One-pixel lines: a parametric clipper and an integer Bresenham walker.
//
// Clip windows are given as (x max, y max, x min, y min), all inclusive.
// y counts rows in memory order (y = 0 is the bottom row of a picture).

#include <cstdint>

#include "imagelib/dib_image.h"
#include "imagelib/pixel_types.h"

namespace sprocket {

// Walks the pixels of a line from its first point to its last, one step along
// the major axis at a time; the error term starts at 2 * minor - major, so
// the first step is diagonal whenever the minor distance is at least half the
// major one.
struct LineWalker {
  std::int32_t major = 0;     // larger of |dx| and |dy|
  std::int32_t minor = 0;     // smaller of |dx| and |dy|
  std::int32_t xStep = 0;     // sign of dx
  std::int32_t yStep = 0;     // sign of dy
  std::int32_t yMajor = 0;    // 1 when |dy| > |dx|
  std::int32_t error = 0;     // decision value
  std::int32_t diagonal = 0;  // 1 when both steps are nonzero
  std::int32_t done = 0;      // 1 once the end has been passed
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t count = 0;  // steps taken

  void Init(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  // Moves to the next point; at the end sets done and stays.
  void Step();
  // Steps until a step moved the point along `axis` (0 = x, 1 = y) or done.
  void StepUntil(int axis);
  void StepX() { StepUntil(0); }
  // Leaves the walker on the last point before the next move along `axis`
  // (the end of the current run), in the state it had there. At the end of
  // the line it stays on the last point with done cleared.
  void RunEnd(int axis);
};

// Clips the segment p1-p2 in place to the window (Liang-Barsky). Sets visible
// to 1 when part of the segment lies inside, else 0 (the points are then left
// as they were). Clipped ends are rounded to the nearest pixel.
void ClipLine(DibPoint& p1, DibPoint& p2, int& visible, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
              std::int32_t yMin);
// The same on copies of the points; answers whether the segment is visible.
bool ClipLineByValue(DibPoint p1, DibPoint p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
                     std::int32_t yMin);
// The same clipping in place, without the visibility answer.
void ClipLineNoFlag(DibPoint& p1, DibPoint& p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
                    std::int32_t yMin);

struct DibPointF {
  float x = 0;
  float y = 0;
};

// The clipper on float points, without rounding. Returns nonzero when visible.
int ClipLineF(DibPointF& p1, DibPointF& p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin, std::int32_t yMin);

// x min <= x <= x max and y min <= y <= y max.
bool PointInWindow(float x, float y, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin, std::int32_t yMin);

// Draws the line between the two points, both ends included, clipped to the
// picture. Returns the failure of LockBits, else 0 (also when nothing of the
// line lies inside the picture).
DibResult DrawLine(CDibImage& image, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                   COLORREF color);

// Draws the rows y1 to y2 from x1 to x2 (nothing and 0 when y1 > y2); stops at
// the first failure and returns it.
DibResult FillLines(CDibImage& image, std::int32_t x2, std::int32_t y2, std::int32_t x1, std::int32_t y1,
                    COLORREF color);

}  // namespace sprocket
