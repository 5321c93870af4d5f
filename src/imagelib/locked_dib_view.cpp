#include "imagelib/locked_dib_view.h"

#include <limits>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"

namespace sprocket {

std::optional<DibInfoHeader> ReadLockedDibHeader(const void* block) {
  if (block == nullptr) return std::nullopt;
  if (GlobalSize(GlobalHandle(block)) < static_cast<std::uint64_t>(kDibHeaderSize)) return std::nullopt;
  return ReadDibHeader(block);
}

LockedDibView ViewLockedDib(const void* block, std::int32_t pixelOffset, std::int32_t rowsForStride) {
  const std::optional<DibInfoHeader> read = ReadLockedDibHeader(block);
  if (!read) return {};
  const std::uint64_t blockBytes = GlobalSize(GlobalHandle(block));
  const DibInfoHeader& header = *read;
  const std::int32_t rows = rowsForStride > 0 ? rowsForStride : header.biHeight;
  if (header.biWidth < 1 || rows < 1) return {};
  const std::uint64_t stride = header.biSizeImage / static_cast<std::uint32_t>(rows);
  const std::uint64_t offset = pixelOffset < 0 ? header.biSize : static_cast<std::uint32_t>(pixelOffset);
  if (stride == 0 || stride > std::numeric_limits<std::int32_t>::max()) return {};
  if (offset + stride * static_cast<std::uint64_t>(rows) > blockBytes) return {};

  LockedDibView view;
  view.pixels = static_cast<std::uint8_t*>(const_cast<void*>(block)) + offset;
  view.width = header.biWidth;
  view.rows = rows;
  view.stride = static_cast<std::int32_t>(stride);
  return view;
}

}  // namespace sprocket
