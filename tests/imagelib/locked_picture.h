#pragma once
// Test pictures held in locked global blocks, as the line movers, the mask
// blends and the TGA reader hand them around.

#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"

namespace sprocket::testing {

class LockedPicture {
public:
  // A 24-bit picture; stride 0 means rows padded to 4 bytes.
  static LockedPicture Rgb(int width, int height, int stride = 0) {
    const int rowBytes = stride > 0 ? stride : PaddedStride24(width);
    return LockedPicture(width, height, 24, rowBytes, kDibHeaderSize);
  }
  // An 8-bit mask with an empty palette; stride 0 means rows padded to 4 bytes.
  static LockedPicture Mask8(int width, int height, int stride = 0) {
    const int rowBytes = stride > 0 ? stride : (width + 3) / 4 * 4;
    return LockedPicture(width, height, 8, rowBytes, kDibMaskPixelOffset);
  }
  // Adopts a block that is locked once (as the TGA reader hands them out).
  static LockedPicture Adopt(std::uint8_t* lockedAddress) { return LockedPicture(lockedAddress); }

  LockedPicture(LockedPicture&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)), data_(std::exchange(other.data_, nullptr)) {}
  LockedPicture(const LockedPicture&) = delete;
  LockedPicture& operator=(const LockedPicture&) = delete;
  LockedPicture& operator=(LockedPicture&&) = delete;
  ~LockedPicture() {
    if (handle_ != nullptr) {
      GlobalUnlock(handle_);
      GlobalFree(handle_);
    }
  }

  std::uint8_t* data() const { return data_; }
  HGLOBAL handle() const { return handle_; }
  DibInfoHeader Header() const { return ReadDibHeader(data_); }
  int Stride() const { return static_cast<int>(Header().biSizeImage / Header().biHeight); }
  std::uint8_t* Pixels() const { return data_ + PixelOffset(); }
  std::uint8_t* Row(int y) const { return Pixels() + static_cast<std::ptrdiff_t>(Stride()) * y; }
  std::uint8_t* At(int x, int y) const { return Row(y) + x * (Header().biBitCount / 8); }
  std::vector<std::uint8_t> RowBytes(int y) const { return {Row(y), Row(y) + Stride()}; }
  std::vector<std::uint8_t> Bytes() const { return {data_, data_ + GlobalSize(handle_)}; }
  std::vector<std::uint8_t> PixelBytes() const { return {Pixels(), data_ + GlobalSize(handle_)}; }

  // Every byte of row y (tail included) set to `value`.
  void FillRow(int y, std::uint8_t value) const {
    std::uint8_t* row = Row(y);
    for (int i = 0; i < Stride(); ++i) row[i] = value;
  }
  // Every pixel byte after the header (and palette) from a seeded generator.
  void FillRandom(unsigned seed) const {
    std::mt19937 random(seed);
    std::uint8_t* end = data_ + GlobalSize(handle_);
    for (std::uint8_t* p = Pixels(); p < end; ++p) *p = static_cast<std::uint8_t>(random());
  }

private:
  LockedPicture(int width, int height, int bits, int stride, int pixelOffset)
      : handle_(GlobalAlloc(GHND, static_cast<std::size_t>(pixelOffset) + std::size_t(stride) * height)),
        data_(static_cast<std::uint8_t*>(GlobalLock(handle_))) {
    DibInfoHeader header = MakeDib24Header(width, height);
    header.biBitCount = static_cast<std::uint16_t>(bits);
    header.biSizeImage = static_cast<std::uint32_t>(stride * height);
    if (bits == 8) header.biClrUsed = 256;
    WriteDibHeader(data_, header);
  }
  explicit LockedPicture(std::uint8_t* lockedAddress) : handle_(GlobalHandle(lockedAddress)), data_(lockedAddress) {}

  int PixelOffset() const { return Header().biBitCount == 8 ? kDibMaskPixelOffset : kDibHeaderSize; }

  HGLOBAL handle_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

}  // namespace sprocket::testing
