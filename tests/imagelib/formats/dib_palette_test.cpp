#include "imagelib/formats/dib_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "imagelib/dib_geometry.h"
#include "imagelib/formats/dib_pixels.h"
#include "platform/le_bytes.h"

namespace sprocket {
namespace {

TEST(DibPalette, NewDibSizesAndTables) {
  struct Case {
    int bits, width, height;
    std::uint32_t colours;
    std::size_t rowBytes;
  };
  const Case cases[] = {
      {4, 10, 10, 16, 8}, {24, 3, 2, 0, 12}, {1, 9, 1, 2, 4}, {8, 5, 3, 256, 8}, {32, 2, 2, 0, 8},
  };
  for (const Case& test : cases) {
    GlobalBlock dib = NewDib(test.bits, test.width, test.height);
    ASSERT_TRUE(dib) << test.bits;
    EXPECT_EQ(dib.size(), 40 + 4 * test.colours + test.rowBytes * test.height) << test.bits;
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    const DibInfoHeader header = ReadDibHeader(lock.get());
    EXPECT_EQ(header.biClrUsed, test.colours);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biSizeImage, 0u);
    const std::optional<PictureGeometry> geometry = ReadPictureGeometry(lock.get());
    ASSERT_TRUE(geometry);
    EXPECT_EQ(static_cast<std::size_t>(geometry->stride), test.rowBytes) << test.bits;
  }
  for (const auto& [bits, width, height] :
       {std::tuple{3, 5, 5}, std::tuple{24, 0, 5}, std::tuple{8, 5, -1}, std::tuple{32, 0x7FFFFFFF, 0x7FFFFFFF}}) {
    EXPECT_FALSE(NewDib(bits, width, height)) << bits << " " << width;
  }
}

TEST(DibPalette, TablesHoldTheStandardColoursAndBecomePalettes) {
  GlobalBlock mono = NewDib(1, 4, 4);
  const ColorPalette blackWhite = CreateDibPalette(GlobalLockGuard<std::uint8_t>(mono.get()).get());
  EXPECT_EQ(blackWhite.entries(), (std::vector<PaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}}));

  GlobalBlock sixteen = NewDib(4, 4, 4);
  const ColorPalette standard = CreateDibPalette(GlobalLockGuard<std::uint8_t>(sixteen.get()).get());
  ASSERT_EQ(standard.size(), 16u);
  EXPECT_EQ(standard[1], (PaletteEntry{128, 0, 0, 0}));  // dark red
  EXPECT_EQ(standard[7], (PaletteEntry{192, 192, 192, 0}));
  EXPECT_EQ(standard[14], (PaletteEntry{0, 255, 255, 0}));  // cyan

  GlobalBlock trueColour = NewDib(24, 4, 4);
  EXPECT_TRUE(CreateDibPalette(GlobalLockGuard<std::uint8_t>(trueColour.get()).get()).empty());
  EXPECT_TRUE(CreateDibPalette(nullptr).empty());
}

TEST(DibPalette, ColourUsageWritesIndicesOrPaletteEntries) {
  GlobalBlock dib = NewDib(4, 2, 2);
  const ColorPalette three({{1, 2, 3, 9}, {4, 5, 6, 9}, {7, 8, 9, 9}});
  ASSERT_EQ(SetDibColourUsage(dib.get(), &three, kDibRgbColours), 1);
  {
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    const std::uint8_t* table = lock.get() + 40;
    EXPECT_EQ(std::vector<std::uint8_t>(table, table + 16),
              (std::vector<std::uint8_t>{3, 2, 1, 0, 6, 5, 4, 0, 9, 8, 7, 0, 0, 128, 128, 0}));
  }
  ASSERT_EQ(SetDibColourUsage(dib.get(), nullptr, kDibRgbColours), 1);
  EXPECT_EQ(CreateDibPalette(GlobalLockGuard<std::uint8_t>(dib.get()).get())[2], (PaletteEntry{0, 128, 0, 0}));
  ASSERT_EQ(SetDibColourUsage(dib.get(), nullptr, kDibPaletteIndices), 1);
  {
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(ReadLe16(lock.get() + 40 + 2 * i), i);
  }
  EXPECT_EQ(SetDibColourUsage(nullptr, nullptr, kDibRgbColours), 0);
}

TEST(DibPalette, PixelsReadThroughTablesAndPackedDepths) {
  struct Case {
    int bits;
    std::vector<std::uint8_t> firstBytes;
    BgrPixel first;
    BgrPixel second;
  };
  const Case cases[] = {
      {1, {0x40}, {0, 0, 0}, {255, 255, 255}},  // pixels 0 and 1 of the first byte
      {4, {0x9C}, {0, 0, 255}, {255, 0, 0}},    // red, blue (blue, green, red order)
      {8, {14, 7}, {255, 255, 0}, {192, 192, 192}},
      {16, {0x00, 0x7C, 0x1F, 0x00}, {0, 0, 255}, {255, 0, 0}},
      {32, {1, 2, 3, 99, 4, 5, 6, 99}, {1, 2, 3}, {4, 5, 6}},
  };
  for (const Case& test : cases) {
    GlobalBlock dib = NewDib(test.bits, 2, 1);
    GlobalLockGuard<std::uint8_t> lock(dib.get());
    const std::optional<DibPixelReader> reader = DibPixelReader::Open(lock.get());
    ASSERT_TRUE(reader) << test.bits;
    std::copy(test.firstBytes.begin(), test.firstBytes.end(), reader->Geometry().Row(0));
    EXPECT_EQ(reader->At(0, 0), test.first) << test.bits;
    EXPECT_EQ(reader->At(1, 0), test.second) << test.bits;
  }
}

}  // namespace
}  // namespace sprocket
