#include <gtest/gtest.h>

#include <cstring>

#include "libs/moviejoin/movie_join.h"
#include "libs/moviejoin/movie_join_block.h"
#include "platform/media/fourcc.h"

namespace sprocket {
namespace {

std::uint32_t WordAt(HGLOBAL block, std::size_t offset) {
  GlobalLockGuard<std::uint8_t> bytes(block);
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.get() + offset, 4);
  return value;
}

void SetWordAt(HGLOBAL block, std::size_t offset, std::uint32_t value) {
  GlobalLockGuard<std::uint8_t> bytes(block);
  std::memcpy(bytes.get() + offset, &value, 4);
}

std::string TextAt(HGLOBAL block, std::uint32_t offset) {
  GlobalLockGuard<std::uint8_t> bytes(block);
  return reinterpret_cast<const char*>(bytes.get() + offset);
}

MovieJoinJob CopyJob() {
  MovieJoinJob job;
  job.params.width = 720;
  job.params.height = 480;
  job.params.frameCount = 8;
  job.params.framesPerSecond = 29.97f;
  job.params.bitDepth = 24;
  job.params.soundMode = kJoinSoundNone;
  job.params.compressor = MakeFourCC("CFCC");
  job.params.quality = 10000;
  job.params.dataRate = -1;
  job.params.keyFrameEvery = 1;
  job.params.interleave = 30;
  job.params.audioBits = 8;
  job.params.audioRate = 11025;
  job.params.audioChannels = 1;
  job.outputPath = "/tmp/segment.avi";
  job.soundPath = "";
  job.firstPieces = {{1, 0, 4, "/board/a.avi"}, {2, 10, 12, "/board/b.avi"}};
  return job;
}

TEST(MovieJoinBlock, NumbersSitAtTheirOffsetsAndReferencesNameWhatFollows) {
  MovieJoinJob job = CopyJob();
  job.params.startMs = 1001;
  job.params.endMs = 1268;
  job.recordInText = "01:00:00:00";
  job.titleText = "Holiday";
  GlobalBlock block = PackMovieJoinJob(job);
  ASSERT_TRUE(block);

  EXPECT_EQ(WordAt(block.get(), 12), 720u);
  EXPECT_EQ(WordAt(block.get(), 16), 480u);
  EXPECT_EQ(WordAt(block.get(), 20), 8u);
  EXPECT_EQ(WordAt(block.get(), 24), 1001u);
  EXPECT_EQ(WordAt(block.get(), 28), 1268u);
  float fps = 0;
  std::uint32_t fpsBits = WordAt(block.get(), 36);
  std::memcpy(&fps, &fpsBits, 4);
  EXPECT_FLOAT_EQ(fps, 29.97f);
  EXPECT_EQ(WordAt(block.get(), 64), MakeFourCC("CFCC"));
  EXPECT_EQ(WordAt(block.get(), 76), 0xFFFFFFFFu);
  EXPECT_EQ(WordAt(block.get(), 84), 30u);
  EXPECT_EQ(WordAt(block.get(), 108), 0u);  // no second list

  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), 0)), "/tmp/segment.avi");
  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), 4)), "");
  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), 112)), "01:00:00:00");
  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), 116)), "Holiday");

  // The pieces are a chain of 20-byte nodes.
  std::uint32_t node = WordAt(block.get(), 104);
  ASSERT_GE(node, 120u);
  EXPECT_EQ(WordAt(block.get(), node), 1u);
  EXPECT_EQ(WordAt(block.get(), node + 4), 0u);
  EXPECT_EQ(WordAt(block.get(), node + 8), 4u);
  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), node + 12)), "/board/a.avi");
  std::uint32_t second = WordAt(block.get(), node + 16);
  EXPECT_EQ(WordAt(block.get(), second), 2u);
  EXPECT_EQ(TextAt(block.get(), WordAt(block.get(), second + 12)), "/board/b.avi");
  EXPECT_EQ(WordAt(block.get(), second + 16), 0u);

  MovieJoinJob back;
  std::string error;
  ASSERT_TRUE(UnpackMovieJoinJob(block.get(), &back, &error)) << error;
  EXPECT_EQ(back.outputPath, job.outputPath);
  EXPECT_EQ(back.soundPath, job.soundPath);
  EXPECT_EQ(back.firstPieces, job.firstPieces);
  EXPECT_TRUE(back.secondPieces.empty());
  EXPECT_EQ(back.recordInText, job.recordInText);
  EXPECT_EQ(back.titleText, job.titleText);
  EXPECT_EQ(back.params.interleave, 30);
  EXPECT_EQ(CountPieceFrames(back.firstPieces), 8);
}

TEST(MovieJoinBlock, AbsentTextsAndEmptyListsAreZero) {
  MovieJoinJob job;
  GlobalBlock block = PackMovieJoinJob(job);
  ASSERT_EQ(block.size(), 120u);
  for (std::size_t offset : {0u, 4u, 104u, 108u, 112u, 116u}) EXPECT_EQ(WordAt(block.get(), offset), 0u);
  MovieJoinJob back;
  std::string error;
  ASSERT_TRUE(UnpackMovieJoinJob(block.get(), &back, &error));
  EXPECT_FALSE(back.outputPath);
  EXPECT_FALSE(back.titleText);
}

TEST(MovieJoinBlock, DamagedBlocksAreRefusedWithoutReadingOutside) {
  auto refused = [](HGLOBAL block) {
    MovieJoinJob back;
    std::string error;
    bool read = UnpackMovieJoinJob(block, &back, &error);
    EXPECT_FALSE(error.empty());
    return !read;
  };
  // Too short, or no block at all.
  GlobalBlock shortBlock = GlobalBlock::Allocate(100);
  EXPECT_TRUE(refused(shortBlock.get()));
  EXPECT_TRUE(refused(nullptr));

  GlobalBlock block = PackMovieJoinJob(CopyJob());
  std::size_t size = block.size();
  std::uint32_t output = WordAt(block.get(), 0);
  std::uint32_t node = WordAt(block.get(), 104);

  // A reference past the end, or into the words themselves.
  SetWordAt(block.get(), 0, static_cast<std::uint32_t>(size));
  EXPECT_TRUE(refused(block.get()));
  SetWordAt(block.get(), 0, 8);
  EXPECT_TRUE(refused(block.get()));
  SetWordAt(block.get(), 0, output);

  // A text without its terminating zero.
  {
    GlobalLockGuard<std::uint8_t> bytes(block.get());
    bytes.get()[size - 1] = 'x';
  }
  EXPECT_TRUE(refused(block.get()));
  {
    GlobalLockGuard<std::uint8_t> bytes(block.get());
    bytes.get()[size - 1] = 0;
  }

  // A node that runs past the end, and a list that loops.
  SetWordAt(block.get(), 104, static_cast<std::uint32_t>(size - 10));
  EXPECT_TRUE(refused(block.get()));
  SetWordAt(block.get(), 104, node);
  SetWordAt(block.get(), node + 16, node);
  EXPECT_TRUE(refused(block.get()));

  // The library says why and writes nothing.
  MovieJoinOutcome outcome;
  EXPECT_EQ(WriteMovieFile(block.get(), {}, {}, {}, &outcome), -1);
  EXPECT_EQ(outcome.failure, MovieJoinFailure::kBadJob);
  EXPECT_NE(outcome.detail.find("loops"), std::string::npos) << outcome.detail;
}

}  // namespace
}  // namespace sprocket
