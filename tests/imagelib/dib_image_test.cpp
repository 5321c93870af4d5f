#include "imagelib/dib_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/huge_memory.h"
#include "owned_picture.h"

namespace sprocket {
namespace {

using Picture = testing::OwnedPicture;

// A block with the given header fields and `imageBytes` of pixels after it.
HGLOBAL MakeRawBlock(int width, int height, std::uint32_t sizeImage, std::size_t blockBytes) {
  HGLOBAL block = GlobalAlloc(GHND, blockBytes);
  DibInfoHeader header = MakeDib24Header(width, height);
  header.biSizeImage = sizeImage;
  GlobalLockGuard<std::uint8_t> lock(block);
  WriteDibHeader(lock.get(), header);
  return block;
}

TEST(DibImageCreate, MakesPaddedBlocksWithTheFixedHeader) {
  Picture five(5, 2);
  EXPECT_EQ(GlobalSize(five.handle), 72u);
  const auto bytes = five.Bytes();
  const DibInfoHeader h = ReadDibHeader(bytes.data());
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 5);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 32u);
  EXPECT_EQ(h.biXPelsPerMeter, 3780);
  EXPECT_EQ(h.biYPelsPerMeter, 3780);
  EXPECT_EQ(h.biClrUsed, 0u);
  EXPECT_EQ(h.biClrImportant, 0u);
  for (std::size_t i = 40; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(five.image.GetStride(), 16);
  EXPECT_EQ(five.image.GetSize().width, 5);
  EXPECT_EQ(five.image.GetMaxXY().x, 4);
  EXPECT_EQ(five.image.GetMaxXY().y, 1);
  EXPECT_EQ(five.image.GetHeaderSize(), 40);
  EXPECT_EQ(five.image.PixelOffset(2, 1), 2 * 3 + 16);

  Picture four(4, 2);
  EXPECT_EQ(GlobalSize(four.handle), 64u);
  EXPECT_EQ(four.image.GetStride(), 12);
}

TEST(DibImageCreate, SameSizeClearsInPlaceOtherSizeReplaces) {
  Picture picture(5, 2);
  HGLOBAL first = picture.handle;
  picture.image.SetPixel(1, 1, 0xFFFFFF);
  EXPECT_EQ(picture.image.Create(5, 2), kDibDone);
  EXPECT_EQ(picture.handle, first);
  EXPECT_EQ(picture.image.GetPixel(1, 1), 0u);

  EXPECT_EQ(picture.image.Create(7, 3), kDibDone);
  EXPECT_NE(picture.handle, nullptr);
  EXPECT_EQ(GlobalSize(picture.handle), 40u + 24 * 3);
  EXPECT_EQ(picture.image.GetSize().width, 7);
  EXPECT_EQ(picture.image.GetSize().height, 3);
}

TEST(DibImageCreate, RefusesBadSizesAndDetachedObjects) {
  Picture picture(5, 2);
  HGLOBAL before = picture.handle;
  EXPECT_EQ(picture.image.Create(0, 5), kDibBadSize);
  EXPECT_EQ(picture.image.Create(5, -1), kDibBadSize);
  EXPECT_EQ(picture.handle, before);

  CDibImage detached;
  EXPECT_EQ(detached.Create(4, 4), kDibDetached);
  EXPECT_EQ(detached.IsValid(), kDibDetached);

  // A picture too large to exist fails with a memory code and keeps the old one.
  EXPECT_EQ(picture.image.Create(0x7FFFFFFF, 0x7FFFFFFF), kDibNoMemory);
  EXPECT_EQ(picture.handle, before);
}

TEST(DibImagePixels, ByteOrderAndColorRefRoundTrip) {
  Picture picture(3, 2);
  picture.image.SetPixel(1, 1, 0x112233);  // red 0x33, green 0x22, blue 0x11
  const auto bytes = picture.Bytes();
  const std::size_t at = 40 + 12 + 3;
  EXPECT_EQ(bytes[at], 0x11);
  EXPECT_EQ(bytes[at + 1], 0x22);
  EXPECT_EQ(bytes[at + 2], 0x33);
  EXPECT_EQ(picture.image.GetPixel(1, 1), 0x112233u);

  picture.image.SetPixelBgr(0, 0, BgrPixel{1, 2, 3});
  EXPECT_EQ(picture.image.GetPixel(0, 0), 0x010203u);
}

TEST(DibImagePixels, OutsideTheImageReadsZeroAndWritesNothing) {
  Picture picture(3, 2);
  picture.image.Fill(0x808080);
  const auto before = picture.Bytes();
  for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, 2}, {0, -1}, {1000000, 1000000}}) {
    picture.image.SetPixel(x, y, 0xFFFFFF);
    EXPECT_EQ(picture.image.GetPixel(x, y), 0u);
  }
  EXPECT_EQ(picture.Bytes(), before);
}

