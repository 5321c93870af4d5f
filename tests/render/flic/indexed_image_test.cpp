#include "render/flic/indexed_image.h"

#include <gtest/gtest.h>

#include <cstring>

#include "imagelib/dib_header.h"

namespace sprocket {
namespace {

class IndexedImageTest : public ::testing::Test {
protected:
  ~IndexedImageTest() override {
    for (HGLOBAL* variable : {&first_, &second_}) {
      if (*variable != nullptr) GlobalFree(*variable);
    }
  }
  HGLOBAL first_ = nullptr;
  HGLOBAL second_ = nullptr;
};

TEST_F(IndexedImageTest, CreateMakesAZeroFilledEightBitPictureWithPaddedRows) {
  CIndexedImage image(&first_);
  ASSERT_EQ(image.Create(5, 2), kDibDone);
  ASSERT_NE(first_, nullptr);
  EXPECT_EQ(GlobalSize(first_), 1064u + 8 * 2);
  const DibInfoHeader header = ReadDibHeader(GlobalLockGuard<std::uint8_t>(first_).get());
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 5);
  EXPECT_EQ(header.biHeight, 2);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 8);
  EXPECT_EQ(header.biSizeImage, 16u);
  EXPECT_EQ(header.biXPelsPerMeter, 3780);
  EXPECT_EQ(header.biYPelsPerMeter, 3780);
  EXPECT_EQ(image.GetStride(), 8);
  EXPECT_EQ(image.GetPixelOffset(), 1064);
  EXPECT_EQ(image.PixelOffset(3, 1), 11);

  // The same size keeps the block and clears it; another size replaces it.
  const HGLOBAL block = first_;
  ASSERT_EQ(image.Clear(7), kDibDone);
  ASSERT_EQ(image.Create(5, 2), kDibDone);
  EXPECT_EQ(first_, block);
  std::uint8_t* pixels = image.LockPixels();
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels[0], 0);
  EXPECT_EQ(pixels[15], 0);
  image.Unlock();
  ASSERT_EQ(image.Create(4, 3), kDibDone);
  EXPECT_EQ(GlobalSize(first_), 1064u + 12);
  EXPECT_EQ(image.Create(0, 5), kDibBadSize);
  EXPECT_EQ(image.GetSize().width, 4);
  EXPECT_EQ(CIndexedImage().Create(4, 4), kDibDetached);
}

TEST_F(IndexedImageTest, AttachRefusesMissingBlocksAndOtherDepths) {
  CIndexedImage image;
  EXPECT_EQ(image.Attach(nullptr), kDibDetached);
  EXPECT_EQ(image.Attach(&first_), kDibNoBlock);
  first_ = GlobalAlloc(GHND, 40 + 12 * 2);
  WriteDibHeader(GlobalLockGuard<std::uint8_t>(first_).get(), MakeDib24Header(4, 2));
  EXPECT_EQ(image.Attach(&first_), kDibBadSize);
  EXPECT_EQ(image.LockPixels(), nullptr);
}

TEST_F(IndexedImageTest, CopyReplicatesHeaderColoursAndPixels) {
  CIndexedImage source(&first_);
  ASSERT_EQ(source.Create(6, 3), kDibDone);
  {
    GlobalLockGuard<std::uint8_t> bytes(first_);
    for (std::size_t i = 40; i < GlobalSize(first_); ++i) bytes.get()[i] = static_cast<std::uint8_t>(i * 7);
  }
  CIndexedImage copy(&second_);
  ASSERT_EQ(copy.Copy(source), kDibDone);  // a new block
  ASSERT_NE(second_, nullptr);
  ASSERT_EQ(GlobalSize(second_), GlobalSize(first_));
  EXPECT_EQ(std::memcmp(GlobalLockGuard<std::uint8_t>(first_).get(), GlobalLockGuard<std::uint8_t>(second_).get(),
                        GlobalSize(first_)),
            0);

  ASSERT_EQ(source.Clear(9), kDibDone);
  const HGLOBAL block = second_;
  ASSERT_EQ(copy.Copy(source), kDibDone);  // the same shape: in place
  EXPECT_EQ(second_, block);
  EXPECT_EQ(GlobalLockGuard<std::uint8_t>(second_).get()[1064 + 23], 9);

  HGLOBAL empty = nullptr;
  ASSERT_EQ(copy.Copy(CIndexedImage(&empty)), kDibDone);
  EXPECT_EQ(second_, nullptr);
}

}  // namespace
}  // namespace sprocket
