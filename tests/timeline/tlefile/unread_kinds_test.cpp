// A timeline that names a file of a kind the program does not read opens with
// a warning that names the file and the kinds read; its clip is kept.

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {
namespace {

TEST(UnreadKinds, OpeningATimelineWithAnUnreadFileSaysWhichAndWhatIsRead) {
  TempDir dir;
  dir.Write("film.mp4", "not a movie of ours");
  const std::string text = R"({"format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 10000,
    "tracks": [{"type": "V", "number": 1, "clips": [{"in": 0, "out": 4000, "file": "film.mp4"}]}]})";
  CTestDoc doc;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ParseTimelineFile(text, dir.path(), doc, &error, &warnings)) << error;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find((dir / "film.mp4").string()), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[0].find("AVI, FLC, FLI"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[0].find("WAV"), std::string::npos) << warnings[0];
  const TLEvent* clip = FindTrack(doc.Head(), 1)->next;
  ASSERT_TRUE(clip->IsClipIn());
  EXPECT_FALSE(clip->header.has_value());
}

}  // namespace
}  // namespace sprocket::testing
