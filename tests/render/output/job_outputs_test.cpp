// The render job's WAV output, its AVI output with a stand-in movie join
// library, and the display-only preview.

#include <algorithm>
#include <filesystem>

#include "job_test_fixture.h"
#include "platform/media/video_frame_reader.h"
#include "platform/message_pump.h"
#include "render/audio/audio_mixdown.h"
#include "render/audio/wav_file.h"
#include "render/output/movie_join_binding.h"

namespace sprocket::testing {
namespace {

using WavJob = RenderJobTest;

TEST_F(WavJob, MixesTheRangeIntoTheFileWithoutAMessage) {
  Movie().ABitsPerSample = 16;
  Movie().AChannels = 2;
  const std::string path = Path("sound.WAV");
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kWav, path}), kRenderJobDone);
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(path, &info), WaveReadStatus::kOk);
  EXPECT_EQ(info.format.samplesPerSec, 22050u);
  EXPECT_EQ(info.format.channels, 2);
  EXPECT_EQ(info.format.bitsPerSample, 16);
  // Whole frames of the timeline's rate.
  const std::int32_t rate = doc.Head()->rate;
  EXPECT_EQ(info.dataSize, FrameSampleStart(MixFrameOfTime(1000.0, rate), rate, 22050) * 4);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(ui.captions.front(), "Generating Wave File...");
  EXPECT_EQ(ui.statuses.front(), "Creating " + path);
  EXPECT_FALSE(ui.timeCodes.empty());
  EXPECT_FALSE(ui.waitCursor);
}

TEST_F(WavJob, AStoppedMixdownStillEndsWithOneAndAFinishedFile) {
  int pumps = 0;
  SetPumpHook([&pumps] {
    if (++pumps == 3) RequestAbort();
  });
  const std::string path = Path("stopped.wav");
  EXPECT_EQ(Run(RenderJob{0, 0, 10000, OutputKind::kWav, path}), kRenderJobDone);
  EXPECT_TRUE(runner->Stopped());
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(path, &info), WaveReadStatus::kOk);
  EXPECT_GT(info.dataSize, 0u);
  EXPECT_LT(info.dataSize, 22050u * 4u * 10u);
}

TEST_F(WavJob, OtherExtensionsAndUnwritablePathsAreRefused) {
  prompts.Expect("Output format not supported!");
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kWav, Path("sound.mp3")}), kRenderJobFailed);
  EXPECT_FALSE(std::filesystem::exists(Path("sound.mp3")));
  prompts.Expect("Error create WAV file! Make sure the drive you select is accessible.");
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kWav, Path("missing/sound.wav")}), kRenderJobFailed);
  // Any kind other than 1 to 4 is a WAV job.
  prompts.Expect("Output format not supported!");
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKindFromValue(9), Path("x.avi")}), kRenderJobFailed);
}

// A stand-in for the movie join library: records the job, renders a number
// of frames through the callbacks and answers a scripted result.
struct FakeJoin {
  MovieJoinJob job;
  bool soundFileExisted = false;
  int frames = 0;
  int result = 0;
  MovieJoinOutcome outcome;
  std::vector<std::int32_t> frameResults;
  std::vector<std::size_t> sampleSizes;
  bool stoppedByPump = false;

  MovieJoinRunner Runner() {
    return [this](const MovieJoinJob& seen, const MovieJoinFrameCallback& frame,
                  const MovieJoinProgressCallback& progress, const MovieJoinPumpCallback& pump, MovieJoinOutcome* out) {
      job = seen;
      soundFileExisted = seen.soundPath && std::filesystem::exists(*seen.soundPath);
      for (int k = 0; k < frames; ++k) {
        DibPicture picture = DibPicture::Black24(seen.params.width, seen.params.height);
        MovieJoinFrame request;
        request.index = k;
        request.timeMs = seen.params.startMs + 40.0 * k;
        request.endTimeMs = request.timeMs + 1.0;
        request.pictureBlock = picture.handle();
        request.picture = picture.data();
        request.width = seen.params.width;
        request.height = seen.params.height;
        request.fieldMode = seen.params.fieldMode;
        request.renderMode = kJoinRenderPassThrough;
        if (frame(request) != 0) return k > 0 ? k : -1;
        frameResults.push_back(request.result);
        sampleSizes.push_back(request.rawSample ? request.rawSample.size() : 0);
        progress(request.timeMs, request.result == kJoinFramePicture ? picture.data() : nullptr);
        if (pump() != 0) {
          stoppedByPump = true;
          break;
        }
      }
      *out = outcome;
      return result;
    };
  }
};

class AviJob : public RenderJobTest {
protected:
  AviJob() { join = fake.Runner(); }
  FakeJoin fake;
};

