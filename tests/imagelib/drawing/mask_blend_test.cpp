#include "imagelib/drawing/mask_blend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "imagelib/formats/tga_reader.h"
#include "locked_picture.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::LockedPicture;

// Every pixel byte of the picture set to `value`.
void FillPixels(const LockedPicture& picture, std::uint8_t value) {
  for (int y = 0; y < picture.Header().biHeight; ++y) picture.FillRow(y, value);
}

std::uint8_t Expected(int s, int d, int m) {
  const int w = m < 128 ? m : 128;
  return static_cast<std::uint8_t>((s * w + d * (128 - w)) >> 7);
}

TEST(MaskBlend, WeightsComeFromEightBitMasksAndBlueBytesOf24BitMasks) {
  const std::uint8_t weights[4] = {200, 64, 0, 128};
  // 200 acts as 128; 64 gives (200 * 64 + 100 * 64) >> 7 = 150; 0 keeps the destination.
  const std::vector<std::uint8_t> expected = {200, 200, 200, 150, 150, 150, 100, 100, 100, 200, 200, 200};
  for (bool wide : {false, true}) {
    LockedPicture source = LockedPicture::Rgb(4, 1);
    LockedPicture destination = LockedPicture::Rgb(4, 1);
    LockedPicture mask = wide ? LockedPicture::Rgb(4, 1) : LockedPicture::Mask8(4, 1);
    FillPixels(source, 200);
    FillPixels(destination, 100);
    FillPixels(mask, 255);  // green and red of a 24-bit mask must not count
    for (int x = 0; x < 4; ++x) mask.At(x, 0)[0] = weights[x];
    const int result = wide ? BlendUnderMask24(source.data(), destination.data(), mask.data())
                            : BlendUnderMask(source.data(), destination.data(), mask.data());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(destination.Row(0), destination.Row(0) + 12), expected) << wide;
  }
}

TEST(MaskBlend, EveryWeightFollowsTheFormulaInBothKernels) {
  // One row of 256 pixels, pixel x under mask byte x; channels differ.
  for (auto kernel : {BlendUnderMask, BlendUnderMaskPlain}) {
    LockedPicture source = LockedPicture::Rgb(256, 1);
    LockedPicture destination = LockedPicture::Rgb(256, 1);
    LockedPicture mask = LockedPicture::Mask8(256, 1);
    for (int x = 0; x < 256; ++x) {
      source.At(x, 0)[0] = 255;
      source.At(x, 0)[1] = 0;
      source.At(x, 0)[2] = static_cast<std::uint8_t>(x);
      destination.At(x, 0)[0] = 0;
      destination.At(x, 0)[1] = 255;
      destination.At(x, 0)[2] = static_cast<std::uint8_t>(255 - x);
      *mask.At(x, 0) = static_cast<std::uint8_t>(x);
    }
    kernel(source.data(), destination.data(), mask.data());
    for (int x = 0; x < 256; ++x) {
      EXPECT_EQ(destination.At(x, 0)[0], Expected(255, 0, x)) << x;
      EXPECT_EQ(destination.At(x, 0)[1], Expected(0, 255, x)) << x;
      EXPECT_EQ(destination.At(x, 0)[2], Expected(x, 255 - x, x)) << x;
    }
  }
}

TEST(MaskBlend, RowKernelsGiveTheBytesOfThePlainOnes) {
  int seed = 1;
  for (int width : {1, 2, 3, 5, 6, 7, 16, 21, 33, 64}) {
    for (int height : {1, 2, 3}) {
      for (bool padded : {true, false}) {
        const int stride = padded ? 0 : width * 3;
        LockedPicture source = LockedPicture::Rgb(width, height, stride);
        LockedPicture first = LockedPicture::Rgb(width, height, stride);
        LockedPicture second = LockedPicture::Rgb(width, height, stride);
        LockedPicture mask8 = LockedPicture::Mask8(width, height, padded ? 0 : width);
        LockedPicture mask24 = LockedPicture::Rgb(width, height, stride);
        source.FillRandom(seed++);
        first.FillRandom(seed);
        second.FillRandom(seed++);
        mask8.FillRandom(seed++);
        mask24.FillRandom(seed++);
        BlendUnderMask(source.data(), first.data(), mask8.data());
        BlendUnderMaskPlain(source.data(), second.data(), mask8.data());
        ASSERT_EQ(first.Bytes(), second.Bytes()) << width << "x" << height << " padded " << padded;
        BlendUnderMask24(source.data(), first.data(), mask24.data());
        BlendUnderMask24Plain(source.data(), second.data(), mask24.data());
        ASSERT_EQ(first.Bytes(), second.Bytes()) << width << "x" << height << " padded " << padded;
      }
    }
  }
}

TEST(MaskBlend, NullMaskCopiesTheWholeSource) {
  LockedPicture source = LockedPicture::Rgb(5, 3);
  source.FillRandom(4);
  LockedPicture destination = LockedPicture::Rgb(5, 3);
  destination.FillRandom(5);
  EXPECT_EQ(BlendUnderMask(source.data(), destination.data(), nullptr), 0);
  EXPECT_EQ(destination.Bytes(), source.Bytes());

  LockedPicture other = LockedPicture::Rgb(5, 3);
  EXPECT_EQ(BlendUnderMask24(source.data(), other.data(), nullptr), 0);
  EXPECT_EQ(other.Bytes(), source.Bytes());
}

