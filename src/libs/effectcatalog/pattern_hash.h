#pragma once
// The hash behind every random-looking pattern of the effects (random
// dissolves, clouds, grain, scratches, textures): the same inputs always
// give the same value, so a frame renders the same every time.

#include <cstdint>

namespace sprocket {

// A well-mixed 32-bit hash of three values.
constexpr std::uint32_t PatternHash(std::uint32_t a, std::uint32_t b, std::uint32_t seed) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (seed + 1u) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

// The hash as a fraction in [0, 1).
constexpr double PatternFraction(std::uint32_t a, std::uint32_t b, std::uint32_t seed) {
  return PatternHash(a, b, seed) / 4294967296.0;
}

}  // namespace sprocket
