#pragma once
// An 8-bit picture held as a packed DIB in one movable block: the 40-byte
// header, a 256-entry colour table and rows of one byte per pixel, bottom
// row first. Like CDibImage it works through the caller's handle variable:
// the block belongs to the variable, and operations that replace the
// picture free the old block and store the new one there.

#include <cstddef>
#include <cstdint>

#include "imagelib/dib_header.h"
#include "imagelib/dib_image.h"
#include "imagelib/pixel_types.h"
#include "platform/global_memory.h"

namespace sprocket {

// Bytes per row of an 8-bit picture: the width rounded up to a multiple of 4.
constexpr std::int64_t IndexedStride(std::int64_t width) { return (width + 3) / 4 * 4; }

// The header of a freshly made 8-bit picture: rows padded to 4 bytes,
// 3780 pixels per metre both ways. The caller keeps the size within 32 bits.
DibInfoHeader MakeIndexedDibHeader(std::int32_t width, std::int32_t height);

class CIndexedImage {
public:
  CIndexedImage() = default;
  explicit CIndexedImage(HGLOBAL* variable) { Attach(variable); }

  // Attaches the variable and reads the header: kDibDetached without a
  // variable, kDibNoBlock for an empty one, kDibNoMemory when the block does
  // not lock, kDibBadSize when it does not hold an 8-bit picture.
  DibResult Attach(HGLOBAL* variable);
  // Frees the old block and attaches `block` in its place.
  DibResult SetHandle(HGLOBAL block);
  void Free();

  // A zero-filled picture of the size (rows padded to 4 bytes, 3780 pixels
  // per metre); the same size only clears the pixels to 0.
  DibResult Create(std::int32_t width, std::int32_t height);
  // Sets every pixel byte to `value`.
  DibResult Clear(std::uint8_t value);
  // Makes this picture a copy of `source` (header, colours and pixels):
  // in place when both have the same shape, else in a new block. An empty
  // source empties this picture.
  DibResult Copy(const CIndexedImage& source);

  HGLOBAL GetHandle() const { return m_image.GetHandle(); }
  DibSize GetSize() const { return {m_nWidth, m_nHeight}; }
  std::int32_t GetStride() const { return m_nStride; }
  std::int32_t GetHeaderSize() const { return m_nHeaderSize; }
  // Offset of the pixels from the start of the block: header + 1,024.
  std::int32_t GetPixelOffset() const { return m_nPixelOffset; }
  std::ptrdiff_t PixelOffset(std::int32_t x, std::int32_t y) const {
    return static_cast<std::ptrdiff_t>(x) + static_cast<std::ptrdiff_t>(m_nStride) * y;
  }
  // Bytes of the whole picture: pixel offset + stride x height.
  std::size_t PictureBytes() const;

  // Locks the block and answers its pixel rows (row 0 = bottom row), or
  // null; each successful call is matched by Unlock.
  std::uint8_t* LockPixels();
  void Unlock();

private:
  DibResult Refresh();
  void ForgetGeometry();

  CDibImage m_image;  // the handle variable and the block's locking
  std::int32_t m_nWidth = 0;
  std::int32_t m_nHeight = 0;
  std::int32_t m_nHeaderSize = 0;
  std::int32_t m_nPixelOffset = 0;
  std::int32_t m_nStride = 0;
};

}  // namespace sprocket
