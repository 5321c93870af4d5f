#include <cstring>

#include <gtest/gtest.h>

#include "platform/imagefile/image_file_library.h"
#include "render/picture/picture_ops.h"
#include "source_test_media.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::MakeCard;
using testing::PixelOf;

DibPicture Card(int index, int width, int height) { return DibPicture::Adopt(MakeCard(index, width, height)); }

TEST(PictureOps, RowBytesAndHeaders) {
  EXPECT_EQ(DibRowBytes(5, 24), 16);
  EXPECT_EQ(DibRowBytes(4, 24), 12);
  EXPECT_EQ(DibRowBytes(5, 8), 5);
  EXPECT_EQ(DibRowBytes(5, 16), -1);

  DibPicture source = Card(1, 7, 5);
  std::uint8_t header[40] = {};
  EXPECT_EQ(InitDibHeader(5, 3, nullptr, header), -1);
  EXPECT_EQ(InitDibHeader(5, 3, source.data(), nullptr), -1);
  ASSERT_EQ(InitDibHeader(5, 3, source.data(), header), 0);
  const DibInfoHeader made = ReadDibHeader(header);
  EXPECT_EQ(made.biWidth, 5);
  EXPECT_EQ(made.biHeight, 3);
  EXPECT_EQ(made.biSizeImage, 48u);
  EXPECT_EQ(made.biClrUsed, 0u);
  EXPECT_EQ(made.biBitCount, 24);
}

TEST(PictureOps, CropThenPadGivesTheFrameBackWithABlackBorder) {
  DibPicture card = Card(9, 320, 240);
  const CropBox margins{8, 8, 4, 4};
  DibPicture cropped = CropDib24(card.data(), margins);
  ASSERT_TRUE(cropped);
  EXPECT_EQ(cropped.Width(), 304);
  EXPECT_EQ(cropped.Height(), 232);
  EXPECT_EQ(PixelOf(cropped.data(), 0, 0), (Bgr{9, 8, 4}));
  EXPECT_EQ(PixelOf(cropped.data(), 303, 231), (Bgr{9, 311 & 255, 235}));

  DibPicture padded = PadDib24(cropped.data(), margins);
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded.Width(), 320);
  EXPECT_EQ(padded.Height(), 240);
  EXPECT_EQ(PixelOf(padded.data(), 7, 100), (Bgr{0, 0, 0}));
  EXPECT_EQ(PixelOf(padded.data(), 312, 100), (Bgr{0, 0, 0}));
  EXPECT_EQ(PixelOf(padded.data(), 100, 3), (Bgr{0, 0, 0}));
  EXPECT_EQ(PixelOf(padded.data(), 100, 236), (Bgr{0, 0, 0}));
  for (int y = 4; y < 236; y += 29) {
    for (int x = 8; x < 312; x += 37) EXPECT_EQ(PixelOf(padded.data(), x, y), PixelOf(card.data(), x, y));
  }
}

TEST(PictureOps, CropOfOddWidthsKeepsEveryRowInPlace) {
  // Width 161: rows of 483 bytes are padded to 484; unpadded copies skew.
  DibPicture card = Card(3, 161, 9);
  DibPicture cropped = CropDib24(card.data(), CropBox{1, 2, 3, 1});
  ASSERT_TRUE(cropped);
  EXPECT_EQ(cropped.Width(), 158);
  EXPECT_EQ(cropped.Height(), 5);
  EXPECT_EQ(cropped.Header().biSizeImage, 5u * 476);
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(PixelOf(cropped.data(), 0, y), (Bgr{3, 1, 3 + y}));
    EXPECT_EQ(PixelOf(cropped.data(), 157, y), (Bgr{3, 158, 3 + y}));
  }
  DibPicture padded = PadDib24(cropped.data(), CropBox{1, 2, 3, 1});
  EXPECT_EQ(PixelOf(padded.data(), 158, 7), (Bgr{3, 158, 7}));
  EXPECT_EQ(PixelOf(padded.data(), 160, 7), (Bgr{0, 0, 0}));
}

TEST(PictureOps, CropRefusesWhatItCannotCut) {
  DibPicture card = Card(3, 10, 10);
  EXPECT_FALSE(CropDib24(card.data(), CropBox{5, 5, 0, 0}));
  EXPECT_FALSE(CropDib24(card.data(), CropBox{-1, 0, 0, 0}));
  EXPECT_FALSE(CropDib24(nullptr, CropBox{}));
  DibPicture lying = Card(3, 10, 10);
  DibInfoHeader header = lying.Header();
  header.biHeight = 1000;  // more rows than the block holds
  WriteDibHeader(lying.data(), header);
  EXPECT_FALSE(CropDib24(lying.data(), CropBox{1, 1, 1, 1}));
  EXPECT_FALSE(PadDib24(lying.data(), CropBox{1, 1, 1, 1}));
}

