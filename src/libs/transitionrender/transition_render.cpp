#include "libs/transitionrender/transition_render.h"

#include "libs/transitionrender/transition_kernels.h"

namespace sprocket {

namespace {

// A side that is missing counts as black.
struct Side {
  PictureView view;
  PictureBuffer black;
};

bool PrepareSide(const std::uint8_t* block, const PictureView& result, Side& side) {
  if (block == nullptr) {
    side.black = PictureBuffer(result.width, result.height);
    side.view = side.black.view();
    return true;
  }
  side.view = ViewPicture24(block);
  return side.view && side.view.SameSize(result);
}

}  // namespace

int RenderTransition(std::int32_t transitionId, float transitionPercent, const PictureView& a, const PictureView& b,
                     const PictureView& result, std::span<const EffectFilter> filters, float effectPercent,
                     const RenderPumpCallback& pump) {
  if (!result || !a || !b || !a.SameSize(result) || !b.SameSize(result)) return kEffectBadPicture;
  StopCheck stop(pump);
  if (stop.Stopped()) return kEffectStopped;
  const EffectFilter* own = !filters.empty() && filters.front().id == transitionId ? &filters.front() : nullptr;
  return RenderTransitionKernel(transitionId, transitionPercent, a, b, result, own, filters, effectPercent, stop);
}

int RenderTransitionFrame(std::int32_t /*logSwitch*/, std::int32_t transitionId, float transitionPercent,
                          const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::int32_t /*zero1*/,
                          std::int32_t /*zero2*/, std::span<const EffectFilter> filters, float effectPercent,
                          std::int32_t /*sourceTime*/, std::int32_t /*rate*/, std::int32_t /*one*/,
                          const EffectFrameParams* /*params*/, const RenderPumpCallback& pump) {
  const PictureView out = ViewPicture24(result);
  if (!out) return kEffectBadPicture;
  Side sideA;
  Side sideB;
  if (!PrepareSide(a, out, sideA) || !PrepareSide(b, out, sideB)) return kEffectBadPicture;
  return RenderTransition(transitionId, transitionPercent, sideA.view, sideB.view, out, filters, effectPercent, pump);
}

int RenderTransitionFrameToFile(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::uint8_t* mask,
                                std::span<const EffectFilter> filters, float effectPercent, std::int32_t sourceTime,
                                std::int32_t rate, const EffectFileWorkBlock* /*workBlock*/, std::int32_t one,
                                const RenderPumpCallback& pump) {
  const int answer = RenderTransitionFrame(logSwitch, transitionId, transitionPercent, a, b, result, 0, 0, filters,
                                           effectPercent, sourceTime, rate, one, nullptr, pump);
  if (answer != kEffectDone) return answer;
  const PictureView maskView = ViewPicture24(mask);
  if (maskView && maskView.SameSize(ViewPicture24(result))) FillPixels(maskView, BgrPixel{128, 128, 128});
  return kEffectDone;
}

}  // namespace sprocket
