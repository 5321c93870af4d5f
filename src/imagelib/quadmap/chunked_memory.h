#pragma once
// Copy and fill of large blocks, as the mapper's working pictures use them.

#include <cstdint>

#include "imagelib/huge_memory.h"

namespace sprocket {

// Copies `count` bytes (nothing for a count below 1).
inline void HugeCopy64K(void* destination, const void* source, std::int64_t count) {
  HugeMemCopy(destination, source, count);
}

// Stores `value` into `count` bytes of a picture (nothing for a count below 1).
inline void HugeFill64K(void* picture, std::uint8_t value, std::int64_t count) { HugeMemFill(picture, value, count); }

}  // namespace sprocket