TEST(PictureOps, ThirtyTwoBitPicturesLoseTheirFourthByte) {
  DibPicture wide = DibPicture::Allocate(40 + 3 * 2 * 4);
  DibInfoHeader header;
  header.biSize = 40;
  header.biWidth = 3;
  header.biHeight = 2;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biSizeImage = 24;
  WriteDibHeader(wide.data(), header);
  for (int i = 0; i < 6; ++i) {
    const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(10 + i),
                                   static_cast<std::uint8_t>(20 + i), 255};
    std::memcpy(wide.data() + 40 + i * 4, pixel, 4);
  }
  DibPicture narrow = Dib32To24(wide.data());
  ASSERT_TRUE(narrow);
  EXPECT_EQ(narrow.BitCount(), 24);
  EXPECT_EQ(PixelOf(narrow.data(), 2, 1), (Bgr{5, 15, 25}));
  EXPECT_FALSE(Dib32To24(Card(1, 3, 2).data()));
}

TEST(PictureOps, DoubleSizeReductionHalvesExactly) {
  DibPicture big = DibPicture::Black24(64, 48);
  std::memset(big.data() + 40, 80, big.Header().biSizeImage);
  DibPicture small = ScaleDib24(big.data(), 32, 24);
  ASSERT_TRUE(small);
  EXPECT_EQ(small.Width(), 32);
  EXPECT_EQ(small.Height(), 24);
  EXPECT_EQ(small.Header().biXPelsPerMeter, 0);
  for (int y = 0; y < 24; y += 5) EXPECT_EQ(PixelOf(small.data(), 17, y), (Bgr{80, 80, 80}));
}

TEST(PictureOps, HandlesAreCroppedResizedAndFreed) {
  const std::size_t imagesBefore = ImageFiles().ImageCount();
  DibPicture card = Card(5, 40, 30);
  ImageHandle image = ImageFiles().DibToHandle(card.data(), card.size());
  ASSERT_GE(image, 0);
  ASSERT_EQ(CropImageHandle(image, CropBox{2, 3, 4, 5}), 1);
  DibPicture out;
  ASSERT_EQ(ImageToDibResized(image, &out, 35, 21, false), 1);
  EXPECT_EQ(out.Width(), 35);
  EXPECT_EQ(out.Height(), 21);
  // At its own size a picture comes back unchanged.
  ASSERT_EQ(ImageToDibResized(image, &out, 35, 21, true), 1);
  EXPECT_EQ(PixelOf(out.data(), 0, 0), (Bgr{5, 2, 4}));
  EXPECT_EQ(image, kNoImage);

  ImageHandle cropped = CropDibToImage(Card(6, 40, 30), CropBox{10, 0, 0, 10});
  ASSERT_GE(cropped, 0);
  int width = 0;
  int height = 0;
  ImageFiles().GetDib(cropped, &width, &height, nullptr);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 20);
  ASSERT_EQ(ImageToDibScaled(cropped, &out, 15, 10, true), 1);
  EXPECT_EQ(out.Width(), 15);
  EXPECT_EQ(ImageToDibScaled(cropped, &out, 15, 10, true), 0);
  EXPECT_EQ(CropDibToImage(DibPicture(), CropBox{}), kNoImage);
  EXPECT_EQ(ImageFiles().ImageCount(), imagesBefore);
}

// A picture of every byte different from its neighbours, so that any
// change of the scaling shows.
DibPicture Noise(int width, int height, int bits) {
  DibPicture picture = bits == 24 ? DibPicture::Black24(width, height) : DibPicture::Grey8(width, height);
  const std::size_t first = bits == 24 ? 40 : 1064;
  std::uint32_t state = 12345u + static_cast<std::uint32_t>(width * 7 + height);
  for (std::size_t i = first; i < picture.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    picture.data()[i] = static_cast<std::uint8_t>(state >> 24);
  }
  return picture;
}

// The library's road: a handle, promoted, resized and copied out.
DibPicture ResizedThroughTheLibrary(const DibPicture& picture, int width, int height) {
  ImageHandle image = ImageFiles().DibToHandle(picture.data(), picture.size());
  ImageFiles().ToTrueColor(image);
  DibPicture out;
  EXPECT_EQ(ImageToDibResized(image, &out, width, height, true), 1);
  return out;
}

TEST(PictureOps, DirectResizeGivesTheLibrarysBytes) {
  struct Case {
    int width, height, bits, toWidth, toHeight;
  };
  for (const Case& c :
       {Case{720, 480, 24, 640, 480}, Case{37, 21, 24, 16, 50}, Case{33, 9, 24, 33, 9}, Case{19, 11, 8, 25, 7}}) {
    const DibPicture source = Noise(c.width, c.height, c.bits);
    const DibPicture expected = ResizedThroughTheLibrary(source, c.toWidth, c.toHeight);
    const DibPicture direct = ResizedDib24(source.Clone(), c.toWidth, c.toHeight);
    ASSERT_TRUE(expected && direct) << c.width << "x" << c.height;
    ASSERT_EQ(direct.size(), expected.size()) << c.width << "x" << c.height;
    EXPECT_EQ(std::memcmp(direct.data(), expected.data(), expected.size()), 0) << c.width << "x" << c.height;
  }
  EXPECT_FALSE(ResizedDib24(DibPicture(), 10, 10));
}

