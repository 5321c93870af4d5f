#include "imagelib/formats/dib_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/formats/dib_pixels.h"
#include "locked_picture.h"
#include "outside_tools.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/le_bytes.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::LockedPicture;
using testing::RunCommand;
using testing::TempDir;
using testing::ToolAvailable;

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The pixels of an uncompressed DIB as red, green, blue bytes, top row first.
Bytes RgbTopDown(HGLOBAL dib) {
  GlobalLockGuard<std::uint8_t> lock(dib);
  const std::optional<DibPixelReader> reader = DibPixelReader::Open(lock.get());
  if (!reader) return {};
  Bytes rgb;
  for (std::int32_t y = reader->Geometry().height - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < reader->Geometry().width; ++x) {
      const BgrPixel pixel = reader->At(x, y);
      rgb.insert(rgb.end(), {pixel.red, pixel.green, pixel.blue});
    }
  }
  return rgb;
}

// A picture with many colours, written as a binary PPM for ImageMagick.
std::filesystem::path WritePattern(const TempDir& dir, int width, int height) {
  std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ppm += {static_cast<char>(x * 25), static_cast<char>(y * 50), static_cast<char>(x * y * 13)};
    }
  }
  return dir.Write("pattern.ppm", ppm);
}

TEST(DibFile, WrittenFilesAreReadBackByImageMagickAndTheImageFileLibrary) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir dir;
  // Padded and unpadded rows of an odd width; the file always has padded rows.
  for (const int stride : {0, 15}) {
    LockedPicture picture = LockedPicture::Rgb(5, 3, stride);
    picture.FillRandom(21);
    const auto path = dir / ("written" + std::to_string(stride) + ".bmp");
    ASSERT_EQ(WriteDibFile(path, picture.handle()), 1);

    const Bytes file = ReadFileBytes(path);
    ASSERT_EQ(file.size(), 54u + 16 * 3);
    EXPECT_EQ(ReadLe16(file.data()), 0x4D42);
    EXPECT_EQ(ReadLe32(file.data() + 2), file.size());
    EXPECT_EQ(ReadLe32(file.data() + 10), 54u);
    EXPECT_EQ(ReadLe32(file.data() + 14 + 20), 48u);  // biSizeImage of padded rows

    const Bytes expected = RgbTopDown(picture.handle());
    const std::optional<std::string> magick = RunCommand("convert '" + path.string() + "' -depth 8 rgb:-");
    ASSERT_TRUE(magick);
    EXPECT_EQ(Bytes(magick->begin(), magick->end()), expected) << stride;

    ImageFileLibrary library;
    const ImageHandle image = library.Open(path);
    ASSERT_GT(image, 0);
    EXPECT_EQ(RgbTopDown(library.GetDib(image, nullptr, nullptr, nullptr)), expected);
    library.Free(image);

    GlobalBlock read = OpenDibFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(RgbTopDown(read.get()), expected);
  }
}

TEST(DibFile, FilesMadeByImageMagickReadWithTheirPixels) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir dir;
  const auto pattern = WritePattern(dir, 9, 5);
  struct Case {
    std::string name;
    std::string options;
    int bits;
  };
  // BMP2 writes the 12-byte core header, BMP3 the 40-byte header.
  const Case cases[] = {
      {"BMP3:t24.bmp", "-type TrueColor", 24},       {"BMP3:t8.bmp", "-colors 40 -type Palette -compress None", 8},
      {"BMP3:t4.bmp", "-colors 9 -type Palette", 4}, {"BMP3:t1.bmp", "-colors 2 -type Palette", 1},
      {"BMP2:c24.bmp", "-type TrueColor", 24},       {"BMP2:c8.bmp", "-colors 40 -type Palette", 8},
      {"BMP2:c4.bmp", "-colors 9 -type Palette", 4}, {"BMP2:c1.bmp", "-colors 2 -type Palette", 1},
  };
  for (const Case& test : cases) {
    const auto path = dir / test.name.substr(5);
    ASSERT_TRUE(RunCommand("convert '" + pattern.string() + "' " + test.options + " '" + test.name.substr(0, 5) +
                           path.string() + "'"));
    GlobalBlock dib = OpenDibFile(path);
    ASSERT_TRUE(dib) << test.name;
    const DibInfoHeader header = ReadDibHeader(GlobalLockGuard<std::uint8_t>(dib.get()).get());
    EXPECT_EQ(header.biSize, 40u) << test.name;
    EXPECT_EQ(header.biBitCount, test.bits) << test.name;
    if (test.name[3] == '2' && test.bits <= 8) {
      EXPECT_EQ(header.biClrUsed, 1u << test.bits) << test.name;  // a core table widened to 4-byte entries
    }
    const std::optional<std::string> magick = RunCommand("convert '" + path.string() + "' -depth 8 rgb:-");
    ASSERT_TRUE(magick);
    EXPECT_EQ(RgbTopDown(dib.get()), Bytes(magick->begin(), magick->end())) << test.name;
  }
}

