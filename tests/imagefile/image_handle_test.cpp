// The calls on image handles: DIBs out, true colour, resizing, bitmaps,
// colour reduction, palettes, drawing, invalid handles, and the callers'
// calling patterns.

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "imagelib/dib_header.h"
#include "imagelib/dib_image.h"
#include "platform/imagefile/image_file_library.h"
#include "temp_dir.h"
#include "test_pictures.h"

namespace sprocket {
namespace {

using testing::FewColorPicture;
using testing::HandlePicture;
using testing::ManyColorPicture;
using testing::MaxChannelDifference;
using testing::PackedDib24;
using testing::RgbPicture;
using testing::TempDir;
using testing::WriteWithMagick;

RgbPicture FlatPicture(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  RgbPicture picture{width, height, {}};
  for (int i = 0; i < width * height; ++i) picture.rgb.insert(picture.rgb.end(), {r, g, b});
  return picture;
}

class ImageHandleTest : public ::testing::Test {
protected:
  void SetUp() override { liveBefore_ = ImageFiles().ImageCount(); }
  void TearDown() override {
    for (ImageHandle image : images_) ImageFiles().Free(image);
    EXPECT_EQ(ImageFiles().ImageCount(), liveBefore_) << "an image handle leaked";
  }

  ImageHandle Hold(const RgbPicture& picture) {
    GlobalBlock dib = PackedDib24(picture);
    const ImageHandle image = ImageFiles().DibToHandle(dib.get());
    EXPECT_GE(image, 1);
    images_.push_back(image);
    return image;
  }
  ImageHandle HoldEightBit(const RgbPicture& picture) {
    const ImageHandle image = Hold(picture);
    EXPECT_EQ(ImageFiles().ReduceColors(image, 8, 0, 256), kImageDone);
    return image;
  }
  int BitsOf(ImageHandle image) {
    int bits = 0;
    ImageFiles().GetDib(image, nullptr, nullptr, &bits);
    return bits;
  }

  std::vector<ImageHandle> images_;
  std::size_t liveBefore_ = 0;
};

TEST_F(ImageHandleTest, GetDibGivesThePackedDibTheLibraryOwns) {
  const ImageHandle image = Hold(ManyColorPicture(5, 3));
  int width = 0, height = 0, bits = 0;
  const HGLOBAL dib = ImageFiles().GetDib(image, &width, &height, &bits);
  ASSERT_NE(dib, nullptr);
  EXPECT_EQ(width, 5);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(bits, 24);
  {
    GlobalLockGuard<> data(dib);
    const DibInfoHeader header = ReadDibHeader(data.get());
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biSizeImage, 16u * 3);
    EXPECT_EQ(header.biClrUsed, 0u);
    EXPECT_EQ(GlobalSize(dib), 40u + 48);
  }
  EXPECT_EQ(ImageFiles().GetDib(image, nullptr, nullptr, nullptr), dib) << "the same block until changed";