TEST_F(AviJob, FillsTheJoinBlockFromTheSettingsAndTheDocument) {
  Movie().VReserved1 = 0;
  Movie().VQuality = 6000;
  Movie().VDataRate = 300;
  Movie().VKeyFrame = 12;
  Movie().VInterleave = 4;
  Movie().VField = 2;
  Movie().VBitsPerPixel = 81;
  Movie().Vb2xAA = 1;
  Movie().VCompressionType = "MJPG";
  doc.bufferedMovie = 1;
  doc.Head()->captureName = "Title";
  TimelineEnd(doc.Head())->captureName = "00:01:00:00";
  fake.outcome.framesWritten = 1;
  const std::string path = Path("movie.avi");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 1 \nOutput File: " + path);
  EXPECT_EQ(Run(RenderJob{0, 1000, 1040, OutputKind::kAvi, path}), 1);
  const MovieJoinParams& p = fake.job.params;
  EXPECT_EQ(p.width, 32);
  EXPECT_EQ(p.height, 24);
  EXPECT_EQ(p.frameCount, 1);  // 40 ms at 25 frames a second
  EXPECT_EQ(p.startMs, 1000);
  EXPECT_EQ(p.endMs, 1040);
  EXPECT_EQ(p.paletteKind, 2);
  EXPECT_EQ(p.bitDepth, 8);
  EXPECT_FLOAT_EQ(p.framesPerSecond, 25.0f);
  EXPECT_EQ(p.doubleSize, 1);
  EXPECT_EQ(p.fieldMode, 2);
  EXPECT_EQ(p.diskBuffered, 1);
  EXPECT_EQ(p.outputKind, 1);
  EXPECT_EQ(p.soundMode, kJoinSoundNone);
  EXPECT_EQ(p.compressor, FourccValue("MJPG"));
  EXPECT_EQ(p.quality, 6000);
  EXPECT_EQ(p.dataRate, 300);
  EXPECT_EQ(p.keyFrameEvery, 12);
  EXPECT_EQ(p.interleave, 4);
  EXPECT_EQ(p.audioRate, 22050);
  EXPECT_EQ(fake.job.outputPath, path);
  EXPECT_EQ(fake.job.titleText, "Title");
  EXPECT_EQ(fake.job.recordInText, "00:01:00:00");
  EXPECT_FALSE(fake.soundFileExisted);  // no sound: no "recorder.wav"
  EXPECT_EQ(ui.captions.front(), "Generating Movie...");
}

TEST_F(AviJob, RenderedPiecesSetTheFrameCount) {
  doc.firstSpans = {RenderSpan{1, 0, 9, "a.avi"}, RenderSpan{2, 20, 24, "b.avi"}};
  doc.secondSpans = {RenderSpan{1, 0, 9, "a0.avi"}, RenderSpan{2, 20, 24, "b0.avi"}};
  fake.outcome.framesWritten = 15;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 15 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("m.avi")}), 15);
  EXPECT_EQ(fake.job.params.frameCount, 15);
  ASSERT_EQ(fake.job.firstPieces.size(), 2u);
  EXPECT_EQ(fake.job.firstPieces[1].fileName, "b.avi");
  EXPECT_EQ(fake.job.secondPieces[0].fileName, "a0.avi");
}

TEST_F(AviJob, TheSoundIsMixedIntoAScratchFileBeforeTheJoin) {
  Movie().VReserved1 = 1;
  temp.Write("recorder.wav", "a file of the user");
  fake.outcome.framesWritten = 25;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 25 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("m.avi")}), 25);
  EXPECT_EQ(fake.job.params.soundMode, kJoinSoundMixed);
  ASSERT_TRUE(fake.job.soundPath);
  EXPECT_TRUE(fake.soundFileExisted);
  EXPECT_EQ(std::filesystem::path(*fake.job.soundPath).filename(), "recorder.wav");
  EXPECT_NE(std::filesystem::path(*fake.job.soundPath).parent_path(), temp.path());
  // The scratch file is gone after the job; the user's file is untouched.
  EXPECT_FALSE(std::filesystem::exists(*fake.job.soundPath));
  EXPECT_TRUE(std::filesystem::exists(Path("recorder.wav")));
  EXPECT_EQ(std::find(ui.areaModes.begin(), ui.areaModes.end(), PictureAreaMode::kAudio) != ui.areaModes.end(), true);
}

TEST_F(AviJob, FrameCallbacksRenderPicturesAndHandOverCopiedSamples) {
  fake.frames = 3;
  fake.outcome.framesWritten = 3;
  copySamples = true;
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 3 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 120, OutputKind::kAvi, Path("m.avi")}), 3);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].mode, kRenderModePassThrough);
  EXPECT_DOUBLE_EQ(calls[1].time, 40.0);
  EXPECT_DOUBLE_EQ(calls[1].endTime, 41.0);
  EXPECT_EQ(calls[2].frameArg, 2);
  EXPECT_EQ(calls[0].outFile, doc.tempDir);
  EXPECT_TRUE(calls[0].hadTracks);
  EXPECT_FALSE(calls[0].hadPump);
  EXPECT_EQ(fake.frameResults, (std::vector<std::int32_t>{kJoinFrameSample, kJoinFrameSample, kJoinFrameSample}));
  EXPECT_EQ(fake.sampleSizes[0], 64u);
  EXPECT_EQ(ui.framesDone, 3);
}

