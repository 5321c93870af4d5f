// Render segments: the split at clip edges and its invariants, edits, the
// range lookups, span collection and the board-clip merge.

#include <gtest/gtest.h>

#include "platform/string_table.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;

std::vector<std::pair<std::int32_t, std::int32_t>> Ranges(const FilterList& segments) {
  std::vector<std::pair<std::int32_t, std::int32_t>> ranges;
  for (const TLFilter& segment : segments) ranges.emplace_back(segment.start, segment.end);
  return ranges;
}

using Ranges_t = std::vector<std::pair<std::int32_t, std::int32_t>>;

class RenderSegmentsTest : public ::testing::Test {
protected:
  void SetUp() override {
    head = MakeDefaultTimeline(2997, 20000);
    a = InsertClip(head.get(), 1, 0, 4000, AviClip("a", 0, 4000));
    b = InsertClip(head.get(), 3, 3000, 8000, AviClip("b", 0, 5000));
    transition = InsertClip(head.get(), 2, 3000, 4000);
    InsertClip(head.get(), 6, 1500, 9500, AviClip("sound", 0, 8000));  // audio: no edges
    SplitSegmentsAtClips(head.get());
  }

  TLFilter* Segment(std::int32_t start) {
    for (TLFilter& segment : head->segments) {
      if (segment.start == start) return &segment;
    }
    return nullptr;
  }

  void Render(std::int32_t start, const std::string& file) {
    TLFilter* segment = Segment(start);
    ASSERT_NE(segment, nullptr);
    segment->fileName = file;
    segment->params.push_back(MakeRenderedPiece(2997, 30, 320, "", "", 240));
  }

  EventListSlot head;
  TLEvent* a = nullptr;
  TLEvent* b = nullptr;
  TLEvent* transition = nullptr;
};

TEST_F(RenderSegmentsTest, SegmentsPartitionTheTimelineAtPictureClipEdges) {
  EXPECT_EQ(Ranges(head->segments), (Ranges_t{{0, 3000}, {3000, 4000}, {4000, 8000}, {8000, 20000}}));
  EXPECT_TRUE(SegmentsCoverTimeline(head.get()));
  for (const TLFilter& segment : head->segments) EXPECT_EQ(segment.length, segment.end - segment.start);
  // The transition counts as an effect clip of its segment.
  EXPECT_EQ(Segment(3000)->count, 1);
  EXPECT_EQ(Segment(0)->count, 0);

  // A clip with a filter counts in every segment it spans.
  TLFilter filter;
  filter.id = 1304;
  b->filters.push_back(filter);
  SplitSegmentsAtClips(head.get());
  EXPECT_EQ(Segment(0)->count, 0);
  EXPECT_EQ(Segment(3000)->count, 2);
  EXPECT_EQ(Segment(4000)->count, 1);
  EXPECT_EQ(Segment(8000)->count, 0);
}

TEST_F(RenderSegmentsTest, SplitKeepsRenderingOfUnchangedRangesOnly) {
  Render(0, "/tmp/zkb1.avi");
  Render(4000, "/tmp/zkb2.avi");
  TLEvent* overlay = InsertClip(head.get(), 4, 5000, 6000, AviClip("overlay", 0, 1000));
  ASSERT_NE(overlay, nullptr);
  SplitSegmentsAtClips(head.get());
  EXPECT_EQ(Ranges(head->segments),
            (Ranges_t{{0, 3000}, {3000, 4000}, {4000, 5000}, {5000, 6000}, {6000, 8000}, {8000, 20000}}));
  EXPECT_TRUE(SegmentsCoverTimeline(head.get()));
  EXPECT_EQ(Segment(0)->fileName, "/tmp/zkb1.avi");
  EXPECT_EQ(Segment(0)->params.size(), 1u);
  EXPECT_TRUE(Segment(4000)->fileName.empty());
}

