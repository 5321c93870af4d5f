#include "test_pictures.h"

#include <Magick++.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_file_library.h"

namespace sprocket::testing {

RgbPicture ManyColorPicture(int width, int height) {
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.rgb.data() + 3 * (y * width + x);
      p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      p[2] = static_cast<std::uint8_t>((x * 37 + y * 91) & 0xFF);
    }
  }
  return picture;
}

RgbPicture FewColorPicture(int width, int height, int colors) {
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int c = (x + y * width) % colors;
      std::uint8_t* p = picture.rgb.data() + 3 * (y * width + x);
      p[0] = static_cast<std::uint8_t>((c * 53) & 0xFF);
      p[1] = static_cast<std::uint8_t>((c * 101 + 17) & 0xFF);
      p[2] = static_cast<std::uint8_t>(c < 128 ? c * 2 : 255 - (c - 128) * 2);
    }
  }
  return picture;
}

GlobalBlock PackedDib24(const RgbPicture& picture, bool unpadded) {
  const std::size_t stride = unpadded ? static_cast<std::size_t>(picture.width) * 3
                                      : (static_cast<std::size_t>(picture.width) * 3 + 3) / 4 * 4;
  GlobalBlock block = GlobalBlock::Allocate(40 + stride * picture.height);
  GlobalLockGuard<> data(block.get());
  DibInfoHeader header = MakeDib24Header(picture.width, picture.height);
  header.biSizeImage = static_cast<std::uint32_t>(stride * picture.height);
  WriteDibHeader(data.get(), header);
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = data.get() + 40 + stride * (picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* p = picture.At(x, y);
      row[3 * x] = p[2];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[0];
    }
  }
  return block;
}

std::optional<RgbPicture> HandlePicture(int image) {
  int width = 0, height = 0, bits = 0;
  const HGLOBAL dib = ImageFiles().GetDib(image, &width, &height, &bits);
  if (dib == nullptr) return std::nullopt;
  GlobalLockGuard<> data(dib);
  const DibInfoHeader header = ReadDibHeader(data.get());
  const std::size_t offset = bits == 8 ? 1064 : 40;
  const std::size_t stride = header.biSizeImage / static_cast<std::uint32_t>(height);
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = data.get() + offset + stride * (height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* bgr = bits == 8 ? data.get() + 40 + 4 * row[x] : row + 3 * x;
      std::uint8_t* p = picture.rgb.data() + 3 * (y * width + x);
      p[0] = bgr[2];
      p[1] = bgr[1];
      p[2] = bgr[0];
    }
  }
  return picture;
}

void WriteWithMagick(const RgbPicture& picture, const std::filesystem::path& path, const std::string& magick,
                     bool palette) {
  Magick::Image image;
  image.read(static_cast<std::size_t>(picture.width), static_cast<std::size_t>(picture.height), "RGB",
             Magick::CharPixel, picture.rgb.data());
  image.depth(8);
  image.type(palette ? Magick::PaletteType : Magick::TrueColorType);
  if (magick == "TGA") image.orientation(Magick::TopLeftOrientation);
  image.write(magick + ":" + path.string());
}

int MaxChannelDifference(const RgbPicture& a, const RgbPicture& b) {
  if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size()) return -1;
  int worst = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
  return worst;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<RgbPicture> ConvertToRgb(const std::filesystem::path& path) {
  const std::string quoted = "'" + path.string() + "'";
  const auto size = RunCommand("identify -format '%w %h' " + quoted + "'[0]'");
  if (!size) return std::nullopt;
  RgbPicture picture;
  std::istringstream(*size) >> picture.width >> picture.height;
  const auto bytes = RunCommand("convert " + quoted + "'[0]' -depth 8 rgb:-");
  if (!bytes || bytes->size() != static_cast<std::size_t>(picture.width) * picture.height * 3) return std::nullopt;
  picture.rgb.assign(bytes->begin(), bytes->end());
  return picture;
}

}  // namespace sprocket::testing
