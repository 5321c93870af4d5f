#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "render/compose/transition_icons.h"
#include "render/movie/board_segments.h"
#include "render/sources/avi_field_info.h"
#include "scripted_prompts.h"
#include "source_test_media.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/basics/time_code.h"
#include "timeline/records/filter_ids.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::Bgr;
using testing::PixelOf;

// --- Transition icons ---

class IconBitmap : public ClipBitmap {
public:
  explicit IconBitmap(const DibPicture& picture) : picture_(picture.Clone()) {}
  std::unique_ptr<ClipBitmap> Clone() const override { return std::make_unique<IconBitmap>(picture_); }
  const DibPicture& picture() const { return picture_; }

private:
  DibPicture picture_;
};

class CountingStock : public StockBitmapLibrary {
public:
  DibPicture LoadBitmapResource(std::int32_t id) override {
    ++loads;
    return drawn.LoadBitmapResource(id);
  }
  DrawnStockBitmaps drawn;
  int loads = 0;
};

class TransitionIcons : public ::testing::Test {
protected:
  TransitionIcons()
      : loader_(stock_, [](const DibPicture& picture) { return std::make_unique<IconBitmap>(picture); }) {}
  static std::unique_ptr<TLEvent> Transition(std::int32_t id) {
    auto clip = std::make_unique<TLEvent>();
    clip->trackType = kTrackTransition;
    clip->transitionId = id;
    return clip;
  }
  static const DibPicture& Icon(const TLEvent& clip) {
    return static_cast<const IconBitmap&>(*clip.transitionIcon).picture();
  }
  CountingStock stock_;
  TransitionIconLoader loader_;
};

TEST_F(TransitionIcons, StockTransitionsGetTheirBitmap) {
  auto clip = Transition(1);
  EXPECT_EQ(loader_.LoadTransitionIcon(*clip), 1);
  ASSERT_TRUE(clip->transitionIcon);
  EXPECT_EQ(Icon(*clip).Width(), kTransitionIconWidth);
  EXPECT_EQ(Icon(*clip).Height(), kTransitionIconHeight);
  EXPECT_EQ(stock_.loads, 1);
}

TEST_F(TransitionIcons, AClipsOwnPictureIsScaledAndNeverTouchesTheStock) {
  auto clip = Transition(1);
  clip->ownPicture.reset(testing::MakeFlatPicture(70, 56, Bgr{16, 32, 48}).release());
  EXPECT_EQ(loader_.LoadTransitionIcon(*clip), 1);
  ASSERT_TRUE(clip->transitionIcon);
  EXPECT_EQ(PixelOf(Icon(*clip).data(), 17, 13), (Bgr{16, 32, 48}));
  EXPECT_EQ(Icon(*clip).Width(), 35);
  EXPECT_EQ(stock_.loads, 0);
}

TEST_F(TransitionIcons, UnknownIdsAreReportedOnceAndOtherClipsLeftAlone) {
  testing::ScriptedPrompts prompts;
  prompts.Expect("Could NOT load transition bitmap from library in terms of this ID !");
  auto unknown = Transition(987654);
  EXPECT_EQ(loader_.LoadTransitionIcon(*unknown), 1);
  EXPECT_EQ(loader_.LoadTransitionIcon(*unknown), 1);
  EXPECT_FALSE(unknown->transitionIcon);
  EXPECT_TRUE(prompts.AllShown());

  auto intermediate = Transition(1);
  intermediate->intermediateMovie.emplace();
  EXPECT_EQ(loader_.LoadTransitionIcon(*intermediate), 0);
  auto video = Transition(1);
  video->trackType = kTrackVideo;
  EXPECT_EQ(loader_.LoadTransitionIcon(*video), 1);
  EXPECT_FALSE(video->transitionIcon);
  EXPECT_FALSE(intermediate->transitionIcon);
}

// --- Board segment lists ---

class ScriptedBoard : public BoardClipFiles {
public:
  void dudReadChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* master) override {
    *master = masters[piece.path];
  }
  void dudReadSlaveChunk(const BoardClipPiece& piece, std::vector<BoardChunk>* slave) override {
    *slave = slaves[piece.path];
  }
  void dudClearList(std::vector<BoardChunk>* master) override {
    ++clears;
    master->clear();
  }
  void dudClearSlaveList(std::vector<BoardChunk>* slave) override {
    ++clears;
    slave->clear();
  }
  std::map<std::string, std::vector<BoardChunk>> masters;
  std::map<std::string, std::vector<BoardChunk>> slaves;
  int clears = 0;
};

