#include "render/compose/library_render_effects.h"

#include "libs/filterrender/filter_render.h"
#include "libs/transitionrender/transition_render.h"
#include "libs/turboeffect/turbo_effect.h"
#include "render/compose/effect_bridge.h"

namespace sprocket {

namespace {

class LibraryEffects final : public RenderEffects {
public:
  int ApplyFilterFrame(std::int32_t logSwitch, std::int32_t filterId, float effectPercent, const std::uint8_t* source,
                       std::int32_t zero, std::uint8_t* destination, std::uint8_t* firstMask, std::uint8_t* secondMask,
                       std::span<const EffectFilter> filters, float rate, std::int32_t sourceTime, std::int32_t one,
                       const EffectFrameParams* params, const std::uint8_t* background, const RenderPumpCallback& pump,
                       std::int32_t zero2, std::int32_t effectArg) override {
    return sprocket::ApplyFilterFrame(logSwitch, filterId, effectPercent, source, zero, destination, firstMask,
                                      secondMask, filters, rate, sourceTime, one, params, background, pump, zero2,
                                      effectArg);
  }

  int ApplyFilterFrameToFile(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                             const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                             std::uint8_t* work2, std::int32_t zero, std::span<const EffectFilter> filters, float rate,
                             std::int32_t sourceTime, const EffectFileWorkBlock* workBlock, std::int32_t one,
                             const RenderPumpCallback& pump) override {
    return sprocket::ApplyFilterFrameToFile(logSwitch, filterId, effectPercent, source, destination, work1, work2, zero,
                                            filters, rate, sourceTime, workBlock, one, pump);
  }

  int RenderTransitionFrame(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                            const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::int32_t zero1,
                            std::int32_t zero2, std::span<const EffectFilter> filters, float effectPercent,
                            std::int32_t sourceTime, std::int32_t rate, std::int32_t one,
                            const EffectFrameParams* params, const RenderPumpCallback& pump) override {
    return sprocket::RenderTransitionFrame(logSwitch, transitionId, transitionPercent, a, b, result, zero1, zero2,
                                           filters, effectPercent, sourceTime, rate, one, params, pump);
  }

  int RenderTransitionFrameToFile(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                  const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result,
                                  std::uint8_t* mask, std::span<const EffectFilter> filters, float effectPercent,
                                  std::int32_t sourceTime, std::int32_t rate, const EffectFileWorkBlock* workBlock,
                                  std::int32_t one, const RenderPumpCallback& pump) override {
    return sprocket::RenderTransitionFrameToFile(logSwitch, transitionId, transitionPercent, a, b, result, mask,
                                                 filters, effectPercent, sourceTime, rate, workBlock, one, pump);
  }

  int TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output,
                   const EffectFrameParams* params, std::recursive_mutex* lock) override {
    return sprocket::TurboProcess(sources, entry, output, params, lock);
  }

  TurboEffectTest TurboTest() const override { return &IsTurboRenderEntry; }
};

}  // namespace

RenderEffects& LibraryRenderEffects() {
  static LibraryEffects effects;
  return effects;
}

bool IsTurboRenderEntry(const RenderEntry& entry, std::uint32_t codec) {
  const EffectFilterList filters(EntryEffectFilters(entry));
  return IsTurboEntry(MakeTurboEntry(entry, filters.span(), 1, false), codec);
}

}  // namespace sprocket
