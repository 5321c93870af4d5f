// The render job's FLC output, with a stand-in compositor.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "job_test_fixture.h"
#include "render/flic/flic_reader.h"

namespace sprocket::testing {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The colour of pixel (0, 0) of each frame of an animation.
std::vector<FrameColour> FrameColours(const std::string& path, int* frames) {
  std::vector<FrameColour> colours;
  FlicFile flic;
  if (FlicOpen(flic, path) != kFlicDone) return colours;
  *frames = flic.header.frames;
  for (int i = 0; i < flic.header.frames; ++i) {
    if (FlicReadFrame(flic) != kFlicDone) break;
    const std::uint8_t* entry = flic.ColorTable() + flic.Pixels()[0] * 4;
    colours.push_back(FrameColour{entry[0], entry[1], entry[2]});
  }
  FlicClose(flic);
  return colours;
}

using FlcJob = RenderJobTest;

TEST_F(FlcJob, WritesEveryFrameInItsOwnColoursWithOnePalette) {
  const std::string path = Path("movie.FLI");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 5 \nOutput File: " + path);
  EXPECT_EQ(Run(RenderJob{0, 0, 200, OutputKind::kFlic, path}), kRenderJobDone);

  // Sixteen palette samples (every 13 ms) at 160 x 120, then the five frames.
  ASSERT_EQ(calls.size(), 16u + 5u);
  for (std::size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(calls[i].width, 160);
    EXPECT_EQ(calls[i].height, 120);
    EXPECT_DOUBLE_EQ(calls[i].time, 13.0 * static_cast<double>(i));
    EXPECT_EQ(calls[i].mode, kRenderModePlain);
  }
  for (std::size_t k = 0; k < 5; ++k) {
    EXPECT_DOUBLE_EQ(calls[16 + k].time, 40.0 * static_cast<double>(k));
    EXPECT_EQ(calls[16 + k].width, 32);
    EXPECT_TRUE(calls[16 + k].hadTracks);
  }
  int frames = 0;
  std::vector<FrameColour> colours = FrameColours(path, &frames);
  EXPECT_EQ(frames, 5);
  ASSERT_EQ(colours.size(), 5u);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(colours[static_cast<std::size_t>(k)], ColourFor(40.0 * k, 0)) << k;
  EXPECT_EQ(ui.captions.front(), "Generating Animation (FLI/FLC)...");
  EXPECT_EQ(ui.statuses.front(), "Creating " + path);
  EXPECT_EQ(ui.abortHints.front(), "Press ESC Once To Abort...");
  EXPECT_EQ(ui.percents.back(), 100);
  EXPECT_FALSE(ui.waitCursor);
}

TEST_F(FlcJob, OnlyTheFirstFrameCarriesThePalette) {
  const std::string path = Path("movie.flc");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 3 \nOutput File: " + path);
  ASSERT_EQ(Run(RenderJob{0, 0, 120, OutputKind::kFlic, path}), kRenderJobDone);
  const std::string bytes = ReadAll(path);
  // Colour chunks (type 4) follow a frame header: count them per frame.
  int colourChunks = 0;
  std::size_t offset = 128;
  std::vector<int> chunksPerFrame;
  while (offset + 16 <= bytes.size()) {
    const auto u16 = [&](std::size_t at) {
      return static_cast<std::uint8_t>(bytes[at]) | (static_cast<std::uint8_t>(bytes[at + 1]) << 8);
    };
    const auto u32 = [&](std::size_t at) { return static_cast<std::uint32_t>(u16(at) | (u16(at + 2) << 16)); };
    const std::uint32_t frameSize = u32(offset);
    if (frameSize < 16 || offset + frameSize > bytes.size()) break;
    const int chunks = u16(offset + 6);
    std::size_t chunk = offset + 16;
    int colours = 0;
    for (int i = 0; i < chunks && chunk + 6 <= offset + frameSize; ++i) {
      if (u16(chunk + 4) == 4) ++colours;
      chunk += u32(chunk);
    }
    chunksPerFrame.push_back(colours);
    colourChunks += colours;
    offset += frameSize;
  }
  ASSERT_GE(chunksPerFrame.size(), 3u);
  EXPECT_EQ(chunksPerFrame[0], 1);
  EXPECT_EQ(chunksPerFrame[1], 0);
  EXPECT_EQ(chunksPerFrame[2], 0);
}

TEST_F(FlcJob, PaletteSamplesOfA150MsRangeAre10MsApart) {
  const std::string path = Path("short.flc");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 4 \nOutput File: " + path);
  ASSERT_EQ(Run(RenderJob{0, 1000, 1150, OutputKind::kFlic, path}), kRenderJobDone);
  std::vector<double> sampleTimes;
  for (const FrameCall& call : calls) {
    if (call.width == 160) sampleTimes.push_back(call.time);
  }
  ASSERT_EQ(sampleTimes.size(), 15u);
  for (std::size_t i = 0; i < 15; ++i) EXPECT_DOUBLE_EQ(sampleTimes[i], 1000.0 + 10.0 * static_cast<double>(i));
}

TEST_F(FlcJob, ARangeShorterThan15MsStillEnds) {
  const std::string path = Path("tiny.flc");
  prompts.Expect("Movie/Preview completed! \n Frames compiled: 1 \nOutput File: " + path);
  ASSERT_EQ(Run(RenderJob{0, 0, 5, OutputKind::kFlic, path}), kRenderJobDone);
  EXPECT_EQ(calls.size(), 5u + 1u);  // a sample each millisecond, one frame
}

TEST_F(FlcJob, OtherExtensionsAreRefused) {
  prompts.Expect("Output format not supported!");
  EXPECT_EQ(Run(RenderJob{0, 0, 200, OutputKind::kFlic, Path("movie.gif")}), kRenderJobFailed);
  EXPECT_TRUE(calls.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("movie.gif")));
}

