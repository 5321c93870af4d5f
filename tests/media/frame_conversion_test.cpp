// The compressor's colour conversion takes only pictures whose copy holds
// every row its header names (FFmpeg reads the rows whole, and past them
// into the copy's padding).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/media/frame_conversion.h"

namespace sprocket::media_detail {
namespace {

TEST(EncoderFrameConversion, APictureSmallerThanItsHeaderSaysIsRefused) {
  const DibInfoHeader header = MakeDib24Header(64, 48);
  const std::vector<std::uint8_t> rows(header.biSizeImage, 0x80);
  PaddedPixels pixels;
  ASSERT_TRUE(pixels.Assign(rows.data(), rows.size() - 1));
  EncoderFrameConverter converter;
  converter.Configure(64, 48, AV_PIX_FMT_YUVJ422P);
  FramePtr target(av_frame_alloc());
  std::string error;
  EXPECT_FALSE(converter.FromDib(header, nullptr, pixels, PaddedStride24(64), target.get(), &error));
  EXPECT_EQ(error, "The picture's header does not match its block.");
}

TEST(EncoderFrameConversion, AWholePictureConvertsAndItsCopyIsReused) {
  const DibInfoHeader header = MakeDib24Header(64, 48);
  EncoderFrameConverter converter;
  converter.Configure(64, 48, AV_PIX_FMT_YUVJ422P);
  PaddedPixels pixels;
  for (std::uint8_t grey : {std::uint8_t{0x80}, std::uint8_t{0x20}}) {
    const std::vector<std::uint8_t> rows(header.biSizeImage, grey);
    ASSERT_TRUE(pixels.Assign(rows.data(), rows.size()));
    ASSERT_EQ(pixels.size(), rows.size());
    FramePtr target(av_frame_alloc());
    std::string error;
    ASSERT_TRUE(converter.FromDib(header, nullptr, pixels, PaddedStride24(64), target.get(), &error)) << error;
    // Full-range grey: luma is the grey level, chroma the middle.
    EXPECT_NEAR(target->data[0][0], grey, 1);
    EXPECT_NEAR(target->data[1][0], 128, 1);
  }
}

}  // namespace
}  // namespace sprocket::media_detail
