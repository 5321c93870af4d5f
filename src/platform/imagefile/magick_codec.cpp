#include "platform/imagefile/magick_codec.h"

#include <Magick++.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_picture.h"

namespace sprocket {

namespace {

std::string DecoderName(StillImageFormat format, std::string_view bytes) {
  switch (format) {
    case StillImageFormat::Bmp:
      return "BMP";
    // A .dib file is either a headerless packed DIB or a whole BMP file.
    case StillImageFormat::Dib:
      return bytes.starts_with("BM") ? "BMP" : "DIB";
    case StillImageFormat::Gif:
      return "GIF";
    case StillImageFormat::Jpeg:
      return "JPEG";
    case StillImageFormat::Pcd:
      return "PCD";
    case StillImageFormat::Pict:
      return "PICT";
    case StillImageFormat::Pcx:
      return "PCX";
    case StillImageFormat::Tiff:
      return "TIFF";
    case StillImageFormat::Wpg:
      return "WPG";
    case StillImageFormat::Tga:
      return "TGA";
  }
  return {};
}

static_assert(MAGICKCORE_QUANTUM_DEPTH == 16, "colour values are converted for 16-bit quanta");
std::uint8_t ToByte(Magick::Quantum value) { return MagickCore::ScaleQuantumToChar(value); }
Magick::Quantum ToQuantum(std::uint8_t value) { return static_cast<Magick::Quantum>(value * 257); }

std::uint8_t* PictureRow(std::uint8_t* picture, const PictureLayout& layout, std::int32_t y) {
  return picture + layout.pixelOffset + layout.stride * static_cast<std::size_t>(y);
}
const std::uint8_t* PictureRow(const std::uint8_t* picture, const PictureLayout& layout, std::int32_t y) {
  return picture + layout.pixelOffset + layout.stride * static_cast<std::size_t>(y);
}

// An 8-bit picture from a palette image, taking the colour map and the
// pixels' indexes together so that they agree.
GlobalBlock IndexedFromMagick(const Magick::Image& image) {
  const auto width = static_cast<std::int32_t>(image.columns());
  const auto height = static_cast<std::int32_t>(image.rows());
  const auto colors = static_cast<std::int32_t>(image.colorMapSize());
  GlobalBlock result = NewIndexedPicture(width, height, colors);
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  const PictureLayout layout = *ReadPictureLayout(target.get(), result.size());
  const MagickCore::PixelPacket* colormap = image.constImage()->colormap;
  auto* table = reinterpret_cast<DibColor*>(target.get() + kDibHeaderSize);
  for (std::int32_t i = 0; i < colors; ++i) {
    table[i] = DibColor{ToByte(colormap[i].blue), ToByte(colormap[i].green), ToByte(colormap[i].red), 0};
  }
  if (image.getConstPixels(0, 0, image.columns(), image.rows()) == nullptr) return {};
  const MagickCore::IndexPacket* indexes = image.getConstIndexes();
  if (indexes == nullptr) return {};
  for (std::int32_t y = 0; y < height; ++y) {
    // The codec's rows are top-down; the picture's are bottom-up.
    std::uint8_t* row = PictureRow(target.get(), layout, height - 1 - y);
    const MagickCore::IndexPacket* in = indexes + static_cast<std::size_t>(y) * width;
    for (std::int32_t x = 0; x < width; ++x) {
      row[x] = in[x] < colors ? static_cast<std::uint8_t>(in[x]) : 0;
    }
  }
  return result;
}

GlobalBlock TrueColorFromMagick(Magick::Image& image) {
  const auto width = static_cast<std::int32_t>(image.columns());
  const auto height = static_cast<std::int32_t>(image.rows());
  GlobalBlock result = NewTrueColorPicture(width, height);
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  const PictureLayout layout = *ReadPictureLayout(target.get(), result.size());
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(height));
  image.write(0, 0, image.columns(), image.rows(), "BGR", Magick::CharPixel, pixels.data());
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(PictureRow(target.get(), layout, height - 1 - y), pixels.data() + rowBytes * y, rowBytes);
  }
  return result;
}

GlobalBlock PictureFromMagick(Magick::Image& image, StillImageFormat format) {
  if (!IsAcceptedImageSize(static_cast<std::int64_t>(image.columns()), static_cast<std::int64_t>(image.rows()))) {
    return {};
  }
  // TGA files may store their rows from the bottom or from the top.
  if (format == StillImageFormat::Tga) image.autoOrient();
  const MagickCore::ColorspaceType space = image.colorSpace();
  if (space != MagickCore::sRGBColorspace && space != MagickCore::GRAYColorspace) {
    image.colorSpace(MagickCore::sRGBColorspace);  // Photo CD YCC, CMYK and the like
  } else if (image.classType() == MagickCore::PseudoClass && image.colorMapSize() >= 1 && image.colorMapSize() <= 256) {
    return IndexedFromMagick(image);
  }
  return TrueColorFromMagick(image);
}

