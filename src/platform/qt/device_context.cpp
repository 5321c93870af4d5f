#include "platform/qt/device_context.h"

#include <QFontMetrics>
#include <QPolygon>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/qt/font_resolver.h"

namespace sprocket::dc {

namespace {

QPainter::CompositionMode ModeOf(Rop2 mode) {
  switch (mode) {
    case Rop2::kNot:
      return QPainter::RasterOp_NotDestination;
    case Rop2::kNotXorPen:
      return QPainter::RasterOp_NotSourceXorDestination;
    case Rop2::kXorPen:
      return QPainter::RasterOp_SourceXorDestination;
    case Rop2::kCopyPen:
      break;
  }
  return QPainter::CompositionMode_Source;
}

QColor ColourOf(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

QString TextOf(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A dotted pen draws 3 pixels and leaves out 3.
bool DotIsOn(int index) { return index % 6 < 3; }

}  // namespace

Rect Rect::Intersected(const Rect& other) const {
  Rect r{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
         std::min(bottom, other.bottom)};
  if (r.IsEmpty()) return Rect{};
  return r;
}

Bitmap::Bitmap(QImage image) : image_(image.convertToFormat(QImage::Format_RGB32)) {}

Bitmap::Bitmap(int width, int height, Rgb fill) : image_(width, height, QImage::Format_RGB32) {
  image_.fill(fill.ToQRgb());
}

Icon::Icon(QImage image) : image_(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)) {}

Brush Brush::Pattern(const Bitmap& tile) {
  if (tile.IsNull()) return Null();
  return Brush{Kind::kPattern, kWhite, std::make_shared<const QImage>(tile.Image())};
}

Context::Context(QImage& target, const QRegion& baseClip, std::function<void()> onRelease)
    : target_(target), baseClip_(baseClip), onRelease_(std::move(onRelease)) {
  painter_.begin(&target_);
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, false);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
  qfont_ = ResolveFont(font_);
  ApplyClip();
}

Context::~Context() {
  painter_.end();
  if (onRelease_) onRelease_();
}

void Context::ApplyClip() {
  QRegion region = baseClip_.isEmpty() ? QRegion(target_.rect()) : baseClip_;
  if (hasClipRect_) region &= QRegion(clipRect_.ToQRect());
  painter_.setClipRegion(region);
}

Pen Context::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush Context::SelectBrush(const Brush& brush) { return std::exchange(brush_, brush); }
Rop2 Context::SetRop2(Rop2 mode) { return std::exchange(rop2_, mode); }
Point Context::SetBrushOrg(Point origin) { return std::exchange(brushOrg_, origin); }
Rgb Context::SetTextColor(Rgb colour) { return std::exchange(textColour_, colour); }
Rgb Context::SetBkColor(Rgb colour) { return std::exchange(bkColour_, colour); }
BkMode Context::SetBkMode(BkMode mode) { return std::exchange(bkMode_, mode); }
unsigned Context::SetTextAlign(unsigned flags) { return std::exchange(textAlign_, flags); }

Font Context::SelectFont(const Font& font) {
  if (!(font == font_)) qfont_ = ResolveFont(font);
  return std::exchange(font_, font);
}

void Context::SelectClipRect(const Rect& rect) {
  hasClipRect_ = true;
  clipRect_ = rect;
  ApplyClip();
}

void Context::ClearClipRect() {
  hasClipRect_ = false;
  ApplyClip();
}

void Context::SetModeFor(Rop2 mode) { painter_.setCompositionMode(ModeOf(mode)); }

void Context::PenRun(int x0, int x1, int y, Rgb colour) {
  if (x1 <= x0) return;
  painter_.fillRect(QRect(x0, y, x1 - x0, 1), ColourOf(colour));
}

void Context::PenPixel(int x, int y, int index) {
  if (pen_.style == PenStyle::kDot && !DotIsOn(index)) {
    if (bkMode_ == BkMode::kOpaque) PenRun(x, x + 1, y, bkColour_);
    return;
  }
  PenRun(x, x + 1, y, pen_.colour);
}

void Context::LineTo(int x, int y) {
  const Point from = position_;
  position_ = Point{x, y};
  if (pen_.style == PenStyle::kNull || (from.x == x && from.y == y)) return;
  SetModeFor(rop2_);
  const Rect bounds = Bounds();
  if (pen_.style == PenStyle::kSolid && (from.y == y || from.x == x)) {
    // Straight lines as one run, clipped first so that far ends cost nothing.
    if (from.y == y) {
      const int a = from.x < x ? from.x : x + 1;
      const int b = from.x < x ? x : from.x + 1;
      if (y >= bounds.top && y < bounds.bottom)
        PenRun(std::max(a, bounds.left - 1), std::min(b, bounds.right + 1), y, pen_.colour);
    } else {
      const int a = std::max(from.y < y ? from.y : y + 1, bounds.top - 1);
      const int b = std::min(from.y < y ? y : from.y + 1, bounds.bottom + 1);
      if (x >= bounds.left && x < bounds.right && b > a)
        painter_.fillRect(QRect(x, a, 1, b - a), ColourOf(pen_.colour));
    }
    return;
  }
  // Any other line: one pixel per step along the major axis, end left out.
  const int dx = x - from.x;
  const int dy = y - from.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < steps; ++i) {
    const int px =
        from.x + static_cast<int>((static_cast<long long>(dx) * i * 2 + (dx >= 0 ? steps : -steps)) / (2LL * steps));
    const int py =
        from.y + static_cast<int>((static_cast<long long>(dy) * i * 2 + (dy >= 0 ? steps : -steps)) / (2LL * steps));
    if (!bounds.Contains(px, py)) continue;
    PenPixel(px, py, i);
  }
}

