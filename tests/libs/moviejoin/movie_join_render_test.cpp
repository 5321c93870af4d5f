#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "imagelib/dib_header.h"
#include "join_test_media.h"
#include "media_test_clips.h"
#include "platform/le_bytes.h"
#include "platform/media/avi_index.h"
#include "platform/media/video_frame_reader.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::TempDir;

class MovieJoinRender : public ::testing::Test {
protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // A block holding a source sample as a renderer hands it over: the
  // stream format with biSizeImage set to the sample's size, then the sample.
  static GlobalBlock HandedSample(AviFileIndex& source, int stream, std::int64_t sample) {
    std::vector<std::uint8_t> format = source.Stream(stream).format;
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(source.ReadSample(stream, sample, &bytes));
    DibInfoHeader header = ReadDibHeader(format.data());
    header.biSizeImage = static_cast<std::uint32_t>(bytes.size());
    WriteDibHeader(format.data(), header);
    GlobalBlock block = GlobalBlock::Allocate(format.size() + bytes.size());
    GlobalLockGuard<std::uint8_t> out(block.get());
    std::memcpy(out.get(), format.data(), format.size());
    std::memcpy(out.get() + format.size(), bytes.data(), bytes.size());
    return block;
  }

  TempDir dir_;
};

TEST_F(MovieJoinRender, UncompressedMovieWithSoundHoldsThePicturesAndTheSoundExactly) {
  std::string out = Path("movie.avi");
  std::vector<std::uint8_t> sound = testing::WriteRampWav(Path("recorder.wav"), 16, 11025, 2, 11025);
  MovieJoinJob job = testing::SmallJob(out, "DIB ");
  job.params.soundMode = kJoinSoundMixed;
  job.soundPath = Path("recorder.wav");
  testing::NumberedFrames frames;
  std::vector<double> progressTimes;
  int shownPictures = 0;
  auto progress = [&](double t, const std::uint8_t* picture) {
    progressTimes.push_back(t);
    shownPictures += picture != nullptr;
  };
  MovieJoinOutcome outcome;
  ASSERT_EQ(testing::RunJob(
                job, frames.Callback(), progress, [] { return 0; }, &outcome),
            0)
      << outcome.detail;
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(outcome.framesWritten, 25);
  EXPECT_TRUE(outcome.message.empty());

  // One call a frame, at startMs + (int)(k / fps x 1000), sample copies allowed.
  ASSERT_EQ(frames.calls.size(), 25u);
  for (int k = 0; k < 25; ++k) {
    EXPECT_EQ(frames.calls[k].index, k);
    EXPECT_DOUBLE_EQ(frames.calls[k].timeMs, 1000.0 + 40 * k);
    EXPECT_DOUBLE_EQ(frames.calls[k].endTimeMs, frames.calls[k].timeMs);
    EXPECT_EQ(frames.calls[k].renderMode, kJoinRenderPassThrough);
  }
  // Progress after every frame with its picture, then the end of the range.
  ASSERT_EQ(progressTimes.size(), 26u);
  EXPECT_DOUBLE_EQ(progressTimes[24], 1960.0);
  EXPECT_DOUBLE_EQ(progressTimes[25], 2000.0);
  EXPECT_EQ(shownPictures, 25);

  AviFileIndex index;
  ASSERT_TRUE(index.Open(out)) << index.ErrorText();
  int video = index.FindStream(kStreamTypeVideo);
  int audio = index.FindStream(kStreamTypeAudio);
  ASSERT_GE(video, 0);
  ASSERT_GE(audio, 0);
  EXPECT_EQ(index.SampleCount(video), 25);
  EXPECT_EQ(index.Stream(video).header.dwRate, 25u);
  EXPECT_EQ(index.Stream(video).header.dwScale, 1u);
  const std::vector<std::uint8_t>& wave = index.Stream(audio).format;
  ASSERT_GE(wave.size(), 16u);
  EXPECT_EQ(ReadLe16(wave.data()), 1);      // PCM
  EXPECT_EQ(ReadLe16(wave.data() + 2), 2);  // channels
  EXPECT_EQ(ReadLe32(wave.data() + 4), 11025u);
  EXPECT_EQ(ReadLe16(wave.data() + 14), 16);  // bits

  // The sound, byte for byte, written every 5 frames among the pictures.
  std::vector<std::uint8_t> written;
  for (std::int64_t s = 0; s < index.SampleCount(audio); ++s) {
    std::vector<std::uint8_t> chunk;
    ASSERT_TRUE(index.ReadSample(audio, s, &chunk));
    written.insert(written.end(), chunk.begin(), chunk.end());
  }
  EXPECT_EQ(written, sound);
  EXPECT_EQ(index.SampleCount(audio), 5);
  EXPECT_LT(index.Stream(audio).samples[0].offset, index.Stream(video).samples[10].offset);
  EXPECT_GT(index.Stream(audio).samples[4].offset, index.Stream(video).samples[20].offset);

  // Our reader and ffmpeg decode exactly the pictures given.
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(out));
  for (int k = 0; k < 25; ++k) {
    EXPECT_EQ(testing::TopDownRows(reader.ReadFrame(k).get()),
              testing::TopDownRows(testing::MakeNumberedPicture(k).get()));
  }
  auto decoded = testing::DecodeWithFfmpeg(out, 64, 48);
  auto streams = testing::ProbeStreams(out);
  if (!decoded || !streams) GTEST_SKIP() << "ffmpeg is not installed";
  ASSERT_EQ(decoded->size(), 25u);
  for (int k = 0; k < 25; ++k) {
    EXPECT_EQ((*decoded)[k], testing::TopDownRows(testing::MakeNumberedPicture(k).get())) << "frame " << k;
  }
  ASSERT_EQ(streams->size(), 2u);
  std::map<std::string, std::string>& v = (*streams)[0];
  std::map<std::string, std::string>& a = (*streams)[1];
  EXPECT_EQ(v["codec_name"], "rawvideo");
  EXPECT_EQ(v["width"], "64");
  EXPECT_EQ(v["height"], "48");
  EXPECT_EQ(v["r_frame_rate"], "25/1");
  EXPECT_EQ(v["nb_read_packets"], "25");
  EXPECT_EQ(a["codec_name"], "pcm_s16le");
  EXPECT_EQ(a["sample_rate"], "11025");
  EXPECT_EQ(a["channels"], "2");
  EXPECT_EQ(a["nb_frames"], "11025");  // one second of sound
}

