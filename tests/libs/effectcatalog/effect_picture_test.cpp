// Pictures carried by effect data (a matte, a grey map, a texture picture)
// come from timeline files: a block is read only as far as its size allows.

#include <gtest/gtest.h>

#include <cstring>

#include "test_pictures.h"

namespace sprocket {
namespace {

// A block of `bytes` bytes starting with a 4 x 4 picture's header of `bits`
// bits a pixel (as much of it as fits).
GlobalBlock ShortBlock(std::size_t bytes, std::uint16_t bits) {
  GlobalBlock block = GlobalBlock::Allocate(bytes);
  DibInfoHeader header = MakeDib24Header(4, 4);
  header.biBitCount = bits;
  std::uint8_t full[kDibHeaderSize];
  WriteDibHeader(full, header);
  GlobalLockGuard<std::uint8_t> lock(block.get());
  std::memcpy(lock.get(), full, std::min<std::size_t>(bytes, kDibHeaderSize));
  return block;
}

TEST(EffectPicture, BlocksShorterThanTheirHeaderOrTheirPixelsHaveNoPicture) {
  const struct {
    std::size_t bytes;
    std::uint16_t bits;
  } cases[] = {{1, 24}, {3, 24}, {39, 24}, {40, 24}, {40 + 47, 24}, {39, 8}, {40 + 1024, 8}, {1064 + 15, 8}};
  for (const auto& c : cases) {
    GlobalBlock block = ShortBlock(c.bytes, c.bits);
    GlobalLockGuard<std::uint8_t> lock(block.get());
    EXPECT_TRUE(ReadGreyLevels(lock.get(), 8, 8).empty()) << c.bytes << " bytes, " << c.bits << " bits";
    EXPECT_FALSE(ViewPicture24(lock.get())) << c.bytes << " bytes, " << c.bits << " bits";
  }
  // Whole pictures of both depths are read.
  testing::TestPicture colour(4, 4);
  testing::TestPicture grey(4, 4, 8);
  EXPECT_EQ(ReadGreyLevels(colour.block(), 8, 8).size(), 64u);
  EXPECT_EQ(ReadGreyLevels(grey.block(), 2, 2).size(), 4u);
  EXPECT_TRUE(ViewPicture24(colour.block()));
}

}  // namespace
}  // namespace sprocket
