#include "app/editor_app.h"

#include <unistd.h>
#include <QApplication>
#include <QDialog>

#include "app/crash_recovery.h"
#include "app/main_frame.h"
#include "app/preview_window.h"
#include "app/termination_signals.h"
#include "platform/application_state.h"
#include "platform/message_pump.h"
#include "platform/settings/startup_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_files.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

bool IsWritableFolder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

// Rejects the modal dialogs on screen (message boxes, file dialogs, the
// editor's own dialogs); the render window turns it into a stop of its job.
void RejectModalDialogs() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
}

}  // namespace

CTestApp::CTestApp(Prompts* prompts) : previousPrompts_(AppPrompts()) {
  // A new session: a termination asked of an earlier one in this process
  // (tests run several) is over.
  ClearProcessTermination();
  SetPrompts(prompts != nullptr ? prompts : &messageBoxes_);
}

CTestApp::~CTestApp() {
  // The handlers stay to the end of the run: a second signal during the
  // shutdown only repeats the request.
  terminationSignals_.reset();
  SetPumpHook({});
  SetPrompts(&previousPrompts_);
}

bool CTestApp::InitInstance() {
  // First, so that a termination request from here on ends the run by the
  // shutdown that keeps the backups.
  terminationSignals_ = std::make_unique<TerminationSignals>();
  if (!IsWritableFolder(SystemTempFolder())) {
    ShowMessage("Invalid windows temp directory!", MB_OK | MB_ICONSTOP);
    return false;
  }
  SeedStartupSettings(AppProfile());
  LoadApplicationSettings(TheApp(), AppProfile());
  MarkSessionRunning(AppProfile());

  mainFrame_ = std::make_unique<CMainFrame>();
  messageBoxes_.setParent(mainFrame_.get());
  SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  previewWnd_ = std::make_unique<CPreviewWnd>(nullptr, nullptr, mainFrame_.get());
  mainFrame_->SetPreviewWindow(previewWnd_.get());
  QObject::connect(terminationSignals_.get(), &TerminationSignals::received, mainFrame_.get(),
                   [this](int signalNumber) { OnTerminationSignal(signalNumber); });
  mainFrame_->show();
  // Beside the timeline windows, not over them.
  previewWnd_->move(mainFrame_->geometry().topRight() + QPoint(-previewWnd_->sizeHint().width() - 24, 80));
  // Documents keep their backups in the configured temporary folder.
  OfferBackupTimelines(*mainFrame_, ConfiguredTempFolder());
  return true;
}

void CTestApp::OnTerminationSignal(int signalNumber) {
  forcedExit_ = true;
  RejectModalDialogs();
  // Every running event loop ends, and one started later returns at once
  // (until the main loop is started again, which RunEditor does not do).
  QCoreApplication::exit(128 + signalNumber);
}

CTLEView* CTestApp::activeView() const { return mainFrame_ ? mainFrame_->ActiveView() : nullptr; }

int CTestApp::ExitInstance() {
  SetPumpHook({});
  // A request that came before the main loop ran (or while it was not
  // watched) ends the run as the signal itself would have.
  const int signalNumber = ProcessTerminationSignal();
  if (signalNumber != 0) forcedExit_ = true;
  if (forcedExit_ && mainFrame_) BackUpModifiedTimelines(*mainFrame_);
  messageBoxes_.setParent(nullptr);
  if (mainFrame_) {
    // A scrub or playback ended by the signal still uses the preview window's sound.
    mainFrame_->StopAllPreviews();
    mainFrame_->SetPreviewWindow(nullptr);
  }
  previewWnd_.reset();
  mainFrame_.reset();
  if (!forcedExit_) EndSessionCleanly(AppProfile(), ConfiguredTempFolder());
  return forcedExit_ && signalNumber > 0 ? 128 + signalNumber : 0;
}

int RunEditor() {
  CTestApp app;
  if (!app.InitInstance()) return 1;
  // A request during start-up (a question answered by it) starts no loop.
  const int result = ProcessTerminationSignal() == 0 ? QApplication::exec() : 0;
  const int exitCode = app.ExitInstance();
  return result != 0 ? result : exitCode;
}

}  // namespace sprocket
