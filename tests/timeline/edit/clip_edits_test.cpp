// Every edit of the document through its one door: a table of edits, each
// checked for its undo step, the document's wholeness, undo and redo giving
// the exact states back, and refusals changing nothing.

#include "timeline/edit/clip_edits.h"

#include <gtest/gtest.h>

#include <functional>

#include "temp_dir.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/view_edits.h"
#include "timeline/edit/document_check.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"
#include "timeline_fixtures.h"

namespace sprocket::testing {
namespace {

// Tracks of the default timeline.
constexpr std::int32_t kV1 = 1;
constexpr std::int32_t kFx = 2;
constexpr std::int32_t kV2 = 3;
constexpr std::int32_t kA1 = 6;

// A 25 fps timeline of 10 s: shot a on V1 [0, 4000], b on V2 [3000, 7000]
// (a dissolve over [3000, 4000]), sound on A1 [0, 2000].
struct Timeline {
  CTestDoc doc;
  TLEvent* a = nullptr;
  TLEvent* b = nullptr;
  TLEvent* sound = nullptr;
  Timeline() {
    doc.rate = 2500;
    doc.head->rate = 2500;
    doc.SetDuration(10000);
    a = InsertClip(doc.Head(), kV1, 0, 4000, AviClip("a", 0, 4000));
    b = InsertClip(doc.Head(), kV2, 3000, 7000, AviClip("b", 0, 4000));
    sound = InsertClip(doc.Head(), kA1, 0, 2000, WavClip("music", 2000));
    RebuildTransitions(doc);
    SplitSegmentsAtClips(doc.Head());
  }
};

struct EditCase {
  const char* name;
  std::function<EditResult(Timeline&)> edit;
  std::int32_t kind;  // the undo step's kind; 0: no step (refused or no change)
  bool refused = false;
  std::function<void(const Timeline&, const EditResult&)> check = nullptr;
  std::function<void(Timeline&)> setUp = nullptr;  // before the state is taken
};

TLEvent* ClipOn(const CTestDoc& doc, std::int32_t track) {
  const TLEvent* header = FindTrack(doc.Head(), track);
  for (TLEvent* e = header->next; e != nullptr && e->kind != kEventTrackEnd; e = e->next)
    if (e->IsClipIn()) return e;
  return nullptr;
}

const std::vector<EditCase>& Cases() {
  static const std::vector<EditCase> cases = {
      {"move in time",
       [](Timeline& t) {
         return MoveClips(t.doc, {{t.sound, kA1}}, 1000);
       },
       kEditMoveClip, false,
       [](const Timeline& t, const EditResult& r) {
         EXPECT_EQ(t.sound->time, 1000);
         EXPECT_EQ(r.report.tracks, std::vector<std::int32_t>{kA1});
       }},
      {"move onto another clip",
       [](Timeline& t) {
         return MoveClips(t.doc, {{t.a, kV2}}, 3000);
       },
       0, true},
      {"move onto a track of another type",
       [](Timeline& t) {
         return MoveClips(t.doc, {{t.a, kA1}}, 0);
       },
       0, true},
      {"move by nothing",
       [](Timeline& t) {
         return MoveClips(t.doc, {{t.a, kV1}}, 3);
       },
       0},
      {"move past the end lengthens the timeline",
       [](Timeline& t) {
         return MoveClips(t.doc, {{t.b, kV2}}, 5000);
       },
       kEditMoveClip, false,
       [](const Timeline& t, const EditResult& r) {
         EXPECT_EQ(t.doc.duration, 12000);
         EXPECT_TRUE(r.report.durationChanged);
         EXPECT_EQ(r.report.transitionsLost, 1);  // the dissolve's overlap went
       }},
      {"trim the out edge of a faded clip loses its transition",
       [](Timeline& t) { return TrimClip(t.doc, t.a, ClipEdge::kOut, -1000); }, kEditTrimClip, false,
       [](const Timeline& t, const EditResult& r) {
         EXPECT_EQ(t.a->OutTime(), 3000);
         EXPECT_EQ(r.report.transitionsLost, 1);
         EXPECT_EQ(ClipOn(t.doc, kFx), nullptr);
       }},
      {"trim the in edge", [](Timeline& t) { return TrimClip(t.doc, t.b, ClipEdge::kIn, 400); }, kEditTrimClip, false,
       [](const Timeline& t, const EditResult&) {
         EXPECT_EQ(t.b->playIn, 400);
         EXPECT_EQ(ClipOn(t.doc, kFx)->time, 3400);
       }},
      {"slow down past the end", [](Timeline& t) { return SetClipSpeedEdit(t.doc, t.b, 50); }, kEditClipSpeed, false,
       [](const Timeline& t, const EditResult&) {
         EXPECT_EQ(t.b->OutTime(), 11000);
         EXPECT_EQ(t.doc.duration, 11000);
       }},
      {.name = "slow down onto a clip",
       .edit = [](Timeline& t) { return SetClipSpeedEdit(t.doc, t.a, 50); },
       .kind = 0,
       .refused = true,
       .setUp =
           [](Timeline& t) {
             InsertClip(t.doc.Head(), kV1, 5000, 6000, AviClip("c", 0, 1000));
             RebuildTransitions(t.doc);
             SplitSegmentsAtClips(t.doc.Head());
           }},
      {.name = "delete a clip with index marks",
       .edit = [](Timeline& t) { return DeleteClipEdit(t.doc, t.a); },
       .kind = kEditDeleteClip,
       .check =
           [](const Timeline& t, const EditResult&) {
             EXPECT_TRUE(t.doc.clipMarkSets.empty());
             EXPECT_EQ(ClipOn(t.doc, kFx), nullptr);
           },
       .setUp =
           [](Timeline& t) {
             t.doc.clipMarkSets.push_back({t.a->MediaPath(), t.a->time, kV1, {}});
           }},
      {"paste a copy",
       [](Timeline& t) {
         EventListSlot copy = CopyClipEvent(t.sound);
         return PasteClipCopy(t.doc, *copy, 8000, kA1 + 1);
       },
       kEditPasteClip, false,
       [](const Timeline& t, const EditResult&) { EXPECT_EQ(ClipOn(t.doc, kA1 + 1)->OutTime(), 10000); }},
      {"split picture and sound", [](Timeline& t) { return SplitAudioVideo(t.doc, t.a); }, kEditSplitAudioVideo, false,
       [](const Timeline& t, const EditResult&) { EXPECT_NE(t.a->linkNumber, 0u); }},
      {"field order", [](Timeline& t) { return SetFieldOrder(t.doc, t.a, 2); }, kEditFieldHandling, false,
       [](const Timeline& t, const EditResult&) { EXPECT_EQ(t.a->header->FieldOrder(), 2); }},
      {"timeline duration", [](Timeline& t) { return SetTimelineDurationEdit(t.doc, 180000); }, kEditTimelineDuration,
       false, [](const Timeline& t, const EditResult&) { EXPECT_EQ(t.doc.duration, 180000); }},
      {"timeline duration before a clip's end", [](Timeline& t) { return SetTimelineDurationEdit(t.doc, 5000); }, 0,
       true},
      {"audio preview tracks",
       [](Timeline& t) {
         return SetAudioPreviewTracks(t.doc, 1, {{kA1, -1}});
       },
       kEditAudioPreviewTracks},
      {"track view status", [](Timeline& t) { return SetTrackViewStatusEdit(t.doc, kA1, kTrackViewStereo); },
       kEditTrackViewStatus, false,
       [](const Timeline& t, const EditResult&) {
         EXPECT_EQ(FindTrack(t.doc.Head(), kA1)->viewStatus, kTrackViewStereo);
       }},
      {"a view status for the transition track",
       [](Timeline& t) { return SetTrackViewStatusEdit(t.doc, kFx, kTrackViewWaveform); }, 0, true},
      {"a view status out of range", [](Timeline& t) { return SetTrackViewStatusEdit(t.doc, kA1, 4); }, 0, true},
      {"channel mode", [](Timeline& t) { return SetChannelMode(t.doc, t.sound, 1001 /* mute left */); },
       kEditChannelMode},
      {"volume envelope", [](Timeline& t) { return SetEnvelope(t.doc, t.sound, 0, FlatEnvelope(5000)); },
       kEditAudioVolume},
      {"place a file of a kind that is not read",
       [](Timeline& t) { return PlaceClip(t.doc, "/media/film.mp4", 0, kV1); }, 0, true,
       [](const Timeline&, const EditResult& r) {
         EXPECT_NE(r.refusal->message.find("/media/film.mp4"), std::string::npos);
         EXPECT_NE(r.refusal->message.find("WAV"), std::string::npos);
       }},
  };
  return cases;
}

TEST(ClipEdits, EachEditTakesOneNamedStepThatUndoesAndRedoesExactly) {
  for (const EditCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    Timeline t;
    if (c.setUp) c.setUp(t);
    const std::string before = DumpEventList(t.doc.Head());
    t.doc.AddSelection(t.sound);
    const EditResult result = c.edit(t);
    EXPECT_EQ(result.refusal.has_value(), c.refused);
    if (c.check) c.check(t, result);
    EXPECT_EQ(CheckTimelineDocument(t.doc), std::vector<std::string>{});
    if (c.kind == 0) {
      EXPECT_EQ(DumpEventList(t.doc.Head()), before);
      // A refusal changes nothing: the selection stays, on the clip as it is.
      ASSERT_EQ(t.doc.selection.size(), 1u);
      EXPECT_EQ(t.doc.selection.front().clip, ClipOn(t.doc, kA1));
      EXPECT_TRUE(t.doc.undoSteps.empty());
      EXPECT_FALSE(result.report.changed);
      continue;
    }
    EXPECT_EQ(t.doc.undoSteps.size(), 1u);
    ASSERT_EQ(t.doc.UndoKind(), c.kind);
    EXPECT_TRUE(t.doc.IsModified());
    EXPECT_TRUE(result.report.changed);
    const std::string after = DumpEventList(t.doc.Head());
    ASSERT_TRUE(t.doc.RevertLastEdit());
    EXPECT_EQ(DumpEventList(t.doc.Head()), before);
    ASSERT_TRUE(t.doc.RedoLastEdit());
    EXPECT_EQ(DumpEventList(t.doc.Head()), after);
    EXPECT_EQ(CheckTimelineDocument(t.doc), std::vector<std::string>{});
  }
}

TEST(ClipEdits, AnEditAfterAnUndoClearsTheRedoHistorySoNothingIsDropped) {
  Timeline t;
  ASSERT_TRUE(SetEnvelope(t.doc, t.sound, 0, FlatEnvelope(5000)).Ok());
  ASSERT_TRUE(t.doc.RevertLastEdit());
  ASSERT_TRUE(SetFieldOrder(t.doc, ClipOn(t.doc, kV1), 2).Ok());
  EXPECT_FALSE(t.doc.RedoLastEdit());
  EXPECT_EQ(ClipOn(t.doc, kV1)->header->FieldOrder(), 2);
}

TEST(ClipEdits, RenderedSegmentsUnderAChangedClipForgetTheirRendering) {
  Timeline t;
  for (TLFilter& segment : t.doc.Head()->segments) {
    segment.rendered = 1;
    segment.fileName = "/tmp/segment.avi";
  }
  // b moves from [3000, 7000] to [5000, 9000]: its old and new places, and
  // the dissolve over [3000, 4000] that goes with the overlap, change.
  ASSERT_TRUE(MoveClips(t.doc, {{t.b, kV2}}, 2000).Ok());
  for (const TLFilter& segment : t.doc.Head()->segments)
    EXPECT_EQ(segment.rendered == 1, segment.end <= 3000) << segment.start << "-" << segment.end;
}

TEST(ClipEdits, ALongerTimelineSavesAndReopensAsTheSameFile) {
  Timeline t;
  TempDir dir;
  ASSERT_TRUE(SetTimelineDurationEdit(t.doc, 180000).Ok());
  std::string first;
  ASSERT_TRUE(FormatTimelineFile(t.doc, dir.path(), &first));
  CTestDoc reopened;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(first, dir.path(), reopened, &error)) << error;
  std::string second;
  ASSERT_TRUE(FormatTimelineFile(reopened, dir.path(), &second));
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace sprocket::testing

namespace sprocket::testing {
namespace {

TEST(ClipEdits, ANewTimelinesRangesFollowItsContentUntilTheMovieRangeIsSet) {
  Timeline t;
  ASSERT_TRUE(MoveClips(t.doc, {{t.b, kV2}}, 1000).Ok());
  EXPECT_EQ(t.doc.movieRange, (TimeRange{0, 8000}));
  EXPECT_EQ(t.doc.previewRange, (TimeRange{0, 8000}));
  EXPECT_FALSE(SetMovieRange(t.doc, {3000, 3010}).Ok());  // less than a frame
  ASSERT_TRUE(SetMovieRange(t.doc, {1000, 5010}).Ok());
  EXPECT_EQ(t.doc.movieRange, (TimeRange{1000, 5000}));
  EXPECT_EQ(t.doc.UndoKind(), kEditMovieRange);
  ASSERT_TRUE(DeleteClipEdit(t.doc, t.sound).Ok());
  EXPECT_EQ(t.doc.movieRange, (TimeRange{1000, 5000}));  // set by the user: it stays
  ASSERT_TRUE(t.doc.RevertLastEdit());
  ASSERT_TRUE(t.doc.RevertLastEdit());
  EXPECT_TRUE(t.doc.rangesFollowContent);
  EXPECT_EQ(t.doc.movieRange, (TimeRange{0, 8000}));
}

}  // namespace
}  // namespace sprocket::testing
