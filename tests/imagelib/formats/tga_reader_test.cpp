#include "imagelib/formats/tga_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/pixel_types.h"
#include "locked_picture.h"
#include "outside_tools.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::LockedPicture;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

struct Bgra {
  std::uint8_t b, g, r, a;
};

Bytes TgaHeader(std::uint8_t type, int width, int height, std::uint8_t depth = 32, std::uint8_t descriptor = 8,
                std::uint8_t idLength = 0) {
  Bytes header(18, 0);
  header[0] = idLength;
  header[2] = type;
  header[12] = static_cast<std::uint8_t>(width & 0xFF);
  header[13] = static_cast<std::uint8_t>(width >> 8);
  header[14] = static_cast<std::uint8_t>(height & 0xFF);
  header[15] = static_cast<std::uint8_t>(height >> 8);
  header[16] = depth;
  header[17] = descriptor;
  return header;
}

void Append(Bytes& bytes, const Bgra& p) { bytes.insert(bytes.end(), {p.b, p.g, p.r, p.a}); }

Bytes RawTga(int width, int height, const std::vector<Bgra>& pixels, std::uint8_t descriptor = 8) {
  Bytes file = TgaHeader(2, width, height, 32, descriptor);
  for (const Bgra& p : pixels) Append(file, p);
  return file;
}

// The result of one read: both pictures, owned by the test.
struct TgaResult {
  int code = 1;
  std::uint8_t* colour = nullptr;
  std::uint8_t* mask = nullptr;
  std::vector<LockedPicture> owned;

  BgrPixel Colour(int x, int y) const { return PixelOf(colour, x, y); }
  BgrPixel Mask(int x, int y) const { return PixelOf(mask, x, y); }

  static BgrPixel PixelOf(const std::uint8_t* block, int x, int y) {
    const DibInfoHeader h = ReadDibHeader(block);
    const std::uint8_t* p = block + 40 + static_cast<std::size_t>(h.biWidth) * 3 * y + 3 * x;
    return BgrPixel{p[0], p[1], p[2]};
  }
};

class TgaReaderTest : public ::testing::Test {
protected:
  std::string WriteFile(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  TgaResult Read(const Bytes& bytes, const int* flag = nullptr) {
    return ReadPath(WriteFile("picture.tga", bytes), flag);
  }

  static TgaResult ReadPath(const std::string& path, const int* flag = nullptr) {
    TgaResult result;
    result.code = ReadTgaToDib(path, &result.colour, &result.mask, flag);
    if (result.code == kTgaRead) {
      result.owned.push_back(LockedPicture::Adopt(result.colour));
      result.owned.push_back(LockedPicture::Adopt(result.mask));
    }
    return result;
  }

  TempDir dir_;
};

TEST_F(TgaReaderTest, IsTga32LooksOnlyAtTwentyBytesAndThePixelDepth) {
  Bytes twenty(20, 0);
  twenty[16] = 32;
  EXPECT_TRUE(IsTga32(WriteFile("a.tga", twenty)));
  EXPECT_FALSE(IsTga32(WriteFile("b.tga", Bytes(twenty.begin(), twenty.begin() + 19))));
  twenty[16] = 24;
  EXPECT_FALSE(IsTga32(WriteFile("c.tga", twenty)));
  EXPECT_FALSE(IsTga32((dir_ / "missing.tga").string()));
}

TEST_F(TgaReaderTest, UncompressedPictureGivesUnpaddedColourAndGreyMask) {
  const std::vector<Bgra> pixels = {{1, 2, 3, 0},      {4, 5, 6, 1},      {7, 8, 9, 128},
                                    {10, 11, 12, 200}, {13, 14, 15, 254}, {16, 17, 18, 255}};
  const TgaResult result = Read(RawTga(3, 2, pixels));
  ASSERT_EQ(result.code, kTgaRead);
  for (const std::uint8_t* block : {result.colour, result.mask}) {
    EXPECT_EQ(GlobalSize(GlobalHandle(block)), 58u);
    EXPECT_EQ(GlobalLockCount(GlobalHandle(block)), 1);
    const DibInfoHeader h = ReadDibHeader(block);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biSizeImage, 18u);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);
  }
  for (int i = 0; i < 6; ++i) {
    const Bgra& p = pixels[i];
    EXPECT_EQ(result.Colour(i % 3, i / 3), (BgrPixel{p.b, p.g, p.r})) << i;
    EXPECT_EQ(result.Mask(i % 3, i / 3), (BgrPixel{p.a, p.a, p.a})) << i;
  }
}

