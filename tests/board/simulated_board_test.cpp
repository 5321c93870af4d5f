#include "platform/board/simulated_board.h"

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "imagelib/dib_header.h"
#include "platform/media/avi_writer.h"
#include "platform/media/movie_header.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings/profile.h"
#include "platform/settings/settings_keys.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

GlobalBlock SolidPicture(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  const std::size_t row = (kWidth * 3 + 3) & ~3u;
  GlobalBlock block = GlobalBlock::Allocate(sizeof(DibInfoHeader) + row * kHeight);
  GlobalLockGuard<std::uint8_t> bytes(block.get());
  const DibInfoHeader header = MakeDib24Header(kWidth, kHeight);
  std::memcpy(bytes.get(), &header, sizeof header);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = bytes.get() + sizeof header + y * row + x * 3;
      p[0] = blue;
      p[1] = green;
      p[2] = red;
    }
  }
  return block;
}

std::string WriteMovie(const std::filesystem::path& path, const char* codec, int frames) {
  AviVideoFormat format;
  format.width = kWidth;
  format.height = kHeight;
  format.rate = 25;
  format.compressor = MakeFourCC(codec);
  AviWriter writer;
  EXPECT_TRUE(writer.Open(path.string(), format, std::nullopt)) << writer.ErrorText();
  GlobalBlock picture = SolidPicture(200, 100, 50);
  for (int i = 0; i < frames; ++i) EXPECT_TRUE(writer.WriteFrame(picture.get()));
  EXPECT_TRUE(writer.Finish()) << writer.ErrorText();
  return path.string();
}

// Mean of the blue bytes of a frame.
double MeanBlue(const GlobalBlock& frame) {
  GlobalLockGuard<std::uint8_t> bytes(frame.get());
  const std::size_t row = (kWidth * 3 + 3) & ~3u;
  double sum = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) sum += bytes.get()[sizeof(DibInfoHeader) + y * row + x * 3];
  }
  return sum / (kWidth * kHeight);
}

TEST(VideoBoardTest, NoBoardUnlessTheSettingsAskForTheStandIn) {
  TempDir dir;
  Profile profile(dir.path() / "RODUVER.INI");
  std::unique_ptr<VideoBoard> board = OpenVideoBoard(profile);
  EXPECT_FALSE(board->IsPresent());
  EXPECT_FALSE(board->G_IsTfxBoardPresent());
  std::string prefix;
  EXPECT_FALSE(board->GetDiskPrefix(&prefix));
  EXPECT_TRUE(board->dudReadChunk("/any/clip.avi").empty());
  EXPECT_NE(board->dudWriteChunk("/any/clip.avi", 0, 1), 0);
  EXPECT_NE(board->PlayBoardClip({"/any/clip.avi", 0, 0, 320, 240, 25}), 0);

  profile.WriteProfileInt(settings::kBoard, settings::kBoardSimulate, 1);
  board = OpenVideoBoard(profile);
  ASSERT_TRUE(board->IsPresent());
  EXPECT_FALSE(board->G_IsTfxBoardPresent());
  EXPECT_EQ(dynamic_cast<SimulatedBoard&>(*board).disk(), dir.path() / "board");
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "board"));

  profile.WriteProfileString(settings::kBoard, settings::kBoardDisk, (dir.path() / "disk").string());
  profile.WriteProfileInt(settings::kBoard, settings::kBoardEffects, 1);
  board = OpenVideoBoard(profile);
  EXPECT_EQ(dynamic_cast<SimulatedBoard&>(*board).disk(), dir.path() / "disk");
  EXPECT_TRUE(board->G_IsTfxBoardPresent());
}

TEST(SimulatedBoardTest, SecondNameReplacesTwoLettersAfterTheLastDot) {
  EXPECT_EQ(BoardClipSecondName("/disk/junkz_1.PVD"), "/disk/junkz_1.PAT");
  EXPECT_EQ(BoardClipSecondName("/d.x/clip.P"), "/d.x/clip.P");
  EXPECT_EQ(BoardClipSecondName("/d.x/clip"), "/d.x/clip");
}

