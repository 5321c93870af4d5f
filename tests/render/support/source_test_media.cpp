#include "source_test_media.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/media/avi_writer.h"
#include "render/flic/flic_reader.h"
#include "render/flic/flic_writer.h"
#include "render/picture/picture_ops.h"

namespace sprocket::testing {

GlobalBlock MakeCard(int index, int width, int height) {
  const int stride = PaddedStride24(width);
  GlobalBlock block = GlobalBlock::Allocate(kDibHeaderSize + static_cast<std::size_t>(stride) * height);
  GlobalLockGuard<std::uint8_t> data(block.get());
  WriteDibHeader(data.get(), MakeDib24Header(width, height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = data.get() + kDibHeaderSize + static_cast<std::size_t>(stride) * y;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<std::uint8_t>(index);
      row[x * 3 + 1] = static_cast<std::uint8_t>(x);
      row[x * 3 + 2] = static_cast<std::uint8_t>(y);
    }
  }
  return block;
}

Bgr PixelOf(const std::uint8_t* picture, int x, int y) {
  const std::optional<PictureGeometry> geometry = ReadPictureGeometry(picture);
  if (!geometry || x < 0 || y < 0 || x >= geometry->width || y >= geometry->height) return {};
  const std::uint8_t* row = geometry->Row(y);
  if (geometry->bitCount == 8) return {row[x], row[x], row[x]};
  if (geometry->bitCount != 24) return {};
  return {row[x * 3], row[x * 3 + 1], row[x * 3 + 2]};
}

GlobalBlock MakeFieldCard(int index, int width, int height) {
  GlobalBlock block = MakeCard(index, width, height);
  GlobalLockGuard<std::uint8_t> data(block.get());
  const int stride = PaddedStride24(width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = data.get() + kDibHeaderSize + static_cast<std::size_t>(stride) * y;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = y % 2 == 1 ? static_cast<std::uint8_t>(index) : 0;
      row[x * 3 + 1] = 0;
      row[x * 3 + 2] = y % 2 == 1 ? 200 : 0;
    }
  }
  return block;
}

GlobalBlock MakeFlatPicture(int width, int height, Bgr colour) {
  GlobalBlock block = MakeCard(0, width, height);
  GlobalLockGuard<std::uint8_t> data(block.get());
  const int stride = PaddedStride24(width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = data.get() + kDibHeaderSize + static_cast<std::size_t>(stride) * y;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<std::uint8_t>(colour.blue);
      row[x * 3 + 1] = static_cast<std::uint8_t>(colour.green);
      row[x * 3 + 2] = static_cast<std::uint8_t>(colour.red);
    }
  }
  return block;
}

std::string WritePictureAvi(const std::filesystem::path& path, int frames,
                            const std::function<GlobalBlock(int index)>& picture) {
  GlobalBlock first = picture(0);
  DibInfoHeader header;
  {
    GlobalLockGuard<std::uint8_t> data(first.get());
    header = ReadDibHeader(data.get());
  }
  AviVideoFormat format;
  format.width = header.biWidth;
  format.height = header.biHeight;
  format.compressor = MakeFourCC("DIB ");
  AviWriter writer;
  if (!writer.Open(path.string(), format, std::nullopt)) return writer.ErrorText();
  for (int i = 0; i < frames; ++i) {
    GlobalBlock block = i == 0 ? std::move(first) : picture(i);
    if (!writer.WriteFrame(block.get())) return writer.ErrorText();
  }
  return writer.Finish() ? std::string() : writer.ErrorText();
}

std::string WriteCardAvi(const std::filesystem::path& path, int frames, int width, int height, FourCC compressor,
                         int keyEvery) {
  AviVideoFormat format;
  format.width = width;
  format.height = height;
  format.rate = 25;
  format.scale = 1;
  format.compressor = compressor;
  format.keyFrameEvery = keyEvery;
  AviWriter writer;
  if (!writer.Open(path.string(), format, std::nullopt)) return writer.ErrorText();
  for (int i = 0; i < frames; ++i) {
    GlobalBlock card = MakeCard(i, width, height);
    if (!writer.WriteFrame(card.get())) return writer.ErrorText();
  }
  if (!writer.Finish()) return writer.ErrorText();
  return {};
}

std::string WriteCardFlc(const std::filesystem::path& path, int frames, int width, int height) {
  std::vector<std::uint8_t> palette(768);
  for (int i = 0; i < 256; ++i) palette[i * 3] = palette[i * 3 + 1] = palette[i * 3 + 2] = static_cast<std::uint8_t>(i);
  const int stride = (width + 3) / 4 * 4;
  FlcWriter writer;
  if (writer.Create(path.string(), width, height, 40) != kFlcDone) return "create failed";
  for (int i = 0; i < frames; ++i) {
    DibPicture picture = DibPicture::Grey8(width, height);
    for (int y = 0; y < height; ++y) {
      std::memset(picture.data() + kDibMaskPixelOffset + static_cast<std::size_t>(stride) * y, (i + y) & 255,
                  static_cast<std::size_t>(width));
    }
    const int result =
        writer.WriteFrame(i == 0 ? kFlicByteRun : kFlicWordDelta, picture.handle(), i == 0 ? palette.data() : nullptr);
    if (result != kFlcDone && result != kFlcChunkDropped) return "frame failed";
  }
  if (writer.Finish() != kFlcDone) return "finish failed";
  return {};
}

bool SaveStill(HGLOBAL picture, const std::filesystem::path& path) {
  const ImageHandle image = ImageFiles().DibToHandle(picture);
  if (image < 0) return false;
  const bool saved = ImageFiles().Save(image, path, -1) >= 0;
  ImageFiles().Free(image);
  return saved;
}

void WriteTga32(const std::filesystem::path& path, int width, int height,
                const std::function<int(int x, int y)>& alpha) {
  std::vector<std::uint8_t> bytes(18, 0);
  bytes[2] = 2;
  bytes[12] = static_cast<std::uint8_t>(width & 0xFF);
  bytes[13] = static_cast<std::uint8_t>(width >> 8);
  bytes[14] = static_cast<std::uint8_t>(height & 0xFF);
  bytes[15] = static_cast<std::uint8_t>(height >> 8);
  bytes[16] = 32;
  bytes[17] = 8;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bytes.push_back(static_cast<std::uint8_t>(x));
      bytes.push_back(static_cast<std::uint8_t>(y));
      bytes.push_back(77);
      bytes.push_back(static_cast<std::uint8_t>(alpha(x, y)));
    }
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace sprocket::testing