TEST(DibFile, HeadersAreReadFromTheFilesPositionWithOrWithoutAFileHeader) {
  TempDir dir;
  LockedPicture picture = LockedPicture::Mask8(3, 2);
  picture.FillRandom(5);
  const auto path = dir / "mask.bmp";
  ASSERT_EQ(WriteDibFile(path, picture.handle()), 1);
  const Bytes file = ReadFileBytes(path);
  // Five bytes of something else first; once with, once without the file header.
  for (const std::size_t skip : {std::size_t{0}, std::size_t{14}}) {
    Bytes shifted = {1, 2, 3, 4, 5};
    shifted.insert(shifted.end(), file.begin() + static_cast<std::ptrdiff_t>(skip), file.end());
    const auto shiftedPath = dir / "shifted.bin";
    WriteFileBytes(shiftedPath, shifted);
    std::FILE* in = std::fopen(shiftedPath.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(std::fseek(in, 5, SEEK_SET), 0);
    GlobalBlock dib = OpenDibFile(in);
    std::fclose(in);
    ASSERT_TRUE(dib) << skip;
    EXPECT_EQ(RgbTopDown(dib.get()), RgbTopDown(picture.handle())) << skip;
  }
}

TEST(DibFile, DamagedFilesAreRefused) {
  TempDir dir;
  LockedPicture picture = LockedPicture::Mask8(4, 3);
  const auto good = dir / "good.bmp";
  ASSERT_EQ(WriteDibFile(good, picture.handle()), 1);
  const Bytes file = ReadFileBytes(good);  // 14 + 40 + 1024 + 12 bytes
  const std::size_t info = 14;
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
  };
  const Case cases[] = {
      {"cut in the file header", [](Bytes& b) { b.resize(10); }},
      {"cut in the info header", [](Bytes& b) { b.resize(30); }},
      {"cut in the colour table", [](Bytes& b) { b.resize(500); }},
      {"cut in the bits", [](Bytes& b) { b.resize(b.size() - 1); }},
      {"huge width", [&](Bytes& b) { WriteLe32(b.data() + info + 4, 0x7FFFFFFF); }},
      {"huge height", [&](Bytes& b) { WriteLe32(b.data() + info + 8, 0x40000000); }},
      {"negative height", [&](Bytes& b) { WriteLe32(b.data() + info + 8, static_cast<std::uint32_t>(-3)); }},
      {"no width", [&](Bytes& b) { WriteLe32(b.data() + info + 4, 0); }},
      {"two planes", [&](Bytes& b) { WriteLe16(b.data() + info + 12, 2); }},
      {"bit count 7", [&](Bytes& b) { WriteLe16(b.data() + info + 14, 7); }},
      {"bit count 0", [&](Bytes& b) { WriteLe16(b.data() + info + 14, 0); }},
      {"jpeg compression", [&](Bytes& b) { WriteLe32(b.data() + info + 16, 4); }},
      {"size image too small", [&](Bytes& b) { WriteLe32(b.data() + info + 20, 8); }},
      {"size image past the end", [&](Bytes& b) { WriteLe32(b.data() + info + 20, 0x7FFFFFF0); }},
      {"too many colours", [&](Bytes& b) { WriteLe32(b.data() + info + 32, 257); }},
      {"huge colour count", [&](Bytes& b) { WriteLe32(b.data() + info + 32, 0xFFFFFFFF); }},
      {"header size 200", [&](Bytes& b) { WriteLe32(b.data() + info, 200); }},
      {"header size 20", [&](Bytes& b) { WriteLe32(b.data() + info, 20); }},
      {"bits offset past the end", [](Bytes& b) { WriteLe32(b.data() + 10, 0x10000); }},
      {"bits offset inside the table", [](Bytes& b) { WriteLe32(b.data() + 10, 60); }},
  };
  ASSERT_TRUE(OpenDibFile(good));
  for (const Case& test : cases) {
    Bytes damaged = file;
    test.damage(damaged);
    const auto path = dir / "damaged.bmp";
    WriteFileBytes(path, damaged);
    EXPECT_FALSE(OpenDibFile(path)) << test.what;
  }
  EXPECT_FALSE(OpenDibFile(dir / "missing.bmp"));
  EXPECT_FALSE(OpenDibFile(dir.path()));  // a folder is not a file
}