TEST_F(TgaReaderTest, FlagMakesWeightsInHalvesRoundedInTheFirstBytes) {
  const int flag = 1;
  const TgaResult result =
      Read(RawTga(5, 1, {{0, 0, 0, 255}, {0, 0, 0, 1}, {0, 0, 0, 0}, {0, 0, 0, 2}, {0, 0, 0, 254}}), &flag);
  ASSERT_EQ(result.code, kTgaRead);
  EXPECT_EQ(result.Mask(0, 0), (BgrPixel{128, 128, 255}));
  EXPECT_EQ(result.Mask(1, 0), (BgrPixel{1, 1, 1}));
  EXPECT_EQ(result.Mask(2, 0), (BgrPixel{0, 0, 0}));
  EXPECT_EQ(result.Mask(3, 0), (BgrPixel{1, 1, 2}));
  EXPECT_EQ(result.Mask(4, 0), (BgrPixel{127, 127, 254}));
  const int zero = 0;
  const TgaResult plain = Read(RawTga(1, 1, {{0, 0, 0, 255}}), &zero);
  EXPECT_EQ(plain.Mask(0, 0), (BgrPixel{255, 255, 255}));
}

TEST_F(TgaReaderTest, IdFieldIsSkipped) {
  Bytes file = TgaHeader(2, 1, 1, 32, 8, 3);
  file.insert(file.end(), {'a', 'b', 'c'});
  Append(file, {9, 8, 7, 6});
  const TgaResult result = Read(file);
  ASSERT_EQ(result.code, kTgaRead);
  EXPECT_EQ(result.Colour(0, 0), (BgrPixel{9, 8, 7}));
  EXPECT_EQ(result.Mask(0, 0), (BgrPixel{6, 6, 6}));
}

TEST_F(TgaReaderTest, RunLengthPacketsGiveRunsAndLiterals) {
  Bytes file = TgaHeader(10, 6, 1);
  file.push_back(0x83);  // a run of four
  Append(file, {1, 2, 3, 4});
  file.push_back(0x00);  // one literal
  Append(file, {5, 6, 7, 8});
  file.push_back(0x80);  // a run of one
  Append(file, {9, 10, 11, 12});
  const TgaResult result = Read(file);
  ASSERT_EQ(result.code, kTgaRead);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(result.Colour(x, 0), (BgrPixel{1, 2, 3})) << x;
  EXPECT_EQ(result.Colour(4, 0), (BgrPixel{5, 6, 7}));
  EXPECT_EQ(result.Colour(5, 0), (BgrPixel{9, 10, 11}));
  EXPECT_EQ(result.Mask(3, 0), (BgrPixel{4, 4, 4}));
  EXPECT_EQ(result.Mask(5, 0), (BgrPixel{12, 12, 12}));

  Bytes literals = TgaHeader(10, 2, 2);
  literals.push_back(0x03);
  for (std::uint8_t i = 1; i <= 4; ++i) Append(literals, {i, i, i, i});
  const TgaResult four = Read(literals);
  ASSERT_EQ(four.code, kTgaRead);
  EXPECT_EQ(four.Colour(1, 1), (BgrPixel{4, 4, 4}));
}

TEST_F(TgaReaderTest, OriginCodesReorderIntoBottomUpLeftToRight) {
  // Decoded order p0 p1 / p2 p3 of a 2 x 2 picture; values at (x, y) after reading.
  const std::vector<Bgra> pixels = {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}};
  struct Case {
    std::uint8_t descriptor;
    std::vector<int> expected;  // blue of (0,0), (1,0), (0,1), (1,1)
  };
  const Case cases[] = {
      {0x08, {0, 1, 2, 3}},  // bottom-left: as stored
      {0x18, {1, 0, 3, 2}},  // bottom-right: rows mirrored
      {0x28, {2, 3, 0, 1}},  // top-left: row order reversed
      {0x38, {3, 2, 1, 0}},  // top-right: both
      {0x48, {0, 0, 0, 0}},  // interleave codes: black
  };
  for (const Case& c : cases) {
    const TgaResult result = Read(RawTga(2, 2, pixels, c.descriptor));
    ASSERT_EQ(result.code, kTgaRead) << int(c.descriptor);
    const std::vector<int> got = {result.Colour(0, 0).blue, result.Colour(1, 0).blue, result.Colour(0, 1).blue,
                                  result.Colour(1, 1).blue};
    EXPECT_EQ(got, c.expected) << "descriptor " << int(c.descriptor);
  }
}

