// The vector road of pictures to encode against the scaler's exact road:
// every format, size and picture kind it takes gives the exact road's bytes
// (random noise, gradients, hard colour edges, every 24-bit colour, movie test
// pictures from ffmpeg where it is installed); sizes and formats it leaves
// go to the exact road; a target it does not take is refused.

#include "platform/media/vector_bgr_to_yuv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "outside_tools.h"
#include "platform/media/frame_conversion.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace sprocket::media_detail {
namespace {

constexpr AVPixelFormat kFormats[] = {AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUVJ444P,
                                      AV_PIX_FMT_YUV422P,  AV_PIX_FMT_YUV420P,  AV_PIX_FMT_YUV444P};

// Bottom-up BGR rows padded to 4 bytes, as the compressor receives them.
struct Picture {
  int width = 0;
  int height = 0;
  std::int32_t stride = 0;
  std::vector<std::uint8_t> bytes;

  Picture(int w, int h) : width(w), height(h), stride((3 * w + 3) & ~3), bytes(static_cast<std::size_t>(stride) * h) {}
  std::uint8_t* At(int x, int yFromTop) {
    return &bytes[static_cast<std::size_t>(stride) * (height - 1 - yFromTop) + 3 * x];
  }
};

enum class Kind { kNoise, kGradient, kEdges, kExtremes };

Picture MakePicture(Kind kind, int width, int height, unsigned seed = 1) {
  Picture picture(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = picture.At(x, y);
      for (int c = 0; c < 3; ++c) {
        switch (kind) {
          case Kind::kNoise:
            p[c] = static_cast<std::uint8_t>(random());
            break;
          case Kind::kGradient:
            p[c] = static_cast<std::uint8_t>((x * 255 / std::max(1, width - 1) + y * (c + 1) * 255 / height) / 2);
            break;
          case Kind::kEdges:  // one-pixel stripes and blocks of saturated colours
            p[c] = ((x / (1 + c) + y / 3) % 2 == 0) ? 255 : (x % 7 == c ? 128 : 0);
            break;
          case Kind::kExtremes:  // black, white and primaries side by side
            p[c] = static_cast<std::uint8_t>(((x + y) % 5 == c || (x + y) % 5 == 3) ? 255 : 0);
            break;
        }
      }
    }
  }
  return picture;
}

// The planes of `picture` encoded as `format` on `road`.
FramePtr Convert(const Picture& picture, AVPixelFormat format, ColourRoad road) {
  PaddedPixels pixels;
  EXPECT_TRUE(pixels.Assign(picture.bytes.data(), picture.bytes.size()));
  EncoderFrameConverter converter(road);
  converter.Configure(picture.width, picture.height, format);
  const DibInfoHeader header = MakeDib24Header(picture.width, picture.height);
  FramePtr frame(av_frame_alloc());
  std::string error;
  EXPECT_TRUE(converter.FromDib(header, nullptr, pixels, picture.stride, frame.get(), &error)) << error;
  return frame;
}

// The largest difference between the planes of two pictures (0 where every
// byte is the same).
int LargestDifference(const AVFrame& a, const AVFrame& b) {
  const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(a.format));
  int largest = 0;
  for (int plane = 0; plane < 3; ++plane) {
    const int w = plane == 0 ? a.width : AV_CEIL_RSHIFT(a.width, d->log2_chroma_w);
    const int h = plane == 0 ? a.height : AV_CEIL_RSHIFT(a.height, d->log2_chroma_h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int va = a.data[plane][y * a.linesize[plane] + x];
        const int vb = b.data[plane][y * b.linesize[plane] + x];
        largest = std::max(largest, std::abs(va - vb));
      }
    }
  }
  return largest;
}

// The planes of `picture` as the vector road writes them with `instructions`.
FramePtr ConvertWith(const Picture& picture, AVPixelFormat format, VectorBgrToYuv::Instructions instructions) {
  FramePtr frame(av_frame_alloc());
  frame->format = format;
  frame->width = picture.width;
  frame->height = picture.height;
  EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
  VectorBgrToYuv vector(instructions);
  EXPECT_TRUE(vector.Convert(picture.bytes.data(), picture.stride, frame.get()));
  return frame;
}

