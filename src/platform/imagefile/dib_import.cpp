#include "platform/imagefile/dib_import.h"

#include <bit>
#include <cstring>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_picture.h"
#include "platform/le_bytes.h"

namespace sprocket {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// One colour channel of a bit-mask pixel, scaled to 8 bits.
struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit MaskChannel(std::uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m >> shift);
  }
  std::uint8_t Extract(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t value = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>(bits >= 8 ? value >> (bits - 8) : value << (8 - bits));
  }
};

struct SourceLayout {
  DibInfoHeader header;
  std::int32_t height = 0;  // always positive
  bool topDown = false;
  std::size_t colorTable = 0;
  std::size_t colors = 0;
  std::size_t pixels = 0;
  std::size_t stride = 0;
  MaskChannel red{0}, green{0}, blue{0};
};

bool ReadLayout(const std::uint8_t* dib, std::size_t bytes, SourceLayout& s) {
  if (dib == nullptr || bytes < static_cast<std::size_t>(kDibHeaderSize)) return false;
  s.header = ReadDibHeader(dib);
  const DibInfoHeader& h = s.header;
  if (h.biSize < static_cast<std::uint32_t>(kDibHeaderSize) || h.biSize > bytes) return false;
  const std::int64_t height = h.biHeight;
  s.topDown = height < 0;
  s.height = static_cast<std::int32_t>(s.topDown ? -height : height);
  if (!IsAcceptedImageSize(h.biWidth, s.height)) return false;

  const int bpp = h.biBitCount;
  std::size_t masks = 0;
  if (h.biCompression == kBiBitfields && (bpp == 16 || bpp == 32)) {
    // The masks follow a 40-byte header; longer headers carry them inside.
    if (h.biSize == static_cast<std::uint32_t>(kDibHeaderSize)) masks = 12;
    if (static_cast<std::size_t>(kDibHeaderSize) + 12 > bytes) return false;
    s.red = MaskChannel(ReadLe32(dib + 40));
    s.green = MaskChannel(ReadLe32(dib + 44));
    s.blue = MaskChannel(ReadLe32(dib + 48));
  } else if (h.biCompression != kBiRgb) {
    return false;
  } else if (bpp == 16) {
    s.red = MaskChannel(0x7C00);
    s.green = MaskChannel(0x03E0);
    s.blue = MaskChannel(0x001F);
  } else if (bpp == 32) {
    s.red = MaskChannel(0x00FF0000);
    s.green = MaskChannel(0x0000FF00);
    s.blue = MaskChannel(0x000000FF);
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;

  if (bpp <= 8) {
    const std::size_t maxColors = std::size_t{1} << bpp;
    s.colors = h.biClrUsed == 0 ? maxColors : h.biClrUsed;
    if (s.colors > maxColors) return false;
  }
  s.colorTable = h.biSize + masks;
  s.pixels = s.colorTable + s.colors * 4;

  const std::size_t rowBytes = (static_cast<std::size_t>(h.biWidth) * bpp + 7) / 8;
  if (h.biSizeImage == 0) {
    s.stride = (static_cast<std::size_t>(h.biWidth) * bpp + 31) / 32 * 4;
  } else {
    s.stride = h.biSizeImage / static_cast<std::uint32_t>(s.height);
    if (s.stride < rowBytes) return false;
  }
  // The last row needs only its own bytes, not its padding.
  const std::size_t needed = s.pixels + s.stride * static_cast<std::size_t>(s.height - 1) + rowBytes;
  return needed <= bytes;
}

// Memory row y (0 = bottom) of the source.
const std::uint8_t* SourceRow(const std::uint8_t* dib, const SourceLayout& s, std::int32_t y) {
  const std::int32_t row = s.topDown ? s.height - 1 - y : y;
  return dib + s.pixels + s.stride * static_cast<std::size_t>(row);
}

GlobalBlock ImportIndexed(const std::uint8_t* dib, const SourceLayout& s) {
  const std::int32_t width = s.header.biWidth;
  GlobalBlock result = NewIndexedPicture(width, s.height, static_cast<std::int32_t>(s.colors));
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  const PictureLayout out = *ReadPictureLayout(target.get(), result.size());
  std::memcpy(target.get() + kDibHeaderSize, dib + s.colorTable, s.colors * 4);
  for (std::size_t i = 0; i < s.colors; ++i) target.get()[kDibHeaderSize + 4 * i + 3] = 0;
  const int bpp = s.header.biBitCount;
  const int perByte = 8 / bpp;
  const unsigned mask = (1u << bpp) - 1;
  for (std::int32_t y = 0; y < s.height; ++y) {
    const std::uint8_t* in = SourceRow(dib, s, y);
    std::uint8_t* row = target.get() + out.pixelOffset + out.stride * static_cast<std::size_t>(y);
    for (std::int32_t x = 0; x < width; ++x) {
      const int shift = 8 - bpp * (x % perByte + 1);
      row[x] = static_cast<std::uint8_t>((in[x / perByte] >> shift) & mask);
    }
  }
  return result;
}

GlobalBlock ImportTrueColor(const std::uint8_t* dib, const SourceLayout& s) {
  const std::int32_t width = s.header.biWidth;
  GlobalBlock result = NewTrueColorPicture(width, s.height);
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  const PictureLayout out = *ReadPictureLayout(target.get(), result.size());
  const int bpp = s.header.biBitCount;
  for (std::int32_t y = 0; y < s.height; ++y) {
    const std::uint8_t* in = SourceRow(dib, s, y);
    std::uint8_t* row = target.get() + out.pixelOffset + out.stride * static_cast<std::size_t>(y);
    if (bpp == 24) {
      std::memcpy(row, in, static_cast<std::size_t>(width) * 3);
      continue;
    }
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint32_t pixel =
          bpp == 16 ? static_cast<std::uint32_t>(in[2 * x] | (in[2 * x + 1] << 8)) : ReadLe32(in + 4 * x);
      row[3 * x] = s.blue.Extract(pixel);
      row[3 * x + 1] = s.green.Extract(pixel);
      row[3 * x + 2] = s.red.Extract(pixel);
    }
  }
  return result;
}

}  // namespace

GlobalBlock ImportPackedDib(const std::uint8_t* dib, std::size_t bytes) {
  SourceLayout layout;
  if (!ReadLayout(dib, bytes, layout)) return {};
  return layout.header.biBitCount <= 8 ? ImportIndexed(dib, layout) : ImportTrueColor(dib, layout);
}

}  // namespace sprocket