TEST_F(TgaReaderTest, OtherImageTypesGiveBlackPictures) {
  Bytes file = TgaHeader(3, 2, 2, 8);
  file.insert(file.end(), 4, 0xFF);
  const TgaResult result = Read(file);
  ASSERT_EQ(result.code, kTgaRead);
  EXPECT_EQ(result.Colour(1, 1), (BgrPixel{0, 0, 0}));
  EXPECT_EQ(result.Mask(1, 1), (BgrPixel{0, 0, 0}));
  EXPECT_EQ(ReadDibHeader(result.colour).biSizeImage, 12u);
}

TEST_F(TgaReaderTest, BadFilesFailWithoutTouchingTheOutputs) {
  std::vector<std::pair<std::string, Bytes>> bad;
  Bytes shortHeader = TgaHeader(2, 1, 1);
  shortHeader.resize(17);
  bad.emplace_back("header cut short", shortHeader);
  Bytes truncated = RawTga(2, 2, {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}, {4, 4, 4, 4}});
  truncated.resize(truncated.size() - 1);
  bad.emplace_back("pixels cut short", truncated);
  Bytes idPastEnd = TgaHeader(2, 1, 1, 32, 8, 200);
  Append(idPastEnd, {1, 1, 1, 1});
  bad.emplace_back("id field past the end", idPastEnd);
  bad.emplace_back("zero width", TgaHeader(2, 0, 5));
  bad.emplace_back("zero height", TgaHeader(10, 5, 0));
  Bytes huge = TgaHeader(2, 65535, 65535);
  Append(huge, {1, 1, 1, 1});
  bad.emplace_back("oversized raw picture", huge);
  Bytes tooLong = TgaHeader(2, 16384, 16384);
  Append(tooLong, {1, 1, 1, 1});
  bad.emplace_back("raw pixels far beyond the file", tooLong);
  Bytes tooLongRle = TgaHeader(10, 16384, 16384);
  tooLongRle.push_back(0xFF);
  Append(tooLongRle, {1, 1, 1, 1});
  bad.emplace_back("run-length picture far beyond the file", tooLongRle);
  Bytes otherType = TgaHeader(3, 16384, 16384, 8);
  otherType.insert(otherType.end(), 4, 0xFF);
  bad.emplace_back("picture of another type far beyond the file", otherType);
  Bytes hugeRle = TgaHeader(10, 65535, 65535);
  hugeRle.push_back(0xFF);
  Append(hugeRle, {1, 1, 1, 1});
  bad.emplace_back("oversized run-length picture", hugeRle);
  bad.emplace_back("24-bit pixels", RawTga(1, 1, {{1, 2, 3, 4}}));
  bad.back().second[16] = 24;
  Bytes overrun = TgaHeader(10, 3, 1);
  overrun.push_back(0x00);
  Append(overrun, {1, 1, 1, 1});
  overrun.push_back(0x82);  // three more where two remain
  Append(overrun, {2, 2, 2, 2});
  bad.emplace_back("run past the picture", overrun);
  Bytes literalOverrun = TgaHeader(10, 2, 1);
  literalOverrun.push_back(0x02);
  for (int i = 0; i < 3; ++i) Append(literalOverrun, {3, 3, 3, 3});
  bad.emplace_back("literals past the picture", literalOverrun);
  Bytes packetCut = TgaHeader(10, 4, 1);
  packetCut.push_back(0x01);
  Append(packetCut, {1, 1, 1, 1});
  packetCut.insert(packetCut.end(), {2, 2});                       // second literal cut short
  packetCut.insert(packetCut.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0});  // no more packets count
  packetCut.resize(18 + 1 + 4 + 2);
  bad.emplace_back("packet cut short", packetCut);
  Bytes missingPacket = TgaHeader(10, 200, 1);
  missingPacket.push_back(0xFF);  // 128 pixels, then nothing
  Append(missingPacket, {1, 1, 1, 1});
  missingPacket.insert(missingPacket.end(), 4, 0);  // long enough for the size check
  missingPacket.resize(18 + 10);
  bad.emplace_back("stream ends before the picture", missingPacket);

  for (const auto& [what, bytes] : bad) {
    std::uint8_t sentinel = 0;
    std::uint8_t* colour = &sentinel;
    std::uint8_t* mask = &sentinel;
    const int flag = 1;
    EXPECT_EQ(ReadTgaToDib(WriteFile("bad.tga", bytes), &colour, &mask, &flag), kTgaFailed) << what;
    EXPECT_EQ(colour, &sentinel) << what;
    EXPECT_EQ(mask, &sentinel) << what;
  }
  std::uint8_t* colour = nullptr;
  std::uint8_t* mask = nullptr;
  EXPECT_EQ(ReadTgaToDib((dir_ / "missing.tga").string(), &colour, &mask, nullptr), kTgaFailed);
  EXPECT_EQ(ReadTgaToDib(dir_.path().string(), &colour, &mask, nullptr), kTgaFailed);  // a folder
  EXPECT_EQ(colour, nullptr);
  EXPECT_FALSE(IsTga32(dir_.path().string()));
}

