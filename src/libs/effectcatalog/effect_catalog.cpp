#include "libs/effectcatalog/effect_catalog.h"

#include <algorithm>
#include <array>
#include <vector>

#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {

namespace {

const EffectDescriptor* FindIn(std::span<const EffectDescriptor> effects, std::int32_t id) {
  auto found = std::find_if(effects.begin(), effects.end(), [id](const EffectDescriptor& e) { return e.id == id; });
  return found == effects.end() ? nullptr : &*found;
}

}  // namespace

std::span<const EffectDescriptor> TransitionCatalog() { return catalog_detail::Transitions(); }
std::span<const EffectDescriptor> FilterCatalog() { return catalog_detail::Filters(); }

std::span<const EffectDescriptor> EffectCatalog() {
  // The two halves are laid out one after the other in a single array so
  // that callers can walk every effect at once.
  static const std::vector<EffectDescriptor> all = [] {
    std::vector<EffectDescriptor> effects(TransitionCatalog().begin(), TransitionCatalog().end());
    effects.insert(effects.end(), FilterCatalog().begin(), FilterCatalog().end());
    return effects;
  }();
  return all;
}

const EffectDescriptor* FindTransition(std::int32_t id) { return FindIn(TransitionCatalog(), id); }
const EffectDescriptor* FindFilter(std::int32_t id) { return FindIn(FilterCatalog(), id); }

const EffectDescriptor* FindEffect(std::int32_t id) {
  const EffectDescriptor* transition = FindTransition(id);
  return transition != nullptr ? transition : FindFilter(id);
}

const ParamDescriptor* FindParam(const EffectDescriptor& effect, std::string_view name) {
  auto found = std::find_if(effect.params.begin(), effect.params.end(),
                            [name](const ParamDescriptor& p) { return p.name == name; });
  return found == effect.params.end() ? nullptr : &*found;
}

std::int32_t ChoiceCount(const ParamDescriptor& param) {
  if (param.type != ParamType::kChoice) return 1;
  return static_cast<std::int32_t>(std::count(param.choices.begin(), param.choices.end(), '|')) + 1;
}

bool IsAlphaChannelEffect(std::int32_t id) {
  const EffectDescriptor* filter = FindFilter(id);
  return filter != nullptr && filter->Has(kEffectAlphaMask);
}

bool IsScreenWideEffect(std::int32_t id) {
  const EffectDescriptor* filter = FindFilter(id);
  return filter != nullptr && filter->Has(kEffectScreenWide);
}

}  // namespace sprocket
