#include "imagelib/huge_memory.h"

#include <cstring>
#include <limits>

namespace sprocket {

void HugeMemCopy(void* destination, const void* source, std::int64_t count) {
  if (count < 1) return;
  std::memmove(destination, source, static_cast<std::size_t>(count));
}

void HugeMemFill(void* destination, std::uint8_t value, std::int64_t count) {
  if (count < 1) return;
  std::memset(destination, value, static_cast<std::size_t>(count));
}

HGLOBAL GlobalCalloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) return nullptr;
  return GlobalAlloc(GHND, count * size);
}

HGLOBAL GlobalRelease(HGLOBAL block) {
  GlobalUnlock(block);
  return GlobalFree(block);
}

}  // namespace sprocket
