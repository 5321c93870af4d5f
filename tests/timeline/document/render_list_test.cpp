// Render entries at times before, inside and after a transition.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "timeline/document/render_list.h"
#include "timeline/records/filter_ids.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;

constexpr double kFrameMs = 1000.0 / 29.97;

// V1 [0, 4000) plays media 1000..5000; V2 (track 3) [3000, 8000) plays 0..5000;
// a transition on track 2 over their overlap [3000, 4000).
class RenderListTest : public ::testing::Test {
protected:
  void SetUp() override {
    head = MakeDefaultTimeline(2997, 60000);
    a = InsertClip(head.get(), 1, 0, 4000, AviClip("a", 1000, 5000));
    b = InsertClip(head.get(), 3, 3000, 8000, AviClip("b", 0, 5000));
    TLEventFields fields;
    fields.transitionId = 1;
    transition = InsertClip(head.get(), 2, 3000, 4000, fields);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(transition, nullptr);
  }

  RenderList At(double t) { return BuildRenderList(t, t, head.get(), 0, 0, 0, 0); }

  EventListSlot head;
  TLEvent* a = nullptr;
  TLEvent* b = nullptr;
  TLEvent* transition = nullptr;
};

TEST_F(RenderListTest, BeforeTheTransitionOnlyTheFirstClipPlays) {
  RenderList list = At(1000);
  ASSERT_EQ(list.entries.size(), 1u);
  const RenderEntry& entry = list.entries[0];
  EXPECT_EQ(entry.trackLetter, 'V');
  EXPECT_EQ(entry.trackNumber, 1);
  EXPECT_EQ(entry.main.fileName, "/media/a.avi");
  EXPECT_EQ(entry.main.sourceFrame, 60);  // media 2000 ms at 30 fps
  EXPECT_FLOAT_EQ(entry.main.rate, 30.0f);
  ASSERT_TRUE(entry.main.header.has_value());
  EXPECT_EQ(entry.main.header->FrameCount(), 300);
  EXPECT_EQ(entry.main.sourceTime, 10000);  // the media's length
  EXPECT_EQ(entry.mediaType, kMediaAvi);
  EXPECT_EQ(entry.transitionLink, -1);
  EXPECT_EQ(list.TransitionLink(), nullptr);
}

TEST_F(RenderListTest, InsideTheTransitionOneEntryCarriesBothSides) {
  RenderList list = At(3500);
  ASSERT_EQ(list.entries.size(), 1u);
  const RenderEntry& entry = list.entries[0];
  EXPECT_EQ(entry.trackLetter, 'X');
  EXPECT_EQ(entry.trackNumber, 2);
  EXPECT_EQ(entry.sideA.fileName, "/media/a.avi");
  EXPECT_EQ(entry.sideA.trackNumber, 1);
  EXPECT_EQ(entry.sideA.sourceFrame, 135);  // media 4500 ms
  EXPECT_EQ(entry.sideB.fileName, "/media/b.avi");
  EXPECT_EQ(entry.sideB.trackNumber, 3);
  EXPECT_EQ(entry.sideB.sourceFrame, 15);  // media 500 ms
  EXPECT_NEAR(entry.transitionPercent, 100.0 * 500.0 / (1000.0 - kFrameMs), 1e-3);
  EXPECT_EQ(entry.transitionLink, 0);
  EXPECT_EQ(list.TransitionLink(), &list.entries[0]);
}

TEST_F(RenderListTest, AfterTheTransitionOnlyTheSecondClipPlays) {
  RenderList list = At(5000);
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].trackLetter, 'V');
  EXPECT_EQ(list.entries[0].trackNumber, 3);
  EXPECT_EQ(list.entries[0].main.sourceFrame, 60);
}

