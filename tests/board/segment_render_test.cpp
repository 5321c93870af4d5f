// Segment rendering on the single-user family: segments rendered into
// temporary AVI files, reused by later movies and invalidated by edits.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "makemovie_fixture.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings_store.h"
#include "render/movie/segment_renderer.h"
#include "timeline/document/render_segments.h"

namespace sprocket::testing {
namespace {

class SegmentRenderTest : public MakeMovieTest {
protected:
  void SetUp() override {
    BuildStandardTimeline(64, 48, true);
    SetFamily(1);
  }
  std::vector<TLFilter>& Segments() { return doc.Head()->segments; }
  // The files the segments name, in order.
  std::vector<std::string> SegmentNames() {
    std::vector<std::string> names;
    for (const TLFilter& segment : Segments()) names.push_back(segment.fileName);
    return names;
  }
};

TEST_F(SegmentRenderTest, MovieRendersTheSegmentsAndLaterMoviesReuseThem) {
  ASSERT_EQ(Segments().size(), 3u);
  RenderFirstSegment();  // a rendered first segment sends the movie down the road of segments
  const std::string first = Out("first.avi");
  dialogs.path = first;
  prompts.Expect(CompletedText(75, first));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(SegmentRenders(), 3u);
  EXPECT_EQ(SegmentFiles().size(), 3u);
  const std::vector<std::string> names = SegmentNames();
  for (const std::string& name : names) EXPECT_TRUE(std::filesystem::exists(name)) << name;
  // A segment's piece records the rate, frames and size it was made at.
  ASSERT_EQ(Segments()[0].params.size(), 1u);
  EXPECT_EQ(Segments()[0].params[0].pieceId(), 2500);
  EXPECT_EQ(Segments()[0].params[0].firstFrame(), 40);
  EXPECT_EQ(Segments()[0].params[0].lastFrame(), 64);
  EXPECT_EQ(Segments()[0].params[0].fourthWord(), 48);
  EXPECT_EQ(VideoFrames(first), 75);
  EXPECT_NEAR(FrameColour(first, 10).green, 40, 8);  // clip A's frame 10
  EXPECT_GT(FrameColour(first, 74).blue, 150);

  // An unchanged timeline: the second movie copies the rendered segments.
  const auto written = std::filesystem::last_write_time(names[0]);
  const std::string second = Out("second.avi");
  dialogs.path = second;
  prompts.Expect(CompletedText(75, second));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(SegmentRenders(), 3u);
  EXPECT_EQ(SegmentNames(), names);
  EXPECT_EQ(std::filesystem::last_write_time(names[0]), written);
  EXPECT_EQ(VideoFrames(second), 75);
  EXPECT_NEAR(FrameColour(second, 10).green, 40, 8);
  EXPECT_NEAR(FrameColour(second, 45).blue, FrameColour(first, 45).blue, 3);

  // An edit of clip B invalidates the segments it meets; the next movie
  // renders only those again.
  const TLEvent* clipB = nullptr;
  for (const TLEvent* event = doc.Head(); event != nullptr; event = GetNextEvent(event)) {
    if (event->IsClipIn() && event->trackNumber == 3) clipB = event;
  }
  ASSERT_NE(clipB, nullptr);
  doc.UpdateSegmentsForEdit(doc.Head(), clipB, nullptr);
  EXPECT_EQ(Segments()[0].fileName, names[0]);
  EXPECT_TRUE(Segments()[1].fileName.empty());
  EXPECT_TRUE(Segments()[2].fileName.empty());
  const std::string third = Out("third.avi");
  dialogs.path = third;
  prompts.Expect(CompletedText(75, third));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(SegmentRenders(), 5u);
  EXPECT_EQ(Segments()[0].fileName, names[0]);
  EXPECT_FALSE(Segments()[2].fileName.empty());
  EXPECT_EQ(VideoFrames(third), 75);
}

// The decoded bytes of a frame of a movie.
std::vector<std::uint8_t> FrameBytes(const std::string& path, std::int64_t frame) {
  VideoFrameReader reader;
  if (!reader.Open(path)) return {};
  GlobalBlock picture = reader.ReadFrame(frame);
  GlobalLockGuard<std::uint8_t> bytes(picture.get());
  return bytes ? std::vector<std::uint8_t>(bytes.get(), bytes.get() + picture.size()) : std::vector<std::uint8_t>{};
}

TEST_F(SegmentRenderTest, FramesOutsideTheDissolveAreTheClipsOwnSamples) {
  RenderFirstSegment();
  const std::string out = Out("copied.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(75, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  // The clips are in the movie's format: their samples pass through the
  // segment files into the movie unchanged.
  EXPECT_FALSE(FrameBytes(out, 10).empty());
  EXPECT_EQ(FrameBytes(out, 10), FrameBytes(clipA, 10));
  EXPECT_EQ(FrameBytes(out, 70), FrameBytes(clipB, 30));
  EXPECT_NE(FrameBytes(out, 45), FrameBytes(clipA, 45));
}

TEST_F(SegmentRenderTest, RangeInsideSegmentsTrimsThemForTheJobOnly) {
  RenderFirstSegment();
  const std::string first = Segments()[0].fileName;
  doc.movieRange = {800, 2400};
  const std::string out = Out("part.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(40, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  // The dissolve's segment, and the last segment trimmed to end at 2400.
  EXPECT_EQ(SegmentRenders(), 3u);
  EXPECT_EQ(VideoFrames(out), 40);
  // Frame 0 shows clip A at 800 ms (its frame 20), not another part of it.
  EXPECT_NEAR(FrameColour(out, 0).green, 80, 8);
  EXPECT_NEAR(FrameColour(out, 10).green, 120, 8);
  EXPECT_GT(FrameColour(out, 39).blue, 150);
  // The trimmed segment has its times back, and its partial file is gone:
  // the temporary folder holds only the files the segments name.
  EXPECT_EQ(Segments()[0].fileName, first);
  EXPECT_FALSE(Segments()[1].fileName.empty());  // the dissolve lay wholly inside
  EXPECT_EQ(Segments()[2].start, 2000);
  EXPECT_EQ(Segments()[2].end, 3000);
  EXPECT_EQ(Segments()[2].trimMark, 0);
  EXPECT_TRUE(Segments()[2].fileName.empty());
  EXPECT_TRUE(Segments()[2].params.empty());
  EXPECT_EQ(SegmentFiles(), NamedSegmentFiles());
  EXPECT_EQ(SegmentFiles().size(), 2u);
}

TEST_F(SegmentRenderTest, AMovieOnAnotherFrameGridKeepsTheFilesItReplaces) {
  // Rendered (and perhaps saved) for movies of the whole timeline at 25
  // frames a second.
  ASSERT_EQ(Compiler().Segments().RenderRangeSegments(0), 1);
  const std::vector<std::string> before = SegmentNames();
  // A movie of 10 frames a second from 40 ms shows other times: the
  // segments inside its range render again, and their old files stay, as a
  // saved timeline may name them.
  TheApp().movie.VFramesPerSec = 10.0f;
  doc.movieRange = {40, 3000};
  const std::string out = Out("other-grid.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(30, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(VideoFrames(out), 30);
  EXPECT_EQ(Segments()[0].fileName, before[0]);  // it reaches outside the range
  for (std::size_t i : {1u, 2u}) EXPECT_NE(Segments()[i].fileName, before[i]) << i;
  for (const std::string& name : before) EXPECT_TRUE(std::filesystem::exists(name)) << name;
  EXPECT_EQ(SegmentFiles().size(), 5u);
}

TEST_F(SegmentRenderTest, RangeInOneUnrenderedSegmentTakesThePlainRoad) {
  doc.movieRange = {200, 1200};
  const std::string out = Out("inside.avi");
  dialogs.path = out;
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);  // the plain road shows no completion message
  EXPECT_EQ(SegmentFiles().size(), 0u);
  EXPECT_EQ(VideoFrames(out), 25);
  EXPECT_NEAR(FrameColour(out, 0).green, 20, 8);
}

TEST_F(SegmentRenderTest, EscapeWhileASegmentRendersStopsTheMovie) {
  RenderFirstSegment();
  ui.stopAfterFrames = 5;
  dialogs.path = Out("never.avi");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);
  EXPECT_FALSE(std::filesystem::exists(Out("never.avi")));
  EXPECT_EQ(SegmentFiles(), NamedSegmentFiles());
  EXPECT_EQ(SegmentFiles().size(), 1u);
  EXPECT_TRUE(Segments()[1].fileName.empty());
  EXPECT_TRUE(Segments()[2].fileName.empty());
  EXPECT_TRUE(player.requests().empty());
}

TEST_F(SegmentRenderTest, TempSpaceQuestionCanLeaveASegmentUnrendered) {
  UseFreeSpace(
      [this](const std::string& folder) { return std::optional<std::uint64_t>(folder == doc.tempDir ? 0 : 1000000); });
  prompts.Expect(kTempSpaceQuestion, IDCANCEL);
  EXPECT_EQ(Compiler().Segments().RenderSegment(0, Segments()[0], 1), 0);
  EXPECT_TRUE(Segments()[0].fileName.empty());
  EXPECT_EQ(doc.movieRange, (TimeRange{0, 3000}));
  prompts.Expect(kTempSpaceQuestion, IDOK);
  EXPECT_EQ(Compiler().Segments().RenderSegment(0, Segments()[0], 1), 1);
  EXPECT_FALSE(Segments()[0].fileName.empty());
  EXPECT_EQ(doc.movieRange, (TimeRange{0, 3000}));
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(SegmentRenderTest, RenderAllTakesTheSegmentsWithTransitionsOnly) {
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 1, 0, 0), 0);
  EXPECT_TRUE(Segments()[0].fileName.empty());
  EXPECT_FALSE(Segments()[1].fileName.empty());
  EXPECT_TRUE(Segments()[2].fileName.empty());
  EXPECT_EQ(SegmentRenders(), 1u);
}

TEST_F(SegmentRenderTest, RenderMarkedAndRenderRange) {
  Segments()[2].marked = 1;
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 0, 0, 1), 0);
  EXPECT_FALSE(Segments()[2].fileName.empty());
  EXPECT_TRUE(Segments()[0].fileName.empty());

