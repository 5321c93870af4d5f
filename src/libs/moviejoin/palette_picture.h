#pragma once
// Pictures of 8-bit movies: 24-bit pictures reduced to one fixed palette of
// 6 x 7 x 6 levels of red, green and blue (the last four entries black), so
// that every frame of a movie shares its colours.

#include <cstddef>
#include <cstdint>

#include "platform/global_memory.h"

namespace sprocket {

// A new 8-bit packed DIB (header, 1024-byte palette, bottom-up rows padded
// to 4 bytes) of the 24-bit packed DIB in `dib`, each pixel the nearest
// level of each channel; empty when `dib` is not a usable 24-bit picture or
// memory is short.
GlobalBlock ReduceToFixedPalette(const std::uint8_t* dib, std::size_t blockBytes);

}  // namespace sprocket
