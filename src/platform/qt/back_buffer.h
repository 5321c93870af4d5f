#pragma once
// A window's back buffer: the picture the window shows, kept between paints.
//
// The view paints into it (UpdateNow runs the paint handler with the
// pending update region as its clip, after painting that region white) and
// draws into it outside painting too, through a window context, as feedback
// lines that invert what lies below. The window only copies the buffer to
// the screen (the flush handler says which part changed). Tests read its
// pixels without any window.

#include <QImage>
#include <QRegion>
#include <functional>
#include <memory>

#include "platform/qt/device_context.h"

namespace sprocket::dc {

class BackBuffer {
public:
  using PaintHandler = std::function<void(Context&)>;
  using FlushHandler = std::function<void(const QRect&)>;

  BackBuffer() = default;
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  void SetPaintHandler(PaintHandler handler) { paint_ = std::move(handler); }
  void SetFlushHandler(FlushHandler handler) { flush_ = std::move(handler); }

  // A new size: the whole buffer is white and waits for a paint.
  void Resize(int width, int height);
  Rect ClientRect() const { return Rect{0, 0, image_.width(), image_.height()}; }

  // Adds a rectangle (or the whole client) to the region the next paint
  // repaints.
  void Invalidate(const Rect& rect);
  void InvalidateAll();
  void Validate() { pending_ = QRegion(); }
  const QRegion& UpdateRegion() const { return pending_; }
  bool NeedsPaint() const { return !pending_.isEmpty(); }

  // Paints the pending region now (white first, then the paint handler
  // clipped to it) and reports it to the flush handler.
  void UpdateNow();

  // A context for drawing outside painting, over the whole client; when it
  // is destroyed the flush handler hears of the whole client.
  std::unique_ptr<Context> WindowContext();

  // Moves the pixels of `area` by (dx, dy); the strip left behind is
  // invalidated, as is the pending region inside the area moved with it.
  void Scroll(int dx, int dy, const Rect& area);

  const QImage& Image() const { return image_; }
  Rgb Pixel(int x, int y) const { return Rgb::FromQRgb(image_.pixel(x, y)); }

private:
  void Flush(const QRect& rect) {
    if (flush_) flush_(rect);
  }

  QImage image_;
  QRegion pending_;
  PaintHandler paint_;
  FlushHandler flush_;
};

}  // namespace sprocket::dc
