#include "render/flic/flic_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>

#include "ffmpeg_indexed_decode.h"
#include "flic_test_files.h"
#include "imagelib/dib_header.h"
#include "platform/files/atomic_file.h"
#include "render/flic/flic_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::Bytes;
using testing::IndexedPicture;
using testing::PatternPalette;
using testing::PatternPicture;
using testing::RgbPalette;

// An 8-bit packed DIB of the picture: bottom row first, rows padded to 4.
GlobalBlock MakeDib(const IndexedPicture& picture) {
  const int stride = (picture.width + 3) / 4 * 4;
  GlobalBlock block = GlobalBlock::Allocate(1064 + static_cast<std::size_t>(stride) * picture.height);
  GlobalLockGuard<std::uint8_t> base(block.get());
  DibInfoHeader header;
  header.biSize = 40;
  header.biWidth = picture.width;
  header.biHeight = picture.height;
  header.biPlanes = 1;
  header.biBitCount = 8;
  header.biSizeImage = static_cast<std::uint32_t>(stride * picture.height);
  header.biClrUsed = 256;
  WriteDibHeader(base.get(), header);
  for (int line = 0; line < picture.height; ++line) {
    std::memcpy(base.get() + 1064 + static_cast<std::size_t>(picture.height - 1 - line) * stride, picture.row(line),
                picture.width);
  }
  return block;
}

struct WrittenFrame {
  std::uint32_t size = 0;
  int chunks = 0;
  std::vector<std::pair<int, std::string>> chunkData;  // type and data
};

// The frames of a written file, walked by their sizes.
std::vector<WrittenFrame> ParseFrames(const std::string& file) {
  auto u16 = [&](std::size_t at) {
    return static_cast<int>(static_cast<std::uint8_t>(file[at]) | (static_cast<std::uint8_t>(file[at + 1]) << 8));
  };
  auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | (u16(at + 2) << 16)); };
  std::vector<WrittenFrame> frames;
  std::size_t at = 128;
  while (at + 16 <= file.size()) {
    WrittenFrame frame;
    frame.size = u32(at);
    EXPECT_EQ(u16(at + 4), 0xF1FA);
    frame.chunks = u16(at + 6);
    std::size_t chunk = at + 16;
    for (int i = 0; i < frame.chunks; ++i) {
      const std::uint32_t size = u32(chunk);
      frame.chunkData.emplace_back(u16(chunk + 4), file.substr(chunk + 6, size - 6));
      chunk += size;
    }
    EXPECT_EQ(chunk, at + frame.size);
    frames.push_back(frame);
    at += frame.size;
  }
  EXPECT_EQ(at, file.size());
  return frames;
}

std::string Data(std::initializer_list<int> bytes) {
  Bytes data;
  for (int b : bytes) data.U8(b);
  return data.str();
}

class FlcWriterTest : public ::testing::Test {
protected:
  std::string PathOf(const std::string& name) const { return (dir_.path() / name).string(); }

  // Writes the pictures (type 15 first, 7 afterwards) with their palettes.
  void WriteMovie(const std::string& path, const std::vector<IndexedPicture>& pictures,
                  const std::vector<RgbPalette>& palettes, int speed = 40) {
    FlcWriter writer;
    ASSERT_EQ(writer.Create(path, pictures[0].width, pictures[0].height, speed), kFlcDone);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      const GlobalBlock dib = MakeDib(pictures[i]);
      const int result = writer.WriteFrame(i == 0 ? kFlicByteRun : kFlicWordDelta, dib.get(), palettes[i].data());
      ASSERT_TRUE(result == kFlcDone || result == kFlcChunkDropped) << "frame " << i << ": " << result;
    }
    ASSERT_EQ(writer.Finish(), kFlcDone);
  }

  // Reads `count` frames with our reader, checking each picture and palette.
  void ExpectFramesRead(const std::string& path, const std::vector<IndexedPicture>& pictures,
                        const std::vector<RgbPalette>& palettes) {
    FlicFile flic;
    ASSERT_EQ(FlicOpen(flic, path), kFlicDone);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      ASSERT_EQ(FlicReadFrame(flic), kFlicDone) << "frame " << i;
      IndexedPicture read(flic.Width(), flic.Height());
      for (int y = 0; y < flic.Height(); ++y) {
        std::memcpy(&read.at(0, y), flic.Pixels() + static_cast<std::ptrdiff_t>(y) * flic.Stride(), flic.Width());
      }
      EXPECT_EQ(read, pictures[i]) << "frame " << i;
      for (int c = 0; c < 256; ++c) {
        const std::uint8_t* entry = flic.ColorTable() + c * 4;
        ASSERT_EQ((std::array<int, 3>{entry[2], entry[1], entry[0]}),
                  (std::array<int, 3>{palettes[i][c * 3], palettes[i][c * 3 + 1], palettes[i][c * 3 + 2]}))
            << "frame " << i << " colour " << c;
      }
    }
    EXPECT_EQ(FlicReadFrame(flic), kFlicNotAFrame);
  }

  // Decodes with FFmpeg and compares indices and colours with the pictures.
  void ExpectFfmpegDecodes(const std::string& path, const std::vector<IndexedPicture>& pictures,
                           const std::vector<RgbPalette>& palettes) {
    const auto decoded = testing::DecodeIndexedWithFfmpeg(path, pictures[0].width, pictures[0].height);
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->size(), pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      EXPECT_EQ((*decoded)[i].indices, pictures[i].pixels) << "frame " << i;
      EXPECT_EQ((*decoded)[i].palette, std::vector<std::uint8_t>(palettes[i].begin(), palettes[i].end()))
          << "frame " << i;
    }
  }

  testing::TempDir dir_;
};

