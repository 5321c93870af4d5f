// The vector colour conversion of decoded pictures against the scaler's exact
// road, for every layout, matrix and range it takes and some it leaves to the
// exact road, at even and odd sizes: the exact road's bytes, DIB header and
// padding.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imagelib/dib_header.h"
#include "platform/media/frame_conversion.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace sprocket::media_detail {
namespace {

// A picture with smooth gradients, hard-edged colour bars (the hardest case
// for chroma interpolation) and a diagonal: the value of channel `c` at
// (x, y) on a 0..255 scale.
int PatternValue(int c, int x, int y, int width, int height) {
  const int bar = x * 7 / width;
  if (y < height / 3) {
    static constexpr int kBars[7][3] = {{192, 192, 192}, {0, 192, 192}, {192, 192, 0}, {0, 192, 0},
                                        {192, 0, 192},   {0, 0, 192},   {192, 0, 0}};
    return kBars[bar][c];
  }
  if (y < 2 * height / 3) return (x * 255 / std::max(1, width - 1) + c * 60 + y) % 256;
  return ((x + y) % 32 < 16 ? 40 : 200) + c * 10;
}

// A YUV picture in `format` with the pattern in each plane.
FramePtr MakeYuvFrame(AVPixelFormat format, int width, int height, AVColorSpace space, AVColorRange range) {
  FramePtr frame(av_frame_alloc());
  frame->format = format;
  frame->width = width;
  frame->height = height;
  frame->colorspace = space;
  frame->color_range = range;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
  for (int plane = 0; plane < 3; ++plane) {
    const int pw = plane == 0 ? width : AV_CEIL_RSHIFT(width, d->log2_chroma_w);
    const int ph = plane == 0 ? height : AV_CEIL_RSHIFT(height, d->log2_chroma_h);
    for (int y = 0; y < ph; ++y) {
      for (int x = 0; x < pw; ++x) {
        int v = PatternValue(plane, x, y, pw, ph);
        if (range == AVCOL_RANGE_MPEG) v = 16 + v * (plane == 0 ? 219 : 224) / 255;
        frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(v);
      }
    }
  }
  return frame;
}

TEST(VectorColour, DecodedPicturesGiveTheExactRoadsBytes) {
  struct Case {
    AVPixelFormat format;
    AVColorSpace space;
    AVColorRange range;
    bool vector;  // at even widths from 14 (4:2:2) or any (4:4:4)
  };
  const Case cases[] = {
      {AV_PIX_FMT_YUVJ422P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_JPEG, true},  // motion JPEG from capture cards
      {AV_PIX_FMT_YUV422P, AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG, true},
      {AV_PIX_FMT_YUV444P, AVCOL_SPC_BT709, AVCOL_RANGE_JPEG, true},
      {AV_PIX_FMT_YUV444P, AVCOL_SPC_UNSPECIFIED, AVCOL_RANGE_MPEG, true},
      {AV_PIX_FMT_YUV422P, AVCOL_SPC_BT709, AVCOL_RANGE_MPEG, true},
      {AV_PIX_FMT_YUVJ420P, AVCOL_SPC_BT470BG, AVCOL_RANGE_JPEG, false},
      {AV_PIX_FMT_YUV422P, AVCOL_SPC_BT2020_NCL, AVCOL_RANGE_MPEG, true},
      {AV_PIX_FMT_YUV422P, AVCOL_SPC_SMPTE240M, AVCOL_RANGE_JPEG, true},
      {AV_PIX_FMT_YUV444P, AVCOL_SPC_FCC, AVCOL_RANGE_MPEG, true},
  };
  for (const Case& c : cases) {
    for (const auto& [width, height] : {std::pair{720, 480}, std::pair{334, 98}, std::pair{333, 97}, std::pair{14, 3},
                                        std::pair{12, 3}, std::pair{1, 1}}) {
      SCOPED_TRACE(std::string(av_get_pix_fmt_name(c.format)) + " " + std::to_string(width) + "x" +
                   std::to_string(height) + " space " + std::to_string(c.space));
      FramePtr frame = MakeYuvFrame(c.format, width, height, c.space, c.range);
      std::string error;
      GlobalBlock exact = DecodedFrameConverter(ColourRoad::kExact).ToDib24(frame.get(), &error);
      ASSERT_TRUE(exact) << error;
      DecodedFrameConverter converter;
      GlobalBlock converted = converter.ToDib24(frame.get(), &error);
      ASSERT_TRUE(converted) << error;
      // A second picture through the same converter (its buffers reused).
      converted = converter.ToDib24(frame.get(), &error);
      ASSERT_TRUE(converted) << error;
      GlobalLockGuard<std::uint8_t> a(exact.get());
      GlobalLockGuard<std::uint8_t> b(converted.get());
      ASSERT_EQ(GlobalSize(exact.get()), GlobalSize(converted.get()));
      ASSERT_EQ(std::memcmp(a.get(), b.get(), kDibHeaderSize), 0) << "the headers differ";
      const std::int32_t stride = PaddedStride24(width);

      // The kernel alone gives the converter's bytes where it takes the picture.
      bool full = c.range == AVCOL_RANGE_JPEG;
      const AVPixelFormat plain = c.format == AV_PIX_FMT_YUVJ422P ? AV_PIX_FMT_YUV422P : c.format;
      const int matrix = c.space == AVCOL_SPC_BT709        ? SWS_CS_ITU709
                         : c.space == AVCOL_SPC_BT2020_NCL ? SWS_CS_BT2020
                         : c.space == AVCOL_SPC_SMPTE240M  ? SWS_CS_SMPTE240M
                         : c.space == AVCOL_SPC_FCC        ? SWS_CS_FCC
                                                           : SWS_CS_ITU601;
      const bool taken = VectorYuvToBgr::Takes(plain, width);
      EXPECT_EQ(taken, c.vector && (plain == AV_PIX_FMT_YUV444P || (width % 2 == 0 && width >= 14)));
      // The kernel alone, with vector instructions and with plain code.
      for (auto instructions : {VectorYuvToBgr::Instructions::kBest, VectorYuvToBgr::Instructions::kPlain}) {
        if (!taken) break;
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * height, 0);
        ASSERT_TRUE(VectorYuvToBgr(instructions).Convert(frame.get(), plain, matrix, full, rows.data(), stride));
        EXPECT_EQ(std::memcmp(rows.data(), b.get() + kDibHeaderSize, rows.size()), 0);
      }
      // On either road, every byte is the exact road's (the rows' padding zero).
      for (int y = 0; y < height; ++y) {
        const std::uint8_t* rowA = a.get() + kDibHeaderSize + y * stride;
        const std::uint8_t* rowB = b.get() + kDibHeaderSize + y * stride;
        ASSERT_EQ(std::memcmp(rowA, rowB, 3 * width), 0) << "row " << y;
        for (int i = 3 * width; i < stride; ++i) ASSERT_EQ(rowB[i], 0) << "row padding at row " << y;
      }
    }
  }
}

