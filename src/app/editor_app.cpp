#include "app/editor_app.h"

#include <unistd.h>
#include <QApplication>
#include <iostream>

#include "app/crash_recovery.h"
#include "app/main_frame.h"
#include "app/preview_window.h"
#include "app/termination_signals.h"
#include "platform/application_state.h"
#include "platform/message_pump.h"
#include "platform/settings/startup_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_files.h"
#include "timeline/tlefile/timeline_backup.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

bool IsWritableFolder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

}  // namespace

CTestApp::CTestApp(Prompts* prompts) : previousPrompts_(AppPrompts()) {
  SetPrompts(prompts != nullptr ? prompts : &messageBoxes_);
}

CTestApp::~CTestApp() {
  SetPumpHook({});
  SetPrompts(&previousPrompts_);
}

bool CTestApp::InitInstance() {
  if (!IsWritableFolder(SystemTempFolder())) {
    ShowMessage("Invalid windows temp directory!", MB_OK | MB_ICONSTOP);
    return false;
  }
  SeedStartupSettings(AppProfile());
  LoadApplicationSettings(TheApp(), AppProfile());
  const bool lastRunForced = LastSessionEndedForced(AppProfile());
  MarkSessionRunning(AppProfile());

  mainFrame_ = std::make_unique<CMainFrame>();
  messageBoxes_.setParent(mainFrame_.get());
  SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  previewWnd_ = std::make_unique<CPreviewWnd>(nullptr, nullptr, mainFrame_.get());
  mainFrame_->SetPreviewWindow(previewWnd_.get());
  terminationSignals_ = std::make_unique<TerminationSignals>();
  QObject::connect(terminationSignals_.get(), &TerminationSignals::received, mainFrame_.get(),
                   [this](int signalNumber) { OnTerminationSignal(signalNumber); });
  mainFrame_->show();
  // Beside the timeline windows, not over them.
  previewWnd_->move(mainFrame_->geometry().topRight() + QPoint(-previewWnd_->sizeHint().width() - 24, 80));
  // Documents keep their backup in the configured temporary folder.
  if (lastRunForced) OfferBackupTimeline(*mainFrame_, ConfiguredTempFolder());
  return true;
}

void CTestApp::OnTerminationSignal(int signalNumber) {
  forcedExit_ = true;
  // No question may hold up the exit: a backup that cannot be written is
  // only reported on stderr.
  if (CTLEView* view = activeView(); view != nullptr && view->GetDocument().IsModified()) {
    std::string error;
    if (!WriteTimelineBackup(view->GetDocument(), &error)) std::cerr << "sprocket: " << error << '\n';
  }
  QCoreApplication::exit(128 + signalNumber);
}

CTLEView* CTestApp::activeView() const { return mainFrame_ ? mainFrame_->ActiveView() : nullptr; }

int CTestApp::ExitInstance() {
  SetPumpHook({});
  terminationSignals_.reset();
  messageBoxes_.setParent(nullptr);
  if (mainFrame_) mainFrame_->SetPreviewWindow(nullptr);
  previewWnd_.reset();
  mainFrame_.reset();
  if (!forcedExit_) EndSessionCleanly(AppProfile(), ConfiguredTempFolder());
  return 0;
}

int RunEditor() {
  CTestApp app;
  if (!app.InitInstance()) return 1;
  int result = QApplication::exec();
  int exitCode = app.ExitInstance();
  return result != 0 ? result : exitCode;
}

}  // namespace sprocket
