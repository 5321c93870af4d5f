#include "app/bevel_frame.h"

#include <QPainter>
#include <QPen>

namespace sprocket {

namespace {

// A horizontal or vertical line from (x0, y0) toward (x1, y1), its last
// point left out, as a line drawn from one point to the next is.
void LineTo(QPainter& painter, int x0, int y0, int x1, int y1) {
  if (x0 == x1 && y0 == y1) return;
  const int stepX = x1 > x0 ? 1 : (x1 < x0 ? -1 : 0);
  const int stepY = y1 > y0 ? 1 : (y1 < y0 ? -1 : 0);
  painter.drawLine(x0, y0, x1 - stepX, y1 - stepY);
}

}  // namespace

void DrawBevelFrame(QPainter& painter, int left, int top, int right, int bottom, bool sunken) {
  const QPen saved = painter.pen();
  const QPen grey(QColor(128, 128, 128), 0);
  const QPen white(QColor(255, 255, 255), 0);
  painter.setPen(sunken ? grey : white);
  LineTo(painter, left, bottom, left, top);
  LineTo(painter, left, top, right, top);
  painter.setPen(sunken ? white : grey);
  LineTo(painter, right, top, right, bottom);
  LineTo(painter, right, bottom, left, bottom);
  painter.setPen(saved);
}

}  // namespace sprocket
