// Filters that move pixels: flips, rotation, pan and zoom, mirrors, the
// ripple and twirl distortions and the repetition wall. Pixels are taken
// whole from the nearest source position; the alpha moves with them.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "libs/effectprepare/effect_prepare.h"
#include "libs/filterrender/filter_kernels.h"

namespace sprocket {

namespace {

constexpr double kPi = std::numbers::pi;

SourcePoint Nearest(double x, double y, std::int32_t width, std::int32_t height) {
  if (!(x >= 0.0) || !(y >= 0.0) || x >= width || y >= height) return {};
  return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

}  // namespace

int FlipHorizontalFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  return RemapPixels(frame, [w](std::int32_t x, std::int32_t y) { return SourcePoint{w - 1 - x, y}; });
}

int FlipVerticalFilter(const FilterFrame& frame) {
  const std::int32_t h = frame.source.height;
  return RemapPixels(frame, [h](std::int32_t x, std::int32_t y) { return SourcePoint{x, h - 1 - y}; });
}

int RotateFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const std::int32_t degrees = frame.values[0];
  // Whole quarter turns of a square picture map pixels exactly.
  const double angle = degrees * kPi / 180.0;
  const double cosine = degrees % 90 == 0 ? std::round(std::cos(angle)) : std::cos(angle);
  const double sine = degrees % 90 == 0 ? std::round(std::sin(angle)) : std::sin(angle);
  const double cx = w / 2.0;
  const double cy = h / 2.0;
  // Counter-clockwise on screen for positive angles: each destination pixel
  // takes the source pixel turned back by the angle.
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) {
    const double px = x + 0.5 - cx;
    const double py = y + 0.5 - cy;
    return Nearest(px * cosine + py * sine + cx, -px * sine + py * cosine + cy, w, h);
  });
}

int PanZoomFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const double zoom = std::max(100, frame.values[0]) / 100.0;
  const double viewW = w / zoom;
  const double viewH = h / zoom;
  // The window is centred on the chosen point but never leaves the picture.
  const double left = std::clamp(frame.values[1] / 100.0 * w - viewW / 2.0, 0.0, w - viewW);
  const double bottom = std::clamp(frame.values[2] / 100.0 * h - viewH / 2.0, 0.0, h - viewH);
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) {
    return SourcePoint{ClampIndex(static_cast<std::int64_t>(left + (x + 0.5) / zoom), w),
                       ClampIndex(static_cast<std::int64_t>(bottom + (y + 0.5) / zoom), h)};
  });
}

int MirrorFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const int side = frame.values[0];
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) {
    switch (side) {
      case 1:
        return SourcePoint{x < w / 2 ? w - 1 - x : x, y};  // the right half onto the left
      case 2:
        return SourcePoint{x, y >= h - h / 2 ? h - 1 - y : y};  // the bottom onto the top
      case 3:
        return SourcePoint{x, y < h / 2 ? h - 1 - y : y};  // the top onto the bottom
      default:
        return SourcePoint{x >= w - w / 2 ? w - 1 - x : x, y};  // the left half onto the right
    }
  });
}

int RippleFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const double amplitude = frame.values[0];
  const double wavelength = std::max(2, frame.values[1]);
  const bool across = frame.values[2] == 0;
  // The waves travel a quarter of a wavelength a frame.
  const double phase = static_cast<double>(frame.frameNumber % 4096) * kPi / 2.0;
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) {
    if (across) {
      const double shift = amplitude * std::sin(2.0 * kPi * y / wavelength + phase);
      return SourcePoint{ClampIndex(std::llround(x + shift), w), y};
    }
    const double shift = amplitude * std::sin(2.0 * kPi * x / wavelength + phase);
    return SourcePoint{x, ClampIndex(std::llround(y + shift), h)};
  });
}

int TwirlFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const double turn = frame.values[0] * kPi / 180.0;
  const double radius = std::max(1.0, frame.values[1] / 100.0 * std::min(w, h) / 2.0);
  const double cx = w / 2.0;
  const double cy = h / 2.0;
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) {
    const double px = x + 0.5 - cx;
    const double py = y + 0.5 - cy;
    const double r = std::hypot(px, py);
    if (r >= radius) return SourcePoint{x, y};
    const double fall = 1.0 - r / radius;
    const double angle = turn * fall * fall;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return SourcePoint{ClampIndex(static_cast<std::int64_t>(std::floor(px * c - py * s + cx)), w),
                       ClampIndex(static_cast<std::int64_t>(std::floor(px * s + py * c + cy)), h)};
  });
}

// A wall of copies of the picture that leans back: rows near the top of the
// frame lie farther away, so they are narrower and closer together.
int RepetitionFilter(const FilterFrame& frame) {
  const std::int32_t w = frame.source.width;
  const std::int32_t h = frame.source.height;
  const std::int32_t columns = std::max(1, frame.values[0]);
  // Copies keep the picture's shape on the movie's frame (prepared) or on
  // this picture.
  std::int32_t frameWidth = w;
  std::int32_t frameHeight = h;
  if (frame.filter != nullptr) ReadRepetitionLayout(frame.filter->effectData[0], frameWidth, frameHeight);
  if (frameWidth < 1 || frameHeight < 1) {
    frameWidth = w;
    frameHeight = h;
  }
  const std::int32_t rows = std::max(
      1, static_cast<std::int32_t>(std::lround(static_cast<double>(columns) * frameHeight / frameWidth * w / h)));
  const double lean = 2.0 * std::tan(frame.values[1] * kPi / 180.0);
  return RemapPixels(frame, [&](std::int32_t x, std::int32_t y) -> SourcePoint {
    const double up = (y + 0.5) / h;       // 0 at the bottom of the frame
    const double depth = 1.0 + lean * up;  // how far away this row of the wall is
    const double wallY = up * (1.0 + lean) / depth;
    const double wallX = ((x + 0.5) / w - 0.5) * depth + 0.5;
    if (wallX < 0.0 || wallX >= 1.0) return {};
    const double tileX = wallX * columns;
    const double tileY = wallY * rows;
    return SourcePoint{ClampIndex(static_cast<std::int64_t>((tileX - std::floor(tileX)) * w), w),
                       ClampIndex(static_cast<std::int64_t>((tileY - std::floor(tileY)) * h), h)};
  });
}

}  // namespace sprocket
