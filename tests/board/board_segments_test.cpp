// The segments that board clips on the timeline cover, filled from the
// board stand-in's chunk lists and dropped again.

#include "makemovie_fixture.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

class BoardSegmentsTest : public MakeMovieTest {
protected:
  void SetUp() override {
    SimulateBoard(false);
    doc.rate = 2500;
    doc.head = MakeDefaultTimeline(2500, 3000);
    doc.duration = 3000;
    take = WriteClip("take.avi", 64, 48, 50, 40, 40, 200, "CFCC", false);
    ASSERT_EQ(board->dudWriteChunk(take, 0, 1), 0);
    const std::string plain = WriteClip("plain.avi", 64, 48, 50, 200, 40, 40, "MJPG", false);
    // The board clip from 400 ms of its media, a plain clip, and the board
    // clip again on a higher track.
    TLEvent* first = AddClip(take, 1, 0, 1600);
    ASSERT_NE(first, nullptr);
    first->playIn = 400;
    first->ClipOut()->playOut = first->playOut = 2000;
    ASSERT_NE(AddClip(plain, 1, 1600, 3000), nullptr);
    ASSERT_NE(AddClip(take, 3, 2400, 2800), nullptr);
    SplitSegmentsAtClips(doc.Head());
    ASSERT_EQ(Segments().size(), 4u);
    // The last segment was rendered before.
    Segments()[3].rendered = 1;
    Segments()[3].params.push_back(MakeRenderedPiece(7, 0, 4, "/board/earlier.PVD"));
  }
  std::vector<TLFilter>& Segments() { return doc.Head()->segments; }

  std::string take;
};

TEST_F(BoardSegmentsTest, SegmentsUnderBoardClipsTakeTheirChunks) {
  const BoardChunkList chunks = board->dudReadChunk(take);
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(ReadBoardSegments(doc.Head(), *board), 2);

  struct Expected {
    std::int32_t rendered, boardClip, first, last;
  };
  // Frames 10..49 of the take under the first segment (from 400 ms), 0..9
  // under the third; the plain clip's segment and the earlier one stay.
  const Expected expected[] = {{1, 1, 10, 49}, {0, 0, 0, 0}, {1, 1, 0, 9}, {1, 0, 0, 4}};
  for (std::size_t i = 0; i < Segments().size(); ++i) {
    const TLFilter& segment = Segments()[i];
    EXPECT_EQ(segment.rendered, expected[i].rendered) << i;
    EXPECT_EQ(segment.boardClip, expected[i].boardClip) << i;
    if (expected[i].rendered == 0) {
      EXPECT_TRUE(segment.params.empty()) << i;
      continue;
    }
    ASSERT_EQ(segment.params.size(), 1u) << i;
    EXPECT_EQ(segment.params[0].firstFrame(), expected[i].first) << i;
    EXPECT_EQ(segment.params[0].lastFrame(), expected[i].last) << i;
    if (expected[i].boardClip == 1) {
      EXPECT_EQ(segment.params[0].pieceId(), chunks[0].pieceId);
      EXPECT_EQ(segment.params[0].name, chunks[0].clipName) << i;
      EXPECT_EQ(segment.params[0].secondName, take) << i;
    }
  }
  // The spans of a movie over the first two segments come from the take.
  const RenderSpanList spans = CollectRenderSpans(doc.Head(), 25.0f, 0, 2400, 1);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].firstFrame, 10);
  EXPECT_EQ(spans[0].lastFrame, 49);

  // Dropped again, the board's pieces leave the segments unrendered.
  DropBoardSegmentPieces(doc.Head());
  EXPECT_EQ(Segments()[0].rendered, 0);
  EXPECT_TRUE(Segments()[0].params.empty());
  EXPECT_EQ(Segments()[2].rendered, 0);
  EXPECT_EQ(Segments()[3].rendered, 1);
}

TEST_F(BoardSegmentsTest, NothingIsFilledWithoutTheBoardOrItsChunks) {
  NoVideoBoard none;
  EXPECT_EQ(ReadBoardSegments(doc.Head(), none), 0);
  // A board clip the board made no chunk list for.
  const std::string unlisted = WriteClip("unlisted.avi", 64, 48, 50, 40, 40, 200, "CFCC", false);
  EventListSlot other = MakeDefaultTimeline(2500, 1000);
  doc.head = std::move(other);
  ASSERT_NE(AddClip(unlisted, 1, 0, 1000), nullptr);
  SplitSegmentsAtClips(doc.Head());
  EXPECT_EQ(ReadBoardSegments(doc.Head(), *board), 0);
  for (const TLFilter& segment : Segments()) EXPECT_EQ(segment.rendered, 0);
}

}  // namespace
}  // namespace sprocket::testing
