// The master list and track chains of a timeline after inserts and moves.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timeline/basics/media_type.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::ChainText;
using testing::MasterText;

TEST(EventListTest, NewTimelineHasHeadAndEndOnBothLists) {
  EventListSlot head = NewTimeline(2500, 60000);
  EXPECT_EQ(MasterText(head.get()), "B E");
  EXPECT_EQ(head->rate, 2500);
  ASSERT_NE(TimelineEnd(head.get()), nullptr);
  EXPECT_EQ(TimelineDuration(head.get()), 60000);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, DefaultTimelineHasNineTracksWithTransitionTrackSecond) {
  EventListSlot head = MakeDefaultTimeline(2997, 1800000);
  EXPECT_EQ(CountTracks(head.get()), 9);
  EXPECT_EQ(FindTrack(head.get(), 2)->trackType, kTrackTransition);
  EXPECT_EQ(GetTrackOrdinal(FindTrack(head.get(), 3)), 2);  // V2
  EXPECT_EQ(GetTrackOrdinal(FindTrack(head.get(), 9)), 4);  // A4
  EXPECT_EQ(FindTrack(head.get(), 9)->next->time, 1800000);
  EXPECT_EQ(FindTrack(head.get(), 10), nullptr);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, ClipsTakeTheirPlacesInBothLists) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  AppendTrack(head.get(), kTrackVideo);
  ASSERT_NE(InsertClip(head.get(), 1, 5000, 9000), nullptr);
  ASSERT_NE(InsertClip(head.get(), 2, 1000, 5000), nullptr);
  ASSERT_NE(InsertClip(head.get(), 1, 0, 5000), nullptr);
  ASSERT_NE(InsertClip(head.get(), 2, 7000, 8000), nullptr);

  EXPECT_EQ(MasterText(head.get()), "B b1 b2 f1@0 f2@1000 F1@5000 F2@5000 f1@5000 f2@7000 F2@8000 F1@9000 e1 e2 E");
  EXPECT_EQ(ChainText(head.get(), 1), "b f@0 F@5000 f@5000 F@9000 e");
  EXPECT_EQ(ChainText(head.get(), 2), "b f@1000 F@5000 f@7000 F@8000 e");
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, ClipFieldsAndPartnerAreSet) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackAudio);
  TLEventFields fields;
  fields.directory = "/media/";
  fields.name = "voice";
  fields.extension = ".wav";
  fields.mediaType = kMediaWav;
  fields.playIn = 250;
  fields.playOut = 2250;
  TLEvent* clip = InsertClip(head.get(), 1, 3000, 5000, fields);
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->trackType, kTrackAudio);
  EXPECT_EQ(clip->MediaPath(), "/media/voice.wav");
  ASSERT_NE(clip->ClipOut(), nullptr);
  EXPECT_EQ(clip->ClipOut()->kind, kEventClipOut);
  EXPECT_EQ(clip->OutTime(), 5000);
  EXPECT_EQ(clip->ClipOut()->trackNumber, 1);
}

TEST(EventListTest, InsertRefusesBadClipsAndTracks) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  EXPECT_EQ(InsertClip(head.get(), 2, 0, 1000), nullptr);
  EXPECT_EQ(InsertClip(head.get(), 1, 1000, 1000), nullptr);
  EXPECT_EQ(InsertClip(head.get(), 1, -5, 1000), nullptr);
  EXPECT_EQ(InsertTrack(head.get(), 'Q', 1), nullptr);
  EXPECT_EQ(InsertTrack(head.get(), kTrackVideo, 3), nullptr);
  EXPECT_EQ(MasterText(head.get()), "B b1 e1 E");
}

TEST(EventListTest, TrackLimitIsOneHundred) {
  EventListSlot head = NewTimeline(2997, 60000);
  for (int i = 0; i < kMaxTracks; ++i) ASSERT_NE(AppendTrack(head.get(), kTrackAudio), nullptr);
  EXPECT_EQ(AppendTrack(head.get(), kTrackAudio), nullptr);
  EXPECT_EQ(CountTracks(head.get()), kMaxTracks);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, InsertedTrackRenumbersLaterTracksClipsAndTransitionSides) {
  EventListSlot head = MakeDefaultTimeline(2997, 60000);
  TLEvent* audio = InsertClip(head.get(), 6, 0, 1000);
  TLEventFields transition;
  transition.leftSide = 3;
  transition.rightSide = 1;
  TLEvent* fade = InsertClip(head.get(), 2, 0, 1000, transition);
  ASSERT_NE(InsertTrack(head.get(), kTrackAudio, 6), nullptr);
  EXPECT_EQ(audio->trackNumber, 7);
  EXPECT_EQ(audio->ClipOut()->trackNumber, 7);
  EXPECT_EQ(fade->leftSide, 3);
  EXPECT_EQ(fade->rightSide, 1);
  EXPECT_EQ(FindTrack(head.get(), 6)->next->kind, kEventTrackEnd);
  ASSERT_NE(InsertTrack(head.get(), kTrackVideo, 2), nullptr);
  EXPECT_EQ(fade->trackNumber, 3);
  EXPECT_EQ(fade->leftSide, 4);
  EXPECT_EQ(fade->rightSide, 1);
  EXPECT_EQ(CountTracks(head.get()), 11);
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, DeleteClipUnlinksBothRecords) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  InsertClip(head.get(), 1, 0, 1000);
  TLEvent* middle = InsertClip(head.get(), 1, 1000, 2000);
  InsertClip(head.get(), 1, 2000, 3000);
  DeleteClip(middle);
  EXPECT_EQ(ChainText(head.get(), 1), "b f@0 F@1000 f@2000 F@3000 e");
  EXPECT_EQ(MasterText(head.get()), "B b1 f1@0 F1@1000 f1@2000 F1@3000 e1 E");
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, FreeEventLeavesTheListStartAlone) {
  EventListSlot head = NewTimeline(2997, 60000);
  FreeEvent(head.get());
  FreeEvent(nullptr);
  EXPECT_EQ(MasterText(head.get()), "B E");
}

