#include "app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "app/timeline_mdi_window.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "platform/system_info.h"
#include "render/output/output_preferences.h"
#include "timeline/basics/time_code.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/ruler_scale.h"
#include "tleview/tip_window.h"
#include "tleview/view_commands.h"

namespace sprocket {

namespace {

constexpr int kAutoSaveIntervalMs = 60000;

// The vertical zoom levels as the View menu names them.
constexpr const char* kTrackHeightNames[] = {"&Large Tracks", "&Medium Tracks", "&Small Tracks", "&Tiny Tracks"};

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

QString FormatFreeMemory(unsigned long long bytes) { return QString::asprintf("Free Memory:%lluK", bytes / 1000); }

CMainFrame::CMainFrame(DocumentDialogs* dialogs, ApplicationState* app, Profile* profile, QWidget* parent)
    : QMainWindow(parent),
      fileDialogs_(std::make_unique<FileDocumentDialogs>()),
      dialogs_(dialogs != nullptr ? dialogs : fileDialogs_.get()),
      app_(app != nullptr ? *app : TheApp()),
      profile_(profile != nullptr ? *profile : AppProfile()) {
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
  tipWindow_ = new CTipWnd(this);

  idleTimer_ = new QTimer(this);
  idleTimer_->setInterval(1000);
  connect(idleTimer_, &QTimer::timeout, this, &CMainFrame::refreshFreeMemory);
  idleTimer_->start();
  refreshFreeMemory();

  autoSaveTimer_ = new QTimer(this);
  autoSaveTimer_->setInterval(kAutoSaveIntervalMs);
  connect(autoSaveTimer_, &QTimer::timeout, this, &CMainFrame::OnAutoSave);
  autoSaveTimer_->start();
}

CMainFrame::~CMainFrame() {
  // The frames go, without questions, before the dialogs they use.
  qDeleteAll(mdiArea_->subWindowList());
}

void CMainFrame::createMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(tr("&New"), QKeySequence::New, this, [this] { OnFileNew(); });
  file->addAction(tr("&Open..."), QKeySequence::Open, this, [this] { OnFileOpen(); });
  file->addAction(tr("&Close"), this, [this] { OnFileClose(); });
  file->addSeparator();
  file->addAction(tr("&Save"), QKeySequence::Save, this, [this] { OnFileSave(); });
  file->addAction(tr("Save &As..."), QKeySequence(tr("Ctrl+Shift+S")), this, [this] { OnFileSaveAs(); });
  file->addSeparator();
  file->addAction(tr("&Preferences..."), this, [this] { OnPreferences(); });
  file->addSeparator();
  file->addAction(tr("E&xit"), this, &QWidget::close);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  AddEditCommandItems(edit, [this] { return ActiveView(); });

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(tr("Zoom &In"), QKeySequence(tr("Ctrl+=")), this, [this] {
    if (CTLEView* v = ActiveView()) v->SetScaleIndex(v->GetDocument().scaleIndex - 1);
  });
  view->addAction(tr("Zoom &Out"), QKeySequence(tr("Ctrl+-")), this, [this] {
    if (CTLEView* v = ActiveView()) v->SetScaleIndex(v->GetDocument().scaleIndex + 1);
  });
  view->addSeparator();
  for (int zoom = 0; zoom < kZoomLevels; ++zoom) {
    view->addAction(tr(kTrackHeightNames[zoom]), this, [this, zoom] {
      if (CTLEView* v = ActiveView()) v->SetZoomLevel(zoom);
    });
  }

  QMenu* clip = menuBar()->addMenu(tr("&Clip"));
  AddClipCommandItems(clip, [this] { return ActiveView(); });
  createPreviewMenu();
  createMovieMenus();

