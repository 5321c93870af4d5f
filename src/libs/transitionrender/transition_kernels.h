#pragma once
// The transitions themselves, on picture views of one size.

#include <cstdint>
#include <span>

#include "libs/effectcatalog/effect_picture.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// Renders transition `transitionId` at `percent` (0..100) from A to B into
// `result`. `own` is the transition's record (null for the defaults);
// `filters` is the whole list the record heads (an effect sequence reads its
// steps there); `effectPercent` moves the values from the record's first
// parameter set towards its second. An id the catalogue does not know is
// drawn as the cross dissolve. Answers kEffectDone or kEffectStopped.
int RenderTransitionKernel(std::int32_t transitionId, float percent, const PictureView& a, const PictureView& b,
                           const PictureView& result, const EffectFilter* own, std::span<const EffectFilter> filters,
                           float effectPercent, StopCheck& stop);

}  // namespace sprocket
