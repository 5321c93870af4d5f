#include "render/flic/flic_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ffmpeg_indexed_decode.h"
#include "flic_test_files.h"
#include "imagelib/dib_header.h"
#include "platform/message_pump.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::ByteDeltaData;
using testing::ByteRunData;
using testing::Bytes;
using testing::Chunk;
using testing::FlicBytes;
using testing::FlicHeaderFields;
using testing::Frame;
using testing::FullColorData;
using testing::IndexedPicture;
using testing::LiteralData;
using testing::PatternPalette;
using testing::PatternPicture;
using testing::RgbPalette;
using testing::WordDeltaData;

// The picture of an open animation as rows of exactly `width` bytes.
IndexedPicture PictureOf(const FlicFile& flic) {
  IndexedPicture picture(flic.Width(), flic.Height());
  for (int y = 0; y < flic.Height(); ++y) {
    std::memcpy(&picture.at(0, y), flic.Pixels() + static_cast<std::ptrdiff_t>(y) * flic.Stride(), flic.Width());
  }
  return picture;
}

// Entry i of the colour table as red, green, blue.
std::array<int, 3> ColorOf(const FlicFile& flic, int i) {
  const std::uint8_t* entry = flic.ColorTable() + i * 4;
  return {entry[2], entry[1], entry[0]};
}

class FlicReaderTest : public ::testing::Test {
protected:
  std::string WriteFile(const std::string& bytes, const std::string& name = "clip.flc") {
    return dir_.Write(name, bytes).string();
  }
  // Opens a file made of `frames` with a header of `fields`.
  int Open(const FlicHeaderFields& fields, const std::vector<std::string>& frames) {
    return FlicOpen(flic_, WriteFile(FlicBytes(fields, frames)));
  }
  static FlicHeaderFields Fields(int width, int height, int frames) {
    FlicHeaderFields fields;
    fields.width = width;
    fields.height = height;
    fields.frames = frames;
    fields.speed = 40;
    return fields;
  }

  testing::TempDir dir_;
  FlicFile flic_;
};

TEST_F(FlicReaderTest, DecodesFullFramesPaletteAndDeltasInOrder) {
  const int w = 10;
  const int h = 6;
  const IndexedPicture first = PatternPicture(w, h, 1);
  IndexedPicture second = first;
  second.at(0, 0) = 200;
  second.at(1, 0) = 201;
  for (int x = 2; x < 8; ++x) second.at(x, 4) = 77;  // a word run of three pairs
  const IndexedPicture third = PatternPicture(w, h, 2);
  RgbPalette palette = PatternPalette(3);

  const std::vector<std::string> frames = {
      Frame({Chunk(kFlicColor256, FullColorData(palette)), Chunk(kFlicByteRun, ByteRunData(first))}),
      Frame({Chunk(kFlicWordDelta, WordDeltaData(first, second))}),
      Frame({Chunk(kFlicLiteral, LiteralData(third))}),
      Frame({Chunk(kFlicBlack, "")}),
      Frame({}),
  };
  ASSERT_EQ(Open(Fields(w, h, 5), frames), kFlicDone);
  EXPECT_EQ(flic_.header.speed, 40u);  // an FLC keeps its speed
  EXPECT_EQ(flic_.header.firstFrameOffset, 128u);

  ASSERT_EQ(FlicPlay(flic_, 0), kFlicDone);
  EXPECT_EQ(flic_.frame, 1);
  EXPECT_EQ(PictureOf(flic_), first);
  EXPECT_EQ(ColorOf(flic_, 0), (std::array<int, 3>{palette[0], palette[1], palette[2]}));
  EXPECT_EQ(ColorOf(flic_, 255), (std::array<int, 3>{palette[765], palette[766], palette[767]}));
  EXPECT_EQ(flic_.ColorTable()[255 * 4 + 3], 0);

  ASSERT_EQ(FlicReadFrame(flic_), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), second);
  ASSERT_EQ(FlicReadFrame(flic_), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), third);
  ASSERT_EQ(FlicSkipFrame(flic_), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(w, h, 0));
  ASSERT_EQ(FlicReadFrame(flic_), kFlicDone);  // an empty frame changes nothing
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(w, h, 0));
  EXPECT_EQ(flic_.frame, 5);
  EXPECT_EQ(ColorOf(flic_, 7), (std::array<int, 3>{palette[21], palette[22], palette[23]}));

  // Past the last frame the file has ended.
  EXPECT_EQ(FlicReadFrame(flic_), kFlicNotAFrame);
  EXPECT_EQ(flic_.frame, 6);
  EXPECT_EQ(FlicClose(flic_), 0);
  EXPECT_EQ(flic_.picture, nullptr);
}

