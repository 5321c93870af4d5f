#include "render/output/board_native_format.h"

#include <gtest/gtest.h>

#include "timeline/basics/time_code.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

MovieSettings NativeRecord(int height, float fps) {
  MovieSettings record = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  record.VCompressionType = "CFCC";
  record.VResWidth = 720;
  record.VResHeight = height;
  record.VFramesPerSec = fps;
  return record;
}

TEST(BoardNativeFormatTest, RecordIsNativeOnlyInTheBoardsTwoFormats) {
  EXPECT_TRUE(IsBoardNativeRecord(NativeRecord(480, 29.97f)));
  EXPECT_TRUE(IsBoardNativeRecord(NativeRecord(576, 25.0f)));
  EXPECT_FALSE(IsBoardNativeRecord(NativeRecord(480, 25.0f)));
  EXPECT_FALSE(IsBoardNativeRecord(NativeRecord(576, 29.97f)));
  MovieSettings other = NativeRecord(480, 29.97f);
  other.VCompressionType = "MJPG";
  EXPECT_FALSE(IsBoardNativeRecord(other));
  other = NativeRecord(480, 29.97f);
  other.VCompressionType = "cfcc";
  EXPECT_FALSE(IsBoardNativeRecord(other));
  other = NativeRecord(480, 29.97f);
  other.VResWidth = 640;
  EXPECT_FALSE(IsBoardNativeRecord(other));
  EXPECT_EQ(RecordRateHundredths(NativeRecord(480, 29.97f)), 2997);
  EXPECT_EQ(RecordRateHundredths(NativeRecord(576, 25.0f)), 2500);
}

TEST(BoardNativeFormatTest, EitherAndPreviewFlagsChooseTheRecords) {
  ApplicationState app;
  app.preview = NativeRecord(480, 29.97f);
  const PlatformFamily nt = PlatformFamily::kWorkstation;
  EXPECT_TRUE(IsBoardNativeFormat(nt, app, true, true));
  EXPECT_TRUE(IsBoardNativeFormat(nt, app, false, true));
  EXPECT_FALSE(IsBoardNativeFormat(nt, app, false, false));
  // The single-user family has no board-native output whatever the settings.
  app.movie = NativeRecord(576, 25.0f);
  for (bool either : {false, true}) {
    for (bool preview : {false, true}) {
      EXPECT_FALSE(IsBoardNativeFormat(PlatformFamily::kSingleUser, app, either, preview));
    }
  }
}

TEST(BoardNativeFormatTest, BoardRateComesFromTheChosenRecordOnly) {
  ApplicationState app;
  app.movie = NativeRecord(576, 25.0f);
  EXPECT_EQ(BoardRate(app, false), 2500);
  // A preview whose record is not native uses 29.97 even though the movie is native at 25.
  EXPECT_EQ(BoardRate(app, true), 2997);
}

class SnapTest : public ::testing::Test {
protected:
  void SetUp() override {
    doc.head = MakeDefaultTimeline(2500, 60000);
    doc.rate = 2500;
    doc.movieRange = {1000, 9000};
    doc.previewRange = {2000, 5000};
    TLEventFields fields;
    fields.mediaType = 101;
    fields.crop = {1 | 2 << 16, 3 | 4 << 16, 5, 6};
    clip = InsertClip(doc.Head(), 1, 1000, 5040, fields);
    ASSERT_NE(clip, nullptr);
    clip->playIn = 520;
    clip->playOut = 4560;
    TLFilter segment;
    segment.start = 0;
    segment.end = 1000;
    doc.Head()->segments.push_back(segment);
    segment.start = 1000;
    segment.end = 5040;
    doc.Head()->segments.push_back(segment);
    app.movie = NativeRecord(480, 29.97f);
  }

  CTestDoc doc;
  ApplicationState app;
  TLEvent* clip = nullptr;
};

