#pragma once
// The clips to composite at a time, and the questions segment rendering asks
// about them.

#include <cstdint>

#include "timeline/records/clip_time_index.h"
#include "timeline/records/render_entry.h"
#include "timeline/records/tl_event.h"

namespace sprocket {

// Asks the fast effect path whether it can take an entry for a compressor
// (a FOURCC value). Supplied by the effect library; none means "no".
using TurboEffectTest = bool (*)(const RenderEntry& entry, std::uint32_t codec);

// The render entries of the clips under time `t1` (ms), whose effect and
// transition percentages take their values at `t2`:
//
//   - A clip covers t when in <= t < out; audio tracks give no entries.
//   - Entries follow the track numbers, the first at the bottom. A
//     transition clip on an 'X' track gives one 'X' entry whose A side is
//     the clip under t1 on its left-side track and whose B side is the one on
//     its right-side track (by default the tracks just below and above the
//     transition track); those tracks give no entries of their own. A side
//     without a clip shows a black frame.
//   - Source frame: the media time is play-in + (t1 - in) x speed / 100
//     (reversed: play-out - that offset - one frame), at the clip's own rate
//     (an AVI's rate / scale, else the timeline's), clamped to the clip's
//     frames; a still counts frames since its in time at the timeline's
//     rate.
//   - Effect percent: 100 x (t2 - in) / (length - one frame), clamped to
//     0..100, and 100 for a clip of one frame or less.
//   - Transition percent: start + (t2 - in) / (length - one frame) x
//     (end - start), 100 for a transition of one frame or less, where start
//     and end are the first two values of the transition filter's first
//     parameter (0 and 100 when it has none or both are 0).
//   - A clip that stands for an intermediate movie has no file name and its
//     source time is the movie's start + the media time; when that time falls
//     inside the clip itself (the clip would show itself) it shows a black
//     frame instead.
//   - The first entry links to the 'X' entry (transitionLink).
//
// `preview` chooses the settings record whose compressor the fast-path test
// gets; `doubleSize`, `width` and `height` are the caller's output (kept for
// effects that scale to it). An empty list when nothing lies under t1 or
// without a head.
// `clips`, an index of the same timeline (another timeline's is not used),
// finds the clips under t1 without walking the tracks.
RenderList BuildRenderList(double t1, double t2, const TLEvent* head, int preview, int doubleSize, int width,
                           int height, TurboEffectTest turboTest = nullptr, const ClipTimeIndex* clips = nullptr);
// Frees the entries with their filter lists and header copies.
void FreeRenderList(RenderList& list);

// True when the fast effect path takes the entry (false without a test).
bool IsTurboEffectEntry(const RenderEntry& entry, std::uint32_t codec, TurboEffectTest turboTest = nullptr);

// The topmost video clip covering [t1, t2] (in <= t1, t2 <= out) when the
// range needs no compositing: the clip carries no filters and stands for no
// intermediate movie, no clip of a higher video track and no transition
// meets the range. Null otherwise.
const TLEvent* FindPlainClipForRange(const TLEvent* head, std::int32_t t1, std::int32_t t2);

}  // namespace sprocket
