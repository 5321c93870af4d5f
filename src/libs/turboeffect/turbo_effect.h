#pragma once
// The fast path for the effects it recognises.
//
// A frame whose render list holds a single entry that is either a
// transition between two plain clips (cross dissolve, dips, hard-edged
// wipes, barn doors, corner wipes, push, slide, uncover) or a clip whose
// filters all change colours through tables is written straight into the
// output picture: no work pictures, no result picture, no final copy.
// The pixels are the same as the general road's (transition or filter
// renderer into a black work picture, then copied into the output).

#include <cstdint>
#include <mutex>
#include <span>

#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// Where the fast path gets the entry's pictures: the compositor's media
// sources, which fetch them as its general road would (cropped, at the
// output size, 24 bits).
class TurboSources {
public:
  virtual ~TurboSources() = default;
  // Side 0: A, 1: B, 2: the clip's own picture. Answers the locked address
  // of a packed 24-bit DIB of width x height that stays valid until the next
  // fetch or the end of the frame, or null when the side has no picture.
  virtual const std::uint8_t* FetchPicture(int side, std::int32_t width, std::int32_t height) = 0;
};

inline constexpr int kTurboSideA = 0;
inline constexpr int kTurboSideB = 1;
inline constexpr int kTurboSideClip = 2;

// What the fast path needs to know of a render entry.
struct TurboEntry {
  char trackLetter = 'V';       // 'V' a clip, 'X' a transition
  std::int32_t entryCount = 1;  // entries in the frame's list
  // 'X': the transition's list (the transition first, then its second
  // filter); 'V': the clip's filters.
  std::span<const EffectFilter> filters;
  float transitionPercent = 0.0f;
  float effectPercent = 0.0f;
  bool sideAFilters = false;  // a transition side has filters of its own
  bool sideBFilters = false;
  std::int32_t maskFlag = 0;  // the entry has an alpha mask to compose under
  bool doubleSize = false;    // the frame is composed at twice its size
};

// Nonzero when the fast path renders this effect id (for any compressor
// `value`: the fast path's pictures are the general road's).
int IsTurboEffect(std::int32_t filterId, std::int32_t value);

// True when the fast path can take this entry whatever else the frame
// holds (the entry count aside): the test the timeline asks for each entry.
bool IsTurboEntry(const TurboEntry& entry, std::uint32_t codec);

// Renders the frame into `output` (a locked packed 24-bit DIB whose header
// gives the size) and answers 1, or answers 0 and writes nothing when it
// cannot take the frame: more than one entry, an effect or a setting it
// does not handle (a soft edge, side filters, a second filter other than
// 999, masks, double size), a bad output picture, or a stop request (the
// general road then answers it). The lock, when given, is held while the
// sources fetch pictures.
int TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output, const EffectFrameParams* params,
                 std::recursive_mutex* lock);

}  // namespace sprocket
