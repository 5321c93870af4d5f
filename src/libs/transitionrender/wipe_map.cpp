#include "libs/transitionrender/wipe_map.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectcatalog/pattern_hash.h"
#include "libs/transitionrender/grey_maps.h"

namespace sprocket {

namespace {

using namespace effect_id;

constexpr double kPi = std::numbers::pi;

std::uint16_t ToLevel(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 1.0) return 65535;
  const auto level = static_cast<std::uint32_t>(v * 65536.0);
  return static_cast<std::uint16_t>(level > 65535 ? 65535 : level);
}

double Fraction(double v) { return v - std::floor(v); }

double ClockFraction(double px, double py) {
  double angle = std::atan2(px, py);
  if (angle < 0.0) angle += 2.0 * kPi;
  const double fraction = angle / (2.0 * kPi);
  return fraction >= 1.0 ? 0.0 : fraction;
}

// Maps whose levels change only across (the same in every row) or only up
// (the same along a row) are worked out once a row or once a map.
bool ChangesOnlyAcross(std::int32_t id) {
  return id == kWipeLeftToRight || id == kWipeRightToLeft || id == kBarnDoorOpenHorizontal ||
         id == kBarnDoorCloseHorizontal || id == kBlindsVertical;
}

bool ChangesOnlyUp(std::int32_t id) {
  return id == kWipeTopToBottom || id == kWipeBottomToTop || id == kBarnDoorOpenVertical ||
         id == kBarnDoorCloseVertical || id == kBlindsHorizontal || id == kRandomBars;
}

bool IsGreyMapTransition(std::int32_t id) {
  return id == kLuminanceDissolve || (id >= kSoftLeftToRight && id <= kGreyMapWipe);
}

}  // namespace

bool WipeMap::Draws(std::int32_t id) {
  return id == kRandomDissolve || id == kLuminanceDissolve || (id >= kWipeLeftToRight && id <= kWipeFromBottomRight) ||
         (id >= kBarnDoorOpenHorizontal && id <= kBarnDoorCloseVertical) || (id >= kIrisBoxOut && id <= kIrisStarOut) ||
         (id >= kClockClockwise && id <= kRadialFromCorner) || (id >= kBlindsHorizontal && id <= kRandomBars) ||
         (id >= kCornerTopLeft && id <= kCornerBottomRight) || (id >= kSoftLeftToRight && id <= kGreyMapWipe);
}

WipeMap::WipeMap(std::int32_t id, const EffectValues& values, const EffectFilter* filter, const PictureView& a,
                 const PictureView& b, std::int32_t width, std::int32_t height)
    : id_(id), values_(values), width_(width), height_(height) {
  if (width < 1 || height < 1) return;
  if (id == kLuminanceDissolve) {
    if (a) grey_ = LumaOf(a);
  } else if (id == kGreyMapWipe) {
    if (filter != nullptr && !filter->pictures.empty()) grey_ = ReadGreyLevels(filter->pictures.front(), width, height);
    if (grey_.empty() && b) grey_ = LumaOf(b);
  } else if (IsGreyMapTransition(id)) {
    grey_ = MakeGreyMap(id, values, width, height);
  } else if (id == kSpiralBoxes) {
    MakeSpiralOrder();
  } else if (ChangesOnlyAcross(id)) {
    columnLevels_.resize(static_cast<std::size_t>(width));
    RowOfGeometry(0, columnLevels_.data(), width);
  }
  if (IsGreyMapTransition(id)) {
    if (grey_.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
      grey_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    }
    // "Bright parts first" reads the map the other way round.
    const bool inverted = (id == kLuminanceDissolve || id == kGreyMapWipe) && values[3] == 1;
    if (inverted) {
      for (std::uint8_t& level : grey_) level = static_cast<std::uint8_t>(255 - level);
    }
  }
}

