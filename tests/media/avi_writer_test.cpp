#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imagelib/dib_header.h"
#include "media_test_clips.h"
#include "platform/media/avi_index.h"
#include "platform/media/avi_writer.h"
#include "platform/media/codec_table.h"
#include "platform/media/video_frame_reader.h"
#include "platform/worker_pool.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

AviVideoFormat SmallFormat(const char* code) {
  AviVideoFormat format;
  format.width = testing::kClipWidth;
  format.height = testing::kClipHeight;
  format.compressor = MakeFourCC(code);
  return format;
}

// The codes of every compressor the table maps, with FFmpeg's name of the
// codec that ffprobe reports.
struct CodecCase {
  const char* code;
  const char* probedTag;
  const char* probedCodec;
};
constexpr CodecCase kCodecs[] = {
    {"MSVC", "MSVC", "msvideo1"},
    {"CRAM", "CRAM", "msvideo1"},
    {"MJPG", "MJPG", "mjpeg"},
    {"cvid", "cvid", "cinepak"},
    {"HFYU", "HFYU", "huffyuv"},
    {"ZMBV", "ZMBV", "zmbv"},
    {"FMP4", "FMP4", "mpeg4"},
    {"XVID", "XVID", "mpeg4"},
    {"DIVX", "DIVX", "mpeg4"},
    {"DX50", "DX50", "mpeg4"},
    {"MP43", "MP43", "msmpeg4v3"},
    {"DIV3", "DIV3", "msmpeg4v3"},
    {"H264", "H264", "h264"},
    {"X264", "X264", "h264"},
    {"FFV1", "FFV1", "ffv1"},
    {"MPNG", "MPNG", "png"},
    {"DIB ", "[0][0][0][0]", "rawvideo"},
    {"CFCC", "CFCC", ""},
};

TEST(AviWriter, EveryMappedCompressorWritesAFileOthersRead) {
  TempDir dir;
  for (const CodecCase& c : kCodecs) {
    SCOPED_TRACE(c.code);
    FourCC code = MakeFourCC(c.code);
    if (!IsVideoCompressorAvailable(code)) continue;  // libx264 may be missing
    std::string path = (dir / (std::string("clip_") + c.probedCodec + c.probedTag + ".avi")).string();
    ASSERT_EQ(testing::WriteNumberedClip(path, code, 6, 3, 16, 1), "");

    // Our reader sees every frame's number.
    VideoFrameReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
    ASSERT_EQ(reader.FrameCount(), 6);
    for (int f : {0, 4, 2, 5, 1}) EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(f).get()), f);

    // The stream header carries the code, as other programs expect.
    AviFileIndex index;
    ASSERT_TRUE(index.Open(path)) << index.ErrorText();
    EXPECT_EQ(index.ClipHeader().video.fccHandler, FindVideoCompressor(code)->tag);

    auto streams = testing::ProbeStreams(path);
    if (!streams) continue;
    ASSERT_EQ(streams->size(), 2u);
    const auto& video = (*streams)[0];
    const auto& audio = (*streams)[1];
    EXPECT_EQ(video.at("codec_tag_string"), c.probedTag);
    if (c.probedCodec[0] != '\0') {
      EXPECT_EQ(video.at("codec_name"), c.probedCodec);
    }
    EXPECT_EQ(video.at("width"), "64");
    EXPECT_EQ(video.at("height"), "48");
    EXPECT_EQ(video.at("nb_read_packets"), "6");
    if (std::string(c.code) == "MJPG") {
      // The layout of motion JPEG clips, so copied and encoded frames match.
      EXPECT_EQ(video.at("pix_fmt"), "yuvj422p");
    }
    EXPECT_EQ(audio.at("codec_name"), "pcm_s16le");
    EXPECT_EQ(audio.at("sample_rate"), "11025");
    EXPECT_EQ(audio.at("channels"), "1");
  }
}

