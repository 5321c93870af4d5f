#include "libs/effectcatalog/effect_picture.h"

#include <cstring>

#include "imagelib/dib_header.h"
#include "imagelib/locked_dib_view.h"

namespace sprocket {

PictureView ViewPicture24(const std::uint8_t* block) {
  const LockedDibView locked = ViewLockedDib(block);
  if (!locked) return {};
  if (ReadLockedDibHeader(block)->biBitCount != 24) return {};
  if (static_cast<std::int64_t>(locked.stride) < static_cast<std::int64_t>(locked.width) * 3) return {};
  return PictureView{locked.pixels, locked.width, locked.rows, locked.stride};
}

PictureBuffer::PictureBuffer(std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return;
  const std::int32_t stride = PaddedStride24(width);
  bytes_.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
  view_ = PictureView{bytes_.data(), width, height, stride};
}

PictureBuffer::PictureBuffer(const PictureView& source) : PictureBuffer(source.width, source.height) {
  if (source) CopyPixels(source, view_);
}

void CopyPixels(const PictureView& source, const PictureView& destination) {
  if (!source || !destination || !source.SameSize(destination)) return;
  const std::size_t rowBytes = static_cast<std::size_t>(source.width) * 3;
  for (std::int32_t y = 0; y < source.height; ++y) std::memmove(destination.Row(y), source.Row(y), rowBytes);
}

void FillPixels(const PictureView& picture, BgrPixel value) {
  for (std::int32_t y = 0; y < picture.height; ++y) {
    std::uint8_t* p = picture.Row(y);
    for (std::int32_t x = 0; x < picture.width; ++x, p += 3) {
      p[0] = value.blue;
      p[1] = value.green;
      p[2] = value.red;
    }
  }
}

std::vector<std::uint8_t> LumaOf(const PictureView& picture) {
  std::vector<std::uint8_t> levels;
  levels.reserve(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
  for (std::int32_t y = 0; y < picture.height; ++y) {
    const std::uint8_t* p = picture.Row(y);
    for (std::int32_t x = 0; x < picture.width; ++x, p += 3) levels.push_back(static_cast<std::uint8_t>(Luma(p)));
  }
  return levels;
}

std::vector<std::uint8_t> ReadGreyLevels(const std::uint8_t* block, std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return {};
  // A block shorter than its header (a damaged timeline) has no levels.
  const std::optional<DibInfoHeader> read = ReadLockedDibHeader(block);
  if (!read) return {};
  const DibInfoHeader& header = *read;
  std::vector<std::uint8_t> levels;
  levels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  auto sample = [&](auto&& levelAt, std::int32_t sourceWidth, std::int32_t sourceHeight) {
    for (std::int32_t y = 0; y < height; ++y) {
      const auto sy = static_cast<std::int32_t>(static_cast<std::int64_t>(y) * sourceHeight / height);
      for (std::int32_t x = 0; x < width; ++x) {
        const auto sx = static_cast<std::int32_t>(static_cast<std::int64_t>(x) * sourceWidth / width);
        levels.push_back(levelAt(sx, sy));
      }
    }
  };
  if (header.biBitCount == 24) {
    const PictureView picture = ViewPicture24(block);
    if (!picture) return {};
    sample([&](std::int32_t x, std::int32_t y) { return static_cast<std::uint8_t>(Luma(picture.At(x, y))); },
           picture.width, picture.height);
    return levels;
  }
  if (header.biBitCount != 8) return {};
  const LockedDibView grey = ViewLockedDib(block, kDibMaskPixelOffset);
  if (!grey || grey.stride < grey.width) return {};
  std::uint8_t paletteLevels[256];
  const std::uint8_t* palette = block + kDibHeaderSize;
  for (int i = 0; i < 256; ++i) paletteLevels[i] = static_cast<std::uint8_t>(Luma(palette + i * 4));
  sample([&](std::int32_t x, std::int32_t y) { return paletteLevels[grey.Row(y)[x]]; }, grey.width, grey.rows);
  return levels;
}

}  // namespace sprocket
