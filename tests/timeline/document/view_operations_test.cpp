#include <gtest/gtest.h>

#include "timeline/basics/media_type.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/track_rows.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

// The default document: V1 X2 V3 V4 V5 A6 A7 A8 A9 at 25 frames a second.
class ViewOperations : public ::testing::Test {
protected:
  ViewOperations() { doc.rate = 2500; }
  TLEvent* Clip(int track, int in, int out, std::uint32_t link = 0, int playIn = 0, int speed = 100) {
    TLEventFields fields;
    fields.mediaType = kMediaAvi;
    fields.linkNumber = link;
    fields.playIn = playIn;
    fields.speed = speed;
    return InsertClip(doc.Head(), track, in, out, fields);
  }
  std::string Transitions() { return testing::ChainText(doc.Head(), 2); }
  CTestDoc doc;
};

TEST_F(ViewOperations, FindClipAtTimeIncludesBothEnds) {
  TLEvent* a = Clip(1, 1000, 2000);
  TLEvent* b = Clip(1, 3000, 4000);
  struct Case {
    int time;
    int track;
    TLEvent* expected;
  };
  const Case cases[] = {{999, 1, nullptr}, {1000, 1, a}, {2000, 1, a},       {2500, 1, nullptr},
                        {3000, 1, b},      {4000, 1, b}, {1500, 3, nullptr}, {1500, 42, nullptr}};
  for (const Case& c : cases) EXPECT_EQ(FindClipAtTime(doc.Head(), c.time, c.track), c.expected) << c.time;
}

TEST_F(ViewOperations, LinkedClipsAndSyncPartners) {
  TLEvent* video = Clip(1, 1000, 3000, 7, 500);
  TLEvent* inSync = Clip(6, 1010, 3000, 7, 500);  // media starts 10 ms apart
  TLEvent* unlinked = Clip(7, 1000, 3000, 0);
  TLEvent* farAudio = Clip(3, 5000, 6000, 9, 0);
  TLEvent* farVideo = Clip(4, 1000, 2000, 9, 0);  // media starts 4000 ms apart
  EXPECT_EQ(FindLinkedClip(doc.Head(), video), inSync);
  EXPECT_EQ(FindSyncPartner(doc.Head(), video), inSync);
  EXPECT_EQ(FindLinkedClip(doc.Head(), unlinked), nullptr);
  EXPECT_EQ(FindLinkedClip(doc.Head(), farAudio), farVideo);
  EXPECT_EQ(FindSyncPartner(doc.Head(), farAudio), nullptr);
  // Half speed doubles the play-in's length on the timeline: 1000 - 250 x 2.
  TLEvent* slow = Clip(8, 500, 900, 11, 250, 50);
  TLEvent* plain = Clip(9, 0, 900, 11, 0);
  EXPECT_EQ(FindSyncPartner(doc.Head(), slow), plain);
  plain->mediaType = kMediaWav;  // only AVI clips are split pairs
  EXPECT_EQ(FindLinkedClip(doc.Head(), plain), nullptr);
}

TEST_F(ViewOperations, CheckTrackRangeReportsWhatIsInTheWay) {
  TLEvent* a = Clip(1, 1000, 2000);
  TLEvent* b = Clip(1, 3000, 4000);
  TLEvent* first = nullptr;
  TLEvent* second = nullptr;
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 2000, 3000, &first, &second), kTrackRangeFree);
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 1999, 3000, &first, &second), kTrackRangeOneClip);
  EXPECT_EQ(first, a);
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 0, 5000, &first, &second), kTrackRangeClips);
  EXPECT_EQ(second, b);
  EXPECT_EQ(CheckTrackRange(doc, 'A', 1, 0, 5000, &first, &second), kTrackRangeNoTrack);
  doc.AddSelection(a);
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 0, 2500, &first, &second, true), kTrackRangeFree);
  // Under a speed change only the selected clip is left out, not a selected neighbour.
  doc.AddSelection(b);
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 0, 5000, &first, &second, true), kTrackRangeOneClip);
  EXPECT_EQ(first, b);
  EXPECT_EQ(CheckTrackRange(doc, 'V', 1, 0, 2500, &first, &second, false), kTrackRangeOneClip);
}

