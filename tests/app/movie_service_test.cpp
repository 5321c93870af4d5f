// Make Movie from the editor in the real render window, offscreen: the
// demo timeline becomes the movie sprocket-render makes of the same file,
// ESC in the window stops it without a trace, and the statistics dialog
// shows the movie made.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <set>

#include "app/compile_dialog.h"
#include "app/movie_service.h"
#include "app/movie_stats_dialog.h"
#include "app/preview_window.h"
#include "app/preview_window_player.h"
#include "outside_tools.h"
#include "platform/board/simulated_board.h"
#include "platform/files/atomic_file.h"
#include "platform/message_pump.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "playback/playback_clock.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/tlefile/timeline_file.h"
#include "tleview/tle_view.h"

namespace sprocket {
namespace {

using testing::RunCommand;
using testing::TempDir;

constexpr const char* kSettings =
    "[Movie]\nVResWidth=160\nVResHeight=120\nVCompressionType=MJPG\nFResWidth=80\nFResHeight=60\n"
    "IResWidth=80\nIResHeight=60\n[Preview]\nPrev_VResWidth=80\nPrev_VResHeight=60\nPrev_VCompressionType=MJPG\n";
constexpr int kRangeEnd = 2000;

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// The md5 of a movie's decoded video or sound ("v" or "a").
std::string DecodedMd5(const std::string& path, const char* stream) {
  return RunCommand("ffmpeg -nostdin -v error -i " + Quoted(path) + " -map 0:" + stream + " -f md5 -").value_or("none");
}

// What the render window showed while its job ran.
struct WindowWatch {
  CCompileDlg* window = nullptr;
  int pumps = 0;
  int escAfter = 0;  // 0: never
  int maxPercent = 0;
  QString timeCode;
  bool picture = false;
  QString caption;
};

struct MovieServiceFixture {
  TempDir dir;
  testing::ScriptedPrompts prompts;  // an unexpected message fails the test
  CTestDoc doc;
  std::unique_ptr<HeadlessMovieView> view;
  RecordingAudioOut audio;
  ManualPlaybackClock clock;
  CPreviewWnd previewWindow{&audio, &clock};
  PreviewWindowPlayer player{previewWindow};
  WindowWatch watch;