TEST_F(MovieJoinRender, CompressedMoviesDecodeToThePicturesWithinTolerance) {
  // Lossy compressors at quality 10000: each byte within a few levels on
  // average of the picture given; the frame numbers read exactly.
  constexpr double kMeanTolerance = 4.0;
  struct Case {
    const char* code;
    const char* probedTag;
    int keyEvery;  // 0: the compressor keeps its own key frames
  };
  for (const Case& c : {Case{"MJPG", "MJPG", 1}, Case{"FMP4", "FMP4", 10}, Case{"MSVC", "MSVC", 0}}) {
    SCOPED_TRACE(c.code);
    std::string out = Path(std::string(c.code) + ".avi");
    MovieJoinJob job = testing::SmallJob(out, c.code);
    job.params.keyFrameEvery = c.keyEvery;
    testing::NumberedFrames frames;
    MovieJoinOutcome outcome;
    ASSERT_EQ(testing::RunJob(job, frames.Callback(), {}, {}, &outcome), 0) << outcome.detail;
    EXPECT_EQ(testing::FrameNumbers(out), testing::Count(25));

    AviFileIndex index;
    ASSERT_TRUE(index.Open(out));
    int video = index.FindStream(kStreamTypeVideo);
    EXPECT_EQ(FourCCText(index.Stream(video).header.fccHandler), c.probedTag);
    if (c.keyEvery > 0) {
      int keys = 0;
      for (const AviSample& s : index.Stream(video).samples) keys += s.key;
      EXPECT_EQ(keys, (25 + c.keyEvery - 1) / c.keyEvery);
    }

    auto decoded = testing::DecodeWithFfmpeg(out, 64, 48);
    auto streams = testing::ProbeStreams(out);
    if (!decoded || !streams) continue;
    ASSERT_EQ(decoded->size(), 25u);
    for (int k = 0; k < 25; ++k) {
      testing::PictureDifference d =
          testing::Compare((*decoded)[k], testing::TopDownRows(testing::MakeNumberedPicture(k).get()));
      EXPECT_LE(d.mean, kMeanTolerance) << "frame " << k;
    }
    EXPECT_EQ((*streams)[0]["codec_tag_string"], c.probedTag);
    EXPECT_EQ((*streams)[0]["nb_read_packets"], "25");
    EXPECT_EQ((*streams)[0]["r_frame_rate"], "25/1");
  }
}