TEST_F(SnapTest, SnapsEveryTimeToTheBoardGridAndRestoresTheExactValues) {
  SnapTimesToBoardRate(doc, app, false);
  ASSERT_TRUE(HoldsSnappedTimes(app));
  EXPECT_EQ(clip->time, SnapToFrame(1000, 2997));
  EXPECT_EQ(clip->time, 1001);
  EXPECT_EQ(clip->OutTime(), SnapToFrame(5040, 2997));
  EXPECT_EQ(clip->playIn, SnapToFrame(520, 2997));
  EXPECT_EQ(clip->playOut, SnapToFrame(4560, 2997));
  EXPECT_EQ(doc.movieRange.start, SnapToFrame(1000, 2997));
  EXPECT_EQ(doc.previewRange.end, SnapToFrame(5000, 2997));
  EXPECT_EQ(doc.Head()->segments[1].end, SnapToFrame(5040, 2997));
  EXPECT_EQ(doc.rate, 2500);

  RestoreSnappedTimes(doc, app, false);
  EXPECT_FALSE(HoldsSnappedTimes(app));
  EXPECT_EQ(clip->time, 1000);
  EXPECT_EQ(clip->OutTime(), 5040);
  EXPECT_EQ(clip->playIn, 520);
  EXPECT_EQ(clip->playOut, 4560);
  EXPECT_EQ(doc.movieRange, (TimeRange{1000, 9000}));
  EXPECT_EQ(doc.previewRange, (TimeRange{2000, 5000}));
  EXPECT_EQ(doc.Head()->segments[1].start, 1000);
  EXPECT_EQ(doc.Head()->segments[1].end, 5040);
  EXPECT_FALSE(clip->savedTimes.has_value());
  EXPECT_FALSE(doc.Head()->segments[0].savedSpan.has_value());
  // The clip's cropping is kept.
  EXPECT_EQ(clip->crop, (ClipCropWords{1 | 2 << 16, 3 | 4 << 16, 5, 6}));
  EXPECT_TRUE(CheckTimelineLinks(doc.Head()));
}

TEST_F(SnapTest, TimelineAtTheBoardRateTakesNoSnapshot) {
  doc.rate = 2997;
  doc.Head()->rate = 2997;
  SnapTimesToBoardRate(doc, app, false);
  EXPECT_FALSE(HoldsSnappedTimes(app));
  EXPECT_FALSE(clip->savedTimes.has_value());
  EXPECT_EQ(clip->time, 1000);
  RestoreSnappedTimes(doc, app, false);
  EXPECT_EQ(clip->time, 1000);
}

TEST_F(SnapTest, SecondSnapKeepsTheFirstValues) {
  SnapTimesToBoardRate(doc, app, false);
  SnapTimesToBoardRate(doc, app, false);
  RestoreSnappedTimes(doc, app, false);
  EXPECT_EQ(clip->time, 1000);
  EXPECT_EQ(doc.movieRange.start, 1000);
}

TEST_F(SnapTest, RestoreWorksAfterTheSettingsChanged) {
  SnapTimesToBoardRate(doc, app, false);
  app.movie = MovieSettings::Defaults(MovieSettingsKind::kMovie);
  app.movie.VFramesPerSec = 25.0f;  // now the board rate would equal the timeline's
  RestoreSnappedTimes(doc, app, false);
  EXPECT_EQ(clip->time, 1000);
  EXPECT_EQ(clip->playOut, 4560);
  EXPECT_FALSE(HoldsSnappedTimes(app));
}

TEST_F(SnapTest, GuardRestoresOnEveryWayOutAndMarksTheHead) {
  {
    BoardRateSnap snap(doc, app, false, true);
    EXPECT_EQ(doc.Head()->boardRateSnapped, 1);
    EXPECT_EQ(clip->time, 1001);
  }
  EXPECT_EQ(doc.Head()->boardRateSnapped, 0);
  EXPECT_EQ(clip->time, 1000);
  EXPECT_FALSE(HoldsSnappedTimes(app));
}

}  // namespace
}  // namespace sprocket
