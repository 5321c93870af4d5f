#include "platform/imagefile/image_draw_target.h"

#include <algorithm>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_picture.h"

namespace sprocket {

bool PackedDibCanvas::DrawDib(const std::uint8_t* dib, std::size_t bytes, int x, int y, int width, int height) {
  const auto source = ReadPictureLayout(dib, bytes);
  if (!source || width < 1 || height < 1 || picture_ == nullptr) return false;
  const HGLOBAL block = *picture_;
  const std::size_t targetBytes = GlobalSize(block);
  GlobalLockGuard<> target(block);
  if (!target || targetBytes < static_cast<std::size_t>(kDibHeaderSize)) return false;
  const DibInfoHeader header = ReadDibHeader(target.get());
  const std::int32_t stride = CheckedDibStride(header, targetBytes);
  if (header.biBitCount != 24 || stride == 0) return false;

  const std::int64_t firstRow = std::max<std::int64_t>(y, 0);
  const std::int64_t endRow = std::min<std::int64_t>(std::int64_t{y} + height, header.biHeight);
  const std::int64_t firstColumn = std::max<std::int64_t>(x, 0);
  const std::int64_t endColumn = std::min<std::int64_t>(std::int64_t{x} + width, header.biWidth);
  const auto* table = reinterpret_cast<const DibColor*>(dib + kDibHeaderSize);
  for (std::int64_t row = firstRow; row < endRow; ++row) {
    // Both pictures are bottom-up: top-down row r is memory row height - 1 - r.
    const std::int64_t sourceTop = (row - y) * source->height / height;
    const std::uint8_t* in =
        dib + source->pixelOffset + source->stride * static_cast<std::size_t>(source->height - 1 - sourceTop);
    std::uint8_t* out = target.get() + kDibHeaderSize +
                        static_cast<std::size_t>(stride) * static_cast<std::size_t>(header.biHeight - 1 - row);
    for (std::int64_t column = firstColumn; column < endColumn; ++column) {
      const std::int64_t sourceX = (column - x) * source->width / width;
      std::uint8_t* pixel = out + 3 * column;
      if (source->bitsPerPixel == 8) {
        const DibColor& color = table[in[sourceX]];
        pixel[0] = color.blue;
        pixel[1] = color.green;
        pixel[2] = color.red;
      } else {
        std::copy_n(in + 3 * sourceX, 3, pixel);
      }
    }
  }
  return true;
}

}  // namespace sprocket