TEST(EventListTest, MovedClipKeepsBothListsInOrder) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  AppendTrack(head.get(), kTrackVideo);
  TLEvent* first = InsertClip(head.get(), 1, 0, 1000);
  InsertClip(head.get(), 1, 2000, 3000);
  first->time = 4000;
  first->ClipOut()->time = 5000;
  RelinkInTimeOrder(head.get(), first);
  RelinkInTimeOrder(head.get(), first->ClipOut());
  EXPECT_EQ(ChainText(head.get(), 1), "b f@2000 F@3000 f@4000 F@5000 e");
  EXPECT_EQ(MasterText(head.get()), "B b1 b2 f1@2000 F1@3000 f1@4000 F1@5000 e1 e2 E");
  ASSERT_TRUE(MoveClipToTrack(head.get(), first, 2));
  EXPECT_EQ(ChainText(head.get(), 1), "b f@2000 F@3000 e");
  EXPECT_EQ(ChainText(head.get(), 2), "b f@4000 F@5000 e");
  EXPECT_TRUE(CheckTimelineLinks(head.get()));
}

TEST(EventListTest, LinkCheckFindsBrokenChains) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  TLEvent* clip = InsertClip(head.get(), 1, 0, 1000);
  ASSERT_TRUE(CheckTimelineLinks(head.get()));
  clip->time = 2000;  // now after its own out record in the master list
  EXPECT_FALSE(CheckTimelineLinks(head.get()));
  clip->time = 0;
  clip->ClipOut()->trackNumber = 2;
  EXPECT_FALSE(CheckTimelineLinks(head.get()));
}

TEST(EventQueriesTest, FindTrackEventNearTakesRecordsWithinEighteenMs) {
  EventListSlot head = MakeDefaultTimeline(2997, 60000);
  InsertClip(head.get(), 3, 1000, 2000);
  InsertClip(head.get(), 3, 5000, 6000);
  EXPECT_EQ(FindTrackEventNear(head.get(), 1018, kTrackVideo, 3)->time, 1000);
  EXPECT_EQ(FindTrackEventNear(head.get(), 4982, kTrackVideo, 3)->kind, kEventClipIn);
  const TLEvent* before = FindTrackEventNear(head.get(), 4000, kTrackVideo, 3);
  EXPECT_EQ(before->kind, kEventClipOut);
  EXPECT_EQ(before->time, 2000);
  EXPECT_EQ(FindTrackEventNear(head.get(), 500, kTrackVideo, 3)->kind, kEventTrackBegin);
  EXPECT_EQ(FindTrackEventNear(head.get(), 500, kTrackAudio, 3), nullptr);
}

TEST(EventQueriesTest, OverlapKinds) {
  EventListSlot head = NewTimeline(2997, 60000);
  AppendTrack(head.get(), kTrackVideo);
  AppendTrack(head.get(), kTrackVideo);
  TLEvent* clip = InsertClip(head.get(), 1, 1000, 5000);
  struct Case {
    std::int32_t in, out;
    int kind;
    TimeSpan span;
  };
  for (const Case& c : std::vector<Case>{{5000, 6000, 0, {}},
                                         {0, 1000, 0, {}},
                                         {4000, 6000, 1, {4000, 5000}},
                                         {2000, 5000, 1, {2000, 5000}},
                                         {0, 2000, 2, {1000, 2000}},
                                         {2000, 3000, 3, {2000, 3000}},
                                         {1000, 5000, 4, {1000, 5000}},
                                         {0, 9000, 4, {1000, 5000}}}) {
    TLEvent* other = InsertClip(head.get(), 2, c.in, c.out);
    TimeSpan span;
    EXPECT_EQ(GetClipOverlap(clip, other, &span), c.kind) << c.in << ".." << c.out;
    if (c.kind != 0) {
      EXPECT_EQ(span, c.span) << c.in << ".." << c.out;
    }
    DeleteClip(other);
  }
}

TEST(EventQueriesTest, CoveredByUpperClipAndTransitionCount) {
  EventListSlot head = MakeDefaultTimeline(2997, 60000);
  TLEvent* lower = InsertClip(head.get(), 1, 1000, 3000);
  InsertClip(head.get(), 2, 1000, 2000);
  EXPECT_EQ(IsCoveredByUpperClip(head.get(), lower), 0);  // a transition is not a video track
  TLEvent* partial = InsertClip(head.get(), 4, 1500, 3000);
  EXPECT_EQ(IsCoveredByUpperClip(head.get(), lower), 0);
  DeleteClip(partial);
  InsertClip(head.get(), 5, 500, 3500);
  EXPECT_EQ(IsCoveredByUpperClip(head.get(), lower), 1);
  EXPECT_EQ(CountTransitions(head.get()), 1);
  EXPECT_EQ(FindClipCovering(head.get(), 1, 2999), lower);
  EXPECT_EQ(FindClipCovering(head.get(), 1, 3000), nullptr);
}

}  // namespace
}  // namespace sprocket
