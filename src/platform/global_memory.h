#pragma once
// Movable memory blocks reached through handles.
//
// Every record and picture of the editor lives in a block that is allocated
// through a handle, locked to get its address and unlocked when done. A
// handle stays the same when the block is reallocated, so every holder of
// the handle sees the new contents. Blocks live on the ordinary heap; the
// lock count is kept only so that misuse can be detected.
//
//   HGLOBAL h = GlobalAlloc(GHND, 64);   // zero-filled
//   auto* p = static_cast<uint8_t*>(GlobalLock(h));
//   ...
//   GlobalUnlock(h);
//   h = GlobalFree(h);                   // null on success
//
// New code holds blocks through GlobalBlock (owner) and GlobalLockGuard.

#include <cstddef>
#include <cstdint>
#include <utility>

namespace sprocket {

struct GlobalMemoryBlock;  // opaque
using HGLOBAL = GlobalMemoryBlock*;

inline constexpr unsigned GMEM_FIXED = 0x0000;
inline constexpr unsigned GMEM_MOVEABLE = 0x0002;
inline constexpr unsigned GMEM_ZEROINIT = 0x0040;
inline constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of `bytes` bytes (zero-filled with GMEM_ZEROINIT), or null when
// memory is short. A request of 0 bytes gives a valid, empty block.
HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes);

// Address of the block's first byte; null for a null handle. Each lock must be
// matched by one GlobalUnlock.
void* GlobalLock(HGLOBAL block);

// Ends one lock. Returns true while other locks remain.
bool GlobalUnlock(HGLOBAL block);

// Resizes the block in place of its handle; contents are kept up to the
// smaller size and new bytes are zeroed with GMEM_ZEROINIT. Returns the same
// handle, or null (the block unchanged) when memory is short. The block's
// address may change: callers lock again afterwards.
HGLOBAL GlobalReAlloc(HGLOBAL block, std::size_t bytes, unsigned flags);

// Size of the block in bytes; 0 for a null handle.
std::size_t GlobalSize(HGLOBAL block);

// Frees the block. Returns null (the conventional success result).
HGLOBAL GlobalFree(HGLOBAL block);

// The handle of the block whose first byte is at `address`. The address must
// be one that GlobalLock returned for a live block (or null, giving null).
HGLOBAL GlobalHandle(const void* address);

// Current lock count of the block (for diagnostics and tests).
int GlobalLockCount(HGLOBAL block);

// Owns one block and frees it when destroyed.
class GlobalBlock {
public:
  GlobalBlock() = default;
  explicit GlobalBlock(HGLOBAL adopted) : handle_(adopted) {}
  static GlobalBlock Allocate(std::size_t bytes, unsigned flags = GHND) {
    return GlobalBlock(GlobalAlloc(flags, bytes));
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  GlobalBlock(GlobalBlock&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GlobalBlock& operator=(GlobalBlock&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  ~GlobalBlock() { reset(); }

  HGLOBAL get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  std::size_t size() const { return GlobalSize(handle_); }
  // Gives up ownership without freeing.
  HGLOBAL release() { return std::exchange(handle_, nullptr); }
  void reset(HGLOBAL replacement = nullptr) {
    if (handle_ != nullptr && handle_ != replacement) GlobalFree(handle_);
    handle_ = replacement;
  }

private:
  HGLOBAL handle_ = nullptr;
};

// Locks a block for the guard's lifetime.
template <typename T = std::uint8_t>
class GlobalLockGuard {
public:
  explicit GlobalLockGuard(HGLOBAL block) : block_(block), data_(static_cast<T*>(GlobalLock(block))) {}
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
  ~GlobalLockGuard() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  T* get() const { return data_; }
  T* operator->() const { return data_; }
  explicit operator bool() const { return data_ != nullptr; }

private:
  HGLOBAL block_;
  T* data_;
};

}  // namespace sprocket
