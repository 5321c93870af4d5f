// sprocket-render runs Make Movie's road: rendered segments on the
// single-user family (removed again after the run), the output name checks,
// and the board stand-in when the settings switch it on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "outside_tools.h"
#include "platform/application_state.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings_store.h"
#include "recording_render_ui.h"
#include "render/movie/movie_compiler.h"
#include "render_test_project.h"
#include "timeline/tlefile/timeline_file.h"

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

// The .avi files in a folder, by name.
std::set<std::string> AviFiles(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".avi") names.insert(entry.path().filename().string());
  }
  return names;
}

// The "created" records of the editing log.
int CreatedRecords(const RenderTestProject& project) {
  std::ifstream log(project.Path("config/roduver.log"));
  std::string line;
  int created = 0;
  while (std::getline(log, line)) created += line.rfind("created " + project.Path("temp"), 0) == 0;
  return created;
}

TEST(MakeMovieRoad, OnlyTheSegmentFilesTheTimelineNamesStayInTheTemporaryFolder) {
  RenderTestProject project("VResWidth=64\nVResHeight=48\nVFramesPerSec=2500\n[Platform]\nFamily=1");
  // The first segment was rendered before, on the grid of movies from 0 at 25 frames a second.
  std::filesystem::copy_file(project.Path("card.avi"), project.Path("temp/zkbA.avi"));
  project.WriteTimelineWithSegments(R"([
    { "start": 0, "end": 1000, "file": ")" +
                                    project.Path("temp/zkbA.avi") + R"(",
      "pieces": [ { "id": 2500, "first": 25, "last": 64, "word4": 48, "file": "", "gridRate": 25000 } ] },
    { "start": 1000, "end": 2000 } ])");
  struct Case {
    const char* range;
    int frames;
  };
  // The second segment is rendered for the run (whole, or trimmed to the
  // range's end) and removed again: the timeline file does not name it.
  for (const Case c : {Case{"0,2000", 50}, Case{"520,1520", 25}, Case{"500,1500", 25}}) {
    std::ofstream(project.Path("config/roduver.log")) << "";  // the editing log names the segment files
    const std::string out = project.Path("movie.avi");
    const std::string output = RunRender(project, out, std::string("--range ") + c.range);
    ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
    EXPECT_NE(output.find("sprocket-render: wrote " + out), std::string::npos) << output;
    EXPECT_EQ(Frames(out), c.frames) << c.range;
    EXPECT_EQ(CreatedRecords(project), 1) << c.range;
    EXPECT_EQ(AviFiles(project.Path("temp")), std::set<std::string>{"zkbA.avi"}) << c.range;
  }
  // The run is recorded as the last movie.
  std::ifstream ini(project.Path("config/RODUVER.INI"));
  std::stringstream text;
  text << ini.rdbuf();
  EXPECT_NE(text.str().find("[Last Make Movie]"), std::string::npos);
  EXPECT_NE(text.str().find("Frames=25"), std::string::npos);
}

// What the editor does: renders the segments of the whole timeline (a
// segment from 0 to 1000 ms, where the clip is, and one from 1000 to 2000)
// and saves it. Answers the files the saved timeline names.
std::set<std::string> RenderRangeSegmentsAndSave(const RenderTestProject& project) {
  LoadApplicationSettings(TheApp(), AppProfile());
  CTestDoc doc;
  std::set<std::string> files;
  if (!ReadTimelineFile(project.Timeline(), doc)) return files;
  doc.movieRange = {0, 2000};
  HeadlessMovieView view(doc, TheApp(), AppProfile());
  RecordingRenderUi ui;
  MovieRenderServices services = LibraryMovieRenderServices();
  services.view = &view;
  services.ui = &ui;
  MovieCompiler compiler(doc, std::move(services));
  if (compiler.Segments().RenderMarkedSegments(0, 0, 1, 0) != 0 || !WriteTimelineFile(doc, project.Timeline())) {
    return files;
  }
  for (const TLFilter& segment : doc.Head()->segments) files.insert(segment.fileName);
  return files;
}

