#include "imagelib/quadmap/quad_map.h"

#include <cmath>
#include <vector>

#include "imagelib/dib_geometry.h"
#include "imagelib/quadmap/chunked_memory.h"
#include "imagelib/quadmap/point_rotation.h"

namespace sprocket {

namespace {

std::optional<PictureGeometry> MappableGeometry(const std::uint8_t* dib) {
  std::optional<PictureGeometry> geometry = ReadPictureGeometry(dib);
  if (!geometry || (geometry->bitCount != 8 && geometry->bitCount != 24)) return std::nullopt;
  return geometry;
}

}  // namespace

std::int32_t MapRectToQuad(const QuadCorners& destination, const QuadCorners& source, std::uint8_t* dib,
                           std::int32_t option) {
  const std::optional<PictureGeometry> picture = MappableGeometry(dib);
  if (!picture) return -1;
  const std::size_t pixelBytes = static_cast<std::size_t>(picture->stride) * picture->height;
  std::vector<std::uint8_t> copy;
  try {
    copy.assign(picture->pixels, picture->pixels + pixelBytes);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  PictureGeometry original = *picture;
  original.pixels = copy.data();
  if ((option & kQuadClearFirst) != 0) HugeFill64K(picture->pixels, 0, static_cast<std::int64_t>(pixelBytes));
  ScanQuadPixels(*picture, original, destination, source, static_cast<QuadSampling>(option & kQuadSamplingMask));
  return 0;
}

QuadCorners RotatedRectangle(std::int32_t width, std::int32_t height, double degrees, double centreX, double centreY) {
  const QuadCorners rectangle = RectangleCorners(width, height);
  QuadCorners rotated;
  for (int i = 0; i < 4; ++i) {
    const QuadPoint corner = RotatePoint(rectangle.x[i], rectangle.y[i], centreX, centreY, degrees * kDegreesToRadians);
    rotated.x[i] = corner.x;
    rotated.y[i] = corner.y;
  }
  return rotated;
}

std::int32_t RotateDib(double degrees, double centreX, double centreY, std::uint8_t* dib, std::int32_t option) {
  const std::optional<PictureGeometry> picture = MappableGeometry(dib);
  if (!picture) return -1;
  if (std::fabs(degrees) < kAngleEpsilon) return 0;
  return MapRectToQuad(RotatedRectangle(picture->width, picture->height, degrees, centreX, centreY),
                       RectangleCorners(picture->width, picture->height), dib, option);
}

}  // namespace sprocket