  const ImageHandle eight = HoldEightBit(FewColorPicture(5, 3, 4));
  const HGLOBAL dib8 = ImageFiles().GetDib(eight, &width, &height, &bits);
  EXPECT_EQ(bits, 8);
  GlobalLockGuard<> data(dib8);
  const DibInfoHeader header = ReadDibHeader(data.get());
  EXPECT_EQ(header.biBitCount, 8);
  EXPECT_EQ(header.biClrUsed, 256u) << "a full colour table: pixels at 1064";
  EXPECT_EQ(header.biSizeImage, 8u * 3);
  EXPECT_EQ(GlobalSize(dib8), 1064u + 24);
}

TEST_F(ImageHandleTest, AChangedHeaderOfTheHandedOutDibDoesNotMisleadTheLibrary) {
  const RgbPicture picture = FewColorPicture(6, 4, 5);
  const ImageHandle image = HoldEightBit(picture);
  {
    GlobalLockGuard<> data(ImageFiles().GetDib(image, nullptr, nullptr, nullptr));
    DibInfoHeader header = ReadDibHeader(data.get());
    header.biClrUsed = 0;
    header.biWidth = 99999;
    header.biSizeImage = 0x7FFFFFFF;
    WriteDibHeader(data.get(), header);
  }
  int width = 0;
  {
    GlobalLockGuard<> data(ImageFiles().GetDib(image, &width, nullptr, nullptr));
    EXPECT_EQ(width, 6);
    EXPECT_EQ(ReadDibHeader(data.get()).biWidth, 6) << "the header is written anew";
    EXPECT_EQ(ReadDibHeader(data.get()).biClrUsed, 256u);
  }
  EXPECT_EQ(ImageFiles().ToTrueColor(image), kImageDone);
  EXPECT_EQ(HandlePicture(image), picture);
}

TEST_F(ImageHandleTest, ToTrueColourKeepsThePixels) {
  const RgbPicture picture = FewColorPicture(7, 5, 6);
  const ImageHandle image = HoldEightBit(picture);
  ASSERT_EQ(BitsOf(image), 8);
  EXPECT_EQ(ImageFiles().ToTrueColor(image), kImageDone);
  EXPECT_EQ(BitsOf(image), 24);
  EXPECT_EQ(HandlePicture(image), picture);
  EXPECT_EQ(ImageFiles().ToTrueColor(image), kImageDone) << "true colour already";
  EXPECT_EQ(HandlePicture(image), picture);
}

TEST_F(ImageHandleTest, ResizeUsesTheImageLibrarysMitchellRescaler) {
  const RgbPicture picture = ManyColorPicture(40, 30);
  const ImageHandle image = Hold(picture);
  ASSERT_EQ(ImageFiles().Resize(image, 23, 17), kImageDone);
  int width = 0, height = 0;
  const HGLOBAL resized = ImageFiles().GetDib(image, &width, &height, nullptr);
  EXPECT_EQ(width, 23);
  EXPECT_EQ(height, 17);

  HGLOBAL expected = PackedDib24(picture).release();
  CDibImage reference(&expected);
  ASSERT_EQ(reference.Resize(23, 17, kFilterMitchell), kDibDone);
  const GlobalBlock owner(expected);
  ASSERT_EQ(GlobalSize(resized), GlobalSize(expected));
  GlobalLockGuard<> got(resized);
  GlobalLockGuard<> want(expected);
  EXPECT_EQ(std::memcmp(got.get(), want.get(), GlobalSize(expected)), 0);
}

// The picture scaled by the image library's rescaler directly.
RgbPicture ReferenceResize(const RgbPicture& picture, int width, int height) {
  HGLOBAL block = PackedDib24(picture).release();
  CDibImage image(&block);
  EXPECT_EQ(image.Resize(width, height, kFilterMitchell), kDibDone);
  GlobalBlock owner(block);
  const ImageHandle handle = ImageFiles().DibToHandle(block);
  RgbPicture scaled = *HandlePicture(handle);
  ImageFiles().Free(handle);
  return scaled;
}

TEST_F(ImageHandleTest, ResizeOfAnEightBitImageGivesTrueColour) {
  const RgbPicture picture = FewColorPicture(8, 8, 7);
  const ImageHandle image = HoldEightBit(picture);
  ASSERT_EQ(ImageFiles().Resize(image, 13, 5), kImageDone);
  EXPECT_EQ(BitsOf(image), 24);
  EXPECT_EQ(HandlePicture(image), ReferenceResize(picture, 13, 5));
}

TEST_F(ImageHandleTest, BadSizesAreRefusedAndLeaveTheImage) {
  const RgbPicture picture = ManyColorPicture(6, 4);
  const ImageHandle image = Hold(picture);
  for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 10}, {16385, 10}, {100000, 100000}, {16384, 16384}}) {
    EXPECT_EQ(ImageFiles().Resize(image, w, h), kImageBadArgument) << w << " x " << h;
    EXPECT_FALSE(ImageFiles().MakeBitmap(image, w, h)) << w << " x " << h;
  }
  EXPECT_EQ(HandlePicture(image), picture);
}