TEST(DibImagePixels, EmptyAndDetachedObjectsReadZero) {
  HGLOBAL empty = nullptr;
  CDibImage image(&empty);
  EXPECT_EQ(image.IsValid(), kDibNoBlock);
  EXPECT_EQ(image.Refresh(), kDibNoBlock);
  image.SetPixel(0, 0, 0xFFFFFF);
  EXPECT_EQ(image.GetPixel(0, 0), 0u);
  EXPECT_EQ(image.Fill(0xFFFFFF), kDibNoBlock);
  EXPECT_EQ(image.LockBits(), kDibNoBlock);
  EXPECT_EQ(empty, nullptr);

  CDibImage detached;
  EXPECT_EQ(detached.GetPixel(0, 0), 0u);
  EXPECT_EQ(detached.SetHandle(nullptr), kDibDetached);
  EXPECT_EQ(detached.Clear(0), kDibDetached);
}

TEST(DibImagePixels, LockedAccessUsesTheLockedRows) {
  Picture picture(5, 3);
  ASSERT_EQ(picture.image.LockBits(), kDibDone);
  EXPECT_EQ(GlobalLockCount(picture.handle), 1);
  picture.image.SetPixelLocked({4, 2}, BgrPixel{9, 8, 7});
  EXPECT_EQ(picture.image.GetPixelLocked({4, 2}), (BgrPixel{9, 8, 7}));
  EXPECT_EQ(picture.image.GetLockedBits()[2 * 16 + 12], 9);
  picture.image.Unlock();
  EXPECT_EQ(GlobalLockCount(picture.handle), 0);
  EXPECT_EQ(picture.image.GetPixel(4, 2), 0x090807u);

  std::uint8_t* header = picture.image.Lock();
  std::uint8_t* bits = picture.image.GetBits();
  EXPECT_EQ(bits, header + 40);
  picture.image.Unlock();
  picture.image.Unlock();
  EXPECT_EQ(GlobalLockCount(picture.handle), 0);
}

TEST(DibImageFill, FillsWidthPixelsAndLeavesRowTails) {
  Picture picture(5, 2);  // stride 16, 15 bytes of pixels a row
  {
    GlobalLockGuard<std::uint8_t> lock(picture.handle);
    lock.get()[40 + 15] = 0xAB;
    lock.get()[40 + 31] = 0xCD;
  }
  EXPECT_EQ(picture.image.Fill(0x010203), kDibDone);
  const auto bytes = picture.Bytes();
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 5; ++x) {
      const std::size_t at = 40 + y * 16 + x * 3;
      EXPECT_EQ(bytes[at], 1);  // blue
      EXPECT_EQ(bytes[at + 1], 2);
      EXPECT_EQ(bytes[at + 2], 3);  // red
    }
  }
  EXPECT_EQ(bytes[40 + 15], 0xAB);
  EXPECT_EQ(bytes[40 + 31], 0xCD);

  EXPECT_EQ(picture.image.Clear(0x5A), kDibDone);
  const auto cleared = picture.Bytes();
  for (std::size_t i = 40; i < cleared.size(); ++i) EXPECT_EQ(cleared[i], 0x5A);
  EXPECT_EQ(ReadDibHeader(cleared.data()).biSizeImage, 32u);
}

