#include <gtest/gtest.h>

#include <vector>

#include "media_test_clips.h"
#include "platform/media/audio_sample_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

TEST(AudioSampleReader, ReadsTheExactSamplesAnywhere) {
  TempDir dir;
  std::string path = (dir / "stereo.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("MJPG"), 20, 1, 16, 2), "");
  AudioSampleReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
  EXPECT_EQ(reader.DeliveredFormat().wBitsPerSample, 16);
  EXPECT_EQ(reader.DeliveredFormat().nChannels, 2);
  EXPECT_EQ(reader.SampleCount(), 20 * 441);

  std::vector<std::int16_t> buffer(2 * 1000);
  for (std::int64_t start : {4000, 0, 7777, 441, 3}) {
    SCOPED_TRACE(start);
    ASSERT_EQ(reader.Read(start, 1000, buffer.data(), buffer.size() * 2), 1000);
    for (int i = 0; i < 1000; i += 37) {
      EXPECT_EQ(buffer[2 * i], testing::RampSample(start + i, 0));
      EXPECT_EQ(buffer[2 * i + 1], testing::RampSample(start + i, 1));
    }
  }
}

TEST(AudioSampleReader, SequentialReadsContinueWithoutSeeking) {
  TempDir dir;
  std::string path = (dir / "mono8.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("MJPG"), 10, 1, 8, 1), "");
  AudioSampleReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.ErrorText();
  EXPECT_EQ(reader.DeliveredFormat().wBitsPerSample, 8);
  EXPECT_EQ(reader.DeliveredFormat().nChannels, 1);
  std::vector<std::uint8_t> buffer(300);
  std::int64_t at = 0;
  for (int step = 0; step < 10; ++step) {
    ASSERT_EQ(reader.Read(at, 300, buffer.data(), buffer.size()), 300);
    EXPECT_EQ(buffer[0], static_cast<std::uint8_t>((testing::RampSample(at, 0) >> 8) + 128));
    EXPECT_EQ(buffer[299], static_cast<std::uint8_t>((testing::RampSample(at + 299, 0) >> 8) + 128));
    at += 300;
  }
  EXPECT_EQ(reader.SeekCount(), 1);

  // The end of the stream gives what is left, then nothing; bytes past the
  // samples read stay as they were.
  buffer.assign(300, 0xAB);
  EXPECT_EQ(reader.Read(4410 - 100, 300, buffer.data(), buffer.size()), 100);
  EXPECT_EQ(buffer[100], 0xAB);
  EXPECT_EQ(reader.Read(4410, 300, buffer.data(), buffer.size()), 0);
  // The buffer's size limits the read.
  EXPECT_EQ(reader.Read(0, 300, buffer.data(), 50), 50);
  EXPECT_EQ(reader.Read(-5, 10, buffer.data(), buffer.size()), -1);
}

TEST(AudioSampleReader, FilesWithoutSoundAreRefused) {
  TempDir dir;
  std::string path = (dir / "silent.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("MJPG"), 3, 1), "");
  AudioSampleReader reader;
  EXPECT_FALSE(reader.Open(path));
  EXPECT_NE(reader.ErrorText().find("no sound"), std::string::npos);
  std::uint8_t buffer[8];
  EXPECT_EQ(reader.Read(0, 2, buffer, sizeof buffer), -1);
  testing::WriteBytes(path, "RIFF");
  EXPECT_FALSE(reader.Open(path));
}

}  // namespace
}  // namespace sprocket
