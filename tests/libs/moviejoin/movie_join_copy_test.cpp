#include <gtest/gtest.h>

#include "join_test_media.h"
#include "media_test_clips.h"
#include "platform/media/avi_index.h"
#include "platform/media/video_frame_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

// Copy jobs as the segment renderer fills them: board-native code, no
// sound, pieces of already written files.
MovieJoinJob PieceJob(const std::string& out, const char* code, std::vector<MovieJoinPiece> pieces) {
  MovieJoinJob job = testing::SmallJob(out, code);
  job.params.frameCount = static_cast<std::int32_t>(CountPieceFrames(pieces));
  job.params.startMs = 0;
  job.params.endMs = 400;
  job.params.paletteKind = 0;
  job.params.outputKind = 0;
  job.params.dataRate = -1;
  job.params.interleave = 30;
  job.params.audioBits = 8;
  job.params.audioChannels = 1;
  job.firstPieces = std::move(pieces);
  return job;
}

class MovieJoinCopy : public ::testing::Test {
protected:
  std::string Clip(const std::string& name, const char* code, int frames, int keyEvery) {
    std::string path = (dir_ / name).string();
    EXPECT_EQ(testing::WriteNumberedClip(path, MakeFourCC(code), frames, keyEvery), "");
    return path;
  }
  TempDir dir_;
};

TEST_F(MovieJoinCopy, PiecesOfTheMoviesFormatAreCopiedSampleForSample) {
  std::string a = Clip("a.avi", "CFCC", 10, 1);
  std::string b = Clip("b.avi", "CFCC", 6, 1);
  std::string out = (dir_ / "segment.avi").string();
  MovieJoinOutcome outcome;
  ASSERT_EQ(testing::RunJob(PieceJob(out, "CFCC", {{1, 2, 6, a}, {2, 0, 4, b}}), {}, {}, {}, &outcome), 0)
      << outcome.detail;
  EXPECT_EQ(outcome.framesWritten, 10);

  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  int video = index.FindStream(kStreamTypeVideo);
  EXPECT_EQ(FourCCText(index.Stream(video).header.fccHandler), "CFCC");
  EXPECT_EQ(index.FindStream(kStreamTypeAudio), -1);
  ASSERT_EQ(index.SampleCount(video), 10);
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(testing::VideoSample(out, k), k < 5 ? testing::VideoSample(a, 2 + k) : testing::VideoSample(b, k - 5))
        << "frame " << k;
  }
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{2, 3, 4, 5, 6, 0, 1, 2, 3, 4}));
  auto streams = testing::ProbeStreams(out);
  if (!streams) GTEST_SKIP() << "ffprobe is not installed";
  EXPECT_EQ((*streams)[0]["codec_tag_string"], "CFCC");
  EXPECT_EQ((*streams)[0]["width"], "64");
  EXPECT_EQ((*streams)[0]["r_frame_rate"], "25/1");
  EXPECT_EQ((*streams)[0]["nb_read_packets"], "10");
}

TEST_F(MovieJoinCopy, FramesPastTheEndOfAFileRepeatItsLastFrame) {
  // A one-frame still render covering five frames.
  std::string still = Clip("still.avi", "CFCC", 1, 1);
  std::string out = (dir_ / "still_segment.avi").string();
  ASSERT_EQ(testing::RunJob(PieceJob(out, "CFCC", {{0, 0, 4, still}})), 0);
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{0, 0, 0, 0, 0}));
  for (int k = 0; k < 5; ++k) EXPECT_EQ(testing::VideoSample(out, k), testing::VideoSample(still, 0));

  // A last frame that is a delta is shown again by empty samples.
  std::string deltas = Clip("deltas.avi", "FMP4", 8, 100);
  out = (dir_ / "delta_segment.avi").string();
  ASSERT_EQ(testing::RunJob(PieceJob(out, "FMP4", {{0, 0, 10, deltas}})), 0);
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 7, 7, 7}));
  for (int k = 0; k < 8; ++k) EXPECT_EQ(testing::VideoSample(out, k), testing::VideoSample(deltas, k));
  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  EXPECT_EQ(index.Stream(index.FindStream(kStreamTypeVideo)).samples[9].size, 0u);
}

