#include "timeline/document/clip_lookup.h"

#include <cstdlib>

#include "timeline/basics/media_type.h"
#include "timeline/records/event_queries.h"

namespace sprocket {

namespace {

bool IsLinkedAvi(const TLEvent* clip) {
  return clip != nullptr && clip->IsClipIn() && clip->mediaType == kMediaAvi && clip->linkNumber != 0;
}

// The timeline time at which the clip's media starts.
double MediaStart(const TLEvent& clip) {
  const double speed = clip.speed > 0 ? clip.speed : kNormalSpeed;
  return clip.time - clip.playIn * static_cast<double>(kNormalSpeed) / speed;
}

template <typename Match>
TLEvent* FindOtherClip(const TLEvent* head, const TLEvent* clip, Match match) {
  for (TLEvent* event = GetNextEvent(head); event != nullptr; event = GetNextEvent(event)) {
    if (event != clip && event->IsClipIn() && match(*event)) return event;
  }
  return nullptr;
}

}  // namespace

TLEvent* FindClipAtTime(const TLEvent* head, std::int32_t time, std::int32_t trackNumber) {
  const TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr) return nullptr;
  for (TLEvent* event = track->next; event != nullptr && event->kind != kEventTrackEnd; event = event->next) {
    if (!event->IsClipIn()) continue;
    if (event->time > time) break;
    if (event->OutTime() >= time) return event;
  }
  return nullptr;
}

TLEvent* FindLinkedClip(const TLEvent* head, const TLEvent* clip) {
  if (!IsLinkedAvi(clip)) return nullptr;
  return FindOtherClip(head, clip, [clip](const TLEvent& other) { return other.linkNumber == clip->linkNumber; });
}

TLEvent* FindSyncPartner(const TLEvent* head, const TLEvent* clip) {
  if (!IsLinkedAvi(clip)) return nullptr;
  const double start = MediaStart(*clip);
  return FindOtherClip(head, clip, [clip, start](const TLEvent& other) {
    return other.linkNumber == clip->linkNumber && std::abs(MediaStart(other) - start) <= kSyncToleranceMs;
  });
}

int CheckTrackRange(CTestDoc& doc, char type, std::int32_t trackNumber, std::int32_t start, std::int32_t end,
                    TLEvent** first, TLEvent** second, bool speedChange) {
  if (first != nullptr) *first = nullptr;
  if (second != nullptr) *second = nullptr;
  const TLEvent* track = FindTrack(doc.Head(), trackNumber);
  if (track == nullptr || track->trackType != type) return kTrackRangeNoTrack;
  const TLEvent* changing = speedChange && !doc.selection.empty() ? doc.selection.front().clip : nullptr;
  int found = 0;
  for (TLEvent* event = track->next; event != nullptr && event->kind != kEventTrackEnd; event = event->next) {
    if (!event->IsClipIn() || event->time >= end || event->OutTime() <= start) continue;
    if (event == changing) continue;
    if (found == 0 && first != nullptr) *first = event;
    if (found == 1 && second != nullptr) *second = event;
    ++found;
  }
  if (found == 0) return kTrackRangeFree;
  return found == 1 ? kTrackRangeOneClip : kTrackRangeClips;
}

}  // namespace sprocket