  explicit MovieServiceFixture(std::int32_t rangeEnd = kRangeEnd) {
    SetConfigDir(dir / "config");
    dir.Write("config/RODUVER.INI", kSettings);
    LoadApplicationSettings(TheApp(), AppProfile());
    std::string error;
    EXPECT_TRUE(ReadTimelineFile(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle", doc, &error)) << error;
    doc.movieRange = {0, rangeEnd};
    doc.previewRange = {0, rangeEnd};
    doc.savePrompt = 0;
    std::filesystem::create_directories(dir / "tmp");
    doc.tempDir = (dir / "tmp").string() + "/";
    view = std::make_unique<HeadlessMovieView>(doc, TheApp(), AppProfile());
    SetPumpHook([this] {
      QCoreApplication::processEvents();
      if (watch.window == nullptr) return;
      watch.maxPercent = std::max(watch.maxPercent, watch.window->Percent());
      watch.timeCode = watch.window->TimeCodeText();
      watch.picture = watch.picture || !watch.window->Picture().isNull();
      watch.caption = watch.window->windowTitle();
      if (++watch.pumps == watch.escAfter) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(watch.window, &escape);
      }
    });
  }
  ~MovieServiceFixture() { SetPumpHook({}); }

  int MakeMovie(const std::string& path, int previewFlag = 0, MovieOutputType type = MovieOutputType::kAvi) {
    FixedMovieOutput dialogs(path);
    EditorMovieSetup setup;
    setup.view = view.get();
    setup.dialogs = &dialogs;
    setup.player = &player;
    EditorMovieService service(doc, setup);
    service.SetWindowWatcher([this](CCompileDlg& window) { watch.window = &window; });
    const int result = service.MakeMovie(previewFlag, type);
    stopped = service.LastJobStopped();
    watch.window = nullptr;
    return result;
  }

  std::string TimelineText() const {
    std::string text;
    FormatTimelineFile(doc, dir.path(), &text);
    return text;
  }

  bool stopped = false;
};

TEST(EditorMovieService, MakesTheMovieSprocketRenderMakesAndEscStopsWithoutATrace) {
  if (!testing::ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is needed";
  MovieServiceFixture f;
  const std::string movie = (f.dir / "editor.avi").string();
  ASSERT_EQ(f.MakeMovie(movie), 0);
  ASSERT_TRUE(std::filesystem::exists(movie));
  EXPECT_FALSE(f.stopped);
  EXPECT_GT(f.watch.maxPercent, 90);  // sampled between frames
  EXPECT_EQ(f.watch.timeCode.size(), 11) << f.watch.timeCode.toStdString();
  EXPECT_TRUE(f.watch.picture);
  EXPECT_FALSE(f.watch.caption.isEmpty());
  EXPECT_TRUE(f.previewWindow.IsMonitorRunning());  // the finished movie plays
  f.previewWindow.StopMonitor();

  const std::string oracle = (f.dir / "oracle.avi").string();
  const std::string run = std::string(SPROCKET_RENDER_EXE) + " " +
                          Quoted(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle") + " --out " + Quoted(oracle) +
                          " --range 0," + std::to_string(kRangeEnd) + " --config " +
                          Quoted((f.dir / "oracle-config").string()) + " >/dev/null 2>&1";
  f.dir.Write("oracle-config/RODUVER.INI", kSettings);
  ASSERT_TRUE(RunCommand(run).has_value());
  EXPECT_EQ(DecodedMd5(movie, "v"), DecodedMd5(oracle, "v"));
  EXPECT_EQ(DecodedMd5(movie, "a"), DecodedMd5(oracle, "a"));
  EXPECT_NE(DecodedMd5(movie, "v"), "none");

  // ESC a few frames into the next movie.
  const std::string before = f.TimelineText();
  const std::string stoppedMovie = (f.dir / "stopped.avi").string();
  f.watch = WindowWatch{};
  f.watch.escAfter = 5;
  f.MakeMovie(stoppedMovie);
  EXPECT_TRUE(f.stopped);
  EXPECT_FALSE(std::filesystem::exists(stoppedMovie));
  EXPECT_EQ(f.TimelineText(), before);

  const auto lines = CMovieStatsDlg(AppProfile()).Lines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(QString::fromStdString(movie).toUpper(), lines.front().second);
  EXPECT_EQ(lines.back().second, "60");  // frames: 2 s at 29.97
}

// The bytes of a file, or of every file of a folder in name order.
std::string Contents(const std::filesystem::path& path) {
  std::vector<std::filesystem::path> files;
  if (std::filesystem::is_directory(path)) {
    for (const auto& entry : std::filesystem::directory_iterator(path)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
  } else {
    files.push_back(path);
  }
  std::string bytes;
  for (const auto& file : files) bytes += file.filename().string() + ":" + ReadWholeFile(file).value_or("?") + ";";
  return bytes;
}

TEST(EditorMovieService, EveryOutputTypeMatchesSprocketRender) {
  const struct {
    MovieOutputType type;
    int preview;
    const char* cliType;
    const char* name;  // seq: a folder and the file prefix
    int frames;        // in the completion message; 0: none shown
    const char* lastFile;
  } cases[] = {
      {MovieOutputType::kFlc, 0, "flc", "movie.flc", 12, "movie.flc"},
      {MovieOutputType::kImageSequence, 0, "seq", "frames/take", 12, "frames/take0011.BMP"},
      {MovieOutputType::kWav, 1, "wav", "sound.wav", 0, ""},
      {MovieOutputType::kFlc, 1, "flc", "preview.flc", 6, "preview.flc"},
  };
  for (const auto& c : cases) {
    MovieServiceFixture f(400);
    for (const char* side : {"editor", "oracle"}) std::filesystem::create_directories(f.dir / side / "frames");
    const std::filesystem::path made = f.dir / "editor" / c.name;
    if (c.frames > 0) {
      f.prompts.Expect("Movie/Preview completed! \n Frames compiled: " + std::to_string(c.frames) +
                       " \nOutput File: " + (f.dir / "editor" / c.lastFile).string());
    }
    EXPECT_EQ(f.MakeMovie(made.string(), c.preview, c.type), 0) << c.name;
    EXPECT_FALSE(f.watch.caption.isEmpty()) << c.name;
    EXPECT_TRUE(f.prompts.AllShown()) << c.name;
    f.dir.Write("oracle-config/RODUVER.INI", kSettings);
    const std::filesystem::path oracle = f.dir / "oracle" / c.name;
    ASSERT_TRUE(RunCommand(std::string(SPROCKET_RENDER_EXE) + " " +
                           Quoted(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle") + " --type " + c.cliType +
                           (c.preview ? " --preview" : "") + " --out " + Quoted(oracle.string()) +
                           " --range 0,400 --config " + Quoted((f.dir / "oracle-config").string()) + " >/dev/null 2>&1")
                    .has_value())
        << c.name;
    const bool sequence = c.type == MovieOutputType::kImageSequence;
    EXPECT_EQ(f.previewWindow.IsMonitorRunning(), !sequence) << c.name;  // what was made plays
    const std::string editorBytes = Contents(sequence ? made.parent_path() : made);
    EXPECT_GT(editorBytes.size(), 100u) << c.name;
    EXPECT_EQ(editorBytes, Contents(sequence ? oracle.parent_path() : oracle)) << c.name;
  }
}

// Counts the repaints of the ruler's segment band.
class CountingView : public HeadlessMovieView {
public:
  using HeadlessMovieView::HeadlessMovieView;
  void RepaintSegmentBand() override { ++bandRepaints; }
  int bandRepaints = 0;
};

TEST(EditorMovieService, RenderingTheSegmentsInRangeGivesThemFilesInTheRenderWindow) {
  MovieServiceFixture f(5000);
  CountingView view(f.doc, TheApp(), AppProfile());
  FixedMovieOutput dialogs((f.dir / "unused.avi").string());
  EditorMovieSetup setup;
  setup.view = &view;
  setup.dialogs = &dialogs;
  EditorMovieService service(f.doc, setup);
  int windows = 0;
  service.SetWindowWatcher([&](CCompileDlg&) { ++windows; });
  const auto rendered = [&f] {
    int count = 0;
    for (const TLFilter& segment : f.doc.Head()->segments) count += std::filesystem::exists(segment.fileName) ? 1 : 0;
    return count;
  };
  ASSERT_EQ(rendered(), 0);
  EXPECT_EQ(service.RenderSegments(SegmentRenderKind::kInRange), 0);
  EXPECT_GT(windows, 0);
  EXPECT_EQ(rendered(), windows);
  EXPECT_GT(view.bandRepaints, 0);
  EXPECT_EQ(std::filesystem::path(f.doc.Head()->segments.front().fileName).parent_path(), f.dir / "tmp");
}

// The times of every record of the timeline, in master-list order.
std::vector<std::int32_t> EventTimes(const TLEvent* head) {
  std::vector<std::int32_t> times;
  for (const TLEvent* e = head; e != nullptr; e = e->masterNext.get()) times.push_back(e->time);
  return times;
}

// Render All Segments in the board's own format (720 x 480 at 29.97 frames
// a second) over the 25 frames a second demo: while the segments render,
// times are snapped to the board's frames and the timeline view repaints.
// Afterwards every time is as before and the movie band shows the range.
TEST(EditorMovieService, SegmentsRenderedInTheBoardsFormatLeaveTheTimesAsTheyWere) {
  MovieServiceFixture f(5000);
  for (MovieSettings* record : {&TheApp().movie, &TheApp().preview}) {
    record->VCompressionType = "CFCC";
    record->VResWidth = 720;
    record->VResHeight = 480;
    record->VFramesPerSec = 29.97f;
    record->VReserved1 = 0;
  }
  AppProfile().WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, 2);
  AppProfile().WriteProfileInt(settings::kBoard, settings::kBoardSimulate, 1);
  auto document = std::make_shared<ViewedDocument>();
  CTestDoc& doc = document->doc;
  ASSERT_TRUE(ReadTimelineFile(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle", doc));
  doc.movieRange = {0, 5000};
  doc.tempDir = f.doc.tempDir;
  CTLEView view(document, TheApp(), AppProfile());
  view.BackBuffer().Resize(640, 300);
  view.InvalidateAll();
  view.UpdateNow();
  const QImage before = view.BackBuffer().Image().copy();
  const std::vector<std::int32_t> times = EventTimes(doc.Head());
  const std::int32_t duration = doc.duration;

  SimulatedBoard board(f.dir / "disk", false);
  FixedMovieOutput dialogs((f.dir / "unused.avi").string());
  EditorMovieSetup setup;
  setup.view = &view;
  setup.dialogs = &dialogs;
  setup.board = &board;
  setup.lineView = &view;
  EditorMovieService service(doc, setup);
  int windows = 0;
  service.SetWindowWatcher([&](CCompileDlg&) { ++windows; });
  EXPECT_EQ(service.RenderSegments(SegmentRenderKind::kAll), 0);
  ASSERT_GT(windows, 0) << "a segment was rendered";
  EXPECT_EQ(EventTimes(doc.Head()), times);
  EXPECT_EQ(doc.duration, duration);
  // The view shows the timeline as before, but for the segment band.
  view.UpdateNow();
  const int bandsBottom = doc.margin + doc.bandHeight + 1;
  const QImage after = view.BackBuffer().Image();
  int differences = 0;
  for (int y = bandsBottom; y < after.height(); ++y)
    for (int x = 0; x < after.width(); ++x) differences += after.pixel(x, y) != before.pixel(x, y) ? 1 : 0;
  EXPECT_EQ(differences, 0);
}

TEST(EditorMovieService, CommandTableCoversEveryOutputForMovieAndPreview) {
  std::set<std::pair<int, int>> seen;
  for (const MakeMovieCommand& command : kMakeMovieCommands) {
    EXPECT_EQ(FindMakeMovieCommand(command.id)->type, command.type);
    seen.insert({command.previewFlag, static_cast<int>(command.type)});
  }
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_FALSE(FindMakeMovieCommand(33104).has_value());
}

}  // namespace
}  // namespace sprocket
