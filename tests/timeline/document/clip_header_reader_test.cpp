#include <gtest/gtest.h>

#include <cstring>

#include "clip_media_files.h"
#include "platform/settings_store.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/clip_header_reader.h"

namespace sprocket {
namespace {

using testing::FlicHeaderBytes;
using testing::RiffChunkBytes;
using testing::TempDir;
using testing::WaveFileBytes;
using testing::WaveFormatBytes;

// Reads a file of `mediaType`; the header starts as a marker so that a
// failed read can be seen to leave it alone.
struct ReadResult {
  bool ok = false;
  std::optional<ClipMediaHeader> header;
  std::string error;
};

ReadResult Read(const std::filesystem::path& path, std::int32_t mediaType, std::int32_t fieldMode = 0) {
  ReadResult result;
  result.header = ClipMediaHeader(FlicClipHeader{-7, 0, 0, 0});
  result.ok = ReadMediaHeader(path.string(), mediaType, &result.header, &result.error, fieldMode);
  return result;
}

bool IsMarker(const std::optional<ClipMediaHeader>& header) {
  return header && header->Flic() != nullptr && header->Flic()->frameCount == -7;
}

TEST(WavClipHeader, CanonicalHeaderBuiltFromTheChunksWhereverTheyLie) {
  TempDir dir;
  // A LIST chunk first, an 18-byte format, a fact chunk and odd-sized data.
  std::string file =
      WaveFileBytes({RiffChunkBytes("LIST", std::string("INFOISFT") + std::string(6, 'x')),
                     RiffChunkBytes("fmt ", WaveFormatBytes(2, 22050, 16, 2)),
                     RiffChunkBytes("fact", std::string(4, '\0')), RiffChunkBytes("data", std::string(1001, '\x10'))});
  ReadResult result = Read(dir.Write("voice.wav", file), kMediaWav);
  ASSERT_TRUE(result.ok) << result.error;
  ASSERT_TRUE(result.header && result.header->Wav() != nullptr);
  const WavClipHeader& wav = *result.header->Wav();
  EXPECT_EQ(std::memcmp(wav.riff, "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wav.wave, "WAVE", 4), 0);
  EXPECT_EQ(std::memcmp(wav.fmt, "fmt ", 4), 0);
  EXPECT_EQ(std::memcmp(wav.data, "data", 4), 0);
  EXPECT_EQ(wav.fmtSize, 16u);
  EXPECT_EQ(wav.riffSize, 36u + 1001u);
  EXPECT_EQ(wav.formatTag, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.samplesPerSec, 22050u);
  EXPECT_EQ(wav.avgBytesPerSec, 88200u);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.bitsPerSample, 16);
  EXPECT_EQ(wav.dataSize, 1001u);
  EXPECT_EQ(result.header->Bytes()[22], 2);  // channel count at byte 22
  EXPECT_EQ(result.header->AudioChannels(), 2);
}

TEST(WavClipHeader, BadFilesAreRefusedAndTheHeaderKept) {
  TempDir dir;
  std::string format = RiffChunkBytes("fmt ", WaveFormatBytes(1, 8000, 8));
  std::string data = RiffChunkBytes("data", std::string(100, '\x80'));
  std::string claimsTooMuch = "data";
  testing::PutLe32(claimsTooMuch, 5000);
  claimsTooMuch += std::string(100, '\x80');
  std::string rifx = WaveFileBytes({format, data});
  rifx[3] = 'X';
  std::string avi = WaveFileBytes({format, data});
  std::memcpy(&avi[8], "AVI ", 4);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"shorter than a RIFF header", "RIFF\x04"},
      {"not RIFF", rifx},
      {"RIFF of another form", avi},
      {"no format chunk", WaveFileBytes({data})},
      {"no data chunk", WaveFileBytes({format})},
      {"format of 14 bytes", WaveFileBytes({RiffChunkBytes("fmt ", WaveFormatBytes(1, 8000, 8).substr(0, 14)), data})},
      {"data larger than the file", WaveFileBytes({format, claimsTooMuch})},
      {"RIFF size larger than the file", WaveFileBytes({format, data}).substr(0, 40)},
      {"no channels", WaveFileBytes({RiffChunkBytes("fmt ", WaveFormatBytes(0, 8000, 8)), data})},
      {"a rate past 31 bits", WaveFileBytes({RiffChunkBytes("fmt ", WaveFormatBytes(1, -16, 8)), data})},
      {"a rate above the highest", WaveFileBytes({RiffChunkBytes("fmt ", WaveFormatBytes(2, 768001, 16)), data})},
  };
  for (const Case& c : cases) {
    std::filesystem::path path = dir.Write("bad.wav", c.bytes);
    ReadResult result = Read(path, kMediaWav);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_NE(result.error.find("bad.wav"), std::string::npos) << c.what << ": " << result.error;
    EXPECT_TRUE(IsMarker(result.header)) << c.what;
  }
}

TEST(FlicClipHeader, FrameCountSizeAndFrameTime) {
  TempDir dir;
  ReadResult flc = Read(dir.Write("a.flc", FlicHeaderBytes(0xAF12, 75, 320, 200, 40) + "frames"), kMediaFlc);
  ASSERT_TRUE(flc.ok) << flc.error;
  ASSERT_NE(flc.header->Flic(), nullptr);
  EXPECT_EQ(flc.header->FrameCount(), 75);
  EXPECT_EQ(flc.header->Flic()->width, 320);
  EXPECT_EQ(flc.header->Flic()->height, 200);
  EXPECT_EQ(flc.header->Flic()->msPerFrame, 40);
  EXPECT_DOUBLE_EQ(flc.header->MediaLengthMs(), 3000.0);

  // FLI frame times count in 1/70 s: 5 ticks are 71 ms.
  ReadResult fli = Read(dir.Write("b.fli", FlicHeaderBytes(0xAF11, 10, 320, 200, 5)), kMediaFli);
  ASSERT_TRUE(fli.ok) << fli.error;
  EXPECT_EQ(fli.header->Flic()->msPerFrame, 71);
}

TEST(FlicClipHeader, BadAnimationsAreRefused) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"shorter than its header", FlicHeaderBytes(0xAF12, 10, 320, 200, 40).substr(0, 100)},
      {"wrong magic", FlicHeaderBytes(0xAF13, 10, 320, 200, 40)},
      {"no frames", FlicHeaderBytes(0xAF12, 0, 320, 200, 40)},
      {"no width", FlicHeaderBytes(0xAF12, 10, 0, 200, 40)},
  };
  for (const Case& c : cases) {
    ReadResult result = Read(dir.Write("bad.flc", c.bytes), kMediaFlc);
    EXPECT_FALSE(result.ok) << c.what;
    EXPECT_FALSE(result.error.empty()) << c.what;
    EXPECT_TRUE(IsMarker(result.header)) << c.what;
  }
}