// The converter's rows against the exact road's for a decoded frame.
void ExpectExactRoadRows(const AVFrame* frame, const std::string& what) {
  std::string error;
  GlobalBlock exact = DecodedFrameConverter(ColourRoad::kExact).ToDib24(frame, &error);
  ASSERT_TRUE(exact) << error;
  GlobalBlock vector = DecodedFrameConverter().ToDib24(frame, &error);
  ASSERT_TRUE(vector) << error;
  ASSERT_EQ(GlobalSize(exact.get()), GlobalSize(vector.get()));
  GlobalLockGuard<std::uint8_t> a(exact.get());
  GlobalLockGuard<std::uint8_t> b(vector.get());
  EXPECT_EQ(std::memcmp(a.get(), b.get(), GlobalSize(exact.get())), 0) << what;
}

TEST(VectorColour, EveryYuvTripletAndNoiseGiveTheExactRoadsBytes) {
  // 4096 x 4096 pixels of 4:4:4: each luma, u and v triplet once.
  for (const auto& [space, range] :
       {std::pair{AVCOL_SPC_SMPTE170M, AVCOL_RANGE_JPEG}, std::pair{AVCOL_SPC_SMPTE170M, AVCOL_RANGE_MPEG},
        std::pair{AVCOL_SPC_BT709, AVCOL_RANGE_MPEG}}) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV444P;
    frame->width = 4096;
    frame->height = 4096;
    frame->colorspace = space;
    frame->color_range = range;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int y = 0; y < 4096; ++y) {
      for (int x = 0; x < 4096; ++x) {
        const std::uint32_t triplet = static_cast<std::uint32_t>(y) * 4096 + static_cast<std::uint32_t>(x);
        for (int plane = 0; plane < 3; ++plane) {
          frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(triplet >> (8 * plane));
        }
      }
    }
    ExpectExactRoadRows(frame.get(), "every triplet, space " + std::to_string(space));
  }
  // Noise in 4:2:2 (every chroma neighbourhood the filter meets).
  std::mt19937 random(5);
  for (const auto& [width, height] : {std::pair{720, 480}, std::pair{16, 9}, std::pair{30, 2}}) {
    FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUVJ422P;
    frame->width = width;
    frame->height = height;
    frame->color_range = AVCOL_RANGE_JPEG;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int plane = 0; plane < 3; ++plane) {
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < frame->linesize[plane]; ++x) {
          frame->data[plane][y * frame->linesize[plane] + x] = static_cast<std::uint8_t>(random());
        }
      }
    }
    ExpectExactRoadRows(frame.get(), "noise " + std::to_string(width) + "x" + std::to_string(height));
  }
}

}  // namespace
}  // namespace sprocket::media_detail