  QMenu* window = menuBar()->addMenu(tr("&Window"));
  window->addAction(tr("&New Window"), this, [this] { OnWindowNewWindow(); });
  window->addAction(tr("&Cascade"), mdiArea_, &QMdiArea::cascadeSubWindows);
  window->addAction(tr("&Tile"), mdiArea_, &QMdiArea::tileSubWindows);
}

QString CMainFrame::freeMemoryText() const { return freeMemoryLabel_->text(); }

void CMainFrame::refreshFreeMemory() { freeMemoryLabel_->setText(FormatFreeMemory(FreeMemoryBytes())); }

CTestFrame* CMainFrame::ActiveFrame() const { return qobject_cast<CTestFrame*>(mdiArea_->activeSubWindow()); }

CTLEView* CMainFrame::ActiveView() const {
  CTestFrame* frame = ActiveFrame();
  return frame != nullptr ? frame->View() : nullptr;
}

CTestFrame* CMainFrame::AddFrame(std::shared_ptr<ViewedDocument> document) {
  auto* frame = new CTestFrame(std::move(document), app_, profile_, *dialogs_);
  mdiArea_->addSubWindow(frame);
  connect(frame->View(), &CTLEView::positionChanged, this, &CMainFrame::ShowPosition);
  // The view's keys and clip pop-up, with the effect commands; a clip cut in
  // one window is pasted in any.
  ViewCommands::Of(*frame->View()).ShareCutClipboard(cutClipboard_);
  ViewCommands::Of(*frame->View()).SetPopupExtender([this](QMenu& menu, bool onTransitionTrack, const TLEvent* clip) {
    AddEffectPopupItems(menu, onTransitionTrack, clip);
  });
  frame->View()->SetPreviewWindow(PreviewLink());
  ConnectViewPreviews(*frame->View());
  frame->UpdateTitles();
  frame->show();
  mdiArea_->setActiveSubWindow(frame);
  return frame;
}

void CMainFrame::ShowPosition(std::int32_t ms) {
  const CTLEView* view = ActiveView();
  const double fps = view != nullptr ? RateToFps(view->GetDocument().rate) : 29.97;
  statusBar()->showMessage(QString::fromStdString(FormatTimeCode(ms, fps)));
}

CTestFrame* CMainFrame::OnFileNew() {
  auto document = std::make_shared<ViewedDocument>();
  document->doc.title = "Timeline" + std::to_string(++untitledCount_);
  document->doc.SetFrameRate(NewTimelineRate(app_.movie));
  return AddFrame(std::move(document));
}

void CMainFrame::OnFileOpen() {
  const std::optional<std::string> path = dialogs_->OpenTimelinePath(this);
  if (path.has_value()) OpenTimeline(*path);
}

CTestFrame* CMainFrame::OpenTimeline(const std::string& path) {
  auto document = std::make_shared<ViewedDocument>();
  std::string error;
  std::vector<std::string> warnings;
  DoWaitCursor(1);
  const bool read = ReadTimelineFile(path, document->doc, &error, &warnings);
  DoWaitCursor(-1);
  if (!read) {
    ShowMessage(error, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  if (!warnings.empty()) ShowMessage(JoinLines(warnings), MB_OK | MB_ICONEXCLAMATION);
  document->doc.RecalcScale();
  return AddFrame(std::move(document));
}

bool CMainFrame::OnFileSave() {
  CTestFrame* frame = ActiveFrame();
  return frame != nullptr && frame->SaveDocument();
}

bool CMainFrame::OnFileSaveAs() {
  CTestFrame* frame = ActiveFrame();
  return frame != nullptr && frame->SaveDocumentAs();
}

void CMainFrame::OnFileClose() {
  CTestFrame* frame = ActiveFrame();
  if (frame == nullptr || !frame->CanCloseDocument()) return;
  // Every window of the document closes, without asking again.
  const std::shared_ptr<ViewedDocument> document = frame->Document();
  document->doc.SetModifiedFlag(false);
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    auto* other = qobject_cast<CTestFrame*>(window);
    if (other != nullptr && other->View() != nullptr && other->Document() == document) other->close();
  }
}

CTestFrame* CMainFrame::OnWindowNewWindow() {
  CTestFrame* frame = ActiveFrame();
  if (frame == nullptr) return nullptr;
  CTestFrame* added = AddFrame(frame->Document());
  added->UpdateTitles();
  return added;
}

void CMainFrame::OnAutoSave() {
  CTLEView* view = ActiveView();
  if (view != nullptr && view->GetDocument().IsModified()) view->AutoSaveTimeline();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (!window->close()) {
      event->ignore();
      return;
    }
  }
  QMainWindow::closeEvent(event);
}

}  // namespace sprocket
