#pragma once
// The timeline document: the event list with its render segments, the
// marks and ranges beside it, the selection, the edit history and the view
// geometry that every drawing and hit test of the timeline shares.
//
// The document owns its event list. Views never change records behind its
// back: an edit saves an undo step (SaveUndoState), changes the list and
// tells the document (UpdateSegmentsForEdit). Anything that replaces the
// whole list goes through ReplaceTimeline, which drops every reference into
// the old list (the selection).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "timeline/records/edit_record.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/timeline_marks.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

struct TimeRange {
  std::int32_t start = 0;  // ms
  std::int32_t end = 0;    // ms
  bool operator==(const TimeRange&) const = default;
};

// One selected clip with its times and rectangle.
struct ClipSelection {
  TLEvent* clip = nullptr;  // a clip-in record of the document's list
  std::int32_t in = 0;
  std::int32_t out = 0;
  ClipRect rect;
  std::int32_t drawn = 0;
};

// A moving-picture clip's rectangle, repainted after scrolls.
struct MovingClipRect {
  std::int32_t start = 0;
  std::int32_t trackNumber = 0;
  ClipRect rect;
};

// Resources of the view's clip preview (frame readers, drawing handles),
// owned through the document while a preview shows.
class PreviewResources {
public:
  virtual ~PreviewResources() = default;
};

// The view's transient in-clip picture preview.
struct ClipPreviewState {
  std::int32_t kind = 0;  // 0 none, 1 AVI stream, 2 FLIC, 4 still image
  std::string path;
  std::int32_t imageHandle = -1;
  ClipRect pictureRect;
  std::int32_t shown = 0;
  std::array<std::uint8_t, 164> aviScrubState{};
  std::array<std::uint8_t, 24> waveScrubState{};
  std::int32_t aviScrubCount = 0;
  std::int32_t waveScrubCount = 0;
  std::int32_t aviScrubActive = 0;
  std::int32_t waveScrubActive = 0;
  std::unique_ptr<PreviewResources> resources;
};

// One entry of the undo or redo history: copies of the event list and of
// the mark lists, taken before an edit of the given kind.
struct UndoStep {
  std::int32_t kind = 0;  // the string identifier of the undo text
  EventListSlot events;
  std::vector<IndexMark> indexMarks;
  std::vector<SnapshotMark> snapshotMarks;
  std::vector<IntermediateMovie> intermediateMovies;
  // The index marks of clips, so that undoing a delete gives them back.
  std::vector<ClipMarkSet> clipMarkSets;
  TimeRange movieRange;
  TimeRange previewRange;
  bool rangesFollowContent = false;
};

// Time units of the twelve time scales: 1, 2 and 4 frames, then ms.
inline constexpr std::array<std::int32_t, 12> kScaleUnits = {1,     2,     4,     1000,   2000,   4000,
                                                             10000, 20000, 60000, 120000, 240000, 600000};
inline constexpr int kFrameScaleCount = 3;  // scales 0..2 count frames

inline constexpr std::int32_t kDefaultDuration = 1800000;
inline constexpr std::int32_t kMaxTimelineEnd = 36000000;  // 10 hours
inline constexpr int kDefaultTrackCount = 9;
inline constexpr std::size_t kMaxUndoSteps = 50;

class CTestDoc {
public:
  // A new document with the default timeline (V1, FX, V2, V3, V4, A1..A4).
  CTestDoc();
  CTestDoc(const CTestDoc&) = delete;
  CTestDoc& operator=(const CTestDoc&) = delete;

  // --- The event list ---
  EventListSlot head;
  // The document's own list while a segment-preview or saved copy is
  // installed as `head`.
  EventListSlot savedHead;
  TLEvent* Head() const { return head.get(); }
  // Inserts a track into the document's list (see InsertTrack in
  // timeline_builder.h), keeping the track count and the track numbers of
  // the clip mark sets in step. Null when the track cannot be inserted.
  TLEvent* InsertTrack(char type, std::int32_t number);
  // Installs a new event list and returns the old one; the selection, which
  // points into the old list, is cleared.
  EventListSlot ReplaceTimeline(EventListSlot newHead);

