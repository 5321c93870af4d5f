// sprocket-render end to end: a small timeline rendered to every output,
// checked with our readers and with ffprobe and ffmpeg.

#include "cli/render_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "join_test_media.h"
#include "outside_tools.h"
#include "platform/application_state.h"
#include "platform/imagefile/image_file_library.h"
#include "platform/message_pump.h"
#include "platform/prompts.h"
#include "platform/settings_store.h"
#include "render/audio/wav_file.h"
#include "render/flic/flic_reader.h"
#include "render/output/job_frame_renderer.h"
#include "render/output/movie_join_binding.h"
#include "render/picture/picture_ops.h"
#include "render_test_project.h"
#include "scripted_prompts.h"
#include "timeline/document/document.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {
namespace {

// Movie settings of 64 x 48 at 25 frames a second with 16-bit stereo sound
// at 22050 Hz, the compressor and sound switch as given.
std::string Settings(const std::string& codec = "DIB ", int sound = 1, const std::string& more = "") {
  return "VFramesPerSec=2500\nVResWidth=64\nVResHeight=48\nVCompressionType=" + codec +
         "\nVReserved1=" + std::to_string(sound) +
         "\nABitsPerSample=16\nASamplesPerSec=22050\nAChannels=2\n"
         "FResWidth=64\nFResHeight=48\nIResWidth=64\nIResHeight=48\nIFileType=0\n" +
         more;
}

using Frames = std::vector<std::vector<std::uint8_t>>;

RenderOptions Options(const std::string& timeline, const std::string& out, OutputType type) {
  RenderOptions options;
  options.timeline = timeline;
  options.out = out;
  options.type = type;
  return options;
}

class RenderCommand : public ::testing::Test {
protected:
  RenderCommand() {
    ClearAbort();
    SetPumpHook({});
  }
  ~RenderCommand() override {
    SetPumpHook({});
    ClearAbort();
  }
  // Stops the render at the pump with this number.
  void StopAtPump(int number) {
    pumps_ = 0;
    SetPumpHook([this, number] {
      if (++pumps_ == number) RequestAbort();
    });
  }
  static bool HaveTools() { return ToolAvailable("ffprobe") && ToolAvailable("ffmpeg"); }

private:
  int pumps_ = 0;
};

TEST_F(RenderCommand, UncompressedAviEqualsTheCompositorsFramesAndCarriesTheSound) {
  if (!HaveTools()) GTEST_SKIP() << "ffprobe and ffmpeg are needed";
  RenderTestProject project(Settings());
  const std::string out = project.Path("movie.avi");
  ASSERT_EQ(RunRenderCommand(Options(project.Timeline(), out, OutputType::kAvi), stderr), kExitWritten);
  EXPECT_EQ(ProbeStream(out, "v:0", "codec_name,width,height,r_frame_rate,nb_frames"),
            "codec_name=rawvideo|width=64|height=48|r_frame_rate=25/1|nb_frames=25");
  EXPECT_EQ(ProbeStream(out, "a:0", "codec_name,sample_rate,channels,nb_frames"),
            "codec_name=pcm_s16le|sample_rate=22050|channels=2|nb_frames=22050");
  std::vector<std::vector<std::uint8_t>> frames = DecodeWithFfmpeg(out, 64, 48).value_or(Frames());
  ASSERT_EQ(frames.size(), 25u);
  for (int k = 0; k < 25; k += 6) {
    std::vector<std::uint8_t> expected = project.ComposedFrame(40.0 * k, 64, 48);
    EXPECT_EQ(Compare(frames[static_cast<std::size_t>(k)], expected).largest, 0) << k;
    // Picture k of the clip, bottom-left pixel.
    EXPECT_EQ(frames[static_cast<std::size_t>(k)][47 * 64 * 3], ClipBlue(k));
  }
  // No scratch file is left in the temporary folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.Path("temp")), {}), 1);
}

TEST_F(RenderCommand, DiskBufferedFramesMakeTheSameMovie) {
  if (!HaveTools()) GTEST_SKIP() << "ffprobe and ffmpeg are needed";
  RenderTestProject project(Settings("DIB ", 0));
  LoadApplicationSettings(TheApp(), AppProfile());
  CTestDoc doc;
  ASSERT_TRUE(ReadTimelineFile(project.Timeline(), doc));
  doc.bufferedMovie = 1;
  ScriptedPrompts prompts;
  const std::string out = project.Path("buffered.avi");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 25 \nOutput File: " + out);
  NullRenderUi ui;
  RenderJobServices services;
  services.renderFrame = [](const RenderFrameArgs&, std::int32_t*) { return kRenderNoMemory; };
  services.renderFrameBuffered = BufferedFrameRenderer();
  services.joinMovie = LibraryMovieJoin();
  RenderJobRunner runner(doc, ui, services);
  ASSERT_EQ(runner.Run(RenderJob{0, 0, 1000, OutputKind::kAvi, out}), 25);
  std::vector<std::vector<std::uint8_t>> frames = DecodeWithFfmpeg(out, 64, 48).value_or(Frames());
  ASSERT_EQ(frames.size(), 25u);
  for (int k : {0, 11, 24}) {
    EXPECT_EQ(Compare(frames[static_cast<std::size_t>(k)], project.ComposedFrame(40.0 * k, 64, 48)).largest, 0) << k;
  }
}

// Counts the pictures shown and stops the playback at a wait.
class PlaybackUi : public NullRenderUi {
public:
  void ShowPicture(const std::uint8_t*) override { ++pictures; }
  void Wait(int) override {
    if (++waits == 7) RequestAbort();
  }
  int pictures = 0;
  int waits = 0;
};

TEST_F(RenderCommand, DisplayOnlyPreviewRendersAndPlaysWithTheCompositor) {
  RenderTestProject project(Settings());
  LoadApplicationSettings(TheApp(), AppProfile());
  CTestDoc doc;
  ASSERT_TRUE(ReadTimelineFile(project.Timeline(), doc));
  PlaybackUi ui;
  RenderJobServices services;
  services.renderFrame = CompositorFrameRenderer();
  RenderJobRunner runner(doc, ui, services);
  // One second at five frames a second, played until the seventh step.
  EXPECT_EQ(runner.Run(RenderJob{1, 0, 1000, OutputKind::kDisplayOnly, "display"}), 1);
  EXPECT_EQ(runner.FramesWritten(), 5);
  EXPECT_EQ(ui.waits, 7);
  EXPECT_GE(ui.pictures, 5 + 7);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.Path("temp")), {}), 1);
}

