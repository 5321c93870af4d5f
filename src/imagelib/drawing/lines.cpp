#include "imagelib/drawing/lines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace sprocket {

namespace {

int Sign(std::int64_t value) { return (value > 0) - (value < 0); }

// Differences of 32-bit coordinates can exceed 32 bits; the walker keeps
// 32-bit fields, so they are limited (lines that long are clipped first).
std::int32_t Narrow(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min() / 2,
                                                            std::numeric_limits<std::int32_t>::max() / 2));
}

// One boundary test of the Liang-Barsky clipper (CLIPt): narrows the
// parameter range [tE, tL] or answers false when the segment lies outside.
bool ClipTest(double denominator, double numerator, double& tE, double& tL) {
  if (denominator > 0) {
    const double t = numerator / denominator;
    if (t > tL) return false;
    if (t > tE) tE = t;
  } else if (denominator < 0) {
    const double t = numerator / denominator;
    if (t < tE) return false;
    if (t < tL) tL = t;
  } else if (numerator > 0) {
    return false;
  }
  return true;
}

struct ClipWindow {
  double xMax, yMax, xMin, yMin;
};

// The part of the segment from (x1, y1) along (dx, dy) inside the window, as
// parameters 0 <= tE <= tL <= 1; false when none.
bool ClipParameters(double x1, double y1, double dx, double dy, const ClipWindow& window, double& tE, double& tL) {
  tE = 0.0;
  tL = 1.0;
  return ClipTest(dx, window.xMin - x1, tE, tL) && ClipTest(-dx, x1 - window.xMax, tE, tL) &&
         ClipTest(dy, window.yMin - y1, tE, tL) && ClipTest(-dy, y1 - window.yMax, tE, tL);
}

