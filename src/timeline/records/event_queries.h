#pragma once
// Questions asked of a timeline's event list.

#include <cstdint>

#include "timeline/records/tl_event.h"

namespace sprocket {

// Number of track headers.
// The latest out time of the timeline's clips (0 without clips): the end
// of its content.
std::int32_t LatestClipOutTime(const TLEvent* head);
int CountTracks(const TLEvent* head);
// The track header ('b') with that number, or null.
TLEvent* FindTrack(const TLEvent* head, std::int32_t number);
// The header's 1-based ordinal among the headers of its type (0 for a record
// that is not a track header).
int GetTrackOrdinal(const TLEvent* trackHeader);

// The record of the track (type and number) within 18 ms of `time`, else the
// last record of its chain before `time` (the track header when none), or
// null when there is no such track.
TLEvent* FindTrackEventNear(const TLEvent* head, std::int32_t time, char trackType, std::int32_t trackNumber);

// Number of clips on transition tracks.
int CountTransitions(const TLEvent* head);

// How `other`'s time span overlaps `clip`'s (spans are [in, out)):
//   0 no overlap;
//   1 `other` covers the right part of the clip (starts inside, ends at or after its out);
//   2 `other` covers the left part (starts at or before its in, ends inside);
//   3 `other` lies inside the clip (starts after its in, ends before its out);
//   4 `other` covers the whole clip.
// `span` receives the overlapped span (untouched for 0).
struct TimeSpan {
  std::int32_t start = 0;
  std::int32_t end = 0;
  bool operator==(const TimeSpan&) const = default;
};
int GetClipOverlap(const TLEvent* clip, const TLEvent* other, TimeSpan* span = nullptr);

// Nonzero when a clip on a video track numbered above the clip's covers the
// clip's whole span.
int IsCoveredByUpperClip(const TLEvent* head, const TLEvent* clip);

// The clip-in record on track `trackNumber` whose span [in, out) holds
// `time`, or null.
TLEvent* FindClipCovering(const TLEvent* head, std::int32_t trackNumber, std::int32_t time);

}  // namespace sprocket
