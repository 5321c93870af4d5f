#pragma once
// Conversions of raw pixel rows and large fills.

#include <cstddef>
#include <cstdint>

namespace sprocket {

// Converts rows of 16-bit 5-5-5 pixels (little-endian; blue in the low bits)
// into 24-bit pixels (blue, green, red bytes, each 5-bit value shifted left by
// 3). Strides of 0 mean unpadded rows (width x 2 and width x 3 bytes).
void Rgb555ToRgb24(const std::uint8_t* source, std::uint8_t* target, int width, int height,
                   std::size_t sourceStride = 0, std::size_t targetStride = 0);

// Sets `length` bytes to `value`.
void FillMemoryLarge(void* buffer, std::size_t length, std::uint8_t value);

}  // namespace sprocket
