#include "platform/imagefile/still_image_format.h"

#include <array>
#include <utility>

#include "platform/file_paths.h"

namespace sprocket {

namespace {

constexpr std::array<std::pair<std::string_view, StillImageFormat>, 13> kExtensions{{
    {".bmp", StillImageFormat::Bmp},
    {".dib", StillImageFormat::Dib},
    {".gif", StillImageFormat::Gif},
    {".jpg", StillImageFormat::Jpeg},
    {".jpeg", StillImageFormat::Jpeg},
    {".pcd", StillImageFormat::Pcd},
    {".pct", StillImageFormat::Pict},
    {".pict", StillImageFormat::Pict},
    {".pcx", StillImageFormat::Pcx},
    {".tif", StillImageFormat::Tiff},
    {".tiff", StillImageFormat::Tiff},
    {".wpg", StillImageFormat::Wpg},
    {".tga", StillImageFormat::Tga},
}};

}  // namespace

std::optional<StillImageFormat> StillImageFormatOfPath(std::string_view path) {
  for (const auto& [extension, format] : kExtensions) {
    if (HasExtension(path, extension)) return format;
  }
  return std::nullopt;
}

bool CanSaveStillImageFormat(StillImageFormat format) {
  switch (format) {
    case StillImageFormat::Bmp:
    case StillImageFormat::Gif:
    case StillImageFormat::Pcx:
    case StillImageFormat::Tga:
    case StillImageFormat::Tiff:
    case StillImageFormat::Jpeg:
    case StillImageFormat::Pict:
      return true;
    default:
      return false;
  }
}

}  // namespace sprocket
