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

// Turns the three points about `centre` to `newAngle` (radians). `angle`
// says how they stand: within 0.01 of 0 they are unturned and turn by
// `newAngle`; otherwise they stand at the angle of the line from `centre` to
// `first`, which is measured, and turn by the difference, so that that line
// then points at `newAngle`. On return `angle` holds `newAngle`.
void RotatePointsAbout(QuadPoint centre, QuadPoint& first, QuadPoint& second, QuadPoint& third, double& angle,
                       double newAngle);

}  // namespace sprocket