// A black chunk clears only what was written since the picture was last
// black, so a frame of many black chunks on a large picture costs in
// proportion to its data; the pictures are still exact.
TEST_F(FlicReaderTest, BlackChunksClearOnlyWhatWasWritten) {
  const int side = 2048;
  auto onePixel = [](int x, int y, std::uint8_t value) {
    std::string data;
    for (int v : {y & 0xFF, y >> 8, 1, 0, 1, x, 1, static_cast<int>(value)}) data.push_back(static_cast<char>(v));
    return Chunk(kFlicByteDelta, data);
  };
  std::vector<std::string> chunks;
  for (int k = 0; k < 1000; ++k) {
    chunks.push_back(Chunk(kFlicBlack, ""));
    chunks.push_back(onePixel(k % 200, (k * 37) % side, static_cast<std::uint8_t>(k % 250 + 1)));
  }
  const std::vector<std::string> frames = {Frame(chunks), Frame({Chunk(kFlicBlack, ""), onePixel(3, 5, 9)})};
  ASSERT_EQ(Open(Fields(side, side, 2), frames), kFlicDone);

  ASSERT_EQ(FlicReadFrame(flic_), kFlicDone);
  IndexedPicture expected(side, side, 0);
  expected.at(999 % 200, (999 * 37) % side) = 999 % 250 + 1;
  EXPECT_EQ(PictureOf(flic_), expected);
  EXPECT_EQ(flic_.dirtyRows.ClearedBytes(), 999u);  // one pixel for each black chunk after the first

  ASSERT_EQ(FlicReadFrame(flic_), kFlicDone);
  IndexedPicture next(side, side, 0);
  next.at(3, 5) = 9;
  EXPECT_EQ(PictureOf(flic_), next);
}

TEST_F(FlicReaderTest, PictureIsAnEightBitDibWithPaddedRowsTopLineFirst) {
  const int w = 7;  // not a multiple of 4: rows of 8 bytes
  const int h = 3;
  const IndexedPicture picture = PatternPicture(w, h, 5);
  FlicHeaderFields fields = Fields(w, h, 1);
  fields.depth = 0;  // read as 8 bits
  ASSERT_EQ(Open(fields, {Frame({Chunk(kFlicByteRun, ByteRunData(picture))})}), kFlicDone);
  ASSERT_EQ(FlicPlay(flic_, 0), kFlicDone);

  const DibInfoHeader info = ReadDibHeader(flic_.picture);
  EXPECT_EQ(info.biSize, 40u);
  EXPECT_EQ(info.biWidth, w);
  EXPECT_EQ(info.biHeight, h);
  EXPECT_EQ(info.biPlanes, 1);
  EXPECT_EQ(info.biBitCount, 8);
  EXPECT_EQ(info.biCompression, 0u);
  EXPECT_EQ(info.biSizeImage, 8u * h);
  EXPECT_EQ(info.biClrUsed, 256u);
  EXPECT_EQ(flic_.Stride(), 8);
  EXPECT_EQ(GlobalSize(flic_.pictureBlock), 1064u + 8 * h);
  EXPECT_EQ(PictureOf(flic_), picture);
  for (int y = 0; y < h; ++y) EXPECT_EQ(flic_.Pixels()[y * 8 + 7], 0) << "padding of row " << y;
}