TEST(AviWriter, UncompressedPicturesComeBackByteForByte) {
  TempDir dir;
  // 62 pixels make rows that need padding.
  for (int width : {64, 62}) {
    SCOPED_TRACE(width);
    std::string path = (dir / ("raw" + std::to_string(width) + ".avi")).string();
    AviVideoFormat format;
    format.width = width;
    format.height = 48;
    format.compressor = MakeFourCC("DIB ");
    AviWriter writer;
    ASSERT_TRUE(writer.Open(path, format, std::nullopt)) << writer.ErrorText();
    std::vector<GlobalBlock> written;
    for (int f = 0; f < 4; ++f) {
      written.push_back(testing::MakeNumberedPicture(f * 9, width, 48));
      // Some noise so that every byte matters.
      GlobalLockGuard<std::uint8_t> bytes(written.back().get());
      for (int i = 0; i < 200; ++i)
        bytes.get()[40 + i * 37 % (PaddedStride24(width) * 48)] ^= static_cast<std::uint8_t>(i);
    }
    for (const GlobalBlock& picture : written) ASSERT_TRUE(writer.WriteFrame(picture.get()));
    ASSERT_TRUE(writer.Finish()) << writer.ErrorText();

    VideoFrameReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
    for (int f : {3, 0, 2, 1}) {
      GlobalBlock read = reader.ReadFrame(f);
      ASSERT_TRUE(read) << reader.ErrorText();
      GlobalLockGuard<std::uint8_t> a(read.get());
      GlobalLockGuard<std::uint8_t> b(written[f].get());
      std::int32_t stride = PaddedStride24(width);
      for (int y = 0; y < 48; ++y) {
        ASSERT_EQ(std::memcmp(a.get() + 40 + y * stride, b.get() + 40 + y * stride, width * 3), 0) << "row " << y;
      }
    }
    auto streams = testing::ProbeStreams(path);
    if (streams) {
      EXPECT_EQ((*streams)[0].at("codec_name"), "rawvideo");
    }
  }
}

TEST(AviWriter, UnmappedCodeFailsClearlyAndLeavesNoFile) {
  TempDir dir;
  std::string path = (dir / "indeo.avi").string();
  AviVideoFormat format = SmallFormat("IV50");
  AviWriter writer;
  EXPECT_FALSE(writer.Open(path, format, std::nullopt));
  EXPECT_NE(writer.ErrorText().find("IV50"), std::string::npos) << writer.ErrorText();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(writer.WriteFrame(testing::MakeNumberedPicture(0).get()));
}

TEST(AviWriter, AFailedOrAbandonedMovieIsRemoved) {
  TempDir dir;
  AviVideoFormat format = SmallFormat("MJPG");
  {
    std::string path = (dir / "wrong_size.avi").string();
    AviWriter writer;
    ASSERT_TRUE(writer.Open(path, format, std::nullopt));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(writer.WriteFrame(testing::MakeNumberedPicture(0, 32, 48).get()));
    EXPECT_FALSE(writer.ErrorText().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(writer.Finish());
  }
  std::string abandoned = (dir / "abandoned.avi").string();
  {
    AviWriter writer;
    ASSERT_TRUE(writer.Open(abandoned, format, std::nullopt));
    ASSERT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(1).get()));
  }
  EXPECT_FALSE(std::filesystem::exists(abandoned));
}

TEST(AviWriter, AFullDiskFailsTheMovieAndRemovesIt) {
  TempDir dir;
  std::string path = (dir / "full.avi").string();
  // A file-size limit makes writes fail the way a full disk does.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old;
  limit.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);

  AviVideoFormat format = SmallFormat("DIB ");
  AviWriter writer;
  bool opened = writer.Open(path, format, AviAudioFormat{16, 11025, 2});
  bool failed = false;
  for (int f = 0; opened && f < 100 && !failed; ++f)
    failed = !writer.WriteFrame(testing::MakeNumberedPicture(f % 64).get());
  if (!failed && opened) failed = !writer.Finish();

  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(failed);
  EXPECT_NE(writer.ErrorText().find("Error writing"), std::string::npos) << writer.ErrorText();
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AviWriter, RepeatedFramesShowThePreviousPicture) {
  TempDir dir;
  std::string path = (dir / "repeat.avi").string();
  AviVideoFormat format = SmallFormat("MJPG");
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, format, std::nullopt));
  ASSERT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(7).get()));
  ASSERT_TRUE(writer.WriteRepeatFrame());
  ASSERT_TRUE(writer.WriteRepeatFrame());
  ASSERT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(9).get()));
  ASSERT_TRUE(writer.Finish()) << writer.ErrorText();

  AviFileIndex index;
  ASSERT_TRUE(index.Open(path));
  ASSERT_EQ(index.SampleCount(0), 4);
  EXPECT_EQ(index.Stream(0).samples[1].size, 0u);
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(2).get()), 7);
  EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(3).get()), 9);
  EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(1).get()), 7);
}

