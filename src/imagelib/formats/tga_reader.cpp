#include "imagelib/formats/tga_reader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/global_memory.h"

namespace sprocket {

namespace {

constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kProbeBytes = 20;
constexpr std::size_t kBytesPerPixel = 4;
constexpr std::uint8_t kTypeTrueColour = 2;
constexpr std::uint8_t kTypeRunLength = 10;
constexpr std::size_t kNowhere = SIZE_MAX;

struct TgaHeader {
  std::size_t idLength = 0;
  std::uint8_t imageType = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint8_t pixelDepth = 0;
  std::uint8_t descriptor = 0;
};

std::uint32_t ReadU16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return bytes[offset] | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8);
}

TgaHeader ParseHeader(const std::vector<std::uint8_t>& file) {
  TgaHeader header;
  header.idLength = file[0];
  header.imageType = file[2];
  header.width = ReadU16(file, 12);
  header.height = ReadU16(file, 14);
  header.pixelDepth = file[16];
  header.descriptor = file[17];
  return header;
}

// More than the largest picture's pixels, packets, ID field and footer take.
constexpr std::uint64_t kMaxFileBytes = 5 * kMaxTgaPixels + (std::uint64_t{1} << 16);

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff length = in.tellg();
  if (length < 0 || static_cast<std::uint64_t>(length) > kMaxFileBytes) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), length);
  if (in.gcount() != length) return std::nullopt;
  return bytes;
}

// Where the i-th decoded pixel goes in the bottom-up, left-to-right picture,
// by the origin code (descriptor >> 4): 0 bottom-left as decoded, 1 each row
// mirrored, 2 rows in reverse order, 3 the whole sequence reversed. Higher
// codes place nothing.
class PixelPlacer {
public:
  PixelPlacer(std::size_t width, std::size_t height, int origin) : width_(width), height_(height), origin_(origin) {}

  std::size_t Place(std::size_t index) const {
    const std::size_t row = index / width_;
    const std::size_t column = index % width_;
    switch (origin_) {
      case 0:
        return index;
      case 1:
        return row * width_ + (width_ - 1 - column);
      case 2:
        return (height_ - 1 - row) * width_ + column;
      case 3:
        return width_ * height_ - 1 - index;
      default:
        return kNowhere;
    }
  }

private:
  std::size_t width_;
  std::size_t height_;
  int origin_;
};

// Writes decoded pixels into the colour and mask pictures.
class PictureWriter {
public:
  PictureWriter(std::uint8_t* colour, std::uint8_t* mask, const PixelPlacer& placer, bool weightMask)
      : colour_(colour), mask_(mask), placer_(placer), weightMask_(weightMask) {}

  void Store(std::size_t index, const std::uint8_t* bgra) {
    const std::size_t at = placer_.Place(index);
    if (at == kNowhere) return;
    std::uint8_t* c = colour_ + at * 3;
    std::uint8_t* m = mask_ + at * 3;
    c[0] = bgra[0];
    c[1] = bgra[1];
    c[2] = bgra[2];
    const std::uint8_t alpha = bgra[3];
    const std::uint8_t grey = weightMask_ ? static_cast<std::uint8_t>((alpha + 1) / 2) : alpha;
    m[0] = grey;
    m[1] = grey;
    m[2] = alpha;
  }

private:
  std::uint8_t* colour_;
  std::uint8_t* mask_;
  PixelPlacer placer_;
  bool weightMask_;
};

bool DecodeTrueColour(const std::uint8_t* data, std::size_t available, std::size_t pixels, PictureWriter& writer) {
  if (available / kBytesPerPixel < pixels) return false;
  for (std::size_t i = 0; i < pixels; ++i) writer.Store(i, data + i * kBytesPerPixel);
  return true;
}

// Run-length packets: a header byte with bit 7 set is a run of
// (byte & 0x7F) + 1 copies of the one pixel that follows; with bit 7 clear,
// byte + 1 literal pixels follow. A packet that passes the picture's end or
// the file's end fails.
bool DecodeRunLength(const std::uint8_t* data, std::size_t available, std::size_t pixels, PictureWriter& writer) {
  std::size_t pos = 0;
  std::size_t stored = 0;
  while (stored < pixels) {
    if (pos >= available) return false;
    const std::uint8_t packet = data[pos++];
    const std::size_t count = (packet & 0x7Fu) + 1u;
    if (count > pixels - stored) return false;
    const bool run = (packet & 0x80u) != 0;
    const std::size_t bytes = run ? kBytesPerPixel : count * kBytesPerPixel;
    if (bytes > available - pos) return false;
    for (std::size_t k = 0; k < count; ++k) {
      writer.Store(stored + k, data + pos + (run ? 0 : k * kBytesPerPixel));
    }
    pos += bytes;
    stored += count;
  }
  return true;
}

