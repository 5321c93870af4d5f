// sprocket-render runs Make Movie's road: rendered segments on the
// single-user family (removed again after the run), the output name checks,
// and the board stand-in when the settings switch it on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "outside_tools.h"
#include "platform/media/video_frame_reader.h"
#include "render_test_project.h"

namespace sprocket::testing {
namespace {

std::string RunRender(const RenderTestProject& project, const std::string& out, const std::string& extra = "") {
  return RunCommand(std::string(SPROCKET_RENDER_EXE) + " '" + project.Timeline() + "' --out '" + out + "' --config '" +
                    project.ConfigDir() + "' " + extra + " 2>&1; echo EXIT=$?")
      .value_or("");
}

std::int64_t Frames(const std::string& path) {
  VideoFrameReader reader;
  return reader.Open(path) ? reader.FrameCount() : -1;
}

TEST(MakeMovieRoad, SegmentsRenderedForTheRunAreRemovedAfterIt) {
  RenderTestProject project("VResWidth=64\nVResHeight=48\nVFramesPerSec=2500\n[Platform]\nFamily=1");
  std::ofstream(project.Path("config/roduver.log")) << "";  // the editing log names the segment files
  const std::string out = project.Path("movie.avi");
  // The range covers both segments of the timeline: the movie is made of them.
  const std::string output = RunRender(project, out, "--range 0,2000");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_NE(output.find("sprocket-render: wrote " + out), std::string::npos) << output;
  EXPECT_EQ(Frames(out), 50);
  std::ifstream log(project.Path("config/roduver.log"));
  std::string line;
  int created = 0;
  while (std::getline(log, line)) {
    if (line.rfind("created ", 0) != 0) continue;
    ++created;
    EXPECT_EQ(line.find(project.Path("temp")), 8u) << line;
  }
  EXPECT_EQ(created, 2);
  for (const auto& entry : std::filesystem::directory_iterator(project.Path("temp"))) {
    EXPECT_NE(entry.path().extension(), ".avi") << entry.path();
  }
  // The run is recorded as the last movie.
  std::ifstream ini(project.Path("config/RODUVER.INI"));
  std::stringstream text;
  text << ini.rdbuf();
  EXPECT_NE(text.str().find("[Last Make Movie]"), std::string::npos);
  EXPECT_NE(text.str().find("Frames=50"), std::string::npos);
}

TEST(MakeMovieRoad, ReservedNameIsRefusedWithExitCodeOne) {
  RenderTestProject project("VResWidth=64\nVResHeight=48");
  const std::string output = RunRender(project, project.Path("Recorder.avi"));
  EXPECT_NE(output.find("Can NOT pick this file name since it has been reserved"), std::string::npos) << output;
  EXPECT_NE(output.find("EXIT=1"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(project.Path("Recorder.avi")));
}

TEST(MakeMovieRoad, BoardStandInMakesTheMovieOfBoardClips) {
  RenderTestProject project(
      "VResWidth=720\nVResHeight=480\nVFramesPerSec=2997\nVCompressionType=CFCC\nVReserved1=0\n[Platform]\nFamily=2\n"
      "[Board]\nSimulate=1");
  const std::string out = project.Path("native.avi");
  const std::string output = RunRender(project, out, "--range 0,2000");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_EQ(Frames(out), 60);
  // Both segments became board clips, registered with the movie.
  std::ifstream registered(project.Path("config/board/registered.txt"));
  std::string line;
  int pieces = 0;
  while (std::getline(registered, line)) {
    ++pieces;
    EXPECT_EQ(line.substr(0, line.find('\t')), out);
  }
  EXPECT_EQ(pieces, 2) << output;
}

TEST(MakeMovieRoad, ImageSequenceTakesTheFolderAndPrefix) {
  RenderTestProject project("VResWidth=64\nVResHeight=48\nIResWidth=32\nIResHeight=24\nVFramesPerSec=500");
  const std::string output = RunRender(project, project.Path("shot"), "--type seq");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_TRUE(std::filesystem::exists(project.Path("shot0000.BMP")));
  EXPECT_TRUE(std::filesystem::exists(project.Path("shot0004.BMP")));
  EXPECT_FALSE(std::filesystem::exists(project.Path("shot0005.BMP")));
}

}  // namespace
}  // namespace sprocket::testing

namespace sprocket::testing {
namespace {

TEST(MakeMovieRoad, BoardFormatWithoutABoardSaysWhy) {
  RenderTestProject project(
      "VResWidth=720\nVResHeight=480\nVFramesPerSec=2997\nVCompressionType=CFCC\nVReserved1=0\n[Platform]\nFamily=2");
  const std::string out = project.Path("native.avi");
  const std::string output = RunRender(project, out, "--range 0,2000");
  EXPECT_NE(output.find("EXIT=1"), std::string::npos) << output;
  EXPECT_NE(output.find("no board is fitted"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace sprocket::testing
