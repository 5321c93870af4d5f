#include "app/compile_dialog.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dib_qimage.h"
#include "app/picture_area.h"
#include "platform/message_pump.h"

namespace sprocket {

// The progress bar in its frame: a white and dark grey double bevel, the
// done part red, the rest white, the percent in the middle.
class RenderProgressBar : public QWidget {
public:
  explicit RenderProgressBar(QWidget* parent) : QWidget(parent) { setFixedHeight(26); }

  void SetPercent(int percent) {
    percent_ = std::clamp(percent, 0, 100);
    update();
  }
  int Percent() const { return percent_; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    // The frame's rectangle made 1 pixel smaller on every side.
    const int l = 1;
    const int t = 1;
    const int r = width() - 2;
    const int b = height() - 2;
    painter.fillRect(rect(), palette().window());
    const QColor white(255, 255, 255);
    const QColor darkGrey(128, 128, 128);
    painter.fillRect(l, t, r - l, 1, white);
    painter.fillRect(l, t, 1, b - t, white);
    painter.fillRect(l + 4, t + 4, r - l - 8, 1, darkGrey);
    painter.fillRect(l + 4, t + 4, 1, b - t - 7, darkGrey);
    painter.fillRect(l, b, r - l, 1, darkGrey);
    painter.fillRect(r, t, 1, b - t + 1, darkGrey);
    painter.fillRect(l + 4, b - 4, r - l - 8, 1, white);
    painter.fillRect(r - 4, t + 4, 1, b - t - 8, white);
    const int inner = r - l - 10;
    const int done = inner * percent_ / 100;
    painter.fillRect(l + 5, t + 5, done, b - t - 10, QColor(255, 0, 0));
    painter.fillRect(l + 5 + done, t + 5, inner - done, b - t - 10, white);
    painter.setPen(Qt::black);
    const QString text = QString::number(percent_) + QLatin1Char('%');
    painter.drawText(QRect(l, t, r - l, b - t), Qt::AlignCenter, text);
  }

private:
  int percent_ = 0;
};

namespace {

// The stand-in pictures of the picture area: a sound wave while the sound
// is mixed, a strip of film while the movie is joined.
QImage StandInPicture(PictureAreaMode mode) {
  QImage image(160, 120, QImage::Format_RGB32);
  image.fill(QColor(0, 0, 64));
  QPainter painter(&image);
  painter.setPen(QPen(QColor(255, 255, 0), 2));
  if (mode == PictureAreaMode::kAudio) {
    QPoint previous(0, 60);
    for (int x = 1; x < 160; ++x) {
      const QPoint next(x, 60 + static_cast<int>(40.0 * std::sin(x * 0.25) * std::sin(x * 0.02)));
      painter.drawLine(previous, next);
      previous = next;
    }
  } else {
    painter.fillRect(20, 20, 120, 80, QColor(40, 40, 40));
    for (int x = 26; x < 140; x += 16) {
      painter.fillRect(x, 24, 8, 8, Qt::white);
      painter.fillRect(x, 88, 8, 8, Qt::white);
    }
    painter.drawRect(36, 40, 88, 40);
  }
  return image;
}

QLabel* CentredLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

CCompileDlg::CCompileDlg(Job job, QWidget* parent) : QDialog(parent), job_(std::move(job)) {
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  progress_ = new RenderProgressBar(this);
  abortHint_ = CentredLabel(QStringLiteral("Press ESC to Abort!"), this);
  status_ = CentredLabel(QStringLiteral(" "), this);
  status_->hide();
  timeCode_ = CentredLabel(QStringLiteral("Time Code"), this);
  picture_ = new PictureArea(this, 160, 120);
  layout->addWidget(progress_);
  layout->addWidget(abortHint_);
  layout->addWidget(status_);
  layout->addWidget(timeCode_);
  layout->addWidget(picture_, 0, Qt::AlignHCenter);
  setMinimumWidth(320);
}

CCompileDlg::~CCompileDlg() { SetWaitCursor(false); }

int CCompileDlg::DoModal() { return exec(); }

void CCompileDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (renderedOnce_) return;
  renderedOnce_ = true;
  // The job runs from the event loop once the window is on screen, not
  // from inside a paint.
  QTimer::singleShot(0, this, &CCompileDlg::RunJob);
}

void CCompileDlg::RunJob() {
  running_ = true;
  const int result = job_ ? job_(*this) : -1;
  running_ = false;
  SetWaitCursor(false);
  done(result);
}

void CCompileDlg::reject() {
  if (running_) {
    RequestAbort();
    return;
  }
  QDialog::reject();
}

void CCompileDlg::closeEvent(QCloseEvent* event) {
  if (running_) {
    RequestAbort();
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CCompileDlg::SetCaption(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

void CCompileDlg::SetAbortHint(const std::string& text) { abortHint_->setText(QString::fromStdString(text)); }

void CCompileDlg::SetStatus(const std::string& text) {
  status_->setText(QString::fromStdString(text));
  status_->show();
}

void CCompileDlg::SetTimeCode(const std::string& text) { timeCode_->setText(QString::fromStdString(text)); }

void CCompileDlg::ShowProgress(int percent) { progress_->SetPercent(percent); }

void CCompileDlg::ShowPicture(const std::uint8_t* dib) {
  QImage image = DibToQImage(dib);
  if (!image.isNull()) picture_->SetImage(std::move(image));
}

void CCompileDlg::ShowPictureArea(PictureAreaMode mode) {
  if (mode == PictureAreaMode::kNothing) return;
  picture_->SetImage(StandInPicture(mode));
}

void CCompileDlg::ClearPicture() {
  QImage black(160, 120, QImage::Format_RGB32);
  black.fill(Qt::black);
  picture_->SetImage(std::move(black));
}

void CCompileDlg::MovePositionLine(std::int32_t ms, bool firstCall) {
  if (positionLine_) positionLine_(ms, firstCall);
}

void CCompileDlg::SetWaitCursor(bool on) {
  if (on == waitCursor_) return;
  waitCursor_ = on;
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void CCompileDlg::Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QString CCompileDlg::AbortHintText() const { return abortHint_->text(); }
QString CCompileDlg::StatusText() const { return status_->text(); }
QString CCompileDlg::TimeCodeText() const { return timeCode_->text(); }
int CCompileDlg::Percent() const { return progress_->Percent(); }
QImage CCompileDlg::Picture() const { return picture_->Image(); }

}  // namespace sprocket