  doc.movieRange = {0, 2000};  // the last segment reaches outside: not rendered by the range
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 0, 1, 0), 0);
  EXPECT_FALSE(Segments()[0].fileName.empty());
  EXPECT_FALSE(Segments()[1].fileName.empty());
  EXPECT_EQ(SegmentRenders(), 3u);
}

TEST_F(SegmentRenderTest, WorkstationFamilyWithoutTheBoardRendersNoSegments) {
  SetFamily(2);
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 1, 0, 0), 0);
  Segments()[1].marked = 1;
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 0, 0, 1), 0);
  EXPECT_EQ(SegmentRenders(), 0u);
  EXPECT_TRUE(SegmentFiles().empty());
}

TEST_F(SegmentRenderTest, EditingLogIsWrittenOnlyWhenItExists) {
  EXPECT_EQ(Compiler().Segments().RenderSegment(0, Segments()[0], 1), 1);
  const std::filesystem::path log = LogDir() / kEditingLogName;
  EXPECT_FALSE(std::filesystem::exists(log));

  std::ofstream(log) << "";
  EXPECT_EQ(Compiler().Segments().RenderSegment(0, Segments()[1], 1), 1);
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind(std::string(36, '-') + "\nstart rendering seg. (00:00:01:15, 00:00:02:00), Free MM = ", 0),
            0u)
      << text.str();
  EXPECT_NE(text.str().find("created " + Segments()[1].fileName + "(FreeMM = "), std::string::npos) << text.str();
}

}  // namespace
}  // namespace sprocket::testing
