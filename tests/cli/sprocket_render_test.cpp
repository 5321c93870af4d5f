// The sprocket-render program itself: the demo timeline of the checkout
// becomes a playable movie with sound, and Ctrl-C stops a render.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "outside_tools.h"
#include "render_test_project.h"
#include "temp_dir.h"

namespace sprocket::testing {
namespace {

// Runs a shell command and answers its output followed by "EXIT=<status>".
std::string RunWithStatus(const std::string& command) { return RunCommand(command + "; echo EXIT=$?").value_or(""); }

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

TEST(SprocketRender, DemoTimelineBecomesAPlayableMovieWithSound) {
  if (!ToolAvailable("ffprobe") || !ToolAvailable("ffmpeg")) GTEST_SKIP() << "ffprobe and ffmpeg are needed";
  TempDir dir;
  const std::string movie = (dir / "demo.avi").string();
  const std::string output = RunWithStatus(
      std::string(SPROCKET_RENDER_EXE) + " " + Quoted(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle") +
      " --out " + Quoted(movie) + " --yes --config " + Quoted((dir / "config").string()) + " 2>&1");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  // The default movie settings: MJPG at 640 x 480 and 29.97 frames a
  // second, 16-bit stereo sound at 44100 Hz; the demo runs 5 seconds.
  EXPECT_EQ(ProbeStream(movie, "v:0", "codec_tag_string,width,height,r_frame_rate,nb_frames"),
            "codec_tag_string=MJPG|width=640|height=480|r_frame_rate=30000/1001|nb_frames=150");
  // Five seconds of sound.
  EXPECT_EQ(ProbeStream(movie, "a:0", "codec_name,sample_rate,channels,nb_frames"),
            "codec_name=pcm_s16le|sample_rate=44100|channels=2|nb_frames=220500");
  // Every frame and the whole sound decode.
  const std::string decoded = RunWithStatus("ffmpeg -nostdin -v error -i " + Quoted(movie) + " -f null - 2>&1");
  EXPECT_EQ(decoded, "EXIT=0\n");
}

// Ctrl-C, a termination request and a hang-up stop the render: exit code 2,
// and neither a work file of the movie nor the job's temporary folder is
// left (stop_signals_test.cpp stops every output at every moment).
TEST(SprocketRender, StopSignalsStopTheRenderAndLeaveNothingBehind) {
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    TempDir dir;
    // Large frames make the render last a few seconds.
    dir.Write("config/RODUVER.INI",
              "[Movie]\nVResWidth=1920\nVResHeight=1440\nVCompressionType=MJPG\n"
              "[Temp File Dir]\nDir=" +
                  (dir / "temp").string() + "\n");
    std::filesystem::create_directories(dir / "temp");
    std::filesystem::create_directories(dir / "out");
    const std::string output = RunWithStatus(
        "timeout --preserve-status -s " + std::string(signal) + " 0.5 " + std::string(SPROCKET_RENDER_EXE) + " " +
        Quoted(std::string(SPROCKET_SOURCE_DIR) + "/examples/demo.tle") + " --out " +
        Quoted((dir / "out" / "big.avi").string()) + " --config " + Quoted((dir / "config").string()) + " 2>&1");
    EXPECT_NE(output.find("sprocket-render: stopped"), std::string::npos) << signal << ": " << output;
    EXPECT_NE(output.find("EXIT=2"), std::string::npos) << signal << ": " << output;
    // Ctrl-C keeps the frames made so far under the movie's name; a
    // termination or a hang-up keeps nothing. No work file is left.
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
      EXPECT_EQ(entry.path().filename(), "big.avi") << signal;
      EXPECT_EQ(std::string(signal), "INT");
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir / "temp")) << signal;
  }
}

TEST(SprocketRender, ABadTimelineFailsWithExitCodeOne) {
  TempDir dir;
  dir.Write("bad.tle", "{ \"format\": \"something else\" }");
  const std::string output =
      RunWithStatus(std::string(SPROCKET_RENDER_EXE) + " " + Quoted((dir / "bad.tle").string()) + " --out " +
                    Quoted((dir / "x.avi").string()) + " --config " + Quoted((dir / "config").string()) + " 2>&1");
  EXPECT_NE(output.find("EXIT=1"), std::string::npos) << output;
  EXPECT_NE(output.find("bad.tle"), std::string::npos) << output;
}

}  // namespace
}  // namespace sprocket::testing