TEST(DibFile, WritesThatFailReportZeroAndLeaveNoFile) {
  TempDir dir;
  LockedPicture picture = LockedPicture::Rgb(64, 64);
  EXPECT_EQ(WriteDibFile(dir / "no" / "folder.bmp", picture.handle()), 0);
  EXPECT_EQ(WriteDibFile(dir / "empty.bmp", nullptr), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "empty.bmp"));
  if (std::FILE* full = std::fopen("/dev/full", "wb")) {
    EXPECT_EQ(WriteDibFile(full, picture.handle()), 0);  // the disk is full
    std::fclose(full);
  }
  DibInfoHeader header = picture.Header();
  header.biHeight = 0;
  WriteDibHeader(picture.data(), header);
  EXPECT_EQ(WriteDibFile(dir / "bad.bmp", picture.handle()), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.bmp"));
}

// A .bmp file laid out by hand: the file header (or none), a bitmap header
// of `headerBytes` (12: the core form), the colour table of `colours`
// entries (i * 50, 255 - i, 7 + i) and the rows, every byte i * 29 + 3.
struct BmpLayout {
  std::uint32_t headerBytes = 40;
  int bitCount = 24;
  std::int32_t width = 2;
  std::int32_t height = 3;
  std::uint32_t colours = 0;  // biClrUsed
  std::uint32_t compression = 0;
  bool fileHeader = true;

  std::uint32_t TableEntries() const { return colours != 0 ? colours : bitCount <= 8 ? 1u << bitCount : 0; }
  std::size_t RowBytes() const { return static_cast<std::size_t>((bitCount * width + 31) / 32 * 4); }
  Bytes File() const {
    const bool core = headerBytes == 12;
    Bytes header(headerBytes, 0);
    WriteLe32(header.data(), headerBytes);
    if (core) {
      WriteLe16(header.data() + 4, static_cast<std::uint16_t>(width));
      WriteLe16(header.data() + 6, static_cast<std::uint16_t>(height));
      WriteLe16(header.data() + 8, 1);
      WriteLe16(header.data() + 10, static_cast<std::uint16_t>(bitCount));
    } else {
      DibInfoHeader info;
      info.biSize = headerBytes;
      info.biWidth = width;
      info.biHeight = height;
      info.biPlanes = 1;
      info.biBitCount = static_cast<std::uint16_t>(bitCount);
      info.biCompression = compression;
      info.biClrUsed = colours;
      WriteDibHeader(header.data(), info);
    }
    for (std::uint32_t i = 0; i < TableEntries(); ++i) {
      header.insert(header.end(), {static_cast<std::uint8_t>(i * 50), static_cast<std::uint8_t>(255 - i),
                                   static_cast<std::uint8_t>(7 + i)});
      if (!core) header.push_back(0);
    }
    Bytes file;
    if (fileHeader) {
      file.resize(14, 0);
      file[0] = 'B';
      file[1] = 'M';
      WriteLe32(file.data() + 2, static_cast<std::uint32_t>(14 + header.size() + RowBytes() * height));
      WriteLe32(file.data() + 10, static_cast<std::uint32_t>(14 + header.size()));
    }
    file.insert(file.end(), header.begin(), header.end());
    for (std::size_t i = 0; i < RowBytes() * static_cast<std::size_t>(height); ++i) {
      file.push_back(static_cast<std::uint8_t>(i * 29 + 3));
    }
    return file;
  }
};

TEST(DibFile, BitsOfA24BitFileWithAColourTableStartAfterTheTable) {
  TempDir dir;
  // 14 + 40 + 2 x 4 + 3 rows of 8 bytes: the bottom row's first pixel is
  // the bits' first bytes (3, 32, 61), not the table's (0, 255, 7).
  const BmpLayout layout{.width = 2, .height = 3, .colours = 2};
  for (const bool fileHeader : {true, false}) {
    BmpLayout kind = layout;
    kind.fileHeader = fileHeader;
    const Bytes bytes = kind.File();
    ASSERT_EQ(bytes.size(), fileHeader ? 86u : 72u);
    const auto path = dir / "table.bmp";
    WriteFileBytes(path, bytes);
    GlobalBlock dib = OpenDibFile(path);
    ASSERT_TRUE(dib) << fileHeader;
    const Bytes rgb = RgbTopDown(dib.get());
    ASSERT_EQ(rgb.size(), 18u);
    // Bottom row, left pixel: blue 3, green 32, red 61 as red, green, blue.
    EXPECT_EQ(Bytes(rgb.end() - 6, rgb.end() - 3), (Bytes{61, 32, 3})) << fileHeader;
    // Top row, right pixel: bytes 19..21 of the bits.
    EXPECT_EQ(Bytes(rgb.begin() + 3, rgb.begin() + 6),
              (Bytes{(21 * 29 + 3) & 0xFF, (20 * 29 + 3) & 0xFF, (19 * 29 + 3) & 0xFF}))
        << fileHeader;
  }
}