// A movie with the cases the encoders must handle: palette deltas, an
// unchanged frame, long runs, skips past 127 bytes, changes in the first and
// last lines and in the last column, and a whole new picture.
std::vector<IndexedPicture> MoviePictures(int width, int height) {
  std::vector<IndexedPicture> pictures = {PatternPicture(width, height, 1)};
  IndexedPicture next = pictures.back();
  for (int x = 0; x < width; ++x) next.at(x, 0) = 200;  // a long run on the first line
  next.at(width - 1, height - 1) ^= 0x55;               // the last pixel of the last line
  pictures.push_back(next);
  pictures.push_back(next);                 // unchanged
  next.at(std::min(1, width - 1), 3) ^= 1;  // changes far apart on one line
  next.at(std::max(0, width - 2), 3) ^= 2;
  for (int y = 0; y < height; ++y) next.at(width - 1, y) = static_cast<std::uint8_t>(y);  // the last column
  pictures.push_back(next);
  pictures.push_back(PatternPicture(width, height, 2));
  pictures.push_back(IndexedPicture(width, height, 0));
  pictures.push_back(PatternPicture(width, height, 3));
  return pictures;
}

std::vector<RgbPalette> MoviePalettes() {
  std::vector<RgbPalette> palettes(3, PatternPalette(1));
  RgbPalette changed = palettes.back();
  changed[30] ^= 0xFF;  // entry 10 and entries 200..204
  for (int i = 200 * 3; i < 205 * 3; ++i) changed[i] ^= 0x0F;
  palettes.push_back(changed);
  palettes.push_back(changed);
  changed[767] ^= 1;  // the last entry only
  palettes.push_back(changed);
  palettes.push_back(PatternPalette(9));
  return palettes;
}

TEST_F(FlcWriterTest, RoundTripThroughOurReaderWithRingFrameAndHeader) {
  for (int width : {300, 63, 2, 1, 3}) {
    SCOPED_TRACE(width);
    const int height = 9;
    std::vector<IndexedPicture> pictures = MoviePictures(width, height);
    std::vector<RgbPalette> palettes = MoviePalettes();
    const std::string path = PathOf("movie" + std::to_string(width) + ".flc");
    WriteMovie(path, pictures, palettes, 33);

    const std::string file = *ReadWholeFile(path);
    FlicHeader header;
    std::memcpy(&header, file.data(), sizeof header);
    EXPECT_EQ(header.fileSize, file.size());
    EXPECT_EQ(header.magic, kFlcMagic);
    EXPECT_EQ(header.frames, pictures.size());
    EXPECT_EQ(header.width, width);
    EXPECT_EQ(header.height, height);
    EXPECT_EQ(header.depth, 8);
    EXPECT_EQ(header.flags, 3);
    EXPECT_EQ(header.speed, 33u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.creator), 4), "DEZ*");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.updater), 4), "DEZ*");
    EXPECT_EQ(header.aspectX, 1);
    EXPECT_EQ(header.aspectY, 1);
    const std::vector<WrittenFrame> frames = ParseFrames(file);
    ASSERT_EQ(frames.size(), pictures.size() + 1);  // the ring frame follows
    EXPECT_EQ(header.firstFrameOffset, 128u);
    EXPECT_EQ(header.secondFrameOffset, 128u + frames[0].size);
    EXPECT_EQ(frames[2].size, 16u);  // unchanged picture and palette
    EXPECT_EQ(frames[2].chunks, 0);

    pictures.push_back(pictures[0]);
    palettes.push_back(palettes[0]);
    ExpectFramesRead(path, pictures, palettes);
  }
}

