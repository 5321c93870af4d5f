#pragma once
// Edits that the timeline view's commands make through the document, with
// no window involved: finding room for audio, keeping the transition track
// in step with the overlaps of the A/B roll tracks, and taking back an edit
// that was refused.

#include <cstdint>

#include "timeline/document/document.h"

namespace sprocket {

// The number of the first audio track when it has no clip over [in, out).
// Otherwise a new audio track is inserted before it (the tracks after it
// move up by one), or after the last track when the timeline has no audio
// track, showing waveforms, and its number is returned. 0 when no track can be added.
std::int32_t FindOrAddAudioTrack(CTestDoc& doc, std::int32_t in, std::int32_t out);

// The video tracks whose overlaps the transition track follows (A and B roll).
inline constexpr std::int32_t kRollTrackA = 1;
inline constexpr std::int32_t kRollTrackB = 3;
// The transition a new overlap gets (the cross dissolve).
inline constexpr std::int32_t kDefaultTransitionId = 1;

// Keeps the transition track in step with the overlaps of video tracks 1 and
// 3: each overlap has one transition spanning it exactly (an existing one
// that meets the overlap is resized, a new one gets the default transition),
// and transitions that meet no overlap are deleted. Refused (0, nothing
// changed) when an overlap is shorter than one frame or two overlaps meet;
// 1 otherwise (also when there is no transition track and no overlap).
int RebuildTransitions(CTestDoc& doc);
// The same after an edit of one clip; clips on tracks other than 1 and 3
// change nothing (1).
int UpdateTransitionsForClip(CTestDoc& doc, const TLEvent* clip);

// Takes back an edit that was refused after its undo step was saved: the
// top undo step's copies come back and the step is dropped (it cannot be
// redone). False when there is no undo step.
bool RevertRefusedEdit(CTestDoc& doc);

}  // namespace sprocket
