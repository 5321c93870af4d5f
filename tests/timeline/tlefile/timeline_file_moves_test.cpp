// What a timeline file keeps when it moves to another folder or machine: the
// program's black picture is named, not located, and a new timeline's ranges
// go on following its content.

#include <gtest/gtest.h>

#include "platform/settings_store.h"
#include "temp_dir.h"
#include "timeline/basics/media_type.h"
#include "timeline/document/black_picture.h"
#include "timeline/document/clip_factory.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {
namespace {

TEST(TimelineFileMoves, TheBlackPictureIsNamedAndMadeAgainWhereverTheFileIsRead) {
  TempDir first;
  TempDir second;
  SetConfigDir(first.path());
  CTestDoc doc;
  MediaPathParts parts;
  ASSERT_TRUE(SplitMediaPath(EnsureBlackPicture(), &parts));
  TLEventFields fields;
  fields.directory = parts.directory;
  fields.name = parts.name;
  fields.extension = parts.extension;
  fields.mediaType = kMediaBmp;
  fields.playOut = 1000;
  ASSERT_NE(InsertClip(doc.Head(), 3, 0, 1000, fields), nullptr);
  std::string text;
  ASSERT_TRUE(FormatTimelineFile(doc, first.path(), &text));
  EXPECT_EQ(text.find(first.path().string()), std::string::npos) << "no path of this machine in the file";
  EXPECT_NE(text.find("\"generated\": \"black\""), std::string::npos);

  SetConfigDir(second.path());  // another user, or the same after the picture went
  CTestDoc reopened;
  std::string error;
  ASSERT_TRUE(ParseTimelineFile(text, second.path(), reopened, &error)) << error;
  const TLEvent* black = FindTrack(reopened.Head(), 3)->next;
  ASSERT_TRUE(black->IsClipIn());
  EXPECT_EQ(black->MediaPath(), (second.path() / "black.bmp").string());
  EXPECT_TRUE(std::filesystem::exists(second.path() / "black.bmp"));
}

TEST(TimelineFileMoves, RangesThatFollowTheContentGoOnFollowingItAfterAReopen) {
  TempDir folder;
  for (bool follow : {true, false}) {
    CTestDoc doc;
    doc.rangesFollowContent = follow;
    doc.movieRange = {0, 4000};
    std::string text;
    ASSERT_TRUE(FormatTimelineFile(doc, folder.path(), &text));
    CTestDoc reopened;
    reopened.rangesFollowContent = !follow;
    ASSERT_TRUE(ParseTimelineFile(text, folder.path(), reopened));
    EXPECT_EQ(reopened.rangesFollowContent, follow);
    EXPECT_EQ(reopened.movieRange, (TimeRange{0, 4000}));
  }
}

}  // namespace
}  // namespace sprocket::testing
