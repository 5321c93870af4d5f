#include "render/audio/wav_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "audio_test_media.h"
#include "outside_tools.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::Chunk;
using testing::FormatBody;
using testing::Le32;
using testing::RiffWave;
using testing::TempDir;

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

std::uint16_t U16(const std::string& bytes, std::size_t at) {
  std::uint16_t v = 0;
  std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

TEST(WaveOutputFileTest, CreatedFileHoldsPlaceholdersUntilFinished) {
  TempDir dir;
  const auto path = dir / "out.wav";
  WaveOutputFile wav;
  ASSERT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
  ASSERT_TRUE(wav.Write("\x01\x02\x03\x04", 4));
  // Until it is finished the file lives beside the path under a name of its own.
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::path(wav.WorkPath()).parent_path(), path.parent_path());
  std::string bytes = FileBytes(wav.WorkPath());
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(bytes, 4), 0u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(U32(bytes, 16), 16u);
  EXPECT_EQ(U16(bytes, 20), 1);
  EXPECT_EQ(U16(bytes, 22), 1);  // mono
  EXPECT_EQ(U32(bytes, 24), 11025u);
  EXPECT_EQ(U32(bytes, 28), 11025u);
  EXPECT_EQ(U16(bytes, 32), 1);
  EXPECT_EQ(U16(bytes, 34), 1);  // 1 bit
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(U32(bytes, 40), 0u);

  ASSERT_EQ(wav.WriteWaveHeader(1, wav.DataBytes(), 44100, 2, 16, ""), 1);
  EXPECT_FALSE(wav.IsOpen());
  bytes = FileBytes(path);
  EXPECT_EQ(U32(bytes, 4), 4u + 36u);
  EXPECT_EQ(U16(bytes, 22), 2);
  EXPECT_EQ(U32(bytes, 24), 44100u);
  EXPECT_EQ(U32(bytes, 28), 176400u);
  EXPECT_EQ(U16(bytes, 32), 4);
  EXPECT_EQ(U16(bytes, 34), 16);
  EXPECT_EQ(U32(bytes, 40), 4u);
  EXPECT_EQ(bytes.substr(44), "\x01\x02\x03\x04");

  // 8-bit mono at 11025 Hz.
  const auto header = MakeWaveHeader(10, 11025, 1, 8);
  EXPECT_EQ(std::string(header.begin() + 28, header.begin() + 32), Le32(11025));
  EXPECT_EQ(header[32], 1);
}

