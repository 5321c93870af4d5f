#include "render/picture/palette_mapping.h"

#include <gtest/gtest.h>

#include <random>

#include "imagelib/dib_header.h"
#include "render/flic/indexed_image.h"
#include "render/picture/dib_picture.h"
#include "render/picture/picture_ops.h"

namespace sprocket {
namespace {

ColorPalette RandomPalette(std::mt19937& random, int size) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<PaletteEntry> entries;
  for (int i = 0; i < size; ++i) {
    entries.push_back(PaletteEntry{static_cast<std::uint8_t>(byte(random)), static_cast<std::uint8_t>(byte(random)),
                                   static_cast<std::uint8_t>(byte(random)), 0});
  }
  return ColorPalette(std::move(entries));
}

// The fast map answers exactly what the plain search answers, ties included.
void ExpectSameAsPlainSearch(const ColorPalette& palette, std::mt19937& random, int samples) {
  NearestPaletteMap map(palette);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int i = 0; i < samples; ++i) {
    const auto r = static_cast<std::uint8_t>(byte(random));
    const auto g = static_cast<std::uint8_t>(byte(random));
    const auto b = static_cast<std::uint8_t>(byte(random));
    ASSERT_EQ(map.Nearest(r, g, b), palette.NearestIndex(r, g, b)) << int(r) << "," << int(g) << "," << int(b);
    // Asked again, from the cache.
    ASSERT_EQ(map.Nearest(r, g, b), palette.NearestIndex(r, g, b));
  }
}

TEST(NearestPaletteMap, EqualsThePlainSearchForRandomPalettes) {
  std::mt19937 random(7);
  for (int size : {1, 2, 16, 200, 256}) ExpectSameAsPlainSearch(RandomPalette(random, size), random, 20000);
}

TEST(NearestPaletteMap, TiesGoToTheLowestIndex) {
  // Duplicates and colours at equal distances: the first entry wins.
  ColorPalette palette({{10, 10, 10, 0}, {30, 10, 10, 0}, {10, 10, 10, 0}, {20, 10, 10, 0}, {0, 0, 0, 0}});
  NearestPaletteMap map(palette);
  EXPECT_EQ(map.Nearest(10, 10, 10), 0);
  EXPECT_EQ(map.Nearest(15, 10, 10), 0);  // 0 and 3 are both 5 away
  EXPECT_EQ(map.Nearest(25, 10, 10), 1);  // 1 and 3 are both 5 away
  std::mt19937 random(3);
  ExpectSameAsPlainSearch(palette, random, 20000);
  // A grey ramp gives many ties between neighbouring cells.
  std::vector<PaletteEntry> greys;
  for (int i = 0; i < 256; i += 8)
    greys.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
  ExpectSameAsPlainSearch(ColorPalette(greys), random, 20000);
}

TEST(NearestPaletteMap, EmptyPaletteHasNoIndexAndLargePalettesKeepTheirFirst256) {
  NearestPaletteMap empty{ColorPalette()};
  EXPECT_EQ(empty.Nearest(1, 2, 3), -1);
  std::vector<PaletteEntry> entries(300, PaletteEntry{200, 200, 200, 0});
  entries[299] = PaletteEntry{5, 5, 5, 0};  // beyond what an 8-bit picture can index
  NearestPaletteMap large{ColorPalette(entries)};
  EXPECT_EQ(large.Nearest(5, 5, 5), 0);
  EXPECT_EQ(large.Palette().size(), 256u);
}

DibPicture Indexed(std::int32_t width, std::int32_t height) {
  const DibInfoHeader header = MakeIndexedDibHeader(width, height);
  DibPicture picture = DibPicture::Allocate(header.biSize + 1024 + header.biSizeImage);
  WriteDibHeader(picture.data(), header);
  return picture;
}

TEST(MapToNearestPalette, StoresEachPixelsIndexAtItsPlace) {
  ColorPalette palette({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}});
  NearestPaletteMap map(palette);
  const std::int32_t width = 8;
  const std::int32_t height = 3;
  DibPicture source = DibPicture::Black24(width, height);
  DibPicture target = Indexed(width, height);
  const std::int32_t stride = DibRowBytes(width, 24);
  std::uint8_t* pixels = source.data() + 40;
  // Row 0: pure red at x = 2; row 2: nearly blue at x = 7.
  pixels[2 * 3 + 2] = 250;
  pixels[2 * stride + 7 * 3] = 240;
  pixels[2 * stride + 7 * 3 + 1] = 20;
  ASSERT_TRUE(MapToNearestPalette(target.data(), source.data(), map));
  const std::uint8_t* indices = target.data() + 40 + 1024;
  const std::int32_t indexStride = static_cast<std::int32_t>(IndexedStride(width));
  EXPECT_EQ(indices[2], 1);
  EXPECT_EQ(indices[2 * indexStride + 7], 3);
  EXPECT_EQ(indices[0], 0);
  EXPECT_EQ(indices[indexStride + 7], 0);
}

TEST(MapToNearestPalette, RefusesPicturesThatDoNotMatch) {
  NearestPaletteMap map(ColorPalette({{1, 2, 3, 0}}));
  DibPicture source = DibPicture::Black24(8, 4);
  DibPicture smaller = Indexed(4, 4);
  EXPECT_FALSE(MapToNearestPalette(smaller.data(), source.data(), map));
  DibPicture wrongDepth = DibPicture::Black24(8, 4);
  EXPECT_FALSE(MapToNearestPalette(wrongDepth.data(), source.data(), map));
  DibPicture target = Indexed(8, 4);
  EXPECT_FALSE(MapToNearestPalette(target.data(), nullptr, map));
  NearestPaletteMap empty{ColorPalette()};
  EXPECT_FALSE(MapToNearestPalette(target.data(), source.data(), empty));
  // A header that claims more rows than the block holds is refused.
  DibInfoHeader lying = ReadDibHeader(source.data());
  lying.biHeight = 400;
  lying.biSizeImage = 0;
  WriteDibHeader(source.data(), lying);
  EXPECT_FALSE(MapToNearestPalette(target.data(), source.data(), map));
}

}  // namespace
}  // namespace sprocket
