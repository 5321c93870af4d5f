// Packed DIBs into image handles: every depth and row layout callers hand
// over, and DIBs that must be refused.

#include <gtest/gtest.h>

#include <cstring>

#include "imagelib/dib_header.h"
#include "platform/imagefile/image_file_library.h"
#include "test_pictures.h"

namespace sprocket {
namespace {

using testing::HandlePicture;
using testing::ManyColorPicture;
using testing::PackedDib24;
using testing::RgbPicture;

// A DIB built byte by byte: header, optional masks and colour table, rows
// given bottom row first.
struct DibBuilder {
  DibInfoHeader header;
  std::vector<std::uint32_t> masks;
  std::vector<std::uint8_t> table;  // BGR0 entries
  std::vector<std::vector<std::uint8_t>> rows;
  std::size_t stride = 0;
  std::size_t trailingCut = 0;

  std::vector<std::uint8_t> Bytes() const {
    // The header area is biSize bytes for real header sizes, else 40 (so
    // that a header can claim a size that disagrees with the block).
    const bool realSize = header.biSize >= 40 && header.biSize <= 124;
    std::vector<std::uint8_t> bytes(realSize ? header.biSize : 40, 0);
    std::memcpy(bytes.data(), &header, sizeof(header));
    for (std::uint32_t mask : masks) {
      const auto* p = reinterpret_cast<const std::uint8_t*>(&mask);
      bytes.insert(bytes.end(), p, p + 4);
    }
    bytes.insert(bytes.end(), table.begin(), table.end());
    for (const auto& row : rows) {
      std::vector<std::uint8_t> padded = row;
      padded.resize(stride, 0);
      bytes.insert(bytes.end(), padded.begin(), padded.end());
    }
    bytes.resize(bytes.size() - trailingCut);
    return bytes;
  }
};

DibBuilder Builder(int width, int height, int bits, std::size_t stride) {
  DibBuilder b;
  b.header.biSize = 40;
  b.header.biWidth = width;
  b.header.biHeight = height;
  b.header.biPlanes = 1;
  b.header.biBitCount = static_cast<std::uint16_t>(bits);
  b.header.biSizeImage = static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height < 0 ? -height : height));
  b.stride = stride;
  return b;
}

class DibToHandleTest : public ::testing::Test {
protected:
  void SetUp() override { liveBefore_ = ImageFiles().ImageCount(); }
  void TearDown() override { EXPECT_EQ(ImageFiles().ImageCount(), liveBefore_) << "an image handle leaked"; }

  // The picture a DIB gives, with its reported depth; nothing when refused.
  std::optional<RgbPicture> Import(const std::vector<std::uint8_t>& bytes, int* bits = nullptr) {
    const ImageHandle image = ImageFiles().DibToHandle(bytes.data(), bytes.size());
    if (image < 0) return std::nullopt;
    if (bits != nullptr) ImageFiles().GetDib(image, nullptr, nullptr, bits);
    auto picture = HandlePicture(image);
    EXPECT_EQ(ImageFiles().Free(image), kImageDone);
    return picture;
  }

  std::size_t liveBefore_ = 0;
};

TEST_F(DibToHandleTest, TrueColourRowsPaddedOrUnpaddedGiveTheSamePicture) {
  const RgbPicture picture = ManyColorPicture(5, 3);  // 15 bytes a row, padded to 16
  for (bool unpadded : {false, true}) {
    GlobalBlock dib = PackedDib24(picture, unpadded);
    const ImageHandle image = ImageFiles().DibToHandle(dib.get());
    ASSERT_GE(image, 1);
    EXPECT_EQ(HandlePicture(image), picture) << "unpadded: " << unpadded;
    EXPECT_EQ(ImageFiles().Free(image), kImageDone);
  }
}

TEST_F(DibToHandleTest, LibraryKeepsItsOwnCopy) {
  const RgbPicture picture = ManyColorPicture(4, 4);
  GlobalBlock dib = PackedDib24(picture);
  const ImageHandle image = ImageFiles().DibToHandle(dib.get());
  {
    GlobalLockGuard<> data(dib.get());
    std::memset(data.get() + 40, 0, 48);
  }
  dib.reset();
  EXPECT_EQ(HandlePicture(image), picture);
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
}

TEST_F(DibToHandleTest, TopDownRowsAreTurnedBottomUp) {
  DibBuilder b = Builder(2, -2, 24, 8);
  b.rows = {{0, 0, 255, 0, 255, 0}, {255, 0, 0, 255, 255, 255}};  // top row first
  const auto picture = Import(b.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(0, 0)[0], 255);  // top-left red
  EXPECT_EQ(picture->At(1, 1)[1], 255);  // bottom-right white
  EXPECT_EQ(picture->At(0, 1)[2], 255);  // bottom-left blue
  EXPECT_EQ(picture->At(0, 1)[0], 0);
}