TEST_F(FlcWriterTest, FfmpegDecodesEveryFrameAndTheRingFrame) {
  if (!testing::ToolAvailable("ffmpeg") || !testing::ToolAvailable("ffprobe"))
    GTEST_SKIP() << "ffmpeg is not installed";
  for (int width : {320, 63, 3}) {
    SCOPED_TRACE(width);
    const int height = 10;
    std::vector<IndexedPicture> pictures = MoviePictures(width, height);
    std::vector<RgbPalette> palettes = MoviePalettes();
    const std::string path = PathOf("movie" + std::to_string(width) + ".flc");
    WriteMovie(path, pictures, palettes, 40);

    const auto probe = testing::RunCommand(
        "ffprobe -v error -select_streams v:0 -show_entries "
        "stream=codec_name,pix_fmt,width,height,r_frame_rate -of "
        "default=noprint_wrappers=1 '" +
        path + "'");
    ASSERT_TRUE(probe.has_value());
    EXPECT_NE(probe->find("codec_name=flic"), std::string::npos) << *probe;
    EXPECT_NE(probe->find("pix_fmt=pal8"), std::string::npos) << *probe;
    EXPECT_NE(probe->find("width=" + std::to_string(width) + "\n"), std::string::npos) << *probe;
    EXPECT_NE(probe->find("height=10\n"), std::string::npos) << *probe;
    EXPECT_NE(probe->find("r_frame_rate=25/1"), std::string::npos) << *probe;

    // FFmpeg shows the ring frame as one more frame.
    pictures.push_back(pictures[0]);
    palettes.push_back(palettes[0]);
    ExpectFfmpegDecodes(path, pictures, palettes);
  }
}

