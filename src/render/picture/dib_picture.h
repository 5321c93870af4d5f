#pragma once
// A picture of the renderer: one movable, zero-filled global block holding a
// packed DIB (40-byte header, colour table for 8-bit pictures, bottom-up
// rows), kept locked for as long as the holder owns it.
//
// Every function of the renderer that makes a picture hands back a
// DibPicture; an empty one means "no picture". ReleaseLocked() gives the
// locked address to code that frees blocks by address (GlobalHandle, unlock,
// free), and Adopt* takes such addresses back.

#include <cstddef>
#include <cstdint>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"

namespace sprocket {

class DibPicture {
public:
  DibPicture() = default;
  // A new zero-filled picture block of `bytes` bytes, locked; empty when
  // memory is short.
  static DibPicture Allocate(std::size_t bytes);
  // A zero-filled (black) 24-bit picture of width x height with rows padded
  // to 4 bytes: biSize 40, 1 plane, 24 bits, biSizeImage = row bytes x
  // height, every other field 0. Empty for a size below 1 x 1 or without
  // memory.
  static DibPicture Black24(std::int32_t width, std::int32_t height);
  // A zero-filled 8-bit picture of width x height with rows padded to 4
  // bytes and the grey palette (i, i, i, 0): biSize 40, 1 plane, 8 bits,
  // biClrUsed 256, pixels from byte 1,064. Empty as Black24.
  static DibPicture Grey8(std::int32_t width, std::int32_t height);
  // Takes a block (locks it); empty for a null block.
  static DibPicture Adopt(GlobalBlock block);
  // Takes a block by the address that GlobalLock gave for it (the block
  // stays locked once); empty for null or an address that is no block.
  static DibPicture AdoptLocked(std::uint8_t* lockedAddress);
  // A new picture holding a copy of `bytes` bytes.
  static DibPicture CopyOf(const void* bytes, std::size_t count);

  DibPicture(const DibPicture&) = delete;
  DibPicture& operator=(const DibPicture&) = delete;
  DibPicture(DibPicture&& other) noexcept;
  DibPicture& operator=(DibPicture&& other) noexcept;
  ~DibPicture();

  explicit operator bool() const { return data_ != nullptr; }
  // The block's first byte (the header); null when empty.
  std::uint8_t* data() const { return data_; }
  HGLOBAL handle() const { return block_; }
  std::size_t size() const { return GlobalSize(block_); }
  DibInfoHeader Header() const;
  std::int32_t Width() const { return Header().biWidth; }
  std::int32_t Height() const { return Header().biHeight; }
  std::int32_t BitCount() const { return Header().biBitCount; }
  // A copy of the whole block.
  DibPicture Clone() const;

  // Gives up ownership; the block stays locked and the caller frees it by
  // its address.
  std::uint8_t* ReleaseLocked();
  // Frees the picture.
  void reset();

private:
  DibPicture(HGLOBAL block, std::uint8_t* data) : block_(block), data_(data) {}
  HGLOBAL block_ = nullptr;
  std::uint8_t* data_ = nullptr;
};

// Frees a block by the address GlobalLock gave for it (null does nothing).
void FreeLockedBlock(std::uint8_t* lockedAddress);

}  // namespace sprocket
