#pragma once
// A global-memory block owned by a record (a clip's own picture, its cached
// frames, a filter's bitmap). Copying the owner copies the block's bytes
// into a new block, so copies of a record never share memory.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/global_memory.h"

namespace sprocket {

class OwnedBlock {
public:
  OwnedBlock() = default;
  // Takes ownership of `adopted` (may be null).
  explicit OwnedBlock(HGLOBAL adopted) : block_(adopted) {}
  // A new block holding a copy of `bytes` (no block when empty).
  static OwnedBlock FromBytes(std::span<const std::uint8_t> bytes);

  OwnedBlock(const OwnedBlock& other);
  OwnedBlock& operator=(const OwnedBlock& other);
  OwnedBlock(OwnedBlock&&) noexcept = default;
  OwnedBlock& operator=(OwnedBlock&&) noexcept = default;

  HGLOBAL get() const { return block_.get(); }
  explicit operator bool() const { return static_cast<bool>(block_); }
  std::size_t size() const { return block_.size(); }
  // Replaces the block (the old one is freed).
  void reset(HGLOBAL replacement = nullptr) { block_.reset(replacement); }
  HGLOBAL release() { return block_.release(); }
  // A copy of the block's bytes (empty without a block).
  std::vector<std::uint8_t> Bytes() const;

private:
  GlobalBlock block_;
};

}  // namespace sprocket
