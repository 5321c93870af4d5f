#pragma once
// Effects for the tests of the frame renderers, whose pixels the tests can
// predict, and a record of every call the renderers made.
//
// Filters (each later filter of a list works on the result of the ones
// before it):
//   kTestAdd    adds the first value of the first parameter (default 40) to
//               every byte, limited to 255;
//   kTestHalve  halves every byte;
//   kTestKey    an alpha-mask filter: copies the picture and writes weight 0
//               into the mask for pixels left of column `keyColumn`, 128
//               elsewhere (without a mask those pixels turn black);
//   any other   copies the picture.
// Transitions: kTestDissolve mixes A and B by the percent (TestDissolve),
// kTestWipe shows B left of width x percent / 100 and A elsewhere; any other
// id shows A. The "to file" variants do the same and make the mask opaque.
// The fast path (when switched on) takes a lone dissolve without side
// filters, or a lone clip whose only filter is kTestAdd, and writes them as
// the general road would.

#include <cstdint>
#include <vector>

#include "render/compose/render_effects.h"

namespace sprocket::testing {

inline constexpr std::int32_t kTestAdd = 1001;
inline constexpr std::int32_t kTestHalve = 1002;
inline constexpr std::int32_t kTestKey = 1510;  // an alpha-mask filter id
inline constexpr std::int32_t kTestDissolve = 1;
inline constexpr std::int32_t kTestWipe = 10;

// The dissolve's byte at `percent`: (a x (100 - p) + b x p + 50) / 100 with
// p the percent rounded to a whole number.
int TestDissolve(int a, int b, float percent);

struct RecordedCall {
  enum Kind { kFilter, kFilterToFile, kTransition, kTransitionToFile } kind = kFilter;
  std::vector<std::int32_t> ids;  // the list's ids (the transition's list for transitions)
  std::int32_t id = 0;            // the id argument
  float percent = 0.0f;           // effect percent of filters, transition percent of transitions
  float effectPercent = 0.0f;     // transitions: the entry's effect percent
  float rate = 0.0f;
  std::int32_t sourceTime = 0;
  std::int32_t width = 0;  // of the destination or result
  std::int32_t height = 0;
  bool firstMask = false;
  bool secondMask = false;
  bool background = false;
  bool hasParams = false;
  EffectFrameParams params;
  std::int32_t effectArg = 0;
};

class TestEffects final : public RenderEffects {
public:
  // Turns the fast path on (its test then marks the entries it takes).
  bool turbo = false;
  // The effect call (counted from 1) that answers kEffectStopped; 0 none.
  int stopAtCall = 0;
  std::int32_t keyColumn = 8;

  std::vector<RecordedCall> calls;
  int turboCalls = 0;   // TurboProcess calls
  int turboFrames = 0;  // frames the fast path finished

  int ApplyFilterFrame(std::int32_t logSwitch, std::int32_t filterId, float effectPercent, const std::uint8_t* source,
                       std::int32_t zero, std::uint8_t* destination, std::uint8_t* firstMask, std::uint8_t* secondMask,
                       std::span<const EffectFilter> filters, float rate, std::int32_t sourceTime, std::int32_t one,
                       const EffectFrameParams* params, const std::uint8_t* background, const RenderPumpCallback& pump,
                       std::int32_t zero2, std::int32_t effectArg) override;
  int ApplyFilterFrameToFile(std::int32_t logSwitch, std::int32_t filterId, float effectPercent,
                             const std::uint8_t* source, std::uint8_t* destination, std::uint8_t* work1,
                             std::uint8_t* work2, std::int32_t zero, std::span<const EffectFilter> filters, float rate,
                             std::int32_t sourceTime, const EffectFileWorkBlock* workBlock, std::int32_t one,
                             const RenderPumpCallback& pump) override;
  int RenderTransitionFrame(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                            const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result, std::int32_t zero1,
                            std::int32_t zero2, std::span<const EffectFilter> filters, float effectPercent,
                            std::int32_t sourceTime, std::int32_t rate, std::int32_t one,
                            const EffectFrameParams* params, const RenderPumpCallback& pump) override;
  int RenderTransitionFrameToFile(std::int32_t logSwitch, std::int32_t transitionId, float transitionPercent,
                                  const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* result,
                                  std::uint8_t* mask, std::span<const EffectFilter> filters, float effectPercent,
                                  std::int32_t sourceTime, std::int32_t rate, const EffectFileWorkBlock* workBlock,
                                  std::int32_t one, const RenderPumpCallback& pump) override;
  int TurboProcess(TurboSources* sources, const TurboEntry& entry, std::uint8_t* output,
                   const EffectFrameParams* params, std::recursive_mutex* lock) override;
  TurboEffectTest TurboTest() const override;

  // The calls of one kind.
  std::vector<RecordedCall> CallsOf(RecordedCall::Kind kind) const;

private:
  bool StopNow();
  int calls_ = 0;
};

}  // namespace sprocket::testing