void Context::FillWithBrush(const QRect& rect, const Brush& brush) {
  if (rect.isEmpty() || brush.IsNull()) return;
  if (brush.kind == Brush::Kind::kPattern) {
    painter_.setBrushOrigin(brushOrg_.x, brushOrg_.y);
    painter_.fillRect(rect, QBrush(*brush.pattern));
    return;
  }
  painter_.fillRect(rect, ColourOf(brush.colour));
}

void Context::Rectangle(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  SetModeFor(rop2_);
  if (pen_.style == PenStyle::kNull) {
    FillWithBrush(QRect(left, top, right - 1 - left, bottom - 1 - top), brush_);
    return;
  }
  if (right <= left || bottom <= top) return;
  // The outline: every pixel of l..r-1 x t..b-1's border exactly once.
  int index = 0;
  for (int px = left; px < right; ++px) PenPixel(px, top, index++);
  if (bottom - 1 > top) {
    for (int py = top + 1; py < bottom - 1; ++py) PenPixel(right - 1, py, index++);
    for (int px = right - 1; px >= left; --px) PenPixel(px, bottom - 1, index++);
    if (right - 1 > left)
      for (int py = bottom - 2; py > top; --py) PenPixel(left, py, index++);
  }
  SetModeFor(rop2_);
  FillWithBrush(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2), brush_);
}

void Context::Polygon(std::span<const Point> corners) {
  if (corners.size() < 2) return;
  QPolygon polygon;
  for (const Point& p : corners) polygon << QPoint(p.x, p.y);
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  painter_.setPen(pen_.style == PenStyle::kNull ? QPen(Qt::NoPen) : QPen(ColourOf(pen_.colour), 0));
  if (brush_.IsNull()) {
    painter_.setBrush(Qt::NoBrush);
  } else if (brush_.kind == Brush::Kind::kPattern) {
    painter_.setBrushOrigin(brushOrg_.x, brushOrg_.y);
    painter_.setBrush(QBrush(*brush_.pattern));
  } else {
    painter_.setBrush(ColourOf(brush_.colour));
  }
  painter_.drawPolygon(polygon);
  painter_.setPen(Qt::NoPen);
  painter_.setBrush(Qt::NoBrush);
}

void Context::FillRect(const Rect& rect, const Brush& brush) {
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  FillWithBrush(rect.ToQRect(), brush);
}

void Context::PatBlt(const Rect& rect, PatOp op) {
  const QRect r = rect.ToQRect();
  if (r.isEmpty()) return;
  switch (op) {
    case PatOp::kPatCopy:
      painter_.setCompositionMode(QPainter::CompositionMode_Source);
      FillWithBrush(r, brush_);
      return;
    case PatOp::kPatInvert:
      painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      FillWithBrush(r, brush_);
      return;
    case PatOp::kDstInvert:
      painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
      painter_.fillRect(r, Qt::black);
      return;
    case PatOp::kWhiteness:
    case PatOp::kBlackness:
      painter_.setCompositionMode(QPainter::CompositionMode_Source);
      painter_.fillRect(r, op == PatOp::kWhiteness ? Qt::white : Qt::black);
      return;
  }
}

