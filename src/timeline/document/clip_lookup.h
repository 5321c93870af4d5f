#pragma once
// Finding clips of a timeline by time, by link and by track range: the
// questions the timeline view's drawing, mouse editing and commands ask.

#include <cstdint>

#include "timeline/document/document.h"

namespace sprocket {

// The clip-in record on track `trackNumber` whose in time is at or before
// `time` and whose out time is at or after it (both ends included), or null.
TLEvent* FindClipAtTime(const TLEvent* head, std::int32_t time, std::int32_t trackNumber);

// For an AVI clip with a nonzero link number, the other clip-in record with
// the same number (the other half of a split audio/video pair), else null.
TLEvent* FindLinkedClip(const TLEvent* head, const TLEvent* clip);

// Two halves of a split pair are in sync when their media starts (the in
// time less the play-in at the clip's speed) lie within this many ms.
inline constexpr std::int32_t kSyncToleranceMs = 17;
// For an AVI clip with a link number, the other half whose media start is in
// sync with the clip's, else null.
TLEvent* FindSyncPartner(const TLEvent* head, const TLEvent* clip);

// What CheckTrackRange found on a track over a time range.
enum TrackRangeResult : int {
  kTrackRangeFree = 0,     // no clip meets the range
  kTrackRangeOneClip = 1,  // one clip (in `first`)
  kTrackRangeClips = 2,    // two or more (the first two in `first`, `second`)
  kTrackRangeNoTrack = 3,  // no track of that type and number
};
// Looks for clips of track (type, number) that meet [start, end). While
// `speedChange` is set (a clip speed command runs), the clip whose speed is
// being changed, the document's selected clip, is left out; other selected
// clips still count, so a longer clip cannot run into a selected neighbour.
int CheckTrackRange(CTestDoc& doc, char type, std::int32_t trackNumber, std::int32_t start, std::int32_t end,
                    TLEvent** first, TLEvent** second, bool speedChange = false);

}  // namespace sprocket