// The fewest file bytes that can describe `pixels` pixels of the type; for
// the types read as black pictures, the fewest of any type (runs of 128
// one-byte pixels), so that the pictures made stay in proportion to the file.
std::uint64_t MinimumPixelBytes(std::uint8_t imageType, std::uint64_t pixels) {
  if (imageType == kTypeTrueColour) return pixels * kBytesPerPixel;
  if (imageType == kTypeRunLength) return (pixels + 127) / 128 * (1 + kBytesPerPixel);
  return (pixels + 127) / 128 * 2;
}

DibInfoHeader TgaDibHeader(std::uint32_t width, std::uint32_t height) {
  DibInfoHeader header;
  header.biSize = kDibHeaderSize;
  header.biWidth = static_cast<std::int32_t>(width);
  header.biHeight = static_cast<std::int32_t>(height);
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = 3 * width * height;
  return header;
}

}  // namespace

bool IsTga32(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::array<char, kProbeBytes> probe{};
  in.read(probe.data(), probe.size());
  return in.gcount() == static_cast<std::streamsize>(kProbeBytes) && probe[16] == 32;
}

int ReadTgaToDib(const std::string& path, std::uint8_t** colour, std::uint8_t** mask, const int* flag) {
  if (colour == nullptr || mask == nullptr) return kTgaFailed;
  const std::optional<std::vector<std::uint8_t>> file = ReadWholeFile(path);
  if (!file || file->size() < kHeaderBytes) return kTgaFailed;
  const TgaHeader tga = ParseHeader(*file);
  const std::uint64_t pixels = std::uint64_t{tga.width} * tga.height;
  if (pixels == 0 || pixels > kMaxTgaPixels) return kTgaFailed;

  const bool decodable = tga.imageType == kTypeTrueColour || tga.imageType == kTypeRunLength;
  const std::size_t dataOffset = kHeaderBytes + tga.idLength;
  if (decodable && tga.pixelDepth != 32) return kTgaFailed;
  if (dataOffset > file->size() || MinimumPixelBytes(tga.imageType, pixels) > file->size() - dataOffset) {
    return kTgaFailed;
  }

  const DibInfoHeader header = TgaDibHeader(tga.width, tga.height);
  const std::size_t blockBytes = kDibHeaderSize + std::size_t{header.biSizeImage};
  GlobalBlock colourBlock = GlobalBlock::Allocate(blockBytes);
  GlobalBlock maskBlock = GlobalBlock::Allocate(blockBytes);
  if (!colourBlock || !maskBlock) return kTgaFailed;
  {
    GlobalLockGuard<> colourBytes(colourBlock.get());
    GlobalLockGuard<> maskBytes(maskBlock.get());
    if (!colourBytes || !maskBytes) return kTgaFailed;
    WriteDibHeader(colourBytes.get(), header);
    WriteDibHeader(maskBytes.get(), header);
    if (decodable) {
      const PixelPlacer placer(tga.width, tga.height, tga.descriptor >> 4);
      const bool weightMask = flag != nullptr && *flag != 0;
      PictureWriter writer(colourBytes.get() + kDibHeaderSize, maskBytes.get() + kDibHeaderSize, placer, weightMask);
      const std::uint8_t* data = file->data() + dataOffset;
      const std::size_t available = file->size() - dataOffset;
      const bool decoded = tga.imageType == kTypeTrueColour ? DecodeTrueColour(data, available, pixels, writer)
                                                            : DecodeRunLength(data, available, pixels, writer);
      if (!decoded) return kTgaFailed;
    }
  }
  *colour = static_cast<std::uint8_t*>(GlobalLock(colourBlock.release()));
  *mask = static_cast<std::uint8_t*>(GlobalLock(maskBlock.release()));
  return kTgaRead;
}

}  // namespace sprocket
