#pragma once
// The edits of a timeline document, each one request through TimelineEdit:
// it checks its arguments, changes the records, and commits (one undo step,
// transitions, duration and render segments kept whole) or refuses and
// changes nothing. The mouse gestures and the commands call these; the
// commands keep their own rules and messages before them.

#include <cstdint>
#include <string>
#include <vector>

#include "timeline/edit/timeline_edit.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket {

// Undo kinds of the edits that have no kind of their own elsewhere.
inline constexpr std::int32_t kEditMoveClip = 170;
inline constexpr std::int32_t kEditTrimClip = 171;
inline constexpr std::int32_t kEditPlaceClip = 174;
inline constexpr std::int32_t kEditFieldHandling = 176;
inline constexpr std::int32_t kEditTimelineDuration = 177;
inline constexpr std::int32_t kEditAudioPreviewTracks = 178;
inline constexpr std::int32_t kEditMovieRange = 179;
inline constexpr std::int32_t kEditTrackViewStatus = 182;
inline constexpr std::int32_t kEditChannelMode = 61538;

// The length a still picture gets when it is placed.
inline constexpr std::int32_t kStillLengthMs = 5000;

// --- Moving ---
//
//   before        |  [ A ]      [ B ]      |        delta = +2 frames, A onto V2
//   after  V1     |             [ B ]      |
//          V2     |    [ A ]               |
//
// Each clip goes to its track (of its own type; other tracks are refused);
// the split halves in sync with a moved clip move with it on their own
// tracks. The first clip is the one the user holds: delta is snapped so that
// it lands on a frame, and cut so that no clip starts before 0.
struct ClipMove {
  TLEvent* clip = nullptr;
  std::int32_t trackNumber = 0;
};
EditResult MoveClips(CTestDoc& doc, const std::vector<ClipMove>& moves, std::int32_t delta);

// --- Trimming ---
//
//   kIn, delta > 0:   [=====]  ->   [===]     the media starts later
//   kOut, delta < 0:  [=====]  ->  [===]      the media ends sooner
//
// The edge moves by delta, snapped to a frame; the clip keeps at least one
// frame and cannot show media before its start or past its end. Its split
// half in sync is trimmed with it.
enum class ClipEdge { kIn, kOut };
EditResult TrimClip(CTestDoc& doc, TLEvent* clip, ClipEdge edge, std::int32_t delta);
// Where TrimClip puts the edge for `delta`: the new in or out time (what a
// trim's feedback shows while the user drags).
std::int32_t TrimmedEdgeTime(const CTestDoc& doc, const TLEvent& clip, ClipEdge edge, std::int32_t delta);

// --- Placing and deleting ---

// Places a clip of the media file at `time` (snapped to a frame) on the
// track; a sound goes to the first free audio track (one is added when
// none is free) when the track is not an audio track, a picture to track 1
// when the track is not a video track. Files of other kinds are refused with
// a message that names the file and the kinds read. `placed` receives the
// new clip.
EditResult PlaceClip(CTestDoc& doc, const std::string& path, std::int32_t time, std::int32_t trackNumber,
                     TLEvent** placed = nullptr);
// Takes a clip off the timeline with its clip index marks.
EditResult DeleteClipEdit(CTestDoc& doc, TLEvent* clip);
// Puts a copy of a detached clip (a cut clip) on the track at `in`, keeping
// its length; `pasted` receives it.
EditResult PasteClipCopy(CTestDoc& doc, const TLEvent& cut, std::int32_t in, std::int32_t trackNumber,
                         TLEvent** pasted = nullptr);

// --- Sound and pictures of a clip ---

// Moves an AVI clip's sound onto an audio track (the first free one, added
// when needed) as a clip linked to the picture; `audio` receives it.
EditResult SplitAudioVideo(CTestDoc& doc, TLEvent* video, TLEvent** audio = nullptr);
// Gives the sound of a split pair back to its picture and deletes the audio
// half; either half may be given.
EditResult RejoinAudioVideo(CTestDoc& doc, TLEvent* clip);
// Puts the black still `blackPath` on the other roll track over [start, end)
// so that the transition over it fades the clip from (fadeIn) or to black.
EditResult FadeWithBlackClip(CTestDoc& doc, TLEvent* clip, bool fadeIn, std::int32_t start, std::int32_t end,
                             const std::string& blackPath);
// Plays the clip at `speed` percent: its out time follows (snapped to a
// frame); refused past 10 hours or over a clip of its track.
EditResult SetClipSpeedEdit(CTestDoc& doc, TLEvent* clip, std::int32_t speed);
// Copies a clip's filters and (for a clip with sound) its envelopes onto
// another clip.
EditResult PasteAttributesEdit(CTestDoc& doc, TLEvent* target, const TLEvent& source);
EditResult SetFieldOrder(CTestDoc& doc, TLEvent* clip, std::int32_t fieldOrder);
// Sets the clip's channel mode (0 for none).
EditResult SetChannelMode(CTestDoc& doc, TLEvent* clip, std::int32_t mode);
// Replaces a clip's volume (channel 0) or balance (channel 1) envelope.
EditResult SetEnvelope(CTestDoc& doc, TLEvent* clip, int channel, VolumeEnvelope points);

// --- The whole timeline ---

// The timeline's length; refused when a clip ends after it.
EditResult SetTimelineDurationEdit(CTestDoc& doc, std::int32_t ms);
// Sets the movie range (the Movie band's handles), snapped to frames inside
// the timeline; from then on it no longer follows the content. Refused when
// it holds no frame.
EditResult SetMovieRange(CTestDoc& doc, TimeRange range);
// The audio preview option word and each track's audio-preview selection
// (0 none, 1 on, -1 switched off), by track number; tracks not named get 0.
struct TrackPreviewSelection {
  std::int32_t trackNumber = 0;
  std::int32_t selection = 0;
};
EditResult SetAudioPreviewTracks(CTestDoc& doc, std::int32_t option,
                                 const std::vector<TrackPreviewSelection>& selections);
// What a track's rows show (kTrackViewBalance .. kTrackViewStereo): its
// height and its clips' waveforms follow. Refused for the transition track
// and for a status out of range.
EditResult SetTrackViewStatusEdit(CTestDoc& doc, std::int32_t trackNumber, std::int32_t status);

}  // namespace sprocket