TEST(SequenceClipHeader, CountsTheNumberedImagesUpToTheFirstGap) {
  TempDir dir;
  for (const char* name : {"img0001.bmp", "img0002.bmp", "img0003.bmp", "img0004.bmp", "img0005.bmp", "img0007.bmp"}) {
    dir.Write(name, "picture");
  }
  ReadResult progressive = Read(dir / "img0001.bmp", kMediaOther);
  ASSERT_TRUE(progressive.ok) << progressive.error;
  ASSERT_NE(progressive.header->Sequence(), nullptr);
  EXPECT_EQ(progressive.header->Sequence()->frameCount, 5);
  EXPECT_EQ(progressive.header->FieldOrder(), 0);

  // Two field images a frame from field mode 3 on.
  ReadResult interlaced = Read(dir / "img0001.bmp", kMediaOther, 3);
  ASSERT_TRUE(interlaced.ok) << interlaced.error;
  EXPECT_EQ(interlaced.header->Sequence()->frameCount, 2);
  EXPECT_EQ(interlaced.header->Sequence()->fieldMode, 3);

  ReadResult single = Read(dir / "img0007.bmp", kMediaOther, 4);
  EXPECT_FALSE(single.ok);
  EXPECT_TRUE(IsMarker(single.header));
}

TEST(ClipHeader, StillsHaveNoneAndMissingOrUnreadableKindsFail) {
  TempDir dir;
  ReadResult still = Read(dir.Write("black.bmp", "BM"), kMediaBmp);
  EXPECT_TRUE(still.ok);
  EXPECT_FALSE(still.header.has_value());

  ReadResult missing = Read(dir / "gone.bmp", kMediaBmp);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("does not exist"), std::string::npos);
  EXPECT_TRUE(IsMarker(missing.header));

  ReadResult other = Read(dir.Write("clip.mov", "movie"), kMediaOther);
  EXPECT_TRUE(other.ok);
  EXPECT_FALSE(other.header.has_value());

  ReadResult sound = Read(dir.Write("a.snd", "sound"), kMediaSnd);
  EXPECT_FALSE(sound.ok);
  EXPECT_TRUE(IsMarker(sound.header));
}

