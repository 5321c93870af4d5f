// Whole-picture operations of CDibImage: grey, smoothing with border repair,
// lookup tables, quarter and half turns, saturating addition.

#include <algorithm>
#include <cstring>
#include <utility>

#include "imagelib/dib_image.h"
#include "imagelib/luminance.h"
#include "imagelib/picture_scopes.h"

namespace sprocket {

namespace {

std::uint8_t* Row(const BitsLock& bits, const CDibImage& image, std::int32_t y) {
  return bits.bits() + image.PixelOffset(0, y);
}

std::uint8_t* PixelOf(const BitsLock& bits, const CDibImage& image, std::int32_t x, std::int32_t y) {
  return bits.bits() + image.PixelOffset(x, y);
}

// Replaces the picture by a turned copy of size `turned`, whose pixel (x, y)
// is this picture's pixel sourceOf(x, y).
template <typename SourceOf>
DibResult ReplaceByTurned(CDibImage& image, DibSize turned, SourceOf sourceOf) {
  ScopedPicture result;
  const DibResult created = result.image.Create(turned.width, turned.height);
  if (created != kDibDone) return created;
  {
    const BitsLock from(image);
    const BitsLock to(result.image);
    if (from.result() != kDibDone) return from.result();
    if (to.result() != kDibDone) return to.result();
    for (std::int32_t y = 0; y < turned.height; ++y) {
      for (std::int32_t x = 0; x < turned.width; ++x) {
        const DibPoint source = sourceOf(x, y);
        std::memcpy(PixelOf(to, result.image, x, y), PixelOf(from, image, source.x, source.y), 3);
      }
    }
  }
  return image.SetHandle(result.Release());
}

}  // namespace

void CDibImage::Greyscale() {
  const BitsLock bits(*this);
  if (bits.result() != kDibDone) return;
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::uint8_t* p = Row(bits, *this, y);
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
  ScopedPicture smoothed;
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
        const std::uint8_t* centre = PixelOf(from, *this, x, y);
        std::uint8_t* out = PixelOf(to, smoothed.image, x, y);
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
  std::memcpy(Row(bits, *this, 0), Row(bits, *this, 1), rowBytes);
  std::memcpy(Row(bits, *this, m_nHeight - 1), Row(bits, *this, m_nHeight - 2), rowBytes);
  for (std::int32_t y = 0; y < m_nHeight; ++y) {
    std::memcpy(PixelOf(bits, *this, 0, y), PixelOf(bits, *this, 1, y), 3);
    std::memcpy(PixelOf(bits, *this, m_nWidth - 1, y), PixelOf(bits, *this, m_nWidth - 2, y), 3);
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
    std::uint8_t* row = Row(bits, *this, y);
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
  return ReplaceByTurned(*this, DibSize{m_nHeight, m_nWidth}, [width](std::int32_t x, std::int32_t y) {
    return DibPoint{width - 1 - y, x};
  });
}

DibResult CDibImage::Rotate180() {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const DibSize size = GetSize();
  return ReplaceByTurned(*this, size, [size](std::int32_t x, std::int32_t y) {
    return DibPoint{size.width - 1 - x, size.height - 1 - y};
  });
}

DibResult CDibImage::AddSaturate(CDibImage other) {
  const DibResult valid = IsValid();
  if (valid != kDibDone) return valid;
  const DibResult refreshed = Refresh();
  if (refreshed != kDibDone) return refreshed;
  const DibResult otherRefreshed = other.Refresh();
  if (otherRefreshed != kDibDone) return otherRefreshed;
  // A picture of another size is added as a nearest-pixel copy of this size.
  ScopedPicture resized;
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
    std::uint8_t* row = Row(to, *this, y);
    const std::uint8_t* add = Row(from, addend, y);
    for (std::int32_t i = 0; i < m_nWidth * 3; ++i) row[i] = static_cast<std::uint8_t>(std::min(row[i] + add[i], 255));
  }
  return kDibDone;
}

}  // namespace sprocket
