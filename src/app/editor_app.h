#pragma once
// The editor's application object: start-up and shutdown around the main
// window.

#include <memory>

#include "platform/qt/message_box_prompts.h"

namespace sprocket {

class CMainFrame;
class CPreviewWnd;
class CTLEView;

class CTestApp {
public:
  CTestApp();
  ~CTestApp();
  CTestApp(const CTestApp&) = delete;
  CTestApp& operator=(const CTestApp&) = delete;

  // Checks the temporary folder, reads and seeds the settings and shows the
  // main window. False when the editor cannot start (the user was told why).
  bool InitInstance();
  // Stores the settings and closes the main window; the process exit code.
  int ExitInstance();

  CMainFrame* mainFrame() const { return mainFrame_.get(); }
  // The floating preview window (hidden until something plays in it).
  CPreviewWnd* previewWindow() const { return previewWnd_.get(); }
  // The active timeline view, through which its document is reached (null when none).
  CTLEView* activeView() const;

private:
  MessageBoxPrompts prompts_;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<CPreviewWnd> previewWnd_;
};

// Runs the editor in an existing QApplication until its last window closes.
int RunEditor();

}  // namespace sprocket