TEST_F(FlicReaderTest, FliReadsSixtyFourLevelColoursByteDeltasAndSpeedInJiffies) {
  const int w = 8;
  const int h = 5;
  IndexedPicture before = PatternPicture(w, h, 4);
  IndexedPicture after = before;
  for (int x = 1; x < 6; ++x) after.at(x, 2) = 9;  // a run
  after.at(7, 3) = 100;                            // a literal
  after.at(0, 4) = 101;

  // Entries 0..255 at full level, then 10..19 at 64 levels.
  RgbPalette full = PatternPalette(1);
  Bytes sixtyFour;
  sixtyFour.U16(1).U8(10).U8(10);
  for (int i = 0; i < 10; ++i) sixtyFour.U8(63).U8(i).U8(32);

  FlicHeaderFields fields = Fields(w, h, 2);
  fields.magic = kFliMagic;
  fields.speed = 5 | (0x1234u << 16);  // the high word belongs to another field
  const std::vector<std::string> frames = {
      Frame({Chunk(kFlicColor256, FullColorData(full)), Chunk(kFlicByteRun, ByteRunData(before))}),
      Frame({Chunk(kFlicColor64, sixtyFour.str()), Chunk(kFlicByteDelta, ByteDeltaData(before, after))}),
  };
  ASSERT_EQ(Open(fields, frames), kFlicDone);
  EXPECT_EQ(flic_.header.speed, 71u);
  EXPECT_EQ(flic_.header.firstFrameOffset, 128u);
  ASSERT_EQ(FlicPlay(flic_, 1), kFlicDone);
  EXPECT_EQ(flic_.frame, 2);
  EXPECT_EQ(PictureOf(flic_), after);
  EXPECT_EQ(ColorOf(flic_, 9), (std::array<int, 3>{full[27], full[28], full[29]}));
  EXPECT_EQ(ColorOf(flic_, 10), (std::array<int, 3>{255, 0, 129}));
  EXPECT_EQ(ColorOf(flic_, 19), (std::array<int, 3>{255, 36, 129}));
  EXPECT_EQ(ColorOf(flic_, 20), (std::array<int, 3>{full[60], full[61], full[62]}));
}

