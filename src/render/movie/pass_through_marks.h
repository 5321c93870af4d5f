#pragma once
// Marks of a render job on the clips of a timeline: which video clips can
// be copied unchanged from their files into an AVI output, and which clips
// are in the video board's own format.
//
// A clip is copyable when its compressed samples are what the output would
// hold anyway: an AVI clip on a video track, played forward at normal speed,
// with no filters, no cropping and no intermediate movie, whose compressor
// (when its header names one), frame size and frame rate are those of the
// output, while the output is neither re-compressed on request nor rendered
// at double size. The movie join still checks every copied sample's format
// before it writes it.

#include "platform/settings/movie_settings.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Sets every clip's pass-through kind (copyable or none) for the output
// the settings record describes (`doubleSize`: the output renders at twice
// its size) and its board-native mark (its compressor is the board's own).
void MarkPassThroughClips(TLEvent* head, const MovieSettings& output, bool doubleSize);

// Clears the board-native mark of every clip.
void ClearNativeClipFlags(TLEvent* head);

}  // namespace sprocket