TEST_F(DibToHandleTest, PaletteDepthsBecomeEightBitWithTheirColours) {
  // 1-bit: 10 pixels a row (two bytes), colours black and yellow.
  DibBuilder one = Builder(10, 1, 1, 4);
  one.header.biClrUsed = 2;
  one.table = {0, 0, 0, 0, 0, 255, 255, 0};
  one.rows = {{0b10110000, 0b01000000}};
  int bits = 0;
  auto picture = Import(one.Bytes(), &bits);
  ASSERT_TRUE(picture);
  EXPECT_EQ(bits, 8);
  const int expectOne[] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(picture->At(x, 0)[0], expectOne[x] * 255) << x;

  // 4-bit: 3 pixels, 16-entry table implied by biClrUsed 0.
  DibBuilder four = Builder(3, 1, 4, 4);
  four.table.assign(64, 0);
  four.table[4 * 5 + 2] = 200;  // entry 5: red 200
  four.table[4 * 9 + 1] = 100;  // entry 9: green 100
  four.rows = {{0x59, 0x50}};
  picture = Import(four.Bytes(), &bits);
  ASSERT_TRUE(picture);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(picture->At(0, 0)[0], 200);
  EXPECT_EQ(picture->At(1, 0)[1], 100);
  EXPECT_EQ(picture->At(2, 0)[0], 200);

  // 8-bit, unpadded rows (stride = width), three colours.
  DibBuilder eight = Builder(3, 2, 8, 3);
  eight.header.biClrUsed = 3;
  eight.table = {10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0};
  eight.rows = {{0, 1, 2}, {2, 2, 0}};
  const std::vector<std::uint8_t> bytes = eight.Bytes();
  const ImageHandle image = ImageFiles().DibToHandle(bytes.data(), bytes.size());
  ASSERT_GE(image, 0);
  picture = HandlePicture(image);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(2, 1)[0], 90);  // bottom row, index 2: red 90
  EXPECT_EQ(picture->At(0, 0)[2], 70);  // top row, index 2: blue 70
  const ColorPalette palette = ImageFiles().GetPalette(image);
  ASSERT_EQ(palette.size(), 3u);
  EXPECT_EQ(palette[1], (PaletteEntry{60, 50, 40, 0}));
  EXPECT_EQ(ImageFiles().Free(image), kImageDone);
}

TEST_F(DibToHandleTest, SixteenAndThirtyTwoBitPicturesBecomeTrueColour) {
  // 5-5-5: red 31, green 16, blue 1.
  DibBuilder rgb555 = Builder(1, 1, 16, 4);
  const std::uint16_t pixel555 = (31 << 10) | (16 << 5) | 1;
  rgb555.rows = {{static_cast<std::uint8_t>(pixel555), static_cast<std::uint8_t>(pixel555 >> 8)}};
  int bits = 0;
  auto picture = Import(rgb555.Bytes(), &bits);
  ASSERT_TRUE(picture);
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(picture->At(0, 0)[0], 248);
  EXPECT_EQ(picture->At(0, 0)[1], 128);
  EXPECT_EQ(picture->At(0, 0)[2], 8);

  // 5-6-5 through bit masks: green 63 is 252.
  DibBuilder rgb565 = Builder(1, 1, 16, 4);
  rgb565.header.biCompression = 3;
  rgb565.masks = {0xF800, 0x07E0, 0x001F};
  const std::uint16_t pixel565 = (1 << 11) | (63 << 5) | 31;
  rgb565.rows = {{static_cast<std::uint8_t>(pixel565), static_cast<std::uint8_t>(pixel565 >> 8)}};
  picture = Import(rgb565.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(0, 0)[0], 8);
  EXPECT_EQ(picture->At(0, 0)[1], 252);
  EXPECT_EQ(picture->At(0, 0)[2], 248);

  // 32-bit: B, G, R and an ignored fourth byte.
  DibBuilder rgb32 = Builder(2, 1, 32, 8);
  rgb32.rows = {{1, 2, 3, 99, 4, 5, 6, 99}};
  picture = Import(rgb32.Bytes(), &bits);
  ASSERT_TRUE(picture);
  EXPECT_EQ(bits, 24);
  EXPECT_EQ(picture->At(1, 0)[0], 6);
  EXPECT_EQ(picture->At(1, 0)[2], 4);
}

TEST_F(DibToHandleTest, LongerInfoHeadersAreAccepted) {
  DibBuilder b = Builder(1, 1, 24, 4);
  b.header.biSize = 124;
  b.rows = {{7, 8, 9}};
  const auto picture = Import(b.Bytes());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->At(0, 0)[0], 9);
}

TEST_F(DibToHandleTest, UnreadableDibsAreRefused) {
  auto refused = [&](const std::vector<std::uint8_t>& bytes) {
    const ImageHandle image = ImageFiles().DibToHandle(bytes.data(), bytes.size());
    if (image >= 0) ImageFiles().Free(image);
    return image == kNoImage;
  };
  const DibBuilder good = Builder(4, 2, 24, 12);
  DibBuilder b = good;
  b.rows = {{}, {}};
  ASSERT_FALSE(refused(b.Bytes())) << "the base case is readable";

  EXPECT_EQ(ImageFiles().DibToHandle(nullptr, 100), kNoImage);
  EXPECT_EQ(ImageFiles().DibToHandle(b.Bytes().data(), 39), kNoImage);
  EXPECT_EQ(ImageFiles().DibToHandle(HGLOBAL{}), kNoImage);

  DibBuilder cut = b;
  cut.trailingCut = 1;
  EXPECT_TRUE(refused(cut.Bytes())) << "last pixel missing";

  auto variant = [&](auto change) {
    DibBuilder v = b;
    change(v);
    return refused(v.Bytes());
  };
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biSize = 12; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biSize = 4000; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biWidth = 0; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biHeight = 0; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biWidth = -4; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biWidth = 100000; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biHeight = -2147483647 - 1; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biWidth = 16384, v.header.biHeight = 16384; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biBitCount = 7; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biCompression = 1; }));
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biSizeImage = 2; })) << "rows shorter than the width";
  EXPECT_TRUE(variant([](DibBuilder& v) { v.header.biSizeImage = 4000000; })) << "rows past the block";
  DibBuilder palette = Builder(2, 1, 8, 4);
  palette.header.biClrUsed = 300;
  palette.table.assign(1200, 0);
  palette.rows = {{0, 1}};
  EXPECT_TRUE(refused(palette.Bytes())) << "more colours than the depth holds";
  EXPECT_FALSE(ImageFiles().LastError().empty());
}

}  // namespace
}  // namespace sprocket