TEST(SimulatedBoardTest, BoardFormatIsTheBoardsOwnCompressor) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", false);
  EXPECT_EQ(board.dudCheck(WriteMovie(dir.path() / "native.avi", "CFCC", 2)), 1);
  EXPECT_EQ(board.dudCheck(WriteMovie(dir.path() / "plain.avi", "MJPG", 2)), 0);
  EXPECT_EQ(board.dudCheck((dir.path() / "missing.avi").string()), 0);
  EXPECT_EQ(board.dudCheck(dir.Write("text.avi", "not a movie").string()), 0);
}

TEST(SimulatedBoardTest, WritingAChunkMakesANewBoardClipEveryTime) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", false);
  const std::string scratch = WriteMovie(dir.path() / "junkz.avi", "CFCC", 3);
  ASSERT_EQ(board.dudWriteChunk(scratch, 0, 1), 0);
  BoardChunkList first = board.dudReadChunk(scratch);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].pieceId, 0);
  EXPECT_EQ(first[0].firstFrame, 0);
  EXPECT_EQ(first[0].lastFrame, 2);
  EXPECT_EQ(std::filesystem::path(first[0].clipName).parent_path(), dir.path() / "disk");
  EXPECT_TRUE(std::filesystem::exists(first[0].clipName));
  EXPECT_TRUE(std::filesystem::exists(BoardClipSecondName(first[0].clipName)));
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(BoardClipSecondName(first[0].clipName))) << reader.ErrorText();
  EXPECT_EQ(reader.FrameCount(), 3);

  // The scratch file is written again for the next segment: the first clip stays.
  WriteMovie(scratch, "CFCC", 1);
  ASSERT_EQ(board.dudWriteChunk(scratch, 0, 1), 0);
  BoardChunkList second = board.dudReadChunk(scratch);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_NE(second[0].clipName, first[0].clipName);
  EXPECT_EQ(second[0].lastFrame, 0);
  EXPECT_TRUE(std::filesystem::exists(first[0].clipName));

  // Another stand-in over the same disk sees the lists; the slave list names the second files.
  SimulatedBoard other(dir.path() / "disk", false);
  BoardChunkList slave = other.dudReadSlaveChunk(scratch);
  ASSERT_EQ(slave.size(), 1u);
  EXPECT_EQ(slave[0].clipName, BoardClipSecondName(second[0].clipName));
  EXPECT_TRUE(other.dudReadChunk((dir.path() / "other.avi").string()).empty());
}

TEST(SimulatedBoardTest, FilesThatAreNoMoviesMakeNoBoardClip) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", false);
  const std::string text = dir.Write("junk.avi", "RIFF").string();
  EXPECT_NE(board.dudWriteChunk(text, 0, 1), 0);
  EXPECT_TRUE(board.dudReadChunk(text).empty());
  EXPECT_NE(board.dudWriteChunk((dir.path() / "missing.avi").string(), 0, 1), 0);
}

TEST(SimulatedBoardTest, DisksRegistrationsAndPlays) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", false);
  std::string prefix = "x";
  ASSERT_TRUE(board.GetDiskPrefix(&prefix));
  EXPECT_EQ(prefix, "");
  const std::string movie = WriteMovie(dir.path() / "movie.avi", "CFCC", 1);
  EXPECT_EQ(board.IsClipFileMissing(movie, 1), 0);
  EXPECT_NE(board.IsClipFileMissing((dir.path() / "gone.PVD").string(), 1), 0);

  EXPECT_EQ(board.RegisterOutputPiece(movie, 0, "/tmp/zkb1.avi"), 0);
  ASSERT_EQ(board.registrations().size(), 1u);
  EXPECT_EQ(board.registrations()[0], (std::pair<std::string, std::string>{movie, "/tmp/zkb1.avi"}));
  std::ifstream registered(dir.path() / "disk" / "registered.txt");
  std::string line;
  ASSERT_TRUE(std::getline(registered, line));
  EXPECT_EQ(line, movie + "\t/tmp/zkb1.avi");

  EXPECT_EQ(board.PlayBoardClip({movie, 0, 0, 320, 240, 29}), 0);
  EXPECT_NE(board.PlayBoardClip({(dir.path() / "gone.avi").string(), 0, 0, 320, 240, 29}), 0);
  ASSERT_EQ(board.plays().size(), 1u);
  EXPECT_EQ(board.plays()[0], (ClipPlayRequest{movie, 0, 0, 320, 240, 29}));
}