TEST_F(RenderCommand, MjpegAviStaysCloseToTheCompositorsFrames) {
  if (!HaveTools()) GTEST_SKIP() << "ffprobe and ffmpeg are needed";
  RenderTestProject project(Settings("MJPG", 1, "VQuality=9000\n"));
  const std::string out = project.Path("movie.avi");
  ASSERT_EQ(RunRenderCommand(Options(project.Timeline(), out, OutputType::kAvi), stderr), kExitWritten);
  EXPECT_EQ(ProbeStream(out, "v:0", "codec_tag_string,nb_frames"), "codec_tag_string=MJPG|nb_frames=25");
  std::vector<std::vector<std::uint8_t>> frames = DecodeWithFfmpeg(out, 64, 48).value_or(Frames());
  ASSERT_EQ(frames.size(), 25u);
  // JPEG compression: a mean error of a few levels per byte.
  for (int k : {0, 12, 24}) {
    PictureDifference difference =
        Compare(frames[static_cast<std::size_t>(k)], project.ComposedFrame(40.0 * k, 64, 48));
    EXPECT_LT(difference.mean, 4.0) << k;
  }
}

TEST_F(RenderCommand, FlcAnimationHoldsEveryFrameInItsPalette) {
  RenderTestProject project(Settings());
  const std::string out = project.Path("movie.flc");
  ASSERT_EQ(RunRenderCommand(Options(project.Timeline(), out, OutputType::kFlc), stderr), kExitWritten);
  FlicFile flic;
  ASSERT_EQ(FlicOpen(flic, out), kFlicDone);
  EXPECT_EQ(flic.Width(), 64);
  EXPECT_EQ(flic.Height(), 48);
  EXPECT_EQ(flic.header.frames, 25);
  EXPECT_EQ(flic.header.speed, 40u);
  for (int k = 0; k < 25; ++k) {
    ASSERT_EQ(FlicReadFrame(flic), kFlicDone);
    if (k % 8 != 0) continue;
    // The animation's pixels (top line first) against the composed frame.
    std::vector<std::uint8_t> expected = project.ComposedFrame(40.0 * k, 64, 48);
    std::vector<std::uint8_t> decoded;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        const std::uint8_t* colour = flic.ColorTable() + flic.Pixels()[y * flic.Stride() + x] * 4;
        decoded.insert(decoded.end(), colour, colour + 3);
      }
    }
    // 256 colours for a whole animation of smooth gradients: a mean error
    // of up to 12 levels a byte.
    EXPECT_LT(Compare(decoded, expected).mean, 12.0) << k;
  }
  FlicClose(flic);
  if (ToolAvailable("ffprobe")) {
    EXPECT_EQ(ProbeStream(out, "v:0", "codec_name,width,height"), "codec_name=flic|width=64|height=48");
  }
}

