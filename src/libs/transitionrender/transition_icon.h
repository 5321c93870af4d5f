#pragma once
// Icons of the stock transitions, drawn by the transitions themselves: a
// blue card (A) turning into an orange card (B), caught half way.

#include <cstdint>

#include "platform/global_memory.h"

namespace sprocket {

inline constexpr std::int32_t kTransitionIconWidth = 35;
inline constexpr std::int32_t kTransitionIconHeight = 28;

// A new packed 24-bit DIB of the transition at 50 % (with its default
// values) between the two cards; null for a size below 1 or when memory is
// short. An id the catalogue does not know is drawn as the cross dissolve.
HGLOBAL MakeTransitionIcon(std::int32_t transitionId, std::int32_t width = kTransitionIconWidth,
                           std::int32_t height = kTransitionIconHeight);

}  // namespace sprocket