TEST_F(RenderListTest, TransitionPercentRunsFromStartToEndAndTakesTheSecondTime) {
  EXPECT_FLOAT_EQ(At(3000).entries[0].transitionPercent, 0.0f);
  // The last frame of the transition shows the end value.
  EXPECT_NEAR(At(4000 - kFrameMs).entries[0].transitionPercent, 100.0, 1e-3);
  RenderList split = BuildRenderList(3000, 3250, head.get(), 0, 0, 0, 0);
  EXPECT_NEAR(split.entries[0].transitionPercent, 100.0 * 250.0 / (1000.0 - kFrameMs), 1e-3);
  EXPECT_EQ(split.entries[0].sideA.sourceFrame, 120);  // frames follow the first time

  TLFilter dissolve;
  dissolve.id = 1;
  TLFilterParam range;
  range.values[0] = 20;
  range.values[1] = 80;
  dissolve.params.push_back(range);
  transition->filters.push_back(dissolve);
  EXPECT_NEAR(At(3500).entries[0].transitionPercent, 20.0 + 60.0 * 500.0 / (1000.0 - kFrameMs), 1e-3);
  ASSERT_EQ(At(3500).entries[0].transitionFilters.size(), 1u);
  EXPECT_EQ(At(3500).entries[0].transitionFilters[0].id, 1);
}

TEST_F(RenderListTest, OneFrameTransitionIsAtOneHundredPercent) {
  TLEvent* shortOne = InsertClip(head.get(), 2, 10000, 10033);
  ASSERT_NE(shortOne, nullptr);
  RenderList list = At(10010);
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_FLOAT_EQ(list.entries[0].transitionPercent, 100.0f);
  // No clip under either side: both show the blank frame.
  EXPECT_EQ(list.entries[0].sideA.fileName, kBlankFrameName);
  EXPECT_EQ(list.entries[0].sideB.fileName, kBlankFrameName);
}

TEST_F(RenderListTest, TransitionSidesFollowTheRecordedTracks) {
  transition->leftSide = 3;
  transition->rightSide = 1;
  RenderList list = At(3500);
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].sideA.fileName, "/media/b.avi");
  EXPECT_EQ(list.entries[0].sideB.fileName, "/media/a.avi");
}

TEST_F(RenderListTest, OverlaysFollowInTrackOrderAboveTheTransition) {
  InsertClip(head.get(), 5, 3200, 3800, AviClip("top", 0, 600));
  InsertClip(head.get(), 4, 3200, 3800, AviClip("middle", 0, 600));
  InsertClip(head.get(), 6, 3000, 3800, AviClip("voice", 0, 800));  // an audio track
  RenderList list = At(3500);
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].trackLetter, 'X');
  EXPECT_EQ(list.entries[1].trackNumber, 4);
  EXPECT_EQ(list.entries[2].trackNumber, 5);
  EXPECT_EQ(list.entries[0].transitionLink, 0);
}

TEST_F(RenderListTest, ClipEdgesAreHalfOpen) {
  EXPECT_EQ(At(8000).entries.size(), 0u);
  RenderList atIn = At(3000);
  ASSERT_EQ(atIn.entries.size(), 1u);
  EXPECT_EQ(atIn.entries[0].trackLetter, 'X');
  EXPECT_TRUE(At(30000).empty());
  EXPECT_TRUE(BuildRenderList(0, 0, nullptr, 0, 0, 0, 0).empty());
}

TEST_F(RenderListTest, SpeedAndReverseMoveTheSourceFrame) {
  TLEvent* fast = InsertClip(head.get(), 4, 10000, 12000, AviClip("fast", 0, 4000));
  fast->speed = 200;
  EXPECT_EQ(At(10500).entries[0].main.sourceFrame, 30);  // 1000 ms of media

  TLEvent* slow = InsertClip(head.get(), 4, 20000, 28000, AviClip("slow", 0, 4000));
  slow->speed = 50;
  EXPECT_EQ(At(21000).entries[0].main.sourceFrame, 15);

  TLEvent* back = InsertClip(head.get(), 4, 30000, 34000, AviClip("back", 1000, 5000));
  back->reverse = 1;
  EXPECT_EQ(At(30000).entries[0].main.sourceFrame, 149);  // the frame before 5000 ms
  EXPECT_EQ(At(30500).entries[0].main.sourceFrame, 134);  // 4500 ms - one frame
  EXPECT_EQ(At(34000 - 34).entries[0].main.sourceFrame, 30);
}

