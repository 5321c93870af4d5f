// The nearest-pixel stretches and the scaling members of CDibImage.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/rescale.h"
#include "imagelib/rescale_internal.h"

namespace sprocket {
namespace {

DibResult RefreshValid(CDibImage& image) {
  const DibResult valid = image.IsValid();
  return valid != kDibDone ? valid : image.Refresh();
}

std::uint8_t* RowOf(std::uint8_t* bits, std::int32_t stride, std::int32_t y) {
  return bits + static_cast<std::ptrdiff_t>(stride) * y;
}

// Whole picture into whole picture: rows by truncation, pixels by an error
// walk that maps the first and last pixels of a row onto each other.
void StretchWholeNearest(const BitsLock& to, DibSize toSize, std::int32_t toStride, const BitsLock& from,
                         DibSize fromSize, std::int32_t fromStride) {
  const std::int32_t sw = fromSize.width;
  const std::int32_t dw = toSize.width;
  const float ratio = static_cast<float>(fromSize.height) / static_cast<float>(toSize.height);
  for (std::int32_t y = 0; y < toSize.height; ++y) {
    const auto sourceRow = std::min(static_cast<std::int32_t>(static_cast<float>(y) * ratio), fromSize.height - 1);
    const std::uint8_t* in = RowOf(from.bits(), fromStride, sourceRow);
    std::uint8_t* out = RowOf(to.bits(), toStride, y);
    if (dw == 1) {
      // The walk below needs two destination pixels; one pixel takes the first.
      std::memcpy(out, in, 3);
      continue;
    }
    std::int32_t e = 2 * sw - dw - 1;
    std::int32_t source = 0;
    for (std::int32_t x = 0; x < dw; ++x) {
      std::memcpy(out + x * 3, in + std::min(source, sw - 1) * 3, 3);
      while (e >= 0) {
        ++source;
        e -= 2 * dw - 2;
      }
      e += 2 * sw - 2;
    }
  }
}

}  // namespace

DibResult CDibImage::StretchRect(DibRect destinationRect, CDibImage source, DibRect sourceRect, RescaleFilter filter,
                                 ScaleProgressCallback callback, std::intptr_t value1, std::intptr_t value2) {
  if (filter != kFilterNearest) {
    return RescaleFiltered(*this, source, destinationRect, sourceRect, filter);
  }
  DibResult result = RefreshValid(*this);
  if (result != kDibDone) return result;
  result = RefreshValid(source);
  if (result != kDibDone) return result;

  const DibRect d = NormaliseDibRect(destinationRect, m_nMaxX, m_nMaxY);
  const DibRect s = NormaliseDibRect(sourceRect, source.GetMaxXY().x, source.GetMaxXY().y);
  const std::int32_t dx = d.x2 - d.x1;
  const std::int32_t dy = d.y2 - d.y1;
  const std::int32_t sx = s.x2 - s.x1;
  const std::int32_t sy = s.y2 - s.y1;
  if (dx == 0 || sx == 0) return kDibBadSize;

  BitsLock to(*this);
  BitsLock from(source);
  if (to.result() != kDibDone || from.result() != kDibDone) return kDibNoMemory;
  const float ratio = dy == 0 ? 0.0f : static_cast<float>(sy) / static_cast<float>(dy);
  for (std::int32_t y = d.y1; y <= d.y2; ++y) {
    if (callback != nullptr && callback(0, static_cast<float>(d.y2), static_cast<float>(y), value1, value2) != 0) {
      return kDibStopped;
    }
    const auto step = static_cast<std::int32_t>(std::floor(static_cast<float>(y - d.y1) * ratio + 0.5f));
    const std::int32_t sourceRow = s.y1 + std::min(step, sy);
    const std::uint8_t* in = RowOf(from.bits(), source.GetStride(), sourceRow) + s.x1 * 3;
    std::uint8_t* out = RowOf(to.bits(), m_nStride, y);
    std::int32_t e = 2 * sx - dx;
    std::int32_t offset = 0;
    for (std::int32_t x = d.x1; x <= d.x2; ++x) {
      std::memcpy(out + x * 3, in + std::min(offset, sx) * 3, 3);
      while (e >= 0) {
        ++offset;
        e -= 2 * dx;
      }
      e += 2 * sx;
    }
  }
  return kDibDone;
}

DibResult CDibImage::StretchRectSwapped(DibRect destinationRect, CDibImage source, DibRect sourceRect,
                                        RescaleFilter filter, ScaleProgressCallback callback, std::intptr_t value1,
                                        std::intptr_t value2) {
  std::swap(destinationRect.x2, destinationRect.x1);
  std::swap(sourceRect.x2, sourceRect.x1);
  return StretchRect(destinationRect, source, sourceRect, filter, callback, value1, value2);
}

DibResult CDibImage::Resize(std::int32_t width, std::int32_t height, RescaleFilter filter) {
  if (m_phDib == nullptr) return kDibDetached;
  if (filter < 0 || filter >= kRescaleFilterCount) return kDibBadSize;
  const bool hasPicture = *m_phDib != nullptr;
  if (hasPicture) {
    const DibResult refreshed = Refresh();
    if (refreshed != kDibDone) return refreshed;
    if (m_nWidth == width && m_nHeight == height) return kDibDone;
  }
  ScopedPicture scaled;
  // The filtered rescaler writes every pixel of the new picture.
  DibResult result = hasPicture && filter != kFilterNearest ? scaled.image.CreateForOverwrite(width, height)
                                                            : scaled.image.Create(width, height);
  if (result != kDibDone) return result;
  if (hasPicture) {
    if (filter != kFilterNearest) {
      result = scaled.image.StretchRect(DibRect{width - 1, height - 1, 0, 0}, *this, DibRect{m_nMaxX, m_nMaxY, 0, 0},
                                        filter);
      if (result != kDibDone) return result;
    } else {
      BitsLock to(scaled.image);
      BitsLock from(*this);
      if (to.result() != kDibDone || from.result() != kDibDone) return kDibNoMemory;
      StretchWholeNearest(to, scaled.image.GetSize(), scaled.image.GetStride(), from, GetSize(), m_nStride);
    }
  }
  return SetHandle(scaled.Release());
}

DibResult CDibImage::ResizeTo(CDibImage other) {
  const DibResult refreshed = RefreshValid(other);
  if (refreshed != kDibDone) return refreshed;
  return Resize(other.GetSize().width, other.GetSize().height, kFilterNearest);
}

}  // namespace sprocket
