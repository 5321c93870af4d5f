#include "app/picture_area.h"

#include <QPainter>

namespace sprocket {

PictureArea::PictureArea(QWidget* parent, int width, int height) : QWidget(parent) { setFixedSize(width, height); }

void PictureArea::SetImage(QImage image) {
  image_ = std::move(image);
  update();
}

void PictureArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (image_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), image_);
}

}  // namespace sprocket
