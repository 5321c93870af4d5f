#include "libs/transitionrender/grey_maps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "imagelib/dib_header.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/pattern_hash.h"

namespace sprocket {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::uint8_t ToGrey(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 1.0) return 255;
  return static_cast<std::uint8_t>(v * 256.0);
}

// The clockwise angle from twelve o'clock of a point relative to the centre
// (y grows upwards), as a fraction of a turn in [0, 1).
double ClockFraction(double px, double py) {
  double angle = std::atan2(px, py);
  if (angle < 0.0) angle += kTwoPi;
  const double fraction = angle / kTwoPi;
  return fraction >= 1.0 ? 0.0 : fraction;
}

// Smooth value noise in [0, 1] on a lattice of `cell` pixels.
double ValueNoise(double x, double y, double cell, std::uint32_t seed) {
  const double gx = x / cell;
  const double gy = y / cell;
  const double fx = std::floor(gx);
  const double fy = std::floor(gy);
  const auto ix = static_cast<std::uint32_t>(static_cast<std::int64_t>(fx));
  const auto iy = static_cast<std::uint32_t>(static_cast<std::int64_t>(fy));
  auto corner = [&](std::uint32_t dx, std::uint32_t dy) { return PatternFraction(ix + dx, iy + dy, seed); };
  auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
  const double u = smooth(gx - fx);
  const double v = smooth(gy - fy);
  const double bottom = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * u;
  const double top = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * u;
  return bottom + (top - bottom) * v;
}

// Four octaves of value noise. The clouds are smooth at the scale of a few
// pixels, so the noise is taken on a grid of kCloudStep pixels and the
// pixels between are interpolated.
std::vector<std::uint8_t> CloudMap(const EffectValues& values, std::int32_t width, std::int32_t height) {
  constexpr std::int32_t kCloudStep = 4;
  const double base = std::max(2.0, std::max(width, height) * values[3] / 100.0);
  const auto seed = static_cast<std::uint32_t>(values[4]);
  const std::int32_t gridW = width / kCloudStep + 2;
  const std::int32_t gridH = height / kCloudStep + 2;
  std::vector<double> grid(static_cast<std::size_t>(gridW) * static_cast<std::size_t>(gridH));
  for (std::int32_t j = 0; j < gridH; ++j) {
    for (std::int32_t i = 0; i < gridW; ++i) {
      double sum = 0.0;
      double amplitude = 1.0;
      double cell = base;
      for (int octave = 0; octave < 4; ++octave) {
        sum += amplitude *
               ValueNoise(i * kCloudStep, j * kCloudStep, cell, seed + static_cast<std::uint32_t>(octave) * 101u);
        amplitude *= 0.5;
        cell = std::max(1.0, cell * 0.5);
      }
      grid[static_cast<std::size_t>(j) * static_cast<std::size_t>(gridW) + static_cast<std::size_t>(i)] = sum;
    }
  }
  std::vector<double> field;
  field.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  double low = 1e9;
  double high = -1e9;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::int32_t j = y / kCloudStep;
    const double v = (y % kCloudStep) / static_cast<double>(kCloudStep);
    const double* bottom = grid.data() + static_cast<std::ptrdiff_t>(j) * gridW;
    const double* top = bottom + gridW;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::int32_t i = x / kCloudStep;
      const double u = (x % kCloudStep) / static_cast<double>(kCloudStep);
      const double lower = bottom[i] + (bottom[i + 1] - bottom[i]) * u;
      const double upper = top[i] + (top[i + 1] - top[i]) * u;
      const double value = lower + (upper - lower) * v;
      field.push_back(value);
      low = std::min(low, value);
      high = std::max(high, value);
    }
  }
  std::vector<std::uint8_t> map(field.size());
  const double span = high > low ? high - low : 1.0;
  for (std::size_t k = 0; k < field.size(); ++k) map[k] = ToGrey((field[k] - low) / span);
  return map;
}

}  // namespace

std::vector<std::uint8_t> MakeGreyMap(std::int32_t transitionId, const EffectValues& values, std::int32_t width,
                                      std::int32_t height) {
  using namespace effect_id;
  if (width < 1 || height < 1) return {};
  if (transitionId < kSoftLeftToRight || transitionId > kSoftRings) return {};
  if (transitionId == kSoftClouds) return CloudMap(values, width, height);

  const double w = width;
  const double h = height;
  const double rMax = std::hypot(w / 2.0, h / 2.0);
  std::vector<std::uint8_t> map;
  map.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y) {
    const double fromBottom = y + 0.5;
    const double fromTop = h - fromBottom;
    const double py = fromBottom - h / 2.0;
    for (std::int32_t x = 0; x < width; ++x) {
      const double X = x + 0.5;
      const double px = X - w / 2.0;
      const double r = std::sqrt(px * px + py * py) / rMax;
      double v = 0.0;
      switch (transitionId) {
        case kSoftLeftToRight:
          v = X / w;
          break;
        case kSoftTopToBottom:
          v = fromTop / h;
          break;
        case kSoftDiagonal:
          v = (X / w + fromTop / h) / 2.0;
          break;
        case kSoftCircle:
          v = r;
          break;
        case kSoftClock:
          v = ClockFraction(px, py);
          break;
        case kSoftDiamond:
          v = (std::fabs(px) / (w / 2.0) + std::fabs(py) / (h / 2.0)) / 2.0;
          break;
        case kSoftBlinds: {
          const double band = fromTop * values[3] / h;
          v = band - std::floor(band);
          break;
        }
        case kSoftSpiral: {
          const double turns = values[3];
          v = (ClockFraction(px, py) + turns * r) / (turns + 1.0);
          break;
        }
        case kSoftStar: {
          const double angle = std::atan2(px, py);
          v = r * (0.5 + 0.25 * (1.0 - std::cos(values[3] * angle)));
          break;
        }
        case kSoftRings: {
          const double ring = r * values[3];
          v = ring - std::floor(ring);
          break;
        }
        default:
          break;
      }
      map.push_back(ToGrey(v));
    }
  }
  return map;
}

HGLOBAL MakeGreyMapDib(std::int32_t transitionId, std::int32_t width, std::int32_t height) {
  const EffectDescriptor* effect = FindTransition(transitionId);
  if (effect == nullptr) return nullptr;
  const std::vector<std::uint8_t> map =
      MakeGreyMap(transitionId, ResolveEffectValues(*effect, nullptr, 0.0f), width, height);
  if (map.empty()) return nullptr;
  const std::int32_t stride = PaddedStride8(width);
  GlobalBlock block = GlobalBlock::Allocate(static_cast<std::size_t>(kDibMaskPixelOffset) +
                                            static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  if (!block) return nullptr;
  {
    GlobalLockGuard<std::uint8_t> bytes(block.get());
    if (!bytes) return nullptr;
    DibInfoHeader header = MakeDib24Header(width, height);
    header.biBitCount = 8;
    header.biClrUsed = 256;
    header.biSizeImage = static_cast<std::uint32_t>(stride) * static_cast<std::uint32_t>(height);
    WriteDibHeader(bytes.get(), header);
    for (int i = 0; i < 256; ++i) {
      std::uint8_t* entry = bytes.get() + kDibHeaderSize + i * 4;
      entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
    }
    for (std::int32_t y = 0; y < height; ++y) {
      std::copy_n(map.begin() + static_cast<std::ptrdiff_t>(y) * width, width,
                  bytes.get() + kDibMaskPixelOffset + static_cast<std::ptrdiff_t>(y) * stride);
    }
  }
  return block.release();
}

}  // namespace sprocket
