#include "platform/qt/back_buffer.h"

#include <QPainter>

namespace sprocket::dc {

void BackBuffer::Resize(int width, int height) {
  image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  image_.fill(Qt::white);
  InvalidateAll();
}

void BackBuffer::Invalidate(const Rect& rect) {
  const Rect clipped = rect.Intersected(ClientRect());
  if (!clipped.IsEmpty()) pending_ += clipped.ToQRect();
}

void BackBuffer::InvalidateAll() { pending_ = QRegion(image_.rect()); }

void BackBuffer::UpdateNow() {
  if (pending_.isEmpty()) return;
  const QRegion region = std::exchange(pending_, QRegion());
  {
    QPainter eraser(&image_);
    eraser.setClipRegion(region);
    eraser.fillRect(image_.rect(), Qt::white);
  }
  if (paint_) {
    Context dc(image_, region);
    paint_(dc);
  }
  Flush(region.boundingRect());
}

std::unique_ptr<Context> BackBuffer::WindowContext() {
  return std::make_unique<Context>(image_, QRegion(), [this] { Flush(image_.rect()); });
}

void BackBuffer::Scroll(int dx, int dy, const Rect& area) {
  const QRect rect = area.Intersected(ClientRect()).ToQRect();
  if (rect.isEmpty() || (dx == 0 && dy == 0)) return;
  const QImage moved = image_.copy(rect);
  {
    QPainter painter(&image_);
    painter.setClipRect(rect);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(rect.topLeft() + QPoint(dx, dy), moved);
  }
  const QRegion inside = pending_ & QRegion(rect);
  pending_ -= inside;
  pending_ += inside.translated(dx, dy) & QRegion(rect);
  pending_ += QRegion(rect) - QRegion(rect.translated(dx, dy));
  Flush(rect);
}

}  // namespace sprocket::dc
