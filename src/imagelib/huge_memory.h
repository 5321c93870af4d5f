#pragma once
// Byte copies and fills of large blocks, and zero-filled block allocation.

#include <cstddef>
#include <cstdint>

#include "platform/global_memory.h"

namespace sprocket {

// Copies `count` bytes; a count below 1 copies nothing. The ranges may overlap.
void HugeMemCopy(void* destination, const void* source, std::int64_t count);

// Stores `value` into `count` bytes; a count below 1 stores nothing.
void HugeMemFill(void* destination, std::uint8_t value, std::int64_t count);

// A movable, zero-filled block of count x size bytes; null when memory is
// short or the product does not fit.
HGLOBAL GlobalCalloc(std::size_t count, std::size_t size);

// Ends one lock of the block and frees it. Returns null.
HGLOBAL GlobalRelease(HGLOBAL block);

}  // namespace sprocket
