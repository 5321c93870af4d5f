#include "timeline/records/event_queries.h"

#include <algorithm>

#include <cstdlib>

namespace sprocket {

namespace {

// Records within this many ms of a time count as at that time.
constexpr std::int32_t kNearEventMs = 18;

}  // namespace

std::int32_t LatestClipOutTime(const TLEvent* head) {
  std::int32_t latest = 0;
  for (const TLEvent* event = head; event != nullptr; event = GetNextEvent(event))
    if (event->kind == kEventClipOut) latest = std::max(latest, event->time);
  return latest;
}

int CountTracks(const TLEvent* head) {
  int count = 0;
  for (const TLEvent* event = GetNextEvent(head); event != nullptr && event->kind == kEventTrackBegin;
       event = event->masterNext.get()) {
    ++count;
  }
  return count;
}

TLEvent* FindTrack(const TLEvent* head, std::int32_t number) {
  for (TLEvent* event = GetNextEvent(head); event != nullptr && event->kind == kEventTrackBegin;
       event = event->masterNext.get()) {
    if (event->trackNumber == number) return event;
  }
  return nullptr;
}

int GetTrackOrdinal(const TLEvent* trackHeader) {
  if (trackHeader == nullptr || trackHeader->kind != kEventTrackBegin) return 0;
  int ordinal = 1;
  for (const TLEvent* event = trackHeader->masterPrev; event != nullptr && event->kind == kEventTrackBegin;
       event = event->masterPrev) {
    if (event->trackType == trackHeader->trackType) ++ordinal;
  }
  return ordinal;
}

TLEvent* FindTrackEventNear(const TLEvent* head, std::int32_t time, char trackType, std::int32_t trackNumber) {
  TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr || track->trackType != trackType) return nullptr;
  TLEvent* before = track;
  for (TLEvent* event = track; event != nullptr; event = event->next) {
    if (std::abs(static_cast<long long>(event->time) - time) <= kNearEventMs) return event;
    if (event->time < time) before = event;
  }
  return before;
}

int CountTransitions(const TLEvent* head) {
  int count = 0;
  for (const TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->kind == kEventClipIn && event->trackType == kTrackTransition) ++count;
  }
  return count;
}

int GetClipOverlap(const TLEvent* clip, const TLEvent* other, TimeSpan* span) {
  if (clip == nullptr || other == nullptr) return 0;
  std::int32_t a1 = clip->time;
  std::int32_t a2 = clip->OutTime();
  std::int32_t b1 = other->time;
  std::int32_t b2 = other->OutTime();
  if (b2 <= a1 || b1 >= a2) return 0;
  int kind = 0;
  TimeSpan overlap;
  if (b1 > a1 && b2 >= a2) {
    kind = 1;
    overlap = {b1, a2};
  } else if (b1 <= a1 && b2 < a2) {
    kind = 2;
    overlap = {a1, b2};
  } else if (b1 > a1 && b2 < a2) {
    kind = 3;
    overlap = {b1, b2};
  } else {
    kind = 4;
    overlap = {a1, a2};
  }
  if (span != nullptr) *span = overlap;
  return kind;
}

int IsCoveredByUpperClip(const TLEvent* head, const TLEvent* clip) {
  if (head == nullptr || clip == nullptr || clip->kind != kEventClipIn) return 0;
  for (const TLEvent* event = head; event != nullptr; event = event->masterNext.get()) {
    if (event->kind != kEventClipIn || event == clip || event->trackType != kTrackVideo ||
        event->trackNumber <= clip->trackNumber) {
      continue;
    }
    if (GetClipOverlap(clip, event) == 4) return 1;
  }
  return 0;
}

TLEvent* FindClipCovering(const TLEvent* head, std::int32_t trackNumber, std::int32_t time) {
  TLEvent* track = FindTrack(head, trackNumber);
  if (track == nullptr) return nullptr;
  for (TLEvent* event = track->next; event != nullptr; event = event->next) {
    if (event->kind != kEventClipIn) continue;
    if (event->time > time) break;
    if (time < event->OutTime()) return event;
  }
  return nullptr;
}

}  // namespace sprocket
