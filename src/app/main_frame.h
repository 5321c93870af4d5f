#pragma once
// The editor's main window: an MDI area for timeline and gallery windows,
// a menu bar and a status bar that shows the free memory.

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QTimer;

namespace sprocket {

class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  explicit CMainFrame(QWidget* parent = nullptr);

  QMdiArea* mdiArea() const { return mdiArea_; }
  // The status bar's free-memory text, refreshed once a second.
  QString freeMemoryText() const;
  void refreshFreeMemory();

private:
  void createMenus();

  QMdiArea* mdiArea_ = nullptr;
  QLabel* freeMemoryLabel_ = nullptr;
  QTimer* idleTimer_ = nullptr;
};

// "Free Memory:%luK": the free memory in thousands of bytes.
QString FormatFreeMemory(unsigned long long bytes);

}  // namespace sprocket