TEST(WaveOutputFileTest, FailuresAreReported) {
  TempDir dir;
  WaveOutputFile wav;
  EXPECT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, (dir / "no folder" / "x.wav").string()), 0);
  EXPECT_FALSE(wav.IsOpen());
  EXPECT_FALSE(wav.ErrorText().empty());
  EXPECT_EQ(wav.WriteWaveHeader(1, 0, 44100, 2, 16, ""), 0);  // nothing open
  EXPECT_FALSE(wav.Write("x", 1));

  const auto path = dir / "big.wav";
  ASSERT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
  EXPECT_EQ(wav.WriteWaveHeader(1, kMaxWaveDataBytes + 1, 44100, 2, 16, ""), 0);

  ASSERT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
  wav.Discard();
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A WAV file that fails, is discarded or is never finished leaves the file
// already at its path as it was, and nothing beside it.
TEST(WaveOutputFileTest, UnfinishedFilesNeverReplaceTheTarget) {
  TempDir dir;
  const auto path = dir / "take.wav";
  const std::string before = "an earlier take";
  testing::WriteFile(path, before);
  enum class End { kDiscard, kTooLong, kDestroyed };
  for (End end : {End::kDiscard, End::kTooLong, End::kDestroyed}) {
    {
      WaveOutputFile wav;
      ASSERT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
      ASSERT_TRUE(wav.Write("abcd", 4));
      if (end == End::kDiscard) wav.Discard();
      if (end == End::kTooLong) {
        EXPECT_EQ(wav.WriteWaveHeader(1, kMaxWaveDataBytes + 1, 44100, 2, 16, ""), 0);
      }
    }
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
  WaveOutputFile wav;
  ASSERT_EQ(wav.WriteWaveHeader(0, 0, 0, 0, 0, path.string()), 1);
  ASSERT_EQ(wav.WriteWaveHeader(1, 0, 8000, 1, 8, ""), 1);
  EXPECT_EQ(FileBytes(path).size(), 44u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WaveOutputFileTest, OutsideToolsReadTheFinishedFile) {
  if (!testing::ToolAvailable("ffprobe") || !testing::ToolAvailable("sox")) GTEST_SKIP() << "ffprobe or sox missing";
  TempDir dir;
  struct Case {
    int channels, rate, bits;
    const char* codec;
  } cases[] = {{2, 44100, 16, "pcm_s16le"}, {1, 11025, 8, "pcm_u8"}, {2, 22050, 8, "pcm_u8"}};
  for (const Case& c : cases) {
    const auto path = dir / ("t" + std::to_string(c.rate) + "_" + std::to_string(c.bits) + ".wav");
    testing::WriteTestWave(path, c.channels, c.rate, c.bits, c.rate / 2,
                           [](std::int64_t i, int) { return static_cast<int>(i % 50); });
    const auto probe = testing::RunCommand(
        "ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,"
        "bits_per_sample,duration_ts -of default=nw=1 '" +
        path.string() + "'");
    ASSERT_TRUE(probe.has_value());
    EXPECT_NE(probe->find(std::string("codec_name=") + c.codec), std::string::npos) << *probe;
    EXPECT_NE(probe->find("sample_rate=" + std::to_string(c.rate)), std::string::npos) << *probe;
    EXPECT_NE(probe->find("channels=" + std::to_string(c.channels)), std::string::npos) << *probe;
    EXPECT_NE(probe->find("duration_ts=" + std::to_string(c.rate / 2)), std::string::npos) << *probe;
    const std::pair<const char*, int> soxFields[] = {
        {"-r", c.rate}, {"-c", c.channels}, {"-b", c.bits}, {"-s", c.rate / 2}};
    for (const auto& [option, value] : soxFields) {
      const auto sox = testing::RunCommand(std::string("sox --i ") + option + " '" + path.string() + "'");
      ASSERT_TRUE(sox.has_value()) << option;
      EXPECT_EQ(*sox, std::to_string(value) + "\n") << option;
    }
  }
}

TEST(WaveReadTest, FindsFormatAndSamplesWhereverTheChunksLie) {
  TempDir dir;
  const auto path = dir / "list.wav";
  // A LIST chunk before "data", an odd-sized chunk and a chunk after the data.
  const std::string body = Chunk("fmt ", FormatBody(1, 2, 22050, 16, 4)) + Chunk("LIST", "INFOISFT\x03\0\0\0abc") +
                           Chunk("data", std::string(8, '\x05')) + Chunk("junk", "x");
  testing::WriteFile(path, RiffWave(body));
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(path.string(), &info), WaveReadStatus::kOk);
  EXPECT_EQ(info.format.channels, 2);
  EXPECT_EQ(info.format.samplesPerSec, 22050u);
  EXPECT_EQ(info.format.bitsPerSample, 16);
  EXPECT_EQ(info.dataSize, 8u);
  EXPECT_EQ(FileBytes(path).substr(info.dataOffset, 8), std::string(8, '\x05'));
  EXPECT_TRUE(IsPlainPcm(info.format));
}

TEST(WaveReadTest, RefusesBadFilesWithTheirMessages) {
  TempDir dir;
  const std::string fmt = Chunk("fmt ", FormatBody(1, 1, 11025, 8, 1));
  const std::string data = Chunk("data", "abcd");
  const struct {
    const char* name;
    std::string bytes;
    WaveReadStatus status;
  } cases[] = {
      {"empty", "", WaveReadStatus::kNoWaveForm},
      {"not riff", "RIFX" + Le32(4) + "WAVE", WaveReadStatus::kNoWaveForm},
      {"avi form", "RIFF" + Le32(4) + "AVI ", WaveReadStatus::kNoWaveForm},
      {"riff longer than file", "RIFF" + Le32(400) + "WAVE" + fmt + data, WaveReadStatus::kNoWaveForm},
      {"no fmt", RiffWave(data), WaveReadStatus::kNoFormat},
      {"short fmt", RiffWave(Chunk("fmt ", std::string(10, '\1')) + data), WaveReadStatus::kShortFormat},
      {"no channels", RiffWave(Chunk("fmt ", FormatBody(1, 0, 11025, 8, 1)) + data), WaveReadStatus::kShortFormat},
      {"rate past 31 bits", RiffWave(Chunk("fmt ", FormatBody(1, 2, -16, 16, 4)) + data), WaveReadStatus::kShortFormat},
      {"rate above the highest", RiffWave(Chunk("fmt ", FormatBody(1, 1, 768001, 8, 1)) + data),
       WaveReadStatus::kShortFormat},
      {"no data", RiffWave(fmt), WaveReadStatus::kNoData},
      {"data longer than file", RiffWave(fmt + "data" + Le32(1000) + "abcd"), WaveReadStatus::kNoWaveForm},
      {"truncated chunk header", RiffWave(fmt + "da"), WaveReadStatus::kNoData},
  };
  for (const auto& c : cases) {
    const auto path = dir / (std::string(c.name) + ".wav");
    testing::WriteFile(path, c.bytes);
    WaveFileInfo info;
    EXPECT_EQ(ReadWaveFileInfo(path.string(), &info), c.status) << c.name;
  }
  WaveFileInfo info;
  EXPECT_EQ(ReadWaveFileInfo((dir / "missing.wav").string(), &info), WaveReadStatus::kOpenFailed);
  EXPECT_EQ(ReadWaveFileInfo(dir.path().string(), &info), WaveReadStatus::kOpenFailed);  // a folder
  EXPECT_STREQ(WaveReadMessage(WaveReadStatus::kOpenFailed), "Fail to open wave file!");
  EXPECT_STREQ(WaveReadMessage(WaveReadStatus::kNoWaveForm), "Fail to find wave chunk!");
  EXPECT_STREQ(WaveReadMessage(WaveReadStatus::kNoFormat), "Fail to find wave header chunk!");
  EXPECT_STREQ(WaveReadMessage(WaveReadStatus::kShortFormat), "Fail to read wave header!");
  EXPECT_STREQ(WaveReadMessage(WaveReadStatus::kNoData), "Fail to find wave data chunk!");
}

TEST(WaveReadTest, PlainPcmIsEightOrSixteenBitsOfOneOrTwoChannels) {
  WaveFormatInfo format;
  format.formatTag = 1;
  format.channels = 2;
  format.bitsPerSample = 16;
  format.blockAlign = 4;
  EXPECT_TRUE(IsPlainPcm(format));
  format.formatTag = 3;  // floating point
  EXPECT_FALSE(IsPlainPcm(format));
  format.formatTag = 0xFFFE;
  format.subFormatTag = 1;
  EXPECT_TRUE(IsPlainPcm(format));
  format.formatTag = 1;
  format.bitsPerSample = 24;
  format.blockAlign = 6;
  EXPECT_FALSE(IsPlainPcm(format));
  format.bitsPerSample = 16;
  format.channels = 6;
  format.blockAlign = 12;
  EXPECT_FALSE(IsPlainPcm(format));
}

}  // namespace
}  // namespace sprocket
