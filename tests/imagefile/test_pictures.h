#pragma once
// Pictures and files made by the tests of the image-file library.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/global_memory.h"

#include "outside_tools.h"

namespace sprocket::testing {

// Top-down RGB bytes of a picture, 3 per pixel, rows unpadded.
struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  const std::uint8_t* At(int x, int yTop) const { return rgb.data() + 3 * (yTop * width + x); }
  friend bool operator==(const RgbPicture&, const RgbPicture&) = default;
};

// A picture of many colours: every pixel differs from its neighbours.
RgbPicture ManyColorPicture(int width, int height);
// A picture of exactly `colors` distinct colours (at most 256), well apart.
RgbPicture FewColorPicture(int width, int height, int colors);

// A packed DIB of the picture: 24-bit, rows padded to 4 bytes unless
// `unpadded`; biSizeImage always set.
GlobalBlock PackedDib24(const RgbPicture& picture, bool unpadded = false);

// The picture that an image handle holds (through GetDib), whatever its depth.
std::optional<RgbPicture> HandlePicture(int image);

// Writes the picture as a file with ImageMagick's Magick++; `magick` names
// the coder ("GIF", "BMP3", "PCX" ...); `palette` writes a palette file.
void WriteWithMagick(const RgbPicture& picture, const std::filesystem::path& path, const std::string& magick,
                     bool palette = false);

// Largest difference of one channel between two pictures of one size;
// -1 when the sizes differ.
int MaxChannelDifference(const RgbPicture& a, const RgbPicture& b);

// The whole file, or nothing when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);

// The picture as decoded by ImageMagick's `convert` (the outside reader).
std::optional<RgbPicture> ConvertToRgb(const std::filesystem::path& path);

}  // namespace sprocket::testing