TEST_F(RenderCommand, ImageSequenceWritesExactBitmaps) {
  RenderTestProject project(Settings());
  std::filesystem::create_directories(project.Path("seq"));
  const std::string base = project.Path("seq/shot");
  ASSERT_EQ(RunRenderCommand(Options(project.Timeline(), base, OutputType::kImageSequence), stderr), kExitWritten);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.Path("seq")), {}), 25);
  for (int k : {0, 13, 24}) {
    char name[32];
    std::snprintf(name, sizeof name, "seq/shot%04d.BMP", k);
    ImageFileLibrary& images = ImageFiles();
    const ImageHandle image = images.Open(project.Path(name));
    ASSERT_GE(image, 0) << name;
    DibPicture picture = CopyImageDib(image);
    images.Free(image);
    ASSERT_TRUE(picture);
    EXPECT_EQ(Compare(TopDownRows(picture.handle()), project.ComposedFrame(40.0 * k, 64, 48)).largest, 0) << name;
  }
}

// Image files take the first four characters of the prefix only, and a
// longer prefix is told so on stderr.
TEST_F(RenderCommand, ALongImagePrefixIsCutToFourCharactersAndSaysSo) {
  RenderTestProject project(Settings());
  std::filesystem::create_directories(project.Path("seq"));
  for (auto [prefix, name] : {std::pair{"takeone", "take"}, std::pair{"ab", "ab"}}) {
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    const RenderOptions options =
        Options(project.Timeline(), project.Path("seq/") + prefix, OutputType::kImageSequence);
    EXPECT_EQ(RunRenderCommand(options, err), kExitWritten) << prefix;
    const std::string text = StreamText(err);
    std::fclose(err);
    EXPECT_EQ(text.find("first 4 characters of the prefix: \"takeone\" becomes \"take\"") != std::string::npos,
              name == std::string("take"))
        << text;
    EXPECT_TRUE(std::filesystem::exists(project.Path("seq/") + name + "0024.BMP")) << prefix;
  }
}

TEST_F(RenderCommand, WavFileHoldsTheTone) {
  RenderTestProject project(Settings());
  const std::string out = project.Path("sound.wav");
  ASSERT_EQ(RunRenderCommand(Options(project.Timeline(), out, OutputType::kWav), stderr), kExitWritten);
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(out, &info), WaveReadStatus::kOk);
  EXPECT_EQ(info.format.samplesPerSec, 22050u);
  EXPECT_EQ(info.dataSize, 22050u * 4u);
  if (ToolAvailable("ffprobe")) {
    EXPECT_EQ(ProbeStream(out, "a:0", "codec_name,sample_rate,channels,duration"),
              "codec_name=pcm_s16le|sample_rate=22050|channels=2|duration=1.000000");
  }
  // The tone passes unchanged: sample 1000 of the left channel.
  const auto bytes =
      RunCommand("od -An -t d2 -j " + std::to_string(info.dataOffset + 1000 * 4) + " -N 4 '" + out + "'");
  ASSERT_TRUE(bytes);
  const int left = std::stoi(*bytes);
  EXPECT_NEAR(left, std::lround(8000.0 * std::sin(1000 * 2.0 * M_PI * 441.0 / 22050)), 1);
}

TEST_F(RenderCommand, StoppingKeepsWhatEachOutputSaysAndExitsWithTwo) {
  RenderTestProject project(Settings("DIB ", 0));
  StopAtPump(3);
  const std::string avi = project.Path("stopped.avi");
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), avi, OutputType::kAvi), stderr), kExitStopped);
  if (ToolAvailable("ffprobe")) {
    EXPECT_EQ(ProbeStream(avi, "v:0", "nb_frames"), "nb_frames=3");
  }

  ClearAbort();
  StopAtPump(3);
  const std::string flc = project.Path("stopped.flc");
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), flc, OutputType::kFlc), stderr), kExitStopped);
  FlicFile flic;
  ASSERT_EQ(FlicOpen(flic, flc), kFlicDone);
  EXPECT_EQ(flic.header.frames, 4);
  FlicClose(flic);

  ClearAbort();
  StopAtPump(3);
  std::filesystem::create_directories(project.Path("seq"));
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), project.Path("seq/s"), OutputType::kImageSequence), stderr),
            kExitStopped);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(project.Path("seq")), {}), 3);

  ClearAbort();
  StopAtPump(3);
  const std::string wav = project.Path("stopped.wav");
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), wav, OutputType::kWav), stderr), kExitStopped);
  WaveFileInfo info;
  ASSERT_EQ(ReadWaveFileInfo(wav, &info), WaveReadStatus::kOk);
  EXPECT_LT(info.dataSize, 22050u * 4u);
  // Nothing half-written is left beside the outputs.
  for (const auto& entry : std::filesystem::directory_iterator(project.Path("."))) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "stopped.avi" || name == "stopped.flc" || name == "stopped.wav" || name == "seq" ||
                name == "card.avi" || name == "tone.wav" || name == "project.tle" || name == "config" || name == "temp")
        << name;
  }
}

