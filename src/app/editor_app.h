#pragma once
// The editor's application object: start-up and shutdown around the main
// window. A run is a clean exit when its main loop ends by itself. SIGTERM or
// SIGHUP, wherever the editor is (the main loop, a question, a dialog, the
// render window, before the main loop), ends it as a forced exit: the work
// under way stops and keeps nothing unfinished, every modal window closes,
// the loops end, and the shutdown writes the backup of every modified
// timeline and keeps them for the next start-up to offer.

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

  // Watches for the termination signals, checks the temporary folder, reads
  // and seeds the settings, shows the main window and offers the backups
  // that runs which did not end cleanly left. False when the editor cannot
  // start (the user was told why).
  bool InitInstance();
  // After a termination request writes the backups of the modified
  // timelines; after a clean run deletes the process's backups and clears
  // the forced-exit flag. Then closes the main window. The process exit
  // code (128 + the signal's number after a termination request).
  int ExitInstance();

  CMainFrame* mainFrame() const { return mainFrame_.get(); }
  // The floating preview window (hidden until something plays in it).
  CPreviewWnd* previewWindow() const { return previewWnd_.get(); }
  // The active timeline view, through which its document is reached (null when none).
  CTLEView* activeView() const;
  // True once a termination signal ended the main loop.
  bool forcedExit() const { return forcedExit_; }

private:
  // Closes the modal windows and ends every event loop (the main loop and
  // the modal ones) with 128 + the signal's number; the shutdown follows
  // once they have returned.
  void OnTerminationSignal(int signalNumber);

  MessageBoxPrompts messageBoxes_;
  Prompts& previousPrompts_;
  std::unique_ptr<TerminationSignals> terminationSignals_;
  bool forcedExit_ = false;
  std::unique_ptr<CMainFrame> mainFrame_;
  std::unique_ptr<CPreviewWnd> previewWnd_;
};

// Runs the editor in an existing QApplication until its last window closes
// or a termination signal ends it.
int RunEditor();

}  // namespace sprocket
