// Saving images: the seven formats of image sequences at their bit depths,
// the save options, the JPEG quality, and failed saves.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/imagefile/image_file_library.h"
#include "temp_dir.h"
#include "test_pictures.h"

namespace sprocket {
namespace {

using testing::ConvertToRgb;
using testing::FewColorPicture;
using testing::HandlePicture;
using testing::ManyColorPicture;
using testing::MaxChannelDifference;
using testing::PackedDib24;
using testing::ReadBytes;
using testing::RgbPicture;
using testing::RunCommand;
using testing::TempDir;
using testing::ToolAvailable;

std::uint32_t U32At(const std::string& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}
std::uint16_t U16At(const std::string& bytes, std::size_t offset) {
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 2);
  return value;
}

// A smooth picture, the kind JPEG keeps well.
RgbPicture SmoothPicture(int width, int height) {
  RgbPicture picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.rgb.data() + 3 * (y * width + x);
      p[0] = static_cast<std::uint8_t>(x * 255 / (width - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
      p[2] = 128;
    }
  }
  return picture;
}

struct LosslessCase {
  const char* name;
  int option;
  int bitsReadBack;  // the PICT decoder gives every picture in true colour
};

class ImageSaveTest : public ::testing::Test {
protected:
  void SetUp() override { liveBefore_ = ImageFiles().ImageCount(); }
  void TearDown() override {
    ImageFiles().SetJpegQuality(kDefaultJpegQuality);
    EXPECT_EQ(ImageFiles().ImageCount(), liveBefore_) << "an image handle leaked";
  }

  // Saves the picture the way image sequences do: DIB to handle, reduce to
  // 256 colours for 8 bits, save, free.
  ImageFileResult SavePicture(const RgbPicture& picture, const std::filesystem::path& path, int option, int bits = 24) {
    GlobalBlock dib = PackedDib24(picture);
    const ImageHandle image = ImageFiles().DibToHandle(dib.get());
    EXPECT_GE(image, 0);
    if (bits == 8) {
      EXPECT_EQ(ImageFiles().ReduceColors(image, 8, 0, 256), kImageDone);
    }
    const ImageFileResult result = ImageFiles().Save(image, path, option);
    EXPECT_EQ(ImageFiles().Free(image), kImageDone);
    return result;
  }

  std::optional<RgbPicture> Reopen(const std::filesystem::path& path, int* bits) {
    const ImageHandle image = ImageFiles().Open(path);
    if (image < 0) return std::nullopt;
    ImageFiles().GetDib(image, nullptr, nullptr, bits);
    auto picture = HandlePicture(image);
    ImageFiles().Free(image);
    return picture;
  }

  // Saves the picture at the bit depth in each case's file, reads it back
  // through the library and through `convert`, and expects it unchanged.
  void ExpectExactRoundTrips(const RgbPicture& picture, int bits, std::initializer_list<LosslessCase> cases);

