#pragma once
// Rotation of points about a centre.

#include "imagelib/quadmap/quad_types.h"

namespace sprocket {

// (x, y) rotated by `radians` about (centreX, centreY):
// x' = (x - cx) cos - (y - cy) sin + cx + 0.5, y' = (x - cx) sin + (y - cy) cos + cy + 0.5,
// both truncated.
QuadPoint RotatePoint(double x, double y, double centreX, double centreY, double radians);

// The angle in radians, 0 up to 2 pi, of the line from `centre` to `point`:
// pi / 2 or 3 pi / 2 on a vertical line, 0 or pi on a horizontal one, 0 when
// the two coincide.
double AngleOfLine(QuadPoint centre, QuadPoint point);

// Turns the three points about `centre` so that the line to `first` points
// at `newAngle` (radians). `angle` is the line's current angle; when it is
// within 0.01 of 0 it is measured from the points first. On return `angle`
// holds `newAngle`.
void RotatePointsAbout(QuadPoint centre, QuadPoint& first, QuadPoint& second, QuadPoint& third, double& angle,
                       double newAngle);

}  // namespace sprocket
