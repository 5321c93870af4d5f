#pragma once
// Colours, texts and geometry rules of the clip drawing that need no view:
// labels, the picture rectangle's fitting, index-mark places, and the
// envelope's screen geometry with its drawing rules.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/qt/dc_types.h"
#include "timeline/document/document.h"
#include "timeline/records/tl_event.h"
#include "tleview/view_resources.h"

namespace sprocket {

inline constexpr dc::Rgb kClipBody{79, 82, 142};
inline constexpr dc::Rgb kTransitionBody{118, 74, 125};
inline constexpr dc::Rgb kAudioBody{20, 110, 93};         // audio row with sound, audio clip body
inline constexpr dc::Rgb kSilentAudioRow{150, 210, 200};  // audio row of a clip without sound
inline constexpr dc::Rgb kStillThirdRow{201, 254, 238};
inline constexpr dc::Rgb kEnvelopeRed{255, 0, 0};

inline dc::Rect ToRect(const ClipRect& r) { return dc::Rect{r.left, r.top, r.right, r.bottom}; }
inline ClipRect ToClipRect(const dc::Rect& r) { return ClipRect{r.left, r.top, r.right, r.bottom}; }

// Name and extension, as the clip is labelled.
std::string ClipLabel(const TLEvent& clip);
// "%dFX" with the clip's filter count, empty without filters.
std::string EffectCountLabel(const TLEvent& clip);
std::string LowerExtension(const TLEvent& clip);
// The kind picture of a clip's media.
ClipKind KindOf(const TLEvent& clip);
// The body colour of a track type.
dc::Rgb TrackClipColour(char trackType);

// Where a picture of `width` x `height` goes in `area`: centred when smaller
// both ways (a video clip's then `pictureWidth` wide, 4:3, when twice that
// fits), else scaled to the area's height; a picture that does not fit twice
// spans the middle half of the area by integer quarters.
dc::Rect FitClipPicture(const dc::Rect& area, int width, int height, bool transition, int pictureWidth);

// The x of an index mark at media time `t` of a clip, or nothing when t lies
// outside play-in .. play-out. A speed of 0 or less counts as normal speed.
std::optional<int> ClipIndexMarkX(const CTestDoc& doc, const TLEvent& clip, std::int32_t t);
// Speed for the view's conversions: damaged values count as normal.
std::int32_t ViewSpeed(std::int32_t speed);

// The screen point of an envelope point in the envelope's area: x runs over
// the area's width with the position (0..10000), y from the bottom - 1
// (level 0) through the middle (10000) to the top (20000).
dc::Point EnvelopeScreenPoint(const dc::Rect& area, const VolumePoint& point);
// Pairs of successive points with nothing to draw.
bool SkipEnvelopePair(const VolumePoint& p, const VolumePoint& q);
// A pair whose line is left out (flat at 100 %, or along the top or bottom).
bool SkipEnvelopeLine(const VolumePoint& p, const VolumePoint& q, dc::Point ps, dc::Point qs, const dc::Rect& area);
// A point without a handle (at an end or at the top or bottom level).
bool HasNoHandle(const VolumePoint& q);

}  // namespace sprocket