TEST_F(FlcWriterTest, ByteRunSplitsLongRunsAndEndsLiteralsAtEqualNeighbours) {
  IndexedPicture picture(200, 2, 5);
  for (int x = 0; x < 200; ++x)
    picture.at(x, 1) = static_cast<std::uint8_t>(x < 4 ? std::array<int, 4>{1, 2, 3, 3}[x] : 9);
  const std::string path = PathOf("runs.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, 200, 2, 40), kFlcDone);
  const GlobalBlock dib = MakeDib(picture);
  const RgbPalette palette = PatternPalette(2);
  ASSERT_EQ(writer.WriteFrame(kFlicByteRun, dib.get(), palette.data()), kFlcDone);
  ASSERT_EQ(writer.Finish(), kFlcDone);

  const std::vector<WrittenFrame> frames = ParseFrames(*ReadWholeFile(path));
  ASSERT_EQ(frames.size(), 2u);
  ASSERT_EQ(frames[0].chunks, 2);
  EXPECT_EQ(frames[0].chunkData[0].first, kFlicColor256);
  EXPECT_EQ(frames[0].chunkData[0].second.substr(0, 4), Data({1, 0, 0, 0}));  // one packet of 256
  EXPECT_EQ(frames[0].chunkData[0].second.size(), 4u + 768u);
  EXPECT_EQ(frames[0].chunkData[1].first, kFlicByteRun);
  const std::string expected = Data({200, 127, 5, 73, 5}) +                 // the top line: 200 equal bytes
                               Data({200, -2, 1, 2, 2, 3, 127, 9, 69, 9});  // literal, run of 2, runs
  EXPECT_EQ(frames[0].chunkData[1].second, expected);
  EXPECT_EQ(frames[1].size, 16u);  // the ring frame: nothing changed since frame 0
}

TEST_F(FlcWriterTest, WordDeltaPairsSkipsLinesAndPaletteDeltas) {
  const int w = 8;
  const int h = 3;
  IndexedPicture picture(w, h, 0);
  RgbPalette palette = PatternPalette(1);
  const std::string path = PathOf("delta.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, w, h, 40), kFlcDone);
  auto write = [&](int type) {
    const GlobalBlock dib = MakeDib(picture);
    return writer.WriteFrame(type, dib.get(), palette.data());
  };
  ASSERT_EQ(write(kFlicByteRun), kFlcDone);
  picture.at(w - 1, 0) = 9;  // a lone change in the last column of the top line
  palette[765] = 7;          // the last entry only
  ASSERT_EQ(write(kFlicWordDelta), kFlcDone);
  picture.at(0, 2) = 4;  // the bottom line
  palette[30] ^= 1;      // entries 10 and 200..201
  palette[600] ^= 1;
  palette[605] ^= 1;
  ASSERT_EQ(write(kFlicWordDelta), kFlcDone);
  EXPECT_EQ(write(kFlicWordDelta), kFlcChunkDropped);  // nothing changed
  ASSERT_EQ(writer.Finish(), kFlcDone);

  const std::vector<WrittenFrame> frames = ParseFrames(*ReadWholeFile(path));
  ASSERT_EQ(frames.size(), 5u);
  ASSERT_EQ(frames[1].chunks, 2);
  EXPECT_EQ(frames[1].chunkData[0].second, Data({1, 0, 255, 1, palette[765], palette[766], palette[767]}));
  EXPECT_EQ(frames[1].chunkData[1].second, Data({1, 0, 1, 0, 6, 1, 0, 9}));  // the pair starts a byte earlier
  ASSERT_EQ(frames[2].chunks, 2);
  EXPECT_EQ(frames[2].chunkData[0].second,
            Data({2, 0, 10, 1, palette[30], palette[31], palette[32], 189, 2, palette[600], palette[601], palette[602],
                  palette[603], palette[604], palette[605]}));
  EXPECT_EQ(frames[2].chunkData[1].second, Data({1, 0, 0xFE, 0xFF, 1, 0, 0, 1, 4, 0}));  // skip two lines
  EXPECT_EQ(frames[3].size, 16u);
  EXPECT_EQ(frames[3].chunks, 0);
}

TEST_F(FlcWriterTest, BlackAndLiteralChunksAndFramesWithoutPicture) {
  const int w = 5;
  const int h = 2;
  const IndexedPicture picture = PatternPicture(w, h, 4);
  const RgbPalette palette = PatternPalette(3);
  const std::string path = PathOf("kinds.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, w, h, 40), kFlcDone);
  const GlobalBlock dib = MakeDib(picture);
  ASSERT_EQ(writer.WriteFrame(kFlicLiteral, dib.get(), palette.data()), kFlcDone);
  ASSERT_EQ(writer.WriteFrame(kFlicBlack, dib.get(), nullptr), kFlcDone);
  ASSERT_EQ(writer.WriteFrame(kFlicWordDelta, nullptr, nullptr), kFlcDone);  // an empty frame
  ASSERT_EQ(writer.Finish(), kFlcDone);

  const std::vector<WrittenFrame> frames = ParseFrames(*ReadWholeFile(path));
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0].chunkData[1].first, kFlicLiteral);
  EXPECT_EQ(frames[0].chunkData[1].second, testing::LiteralData(picture));
  EXPECT_EQ(frames[1].chunkData[0].first, kFlicBlack);
  EXPECT_EQ(frames[1].chunkData[0].second, "");
  ExpectFramesRead(path, {picture, IndexedPicture(w, h, 0), IndexedPicture(w, h, 0), picture},
                   {palette, palette, palette, palette});
}

TEST_F(FlcWriterTest, AFileWithoutFramesHasAValidHeader) {
  const std::string path = PathOf("empty.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, 16, 8, 40), kFlcDone);
  ASSERT_EQ(writer.Finish(), kFlcDone);
  EXPECT_EQ(writer.Finish(), kFlcNotOpen);
  const std::string file = *ReadWholeFile(path);
  ASSERT_EQ(file.size(), 128u);
  FlicHeader header;
  std::memcpy(&header, file.data(), sizeof header);
  EXPECT_EQ(header.frames, 0);
  EXPECT_EQ(header.fileSize, 128u);
  FlicFile flic;
  ASSERT_EQ(FlicOpen(flic, path), kFlicDone);
  EXPECT_EQ(FlicPlay(flic, 0), -1);
}

TEST_F(FlcWriterTest, RefusesBadArgumentsWithoutWriting) {
  FlcWriter writer;
  const GlobalBlock dib = MakeDib(IndexedPicture(4, 4, 1));
  EXPECT_EQ(writer.WriteFrame(kFlicByteRun, dib.get(), nullptr), kFlcNotOpen);
  EXPECT_EQ(writer.Finish(), kFlcNotOpen);
  EXPECT_EQ(writer.Create(PathOf("no/such/folder/x.flc"), 4, 4, 40), kFlcCreateFailed);
  EXPECT_EQ(writer.Create(PathOf("a.flc"), 0, 4, 40), kFlcBadSize);
  EXPECT_EQ(writer.Create(PathOf("a.flc"), 4, kFlicMaxSide + 1, 40), kFlcBadSize);

  const std::string path = PathOf("args.flc");
  ASSERT_EQ(writer.Create(path, 4, 4, 40), kFlcDone);
  const GlobalBlock other = MakeDib(IndexedPicture(4, 5, 1));
  EXPECT_EQ(writer.WriteFrame(kFlicByteRun, other.get(), nullptr), kFlcBadArgument);
  EXPECT_EQ(writer.WriteFrame(kFlicByteDelta, dib.get(), nullptr), kFlcBadArgument);
  GlobalBlock truecolour = GlobalBlock::Allocate(40 + 16 * 4);
  WriteDibHeader(GlobalLockGuard<std::uint8_t>(truecolour.get()).get(), MakeDib24Header(4, 4));
  EXPECT_EQ(writer.WriteFrame(kFlicByteRun, truecolour.get(), nullptr), kFlcBadArgument);
  EXPECT_EQ(writer.FramesWritten(), 0);
  ASSERT_EQ(writer.Finish(), kFlcDone);
  EXPECT_EQ(ReadWholeFile(path)->size(), 128u);
}

TEST_F(FlcWriterTest, UnfinishedWritersLeaveNoFileAndKeepAnOldOne) {
  const std::string path = PathOf("kept.flc");
  ASSERT_TRUE(WriteFileAtomically(path, "old contents"));
  {
    FlcWriter writer;
    ASSERT_EQ(writer.Create(path, 4, 4, 40), kFlcDone);
    const GlobalBlock dib = MakeDib(IndexedPicture(4, 4, 1));
    ASSERT_EQ(writer.WriteFrame(kFlicByteRun, dib.get(), nullptr), kFlcDone);
  }
  EXPECT_EQ(*ReadWholeFile(path), "old contents");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(PathOf("dropped.flc"), 4, 4, 40), kFlcDone);
  writer.Discard();
  EXPECT_EQ(writer.WriteFrame(kFlicByteRun, nullptr, nullptr), kFlcNotOpen);
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"kept.flc"});
}