  // --- Edit history ---
  std::vector<UndoStep> undoSteps;  // the last is the top
  std::vector<UndoStep> redoSteps;
  // Takes an undo step of `kind` (clearing the redo history).
  void SaveUndoState(std::int32_t kind);
  // A copy of the event list and the mark lists, named by `kind`.
  UndoStep TakeUndoStep(std::int32_t kind) const;
  // Puts a copy back; the track count and duration follow the list.
  void RestoreUndoStep(UndoStep& step);
  // Adds a step to the undo history and clears the redo history.
  void PushUndoStep(UndoStep step);
  // Puts the top undo step's copies back (the current state goes to the
  // redo history). False when there is nothing to undo.
  bool RevertLastEdit();
  // Puts the last undone state back. False when there is nothing to redo.
  bool RedoLastEdit();
  const UndoStep* TopUndoStep() const { return undoSteps.empty() ? nullptr : &undoSteps.back(); }
  // The undo text's identifier of the top step, 0 when none.
  std::int32_t UndoKind() const { return undoSteps.empty() ? 0 : undoSteps.back().kind; }

  // The document's edit routine: brings the render segments up to date after
  // an edit of `clip` (or null) described by `edit` (or null), and marks the
  // document modified. See render_segments.h for what is invalidated.
  void UpdateSegmentsForEdit(TLEvent* editHead, const TLEvent* clip, const EditRecord* edit, int flag = 0);
  // Rebuilds the render segments at the clips' edges.
  void SplitSegmentsAtClips();
  // Forgets rendered files that no longer exist.
  void RefreshRenderSegments(TLEvent* segmentHead);

  // --- Selection ---
  std::vector<ClipSelection> selection;
  std::size_t SelectionCount() const { return selection.size(); }
  void ClearSelection() { selection.clear(); }
  // Selects a clip-in record (once); returns its entry.
  ClipSelection& AddSelection(TLEvent* clip);
  // Removes one entry (by address, as FindSelection gave it).
  void RemoveSelection(const ClipSelection* entry);
  // Nonzero, and the entry, when the clip is selected.
  int FindSelection(const TLEvent* clip, ClipSelection** entry = nullptr);

  // --- Marks ---
  std::vector<IntermediateMovie> intermediateMovies;
  std::vector<SnapshotMark> snapshotMarks;
  std::vector<IndexMark> indexMarks;
  std::vector<ClipMarkSet> clipMarkSets;
  ClipMarkSet* FindClipMarkSet(const std::string& path, std::int32_t clipTime, std::int32_t trackNumber);
  // The first index mark of the clip and their count; null and 0 when none.
  const ClipIndexMark* GetClipIndexMarks(const std::string& path, std::int32_t clipTime, std::int32_t trackNumber,
                                         int* count);

  // --- Ranges, position and switches ---
  TimeRange movieRange;
  TimeRange previewRange;
  // A new timeline's movie and preview ranges run from 0 to the end of its
  // last clip until the user sets the movie range.
  bool rangesFollowContent = false;
  // With rangesFollowContent, puts both ranges over the content.
  void FollowContentWithRanges();
  std::int32_t rangeFlag = 0;  // show `shownRange` inverted instead of the position line
  TimeRange shownRange;
  std::int32_t currentPosition = 0;  // ms
  std::int32_t followPosition = 0;
  std::int32_t rate = 2997;  // hundredths of a frame per second
  std::string tempDir;       // ends with a separator
  // Tells the document's backup apart from those of the process's other
  // documents (unique within the process).
  std::uint32_t backupNumber = 0;
  std::int32_t savePrompt = 1;
  RenderSpanList firstSpans;   // pieces named by their files
  RenderSpanList secondSpans;  // the same pieces named by the files they were made from
  std::int32_t bufferedMovie = 0;
  std::int32_t bufferedPreview = 0;
  std::int32_t noMessage = 0;
  std::uint32_t linkCounter = 0;
  EventListSlot attributeClipboard;  // a detached clip, or null
  int trackCount = kDefaultTrackCount;
  std::int32_t duration = kDefaultDuration;
  std::int32_t transitionWarning = 1;
  std::vector<MovingClipRect> movingClipRects;
  ClipRect inClipPictureRect;
  ClipPreviewState preview;
  bool modified = false;
  std::string pathName;
  std::string title;
  void SetModifiedFlag(bool value = true) { modified = value; }
  bool IsModified() const { return modified; }

