// Segment preview from the timeline view over the board's stand-in, with the
// real preview window: the joined file plays there, its progress moves the
// view's play line, and the end of the file leaves the view's picture clean.

#include <gtest/gtest.h>

#include "app/preview_window.h"
#include "board_test_movie.h"
#include "frame_test_timelines.h"
#include "platform/board/simulated_board.h"
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

}  // namespace
}  // namespace sprocket
