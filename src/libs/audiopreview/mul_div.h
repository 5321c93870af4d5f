#pragma once
// Scaling an integer by a fraction with rounding, as the gain and level
// arithmetic of the audio code expects it.

#include <cstdint>

namespace sprocket {

// number x numerator / denominator with a 64-bit product, rounded to the
// nearest integer with halves away from zero. -1 when the denominator is 0
// or the result does not fit in 32 bits.
std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

}  // namespace sprocket
