#pragma once
// Scaling an integer by a fraction with rounding, as the gain and level
// arithmetic of the audio code expects it. Inline, so that the common
// constant denominators (10000, 5000) become multiplications.

#include <cstdint>
#include <limits>

namespace sprocket {

// number x numerator / denominator with a 64-bit product, rounded to the
// nearest integer with halves away from zero. -1 when the denominator is 0
// or the result does not fit in 32 bits.
constexpr std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const std::uint64_t magnitude =
      product < 0 ? static_cast<std::uint64_t>(-product) : static_cast<std::uint64_t>(product);
  const std::uint64_t divisor = denominator < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(denominator))
                                                : static_cast<std::uint64_t>(denominator);
  const std::uint64_t quotient = (magnitude + divisor / 2) / divisor;
  const std::uint64_t limit = negative ? static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) + 1
                                       : static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  if (quotient > limit) return -1;
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(quotient))
                  : static_cast<std::int32_t>(quotient);
}

}  // namespace sprocket