TEST_F(FlicReaderTest, ColourPacketsSkipEntriesAndCountZeroMeansAll) {
  Bytes packets;
  packets.U16(2).U8(0).U8(0);
  for (int i = 0; i < 256; ++i) packets.U8(1).U8(2).U8(3);
  packets.U8(250).U8(2).U8(9).U8(8).U8(7).U8(6).U8(5).U8(4);  // skip from 256 would overrun
  ASSERT_EQ(Open(Fields(4, 1, 1), {Frame({Chunk(kFlicColor256, packets.str())})}), kFlicDone);
  EXPECT_EQ(FlicPlay(flic_, 0), kFlicDamaged);
  EXPECT_EQ(ColorOf(flic_, 0), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(ColorOf(flic_, 255), (std::array<int, 3>{1, 2, 3}));

  Bytes skipping;
  skipping.U16(2).U8(3).U8(1).U8(10).U8(11).U8(12).U8(251).U8(1).U8(20).U8(21).U8(22);
  ASSERT_EQ(Open(Fields(4, 1, 1), {Frame({Chunk(kFlicColor256, skipping.str())})}), kFlicDone);
  ASSERT_EQ(FlicPlay(flic_, 0), kFlicDone);
  EXPECT_EQ(ColorOf(flic_, 2), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(ColorOf(flic_, 3), (std::array<int, 3>{10, 11, 12}));
  EXPECT_EQ(ColorOf(flic_, 255), (std::array<int, 3>{20, 21, 22}));
}

TEST_F(FlicReaderTest, WordDeltaOpcodesSkipLinesAndSetTheLastPixel) {
  const int w = 6;
  const int h = 8;
  Bytes delta;
  delta.U16(2);                           // two lines carry data
  delta.U16(-3);                          // skip lines 0..2
  delta.U16(0x8000 | 0x55);               // last pixel of line 3
  delta.U16(1).U8(2).U8(-2).U8(7).U8(8);  // pairs (7, 8) twice from x = 2
  delta.U16(0);                           // line 4: no packets
  const IndexedPicture blank(w, h, 1);
  ASSERT_EQ(Open(Fields(w, h, 2),
                 {Frame({Chunk(kFlicLiteral, LiteralData(blank))}), Frame({Chunk(kFlicWordDelta, delta.str())})}),
            kFlicDone);
  ASSERT_EQ(FlicPlay(flic_, 1), kFlicDone);
  IndexedPicture expected = blank;
  expected.at(5, 3) = 0x55;
  expected.at(2, 3) = 7;
  expected.at(3, 3) = 8;
  expected.at(4, 3) = 7;
  expected.at(5, 3) = 8;  // the pairs overwrite the last pixel
  EXPECT_EQ(PictureOf(flic_), expected);
}

TEST_F(FlicReaderTest, PlayCountsFramesStopsOnAbortAndReadsTheRingFrameOnRequest) {
  const int w = 4;
  const int h = 2;
  std::vector<std::string> frames;
  for (int i = 0; i < 3; ++i) frames.push_back(Frame({Chunk(kFlicLiteral, LiteralData(IndexedPicture(w, h, i + 1)))}));
  frames.push_back(Frame({Chunk(kFlicLiteral, LiteralData(IndexedPicture(w, h, 1)))}));  // ring frame
  ASSERT_EQ(Open(Fields(w, h, 3), frames), kFlicDone);

  EXPECT_EQ(FlicPlay(flic_, -1), -1);
  EXPECT_EQ(FlicPlay(flic_, 10), kFlicDone);  // min(3 - 1, 10) + 1 frames
  EXPECT_EQ(flic_.frame, 3);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(w, h, 3));
  EXPECT_EQ(FlicReadFrame(flic_), kFlicDone);  // the ring frame
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(w, h, 1));

  ASSERT_EQ(FlicRewind(flic_), 0);
  EXPECT_EQ(flic_.frame, 0);
  int pumped = 0;
  SetPumpHook([&pumped] {
    if (++pumped == 2) RequestAbort();
  });
  EXPECT_EQ(FlicPlay(flic_, 2), 0);  // stopped before the second frame
  SetPumpHook({});
  ClearAbort();
  EXPECT_EQ(flic_.frame, 1);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(w, h, 1));
}

TEST_F(FlicReaderTest, OneFrameAndZeroFrameFiles) {
  ASSERT_EQ(Open(Fields(4, 1, 1), {Frame({Chunk(kFlicBlack, "")})}), kFlicDone);
  EXPECT_EQ(FlicPlay(flic_, 0), kFlicDone);
  EXPECT_EQ(flic_.frame, 1);
  ASSERT_EQ(Open(Fields(4, 1, 0), {}), kFlicDone);
  EXPECT_EQ(FlicPlay(flic_, 0), -1);
  EXPECT_EQ(flic_.frame, 0);
}

TEST_F(FlicReaderTest, AHeaderThatIsNotAFrameConsumesSixteenBytes) {
  const std::string notFrame = Bytes().U32(16).U16(0x1234).U16(0).U32(0).U32(0).str();
  const std::string real = Frame({Chunk(kFlicLiteral, LiteralData(IndexedPicture(4, 1, 9)))});
  ASSERT_EQ(Open(Fields(4, 1, 2), {notFrame, real}), kFlicDone);
  EXPECT_EQ(FlicReadFrame(flic_), kFlicNotAFrame);
  EXPECT_EQ(flic_.frame, 1);
  EXPECT_EQ(FlicReadFrame(flic_), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(4, 1, 9));
}

