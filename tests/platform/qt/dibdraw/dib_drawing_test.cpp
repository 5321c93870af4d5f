#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagelib/dib_image.h"
#include "imagelib/drawing/gradient_fill.h"
#include "imagelib/formats/dib_palette.h"
#include "imagelib/formats/dib_pixels.h"
#include "platform/qt/dibdraw/dib_bitmaps.h"
#include "platform/qt/dibdraw/dib_drawing.h"

namespace sprocket {
namespace {

using dc::Rgb;

constexpr Rgb kGrey{9, 9, 9};
constexpr Rgb kKey{255, 0, 255};

TEST(DibDrawing, TransparentDrawCopiesAllButTheKeyAndLeavesTheSource) {
  dc::Bitmap source(3, 2, Rgb{1, 2, 3});
  source.Image().setPixel(1, 0, kKey.ToQRgb());
  const dc::Bitmap before = source.Copy();
  dc::Bitmap destination(4, 4, kGrey);
  DrawTransparentBitmap(source, destination, 0xFF00FF, 2, 1);
  EXPECT_EQ(destination.Pixel(2, 1), (Rgb{1, 2, 3}));
  EXPECT_EQ(destination.Pixel(3, 1), kGrey);  // the key colour
  EXPECT_EQ(destination.Pixel(3, 2), (Rgb{1, 2, 3}));
  EXPECT_EQ(destination.Pixel(1, 1), kGrey);
  EXPECT_EQ(source.Image(), before.Image());

  // A key that does not occur copies the whole source.
  DrawTransparentBitmap(source, destination, 0x00FF00, 0, 0);
  EXPECT_EQ(destination.Pixel(1, 0), kKey);
}

TEST(DibDrawing, StretchDibDrawsTheWholeDibOrPatterns) {
  GlobalBlock dib = NewDib(24, 2, 2);
  {
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    std::uint8_t* bits = lock.get() + 40;
    bits[8] = 200;  // memory row 1 (the top row), pixel 0: blue 200
  }
  QImage target(8, 8, QImage::Format_RGB32);
  target.fill(kGrey.ToQRgb());
  {
    dc::Context dc(target);
    EXPECT_EQ(StretchDibToDc(dc, 0, 0, -2, -2, dib.get(), nullptr, 0, 0, -1, -1, DibRop::kSrcCopy, kDibRgbColours), 4);
    EXPECT_EQ(StretchDibToDc(dc, 4, 4, 2, 2, nullptr, nullptr, 0, 0, -1, -1, DibRop::kWhiteness, kDibRgbColours), 2);
    EXPECT_EQ(StretchDibToDc(dc, 0, 0, 2, 2, dib.get(), nullptr, 0, 0, -1, -1, DibRop::kWhiteness, kDibRgbColours), 0);
  }
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(1, 1)), (Rgb{0, 0, 200}));
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(2, 1)), (Rgb{0, 0, 0}));
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(1, 3)), (Rgb{0, 0, 0}));
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(4, 1)), kGrey);
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(5, 5)), (Rgb{255, 255, 255}));
  EXPECT_EQ(Rgb::FromQRgb(target.pixel(6, 6)), kGrey);
}

TEST(DibDrawing, BitmapsBecomeDibsOfEveryDepthAndBack) {
  dc::Bitmap bitmap(3, 2, Rgb{250, 5, 5});
  bitmap.Image().setPixel(2, 0, qRgb(0, 0, 130));
  struct Case {
    int bits;
    Rgb topLeft;
    Rgb topRight;
  };
  const Case cases[] = {
      {0, {250, 5, 5}, {0, 0, 130}}, {32, {250, 5, 5}, {0, 0, 130}},
      {8, {255, 0, 0}, {0, 0, 128}}, {4, {255, 0, 0}, {0, 0, 128}},  // the nearest standard colours
      {1, {0, 0, 0}, {0, 0, 0}},     {16, {255, 0, 0}, {0, 0, 131}},
  };
  for (const Case& test : cases) {
    GlobalBlock dib = DibFromBitmapHandle(bitmap, 0, test.bits, nullptr, kDibRgbColours);
    ASSERT_TRUE(dib) << test.bits;
    const dc::Bitmap back = BitmapFromDibHandle(dib.get(), nullptr, kDibRgbColours);
    EXPECT_EQ(back.Pixel(0, 0), test.topLeft) << test.bits;
    EXPECT_EQ(back.Pixel(2, 0), test.topRight) << test.bits;
  }
  // A table of indices into a palette.
  const ColorPalette palette({{10, 20, 30, 0}, {40, 50, 60, 0}});
  GlobalBlock indexed = DibFromBitmapHandle(bitmap, 0, 1, &palette, kDibPaletteIndices);
  ASSERT_TRUE(indexed);
  EXPECT_EQ(BitmapFromDibHandle(indexed.get(), &palette, kDibPaletteIndices).Pixel(0, 1), (Rgb{10, 20, 30}));
  EXPECT_FALSE(DibFromBitmapHandle(bitmap, 1, 8, nullptr, kDibRgbColours));
  EXPECT_FALSE(DibFromBitmapHandle(bitmap, 0, 7, nullptr, kDibRgbColours));
}

TEST(DibDrawing, GradientsOnBitmapsMatchGradientsInPictures) {
  for (int style = 0; style < 12; ++style) {
    HGLOBAL handle = nullptr;
    CDibImage picture(&handle);
    ASSERT_EQ(picture.Create(16, 12), kDibDone);
    ASSERT_EQ(GradientFillDib(picture, 0x2040F0, 0xF04020, 1, 2, 14, 11, style), kDibDone);
    dc::Bitmap bitmap(16, 12, dc::kBlack);
    GradientFillBitmap(bitmap, 0x2040F0, 0xF04020, 1, 2, 14, 11, style);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 16; ++x) {
        const COLORREF colour = picture.GetPixel(x, 11 - y);
        ASSERT_EQ(bitmap.Pixel(x, y), (Rgb{static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                                           static_cast<std::uint8_t>(colour >> 16)}))
            << style << " " << x << "," << y;
      }
    }
    picture.Free();
  }
}

}  // namespace
}  // namespace sprocket