void ExpectExactRoadBytes(const Picture& picture, AVPixelFormat format, const std::string& what) {
  FramePtr exact = Convert(picture, format, ColourRoad::kExact);
  FramePtr vector = Convert(picture, format, ColourRoad::kVector);
  ASSERT_EQ(vector->format, format);
  EXPECT_EQ(LargestDifference(*exact, *vector), 0)
      << what << " into " << av_get_pix_fmt_name(format) << " at " << picture.width << "x" << picture.height;
  if (!VectorBgrToYuv::Takes(format, picture.width, picture.height)) return;
  // The narrower instructions (where the processor has them) and plain code.
  for (auto instructions : {VectorBgrToYuv::Instructions::kSse41, VectorBgrToYuv::Instructions::kPlain}) {
    EXPECT_EQ(LargestDifference(*exact, *ConvertWith(picture, format, instructions)), 0)
        << what << " (instructions " << static_cast<int>(instructions) << ") into " << av_get_pix_fmt_name(format)
        << " at " << picture.width << "x" << picture.height;
  }
}

TEST(VectorBgrToYuvTest, GivesTheExactRoadsBytesForEveryFormatSizeAndPictureKind) {
  const std::pair<int, int> sizes[] = {{12, 12}, {14, 16}, {64, 48}, {100, 30}, {640, 480}, {722, 14}};
  const std::pair<Kind, const char*> kinds[] = {
      {Kind::kNoise, "noise"}, {Kind::kGradient, "gradient"}, {Kind::kEdges, "edges"}, {Kind::kExtremes, "extremes"}};
  for (const auto& [width, height] : sizes) {
    for (const auto& [kind, name] : kinds) {
      const Picture picture = MakePicture(kind, width, height, static_cast<unsigned>(width * height));
      for (AVPixelFormat format : kFormats) {
        ASSERT_TRUE(VectorBgrToYuv::Takes(format, width, height)) << av_get_pix_fmt_name(format);
        ExpectExactRoadBytes(picture, format, name);
      }
    }
  }
}

TEST(VectorBgrToYuvTest, GivesTheExactRoadsBytesForEvery24BitColour) {
  // 4096 x 4096 pixels: each colour once, in runs of 256 reds over rows of
  // blue and green, so pairs of neighbours differ in one channel.
  Picture picture(4096, 4096);
  for (int y = 0; y < 4096; ++y) {
    for (int x = 0; x < 4096; ++x) {
      const std::uint32_t colour = static_cast<std::uint32_t>(y) * 4096 + static_cast<std::uint32_t>(x);
      std::uint8_t* p = picture.At(x, y);
      p[0] = static_cast<std::uint8_t>(colour >> 16);
      p[1] = static_cast<std::uint8_t>(colour >> 8);
      p[2] = static_cast<std::uint8_t>(colour);
    }
  }
  for (AVPixelFormat format : {AV_PIX_FMT_YUVJ422P, AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ444P}) {
    ExpectExactRoadBytes(picture, format, "every colour");
  }
}

