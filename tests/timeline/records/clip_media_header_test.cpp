// The media header copies: byte positions, derived values and the removal
// and return of an AVI clip's sound.

#include <gtest/gtest.h>

#include <cstring>

#include "timeline/records/clip_media_header.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

std::uint16_t HalfAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint16_t value = 0;
  std::memcpy(&value, bytes.data() + offset, 2);
  return value;
}

TEST(ClipMediaHeaderTest, AviFieldsSitAtTheirOffsets) {
  ClipMediaHeader header = testing::MakeAviHeader(250, 30000, 1001, 16, MakeFourcc('C', 'F', 'C', 'C'));
  std::span<const std::uint8_t> bytes = header.Bytes();
  ASSERT_EQ(bytes.size(), 444u);
  EXPECT_EQ(WordAt(bytes, 36), 250u);                                 // file length in frames
  EXPECT_EQ(WordAt(bytes, 108 + 4), MakeFourcc('C', 'F', 'C', 'C'));  // handler
  EXPECT_EQ(WordAt(bytes, 108 + 20), 1001u);                          // scale
  EXPECT_EQ(WordAt(bytes, 108 + 24), 30000u);                         // rate
  EXPECT_EQ(WordAt(bytes, 108 + 32), 250u);                           // video length
  EXPECT_EQ(WordAt(bytes, 248 + 32), 44100u);                         // audio length in samples
  EXPECT_EQ(static_cast<std::int32_t>(WordAt(bytes, 388 + 4)), 320);
  EXPECT_EQ(HalfAt(bytes, 428), 1);   // PCM
  EXPECT_EQ(HalfAt(bytes, 430), 2);   // channels
  EXPECT_EQ(HalfAt(bytes, 442), 16);  // bits per sample
  EXPECT_EQ(header.Kind(), ClipHeaderKind::kAvi);
  EXPECT_EQ(header.CompressorCode(), MakeFourcc('C', 'F', 'C', 'C'));
}

TEST(ClipMediaHeaderTest, AviRateLengthAndSound) {
  ClipMediaHeader header = testing::MakeAviHeader(300, 30000, 1001);
  EXPECT_EQ(header.FrameCount(), 300);
  EXPECT_NEAR(header.FramesPerSecond(), 29.97, 0.001);
  EXPECT_NEAR(header.MediaLengthMs(), 10010.0, 0.001);
  EXPECT_TRUE(header.HasAudio());
  EXPECT_EQ(header.AudioChannels(), 2);

  ClipMediaHeader original = header;
  header.ClearAviAudio();
  EXPECT_FALSE(header.HasAudio());
  std::span<const std::uint8_t> bytes = header.Bytes();
  for (std::size_t i = 248; i < 444; ++i) {
    if (i < 388 || i >= 428) {
      ASSERT_EQ(bytes[i], 0) << i;
    }
  }
  EXPECT_EQ(header.FrameCount(), 300);  // the picture is untouched
  header.CopyAviWaveFormat(original);
  EXPECT_TRUE(header.HasAudio());
  EXPECT_EQ(header.AudioChannels(), 2);
  EXPECT_FALSE(header == original);  // the audio stream information stays cleared
}

TEST(ClipMediaHeaderTest, WavHeaderGivesChannelsAndLength) {
  WavClipHeader wav{};
  std::memcpy(wav.riff, "RIFF", 4);
  wav.channels = 1;
  wav.bitsPerSample = 8;
  wav.samplesPerSec = 11025;
  wav.avgBytesPerSec = 11025;
  wav.dataSize = 22050;
  ClipMediaHeader header(wav);
  ASSERT_EQ(header.Bytes().size(), 44u);
  EXPECT_EQ(HalfAt(header.Bytes(), 22), 1);
  EXPECT_NEAR(header.MediaLengthMs(), 2000.0, 1e-9);
  EXPECT_TRUE(header.HasAudio());
  EXPECT_EQ(header.AudioChannels(), 1);
  EXPECT_EQ(header.FrameCount(), 0);
  EXPECT_EQ(header.CompressorCode(), 0u);
}

TEST(ClipMediaHeaderTest, SequenceFieldModeIsItsFirstWord) {
  SequenceClipHeader sequence{};
  sequence.frameCount = 24;
  ClipMediaHeader header(sequence);
  header.SetFieldOrder(3);
  ASSERT_EQ(header.Bytes().size(), 52u);
  EXPECT_EQ(WordAt(header.Bytes(), 0), 3u);
  EXPECT_EQ(WordAt(header.Bytes(), 4), 24u);
  EXPECT_EQ(header.FieldOrder(), 3);
  EXPECT_EQ(header.FrameCount(), 24);
  EXPECT_FALSE(header.HasAudio());
  header.ClearAviAudio();  // nothing for other layouts
  EXPECT_EQ(header.FrameCount(), 24);
}

TEST(ClipMediaHeaderTest, AviFieldOrderIsKeptBesideTheLayout) {
  ClipMediaHeader header = testing::MakeAviHeader(10);
  std::vector<std::uint8_t> before(header.Bytes().begin(), header.Bytes().end());
  header.SetFieldOrder(2);
  EXPECT_EQ(header.FieldOrder(), 2);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), header.Bytes().begin()));
  ClipMediaHeader copy = header;
  EXPECT_EQ(copy.FieldOrder(), 2);
  EXPECT_TRUE(copy == header);
}

TEST(ClipMediaHeaderTest, FlicSummary) {
  ClipMediaHeader header(FlicClipHeader{40, 50, 320, 200});
  EXPECT_EQ(header.FrameCount(), 40);
  EXPECT_DOUBLE_EQ(header.FramesPerSecond(), 20.0);
  EXPECT_DOUBLE_EQ(header.MediaLengthMs(), 2000.0);
  ClipMediaHeader still(FlicClipHeader{0, 0, 0, 0});
  EXPECT_DOUBLE_EQ(still.FramesPerSecond(), 0.0);
}

TEST(ClipMediaHeaderTest, RebuiltFromItsBytesOnlyAtTheLayoutsSize) {
  ClipMediaHeader avi = testing::MakeAviHeader(75, 25, 1, 8);
  avi.SetFieldOrder(1);
  std::vector<std::uint8_t> bytes(avi.Bytes().begin(), avi.Bytes().end());
  std::optional<ClipMediaHeader> again = ClipMediaHeader::FromBytes(ClipHeaderKind::kAvi, bytes, avi.FieldOrder());
  ASSERT_TRUE(again.has_value());
  EXPECT_TRUE(*again == avi);
  EXPECT_FALSE(ClipMediaHeader::FromBytes(ClipHeaderKind::kWav, bytes).has_value());
  bytes.pop_back();
  EXPECT_FALSE(ClipMediaHeader::FromBytes(ClipHeaderKind::kAvi, bytes).has_value());
  EXPECT_FALSE(ClipMediaHeader::FromBytes(ClipHeaderKind::kSequence, {}).has_value());
  std::vector<std::uint8_t> sequence(52, 0);
  sequence[4] = 9;
  std::optional<ClipMediaHeader> rebuilt = ClipMediaHeader::FromBytes(ClipHeaderKind::kSequence, sequence);
  ASSERT_TRUE(rebuilt.has_value());
  EXPECT_EQ(rebuilt->FrameCount(), 9);
}

}  // namespace
}  // namespace sprocket
