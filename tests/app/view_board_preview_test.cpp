// Segment preview from the timeline view over the board's stand-in, with the
// real preview window: the joined file plays there, its progress moves the
// view's play line, and the end of the file leaves the view's picture clean.
// From the editor's main window: the preview's sound is mixed in the render
// window, and ESC there plays nothing; the mixing console's range playback
// from the Preview menu.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <filesystem>
#include <utility>

#include "app/compile_dialog.h"
#include "app/main_frame.h"
#include "app/preview_window.h"
#include "board_test_movie.h"
#include "frame_test_timelines.h"
#include "platform/board/simulated_board.h"
#include "platform/message_pump.h"
#include "platform/settings/settings_keys.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "tleview/tle_view.h"
#include "tleview/view_previews.h"

namespace sprocket {
namespace {

TEST(ViewBoardPreview, TheJoinedFilePlaysInThePreviewWindowAndMovesThePlayLineUntilItEnds) {
  testing::TempDir dir;
  testing::ScriptedPrompts prompts;
  const std::string boardMovie = (dir / "take.avi").string();
  testing::WriteBoardMovie(boardMovie, 10);  // 400 ms at 25 frames a second
  auto board = std::make_unique<SimulatedBoard>(dir / "disk", false);
  ASSERT_EQ(board->dudWriteChunk(boardMovie, 0, 1), 0);

  auto document = std::make_shared<ViewedDocument>();
  EventListSlot head = testing::MakeFrameTimeline();
  testing::PlaceClip(head.get(), testing::ClipPlacement(boardMovie, 1, 1000, 1400));
  CTestDoc& doc = document->doc;
  doc.ReplaceTimeline(std::move(head));
  doc.rate = doc.Head()->rate;
  doc.tempDir = dir.path().string() + "/";
  doc.SplitSegmentsAtClips();
  Profile profile(dir / "RODUVER.INI");
  profile.WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, 2);
  profile.WriteProfileInt(settings::kBoard, settings::kBoardSimulate, 1);
  ApplicationState app;
  testing::SetBoardNativeSettings(app);
  ManualPlaybackClock clock;
  RecordingAudioOut audio;
  CPreviewWnd window(&audio, &clock);
  CTLEView view(document, app, profile);
  view.BackBuffer().Resize(640, 200);
  view.SetScaleIndex(3);
  view.SetPreviewWindow(&window);
  view.Previews().SetBoard(std::move(board));
  view.InvalidateAll();
  view.UpdateNow();
  const QImage clean = view.BackBuffer().Image().copy();

  ASSERT_TRUE(view.PreviewSegment(true, 0, 1000, 1400));
  EXPECT_TRUE(window.IsPlaying());
  EXPECT_EQ(view.boardPlayback, 1);
  std::vector<std::int32_t> lineXs{view.Previews().PlayLineX()};
  for (int step = 0; step < 30 && window.IsPlaying(); ++step) {
    clock.Advance(40);
    window.Tick();
    lineXs.push_back(view.Previews().PlayLineX());
  }
  EXPECT_EQ(window.FramesShown(), 10);
  // Each frame moves the line to its time on the timeline; the end erases it.
  ASSERT_GE(lineXs.size(), 3u);
  EXPECT_EQ(lineXs.front(), doc.TimeToX(1000));
  EXPECT_EQ(lineXs[lineXs.size() - 2], doc.TimeToX(1360));
  EXPECT_EQ(lineXs.back(), -1);
  EXPECT_EQ(view.boardPlayback, 0);
  view.UpdateNow();
  EXPECT_EQ(view.BackBuffer().Image(), clean);
}

// The editor with a timeline whose preview range a board clip covers, the
// board's stand-in switched on and the output settings in its format.
struct EditorWithBoardClip {
  testing::TempDir dir;
  testing::ScriptedPrompts prompts;  // an unexpected message fails the test
  Profile profile{dir / "RODUVER.INI"};
  ApplicationState app;
  ManualPlaybackClock clock;
  RecordingAudioOut audio;
  CPreviewWnd window{&audio, &clock};
  CMainFrame frame{nullptr, &app, &profile};
  CTLEView* view = nullptr;

