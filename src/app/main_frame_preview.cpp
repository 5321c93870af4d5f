// The main window's Preview menu: stopping previews, the board previews of
// the active view, and playing a movie file or the last movie made in the
// preview window.

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <filesystem>

#include "app/main_frame.h"
#include "app/preview_window.h"
#include "app/timeline_mdi_window.h"
#include "platform/file_paths.h"
#include "platform/prompts.h"
#include "platform/settings/settings_keys.h"
#include "tleview/tle_view.h"
#include "tleview/view_previews.h"

namespace sprocket {

PreviewWindowLink* CMainFrame::PreviewLink() const { return previewWindow_; }

void CMainFrame::SetPreviewWindow(CPreviewWnd* window) {
  previewWindow_ = window;
  for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
    if (auto* frame = qobject_cast<CTestFrame*>(sub)) frame->View()->SetPreviewWindow(PreviewLink());
  }
}

void CMainFrame::createPreviewMenu() {
  QMenu* preview = menuBar()->addMenu(tr("&Preview"));
  preview->addAction(tr("&Stop Preview"), QKeySequence(tr("Ctrl+.")), this, [this] { OnStopPreview(); })
      ->setData(CTLEView::kStopPreviewCommand);
  preview->addSeparator();
  preview->addAction(tr("Board Preview (&Preview Settings)"), this, [this] { OnBoardPreview(true); });
  preview->addAction(tr("Board Preview (&Movie Settings)"), this, [this] { OnBoardPreview(false); });
  preview->addAction(tr("Mixing &Console Range Playback"), this, [this] { OnConsoleRangePlayback(); });
  preview->addSeparator();
  preview->addAction(tr("Play Movie &File..."), this, [this] { OnPlayMovieFile(); });
  preview->addAction(tr("Play &Last Movie"), this, [this] { OnPlayLastMovie(); });
}

void CMainFrame::OnStopPreview() {
  if (CTLEView* view = ActiveView()) view->OnStopPreview();
}

void CMainFrame::StopAllPreviews() {
  for (QMdiSubWindow* window : mdiArea_->subWindowList()) {
    if (auto* frame = qobject_cast<CTestFrame*>(window); frame != nullptr && frame->View() != nullptr) {
      frame->View()->StopPreview();
    }
  }
}

void CMainFrame::ConnectViewPreviews(CTLEView& view) {
  view.Previews().SetTipWindow(tipWindow_);
  view.Previews().SetRenderWindow([this, &view](const RenderJob& job) { return RunPreviewJob(view, job); });
  connect(&view, &CTLEView::boardPreviewRefused, this,
          [this, &view](bool preview) { ShowBoardPreviewRefused(view, preview); });
}

int CMainFrame::RunPreviewJob(CTLEView& view, const RenderJob& job) {
  EditorMovieSetup setup;
  setup.view = &view;
  setup.parent = this;
  setup.profile = &profile_;
  setup.app = &app_;
  EditorMovieService movies(view.GetDocument(), setup);
  if (renderWindowWatcher_) movies.SetWindowWatcher(renderWindowWatcher_);
  return movies.RunPreviewJob(job);
}

void CMainFrame::ShowBoardPreviewRefused(CTLEView& view, bool preview) {
  if (!view.IsBoardNativeFormat(false, preview)) {
    statusBar()->showMessage(tr("Nothing played: the output settings are not in the board's format"));
  } else {
    statusBar()->showMessage(
        tr("Nothing played: nothing in the range is ready for the board (render its segments from the Movie menu)"));
  }
}

void CMainFrame::OnBoardPreview(bool preview) {
  CTLEView* view = ActiveView();
  if (view == nullptr) return;
  const bool handled = view->OnBoardPreview(preview);
  if (!handled || view->boardPlayback == 0) ShowBoardPreviewRefused(*view, preview);
}

void CMainFrame::OnConsoleRangePlayback() {
  CTLEView* view = ActiveView();
  if (view == nullptr) return;
  if (!view->OnConsoleRangePlayback()) {
    statusBar()->showMessage(tr("Nothing played: no preview file could be made of the preview range"));
  }
}

bool CMainFrame::PlayMovieFile(const std::string& path) {
  if (previewWindow_ == nullptr) return false;
  if (CTLEView* view = ActiveView()) view->StopPreview();
  if (previewWindow_->Monitor(path)) return true;
  ShowMessage("Cannot play " + path + ": " + previewWindow_->ErrorText(), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

void CMainFrame::OnPlayMovieFile() {
  const QString path = QFileDialog::getOpenFileName(this, tr("Play Movie File"), QString(),
                                                    tr("Movies (*.avi *.mov *.mp4 *.mkv *.flc *.fli);;All Files (*)"));
  if (!path.isEmpty()) PlayMovieFile(path.toStdString());
}

bool CMainFrame::OnPlayLastMovie() {
  const std::string stored = profile_.GetProfileString(settings::kLastMakeMovie, "FileName");
  if (stored.empty()) {
    ShowMessage("No movie has been made yet.", MB_OK | MB_ICONINFORMATION);
    return false;
  }
  return PlayMovieFile(FindPathIgnoringCase(stored));
}

}  // namespace sprocket