TEST_F(RenderListTest, SourceFrameStaysInsideTheMedia) {
  InsertClip(head.get(), 4, 10000, 20000, AviClip("short", 0, 10000, 100));
  EXPECT_EQ(At(19000).entries[0].main.sourceFrame, 99);
  TLEvent* early = InsertClip(head.get(), 4, 30000, 31000, AviClip("early", 0, 1000));
  early->reverse = 1;
  early->playOut = 20;
  EXPECT_EQ(At(30900).entries[0].main.sourceFrame, 0);
}

TEST_F(RenderListTest, StillCountsFramesSinceItsInTime) {
  TLEventFields still;
  still.directory = "/media/";
  still.name = "title";
  still.extension = ".bmp";
  still.mediaType = kMediaBmp;
  InsertClip(head.get(), 4, 10000, 12000, still);
  RenderList list = At(11000);
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_EQ(list.entries[0].main.sourceFrame, 30);
  EXPECT_EQ(list.entries[0].main.sourceTime, 2000);
  EXPECT_FLOAT_EQ(list.entries[0].main.rate, 29.97f);
  EXPECT_FALSE(list.entries[0].main.header.has_value());
}

TEST_F(RenderListTest, EffectPercentFollowsTheSecondTime) {
  RenderList list = BuildRenderList(1000, 2000, head.get(), 0, 0, 0, 0);
  EXPECT_NEAR(list.entries[0].main.effectPercent, 100.0 * 2000.0 / (4000.0 - kFrameMs), 1e-3);
  EXPECT_FLOAT_EQ(BuildRenderList(1000, 9000, head.get(), 0, 0, 0, 0).entries[0].main.effectPercent, 100.0f);
}

TEST_F(RenderListTest, IntermediateMovieClipRendersTheTimelineAtItsSourceTime) {
  TLEventFields stretch;
  stretch.intermediateMovie = IntermediateMovie{7, 20000, 25000, "intro"};
  stretch.playOut = 5000;
  InsertClip(head.get(), 4, 40000, 45000, stretch);
  RenderList list = At(41000);
  ASSERT_EQ(list.entries.size(), 1u);
  EXPECT_TRUE(list.entries[0].main.fileName.empty());
  EXPECT_EQ(list.entries[0].main.sourceTime, 21000);
  EXPECT_EQ(list.entries[0].passThroughKind, 0);

  // A clip whose movie maps back onto itself shows a black frame.
  TLEventFields loop;
  loop.intermediateMovie = IntermediateMovie{8, 50000, 55000, "loop"};
  loop.playOut = 5000;
  InsertClip(head.get(), 4, 50000, 55000, loop);
  EXPECT_EQ(At(51000).entries[0].main.fileName, kBlankFrameName);
}

TEST_F(RenderListTest, MaskFlagAndPassThroughKind) {
  TLFilter key;
  key.id = kFilterTransparencyAssignment;
  a->filters.push_back(key);
  a->passThroughKind = 2;
  RenderList list = At(1000);
  EXPECT_EQ(list.entries[0].main.maskFlag, 1);
  EXPECT_EQ(list.entries[0].passThroughKind, 2);
  ASSERT_EQ(list.entries[0].main.filters.size(), 1u);

  TLFilter plugIn;
  plugIn.id = kFilterPlugIn;
  plugIn.plugInData.assign(400, 0);
  b->filters.push_back(plugIn);
  EXPECT_EQ(At(5000).entries[0].main.maskFlag, 0);
  b->filters[0].plugInData[364] = 'Q';
  b->filters[0].plugInData[365] = 'X';
  EXPECT_EQ(At(5000).entries[0].main.maskFlag, 1);
}

bool TakesEverything(const RenderEntry&, std::uint32_t) { return true; }