TfxTransition Dissolve(std::int32_t lengthMs) {
  TfxTransition transition;
  transition.transitionId = 1;
  transition.segmentStart = 1000;
  transition.segmentEnd = 1000 + lengthMs;
  transition.width = kWidth;
  transition.height = kHeight;
  transition.framesPerSecond = 25.0;
  return transition;
}

TEST(SimulatedBoardTest, EffectsBoardCompilesTheDissolveIntoTwoClips) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", true);
  EXPECT_EQ(board.G_HasTfxEffect(Dissolve(400)), 1);
  TfxTransition sides = Dissolve(400);
  sides.leftTrack = 5;
  sides.rightTrack = 6;
  EXPECT_EQ(board.G_HasTfxEffect(sides), 2);
  TfxTransition wipe = Dissolve(400);
  wipe.transitionId = 7;
  EXPECT_EQ(board.G_HasTfxEffect(wipe), 0);

  std::vector<std::int32_t> times;
  TfxFrameSource frames = [&](int side, std::int32_t t) {
    if (side == 0) times.push_back(t);
    return side == 0 ? SolidPicture(0, 0, 0) : SolidPicture(200, 200, 200);
  };
  std::int32_t cancel = 0;
  std::optional<std::vector<TfxPiece>> pieces = board.G_CompileTfxEffect(Dissolve(400), frames, {}, &cancel);
  ASSERT_TRUE(pieces.has_value());
  EXPECT_EQ(cancel, 0);
  ASSERT_EQ(pieces->size(), 2u);
  EXPECT_EQ(times.size(), 10u);
  EXPECT_EQ(times.front(), 1000);
  EXPECT_EQ(times.back(), 1360);
  EXPECT_EQ((*pieces)[0].firstFrame, 0);
  EXPECT_EQ((*pieces)[0].lastFrame, 4);
  EXPECT_EQ((*pieces)[1].lastFrame, 4);
  EXPECT_NE((*pieces)[0].name, (*pieces)[1].name);

  VideoFrameReader first, second;
  ASSERT_TRUE(first.Open(board.TfxPiecePath((*pieces)[0])));
  ASSERT_TRUE(second.Open(board.TfxPiecePath((*pieces)[1])));
  EXPECT_EQ(board.dudCheck(board.TfxPiecePath((*pieces)[0])), 1);
  EXPECT_NEAR(MeanBlue(first.ReadFrame(0)), 0.0, 6.0);
  EXPECT_NEAR(MeanBlue(second.ReadFrame(4)), 200.0, 6.0);
  EXPECT_NEAR(MeanBlue(first.ReadFrame(4)), 200.0 * 4 / 9, 6.0);
}

TEST(SimulatedBoardTest, EffectsBoardStopsWhenThePumpSaysSo) {
  TempDir dir;
  SimulatedBoard board(dir.path() / "disk", true);
  std::int32_t cancel = 0;
  std::optional<std::vector<TfxPiece>> pieces = board.G_CompileTfxEffect(
      Dissolve(400), {}, [] { return 1; }, &cancel);
  ASSERT_TRUE(pieces.has_value());
  EXPECT_NE(cancel, 0);

  SimulatedBoard without(dir.path() / "disk2", false);
  EXPECT_FALSE(without.G_CompileTfxEffect(Dissolve(400), {}, {}, &cancel).has_value());
  EXPECT_FALSE(board.G_CompileTfxEffect(Dissolve(0), {}, {}, &cancel).has_value());
}

}  // namespace
}  // namespace sprocket