TEST_F(AviJob, AStoppedJoinReportsItsFrames) {
  fake.frames = 30;
  ui.stopAfterFrames = 17;
  fake.result = 17;
  fake.outcome.stopped = true;
  fake.outcome.framesWritten = 17;
  prompts.Expect("Movie/Preview stopped! \n Frames compiled: 17 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 1200, OutputKind::kAvi, Path("m.avi")}), 17);
  EXPECT_TRUE(fake.stoppedByPump);
  EXPECT_TRUE(runner->Stopped());
}

TEST_F(AviJob, ASegmentRenderShowsNoMessageButAnswersTheFrames) {
  TheApp().segmentRenderFlag = 1;
  fake.outcome.framesWritten = 25;
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("seg.avi")}), 25);
  EXPECT_EQ(ui.captions.front(), "Rendering a segment...");
  EXPECT_TRUE(ui.statuses.empty());
  // The no-message switch of the document silences the message as well.
  TheApp().segmentRenderFlag = 0;
  doc.noMessage = 1;
  fake.result = 5;
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("seg.avi")}), 5);
}

TEST_F(AviJob, AFailedJoinShowsItsReason) {
  fake.result = -1;
  fake.outcome.failure = MovieJoinFailure::kCompressor;
  fake.outcome.message = "Error open compressor!";
  prompts.Expect("Error open compressor!");
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("m.avi")}), kRenderJobFailed);
  // A stop before the first frame writes nothing and says so.
  fake.outcome = MovieJoinOutcome{};
  fake.outcome.stopped = true;
  prompts.Expect("Movie/Preview stopped! \n Frames compiled: 0 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("m.avi")}), kRenderJobFailed);
}

TEST_F(AviJob, AFailedFrameStopsTheJoin) {
  fake.frames = 5;
  failAtCall = 3;
  fake.result = 2;  // what the library answers when the callback fails after two frames
  prompts.Expect("Movie/Preview stopped! \n Frames compiled: 2 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 1000, OutputKind::kAvi, Path("m.avi")}), 2);
  EXPECT_EQ(calls.size(), 3u);
}

// The movie join library reports the end once more after the last frame;
// the frame count shown stops at the movie's frames.
TEST_F(AviJob, TheFrameCountEndsAtTheMoviesFrames) {
  join = LibraryMovieJoin();
  Movie().VReserved1 = 0;
  Movie().VCompressionType = "DIB ";
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 3 \nOutput File: " + Path("m.avi"));
  EXPECT_EQ(Run(RenderJob{0, 0, 120, OutputKind::kAvi, Path("m.avi")}), 3);
  EXPECT_EQ(ui.framesDone, 3);
  EXPECT_EQ(ui.framesTotal, 3);
}

using DisplayOnlyJob = RenderJobTest;

TEST_F(DisplayOnlyJob, RendersSmallPicturesAndPlaysThemUntilStopped) {
  ui.stopAtWait = 6;
  std::string moviePath;
  std::int64_t movieFrames = 0;
  // Look at the scratch movie while the playback runs.
  SetPumpHook([&] {
    if (!ui.waits.empty() && moviePath.empty()) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(temp.path())) {
        if (entry.path().filename() == "recorder.avi") moviePath = entry.path().string();
      }
      VideoFrameReader reader;
      if (reader.Open(moviePath)) movieFrames = reader.FrameCount();
    }
  });
  EXPECT_EQ(Run(RenderJob{1, 0, 1000, OutputKind::kDisplayOnly, "display"}), kRenderJobDone);
  ASSERT_EQ(calls.size(), 5u);  // five frames a second
  for (std::size_t k = 0; k < calls.size(); ++k) {
    EXPECT_EQ(calls[k].width, 160);
    EXPECT_EQ(calls[k].height, 120);
    EXPECT_EQ(calls[k].mode, kRenderModeReuse);
    EXPECT_DOUBLE_EQ(calls[k].time, 200.0 * static_cast<double>(k));
    EXPECT_TRUE(calls[k].hadPump);
  }
  EXPECT_EQ(std::filesystem::path(calls[0].outFile).filename(), "recorder.avi");
  EXPECT_EQ(movieFrames, 5);
  EXPECT_EQ(ui.waits.size(), 6u);
  EXPECT_EQ(ui.waits[0], 200);
  // The playback starts again after the fifth picture.
  EXPECT_EQ(ui.timeCodes.back(), "00:00:00:00");
  EXPECT_EQ(ui.captions.front(), "Display Only Preview...");
  EXPECT_EQ(ui.statuses.front(), "Creating temporary file recorder.avi");
  EXPECT_FALSE(runner->Stopped());
  EXPECT_FALSE(std::filesystem::exists(moviePath));
}

TEST_F(DisplayOnlyJob, StoppingWhileRenderingDeletesTheScratchMovie) {
  ui.stopAfterFrames = 2;
  EXPECT_EQ(Run(RenderJob{1, 0, 2000, OutputKind::kDisplayOnly, "display"}), kRenderJobFailed);
  EXPECT_EQ(calls.size(), 2u);
  EXPECT_TRUE(runner->Stopped());
  EXPECT_EQ(ui.clears, 1);
  EXPECT_TRUE(ui.waits.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 0);
}

}  // namespace
}  // namespace sprocket::testing
