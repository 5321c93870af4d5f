#include <gtest/gtest.h>

#include <filesystem>

#include "join_test_media.h"
#include "media_test_clips.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

constexpr const char* kUsersFile = "the user's earlier movie";

class MovieJoinFailures : public ::testing::Test {
protected:
  // Runs a job whose output path holds a file of the user's, and expects
  // it to fail with `failure` and `message` and to leave the folder as it
  // was.
  void ExpectFailure(MovieJoinJob job, MovieJoinFailure failure, const std::string& message,
                     const MovieJoinFrameCallback& frames = testing::NumberedFrames().Callback()) {
    std::vector<std::string> before = testing::FilesIn(dir_.path().string());
    MovieJoinOutcome outcome;
    EXPECT_EQ(testing::RunJob(job, frames, {}, {}, &outcome), -1);
    EXPECT_EQ(outcome.failure, failure);
    EXPECT_EQ(outcome.message, message);
    EXPECT_FALSE(outcome.detail.empty());
    EXPECT_EQ(testing::FilesIn(dir_.path().string()), before);
    EXPECT_EQ(testing::ReadBytes(out_), kUsersFile);
  }
  void SetUp() override { testing::WriteBytes(out_, kUsersFile); }

  TempDir dir_;
  std::string out_ = (dir_ / "movie.avi").string();
};

TEST_F(MovieJoinFailures, AFullDiskFailsTheMovieAndKeepsTheEarlierFile) {
  testing::WriteRampWav((dir_ / "recorder.wav").string(), 16, 11025, 2, 4 * 11025);
  MovieJoinJob job = testing::SmallJob(out_, "DIB ");
  job.params.frameCount = 100;
  job.params.soundMode = kJoinSoundMixed;
  job.soundPath = (dir_ / "recorder.wav").string();
  // A file-size limit makes writes fail the way a full disk does: the 100
  // uncompressed pictures need about 900 KB.
  std::vector<std::string> before = testing::FilesIn(dir_.path().string());
  MovieJoinOutcome outcome;
  testing::NumberedFrames frames;
  int result = 0;
  {
    testing::ScopedFileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.Active());
    result = testing::RunJob(job, frames.Callback(), {}, {}, &outcome);
  }

  EXPECT_EQ(result, -1);
  EXPECT_EQ(outcome.failure, MovieJoinFailure::kWrite);
  EXPECT_EQ(outcome.message, "Error writing frames. You may have run out of disk space!");
  EXPECT_LT(frames.calls.size(), 50u) << outcome.detail;  // the job ends soon after the disk is full
  EXPECT_EQ(testing::FilesIn(dir_.path().string()), before);
  EXPECT_EQ(testing::ReadBytes(out_), kUsersFile);
}

TEST_F(MovieJoinFailures, UnusableSettingsAreRefusedBeforeAnythingIsWritten) {
  MovieJoinJob job = testing::SmallJob(out_, "MJPG");
  job.params.framesPerSecond = 0.0f;
  ExpectFailure(job, MovieJoinFailure::kBadJob, "FrameRate equals zero!");

  const std::string kBadJob = "The movie settings cannot be used to make a movie.";
  job = testing::SmallJob(out_, "MJPG");
  job.params.framesPerSecond = -25.0f;
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob);
  job = testing::SmallJob(out_, "MJPG");
  job.params.width = 0;
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob);
  job = testing::SmallJob(out_, "MJPG");
  job.params.frameCount = 0;
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob);
  job = testing::SmallJob(out_, "MJPG");
  job.outputPath.reset();
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob);
  // A copy job without pieces, and pieces without frames.
  job = testing::SmallJob(out_, "CFCC");
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob, {});
  job.firstPieces = {{1, 5, 4, (dir_ / "movie.avi").string()}};
  ExpectFailure(job, MovieJoinFailure::kBadJob, kBadJob, {});
}

TEST_F(MovieJoinFailures, CompressorsFilesAndSoundThatCannotBeUsed) {
  // A code without a compressor.
  MovieJoinJob job = testing::SmallJob(out_, "IV50");
  ExpectFailure(job, MovieJoinFailure::kCompressor, "Error open compressor!");
  // A format the compressor refuses: msvideo1 takes sizes of multiples of 4 only.
  job = testing::SmallJob(out_, "MSVC");
  job.params.width = 66;
  ExpectFailure(job, MovieJoinFailure::kCompressor, "Error open compressor!");

  // A folder that does not exist, and a folder as the output.
  job = testing::SmallJob((dir_ / "no such folder" / "movie.avi").string(), "MJPG");
  ExpectFailure(job, MovieJoinFailure::kCreateFile,
                "Error create AVI file! Make sure the drive you select is accessible.");
  job = testing::SmallJob(dir_.path().string(), "MJPG");
  ExpectFailure(job, MovieJoinFailure::kCreateFile,
                "Error create AVI file! Make sure the drive you select is accessible.");

  // Mixed sound that is missing, not named, or not PCM a movie can carry.
  job = testing::SmallJob(out_, "MJPG");
  job.params.soundMode = kJoinSoundMixed;
  job.soundPath = (dir_ / "recorder.wav").string();
  ExpectFailure(job, MovieJoinFailure::kSound, "Fail to open wave file!");
  job.soundPath = "";
  ExpectFailure(job, MovieJoinFailure::kSound, "Fail to open wave file!");
  testing::WriteRampWav((dir_ / "recorder.wav").string(), 24, 11025, 1, 100);
  job.soundPath = (dir_ / "recorder.wav").string();
  ExpectFailure(job, MovieJoinFailure::kSound, "Fail to open wave file!");
  testing::WriteBytes((dir_ / "recorder.wav").string(), "RIFF\x24\x00\x00\x00WAVEfmt ");
  ExpectFailure(job, MovieJoinFailure::kSound, "Fail to open wave file!");
}

}  // namespace
}  // namespace sprocket
