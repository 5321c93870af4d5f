// The document core: defaults, geometry, selection, marks, undo and duration.

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "timeline/document/document.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

using testing::AviClip;
using testing::MasterText;

class DocumentTest : public ::testing::Test {
protected:
  testing::ScopedConfigDir config;
  CTestDoc doc;
};

TEST_F(DocumentTest, DefaultsOfANewDocument) {
  EXPECT_EQ(doc.margin, 5);
  EXPECT_EQ(doc.bandHeight, 10);
  EXPECT_EQ(doc.rulerHeight, 17);
  EXPECT_EQ(doc.headerWidth, 65);
  EXPECT_EQ(doc.majorTickLength, 6);
  EXPECT_EQ(doc.minorTickLength, 3);
  EXPECT_EQ(doc.clipViewOption, 2);
  EXPECT_EQ(doc.zoom, 2);
  EXPECT_EQ(doc.scaleIndex, 3);
  EXPECT_EQ(doc.duration, 1800000);
  EXPECT_EQ(doc.trackCount, 9);
  EXPECT_EQ(CountTracks(doc.Head()), 9);
  EXPECT_EQ(TimelineDuration(doc.Head()), 1800000);
  EXPECT_EQ(doc.pixelsPerUnit, 40);
  EXPECT_EQ(doc.majorTickCount, 1800);
  EXPECT_EQ(doc.extent, 1800 * 40 + 5 + 65);
  EXPECT_FALSE(doc.tempDir.empty());
  EXPECT_EQ(doc.tempDir.back(), '/');
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, RowHeightsByZoomLevel) {
  EXPECT_EQ(doc.RowHeight(0), 110);
  EXPECT_EQ(doc.RowHeight(1), 57);
  EXPECT_EQ(doc.RowHeight(2), 34);
  EXPECT_EQ(doc.RowHeight(3), 22);
}

TEST_F(DocumentTest, TimeToXAndBack) {
  // One second per unit, 40 pixels per unit: 25 ms per pixel.
  EXPECT_EQ(doc.TimeToX(0), 70);
  EXPECT_EQ(doc.TimeToX(1000), 110);
  EXPECT_EQ(doc.TimeToX(1012), 110);
  doc.horizontalScroll = 100;
  doc.timeOrigin = 500;
  EXPECT_EQ(doc.TimeToX(1500), 110 - 100);
  EXPECT_EQ(doc.XToTime(doc.TimeToX(4500) + doc.horizontalScroll), 4500);
  EXPECT_EQ(doc.XToTime(70), 500);

  // Frame units follow the rate: two frames at 25 fps are 80 ms.
  doc.rate = 2500;
  doc.scaleIndex = 1;
  doc.timeOrigin = 0;
  doc.horizontalScroll = 0;
  doc.RecalcScale();
  EXPECT_DOUBLE_EQ(doc.UnitMs(), 80.0);
  EXPECT_EQ(doc.TimeToX(80), 70 + 40);
  EXPECT_EQ(doc.XToTime(70 + 20), 40);
  EXPECT_EQ(doc.majorTickCount, 1800000 / 80);
}

TEST_F(DocumentTest, ScaleFollowsZoomAndDuration) {
  doc.zoom = 0;
  doc.scaleIndex = 8;  // one minute per unit
  doc.RecalcScale();
  EXPECT_EQ(doc.pixelsPerUnit, 120);
  EXPECT_EQ(doc.majorTickCount, 30);
  EXPECT_EQ(doc.extent, 30 * 120 + 70);
  EXPECT_EQ(doc.scaleGroup, 1);
  EXPECT_EQ(doc.groupScaleIndex, 5);  // no waveform row beyond scale 5
  doc.SetDuration(190000);
  EXPECT_EQ(doc.majorTickCount, 3);  // 3.17 units
  EXPECT_EQ(doc.extent, static_cast<int>(190000.0 / 60000 * 120 + 0.5) + 70);
}