TEST(VectorBgrToYuvTest, GivesTheExactRoadsBytesForMovieTestPictures) {
  if (!testing::ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  for (const char* source : {"testsrc", "smptebars", "mandelbrot"}) {
    for (const auto& [width, height] : {std::pair{720, 480}, std::pair{640, 480}}) {
      // ffmpeg writes top-down rows without padding; the picture is bottom-up.
      const std::string command = std::string("ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i ") + source +
                                  "=size=" + std::to_string(width) + "x" + std::to_string(height) +
                                  " -frames:v 1 -pix_fmt bgr24 -f rawvideo -";
      const std::optional<std::string> raw = testing::RunCommand(command);
      ASSERT_TRUE(raw.has_value()) << command;
      ASSERT_EQ(raw->size(), static_cast<std::size_t>(3 * width * height)) << source;
      Picture picture(width, height);
      for (int y = 0; y < height; ++y) std::memcpy(picture.At(0, y), raw->data() + 3 * width * y, 3 * width);
      for (AVPixelFormat format : kFormats) ExpectExactRoadBytes(picture, format, source);
    }
  }
}

TEST(VectorBgrToYuvTest, LeavesOddAndSmallSizesAndOtherFormatsToTheExactRoad) {
  struct Case {
    AVPixelFormat format;
    int width;
    int height;
    bool taken;
  };
  const Case cases[] = {
      {AV_PIX_FMT_YUVJ422P, 12, 1, true},    {AV_PIX_FMT_YUVJ422P, 10, 12, false}, {AV_PIX_FMT_YUVJ422P, 13, 12, false},
      {AV_PIX_FMT_YUVJ420P, 12, 12, true},   {AV_PIX_FMT_YUVJ420P, 12, 10, false}, {AV_PIX_FMT_YUVJ420P, 12, 13, false},
      {AV_PIX_FMT_YUV420P, 641, 480, false}, {AV_PIX_FMT_YUVJ444P, 1, 1, true},    {AV_PIX_FMT_YUV444P, 7, 5, true},
      {AV_PIX_FMT_NV12, 64, 48, false},      {AV_PIX_FMT_YUV411P, 64, 48, false},  {AV_PIX_FMT_BGR24, 64, 48, false},
      {AV_PIX_FMT_YUVJ422P, 0, 12, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VectorBgrToYuv::Takes(c.format, c.width, c.height), c.taken)
        << av_get_pix_fmt_name(c.format) << " " << c.width << "x" << c.height;
    // Whichever road it takes, the converter's bytes are the exact road's
    // (compared for formats of three planes).
    if (c.width > 0 && av_pix_fmt_count_planes(c.format) == 3) {
      ExpectExactRoadBytes(MakePicture(Kind::kEdges, c.width, c.height), c.format, "edges");
    }
  }
}

TEST(VectorBgrToYuvTest, RefusesTargetsItDoesNotTakeAndShortRows) {
  const Picture picture = MakePicture(Kind::kNoise, 14, 14);
  VectorBgrToYuv vector;
  auto target = [](AVPixelFormat format, int width, int height) {
    FramePtr frame(av_frame_alloc());
    frame->format = format;
    frame->width = width;
    frame->height = height;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    return frame;
  };
  EXPECT_TRUE(vector.Convert(picture.bytes.data(), picture.stride, target(AV_PIX_FMT_YUVJ420P, 14, 14).get()));
  EXPECT_FALSE(vector.Convert(picture.bytes.data(), picture.stride, target(AV_PIX_FMT_NV12, 14, 14).get()));
  EXPECT_FALSE(vector.Convert(picture.bytes.data(), picture.stride, target(AV_PIX_FMT_YUVJ420P, 14, 13).get()));
  EXPECT_FALSE(vector.Convert(picture.bytes.data(), 3 * 14 - 1, target(AV_PIX_FMT_YUVJ444P, 14, 14).get()));
  EXPECT_FALSE(vector.Convert(nullptr, picture.stride, target(AV_PIX_FMT_YUVJ444P, 14, 14).get()));
}

TEST(VectorBgrToYuvTest, OneConverterKeepsExactBytesAcrossPicturesFormatsAndSizes) {
  // The converter's working space is reused and resized between pictures.
  EncoderFrameConverter vector(ColourRoad::kVector);
  EncoderFrameConverter exact(ColourRoad::kExact);
  const std::tuple<AVPixelFormat, int, int, Kind> steps[] = {
      {AV_PIX_FMT_YUVJ420P, 64, 48, Kind::kNoise},     {AV_PIX_FMT_YUVJ420P, 64, 48, Kind::kEdges},
      {AV_PIX_FMT_YUVJ422P, 200, 20, Kind::kGradient}, {AV_PIX_FMT_YUV444P, 30, 12, Kind::kExtremes},
      {AV_PIX_FMT_YUV420P, 16, 16, Kind::kNoise},      {AV_PIX_FMT_YUVJ422P, 15, 15, Kind::kEdges},
  };
  for (const auto& [format, width, height, kind] : steps) {
    const Picture picture = MakePicture(kind, width, height);
    PaddedPixels pixels;
    ASSERT_TRUE(pixels.Assign(picture.bytes.data(), picture.bytes.size()));
    const DibInfoHeader header = MakeDib24Header(width, height);
    vector.Configure(width, height, format);
    exact.Configure(width, height, format);
    FramePtr a(av_frame_alloc());
    FramePtr b(av_frame_alloc());
    std::string error;
    ASSERT_TRUE(vector.FromDib(header, nullptr, pixels, picture.stride, a.get(), &error)) << error;
    ASSERT_TRUE(exact.FromDib(header, nullptr, pixels, picture.stride, b.get(), &error)) << error;
    EXPECT_EQ(LargestDifference(*a, *b), 0) << av_get_pix_fmt_name(format) << " " << width << "x" << height;
  }
}

}  // namespace
}  // namespace sprocket::media_detail
