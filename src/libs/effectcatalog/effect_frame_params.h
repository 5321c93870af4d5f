#pragma once
// The frame parameter block the compositor fills and hands, by pointer, to
// the fast path, the filters and the transitions: fifteen 32-bit words.

#include <array>
#include <cstddef>
#include <cstdint>

namespace sprocket {

struct EffectFrameParams {
  std::int32_t cropLeft = 0;               // word 0: crop width at the left edge, pixels
  std::int32_t cropRight = 0;              // word 1
  std::int32_t cropBottom = 0;             // word 2: rows at the bottom (the first rows in memory)
  std::int32_t cropTop = 0;                // word 3
  std::int32_t fieldSelector = 0;          // word 4: the entry's field selector
  std::int32_t currentField = 0;           // word 5: which field of the frame is rendered (0 or 1)
  std::int32_t fieldMode = 0;              // word 6: 0 whole frames
  std::array<std::int32_t, 7> reserved{};  // words 7..13, zero
  float position = 0.0f;                   // word 14: the frame's place in its clip, 0.0..1.0
};
static_assert(sizeof(EffectFrameParams) == 60);
static_assert(offsetof(EffectFrameParams, cropRight) == 4);
static_assert(offsetof(EffectFrameParams, cropBottom) == 8);
static_assert(offsetof(EffectFrameParams, cropTop) == 12);
static_assert(offsetof(EffectFrameParams, fieldSelector) == 16);
static_assert(offsetof(EffectFrameParams, currentField) == 20);
static_assert(offsetof(EffectFrameParams, fieldMode) == 24);
static_assert(offsetof(EffectFrameParams, reserved) == 28);
static_assert(offsetof(EffectFrameParams, position) == 56);

}  // namespace sprocket
