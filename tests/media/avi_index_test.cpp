#include <gtest/gtest.h>

#include <cstring>

#include "media_test_clips.h"
#include "platform/media/avi_index.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

TEST(AviIndex, ReadsRelativeAbsoluteAndMissingIndexesAlike) {
  TempDir dir;
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(variant);
    testing::RawAviOptions options;
    options.frames = 6;
    options.absoluteIndex = variant == 1;
    options.withIndex = variant != 2;
    options.emptyFrame = 4;
    std::string path = (dir / "raw.avi").string();
    testing::WriteBytes(path, testing::BuildRawAvi(options));

    AviFileIndex index;
    ASSERT_TRUE(index.Open(path)) << index.ErrorText();
    ASSERT_EQ(index.StreamCount(), 1);
    ASSERT_EQ(index.SampleCount(0), 6);
    std::vector<std::uint8_t> sample;
    for (int f = 0; f < 6; ++f) {
      ASSERT_TRUE(index.ReadSample(0, f, &sample));
      if (f == 4) {
        EXPECT_TRUE(sample.empty());
      } else {
        ASSERT_EQ(sample.size(), 192u);
        EXPECT_EQ(sample[0], static_cast<std::uint8_t>(f * 40));
        EXPECT_EQ(sample[191], static_cast<std::uint8_t>(f * 40));
      }
    }
    EXPECT_FALSE(index.ReadSample(0, 6, &sample));
    EXPECT_FALSE(index.ReadSample(0, -1, &sample));

    AviMediaHeader header = index.ClipHeader();
    EXPECT_EQ(header.file.dwLength, 6u);
    EXPECT_EQ(header.file.dwFieldOrder, 0u);
    EXPECT_EQ(header.video.fccType, kStreamTypeVideo);
    EXPECT_EQ(header.video.dwScale, 1u);
    EXPECT_EQ(header.video.dwRate, 10u);
    EXPECT_EQ(header.video.dwLength, 6u);
    EXPECT_EQ(header.format.biWidth, 8);
    EXPECT_EQ(header.format.biBitCount, 24);
    EXPECT_FALSE(header.HasAudio());
    EXPECT_EQ(header.audio.dwLength, 0u);
  }
}

TEST(AviIndex, KeyFramesOfAGroupOfPictures) {
  TempDir dir;
  std::string path = (dir / "gop.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("XVID"), 30, 12), "");
  AviFileIndex index;
  ASSERT_TRUE(index.Open(path)) << index.ErrorText();
  int video = index.FindStream(kStreamTypeVideo);
  ASSERT_EQ(video, 0);
  ASSERT_EQ(index.SampleCount(video), 30);
  for (int f = 0; f < 30; ++f) EXPECT_EQ(index.Stream(video).samples[f].key, f % 12 == 0) << f;
  EXPECT_EQ(index.FindKeySample(video, 11), 0);
  EXPECT_EQ(index.FindKeySample(video, 12), 12);
  EXPECT_EQ(index.FindKeySample(video, 29), 24);
  EXPECT_EQ(index.FindKeySample(video, 99), 24);
  EXPECT_EQ(index.FindKeySample(video, -1), -1);
  EXPECT_EQ(index.ClipHeader().video.fccHandler, MakeFourCC("XVID"));
}

TEST(AviIndex, HeaderCopyDescribesTheSound) {
  TempDir dir;
  std::string path = (dir / "sound.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("MJPG"), 10, 1, 16, 2), "");
  AviFileIndex index;
  ASSERT_TRUE(index.Open(path)) << index.ErrorText();
  AviMediaHeader header = index.ClipHeader();
  EXPECT_TRUE(header.HasAudio());
  EXPECT_EQ(header.file.dwStreams, 2u);
  EXPECT_EQ(header.file.dwWidth, 64u);
  EXPECT_EQ(header.wave.wFormatTag, 1);
  EXPECT_EQ(header.wave.nChannels, 2);
  EXPECT_EQ(header.wave.nSamplesPerSec, 11025u);
  EXPECT_EQ(header.wave.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(header.wave.nBlockAlign, 4);
  EXPECT_EQ(header.wave.wBitsPerSample, 16);
  EXPECT_EQ(header.audio.fccType, kStreamTypeAudio);
  EXPECT_EQ(header.audio.dwLength, 4410u);
  EXPECT_EQ(header.video.dwRate / header.video.dwScale, 25u);

  // The header copy keeps its byte layout.
  unsigned char bytes[sizeof header];
  std::memcpy(bytes, &header, sizeof header);
  std::uint32_t length = 0;
  std::memcpy(&length, bytes + 36, 4);
  EXPECT_EQ(length, 10u);
  std::uint16_t channels = 0;
  std::memcpy(&channels, bytes + 430, 2);
  EXPECT_EQ(channels, 2);
}

TEST(AviIndex, DeliveredFormatsOfTheSound) {
  PCMWAVEFORMAT plain = DeliveredPcmFormat(1, 2, 22050, 8);
  EXPECT_EQ(plain.wBitsPerSample, 8);
  EXPECT_EQ(plain.nChannels, 2);
  EXPECT_EQ(plain.nBlockAlign, 2);
  PCMWAVEFORMAT compressed = DeliveredPcmFormat(0x55, 6, 48000, 0);
  EXPECT_EQ(compressed.wFormatTag, 1);
  EXPECT_EQ(compressed.wBitsPerSample, 16);
  EXPECT_EQ(compressed.nChannels, 2);
  EXPECT_EQ(compressed.nAvgBytesPerSec, 192000u);
  EXPECT_EQ(DeliveredPcmFormat(1, 0, 44100, 16).wBitsPerSample, 0);
  EXPECT_EQ(StreamNumberOfChunk(MakeFourCC("01wb")), 1);
  EXPECT_EQ(StreamNumberOfChunk(MakeFourCC("ix00")), -1);
}

TEST(AviIndex, BadFilesGiveClearErrors) {
  TempDir dir;
  std::string path = (dir / "bad.avi").string();
  std::string good = testing::BuildRawAvi({});
  auto expectRefused = [&](const std::string& bytes, const char* what) {
    SCOPED_TRACE(what);
    testing::WriteBytes(path, bytes);
    AviFileIndex index;
    EXPECT_FALSE(index.Open(path));
    EXPECT_FALSE(index.ErrorText().empty());
  };
  expectRefused("", "empty file");
  expectRefused("not a movie at all, just some text", "text");
  expectRefused(good.substr(0, good.size() / 2), "truncated");
  expectRefused(good.substr(0, 30), "truncated in the header");

  std::string noStreams = good;
  // Rename the stream list so that the header list holds no stream.
  std::size_t strl = noStreams.find("strl");
  noStreams.replace(strl, 4, "xxxx");
  expectRefused(noStreams, "zero streams");

  std::string huge = good;
  std::size_t strf = huge.find("strf");
  huge.replace(strf + 12, 4, std::string("\xA0\x86\x01\x00", 4));  // width 100000
  expectRefused(huge, "absurd width");

  std::string badIndex = good;
  std::size_t idx1 = badIndex.find("idx1");
  badIndex.replace(idx1 + 16, 4, std::string("\xF0\xFF\x00\x00", 4));  // first offset nowhere
  expectRefused(badIndex, "index pointing nowhere");

  AviFileIndex index;
  EXPECT_FALSE(index.Open((dir / "missing.avi").string()));
  EXPECT_FALSE(index.ErrorText().empty());
}

}  // namespace
}  // namespace sprocket