TEST_F(DocumentTest, TrackTopsAddExtraRowsByViewStatus) {
  std::int32_t h = doc.RowHeight();
  EXPECT_EQ(GetTrackTop(doc, 0), 0);
  EXPECT_EQ(GetTrackTop(doc, 1), h);
  EXPECT_EQ(GetTrackTop(doc, 9), 9 * h);
  FindTrack(doc.Head(), 1)->viewStatus = kTrackViewVolume;  // V1: two rows
  FindTrack(doc.Head(), 3)->viewStatus = kTrackViewStereo;  // V2: three rows
  FindTrack(doc.Head(), 6)->viewStatus = kTrackViewStereo;  // A1: two rows
  FindTrack(doc.Head(), 7)->viewStatus = kTrackViewVolume;  // A2: one row
  EXPECT_EQ(GetTrackTop(doc, 1), 2 * h + 1);
  EXPECT_EQ(GetTrackTop(doc, 3), (2 * h + 1) + h + (3 * h + 2));
  EXPECT_EQ(GetTrackTop(doc, 7), GetTrackTop(doc, 5) + (2 * h + 1) + h);
}

TEST_F(DocumentTest, ClipRectangleFromTimesAndTrackRow) {
  TLEvent* clip = InsertClip(doc.Head(), 3, 2000, 6000, AviClip("a", 0, 4000));
  ClipRect rect;
  ASSERT_TRUE(GetClipRect(doc, *clip, rect));
  std::int32_t top = doc.TrackAreaTop() + GetTrackTop(doc, 2);
  EXPECT_EQ(rect, (ClipRect{150, top, 310, top + doc.RowHeight() + 1}));
  EXPECT_EQ(doc.TrackAreaTop(), 5 + 30 + 17);
  clip->trackNumber = 40;
  EXPECT_FALSE(GetClipRect(doc, *clip, rect));
}

TEST_F(DocumentTest, InsertedTrackKeepsCountAndMarkSetsInStep) {
  doc.clipMarkSets.push_back(ClipMarkSet{"/media/a.wav", 0, 6, {}});
  doc.clipMarkSets.push_back(ClipMarkSet{"/media/b.avi", 0, 1, {}});
  ASSERT_NE(doc.InsertTrack(kTrackAudio, 6), nullptr);
  EXPECT_EQ(doc.trackCount, 10);
  EXPECT_EQ(doc.clipMarkSets[0].trackNumber, 7);
  EXPECT_EQ(doc.clipMarkSets[1].trackNumber, 1);
  EXPECT_EQ(doc.InsertTrack(kTrackAudio, 12), nullptr);
  EXPECT_EQ(doc.trackCount, 10);
}

TEST_F(DocumentTest, SelectionEntries) {
  TLEvent* a = InsertClip(doc.Head(), 1, 0, 1000);
  TLEvent* b = InsertClip(doc.Head(), 1, 2000, 3000);
  doc.AddSelection(a);
  doc.AddSelection(b);
  doc.AddSelection(a);
  EXPECT_EQ(doc.SelectionCount(), 2u);
  ClipSelection* entry = nullptr;
  ASSERT_EQ(doc.FindSelection(b, &entry), 1);
  EXPECT_EQ(entry->in, 2000);
  EXPECT_EQ(entry->out, 3000);
  doc.RemoveSelection(entry);
  EXPECT_EQ(doc.FindSelection(b, &entry), 0);
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(doc.SelectionCount(), 1u);
  doc.ClearSelection();
  EXPECT_EQ(doc.SelectionCount(), 0u);
}