TEST_F(MovieJoinCopy, PiecesOfAnotherFormatAreDecodedAndCompressedAgain) {
  // Another code, a piece starting inside a group of pictures, and another
  // picture size (scaled to the movie's).
  std::string mjpg = Clip("mjpg.avi", "MJPG", 6, 1);
  std::string groups = Clip("groups.avi", "FMP4", 12, 5);
  std::string out = (dir_ / "mixed.avi").string();
  MovieJoinJob job = PieceJob(out, "FMP4", {{1, 1, 3, mjpg}, {2, 3, 7, groups}});
  job.params.keyFrameEvery = 100;
  ASSERT_EQ(testing::RunJob(job), 0);
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{1, 2, 3, 3, 4, 5, 6, 7}));
  // From the key frame 5 of the second piece on, its samples are copied.
  EXPECT_EQ(testing::VideoSample(out, 5), testing::VideoSample(groups, 5));

  std::string wide = (dir_ / "wide.avi").string();
  job = PieceJob(wide, "CFCC", {{1, 0, 2, Clip("small.avi", "CFCC", 3, 1)}});
  job.params.width = 128;
  job.params.height = 96;
  ASSERT_EQ(testing::RunJob(job), 0);
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(wide));
  EXPECT_EQ(reader.Width(), 128);
  EXPECT_EQ(testing::FrameNumbers(wide), (std::vector<int>{0, 1, 2}));
}

TEST_F(MovieJoinCopy, PiecesWithMixedSoundAndRenderJobsWithPieces) {
  std::string a = Clip("a.avi", "CFCC", 8, 1);
  std::vector<std::uint8_t> sound = testing::WriteRampWav((dir_ / "recorder.wav").string(), 16, 11025, 1, 3528);
  std::string out = (dir_ / "preview.avi").string();
  MovieJoinJob job = PieceJob(out, "CFCC", {{1, 0, 7, a}});
  job.params.soundMode = kJoinSoundMixed;
  job.soundPath = (dir_ / "recorder.wav").string();
  // A render job's pieces are copied too: its frame callback is not needed.
  int calls = 0;
  auto callback = [&](MovieJoinFrame&) { return ++calls, 0; };
  std::vector<double> times;
  auto progress = [&](double t, const std::uint8_t*) { times.push_back(t); };
  ASSERT_EQ(testing::RunJob(job, callback, progress), 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(times, (std::vector<double>{0, 40, 80, 120, 160, 200, 240, 280, 400}));
  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  int audio = index.FindStream(kStreamTypeAudio);
  ASSERT_GE(audio, 0);
  EXPECT_EQ(index.Stream(audio).totalBytes, sound.size());
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  auto streams = testing::ProbeStreams(out);
  if (!streams) GTEST_SKIP() << "ffprobe is not installed";
  EXPECT_EQ((*streams)[1]["codec_name"], "pcm_s16le");
  EXPECT_EQ((*streams)[1]["channels"], "1");
  EXPECT_EQ((*streams)[1]["nb_frames"], "3528");
}

TEST_F(MovieJoinCopy, ARenderJobRendersTheFramesOfPiecesItCannotRead) {
  std::string a = Clip("a.avi", "CFCC", 4, 1);
  std::string out = (dir_ / "movie.avi").string();
  MovieJoinJob job = PieceJob(out, "CFCC", {{1, 0, 3, a}, {2, 0, 2, (dir_ / "gone.avi").string()}, {3, 1, 2, a}});
  testing::NumberedFrames frames;
  ASSERT_EQ(testing::RunJob(job, frames.Callback()), 0);
  ASSERT_EQ(frames.calls.size(), 3u);
  EXPECT_EQ(frames.calls[0].index, 4);
  EXPECT_DOUBLE_EQ(frames.calls[0].timeMs, 160.0);
  EXPECT_EQ(testing::FrameNumbers(out), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 1, 2}));
}

TEST_F(MovieJoinCopy, AMissingPieceFailsACopyJob) {
  std::string a = Clip("a.avi", "CFCC", 4, 1);
  std::string notMovie = dir_.Write("notes.txt", "not a movie").string();
  std::string out = (dir_ / "segment.avi").string();
  for (const std::string& missing : {(dir_ / "gone.avi").string(), notMovie}) {
    SCOPED_TRACE(missing);
    MovieJoinOutcome outcome;
    EXPECT_EQ(testing::RunJob(PieceJob(out, "CFCC", {{1, 0, 3, a}, {2, 0, 1, missing}}), {}, {}, {}, &outcome), -1);
    EXPECT_EQ(outcome.failure, MovieJoinFailure::kSource);
    EXPECT_EQ(outcome.message, "Fail to open video stream of source avi file!");
    EXPECT_EQ(testing::FilesIn(dir_.path().string()), (std::vector<std::string>{"a.avi", "notes.txt"}));
  }
}

}  // namespace
}  // namespace sprocket
