#pragma once
// Gradient fills of a rectangle in twelve styles, planned as a list of
// solid shapes so that a picture here and a device context of the editor
// paint the same steps.
//
// Coordinates are device coordinates: y = 0 is the top row. Every step is
// clipped to the rectangle (x1, y1)-(x2, y2) (right and bottom exclusive).

#include <cstdint>
#include <functional>
#include <vector>

#include "imagelib/dib_image.h"
#include "imagelib/pixel_types.h"

namespace sprocket {

enum class GradientShape {
  kRectangle,  // pixels left..right-1, top..bottom-1
  kDiagonal,   // a 45-degree pen line from (left, top) to (right, bottom), both ends drawn
  kEllipse,    // the filled ellipse in the box left..right, top..bottom
};

struct GradientStep {
  GradientShape shape = GradientShape::kRectangle;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  COLORREF colour = 0;

  friend bool operator==(const GradientStep&, const GradientStep&) = default;
};

// Each channel c1 + (c2 - c1) x step / steps, computed in floating point and
// truncated.
COLORREF GradientColour(COLORREF first, COLORREF second, std::int32_t step, std::int32_t steps);

// The steps of a style, in drawing order, with w = x2 - x1, h = y2 - y1:
//  0  the rectangle in colour 2
//  1  rows y1 + i (i < h) in colour(i, h)
//  2  half = h / 2: rows y1 + i (i < half) and y1 + h - i (i <= half) in
//     colour(i, half): colour 1 at both edges, colour 2 in the middle (for an
//     odd h also row y1 + half, which neither run reaches)
//  3  third = h / 3: third rows in colour 1, third rows graded, third rows in colour 2
//  4  diagonal lines x + y = k across the rectangle in colour(k, w + h - 1)
//  5-8  one-pixel lines from the left, right, top and bottom edge, graded
//  9, 10  columns as the rows of styles 1 and 2
//  11 white, then concentric ellipses about the centre from half the
//     diagonal inwards (at most 256), colour 1 outside to colour 2 inside
// Nothing for another style or an empty rectangle.
std::vector<GradientStep> PlanGradientFill(COLORREF first, COLORREF second, std::int32_t x1, std::int32_t y1,
                                           std::int32_t x2, std::int32_t y2, std::int32_t style);

// Receives one run of pixels [from, to) of device row y in one colour.
using GradientSpanFunction = std::function<void(std::int32_t y, std::int32_t from, std::int32_t to, COLORREF colour)>;

// The runs of pixels the steps cover, in drawing order, clipped to `clip`
// (a rectangle step): what every target paints, so that all paint alike.
// An ellipse covers the pixels whose centres lie inside it; a diagonal the
// pixels of both its ends and between.
void ForEachGradientSpan(const std::vector<GradientStep>& steps, const GradientStep& clip,
                         const GradientSpanFunction& emit);

// Paints steps into a 24-bit picture, clipped to it and to `clip` (a step
// list's rectangle), in device coordinates (the picture's last memory row
// is y = 0).
DibResult PaintGradientSteps(CDibImage& picture, const std::vector<GradientStep>& steps, const GradientStep& clip);

// Plans and paints a gradient into the picture.
DibResult GradientFillDib(CDibImage& picture, COLORREF first, COLORREF second, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2, std::int32_t style);

}  // namespace sprocket