  TempDir dir_;
  std::size_t liveBefore_ = 0;
};

void ImageSaveTest::ExpectExactRoundTrips(const RgbPicture& picture, int bits,
                                          std::initializer_list<LosslessCase> cases) {
  for (const auto& c : cases) {
    ASSERT_EQ(SavePicture(picture, dir_ / c.name, c.option, bits), kImageDone) << c.name << ImageFiles().LastError();
    int readBits = 0;
    const auto back = Reopen(dir_ / c.name, &readBits);
    ASSERT_TRUE(back) << c.name;
    EXPECT_EQ(readBits, c.bitsReadBack) << c.name;
    EXPECT_EQ(*back, picture) << c.name;
    if (ToolAvailable("convert")) {
      const auto outside = ConvertToRgb(dir_ / c.name);
      ASSERT_TRUE(outside) << c.name;
      EXPECT_EQ(*outside, picture) << c.name << " as read by convert";
    }
  }
}

TEST_F(ImageSaveTest, TrueColourFormatsReadBackExactly) {
  ExpectExactRoundTrips(ManyColorPicture(41, 27), 24,  // odd width: padded rows
                        {{"a.bmp", 1, 24},
                         {"b.bmp", -1, 24},
                         {"c.bmp", 12, 24},
                         {"d.pcx", -1, 24},
                         {"e.tga", -1, 24},
                         {"f.tif", 0, 24},
                         {"g.tif", 9, 24},
                         {"h.tif", -1, 24},
                         {"i.pct", -1, 24},
                         {"J.PCT", -1, 24}});
}

TEST_F(ImageSaveTest, EightBitPicturesSaveAsPaletteFilesAndReadBackExactly) {
  ExpectExactRoundTrips(FewColorPicture(33, 17, 200), 8,
                        {{"a.bmp", 1, 8},
                         {"b.bmp", 12, 8},
                         {"c.pcx", -1, 8},
                         {"d.tga", -1, 8},
                         {"e.tif", 0, 8},
                         {"f.tif", 9, 8},
                         {"g.pct", -1, 24},
                         {"h.gif", -1, 8}});
}

TEST_F(ImageSaveTest, BmpFilesCarryTheFortyByteHeaderAndTheChosenCompression) {
  const RgbPicture picture = FewColorPicture(16, 8, 5);
  ASSERT_EQ(SavePicture(picture, dir_ / "true.bmp", 1), kImageDone);
  ASSERT_EQ(SavePicture(picture, dir_ / "rle.bmp", 12, 8), kImageDone);
  ASSERT_EQ(SavePicture(picture, dir_ / "plain8.bmp", 1, 8), kImageDone);
  ASSERT_EQ(SavePicture(picture, dir_ / "rle24.bmp", 12), kImageDone);
  const std::string trueColour = ReadBytes(dir_ / "true.bmp");
  EXPECT_EQ(trueColour.substr(0, 2), "BM");
  EXPECT_EQ(U32At(trueColour, 14), 40u);
  EXPECT_EQ(U16At(trueColour, 28), 24);
  EXPECT_EQ(U32At(trueColour, 30), 0u);
  const std::string rle = ReadBytes(dir_ / "rle.bmp");
  EXPECT_EQ(U32At(rle, 14), 40u);
  EXPECT_EQ(U16At(rle, 28), 8);
  EXPECT_EQ(U32At(rle, 30), 1u) << "run-length encoded 8-bit";
  const std::string plain = ReadBytes(dir_ / "plain8.bmp");
  EXPECT_EQ(U16At(plain, 28), 8);
  EXPECT_EQ(U32At(plain, 30), 0u);
  // Run-length encoding exists for palette pictures only: 24 bits stay plain.
  const std::string rle24 = ReadBytes(dir_ / "rle24.bmp");
  EXPECT_EQ(U16At(rle24, 28), 24);
  EXPECT_EQ(U32At(rle24, 30), 0u);
}

TEST_F(ImageSaveTest, TgaFilesAreStoredTopFirstAndSaySo) {
  const RgbPicture picture = ManyColorPicture(5, 3);
  ASSERT_EQ(SavePicture(picture, dir_ / "t.tga", -1), kImageDone);
  const std::string tga = ReadBytes(dir_ / "t.tga");
  ASSERT_GE(tga.size(), 18u + 45u);
  EXPECT_EQ(tga[2], 2) << "uncompressed true colour";
  EXPECT_EQ(tga[16], 24);
  EXPECT_EQ(tga[17] & 0x20, 0x20) << "top-left origin";
  // The first stored pixel is the top-left one, as blue, green, red.
  const std::size_t pixels = 18 + static_cast<unsigned char>(tga[0]);
  EXPECT_EQ(static_cast<unsigned char>(tga[pixels]), picture.At(0, 0)[2]);
  EXPECT_EQ(static_cast<unsigned char>(tga[pixels + 2]), picture.At(0, 0)[0]);

  ASSERT_EQ(SavePicture(FewColorPicture(5, 3, 4), dir_ / "p.tga", -1, 8), kImageDone);
  const std::string palette = ReadBytes(dir_ / "p.tga");
  EXPECT_EQ(palette[1], 1) << "colour-mapped";
  EXPECT_EQ(palette[16], 8);
}

TEST_F(ImageSaveTest, PictFilesHoldIndexedOrDirectPixelsByBitDepth) {
  ASSERT_EQ(SavePicture(FewColorPicture(16, 8, 5), dir_ / "p8.pct", -1, 8), kImageDone);
  ASSERT_EQ(SavePicture(ManyColorPicture(16, 8), dir_ / "p24.pct", -1), kImageDone);
  // The first pixel opcode after the 512-byte preamble, the picture size
  // and frame: 0x0098 packs indexed pixels, 0x009A direct ones. Opcodes
  // start at even offsets.
  auto pixelOpcode = [](const std::string& pict) {
    for (std::size_t at = 522; at + 1 < pict.size(); at += 2) {
      if (pict[at] == 0 && (pict[at + 1] == '\x98' || pict[at + 1] == '\x9A')) return pict[at + 1];
    }
    return '\0';
  };
  EXPECT_EQ(pixelOpcode(ReadBytes(dir_ / "p8.pct")), '\x98');
  EXPECT_EQ(pixelOpcode(ReadBytes(dir_ / "p24.pct")), '\x9A');
}

TEST_F(ImageSaveTest, FewColoursStillMakeEightBitFiles) {
  const RgbPicture picture = FewColorPicture(16, 8, 5);
  for (const char* name : {"few.bmp", "few.tif", "few.pcx", "few.gif"}) {
    ASSERT_EQ(SavePicture(picture, dir_ / name, -1, 8), kImageDone) << name;
    int bits = 0;
    const auto back = Reopen(dir_ / name, &bits);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(*back, picture) << name;
    if (ToolAvailable("convert")) {
      EXPECT_EQ(RunCommand("identify -format %z '" + (dir_ / name).string() + "'"), "8") << name;
    }
  }
}

TEST_F(ImageSaveTest, TifCompressionFollowsTheOption) {
  if (!ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick's identify is not installed";
  const RgbPicture picture = ManyColorPicture(16, 16);
  ASSERT_EQ(SavePicture(picture, dir_ / "none.tif", 0), kImageDone);
  ASSERT_EQ(SavePicture(picture, dir_ / "lzw.tif", 9), kImageDone);
  EXPECT_EQ(RunCommand("identify -format %C '" + (dir_ / "none.tif").string() + "'"), "None");
  EXPECT_EQ(RunCommand("identify -format %C '" + (dir_ / "lzw.tif").string() + "'"), "LZW");
}

TEST_F(ImageSaveTest, GifOfManyColoursIsReducedToAPalette) {
  const RgbPicture picture = SmoothPicture(64, 64);  // 4096 colours
  ASSERT_EQ(SavePicture(picture, dir_ / "many.gif", -1), kImageDone);
  int bits = 0;
  const auto back = Reopen(dir_ / "many.gif", &bits);
  ASSERT_TRUE(back);
  EXPECT_EQ(bits, 8);
  EXPECT_LE(MaxChannelDifference(*back, picture), 48);
}

TEST_F(ImageSaveTest, JpegKeepsThePictureWithinTolerance) {
  // Tolerance at quality 90 on a smooth picture: no channel off by more than 12.
  const RgbPicture picture = SmoothPicture(48, 32);
  EXPECT_EQ(ImageFiles().SetJpegQuality(90), 90);
  for (int bits : {24, 8}) {
    const auto path = dir_ / ("q" + std::to_string(bits) + ".jpg");
    ASSERT_EQ(SavePicture(picture, path, -1, bits), kImageDone);
    int readBits = 0;
    const auto back = Reopen(path, &readBits);
    ASSERT_TRUE(back);
    EXPECT_EQ(readBits, 24);
    EXPECT_LE(MaxChannelDifference(*back, picture), bits == 24 ? 12 : 24) << bits << " bits";
  }
}

TEST_F(ImageSaveTest, JpegQualityAppliesToTheFollowingSaves) {
  const RgbPicture picture = ManyColorPicture(64, 64);
  ImageFiles().SetJpegQuality(90);
  ASSERT_EQ(SavePicture(picture, dir_ / "high.jpg", -1), kImageDone);
  ASSERT_EQ(SavePicture(picture, dir_ / "high2.jpg", -1), kImageDone);
  ImageFiles().SetJpegQuality(30);
  ASSERT_EQ(SavePicture(picture, dir_ / "low.jpg", -1), kImageDone);
  EXPECT_EQ(ReadBytes(dir_ / "high.jpg"), ReadBytes(dir_ / "high2.jpg"));
  EXPECT_LT(ReadBytes(dir_ / "low.jpg").size(), ReadBytes(dir_ / "high.jpg").size());
  if (ToolAvailable("convert")) {
    EXPECT_EQ(RunCommand("identify -format %Q '" + (dir_ / "high2.jpg").string() + "'"), "90");
    EXPECT_EQ(RunCommand("identify -format %Q '" + (dir_ / "low.jpg").string() + "'"), "30");
  }
  EXPECT_EQ(ImageFiles().SetJpegQuality(0), 1);
  EXPECT_EQ(ImageFiles().SetJpegQuality(1000), 100);
}

TEST_F(ImageSaveTest, FailedSavesAreReportedAndLeaveNoFile) {
  const RgbPicture picture = ManyColorPicture(8, 8);
  GlobalBlock dib = PackedDib24(picture);
  const ImageHandle image = ImageFiles().DibToHandle(dib.get());
  ASSERT_GE(image, 0);

  EXPECT_EQ(ImageFiles().Save(image, dir_ / "no" / "folder.bmp", 1), kImageFailed);
  dir_.Write("plain.txt", "x");
  EXPECT_EQ(ImageFiles().Save(image, dir_ / "plain.txt" / "under.bmp", 1), kImageFailed);
  std::filesystem::create_directory(dir_ / "taken.bmp");
  EXPECT_EQ(ImageFiles().Save(image, dir_ / "taken.bmp", 1), kImageFailed);
  for (const char* name : {"x.wpg", "x.pcd", "x.dib", "x.png", "noext"}) {
    EXPECT_EQ(ImageFiles().Save(image, dir_ / name, -1), kImageBadArgument) << name;
  }
  EXPECT_EQ(ImageFiles().Save(kNoImage, dir_ / "none.bmp", 1), kImageInvalidHandle);
  EXPECT_EQ(ImageFiles().Save(image + 1000, dir_ / "none.bmp", 1), kImageInvalidHandle);
  EXPECT_FALSE(ImageFiles().LastError().empty());

  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"plain.txt", "taken.bmp"})) << "no partial or temporary files";
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
}