TEST_F(MovieJoinRender, EightBitMoviesShareOneFixedPalette) {
  std::string out = Path("palette.avi");
  MovieJoinJob job = testing::SmallJob(out, "DIB ");
  job.params.bitDepth = 8;
  job.params.paletteKind = 5;
  testing::NumberedFrames frames;
  ASSERT_EQ(testing::RunJob(job, frames.Callback()), 0);
  // Palette pictures leave no room for copied samples.
  EXPECT_EQ(frames.calls[0].renderMode, kJoinRenderPlain);

  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  int video = index.FindStream(kStreamTypeVideo);
  EXPECT_EQ(ReadDibHeader(index.Stream(video).format.data()).biBitCount, 8);
  EXPECT_EQ(testing::FrameNumbers(out), testing::Count(25));

  auto decoded = testing::DecodeWithFfmpeg(out, 64, 48);
  auto streams = testing::ProbeStreams(out);
  if (!decoded || !streams) GTEST_SKIP() << "ffmpeg is not installed";
  EXPECT_EQ((*streams)[0]["pix_fmt"], "pal8");
  ASSERT_EQ(decoded->size(), 25u);
  // Six levels of red and blue, seven of green: at most half a step off.
  for (int k = 0; k < 25; ++k) {
    EXPECT_LE(testing::Compare((*decoded)[k], testing::TopDownRows(testing::MakeNumberedPicture(k).get())).largest, 26);
  }
}

TEST_F(MovieJoinRender, NtscRatesAreStoredExactly) {
  std::string out = Path("ntsc.avi");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  job.params.framesPerSecond = 29.97f;
  job.params.frameCount = 30;
  job.params.startMs = 0;
  testing::NumberedFrames frames;
  ASSERT_EQ(testing::RunJob(job, frames.Callback()), 0);
  ASSERT_EQ(frames.calls.size(), 30u);
  EXPECT_DOUBLE_EQ(frames.calls[29].timeMs, static_cast<int>(29 / 29.97f * 1000.0));
  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  const AviStreamHeader& header = index.Stream(index.FindStream(kStreamTypeVideo)).header;
  EXPECT_EQ(header.dwRate, 30000u);
  EXPECT_EQ(header.dwScale, 1001u);
  EXPECT_EQ(header.dwLength, 30u);
}

TEST_F(MovieJoinRender, AStopKeepsTheFramesWrittenWithTheirSound) {
  std::string out = Path("stopped.avi");
  testing::WriteRampWav(Path("recorder.wav"), 8, 11025, 1, 11025);
  testing::WriteBytes(out, "an older movie");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  job.params.soundMode = kJoinSoundMixed;
  job.soundPath = Path("recorder.wav");
  job.params.interleave = 3;
  testing::NumberedFrames frames;
  int pumps = 0;
  auto pump = [&] { return ++pumps == 10 ? 1 : 0; };
  MovieJoinOutcome outcome;
  ASSERT_EQ(testing::RunJob(job, frames.Callback(), {}, pump, &outcome), 10);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(outcome.framesWritten, 10);
  EXPECT_EQ(frames.calls.size(), 10u);

  AviFileIndex index;
  ASSERT_TRUE(index.Open(out)) << index.ErrorText();
  EXPECT_EQ(index.SampleCount(index.FindStream(kStreamTypeVideo)), 10);
  // 10 frames of 1/25 s at 11025 Hz, 8-bit mono.
  EXPECT_EQ(index.Stream(index.FindStream(kStreamTypeAudio)).totalBytes, 4410u);
  EXPECT_EQ(testing::FrameNumbers(out), testing::Count(10));
  EXPECT_EQ(testing::FilesIn(dir_.path().string()), (std::vector<std::string>{"recorder.wav", "stopped.avi"}));
}