TEST_F(ImageHandleTest, MakeBitmapGivesTheCallerAScaledCopy) {
  const RgbPicture picture = FewColorPicture(80, 60, 50);
  const ImageHandle image = HoldEightBit(picture);
  GlobalBlock bitmap = ImageFiles().MakeBitmap(image, 35, 28);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
  images_.clear();
  {
    GlobalLockGuard<> data(bitmap.get());
    const DibInfoHeader header = ReadDibHeader(data.get());
    EXPECT_EQ(header.biWidth, 35);
    EXPECT_EQ(header.biHeight, 28);
    EXPECT_EQ(header.biBitCount, 24);
  }
  const ImageHandle copy = ImageFiles().DibToHandle(bitmap.get());
  images_.push_back(copy);
  EXPECT_EQ(HandlePicture(copy), ReferenceResize(picture, 35, 28));
}

TEST_F(ImageHandleTest, MakeBitmapLeavesTheImageAsItWas) {
  const RgbPicture picture = FewColorPicture(9, 9, 3);
  const ImageHandle image = HoldEightBit(picture);
  ASSERT_TRUE(ImageFiles().MakeBitmap(image, 4, 4));
  EXPECT_EQ(BitsOf(image), 8);
  EXPECT_EQ(HandlePicture(image), picture);
}

TEST_F(ImageHandleTest, ReducingFewColoursKeepsThemExactly) {
  const RgbPicture picture = FewColorPicture(30, 20, 256);
  const ImageHandle image = Hold(picture);
  ASSERT_EQ(ImageFiles().ReduceColors(image, 8, 0, 256), kImageDone);
  EXPECT_EQ(BitsOf(image), 8);
  EXPECT_EQ(HandlePicture(image), picture);
  EXPECT_EQ(ImageFiles().GetPalette(image).size(), 256u);
}

// A two-dimensional colour ramp of 4096 colours.
RgbPicture RampPicture() {
  RgbPicture picture{64, 64, {}};
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      picture.rgb.insert(picture.rgb.end(), {static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4), 96});
    }
  }
  return picture;
}

TEST_F(ImageHandleTest, ReducingManyColoursGivesAtMostTheAskedNumber) {
  const RgbPicture picture = RampPicture();
  for (int dither : {0, 1}) {
    for (auto [bits, colors] : {std::pair{8, 256}, {8, 16}, {4, 256}}) {
      const ImageHandle image = Hold(picture);
      ASSERT_EQ(ImageFiles().ReduceColors(image, bits, dither, colors), kImageDone) << ImageFiles().LastError();
      const std::size_t limit = static_cast<std::size_t>(std::min(colors, 1 << bits));
      const ColorPalette palette = ImageFiles().GetPalette(image);
      ASSERT_FALSE(palette.empty());
      EXPECT_LE(palette.size(), limit);
      const auto reduced = HandlePicture(image);
      ASSERT_TRUE(reduced);
      std::set<std::uint32_t> used;
      long long error = 0;
      for (std::size_t i = 0; i < reduced->rgb.size(); i += 3) {
        used.insert(reduced->rgb[i] << 16 | reduced->rgb[i + 1] << 8 | reduced->rgb[i + 2]);
        for (int c = 0; c < 3; ++c) error += std::abs(reduced->rgb[i + c] - picture.rgb[i + c]);
      }
      EXPECT_LE(used.size(), limit);
      const double meanError = static_cast<double>(error) / static_cast<double>(picture.rgb.size());
      EXPECT_LT(meanError, limit == 256 ? 5.0 : 16.0) << "dither " << dither << ", " << limit << " colours";
    }
  }
}

TEST_F(ImageHandleTest, ReduceColoursRefusesBadArguments) {
  const RgbPicture picture = ManyColorPicture(8, 8);
  const ImageHandle image = Hold(picture);
  for (auto [bits, colors] : {std::pair{0, 256}, {9, 256}, {24, 256}, {8, 1}, {8, 0}, {8, 257}}) {
    EXPECT_EQ(ImageFiles().ReduceColors(image, bits, 0, colors), kImageBadArgument) << bits << ", " << colors;
  }
  EXPECT_EQ(BitsOf(image), 24);
  EXPECT_EQ(HandlePicture(image), picture);
}

