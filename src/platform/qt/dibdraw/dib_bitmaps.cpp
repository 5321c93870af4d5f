#include "platform/qt/dibdraw/dib_bitmaps.h"

#include <algorithm>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/formats/dib_palette.h"
#include "imagelib/formats/dib_pixels.h"
#include "platform/le_bytes.h"

namespace sprocket {

namespace {

// The colour table as the palette names it, for tables of indices.
std::vector<PaletteEntry> PaletteOrStandard(const ColorPalette* palette) {
  if (palette != nullptr && !palette->empty()) return palette->entries();
  return {kStandardColours.begin(), kStandardColours.end()};
}

// The table of a DIB with usage kDibPaletteIndices rewritten as colours, in
// a copy of its header and table.
std::vector<std::uint8_t> ResolvedTable(const std::uint8_t* dib, std::size_t tableBytes, const ColorPalette* palette) {
  const std::uint32_t headerBytes = ReadDibHeader(dib).biSize;
  const std::vector<PaletteEntry> colours = PaletteOrStandard(palette);
  std::vector<std::uint8_t> table(tableBytes);
  for (std::size_t i = 0; i < tableBytes / 4; ++i) {
    const std::size_t index = std::min<std::size_t>(ReadLe16(dib + headerBytes + 2 * i), colours.size() - 1);
    table[i * 4] = colours[index].blue;
    table[i * 4 + 1] = colours[index].green;
    table[i * 4 + 2] = colours[index].red;
  }
  return table;
}

void StoreIndex(std::uint8_t* row, std::int32_t x, int bits, int index) {
  const std::int64_t bit = static_cast<std::int64_t>(x) * bits;
  const int shift = 8 - bits - static_cast<int>(bit % 8);
  row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~(((1 << bits) - 1) << shift)) | index << shift);
}

void StorePixel(std::uint8_t* row, std::int32_t x, int bits, QRgb colour, const ColorPalette& table) {
  switch (bits) {
    case 24:
    case 32: {
      std::uint8_t* p = row + x * (bits / 8);
      p[0] = static_cast<std::uint8_t>(qBlue(colour));
      p[1] = static_cast<std::uint8_t>(qGreen(colour));
      p[2] = static_cast<std::uint8_t>(qRed(colour));
      break;
    }
    case 16:
      WriteLe16(row + x * 2,
                static_cast<std::uint32_t>(qRed(colour) >> 3 << 10 | qGreen(colour) >> 3 << 5 | qBlue(colour) >> 3));
      break;
    default:
      StoreIndex(row, x, bits,
                 table.NearestIndex(static_cast<std::uint8_t>(qRed(colour)), static_cast<std::uint8_t>(qGreen(colour)),
                                    static_cast<std::uint8_t>(qBlue(colour))));
  }
}

}  // namespace

QImage DibToImage(const std::uint8_t* dib, const ColorPalette* palette, int usage) {
  std::optional<DibPixelReader> reader = DibPixelReader::Open(dib);
  if (!reader) return {};
  const PictureGeometry& geometry = reader->Geometry();
  std::vector<std::uint8_t> resolved;
  if (usage == kDibPaletteIndices && geometry.bitCount <= 8) {
    const std::size_t tableBytes = geometry.pixelOffset - ReadDibHeader(dib).biSize;
    resolved = ResolvedTable(dib, tableBytes, palette);
    reader = reader->WithTable(resolved.data());
  }
  QImage image(geometry.width, geometry.height, QImage::Format_RGB32);
  for (std::int32_t y = 0; y < geometry.height; ++y) {
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(geometry.height - 1 - y));
    for (std::int32_t x = 0; x < geometry.width; ++x) {
      const BgrPixel pixel = reader->At(x, y);
      out[x] = qRgb(pixel.red, pixel.green, pixel.blue);
    }
  }
  return image;
}

dc::Bitmap BitmapFromDibHandle(HGLOBAL dib, const ColorPalette* palette, int usage) {
  GlobalLockGuard<std::uint8_t> lock(dib);
  if (!lock) return {};
  return dc::Bitmap(DibToImage(lock.get(), palette, usage));
}

GlobalBlock DibFromBitmapHandle(const dc::Bitmap& bitmap, std::uint32_t compression, int bitCount,
                                const ColorPalette* palette, int usage) {
  const int bits = bitCount == 0 ? 24 : bitCount;
  if (bitmap.IsNull() || compression != 0) return {};
  GlobalBlock dib = NewDib(bits, bitmap.Width(), bitmap.Height());
  if (!dib) return {};
  if (bits > 1 && bits <= 8) SetDibColourUsage(dib.get(), palette, kDibRgbColours);
  {
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    const std::optional<PictureGeometry> geometry = ReadPictureGeometry(lock.get());
    if (!geometry) return {};
    DibInfoHeader header = ReadDibHeader(lock.get());
    header.biSizeImage = static_cast<std::uint32_t>(geometry->stride) * static_cast<std::uint32_t>(geometry->height);
    WriteDibHeader(lock.get(), header);
    const ColorPalette table = CreateDibPalette(lock.get());
    const QImage image = bitmap.Image().convertToFormat(QImage::Format_RGB32);
    for (std::int32_t y = 0; y < geometry->height; ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(geometry->height - 1 - y));
      for (std::int32_t x = 0; x < geometry->width; ++x) StorePixel(geometry->Row(y), x, bits, in[x], table);
    }
  }
  if (usage == kDibPaletteIndices && bits <= 8) SetDibColourUsage(dib.get(), palette, kDibPaletteIndices);
  return dib;
}

}  // namespace sprocket