TEST_F(RenderSegmentsTest, ClipsBeyondTheEndAndEmptyTimelines) {
  InsertClip(head.get(), 4, 15000, 25000, AviClip("late", 0, 10000));
  SplitSegmentsAtClips(head.get());
  EXPECT_TRUE(SegmentsCoverTimeline(head.get()));
  EXPECT_EQ(head->segments.back().end, 20000);

  EventListSlot empty = NewTimeline(2997, 0);
  SplitSegmentsAtClips(empty.get());
  EXPECT_TRUE(empty->segments.empty());
  EXPECT_TRUE(SegmentsCoverTimeline(empty.get()));
}

TEST_F(RenderSegmentsTest, CoverCheckFindsGapsAndOverlaps) {
  head->segments[1].start = 2900;
  EXPECT_FALSE(SegmentsCoverTimeline(head.get()));
  SplitSegmentsAtClips(head.get());
  head->segments.pop_back();
  EXPECT_FALSE(SegmentsCoverTimeline(head.get()));
}

TEST_F(RenderSegmentsTest, EditForgetsTheRenderingOfTheEditedSpan) {
  for (std::int32_t start : {0, 3000, 4000, 8000}) Render(start, "/tmp/zkb" + std::to_string(start) + ".avi");
  EditRecord edit;
  edit.kind = kEditChangeTransition;
  UpdateSegmentsForEdit(head.get(), transition, &edit);
  EXPECT_FALSE(Segment(0)->fileName.empty());
  EXPECT_TRUE(Segment(3000)->fileName.empty());
  EXPECT_TRUE(Segment(3000)->params.empty());
  EXPECT_FALSE(Segment(4000)->fileName.empty());
  EXPECT_TRUE(SegmentsCoverTimeline(head.get()));
}

TEST_F(RenderSegmentsTest, SpeedChangeForgetsUpToTheOldOutTime) {
  for (std::int32_t start : {0, 3000, 4000, 8000}) Render(start, "/tmp/zkb" + std::to_string(start) + ".avi");
  // b ended at 8000 and now ends at 6000.
  b->ClipOut()->time = 6000;
  RelinkInTimeOrder(head.get(), b->ClipOut());
  EditRecord edit;
  edit.kind = kEditClipSpeed;
  edit.operands[0] = -2000;
  UpdateSegmentsForEdit(head.get(), b, &edit);
  EXPECT_EQ(Ranges(head->segments), (Ranges_t{{0, 3000}, {3000, 4000}, {4000, 6000}, {6000, 20000}}));
  EXPECT_FALSE(Segment(0)->fileName.empty());
  EXPECT_TRUE(Segment(3000)->fileName.empty());
  EXPECT_TRUE(Segment(6000)->fileName.empty());
}

TEST_F(RenderSegmentsTest, DeletedClipIsDescribedByItsOperands) {
  for (std::int32_t start : {0, 3000, 4000, 8000}) Render(start, "/tmp/zkb" + std::to_string(start) + ".avi");
  TLEvent* overlay = InsertClip(head.get(), 4, 9000, 10000, AviClip("overlay", 0, 1000));
  SplitSegmentsAtClips(head.get());
  Render(8000, "/tmp/zkbA.avi");
  Render(9000, "/tmp/zkbB.avi");
  Render(10000, "/tmp/zkbC.avi");
  DeleteClip(overlay);
  EditRecord edit;
  edit.kind = kEditDeleteClip;
  edit.operands[0] = 9000;
  edit.operands[1] = 1000;
  UpdateSegmentsForEdit(head.get(), nullptr, &edit);
  // The three segments around the deleted clip merge into one, unrendered.
  EXPECT_EQ(Ranges(head->segments), (Ranges_t{{0, 3000}, {3000, 4000}, {4000, 8000}, {8000, 20000}}));
  EXPECT_TRUE(Segment(8000)->fileName.empty());
  EXPECT_FALSE(Segment(4000)->fileName.empty());
}

