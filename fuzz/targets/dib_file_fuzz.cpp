// The .bmp/.dib reader on any file, read from its start or from a position
// inside it (as a caller with an open file does); every picture read has its
// pixels looked at, is written out again and must read back the same.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "fuzz_input.h"
#include "imagelib/formats/dib_file.h"
#include "imagelib/formats/dib_palette.h"
#include "imagelib/formats/dib_pixels.h"

namespace {

using namespace sprocket;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

GlobalBlock OpenAt(const std::string& path, long position) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file || std::fseek(file.get(), position, SEEK_SET) != 0) return {};
  return OpenDibFile(file.get());
}

// Every pixel of an uncompressed picture, bottom row first; nothing for
// run-length rows and pictures without a usable table.
std::optional<std::vector<BgrPixel>> Pixels(HGLOBAL dib) {
  GlobalLockGuard<std::uint8_t> lock(dib);
  const std::optional<DibPixelReader> reader = DibPixelReader::Open(lock.get());
  if (!reader) return std::nullopt;
  std::vector<BgrPixel> pixels;
  const PictureGeometry& geometry = reader->Geometry();
  for (std::int32_t y = 0; y < geometry.height; ++y) {
    for (std::int32_t x = 0; x < geometry.width; ++x) pixels.push_back(reader->At(x, y));
  }
  return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file(".bmp");
  static const fuzz::ScratchFile written(".written.bmp");
  fuzz::InputBytes input(data, size);
  const long skip = input.U8() % 8;  // bytes of something else before the picture
  if (!file.Write(input.Rest())) return 0;
  GlobalBlock dib = OpenAt(file.Path(), skip);
  if (!dib) return 0;
  CreateDibPalette(GlobalLockGuard<std::uint8_t>(dib.get()).get());
  // Pictures too large to walk quickly are only read.
  if (GlobalSize(dib.get()) > (1u << 20)) return 0;
  const std::optional<std::vector<BgrPixel>> pixels = Pixels(dib.get());
  if (!pixels || WriteDibFile(written.Path(), dib.get()) != 1) return 0;
  GlobalBlock again = OpenDibFile(written.Path());
  if (!again) {
    std::fprintf(stderr, "a written picture does not open again\n");
    std::abort();
  }
  const std::optional<std::vector<BgrPixel>> pixelsAgain = Pixels(again.get());
  if (!pixelsAgain || *pixelsAgain != *pixels) {
    std::fprintf(stderr, "a written picture reads back with other pixels\n");
    std::abort();
  }
  return 0;
}
