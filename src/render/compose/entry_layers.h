#pragma once
// One render entry laid into the frame being composed: its pictures
// (GetDIB), its filters, its transition and the transition's second filter,
// the reduction of double-size composition, its 8-bit mask, the trailing
// effect of its track's node and the blend into the frame under the mask.

#include <cstdint>

#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_stop.h"
#include "render/compose/get_dib.h"
#include "render/compose/render_effects.h"
#include "render/picture/dib_picture.h"
#include "render/sources/track_list.h"
#include "timeline/records/render_entry.h"

namespace sprocket {

struct LayerContext {
  RenderEffects* effects = nullptr;
  RenderPumpCallback pump;
  // The frame's GetDIB arguments at the working size (entry and node are
  // set for each entry).
  GetDibArgs source;
  std::uint8_t* output = nullptr;  // the frame composed so far, width x height
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t logSwitch = 0;
  std::int32_t effectArg = 0;
  EffectFrameParams* params = nullptr;
  TrackList* tracks = nullptr;
};

enum class LayerResult {
  kLaid,      // laid, or skipped for want of a picture
  kStopped,   // an effect call answered kEffectStopped
  kNoMemory,  // a picture could not be allocated
};

LayerResult LayEntry(const LayerContext& context, const RenderEntry& entry);

// A picture of width x height whose every pixel byte is 128: a mask that
// lets a picture through whole until a filter writes it.
DibPicture OpaqueMask24(std::int32_t width, std::int32_t height);

// The 8-bit grey mask of a locked 24-bit mask picture (its blue bytes),
// rows padded to 4 bytes; empty without memory or for another picture.
DibPicture MakeMask8(const std::uint8_t* mask24);

// True when a transition list's second filter is to run on the
// transition's result: there is one, and neither it nor the transition is
// an effect sequence (999), whose list the transition renderer plays itself.
bool RunsSecondFilter(const FilterList& transitionFilters);

}  // namespace sprocket