TEST(DibImageCopy, EmptySourceEmptiesThisImage) {
  Picture target(4, 4);
  HGLOBAL emptyVariable = nullptr;
  EXPECT_EQ(target.image.Copy(CDibImage(&emptyVariable)), kDibDone);
  EXPECT_EQ(target.handle, nullptr);
  EXPECT_EQ(target.image.IsValid(), kDibNoBlock);

  CDibImage detached;
  EXPECT_EQ(detached.Copy(target.image), kDibDetached);
}

TEST(DibImageCopy, SameSizeCopiesInPlaceOtherSizeReplaces) {
  Picture source(6, 3);
  source.image.Fill(0x445566);
  source.image.SetPixel(5, 2, 0x010203);
  Picture target(6, 3);
  HGLOBAL kept = target.handle;
  EXPECT_EQ(target.image.Copy(source.image), kDibDone);
  EXPECT_EQ(target.handle, kept);
  EXPECT_EQ(target.Bytes(), source.Bytes());

  Picture small(2, 2);
  EXPECT_EQ(small.image.Copy(source.image), kDibDone);
  EXPECT_EQ(small.Bytes(), source.Bytes());
  EXPECT_EQ(small.image.GetSize().width, 6);

  // Copying a picture onto its own block changes nothing.
  EXPECT_EQ(source.image.Copy(source.image), kDibDone);
  EXPECT_EQ(source.image.GetPixel(5, 2), 0x010203u);
}

TEST(DibImageCopy, PaddedAndUnpaddedBlocksOfOneSizeNeverOverrun) {
  // 5 x 2: padded rows take 16 bytes, unpadded 15.
  Picture padded(5, 2);
  padded.image.Fill(0x123456);
  Picture unpadded;
  unpadded.handle = MakeRawBlock(5, 2, 30, 70);
  ASSERT_EQ(unpadded.image.Refresh(), kDibDone);
  EXPECT_EQ(unpadded.image.GetStride(), 15);

  EXPECT_EQ(unpadded.image.Copy(padded.image), kDibDone);
  EXPECT_EQ(unpadded.Bytes(), padded.Bytes());
  EXPECT_EQ(unpadded.image.GetStride(), 16);

  Picture narrow;
  narrow.handle = MakeRawBlock(5, 2, 30, 70);
  Picture wide(5, 2);
  EXPECT_EQ(wide.image.Copy(narrow.image), kDibDone);
  EXPECT_EQ(GlobalSize(wide.handle), 70u);
  EXPECT_EQ(wide.image.GetStride(), 15);
}

TEST(DibImageGeometry, UnpaddedRowsAreAddressedWithTheirOwnStride) {
  Picture picture;
  picture.handle = MakeRawBlock(3, 2, 18, 40 + 18);  // stride 9
  ASSERT_EQ(picture.image.Refresh(), kDibDone);
  EXPECT_EQ(picture.image.GetStride(), 9);
  picture.image.SetPixel(0, 1, 0x0000FF);
  EXPECT_EQ(picture.Bytes()[40 + 9 + 2], 0xFF);
  EXPECT_EQ(picture.image.Fill(0x00FF00), kDibDone);
  const auto bytes = picture.Bytes();
  for (std::size_t i = 40; i < bytes.size(); i += 3) EXPECT_EQ(bytes[i + 1], 0xFF) << i;
}