TEST_F(ImageHandleTest, PaletteOfTheReducedImageMatchesItsColourTable) {
  const ImageHandle image = HoldEightBit(FewColorPicture(10, 10, 5));
  const ColorPalette palette = ImageFiles().GetPalette(image);
  ASSERT_EQ(palette.size(), 5u);
  GlobalLockGuard<> data(ImageFiles().GetDib(image, nullptr, nullptr, nullptr));
  for (std::size_t i = 0; i < palette.size(); ++i) {
    const std::uint8_t* entry = data.get() + 40 + 4 * i;
    EXPECT_EQ(palette[i], (PaletteEntry{entry[2], entry[1], entry[0], 0})) << i;
  }
  EXPECT_TRUE(ImageFiles().GetPalette(Hold(ManyColorPicture(4, 4))).empty()) << "true colour has none";
}

TEST(ColorPaletteTest, NearestIndexPicksTheClosestColourAndTheFirstOnATie) {
  const ColorPalette palette({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}});
  EXPECT_EQ(palette.NearestIndex(250, 10, 5), 1);
  EXPECT_EQ(palette.NearestIndex(255, 0, 0), 1) << "lowest of two equal entries";
  EXPECT_EQ(palette.NearestIndex(10, 0, 100), 0);
  EXPECT_EQ(palette.NearestIndex(10, 0, 200), 2);
  EXPECT_EQ(ColorPalette().NearestIndex(1, 2, 3), -1);
}

// A 24-bit canvas of width x height filled with one grey.
HGLOBAL GreyCanvas(int width, int height) { return PackedDib24(FlatPicture(width, height, 77, 77, 77)).release(); }

