#include "render/picture/dib_picture.h"

#include <cstring>
#include <limits>
#include <utility>

namespace sprocket {

DibPicture DibPicture::Allocate(std::size_t bytes) { return Adopt(GlobalBlock::Allocate(bytes)); }

DibPicture DibPicture::Black24(std::int32_t width, std::int32_t height) {
  const std::int32_t stride = PaddedStride24(width);
  if (stride == 0 || height < 1) return {};
  DibPicture picture = Allocate(kDibHeaderSize + static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
  if (!picture) return {};
  DibInfoHeader header = MakeDib24Header(width, height);
  header.biXPelsPerMeter = 0;
  header.biYPelsPerMeter = 0;
  WriteDibHeader(picture.data(), header);
  return picture;
}

DibPicture DibPicture::Grey8(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1 || width > std::numeric_limits<std::int32_t>::max() - 3) return {};
  const auto stride = static_cast<std::size_t>(PaddedStride8(width));
  const std::size_t image = stride * static_cast<std::size_t>(height);
  if (image > std::numeric_limits<std::uint32_t>::max()) return {};
  DibPicture picture = Allocate(kDibMaskPixelOffset + image);
  if (!picture) return {};
  DibInfoHeader header;
  header.biSize = kDibHeaderSize;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biSizeImage = static_cast<std::uint32_t>(image);
  header.biClrUsed = 256;
  WriteDibHeader(picture.data(), header);
  std::uint8_t* palette = picture.data() + kDibHeaderSize;
  for (int i = 0; i < 256; ++i) {
    palette[i * 4 + 0] = static_cast<std::uint8_t>(i);
    palette[i * 4 + 1] = static_cast<std::uint8_t>(i);
    palette[i * 4 + 2] = static_cast<std::uint8_t>(i);
  }
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