TEST(DibImageGeometry, HeadersThatDoNotFitTheBlockAreRefused) {
  struct Case {
    int width, height;
    std::uint32_t sizeImage;
    std::size_t blockBytes;
  };
  for (const Case c :
       {Case{3, 0, 12, 52}, Case{3, -2, 24, 64}, Case{0, 2, 24, 64}, Case{4, 2, 0, 64},  // no image bytes: stride 0
        Case{4, 2, 16, 56},                                                              // rows shorter than the width
        Case{4, 2, 24, 60}}) {  // block shorter than the pixels
    Picture picture;
    picture.handle = MakeRawBlock(c.width, c.height, c.sizeImage, c.blockBytes);
    const auto before = picture.Bytes();
    EXPECT_EQ(picture.image.Refresh(), kDibBadSize);
    EXPECT_EQ(picture.image.Fill(0xFFFFFF), kDibBadSize);
    EXPECT_EQ(picture.image.Clear(0xFF), kDibBadSize);
    picture.image.SetPixel(0, 0, 0xFFFFFF);
    EXPECT_EQ(picture.image.GetPixel(0, 0), 0u);
    EXPECT_EQ(picture.Bytes(), before);
    Picture target(2, 2);
    EXPECT_EQ(target.image.Copy(picture.image), kDibBadSize);
    EXPECT_EQ(GlobalSize(target.handle), 56u);
    // Create replaces an unusable block.
    EXPECT_EQ(picture.image.Create(2, 2), kDibDone);
    EXPECT_EQ(picture.image.GetStride(), 8);
  }
}

TEST(DibImageSharing, ObjectsOnOneVariableSeeTheCurrentPicture) {
  Picture picture(2, 2);
  CDibImage other(&picture.handle);
  EXPECT_EQ(other.Create(6, 5), kDibDone);
  // `picture.image` still caches 2 x 2; its operations re-read the header.
  EXPECT_EQ(picture.image.Fill(0xFFFFFF), kDibDone);
  EXPECT_EQ(other.GetPixel(5, 4), 0xFFFFFFu);
  EXPECT_EQ(picture.image.GetSize().width, 6);

  // Storing the block already held keeps it alive.
  HGLOBAL same = picture.handle;
  EXPECT_EQ(picture.image.SetHandle(same), kDibDone);
  EXPECT_EQ(picture.handle, same);
  EXPECT_EQ(GlobalSize(same), 40u + 20 * 5);

  picture.image.Free();
  EXPECT_EQ(picture.handle, nullptr);
  EXPECT_EQ(other.IsValid(), kDibNoBlock);
}

TEST(HugeMemory, CopiesAndFillsExactlyTheCount) {
  std::vector<std::uint8_t> source(200000);
  for (std::size_t i = 0; i < source.size(); ++i) source[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> target(source.size() + 3, 0xEE);
  HugeMemCopy(target.data(), source.data(), 131071);  // two pieces plus a ragged end
  EXPECT_TRUE(std::equal(source.begin(), source.begin() + 131071, target.begin()));
  EXPECT_EQ(target[131071], 0xEE);

  HugeMemFill(target.data(), 0x11, 65537);
  EXPECT_EQ(target[65536], 0x11);
  EXPECT_EQ(target[65537], source[65537]);

  HugeMemCopy(target.data(), source.data() + 1, 0);
  HugeMemCopy(target.data(), source.data() + 1, -5);
  HugeMemFill(target.data(), 0x99, -1);
  EXPECT_EQ(target[0], 0x11);
}

TEST(HugeMemory, CallocZeroesAndRefusesOverflow) {
  HGLOBAL block = GlobalCalloc(10, 7);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 70u);
  auto* p = static_cast<std::uint8_t*>(GlobalLock(block));
  for (int i = 0; i < 70; ++i) EXPECT_EQ(p[i], 0);
  EXPECT_EQ(GlobalRelease(block), nullptr);

  EXPECT_EQ(GlobalCalloc(SIZE_MAX / 2, 3), nullptr);
}

}  // namespace
}  // namespace sprocket
