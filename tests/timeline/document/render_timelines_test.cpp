// Event lists made for render and playback jobs.

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "timeline/document/render_list.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/render_timelines.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;
using testing::ChainText;

class RenderTimelinesTest : public ::testing::Test {
protected:
  void SetUp() override {
    head = MakeDefaultTimeline(2997, 20000);
    a = InsertClip(head.get(), 1, 0, 4000, AviClip("a", 1000, 5000));
    InsertClip(head.get(), 3, 3000, 8000, AviClip("b", 0, 5000));
    InsertClip(head.get(), 2, 3000, 4000);
    InsertClip(head.get(), 6, 0, 8000, AviClip("sound", 0, 8000));
    SplitSegmentsAtClips(head.get());
    rendered = dir.Write("zkb1F.avi", "frames").string();
    for (TLFilter& segment : head->segments) {
      if (segment.start == 3000) {
        segment.fileName = rendered;
        segment.params.push_back(MakeSegmentFilePiece(grid, 30, 320, 240));
      }
    }
  }

  const MovieFrameGrid grid{29.97, 0};
  testing::TempDir dir;
  std::string rendered;
  EventListSlot head;
  TLEvent* a = nullptr;
};

TEST_F(RenderTimelinesTest, SegmentRenderCopyForgetsRenderedFiles) {
  EventListSlot copy = BuildSegmentRenderTimeline(head.get());
  ASSERT_TRUE(copy);
  EXPECT_TRUE(CheckTimelineLinks(copy.get()));
  EXPECT_EQ(copy->segments.size(), head->segments.size());
  for (const TLFilter& segment : copy->segments) {
    EXPECT_TRUE(segment.fileName.empty());
    EXPECT_TRUE(segment.params.empty());
  }
  EXPECT_EQ(head->segments[1].fileName, rendered);  // the source keeps them
  EXPECT_EQ(ChainText(copy.get(), 1), ChainText(head.get(), 1));
  EXPECT_FALSE(BuildSegmentRenderTimeline(nullptr));
}

TEST_F(RenderTimelinesTest, PlaybackTimelinePlaysTheRenderedFileOverItsSegment) {
  EventListSlot playback = BuildRenderedPlaybackTimeline(head.get(), grid);
  ASSERT_TRUE(playback);
  EXPECT_TRUE(CheckTimelineLinks(playback.get()));
  // The file's clip starts on the segment's first frame of the grid (3003 ms).
  EXPECT_EQ(ChainText(playback.get(), 1), "b f@0 F@3000 f@3003 F@4000 e");
  EXPECT_EQ(ChainText(playback.get(), 2), "b e");
  EXPECT_EQ(ChainText(playback.get(), 3), "b f@4000 F@8000 e");
  EXPECT_EQ(ChainText(playback.get(), 6), ChainText(head.get(), 6));  // sound untouched

  RenderList at = BuildRenderList(3500, 3500, playback.get(), 0, 0, 0, 0);
  ASSERT_EQ(at.entries.size(), 1u);
  EXPECT_EQ(at.entries[0].trackLetter, 'V');
  EXPECT_EQ(at.entries[0].main.fileName, rendered);
  EXPECT_EQ(at.entries[0].main.sourceFrame, 15);  // 500 ms into the segment at 29.97
  ASSERT_TRUE(at.entries[0].main.header.has_value());
  EXPECT_EQ(at.entries[0].main.header->FrameCount(), 30);
  TLEvent* segmentClip = FindClipCovering(playback.get(), 1, 3500);
  ASSERT_NE(segmentClip, nullptr);
  EXPECT_TRUE(segmentClip->renderedSegmentClip);

  // The trimmed clips still show the frames they showed before.
  RenderList before = BuildRenderList(5000, 5000, head.get(), 0, 0, 0, 0);
  RenderList after = BuildRenderList(5000, 5000, playback.get(), 0, 0, 0, 0);
  ASSERT_EQ(after.entries.size(), 1u);
  EXPECT_EQ(after.entries[0].main.sourceFrame, before.entries[0].main.sourceFrame);
  EXPECT_EQ(BuildRenderList(1000, 1000, playback.get(), 0, 0, 0, 0).entries[0].main.sourceFrame,
            BuildRenderList(1000, 1000, head.get(), 0, 0, 0, 0).entries[0].main.sourceFrame);
}

TEST_F(RenderTimelinesTest, MissingRenderedFilesAreNotPlayed) {
  head->segments[1].fileName = (dir / "gone.avi").string();
  EventListSlot playback = BuildRenderedPlaybackTimeline(head.get(), grid);
  EXPECT_EQ(ChainText(playback.get(), 2), ChainText(head.get(), 2));
}