TEST_F(ImageSaveTest, FileNamesAreTakenLiterally) {
  // Brackets, percent signs, colons and pipes mean nothing special.
  const RgbPicture picture = ManyColorPicture(6, 5);
  for (const char* name : {"frame[0].bmp", "take%03d.tga", "gif:odd.gif", "|echo.pcx", "a b.tif"}) {
    const auto path = dir_ / name;
    ASSERT_EQ(SavePicture(picture, path, -1, std::string(name).ends_with(".gif") ? 8 : 24), kImageDone) << name;
    ASSERT_TRUE(std::filesystem::exists(path)) << name;
    int bits = 0;
    const auto back = Reopen(path, &bits);
    ASSERT_TRUE(back) << name << ": " << ImageFiles().LastError();
    EXPECT_EQ(back->width, 6) << name;
  }
}

TEST_F(ImageSaveTest, SavingReplacesAnEarlierFileWhole) {
  dir_.Write("frame.bmp", std::string(100000, 'x'));
  const RgbPicture picture = ManyColorPicture(4, 4);
  ASSERT_EQ(SavePicture(picture, dir_ / "frame.bmp", 1), kImageDone);
  int bits = 0;
  const auto back = Reopen(dir_ / "frame.bmp", &bits);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, picture);
}

}  // namespace
}  // namespace sprocket
