#include "render/movie/movie_render_services.h"

#include <gtest/gtest.h>

#include "platform/settings/settings_keys.h"
#include "render/compose/sample_copy.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/records/timeline_builder.h"

namespace sprocket {
namespace {

using testing::TempDir;

TEST(FixedMovieOutputTest, AnswersWithThePathAndKeepsTheSeeds) {
  FixedMovieOutput dialogs("/out/movies/take");
  AviSaveRequest request;
  request.movieTitle = "Holiday";
  request.recordInMs = 1200;
  std::optional<AviSaveAnswer> avi = dialogs.SaveAviFile(request);
  ASSERT_TRUE(avi.has_value());
  EXPECT_EQ(avi->path, "/out/movies/take");
  EXPECT_EQ(avi->movieTitle, "Holiday");
  EXPECT_EQ(avi->recordInMs, 1200);
  EXPECT_EQ(dialogs.SaveFile({}), "/out/movies/take");
  std::optional<FolderPrefixAnswer> sequence = dialogs.PickFolderAndPrefix();
  ASSERT_TRUE(sequence.has_value());
  EXPECT_EQ(sequence->folder, "/out/movies/");
  EXPECT_EQ(sequence->prefix, "take");
  FixedMovieOutput bare("shot");
  EXPECT_EQ(bare.PickFolderAndPrefix()->folder, "");
  EXPECT_EQ(bare.PickFolderAndPrefix()->prefix, "shot");
}

class HeadlessMovieViewTest : public ::testing::Test {
protected:
  TempDir dir;
  Profile profile{dir.path() / "RODUVER.INI"};
  ApplicationState app;
  CTestDoc doc;
};

TEST_F(HeadlessMovieViewTest, AnswersFromTheSettings) {
  EXPECT_EQ(HeadlessMovieView(doc, app, profile).SegmentSwitch(), 0);
  profile.WriteProfileInt(settings::kIncComp, settings::kIncCompDisable, 1);
  EXPECT_EQ(HeadlessMovieView(doc, app, profile).SegmentSwitch(), 1);

  app.preview.VCompressionType = "CFCC";
  app.preview.VResWidth = 720;
  app.preview.VResHeight = 480;
  app.preview.VFramesPerSec = 29.97f;
  HeadlessMovieView view(doc, app, profile);
  EXPECT_FALSE(view.IsBoardNativeFormat(false, true));  // the single-user family by default
  profile.WriteProfileInt(settings::kPlatform, settings::kPlatformFamily, 2);
  EXPECT_TRUE(view.IsBoardNativeFormat(false, true));
  EXPECT_FALSE(view.IsBoardNativeFormat(false, false));
}

TEST_F(HeadlessMovieViewTest, MarksTheDocumentsClipsForTheChosenRecord) {
  doc.head = MakeDefaultTimeline(2500, 5000);
  AviClipHeader avi{};
  avi.video.handler = MakeFourcc('M', 'J', 'P', 'G');
  avi.video.rate = 25;
  avi.video.scale = 1;
  avi.picture.width = 320;
  avi.picture.height = 240;
  TLEventFields fields;
  fields.mediaType = kMediaAvi;
  fields.header = ClipMediaHeader(avi);
  TLEvent* clip = InsertClip(doc.Head(), 1, 0, 1000, fields);
  ASSERT_NE(clip, nullptr);
  app.preview.VCompressionType = "MJPG";
  app.preview.VResWidth = 320;
  app.preview.VResHeight = 240;
  app.preview.VFramesPerSec = 25.0f;
  HeadlessMovieView view(doc, app, profile);
  view.MarkPassThroughClips(true);
  EXPECT_EQ(clip->passThroughKind, kPassThroughCopy);
  view.MarkPassThroughClips(false);  // the movie record is 640 x 480
  EXPECT_EQ(clip->passThroughKind, kPassThroughNone);
}

TEST_F(HeadlessMovieViewTest, SavesTheDocumentToItsOwnFileOnly) {
  doc.head = MakeDefaultTimeline(2500, 5000);
  HeadlessMovieView view(doc, app, profile);
  EXPECT_FALSE(view.SaveDocument());
  doc.pathName = (dir.path() / "saved.tle").string();
  doc.SetModifiedFlag();
  EXPECT_TRUE(view.SaveDocument());
  EXPECT_TRUE(std::filesystem::exists(doc.pathName));
  EXPECT_FALSE(doc.IsModified());
}

}  // namespace
}  // namespace sprocket
