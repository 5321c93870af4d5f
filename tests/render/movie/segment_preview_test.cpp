// Segment preview in both modes: the join block, the files, the player and
// the answers for every way through, and the document put back each time.

#include "render/movie/segment_preview.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "board_test_movie.h"
#include "libs/moviejoin/movie_join_block.h"
#include "platform/media/video_frame_reader.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/filter_ids.h"

namespace sprocket {
namespace {

using testing::ScriptedPrompts;
using testing::TempDir;

class FakeView : public SegmentPreviewView {
public:
  std::vector<BoardClipPiece> CollectBoardClipPieces(const TLEvent* head, std::int32_t start,
                                                     std::int32_t end) override {
    EXPECT_EQ(head, ownHead) << "the board clips are those of the document's own list";
    collected.emplace_back(start, end);
    return pieces;
  }
  void FreeBoardClipPieces(std::vector<BoardClipPiece>& list) override {
    ++freed;
    list.clear();
  }
  void RepaintNow() override { ++repaints; }
  void SetWaitCursor(bool on) override { waitCursor += on ? 1 : -1; }
  std::pair<std::int32_t, std::int32_t> ScreenSize() override { return {1920, 1080}; }
  void MovePlayLine(float timeMs, std::int32_t flag) override { playLine.emplace_back(timeMs, flag); }

  const TLEvent* ownHead = nullptr;
  std::vector<BoardClipPiece> pieces;
  std::vector<std::pair<std::int32_t, std::int32_t>> collected;
  std::vector<std::pair<float, std::int32_t>> playLine;
  int freed = 0;
  int repaints = 0;
  int waitCursor = 0;
};

// Board clip files whose every piece holds one chunk of 25 frames.
class OneChunkBoard : public BoardClipFiles {
public:
  void dudReadChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* master) override {
    *master = {BoardChunk{{7, 0, 24}, piece.path}};
  }
  void dudReadSlaveChunk(const BoardClipPiece&, std::vector<BoardChunk>* slave) override { slave->clear(); }
  void dudClearList(std::vector<BoardChunk>* master) override { master->clear(); }
  void dudClearSlaveList(std::vector<BoardChunk>* slave) override { slave->clear(); }
};

std::int32_t WordAt(HGLOBAL block, std::size_t offset) {
  GlobalLockGuard<const std::uint8_t> bytes(block);
  std::int32_t value;
  std::memcpy(&value, bytes.get() + offset, 4);
  return value;
}

struct Join {
  std::map<std::size_t, std::int32_t> words;  // the block's words by offset
  float fps = 0.0f;
  MovieJoinJob job;
};

// What the document holds that a preview must put back.
struct DocumentState {
  const TLEvent* head;
  const TLEvent* saved;
  std::int32_t rate, headRate, boardClipMode;
  std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t, std::string, std::size_t>> segments;
  bool operator==(const DocumentState&) const = default;
};
DocumentState StateOf(const CTestDoc& doc) {
  DocumentState state{doc.Head(), doc.savedHead.get(), doc.rate, doc.Head()->rate, doc.Head()->boardClipMode, {}};
  for (const TLFilter& s : doc.Head()->segments) {
    state.segments.emplace_back(s.start, s.end, s.rendered, s.fileName, s.params.size());
  }
  return state;
}

TLFilter Segment(std::int32_t start, std::int32_t end, bool rendered, const std::string& file = {}) {
  TLFilter segment;
  segment.start = start;
  segment.end = end;
  segment.length = end - start;
  segment.rendered = rendered ? 1 : 0;
  if (rendered) {
    segment.fileName = file;
    segment.params.push_back(MakeRenderedPiece(1, 0, 29, file, file + ".src"));
  }
  return segment;
}

class SegmentPreviewTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (MovieSettings* record : {&app_.movie, &app_.preview}) {
      record->VCompressionType = "CFCC";
      record->VResWidth = 720;
      record->VResHeight = 576;
      record->VFramesPerSec = 25.0f;
      record->VReserved1 = 0;
    }
    app_.preview.ABitsPerSample = 16;
    app_.preview.ASamplesPerSec = 22050;
    app_.preview.AChannels = 2;
    doc_.tempDir = dir_.path().string() + "/";
    doc_.rate = 2500;
    doc_.Head()->rate = 2500;
    doc_.Head()->segments = {Segment(0, 1000, true, "/seg/a.avi"), Segment(1000, 2000, false),
                             Segment(2000, 3000, true, "/seg/c.avi")};
  }

  bool Preview(bool preview, int mode, std::int32_t start, std::int32_t end) {
    SegmentPreviewServices services;
    services.view = &view_;
    services.app = &app_;
    services.family = family_;
    services.clipFiles = &board_;
    services.player = &player_;
    services.runRenderWindow = [this](const RenderJob& job) {
      soundJobs_.push_back(job);
      return soundResult_;
    };
    if (!realJoin_)
      services.writeMovieFile = [this](HGLOBAL block) {
        Join join;
        for (std::size_t offset = 0; offset < 120; offset += 4) join.words[offset] = WordAt(block, offset);
        std::memcpy(&join.fps, &join.words[36], 4);
        std::string error;
        EXPECT_TRUE(UnpackMovieJoinJob(block, &join.job, &error)) << error;
        joins_.push_back(std::move(join));
        return joinResult_;
      };
    doc_.AddSelection(FirstClip());
    view_.ownHead = doc_.Head();
    const DocumentState before = StateOf(doc_);
    const bool result = SegmentPreview(doc_, services).PreviewSegment(preview, mode, start, end);
    EXPECT_EQ(StateOf(doc_), before) << "the document's list, rate and segments are put back";
    EXPECT_TRUE(doc_.firstSpans.empty() && doc_.secondSpans.empty());
    if (result || !joins_.empty() || !view_.collected.empty()) EXPECT_EQ(doc_.SelectionCount(), 0u);
    EXPECT_EQ(view_.waitCursor, 0);
    EXPECT_EQ(view_.freed, static_cast<int>(view_.collected.size()));
    return result;
  }

  TLEvent* FirstClip() {
    for (TLEvent* e = doc_.Head(); e != nullptr; e = e->masterNext.get()) {
      if (e->IsClipIn()) return e;
    }
    return doc_.Head();
  }

  TempDir dir_;
  CTestDoc doc_;
  ApplicationState app_;
  PlatformFamily family_ = PlatformFamily::kWorkstation;
  FakeView view_;
  OneChunkBoard board_;
  RecordingBoardClipPlayer player_;
  int soundResult_ = 1;
  int joinResult_ = 0;
  bool realJoin_ = false;
  std::vector<RenderJob> soundJobs_;
  std::vector<Join> joins_;
};