// A stop that keeps nothing, from the pump or from a frame callback: the
// movie is not made and the file of its name stays as it was.
TEST_F(MovieJoinRender, AStopDiscardingKeepsNothingAndLeavesTheEarlierFile) {
  std::string out = Path("ended.avi");
  testing::WriteBytes(out, "an older movie");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  for (const bool fromPump : {true, false}) {
    SCOPED_TRACE(fromPump);
    testing::NumberedFrames frames;
    const MovieJoinFrameCallback draw = frames.Callback();
    auto callback = [&](MovieJoinFrame& frame) {
      const int answer = draw(frame);
      return !fromPump && frame.index == 6 ? kJoinStopDiscarding : answer;
    };
    int pumps = 0;
    auto pump = [&] { return fromPump && ++pumps == 6 ? kJoinStopDiscarding : 0; };
    MovieJoinOutcome outcome;
    EXPECT_EQ(testing::RunJob(job, callback, {}, pump, &outcome), -1);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.failure, MovieJoinFailure::kNone);
    EXPECT_EQ(outcome.framesWritten, 0);
    EXPECT_EQ(frames.calls.size(), 7u - (fromPump ? 1u : 0u));
    EXPECT_EQ(testing::ReadBytes(out), "an older movie");
    EXPECT_EQ(testing::FilesIn(dir_.path().string()), std::vector<std::string>{"ended.avi"});
  }
}

TEST_F(MovieJoinRender, AFailedFrameStopsTheJobAndBeforeTheFirstFrameLeavesNothing) {
  std::string out = Path("failed.avi");
  testing::WriteBytes(out, "the user's file");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  for (int failAt : {0, 7}) {
    SCOPED_TRACE(failAt);
    auto callback = [failAt](MovieJoinFrame& frame) {
      if (frame.index == failAt) return -1;
      testing::DrawNumbered(frame, frame.index);
      return 0;
    };
    MovieJoinOutcome outcome;
    int result = testing::RunJob(job, callback, {}, {}, &outcome);
    EXPECT_EQ(outcome.failure, MovieJoinFailure::kFrame);
    EXPECT_EQ(outcome.message, "Processing stopped due to low/fragmented memory. Exit and restart Windows!");
    EXPECT_TRUE(outcome.stopped);
    if (failAt == 0) {
      EXPECT_EQ(result, -1);
      EXPECT_EQ(testing::ReadBytes(out), "the user's file");
    } else {
      EXPECT_EQ(result, 7);
      EXPECT_EQ(testing::FrameNumbers(out), testing::Count(7));
    }
    EXPECT_EQ(testing::FilesIn(dir_.path().string()), std::vector<std::string>{"failed.avi"});
  }
}

TEST_F(MovieJoinRender, APictureOfAnotherSizeStopsTheJob) {
  std::string out = Path("resized.avi");
  MovieJoinJob job = testing::SmallJob(out, "DIB ");
  auto callback = [](MovieJoinFrame& frame) {
    testing::DrawNumbered(frame, frame.index);
    if (frame.index == 3) {
      DibInfoHeader header = ReadDibHeader(frame.picture);
      header.biWidth = 128;
      WriteDibHeader(frame.picture, header);
    }
    return 0;
  };
  MovieJoinOutcome outcome;
  EXPECT_EQ(testing::RunJob(job, callback, {}, {}, &outcome), 3);
  EXPECT_EQ(outcome.failure, MovieJoinFailure::kFrame);
  EXPECT_EQ(testing::FrameNumbers(out), testing::Count(3));
}

