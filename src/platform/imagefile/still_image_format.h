#pragma once
// The still-image file formats the image-file library reads and writes,
// chosen by a path's extension.

#include <optional>
#include <string_view>

namespace sprocket {

enum class StillImageFormat { Bmp, Dib, Gif, Jpeg, Pcd, Pict, Pcx, Tiff, Wpg, Tga };

// The format named by the path's extension (case-insensitive; ".jpeg",
// ".tiff" and ".pict" are accepted beside the three-letter forms), or nothing
// for any other extension.
std::optional<StillImageFormat> StillImageFormatOfPath(std::string_view path);

// True for the formats that can be written: BMP, GIF, PCX, TGA, TIF, JPG and PCT.
bool CanSaveStillImageFormat(StillImageFormat format);

}  // namespace sprocket
