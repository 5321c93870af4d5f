#include "tleview/tip_window.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace sprocket {

CTipWnd::CTipWnd(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(1);
  pictureLabel_ = new QLabel(this);
  captionLabel_ = new QLabel(this);
  captionLabel_->setAlignment(Qt::AlignCenter);
  layout->addWidget(pictureLabel_);
  layout->addWidget(captionLabel_);
}

void CTipWnd::ShowPicture(const QImage& picture, const QString& caption, const QPoint& globalPos) {
  picture_ = picture;
  pictureLabel_->setPixmap(QPixmap::fromImage(picture));
  captionLabel_->setText(caption);
  adjustSize();
  move(globalPos);
  show();
}

QString CTipWnd::Caption() const { return captionLabel_->text(); }

}  // namespace sprocket
