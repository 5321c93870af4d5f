#pragma once
// The set-up of the Make Movie tests: a fresh settings folder, a temporary
// folder for the document, two small MJPEG clips with sound and a tone,
// a timeline of clip A, a cross dissolve and clip B, the real compositor
// and movie join, scripted prompts and dialogs, and the video board off or
// simulated.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/application_state.h"
#include "platform/board/simulated_board.h"
#include "recording_render_ui.h"
#include "render/movie/movie_compiler.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/document.h"

namespace sprocket::testing {

// Dialogs that answer from a script and keep what they were asked.
class ScriptedDialogs : public MovieOutputDialogs {
public:
  std::optional<AviSaveAnswer> SaveAviFile(const AviSaveRequest& request) override;
  std::optional<std::string> SaveFile(const FileSaveRequest& request) override;
  std::optional<FolderPrefixAnswer> PickFolderAndPrefix() override;

  // The answer of the next dialog; nothing cancels it.
  std::optional<std::string> path;
  std::optional<FolderPrefixAnswer> folderPrefix;
  std::string movieTitle;  // replaces the AVI title field when not empty
  std::vector<AviSaveRequest> aviRequests;
  std::vector<FileSaveRequest> fileRequests;
  int folderRequests = 0;
};

// A pump hook that asks to stop at its n-th call (from 1), counting every call.
class StopAtPump {
public:
  explicit StopAtPump(int stopAt);
  ~StopAtPump();
  int calls() const { return *calls_; }

private:
  std::shared_ptr<int> calls_;
};

// One frame's mean blue, green and red.
struct MeanColour {
  double blue = 0, green = 0, red = 0;
};

class MakeMovieTest : public ::testing::Test {
protected:
  MakeMovieTest();
  ~MakeMovieTest() override;

  // The settings of the clips: 64 x 48 MJPEG at 25 frames a second with
  // 8-bit mono sound at 11025 Hz; both records alike.
  void UseSmallMovieSettings();
  // The board's own format: "CFCC" 720 x 480 at 29.97, without sound.
  void UseBoardNativeSettings();
  void SetFamily(int family);
  // Switches the board stand-in on, with or without its effects board.
  void SimulateBoard(bool effectsBoard);

  // Writes an AVI clip of `frames` frames of one colour (MJPG, or `codec`)
  // with 8-bit mono sound, and answers its path.
  // With `ramp` the green of frame k is 4 x k, so a frame tells its time.
  std::string WriteClip(const std::string& name, int width, int height, int frames, std::uint8_t blue,
                        std::uint8_t green, std::uint8_t red, const char* codec = "MJPG", bool sound = true,
                        bool ramp = false);
  // Puts a clip of a file on a track from `in` to `out` (its media from 0).
  TLEvent* AddClip(const std::string& path, std::int32_t track, std::int32_t in, std::int32_t out);
  // A cross dissolve on the transition track 2.
  TLEvent* AddDissolve(std::int32_t in, std::int32_t out);
  // The standard timeline: A on track 1 from 0 to 2000 ms, B on track 3 from
  // 1600 to 3000 ms, a dissolve from 1600 to 2000 ms; segments split at the
  // clips; movie and preview ranges 0..3000.
  // With `ramp` clip A's frames tell their time (see WriteClip).
  void BuildStandardTimeline(int width = 64, int height = 48, bool ramp = false);

  // The compiler over the document with the fixture's services.
  MovieCompiler& Compiler();
  // A new compiler whose disks report free space through `probe`.
  void UseFreeSpace(FreeSpaceProbe probe);
  int MakeMovie(int previewFlag, MovieOutputType type);
  std::string Out(const std::string& name) const { return (temp.path() / "out" / name).string(); }

  // Frames and sound length of a movie, by our own readers.
  std::int64_t VideoFrames(const std::string& path);
  MeanColour FrameColour(const std::string& path, std::int64_t frame);
  // The segment files that exist in the document's temporary folder.
  std::vector<std::string> SegmentFiles() const;
  // The files the document's segments name, sorted.
  std::vector<std::string> NamedSegmentFiles() const;
  // Renders the timeline's first segment, so that movies of ranges that
  // start in it take the road of rendered segments.
  void RenderFirstSegment(int previewFlag = 0);
  // How many segment renders the render window ran so far.
  std::size_t SegmentRenders() const;

  ScopedConfigDir config;
  TempDir temp;
  ScriptedPrompts prompts;
  ScriptedDialogs dialogs;
  RecordingClipPlayer player;
  RecordingRenderUi ui;
  CTestDoc doc;
  std::unique_ptr<SimulatedBoard> board;
  std::unique_ptr<HeadlessMovieView> view;  // made by Compiler() unless a test sets one
  std::unique_ptr<MovieCompiler> compiler;
  std::string clipA;
  std::string clipB;

private:
  FreeSpaceProbe freeSpace_;
  struct SavedSettings {
    MovieSettings movie;
    MovieSettings preview;
    std::string imageSequenceBasePath;
  };
  SavedSettings saved_;
};

// The completion text of a movie job.
std::string CompletedText(std::int64_t frames, const std::string& path);

}  // namespace sprocket::testing