TEST(DibFile, WhatTheWriterWritesOpensAgainForEveryHeaderKind) {
  TempDir dir;
  const BmpLayout kinds[] = {
      {.headerBytes = 12, .bitCount = 1, .width = 9},
      {.headerBytes = 12, .bitCount = 4, .width = 5},
      {.headerBytes = 12, .bitCount = 8},
      {.headerBytes = 12, .bitCount = 24, .width = 3},
      {.bitCount = 8, .width = 3, .colours = 7},
      {.bitCount = 4, .width = 7},
      {.bitCount = 24, .width = 2, .colours = 2},
      {.bitCount = 16, .width = 3},
      {.bitCount = 32, .width = 2, .colours = 3},
      {.headerBytes = 52, .bitCount = 24, .width = 3},
      {.headerBytes = 108, .bitCount = 32, .width = 2},
      {.headerBytes = 124, .bitCount = 8, .width = 5, .colours = 16},
  };
  for (const BmpLayout& kind : kinds) {
    const std::string what = std::to_string(kind.headerBytes) + "-byte header, " + std::to_string(kind.bitCount) +
                             " bits, " + std::to_string(kind.colours) + " colours";
    const auto original = dir / "original.bmp";
    WriteFileBytes(original, kind.File());
    GlobalBlock read = OpenDibFile(original);
    ASSERT_TRUE(read) << what;
    const auto written = dir / "written.bmp";
    ASSERT_EQ(WriteDibFile(written, read.get()), 1) << what;
    const Bytes file = ReadFileBytes(written);
    ASSERT_GE(file.size(), 54u) << what;
    EXPECT_EQ(ReadLe32(file.data() + 2), file.size()) << what;
    EXPECT_EQ(ReadLe32(file.data() + 10), file.size() - kind.RowBytes() * static_cast<std::size_t>(kind.height))
        << what;
    GlobalBlock again = OpenDibFile(written);
    ASSERT_TRUE(again) << what;
    EXPECT_EQ(RgbTopDown(again.get()), RgbTopDown(read.get())) << what;
    EXPECT_FALSE(RgbTopDown(again.get()).empty()) << what;
    const DibInfoHeader before = ReadDibHeader(GlobalLockGuard<std::uint8_t>(read.get()).get());
    const DibInfoHeader after = ReadDibHeader(GlobalLockGuard<std::uint8_t>(again.get()).get());
    EXPECT_EQ(after.biSize, before.biSize) << what;
    EXPECT_EQ(after.biClrUsed, before.biClrUsed) << what;
    EXPECT_EQ(GlobalSize(again.get()), GlobalSize(read.get())) << what;
  }
}

TEST(DibFile, TheWriterRefusesPicturesTheReaderWouldRefuse) {
  TempDir dir;
  const auto original = dir / "original.bmp";
  WriteFileBytes(original, BmpLayout{.bitCount = 8, .width = 3, .colours = 4}.File());
  struct Case {
    const char* what;
    std::uint32_t headerBytes;
    std::uint32_t colours;
  };
  // The header kept in a block long enough for the header and table claimed.
  for (const Case& test : {Case{"more colours than 8 bits index", 40, 300}, Case{"a 200-byte header", 200, 4}}) {
    GlobalBlock dib = OpenDibFile(original);
    ASSERT_TRUE(dib);
    DibInfoHeader header = ReadDibHeader(GlobalLockGuard<std::uint8_t>(dib.get()).get());
    const std::size_t bits = header.biSizeImage;
    header.biSize = test.headerBytes;
    header.biClrUsed = test.colours;
    ASSERT_NE(GlobalReAlloc(dib.get(), test.headerBytes + 4 * test.colours + bits, GMEM_MOVEABLE | GMEM_ZEROINIT),
              nullptr);
    WriteDibHeader(GlobalLockGuard<std::uint8_t>(dib.get()).get(), header);
    const auto path = dir / "refused.bmp";
    EXPECT_EQ(WriteDibFile(path, dib.get()), 0) << test.what;
    EXPECT_FALSE(std::filesystem::exists(path)) << test.what;
  }
}

}  // namespace
}  // namespace sprocket
