#include "app/main_frame.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "platform/system_info.h"

namespace sprocket {

QString FormatFreeMemory(unsigned long long bytes) {
  return QString::asprintf("Free Memory:%lluK", bytes / 1000);
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Sprocket"));
  resize(1024, 700);

  mdiArea_ = new QMdiArea(this);
  mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea_);

  freeMemoryLabel_ = new QLabel(this);
  statusBar()->addPermanentWidget(freeMemoryLabel_);
  statusBar()->showMessage(tr("Ready"));

  createMenus();

  idleTimer_ = new QTimer(this);
  idleTimer_->setInterval(1000);
  connect(idleTimer_, &QTimer::timeout, this, &CMainFrame::refreshFreeMemory);
  idleTimer_->start();
  refreshFreeMemory();
}

void CMainFrame::createMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("E&xit"), qApp, &QApplication::closeAllWindows);
  QMenu* window = menuBar()->addMenu(tr("&Window"));
  window->addAction(tr("&Cascade"), mdiArea_, &QMdiArea::cascadeSubWindows);
  window->addAction(tr("&Tile"), mdiArea_, &QMdiArea::tileSubWindows);
}

QString CMainFrame::freeMemoryText() const { return freeMemoryLabel_->text(); }

void CMainFrame::refreshFreeMemory() { freeMemoryLabel_->setText(FormatFreeMemory(FreeMemoryBytes())); }

}  // namespace sprocket