TEST_F(RenderSegmentsTest, AudioEditsKeepRenderedVideo) {
  Render(4000, "/tmp/zkb.avi");
  UpdateSegmentsForEdit(head.get(), nullptr, nullptr);
  EXPECT_EQ(Segment(4000)->fileName, "/tmp/zkb.avi");
}

TEST_F(RenderSegmentsTest, RangeLookups) {
  FilterList& segments = head->segments;
  EXPECT_EQ(FindOverlappingSegment(segments, 4500, 7000), Segment(4000));
  EXPECT_EQ(FindOverlappingSegment(segments, 4000, 8000), Segment(4000));
  // The first segment the range meets, also when it spans several.
  EXPECT_EQ(FindOverlappingSegment(segments, 2000, 5000), Segment(0));
  EXPECT_EQ(FindOverlappingSegment(segments, 2999, 3000), Segment(0));
  EXPECT_EQ(FindOverlappingSegment(segments, 3000, 3000), Segment(3000));  // no length: the millisecond at t1
  EXPECT_EQ(FindOverlappingSegment(segments, 25000, 26000), nullptr);
  EXPECT_EQ(FindSegmentAt(segments, 3500), Segment(3000));
  EXPECT_EQ(FindSegmentAt(segments, 3000), nullptr);  // on an edge
  EXPECT_EQ(FindSegmentAt(segments, 25000), nullptr);
}

TEST_F(RenderSegmentsTest, RenderedSpansCountTheFramesOfTheRange) {
  head->segments.clear();
  TLFilter first;
  first.start = 0;
  first.end = 2000;
  first.rendered = 1;
  first.params.push_back(MakeRenderedPiece(5, 0, 59, "/board/seg1.avi", "/tmp/one.avi"));
  TLFilter second;
  second.start = 2000;
  second.end = 4000;
  second.rendered = 1;
  // Two pieces of 30 frames each, the second starting at frame 100 of its file.
  second.params.push_back(MakeRenderedPiece(6, 10, 39, "/board/seg2a.avi", "/tmp/two.avi"));
  second.params.push_back(MakeRenderedPiece(7, 100, 129, "/board/seg2b.avi", "/tmp/three.avi"));
  TLFilter unrendered;
  unrendered.start = 4000;
  unrendered.end = 6000;
  unrendered.params.push_back(MakeRenderedPiece(8, 0, 59, "/board/x.avi"));
  head->segments = {first, second, unrendered};

  RenderSpanList spans = CollectRenderSpans(head.get(), 29.97f, 500, 3500, 1);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0], (RenderSpan{5, 15, 59, "/board/seg1.avi"}));
  EXPECT_EQ(spans[1], (RenderSpan{6, 10, 39, "/board/seg2a.avi"}));
  EXPECT_EQ(spans[2], (RenderSpan{7, 100, 114, "/board/seg2b.avi"}));  // frames 30..44 of the segment
  EXPECT_EQ(CountSpanFrames(spans), MsToFrames(3000, 29.97));

  RenderSpanList second_names = CollectRenderSpans(head.get(), 29.97f, 500, 3500, 0);
  ASSERT_EQ(second_names.size(), 3u);
  EXPECT_EQ(second_names[2].fileName, "/tmp/three.avi");

  EXPECT_EQ(CountSpanFrames(CollectRenderSpans(head.get(), 29.97f, 0, 6000, 1)), 120);  // unrendered left out
  head->boardClipMode = 1;
  EXPECT_EQ(CountSpanFrames(CollectRenderSpans(head.get(), 29.97f, 0, 6000, 1)), 180);
  EXPECT_TRUE(CollectRenderSpans(head.get(), 29.97f, 3000, 3000, 1).empty());
  EXPECT_TRUE(CollectRenderSpans(head.get(), 0.0f, 0, 6000, 1).empty());
  FreeRenderSpanList(spans);
  EXPECT_TRUE(spans.empty());
}