  // --- View geometry (pixels) ---
  std::int32_t margin = 5;        // M
  std::int32_t bandHeight = 10;   // B
  std::int32_t rulerHeight = 17;  // R
  std::int32_t headerWidth = 65;  // W
  std::int32_t extent = 0;        // pixel width of the whole timeline
  std::int32_t horizontalScroll = 0;
  std::int32_t zoom = 2;  // vertical zoom level 0..3
  std::array<std::int32_t, 4> pictureWidths = {120, 60, 40, 24};
  std::array<std::int32_t, 4> sprocketHeights = {16, 8, 0, 0};
  std::array<std::int32_t, 4> markerWidths = {8, 8, 8, 8};
  std::int32_t scaleIndex = 3;  // 0..11
  std::int32_t pixelsPerUnit = 40;
  std::int32_t majorTickCount = 0;
  std::int32_t majorTickLength = 6;
  std::int32_t minorTickLength = 3;
  std::int32_t timeOrigin = 0;      // ms
  std::int32_t clipViewOption = 2;  // 0..4
  // Minor ruler divisions per unit, by zoom level and scale index.
  std::array<std::array<std::int32_t, 12>, 4> minorDivisions = {{
      {1, 2, 4, 30, 2, 4, 10, 20, 60, 12, 24, 60},
      {1, 2, 4, 30, 2, 4, 10, 20, 30, 6, 12, 30},
      {1, 2, 4, 1, 2, 4, 10, 20, 5, 10, 20, 10},
      {1, 2, 4, 1, 2, 4, 2, 4, 6, 12, 2, 4},
  }};
  // Waveform time scales: the group (1..3) and the scale within it (0..5),
  // a base value per group, and two tables indexed (group - 1) x 6 + scale.
  std::int32_t scaleGroup = 3;
  std::int32_t groupScaleIndex = 3;
  std::array<std::int32_t, 3> waveBase = {120, 60, 40};
  std::array<std::int32_t, 18> waveFirstTable = {1,    2,    4,    1000, 2000, 4000, 1,    2,    4,
                                                 1000, 2000, 4000, 1,    2,    4,    1000, 2000, 4000};
  std::array<std::int32_t, 18> waveSecondTable = {120, 120, 120, 120, 120, 120, 60, 60, 60,
                                                  60,  60,  60,  40,  40,  40,  40, 40, 40};

  // Row height of a zoom level: 3 x picture width / 4 + 4 + sprocket band.
  std::int32_t RowHeight(int zoomLevel) const;
  std::int32_t RowHeight() const { return RowHeight(zoom); }
  // The unit of the current scale in ms (frame units at the document's rate).
  double UnitMs() const;
  // Recomputes pixels per unit, extent, major ticks and the waveform scale
  // after a change of zoom, scale, rate or duration.
  void RecalcScale();
  // Sets the frame rate (hundredths of a frame per second) of the document
  // and its head record, then recomputes the scale. Clip times stay as
  // they are.
  void SetFrameRate(std::int32_t rateHundredths);
  // x of a time: (t - origin) x pixels per unit / unit ms, truncated,
  // - horizontal scroll + M + W.
  std::int32_t TimeToX(std::int32_t ms) const;
  // The time under an x measured without the horizontal scroll (add the
  // scroll to a view x first): the inverse of TimeToX, truncated.
  std::int32_t XToTime(std::int32_t x) const;
  // Track area left edge X0 = M + W and top T0 = M + 3B + R.
  std::int32_t TrackAreaLeft() const { return margin + headerWidth; }
  std::int32_t TrackAreaTop() const { return margin + 3 * bandHeight + rulerHeight; }

  // Sets the timeline's duration: the document's, the 'e' and 'E' records',
  // the last render segment's end; recomputes the scale.
  void SetDuration(std::int32_t ms);
};

// The summed heights of the track headers in master-list order up to and
// including the header numbered n (0 for n below 1). Each header adds the
// row height h, plus h + 1 for a video track whose view status is not 0,
// plus h + 1 more for status 3, and h + 1 for an audio track with status 3.
std::int32_t GetTrackTop(const CTestDoc& doc, std::int32_t n);
// The height of one track by its type and view status.
std::int32_t GetTrackHeight(const CTestDoc& doc, const TLEvent& trackHeader);

// The clip's rectangle in the timeline view (vertical scroll not applied):
// left and right from its in and out times, top = T0 + GetTrackTop of the
// tracks above it, bottom = top + h + 1 (its first row). False when the
// clip's track has no header.
bool GetClipRect(const CTestDoc& doc, const TLEvent& clip, ClipRect& rect);

}  // namespace sprocket
