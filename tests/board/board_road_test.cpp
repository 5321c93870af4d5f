// Make Movie and segment rendering in the board's own format, with the
// board stand-in on (and off).

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "imagelib/dib_header.h"
#include "makemovie_fixture.h"
#include "platform/media/video_frame_reader.h"
#include "platform/settings/settings_keys.h"
#include "platform/settings_store.h"
#include "render/output/board_native_format.h"
#include "timeline/basics/time_code.h"
#include "timeline/document/render_segments.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket::testing {
namespace {

// A 24-bit BMP file of one colour.
std::string WriteBmp(const std::filesystem::path& path, int width, int height, std::uint8_t blue) {
  const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const DibInfoHeader info = MakeDib24Header(width, height);
  const std::uint32_t offset = 14 + sizeof info;
  const std::uint32_t size = offset + static_cast<std::uint32_t>(row * height);
  std::ofstream out(path, std::ios::binary);
  out.write("BM", 2);
  out.write(reinterpret_cast<const char*>(&size), 4);
  const std::uint32_t reserved = 0;
  out.write(reinterpret_cast<const char*>(&reserved), 4);
  out.write(reinterpret_cast<const char*>(&offset), 4);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::vector<std::uint8_t> pixels(row * height, 30);
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) pixels[i] = blue;
  out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  return path.string();
}

class BoardRoadTest : public MakeMovieTest {
protected:
  void SetUp() override {
    SetFamily(2);
    UseBoardNativeSettings();
    doc.rate = 2500;
    doc.head = MakeDefaultTimeline(2500, 1200);
    doc.duration = 1200;
    still = WriteBmp(temp.path() / "media" / "card.bmp", 64, 48, 220);
    clipA = WriteClip("clipA.avi", 64, 48, 30, 40, 40, 200, "MJPG", false, true);
    clipB = WriteClip("clipB.avi", 64, 48, 30, 200, 40, 40, "MJPG", false);
    ASSERT_NE(AddClip(still, 1, 0, 400), nullptr);
    clipInA = AddClip(clipA, 1, 400, 1000);
    ASSERT_NE(clipInA, nullptr);
    ASSERT_NE(AddClip(clipB, 3, 800, 1200), nullptr);
    ASSERT_NE(AddDissolve(800, 1000), nullptr);
    SplitSegmentsAtClips(doc.Head());
    doc.movieRange = {0, 1200};
    doc.previewRange = {0, 1200};
  }
  std::vector<TLFilter>& Segments() { return doc.Head()->segments; }
  // Renders the still's segment on the board: movies that start in it then
  // take the road of rendered segments.
  void RenderStillSegment() {
    Segments()[0].marked = 1;
    ASSERT_EQ(Compiler().Segments().RenderMarkedSegments(0, 0, 0, 1), 0);
    Segments()[0].marked = 0;
    ASSERT_EQ(Segments()[0].rendered, 1);
  }

  std::string still;
  TLEvent* clipInA = nullptr;
};

