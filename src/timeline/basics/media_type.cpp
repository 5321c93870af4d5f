#include "timeline/basics/media_type.h"

#include <algorithm>
#include <iterator>

#include "platform/file_paths.h"
#include "platform/settings/ini_document.h"

namespace sprocket {

namespace {

struct ExtensionCode {
  std::string_view extension;
  std::int32_t code;
};

constexpr ExtensionCode kCodes[] = {
    {".avi", kMediaAvi}, {".flc", kMediaFlc}, {".fli", kMediaFli}, {".bmp", kMediaBmp}, {".tif", kMediaTif},
    {".tga", kMediaTga}, {".jpg", kMediaJpg}, {".pcx", kMediaPcx}, {".gif", kMediaGif}, {".wpg", kMediaWpg},
    {".wmf", kMediaWmf}, {".dcx", kMediaDcx}, {".eps", kMediaEps}, {".pct", kMediaPct}, {".dib", kMediaDib},
    {".iff", kMediaIff}, {".pcd", kMediaPcd}, {".psd", kMediaPsd}, {".wav", kMediaWav}, {".snd", kMediaSnd},
    {".mdi", kMediaMdi},
};

constexpr std::string_view kImageExtensions[] = {".bmp", ".tif", ".tga", ".pcx", ".jpg",
                                                 ".gif", ".wpg", ".pct", ".dib", ".pcd"};

}  // namespace

std::int32_t GetMediaTypeCode(std::string_view path) {
  std::string_view extension = FileExtension(path);
  const auto* it = std::find_if(std::begin(kCodes), std::end(kCodes),
                                [&](const ExtensionCode& entry) { return EqualsNoCase(entry.extension, extension); });
  return it != std::end(kCodes) ? it->code : kMediaOther;
}

bool IsReadableMediaExt(std::string_view extension) {
  return IsVideoFileExt(extension) || IsImageFileExt(extension) || EqualsNoCase(extension, ".wav");
}

std::string_view ReadableMediaKinds() {
  return "movies (AVI, FLC, FLI), stills (BMP, DIB, GIF, JPG, PCD, PCT, PCX, TGA, TIF, WPG) and sounds (WAV)";
}

bool IsVideoFileExt(std::string_view extension) {
  return EqualsNoCase(extension, ".avi") || EqualsNoCase(extension, ".flc") || EqualsNoCase(extension, ".fli");
}

bool IsImageFileExt(std::string_view extension) {
  return std::any_of(std::begin(kImageExtensions), std::end(kImageExtensions),
                     [&](std::string_view known) { return EqualsNoCase(known, extension); });
}

bool IsVideoMediaType(std::int32_t code) { return code >= kMediaAvi && code <= kMediaFli; }
bool IsImageMediaType(std::int32_t code) { return code >= kMediaBmp && code <= kMediaPsd; }
bool IsAudioMediaType(std::int32_t code) { return code >= kMediaWav && code <= kMediaMdi; }

}  // namespace sprocket
