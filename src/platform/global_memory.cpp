#include "platform/global_memory.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace sprocket {

// Each block's data is preceded by a small prefix that points back to the
// block record, so that GlobalHandle can find the handle from an address.
struct GlobalMemoryBlock {
  static constexpr std::uint32_t kMagic = 0x4B4C4247;  // "GBLK"
  std::uint32_t magic = kMagic;
  int lockCount = 0;
  std::size_t size = 0;
  unsigned char* storage = nullptr;  // prefix + data
};

namespace {

constexpr std::size_t kPrefix = 16;  // keeps the data 16-byte aligned
static_assert(sizeof(GlobalMemoryBlock*) <= kPrefix);

unsigned char* DataOf(const GlobalMemoryBlock* block) { return block->storage + kPrefix; }

unsigned char* AllocateStorage(std::size_t bytes, bool zeroed) {
  if (bytes > SIZE_MAX - kPrefix) return nullptr;
  void* raw = zeroed ? std::calloc(1, bytes + kPrefix) : std::malloc(bytes + kPrefix);
  return static_cast<unsigned char*>(raw);
}

void LinkStorage(GlobalMemoryBlock* block) { std::memcpy(block->storage, &block, sizeof(block)); }

bool IsLive(const GlobalMemoryBlock* block) { return block != nullptr && block->magic == GlobalMemoryBlock::kMagic; }

}  // namespace

HGLOBAL GlobalAlloc(unsigned flags, std::size_t bytes) {
  auto* block = new (std::nothrow) GlobalMemoryBlock;
  if (block == nullptr) return nullptr;
  block->storage = AllocateStorage(bytes, (flags & GMEM_ZEROINIT) != 0);
  if (block->storage == nullptr) {
    delete block;
    return nullptr;
  }
  block->size = bytes;
  LinkStorage(block);
  return block;
}

void* GlobalLock(HGLOBAL block) {
  if (!IsLive(block)) return nullptr;
  ++block->lockCount;
  return DataOf(block);
}

bool GlobalUnlock(HGLOBAL block) {
  if (!IsLive(block) || block->lockCount == 0) return false;
  --block->lockCount;
  return block->lockCount > 0;
}

HGLOBAL GlobalReAlloc(HGLOBAL block, std::size_t bytes, unsigned flags) {
  if (!IsLive(block) || bytes > SIZE_MAX - kPrefix) return nullptr;
  auto* grown = static_cast<unsigned char*>(std::realloc(block->storage, bytes + kPrefix));
  if (grown == nullptr) return nullptr;
  if ((flags & GMEM_ZEROINIT) != 0 && bytes > block->size) {
    std::memset(grown + kPrefix + block->size, 0, bytes - block->size);
  }
  block->storage = grown;
  block->size = bytes;
  LinkStorage(block);
  return block;
}

std::size_t GlobalSize(HGLOBAL block) { return IsLive(block) ? block->size : 0; }

HGLOBAL GlobalFree(HGLOBAL block) {
  if (!IsLive(block)) return nullptr;
  block->magic = 0;
  std::free(block->storage);
  delete block;
  return nullptr;
}

HGLOBAL GlobalHandle(const void* address) {
  if (address == nullptr) return nullptr;
  GlobalMemoryBlock* block = nullptr;
  std::memcpy(&block, static_cast<const unsigned char*>(address) - kPrefix, sizeof(block));
  if (!IsLive(block) || DataOf(block) != address) return nullptr;
  return block;
}

int GlobalLockCount(HGLOBAL block) { return IsLive(block) ? block->lockCount : 0; }

}  // namespace sprocket
