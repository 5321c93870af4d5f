#include "app/movie_service.h"

#include <QApplication>

#include "app/compile_dialog.h"
#include "tleview/tle_view.h"

namespace sprocket {

namespace {

// The wait cursor Make Movie shows around its preparations.
class WaitCursorUi : public NullRenderUi {
public:
  ~WaitCursorUi() override { SetWaitCursor(false); }
  void SetWaitCursor(bool on) override {
    if (on == on_) return;
    on_ = on;
    if (on)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }

private:
  bool on_ = false;
};

}  // namespace

std::optional<MakeMovieCommand> FindMakeMovieCommand(std::int32_t id) {
  for (const MakeMovieCommand& command : kMakeMovieCommands) {
    if (command.id == id) return command;
  }
  return std::nullopt;
}

EditorMovieService::EditorMovieService(CTestDoc& doc, EditorMovieSetup setup)
    : doc_(doc), setup_(std::move(setup)), waitCursor_(std::make_unique<WaitCursorUi>()) {}
EditorMovieService::~EditorMovieService() = default;

std::unique_ptr<MovieCompiler> EditorMovieService::MakeCompiler() {
  MovieRenderServices services = LibraryMovieRenderServices();
  services.view = setup_.view;
  services.ui = waitCursor_.get();
  services.dialogs = setup_.dialogs;
  services.board = setup_.board;
  services.player = setup_.player;
  services.profile = setup_.profile;
  services.app = setup_.app;
  services.window = [this](const RenderWindowJob& job) { return RunWindow(job); };
  return std::make_unique<MovieCompiler>(doc_, std::move(services));
}

int EditorMovieService::RunWindow(const RenderWindowJob& job) {
  CCompileDlg* shown = nullptr;
  CCompileDlg window(
      [&](RenderUi& ui) {
        if (watcher_) watcher_(*shown);
        return job(ui);
      },
      setup_.parent);
  shown = &window;
  CTLEView* lineView = setup_.lineView;
  if (lineView == nullptr) return window.DoModal();
  // Each job starts with no line of its own, whatever the progress calls
  // say, and takes its line away however it ends.
  struct LineEraser {
    CTLEView& view;
    ~LineEraser() { view.EraseRenderPositionLine(); }
  } eraser{*lineView};
  lineView->EraseRenderPositionLine();
  window.SetPositionLineHandler([lineView](std::int32_t ms, bool) { lineView->DrawRenderPositionLine(ms); });
  return window.DoModal();
}

int EditorMovieService::MakeMovie(int previewFlag, MovieOutputType type) {
  setup_.view->StopPreview();
  last_ = MakeCompiler();
  return last_->MakeMovie(previewFlag, type);
}

int EditorMovieService::RenderSegments(SegmentRenderKind kind) {
  setup_.view->StopPreview();
  std::unique_ptr<MovieCompiler> compiler = MakeCompiler();
  const int result = compiler->Segments().RenderMarkedSegments(
      0, kind == SegmentRenderKind::kAll, kind == SegmentRenderKind::kInRange, kind == SegmentRenderKind::kMarked);
  setup_.view->RepaintSegmentBand();
  setup_.view->UpdateOtherViews();
  return result;
}

int EditorMovieService::RunPreviewJob(const RenderJob& job) {
  RenderJobServices services = LibraryMovieRenderServices().job;
  services.view = setup_.view;
  return RunWindow([&](RenderUi& ui) {
    RenderJobRunner runner(doc_, ui, services);
    const int result = runner.Run(job);
    // A stopped sound mixdown ends as a completed one; a preview of it
    // would play cut short.
    return runner.Stopped() ? kRenderJobFailed : result;
  });
}

int EditorMovieService::LastJobResult() const { return last_ ? last_->LastJobResult() : 0; }
bool EditorMovieService::LastJobStopped() const { return last_ && last_->LastJobStopped(); }
std::string EditorMovieService::LastOutputPath() const { return last_ ? last_->LastOutputPath() : std::string(); }

}  // namespace sprocket
