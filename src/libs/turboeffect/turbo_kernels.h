#pragma once
// The fast path's kernels: whole rows at a time, straight into the output.

#include <cstdint>
#include <span>

#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// True when the transition has a fast kernel for these values (hard edges
// only for the wipes).
bool TurboTakesTransition(std::int32_t transitionId, const EffectValues& values);

// Renders the transition from A to B into `output` (all one size).
void TurboTransition(std::int32_t transitionId, float percent, const EffectValues& values, const PictureView& a,
                     const PictureView& b, const PictureView& output);

// Applies the combined colour tables of the filters (all of them channel
// table filters) from the source into the output.
void TurboColourTables(std::span<const EffectFilter> filters, float effectPercent, const PictureView& source,
                       const PictureView& output);

}  // namespace sprocket
