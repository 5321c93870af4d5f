#include "render/flic/indexed_image.h"

#include <limits>

#include "imagelib/huge_memory.h"

namespace sprocket {

DibInfoHeader MakeIndexedDibHeader(std::int32_t width, std::int32_t height) {
  DibInfoHeader header = MakeDib24Header(width, height);
  header.biBitCount = 8;
  header.biSizeImage = static_cast<std::uint32_t>(IndexedStride(width) * height);
  return header;
}

DibResult CIndexedImage::Attach(HGLOBAL* variable) {
  m_image.Attach(variable);
  return Refresh();
}

void CIndexedImage::ForgetGeometry() { m_nWidth = m_nHeight = m_nHeaderSize = m_nPixelOffset = m_nStride = 0; }

DibResult CIndexedImage::Refresh() {
  ForgetGeometry();
  const DibResult attached = m_image.IsValid();
  if (attached != kDibDone) return attached;
  GlobalLockGuard<std::uint8_t> lock(GetHandle());
  if (!lock) return kDibNoMemory;
  const std::size_t blockBytes = GlobalSize(GetHandle());
  if (blockBytes < static_cast<std::size_t>(kDibHeaderSize)) return kDibBadSize;
  const DibInfoHeader header = ReadDibHeader(lock.get());
  if (header.biBitCount != 8 || header.biSize < static_cast<std::uint32_t>(kDibHeaderSize) ||
      header.biSize > blockBytes) {
    return kDibBadSize;
  }
  const auto pixelOffset = static_cast<std::int32_t>(header.biSize + kDibPaletteBytes);
  const std::int32_t stride = CheckedDibStride(header, blockBytes, pixelOffset);
  if (stride == 0) return kDibBadSize;
  m_nWidth = header.biWidth;
  m_nHeight = header.biHeight;
  m_nHeaderSize = static_cast<std::int32_t>(header.biSize);
  m_nPixelOffset = pixelOffset;
  m_nStride = stride;
  return kDibDone;
}

DibResult CIndexedImage::SetHandle(HGLOBAL block) {
  const DibResult result = m_image.SetHandle(block);
  if (result == kDibDetached) return result;
  return Refresh();
}

void CIndexedImage::Free() {
  m_image.Free();
  ForgetGeometry();
}

std::size_t CIndexedImage::PictureBytes() const {
  return static_cast<std::size_t>(m_nPixelOffset) +
         static_cast<std::size_t>(m_nStride) * static_cast<std::size_t>(m_nHeight);
}

DibResult CIndexedImage::Create(std::int32_t width, std::int32_t height) {
  if (m_image.IsValid() == kDibDetached) return kDibDetached;
  if (width < 1 || height < 1) return kDibBadSize;
  if (GetHandle() != nullptr && Refresh() == kDibDone && m_nWidth == width && m_nHeight == height) {
    return Clear(0);
  }
  const std::int64_t imageSize = IndexedStride(width) * height;
  if (imageSize > std::numeric_limits<std::uint32_t>::max()) return kDibBadSize;
  HGLOBAL block = GlobalCalloc(1, static_cast<std::size_t>(kDibMaskPixelOffset + imageSize));
  if (block == nullptr) return kDibNoMemory;
  auto* base = static_cast<std::uint8_t*>(GlobalLock(block));
  if (base == nullptr) {
    GlobalFree(block);
    return kDibNoMemory;
  }
  WriteDibHeader(base, MakeIndexedDibHeader(width, height));
  GlobalUnlock(block);
  return SetHandle(block);
}

DibResult CIndexedImage::Clear(std::uint8_t value) {
  std::uint8_t* pixels = LockPixels();
  if (pixels == nullptr) return GetHandle() == nullptr ? m_image.IsValid() : kDibNoMemory;
  HugeMemFill(pixels, value, static_cast<std::int64_t>(m_nStride) * m_nHeight);
  Unlock();
  return kDibDone;
}

DibResult CIndexedImage::Copy(const CIndexedImage& source) {
  if (m_image.IsValid() == kDibDetached) return kDibDetached;
  if (source.GetHandle() == nullptr || source.m_nStride == 0) {
    SetHandle(nullptr);
    return kDibDone;
  }
  GlobalLockGuard<std::uint8_t> from(source.GetHandle());
  if (!from) return kDibNoMemory;
  const std::size_t bytes = source.PictureBytes();

  const bool sameShape = GetHandle() != nullptr && m_nWidth == source.m_nWidth && m_nHeight == source.m_nHeight &&
                         m_nStride == source.m_nStride && m_nPixelOffset == source.m_nPixelOffset;
  if (sameShape) {
    GlobalLockGuard<std::uint8_t> to(GetHandle());
    if (!to) return kDibNoMemory;
    HugeMemCopy(to.get(), from.get(), static_cast<std::int64_t>(bytes));
    return kDibDone;
  }
  HGLOBAL block = GlobalCalloc(1, bytes);
  if (block == nullptr) return kDibNoMemory;
  {
    GlobalLockGuard<std::uint8_t> to(block);
    if (!to) {
      GlobalFree(block);
      return kDibNoMemory;
    }
    HugeMemCopy(to.get(), from.get(), static_cast<std::int64_t>(bytes));
  }
  return SetHandle(block);
}

std::uint8_t* CIndexedImage::LockPixels() {
  if (m_nStride == 0) return nullptr;
  std::uint8_t* base = m_image.Lock();
  return base != nullptr ? base + m_nPixelOffset : nullptr;
}

void CIndexedImage::Unlock() { m_image.Unlock(); }

}  // namespace sprocket