TEST_F(DocumentTest, ClipIndexMarksByPathTimeAndTrack) {
  doc.clipMarkSets.push_back(ClipMarkSet{"/media/a.avi", 2000, 3, {{"start", "", 0}, {"end", "note", 900}}});
  int count = -1;
  const ClipIndexMark* first = doc.GetClipIndexMarks("/media/a.avi", 2000, 3, &count);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(first->name, "start");
  EXPECT_EQ(doc.GetClipIndexMarks("/media/a.avi", 2000, 1, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(doc.FindClipMarkSet("/media/A.avi", 2000, 3), nullptr);
  EXPECT_NE(doc.FindClipMarkSet("/media/a.avi", 2000, 3), nullptr);
}

TEST_F(DocumentTest, UndoRestoresTheListAndTheMarksAndRedoReturns) {
  InsertClip(doc.Head(), 1, 0, 1000);
  std::string before = MasterText(doc.Head());
  doc.indexMarks.push_back({500, "first", ""});
  doc.SaveUndoState(kEditDeleteClip);
  EXPECT_EQ(doc.UndoKind(), kEditDeleteClip);
  ASSERT_NE(doc.TopUndoStep(), nullptr);

  TLEvent* clip = FindTrack(doc.Head(), 1)->next;
  doc.AddSelection(clip);
  DeleteClip(clip);
  doc.indexMarks.clear();
  doc.snapshotMarks.push_back({100});

  ASSERT_TRUE(doc.RevertLastEdit());
  EXPECT_EQ(MasterText(doc.Head()), before);
  EXPECT_EQ(doc.indexMarks.size(), 1u);
  EXPECT_TRUE(doc.snapshotMarks.empty());
  EXPECT_EQ(doc.SelectionCount(), 0u);  // it pointed into the old list
  EXPECT_TRUE(doc.IsModified());
  EXPECT_FALSE(doc.RevertLastEdit());

  ASSERT_TRUE(doc.RedoLastEdit());
  EXPECT_EQ(FindTrack(doc.Head(), 1)->next->kind, kEventTrackEnd);
  EXPECT_EQ(doc.snapshotMarks.size(), 1u);
  EXPECT_FALSE(doc.RedoLastEdit());
  EXPECT_TRUE(doc.RevertLastEdit());

  doc.SaveUndoState(kEditClipSpeed);
  EXPECT_TRUE(doc.redoSteps.empty());
}

TEST_F(DocumentTest, UndoHistoryIsBounded) {
  for (std::size_t i = 0; i < kMaxUndoSteps + 5; ++i) doc.SaveUndoState(static_cast<std::int32_t>(i));
  EXPECT_EQ(doc.undoSteps.size(), kMaxUndoSteps);
  EXPECT_EQ(doc.undoSteps.front().kind, 5);
}

TEST_F(DocumentTest, ReplaceTimelineHandsBackTheOldList) {
  doc.AddSelection(InsertClip(doc.Head(), 1, 0, 1000));
  EventListSlot old = doc.ReplaceTimeline(NewTimeline(2500, 5000));
  EXPECT_EQ(CountTracks(old.get()), 9);
  EXPECT_EQ(doc.Head()->rate, 2500);
  EXPECT_EQ(doc.SelectionCount(), 0u);
}

TEST_F(DocumentTest, DurationMovesTrackEndsAndTheLastSegment) {
  InsertClip(doc.Head(), 1, 0, 200000);
  doc.SplitSegmentsAtClips();
  ASSERT_EQ(doc.Head()->segments.size(), 2u);
  doc.SetDuration(300000);
  EXPECT_EQ(TimelineDuration(doc.Head()), 300000);
  EXPECT_EQ(FindTrack(doc.Head(), 5)->next->time, 300000);
  EXPECT_EQ(doc.Head()->segments.back().end, 300000);
  EXPECT_EQ(doc.Head()->segments.back().length, 100000);
  EXPECT_TRUE(SegmentsCoverTimeline(doc.Head()));
  doc.SetDuration(200000);  // the last segment would be empty
  EXPECT_EQ(doc.Head()->segments.size(), 1u);
  EXPECT_TRUE(SegmentsCoverTimeline(doc.Head()));
}

TEST_F(DocumentTest, EditRoutineMarksTheDocumentModified) {
  TLEvent* clip = InsertClip(doc.Head(), 1, 0, 1000);
  EditRecord edit;
  edit.kind = kEditPasteAttributes;
  doc.UpdateSegmentsForEdit(doc.Head(), clip, &edit);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(SegmentsCoverTimeline(doc.Head()));
}

}  // namespace
}  // namespace sprocket