TEST(MakeMovieRoad, TheSegmentFilesOfASavedTimelineOutliveRunsOverPartOfThem) {
  if (!ToolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe is needed";
  // Movies of 10 frames a second: a range from 40 or 240 ms puts the frames
  // off the grid the segments were rendered on, and they render again.
  RenderTestProject project("VResWidth=64\nVResHeight=48\nVFramesPerSec=1000\n[Platform]\nFamily=1");
  const std::set<std::string> saved = RenderRangeSegmentsAndSave(project);
  ASSERT_EQ(saved.size(), 2u);
  ASSERT_EQ(saved.count(""), 0u);
  const std::set<std::string> savedNames = AviFiles(project.Path("temp"));
  ASSERT_EQ(savedNames.size(), 2u);

  struct Case {
    const char* range;
    int frames;  // the frames of the grid from the range's start inside it
  };
  for (const Case c : {Case{"40,2000", 20}, Case{"240,1000", 8}, Case{"1000,2000", 10}, Case{"0,1500", 15}}) {
    const std::string out = project.Path("movie.avi");
    const std::string output = RunRender(project, out, std::string("--range ") + c.range);
    ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
    for (const std::string& file : saved) EXPECT_TRUE(std::filesystem::exists(file)) << c.range << ": " << file;
    // Nothing else stays behind.
    EXPECT_EQ(AviFiles(project.Path("temp")), savedNames) << c.range;
    const std::string counted = RunCommand(
                                    "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                    "stream=nb_read_frames -of csv=p=0 '" +
                                    out + "'")
                                    .value_or("");
    EXPECT_EQ(std::atoi(counted.c_str()), c.frames) << c.range;
  }
}

TEST(MakeMovieRoad, NothingRenderedTakesThePlainRoad) {
  RenderTestProject project("VResWidth=64\nVResHeight=48\nVFramesPerSec=2500\n[Platform]\nFamily=1");
  std::ofstream(project.Path("config/roduver.log")) << "";
  const std::string out = project.Path("movie.avi");
  const std::string output = RunRender(project, out, "--range 0,2000");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_EQ(Frames(out), 50);
  EXPECT_EQ(CreatedRecords(project), 0);
  EXPECT_TRUE(AviFiles(project.Path("temp")).empty());
}

TEST(MakeMovieRoad, ReservedNameIsRefusedWithExitCodeOne) {
  RenderTestProject project("VResWidth=64\nVResHeight=48");
  const std::string output = RunRender(project, project.Path("Recorder.avi"));
  EXPECT_NE(output.find("Can NOT pick this file name since it has been reserved"), std::string::npos) << output;
  EXPECT_NE(output.find("EXIT=1"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(project.Path("Recorder.avi")));
}

// Segments whose first one was rendered on the board into `boardClip`.
std::string FirstSegmentOnTheBoard(const std::string& boardClip) {
  return R"([ { "start": 0, "end": 1000, "rendered": 1,
                "pieces": [ { "id": 0, "first": 0, "last": 29, "file": ")" +
         boardClip + R"(" } ] },
              { "start": 1000, "end": 2000 } ])";
}

TEST(MakeMovieRoad, BoardStandInMakesTheMovieOfBoardClips) {
  RenderTestProject project(
      "VResWidth=720\nVResHeight=480\nVFramesPerSec=2997\nVCompressionType=CFCC\nVReserved1=0\n[Platform]\nFamily=2\n"
      "[Board]\nSimulate=1");
  // Nothing rendered yet: the movie is composed in the board's format.
  const std::string first = project.Path("first.avi");
  std::string output = RunRender(project, first, "--range 0,2000");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_EQ(Frames(first), 60);
  EXPECT_FALSE(std::filesystem::exists(project.Path("config/board/registered.txt")));

  // With the first segment on the board, the movie is made of board clips:
  // the second segment becomes one, registered with the movie.
  project.WriteTimelineWithSegments(FirstSegmentOnTheBoard(first));
  const std::string out = project.Path("native.avi");
  output = RunRender(project, out, "--range 0,2000");
  ASSERT_NE(output.find("EXIT=0"), std::string::npos) << output;
  EXPECT_EQ(Frames(out), 60);
  std::ifstream registered(project.Path("config/board/registered.txt"));
  std::string line;
  int pieces = 0;
  while (std::getline(registered, line)) {
    ++pieces;
    EXPECT_EQ(line.substr(0, line.find('\t')), out);
  }
  EXPECT_EQ(pieces, 1) << output;
}

// The logs live in the settings folder: a render that goes well writes
// neither; a clip whose media is missing logs its frames in "riziv.log"
// once the first failure has created the file.
TEST(MakeMovieRoad, TheRenderLogAppearsInTheSettingsFolderWhenSourcesFail) {
  RenderTestProject project("VResWidth=64\nVResHeight=48\nVFramesPerSec=2500\nVReserved1=0");
  const std::string out = project.Path("movie.avi");
  ASSERT_NE(RunRender(project, out, "--range 0,200").find("EXIT=0"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(project.Path("config/riziv.log")));
  EXPECT_FALSE(std::filesystem::exists(project.Path("config/roduver.log")));

  std::filesystem::remove(project.Path("card.avi"));
  ASSERT_NE(RunRender(project, out, "--range 0,200").find("EXIT=0"), std::string::npos);
  std::ifstream log(project.Path("config/riziv.log"));
  ASSERT_TRUE(log.is_open());
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(text.str().find(">>\tlogged in GetDIB()"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(project.Path("config/roduver.log")));
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
  project.WriteTimelineWithSegments(FirstSegmentOnTheBoard(project.Path("card.avi")));
  const std::string out = project.Path("native.avi");
  const std::string output = RunRender(project, out, "--range 0,2000");
  EXPECT_NE(output.find("EXIT=1"), std::string::npos) << output;
  EXPECT_NE(output.find("no board is fitted"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace sprocket::testing