// A picture written by ImageMagick reads back with the same pixels and alpha.
// ImageMagick stores the rows in the order it holds them (the source's first
// row first) and writes the orientation as the file's origin, so the origin
// tells where each stored row and column belongs.
TEST_F(TgaReaderTest, ReadsPicturesWrittenByImageMagick) {
  if (!testing::ToolAvailable("convert")) GTEST_SKIP() << "convert is not installed";
  const int width = 5;
  const int height = 3;
  auto rgba = [](int column, int row) {
    if (row == 1) return std::vector<std::uint8_t>{9, 9, 9, 77};  // a run for the RLE files
    return std::vector<std::uint8_t>{
        static_cast<std::uint8_t>(40 * column + 3), static_cast<std::uint8_t>(70 * row + 1),
        static_cast<std::uint8_t>(column * row * 11 + 5),
        static_cast<std::uint8_t>(column == 0 ? 0 : (column == 4 ? 255 : 60 * column + row))};
  };
  std::string pam = "P7\nWIDTH 5\nHEIGHT 3\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      for (std::uint8_t v : rgba(column, row)) pam.push_back(static_cast<char>(v));
    }
  }
  const std::string source = dir_.Write("source.pam", pam).string();
  struct Orientation {
    std::string name;
    bool mirrored;  // stored columns run right to left
    bool topDown;   // stored rows run top to bottom
  };
  const Orientation orientations[] = {
      {"BottomLeft", false, false}, {"BottomRight", true, false}, {"TopLeft", false, true}, {"TopRight", true, true}};
  for (const Orientation& o : orientations) {
    for (const std::string compress : {"None", "RLE"}) {
      const std::string what = o.name + " " + compress;
      const std::string target = (dir_ / (o.name + compress + ".tga")).string();
      const std::string command = "convert '" + source + "' -orient " + o.name + " -compress " + compress +
                                  " -depth 8 'TGA:" + target + "' 2>/dev/null";
      ASSERT_EQ(std::system(command.c_str()), 0) << command;
      EXPECT_TRUE(IsTga32(target)) << what;
      const TgaResult result = ReadPath(target);
      ASSERT_EQ(result.code, kTgaRead) << what;
      EXPECT_EQ(ReadDibHeader(result.colour).biWidth, width);
      EXPECT_EQ(ReadDibHeader(result.colour).biHeight, height);
      for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
          const std::vector<std::uint8_t> p = rgba(column, row);
          const int x = o.mirrored ? width - 1 - column : column;
          const int y = o.topDown ? height - 1 - row : row;
          EXPECT_EQ(result.Colour(x, y), (BgrPixel{p[2], p[1], p[0]})) << what << " " << column << "," << row;
          EXPECT_EQ(result.Mask(x, y), (BgrPixel{p[3], p[3], p[3]})) << what << " " << column << "," << row;
        }
      }
    }
  }
}

}  // namespace
}  // namespace sprocket