TEST_F(RenderTimelinesTest, FilesMadeOnAnotherGridAreNotPlayed) {
  // Another rate, and a start whose frames fall between the file's.
  for (const MovieFrameGrid other : {MovieFrameGrid{25.0, 0}, MovieFrameGrid{29.97, 40}}) {
    EventListSlot playback = BuildRenderedPlaybackTimeline(head.get(), other);
    EXPECT_EQ(ChainText(playback.get(), 1), ChainText(head.get(), 1)) << other.fps << " " << other.originMs;
    EXPECT_EQ(ChainText(playback.get(), 2), ChainText(head.get(), 2));
  }
  // A movie from a later frame of the same grid plays the file.
  const MovieFrameGrid later{29.97, grid.TimeOf(60)};
  EXPECT_EQ(ChainText(BuildRenderedPlaybackTimeline(head.get(), later).get(), 1), "b f@0 F@3000 f@3003 F@4000 e");
  // A file holding fewer frames than the grid puts inside the segment.
  head->segments[1].params.front() = MakeSegmentFilePiece(grid, 29, 320, 240);
  EXPECT_EQ(ChainText(BuildRenderedPlaybackTimeline(head.get(), grid).get(), 2), ChainText(head.get(), 2));
}

TEST(SegmentGridTest, EveryMovieFrameInsideASegmentShowsItsOwnFileFrame) {
  struct Case {
    double fps;
    std::int32_t origin, start, end;
  };
  testing::TempDir dir;
  const std::string file = dir.Write("zkb2A.avi", "frames").string();
  // Segment edges off the frame grids, and movies that do not start at 0.
  for (const Case c : {Case{29.97, 0, 10077, 12013}, Case{23.976, 0, 1077, 3001}, Case{25.0, 0, 1013, 2987},
                       Case{29.97, 517, 1077, 2500}, Case{25.0, 20, 0, 1000}}) {
    SCOPED_TRACE(::testing::PrintToString(std::vector<double>{c.fps, double(c.origin), double(c.start)}));
    const MovieFrameGrid grid{c.fps, c.origin};
    EventListSlot head = MakeDefaultTimeline(2997, 20000);
    TLFilter segment;
    segment.start = c.start;
    segment.end = c.end;
    const auto [first, frames] = SegmentGridFrames(segment, grid);
    ASSERT_GT(frames, 0);
    EXPECT_GE(grid.TimeOf(first), c.start);
    EXPECT_TRUE(first == 0 || grid.TimeOf(first - 1) < c.start);
    EXPECT_LT(grid.TimeOf(first + frames - 1), c.end);
    EXPECT_GE(grid.TimeOf(first + frames), c.end);
    segment.fileName = file;
    segment.params.push_back(MakeSegmentFilePiece(grid, frames, 64, 48));
    head->segments = {segment};
    EventListSlot playback = BuildRenderedPlaybackTimeline(head.get(), grid);
    for (std::int64_t k = first; k < first + frames; ++k) {
      RenderList at = BuildRenderList(grid.TimeOf(k), grid.TimeOf(k), playback.get(), 0, 0, 0, 0);
      ASSERT_EQ(at.entries.size(), 1u) << k;
      EXPECT_EQ(at.entries[0].main.sourceFrame, k - first) << k;
    }
  }
}

TEST_F(RenderTimelinesTest, CuttingSplitsAClipAcrossTheRange) {
  a->reverse = 1;
  RenderList before = BuildRenderList(3500, 3500, head.get(), 0, 0, 0, 0);
  CutPictureClips(head.get(), 1000, 2000);
  EXPECT_EQ(ChainText(head.get(), 1), "b f@0 F@1000 f@2000 F@4000 e");
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
  TLEvent* right = FindClipCovering(head.get(), 1, 2500);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(right->playIn, 1000);
  EXPECT_EQ(right->playOut, 3000);
  TLEvent* left = FindClipCovering(head.get(), 1, 500);
  EXPECT_EQ(left->playIn, 4000);
  EXPECT_EQ(left->playOut, 5000);
  RenderList after = BuildRenderList(3500, 3500, head.get(), 0, 0, 0, 0);
  EXPECT_EQ(after.entries[0].sideA.sourceFrame, before.entries[0].sideA.sourceFrame);
}

TEST_F(RenderTimelinesTest, SegmentPreviewHoldsOnlyTheRenderedSegments) {
  EventListSlot preview = BuildSegmentPreviewTimeline(head.get(), 30000);
  ASSERT_TRUE(preview);
  EXPECT_TRUE(CheckTimelineLinks(preview.get()));
  EXPECT_EQ(preview->rate, 2997);
  EXPECT_EQ(TimelineDuration(preview.get()), 30000);
  EXPECT_EQ(CountTracks(preview.get()), 1);
  EXPECT_EQ(ChainText(preview.get(), 1), "b f@3000 F@4000 e");
  EXPECT_EQ(preview->segments.size(), head->segments.size());
  EXPECT_FALSE(BuildSegmentPreviewTimeline(nullptr, 1000));
}

}  // namespace
}  // namespace sprocket