TEST_F(SegmentPreviewTest, RefusesOutputThatIsNotInTheBoardsFormat) {
  for (int mode : {0, 1}) {
    family_ = PlatformFamily::kSingleUser;
    EXPECT_FALSE(Preview(true, mode, 0, 1000));
    family_ = PlatformFamily::kWorkstation;
    app_.preview.VCompressionType = app_.movie.VCompressionType = "MJPG";
    EXPECT_FALSE(Preview(true, mode, 0, 1000));
    app_.preview.VCompressionType = app_.movie.VCompressionType = "CFCC";
  }
  EXPECT_TRUE(joins_.empty());
  EXPECT_TRUE(view_.collected.empty());
}

TEST_F(SegmentPreviewTest, ModeZeroJoinsTheRenderedPiecesWithTheirSoundAndPlaysThemOnTheBoard) {
  app_.preview.VReserved1 = 1;
  ScriptedPrompts prompts;
  ASSERT_TRUE(Preview(true, 0, 500, 2500));

  ASSERT_EQ(soundJobs_.size(), 1u);
  EXPECT_EQ(soundJobs_[0].previewFlag, 1);
  EXPECT_EQ(soundJobs_[0].outputKind, OutputKind::kWav);
  EXPECT_EQ(soundJobs_[0].outputPath, doc_.tempDir + "recorder.wav");
  EXPECT_EQ(std::make_pair(soundJobs_[0].startMs, soundJobs_[0].endMs), std::make_pair(500, 2500));

  ASSERT_EQ(joins_.size(), 1u);
  const Join& join = joins_[0];
  const std::map<std::size_t, std::int32_t> expected = {{12, 720}, {16, 576}, {20, 25},         {24, 500},   {28, 2500},
                                                        {40, 24},  {60, 2},   {64, 0x43434643}, {72, 10000}, {76, -1},
                                                        {80, 1},   {84, 30},  {92, 16},         {96, 22050}, {100, 2}};
  for (const auto& [offset, value] : join.words) {
    if (offset == 0 || offset == 4 || offset == 36 || offset == 104) continue;
    const auto it = expected.find(offset);
    EXPECT_EQ(value, it == expected.end() ? 0 : it->second) << "offset " << offset;
  }
  EXPECT_EQ(join.fps, 25.0f);
  EXPECT_EQ(join.job.outputPath, doc_.tempDir + "preview.avi");
  EXPECT_EQ(join.job.soundPath, doc_.tempDir + "recorder.wav");
  // The frames of 500..1000 ms of the first segment's piece and of 2000..2500 ms of the third's.
  const std::vector<MovieJoinPiece> pieces = {{1, 13, 24, "/seg/a.avi"}, {1, 0, 12, "/seg/c.avi"}};
  EXPECT_EQ(join.job.firstPieces, pieces);
  EXPECT_TRUE(join.job.secondPieces.empty());

  ASSERT_EQ(player_.requests().size(), 1u);
  const RecordingBoardClipPlayer::Request& play = player_.requests()[0];
  EXPECT_EQ(play.path, doc_.tempDir + "preview.avi");
  EXPECT_EQ(play.monitor, (ScreenRect{920, 510, 1000, 570}));
  EXPECT_EQ(play.startMs, 500);
  EXPECT_EQ(std::make_pair(play.state1, play.state2), std::make_pair(0, 0));
  player_.Report(40);
  player_.Report(2000, 0);
  const std::vector<std::pair<float, std::int32_t>> line = {{540.f, 1}, {2500.f, 0}};
  EXPECT_EQ(view_.playLine, line);
  EXPECT_EQ(view_.repaints, 2);
  EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(SegmentPreviewTest, ModeZeroStopsQuietlyOrWithTheJoinMessage) {
  struct Case {
    const char* what;
    std::int32_t start, end;
    int reserved1, soundResult, joinResult;
    std::size_t joins;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"nothing rendered in the range", 1000, 2000, 1, 1, 0, 0, nullptr},
      {"sound stopped", 0, 1000, 1, -1, 0, 0, nullptr},
      {"join failed", 0, 1000, 0, 1, -1, 1, "Fail to preview.avi!"},
      {"no sound: no sound job, offset 60 holds 1", 0, 1000, 0, 1, 0, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    joins_.clear();
    soundJobs_.clear();
    player_ = RecordingBoardClipPlayer();
    app_.preview.VReserved1 = c.reserved1;
    soundResult_ = c.soundResult;
    joinResult_ = c.joinResult;
    ScriptedPrompts prompts;
    if (c.message != nullptr) prompts.Expect(c.message);
    EXPECT_TRUE(Preview(true, 0, c.start, c.end));
    EXPECT_EQ(joins_.size(), c.joins);
    EXPECT_EQ(soundJobs_.size(), c.reserved1 != 0 && c.joins + (c.soundResult == -1) > 0 ? 1u : 0u);
    const bool played = c.joins == 1 && c.joinResult != -1;
    EXPECT_EQ(player_.requests().size(), played ? 1u : 0u);
    if (played) {
      EXPECT_EQ(joins_[0].words.at(60), 1);
      EXPECT_EQ(joins_[0].job.soundPath, std::string());
      EXPECT_FALSE(std::filesystem::exists(doc_.tempDir + "recorder.wav"));
    }
    EXPECT_TRUE(prompts.AllShown());
  }
}

TEST_F(SegmentPreviewTest, ModeOneWritesTheConsoleFileOrSaysWhyNot) {
  struct Case {
    const char* what;
    std::int32_t start, end;
    bool boardClip;  // a board clip covers the unrendered middle segment
    int joinResult;
    bool result;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"rendered range", 0, 1000, false, 0, true, nullptr},
      {"unrendered segment", 500, 2500, false, 0, false,
       "The segment(00:00:01:00, 00:00:02:00) has not been rendered yet"},
      {"unrendered segment across the range's end", 500, 1500, false, 0, false,
       "The segment(00:00:01:00, 00:00:01:15) has not been rendered yet"},
      {"covered by a board clip", 500, 2500, true, 0, true, nullptr},
      {"join failed", 0, 1000, false, -1, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    joins_.clear();
    joinResult_ = c.joinResult;
    view_.pieces.clear();
    // On the console's 29.97 grid the clip covers 900..2102 ms.
    if (c.boardClip) view_.pieces.push_back(BoardClipPiece{"/board/take_1.PVD", 0, 900, 0, 1200, kNoImage});
    ScriptedPrompts prompts;
    if (c.message != nullptr) prompts.Expect(c.message);
    EXPECT_EQ(Preview(false, 1, c.start, c.end), c.result);
    EXPECT_TRUE(prompts.AllShown());
    EXPECT_TRUE(player_.requests().empty()) << "mode 1 plays nothing itself";
    ASSERT_EQ(joins_.size(), c.message == nullptr ? 1u : 0u);
    if (joins_.empty()) continue;
    const Join& join = joins_[0];
    EXPECT_EQ(join.words.at(60), 1);
    EXPECT_EQ(join.words.at(92), 8);
    EXPECT_EQ(join.words.at(96), 11025);
    EXPECT_EQ(join.words.at(100), 1);
    EXPECT_EQ(join.job.soundPath, std::string());
    EXPECT_EQ(join.fps, 25.0f);
    if (c.boardClip) {
      // a's frames from 500 ms up to the clip, the clip's chunk, c's frames from 2102 to 2500 ms.
      const std::vector<MovieJoinPiece> pieces = {
          {1, 13, 22, "/seg/a.avi"}, {7, 0, 24, "/board/take_1.PVD"}, {1, 3, 12, "/seg/c.avi"}};
      EXPECT_EQ(join.job.firstPieces, pieces);
    }
  }
  // A segment rendered without pieces leaves nothing to join.
  doc_.Head()->segments[1].rendered = 1;
  joins_.clear();
  ScriptedPrompts prompts;
  EXPECT_FALSE(Preview(false, 1, 1000, 2000));
  EXPECT_TRUE(joins_.empty());
}

TEST_F(SegmentPreviewTest, TheConsolePlaysTheRangeOnlyWhenItsFileWasWritten) {
  view_.ownHead = doc_.Head();
  const auto play = [this](std::int32_t start, std::int32_t end) {
    SegmentPreviewServices services;
    services.view = &view_;
    services.app = &app_;
    services.family = family_;
    services.player = &player_;
    services.writeMovieFile = [this](HGLOBAL) { return joinResult_; };
    return SegmentPreview(doc_, services).PlayConsoleRange(start, end);
  };
  ScriptedPrompts prompts;
  EXPECT_TRUE(play(0, 1000));
  ASSERT_EQ(player_.requests().size(), 1u);
  EXPECT_EQ(player_.requests()[0].path, doc_.tempDir + "preview.avi");
  EXPECT_EQ(player_.requests()[0].startMs, 0);
  player_.Report(400);
  EXPECT_EQ(view_.playLine.back(), std::make_pair(400.f, 1));
  joinResult_ = -1;
  EXPECT_FALSE(play(0, 1000));
  EXPECT_EQ(player_.requests().size(), 1u);
}

TEST_F(SegmentPreviewTest, TimesSnappedToTheBoardRateAreRestoredExactly) {
  doc_.rate = 2997;
  doc_.Head()->rate = 2997;
  doc_.Head()->segments = {Segment(0, 1001, true, "/seg/a.avi"), Segment(1001, 3003, true, "/seg/b.avi")};
  for (int mode : {0, 1}) {
    EXPECT_TRUE(Preview(true, mode, 0, 3003));
    EXPECT_EQ(doc_.Head()->segments[0].end, 1001);
    EXPECT_FALSE(doc_.Head()->segments[0].savedSpan.has_value());
  }
}

TEST_F(SegmentPreviewTest, TheJoinedFileHoldsTheFramesOfTheRangeAndIsRewrittenEachTime) {
  const std::string piece = (dir_ / "zkb1.avi").string();
  testing::WriteBoardMovie(piece, 6);
  doc_.Head()->segments = {Segment(0, 240, true, piece), Segment(240, 3000, false)};
  doc_.Head()->segments[0].params[0] = MakeRenderedPiece(1, 0, 5, piece, piece);
  realJoin_ = true;
  struct Case {
    int mode;
    std::int32_t start, end;
    std::int64_t frames;
  };
  for (const Case& c : {Case{1, 0, 240, 6}, Case{0, 40, 200, 4}}) {
    ASSERT_TRUE(Preview(true, c.mode, c.start, c.end));
    VideoFrameReader joined;
    ASSERT_TRUE(joined.Open(doc_.tempDir + "preview.avi")) << joined.ErrorText();
    EXPECT_EQ(joined.FrameCount(), c.frames);
    EXPECT_EQ(joined.Width(), 720);
    EXPECT_EQ(joined.FramesPerSecond(), 25.0);
  }
  EXPECT_EQ(player_.requests().size(), 1u);
}

}  // namespace
}  // namespace sprocket
