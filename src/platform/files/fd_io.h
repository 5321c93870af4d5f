#pragma once
// Whole reads and writes on an open file descriptor, retried when a signal
// interrupts them.

#include <cstddef>
#include <cstdint>

namespace sprocket {

// Writes all `bytes` at `offset`, or at the file position when `offset` is
// negative. False on a failed or stalled write.
bool WriteFully(int fd, const void* data, std::size_t bytes, std::int64_t offset = -1);

// Reads exactly `bytes` from `offset`. False on a failure or the file's end.
bool ReadFully(int fd, std::uint64_t offset, void* out, std::size_t bytes);

}  // namespace sprocket
