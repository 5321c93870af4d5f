#pragma once
// A picture stretched to a fixed area, black while it has none: the render
// window's and the preview window's picture.

#include <QImage>
#include <QWidget>

namespace sprocket {

class PictureArea : public QWidget {
public:
  PictureArea(QWidget* parent, int width, int height);

  void SetImage(QImage image);
  const QImage& Image() const { return image_; }

protected:
  void paintEvent(QPaintEvent*) override;

private:
  QImage image_;
};

}  // namespace sprocket
