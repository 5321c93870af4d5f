#include "imagelib/drawing/gradient_fill.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sprocket {

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr std::int32_t kMostEllipses = 256;

struct Plan {
  COLORREF first;
  COLORREF second;
  std::int32_t x1, y1, x2, y2;
  std::vector<GradientStep> steps;

  std::int32_t Width() const { return x2 - x1; }
  std::int32_t Height() const { return y2 - y1; }
  void Row(std::int32_t y, COLORREF colour) { steps.push_back({GradientShape::kRectangle, x1, y, x2, y + 1, colour}); }
  void Column(std::int32_t x, COLORREF colour) {
    steps.push_back({GradientShape::kRectangle, x, y1, x + 1, y2, colour});
  }
  COLORREF At(std::int32_t i, std::int32_t n) const { return GradientColour(first, second, i, n); }
};

// Rows (or columns) graded from both edges to the middle.
template <typename Line>
void FromBothEdges(Plan& plan, std::int32_t start, std::int32_t length, Line line) {
  const std::int32_t half = length / 2;
  if (half == 0) return line(start, plan.first);
  for (std::int32_t i = 0; i < half; ++i) line(start + i, plan.At(i, half));
  for (std::int32_t i = 0; i <= half; ++i) line(start + length - i, plan.At(i, half));
  // An odd length leaves the line just before the middle between the two
  // runs; it belongs to the middle.
  if (length % 2 != 0) line(start + half, plan.second);
}

void Thirds(Plan& plan) {
  const std::int32_t third = plan.Height() / 3;
  if (third == 0) return;
  plan.steps.push_back({GradientShape::kRectangle, plan.x1, plan.y1, plan.x2, plan.y1 + third, plan.first});
  for (std::int32_t i = 0; i < third; ++i) plan.Row(plan.y1 + third + i, plan.At(i, third));
  plan.steps.push_back(
      {GradientShape::kRectangle, plan.x1, plan.y1 + 2 * third, plan.x2, plan.y1 + 3 * third, plan.second});
}

void Diagonals(Plan& plan) {
  const std::int32_t w = plan.Width();
  const std::int32_t h = plan.Height();
  const std::int32_t lines = w + h - 1;
  for (std::int32_t k = 0; k < lines; ++k) {
    const std::int32_t startX = std::min(k, w - 1);
    const std::int32_t endY = std::min(k, h - 1);
    plan.steps.push_back({GradientShape::kDiagonal, plan.x1 + startX, plan.y1 + k - startX, plan.x1 + k - endY,
                          plan.y1 + endY, plan.At(k, lines)});
  }
}

void Ellipses(Plan& plan) {
  plan.steps.push_back({GradientShape::kRectangle, plan.x1, plan.y1, plan.x2, plan.y2, kWhite});
  const double w = plan.Width();
  const double h = plan.Height();
  const double outer = std::sqrt(w * w + h * h) / 2;
  const auto count = std::clamp(static_cast<std::int32_t>(std::ceil(outer)), 1, kMostEllipses);
  const double centreX = (plan.x1 + plan.x2) / 2.0;
  const double centreY = (plan.y1 + plan.y2) / 2.0;
  for (std::int32_t j = 0; j < count; ++j) {
    const double radius = outer * (count - j) / count;
    plan.steps.push_back({GradientShape::kEllipse, static_cast<std::int32_t>(std::lround(centreX - radius)),
                          static_cast<std::int32_t>(std::lround(centreY - radius)),
                          static_cast<std::int32_t>(std::lround(centreX + radius)),
                          static_cast<std::int32_t>(std::lround(centreY + radius)), plan.At(j, count)});
  }
}

// Emits the runs of one step, clipped to the clip rectangle.
class SpanEmitter {
public:
  SpanEmitter(const GradientStep& clip, const GradientSpanFunction& emit) : clip_(clip), emit_(emit) {}

  void Span(std::int32_t y, std::int32_t from, std::int32_t to, COLORREF colour) const {
    if (y < clip_.top || y >= clip_.bottom) return;
    from = std::max(from, clip_.left);
    to = std::min(to, clip_.right);
    if (from < to) emit_(y, from, to, colour);
  }

  void Step(const GradientStep& step) const {
    switch (step.shape) {
      case GradientShape::kRectangle:
        for (std::int32_t y = std::max(step.top, clip_.top); y < std::min(step.bottom, clip_.bottom); ++y) {
          Span(y, step.left, step.right, step.colour);
        }
        break;
      case GradientShape::kDiagonal: {
        const std::int32_t length = std::abs(step.bottom - step.top);
        const std::int32_t dx = step.right >= step.left ? 1 : -1;
        const std::int32_t dy = step.bottom >= step.top ? 1 : -1;
        for (std::int32_t i = 0; i <= length; ++i) {
          const std::int32_t x = step.left + i * dx;
          Span(step.top + i * dy, x, x + 1, step.colour);
        }
        break;
      }
      case GradientShape::kEllipse:
        Ellipse(step);
        break;
    }
  }

private:
  // Pixels whose centres lie inside the ellipse, row by row.
  void Ellipse(const GradientStep& step) const {
    const double radiusX = (step.right - step.left) / 2.0;
    const double radiusY = (step.bottom - step.top) / 2.0;
    if (radiusX <= 0 || radiusY <= 0) return;
    const double centreX = (step.left + step.right) / 2.0;
    const double centreY = (step.top + step.bottom) / 2.0;
    for (std::int32_t y = std::max(step.top, clip_.top); y < std::min(step.bottom, clip_.bottom); ++y) {
      const double across = (y + 0.5 - centreY) / radiusY;
      if (std::fabs(across) > 1) continue;
      const double half = radiusX * std::sqrt(1 - across * across);
      Span(y, static_cast<std::int32_t>(std::ceil(centreX - half - 0.5)),
           static_cast<std::int32_t>(std::ceil(centreX + half - 0.5)), step.colour);
    }
  }

