// sprocket-render makes the same movie on its parallel road (frames decoded
// ahead, pictures of the next frames made ahead on each clip's threads,
// pictures compressed on the codec's threads) as with --one-thread, one
// frame after the other, through the compositor and the disk-buffered
// renderer alike.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "outside_tools.h"
#include "render_test_project.h"

namespace sprocket::testing {
namespace {

// Two 4 s clips, the second blurred, with a 1 s dissolve where they overlap
// (175 frames): every frame is scaled to the movie's size, and the runs are
// long enough for the codecs and converters to spread over their threads.
constexpr const char* kDissolveTimeline = R"({
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 7000,
  "options": { "bufferedMovie": BUFFERED },
  "movieRange": [0, 7000], "previewRange": [0, 7000],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 4000, "file": "bars.avi", "playIn": 0, "playOut": 4000 } ] },
    { "type": "X", "number": 2, "clips": [
      { "in": 3000, "out": 4000, "transition": 1, "filters": [ { "id": 1, "params": [] } ] } ] },
    { "type": "V", "number": 3, "clips": [
      { "in": 3000, "out": 7000, "file": "bars.avi", "playIn": 0, "playOut": 4000,
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
    bool buffered;  // through the disk-buffered renderer
  };
  for (const Case& c : {Case{"DIB ", 320, 240, false}, Case{"MJPG", 200, 150, false}, Case{"DIB ", 200, 150, true}}) {
    SCOPED_TRACE(c.buffered ? "disk-buffered" : "compositor");
    RenderTestProject project("VResWidth=" + std::to_string(c.width) + "\nVResHeight=" + std::to_string(c.height) +
                              "\nVFramesPerSec=2500\nVCompressionType=" + c.compressor + "\nVQuality=9655");
    if (!RunCommand(
             "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=size=160x120:rate=25:duration=4 "
             "-c:v mjpeg -q:v 3 -pix_fmt yuvj422p '" +
             project.Path("bars.avi") + "' && echo MADE")
             .value_or("")
             .starts_with("MADE")) {
      GTEST_SKIP() << "ffmpeg is needed to make the clip";
    }
    std::string timeline = kDissolveTimeline;
    timeline.replace(timeline.find("BUFFERED"), 8, c.buffered ? "1" : "0");
    std::ofstream(project.Path("dissolve.tle")) << timeline;
    std::string movies[2];
    for (int oneThread = 0; oneThread < 2; ++oneThread) {
      movies[oneThread] = project.Path(oneThread != 0 ? "one.avi" : "parallel.avi");
      const std::string output = RunCommand(std::string(SPROCKET_RENDER_EXE) + " '" + project.Path("dissolve.tle") +
                                            "' --out '" + movies[oneThread] + "' --config '" + project.ConfigDir() +
                                            "' --yes" + (oneThread != 0 ? " --one-thread" : "") + " 2>&1; echo EXIT=$?")
                                     .value_or("");
      ASSERT_NE(output.find("EXIT=0"), std::string::npos) << c.compressor << ": " << output;
    }
    const std::string parallel = FileBytes(movies[0]);
    EXPECT_GT(parallel.size(), static_cast<std::size_t>(175 * 1000)) << c.compressor;
    EXPECT_TRUE(parallel == FileBytes(movies[1])) << c.compressor << ": the movies differ";
    const std::string frames = ProbeStream(movies[0], "v:0", "nb_frames");
    if (!frames.empty()) {
      EXPECT_NE(frames.find("nb_frames=175"), std::string::npos) << frames;
    }
  }
}

}  // namespace
}  // namespace sprocket::testing
