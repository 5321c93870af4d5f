#include "libs/effectcatalog/effect_values.h"

#include <algorithm>
#include <cmath>

namespace sprocket {

namespace {

std::int32_t Lerp(std::int32_t start, std::int32_t end, double fraction) {
  const double value = start + (static_cast<double>(end) - start) * fraction;
  return static_cast<std::int32_t>(std::lround(value));
}

std::int32_t LerpColour(std::int32_t start, std::int32_t end, double fraction) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const auto a = static_cast<std::int32_t>((static_cast<std::uint32_t>(start) >> shift) & 0xFF);
    const auto b = static_cast<std::int32_t>((static_cast<std::uint32_t>(end) >> shift) & 0xFF);
    result |= static_cast<std::uint32_t>(std::clamp(Lerp(a, b, fraction), 0, 255)) << shift;
  }
  return static_cast<std::int32_t>(result);
}

std::int32_t LimitToRange(const ParamDescriptor& param, std::int32_t value) {
  if (param.type == ParamType::kColour) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) & 0xFFFFFF);
  return std::clamp(value, param.minimum, param.maximum);
}

}  // namespace

float ClampPercent(float percent) {
  if (!(percent > 0.0f)) return 0.0f;  // NaN too
  return percent > 100.0f ? 100.0f : percent;
}

EffectValues ResolveEffectValues(const EffectDescriptor& effect, const EffectFilter* filter, float percent) {
  EffectValues values;
  const bool hasSets = filter != nullptr && !filter->params.empty();
  const double fraction = ClampPercent(percent) / 100.0;
  for (const ParamDescriptor& param : effect.params) {
    std::int32_t value = param.defaultValue;
    if (hasSets) {
      const auto slot = static_cast<std::size_t>(param.slot);
      const std::int32_t start = filter->params[0].values[slot];
      value = start;
      if (filter->params.size() > 1 && param.type != ParamType::kChoice) {
        const std::int32_t end = filter->params[1].values[slot];
        value = param.type == ParamType::kColour ? LerpColour(start, end, fraction) : Lerp(start, end, fraction);
      }
    }
    values.Set(param.slot, LimitToRange(param, value));
  }
  if (hasSets) values.tables = &filter->params[0];
  return values;
}

}  // namespace sprocket
