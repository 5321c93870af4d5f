#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imagelib/quadmap/quad_frame.h"
#include "imagelib/quadmap/quad_map.h"
#include "imagelib/quadmap/quad_scan.h"
#include "locked_picture.h"
#include "owned_picture.h"

namespace sprocket {
namespace {

using testing::LockedPicture;
using testing::OwnedPicture;

std::vector<std::uint8_t> PixelAt(const LockedPicture& picture, int x, int y) {
  const int bytes = picture.Header().biBitCount / 8;
  return {picture.At(x, y), picture.At(x, y) + bytes};
}

void SetPixel(const LockedPicture& picture, int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
  picture.At(x, y)[0] = b;
  picture.At(x, y)[1] = g;
  picture.At(x, y)[2] = r;
}

LockedPicture Random(int width, int height, bool eightBit, unsigned seed) {
  LockedPicture picture = eightBit ? LockedPicture::Mask8(width, height) : LockedPicture::Rgb(width, height);
  picture.FillRandom(seed);
  return picture;
}

TEST(RotateDib, QuarterAndHalfTurnsAgreeWithTheImageTurnsInside) {
  const int size = 10;
  for (const double degrees : {180.0, -90.0, 270.0}) {
    OwnedPicture turned(size, size);
    OwnedPicture expected(size, size);
    for (OwnedPicture* picture : {&turned, &expected}) {
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
          picture->image.SetPixel(x, y, static_cast<COLORREF>(x * 0x0A0301 + y * 0x010A03));
      }
    }
    {
      GlobalLockGuard<std::uint8_t> lock(turned.handle);
      ASSERT_EQ(RotateDib(degrees, size / 2.0, size / 2.0, lock.get(), kQuadNearest), 0);
    }
    ASSERT_EQ(degrees == 180 ? expected.image.Rotate180() : expected.image.Rotate90(), kDibDone);
    for (int y = 1; y < size - 1; ++y) {
      for (int x = 1; x < size - 1; ++x) {
        EXPECT_EQ(turned.image.GetPixel(x, y), expected.image.GetPixel(x, y)) << degrees << " " << x << "," << y;
      }
    }
  }
}

TEST(RotateDib, EightBitPicturesTurnToo) {
  LockedPicture picture = Random(6, 6, true, 5);
  const LockedPicture original = Random(6, 6, true, 5);
  ASSERT_EQ(RotateDib(180, 3, 3, picture.data(), kQuadNearest), 0);
  for (int y = 1; y < 5; ++y) {
    for (int x = 1; x < 5; ++x) EXPECT_EQ(PixelAt(picture, x, y), PixelAt(original, 5 - x, 5 - y));
  }
}

TEST(RotateDib, TinyAnglesAndUnusablePictures) {
  LockedPicture picture = Random(6, 4, false, 3);
  const std::vector<std::uint8_t> before = picture.Bytes();
  EXPECT_EQ(RotateDib(0.005, 3, 2, picture.data(), kQuadClearFirst), 0);
  EXPECT_EQ(picture.Bytes(), before);
  EXPECT_EQ(RotateDib(30, 3, 2, nullptr, 0), -1);
  DibInfoHeader header = picture.Header();
  header.biWidth = 0;
  WriteDibHeader(picture.data(), header);
  EXPECT_EQ(RotateDib(30, 3, 2, picture.data(), 0), -1);
}

TEST(MapRectToQuad, InPlaceMirrorReadsTheOriginalPixels) {
  LockedPicture picture = Random(9, 3, false, 11);
  const LockedPicture original = Random(9, 3, false, 11);
  const QuadCorners mirrored{{9, 0, 0, 9}, {0, 0, 3, 3}};
  ASSERT_EQ(MapRectToQuad(mirrored, RectangleCorners(9, 3), picture.data(), kQuadNearest), 0);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 9; ++x) EXPECT_EQ(PixelAt(picture, x, y), PixelAt(original, 8 - x, y)) << x;
  }
}