TEST(BoardSegments, PiecesBecomePlayRecordsWithTheirChunks) {
  ScriptedBoard board;
  board.masters["/board/one.bvd"] = {{{1, 2, 3}, "m1"}, {{4, 5, 6}, "m2"}};
  board.slaves["/board/one.bvd"] = {{{0, 0, 0}, "s1"}};
  std::vector<BoardClipPiece> pieces(2);
  pieces[0].path = "/board/one.bvd";
  pieces[0].copiedValue = 77;
  pieces[0].baseTime = 1000;
  pieces[0].startOffset = 10;
  pieces[0].endOffset = 2010;
  pieces[1].path = "/board/empty.bvd";
  const FilterList records = ReadSegmentChunkLists(pieces, 2500, board);
  ASSERT_EQ(records.size(), 2u);
  const TLFilter& first = records[0];
  EXPECT_EQ(first.id, kFilterSegmentPlayRecord);
  EXPECT_EQ(first.rendered, 1);
  EXPECT_EQ(first.start, SnapToFrame(1010, 2500));
  EXPECT_EQ(first.end, SnapToFrame(3010, 2500));
  EXPECT_EQ(first.length, first.end - first.start);
  EXPECT_EQ(first.copiedValue, 77);
  ASSERT_EQ(first.params.size(), 2u);
  EXPECT_EQ(first.params[0].values[2], 3);
  EXPECT_EQ(first.params[0].name, "m1");
  EXPECT_EQ(first.params[0].secondName, "s1");
  EXPECT_EQ(first.params[1].name, "m2");
  EXPECT_EQ(first.params[1].secondName, "/board/one.bvd");
  EXPECT_TRUE(records[1].params.empty());
  EXPECT_EQ(board.clears, 4);

  NoBoardClipFiles none;
  const FilterList withoutBoard = ReadSegmentChunkLists(pieces, 2500, none);
  ASSERT_EQ(withoutBoard.size(), 2u);
  EXPECT_TRUE(withoutBoard[0].params.empty());
  EXPECT_TRUE(ReadSegmentChunkLists({}, 2500, none).empty());
}

// --- AVI field order ---

TEST(AviFieldInfo, VideoAviClipsTakeTheirCompressorsFieldOrder) {
  testing::ScopedConfigDir config;
  WriteProfileString("AVI Field Info", "ENTRY0", "DUDC(1)");
  WriteProfileString("AVI Field Info", "ENTRY1", "CFCC(2)");
  WriteProfileString("AVI Field Info", "ENTRY2", "TVMJ(2)");
  WriteProfileString("AVI Field Info", "ENTRY3", "TVJP(2)");
  EventListSlot timeline = NewTimeline(2500, 60000);
  TLEvent* video = InsertTrack(timeline.get(), kTrackVideo, 1);
  TLEvent* audio = InsertTrack(timeline.get(), kTrackAudio, 2);
  ASSERT_NE(video, nullptr);
  ASSERT_NE(audio, nullptr);
  auto addAvi = [&timeline](int track, std::int32_t time, const char* code) {
    AviClipHeader header{};
    header.video.handler = MakeFourcc(code[0], code[1], code[2], code[3]);
    TLEventFields fields;
    fields.mediaType = kMediaAvi;
    fields.header = ClipMediaHeader(header);
    fields.header->SetFieldOrder(4);
    return InsertClip(timeline.get(), track, time, time + 1000, fields);
  };
  TLEvent* cfcc = addAvi(1, 0, "CFCC");
  TLEvent* dudc = addAvi(1, 2000, "DUDC");
  TLEvent* other = addAvi(1, 4000, "MJPG");
  TLEvent* sound = addAvi(2, 0, "CFCC");
  ASSERT_NE(cfcc, nullptr);
  ASSERT_NE(sound, nullptr);
  ApplyAviFieldInfo(timeline.get());
  EXPECT_EQ(cfcc->header->FieldOrder(), 2);
  EXPECT_EQ(dudc->header->FieldOrder(), 1);
  EXPECT_EQ(other->header->FieldOrder(), 0);
  EXPECT_EQ(sound->header->FieldOrder(), 4);
}

}  // namespace
}  // namespace sprocket