TEST_F(MovieJoinRender, HandedSamplesAreCopiedUnchangedWhenTheyFit) {
  std::string source = Path("source.avi");
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("MJPG"), 20, 1), "");
  AviFileIndex from;
  ASSERT_TRUE(from.Open(source));
  int sourceVideo = from.FindStream(kStreamTypeVideo);

  std::string out = Path("passed.avi");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  job.params.frameCount = 20;
  std::vector<int> modes;
  auto callback = [&](MovieJoinFrame& frame) {
    modes.push_back(frame.renderMode);
    if (frame.renderMode == kJoinRenderPassThrough && frame.index >= 5 && frame.index < 15) {
      frame.result = kJoinFrameSample;
      frame.rawSample = HandedSample(from, sourceVideo, frame.index);
      frame.keyFrame = true;
      return 0;
    }
    testing::DrawNumbered(frame, frame.index);
    return 0;
  };
  int shown = 0;
  auto progress = [&](double, const std::uint8_t* picture) { shown += picture != nullptr; };
  ASSERT_EQ(testing::RunJob(job, callback, progress), 0);
  EXPECT_EQ(modes, std::vector<int>(20, kJoinRenderPassThrough));
  EXPECT_EQ(shown, 10);

  for (int k = 5; k < 15; ++k) EXPECT_EQ(testing::VideoSample(out, k), testing::VideoSample(source, k)) << k;
  EXPECT_EQ(testing::FrameNumbers(out), testing::Count(20));
}

TEST_F(MovieJoinRender, DeltaSamplesAreCopiedOnlyWhereTheirChainIsUnbroken) {
  // A source with a key frame every 5 frames, copied into a movie whose own
  // key frames are far apart: samples 3 and 4 cannot start a chain and are
  // rendered; from the key frame 5 on the chain is copied; the first picture
  // compressed after it is made a key frame.
  std::string source = Path("groups.avi");
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("FMP4"), 20, 5), "");
  AviFileIndex from;
  ASSERT_TRUE(from.Open(source));
  int sourceVideo = from.FindStream(kStreamTypeVideo);

  std::string out = Path("chained.avi");
  MovieJoinJob job = testing::SmallJob(out, "FMP4");
  job.params.frameCount = 20;
  job.params.keyFrameEvery = 100;
  std::vector<int> plainCalls;
  auto callback = [&](MovieJoinFrame& frame) {
    if (frame.renderMode == kJoinRenderPlain) plainCalls.push_back(frame.index);
    if (frame.renderMode == kJoinRenderPassThrough && frame.index >= 3 && frame.index < 13) {
      frame.result = kJoinFrameSample;
      frame.rawSample = HandedSample(from, sourceVideo, frame.index);
      frame.keyFrame = from.Stream(sourceVideo).samples[frame.index].key;
      return 0;
    }
    testing::DrawNumbered(frame, frame.index);
    return 0;
  };
  ASSERT_EQ(testing::RunJob(job, callback), 0);
  EXPECT_EQ(plainCalls, (std::vector<int>{3, 4}));

  for (int k = 5; k < 13; ++k) EXPECT_EQ(testing::VideoSample(out, k), testing::VideoSample(source, k)) << k;
  AviFileIndex index;
  ASSERT_TRUE(index.Open(out));
  const std::vector<AviSample>& samples = index.Stream(index.FindStream(kStreamTypeVideo)).samples;
  EXPECT_TRUE(samples[0].key);
  EXPECT_FALSE(samples[4].key);
  EXPECT_TRUE(samples[13].key);
  EXPECT_FALSE(samples[14].key);
  EXPECT_EQ(testing::FrameNumbers(out), testing::Count(20));
  auto decoded = testing::DecodeWithFfmpeg(out, 64, 48);
  if (!decoded) GTEST_SKIP() << "ffmpeg is not installed";
  ASSERT_EQ(decoded->size(), 20u);
  for (int k = 0; k < 20; ++k) {
    EXPECT_LE(testing::Compare((*decoded)[k], testing::TopDownRows(testing::MakeNumberedPicture(k).get())).mean, 6.0)
        << "frame " << k;
  }
}