Magick::Image TrueColorToMagick(const std::uint8_t* picture, const PictureLayout& layout) {
  const std::size_t rowBytes = static_cast<std::size_t>(layout.width) * 3;
  std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(layout.height));
  for (std::int32_t y = 0; y < layout.height; ++y) {
    std::memcpy(pixels.data() + rowBytes * y, PictureRow(picture, layout, layout.height - 1 - y), rowBytes);
  }
  Magick::Image image;
  image.read(static_cast<std::size_t>(layout.width), static_cast<std::size_t>(layout.height), "BGR", Magick::CharPixel,
             pixels.data());
  return image;
}

Magick::Image IndexedToMagick(const std::uint8_t* picture, const PictureLayout& layout) {
  // The whole 256-entry table goes along: every index is then valid, and
  // the encoders write 8-bit files rather than 1- or 4-bit ones.
  constexpr std::int32_t colors = 256;
  Magick::Image image(Magick::Geometry(static_cast<std::size_t>(layout.width), static_cast<std::size_t>(layout.height)),
                      Magick::Color(0, 0, 0));
  image.modifyImage();
  MagickCore::Image* core = image.image();
  if (MagickCore::AcquireImageColormap(core, static_cast<std::size_t>(colors)) == MagickCore::MagickFalse) {
    throw Magick::ErrorResourceLimit("no memory for the colour map");
  }
  const auto* table = reinterpret_cast<const DibColor*>(picture + kDibHeaderSize);
  for (std::int32_t i = 0; i < colors; ++i) {
    core->colormap[i].red = ToQuantum(table[i].red);
    core->colormap[i].green = ToQuantum(table[i].green);
    core->colormap[i].blue = ToQuantum(table[i].blue);
    core->colormap[i].opacity = 0;
  }
  MagickCore::PixelPacket* pixels = image.getPixels(0, 0, image.columns(), image.rows());
  MagickCore::IndexPacket* indexes = image.getIndexes();
  if (pixels == nullptr || indexes == nullptr) throw Magick::ErrorResourceLimit("no memory for the pixels");
  for (std::int32_t y = 0; y < layout.height; ++y) {
    const std::uint8_t* row = PictureRow(picture, layout, layout.height - 1 - y);
    const std::size_t start = static_cast<std::size_t>(y) * layout.width;
    for (std::int32_t x = 0; x < layout.width; ++x) {
      indexes[start + x] = row[x];
      pixels[start + x] = core->colormap[row[x]];
    }
  }
  image.syncPixels();
  return image;
}

Magick::Image PictureToMagick(const std::uint8_t* picture, const PictureLayout& layout) {
  return layout.bitsPerPixel == 8 ? IndexedToMagick(picture, layout) : TrueColorToMagick(picture, layout);
}

// An 8-bit picture of the 24-bit picture's own colours when it has at most
// `colors` of them.
GlobalBlock ExactIndexedPicture(const std::uint8_t* picture, const PictureLayout& layout, int colors) {
  std::vector<std::uint32_t> palette;  // 0xRRGGBB, in order of first use
  std::vector<std::uint8_t> indexes(static_cast<std::size_t>(layout.width) * layout.height);
  std::uint32_t lastColor = 0xFFFFFFFF;
  std::uint8_t lastIndex = 0;
  for (std::int32_t y = 0; y < layout.height; ++y) {
    const std::uint8_t* row = PictureRow(picture, layout, y);
    for (std::int32_t x = 0; x < layout.width; ++x) {
      const std::uint32_t color = row[3 * x] | (row[3 * x + 1] << 8) | (row[3 * x + 2] << 16);
      if (color != lastColor) {
        std::size_t i = 0;
        while (i < palette.size() && palette[i] != color) ++i;
        if (i == palette.size()) {
          if (palette.size() == static_cast<std::size_t>(colors)) return {};
          palette.push_back(color);
        }
        lastColor = color;
        lastIndex = static_cast<std::uint8_t>(i);
      }
      indexes[static_cast<std::size_t>(y) * layout.width + x] = lastIndex;
    }
  }
  GlobalBlock result = NewIndexedPicture(layout.width, layout.height, static_cast<std::int32_t>(palette.size()));
  GlobalLockGuard<> target(result.get());
  if (!target) return {};
  const PictureLayout out = *ReadPictureLayout(target.get(), result.size());
  auto* table = reinterpret_cast<DibColor*>(target.get() + kDibHeaderSize);
  for (std::size_t i = 0; i < palette.size(); ++i) {
    table[i] = DibColor{static_cast<std::uint8_t>(palette[i]), static_cast<std::uint8_t>(palette[i] >> 8),
                        static_cast<std::uint8_t>(palette[i] >> 16), 0};
  }
  for (std::int32_t y = 0; y < layout.height; ++y) {
    std::memcpy(PictureRow(target.get(), out, y), indexes.data() + static_cast<std::size_t>(y) * layout.width,
                static_cast<std::size_t>(layout.width));
  }
  return result;
}

void SetError(std::string* error, std::string_view text) {
  if (error != nullptr) *error = text;
}

}  // namespace

