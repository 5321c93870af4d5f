// Whole-picture operations of CDibImage: grey, smoothing with border repair,
// lookup tables, quarter and half turns, saturating addition.

#include <algorithm>
#include <cstring>
#include <utility>

#include "imagelib/dib_image.h"
#include "imagelib/luminance.h"

namespace sprocket {

namespace {

// Keeps the pixels of a picture locked (LockBits) for one operation.
class BitsLock {
public:
  explicit BitsLock(CDibImage& image) : image_(image), result_(image.LockBits()) {}
  BitsLock(const BitsLock&) = delete;
  BitsLock& operator=(const BitsLock&) = delete;
  ~BitsLock() {
    if (result_ == kDibDone) image_.Unlock();
  }
  DibResult result() const { return result_; }
  std::uint8_t* Row(std::int32_t y) const { return image_.GetLockedBits() + image_.PixelOffset(0, y); }
  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const {
    return image_.GetLockedBits() + image_.PixelOffset(x, y);
  }

private:
  CDibImage& image_;
  DibResult result_;
};

// A picture of its own block, freed unless handed on.
struct ScratchPicture {
  HGLOBAL handle = nullptr;
  CDibImage image{&handle};

  ScratchPicture() = default;
  ScratchPicture(const ScratchPicture&) = delete;
  ScratchPicture& operator=(const ScratchPicture&) = delete;
  ~ScratchPicture() {
    if (handle != nullptr) GlobalFree(handle);
  }
  HGLOBAL Release() { return std::exchange(handle, nullptr); }
};

}  // namespace

void CDibImage::Greyscale() {
  const BitsLock bits(*this);
  if (bits.result() != kDibDone) return;
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::uint8_t* p = bits.Row(y);
    for (std::int32_t x = 0; x < m_nWidth; ++x, p += 3) {
      const std::uint8_t grey = Luminance(BgrPixel{p[0], p[1], p[2]});
      p[0] = p[1] = p[2] = grey;
    }
  }
}

DibResult CDibImage::Smooth() {
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  // Without inner pixels there is nothing to average and no border to repair.
  if (m_nWidth < 3 || m_nHeight < 3) return kDibDone;
  ScratchPicture smoothed;
  const DibResult created = smoothed.image.Create(m_nWidth, m_nHeight);
  if (created != kDibDone) return created;
  {
    const BitsLock from(*this);
    const BitsLock to(smoothed.image);
    if (from.result() != kDibDone) return from.result();
    if (to.result() != kDibDone) return to.result();
    const std::ptrdiff_t up = m_nStride;
    for (std::int32_t y = 1; y < m_nHeight - 1; ++y) {
      for (std::int32_t x = 1; x < m_nWidth - 1; ++x) {
        const std::uint8_t* centre = from.Pixel(x, y);
        std::uint8_t* out = to.Pixel(x, y);
        for (int c = 0; c < 3; ++c) {
          const std::uint8_t* p = centre + c;
          const int sum = p[-up - 3] + p[-up] + p[-up + 3] + p[-3] + p[3] + p[up - 3] + p[up] + p[up + 3];
          out[c] = static_cast<std::uint8_t>(sum >> 3);
        }
      }
    }
  }
  const DibResult copied = Copy(smoothed.image);
  if (copied != kDibDone) return copied;
  return ReplicateEdges();
}

DibResult CDibImage::ReplicateEdges() {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const BitsLock bits(*this);
  if (bits.result() != kDibDone) return bits.result();
  if (m_nWidth < 3 || m_nHeight < 3) return kDibDone;
  const std::size_t rowBytes = static_cast<std::size_t>(m_nWidth) * 3;
  std::memcpy(bits.Row(0), bits.Row(1), rowBytes);
  std::memcpy(bits.Row(m_nHeight - 1), bits.Row(m_nHeight - 2), rowBytes);
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::memcpy(bits.Pixel(0, y), bits.Pixel(1, y), 3);
    std::memcpy(bits.Pixel(m_nWidth - 1, y), bits.Pixel(m_nWidth - 2, y), 3);
  }
  return kDibDone;
}

DibResult CDibImage::ApplyLut(const std::uint8_t* table, std::int32_t mode) {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const BitsLock bits(*this);
  if (bits.result() != kDibDone) return bits.result();
  // Mode 3 maps all three channels, any other mode the blue byte only.
  const std::int32_t step = mode == 3 ? 1 : 3;
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::uint8_t* row = bits.Row(y);
    for (std::int32_t i = 0; i < m_nWidth * 3; i += step) row[i] = table[row[i]];
  }
  return kDibDone;
}

DibResult CDibImage::Rotate90() {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const std::int32_t width = m_nWidth;
  ScratchPicture turned;
  const DibResult created = turned.image.Create(m_nHeight, width);
  if (created != kDibDone) return created;
  {
    const BitsLock from(*this);
    const BitsLock to(turned.image);
    if (from.result() != kDibDone) return from.result();
    if (to.result() != kDibDone) return to.result();
    for (std::int32_t y = 0; y < m_nHeight; ++y) {
      for (std::int32_t k = 0; k < width; ++k) std::memcpy(to.Pixel(y, k), from.Pixel(width - 1 - k, y), 3);
    }
  }
  return SetHandle(turned.Release());
}

DibResult CDibImage::Rotate180() {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  ScratchPicture turned;
  const DibResult created = turned.image.Create(m_nWidth, m_nHeight);
  if (created != kDibDone) return created;
  {
    const BitsLock from(*this);
    const BitsLock to(turned.image);
    if (from.result() != kDibDone) return from.result();
    if (to.result() != kDibDone) return to.result();
    for (std::int32_t y = 0; y < m_nHeight; ++y) {
      for (std::int32_t x = 0; x < m_nWidth; ++x) {
        std::memcpy(to.Pixel(x, y), from.Pixel(m_nWidth - 1 - x, m_nHeight - 1 - y), 3);
      }
    }
  }
  return SetHandle(turned.Release());
}

DibResult CDibImage::AddSaturate(CDibImage other) {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const DibResult otherRefreshed = other.Refresh();
  if (otherRefreshed != kDibDone) return otherRefreshed;
  // A picture of another size is added as a nearest-pixel copy of this size.
  ScratchPicture resized;
  CDibImage addend = other;
  if (other.m_nWidth != m_nWidth || other.m_nHeight != m_nHeight) {
    DibResult made = resized.image.Copy(other);
    if (made == kDibDone) made = resized.image.Resize(m_nWidth, m_nHeight, kFilterNearest);
    if (made != kDibDone) return made;
    addend = resized.image;
  }
  const BitsLock to(*this);
  const BitsLock from(addend);
  if (to.result() != kDibDone) return to.result();
  if (from.result() != kDibDone) return from.result();
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::uint8_t* row = to.Row(y);
    const std::uint8_t* add = from.Row(y);
    for (std::int32_t i = 0; i < m_nWidth * 3; ++i) row[i] = static_cast<std::uint8_t>(std::min(row[i] + add[i], 255));
  }
  return kDibDone;
}

}  // namespace sprocket