TEST_F(FlicReaderTest, AMissingFirstFrameOffsetAndAPrefixChunkAreTolerated) {
  const std::string prefix = Bytes().U32(22).U16(kFlicPrefixType).U16(0).U32(0).U32(0).U32(0).U16(0).str();
  const std::string frame = Frame({Chunk(kFlicLiteral, LiteralData(IndexedPicture(4, 2, 6)))});
  FlicHeaderFields fields = Fields(4, 2, 1);
  fields.setFrameOffsets = false;
  ASSERT_EQ(Open(fields, {prefix, frame}), kFlicDone);
  EXPECT_EQ(flic_.header.firstFrameOffset, 128u);
  EXPECT_EQ(FlicPlay(flic_, 0), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(4, 2, 6));
}

TEST_F(FlicReaderTest, UnknownChunksAreSkippedBySize) {
  const std::string frame =
      Frame({Chunk(18, std::string(50, '\x7f')), Chunk(kFlicLiteral, LiteralData(IndexedPicture(4, 2, 3)))});
  ASSERT_EQ(Open(Fields(4, 2, 1), {frame}), kFlicDone);
  EXPECT_EQ(FlicPlay(flic_, 0), kFlicDone);
  EXPECT_EQ(PictureOf(flic_), IndexedPicture(4, 2, 3));
}

TEST_F(FlicReaderTest, FilesThatAreNotAnimationsAreRefused) {
  EXPECT_EQ(FlicOpen(flic_, (dir_.path() / "missing.flc").string()), kFlicOpenFailed);
  EXPECT_EQ(flic_.picture, nullptr);

  FlicHeaderFields fields = Fields(4, 2, 1);
  fields.magic = 0x1234;
  ASSERT_EQ(Open(fields, {}), kFlicNotFlic);
  EXPECT_GE(flic_.file, 0);  // still open: the caller closes it
  EXPECT_EQ(FlicClose(flic_), 0);

  EXPECT_EQ(FlicOpen(flic_, WriteFile(FlicBytes(Fields(4, 2, 1), {}).substr(0, 100))), kFlicNotFlic);

  const std::vector<std::array<int, 3>> badSizes = {{4, 2, 16}, {0, 2, 8}, {4, 0, 8}, {40000, 2, 8}, {4, 20000, 8}};
  for (const auto& [width, height, depth] : badSizes) {
    fields = Fields(width, height, 1);
    fields.depth = depth;
    EXPECT_EQ(Open(fields, {}), kFlicNotFlic) << width << "x" << height << " at " << depth << " bits";
    EXPECT_EQ(flic_.picture, nullptr);
  }
  EXPECT_EQ(FlicReadFrame(flic_), kFlicNotAFrame);
}

