#pragma once
// The values an effect is rendered with: the filter record as the effect
// libraries receive it, and its parameters resolved for one frame.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "libs/effectcatalog/effect_catalog.h"
#include "platform/global_memory.h"

namespace sprocket {

// One parameter set of a filter: eight values, an enable value and,
// optionally, four 256-entry lookup tables (red, green, blue and master).
struct EffectParamSet {
  std::array<std::int32_t, kEffectParamSlots> values{};
  std::int32_t enable = 0;
  const std::uint8_t* red = nullptr;
  const std::uint8_t* green = nullptr;
  const std::uint8_t* blue = nullptr;
  const std::uint8_t* master = nullptr;
};

// One filter (or transition) record, by plain values. The caller keeps the
// pictures and blocks alive for the call.
struct EffectFilter {
  std::int32_t id = 0;
  // The first set holds the values at the start of the clip, an optional
  // second set those at its end; values between follow the effect percent.
  // Without sets the catalogue's defaults apply.
  std::vector<EffectParamSet> params;
  std::array<std::int32_t, 3> effectData{};  // effect-data words 1, 2 and 3
  // Locked packed DIBs of the filter's bitmap list (a matte, a grey map, a
  // texture picture).
  std::vector<const std::uint8_t*> pictures;
  HGLOBAL textureMap = nullptr;  // texture-map data (1560)
  HGLOBAL workBlock = nullptr;   // prepared effect data (1552, 8010)
};

// An effect's values for one frame, by slot.
class EffectValues {
public:
  std::int32_t operator[](std::int32_t slot) const {
    return slot >= 0 && slot < kEffectParamSlots ? values_[static_cast<std::size_t>(slot)] : 0;
  }
  void Set(std::int32_t slot, std::int32_t value) {
    if (slot >= 0 && slot < kEffectParamSlots) values_[static_cast<std::size_t>(slot)] = value;
  }
  // The tables of the first parameter set (null when none).
  const EffectParamSet* tables = nullptr;

private:
  std::array<std::int32_t, kEffectParamSlots> values_{};
};

// Resolves every parameter of `effect` at `percent` (0..100; other values
// are limited to it, NaN counts as 0): the first set's value, moved towards
// the second set's by the percent (colours channel by channel, choices not
// at all) and limited to the parameter's range. Without a filter or without
// sets the defaults apply.
EffectValues ResolveEffectValues(const EffectDescriptor& effect, const EffectFilter* filter, float percent);

// The percent limited to 0..100 (NaN gives 0).
float ClampPercent(float percent);

}  // namespace sprocket
