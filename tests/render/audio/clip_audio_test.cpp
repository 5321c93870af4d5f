#include "render/audio/clip_audio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "audio_test_media.h"
#include "libs/audiopreview/audio_preview_lib.h"
#include "scripted_prompts.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::Chunk;
using testing::FormatBody;
using testing::Le16;
using testing::RiffWave;
using testing::ScriptedPrompts;
using testing::TempDir;

class ClipAudioTest : public ::testing::Test {
protected:
  // Opens the file on track 1 and describes it as a clip source.
  AudioClipSource Open(ClipAudioReaders& readers, const std::filesystem::path& path, int speed = 100) {
    AudioClipSource source;
    source.path = path.string();
    const auto format = readers.OpenTrackAudio(1, source.path);
    EXPECT_TRUE(format.has_value()) << path;
    if (format) source.format = *format;
    source.speed = speed;
    return source;
  }

  TempDir dir_;
  ScriptedPrompts prompts_;
};

TEST_F(ClipAudioTest, SamplesPastTheDataAreSilence) {
  const auto path = dir_ / "short.wav";
  testing::WriteTestWave(path, 1, 22050, 16, 100, [](std::int64_t i, int) { return static_cast<int>(i + 1); });
  MixBufferSet buffers;
  buffers.AllocMixBuffers(16, 100);
  ClipAudioReaders readers(44100);
  const AudioClipSource source = Open(readers, path);
  ASSERT_EQ(ReadClipAudio(buffers, readers, 1, 90, 20, source, 20, {}), 20 + kClipReadAheadFrames);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(buffers.Work16()[i], i < 10 ? 91 + i : 0) << i;

  // A read that starts before the sound gives silence there.
  ASSERT_GT(ReadClipAudio(buffers, readers, 1, -3, 5, source, 5, {}), 0);
  EXPECT_EQ(buffers.Work16()[2], 0);
  EXPECT_EQ(buffers.Work16()[3], 1);

  // 8-bit output: the high byte + 128; past the data 128.
  MixBufferSet eight;
  eight.AllocMixBuffers(8, 100);
  ASSERT_GT(ReadClipAudio(eight, readers, 1, 98, 4, source, 4, {}), 0);
  EXPECT_EQ(eight.Work8()[0], 128);
  EXPECT_EQ(eight.Work8()[2], 128);
}

TEST_F(ClipAudioTest, EightBitSourcesAreWidenedAndUnknownFilesReadNothing) {
  const auto path = dir_ / "eight.wav";
  testing::WriteTestWave(path, 1, 11025, 8, 50, [](std::int64_t i, int) { return static_cast<int>(i) - 25; });
  MixBufferSet buffers;
  buffers.AllocMixBuffers(16, 100);
  ClipAudioReaders readers(44100);
  const AudioClipSource source = Open(readers, path);
  ASSERT_GT(ReadClipAudio(buffers, readers, 1, 0, 10, source, 10, {}), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(buffers.Work16()[i], (i - 25) * 256) << i;

  const auto other = dir_ / "notes.txt";
  testing::WriteFile(other, "hello");
  EXPECT_FALSE(readers.OpenTrackAudio(2, other.string()).has_value());
  std::fill(buffers.Work16().begin(), buffers.Work16().end(), 77);
  AudioClipSource unknown = source;
  unknown.path = other.string();
  EXPECT_EQ(ReadClipAudio(buffers, readers, 2, 0, 10, unknown, 10, {}), 0);
  EXPECT_EQ(buffers.Work16()[0], 77);
}

TEST_F(ClipAudioTest, ChannelModeBalanceAndVolumeActOnTheSamplesAsRead) {
  const auto path = dir_ / "stereo.wav";
  testing::WriteTestWave(path, 2, 44100, 16, 40, [](std::int64_t, int c) { return c == 0 ? 1000 : 2000; });
  MixBufferSet buffers;
  buffers.AllocMixBuffers(16, 100);
  ClipAudioReaders readers(44100);
  const AudioClipSource source = Open(readers, path);
  ClipReadGains gains;
  gains.channelMode = kChannelSwap;  // left 2000, right 1000
  gains.leftGain = 20000;            // left 4000, right 0
  gains.rightGain = 0;
  gains.volume = 5000;  // left 2000
  ASSERT_GT(ReadClipAudio(buffers, readers, 1, 0, 10, source, 10, gains), 0);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(buffers.Work16()[2 * i], 2000) << i;
    EXPECT_EQ(buffers.Work16()[2 * i + 1], 0) << i;
  }
}

TEST_F(ClipAudioTest, OtherSpeedsStretchTheFramesRead) {
  const auto path = dir_ / "ramp.wav";
  testing::WriteTestWave(path, 1, 22050, 16, 200, [](std::int64_t i, int) { return static_cast<int>(10 * i); });
  MixBufferSet buffers;
  buffers.AllocMixBuffers(16, 100);
  ClipAudioReaders readers(44100);
  // Double speed: 40 frames read become 20, every other one kept.
  const AudioClipSource fast = Open(readers, path, 200);
  ASSERT_EQ(ReadClipAudio(buffers, readers, 1, 10, 40, fast, 20, {}), 21);
  for (int j = 0; j < 20; ++j) EXPECT_EQ(buffers.Work16()[j], 10 * (10 + 2 * j)) << j;
  // Half speed: 10 frames read become 20, each followed by one in between.
  const AudioClipSource slow = Open(readers, path, 50);
  ASSERT_EQ(ReadClipAudio(buffers, readers, 1, 10, 10, slow, 20, {}), 21);
  for (int j = 0; j < 10; ++j) {
    EXPECT_EQ(buffers.Work16()[2 * j], 10 * (10 + j)) << j;
    EXPECT_GT(buffers.Work16()[2 * j + 1], buffers.Work16()[2 * j]) << j;
  }
}