// Damaged frames: every case gives a clear result; the sanitizer build shows
// that no byte outside the buffers is touched.
TEST_F(FlicReaderTest, DamagedFramesAreReportedWithoutAccessOutsideTheBuffers) {
  const int w = 6;
  const int h = 3;
  auto frameOf = [](const std::string& chunk) { return Frame({chunk}); };
  Bytes longRun;  // a run past the line's width
  longRun.U8(0).U8(7).U8(1);
  Bytes zeroRuns;  // counts of 0 never fill the line
  for (int i = 0; i < 40; ++i) zeroRuns.U8(0);
  Bytes lcBelow;  // a first line below the picture
  lcBelow.U16(h).U16(1).U8(1).U8(0).U8(1).U8(5);
  Bytes lcWide;  // a packet past the width
  lcWide.U16(0).U16(1).U8(1).U8(4).U8(-3).U8(5);
  Bytes ss2Lines;  // more lines than the picture has
  ss2Lines.U16(h + 1);
  for (int i = 0; i <= h; ++i) ss2Lines.U16(1).U8(0).U8(1).U8(1).U8(2);
  Bytes ss2Wide;  // pairs past the width
  ss2Wide.U16(1).U16(1).U8(4).U8(2).U8(1).U8(2).U8(3).U8(4);
  Bytes ss2Skip;  // a skip below the picture, then data
  ss2Skip.U16(1).U16(-5).U16(1).U8(0).U8(1).U8(1).U8(2);
  Bytes ss2Negative;
  ss2Negative.U16(-2);

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"truncated byte run", frameOf(Chunk(kFlicByteRun, std::string(4, '\x01')))},
      {"run past the width", frameOf(Chunk(kFlicByteRun, longRun.str()))},
      {"zero-length runs", frameOf(Chunk(kFlicByteRun, zeroRuns.str()))},
      {"short literal", frameOf(Chunk(kFlicLiteral, std::string(w * h - 1, '\x02')))},
      {"byte delta below the picture", frameOf(Chunk(kFlicByteDelta, lcBelow.str()))},
      {"byte delta past the width", frameOf(Chunk(kFlicByteDelta, lcWide.str()))},
      {"word delta past the last line", frameOf(Chunk(kFlicWordDelta, ss2Lines.str()))},
      {"word delta past the width", frameOf(Chunk(kFlicWordDelta, ss2Wide.str()))},
      {"word delta skip below the picture", frameOf(Chunk(kFlicWordDelta, ss2Skip.str()))},
      {"negative word delta line count", frameOf(Chunk(kFlicWordDelta, ss2Negative.str()))},
      {"truncated word delta", frameOf(Chunk(kFlicWordDelta, Bytes().U16(1).U16(3).U8(0).str()))},
      {"truncated colours", frameOf(Chunk(kFlicColor256, Bytes().U16(1).U8(0).U8(4).U8(1).str()))},
      {"chunk larger than its frame", Bytes().U32(16 + 6).U16(0xF1FA).U16(1).U32(0).U32(0).U32(1000).U16(16).str()},
      {"chunk smaller than its header", Bytes().U32(16 + 6).U16(0xF1FA).U16(1).U32(0).U32(0).U32(0).U16(16).str()},
      {"more chunks than the frame holds", Bytes().U32(17).U16(0xF1FA).U16(3).U32(0).U32(0).str() + "\x02"},
      {"frame larger than the file",
       Bytes().U32(0xFFFFFFFF).U16(0xF1FA).U16(1).U32(0).U32(0).str() + Chunk(kFlicBlack, "")},
  };
  for (const auto& [name, frame] : cases) {
    ASSERT_EQ(Open(Fields(w, h, 2), {frame, frame}), kFlicDone) << name;
    EXPECT_EQ(FlicReadFrame(flic_), kFlicDamaged) << name;
    EXPECT_EQ(flic_.frame, 1) << name;
    EXPECT_EQ(FlicClose(flic_), 0) << name;
  }
}

TEST_F(FlicReaderTest, RandomlyDamagedFilesNeverCrash) {
  const int w = 9;
  const int h = 7;
  const IndexedPicture a = PatternPicture(w, h, 1);
  const IndexedPicture b = PatternPicture(w, h, 2);
  const std::string good =
      FlicBytes(Fields(w, h, 4),
                {Frame({Chunk(kFlicColor256, FullColorData(PatternPalette(1))), Chunk(kFlicByteRun, ByteRunData(a))}),
                 Frame({Chunk(kFlicWordDelta, WordDeltaData(a, b, true))}),
                 Frame({Chunk(kFlicByteDelta, ByteDeltaData(b, a))}), Frame({Chunk(kFlicLiteral, LiteralData(b))})});
  unsigned state = 7;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 8; };
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(next() % 6);
    for (int i = 0; i < changes; ++i) {
      const std::size_t at = 128 + next() % (bytes.size() - 128);
      bytes[at] = static_cast<char>(next());
    }
    if (round % 5 == 0) bytes.resize(128 + next() % (bytes.size() - 128));
    ASSERT_EQ(FlicOpen(flic_, WriteFile(bytes)), kFlicDone);
    for (int frame = 0; frame < 5; ++frame) {
      const int result = FlicReadFrame(flic_);
      EXPECT_TRUE(result == kFlicDone || result == kFlicDamaged || result == kFlicNotAFrame) << result;
    }
    FlicClose(flic_);
  }
}