TEST(ScanQuad, RowsAndSpansAreClippedToTheDestination) {
  LockedPicture destination = LockedPicture::Rgb(10, 10);
  LockedPicture source = LockedPicture::Rgb(2, 2);
  SetPixel(source, 1, 1, 1, 2, 3);
  // A 10 x 10 square whose upper right quarter covers the destination's lower left.
  const QuadCorners corners{{-5, 5, 5, -5}, {-5, -5, 5, 5}};
  EXPECT_EQ(ScanQuad(destination.data(), source.data(), corners, kQuadNearest), 5);
  EXPECT_EQ(PixelAt(destination, 0, 0), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(PixelAt(destination, 4, 4), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(PixelAt(destination, 5, 4), (std::vector<std::uint8_t>{0, 0, 0}));
  EXPECT_EQ(PixelAt(destination, 4, 5), (std::vector<std::uint8_t>{0, 0, 0}));
  // Far outside, empty pictures, different depths: nothing drawn.
  EXPECT_EQ(ScanQuad(destination.data(), source.data(), QuadCorners{{20, 30, 30, 20}, {0, 0, 5, 5}}, kQuadNearest), 0);
  EXPECT_EQ(ScanQuad(destination.data(), nullptr, corners, kQuadNearest), 0);
  LockedPicture mask = LockedPicture::Mask8(2, 2);
  EXPECT_EQ(ScanQuad(destination.data(), mask.data(), corners, kQuadNearest), 0);
}

TEST(ScanQuad, BlendedRowsMixByTheFraction) {
  LockedPicture source = LockedPicture::Mask8(1, 2);
  source.At(0, 1)[0] = 200;
  LockedPicture destination = LockedPicture::Mask8(1, 4);
  ASSERT_EQ(ScanQuad(destination.data(), source.data(), RectangleCorners(1, 4), kQuadBlendRows), 4);
  // Row positions -0.25 (nearest), 0.25, 0.75, 1.25 (next row past the end: nearest).
  const std::uint8_t expected[4] = {0, 50, 150, 200};
  for (int y = 0; y < 4; ++y) EXPECT_EQ(destination.At(0, y)[0], expected[y]) << y;
}

TEST(ScanQuadBlend, LevelWeighsTheSecondSource) {
  LockedPicture first = LockedPicture::Rgb(1, 1);
  LockedPicture second = LockedPicture::Rgb(3, 3);
  SetPixel(first, 0, 0, 0, 100, 200);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) SetPixel(second, x, y, 100, 200, 0);
  }
  const std::pair<int, std::vector<std::uint8_t>> cases[] = {
      {0, {0, 100, 200}}, {256, {100, 200, 0}}, {128, {50, 150, 100}}, {999, {100, 200, 0}}};
  for (const auto& [level, expected] : cases) {
    LockedPicture destination = LockedPicture::Rgb(2, 2);
    EXPECT_EQ(
        ScanQuadBlend(destination.data(), first.data(), second.data(), RectangleCorners(2, 2), kQuadNearest, level), 2);
    EXPECT_EQ(PixelAt(destination, 1, 1), expected) << level;
  }
}

TEST(QuadMapFrame, PlacesTurnsAndRefuses) {
  LockedPicture source = LockedPicture::Rgb(2, 2);
  SetPixel(source, 0, 0, 10, 10, 10);
  SetPixel(source, 1, 1, 20, 20, 20);
  QuadFrameParams params;
  params.target = QuadCorners{{2, 6, 6, 2}, {2, 2, 6, 6}};
  params.displacement = {1, 0};
  const std::vector<std::uint8_t> grey(3, 9);

  LockedPicture target = LockedPicture::Rgb(8, 8);
  for (int y = 0; y < 8; ++y) target.FillRow(y, 9);
  ASSERT_EQ(QuadMapFrame(target.data(), source.data(), nullptr, params), 0);
  EXPECT_EQ(PixelAt(target, 3, 2), std::vector<std::uint8_t>(3, 10));
  EXPECT_EQ(PixelAt(target, 6, 5), std::vector<std::uint8_t>(3, 20));
  EXPECT_EQ(PixelAt(target, 2, 2), grey);
  EXPECT_EQ(PixelAt(target, 7, 6), grey);

  params.degrees = 180;
  ASSERT_EQ(QuadMapFrame(target.data(), source.data(), nullptr, params), 0);
  EXPECT_EQ(PixelAt(target, 3, 2), std::vector<std::uint8_t>(3, 20));
  EXPECT_EQ(PixelAt(target, 6, 5), std::vector<std::uint8_t>(3, 10));

  const std::vector<std::uint8_t> before = target.Bytes();
  params.target = QuadCorners{{0, 5, 10, 15}, {0, 5, 10, 15}};
  EXPECT_EQ(QuadMapFrame(target.data(), source.data(), nullptr, params), 0);
  EXPECT_EQ(target.Bytes(), before);
  params.target = QuadCorners{{0, 20000, 20000, 0}, {0, 0, 5, 5}};
  EXPECT_EQ(QuadMapFrame(target.data(), source.data(), nullptr, params), -1);
  LockedPicture mask = LockedPicture::Mask8(8, 8);
  params.target = QuadCorners{{2, 6, 6, 2}, {2, 2, 6, 6}};
  EXPECT_EQ(QuadMapFrame(mask.data(), source.data(), nullptr, params), -1);
}

TEST(ShiftCopyDib, CopiesOnlyTheOverlap) {
  LockedPicture source = LockedPicture::Rgb(3, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) SetPixel(source, x, y, static_cast<std::uint8_t>(10 * y + x + 1), 0, 0);
  }
  LockedPicture destination = LockedPicture::Rgb(4, 4);
  ASSERT_EQ(ShiftCopyDib(source.data(), destination.data(), -1, 2), 0);
  std::vector<int> blues;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) blues.push_back(destination.At(x, y)[0]);
  }
  const std::vector<int> expected = {0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 0, 0, 12, 13, 0, 0};
  EXPECT_EQ(blues, expected);
  EXPECT_EQ(ShiftCopyDib(source.data(), nullptr, 0, 0), -1);
}

}  // namespace
}  // namespace sprocket
