#pragma once
// Small colour and integer-scaling routines of the image library.

#include <cstdint>

#include "imagelib/rescale_types.h"

namespace sprocket {

// The value with bytes 0 and 2 exchanged and byte 3 cleared: turns a
// red-green-blue value into blue-green-red and back.
std::uint32_t SwapRedBlue(std::uint32_t value);

// Linear mix of two colours: byte k (k = 0, 1, 2) of the result is
// trunc(a_k * t + b_k * (1 - t)), computed in double precision. t = 1 gives a,
// t = 0 gives b. Bytes that a t outside 0..1 would push out of range are
// limited to 0..255. Byte 3 of the result is 0.
std::uint32_t BlendColor(std::uint32_t a, std::uint32_t b, float t);

// trunc(a * c / b) in double precision: index a of b units mapped onto c
// units. A b of 0 gives 0; results beyond the 32-bit range are limited to it.
std::int32_t ScaleInt(std::int32_t a, std::int32_t b, std::int32_t c);

// trunc((a + 1) * c / b) - 1: the last index of c units covered by index a of
// b units. A b of 0 gives 0.
std::int32_t ScaleEnd(std::int32_t a, std::int32_t b, std::int32_t c);

// The rectangle with corners (d, c) and (b, a): x2 = b, y2 = a, x1 = d, y1 = c.
DibRect MakeDibRect(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

// Exchanges two integers.
void SwapInts(std::int32_t& p, std::int32_t& q);

}  // namespace sprocket
