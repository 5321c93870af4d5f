// The compressor's colour conversion takes only pictures whose copy holds
// every row its header names (FFmpeg reads the rows whole, and past them
// into the copy's padding).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/media/frame_conversion.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

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

// Decoded pictures go straight into a YUV compressor only when the scaler
// keeps their colours: YUV without alpha, in the compressor's BT.601 matrix.
TEST(EncoderFrameConversion, DecodedPicturesTakenAsTheyAre) {
  struct Case {
    AVPixelFormat format;
    AVColorSpace space;
    int height;
    AVPixelFormat target;
    bool taken;
  };
  const Case cases[] = {
      {AV_PIX_FMT_YUVJ422P, AVCOL_SPC_UNSPECIFIED, 480, AV_PIX_FMT_YUVJ422P, true},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_SMPTE170M, 1080, AV_PIX_FMT_YUV420P, true},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, 576, AV_PIX_FMT_YUVJ444P, true},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_UNSPECIFIED, 720, AV_PIX_FMT_YUV420P, false},  // taken as BT.709
      {AV_PIX_FMT_YUV422P, AVCOL_SPC_BT709, 480, AV_PIX_FMT_YUV422P, false},
      {AV_PIX_FMT_YUVA420P, AVCOL_SPC_BT470BG, 480, AV_PIX_FMT_YUV420P, false},
      {AV_PIX_FMT_BGR24, AVCOL_SPC_UNSPECIFIED, 480, AV_PIX_FMT_YUV420P, false},
      {AV_PIX_FMT_PAL8, AVCOL_SPC_UNSPECIFIED, 480, AV_PIX_FMT_YUV420P, false},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, 480, AV_PIX_FMT_BGR24, false},
      {AV_PIX_FMT_YUV420P, AVCOL_SPC_BT470BG, 480, AV_PIX_FMT_PAL8, false},
  };
  for (const Case& c : cases) {
    AVFrame* frame = av_frame_alloc();
    ASSERT_NE(frame, nullptr);
    frame->format = c.format;
    frame->width = 64;
    frame->height = c.height;
    frame->colorspace = c.space;
    EXPECT_EQ(EncoderFrameConverter::TakesDecoded(frame, c.target), c.taken)
        << av_get_pix_fmt_name(c.format) << " " << c.height << " rows into " << av_get_pix_fmt_name(c.target);
    av_frame_free(&frame);
  }
  EXPECT_FALSE(EncoderFrameConverter::TakesDecoded(nullptr, AV_PIX_FMT_YUV420P));
}

}  // namespace
}  // namespace sprocket::media_detail
