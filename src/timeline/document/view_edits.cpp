#include "timeline/document/view_edits.h"

#include <algorithm>
#include <vector>

#include "timeline/basics/time_code.h"
#include "timeline/document/clip_lookup.h"
#include "timeline/document/event_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

const TLEvent* FirstTrackOfType(const TLEvent* head, char type) {
  for (const TLEvent* event = GetNextEvent(head); event != nullptr && event->kind == kEventTrackBegin;
       event = GetNextEvent(event)) {
    if (event->trackType == type) return event;
  }
  return nullptr;
}

std::vector<TLEvent*> ClipsOfTrack(const TLEvent* track) {
  std::vector<TLEvent*> clips;
  if (track == nullptr) return clips;
  for (TLEvent* event = track->next; event != nullptr && event->kind != kEventTrackEnd; event = event->next)
    if (event->IsClipIn()) clips.push_back(event);
  return clips;
}

bool SpansMeet(const TimeSpan& a, std::int32_t start, std::int32_t end) { return a.start < end && start < a.end; }

// The overlaps of the A and B roll tracks in time order; false when one is
// shorter than a frame or two of them meet.
bool CollectOverlaps(const CTestDoc& doc, std::vector<TimeSpan>& overlaps) {
  const TLEvent* trackA = FindTrack(doc.Head(), kRollTrackA);
  const TLEvent* trackB = FindTrack(doc.Head(), kRollTrackB);
  if (trackA == nullptr || trackB == nullptr || trackA->trackType != kTrackVideo || trackB->trackType != kTrackVideo) {
    return true;
  }
  const double frameMs = doc.rate > 0 ? 100000.0 / doc.rate : 0.0;
  for (const TLEvent* a : ClipsOfTrack(trackA)) {
    for (const TLEvent* b : ClipsOfTrack(trackB)) {
      const TimeSpan span{std::max(a->time, b->time), std::min(a->OutTime(), b->OutTime())};
      if (span.end <= span.start) continue;
      if (span.end - span.start < frameMs) return false;
      overlaps.push_back(span);
    }
  }
  std::sort(overlaps.begin(), overlaps.end(), [](const TimeSpan& x, const TimeSpan& y) { return x.start < y.start; });
  for (std::size_t i = 1; i < overlaps.size(); ++i)
    if (overlaps[i].start < overlaps[i - 1].end) return false;
  return true;
}

void SetClipSpan(TLEvent* head, TLEvent* clip, const TimeSpan& span) {
  if (clip->time == span.start && clip->OutTime() == span.end) return;
  clip->time = span.start;
  clip->ClipOut()->time = span.end;
  RelinkInTimeOrder(head, clip);
}

}  // namespace

std::int32_t FindOrAddAudioTrack(CTestDoc& doc, std::int32_t in, std::int32_t out) {
  const TLEvent* firstAudio = FirstTrackOfType(doc.Head(), kTrackAudio);
  if (firstAudio != nullptr &&
      CheckTrackRange(doc, kTrackAudio, firstAudio->trackNumber, in, out, nullptr, nullptr) == kTrackRangeFree) {
    return firstAudio->trackNumber;
  }
  const std::int32_t number = firstAudio != nullptr ? firstAudio->trackNumber : CountTracks(doc.Head()) + 1;
  TLEvent* added = doc.InsertTrack(kTrackAudio, number);
  if (added == nullptr) return 0;
  // A new audio track shows its clips' sound.
  added->viewStatus = kTrackViewWaveform;
  return added->trackNumber;
}

int RebuildTransitions(CTestDoc& doc) {
  TLEvent* head = doc.Head();
  std::vector<TimeSpan> overlaps;
  if (!CollectOverlaps(doc, overlaps)) return 0;
  const TLEvent* transitionTrack = FirstTrackOfType(head, kTrackTransition);
  if (transitionTrack == nullptr) return 1;

  std::vector<TLEvent*> transitions = ClipsOfTrack(transitionTrack);
  std::vector<bool> kept(transitions.size(), false);
  std::vector<TimeSpan> missing;
  for (const TimeSpan& span : overlaps) {
    std::size_t match = 0;
    while (match < transitions.size() &&
           (kept[match] || !SpansMeet(span, transitions[match]->time, transitions[match]->OutTime()))) {
      ++match;
    }
    if (match == transitions.size()) {
      missing.push_back(span);
      continue;
    }
    kept[match] = true;
    SetClipSpan(head, transitions[match], span);
  }
  for (std::size_t i = 0; i < transitions.size(); ++i)
    if (!kept[i]) DeleteClip(transitions[i]);
  for (const TimeSpan& span : missing) {
    TLEventFields fields;
    fields.trackType = kTrackTransition;
    TLEvent* clip = InsertClip(head, transitionTrack->trackNumber, span.start, span.end, fields);
    if (clip != nullptr) SetTransitionType(*clip, kDefaultTransitionId);
  }
  return 1;
}

int UpdateTransitionsForClip(CTestDoc& doc, const TLEvent* clip) {
  if (clip == nullptr || (clip->trackNumber != kRollTrackA && clip->trackNumber != kRollTrackB)) return 1;
  return RebuildTransitions(doc);
}

bool RevertRefusedEdit(CTestDoc& doc) {
  if (!doc.RevertLastEdit()) return false;
  doc.redoSteps.pop_back();
  return true;
}

}  // namespace sprocket