TEST(AviWriter, SamplesAndRepeatsKeepTheirPlaceAmongPicturesInTheCompressor) {
  // Motion JPEG pictures are compressed on several threads at once: copied
  // samples and repeats written between them wait for the pictures before them.
  TempDir dir;
  const std::string source = (dir / "source.avi").string();
  const std::string path = (dir / "mixed.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("MJPG"), 10, 1), "");
  AviFileIndex index;
  ASSERT_TRUE(index.Open(source));
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, SmallFormat("MJPG"), std::nullopt));
  std::vector<int> expected;
  std::vector<std::uint8_t> sample;
  for (int i = 0; i < 120; ++i) {  // past the pictures compressed before the threads start
    if (i % 7 == 3) {              // a copied sample of source frame i % 10
      ASSERT_TRUE(index.ReadSample(0, i % 10, &sample));
      ASSERT_TRUE(writer.WriteRawSample(sample.data(), sample.size(), true)) << writer.ErrorText();
      expected.push_back(i % 10);
    } else if (i % 11 == 5) {
      ASSERT_TRUE(writer.WriteRepeatFrame()) << writer.ErrorText();
      expected.push_back(expected.back());
    } else {
      ASSERT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(20 + i % 40).get())) << writer.ErrorText();
      expected.push_back(20 + i % 40);
    }
  }
  ASSERT_TRUE(writer.Finish()) << writer.ErrorText();
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(path));
  ASSERT_EQ(reader.FrameCount(), 120);
  for (int f = 0; f < 120; ++f) EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(f).get()), expected[f]) << f;
}

TEST(AviWriter, CopiedSamplesDecodeAsTheSource) {
  TempDir dir;
  std::string source = (dir / "source.avi").string();
  std::string copy = (dir / "copy.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("FMP4"), 20, 5), "");
  AviFileIndex index;
  ASSERT_TRUE(index.Open(source));
  AviWriter writer;
  ASSERT_TRUE(writer.OpenCopy(copy, source, std::nullopt)) << writer.ErrorText();
  std::vector<std::uint8_t> sample;
  for (int f = 10; f < 20; ++f) {  // from the key frame at 10 on
    ASSERT_TRUE(index.ReadSample(0, f, &sample));
    ASSERT_TRUE(writer.WriteRawSample(sample.data(), sample.size(), index.Stream(0).samples[f].key));
  }
  ASSERT_TRUE(writer.Finish()) << writer.ErrorText();
  AviFileIndex copied;
  ASSERT_TRUE(copied.Open(copy));
  EXPECT_EQ(copied.ClipHeader().video.fccHandler, MakeFourCC("FMP4"));
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(copy));
  ASSERT_EQ(reader.FrameCount(), 10);
  for (int f : {0, 7, 3, 9}) EXPECT_EQ(testing::ReadPictureNumber(reader.ReadFrame(f).get()), f + 10);
}

TEST(AviWriter, FrameRatesAreKeptExactly) {
  std::uint32_t rate = 0, scale = 0;
  RateForFramesPerSecond(29.97, &rate, &scale);
  EXPECT_EQ(rate, 30000u);
  EXPECT_EQ(scale, 1001u);
  RateForFramesPerSecond(25.0, &rate, &scale);
  EXPECT_EQ(rate, 25u);
  EXPECT_EQ(scale, 1u);
  RateForFramesPerSecond(12.5, &rate, &scale);
  EXPECT_EQ(rate, 12500u);
  EXPECT_EQ(scale, 1000u);
  RateForFramesPerSecond(0.0, &rate, &scale);
  EXPECT_EQ(rate, 25u);

  TempDir dir;
  std::string path = (dir / "ntsc.avi").string();
  AviVideoFormat format = SmallFormat("MJPG");
  RateForFramesPerSecond(29.97, &format.rate, &format.scale);
  AviWriter writer;
  ASSERT_TRUE(writer.Open(path, format, std::nullopt));
  for (int f = 0; f < 3; ++f) ASSERT_TRUE(writer.WriteFrame(testing::MakeNumberedPicture(f).get()));
  ASSERT_TRUE(writer.Finish());
  AviFileIndex index;
  ASSERT_TRUE(index.Open(path));
  EXPECT_EQ(index.ClipHeader().video.dwRate, 30000u);
  EXPECT_EQ(index.ClipHeader().video.dwScale, 1001u);
  EXPECT_EQ(index.ClipHeader().file.dwLength, 3u);
}

}  // namespace
}  // namespace sprocket

