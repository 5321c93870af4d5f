// Texture-map blocks: preparing and releasing their tiles, the stored form
// and bad data; tiles that repeat without seams.

#include <gtest/gtest.h>

#include <cstring>

#include "imagelib/dib_header.h"
#include "libs/texturemap/texture_map.h"

namespace sprocket {
namespace {

TEST(TextureMap, PreparingMakesTheTileAndReleasingDropsIt) {
  HGLOBAL map = MakeTextureMap(TextureKind::kBricks, 2);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(GlobalSize(map), 16u);
  EXPECT_FALSE(PreparedTextureTile(map).view());
  ASSERT_EQ(TextureMapCall(kTexturePrepare, 0, 0, map, 0, 0), 0);
  const std::optional<TextureMapInfo> info = ReadTextureMap(map);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->prepared);
  EXPECT_EQ(info->scale, 2);
  const PictureBuffer tile = PreparedTextureTile(map);
  ASSERT_TRUE(tile.view());
  EXPECT_EQ(tile.view().width, 32);
  EXPECT_EQ(GlobalSize(map), 16u + 40u + 32u * 96u);
  // The prepared tile is the tile made on the spot.
  const PictureBuffer made = MakeTextureTile(TextureKind::kBricks, 2);
  for (int y = 0; y < 32; ++y) EXPECT_EQ(std::memcmp(tile.view().Row(y), made.view().Row(y), 96), 0);
  EXPECT_EQ(TextureMapCall(kTexturePrepare, 0, 0, map, 0, 0), 0);  // again: unchanged
  ASSERT_EQ(TextureMapCall(kTextureRelease, 0, 0, map, 0, 0), 0);
  EXPECT_EQ(GlobalSize(map), 16u);
  EXPECT_FALSE(ReadTextureMap(map)->prepared);
  EXPECT_EQ(TextureMapCall(7, 0, 0, map, 0, 0), -1);
  GlobalFree(map);
}

TEST(TextureMap, StoredDataRoundTripsAndBadDataIsRefused) {
  HGLOBAL map = MakeTextureMap(TextureKind::kWoodGrain, 40);
  const std::vector<std::uint8_t> stored = PackTextureData(map);
  ASSERT_EQ(stored.size(), 16u);
  HGLOBAL copy = UnpackTextureData(stored);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(ReadTextureMap(copy)->kind, TextureKind::kWoodGrain);
  EXPECT_EQ(ReadTextureMap(copy)->scale, 16);  // limited to 16
  std::vector<std::uint8_t> bad = stored;
  bad[0] = 'X';
  EXPECT_EQ(UnpackTextureData(bad), nullptr);
  EXPECT_EQ(UnpackTextureData(std::span(stored).first(10)), nullptr);
  bad = stored;
  bad[4] = 9;  // unknown kind
  EXPECT_EQ(UnpackTextureData(bad), nullptr);
  EXPECT_EQ(TextureMapCall(kTexturePrepare, 0, 0, nullptr, 0, 0), -1);
  EXPECT_FALSE(ReadTextureMap(nullptr));
  EXPECT_TRUE(PackTextureData(nullptr).empty());
  EXPECT_EQ(MakeTextureMap(static_cast<TextureKind>(7), 1), nullptr);
  GlobalFree(map);
  GlobalFree(copy);
}

// A prepared block whose tile header claims more rows than the block holds
// gives no tile, also when rows x stride wraps around 32 bits.
TEST(TextureMap, PreparedBlocksWhoseTileDoesNotFitGiveNoTile) {
  const struct {
    std::int32_t width;
    std::int32_t height;
    std::uint32_t sizeImage;
  } cases[] = {{1, 0x40000001, 4}, {2, 0x40000001, 8}, {8, 4, 96}, {4, 4, 1000}};
  for (const auto& c : cases) {
    HGLOBAL map = MakeTextureMap(TextureKind::kBricks, 1);
    ASSERT_EQ(TextureMapCall(kTexturePrepare, 0, 0, map, 0, 0), 0);
    ASSERT_NE(GlobalReAlloc(map, 16 + 40 + 64, GMEM_MOVEABLE), nullptr);
    {
      GlobalLockGuard<std::uint8_t> bytes(map);
      DibInfoHeader header = MakeDib24Header(c.width, c.height);
      header.biSizeImage = c.sizeImage;
      WriteDibHeader(bytes.get() + 16, header);
    }
    EXPECT_FALSE(PreparedTextureTile(map).view()) << c.width << " x " << c.height;
    GlobalFree(map);
  }
}

TEST(TextureMap, PictureTexturesHaveNoTileOfTheirOwn) {
  HGLOBAL map = MakeTextureMap(TextureKind::kPicture, 1);
  ASSERT_EQ(TextureMapCall(kTexturePrepare, 0, 0, map, 0, 0), 0);
  EXPECT_TRUE(ReadTextureMap(map)->prepared);
  EXPECT_FALSE(PreparedTextureTile(map).view());
  GlobalFree(map);
}

class TextureTiles : public ::testing::TestWithParam<TextureKind> {};

TEST_P(TextureTiles, AreGreyAndJoinWithoutASeam) {
  const PictureBuffer tile = MakeTextureTile(GetParam(), 3);
  const PictureView& v = tile.view();
  ASSERT_EQ(v.width, 48);
  int largestStep = 0;
  int seamStep = 0;
  int low = 255;
  int high = 0;
  for (int y = 0; y < v.height; ++y) {
    for (int x = 0; x < v.width; ++x) {
      const std::uint8_t* p = v.At(x, y);
      EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
      low = std::min<int>(low, p[0]);
      high = std::max<int>(high, p[0]);
      const int step = std::abs(p[0] - v.At((x + 1) % v.width, y)[0]);
      if (x == v.width - 1)
        seamStep = std::max(seamStep, step);
      else
        largestStep = std::max(largestStep, step);
    }
  }
  EXPECT_GT(high - low, 40) << "a texture shows some relief";
  // Steps inside a tile differ a little by their noise.
  EXPECT_LE(seamStep, largestStep + 16) << "the edge where tiles meet is no harder than inside the tile";
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextureTiles,
                         ::testing::Values(TextureKind::kCanvas, TextureKind::kBricks, TextureKind::kNoise,
                                           TextureKind::kWoodGrain));

}  // namespace
}  // namespace sprocket
