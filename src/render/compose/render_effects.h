#pragma once
// The effect libraries as the frame renderers call them.
//
// The compositor and the disk-buffered renderer run filters, transitions and
// the fast path through this interface, with the libraries' own arguments.
// LibraryRenderEffects() (library_render_effects.h) binds it to the filter,
// transition and fast-path libraries; tests bind it to small effects of
// their own whose pixels they can predict.

#include <cstdint>
#include <mutex>
#include <span>

#include "libs/effectcatalog/effect_file_block.h"
#include "libs/effectcatalog/effect_frame_params.h"
#include "libs/effectcatalog/effect_stop.h"
#include "libs/effectcatalog/effect_values.h"
#include "libs/turboeffect/turbo_effect.h"
#include "timeline/document/render_list.h"

namespace sprocket {

class RenderEffects {
public:
  virtual ~RenderEffects() = default;

  // The filter renderer, ordinal 2: the filters run from `source` into
  // `destination`. 0, or kEffectStopped (-2) when the user stopped.
  virtual int ApplyFilterFrame(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                               const std::uint8_t* source, std::int32_t zero, std::uint8_t* destination,
                               std::uint8_t* firstMask, std::uint8_t* secondMask, std::span<const EffectFilter> filters,
                               float rate, std::int32_t sourceTime, std::int32_t one, const EffectFrameParams* params,
                               const std::uint8_t* background, const RenderPumpCallback& pump, std::int32_t zero2,
                               std::int32_t effectArg) = 0;

  // The filter renderer, ordinal 3 (disk-buffered rendering).
  virtual int ApplyFilterFrameToFile(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                                     const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                                     std::uint8_t* work2, std::int32_t zero, std::span<const EffectFilter> filters,
                                     float rate, std::int32_t sourceTime, const EffectFileWorkBlock* workBlock,
                                     std::int32_t one, const RenderPumpCallback& pump) = 0;

  // The transition renderer, ordinal 2: one transition frame from A and B
  // into `result`.
  virtual int RenderTransitionFrame(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                    const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result,
                                    std::int32_t zero1, std::int32_t zero2, std::span<const EffectFilter> filters,
                                    float effectPercent, std::int32_t sourceTime, std::int32_t rate, std::int32_t one,
                                    const EffectFrameParams* params, const RenderPumpCallback& pump) = 0;

  // The transition renderer, ordinal 3 (disk-buffered rendering).
  virtual int RenderTransitionFrameToFile(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                          const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result,
                                          std::uint8_t* mask, std::span<const EffectFilter> filters,
                                          float effectPercent, std::int32_t sourceTime, std::int32_t rate,
                                          const EffectFileWorkBlock* workBlock, std::int32_t one,
                                          const RenderPumpCallback& pump) = 0;

  // The fast path: nonzero when it rendered the whole frame into `output`.
  virtual int TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output,
                           const EffectFrameParams* params, std::recursive_mutex* lock) = 0;

  // The test the render-list builder asks for each entry to set its
  // fast-path flag; null when there is no fast path.
  virtual TurboEffectTest TurboTest() const = 0;
};

}  // namespace sprocket
