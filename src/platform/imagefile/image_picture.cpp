#include "platform/imagefile/image_picture.h"

#include <cstring>

#include "imagelib/dib_header.h"

namespace sprocket {

namespace {

std::size_t PaddedStride(std::int32_t width, std::int32_t bitsPerPixel) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
}

GlobalBlock NewPicture(const DibInfoHeader& header, std::size_t pixelOffset) {
  const std::size_t bytes = pixelOffset + header.biSizeImage;
  GlobalBlock block = GlobalBlock::Allocate(bytes);
  GlobalLockGuard<> data(block.get());
  if (!data) return {};
  WriteDibHeader(data.get(), header);
  return block;
}

DibInfoHeader IndexedHeader(std::int32_t width, std::int32_t height, std::int32_t colors) {
  DibInfoHeader header = MakeDib24Header(width, height);
  header.biBitCount = 8;
  header.biSizeImage = static_cast<std::uint32_t>(PaddedStride(width, 8) * static_cast<std::size_t>(height));
  header.biClrUsed = 256;
  header.biClrImportant = static_cast<std::uint32_t>(colors);
  return header;
}

}  // namespace

bool IsAcceptedImageSize(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

GlobalBlock NewTrueColorPicture(std::int32_t width, std::int32_t height) {
  if (!IsAcceptedImageSize(width, height)) return {};
  return NewPicture(MakeDib24Header(width, height), kDibHeaderSize);
}

GlobalBlock NewIndexedPicture(std::int32_t width, std::int32_t height, std::int32_t colors) {
  if (!IsAcceptedImageSize(width, height) || colors < 1 || colors > 256) return {};
  return NewPicture(IndexedHeader(width, height, colors), kDibMaskPixelOffset);
}

void WritePictureHeader(std::uint8_t* block, const PictureLayout& layout) {
  WriteDibHeader(block, layout.bitsPerPixel == 8 ? IndexedHeader(layout.width, layout.height, layout.colors)
                                                 : MakeDib24Header(layout.width, layout.height));
}

std::optional<PictureLayout> ReadPictureLayout(const std::uint8_t* block, std::size_t bytes) {
  if (block == nullptr || bytes < static_cast<std::size_t>(kDibHeaderSize)) return std::nullopt;
  const DibInfoHeader header = ReadDibHeader(block);
  if (header.biSize != kDibHeaderSize || header.biCompression != 0 ||
      !IsAcceptedImageSize(header.biWidth, header.biHeight)) {
    return std::nullopt;
  }
  PictureLayout layout;
  layout.width = header.biWidth;
  layout.height = header.biHeight;
  layout.bitsPerPixel = header.biBitCount;
  if (header.biBitCount == 24) {
    layout.pixelOffset = kDibHeaderSize;
  } else if (header.biBitCount == 8 && header.biClrUsed == 256 && header.biClrImportant >= 1 &&
             header.biClrImportant <= 256) {
    layout.pixelOffset = kDibMaskPixelOffset;
    layout.colors = static_cast<std::int32_t>(header.biClrImportant);
  } else {
    return std::nullopt;
  }
  layout.stride = PaddedStride(layout.width, layout.bitsPerPixel);
  if (header.biSizeImage != layout.PixelBytes() || layout.pixelOffset + layout.PixelBytes() > bytes) {
    return std::nullopt;
  }
  return layout;
}

GlobalBlock ExpandIndexedPicture(const std::uint8_t* block, const PictureLayout& layout) {
  GlobalBlock result = NewTrueColorPicture(layout.width, layout.height);
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  DibColor table[256];
  std::memcpy(table, block + kDibHeaderSize, sizeof(table));
  const std::size_t targetStride = PaddedStride(layout.width, 24);
  for (std::int32_t y = 0; y < layout.height; ++y) {
    const std::uint8_t* in = block + layout.pixelOffset + layout.stride * static_cast<std::size_t>(y);
    std::uint8_t* out = target.get() + kDibHeaderSize + targetStride * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < layout.width; ++x) {
      const DibColor& color = table[in[x]];
      out[3 * x] = color.blue;
      out[3 * x + 1] = color.green;
      out[3 * x + 2] = color.red;
    }
  }
  return result;
}

GlobalBlock CopyPicture(HGLOBAL picture) {
  const std::size_t bytes = GlobalSize(picture);
  GlobalLockGuard<> source(picture);
  if (!source) return {};
  GlobalBlock copy = GlobalBlock::Allocate(bytes, GMEM_MOVEABLE);
  GlobalLockGuard<> target(copy.get());
  if (!target) return {};
  std::memcpy(target.get(), source.get(), bytes);
  return copy;
}

}  // namespace sprocket
