// Rendered pieces of render segments in timeline files: saved under the
// names of what they hold, and read from files written before.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "temp_dir.h"
#include "timeline/document/render_segments.h"
#include "timeline/document/render_timelines.h"
#include "timeline/records/event_queries.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// The header of the clip that stands for the first rendered segment's movie.
std::optional<AviClipHeader> SegmentMovieHeader(const CTestDoc& doc) {
  EventListSlot preview = BuildSegmentPreviewTimeline(doc.Head(), doc.duration);
  for (const TLEvent* event = preview.get(); event != nullptr; event = GetNextEvent(event)) {
    if (event->IsClipIn() && event->header && event->header->Avi() != nullptr) return *event->header->Avi();
  }
  return std::nullopt;
}

TEST(SegmentPiecesInFiles, ASegmentWithMoreFramesThanTheMovieIsWideLoadsAgain) {
  // A 29.97 fps timeline rendered at 160 x 120: the segment's 303 frames
  // are more than the movie is wide.
  TempDir dir;
  CTestDoc doc;
  doc.ReplaceTimeline(NewTimeline(2997, 20000));
  doc.rate = 2997;
  AppendTrack(doc.Head(), kTrackVideo);
  doc.SetDuration(20000);
  InsertClip(doc.Head(), 1, 0, 10110);
  SplitSegmentsAtClips(doc.Head());
  TLFilter& segment = doc.Head()->segments.front();
  segment.fileName = dir.Write("segment.avi", "rendered").string();
  segment.params = {MakeSegmentFilePiece(MovieFrameGrid{29.97, 0}, 303, 160, 120)};

  const fs::path file = dir / "auto.tle";
  std::string error;
  ASSERT_TRUE(SaveTimelineDocument(doc, file, &error)) << error;
  CTestDoc loaded;
  ASSERT_TRUE(ReadTimelineFile(file, loaded, &error)) << error;

  ASSERT_EQ(loaded.Head()->segments.front().params.size(), 1u);
  const TLFilterParam& piece = loaded.Head()->segments.front().params.front();
  EXPECT_EQ(piece, segment.params.front());
  EXPECT_EQ(piece.movieFrames(), 303);
  EXPECT_EQ(piece.movieWidth(), 160);
  const std::optional<AviClipHeader> header = SegmentMovieHeader(loaded);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->video.length, 303u);
  EXPECT_EQ(header->picture.width, 160);
  EXPECT_EQ(header->picture.height, 120);
}

// A version 1 file as written before segment movies had their own names.
std::string FormerFile(const std::string& segmentFile, const std::string& pieceFile) {
  return R"({"format": "sprocket-timeline", "version": 1, "rate": 2997, "duration": 20000,
    "segments": [
      {"start": 0, "end": 10110, "file": ")" +
         segmentFile + R"(", "count": 0, "pieces": [
        {"id": 2997, "first": 303, "last": 160, "word4": 120, "gridRate": 29970, "file": ""}]},
      {"start": 10110, "end": 20000, "rendered": 1, "pieces": [
        {"id": 5, "first": 10, "last": 40, "file": ")" +
         pieceFile + R"(", "file2": "made.avi"},
        {"id": 6, "first": 0, "last": 20, "word4": 3, "file": ")" +
         pieceFile + R"("}]}],
    "tracks": [{"type": "V", "number": 1, "clips": [{"in": 0, "out": 10110}]}]}
)";
}

TEST(SegmentPiecesInFiles, FilesWrittenUnderTheFormerNamesLoadAndAreSavedUnderTheNewOnes) {
  TempDir dir;
  const std::string segmentFile = dir.Write("segment.avi", "rendered").string();
  const std::string pieceFile = dir.Write("board.avi", "rendered").string();
  CTestDoc doc;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(FormerFile(segmentFile, pieceFile), dir.path(), doc, &error)) << error;

  const FilterList& segments = doc.Head()->segments;
  ASSERT_EQ(segments.size(), 2u);
  ASSERT_EQ(segments[0].params.size(), 1u);
  const TLFilterParam& movie = segments[0].params[0];
  EXPECT_TRUE(movie.DescribesSegmentMovie());
  EXPECT_EQ(movie.movieRate(), 2997);
  EXPECT_EQ(movie.movieFrames(), 303);
  EXPECT_EQ(movie.movieWidth(), 160);
  EXPECT_EQ(movie.movieHeight(), 120);
  EXPECT_EQ(movie.gridRate(), 29970);
  ASSERT_EQ(segments[1].params.size(), 2u);
  EXPECT_EQ(segments[1].params[0], MakeRenderedPiece(5, 10, 40, pieceFile, "made.avi"));
  EXPECT_EQ(segments[1].params[1], MakeRenderedPiece(6, 0, 20, pieceFile, {}, 3));
  const std::optional<AviClipHeader> header = SegmentMovieHeader(doc);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->picture.width, 160);

  std::string text;
  ASSERT_TRUE(FormatTimelineFile(doc, dir.path(), &text, &error)) << error;
  const nlohmann::json written = nlohmann::json::parse(text);
  EXPECT_EQ(written["version"], 1);
  EXPECT_EQ(written["segments"][0]["pieces"][0],
            nlohmann::json::parse(R"({"rate": 2997, "frames": 303, "width": 160, "height": 120, "gridRate": 29970})"));
  EXPECT_EQ(written["segments"][1]["pieces"][0],
            nlohmann::json::parse(R"({"id": 5, "first": 10, "last": 40, "file": ")" + pieceFile +
                                  R"(", "file2": "made.avi"})"));
}

TEST(SegmentPiecesInFiles, PiecesThatCannotBeRightAreRefused) {
  const std::string segmentFile = "/nonexistent/segment.avi";
  const struct {
    std::string piece;
    std::string message;
  } cases[] = {
      {R"({"id": 1, "first": 10, "last": 8, "file": "a.avi"})",
       "segments[0].pieces[0].last: the last frame 8 lies before the first 10"},
      {R"({"id": 1, "first": 0, "last": -2, "file": "a.avi"})",
       "segments[0].pieces[0].last: -2 is out of range (allowed: -1 to 2147483647)"},
      {R"({"id": 1, "first": 5, "last": -1, "file": ""})",
       "segments[0].pieces[0].last: -1 is out of range (allowed: 0 to 2147483647)"},
      {R"({"id": 1, "first": -1, "last": 4, "file": "a.avi"})",
       "segments[0].pieces[0].first: -1 is out of range (allowed: 0 to 2147483647)"},
      {R"({"rate": 2997, "frames": 10, "width": -160, "height": 120})",
       "segments[0].pieces[0].width: -160 is out of range (allowed: 0 to 2147483647)"},
      {R"({"rate": 2997, "frames": 10, "width": 160})", "segments[0].pieces[0]: the key \"height\" is missing"},
      {R"({"id": 1, "first": 0, "last": 4})", "segments[0].pieces[0]: the key \"file\" is missing"},
      {R"({"rate": 2997, "frames": "many", "width": 160, "height": 120})",
       "segments[0].pieces[0].frames: expected a whole number, found a text"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string text =
        R"({"format": "sprocket-timeline", "version": 1, "duration": 1000, "tracks": [],
            "segments": [{"start": 0, "end": 1000, "pieces": [)" +
        c.piece + "]}]}";
    CTestDoc doc;
    std::string error;
    EXPECT_FALSE(ParseTimelineFile(text, dir.path(), doc, &error)) << c.piece;
    EXPECT_EQ(error, "The timeline cannot be loaded: " + c.message + ".");
  }
}

}  // namespace
}  // namespace sprocket