void InitializeImageCodecs() {
  static std::once_flag once;
  std::call_once(once, [] {
    Magick::InitializeMagick(nullptr);
    Magick::ResourceLimits::width(kMaxImageSide);
    Magick::ResourceLimits::height(kMaxImageSide);
  });
}

GlobalBlock DecodeStillImage(std::string_view bytes, StillImageFormat format, std::string* error) {
  InitializeImageCodecs();
  try {
    Magick::Blob blob(bytes.data(), bytes.size());
    Magick::Image image;
    image.magick(DecoderName(format, bytes));
    // Only the first picture of a file with several; a Photo CD file holds
    // one picture at several resolutions and its default is the base one.
    if (format != StillImageFormat::Pcd) {
      image.subImage(0);
      image.subRange(1);
    }
    try {
      image.read(blob);
    } catch (const Magick::WarningCorruptImage&) {
      throw;  // truncated or damaged data: the picture is incomplete
    } catch (const Magick::Warning&) {
      // Harmless remarks (unknown tags and the like): the picture is whole.
    }
    if (image.columns() == 0 || image.rows() == 0) {
      SetError(error, "the file holds no picture");
      return {};
    }
    GlobalBlock picture = PictureFromMagick(image, format);
    if (!picture) SetError(error, "the picture is too large");
    return picture;
  } catch (const Magick::Exception& e) {
    SetError(error, e.what());
  } catch (const std::exception& e) {
    SetError(error, e.what());
  }
  return {};
}

std::optional<std::string> EncodeStillImage(const std::uint8_t* picture, std::size_t bytes, StillImageFormat format,
                                            int option, int jpegQuality, std::string* error) {
  const auto layout = ReadPictureLayout(picture, bytes);
  if (!layout || !CanSaveStillImageFormat(format)) {
    SetError(error, "no picture or a format that cannot be written");
    return std::nullopt;
  }
  InitializeImageCodecs();
  try {
    Magick::Image image = PictureToMagick(picture, *layout);
    const bool indexed = layout->bitsPerPixel == 8;
    image.depth(8);
    image.type(indexed ? Magick::PaletteType : Magick::TrueColorType);
    image.compressType(Magick::NoCompression);
    std::string encoder;
    switch (format) {
      case StillImageFormat::Bmp:
        encoder = "BMP3";  // the 40-byte info header
        if (indexed && option == kSaveBmpRle8) image.compressType(Magick::RLECompression);
        break;
      case StillImageFormat::Gif:
        encoder = "GIF";
        break;
      case StillImageFormat::Pcx:
        encoder = "PCX";
        break;
      case StillImageFormat::Tga:
        encoder = "TGA";
        image.orientation(Magick::TopLeftOrientation);  // rows stored top first, flagged as such
        break;
      case StillImageFormat::Tiff:
        encoder = "TIFF";
        if (option == kSaveTifLzw) image.compressType(Magick::LZWCompression);
        break;
      case StillImageFormat::Jpeg:
        encoder = "JPEG";
        image.type(Magick::TrueColorType);
        image.quality(static_cast<std::size_t>(jpegQuality));
        break;
      case StillImageFormat::Pict:
        encoder = "PICT";
        break;
      default:
        break;
    }
    Magick::Blob blob;
    image.write(&blob, encoder);
    if (blob.length() == 0) {
      SetError(error, "the encoder wrote nothing");
      return std::nullopt;
    }
    return std::string(static_cast<const char*>(blob.data()), blob.length());
  } catch (const Magick::Exception& e) {
    SetError(error, e.what());
  } catch (const std::exception& e) {
    SetError(error, e.what());
  }
  return std::nullopt;
}

GlobalBlock QuantizePicture(const std::uint8_t* picture, std::size_t bytes, int colors, bool dither,
                            std::string* error) {
  const auto layout = ReadPictureLayout(picture, bytes);
  if (!layout || layout->bitsPerPixel != 24 || colors < 1 || colors > 256) {
    SetError(error, "no 24-bit picture or a colour count outside 1..256");
    return {};
  }
  if (GlobalBlock exact = ExactIndexedPicture(picture, *layout, colors)) return exact;
  InitializeImageCodecs();
  try {
    Magick::Image image = TrueColorToMagick(picture, *layout);
    image.quantizeColors(static_cast<std::size_t>(colors));
    image.quantizeDither(dither);
    if (dither) image.quantizeDitherMethod(MagickCore::FloydSteinbergDitherMethod);
    image.quantize();
    if (image.classType() != MagickCore::PseudoClass || image.colorMapSize() < 1 ||
        image.colorMapSize() > static_cast<std::size_t>(colors)) {
      SetError(error, "the quantiser gave no palette picture");
      return {};
    }
    return IndexedFromMagick(image);
  } catch (const Magick::Exception& e) {
    SetError(error, e.what());
  } catch (const std::exception& e) {
    SetError(error, e.what());
  }
  return {};
}

}  // namespace sprocket
