// Opening still-image files into image handles.

#include <Magick++.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/imagefile/image_file_library.h"
#include "platform/imagefile/still_image_format.h"
#include "temp_dir.h"
#include "test_pictures.h"

namespace sprocket {
namespace {

using testing::FewColorPicture;
using testing::HandlePicture;
using testing::ManyColorPicture;
using testing::MaxChannelDifference;
using testing::ReadBytes;
using testing::RgbPicture;
using testing::TempDir;
using testing::WriteWithMagick;

class ImageOpenTest : public ::testing::Test {
protected:
  void SetUp() override { liveBefore_ = ImageFiles().ImageCount(); }
  void TearDown() override { EXPECT_EQ(ImageFiles().ImageCount(), liveBefore_) << "an image handle leaked"; }

  // Opens the file and gives its picture and bit depth; frees the handle.
  std::optional<RgbPicture> OpenPicture(const std::filesystem::path& path, int* bits = nullptr) {
    const ImageHandle image = ImageFiles().Open(path);
    if (image < 0) return std::nullopt;
    if (bits != nullptr) ImageFiles().GetDib(image, nullptr, nullptr, bits);
    auto picture = HandlePicture(image);
    EXPECT_EQ(ImageFiles().Free(image), kImageDone);
    return picture;
  }