std::int32_t MoveRounded(std::int32_t from, double distance, double t) {
  const double moved = std::floor(distance * t + 0.5);
  return static_cast<std::int32_t>(std::clamp<double>(from + moved, std::numeric_limits<std::int32_t>::min(),
                                                      std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void LineWalker::Init(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  const std::int64_t dx = static_cast<std::int64_t>(x2) - x1;
  const std::int64_t dy = static_cast<std::int64_t>(y2) - y1;
  const std::int32_t adx = Narrow(std::llabs(dx));
  const std::int32_t ady = Narrow(std::llabs(dy));
  xStep = Sign(dx);
  yStep = Sign(dy);
  diagonal = (xStep != 0 && yStep != 0) ? 1 : 0;
  if (ady > adx) {
    major = ady;
    minor = adx;
    yMajor = 1;
  } else {
    major = adx;
    minor = ady;
    yMajor = 0;
  }
  error = 2 * minor - major;
  x = x1;
  y = y1;
  count = 0;
  done = 0;
}

void LineWalker::Step() {
  if (count >= major) {
    done = 1;
    return;
  }
  if (diagonal != 0 && error >= 0) {
    if (yMajor != 0) {
      x += xStep;
    } else {
      y += yStep;
    }
    error -= 2 * major;
  }
  if (yMajor != 0) {
    y += yStep;
  } else {
    x += xStep;
  }
  error += 2 * minor;
  ++count;
}

void LineWalker::StepUntil(int axis) {
  for (;;) {
    const std::int32_t before = axis == 0 ? x : y;
    Step();
    if (done != 0) return;
    if ((axis == 0 ? x : y) != before) return;
  }
}

void LineWalker::RunEnd(int axis) {
  // The point before the step that moves along the axis, with the walker's
  // state at that point, so that stepping on continues the line.
  for (;;) {
    const LineWalker before = *this;
    Step();
    if (done != 0) {
      done = 0;
      return;
    }
    if ((axis == 0 ? x : y) != (axis == 0 ? before.x : before.y)) {
      *this = before;
      return;
    }
  }
}

void ClipLine(DibPoint& p1, DibPoint& p2, int& visible, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
              std::int32_t yMin) {
  const double dx = static_cast<double>(p2.x) - p1.x;
  const double dy = static_cast<double>(p2.y) - p1.y;
  visible = 0;
  if (dx == 0 && dy == 0 && p1.x >= xMin && p1.x <= xMax && p1.y >= yMin && p1.y <= yMax) {
    visible = 1;
    return;
  }
  double tE = 0;
  double tL = 1;
  if (!ClipParameters(p1.x, p1.y, dx, dy, ClipWindow{double(xMax), double(yMax), double(xMin), double(yMin)}, tE, tL)) {
    return;
  }
  visible = 1;
  // Both ends are measured from the unclipped first point.
  const DibPoint start = p1;
  if (tL < 1) {
    p2.x = MoveRounded(start.x, dx, tL);
    p2.y = MoveRounded(start.y, dy, tL);
  }
  if (tE > 0) {
    p1.x = MoveRounded(start.x, dx, tE);
    p1.y = MoveRounded(start.y, dy, tE);
  }
}

bool ClipLineByValue(DibPoint p1, DibPoint p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
                     std::int32_t yMin) {
  int visible = 0;
  ClipLine(p1, p2, visible, xMax, yMax, xMin, yMin);
  return visible != 0;
}

void ClipLineNoFlag(DibPoint& p1, DibPoint& p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
                    std::int32_t yMin) {
  int visible = 0;
  ClipLine(p1, p2, visible, xMax, yMax, xMin, yMin);
}

int ClipLineF(DibPointF& p1, DibPointF& p2, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin,
              std::int32_t yMin) {
  const double dx = static_cast<double>(p2.x) - p1.x;
  const double dy = static_cast<double>(p2.y) - p1.y;
  if (dx == 0 && dy == 0 && PointInWindow(p1.x, p1.y, xMax, yMax, xMin, yMin)) return 1;
  double tE = 0;
  double tL = 1;
  if (!ClipParameters(p1.x, p1.y, dx, dy, ClipWindow{double(xMax), double(yMax), double(xMin), double(yMin)}, tE, tL)) {
    return 0;
  }
  const DibPointF start = p1;
  if (tL < 1) {
    p2.x = static_cast<float>(start.x + dx * tL);
    p2.y = static_cast<float>(start.y + dy * tL);
  }
  if (tE > 0) {
    p1.x = static_cast<float>(start.x + dx * tE);
    p1.y = static_cast<float>(start.y + dy * tE);
  }
  return 1;
}

bool PointInWindow(float x, float y, std::int32_t xMax, std::int32_t yMax, std::int32_t xMin, std::int32_t yMin) {
  return static_cast<double>(x) >= xMin && static_cast<double>(x) <= xMax && static_cast<double>(y) >= yMin &&
         static_cast<double>(y) <= yMax;
}

DibResult DrawLine(CDibImage& image, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                   COLORREF color) {
  const DibResult locked = image.LockBits();
  if (locked != kDibDone) return locked;
  const BgrPixel pixel = ColorRefToBgr(color);
  const DibPoint max = image.GetMaxXY();
  DibPoint p1{x1, y1};
  DibPoint p2{x2, y2};
  int visible = 0;
  ClipLine(p1, p2, visible, max.x, max.y, 0, 0);
  if (visible != 0) {
    LineWalker walker;
    walker.Init(p1.x, p1.y, p2.x, p2.y);
    do {
      // The clipped ends lie inside; the test keeps a rounding slip harmless.
      if (walker.x >= 0 && walker.x <= max.x && walker.y >= 0 && walker.y <= max.y) {
        image.SetPixelLocked(DibPoint{walker.x, walker.y}, pixel);
      }
      walker.Step();
    } while (walker.done == 0);
  }
  image.Unlock();
  return kDibDone;
}

DibResult FillLines(CDibImage& image, std::int32_t x2, std::int32_t y2, std::int32_t x1, std::int32_t y1,
                    COLORREF color) {
  for (std::int32_t y = y1; y <= y2; ++y) {
    const DibResult result = DrawLine(image, x1, y, x2, y, color);
    if (result != kDibDone) return result;
    if (y == y2) break;  // y2 may be the largest 32-bit value
  }
  return kDibDone;
}

}  // namespace sprocket
