#include "render/dib_picture.h"

#include <cstring>
#include <utility>

namespace sprocket {

DibPicture DibPicture::Allocate(std::size_t bytes) { return Adopt(GlobalBlock::Allocate(bytes)); }

DibPicture DibPicture::Black24(std::int32_t width, std::int32_t height) {
  const std::int32_t stride = PaddedStride24(width);
  if (stride == 0 || height < 1) return {};
  const std::size_t image = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
  DibPicture picture = Allocate(kDibHeaderSize + image);
  if (!picture) return {};
  DibInfoHeader header;
  header.biSize = kDibHeaderSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<std::uint32_t>(image);
  WriteDibHeader(picture.data(), header);
  return picture;
}

DibPicture DibPicture::Adopt(GlobalBlock block) {
  if (!block) return {};
  auto* data = static_cast<std::uint8_t*>(GlobalLock(block.get()));
  if (data == nullptr) return {};
  return DibPicture(block.release(), data);
}

DibPicture DibPicture::AdoptLocked(std::uint8_t* lockedAddress) {
  HGLOBAL block = GlobalHandle(lockedAddress);
  if (block == nullptr) return {};
  return DibPicture(block, lockedAddress);
}

DibPicture DibPicture::CopyOf(const void* bytes, std::size_t count) {
  DibPicture picture = Allocate(count);
  if (picture && count > 0) std::memcpy(picture.data(), bytes, count);
  return picture;
}

DibPicture::DibPicture(DibPicture&& other) noexcept
    : block_(std::exchange(other.block_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}

DibPicture& DibPicture::operator=(DibPicture&& other) noexcept {
  if (this != &other) {
    reset();
    block_ = std::exchange(other.block_, nullptr);
    data_ = std::exchange(other.data_, nullptr);
  }
  return *this;
}

DibPicture::~DibPicture() { reset(); }

DibInfoHeader DibPicture::Header() const {
  if (data_ == nullptr || size() < sizeof(DibInfoHeader)) return {};
  return ReadDibHeader(data_);
}

DibPicture DibPicture::Clone() const { return data_ != nullptr ? CopyOf(data_, size()) : DibPicture(); }

std::uint8_t* DibPicture::ReleaseLocked() {
  block_ = nullptr;
  return std::exchange(data_, nullptr);
}

void DibPicture::reset() {
  if (block_ != nullptr) {
    GlobalUnlock(block_);
    GlobalFree(block_);
  }
  block_ = nullptr;
  data_ = nullptr;
}

void FreeLockedBlock(std::uint8_t* lockedAddress) { DibPicture::AdoptLocked(lockedAddress).reset(); }

}  // namespace sprocket
