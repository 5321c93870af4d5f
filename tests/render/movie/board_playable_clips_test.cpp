// Board clips of the A/B roll collected for a range, their chunk lists cut
// to the frames each covers there, and a segment preview that plays them with
// the board's stand-in.

#include "render/movie/board_playable_clips.h"

#include <gtest/gtest.h>

#include "board_test_movie.h"
#include "frame_test_timelines.h"
#include "libs/boardclipplay/board_clip_play.h"
#include "platform/board/simulated_board.h"
#include "platform/media/video_frame_reader.h"
#include "render/movie/segment_preview.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/document/render_segments.h"

namespace sprocket {
namespace {

using testing::ClipPlacement;

class BoardPlayableClipsTest : public ::testing::Test {
protected:
  void SetUp() override {
    boardMovie_ = (dir_ / "take.avi").string();
    testing::WriteBoardMovie(boardMovie_, 10);  // 400 ms
    ASSERT_EQ(board_.dudWriteChunk(boardMovie_, 0, 1), 0);
    head_ = testing::MakeFrameTimeline();
    testing::PlaceClip(head_.get(), ClipPlacement(boardMovie_, 1, 1000, 1400));
    ClipPlacement later(boardMovie_, 3, 2000, 2200);
    later.playIn = 200;
    testing::PlaceClip(head_.get(), later);
    testing::PlaceClip(head_.get(), ClipPlacement(boardMovie_, 4, 1000, 1400));  // not on the A/B roll
  }

  testing::TempDir dir_;
  SimulatedBoard board_{dir_ / "disk", false};
  std::string boardMovie_;
  EventListSlot head_;
};

TEST_F(BoardPlayableClipsTest, ClipsOfTheAbRollAndTheirChunksCutToTheRange) {
  EXPECT_TRUE(CollectBoardClipPieces(head_.get(), board_, false, 0, 5000).empty());
  std::vector<BoardClipPiece> pieces = CollectBoardClipPieces(head_.get(), board_, true, 1100, 2100);
  ASSERT_EQ(pieces.size(), 2u);
  struct Expected {
    std::int32_t base, start, end, playIn, firstFrame, lastFrame;
  };
  // 25 frames a second: 100..400 ms of the first clip's media, 200..300 ms of the second's.
  const Expected expected[] = {{1000, 100, 400, 0, 3, 9}, {2000, 0, 100, 200, 5, 7}};
  VideoBoardClipFiles files(board_, 25.0);
  const BoardChunkList chunks = board_.dudReadChunk(boardMovie_);
  ASSERT_EQ(chunks.size(), 1u);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Expected& e = expected[i];
    EXPECT_EQ(pieces[i].path, boardMovie_);
    EXPECT_EQ(std::make_tuple(pieces[i].baseTime, pieces[i].startOffset, pieces[i].endOffset, pieces[i].copiedValue),
              std::make_tuple(e.base, e.start, e.end, e.playIn));
    std::vector<BoardChunk> master, slave;
    files.dudReadChunk(pieces[i], &master);
    files.dudReadSlaveChunk(pieces[i], &slave);
    ASSERT_EQ(master.size(), 1u);
    EXPECT_EQ(master[0].values, (std::array<std::int32_t, 3>{0, e.firstFrame, e.lastFrame}));
    EXPECT_EQ(master[0].fileName, chunks[0].clipName);
    ASSERT_EQ(slave.size(), 1u);
    EXPECT_EQ(slave[0].fileName, BoardClipSecondName(chunks[0].clipName));
  }
  FreeBoardClipPieces(pieces, nullptr);
  EXPECT_TRUE(pieces.empty());
}

// The view's side for a preview over the stand-in board.
class BoardView : public SegmentPreviewView {
public:
  explicit BoardView(VideoBoard& board) : board_(board) {}
  std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, std::int32_t start,
                                                     std::int32_t end) override {
    return sprocket::CollectBoardClipPieces(head, board_, true, start, end);
  }
  void FreeBoardClipPieces(std::vector<BoardClipPiece>& pieces) override {
    sprocket::FreeBoardClipPieces(pieces, nullptr);
  }
  void RepaintNow() override {}
  void SetWaitCursor(bool) override {}
  std::pair<std::int32_t, std::int32_t> ScreenSize() override { return {800, 600}; }
  void MovePlayLine(float, std::int32_t) override {}

private:
  VideoBoard& board_;
};

TEST_F(BoardPlayableClipsTest, AnUnrenderedStretchCoveredByABoardClipPlaysFromTheBoard) {
  CTestDoc doc;
  doc.ReplaceTimeline(std::move(head_));
  doc.rate = doc.Head()->rate;
  doc.tempDir = dir_.path().string() + "/";
  doc.SplitSegmentsAtClips();
  ApplicationState app;
  testing::SetBoardNativeSettings(app);
  BoardView view(board_);
  VideoBoardClipFiles files(board_, 25.0);
  RecordingBoardClipPlayer player;
  SegmentPreviewServices services;
  services.view = &view;
  services.app = &app;
  services.family = PlatformFamily::kWorkstation;
  services.clipFiles = &files;
  services.player = &player;
  testing::ScriptedPrompts prompts;
  ASSERT_TRUE(SegmentPreview(doc, services).PreviewSegment(true, 0, 1100, 1400));
  ASSERT_EQ(player.requests().size(), 1u);
  VideoFrameReader joined;
  ASSERT_TRUE(joined.Open(doc.tempDir + "preview.avi")) << joined.ErrorText();
  EXPECT_EQ(joined.FrameCount(), 7);
}

}  // namespace
}  // namespace sprocket