TEST_F(FlcJob, AFileThatCannotBeCreatedIsReported) {
  prompts.Expect("Failed to Create Flic file! Make sure the drive you select is accessible. ");
  EXPECT_EQ(Run(RenderJob{0, 0, 200, OutputKind::kFlic, Path("missing/movie.flc")}), kRenderJobFailed);
  EXPECT_TRUE(calls.empty());
}

TEST_F(FlcJob, StoppingKeepsTheFramesWritten) {
  const std::string path = Path("stopped.flc");
  ui.stopAfterFrames = 3;
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kFlic, path}), kRenderJobFailed);
  EXPECT_TRUE(runner->Stopped());
  int frames = 0;
  EXPECT_EQ(FrameColours(path, &frames).size(), 3u);
  EXPECT_EQ(frames, 3);
  EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(FlcJob, AFailedFrameLeavesAnEarlierFileAsItWas) {
  const std::string path = Path("kept.flc");
  temp.Write("kept.flc", "earlier file");
  failAtCall = 16 + 3;  // the third frame of the animation
  prompts.Expect("Processing stopped due to low/fragmented memory. Exit and restart Windows!");
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kFlic, path}), kRenderJobFailed);
  EXPECT_EQ(ReadAll(path), "earlier file");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}

TEST_F(FlcJob, AFailedPaletteSampleEndsTheJob) {
  failAtCall = 2;
  prompts.Expect("Error Creating Palette!");
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kFlic, Path("p.flc")}), kRenderJobFailed);
  EXPECT_FALSE(std::filesystem::exists(Path("p.flc")));
}

TEST_F(FlcJob, AStopInsideAnEffectEndsLikeEsc) {
  failAtCall = 16 + 2;
  failStatus = kRenderStopped;
  EXPECT_EQ(Run(RenderJob{0, 0, 400, OutputKind::kFlic, Path("e.flc")}), kRenderJobFailed);
  EXPECT_TRUE(runner->Stopped());
  int frames = 0;
  EXPECT_EQ(FrameColours(Path("e.flc"), &frames).size(), 1u);
}

}  // namespace
}  // namespace sprocket::testing
