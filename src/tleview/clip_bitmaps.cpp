// Pictures kept in a clip's slots.

#include "tleview/clip_bitmaps.h"

#include <sys/stat.h>

#include "platform/qt/dibdraw/dib_bitmaps.h"

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
  const std::int64_t width = header.biWidth;
  const std::int64_t height = header.biHeight < 0 ? -std::int64_t{header.biHeight} : header.biHeight;
  if (header.biBitCount != 24 || width <= 0 || height <= 0) return {};
  const std::int64_t stride = (width * 3 + 3) & ~std::int64_t{3};
  if (static_cast<std::int64_t>(picture.size()) < header.biSize + stride * height) return {};
  return dc::Bitmap(DibToImage(picture.data()));
}

dc::Bitmap CopyBitmap(const dc::Bitmap& bitmap) { return bitmap.Copy(); }

}  // namespace sprocket
