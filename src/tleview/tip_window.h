#pragma once
// The tip window: a small borderless window beside the mouse that shows the
// frame of the clip the mouse rests on, with the clip's name and the frame's
// time code. The editor's main window owns one and hands it to its timeline
// views; a view shows it when the mouse rests on a picture clip and hides it
// when the mouse moves off that clip, a button is pressed or previews are
// stopped.

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;

namespace sprocket {

class CTipWnd : public QWidget {
public:
  explicit CTipWnd(QWidget* parent = nullptr);

  // Shows the picture and caption with the window's top left at `globalPos`.
  void ShowPicture(const QImage& picture, const QString& caption, const QPoint& globalPos);
  const QImage& Picture() const { return picture_; }
  QString Caption() const;

private:
  QLabel* pictureLabel_ = nullptr;
  QLabel* captionLabel_ = nullptr;
  QImage picture_;
};

}  // namespace sprocket
