#pragma once
// The geometry of a packed DIB reached by the address of its locked block.
//
// The line movers and mask blends take the addresses that GlobalLock gave
// for their pictures. A view finds the block from the address, reads the
// header and checks that the rows it describes lie inside the block, so the
// kernels never read or write past a block whose header is wrong.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "imagelib/dib_header.h"

namespace sprocket {

struct LockedDibView {
  std::uint8_t* pixels = nullptr;  // row 0 (the bottom row)
  std::int32_t width = 0;          // biWidth
  std::int32_t rows = 0;
  std::int32_t stride = 0;  // bytes per row

  explicit operator bool() const { return pixels != nullptr; }
  std::uint8_t* Row(std::int32_t y) const { return pixels + static_cast<std::ptrdiff_t>(stride) * y; }
};

// The header of the packed DIB whose locked block starts at `block` (an
// address that GlobalLock returned), or nothing when the address is null or
// the block is shorter than a header.
std::optional<DibInfoHeader> ReadLockedDibHeader(const void* block);

// Pixels start at the header's biSize.
inline constexpr std::int32_t kPixelsAfterHeader = -1;

// Views the picture whose locked block starts at `block` (an address that
// GlobalLock returned, or null). The stride is biSizeImage / rowsForStride
// and the picture has that many rows; rowsForStride 0 means the header's own
// biHeight. Pixels start at `pixelOffset` (kPixelsAfterHeader: at biSize).
// The view is empty when the address is null, the width or the row count is
// below 1, the stride is 0, or the rows do not fit the block.
LockedDibView ViewLockedDib(const void* block, std::int32_t pixelOffset = kPixelsAfterHeader,
                            std::int32_t rowsForStride = 0);

}  // namespace sprocket
