#pragma once
// Make Movie and segment rendering from the editor: what the timeline
// view's movie and segment commands call. Every render job runs in the
// render window (CCompileDlg) over the editor's window, which shows the
// progress, the time code and the frame being rendered, and stops the job
// on ESC.
//
//   EditorMovieService movies(doc, {&view, &dialogs, mainWindow});
//   movies.MakeMovie(0, MovieOutputType::kAvi);

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "render/movie/movie_compiler.h"

class QWidget;

namespace sprocket {

class CCompileDlg;
class CTLEView;

// The timeline view's Make Movie commands.
struct MakeMovieCommand {
  std::int32_t id = 0;
  int previewFlag = 0;
  MovieOutputType type = MovieOutputType::kAvi;
};
inline constexpr std::array<MakeMovieCommand, 8> kMakeMovieCommands = {{
    {33028, 0, MovieOutputType::kAvi},
    {33031, 0, MovieOutputType::kFlc},
    {33030, 0, MovieOutputType::kImageSequence},
    {33029, 0, MovieOutputType::kWav},
    {32981, 1, MovieOutputType::kAvi},
    {33033, 1, MovieOutputType::kFlc},
    {33032, 1, MovieOutputType::kImageSequence},
    {33023, 1, MovieOutputType::kWav},
}};
std::optional<MakeMovieCommand> FindMakeMovieCommand(std::int32_t id);

// Which segments the segment rendering commands render.
enum class SegmentRenderKind { kAll, kInRange, kMarked };

struct EditorMovieSetup {
  MovieViewHooks* view = nullptr;         // required
  MovieOutputDialogs* dialogs = nullptr;  // required
  QWidget* parent = nullptr;              // the render window's parent
  ClipPlayer* player = nullptr;           // plays finished movies; null: none
  VideoBoard* board = nullptr;            // null: no board
  Profile* profile = nullptr;             // null: the process's settings
  ApplicationState* app = nullptr;        // null: the process's application state
  // The timeline view whose position line follows the frame being rendered
  // (erased when each job ends); null: none.
  CTLEView* lineView = nullptr;
};

class EditorMovieService {
public:
  EditorMovieService(CTestDoc& doc, EditorMovieSetup setup);
  ~EditorMovieService();
  EditorMovieService(const EditorMovieService&) = delete;
  EditorMovieService& operator=(const EditorMovieService&) = delete;

  // Stops previews, then Make Movie (MovieCompiler::MakeMovie's answer).
  int MakeMovie(int previewFlag, MovieOutputType type);
  int RunCommand(const MakeMovieCommand& command) { return MakeMovie(command.previewFlag, command.type); }
  // Renders the segments of the movie settings: every one, those inside the
  // movie range, or the marked ones; then repaints the ruler's segment band.
  // 0 when done, -1 when a segment failed.
  int RenderSegments(SegmentRenderKind kind);

  // Runs one render job in the render window, without stopping previews
  // (the segment preview's sound job runs inside a preview): the job's
  // result, -1 when it failed or the user stopped it.
  int RunPreviewJob(const RenderJob& job);

  // The last Make Movie: its job's result, whether the user stopped it, the
  // output path.
  int LastJobResult() const;
  bool LastJobStopped() const;
  std::string LastOutputPath() const;

  // Called with each render window as its job starts.
  void SetWindowWatcher(std::function<void(CCompileDlg&)> watcher) { watcher_ = std::move(watcher); }

private:
  std::unique_ptr<MovieCompiler> MakeCompiler();
  int RunWindow(const RenderWindowJob& job);

  CTestDoc& doc_;
  EditorMovieSetup setup_;
  std::unique_ptr<RenderUi> waitCursor_;  // Make Movie's wait cursor outside the window
  std::function<void(CCompileDlg&)> watcher_;
  std::unique_ptr<MovieCompiler> last_;
};

}  // namespace sprocket