TEST(MaskBlend, NullMaskIntoASmallerBlockCopiesOnlySharedRows) {
  LockedPicture source = LockedPicture::Rgb(8, 4);
  FillPixels(source, 9);
  LockedPicture destination = LockedPicture::Rgb(2, 2);
  const DibInfoHeader before = destination.Header();
  BlendUnderMask(source.data(), destination.data(), nullptr);
  EXPECT_EQ(destination.Header().biWidth, before.biWidth);
  EXPECT_EQ(destination.Header().biSizeImage, before.biSizeImage);
  for (std::uint8_t byte : destination.PixelBytes()) EXPECT_EQ(byte, 9);
}

TEST(MaskBlend, EachPictureUsesItsOwnStride) {
  // Width 5: an unpadded source (15-byte rows) over a padded frame (16).
  LockedPicture source = LockedPicture::Rgb(5, 3, 15);
  LockedPicture destination = LockedPicture::Rgb(5, 3);
  LockedPicture mask = LockedPicture::Mask8(5, 3);
  source.FillRandom(8);
  FillPixels(destination, 77);
  FillPixels(mask, 128);
  BlendUnderMask(source.data(), destination.data(), mask.data());
  for (int y = 0; y < 3; ++y) {
    for (int i = 0; i < 15; ++i) EXPECT_EQ(destination.Row(y)[i], source.Row(y)[i]) << y << "," << i;
    EXPECT_EQ(destination.Row(y)[15], 77) << "row tail " << y;
  }
}

TEST(MaskBlend, SmallerDestinationOrMaskIsNeverOverrun) {
  LockedPicture source = LockedPicture::Rgb(9, 6);
  FillPixels(source, 200);
  LockedPicture destination = LockedPicture::Rgb(4, 3);
  FillPixels(destination, 100);
  LockedPicture mask = LockedPicture::Mask8(9, 6);
  FillPixels(mask, 64);
  BlendUnderMask(source.data(), destination.data(), mask.data());
  for (int y = 0; y < 3; ++y) {
    for (int i = 0; i < 12; ++i) EXPECT_EQ(destination.Row(y)[i], 150) << y << "," << i;
  }

  LockedPicture narrowMask = LockedPicture::Rgb(2, 1);  // 24-bit mask of one short row
  FillPixels(narrowMask, 128);
  LockedPicture frame = LockedPicture::Rgb(9, 6);
  FillPixels(frame, 1);
  BlendUnderMask24(source.data(), frame.data(), narrowMask.data());
  // The mask's 8 bytes spread over 6 rows give 1-byte rows: nothing fits a pixel.
  for (std::uint8_t byte : frame.PixelBytes()) EXPECT_EQ(byte, 1);
}

TEST(MaskBlend, MakeMaskDibWritesGreyPaletteAndBlueBytes) {
  LockedPicture source = LockedPicture::Rgb(3, 2, 9);  // unpadded
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      std::uint8_t* p = source.At(x, y);
      p[0] = static_cast<std::uint8_t>(7 + 10 * y + x);
      p[1] = 8;
      p[2] = 9;
    }
  }
  LockedPicture mask = LockedPicture::Mask8(3, 2);  // rows padded to 4
  EXPECT_EQ(MakeMaskDib(source.data(), mask.data()), 0);
  const std::uint8_t* palette = mask.data() + 40;
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(palette[4 * i], i);
    EXPECT_EQ(palette[4 * i + 1], i);
    EXPECT_EQ(palette[4 * i + 2], i);
    EXPECT_EQ(palette[4 * i + 3], 0);
  }
  EXPECT_EQ(*mask.At(0, 0), 7);
  EXPECT_EQ(*mask.At(2, 0), 9);
  EXPECT_EQ(*mask.At(1, 1), 18);
  EXPECT_EQ(mask.Row(0)[3], 0);  // row padding untouched
}

// A 32-bit TGA laid over a frame through its weight mask.
TEST(MaskBlend, TgaAlphaBlendsThroughTheWeightMask) {
  testing::TempDir dir;
  std::vector<std::uint8_t> file(18, 0);
  file[2] = 2;
  file[12] = 3;
  file[14] = 1;
  file[16] = 32;
  file[17] = 8;
  for (std::uint8_t alpha : {0, 128, 255}) file.insert(file.end(), {240, 120, 60, alpha});
  const std::string path = (dir / "overlay.tga").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  std::uint8_t* colour = nullptr;
  std::uint8_t* weights = nullptr;
  const int flag = 1;
  ASSERT_EQ(ReadTgaToDib(path, &colour, &weights, &flag), kTgaRead);
  LockedPicture overlay = LockedPicture::Adopt(colour);
  LockedPicture mask = LockedPicture::Adopt(weights);
  LockedPicture frame = LockedPicture::Rgb(3, 1);
  FillPixels(frame, 20);
  BlendUnderMask24(overlay.data(), frame.data(), mask.data());
  // Weights 0, 64 and 128.
  const std::vector<std::uint8_t> expected = {20, 20, 20, 130, 70, 40, 240, 120, 60};
  EXPECT_EQ(std::vector<std::uint8_t>(frame.Row(0), frame.Row(0) + 9), expected);
}

}  // namespace
}  // namespace sprocket