  GradientStep clip_;
  const GradientSpanFunction& emit_;
};

}  // namespace

COLORREF GradientColour(COLORREF first, COLORREF second, std::int32_t step, std::int32_t steps) {
  COLORREF result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double from = (first >> shift) & 0xFF;
    const double to = (second >> shift) & 0xFF;
    const double value = steps == 0 ? from : from + (to - from) * step / steps;
    result |= static_cast<COLORREF>(static_cast<std::uint8_t>(value)) << shift;
  }
  return result;
}

std::vector<GradientStep> PlanGradientFill(COLORREF first, COLORREF second, std::int32_t x1, std::int32_t y1,
                                           std::int32_t x2, std::int32_t y2, std::int32_t style) {
  Plan plan{first, second, x1, y1, x2, y2, {}};
  const std::int32_t w = plan.Width();
  const std::int32_t h = plan.Height();
  if (w < 1 || h < 1) return {};
  auto row = [&plan](std::int32_t y, COLORREF colour) { plan.Row(y, colour); };
  auto column = [&plan](std::int32_t x, COLORREF colour) { plan.Column(x, colour); };
  switch (style) {
    case 0:
      plan.steps.push_back({GradientShape::kRectangle, x1, y1, x2, y2, second});
      break;
    case 1:
      for (std::int32_t i = 0; i < h; ++i) plan.Row(y1 + i, plan.At(i, h));
      break;
    case 2:
      FromBothEdges(plan, y1, h, row);
      break;
    case 3:
      Thirds(plan);
      break;
    case 4:
      Diagonals(plan);
      break;
    case 5:
      for (std::int32_t i = 0; i < w; ++i) plan.Column(x1 + i, plan.At(i, w));
      break;
    case 6:
      for (std::int32_t i = 0; i < w; ++i) plan.Column(x2 - 1 - i, plan.At(i, w));
      break;
    case 7:
      for (std::int32_t i = 0; i < h; ++i) plan.Row(y1 + i, plan.At(i, h));
      break;
    case 8:
      for (std::int32_t i = 0; i < h; ++i) plan.Row(y2 - 1 - i, plan.At(i, h));
      break;
    case 9:
      for (std::int32_t i = 0; i < w; ++i) plan.Column(x1 + i, plan.At(i, w));
      break;
    case 10:
      FromBothEdges(plan, x1, w, column);
      break;
    case 11:
      Ellipses(plan);
      break;
    default:
      break;
  }
  return std::move(plan.steps);
}

void ForEachGradientSpan(const std::vector<GradientStep>& steps, const GradientStep& clip,
                         const GradientSpanFunction& emit) {
  const SpanEmitter emitter(clip, emit);
  for (const GradientStep& step : steps) emitter.Step(step);
}

DibResult PaintGradientSteps(CDibImage& picture, const std::vector<GradientStep>& steps, const GradientStep& clip) {
  const DibResult locked = picture.LockBits();
  if (locked != kDibDone) return locked;
  const DibSize size = picture.GetSize();
  GradientStep bounded = clip;
  bounded.left = std::max(clip.left, 0);
  bounded.top = std::max(clip.top, 0);
  bounded.right = std::min(clip.right, size.width);
  bounded.bottom = std::min(clip.bottom, size.height);
  std::uint8_t* bits = picture.GetLockedBits();
  const std::int32_t stride = picture.GetStride();
  // Device row y is memory row height - 1 - y.
  ForEachGradientSpan(steps, bounded, [&](std::int32_t y, std::int32_t from, std::int32_t to, COLORREF colour) {
    const BgrPixel pixel = ColorRefToBgr(colour);
    std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(size.height - 1 - y) * stride + std::ptrdiff_t{from} * 3;
    for (std::int32_t x = from; x < to; ++x, p += 3) std::memcpy(p, &pixel, 3);
  });
  picture.Unlock();
  return kDibDone;
}

DibResult GradientFillDib(CDibImage& picture, COLORREF first, COLORREF second, std::int32_t x1, std::int32_t y1,
                          std::int32_t x2, std::int32_t y2, std::int32_t style) {
  const GradientStep clip{GradientShape::kRectangle, x1, y1, x2, y2, 0};
  return PaintGradientSteps(picture, PlanGradientFill(first, second, x1, y1, x2, y2, style), clip);
}

}  // namespace sprocket
