#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "imagelib/dib_header.h"
#include "libs/clipmedia/clip_media_lib.h"
#include "media_test_clips.h"
#include "platform/global_memory.h"
#include "platform/media/avi_writer.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

// The number shown by a picture answered by ScaleClipFrame; frees it.
int NumberOf(std::uint8_t* picture) {
  if (picture == nullptr) return -2;
  int number = testing::ReadPictureNumber(GlobalHandle(picture));
  FreeClipFrame(picture);
  return number;
}

class ClipMediaLibTest : public ::testing::Test {
protected:
  std::string Clip(const std::string& name, const char* code, int frames, int keyEvery, int audioBits = 0,
                   int channels = 1) {
    std::string path = (dir_ / name).string();
    EXPECT_EQ(testing::WriteNumberedClip(path, MakeFourCC(code), frames, keyEvery, audioBits, channels), "");
    return path;
  }
  TempDir dir_;
  ClipMediaLib library_;
};

TEST_F(ClipMediaLibTest, HeaderCopyAndStreamInformationOfAnAvi) {
  std::string path = Clip("clip.avi", "MJPG", 12, 1, 8, 2);
  ClipMediaHeader copy;
  copy.SetFieldOrder(2);  // set from the settings; a new read keeps it
  ASSERT_NE(library_.ReadAviClipInfo(path, &copy), 0);
  ASSERT_NE(copy.Avi(), nullptr);
  const AviClipHeader& header = *copy.Avi();
  EXPECT_EQ(copy.FieldOrder(), 2);
  EXPECT_EQ(copy.FrameCount(), 12);
  EXPECT_EQ(copy.CompressorCode(), MakeFourCC("MJPG"));
  EXPECT_DOUBLE_EQ(copy.FramesPerSecond(), 25.0);
  EXPECT_EQ(copy.AudioChannels(), 2);
  EXPECT_EQ(header.file.length, 12u);
  EXPECT_EQ(header.video.rate, 25u);
  EXPECT_EQ(header.video.scale, 1u);
  EXPECT_EQ(header.picture.width, 64);
  EXPECT_EQ(header.picture.height, 48);
  EXPECT_EQ(header.wave.bitsPerSample, 8);
  EXPECT_EQ(header.audio.length, 12u * 441u);

  AviStreamInfo info;
  ASSERT_NE(library_.GetAviStreamInfo(path, &info), 0);
  EXPECT_EQ(info.type, MakeFourCC("vids"));
  EXPECT_EQ(info.length, 12u);

  ClipMediaHeader untouched;
  EXPECT_EQ(library_.ReadAviClipInfo((dir_ / "missing.avi").string(), &untouched), 0);
  EXPECT_EQ(untouched, ClipMediaHeader());
  testing::WriteBytes((dir_ / "junk.avi").string(), "RIFF\x04\0\0\0AVI ");
  EXPECT_EQ(library_.ReadAviClipInfo((dir_ / "junk.avi").string(), &untouched), 0);
  EXPECT_EQ(library_.GetAviStreamInfo((dir_ / "junk.avi").string(), &info), 0);
}