void WipeMap::MakeSpiralOrder() {
  const std::int32_t block = std::max(1, values_[3]);
  blockColumns_ = (width_ + block - 1) / block;
  blockRows_ = (height_ + block - 1) / block;
  order_.assign(static_cast<std::size_t>(blockColumns_) * static_cast<std::size_t>(blockRows_), 0);
  // Walk the blocks clockwise from the top-left corner, ring by ring; block
  // rows count from the top.
  std::int32_t left = 0, right = blockColumns_ - 1, top = 0, bottom = blockRows_ - 1;
  std::int32_t next = 0;
  auto place = [&](std::int32_t column, std::int32_t row) {
    order_[static_cast<std::size_t>(row) * static_cast<std::size_t>(blockColumns_) + static_cast<std::size_t>(column)] =
        next++;
  };
  while (left <= right && top <= bottom) {
    for (std::int32_t c = left; c <= right; ++c) place(c, top);
    for (std::int32_t r = top + 1; r <= bottom; ++r) place(right, r);
    if (top < bottom) {
      for (std::int32_t c = right - 1; c >= left; --c) place(c, bottom);
    }
    if (left < right) {
      for (std::int32_t r = bottom - 1; r > top; --r) place(left, r);
    }
    ++left;
    --right;
    ++top;
    --bottom;
  }
}

void WipeMap::Row(std::int32_t y, std::uint16_t* levels) const {
  if (!grey_.empty()) {
    const std::uint8_t* row = grey_.data() + static_cast<std::ptrdiff_t>(y) * width_;
    for (std::int32_t x = 0; x < width_; ++x) levels[x] = static_cast<std::uint16_t>(row[x] * 257);
    return;
  }
  if (!columnLevels_.empty()) {
    std::copy(columnLevels_.begin(), columnLevels_.end(), levels);
    return;
  }
  if (ChangesOnlyUp(id_)) {
    RowOfGeometry(y, levels, 1);
    std::fill(levels + 1, levels + width_, levels[0]);
    return;
  }
  RowOfGeometry(y, levels, width_);
}