TEST_F(MovieJoinRender, SamplesThatDoNotFitAreRenderedInstead) {
  // Compressed samples cannot stand in an uncompressed movie, and an empty
  // answer has nothing to copy: both frames are rendered plainly.
  std::string source = Path("source.avi");
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("MJPG"), 10, 1), "");
  AviFileIndex from;
  ASSERT_TRUE(from.Open(source));
  std::string out = Path("plain.avi");
  MovieJoinJob job = testing::SmallJob(out, "DIB ");
  job.params.frameCount = 10;
  std::vector<int> plainCalls;
  auto callback = [&](MovieJoinFrame& frame) {
    if (frame.renderMode == kJoinRenderPassThrough && (frame.index == 2 || frame.index == 6)) {
      frame.result = kJoinFrameSample;
      if (frame.index == 2) frame.rawSample = HandedSample(from, from.FindStream(kStreamTypeVideo), 2);
      frame.keyFrame = true;
      return 0;
    }
    if (frame.renderMode == kJoinRenderPlain) plainCalls.push_back(frame.index);
    testing::DrawNumbered(frame, frame.index);
    return 0;
  };
  ASSERT_EQ(testing::RunJob(job, callback), 0);
  EXPECT_EQ(plainCalls, (std::vector<int>{2, 6}));
  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(out));
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(testing::TopDownRows(reader.ReadFrame(k).get()),
              testing::TopDownRows(testing::MakeNumberedPicture(k).get()));
  }
}

// A callback may hand back decoded movie frames (of any size) where the
// movie's compressor takes them; they stand among rendered pictures in
// order, and a picture handed with one is shown. A frame handed back that
// cannot be taken is rendered, and no more are asked for; a movie that
// cannot take them never asks for them.
TEST_F(MovieJoinRender, DecodedFramesStandAmongRenderedPictures) {
  const std::string source = Path("larger.avi");
  ASSERT_EQ(testing::WriteNumberedClip(source, MakeFourCC("MJPG"), 10, 1), "");
  VideoFrameReader decoded;
  ASSERT_TRUE(decoded.Open(source));
  for (const char* code : {"MJPG", "DIB "}) {
    SCOPED_TRACE(code);
    const std::string out = Path("movie.avi");
    MovieJoinJob job = testing::SmallJob(out, code);
    job.params.frameCount = 10;
    std::vector<int> handed;
    auto callback = [&](MovieJoinFrame& frame) {
      if (frame.takesDecoded && frame.index % 3 != 0) {
        frame.result = kJoinFrameDecoded;
        if (frame.index != 7) frame.decoded = decoded.ReadDecodedFrame(frame.index);
        if (frame.index == 4) frame.shownPicture = frame.decoded.ToDib24();
        handed.push_back(frame.index);
        return 0;
      }
      testing::DrawNumbered(frame, frame.index);
      return 0;
    };
    std::vector<int> shown;
    auto progress = [&](double, const std::uint8_t* picture) {
      if (picture != nullptr) shown.push_back(testing::ReadPictureNumber(GlobalHandle(picture)));
    };
    ASSERT_EQ(testing::RunJob(job, callback, progress), 0);
    const bool decodes = std::string(code) == "MJPG";
    EXPECT_EQ(shown, decodes ? (std::vector<int>{0, 3, 4, 6, 7, 8, 9}) : testing::Count(10));
    EXPECT_EQ(testing::FrameNumbers(out), testing::Count(10));
    EXPECT_EQ(handed, decodes ? (std::vector<int>{1, 2, 4, 5, 7}) : std::vector<int>{});
  }
}

TEST_F(MovieJoinRender, TheBlocksFrameValuesReachTheCallback) {
  std::string out = Path("fields.avi");
  MovieJoinJob job = testing::SmallJob(out, "MJPG");
  job.params.fieldMode = 2;
  job.params.doubleSize = 1;
  job.params.frameCount = 3;
  testing::NumberedFrames frames;
  ASSERT_EQ(testing::RunJob(job, frames.Callback()), 0);
  ASSERT_EQ(frames.calls.size(), 3u);
  EXPECT_EQ(frames.calls[1].fieldMode, 2);
  EXPECT_EQ(frames.calls[1].doubleSize, 1);
  EXPECT_EQ(frames.calls[1].width, 64);
  EXPECT_EQ(frames.calls[1].height, 48);
  auto streams = testing::ProbeStreams(out);
  if (!streams) GTEST_SKIP() << "ffprobe is not installed";
  EXPECT_EQ((*streams)[0]["nb_read_packets"], "3");
}

}  // namespace
}  // namespace sprocket