TEST(ClipHeader, ReadClipHeaderFillsTheClipOrLeavesItAlone) {
  TempDir dir;
  dir.Write("voice.wav", testing::SilentWave(1, 11025, 16, 22050));
  TLEvent clip;
  clip.directory = dir.path().string() + "/";
  clip.name = "voice";
  clip.extension = ".wav";
  clip.mediaType = kMediaWav;
  std::string error;
  ASSERT_EQ(ReadClipHeader(&clip, &error), 1) << error;
  ASSERT_TRUE(clip.header && clip.header->Wav() != nullptr);
  EXPECT_DOUBLE_EQ(clip.header->MediaLengthMs(), 1000.0);

  clip.name = "gone";
  EXPECT_EQ(ReadClipHeader(&clip, &error), 0);
  EXPECT_NE(error.find("gone.wav"), std::string::npos);
  EXPECT_TRUE(clip.header && clip.header->Wav() != nullptr);  // kept
  EXPECT_EQ(ReadClipHeader(nullptr, &error), 0);
}

TEST(ClipHeader, ImageSequenceClipKeepsItsFieldMode) {
  TempDir dir;
  for (const char* name : {"f01.bmp", "f02.bmp", "f03.bmp", "f04.bmp"}) dir.Write(name, "picture");
  TLEvent clip;
  clip.directory = dir.path().string() + "/";
  clip.name = "f01";
  clip.extension = ".bmp";
  clip.mediaType = kMediaOther;
  SequenceClipHeader sequence{};
  sequence.fieldMode = 4;
  clip.header = ClipMediaHeader(sequence);
  ASSERT_EQ(ReadClipHeader(&clip), 1);
  EXPECT_EQ(clip.header->Sequence()->fieldMode, 4);
  EXPECT_EQ(clip.header->Sequence()->frameCount, 2);
}

TEST(AviClipHeader, HeaderCopyOfAnAviMadeByFfmpeg) {
  if (!testing::HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  testing::ScopedConfigDir config;
  ASSERT_TRUE(testing::MakeAviWithFfmpeg(dir / "shot.avi", 50));
  TLEvent clip;
  clip.directory = dir.path().string() + "/";
  clip.name = "shot";
  clip.extension = ".avi";
  clip.mediaType = kMediaAvi;
  std::string error;
  ASSERT_EQ(ReadClipHeader(&clip, &error), 1) << error;
  ASSERT_TRUE(clip.header && clip.header->Avi() != nullptr);
  const AviClipHeader& avi = *clip.header->Avi();
  EXPECT_EQ(clip.header->FrameCount(), 50);
  EXPECT_EQ(avi.video.length, 50u);
  EXPECT_DOUBLE_EQ(clip.header->FramesPerSecond(), 25.0);
  EXPECT_EQ(clip.header->CompressorCode(), MakeFourcc('M', 'J', 'P', 'G'));
  EXPECT_EQ(avi.picture.width, 320);
  EXPECT_EQ(avi.picture.height, 240);
  EXPECT_EQ(avi.wave.channels, 2);
  EXPECT_EQ(avi.wave.bitsPerSample, 16);
  EXPECT_EQ(avi.wave.samplesPerSec, 22050u);
  EXPECT_EQ(clip.header->FieldOrder(), 0);  // no "AVI Field Info" entry for MJPG

  // The field order comes from the settings table by compressor code.
  WriteProfileString("AVI Field Info", "ENTRY0", "DUDC(1)");
  WriteProfileString("AVI Field Info", "ENTRY1", "MJPG(2)");
  ASSERT_EQ(ReadClipHeader(&clip, &error), 1) << error;
  EXPECT_EQ(clip.header->FieldOrder(), 2);
}

TEST(AviClipHeader, FilesThatAreNoMoviesAreRefused) {
  TempDir dir;
  ReadResult text = Read(dir.Write("notes.avi", "these are no frames"), kMediaAvi);
  EXPECT_FALSE(text.ok);
  EXPECT_NE(text.error.find("notes.avi"), std::string::npos);
  EXPECT_TRUE(IsMarker(text.header));
}

}  // namespace
}  // namespace sprocket