TEST_F(RenderCommand, RangesAndRefusals) {
  RenderTestProject project(Settings());
  RenderOptions options = Options(project.Timeline(), project.Path("part.avi"), OutputType::kAvi);
  options.rangeStart = 200;
  options.rangeEnd = 400;
  ASSERT_EQ(RunRenderCommand(options, stderr), kExitWritten);
  if (ToolAvailable("ffprobe")) {
    EXPECT_EQ(ProbeStream(project.Path("part.avi"), "v:0", "nb_frames"), "nb_frames=5");
  }

  EXPECT_EQ(RunRenderCommand(Options(project.Path("none.tle"), project.Path("x.avi"), OutputType::kAvi), stderr),
            kExitFailed);
  ScriptedPrompts prompts;
  prompts.Expect("Output format not supported!");
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), project.Path("x.mp3"), OutputType::kWav), stderr),
            kExitFailed);
  // Make Movie tests the output file before anything renders.
  prompts.Expect(
      "Unable to output file! Make sure the destination drive/directory is not write protected and has enough "
      "space !");
  EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), project.Path("missing/x.avi"), OutputType::kAvi), stderr),
            kExitFailed);
}

TEST_F(RenderCommand, RangesPastTheTimelineOrWithoutAFrameAreRefused) {
  RenderTestProject project(Settings());
  ScriptedPrompts prompts;
  prompts.Expect("The movie range holds no frame: drag the ends of the Movie band over the ruler to set it.");
  for (auto [start, end] : {std::pair{0, 2001}, std::pair{1000, 10700000}, std::pair{500, 500}}) {
    RenderOptions options = Options(project.Timeline(), project.Path("far.avi"), OutputType::kAvi);
    options.rangeStart = start;
    options.rangeEnd = end;
    EXPECT_EQ(RunRenderCommand(options, stderr), kExitFailed) << start << "," << end;
    EXPECT_FALSE(std::filesystem::exists(project.Path("far.avi")));
  }
}

// Frame rates and sizes no output can make are refused before anything is
// written, for every output, with the reason.
TEST_F(RenderCommand, FormatsNoOutputCanMakeAreRefusedUpFront) {
  auto with = [](const std::string& key, const std::string& value) {
    std::string text = Settings();
    const std::size_t at = text.find(key + "=");
    const std::size_t end = text.find('\n', at);
    return text.replace(at, end - at, key + "=" + value);
  };
  const std::string tooFast = "The frame rate of 1000.00 frames per second is too high! At most 120 can be made.";
  struct Case {
    std::string settings;
    OutputType type;
    std::string out;
    std::string message;
  } cases[] = {
      {with("VFramesPerSec", "100000"), OutputType::kAvi, "x.avi", tooFast},
      {with("VFramesPerSec", "100000"), OutputType::kFlc, "x.flc", tooFast},
      {with("VFramesPerSec", "100000"), OutputType::kImageSequence, "seq/x", tooFast},
      {with("VResWidth", "9000"), OutputType::kAvi, "x.avi",
       "The output size 9000X48 is too large! At most 8192X8192 can be made."},
      {with("FResHeight", "20000"), OutputType::kFlc, "x.flc",
       "The output size 64X20000 is too large! At most 8192X8192 can be made."},
      {with("IResWidth", "2147483644"), OutputType::kImageSequence, "seq/x",
       "The output size 2147483644X48 is too large! At most 8192X8192 can be made."},
  };
  for (const Case& c : cases) {
    RenderTestProject project(c.settings);
    std::filesystem::create_directories(project.Path("seq"));
    ScriptedPrompts prompts;
    prompts.Expect(c.message);
    EXPECT_EQ(RunRenderCommand(Options(project.Timeline(), project.Path(c.out), c.type), stderr), kExitFailed)
        << c.message;
    EXPECT_FALSE(std::filesystem::exists(project.Path(c.out)));
    EXPECT_TRUE(std::filesystem::is_empty(project.Path("seq")));
  }
}

}  // namespace
}  // namespace sprocket::testing