  TempDir dir_;
  std::size_t liveBefore_ = 0;
};

TEST(StillImageFormatTest, ChosenByTheExtensionOfTheFileName) {
  EXPECT_EQ(StillImageFormatOfPath("/a/b/photo.JPG"), StillImageFormat::Jpeg);
  EXPECT_EQ(StillImageFormatOfPath("photo.jpeg"), StillImageFormat::Jpeg);
  EXPECT_EQ(StillImageFormatOfPath("scan.Tiff"), StillImageFormat::Tiff);
  EXPECT_EQ(StillImageFormatOfPath("mac.pct"), StillImageFormat::Pict);
  EXPECT_EQ(StillImageFormatOfPath("x.wpg"), StillImageFormat::Wpg);
  EXPECT_EQ(StillImageFormatOfPath("x.dib"), StillImageFormat::Dib);
  EXPECT_EQ(StillImageFormatOfPath("/dir.bmp/clip"), std::nullopt) << "a folder's dot never counts";
  EXPECT_EQ(StillImageFormatOfPath("movie.avi"), std::nullopt);
  EXPECT_EQ(StillImageFormatOfPath("take.v2.bmp"), std::nullopt) << "the extension runs from the first dot";
  EXPECT_TRUE(CanSaveStillImageFormat(StillImageFormat::Pict));
  EXPECT_FALSE(CanSaveStillImageFormat(StillImageFormat::Wpg));
  EXPECT_FALSE(CanSaveStillImageFormat(StillImageFormat::Pcd));
}

TEST_F(ImageOpenTest, LosslessFormatsOpenWithTheirExactPixels) {
  const RgbPicture picture = ManyColorPicture(37, 23);
  const struct {
    const char* name;
    const char* magick;
  } files[] = {{"a.bmp", "BMP3"}, {"b.bmp", "BMP"}, {"c.pcx", "PCX"}, {"d.tif", "TIFF"},
               {"e.pct", "PICT"}, {"f.tga", "TGA"}, {"g.dib", "DIB"}, {"h.dib", "BMP3"}};
  for (const auto& file : files) {
    WriteWithMagick(picture, dir_ / file.name, file.magick);
    int bits = 0;
    const auto opened = OpenPicture(dir_ / file.name, &bits);
    ASSERT_TRUE(opened) << file.name << ": " << ImageFiles().LastError();
    EXPECT_EQ(bits, 24) << file.name;
    EXPECT_EQ(*opened, picture) << file.name;
  }
}

TEST_F(ImageOpenTest, PaletteFilesOpenAsEightBitPictures) {
  const RgbPicture picture = FewColorPicture(20, 9, 12);
  for (const char* name : {"p.gif", "p.bmp", "p.pcx", "p.tif"}) {
    const std::string magick = std::string(name) == "p.bmp" ? "BMP3" : (std::string(name) == "p.tif" ? "TIFF" : "");
    WriteWithMagick(picture, dir_ / name, magick.empty() ? std::string(std::strchr(name, '.') + 1) : magick, true);
    int bits = 0;
    const auto opened = OpenPicture(dir_ / name, &bits);
    ASSERT_TRUE(opened) << name << ": " << ImageFiles().LastError();
    EXPECT_EQ(bits, 8) << name;
    EXPECT_EQ(*opened, picture) << name;
  }
}

TEST_F(ImageOpenTest, JpegOpensCloseToTheOriginal) {
  const RgbPicture picture = FewColorPicture(32, 16, 1);  // one flat colour survives compression
  WriteWithMagick(picture, dir_ / "flat.jpg", "JPEG");
  const auto opened = OpenPicture(dir_ / "flat.jpg");
  ASSERT_TRUE(opened);
  EXPECT_LE(MaxChannelDifference(*opened, picture), 3);
}

TEST_F(ImageOpenTest, CmykAndGreyJpegsOpenAsRgb) {
  if (!testing::ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  const std::string cmyk = (dir_ / "cmyk.jpg").string();
  const std::string grey = (dir_ / "grey.jpg").string();
  ASSERT_TRUE(
      testing::RunCommand("convert -size 16x16 xc:'rgb(220,30,40)' -colorspace CMYK -quality 95 '" + cmyk + "'"));
  ASSERT_TRUE(
      testing::RunCommand("convert -size 16x16 xc:'rgb(90,90,90)' -colorspace Gray -quality 95 '" + grey + "'"));
  const auto red = OpenPicture(cmyk);
  ASSERT_TRUE(red) << ImageFiles().LastError();
  EXPECT_EQ(red->width, 16);
  const std::uint8_t* p = red->At(8, 8);
  EXPECT_NEAR(p[0], 220, 6);
  EXPECT_NEAR(p[1], 30, 6);
  EXPECT_NEAR(p[2], 40, 6);
  const auto grey90 = OpenPicture(grey);
  ASSERT_TRUE(grey90);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(grey90->At(3, 3)[c], 90, 2);
}

TEST_F(ImageOpenTest, PhotoCdOpensAtItsBaseSizeInRgb) {
  RgbPicture picture{768, 512, std::vector<std::uint8_t>(768 * 512 * 3)};
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    picture.rgb[i] = 200;
    picture.rgb[i + 1] = 60;
    picture.rgb[i + 2] = 40;
  }
  WriteWithMagick(picture, dir_ / "disc.pcd", "PCD");
  const auto opened = OpenPicture(dir_ / "disc.pcd");
  ASSERT_TRUE(opened) << ImageFiles().LastError();
  EXPECT_EQ(opened->width, 768);
  EXPECT_EQ(opened->height, 512);
  // Photo CD stores luma and chroma and shifts colours somewhat; the picture
  // must come back as RGB (the raw YCC values of this colour are about
  // 245, 156, 137).
  const std::uint8_t* centre = opened->At(384, 256);
  EXPECT_GT(centre[0], 180);
  EXPECT_LT(centre[1], 110);
  EXPECT_LT(centre[2], 110);
}

// A WordPerfect graphic, level 1: an 8-bit bitmap of 4 x 3 pixels with a
// 4-colour map, rows top first.
std::string WpgFile() {
  auto word = [](int v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
  auto record = [](int type, const std::string& data) {
    return std::string{static_cast<char>(type), static_cast<char>(data.size())} + data;
  };
  std::string file =
      std::string("\xFFWPC", 4) + std::string("\x10\x00\x00\x00", 4) + "\x01\x16\x01" + std::string(5, '\0');
  file += record(0x0F, std::string("\x01\x00", 2) + word(4) + word(3));
  file += record(0x0E, word(0) + word(4) + std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12));
  const std::string rows = std::string("\x04\x00\x01\x02\x03\x04\x03\x02\x01\x00\x04\x01\x01\x02\x02", 15);
  file += record(0x0B, word(4) + word(3) + word(8) + word(75) + word(75) + rows);
  file += record(0x10, "");
  return file;
}

TEST_F(ImageOpenTest, WordPerfectGraphicOpensWithItsColourMap) {
  dir_.Write("pic.wpg", WpgFile());
  int bits = 0;
  const auto opened = OpenPicture(dir_ / "pic.wpg", &bits);
  ASSERT_TRUE(opened) << ImageFiles().LastError();
  ASSERT_EQ(opened->width, 4);
  ASSERT_EQ(opened->height, 3);
  EXPECT_EQ(bits, 8);
  const std::uint8_t red[] = {255, 0, 0}, green[] = {0, 255, 0}, blue[] = {0, 0, 255}, white[] = {255, 255, 255};
  EXPECT_EQ(std::memcmp(opened->At(0, 0), red, 3), 0);
  EXPECT_EQ(std::memcmp(opened->At(3, 0), white, 3), 0);
  EXPECT_EQ(std::memcmp(opened->At(1, 1), blue, 3), 0);
  EXPECT_EQ(std::memcmp(opened->At(0, 2), green, 3), 0);
}

// An uncompressed 24-bit TGA of 2 x 2 pixels: top row red, green; bottom
// row blue, white; stored from the bottom (descriptor 0) or from the top.
std::string TgaFile(bool topFirst) {
  std::string file(18, '\0');
  file[2] = 2;
  file[12] = 2;
  file[14] = 2;
  file[16] = 24;
  file[17] = topFirst ? 0x20 : 0x00;
  const std::string top = std::string("\x00\x00\xFF\x00\xFF\x00", 6);
  const std::string bottom = std::string("\xFF\x00\x00\xFF\xFF\xFF", 6);
  return file + (topFirst ? top + bottom : bottom + top);
}

TEST_F(ImageOpenTest, TgaRowsComeOutRightSideUpFromEitherOrigin) {
  for (bool topFirst : {false, true}) {
    dir_.Write("o.tga", TgaFile(topFirst));
    const auto opened = OpenPicture(dir_ / "o.tga");
    ASSERT_TRUE(opened) << ImageFiles().LastError();
    const std::uint8_t red[] = {255, 0, 0}, white[] = {255, 255, 255};
    EXPECT_EQ(std::memcmp(opened->At(0, 0), red, 3), 0) << "top first: " << topFirst;
    EXPECT_EQ(std::memcmp(opened->At(1, 1), white, 3), 0) << "top first: " << topFirst;
  }
}

TEST_F(ImageOpenTest, MultiFrameGifGivesItsFirstFrame) {
  const RgbPicture first = FewColorPicture(8, 8, 3);
  const RgbPicture second = FewColorPicture(8, 8, 7);
  std::vector<Magick::Image> frames;
  for (const RgbPicture* p : {&first, &second}) {
    frames.emplace_back();
    frames.back().read(8, 8, "RGB", Magick::CharPixel, p->rgb.data());
  }
  Magick::writeImages(frames.begin(), frames.end(), "GIF:" + (dir_ / "anim.gif").string());
  const auto opened = OpenPicture(dir_ / "anim.gif");
  ASSERT_TRUE(opened);
  EXPECT_EQ(*opened, first);
}

TEST_F(ImageOpenTest, MissingUnreadableAndUnknownFilesGiveNoImage) {
  EXPECT_EQ(ImageFiles().Open(dir_ / "absent.bmp"), kNoImage);
  std::filesystem::create_directory(dir_ / "folder.bmp");
  EXPECT_EQ(ImageFiles().Open(dir_ / "folder.bmp"), kNoImage);
  dir_.Write("empty.gif", "");
  EXPECT_EQ(ImageFiles().Open(dir_ / "empty.gif"), kNoImage);
  WriteWithMagick(ManyColorPicture(4, 4), dir_ / "real.png", "PNG");
  EXPECT_EQ(ImageFiles().Open(dir_ / "real.png"), kNoImage) << "not one of the still formats";
  EXPECT_EQ(ImageFiles().Open(""), kNoImage);
  EXPECT_FALSE(ImageFiles().LastError().empty());
}

TEST_F(ImageOpenTest, ContentOfAnotherFormatIsRefused) {
  const RgbPicture picture = ManyColorPicture(16, 8);
  WriteWithMagick(picture, dir_ / "real.jpg", "JPEG");
  WriteWithMagick(picture, dir_ / "real.bmp", "BMP3");
  const std::string jpeg = ReadBytes(dir_ / "real.jpg");
  const std::string bmp = ReadBytes(dir_ / "real.bmp");
  for (const char* name : {"x.bmp", "x.gif", "x.pcx", "x.tif", "x.pct", "x.wpg", "x.pcd", "x.dib"}) {
    dir_.Write(name, jpeg);
    EXPECT_EQ(ImageFiles().Open(dir_ / name), kNoImage) << name;
  }
  dir_.Write("y.jpg", bmp);
  EXPECT_EQ(ImageFiles().Open(dir_ / "y.jpg"), kNoImage);
  dir_.Write("z.tga", "GIF89a and then some text that is no picture at all");
  EXPECT_EQ(ImageFiles().Open(dir_ / "z.tga"), kNoImage);
}

TEST_F(ImageOpenTest, TruncatedFilesGiveNoImage) {
  const RgbPicture picture = ManyColorPicture(64, 48);
  const struct {
    const char* name;
    const char* magick;
    bool palette;
  } files[] = {{"t.bmp", "BMP3", false}, {"t.gif", "GIF", true},  {"t.jpg", "JPEG", false}, {"t.pcx", "PCX", false},
               {"t.tif", "TIFF", false}, {"t.tga", "TGA", false}, {"t.pct", "PICT", false}, {"t.dib", "DIB", false}};
  for (const auto& file : files) {
    WriteWithMagick(picture, dir_ / file.name, file.magick, file.palette);
    const std::string whole = ReadBytes(dir_ / file.name);
    for (const std::size_t keep : {whole.size() / 2, std::size_t{10}}) {
      dir_.Write(file.name, whole.substr(0, keep));
      EXPECT_EQ(ImageFiles().Open(dir_ / file.name), kNoImage) << file.name << " cut to " << keep << " bytes";
    }
  }
  const std::string wpg = WpgFile();
  dir_.Write("t.wpg", wpg.substr(0, wpg.size() - 8));
  EXPECT_EQ(ImageFiles().Open(dir_ / "t.wpg"), kNoImage);
}

TEST_F(ImageOpenTest, AbsurdDeclaredSizesGiveNoImage) {
  // A BMP header that declares 100000 x 100000 pixels over a few bytes.
  std::string bmp = ReadBytes([&] {
    WriteWithMagick(ManyColorPicture(4, 4), dir_ / "small.bmp", "BMP3");
    return dir_ / "small.bmp";
  }());
  const std::int32_t huge = 100000;
  std::memcpy(bmp.data() + 18, &huge, 4);
  std::memcpy(bmp.data() + 22, &huge, 4);
  dir_.Write("huge.bmp", bmp);
  EXPECT_EQ(ImageFiles().Open(dir_ / "huge.bmp"), kNoImage);
  // A TGA header of 65535 x 65535 pixels with no pixels.
  std::string tga = TgaFile(true).substr(0, 18);
  tga[12] = tga[13] = tga[14] = tga[15] = '\xFF';
  dir_.Write("huge.tga", tga);
  EXPECT_EQ(ImageFiles().Open(dir_ / "huge.tga"), kNoImage);
}

}  // namespace
}  // namespace sprocket
