#include "timeline/edit/timeline_edit.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "platform/string_table.h"
#include "timeline/document/event_edits.h"
#include "timeline/document/event_list_dump.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

// One side of a changed clip: where it was (removed) or where it is now
// (added; `clip` is its record then).
struct ClipChangeSide {
  char trackType;
  std::int32_t trackNumber;
  std::int32_t in;
  std::int32_t out;
  TLEvent* clip;
};
struct ClipChanges {
  std::vector<ClipChangeSide> added;
  std::vector<ClipChangeSide> removed;
};

bool IsPictureTrack(char type) { return type == kTrackVideo || type == kTrackTransition; }
bool IsRollOrTransitionTrack(const ClipChangeSide& side) {
  return side.trackType == kTrackTransition || side.trackNumber == kRollTrackA || side.trackNumber == kRollTrackB;
}

// The clips whose contents differ between two lists: those of `before`
// without an equal clip in `after`, and the other way round.
ClipChanges CompareClips(const TLEvent* before, const TLEvent* after) {
  std::unordered_map<std::string, int> counts;
  for (const TLEvent* event = before; event != nullptr; event = GetNextEvent(event))
    if (event->IsClipIn()) ++counts[ClipContentKey(*event)];
  ClipChanges changes;
  for (TLEvent* event = const_cast<TLEvent*>(after); event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    auto found = counts.find(ClipContentKey(*event));
    if (found != counts.end() && found->second > 0) {
      --found->second;
      continue;
    }
    changes.added.push_back({event->trackType, event->trackNumber, event->time, event->OutTime(), event});
  }
  for (const TLEvent* event = before; event != nullptr; event = GetNextEvent(event)) {
    if (!event->IsClipIn()) continue;
    auto found = counts.find(ClipContentKey(*event));
    if (found == counts.end() || found->second == 0) continue;
    --found->second;
    changes.removed.push_back({event->trackType, event->trackNumber, event->time, event->OutTime(), nullptr});
  }
  return changes;
}

// True when another clip of the clip's track overlaps it.
bool CollidesOnTrack(const TLEvent* head, const TLEvent& clip) {
  const TLEvent* track = FindTrack(head, clip.trackNumber);
  for (const TLEvent* e = track != nullptr ? track->next : nullptr; e != nullptr && e->kind != kEventTrackEnd;
       e = e->next) {
    if (e->IsClipIn() && e != &clip && e->time < clip.OutTime() && clip.time < e->OutTime()) return true;
  }
  return false;
}

std::string TrackHeadersKey(const TLEvent* head) {
  std::string key;
  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    key += track->trackType;
    key += std::to_string(track->trackNumber) + ':' + std::to_string(track->viewStatus) + ':' +
           std::to_string(track->audioPreviewSelection) + ' ';
  }
  if (head != nullptr) key += std::to_string(head->audioPreviewOption);
  return key;
}

std::string SegmentsKey(const TLEvent* head) {
  std::string key;
  if (head == nullptr) return key;
  for (const TLFilter& segment : head->segments) {
    key += std::to_string(segment.start) + '-' + std::to_string(segment.end) + ':' + std::to_string(segment.rendered) +
           ':' + segment.fileName + ':' + std::to_string(segment.params.size()) + ' ';
  }
  return key;
}

bool MarksAndRangesEqual(const UndoStep& before, const CTestDoc& doc) {
  return before.indexMarks == doc.indexMarks && before.snapshotMarks == doc.snapshotMarks &&
         before.intermediateMovies == doc.intermediateMovies && before.clipMarkSets == doc.clipMarkSets &&
         before.movieRange == doc.movieRange && before.previewRange == doc.previewRange &&
         before.rangesFollowContent == doc.rangesFollowContent;
}

// Selection entries of clips that are gone are dropped; the others follow
// their clips' times.
void KeepSelectionValid(CTestDoc& doc) {
  std::unordered_set<const TLEvent*> clips;
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event))
    if (event->IsClipIn()) clips.insert(event);
  std::erase_if(doc.selection, [&](const ClipSelection& entry) { return !clips.contains(entry.clip); });
  for (ClipSelection& entry : doc.selection) {
    entry.in = entry.clip->time;
    entry.out = entry.clip->OutTime();
    GetClipRect(doc, *entry.clip, entry.rect);
  }
}

void AddToReport(EditReport& report, const ClipChangeSide& side, std::set<std::int32_t>& tracks) {
  if (tracks.empty() && !report.changed) {
    report.span = {side.in, side.out};
  } else {
    report.span.start = std::min(report.span.start, side.in);
    report.span.end = std::max(report.span.end, side.out);
  }
  report.changed = true;
  tracks.insert(side.trackNumber);
}

}  // namespace

