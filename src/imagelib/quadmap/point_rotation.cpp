#include "imagelib/quadmap/point_rotation.h"

#include <cmath>
#include <initializer_list>

namespace sprocket {

QuadPoint RotatePoint(double x, double y, double centreX, double centreY, double radians) {
  const double cosine = std::cos(radians);
  const double sine = std::sin(radians);
  const double dx = x - centreX;
  const double dy = y - centreY;
  return QuadPoint{static_cast<std::int32_t>(dx * cosine - dy * sine + centreX + 0.5),
                   static_cast<std::int32_t>(dx * sine + dy * cosine + centreY + 0.5)};
}

double AngleOfLine(QuadPoint centre, QuadPoint point) {
  const double dx = static_cast<double>(point.x) - centre.x;
  const double dy = static_cast<double>(point.y) - centre.y;
  if (dx == 0) {
    if (dy == 0) return 0;
    return dy > 0 ? kHalfPi : kThreeHalfPi;
  }
  if (dy == 0) return dx > 0 ? 0 : kPi;
  const double angle = std::atan(dy / dx);
  if (dx < 0) return angle + kPi;
  return dy < 0 ? angle + kTwoPi : angle;
}

void RotatePointsAbout(QuadPoint centre, QuadPoint& first, QuadPoint& second, QuadPoint& third, double& angle,
                       double newAngle) {
  // Unturned points (angle 0) turn by the new angle itself; turned ones by
  // the difference to the angle they stand at now, measured, so that the
  // truncations of earlier turns do not add up.
  angle = std::fabs(angle) < kAngleEpsilon ? 0.0 : AngleOfLine(centre, first);
  const double turn = newAngle - angle;
  for (QuadPoint* point : {&first, &second, &third}) {
    *point = RotatePoint(point->x, point->y, centre.x, centre.y, turn);
  }
  angle = newAngle;
}

}  // namespace sprocket