RgbPicture CanvasPicture(HGLOBAL canvas) {
  GlobalLockGuard<> data(canvas);
  const DibInfoHeader header = ReadDibHeader(data.get());
  RgbPicture picture{header.biWidth, header.biHeight, {}};
  const std::size_t stride = header.biSizeImage / static_cast<std::uint32_t>(header.biHeight);
  for (int y = 0; y < header.biHeight; ++y) {
    const std::uint8_t* row = data.get() + 40 + stride * (header.biHeight - 1 - y);
    for (int x = 0; x < header.biWidth; ++x)
      picture.rgb.insert(picture.rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
  }
  return picture;
}

TEST_F(ImageHandleTest, DrawStretchesIntoTheRectangleAndClips) {
  // 2 x 2 picture: red, green over blue, white.
  RgbPicture picture{2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
  const ImageHandle image = HoldEightBit(picture);
  HGLOBAL canvas = GreyCanvas(10, 8);
  PackedDibCanvas target(&canvas);
  ASSERT_EQ(ImageFiles().Draw(image, target, 1, 2, 4, 4), kImageDone);
  const RgbPicture drawn = CanvasPicture(canvas);
  auto colourAt = [&](int x, int y) {
    const std::uint8_t* p = drawn.At(x, y);
    return std::array<int, 3>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(colourAt(1, 2), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(colourAt(2, 3), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(colourAt(3, 2), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(colourAt(1, 4), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(colourAt(4, 5), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(colourAt(0, 2), (std::array<int, 3>{77, 77, 77}));
  EXPECT_EQ(colourAt(5, 5), (std::array<int, 3>{77, 77, 77}));
  EXPECT_EQ(colourAt(1, 6), (std::array<int, 3>{77, 77, 77}));

  // Partly outside: only the inside part is drawn (the white quarter lands
  // at the top-left corner).
  HGLOBAL corner = GreyCanvas(3, 3);
  PackedDibCanvas cornerTarget(&corner);
  ASSERT_EQ(ImageFiles().Draw(image, cornerTarget, -2, -2, 4, 4), kImageDone);
  const RgbPicture clipped = CanvasPicture(corner);
  EXPECT_EQ(clipped.At(0, 0)[1], 255);
  EXPECT_EQ(clipped.At(1, 1)[1], 255);
  EXPECT_EQ(clipped.At(2, 2)[1], 77);
  ASSERT_EQ(ImageFiles().Draw(image, cornerTarget, 50, 50, 4, 4), kImageDone) << "wholly outside: nothing drawn";
  EXPECT_EQ(CanvasPicture(corner), clipped);
  GlobalFree(corner);
  GlobalFree(canvas);
}

TEST_F(ImageHandleTest, DrawHandsThePictureAndRectangleToTheTarget) {
  struct RecordingTarget : ImageDrawTarget {
    bool DrawDib(const std::uint8_t* dib, std::size_t bytes, int x, int y, int width, int height) override {
      header = ReadDibHeader(dib);
      size = bytes;
      rect = {x, y, width, height};
      return true;
    }
    DibInfoHeader header;
    std::size_t size = 0;
    std::array<int, 4> rect{};
  } target;
  const ImageHandle image = Hold(ManyColorPicture(12, 9));
  ASSERT_EQ(ImageFiles().Draw(image, target, 3, 4, 640, 480), kImageDone);
  EXPECT_EQ(target.header.biWidth, 12);
  EXPECT_EQ(target.header.biHeight, 9);
  EXPECT_EQ(target.size, 40u + 36 * 9);
  EXPECT_EQ(target.rect, (std::array<int, 4>{3, 4, 640, 480}));
}

TEST_F(ImageHandleTest, DrawRefusesEmptyRectanglesAndUnusableCanvases) {
  const ImageHandle image = Hold(ManyColorPicture(4, 4));
  HGLOBAL canvas = GreyCanvas(4, 4);
  PackedDibCanvas target(&canvas);
  EXPECT_EQ(ImageFiles().Draw(image, target, 0, 0, 0, 4), kImageBadArgument);
  EXPECT_EQ(ImageFiles().Draw(image, target, 0, 0, 4, -1), kImageBadArgument);
  HGLOBAL none = nullptr;
  PackedDibCanvas empty(&none);
  EXPECT_EQ(ImageFiles().Draw(image, empty, 0, 0, 4, 4), kImageFailed);
  HGLOBAL shortBlock = GlobalAlloc(GHND, 20);
  PackedDibCanvas tooShort(&shortBlock);
  EXPECT_EQ(ImageFiles().Draw(image, tooShort, 0, 0, 4, 4), kImageFailed);
  GlobalFree(shortBlock);
  GlobalFree(canvas);
}

TEST_F(ImageHandleTest, InvalidHandlesGiveClearFailures) {
  const ImageHandle image = Hold(ManyColorPicture(4, 4));
  ASSERT_EQ(ImageFiles().Free(image), kImageDone);
  images_.clear();
  HGLOBAL canvas = GreyCanvas(4, 4);
  PackedDibCanvas target(&canvas);
  for (ImageHandle bad : {image, kNoImage, 0, -77, 123456789}) {
    int width = 9, height = 9, bits = 9;
    EXPECT_EQ(ImageFiles().GetDib(bad, &width, &height, &bits), nullptr);
    EXPECT_EQ(width + height + bits, 0);
    EXPECT_EQ(ImageFiles().Free(bad), kImageInvalidHandle);
    EXPECT_EQ(ImageFiles().ToTrueColor(bad), kImageInvalidHandle);
    EXPECT_EQ(ImageFiles().Resize(bad, 2, 2), kImageInvalidHandle);
    EXPECT_FALSE(ImageFiles().MakeBitmap(bad, 2, 2));
    EXPECT_EQ(ImageFiles().ReduceColors(bad, 8, 0, 256), kImageInvalidHandle);
    EXPECT_TRUE(ImageFiles().GetPalette(bad).empty());
    EXPECT_EQ(ImageFiles().Draw(bad, target, 0, 0, 2, 2), kImageInvalidHandle);
  }
  GlobalFree(canvas);
}

TEST_F(ImageHandleTest, HandlesArePositiveAndNotReusedAfterAFree) {
  const ImageHandle first = Hold(ManyColorPicture(2, 2));
  ASSERT_EQ(ImageFiles().Free(first), kImageDone);
  images_.clear();
  const ImageHandle second = Hold(ManyColorPicture(2, 2));
  EXPECT_GE(first, 1);
  EXPECT_NE(second, first);
  EXPECT_EQ(ImageFiles().ImageCount(), liveBefore_ + 1);
}

// The callers' calling patterns, end to end.
TEST_F(ImageHandleTest, OpenConvertCopyFree) {
  TempDir dir;
  const RgbPicture picture = FewColorPicture(12, 6, 9);
  WriteWithMagick(picture, dir / "still.gif", "GIF", true);
  const ImageHandle image = ImageFiles().Open(dir / "still.gif");
  ASSERT_GE(image, 0);
  int width = 0, height = 0, bits = 0;
  ImageFiles().GetDib(image, &width, &height, &bits);
  if (bits <= 8) {
    ASSERT_EQ(ImageFiles().ToTrueColor(image), kImageDone);
    ImageFiles().GetDib(image, &width, &height, &bits);
  }
  EXPECT_EQ(bits, 24);
  const RgbPicture copy = *HandlePicture(image);
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
  EXPECT_EQ(copy, picture);
}

TEST_F(ImageHandleTest, ProcessPixelsThenMakeANewHandle) {
  const ImageHandle image = Hold(FlatPicture(4, 2, 1, 2, 3));
  const HGLOBAL dib = ImageFiles().GetDib(image, nullptr, nullptr, nullptr);
  GlobalBlock copy = GlobalBlock::Allocate(GlobalSize(dib));
  {
    GlobalLockGuard<> from(dib);
    GlobalLockGuard<> to(copy.get());
    std::memcpy(to.get(), from.get(), GlobalSize(dib));
    for (std::size_t i = 40; i < GlobalSize(dib); ++i) to.get()[i] = static_cast<std::uint8_t>(255 - to.get()[i]);
  }
  const ImageHandle processed = ImageFiles().DibToHandle(copy.get());
  ASSERT_GE(processed, 0);
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
  images_ = {processed};
  EXPECT_EQ(HandlePicture(processed), FlatPicture(4, 2, 254, 253, 252));
}

TEST_F(ImageHandleTest, OpenResizeTakeTheDibAtTheNeededSize) {
  TempDir dir;
  WriteWithMagick(FlatPicture(50, 40, 30, 60, 90), dir / "frame.bmp", "BMP3");
  const ImageHandle image = ImageFiles().Open(dir / "frame.bmp");
  ASSERT_GE(image, 0);
  images_.push_back(image);
  ASSERT_EQ(ImageFiles().Resize(image, 32, 24), kImageDone);
  EXPECT_EQ(HandlePicture(image), FlatPicture(32, 24, 30, 60, 90));
}

TEST_F(ImageHandleTest, ReduceGetPaletteDrawForAnAnimationPalette) {
  const RgbPicture grid = ManyColorPicture(64, 48);
  const ImageHandle image = Hold(grid);
  ASSERT_EQ(ImageFiles().ReduceColors(image, 8, 0, 256), kImageDone);
  const ColorPalette palette = ImageFiles().GetPalette(image);
  HGLOBAL canvas = GreyCanvas(64, 48);
  PackedDibCanvas target(&canvas);
  ASSERT_EQ(ImageFiles().Draw(image, target, 0, 0, 64, 48), kImageDone);
  // Every drawn pixel is a palette colour, and the reduced DIB's table
  // holds the palette.
  const RgbPicture drawn = CanvasPicture(canvas);
  for (std::size_t i = 0; i < drawn.rgb.size(); i += 3) {
    const int index = palette.NearestIndex(drawn.rgb[i], drawn.rgb[i + 1], drawn.rgb[i + 2]);
    ASSERT_EQ(palette[static_cast<std::size_t>(index)],
              (PaletteEntry{drawn.rgb[i], drawn.rgb[i + 1], drawn.rgb[i + 2], 0}));
  }
  EXPECT_EQ(MaxChannelDifference(drawn, *HandlePicture(image)), 0);
  GlobalFree(canvas);
}

}  // namespace
}  // namespace sprocket
