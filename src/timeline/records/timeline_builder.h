#pragma once
// Building and rearranging a timeline in code: new timelines, tracks and
// clips placed at the right positions of both the master list and their
// track chains. No file is read; clip contents are given as fields.
//
//   EventListSlot head = NewTimeline(2997, 60000);
//   AppendTrack(head.get(), kTrackVideo);            // track 1
//   TLEventFields clip;
//   clip.directory = "/media/"; clip.name = "shot"; clip.extension = ".avi";
//   clip.mediaType = kMediaAvi; clip.playOut = 4000;
//   TLEvent* in = InsertClip(head.get(), 1, 1000, 5000, clip);

#include <cstdint>

#include "timeline/records/event_queries.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// A timeline with no track: its head ('B', at `rate`) and its end ('E' at
// `duration` ms).
EventListSlot NewTimeline(std::int32_t rate, std::int32_t duration);
// The default timeline: V1, the transition track, V2, V3, V4, A1, A2, A3, A4
// (tracks 1..9; the transition track 2 lies between the A/B roll tracks 1
// and 3).
EventListSlot MakeDefaultTimeline(std::int32_t rate, std::int32_t duration);

// Inserts a track of `type` ('V', 'A', 'X') as number `number`
// (1..tracks + 1); tracks from that number on, their clips and the
// transition sides that name them move up by one. Null when the type is
// unknown, the number out of range or the timeline already holds
// kMaxTracks tracks.
TLEvent* InsertTrack(TLEvent* head, char type, std::int32_t number);
// Adds a track after the last one.
TLEvent* AppendTrack(TLEvent* head, char type);

// Inserts a clip on track `trackNumber` from `in` to `out` ms with the
// contents of `fields` (its kind, track and time are set here; the 'F'
// record carries only the track and the out time). Returns the clip-in
// record, or null when the track does not exist, in < 0 or out <= in.
TLEvent* InsertClip(TLEvent* head, std::int32_t trackNumber, std::int32_t in, std::int32_t out,
                    const TLEventFields& fields = {});
// Links a detached clip (as CopyClipEvent makes it) onto a track at `in`,
// keeping its length. Returns the clip-in record, or null (the clip is then
// freed) when the track does not exist or `in` is negative.
TLEvent* InsertClipEvent(TLEvent* head, EventListSlot clip, std::int32_t trackNumber, std::int32_t in);
// Unlinks a clip-in record and its 'F' partner and frees both.
void DeleteClip(TLEvent* clipIn);

// Moves a record whose time changed to its place in the master list; for a
// clip-in record both records of the clip are placed again, and the clip
// takes its place in its track chain. The rest of the list must be in order.
void RelinkInTimeOrder(TLEvent* head, TLEvent* event);
// Puts every clip record of the master list, and every track chain's clips,
// back in time order (after times were changed in place).
void SortClipRecords(TLEvent* head);
// Moves a clip (its 'f' and 'F') into the chain of another track.
bool MoveClipToTrack(TLEvent* head, TLEvent* clipIn, std::int32_t trackNumber);

// True when both lists are consistent: every node's links agree both ways,
// the master list is in order, every track chain runs b, (f, F)*, e with
// each 'f' followed by its 'F', and every clip is on its track's chain.
bool CheckTimelineLinks(const TLEvent* head);

}  // namespace sprocket