TEST_F(BoardRoadTest, MovieIsMadeOfBoardClipsAndRegisteredWithThem) {
  SimulateBoard(false);
  ASSERT_TRUE(IsBoardNativeFormat(PlatformFamily::kWorkstation, TheApp(), false, false));
  ASSERT_EQ(Segments().size(), 4u);
  RenderStillSegment();
  const std::string out = Out("native.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(36, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_TRUE(prompts.AllShown());

  // The still's segment went the board's one-frame road: a board clip's
  // second name covers all its frames, copied into a temporary file.
  const TLFilter& stillSegment = Segments()[0];
  EXPECT_EQ(stillSegment.rendered, 1);
  ASSERT_EQ(stillSegment.params.size(), 1u);
  EXPECT_EQ(stillSegment.params[0].firstFrame(), 0);
  EXPECT_EQ(stillSegment.params[0].lastFrame(), MsToFrames(400, 29.97) - 1);
  EXPECT_NE(stillSegment.params[0].name.find(".PAT"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(stillSegment.params[0].name));
  EXPECT_TRUE(std::filesystem::exists(stillSegment.params[0].secondName));
  // The moving segments were composited and made into board clips.
  for (std::size_t i = 1; i < Segments().size(); ++i) {
    const TLFilter& segment = Segments()[i];
    EXPECT_EQ(segment.rendered, 1) << i;
    ASSERT_EQ(segment.params.size(), 1u) << i;
    EXPECT_NE(segment.params[0].name.find(".PVD"), std::string::npos) << i;
    EXPECT_EQ(segment.params[0].secondName, segment.fileName) << i;
  }

  VideoFrameReader reader;
  ASSERT_TRUE(reader.Open(out));
  EXPECT_EQ(reader.FrameCount(), 36);
  EXPECT_EQ(reader.Width(), 720);
  EXPECT_GT(FrameColour(out, 2).blue, 180);   // the still
  EXPECT_GT(FrameColour(out, 35).blue, 150);  // clip B
  EXPECT_GT(FrameColour(out, 15).red, 150);   // clip A

  // The pieces' temporary files were registered with the movie, which
  // then played on the board.
  ASSERT_EQ(board->registrations().size(), 4u);
  for (const auto& [movie, piece] : board->registrations()) {
    EXPECT_EQ(movie, out);
    EXPECT_TRUE(std::filesystem::exists(piece)) << piece;
  }
  ASSERT_EQ(board->plays().size(), 1u);
  EXPECT_EQ(board->plays()[0], (ClipPlayRequest{out, 0, 0, 320, 240, 29}));
  EXPECT_TRUE(player.requests().empty());
  EXPECT_EQ(AppProfile().GetProfileString(settings::kLastMakeMovie, "FileType"), "CFCC");

  // Every time came back exactly from the board's frame grid.
  EXPECT_EQ(clipInA->time, 400);
  EXPECT_EQ(clipInA->OutTime(), 1000);
  EXPECT_EQ(Segments()[1].start, 400);
  EXPECT_EQ(doc.movieRange, (TimeRange{0, 1200}));
  EXPECT_EQ(doc.Head()->boardRateSnapped, 0);
  EXPECT_FALSE(HoldsSnappedTimes(TheApp()));
  EXPECT_TRUE(doc.firstSpans.empty());

  // The document's temporary folder holds only files the segments name.
  std::set<std::string> named;
  for (const TLFilter& segment : Segments()) {
    named.insert(segment.fileName);
    for (const TLFilterParam& piece : segment.params) named.insert({piece.name, piece.secondName});
  }
  for (const auto& entry : std::filesystem::directory_iterator(doc.tempDir)) {
    EXPECT_TRUE(named.count(entry.path().string()) == 1) << entry.path();
  }
}

TEST_F(BoardRoadTest, MissingBoardClipCanStopTheMovie) {
  SimulateBoard(false);
  RenderStillSegment();
  dialogs.path = Out("first.avi");
  prompts.Expect(CompletedText(36, Out("first.avi")));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);

  const std::string gone = Segments()[1].params[0].name;
  std::filesystem::remove(gone);
  dialogs.path = Out("second.avi");
  prompts.Expect(gone + " doesn't exist, do you want to continue ?", IDNO);
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_FALSE(std::filesystem::exists(Out("second.avi")));
  EXPECT_EQ(clipInA->time, 400);
  EXPECT_FALSE(HoldsSnappedTimes(TheApp()));
  EXPECT_EQ(doc.Head()->boardRateSnapped, 0);
  EXPECT_EQ(board->plays().size(), 1u);
}

TEST_F(BoardRoadTest, EffectsBoardCompilesTheDissolve) {
  SimulateBoard(true);
  RenderStillSegment();
  const std::string out = Out("tfx.avi");
  dialogs.path = out;
  prompts.Expect(CompletedText(36, out));
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  const TLFilter& dissolve = Segments()[2];
  EXPECT_EQ(dissolve.rendered, 1);
  ASSERT_EQ(dissolve.params.size(), 2u);
  for (const TLFilterParam& piece : dissolve.params) {
    EXPECT_EQ(piece.pieceId(), 1);
    EXPECT_NE(piece.name.find("/drive0/tfx/"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(piece.name));
  }
  EXPECT_TRUE(std::filesystem::exists(dissolve.params[0].secondName));
  EXPECT_EQ(VideoFrames(out), 36);
}

TEST_F(BoardRoadTest, WithoutTheBoardTheBoardsFormatFailsCleanly) {
  // The first segment was rendered on a board: the movie takes the road of
  // rendered segments, whose others cannot be rendered now.
  Segments()[0].rendered = 1;
  Segments()[0].params.push_back(MakeRenderedPiece(0, 0, 11, "/board/gone.PAT"));
  dialogs.path = Out("noboard.avi");
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), -1);
  EXPECT_FALSE(std::filesystem::exists(Out("noboard.avi")));
  EXPECT_EQ(clipInA->time, 400);
  EXPECT_FALSE(HoldsSnappedTimes(TheApp()));
  EXPECT_EQ(doc.Head()->boardRateSnapped, 0);
  for (std::size_t i = 1; i < Segments().size(); ++i) EXPECT_EQ(Segments()[i].rendered, 0) << i;

  // Nothing rendered: the movie is composed directly in the board's format.
  Segments()[0] = TLFilter{.start = 0, .end = 400};
  SplitSegmentsAtClips(doc.Head());
  dialogs.path = Out("composed.avi");
  prompts.Expect(CompletedText(36, Out("composed.avi")));
  EXPECT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);
  EXPECT_EQ(VideoFrames(Out("composed.avi")), 36);
}

TEST_F(BoardRoadTest, SingleUserFamilyHasNoBoardFormat) {
  SimulateBoard(false);
  SetFamily(1);
  UseSmallMovieSettings();
  TheApp().movie.VCompressionType = "CFCC";  // the board's compressor at another size
  dialogs.path = Out("plain.avi");
  ASSERT_EQ(MakeMovie(0, MovieOutputType::kAvi), 0);  // nothing rendered: the plain road, without a message
  EXPECT_EQ(VideoFrames(Out("plain.avi")), 30);
  EXPECT_TRUE(board->registrations().empty());
  for (const TLFilter& segment : Segments()) EXPECT_EQ(segment.rendered, 0);
  // A movie in the board's compressor plays on the board.
  ASSERT_EQ(board->plays().size(), 1u);
}

TEST_F(BoardRoadTest, RenderMarkedOnTheBoard) {
  SimulateBoard(false);
  Segments()[0].marked = 1;
  EXPECT_EQ(Compiler().Segments().RenderMarkedSegments(0, 0, 0, 1), 0);
  EXPECT_EQ(Segments()[0].rendered, 1);
  EXPECT_EQ(Segments()[1].rendered, 0);
  EXPECT_EQ(doc.Head()->boardRateSnapped, 0);
  EXPECT_EQ(clipInA->time, 400);
  EXPECT_TRUE(doc.IsModified());
}

}  // namespace
}  // namespace sprocket::testing