namespace sprocket {
namespace {

// An 8-bit packed DIB with a palette of grey levels and rows of one level each.
GlobalBlock MakePalettePicture(int width, int height, int shift) {
  std::int32_t stride = (width + 3) / 4 * 4;
  GlobalBlock block = GlobalBlock::Allocate(40 + 1024 + static_cast<std::size_t>(stride) * height);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  DibInfoHeader header = MakeDib24Header(width, height);
  header.biBitCount = 8;
  header.biClrUsed = 256;
  header.biSizeImage = static_cast<std::uint32_t>(stride * height);
  WriteDibHeader(bytes.get(), header);
  for (int i = 0; i < 256; ++i) {
    bytes.get()[40 + 4 * i] = static_cast<std::uint8_t>(i);
    bytes.get()[41 + 4 * i] = static_cast<std::uint8_t>(255 - i);
    bytes.get()[42 + 4 * i] = static_cast<std::uint8_t>(i / 2);
  }
  for (int y = 0; y < height; ++y) std::memset(bytes.get() + 1064 + y * stride, (y * 5 + shift) & 0xFF, width);
  return block;
}

TEST(AviWriter, PalettePicturesKeepTheirColours) {
  TempDir dir;
  for (const char* code : {"DIB ", "ZMBV"}) {
    SCOPED_TRACE(code);
    std::string path = (dir / (std::string(code[0] == 'D' ? "raw" : "zmbv") + "8.avi")).string();
    AviVideoFormat format = SmallFormat(code);
    format.width = 62;
    format.bitCount = 8;
    AviWriter writer;
    ASSERT_TRUE(writer.Open(path, format, std::nullopt)) << writer.ErrorText();
    for (int f = 0; f < 3; ++f)
      ASSERT_TRUE(writer.WriteFrame(MakePalettePicture(62, 48, f * 7).get())) << writer.ErrorText();
    ASSERT_TRUE(writer.Finish()) << writer.ErrorText();
    VideoFrameReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
    for (int f : {2, 0, 1}) {
      GlobalBlock picture = reader.ReadFrame(f);
      ASSERT_TRUE(picture) << reader.ErrorText();
      for (int yTop : {0, 20, 47}) {
        std::uint8_t bgr[3];
        testing::PixelAt(picture.get(), 30, yTop, bgr);
        int level = ((47 - yTop) * 5 + f * 7) & 0xFF;  // rows are stored bottom-up
        EXPECT_EQ(bgr[0], level) << "frame " << f << " row " << yTop;
        EXPECT_EQ(bgr[1], 255 - level);
        EXPECT_EQ(bgr[2], level / 2);
      }
    }
  }
}

// Decoded pictures of another size, range and chroma layout are compressed
// scaled to the movie's size: each frame shows its own picture in its own
// colours. Compressors that do not take YUV pictures take none.
TEST(AviWriter, DecodedPicturesAreScaledIntoTheMovie) {
  TempDir dir;
  const std::string source = (dir / "source.avi").string();
  const std::string movie = (dir / "movie.avi").string();
  constexpr int kFrames = 6;
  // Full-range 4:2:2 and limited-range 4:2:0 pictures, twice the movie's size.
  for (const char* code : {"MJPG", "FMP4"}) {
    SCOPED_TRACE(code);
    ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC(code), kFrames, 1, 0, 1, 2 * testing::kClipWidth,
                                         2 * testing::kClipHeight),
              "");
    VideoFrameReader decoded;
    ASSERT_TRUE(decoded.Open(source));
    AviWriter writer;
    ASSERT_TRUE(writer.Open(movie, SmallFormat("MJPG"), std::nullopt)) << writer.ErrorText();
    for (int i = 0; i < kFrames; ++i) {
      const DecodedVideoFrame frame = decoded.ReadDecodedFrame(i);
      ASSERT_TRUE(writer.TakesDecodedFrame(frame));
      ASSERT_TRUE(writer.WriteDecodedFrame(frame)) << writer.ErrorText();
    }
    ASSERT_TRUE(writer.Finish()) << writer.ErrorText();
    VideoFrameReader written;
    ASSERT_TRUE(written.Open(movie));
    ASSERT_EQ(written.Width(), testing::kClipWidth);
    ASSERT_EQ(written.FrameCount(), kFrames);
    for (int i = 0; i < kFrames; ++i) {
      const GlobalBlock got = written.ReadFrame(i);
      const GlobalBlock original = decoded.ReadFrame(i);
      EXPECT_EQ(testing::ReadPictureNumber(got.get()), i);
      // The middle of the blue and the green block keep their colours.
      for (const auto& [x, y] : {std::pair{40, 36}, std::pair{56, 36}}) {
        std::uint8_t want[3];
        std::uint8_t have[3];
        testing::PixelAt(original.get(), 2 * x, 2 * y, want);
        testing::PixelAt(got.get(), x, y, have);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(have[c], want[c], 10) << "frame " << i << " channel " << c;
      }
    }
  }