TEST_F(RenderSegmentsTest, BoardRecordsKeepTheirPlaceAndSegmentsFillTheRest) {
  TLFilter record;
  record.id = 1;
  record.start = 3500;
  record.end = 6000;
  record.rendered = 1;
  FilterList list = {record};
  SubtractSegmentRanges(list, head->segments, 1000, 9000);
  EXPECT_EQ(Ranges(list), (Ranges_t{{1000, 3000}, {3000, 3500}, {3500, 6000}, {6000, 8000}, {8000, 9000}}));
  EXPECT_EQ(list[2].rendered, 1);
  EXPECT_EQ(list[1].rendered, 0);
}

TEST_F(RenderSegmentsTest, RefreshForgetsMissingFiles) {
  testing::TempDir dir;
  std::filesystem::path kept = dir.Write("zkb1.avi", "frames");
  Render(0, kept.string());
  Render(4000, (dir / "gone.avi").string());
  RefreshRenderSegments(head.get());
  EXPECT_EQ(Segment(0)->fileName, kept.string());
  EXPECT_TRUE(Segment(4000)->fileName.empty());
  EXPECT_TRUE(Segment(4000)->params.empty());
}

TEST_F(RenderSegmentsTest, BoardPiecesAreDroppedAgain) {
  Segment(4000)->boardClip = 1;
  Segment(4000)->rendered = 1;
  Segment(4000)->params.push_back(MakeRenderedPiece(1, 0, 10, "/board/clip.avi"));
  Segment(0)->rendered = 1;
  NoVideoBoard none;
  EXPECT_EQ(ReadBoardSegments(head.get(), none), 0);
  DropBoardSegmentPieces(head.get());
  EXPECT_EQ(Segment(4000)->rendered, 0);
  EXPECT_TRUE(Segment(4000)->params.empty());
  EXPECT_EQ(Segment(0)->rendered, 1);
}

TEST_F(RenderSegmentsTest, RenderedSegmentsInsideIntermediateMoviesAreRenderedAgainOnYes) {
  testing::TempDir dir;
  std::filesystem::path file = dir.Write("zkb9.avi", "frames");
  TLEventFields stretch;
  stretch.intermediateMovie = IntermediateMovie{1, 0, 2000, "intro"};
  stretch.playOut = 2000;
  InsertClip(head.get(), 4, 10000, 12000, stretch);
  SplitSegmentsAtClips(head.get());
  Render(10000, file.string());
  Render(0, "/tmp/elsewhere.avi");
  {
    testing::ScriptedPrompts prompts;
    prompts.Expect(std::string(StringText(61479)), IDNO);
    EXPECT_FALSE(ConfirmRerenderIntermediates(head.get()));
    EXPECT_TRUE(prompts.AllShown());
  }
  EXPECT_TRUE(std::filesystem::exists(file));
  {
    // A timeline file that stays as it was keeps naming the file: it stays.
    testing::ScriptedPrompts prompts;
    prompts.Expect(std::string(StringText(61479)), IDYES);
    EXPECT_TRUE(ConfirmRerenderIntermediates(head.get(), StaleSegmentFiles::kKept));
    EXPECT_TRUE(prompts.AllShown());
  }
  EXPECT_TRUE(std::filesystem::exists(file));
  EXPECT_TRUE(Segment(10000)->fileName.empty());
  Render(10000, file.string());
  {
    testing::ScriptedPrompts prompts;
    prompts.Expect(std::string(StringText(61479)), IDYES);
    EXPECT_TRUE(ConfirmRerenderIntermediates(head.get()));
    EXPECT_TRUE(prompts.AllShown());
  }
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(Segment(10000)->fileName.empty());
  EXPECT_EQ(Segment(0)->fileName, "/tmp/elsewhere.avi");
  // Nothing left to ask about.
  testing::ScriptedPrompts silent;
  EXPECT_FALSE(ConfirmRerenderIntermediates(head.get()));
}

}  // namespace
}  // namespace sprocket
