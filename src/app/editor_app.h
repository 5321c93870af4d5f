#pragma once
// The editor's application object: start-up and shutdown around the main
// window. A run is a clean exit when its main loop ends by itself; SIGTERM or
// SIGHUP ends it as a forced exit, which keeps the backup timeline and has
// the next start-up offer it.

#include <memory>

#include "platform/qt/message_box_prompts.h"

namespace sprocket {

class CMainFrame;
class CPreviewWnd;
class CTLEView;
class Prompts;
class TerminationSignals;

class CTestApp {
public:
  // `prompts` (not owned; null: message boxes) answers the questions while
  // the object lives.
  explicit CTestApp(Prompts* prompts = nullptr);
  ~CTestApp();
  CTestApp(const CTestApp&) = delete;
  CTestApp& operator=(const CTestApp&) = delete;

  // Checks the temporary folder, reads and seeds the settings, shows the
  // main window and, after a run that did not end cleanly, offers the backup
  // timeline. False when the editor cannot start (the user was told why).
  bool InitInstance();
  // Closes the main window; after a clean run deletes the backup timeline and
  // clears the forced-exit flag. The process exit code.
  int ExitInstance();

  CMainFrame* mainFrame() const { return mainFrame_.get(); }
  // The floating preview window (hidden until something plays in it).
  CPreviewWnd* previewWindow() const { return previewWnd_.get(); }
  // The active timeline view, through which its document is reached (null when none).
  CTLEView* activeView() const;
  // True once a termination signal ended the main loop.
  bool forcedExit() const { return forcedExit_; }

private:
  // Writes the active timeline's backup when it has changes and ends the
  // main loop with 128 + the signal's number.
  void OnTerminationSignal(int signalNumber);

  MessageBoxPrompts messageBoxes_;
  Prompts& previousPrompts_;
  std::unique_ptr<TerminationSignals> terminationSignals_;
  bool forcedExit_ = false;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<CPreviewWnd> previewWnd_;
};

// Runs the editor in an existing QApplication until its last window closes.
int RunEditor();

}  // namespace sprocket
