#pragma once
// Edits of single records of a timeline, and the repair of its times.

#include <cstdint>
#include <string>

#include "timeline/records/tl_event.h"

namespace sprocket {

// Finds the record of `kind` ('f' or 'F') at `time` on track (type, number)
// and moves it by `delta` ms, clamped at 0 and snapped to a frame boundary at
// the timeline's rate, onto track `newTrack`. Moving a clip-in record takes
// its 'F' partner onto the new track too (its time unchanged); an 'F' record
// never moves before its clip's in time. Both lists are kept in order.
// Returns the moved record, or null when no record matches or the new track
// does not exist.
TLEvent* MoveClipEvent(TLEvent* head, std::int32_t delta, std::int32_t newTrack, std::int32_t time, char kind,
                       char trackType, std::int32_t trackNumber);

// The longest timeline (10 hours) and the message that refuses a longer one.
inline constexpr std::int32_t kLongestTimelineMs = 36000000;
inline constexpr int kTimelineTooLongMessage = 61430;
// True when the timeline's end (its end record or its latest clip out time)
// lies beyond 10 hours.
bool IsTimelineTooLong(const TLEvent* head);

// Refuses a timeline whose end (its end record or its latest clip out time)
// lies beyond 10 hours: shows message 61430 "Timeline Duration can not
// exceed 10 hours" and returns nonzero. Otherwise pulls the times back into
// order (no negative time, no clip ending before it starts, the track ends
// and the timeline end not before the latest clip out time, both lists in
// time order) and returns 0.
int ValidateTimelineTimes(TLEvent* head);

// What the transition catalogue says of a transition id.
struct TransitionTexts {
  std::string title;
  std::string description;
};

// Sets a transition clip's id; its icon and own picture are dropped so that
// the view loads those of the new id. With `texts`, the clip's title and
// description become the catalogue's. The first filter of the clip's list is
// the transition the compositor runs, so it takes the id too.
void SetTransitionType(TLEvent& transition, std::int32_t id, const TransitionTexts* texts = nullptr);

// Keeps a transition clip's filter list in step with its id: the first filter
// is the transition (made when the list is empty). Nothing for id 0.
void SyncTransitionFilter(TLEventFields& transition);

// Sets an AVI clip's field order from the settings table "AVI Field Info":
// the first non-empty "ENTRY0".."ENTRY19" value whose first four characters
// equal the clip's compressor code gives the digit at index 5; no match, or
// a value without that digit, gives 0. Clips without an AVI header are left
// alone. Returns the field order set (or the clip's unchanged order).
std::int32_t ApplyAviFieldInfoToClip(TLEvent& clip);

}  // namespace sprocket
