#include "imagelib/drawing/fields.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "locked_picture.h"

namespace sprocket {
namespace {

using testing::LockedPicture;

// Every byte of row y (tail included) is base + y.
LockedPicture RowNumbered(int width, int height, std::uint8_t base, int stride = 0) {
  LockedPicture picture = LockedPicture::Rgb(width, height, stride);
  for (int y = 0; y < height; ++y) picture.FillRow(y, static_cast<std::uint8_t>(base + y));
  return picture;
}

// The value of each row's first byte.
std::vector<int> RowMarks(const LockedPicture& picture) {
  std::vector<int> marks;
  for (int y = 0; y < picture.Header().biHeight; ++y) marks.push_back(picture.Row(y)[0]);
  return marks;
}

bool RowIsUniform(const LockedPicture& picture, int y, int value) {
  for (std::uint8_t byte : picture.RowBytes(y)) {
    if (byte != value) return false;
  }
  return true;
}

TEST(MergeFieldLines, EachModeCopiesItsLinesOfAnOddHeightPicture) {
  struct Case {
    int mode;
    std::vector<int> expected;  // destination rows after the merge
  };
  // Source rows are 10..14, destination rows 100..104.
  const Case cases[] = {
      {0, {100, 11, 102, 13, 104}}, {1, {10, 101, 12, 103, 14}}, {2, {11, 101, 13, 103, 104}},
      {3, {100, 10, 102, 12, 104}}, {9, {10, 101, 12, 103, 14}},  // unknown modes act as mode 1
      {-1, {10, 101, 12, 103, 14}},
  };
  for (const Case& c : cases) {
    LockedPicture source = RowNumbered(3, 5, 10);
    LockedPicture destination = RowNumbered(3, 5, 100);
    MergeField(destination.data(), source.data(), c.mode);
    EXPECT_EQ(RowMarks(destination), c.expected) << "mode " << c.mode;
    for (int y = 0; y < 5; ++y) {
      EXPECT_TRUE(RowIsUniform(destination, y, c.expected[y])) << "mode " << c.mode << " row " << y;
    }
  }
}

TEST(MergeFieldLines, EvenHeightCopiesHalfTheLinesInEveryMode) {
  const std::vector<std::vector<int>> expected = {
      {100, 11, 102, 13}, {10, 101, 12, 103}, {11, 101, 13, 103}, {100, 10, 102, 12}};
  for (int mode = 0; mode < 4; ++mode) {
    LockedPicture source = RowNumbered(2, 4, 10);
    LockedPicture destination = RowNumbered(2, 4, 100);
    MergeField(destination.data(), source.data(), mode);
    EXPECT_EQ(RowMarks(destination), expected[mode]) << "mode " << mode;
  }
}

TEST(MergeFieldLines, WholeModeCopiesHeaderAndPixelsInPlace) {
  LockedPicture source = LockedPicture::Rgb(5, 3);
  source.FillRandom(7);
  LockedPicture destination = LockedPicture::Rgb(5, 3);
  const std::size_t blockBytes = GlobalSize(destination.handle());
  MergeField(destination.data(), source.data(), kMergeWhole);
  EXPECT_EQ(destination.Bytes(), source.Bytes());
  EXPECT_EQ(GlobalSize(destination.handle()), blockBytes);
  EXPECT_EQ(GlobalHandle(destination.data()), destination.handle());
}

TEST(MergeFieldLines, WholeModeBetweenSizesCopiesSharedRowsAndKeepsTheHeader) {
  LockedPicture source = RowNumbered(8, 6, 10);
  LockedPicture destination = RowNumbered(3, 4, 100);
  const DibInfoHeader before = destination.Header();
  MergeField(destination.data(), source.data(), kMergeWhole);
  const DibInfoHeader after = destination.Header();
  EXPECT_EQ(after.biWidth, before.biWidth);
  EXPECT_EQ(after.biHeight, before.biHeight);
  EXPECT_EQ(after.biSizeImage, before.biSizeImage);
  for (int y = 0; y < 4; ++y) EXPECT_TRUE(RowIsUniform(destination, y, 10 + y)) << y;

  LockedPicture small = RowNumbered(3, 2, 50);
  LockedPicture large = RowNumbered(8, 6, 150);
  MergeField(large.data(), small.data(), kMergeWhole);
  EXPECT_EQ(large.Header().biHeight, 6);
  EXPECT_EQ(large.Row(1)[0], 51);
  EXPECT_EQ(large.Row(1)[12], 151);  // beyond the small picture's row
  EXPECT_EQ(large.Row(2)[0], 152);
}

TEST(MergeFieldLines, ShorterSourceGivesOnlyTheLinesItHas) {
  LockedPicture source = RowNumbered(3, 3, 10);
  LockedPicture destination = RowNumbered(3, 7, 100);
  MergeField(destination.data(), source.data(), 1);
  EXPECT_EQ(RowMarks(destination), (std::vector<int>{10, 101, 12, 103, 104, 105, 106}));
}

TEST(MergeFieldLines, EachPictureIsAddressedWithItsOwnStride) {
  // Width 5: padded rows of 16 bytes against unpadded rows of 15.
  LockedPicture source = LockedPicture::Rgb(5, 4, 15);
  source.FillRandom(3);
  LockedPicture destination = RowNumbered(5, 4, 100);
  MergeField(destination.data(), source.data(), 1);
  for (int y : {0, 2}) {
    for (int i = 0; i < 15; ++i) EXPECT_EQ(destination.Row(y)[i], source.Row(y)[i]) << y << "," << i;
  }
  EXPECT_TRUE(RowIsUniform(destination, 1, 101));
  EXPECT_TRUE(RowIsUniform(destination, 3, 103));
}

TEST(MergeFieldLines, PicturesWithUnusableHeadersAreLeftAlone) {
  LockedPicture source = RowNumbered(3, 4, 10);
  LockedPicture destination = RowNumbered(3, 4, 100);
  DibInfoHeader broken = source.Header();
  broken.biSizeImage = 1000000;  // rows would run past the block
  WriteDibHeader(source.data(), broken);
  MergeField(destination.data(), source.data(), 1);
  EXPECT_EQ(RowMarks(destination), (std::vector<int>{100, 101, 102, 103}));
  MergeField(nullptr, source.data(), 1);
  MergeField(destination.data(), nullptr, 4);
  EXPECT_EQ(RowMarks(destination), (std::vector<int>{100, 101, 102, 103}));
}

TEST(ExtractFieldLines, FlagChoosesEvenOrOddLinesOfTheSource) {
  LockedPicture source = RowNumbered(3, 5, 10);
  LockedPicture even = RowNumbered(3, 3, 100);
  ExtractField(even.data(), source.data(), 1);
  EXPECT_EQ(RowMarks(even), (std::vector<int>{10, 12, 14}));
  for (int y = 0; y < 3; ++y) EXPECT_TRUE(RowIsUniform(even, y, 10 + 2 * y));

  LockedPicture odd = RowNumbered(3, 3, 100);
  ExtractField(odd.data(), source.data(), 0);
  EXPECT_EQ(RowMarks(odd), (std::vector<int>{11, 13, 102}));
}

TEST(ExtractFieldLines, HalfHeightDestinationIsNeverOverrun) {
  // floor(5 / 2) = 2 rows, but the even field of a height-5 picture has 3.
  LockedPicture source = RowNumbered(3, 5, 10);
  LockedPicture half = RowNumbered(3, 2, 100);
  ExtractField(half.data(), source.data(), 1);
  EXPECT_EQ(RowMarks(half), (std::vector<int>{10, 12}));
}

TEST(SplitAndInterleaveFields, SplitDoublesEachFieldsLines) {
  LockedPicture source = RowNumbered(2, 4, 10);
  LockedPicture first = RowNumbered(2, 4, 100);
  LockedPicture second = RowNumbered(2, 4, 100);
  SplitFieldsDoubled(first.data(), second.data(), source.data());
  EXPECT_EQ(RowMarks(first), (std::vector<int>{10, 10, 12, 12}));
  EXPECT_EQ(RowMarks(second), (std::vector<int>{11, 11, 13, 13}));
}

TEST(SplitAndInterleaveFields, OddHeightSplitStaysInsideThePictures) {
  LockedPicture source = RowNumbered(3, 5, 10);
  LockedPicture first = RowNumbered(3, 5, 100);
  LockedPicture second = RowNumbered(3, 5, 100);
  SplitFieldsDoubled(first.data(), second.data(), source.data());
  EXPECT_EQ(RowMarks(first), (std::vector<int>{10, 10, 12, 12, 14}));
  EXPECT_EQ(RowMarks(second), (std::vector<int>{11, 11, 13, 13, 104}));
}

TEST(SplitAndInterleaveFields, InterleaveTakesEvenLinesFromFirstAndOddFromSecond) {
  LockedPicture first = RowNumbered(2, 5, 10);
  LockedPicture second = RowNumbered(2, 5, 50);
  LockedPicture destination = RowNumbered(2, 5, 100);
  InterleaveFields(destination.data(), first.data(), second.data());
  EXPECT_EQ(RowMarks(destination), (std::vector<int>{10, 50, 12, 52, 14}));
}

TEST(SplitAndInterleaveFields, SplitThenInterleaveGivesBackAnEvenHeightPicture) {
  for (int stride : {0, 21}) {  // padded (24 bytes) and unpadded rows of width 7
    LockedPicture source = LockedPicture::Rgb(7, 6, stride);
    source.FillRandom(11);
    LockedPicture first = LockedPicture::Rgb(7, 6, stride);
    LockedPicture second = LockedPicture::Rgb(7, 6, stride);
    LockedPicture rebuilt = LockedPicture::Rgb(7, 6, stride);
    SplitFieldsDoubled(first.data(), second.data(), source.data());
    InterleaveFields(rebuilt.data(), first.data(), second.data());
    EXPECT_EQ(rebuilt.Bytes(), source.Bytes()) << "stride " << stride;
  }
}

}  // namespace
}  // namespace sprocket
