#pragma once
// Grey maps of the soft wipes, made in code: one level 0..255 a pixel that
// says when the pixel turns from A to B (dark pixels first).

#include <cstdint>
#include <vector>

#include "libs/effectcatalog/effect_values.h"
#include "platform/global_memory.h"

namespace sprocket {

// The grey map of a soft wipe (ids 130..140) for a picture of width x
// height, row 0 (the bottom row) first; empty for any other id or size.
std::vector<std::uint8_t> MakeGreyMap(std::int32_t transitionId, const EffectValues& values, std::int32_t width,
                                      std::int32_t height);

// The same map as an 8-bit packed DIB with a grey palette (rows padded to 4
// bytes, pixels from byte 1064), in a new block; null for any other id,
// a bad size or when memory is short. Such a picture can be given to the
// grey map wipe (141) as its map.
HGLOBAL MakeGreyMapDib(std::int32_t transitionId, std::int32_t width, std::int32_t height);

}  // namespace sprocket
