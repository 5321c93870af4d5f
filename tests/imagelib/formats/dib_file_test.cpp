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

}  // namespace
}  // namespace sprocket
