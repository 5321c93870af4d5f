#include "timeline/records/owned_block.h"

#include <cstring>

namespace sprocket {

namespace {

HGLOBAL CopyBlock(HGLOBAL source) {
  if (source == nullptr) return nullptr;
  std::size_t bytes = GlobalSize(source);
  HGLOBAL copy = GlobalAlloc(GHND, bytes);
  if (copy == nullptr) return nullptr;
  if (bytes > 0) {
    GlobalLockGuard<const std::uint8_t> from(source);
    GlobalLockGuard<std::uint8_t> to(copy);
    std::memcpy(to.get(), from.get(), bytes);
  }
  return copy;
}

}  // namespace

OwnedBlock OwnedBlock::FromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return OwnedBlock();
  HGLOBAL block = GlobalAlloc(GHND, bytes.size());
  if (block == nullptr) return OwnedBlock();
  {
    GlobalLockGuard<std::uint8_t> to(block);
    std::memcpy(to.get(), bytes.data(), bytes.size());
  }
  return OwnedBlock(block);
}

OwnedBlock::OwnedBlock(const OwnedBlock& other) : block_(CopyBlock(other.get())) {}

OwnedBlock& OwnedBlock::operator=(const OwnedBlock& other) {
  if (this != &other) block_.reset(CopyBlock(other.get()));
  return *this;
}

std::vector<std::uint8_t> OwnedBlock::Bytes() const {
  std::vector<std::uint8_t> bytes(size());
  if (!bytes.empty()) {
    GlobalLockGuard<const std::uint8_t> from(get());
    std::memcpy(bytes.data(), from.get(), bytes.size());
  }
  return bytes;
}

}  // namespace sprocket
