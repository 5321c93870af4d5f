#include "timeline/edit/document_check.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "timeline/document/render_segments.h"
#include "timeline/document/view_edits.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {

namespace {

std::string ClipName(const TLEvent& clip) {
  return std::string(1, clip.trackType) + std::to_string(clip.trackNumber) + " clip [" + std::to_string(clip.time) +
         ", " + std::to_string(clip.OutTime()) + "]";
}

std::vector<const TLEvent*> ClipsOf(const TLEvent* track) {
  std::vector<const TLEvent*> clips;
  for (const TLEvent* e = track != nullptr ? track->next : nullptr; e != nullptr && e->kind != kEventTrackEnd;
       e = e->next)
    if (e->IsClipIn()) clips.push_back(e);
  return clips;
}

void CheckClips(const CTestDoc& doc, std::vector<std::string>& problems) {
  const TLEvent* head = doc.Head();
  for (const TLEvent* track = GetNextEvent(head); track != nullptr && track->kind == kEventTrackBegin;
       track = GetNextEvent(track)) {
    const std::vector<const TLEvent*> clips = ClipsOf(track);
    for (std::size_t i = 0; i < clips.size(); ++i) {
      const TLEvent& clip = *clips[i];
      if (clip.time < 0 || clip.OutTime() > doc.duration || clip.OutTime() <= clip.time)
        problems.push_back(ClipName(clip) + " lies outside the timeline [0, " + std::to_string(doc.duration) + "]");
      if (i > 0 && clips[i - 1]->OutTime() > clip.time)
        problems.push_back(ClipName(clip) + " overlaps " + ClipName(*clips[i - 1]));
    }
  }
}

void CheckSegments(const TLEvent* head, std::vector<std::string>& problems) {
  if (!SegmentsCoverTimeline(head)) {
    problems.push_back("the render segments do not cover the timeline");
    return;
  }
  std::set<std::int32_t> bounds;
  for (const TLFilter& segment : head->segments) bounds.insert(segment.start);
  const std::int32_t duration = TimelineDuration(head);
  for (const TLEvent* e = head; e != nullptr; e = GetNextEvent(e)) {
    if (!e->IsClipIn() || e->trackType == kTrackAudio) continue;
    for (std::int32_t edge : {e->time, e->OutTime()}) {
      if (edge > 0 && edge < duration && !bounds.contains(edge))
        problems.push_back("no render segment starts at the edge " + std::to_string(edge) + " of " + ClipName(*e));
    }
  }
}

void CheckTransitions(const CTestDoc& doc, std::vector<std::string>& problems) {
  const TLEvent* head = doc.Head();
  const TLEvent* trackA = FindTrack(head, kRollTrackA);
  const TLEvent* trackB = FindTrack(head, kRollTrackB);
  const TLEvent* transitionTrack = nullptr;
  for (const TLEvent* t = GetNextEvent(head); t != nullptr && t->kind == kEventTrackBegin; t = GetNextEvent(t))
    if (t->trackType == kTrackTransition && transitionTrack == nullptr) transitionTrack = t;
  if (transitionTrack == nullptr || trackA == nullptr || trackB == nullptr) return;
  std::multiset<std::pair<std::int32_t, std::int32_t>> overlaps;
  for (const TLEvent* a : ClipsOf(trackA))
    for (const TLEvent* b : ClipsOf(trackB)) {
      const std::int32_t start = std::max(a->time, b->time);
      const std::int32_t end = std::min(a->OutTime(), b->OutTime());
      if (start < end) overlaps.insert({start, end});
    }
  for (const TLEvent* transition : ClipsOf(transitionTrack)) {
    auto found = overlaps.find({transition->time, transition->OutTime()});
    if (found == overlaps.end()) {
      problems.push_back(ClipName(*transition) + " covers no overlap of tracks 1 and 3");
      continue;
    }
    overlaps.erase(found);
  }
  for (const auto& [start, end] : overlaps)
    problems.push_back("the overlap [" + std::to_string(start) + ", " + std::to_string(end) + "] has no transition");
}

}  // namespace

std::vector<std::string> CheckTimelineDocument(const CTestDoc& doc) {
  std::vector<std::string> problems;
  const TLEvent* head = doc.Head();
  if (head == nullptr) return {"the document has no timeline"};
  if (!CheckTimelineLinks(head)) problems.push_back("the event lists are not linked in order");
  if (doc.duration != TimelineDuration(head))
    problems.push_back("the duration " + std::to_string(doc.duration) + " is not the list's " +
                       std::to_string(TimelineDuration(head)));
  if (doc.trackCount != CountTracks(head)) problems.push_back("the track count is not the list's");
  CheckClips(doc, problems);
  CheckSegments(head, problems);
  CheckTransitions(doc, problems);
  std::unordered_set<const TLEvent*> clips;
  for (const TLEvent* e = head; e != nullptr; e = GetNextEvent(e))
    if (e->IsClipIn()) clips.insert(e);
  for (const ClipSelection& entry : doc.selection)
    if (!clips.contains(entry.clip)) problems.push_back("the selection names a clip that is not on the timeline");
  return problems;
}

}  // namespace sprocket
