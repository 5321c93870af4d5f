// sprocket-render makes the same movie on its parallel road (frames decoded
// ahead, pictures scaled in bands on the worker pool, pictures compressed on
// the codec's threads) as with --one-thread, one frame after the other.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "outside_tools.h"
#include "render_test_project.h"

namespace sprocket::testing {
namespace {

// The card clip twice, the second blurred, with a dissolve where they
// overlap (35 frames); every frame is scaled to the movie's size.
constexpr const char* kDissolveTimeline = R"({
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 1400,
  "movieRange": [0, 1400], "previewRange": [0, 1400],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 1000, "file": "card.avi", "playIn": 0, "playOut": 1000 } ] },
    { "type": "X", "number": 2, "clips": [
      { "in": 400, "out": 1000, "transition": 1, "filters": [ { "id": 1, "params": [] } ] } ] },
    { "type": "V", "number": 3, "clips": [
      { "in": 400, "out": 1400, "file": "card.avi", "playIn": 0, "playOut": 1000,
        "filters": [ { "id": 1304, "params": [ { "values": [20] }, { "values": [20] } ] } ] } ] }
  ]
})";

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ParallelFrames, MovieIsByteForByteTheOneFrameAtATimeMovie) {
  struct Case {
    const char* compressor;
    int width;
    int height;
  };
  for (const Case& c : {Case{"DIB ", 320, 240}, Case{"MJPG", 200, 150}}) {
    RenderTestProject project("VResWidth=" + std::to_string(c.width) + "\nVResHeight=" + std::to_string(c.height) +
                              "\nVFramesPerSec=2500\nVCompressionType=" + c.compressor + "\nVQuality=9655");
    std::ofstream(project.Path("dissolve.tle")) << kDissolveTimeline;
    std::string movies[2];
    for (int oneThread = 0; oneThread < 2; ++oneThread) {
      movies[oneThread] = project.Path(oneThread != 0 ? "one.avi" : "parallel.avi");
      const std::string output =
          RunCommand(std::string(SPROCKET_RENDER_EXE) + " '" + project.Path("dissolve.tle") + "' --out '" +
                     movies[oneThread] + "' --config '" + project.ConfigDir() + "' --yes" +
                     (oneThread != 0 ? " --one-thread" : "") + " 2>&1; echo EXIT=$?")
              .value_or("");
      ASSERT_NE(output.find("EXIT=0"), std::string::npos) << c.compressor << ": " << output;
    }
    const std::string parallel = FileBytes(movies[0]);
    EXPECT_GT(parallel.size(), static_cast<std::size_t>(35 * 1000)) << c.compressor;
    EXPECT_TRUE(parallel == FileBytes(movies[1])) << c.compressor << ": the movies differ";
    const std::string frames = ProbeStream(movies[0], "v:0", "nb_frames");
    if (!frames.empty()) EXPECT_NE(frames.find("nb_frames=35"), std::string::npos) << frames;
  }
}

}  // namespace
}  // namespace sprocket::testing