TEST_F(ViewOperations, FindOrAddAudioTrackInsertsBeforeABusyFirstAudioTrack) {
  EXPECT_EQ(FindOrAddAudioTrack(doc, 0, 1000), 6);
  Clip(6, 500, 1500);
  EXPECT_EQ(FindOrAddAudioTrack(doc, 1500, 2000), 6);
  EXPECT_EQ(FindOrAddAudioTrack(doc, 0, 1000), 6);  // a new track 6
  EXPECT_EQ(doc.trackCount, 10);
  EXPECT_EQ(FindClipAtTime(doc.Head(), 1000, 7) != nullptr, true);  // the busy track moved to 7
  // A new audio track shows its clips' waveforms; the old one keeps its status.
  EXPECT_EQ(FindTrack(doc.Head(), 6)->viewStatus, kTrackViewWaveform);
  EXPECT_EQ(FindTrack(doc.Head(), 7)->viewStatus, kTrackViewVideoOnly);

  CTestDoc videoOnly;
  videoOnly.ReplaceTimeline(NewTimeline(2500, 60000));
  AppendTrack(videoOnly.Head(), kTrackVideo);
  EXPECT_EQ(FindOrAddAudioTrack(videoOnly, 0, 1000), 2);
  EXPECT_EQ(FindTrack(videoOnly.Head(), 2)->trackType, kTrackAudio);
  EXPECT_EQ(FindTrack(videoOnly.Head(), 2)->viewStatus, kTrackViewWaveform);
}

TEST_F(ViewOperations, TransitionsFollowTheOverlapsOfTheRollTracks) {
  Clip(1, 0, 3000);
  TLEvent* b = Clip(3, 2000, 5000);
  ASSERT_EQ(RebuildTransitions(doc), 1);
  EXPECT_EQ(Transitions(), "b f@2000 F@3000 e");
  EXPECT_EQ(FindClipAtTime(doc.Head(), 2500, 2)->transitionId, kDefaultTransitionId);
  FindClipAtTime(doc.Head(), 2500, 2)->transitionId = 9;  // a chosen transition survives a resize

  b->time = 2500;
  RelinkInTimeOrder(doc.Head(), b);
  ASSERT_EQ(UpdateTransitionsForClip(doc, b), 1);
  EXPECT_EQ(Transitions(), "b f@2500 F@3000 e");
  EXPECT_EQ(FindClipAtTime(doc.Head(), 2600, 2)->transitionId, 9);

  b->time = 3000;  // the overlap is gone, and with it the transition
  RelinkInTimeOrder(doc.Head(), b);
  ASSERT_EQ(RebuildTransitions(doc), 1);
  EXPECT_EQ(Transitions(), "b e");
  EXPECT_TRUE(CheckTimelineLinks(doc.Head()));
}

TEST_F(ViewOperations, TransitionRebuildRefusesOverlapsItCannotSpan) {
  Clip(1, 0, 3000);
  TLEvent* b = Clip(3, 2980, 5000);  // 20 ms: shorter than a frame at 25 fps
  EXPECT_EQ(RebuildTransitions(doc), 0);
  EXPECT_EQ(Transitions(), "b e");
  b->time = 2000;
  RelinkInTimeOrder(doc.Head(), b);
  Clip(3, 500, 1500);
  Clip(1, 4000, 6000);
  EXPECT_EQ(RebuildTransitions(doc), 1);  // 500-1500, 2000-3000, 4000-5000
  EXPECT_EQ(Transitions(), "b f@500 F@1500 f@2000 F@3000 f@4000 F@5000 e");
  EXPECT_EQ(UpdateTransitionsForClip(doc, FindClipAtTime(doc.Head(), 500, 6)), 1);
}

TEST_F(ViewOperations, RowsAndTotalHeightFollowTheViewStatus) {
  struct Case {
    char type;
    int status;
    int rows;
  };
  const Case cases[] = {{'V', 0, 1},  {'V', -1, 2}, {'V', 1, 2}, {'V', 2, 2}, {'V', 3, 3},
                        {'A', -1, 1}, {'A', 0, 1},  {'A', 2, 1}, {'A', 3, 2}, {'X', 3, 1}};
  for (const Case& c : cases) EXPECT_EQ(TrackRowCount(c.type, c.status), c.rows) << c.type << c.status;
  EXPECT_EQ(GetTotalTrackHeight(doc), 9 * 34);
  FindTrack(doc.Head(), 1)->viewStatus = kTrackViewStereo;  // two extra rows of 35
  FindTrack(doc.Head(), 6)->viewStatus = kTrackViewStereo;  // one extra row
  EXPECT_EQ(GetTotalTrackHeight(doc), 9 * 34 + 3 * 35);
  doc.zoom = 0;
  EXPECT_EQ(GetTotalTrackHeight(doc), 9 * 110 + 3 * 111);
}

TEST_F(ViewOperations, RefusedEditComesBackWithoutARedoStep) {
  Clip(1, 0, 1000);
  doc.SaveUndoState(165);
  Clip(1, 2000, 3000);
  EXPECT_TRUE(RevertRefusedEdit(doc));
  EXPECT_EQ(testing::ChainText(doc.Head(), 1), "b f@0 F@1000 e");
  EXPECT_TRUE(doc.redoSteps.empty());
  EXPECT_TRUE(doc.undoSteps.empty());
  EXPECT_FALSE(RevertRefusedEdit(doc));
}

}  // namespace
}  // namespace sprocket