  EditorWithBoardClip() {
    const std::string boardMovie = (dir / "take.avi").string();
    testing::WriteBoardMovie(boardMovie, 10);
    auto board = std::make_unique<SimulatedBoard>(dir / "disk", false);
    EXPECT_EQ(board->dudWriteChunk(boardMovie, 0, 1), 0);
    profile.WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, 2);
    profile.WriteProfileInt(settings::kBoard, settings::kBoardSimulate, 1);
    testing::SetBoardNativeSettings(app);
    for (MovieSettings* record : {&app.movie, &app.preview}) {
      record->VReserved1 = 1;  // with sound
      record->ASamplesPerSec = 11025;
      record->AChannels = 1;
      record->ABitsPerSample = 8;
    }
    frame.SetPreviewWindow(&window);
    frame.OnFileNew();
    view = frame.ActiveView();
    CTestDoc& doc = view->GetDocument();
    EventListSlot head = testing::MakeFrameTimeline();
    testing::PlaceClip(head.get(), testing::ClipPlacement(boardMovie, 1, 1000, 1400));
    doc.ReplaceTimeline(std::move(head));
    doc.rate = doc.Head()->rate;
    doc.tempDir = dir.path().string() + "/";
    doc.SplitSegmentsAtClips();
    doc.previewRange = {1000, 1400};
    doc.movieRange = {1000, 1400};
    view->Previews().SetBoard(std::move(board));
  }
  std::string Temp(const char* name) const { return view->GetDocument().tempDir + name; }
  QAction* PreviewItem(const QString& caption) {
    for (QAction* top : frame.menuBar()->actions()) {
      if (top->menu() == nullptr || top->text().remove('&') != "Preview") continue;
      for (QAction* item : top->menu()->actions()) {
        if (item->text().remove('&') == caption) return item;
      }
    }
    return nullptr;
  }
};

TEST(EditorBoardPreview, ThePreviewsSoundIsMixedInTheRenderWindowAndEscThereLeavesNothingToPlay) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "ESC in the render window" : "the sound mixed");
    EditorWithBoardClip editor;
    int renderWindows = 0;
    CCompileDlg* running = nullptr;
    editor.frame.SetRenderWindowWatcher([&](CCompileDlg& renderWindow) {
      ++renderWindows;
      running = &renderWindow;
    });
    // ESC while the job mixes: the job reads it when it pumps messages.
    SetPumpHook([&] {
      if (!escape || running == nullptr) return;
      QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(std::exchange(running, nullptr), &key);
    });
    editor.frame.OnBoardPreview(true);
    SetPumpHook({});
    EXPECT_EQ(renderWindows, 1) << "the sound job ran in the render window";
    EXPECT_EQ(std::filesystem::exists(editor.Temp("preview.avi")), !escape);
    EXPECT_EQ(editor.window.IsPlaying(), !escape);
    EXPECT_EQ(editor.view->boardPlayback, escape ? 0 : 1);
    if (!escape) {
      EXPECT_GT(std::filesystem::file_size(editor.Temp("recorder.wav")), 44u);
      editor.frame.OnStopPreview();
      EXPECT_FALSE(editor.window.IsPlaying());
      EXPECT_EQ(editor.view->boardPlayback, 0);
    }
  }
}

TEST(EditorBoardPreview, SegmentsRenderedInTheBoardsFormatBecomeItsClipsAndPlay) {
  EditorWithBoardClip editor;
  CTestDoc& doc = editor.view->GetDocument();
  doc.noMessage = 1;  // no completion message per segment
  std::vector<TLFilter*> marked;
  for (TLFilter& segment : doc.Head()->segments) {
    if (segment.start >= 1000 && segment.end <= 1400) marked.push_back(&segment);
  }
  ASSERT_FALSE(marked.empty());
  for (TLFilter* segment : marked) segment->marked = 1;
  editor.frame.OnRenderSegments(SegmentRenderKind::kMarked);
  for (const TLFilter* segment : marked) {
    EXPECT_EQ(segment->rendered, 1) << segment->start << "-" << segment->end;
    ASSERT_FALSE(segment->params.empty());
  }
  editor.frame.OnBoardPreview(true);
  EXPECT_TRUE(editor.window.IsPlaying());
  editor.frame.OnStopPreview();
}

TEST(EditorBoardPreview, APreviewWithNothingToPlaySaysSoInTheStatusBar) {
  EditorWithBoardClip editor;
  editor.view->GetDocument().previewRange = {0, 400};  // before the board clip: nothing rendered there
  editor.frame.OnBoardPreview(true);
  EXPECT_FALSE(editor.window.IsPlaying());
  EXPECT_TRUE(editor.frame.statusBar()->currentMessage().startsWith("Nothing played: nothing in the range"))
      << editor.frame.statusBar()->currentMessage().toStdString();
}

TEST(EditorBoardPreview, TheMixingConsolesRangePlaybackWritesThePreviewFileAndPlaysIt) {
  EditorWithBoardClip editor;
  int renderWindows = 0;
  editor.frame.SetRenderWindowWatcher([&](CCompileDlg&) { ++renderWindows; });
  QAction* item = editor.PreviewItem("Mixing Console Range Playback");
  ASSERT_NE(item, nullptr);
  item->trigger();
  EXPECT_EQ(renderWindows, 0) << "the console's file carries no mixed sound";
  EXPECT_TRUE(std::filesystem::exists(editor.Temp("preview.avi")));
  EXPECT_FALSE(std::filesystem::exists(editor.Temp("recorder.wav")));
  EXPECT_TRUE(editor.window.IsPlaying());
  EXPECT_EQ(editor.view->boardPlayback, 1);
  editor.frame.OnStopPreview();
  EXPECT_FALSE(editor.window.IsPlaying());
  EXPECT_EQ(editor.view->boardPlayback, 0);
}

}  // namespace
}  // namespace sprocket