void WipeMap::RowOfGeometry(std::int32_t y, std::uint16_t* levels, std::int32_t count) const {
  const double w = width_;
  const double h = height_;
  const double fromBottom = y + 0.5;
  const double fromTop = h - fromBottom;
  const double py = fromBottom - h / 2.0;  // up from the centre
  const double dy = std::fabs(py) / (h / 2.0);
  const double rMax = std::hypot(w / 2.0, h / 2.0);
  const std::int32_t block = std::max(1, values_[3]);
  const auto seed = static_cast<std::uint32_t>(values_[4]);
  const std::int32_t rowFromTop = height_ - 1 - y;

  for (std::int32_t x = 0; x < count; ++x) {
    const double X = x + 0.5;
    const double px = X - w / 2.0;
    const double dx = std::fabs(px) / (w / 2.0);
    double v = 0.0;
    switch (id_) {
      case kRandomDissolve:
      case kRandomBlocks:
        v = PatternFraction(static_cast<std::uint32_t>(x / block), static_cast<std::uint32_t>(rowFromTop / block),
                            seed);
        break;
      case kRandomBars:
        v = PatternFraction(static_cast<std::uint32_t>(rowFromTop / block), 0u, seed);
        break;
      case kWipeLeftToRight:
        v = X / w;
        break;
      case kWipeRightToLeft:
        v = (w - X) / w;
        break;
      case kWipeTopToBottom:
        v = fromTop / h;
        break;
      case kWipeBottomToTop:
        v = fromBottom / h;
        break;
      case kWipeFromTopLeft:
        v = (X / w + fromTop / h) / 2.0;
        break;
      case kWipeFromTopRight:
        v = ((w - X) / w + fromTop / h) / 2.0;
        break;
      case kWipeFromBottomLeft:
        v = (X / w + fromBottom / h) / 2.0;
        break;
      case kWipeFromBottomRight:
        v = ((w - X) / w + fromBottom / h) / 2.0;
        break;
      case kBarnDoorOpenHorizontal:
        v = dx;
        break;
      case kBarnDoorCloseHorizontal:
        v = 1.0 - dx;
        break;
      case kBarnDoorOpenVertical:
        v = dy;
        break;
      case kBarnDoorCloseVertical:
        v = 1.0 - dy;
        break;
      case kIrisBoxOut:
        v = std::max(dx, dy);
        break;
      case kIrisBoxIn:
        v = 1.0 - std::max(dx, dy);
        break;
      case kIrisCircleOut:
        v = std::sqrt(px * px + py * py) / rMax;
        break;
      case kIrisCircleIn:
        v = 1.0 - std::sqrt(px * px + py * py) / rMax;
        break;
      case kIrisDiamondOut:
        v = (dx + dy) / 2.0;
        break;
      case kIrisDiamondIn:
        v = 1.0 - (dx + dy) / 2.0;
        break;
      case kIrisCrossOut:
        v = std::min(dx, dy);
        break;
      case kIrisCrossIn:
        v = 1.0 - std::min(dx, dy);
        break;
      case kIrisStarOut:
        v = std::sqrt(px * px + py * py) / rMax * (0.5 + 0.25 * (1.0 - std::cos(5.0 * std::atan2(px, py))));
        break;
      case kClockClockwise:
        v = ClockFraction(px, py);
        break;
      case kClockCounterClockwise:
        v = ClockFraction(-px, py);
        break;
      case kFanFromTop:
        v = std::atan2(fromTop, -px) / kPi;
        break;
      case kFanFromBottom:
        v = std::atan2(fromBottom, -px) / kPi;
        break;
      case kDoubleFan:
        v = Fraction(ClockFraction(px, py) * 2.0);
        break;
      case kRadialFromCorner:
        v = std::atan2(fromBottom, X) / (kPi / 2.0);
        break;
      case kBlindsHorizontal:
        v = Fraction(fromTop * values_[3] / h);
        break;
      case kBlindsVertical:
        v = Fraction(X * values_[3] / w);
        break;
      case kDiagonalBlinds:
        v = Fraction((X + fromTop) * values_[3] / (w + h));
        break;
      case kCheckerboard: {
        const double cell = w / std::max(1, values_[3]);
        const auto column = static_cast<std::int64_t>(X / cell);
        const auto row = static_cast<std::int64_t>(fromTop / cell);
        v = (static_cast<double>((column + row) & 1) + Fraction(X / cell)) / 2.0;
        break;
      }
      case kZigZagBlocks: {
        const std::int32_t columns = (width_ + block - 1) / block;
        const std::int32_t rows = (height_ + block - 1) / block;
        const std::int32_t row = rowFromTop / block;
        const std::int32_t column = x / block;
        const std::int32_t blockWidth = std::min(block, width_ - column * block);
        double across = (x - column * block + 0.5) / blockWidth;
        std::int32_t place = column;
        if (row % 2 == 1) {
          place = columns - 1 - column;
          across = 1.0 - across;
        }
        v = (static_cast<double>(row) * columns + place + across) / (static_cast<double>(columns) * rows);
        break;
      }
      case kSpiralBoxes: {
        const std::int32_t row = rowFromTop / block;
        const std::int32_t column = x / block;
        const std::int32_t place = order_[static_cast<std::size_t>(row) * static_cast<std::size_t>(blockColumns_) +
                                          static_cast<std::size_t>(column)];
        v = (place + 0.5) / static_cast<double>(order_.size());
        break;
      }
      case kCornerTopLeft:
        v = std::max(X / w, fromTop / h);
        break;
      case kCornerTopLeft + 1:
        v = std::max((w - X) / w, fromTop / h);
        break;
      case kCornerTopLeft + 2:
        v = std::max(X / w, fromBottom / h);
        break;
      case kCornerBottomRight:
        v = std::max((w - X) / w, fromBottom / h);
        break;
      default:
        break;
    }
    levels[x] = ToLevel(v);
  }
}

WipeThreshold WipeThreshold::At(float percent, std::int32_t softness) {
  WipeThreshold threshold;
  const std::int32_t limited = std::clamp(softness, 0, 100);
  threshold.soft = static_cast<std::int64_t>(limited) * 65536 / 100;
  const double fraction = ClampPercent(percent) / 100.0;
  threshold.level = std::llround(fraction * static_cast<double>(65536 + threshold.soft));
  return threshold;
}

}  // namespace sprocket
