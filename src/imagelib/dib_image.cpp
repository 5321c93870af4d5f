#include "imagelib/dib_image.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>

#include "imagelib/dib_header.h"
#include "imagelib/huge_memory.h"

namespace sprocket {
namespace {

struct Geometry {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;
  std::int32_t headerSize = 0;
};

// The geometry of a locked 24-bit block; false when its header does not
// describe a picture that fits the block.
bool ReadBlockGeometry(const std::uint8_t* base, std::size_t blockBytes, Geometry& geometry) {
  if (base == nullptr || blockBytes < static_cast<std::size_t>(kDibHeaderSize)) return false;
  const DibInfoHeader header = ReadDibHeader(base);
  const std::int32_t stride = CheckedDibStride(header, blockBytes);
  if (stride == 0) return false;
  geometry = {header.biWidth, header.biHeight, stride, static_cast<std::int32_t>(header.biSize)};
  return true;
}

// Locks a block for one operation and reads its geometry.
class LockedPicture {
public:
  explicit LockedPicture(HGLOBAL block) : lock_(block) {
    valid_ = ReadBlockGeometry(lock_.get(), GlobalSize(block), geometry_);
  }
  bool locked() const { return static_cast<bool>(lock_); }
  bool valid() const { return valid_; }
  const Geometry& geometry() const { return geometry_; }
  std::uint8_t* header() const { return lock_.get(); }
  std::uint8_t* bits() const { return lock_.get() + kDibHeaderSize; }
  std::uint8_t* pixel(std::int32_t x, std::int32_t y) const {
    return bits() + static_cast<std::ptrdiff_t>(y) * geometry_.stride + static_cast<std::ptrdiff_t>(x) * 3;
  }
  bool contains(std::int32_t x, std::int32_t y) const {
    return valid_ && x >= 0 && y >= 0 && x < geometry_.width && y < geometry_.height;
  }
  // biSize + biSizeImage: the bytes a copy of this picture takes.
  std::size_t pictureBytes() const {
    const DibInfoHeader header = ReadDibHeader(lock_.get());
    return static_cast<std::size_t>(header.biSize) + header.biSizeImage;
  }

private:
  GlobalLockGuard<std::uint8_t> lock_;
  Geometry geometry_;
  bool valid_ = false;
};

// Copies the source over the block when the whole block agrees: the same
// width and height alone are not enough, the rows of one may be padded and
// of the other not.
bool CopyInPlaceIfSameShape(HGLOBAL target, const LockedPicture& from, std::size_t bytes) {
  const LockedPicture to(target);
  if (!to.valid() || to.geometry().width != from.geometry().width || to.geometry().height != from.geometry().height ||
      to.pictureBytes() != bytes || GlobalSize(target) < bytes) {
    return false;
  }
  HugeMemCopy(to.header(), from.header(), static_cast<std::int64_t>(bytes));
  return true;
}

}  // namespace

DibResult CDibImage::Attach(HGLOBAL* variable) {
  m_phDib = variable;
  return Refresh();
}

void CDibImage::ForgetGeometry() {
  m_nWidth = m_nHeight = 0;
  m_nMaxX = m_nMaxY = -1;
  m_nHeaderSize = 0;
  m_nStride = 0;
}

DibResult CDibImage::ReadGeometry(const std::uint8_t* header, std::size_t blockBytes) {
  Geometry geometry;
  if (!ReadBlockGeometry(header, blockBytes, geometry)) {
    ForgetGeometry();
    return kDibBadSize;
  }
  m_nWidth = geometry.width;
  m_nHeight = geometry.height;
  m_nMaxX = geometry.width - 1;
  m_nMaxY = geometry.height - 1;
  m_nHeaderSize = geometry.headerSize;
  m_nStride = geometry.stride;
  return kDibDone;
}

DibResult CDibImage::Refresh() {
  if (m_phDib == nullptr) return kDibDetached;
  HGLOBAL block = *m_phDib;
  if (block == nullptr) {
    ForgetGeometry();
    return kDibNoBlock;
  }
  GlobalLockGuard<std::uint8_t> lock(block);
  if (!lock) return kDibNoMemory;
  return ReadGeometry(lock.get(), GlobalSize(block));
}

DibResult CDibImage::SetHandle(HGLOBAL block) {
  if (m_phDib == nullptr) return kDibDetached;
  // Storing the block already held must not free it.
  if (block != *m_phDib) {
    Free();
    *m_phDib = block;
  }
  return Refresh();
}

void CDibImage::Free() {
  if (m_phDib == nullptr || *m_phDib == nullptr) return;
  *m_phDib = GlobalFree(*m_phDib);
  ForgetGeometry();
}

DibResult CDibImage::IsValid() const {
  if (m_phDib == nullptr) return kDibDetached;
  return *m_phDib == nullptr ? kDibNoBlock : kDibDone;
}

std::uint8_t* CDibImage::Lock() { return static_cast<std::uint8_t*>(GlobalLock(GetHandle())); }

std::uint8_t* CDibImage::GetBits() {
  std::uint8_t* header = Lock();
  return header != nullptr ? header + kDibHeaderSize : nullptr;
}

void CDibImage::Unlock() { GlobalUnlock(GetHandle()); }

DibResult CDibImage::LockBits() {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  std::uint8_t* header = Lock();
  if (header == nullptr) return kDibNoMemory;
  const DibResult read = ReadGeometry(header, GlobalSize(GetHandle()));
  if (read != kDibDone) {
    Unlock();
    return read;
  }
  m_pLockedBits = header + kDibHeaderSize;
  return kDibDone;
}

COLORREF CDibImage::GetPixel(std::int32_t x, std::int32_t y) const {
  if (IsValid() != kDibDone) return 0;
  const LockedPicture picture(GetHandle());
  if (!picture.contains(x, y)) return 0;
  const std::uint8_t* p = picture.pixel(x, y);
  return BgrToColorRef(BgrPixel{p[0], p[1], p[2]});
}

void CDibImage::SetPixel(std::int32_t x, std::int32_t y, COLORREF color) { SetPixelBgr(x, y, ColorRefToBgr(color)); }

void CDibImage::SetPixelBgr(std::int32_t x, std::int32_t y, BgrPixel pixel) {
  if (IsValid() != kDibDone) return;
  const LockedPicture picture(GetHandle());
  if (!picture.contains(x, y)) return;
  std::memcpy(picture.pixel(x, y), &pixel, 3);
}

BgrPixel CDibImage::GetPixelLocked(DibPoint point) const {
  assert(m_pLockedBits != nullptr && point.x >= 0 && point.x < m_nWidth && point.y >= 0 && point.y < m_nHeight);
  BgrPixel pixel;
  std::memcpy(&pixel, m_pLockedBits + PixelOffset(point.x, point.y), 3);
  return pixel;
}

void CDibImage::SetPixelLocked(DibPoint point, BgrPixel pixel) {
  assert(m_pLockedBits != nullptr && point.x >= 0 && point.x < m_nWidth && point.y >= 0 && point.y < m_nHeight);
  std::memcpy(m_pLockedBits + PixelOffset(point.x, point.y), &pixel, 3);
}

DibResult CDibImage::Create(std::int32_t width, std::int32_t height) {
  if (m_phDib == nullptr) return kDibDetached;
  if (width < 1 || height < 1) return kDibBadSize;
  if (*m_phDib != nullptr && Refresh() == kDibDone && m_nWidth == width && m_nHeight == height) {
    return Clear(0);
  }
  return CreateBlock(width, height, true);
}

DibResult CDibImage::CreateForOverwrite(std::int32_t width, std::int32_t height) {
  if (m_phDib == nullptr) return kDibDetached;
  if (width < 1 || height < 1) return kDibBadSize;
  return CreateBlock(width, height, false);
}

DibResult CDibImage::CreateBlock(std::int32_t width, std::int32_t height, bool zeroed) {
  const std::int64_t stride = PaddedStride24(width);
  const std::int64_t imageBytes = stride * height;
  if (stride == 0 || imageBytes > std::numeric_limits<std::uint32_t>::max()) return kDibNoMemory;
  // The new block is made before the old one is freed, so that a failure
  // leaves the picture as it was.
  GlobalBlock block =
      GlobalBlock::Allocate(static_cast<std::size_t>(kDibHeaderSize + imageBytes), zeroed ? GHND : GMEM_MOVEABLE);
  if (!block) return kDibNoMemory;
  {
    GlobalLockGuard<std::uint8_t> lock(block.get());
    if (!lock) return kDibNoMemory;
    WriteDibHeader(lock.get(), MakeDib24Header(width, height));
    if (!zeroed) ClearDib24RowPadding(lock.get() + kDibHeaderSize, width, height);
  }
  return SetHandle(block.release());
}

DibResult CDibImage::Clear(std::uint8_t value) {
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const LockedPicture picture(GetHandle());
  if (!picture.locked()) return kDibNoMemory;
  // biSizeImage bytes, never past the end of the block.
  const std::int64_t room = static_cast<std::int64_t>(GlobalSize(GetHandle())) - kDibHeaderSize;
  const std::int64_t imageBytes = ReadDibHeader(picture.header()).biSizeImage;
  HugeMemFill(picture.bits(), value, std::min(imageBytes, room));
  return kDibDone;
}

DibResult CDibImage::Fill(COLORREF color) { return FillBgr(ColorRefToBgr(color)); }

DibResult CDibImage::FillBgr(BgrPixel pixel) {
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const LockedPicture picture(GetHandle());
  if (!picture.locked()) return kDibNoMemory;
  const Geometry& g = picture.geometry();
  std::uint8_t* firstRow = picture.pixel(0, 0);
  for (std::int32_t x = 0; x < g.width; ++x) std::memcpy(firstRow + x * 3, &pixel, 3);
  // Only the width x 3 bytes of each row; the row tails keep their bytes.
  for (std::int32_t y = 1; y < g.height; ++y) {
    std::memcpy(picture.pixel(0, y), firstRow, static_cast<std::size_t>(g.width) * 3);
  }
  return kDibDone;
}

DibResult CDibImage::Copy(CDibImage source) {
  if (m_phDib == nullptr) return kDibDetached;
  if (source.m_phDib == nullptr) return kDibDetached;
  HGLOBAL sourceBlock = *source.m_phDib;
  if (sourceBlock == nullptr) {
    SetHandle(nullptr);
    return kDibDone;
  }
  if (sourceBlock == GetHandle()) return Refresh();

  const LockedPicture from(sourceBlock);
  if (!from.locked()) return kDibNoMemory;
  if (!from.valid()) return kDibBadSize;
  const std::size_t bytes = from.pictureBytes();
  if (bytes > GlobalSize(sourceBlock)) return kDibBadSize;

  if (GetHandle() != nullptr && CopyInPlaceIfSameShape(GetHandle(), from, bytes)) return Refresh();
  GlobalBlock block = GlobalBlock::Allocate(bytes);
  if (!block) return kDibNoMemory;
  {
    GlobalLockGuard<std::uint8_t> lock(block.get());
    if (!lock) return kDibNoMemory;
    HugeMemCopy(lock.get(), from.header(), static_cast<std::int64_t>(bytes));
  }
  return SetHandle(block.release());
}

}  // namespace sprocket
