#pragma once
// What Make Movie and segment rendering work with besides the document:
// the render job's services, the timeline view, the output dialogs, the
// render window's display, the video board and the clip player, the
// settings and the application state.
//
// The editor hands its view and dialogs; the command-line tool and tests
// hand the headless view (HeadlessMovieView) and dialogs that answer
// without asking (FixedMovieOutput, or a script).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/application_state.h"
#include "platform/board/video_board.h"
#include "platform/settings/profile.h"
#include "platform/system_info.h"
#include "render/movie/render_temp_files.h"
#include "render/output/render_job.h"
#include "render/output/render_ui.h"
#include "timeline/document/crop_range.h"
#include "timeline/document/document.h"
#include "timeline/document/render_list.h"

namespace sprocket {

// What Make Movie and segment rendering ask of the timeline view, beyond
// what the render job asks.
class MovieViewHooks : public RenderViewHooks {
public:
  // Stops previews and scrubbing before a render.
  virtual void StopPreview() = 0;
  // Clears the drawn marks of the selected clips.
  virtual void InvalidateSelection() = 0;
  // Repaints the whole view at once, and the document's other views.
  virtual void RepaintNow() = 0;
  virtual void UpdateOtherViews() = 0;
  // Repaints the ruler's render-segment band, and the area below the three
  // mark bands.
  virtual void RepaintSegmentBand() = 0;
  virtual void RepaintBelowMarkBands() = 0;
  // Clamps the cropping settings against the clips' frames.
  virtual void CheckCroppingRange(TLEvent* head) = 0;
  // Clears the board-native mark of the clips.
  virtual void ClearNativeClipFlags(TLEvent* head) = 0;
  // Writes the timeline's backup.
  virtual void AutoSaveTimeline() = 0;
  // Saves the document to its own file (the answer to the save prompt).
  virtual bool SaveDocument() = 0;
};

// The operations of a timeline view that need no window, shared by the
// editor's view and the headless view: board-native answers from the
// settings, pass-through marks set on the document's clips, "Inc Comp" /
// "Disable" read from the settings when made, the board-native marks of the
// clips cleared, and the document saved to its own file. The repaint hooks
// are each view's own.
class MovieViewOperations : public MovieViewHooks {
public:
  MovieViewOperations(CTestDoc& doc, ApplicationState& app, Profile& profile);

  bool IsBoardNativeFormat(bool either, bool preview) override;
  void MarkPassThroughClips(bool preview) override;
  std::int32_t SegmentSwitch() override { return incCompDisable; }
  void SetPlaybackTimelineFlag(bool on) override { playbackTimeline = on ? 1 : 0; }
  void ClearNativeClipFlags(TLEvent* head) override;
  bool SaveDocument() override;

  // "Inc Comp" / "Disable": nonzero hides the rendered segments of output
  // that is not board-native.
  std::int32_t incCompDisable = 0;
  // 1 while an AVI job plays back a temporary playback timeline.
  std::int32_t playbackTimeline = 0;

protected:
  Profile& ViewProfile() const { return profile_; }

private:
  CTestDoc& doc_;
  ApplicationState& app_;
  Profile& profile_;
};

// The view of a document without a window: nothing is drawn, and no backup
// is written (crash recovery is the editor's).
class HeadlessMovieView : public MovieViewOperations {
public:
  using MovieViewOperations::MovieViewOperations;