void Context::BitBlt(int x, int y, int w, int h, const Bitmap& source, int sx, int sy) {
  if (source.IsNull() || w <= 0 || h <= 0) return;
  const QRect wanted(sx, sy, w, h);
  const QRect covered = wanted.intersected(source.Image().rect());
  if (covered.isEmpty()) return;
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  painter_.drawImage(QPoint(x + covered.x() - sx, y + covered.y() - sy), source.Image(), covered);
}

void Context::StretchBlt(const Rect& target, const Bitmap& source, const Rect& sourceRect) {
  if (source.IsNull() || target.IsEmpty() || sourceRect.IsEmpty()) return;
  painter_.setCompositionMode(QPainter::CompositionMode_Source);
  painter_.drawImage(target.ToQRect(), source.Image(), sourceRect.ToQRect());
}

void Context::DrawIcon(int x, int y, const Icon& icon) {
  if (icon.IsNull()) return;
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.drawImage(QPoint(x, y), icon.Image());
}

int Context::TextWidth(std::string_view text) { return QFontMetrics(qfont_).horizontalAdvance(TextOf(text)); }

TextMetrics Context::GetTextMetrics() {
  const QFontMetrics metrics(qfont_);
  return TextMetrics{metrics.ascent(), metrics.descent()};
}

void Context::TextOut(int x, int y, std::string_view text) {
  const QString string = TextOf(text);
  const QFontMetrics metrics(qfont_);
  const int width = metrics.horizontalAdvance(string);
  const unsigned horizontal = textAlign_ & align::kHorizontalMask;
  const unsigned vertical = textAlign_ & align::kVerticalMask;
  int left = x;
  if (horizontal == align::kCenter)
    left = x - width / 2;
  else if (horizontal == align::kRight)
    left = x - width;
  int baseline = y + metrics.ascent();
  if (vertical == align::kBottom)
    baseline = y - metrics.descent();
  else if (vertical == align::kBaseline)
    baseline = y;
  if (bkMode_ == BkMode::kOpaque) {
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRect(left, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                      ColourOf(bkColour_));
  }
  painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  painter_.setFont(qfont_);
  painter_.setPen(ColourOf(textColour_));
  painter_.drawText(QPoint(left, baseline), string);
  painter_.setPen(Qt::NoPen);
}

void Context::ExtTextOut(int x, int y, const Rect& clip, std::string_view text) {
  const bool hadClip = hasClipRect_;
  const Rect oldClip = clipRect_;
  SelectClipRect(hadClip ? clip.Intersected(oldClip) : clip);
  TextOut(x, y, text);
  hasClipRect_ = hadClip;
  clipRect_ = oldClip;
  ApplyClip();
}

StateSaver::StateSaver(Context& dc)
    : dc_(dc),
      pen_(dc.CurrentPen()),
      brush_(dc.CurrentBrush()),
      font_(dc.CurrentFont()),
      rop2_(dc.CurrentRop2()),
      brushOrg_(dc.BrushOrg()),
      textColour_(dc.SetTextColor(kBlack)),
      bkColour_(dc.SetBkColor(kWhite)),
      bkMode_(dc.SetBkMode(BkMode::kOpaque)),
      textAlign_(dc.SetTextAlign(0)) {
  dc.SetTextColor(textColour_);
  dc.SetBkColor(bkColour_);
  dc.SetBkMode(bkMode_);
  dc.SetTextAlign(textAlign_);
}

StateSaver::~StateSaver() {
  dc_.SelectPen(pen_);
  dc_.SelectBrush(brush_);
  dc_.SelectFont(font_);
  dc_.SetRop2(rop2_);
  dc_.SetBrushOrg(brushOrg_);
  dc_.SetTextColor(textColour_);
  dc_.SetBkColor(bkColour_);
  dc_.SetBkMode(bkMode_);
  dc_.SetTextAlign(textAlign_);
}

}  // namespace sprocket::dc