// A full disk, made by a file size limit: the write fails, the failure is
// reported by every later call, and no file is left behind.
TEST_F(FlcWriterTest, AFullDiskIsAFailureAndLeavesNoFile) {
  const std::string path = PathOf("full.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, 64, 64, 40), kFlcDone);
  const GlobalBlock dib = MakeDib(PatternPicture(64, 64, 1));
  const RgbPalette palette = PatternPalette(1);

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 2048;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int written = writer.WriteFrame(kFlicByteRun, dib.get(), palette.data());
  const int later = writer.WriteFrame(kFlicWordDelta, dib.get(), palette.data());
  const int finished = writer.Finish();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedHandler);

  EXPECT_EQ(written, kFlcWriteFailed);
  EXPECT_EQ(later, kFlcWriteFailed);
  EXPECT_EQ(finished, kFlcWriteFailed);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(FlcWriterTest, StopsAtTheLargestFrameCount) {
  const std::string path = PathOf("long.flc");
  FlcWriter writer;
  ASSERT_EQ(writer.Create(path, 2, 1, 40), kFlcDone);
  const GlobalBlock dib = MakeDib(IndexedPicture(2, 1, 3));
  ASSERT_EQ(writer.WriteFrame(kFlicByteRun, dib.get(), nullptr), kFlcDone);
  for (int i = 1; i < 0xFFFF; ++i) ASSERT_EQ(writer.WriteFrame(kFlicWordDelta, dib.get(), nullptr), kFlcChunkDropped);
  EXPECT_EQ(writer.WriteFrame(kFlicWordDelta, dib.get(), nullptr), kFlcFileFull);
  ASSERT_EQ(writer.Finish(), kFlcDone);
  FlicHeader header;
  std::memcpy(&header, ReadWholeFile(path)->data(), sizeof header);
  EXPECT_EQ(header.frames, 0xFFFF);
}

}  // namespace
}  // namespace sprocket