TimelineEdit::TimelineEdit(CTestDoc& doc, std::int32_t kind)
    : doc_(doc), before_(doc.TakeUndoStep(kind)), durationBefore_(doc.duration), modifiedBefore_(doc.IsModified()) {
  // The copy keeps the list's order: a selected clip is found again by its
  // place among the clips.
  for (const ClipSelection& entry : doc.selection) {
    std::int32_t ordinal = 0;
    for (const TLEvent* e = doc.Head(); e != nullptr; e = GetNextEvent(e)) {
      if (!e->IsClipIn()) continue;
      if (e == entry.clip) {
        selectionBefore_.emplace_back(ordinal, entry);
        break;
      }
      ++ordinal;
    }
  }
}

TimelineEdit::~TimelineEdit() {
  if (open_) Restore();
}

void TimelineEdit::Restore() {
  open_ = false;
  doc_.RestoreUndoStep(before_);
  doc_.SetModifiedFlag(modifiedBefore_);
  // Nothing changed: the selection is the one before, on the copies.
  std::vector<TLEvent*> clips;
  for (TLEvent* e = doc_.Head(); e != nullptr; e = GetNextEvent(e))
    if (e->IsClipIn()) clips.push_back(e);
  for (auto& [ordinal, entry] : selectionBefore_) {
    if (ordinal >= static_cast<std::int32_t>(clips.size())) continue;
    entry.clip = clips[static_cast<std::size_t>(ordinal)];
    doc_.selection.push_back(entry);
  }
}

EditResult TimelineEdit::Refuse(EditError error, std::string message) {
  if (open_) Restore();
  return RefusedEdit(error, std::move(message));
}

EditResult TimelineEdit::Commit() {
  if (!open_) return {};
  TLEvent* head = Head();
  if (head == nullptr) return Refuse(EditError::kNoClip);
  if (IsTimelineTooLong(head)) return Refuse(EditError::kTimelineTooLong);
  ValidateTimelineTimes(head);  // in order; the length was checked above

  ClipChanges changes = CompareClips(Before(), head);
  for (const ClipChangeSide& side : changes.added) {
    if (side.trackType != kTrackTransition && CollidesOnTrack(head, *side.clip))
      return Refuse(EditError::kTrackNotFree);
  }

  EditReport report;
  const bool rollTracksChanged = std::any_of(changes.added.begin(), changes.added.end(), IsRollOrTransitionTrack) ||
                                 std::any_of(changes.removed.begin(), changes.removed.end(), IsRollOrTransitionTrack);
  if (rollTracksChanged) {
    const int transitionsBefore = CountTransitions(head);
    if (RebuildTransitions(doc_) == 0) return Refuse(EditError::kTransitionsConflict);
    report.transitionsLost = std::max(0, transitionsBefore - CountTransitions(head));
    changes = CompareClips(Before(), head);
  }

  const std::int32_t wantedDuration = std::max(doc_.duration, LatestClipOutTime(head));
  if (wantedDuration != doc_.duration || TimelineDuration(head) != wantedDuration) doc_.SetDuration(wantedDuration);
  doc_.trackCount = CountTracks(head);
  doc_.FollowContentWithRanges();

  SplitSegmentsAtClips(head);
  for (const auto* sides : {&changes.added, &changes.removed}) {
    for (const ClipChangeSide& side : *sides)
      if (IsPictureTrack(side.trackType)) ForgetRenderingBetween(head, side.in, side.out);
  }

  std::set<std::int32_t> tracks;
  for (const auto* sides : {&changes.added, &changes.removed})
    for (const ClipChangeSide& side : *sides) AddToReport(report, side, tracks);
  report.tracks.assign(tracks.begin(), tracks.end());
  report.tracksChanged = TrackHeadersKey(Before()) != TrackHeadersKey(head);
  report.durationChanged = doc_.duration != durationBefore_;
  report.segmentsChanged = SegmentsKey(Before()) != SegmentsKey(head);
  report.marksChanged = !MarksAndRangesEqual(before_, doc_);
  report.changed =
      report.changed || report.tracksChanged || report.durationChanged || report.segmentsChanged || report.marksChanged;
  open_ = false;
  if (!report.changed) {
    doc_.SetModifiedFlag(modifiedBefore_);  // nothing to undo
    return {report, std::nullopt};
  }
  KeepSelectionValid(doc_);
  doc_.PushUndoStep(std::move(before_));
  doc_.SetModifiedFlag();
  return {report, std::nullopt};
}

std::string EditErrorText(EditError error) {
  switch (error) {
    case EditError::kNoClip:
      return "There is no clip to edit.";
    case EditError::kTrackNotFree:
      return "The track is not free there.";
    case EditError::kNoTrack:
      return "There is no such track.";
    case EditError::kTimelineTooLong:
      return std::string(StringText(kTimelineTooLongMessage));
    case EditError::kTransitionsConflict:
      return "Clips on the A and B tracks would overlap for less than a frame, or two overlaps would meet.";
    case EditError::kBadMedia:
      return "The media file cannot be used.";
    case EditError::kOutOfRange:
      return "The value is out of range.";
  }
  return {};
}

EditResult RefusedEdit(EditError error, std::string message) {
  if (message.empty()) message = EditErrorText(error);
  return {EditReport{}, EditRefusal{error, std::move(message)}};
}

}  // namespace sprocket