  void StopPreview() override {}
  void InvalidateSelection() override {}
  void RepaintNow() override {}
  void UpdateOtherViews() override {}
  void RepaintSegmentBand() override {}
  void RepaintBelowMarkBands() override {}
  void CheckCroppingRange(TLEvent* head) override { sprocket::CheckCroppingRange(head); }
  void AutoSaveTimeline() override {}
};

// The output dialogs of Make Movie.
struct AviSaveRequest {
  std::string caption;  // "Save As AVI File"
  std::string filter;   // "AVI Files (.avi) | *.avi ||"
  std::string defaultExtension;
  std::string initialFolder;
  std::string movieTitle;       // the title field, seeded
  std::int32_t recordInMs = 0;  // the record-in time code, seeded
  std::int32_t framesPerSecond = 0;
};
struct AviSaveAnswer {
  std::string path;
  std::string movieTitle;
  std::int32_t recordInMs = 0;
};
struct FileSaveRequest {
  std::string caption;
  std::string filter;
  std::string defaultName;
  std::string defaultExtension;
};
// Image-sequence files are named by at most this many characters of the
// prefix chosen, then the image's number.
inline constexpr std::size_t kImageSequencePrefixLength = 4;

struct FolderPrefixAnswer {
  std::string folder;
  std::string prefix;  // at most kImageSequencePrefixLength characters are used
};

class MovieOutputDialogs {
public:
  virtual ~MovieOutputDialogs() = default;
  // The AVI save dialog with its title and record-in fields; nothing on Cancel.
  virtual std::optional<AviSaveAnswer> SaveAviFile(const AviSaveRequest& request) = 0;
  // The FLC and WAV save dialogs; nothing on Cancel.
  virtual std::optional<std::string> SaveFile(const FileSaveRequest& request) = 0;
  // The folder and file-name prefix of an image sequence; nothing when not accepted.
  virtual std::optional<FolderPrefixAnswer> PickFolderAndPrefix() = 0;
};

// Dialogs that answer with one output path: for image sequences the path
// is the folder and the file-name prefix ("/out/take" -> "/out/", "take").
// The AVI title and record-in fields keep their seeds.
class FixedMovieOutput : public MovieOutputDialogs {
public:
  explicit FixedMovieOutput(std::string path) : path_(std::move(path)) {}
  std::optional<AviSaveAnswer> SaveAviFile(const AviSaveRequest& request) override;
  std::optional<std::string> SaveFile(const FileSaveRequest&) override { return path_; }
  std::optional<FolderPrefixAnswer> PickFolderAndPrefix() override;

private:
  std::string path_;
};

// A render job as the render window runs it: against the window's display,
// answering the job's result code.
using RenderWindowJob = std::function<int(RenderUi& ui)>;
// Shows the front end's render window, runs the job in it and answers the
// window's result (the job's).
using RenderWindowRunner = std::function<int(const RenderWindowJob& job)>;

struct MovieRenderServices {
  // The render job's frame renderer and movie join; its view is set to
  // `view` for every job.
  RenderJobServices job;
  MovieViewHooks* view = nullptr;         // required
  RenderUi* ui = nullptr;                 // required
  MovieOutputDialogs* dialogs = nullptr;  // required by Make Movie
  VideoBoard* board = nullptr;            // null: no board
  ClipPlayer* player = nullptr;           // null: finished movies are not played
  Profile* profile = nullptr;             // null: the process's settings
  ApplicationState* app = nullptr;        // null: the process's application state
  TurboEffectTest turboTest = nullptr;    // the fast effect path's test, or none
  FreeSpaceProbe freeSpace;               // empty: the disks are measured
  RenderWindowRunner window;              // empty: jobs run against `ui`
  // True when the timeline's file stays as it was (the command-line tool):
  // segment files it names are never deleted, even those found out of date.
  bool keepTimelineSegmentFiles = false;
};

// The services bound to the project's own renderers, movie join and effect
// libraries; the caller adds its view, render UI, dialogs and board.
MovieRenderServices LibraryMovieRenderServices();

// The services with every optional member filled with the process's
// defaults (no board, the process's settings and state).
class ResolvedMovieServices {
public:
  explicit ResolvedMovieServices(MovieRenderServices services);
  ResolvedMovieServices(const ResolvedMovieServices&) = delete;
  ResolvedMovieServices& operator=(const ResolvedMovieServices&) = delete;

  MovieRenderServices& get() { return services_; }
  VideoBoard& board() { return *services_.board; }
  Profile& profile() { return *services_.profile; }
  ApplicationState& app() { return *services_.app; }
  MovieViewHooks& view() { return *services_.view; }
  RenderUi& ui() { return *services_.ui; }
  PlatformFamily family() const { return family_; }
  // Runs a render job in the render window, or against `ui` without one.
  int RunInWindow(const RenderWindowJob& job);
  bool singleUser() const { return family_ == PlatformFamily::kSingleUser; }

private:
  MovieRenderServices services_;
  NoVideoBoard noBoard_;
  PlatformFamily family_ = PlatformFamily::kSingleUser;
};

}  // namespace sprocket
