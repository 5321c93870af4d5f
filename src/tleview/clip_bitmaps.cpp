// Pictures kept in a clip's slots.

#include "tleview/clip_bitmaps.h"

#include <sys/stat.h>


namespace sprocket {

FileStamp StampOf(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return FileStamp{};
  return FileStamp{static_cast<std::int64_t>(info.st_size),
                   static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

const ViewClipBitmap* ViewBitmapOf(const ClonePtr<ClipBitmap>& slot) {
  return dynamic_cast<const ViewClipBitmap*>(slot.get());
}

std::unique_ptr<ClipBitmap> MakeClipBitmap(dc::Bitmap picture, FileStamp source, std::int32_t firstFrame) {
  return std::make_unique<ViewClipBitmap>(std::move(picture), source, firstFrame);
}

dc::Bitmap BitmapFromDib(const DibPicture& picture) {
  if (!picture || picture.size() < sizeof(DibInfoHeader)) return {};
  const DibInfoHeader header = picture.Header();
  const int width = header.biWidth;
  const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  if (header.biBitCount != 24 || width <= 0 || height <= 0) return {};
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  if (picture.size() < header.biSize + stride * height) return {};
  const std::uint8_t* pixels = picture.data() + header.biSize;
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    const int sourceRow = header.biHeight > 0 ? height - 1 - y : y;
    const std::uint8_t* row = pixels + stride * sourceRow;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
  }
  return dc::Bitmap(std::move(image));
}

dc::Bitmap CopyBitmap(const dc::Bitmap& bitmap) { return bitmap.Copy(); }

}  // namespace sprocket
