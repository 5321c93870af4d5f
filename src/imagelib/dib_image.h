#pragma once
// A 24-bit picture held as a packed DIB in one movable block.
//
// CDibImage views the block through the caller's handle variable: it never
// owns the block, and its destructor does nothing. Operations that replace
// the picture (Create with a new size, SetHandle, Resize, Copy with a new
// size) free the old block and store the new one into the same variable, so
// every holder of the variable sees the new picture. Objects are cheap to copy;
// a copy shares the handle variable.
//
// Every operation re-reads the 40-byte header first, so an object whose
// picture was replaced through another object sharing the variable works on
// the current picture. y counts rows in memory order: row 0 is the bottom row.

#include <cstddef>
#include <cstdint>

#include "imagelib/pixel_types.h"
#include "imagelib/rescale_types.h"
#include "platform/global_memory.h"

namespace sprocket {

class CDibImage {
public:
  CDibImage() = default;
  explicit CDibImage(HGLOBAL* variable) { Attach(variable); }
  ~CDibImage() = default;

  // Attachment and the cached geometry.
  DibResult Attach(HGLOBAL* variable);
  DibResult Refresh();
  DibResult SetHandle(HGLOBAL block);
  void Free();
  DibResult IsValid() const;

  // Queries of the geometry last read.
  HGLOBAL GetHandle() const { return m_phDib != nullptr ? *m_phDib : nullptr; }
  DibSize GetSize() const { return {m_nWidth, m_nHeight}; }
  DibPoint GetMaxXY() const { return {m_nMaxX, m_nMaxY}; }
  std::int32_t GetStride() const { return m_nStride; }
  std::int32_t GetHeaderSize() const { return m_nHeaderSize; }
  std::ptrdiff_t PixelOffset(std::int32_t x, std::int32_t y) const {
    return static_cast<std::ptrdiff_t>(x) * 3 + static_cast<std::ptrdiff_t>(m_nStride) * y;
  }

  // Locking. Lock gives the header address, GetBits the first pixel row;
  // each must be matched by Unlock. LockBits keeps the pixel address for the
  // *Locked accessors until Unlock.
  std::uint8_t* Lock();
  std::uint8_t* GetBits();
  void Unlock();
  DibResult LockBits();
  std::uint8_t* GetLockedBits() const { return m_pLockedBits; }

  // Pixel access. Positions outside the picture read 0 and write nothing.
  COLORREF GetPixel(std::int32_t x, std::int32_t y) const;
  void SetPixel(std::int32_t x, std::int32_t y, COLORREF color);
  void SetPixelBgr(std::int32_t x, std::int32_t y, BgrPixel pixel);
  // Through the pointer of LockBits, without checks: the caller keeps the
  // point inside the picture.
  BgrPixel GetPixelLocked(DibPoint point) const;
  void SetPixelLocked(DibPoint point, BgrPixel pixel);

  // Whole-picture content.
  DibResult Create(std::int32_t width, std::int32_t height);
  // Create for a caller that writes every pixel: a new block whose rows'
  // padding alone is cleared (the pixels hold whatever the memory held).
  DibResult CreateForOverwrite(std::int32_t width, std::int32_t height);
  DibResult Clear(std::uint8_t value);
  DibResult Fill(COLORREF color);
  DibResult FillBgr(BgrPixel pixel);
  DibResult Copy(CDibImage source);
  DibResult ResizeTo(CDibImage other);

  // Scaling (rescale_stretch.cpp; filters other than 0 go to RescaleFiltered).
  DibResult StretchRect(DibRect destinationRect, CDibImage source, DibRect sourceRect, RescaleFilter filter,
                        ScaleProgressCallback callback = nullptr, std::intptr_t value1 = 0, std::intptr_t value2 = 0);
  DibResult StretchRectSwapped(DibRect destinationRect, CDibImage source, DibRect sourceRect, RescaleFilter filter,
                               ScaleProgressCallback callback = nullptr, std::intptr_t value1 = 0,
                               std::intptr_t value2 = 0);
  DibResult Resize(std::int32_t width, std::int32_t height, RescaleFilter filter);

  // Whole-picture operations (dib_image_ops.cpp). Grey and the lookup table
  // work in place; the turns replace the block through the handle variable.
  // Greyscale: every pixel becomes its luminance; no block, no change.
  void Greyscale();
  // Every inner pixel becomes the mean of its eight neighbours (>> 3), then
  // the border repeats the pixels inside it. Pictures narrower or lower than
  // 3 pixels are left as they are.
  DibResult Smooth();
  // Row 0 and the top row take the rows next to them, then column 0 and the
  // last column the columns next to them; nothing below 3 x 3.
  DibResult ReplicateEdges();
  // Each byte through `table` (256 entries): all three channels with mode 3,
  // the blue byte only with any other mode.
  DibResult ApplyLut(const std::uint8_t* table, std::int32_t mode);
  // A quarter turn: new pixel (y, k) = old pixel (width - 1 - k, y).
  DibResult Rotate90();
  // A half turn: new pixel (x, y) = old pixel (width - 1 - x, height - 1 - y).
  DibResult Rotate180();
  // Each byte becomes min(this + other, 255); another size is first scaled
  // (nearest pixel) to this one on a copy.
  DibResult AddSaturate(CDibImage other);

private:
  // A new block of width x height in place of the picture's, zero-filled or
  // with only its rows' padding cleared.
  DibResult CreateBlock(std::int32_t width, std::int32_t height, bool zeroed);
  // Reads the geometry from a locked block into the cached fields.
  DibResult ReadGeometry(const std::uint8_t* header, std::size_t blockBytes);
  void ForgetGeometry();

  HGLOBAL* m_phDib = nullptr;
  std::int32_t m_nWidth = 0;
  std::int32_t m_nHeight = 0;
  std::int32_t m_nMaxX = -1;
  std::int32_t m_nMaxY = -1;
  std::int32_t m_nHeaderSize = 0;
  std::int32_t m_nStride = 0;
  std::uint8_t* m_pLockedBits = nullptr;
};

}  // namespace sprocket