TEST_F(RenderListTest, FastPathFlagComesFromTheEffectTest) {
  EXPECT_EQ(At(1000).entries[0].fastPath, 0);
  RenderList list = BuildRenderList(1000, 1000, head.get(), 0, 0, 0, 0, TakesEverything);
  EXPECT_EQ(list.entries[0].fastPath, 1);
  EXPECT_TRUE(IsTurboEffectEntry(list.entries[0], 0, TakesEverything));
  EXPECT_FALSE(IsTurboEffectEntry(list.entries[0], 0));
  FreeRenderList(list);
  EXPECT_TRUE(list.empty());
}

TEST_F(RenderListTest, PlainClipOnlyWhereNothingElseMeetsTheRange) {
  EXPECT_EQ(FindPlainClipForRange(head.get(), 500, 2500), a);
  EXPECT_EQ(FindPlainClipForRange(head.get(), 5000, 7000), b);
  EXPECT_EQ(FindPlainClipForRange(head.get(), 2500, 3500), nullptr);  // a transition meets it
  EXPECT_EQ(FindPlainClipForRange(head.get(), 7000, 9000), nullptr);  // not covered to its end
  EXPECT_EQ(FindPlainClipForRange(head.get(), 9000, 9500), nullptr);
  TLEvent* overlay = InsertClip(head.get(), 4, 6000, 7500, AviClip("overlay", 0, 1500));
  EXPECT_EQ(FindPlainClipForRange(head.get(), 5000, 7000), nullptr);
  EXPECT_EQ(FindPlainClipForRange(head.get(), 6500, 7000), overlay);
  overlay->filters.emplace_back();
  EXPECT_EQ(FindPlainClipForRange(head.get(), 6500, 7000), nullptr);
}

}  // namespace
}  // namespace sprocket

namespace sprocket {
namespace {

// What the compositor takes from a list, as text.
std::string Summary(const RenderList& list) {
  std::string text;
  for (const RenderEntry& entry : list.entries) {
    text += std::string(1, entry.trackLetter) + std::to_string(entry.trackNumber) + ":" + entry.main.fileName + "@" +
            std::to_string(entry.main.sourceFrame) + "/" + entry.sideA.fileName + "/" + entry.sideB.fileName + "/" +
            std::to_string(entry.transitionPercent) + " ";
  }
  return text;
}

// A timeline of many clips with gaps on two video tracks and transitions
// between them: the index finds, at every time, what a walk of the tracks
// finds, and an index of another timeline is not used.
TEST(RenderListIndex, FindsWhatAWalkFinds) {
  EventListSlot head = MakeDefaultTimeline(2500, 200000);
  for (int k = 0; k < 100; ++k) {
    ASSERT_NE(InsertClip(head.get(), 1, k * 1000, k * 1000 + 700, testing::AviClip("a" + std::to_string(k), 0, 700)),
              nullptr);
    if (k % 3 == 0) {
      ASSERT_NE(InsertClip(head.get(), 3, k * 1000 + 500, k * 1000 + 1500, testing::AviClip("b", 0, 1000)), nullptr);
      TLEventFields fields;
      fields.transitionId = 1;
      ASSERT_NE(InsertClip(head.get(), 2, k * 1000 + 500, k * 1000 + 700, fields), nullptr);
    }
  }
  const ClipTimeIndex index(head.get());
  EventListSlot other = MakeDefaultTimeline(2500, 200000);
  const ClipTimeIndex otherIndex(other.get());
  for (double t = -40; t < 101000; t += 37) {
    for (double at : {t, std::floor(t / 100) * 100}) {  // and the clips' edges
      const std::string walked = Summary(BuildRenderList(at, at, head.get(), 0, 0, 0, 0));
      ASSERT_EQ(Summary(BuildRenderList(at, at, head.get(), 0, 0, 0, 0, nullptr, &index)), walked) << at;
      ASSERT_EQ(Summary(BuildRenderList(at, at, head.get(), 0, 0, 0, 0, nullptr, &otherIndex)), walked) << at;
    }
  }
}

}  // namespace
}  // namespace sprocket