TEST_F(ClipAudioTest, BadWaveFilesAreReportedOncePerFile) {
  const auto path = dir_ / "broken.wav";
  testing::WriteFile(path, std::string("RIFF\4\0\0\0AVI ", 12));
  const auto odd = dir_ / "odd.wav";
  testing::WriteFile(odd, RiffWave(Chunk("fmt ", FormatBody(0x9999, 1, 22050, 16, 2)) + Chunk("data", "abcd")));
  prompts_.Expect("Fail to find wave chunk!").Expect("Unsupported wave format!");
  ClipAudioReaders readers(22050);
  for (int track = 1; track <= 3; ++track) {
    EXPECT_FALSE(readers.OpenTrackAudio(track, path.string()).has_value());
    EXPECT_FALSE(readers.OpenTrackAudio(track + 10, odd.string()).has_value());
  }
  EXPECT_TRUE(prompts_.AllShown());
  EXPECT_EQ(prompts_.shown().size(), 2u);
}

TEST_F(ClipAudioTest, SoundOfOtherEncodingsIsDecoded) {
  // 24-bit samples become their upper 16 bits; floating point is scaled.
  const auto deep = dir_ / "deep.wav";
  std::string samples;
  for (int i = 0; i < 64; ++i) samples += std::string("\x56\x34\x12", 3);
  testing::WriteFile(deep, RiffWave(Chunk("fmt ", FormatBody(1, 1, 22050, 24, 3)) + Chunk("data", samples)));
  const auto real = dir_ / "float.wav";
  std::string floats;
  for (int i = 0; i < 64; ++i) {
    const float half = 0.5f;
    char bytes[4];
    std::memcpy(bytes, &half, 4);
    floats.append(bytes, 4);
  }
  testing::WriteFile(real, RiffWave(Chunk("fmt ", FormatBody(3, 1, 22050, 32, 4)) + Chunk("data", floats)));

  MixBufferSet buffers;
  buffers.AllocMixBuffers(16, 100);
  ClipAudioReaders readers(44100);
  for (const auto& [path, expected] : {std::pair{deep, 0x1234}, std::pair{real, 16384}}) {
    const AudioClipSource source = Open(readers, path);
    EXPECT_EQ(source.format.bitsPerSample, 16);
    EXPECT_EQ(source.format.samplesPerSec, 22050u);
    ASSERT_GT(ReadClipAudio(buffers, readers, 1, 0, 20, source, 20, {}), 0);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(buffers.Work16()[i], expected) << path << " " << i;
  }
}

TEST_F(ClipAudioTest, RatesOutOfReachAreResampledToTheOutputRate) {
  // One second at 48000 Hz: silence, then a step at half a second.
  const auto path = dir_ / "48k.wav";
  testing::WriteTestWave(path, 2, 48000, 16, 48000, [](std::int64_t i, int) { return i < 24000 ? 0 : 8000; });
  ClipAudioReaders readers(44100);
  const auto format = readers.OpenTrackAudio(1, path.string());
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->samplesPerSec, 44100u);
  EXPECT_EQ(format->channels, 2);
  std::vector<std::uint8_t> bytes(44100 * 4);
  ASSERT_TRUE(readers.ReadTrackAudio(1, 0, 44100, bytes));
  std::vector<std::int16_t> frames(44100 * 2);
  std::memcpy(frames.data(), bytes.data(), bytes.size());
  // The step is where half a second falls at 44100 Hz, within the filter's width.
  EXPECT_EQ(frames[2 * 22000], 0);
  EXPECT_NEAR(frames[2 * 22100], 8000, 40);
  EXPECT_NEAR(frames[2 * 44000 + 1], 8000, 40);
  // A read that starts in the middle gives the same samples as the whole read.
  ClipAudioReaders fresh(44100);
  ASSERT_TRUE(fresh.OpenTrackAudio(1, path.string()).has_value());
  std::vector<std::uint8_t> part(100 * 4);
  ASSERT_TRUE(fresh.ReadTrackAudio(1, 30000, 100, part));
  EXPECT_EQ(std::memcmp(part.data(), bytes.data() + 30000 * 4, part.size()), 0);
}

TEST_F(ClipAudioTest, AviClipsAreReadFromTheirSoundStream) {
  const auto path = dir_ / "clip.avi";
  auto sample = [](std::int64_t i, int c) { return static_cast<int>((i * 7 + c * 1000) % 30000); };
  ASSERT_EQ(testing::WriteTestAvi(path, 10, 25, 2, 22050, 16, sample), "");
  ClipAudioReaders readers(44100);
  const auto format = readers.OpenTrackAudio(4, path.string());
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->samplesPerSec, 22050u);
  EXPECT_EQ(format->channels, 2);
  std::vector<std::uint8_t> bytes(300 * 4);
  ASSERT_TRUE(readers.ReadTrackAudio(4, 2000, 300, bytes));
  for (int i = 0; i < 300; ++i) {
    std::int16_t left = 0;
    std::int16_t right = 0;
    std::memcpy(&left, bytes.data() + 4 * i, 2);
    std::memcpy(&right, bytes.data() + 4 * i + 2, 2);
    EXPECT_EQ(left, sample(2000 + i, 0)) << i;
    EXPECT_EQ(right, sample(2000 + i, 1)) << i;
  }
}

}  // namespace
}  // namespace sprocket