TEST(PictureOps, EightBitPicturesArePromoted) {
  DibPicture indexed = DibPicture::Grey8(3, 2);
  const std::uint8_t colour[4] = {10, 20, 30, 0};
  std::memcpy(indexed.data() + 40 + 7 * 4, colour, 4);
  indexed.data()[1064 + 4 + 2] = 7;
  DibPicture promoted = PromoteTo24(std::move(indexed));
  ASSERT_TRUE(promoted);
  EXPECT_EQ(promoted.BitCount(), 24);
  EXPECT_EQ(PixelOf(promoted.data(), 2, 1), (Bgr{10, 20, 30}));
}

TEST(PictureOps, TgaStillsBringTheirAlphaAsWeights) {
  testing::TempDir dir;
  const auto tga = dir / "key.tga";
  testing::WriteTga32(tga, 4, 3, [](int x, int) { return x == 0 ? 0 : (x == 1 ? 128 : 255); });
  ImageHandle picture = kNoImage;
  ImageHandle alpha = kNoImage;
  ASSERT_TRUE(OpenImageWithMask(tga.string(), &picture, &alpha, true));
  ASSERT_GE(alpha, 0);
  DibPicture colour = CopyImageDib(picture);
  DibPicture weights = CopyImageDib(alpha);
  EXPECT_EQ(PixelOf(colour.data(), 3, 2), (Bgr{3, 2, 77}));
  EXPECT_EQ(PixelOf(weights.data(), 0, 1).blue, 0);
  EXPECT_EQ(PixelOf(weights.data(), 1, 1).blue, 64);
  EXPECT_EQ(PixelOf(weights.data(), 3, 1).blue, 128);
  ImageFiles().Free(picture);
  ImageFiles().Free(alpha);

  // Without asking for a mask, and for other stills, there is no alpha.
  ASSERT_TRUE(OpenImageWithMask(tga.string(), &picture, &alpha, false));
  EXPECT_EQ(alpha, kNoImage);
  ImageFiles().Free(picture);
  DibPicture card = Card(1, 8, 8);
  ASSERT_TRUE(testing::SaveStill(card.handle(), dir / "card.bmp"));
  ASSERT_TRUE(OpenImageWithMask((dir / "card.bmp").string(), &picture, &alpha, true));
  EXPECT_EQ(alpha, kNoImage);
  ImageFiles().Free(picture);
  EXPECT_FALSE(OpenImageWithMask((dir / "missing.bmp").string(), &picture, &alpha, true));
  EXPECT_EQ(picture, kNoImage);
}

TEST(PictureOps, EffectPositionFollowsTheClip) {
  EffectFrameParams params;
  RenderSide side;
  side.fieldSelector = 2;
  side.sourceFrame = 5;
  AviClipHeader avi{};
  avi.file.length = 11;
  side.header = ClipMediaHeader(avi);
  side.header->SetFieldOrder(2);
  FillEffectPosition(params, side, 1, 4);
  EXPECT_EQ(params.fieldSelector, 2);
  EXPECT_EQ(params.currentField, 1);
  EXPECT_EQ(params.fieldMode, 2);
  EXPECT_FLOAT_EQ(params.position, 0.5f);

  // Without a header: frames of the source time at the clip's rate.
  side.header.reset();
  side.sourceTime = 1000;
  side.rate = 25.0f;
  side.sourceFrame = 12;
  FillEffectPosition(params, side, 0, 3);
  EXPECT_EQ(params.fieldMode, 3);
  EXPECT_FLOAT_EQ(params.position, 0.5f);
  side.sourceFrame = 40;
  FillEffectPosition(params, side, 0, -1);
  EXPECT_EQ(params.fieldMode, 0);
  EXPECT_FLOAT_EQ(params.position, 1.0f);
  // A source of one frame stands at its start instead of dividing by zero.
  side.sourceTime = 40;
  side.sourceFrame = 0;
  FillEffectPosition(params, side, 0, 0);
  EXPECT_FLOAT_EQ(params.position, 0.0f);
}

TEST(PictureOps, CropMarginsComeFromTheHeadUnlessSwitchedOff) {
  TLEvent head;
  head.cropMargins.Set(8, 7, 4, 3);
  EXPECT_EQ(ReadCropMargins(&head), (CropBox{8, 7, 3, 4}));
  EXPECT_EQ(ReadCropMargins(&head, kRenderOptionNoCrop), CropBox{});
  EXPECT_EQ(ReadCropMargins(nullptr), CropBox{});
}

}  // namespace
}  // namespace sprocket
