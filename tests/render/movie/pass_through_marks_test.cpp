#include "render/movie/pass_through_marks.h"

#include <gtest/gtest.h>

#include "render/compose/sample_copy.h"
#include "render/movie/render_space.h"
#include "timeline/basics/media_type.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

ClipMediaHeader AviHeader(const char* codec, std::int32_t width, std::int32_t height, std::uint32_t rate,
                          std::uint32_t scale) {
  AviClipHeader avi{};
  avi.video.handler = codec[0] == '\0' ? 0 : MakeFourcc(codec[0], codec[1], codec[2], codec[3]);
  avi.video.rate = rate;
  avi.video.scale = scale;
  avi.picture.width = width;
  avi.picture.height = height;
  return ClipMediaHeader(avi);
}

class PassThroughMarksTest : public ::testing::Test {
protected:
  void SetUp() override {
    head = MakeDefaultTimeline(2500, 10000);
    output.VCompressionType = "MJPG";
    output.VResWidth = 720;
    output.VResHeight = 480;
    output.VFramesPerSec = 25.0f;
  }
  TLEvent* Clip(const ClipMediaHeader& header, std::int32_t track = 1) {
    TLEventFields fields;
    fields.mediaType = kMediaAvi;
    fields.header = header;
    TLEvent* clip = InsertClip(head.get(), track, next, next + 1000, fields);
    next += 1000;
    return clip;
  }
  std::int32_t Marked(bool doubleSize = false) {
    MarkPassThroughClips(head.get(), output, doubleSize);
    return last->passThroughKind;
  }

  EventListSlot head;
  MovieSettings output;
  std::int32_t next = 0;
  TLEvent* last = nullptr;
};

TEST_F(PassThroughMarksTest, ClipInTheOutputsFormatIsCopyable) {
  last = Clip(AviHeader("mjpg", 720, 480, 25, 1));
  EXPECT_EQ(Marked(), kPassThroughCopy);
  EXPECT_FALSE(last->boardNative);
  // Nothing else may change the picture or the time.
  EXPECT_EQ(Marked(true), kPassThroughNone);
  last->speed = 50;
  EXPECT_EQ(Marked(), kPassThroughNone);
  last->speed = 100;
  last->reverse = 1;
  EXPECT_EQ(Marked(), kPassThroughNone);
  last->reverse = 0;
  last->filters.push_back(TLFilter{});
  EXPECT_EQ(Marked(), kPassThroughNone);
  last->filters.clear();
  last->crop.leftTop = 4;
  EXPECT_EQ(Marked(), kPassThroughNone);
  last->crop = {};
  head->cropMargins.Set(2, 0, 0, 0);
  EXPECT_EQ(Marked(), kPassThroughNone);
  head->cropMargins = {};
  output.VbRecompress = 1;
  EXPECT_EQ(Marked(), kPassThroughNone);
}

TEST_F(PassThroughMarksTest, OtherFormatsAreRendered) {
  last = Clip(AviHeader("cvid", 720, 480, 25, 1));
  EXPECT_EQ(Marked(), kPassThroughNone);
  last = Clip(AviHeader("MJPG", 640, 480, 25, 1));
  EXPECT_EQ(Marked(), kPassThroughNone);
  last = Clip(AviHeader("MJPG", 720, 480, 30000, 1001));
  EXPECT_EQ(Marked(), kPassThroughNone);
  last = Clip(AviHeader("MJPG", 720, 480, 25, 1), 6);  // an audio track
  EXPECT_EQ(Marked(), kPassThroughNone);
  // A rendered segment's file names no compressor: the movie join checks its samples.
  last = Clip(AviHeader("", 720, 480, 2500, 100));
  EXPECT_EQ(Marked(), kPassThroughCopy);
}

TEST_F(PassThroughMarksTest, BoardClipsAreMarkedAndCleared) {
  last = Clip(AviHeader("CFCC", 720, 480, 30000, 1001));
  MarkPassThroughClips(head.get(), output, false);
  EXPECT_TRUE(last->boardNative);
  ClearNativeClipFlags(head.get());
  EXPECT_FALSE(last->boardNative);
}

TEST(RenderSpaceTest, EstimatesFollowTheFormulas) {
  MovieSettings record;
  record.VReserved1 = 1;
  record.ABitsPerSample = 16;
  record.ASamplesPerSec = 44100;
  record.AChannels = 2;
  EXPECT_EQ(AudioSpaceKB(record, 1000), 176u);  // 16 x 44100 x 2 x 0.000125 = 176.4
  EXPECT_EQ(AudioSpaceKB(record, 0), 0u);
  record.VReserved1 = 0;
  EXPECT_EQ(AudioSpaceKB(record, 1000), 0u);
  EXPECT_EQ(VideoSpaceKB(640, 480, 30), 5530u);  // (921600 + 40) x 0.001 x 30 x 0.2 = 5529.8
  EXPECT_EQ(BoardVideoSpaceKB(30, false), 3u);
  EXPECT_EQ(BoardVideoSpaceKB(30, true), 6u);
}

}  // namespace
}  // namespace sprocket
