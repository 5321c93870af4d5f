#include "imagelib/colour.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace sprocket {

namespace {

// Truncates toward zero and limits to [low, high]; NaN gives low.
double TruncInRange(double value, double low, double high) {
  if (!(value >= low)) return low;
  if (value > high) return high;
  return std::trunc(value);
}

std::int32_t ToInt32(double value) {
  constexpr double kLow = std::numeric_limits<std::int32_t>::min();
  constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(TruncInRange(value, kLow, kHigh));
}

}  // namespace

std::uint32_t SwapRedBlue(std::uint32_t value) {
  return ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
}

std::uint32_t BlendColor(std::uint32_t a, std::uint32_t b, float t) {
  const double weight = t;
  std::uint32_t result = 0;
  for (int k = 0; k < 3; ++k) {
    const double ak = (a >> (8 * k)) & 0xFFu;
    const double bk = (b >> (8 * k)) & 0xFFu;
    const double mixed = TruncInRange(ak * weight + bk * (1.0 - weight), 0.0, 255.0);
    result |= static_cast<std::uint32_t>(mixed) << (8 * k);
  }
  return result;
}

std::int32_t ScaleInt(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (b == 0) return 0;
  return ToInt32(static_cast<double>(a) * c / b);
}

std::int32_t ScaleEnd(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (b == 0) return 0;
  const double end = std::trunc((static_cast<double>(a) + 1.0) * c / b) - 1.0;
  return ToInt32(end);
}

DibRect MakeDibRect(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) { return DibRect{b, a, d, c}; }

void SwapInts(std::int32_t& p, std::int32_t& q) { std::swap(p, q); }

}  // namespace sprocket
