// Movies made through rendered segments hold the very frames of the movies
// made without them: every segment file holds the frames of the movie's own
// grid inside its segment, whatever the rate and wherever its edges lie.

#include <filesystem>
#include <sstream>

#include "makemovie_fixture.h"
#include "outside_tools.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {
namespace {

// The decoded pictures of a movie, one checksum-free byte copy a frame.
std::vector<std::vector<std::uint8_t>> DecodedFrames(const std::string& path) {
  std::vector<std::vector<std::uint8_t>> frames;
  VideoFrameReader reader;
  if (!reader.Open(path)) return frames;
  for (std::int64_t k = 0; k < reader.FrameCount(); ++k) {
    GlobalBlock picture = reader.ReadFrame(k);
    GlobalLockGuard<std::uint8_t> bytes(picture.get());
    frames.emplace_back(bytes ? std::vector<std::uint8_t>(bytes.get(), bytes.get() + picture.size())
                              : std::vector<std::uint8_t>{});
  }
  return frames;
}

// ffmpeg's checksum of every decoded frame; empty without ffmpeg.
std::vector<std::string> FrameChecksums(const std::string& path) {
  std::vector<std::string> sums;
  const auto output = RunCommand("ffmpeg -v error -i '" + path + "' -map 0:v -f framemd5 - 2>/dev/null");
  if (!output) return sums;
  std::istringstream lines(*output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line[0] != '#') sums.push_back(line.substr(line.rfind(',') + 1));
  }
  return sums;
}

class SegmentFramesTest : public MakeMovieTest {
protected:
  // The movie of the document's movie range through its rendered segments
  // (every segment rendered first) and without them (the workstation
  // family, which composes every frame).
  void MakeBothMovies(const std::string& name) {
    SetFamily(1);
    ASSERT_EQ(Compiler().Segments().RenderRangeSegments(0), 1);
    for (const TLFilter& segment : doc.Head()->segments) EXPECT_FALSE(segment.fileName.empty()) << segment.start;
    withSegments = Out(name + "-segments.avi");
    dialogs.path = withSegments;
    const TimeRange range = doc.movieRange;
    const auto frames = static_cast<std::int64_t>(
        (range.end - range.start) * static_cast<double>(TheApp().movie.VFramesPerSec) * 0.001 + 0.5);
    prompts.Expect(CompletedText(frames, withSegments));
    ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
    ASSERT_TRUE(prompts.AllShown());

    SetFamily(2);
    direct = Out(name + "-direct.avi");
    dialogs.path = direct;
    ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
    // What the road leaves in the temporary folder: the segment files the
    // document names, and nothing else.
    EXPECT_EQ(SegmentFiles(), NamedSegmentFiles());
  }

  void ExpectSameFrames() {
    const auto a = DecodedFrames(withSegments);
    const auto b = DecodedFrames(direct);
    ASSERT_FALSE(a.empty());
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) EXPECT_TRUE(a[k] == b[k]) << "frame " << k;
    if (!ToolAvailable("ffmpeg")) return;
    const auto sumsA = FrameChecksums(withSegments);
    EXPECT_EQ(sumsA.size(), a.size());
    EXPECT_EQ(sumsA, FrameChecksums(direct));
  }

  std::string withSegments;
  std::string direct;
};

TEST_F(SegmentFramesTest, AtEveryRateAndEdgeTheSegmentsHoldTheMoviesFrames) {
  struct Case {
    float fps;
    std::int32_t rate;  // the timeline's, hundredths
  };
  for (const Case c : {Case{29.97f, 2997}, Case{23.976f, 2398}, Case{25.0f, 2500}}) {
    SCOPED_TRACE(c.fps);
    UseSmallMovieSettings();
    TheApp().movie.VFramesPerSec = c.fps;
    // Clip A (its frames tell their time) dissolves into clip B; no edge
    // lies on the 40 ms grid.
    doc.rate = c.rate;
    doc.head = MakeDefaultTimeline(c.rate, 2013);
    doc.duration = 2013;
    const std::string a = WriteClip("rampA.avi", 64, 48, 50, 40, 40, 200, "MJPG", true, true);
    const std::string b = WriteClip("rampB.avi", 64, 48, 50, 200, 40, 40, "MJPG", false, true);
    ASSERT_NE(AddClip(a, 1, 0, 1301), nullptr);
    ASSERT_NE(AddClip(b, 3, 1077, 2013), nullptr);
    ASSERT_NE(AddDissolve(1077, 1301), nullptr);
    SplitSegmentsAtClips(doc.Head());
    ASSERT_EQ(doc.Head()->segments.size(), 3u);
    doc.movieRange = {0, 2013};
    MakeBothMovies("rate" + std::to_string(c.rate));
    ExpectSameFrames();
    for (TLFilter& segment : doc.Head()->segments) std::filesystem::remove(segment.fileName);
  }
}

TEST_F(SegmentFramesTest, DemoTimelineIsTheSameWithAndWithoutRenderedSegments) {
  const std::filesystem::path demo = std::filesystem::path(SPROCKET_SOURCE_DIR) / "examples" / "demo.tle";
  const std::string tempDir = doc.tempDir;
  ASSERT_TRUE(ReadTimelineFile(demo, doc));
  doc.tempDir = tempDir;
  // Rendering segments saves the timeline: never over the example itself.
  doc.pathName = (std::filesystem::path(tempDir) / "demo.tle").string();
  doc.savePrompt = 0;
  UseSmallMovieSettings();
  for (MovieSettings* record : {&TheApp().movie, &TheApp().preview}) {
    record->VResWidth = 160;
    record->VResHeight = 120;
    record->VFramesPerSec = 29.97f;
    record->ABitsPerSample = 16;
    record->ASamplesPerSec = 22050;
  }
  MakeBothMovies("demo");
  ExpectSameFrames();
}

}  // namespace
}  // namespace sprocket::testing
