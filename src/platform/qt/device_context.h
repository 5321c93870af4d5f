#pragma once
// The device context: the drawing state and calls the view code draws with,
// over a QImage (a window's back buffer or a bitmap).
//
// Conventions kept exactly, because the drawing code counts pixels by them:
//   - rectangles are half-open; Rectangle() outlines l..r-1 x t..b-1 with
//     the pen and fills the inside with the brush; with the null pen it fills
//     [l, r-1) x [t, b-1);
//   - LineTo() draws from the current position and leaves out its end point;
//   - the raster operation (Rop2) applies to pens and to Rectangle()'s
//     brush; FillRect() ignores it; NotXorPen, XorPen, Not and the
//     DstInvert / PatInvert blits undo themselves when drawn twice;
//   - pattern brushes repeat their tile from the brush origin;
//   - a fresh context has a black solid pen, a white brush, CopyPen, the
//     Arial 14 font, left/top text alignment, an opaque white background
//     and black text, brush origin (0, 0).
// Nothing is antialiased. Every call is clipped to the base clip (a paint's
// update region, or the whole target) and the selected clip rectangle.

#include <QFont>
#include <QPainter>
#include <QRegion>
#include <functional>
#include <span>
#include <string_view>

#include "platform/qt/dc_types.h"

namespace sprocket::dc {

struct TextMetrics {
  int ascent = 0;
  int descent = 0;
  int Height() const { return ascent + descent; }
};

class Context {
public:
  // Draws into `target`; `baseClip` empty means the whole target. `onRelease`
  // runs when the context is destroyed (a window context reports its
  // drawing there).
  explicit Context(QImage& target, const QRegion& baseClip = {}, std::function<void()> onRelease = {});
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // --- State (each setter returns the previous value) ---
  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  Font SelectFont(const Font& font);
  Rop2 SetRop2(Rop2 mode);
  Point SetBrushOrg(Point origin);
  Rgb SetTextColor(Rgb colour);
  Rgb SetBkColor(Rgb colour);
  BkMode SetBkMode(BkMode mode);
  unsigned SetTextAlign(unsigned flags);
  const Pen& CurrentPen() const { return pen_; }
  const Font& CurrentFont() const { return font_; }
  const Brush& CurrentBrush() const { return brush_; }
  Rop2 CurrentRop2() const { return rop2_; }
  Point BrushOrg() const { return brushOrg_; }
  // Limits drawing to `rect` (within the base clip) until cleared.
  void SelectClipRect(const Rect& rect);
  void ClearClipRect();
  // The target's size.
  Rect Bounds() const { return Rect{0, 0, target_.width(), target_.height()}; }

  // --- Lines and shapes ---
  void MoveTo(int x, int y) { position_ = Point{x, y}; }
  Point CurrentPosition() const { return position_; }
  void LineTo(int x, int y);
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const Rect& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  // A polygon filled with the brush and outlined with the pen (copy mode).
  void Polygon(std::span<const Point> corners);

  // --- Fills and blits ---
  void FillRect(const Rect& rect, const Brush& brush);
  void PatBlt(const Rect& rect, PatOp op);
  // Copies w x h pixels of `source` from (sx, sy) to (x, y); only the part
  // the source covers is copied.
  void BitBlt(int x, int y, int w, int h, const Bitmap& source, int sx = 0, int sy = 0);
  // Scales the source rectangle of `source` onto `target` (nearest pixel).
  void StretchBlt(const Rect& target, const Bitmap& source, const Rect& sourceRect);
  // Draws an icon at its own size, its transparent pixels left alone.
  void DrawIcon(int x, int y, const Icon& icon);

  // --- Text ---
  void TextOut(int x, int y, std::string_view text);
  // TextOut clipped to `clip`.
  void ExtTextOut(int x, int y, const Rect& clip, std::string_view text);
  int TextWidth(std::string_view text);
  TextMetrics GetTextMetrics();

  // The pixel at (x, y) of the target.
  Rgb GetPixel(int x, int y) const { return Rgb::FromQRgb(target_.pixel(x, y)); }

private:
  void ApplyClip();
  void SetModeFor(Rop2 mode);
  // A horizontal run [x0, x1) on row y in the pen's mode.
  void PenRun(int x0, int x1, int y, Rgb colour);
  void PenPixel(int x, int y, int index);
  void FillWithBrush(const QRect& rect, const Brush& brush);

  QImage& target_;
  QPainter painter_;
  QRegion baseClip_;
  std::function<void()> onRelease_;
  bool hasClipRect_ = false;
  Rect clipRect_;

  Pen pen_ = Pen::Solid(kBlack);
  Brush brush_ = Brush::Solid(kWhite);
  Font font_;
  QFont qfont_;
  Rop2 rop2_ = Rop2::kCopyPen;
  Point brushOrg_;
  Rgb textColour_ = kBlack;
  Rgb bkColour_ = kWhite;
  BkMode bkMode_ = BkMode::kOpaque;
  unsigned textAlign_ = align::kLeft | align::kTop;
  Point position_;
};

// RAII: restores the pen, brush, font, raster operation, brush origin, text
// colours, background mode and alignment as they were.
class StateSaver {
public:
  explicit StateSaver(Context& dc);
  ~StateSaver();
  StateSaver(const StateSaver&) = delete;
  StateSaver& operator=(const StateSaver&) = delete;

private:
  Context& dc_;
  Pen pen_;
  Brush brush_;
  Font font_;
  Rop2 rop2_;
  Point brushOrg_;
  Rgb textColour_;
  Rgb bkColour_;
  BkMode bkMode_;
  unsigned textAlign_;
};

}  // namespace sprocket::dc