TEST_F(ClipMediaLibTest, OtherMoviesGetHeadersFromWhatTheirReadersDeliver) {
  if (!testing::ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  std::string path = (dir_ / "clip.mkv").string();
  std::string command =
      "ffmpeg -v error -y -f lavfi -i testsrc=size=32x24:rate=10 -f lavfi -i sine=r=8000 "
      "-t 1.5 -c:v mjpeg -c:a pcm_s16le '" +
      path + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  ClipMediaHeader copy;
  ASSERT_NE(library_.ReadAviClipInfo(path, &copy), 0);
  const AviClipHeader& header = *copy.Avi();
  EXPECT_EQ(header.file.streams, 2u);
  EXPECT_EQ(header.video.rate / header.video.scale, 10u);
  EXPECT_EQ(header.file.length, 15u);
  EXPECT_EQ(header.picture.width, 32);
  EXPECT_EQ(header.wave.samplesPerSec, 8000u);
  EXPECT_EQ(header.wave.bitsPerSample, 16);
  EXPECT_NEAR(header.audio.length, 12000u, 100u);
  std::uint8_t* picture = library_.ScaleClipFrame(path, 14, &copy);
  ASSERT_NE(picture, nullptr);
  DibInfoHeader dib = ReadDibHeader(picture);
  EXPECT_EQ(dib.biWidth, 32);
  EXPECT_EQ(dib.biBitCount, 24);
  FreeClipFrame(picture);
}

TEST_F(ClipMediaLibTest, FramesOfAClipAreClampedToIt) {
  std::string path = Clip("gop.avi", "FMP4", 30, 12);
  for (int frame : {0, 29, 13, 5, 24}) EXPECT_EQ(NumberOf(library_.ScaleClipFrame(path, frame, nullptr)), frame);
  EXPECT_EQ(NumberOf(library_.ScaleClipFrame(path, 45, nullptr)), 29);
  EXPECT_EQ(NumberOf(library_.ScaleClipFrame(path, -3, nullptr)), 0);
  EXPECT_EQ(library_.ScaleClipFrame((dir_ / "missing.avi").string(), 0, nullptr), nullptr);
  testing::WriteBytes((dir_ / "text.avi").string(), "no movie here");
  EXPECT_EQ(library_.ScaleClipFrame((dir_ / "text.avi").string(), 0, nullptr), nullptr);
  EXPECT_EQ(library_.KeptClipCount(), 0);
}

TEST_F(ClipMediaLibTest, ARenderKeepsClipsOpenUntilItEnds) {
  std::string first = Clip("a.avi", "MJPG", 10, 1);
  std::string second = Clip("b.avi", "MJPG", 10, 1);
  library_.SetClipRenderState(0);
  for (int frame = 0; frame < 10; ++frame) {
    ASSERT_EQ(NumberOf(library_.ScaleClipFrame(first, frame, nullptr)), frame);
    ASSERT_EQ(NumberOf(library_.ScaleClipFrame(second, 9 - frame, nullptr)), 9 - frame);
  }
  EXPECT_EQ(library_.KeptClipCount(), 2);

  // A clip rewritten during the render is read anew.
  std::filesystem::remove(first);
  ASSERT_EQ(testing::WriteNumberedClip(first, MakeFourCC("MJPG"), 3, 1), "");
  EXPECT_EQ(NumberOf(library_.ScaleClipFrame(first, 8, nullptr)), 2);

  library_.SetClipRenderState(1);
  EXPECT_EQ(library_.KeptClipCount(), 0);
}

TEST_F(ClipMediaLibTest, SoundSamplesInTheHeaderCopysFormat) {
  std::string path = Clip("sound.avi", "MJPG", 10, 1, 16, 2);
  std::vector<std::int16_t> buffer(2 * 600, 0x5555);
  // Room for 500 sample frames although 600 are asked for.
  ASSERT_EQ(library_.ReadClipAudioSamples(path, 1000, buffer.data(), 500 * 4, 600), 500);
  for (int i = 0; i < 500; i += 25) {
    EXPECT_EQ(buffer[2 * i], testing::RampSample(1000 + i, 0));
    EXPECT_EQ(buffer[2 * i + 1], testing::RampSample(1000 + i, 1));
  }
  EXPECT_EQ(buffer[1000], 0x5555);
  // Past the end: what is left, then nothing.
  EXPECT_EQ(library_.ReadClipAudioSamples(path, 4400, buffer.data(), 2400, 600), 10);
  EXPECT_EQ(library_.ReadClipAudioSamples(path, 5000, buffer.data(), 2400, 600), 0);
  EXPECT_EQ(library_.ReadClipAudioSamples(Clip("silent.avi", "MJPG", 2, 1), 0, buffer.data(), 2400, 10), -1);
  EXPECT_EQ(library_.ReadClipAudioSamples(path, -1, buffer.data(), 2400, 10), -1);
}

TEST(ClipMediaLibProcess, FreeFunctionsShareOneLibrary) {
  TempDir dir;
  std::string path = (dir / "clip.avi").string();
  ASSERT_EQ(testing::WriteNumberedClip(path, MakeFourCC("MJPG"), 4, 1), "");
  SetClipRenderState(0);
  EXPECT_EQ(NumberOf(ScaleClipFrame(path, 3, nullptr)), 3);
  EXPECT_EQ(TheClipMediaLib().KeptClipCount(), 1);
  SetClipRenderState(1);
  EXPECT_EQ(TheClipMediaLib().KeptClipCount(), 0);
  AviStreamInfo info;
  EXPECT_EQ(GetAviStreamInfo(path, &info), 1);
  ClipMediaHeader header;
  EXPECT_EQ(ReadAviClipInfo(path, &header), 1);
  FreeClipFrame(nullptr);
}

}  // namespace
}  // namespace sprocket
