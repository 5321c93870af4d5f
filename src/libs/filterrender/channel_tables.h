#pragma once
// Filters that change every colour byte through a table of its own channel:
// brightness and contrast, gamma, colour balance, negative, posterize,
// curves and solarize. The filter renderer and the fast path build the same
// tables here.

#include <array>
#include <cstdint>

#include "libs/effectcatalog/effect_values.h"

namespace sprocket {

// Blue, green and red tables, in the order of the bytes of a pixel.
using ChannelTables = std::array<std::array<std::uint8_t, 256>, 3>;

bool IsChannelTableFilter(std::int32_t filterId);

// The tables of such a filter with these values; false for any other id.
bool MakeChannelTables(std::int32_t filterId, const EffectValues& values, ChannelTables& tables);

// Tables that do nothing.
ChannelTables IdentityTables();

}  // namespace sprocket
