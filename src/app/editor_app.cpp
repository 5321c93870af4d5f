#include "app/editor_app.h"

#include <QApplication>
#include <unistd.h>

#include "app/main_frame.h"
#include "app/preview_window.h"
#include "platform/application_state.h"
#include "platform/message_pump.h"
#include "platform/settings/startup_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_files.h"

namespace sprocket {

namespace {

bool IsWritableFolder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

}  // namespace

CTestApp::CTestApp() { SetPrompts(&prompts_); }

CTestApp::~CTestApp() {
  SetPumpHook({});
  SetPrompts(nullptr);
}

bool CTestApp::InitInstance() {
  if (!IsWritableFolder(SystemTempFolder())) {
    ShowMessage("Invalid windows temp directory!", MB_OK | MB_ICONSTOP);
    return false;
  }
  SeedStartupSettings(AppProfile());
  LoadApplicationSettings(TheApp(), AppProfile());

  mainFrame_ = std::make_unique<CMainFrame>();
  prompts_.setParent(mainFrame_.get());
  SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
  previewWnd_ = std::make_unique<CPreviewWnd>(nullptr, nullptr, mainFrame_.get());
  mainFrame_->SetPreviewWindow(previewWnd_.get());
  mainFrame_->show();
  // Beside the timeline windows, not over them.
  previewWnd_->move(mainFrame_->geometry().topRight() + QPoint(-previewWnd_->sizeHint().width() - 24, 80));
  return true;
}

CTLEView* CTestApp::activeView() const { return mainFrame_ ? mainFrame_->ActiveView() : nullptr; }

int CTestApp::ExitInstance() {
  SetPumpHook({});
  prompts_.setParent(nullptr);
  if (mainFrame_) mainFrame_->SetPreviewWindow(nullptr);
  previewWnd_.reset();
  mainFrame_.reset();
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
