// The timeline view's rooms: the layout places clips, the picture cache
// makes their pictures before a paint, and the paint draws what is there
// without changing the document or opening media.

#include <gtest/gtest.h>
#include <QCoreApplication>

#include "timeline/document/event_list_dump.h"
#include "view_test_support.h"

namespace sprocket {
namespace {

std::vector<std::int32_t> EndTimes(const TLEvent* head) {
  std::vector<std::int32_t> times;
  for (const TLEvent* e = head; e != nullptr; e = e->masterNext.get()) {
    if (e->kind == kEventTrackEnd || e->kind == kEventTimelineEnd) times.push_back(e->time);
  }
  return times;
}

class ViewRooms : public ClipView {
protected:
  // Counts the waveforms made, and fails them while `failWaveforms` is set.
  void CountWaveforms() {
    view->Pictures().makeWaveform = [this](const CTestDoc& d, WaveformPainter& painter, TLEvent& clip, int channel) {
      ++waveformCalls;
      return failWaveforms ? 0 : DrawClipWaveform(d, painter, clip, channel);
    };
  }
  // A movie, a sound and a transition, with times as a render in the
  // board's frame rate leaves them: the ends of the timeline and of every
  // track behind the clips, a clip's out record before its in record.
  void AddDisorderedTimeline() {
    Track(6)->viewStatus = kTrackViewWaveform;
    AddFileClip(1, 500, 2500, WriteFile("movie.avi"), kMediaAvi);
    ASSERT_NE(AddDemoClip(6, 1000, "tone.wav"), nullptr);
    InsertClip(doc().Head(), 2, 2000, 2500)->transitionId = 1;
    TLEvent* late = AddFileClip(3, 4000, 4500, WriteFile("late.avi"), kMediaAvi);
    late->ClipOut()->time = 3900;
    for (TLEvent* e = doc().Head(); e != nullptr; e = e->masterNext.get()) {
      if (e->kind == kEventTrackEnd || e->kind == kEventTimelineEnd) e->time = 3000;
    }
  }
  int waveformCalls = 0;
  bool failWaveforms = false;
};

TEST_F(ViewRooms, PaintingChangesNothingAndOpensNoMedia) {
  testing::ScriptedPrompts prompts;
  CountWaveforms();
  AddDisorderedTimeline();
  const std::string before = DumpDocument(doc());
  const QImage drawn = DrawOnly(*view);
  EXPECT_EQ(DumpDocument(doc()), before);
  EXPECT_EQ(frames->calls, 0);
  EXPECT_EQ(waveformCalls, 0);
  // Without pictures the clips are drawn all the same.
  EXPECT_GT(Count(dc::Rect{kX0, Top(1), kWidth, Top(1) + doc().RowHeight()}, kClipBody, &drawn), 100);

  // The window's paint makes the pictures first; the times stay as they are.
  const std::vector<std::int32_t> ends = EndTimes(doc().Head());
  const QImage& painted = Paint();
  EXPECT_EQ(EndTimes(doc().Head()), ends);
  EXPECT_GT(frames->calls, 0);
  EXPECT_GT(waveformCalls, 0);
  EXPECT_TRUE(prompts.shown().empty());
  // A paint of the same document draws exactly what the cache holds.
  const int framesBefore = frames->calls;
  const int wavesBefore = waveformCalls;
  EXPECT_EQ(Differences(DrawOnly(*view), painted), 0);
  EXPECT_EQ(frames->calls, framesBefore);
  EXPECT_EQ(waveformCalls, wavesBefore);
  EXPECT_GT(Count(dc::Rect{0, 0, kWidth, kHeight}, kWaveGreen, &painted), 50);
}

TEST_F(ViewRooms, WaveformsAfterZoomingOutThreeTimesAndBackEqualAFreshViews) {
  AddDemoTimeline();
  view->SetScaleIndex(3);
  const QImage fresh = Paint().copy();
  ASSERT_GT(Count(dc::Rect{0, 0, kWidth, kHeight}, kWaveGreen, &fresh), 50);
  for (int scale : {4, 5, 6, 5, 4, 3}) {
    view->SetScaleIndex(scale);
    Paint();
  }
  EXPECT_EQ(Differences(Paint(), fresh), 0);
}

TEST_F(ViewRooms, AFailedWaveformLeavesItsSlotEmptyAndIsTriedAgain) {
  CountWaveforms();
  Track(6)->viewStatus = kTrackViewWaveform;
  TLEvent* clip = AddDemoClip(6, 1000, "tone.wav");
  ASSERT_NE(clip, nullptr);
  Paint();
  ASSERT_TRUE(clip->waveform0);
  // A new scale whose waveform cannot be made: no stale picture is kept.
  failWaveforms = true;
  view->SetScaleIndex(4);
  Paint();
  EXPECT_FALSE(clip->waveform0);
  const int calls = waveformCalls;
  Paint();
  EXPECT_EQ(waveformCalls, calls) << "the same request is not read again on every paint";
  // The same scale once more, now that the file can be read.
  failWaveforms = false;
  view->SetScaleIndex(4);
  Paint();
  ASSERT_TRUE(clip->waveform0);
  EXPECT_EQ(ViewBitmapOf(clip->waveform0)->bitmap.Width(), clip->drawnRect.right - clip->drawnRect.left);
}

TEST_F(ViewRooms, ViewOptionsAndTrackStatusesUpdateThePicturesAtOnce) {
  Track(6)->viewStatus = kTrackViewWaveform;
  TLEvent* sound = AddDemoClip(6, 1000, "tone.wav");
  TLEvent* strip = AddFileClip(1, 500, 2500, WriteFile("strip.mov"), kMediaOther);
  ASSERT_NE(sound, nullptr);
  doc().clipViewOption = 0;
  Paint();
  ASSERT_TRUE(sound->waveform0);
  ASSERT_TRUE(strip->thumbnail);
  // "Actual Waveform" to "Volume": the waveforms go without a paint.
  view->SetTrackViewStatus(6, kTrackViewVolume);
  EXPECT_FALSE(sound->waveform0);
  view->SetTrackViewStatus(6, kTrackViewStereo);
  EXPECT_TRUE(sound->waveform0);
  // A film strip shows no frames with option 2: its strip is not made.
  view->SetClipViewOption(2);
  const int calls = frames->calls;
  strip->thumbnail = nullptr;
  Paint();
  EXPECT_EQ(frames->calls, calls);
}

TEST_F(ViewRooms, AfterASegmentRenderAllThreeBandsAreRepainted) {
  doc().movieRange = TimeRange{0, 4000};
  Paint();
  const int y = doc().margin + 2 * doc().bandHeight + 4;  // inside the movie band
  ASSERT_EQ(At(kX0 + 30, y), kYellow);
  // The renderer narrows the movie range to a segment and puts it back.
  doc().movieRange = TimeRange{6000, 8000};
  view->RepaintSegmentBand();
  view->UpdateNow();
  EXPECT_NE(At(kX0 + 30, y), kYellow);
  EXPECT_EQ(At(doc().TimeToX(6200), y), kYellow);
}

TEST_F(ViewRooms, TheLayoutKeepsEachClipsRectangleAndFindsTracksByY) {
  TLEvent* clip = InsertClip(doc().Head(), 3, 1000, 3000);
  TLEvent* transition = InsertClip(doc().Head(), 2, 1000, 2000);
  view->verticalScroll = 7;
  const ViewLayout layout = view->Layout();
  const int h = doc().RowHeight();
  const int top3 = layout.TrackTop(3);
  EXPECT_EQ(top3, doc().TrackAreaTop() + GetTrackTop(doc(), 2) - 7);
  EXPECT_EQ(layout.KeptClipRect(*clip), (ClipRect{110, top3 + 2, 190, top3 + 2 + h - 1}));
  const int top2 = layout.TrackTop(2);
  EXPECT_EQ(layout.KeptClipRect(*transition), (ClipRect{110, top2, 150, top2 + h + 1}));
  EXPECT_EQ(layout.TrackAtY(top3), Track(2)) << "a track's top line belongs to the track above";
  EXPECT_EQ(layout.TrackAtY(top3 + 1), Track(3));
  EXPECT_EQ(layout.TrackAtY(layout.TracksBottom() + 1), nullptr);
  // In view while reaching into [X0, client right].
  EXPECT_TRUE(layout.IsClipInView(*clip));
  doc().horizontalScroll = 120;
  EXPECT_TRUE(view->Layout().IsClipInView(*clip));  // its end at exactly X0
  doc().horizontalScroll = 121;
  EXPECT_FALSE(view->Layout().IsClipInView(*clip));
  // Painting keeps the rectangles the hit tests read.
  doc().horizontalScroll = 0;
  clip->drawnRect = ClipRect{};
  Paint();
  EXPECT_EQ(clip->drawnRect, view->Layout().KeptClipRect(*clip));
  EXPECT_EQ(view->Layout().FarEdge(), kX0 + 2000);
}

}  // namespace
}  // namespace sprocket