// FFmpeg's decoder as an outside oracle: the same hand-built file decodes to
// the same colour indices and colours frame by frame.
TEST_F(FlicReaderTest, FramesMatchFfmpegDecoder) {
  if (!testing::ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  const int w = 64;  // literal chunks decode in FFmpeg only at widths that are multiples of 4
  const int h = 12;
  std::vector<IndexedPicture> pictures = {PatternPicture(w, h, 1)};
  IndexedPicture runs = pictures[0];
  for (int x = 4; x < 40; ++x) runs.at(x, 5) = 33;  // word runs
  runs.at(63, 0) = 1;                               // the last column
  runs.at(0, 11) = 2;                               // the last line
  pictures.push_back(runs);
  pictures.push_back(PatternPicture(w, h, 2));
  pictures.push_back(PatternPicture(w, h, 3));
  pictures.push_back(IndexedPicture(w, h, 0));
  pictures.push_back(PatternPicture(w, h, 4));

  RgbPalette palette = PatternPalette(5);
  Bytes partial;  // entries 10..12 and 200
  partial.U16(2).U8(10).U8(3);
  for (int i = 1; i <= 9; ++i) partial.U8(i);
  partial.U8(187).U8(1).U8(250).U8(251).U8(252);
  const std::vector<std::string> frames = {
      Frame({Chunk(kFlicColor256, FullColorData(palette)), Chunk(kFlicByteRun, ByteRunData(pictures[0]))}),
      Frame({Chunk(kFlicWordDelta, WordDeltaData(pictures[0], pictures[1]))}),
      Frame({Chunk(kFlicColor256, partial.str()), Chunk(kFlicByteDelta, ByteDeltaData(pictures[1], pictures[2]))}),
      Frame({Chunk(kFlicLiteral, LiteralData(pictures[3]))}),
      Frame({Chunk(kFlicBlack, "")}),
      Frame({Chunk(18, std::string(20, '\0')), Chunk(kFlicByteRun, ByteRunData(pictures[5]))}),
  };
  const std::string path = WriteFile(FlicBytes(Fields(w, h, 6), frames));
  const auto decoded = testing::DecodeIndexedWithFfmpeg(path, w, h);
  ASSERT_TRUE(decoded.has_value());
  ASSERT_EQ(decoded->size(), frames.size());

  ASSERT_EQ(FlicOpen(flic_, path), kFlicDone);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    ASSERT_EQ(FlicReadFrame(flic_), kFlicDone) << "frame " << i;
    const IndexedPicture ours = PictureOf(flic_);
    EXPECT_EQ(ours, pictures[i]) << "frame " << i;
    EXPECT_EQ(ours.pixels, (*decoded)[i].indices) << "frame " << i;
    for (int c = 0; c < 256; ++c) {
      const auto color = ColorOf(flic_, c);
      ASSERT_EQ(color[0], (*decoded)[i].palette[c * 3]) << "frame " << i << " colour " << c;
      ASSERT_EQ(color[1], (*decoded)[i].palette[c * 3 + 1]) << "frame " << i << " colour " << c;
      ASSERT_EQ(color[2], (*decoded)[i].palette[c * 3 + 2]) << "frame " << i << " colour " << c;
    }
  }
}

}  // namespace
}  // namespace sprocket