  AviWriter uncompressed;
  ASSERT_TRUE(uncompressed.Open(movie, SmallFormat("DIB "), std::nullopt));
  EXPECT_FALSE(uncompressed.TakesDecodedFrames());
  EXPECT_FALSE(uncompressed.WriteDecodedFrame(VideoFrameReader().ReadDecodedFrame(0)));
}

// Writes a movie of pictures, copied samples, repeats and sound, handing
// every picture in one block that is drawn over again as soon as the
// writer returns. The file's bytes, or the writer's error.
std::string WriteMixedMovie(const std::string& path, const char* code, int bitCount, bool parallel,
                            const std::string& source, const std::string& decodedSource) {
  SetParallelFrameWork(parallel);
  AviFileIndex index;
  VideoFrameReader decodedFrames;
  if (!index.Open(source) || !decodedFrames.Open(decodedSource)) return "no source";
  AviVideoFormat format = SmallFormat(code);
  format.bitCount = bitCount;
  format.keyFrameEvery = 5;
  AviWriter writer;
  std::vector<std::uint8_t> sample;
  std::vector<std::int16_t> sound(441 * 2, 0);
  bool ok = writer.Open(path, format, AviAudioFormat{16, 11025, 2});
  GlobalBlock picture =
      bitCount == 8 ? MakePalettePicture(format.width, format.height, 0) : testing::MakeNumberedPicture(0);
  for (int i = 0; ok && i < 90; ++i) {
    if (i % 13 == 6 && bitCount == 24) {
      ok = index.ReadSample(0, i % 10, &sample) && writer.WriteRawSample(sample.data(), sample.size(), true);
    } else if (i % 17 == 8) {
      ok = writer.WriteRepeatFrame();
    } else if (i % 7 == 2 && writer.TakesDecodedFrames()) {
      ok = writer.WriteDecodedFrame(decodedFrames.ReadDecodedFrame(i % 10), i % 3 == 0);
    } else {
      ok = writer.WriteFrame(picture.get(), i % 9 == 0);
    }
    // The caller's block is drawn over with the next picture at once.
    const GlobalBlock next = bitCount == 8 ? MakePalettePicture(format.width, format.height, i * 3)
                                           : testing::MakeNumberedPicture((i * 5) % 64);
    GlobalLockGuard<std::uint8_t> to(picture.get());
    GlobalLockGuard<std::uint8_t> from(next.get());
    std::memcpy(to.get(), from.get(), GlobalSize(next.get()));
    sound.assign(sound.size(), static_cast<std::int16_t>(i * 100));
    if (ok && i % 4 == 3) ok = writer.WriteAudio(sound.data(), sound.size() * sizeof(std::int16_t));
  }
  ok = ok && writer.Finish();
  SetParallelFrameWork(true);
  if (!ok) return "failed: " + writer.ErrorText();
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AviWriter, PicturesConvertedAndCompressedOnThreadsMakeTheOneThreadFile) {
  TempDir dir;
  const std::string source = (dir / "source.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("MJPG"), 10, 1), "");
  const std::string larger = (dir / "larger.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(larger, MakeFourCC("FMP4"), 10, 1, 0, 1, 96, 72), "");
  struct Case {
    const char* code;
    int bitCount;
  };
  for (const Case& c : {Case{"MJPG", 24}, Case{"FMP4", 24}, Case{"ZMBV", 8}}) {
    SCOPED_TRACE(c.code);
    const std::string parallel =
        WriteMixedMovie((dir / "parallel.avi").string(), c.code, c.bitCount, true, source, larger);
    const std::string one = WriteMixedMovie((dir / "one.avi").string(), c.code, c.bitCount, false, source, larger);
    ASSERT_GT(parallel.size(), 10000u) << parallel.substr(0, 200);
    EXPECT_TRUE(parallel == one) << "the files differ";
  }
}

}  // namespace
}  // namespace sprocket
