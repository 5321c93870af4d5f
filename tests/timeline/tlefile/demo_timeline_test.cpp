#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "outside_tools.h"
#include "timeline/records/event_queries.h"
#include "timeline/tlefile/timeline_file.h"
#include "timeline_fixtures.h"

namespace sprocket {
namespace {

namespace fs = std::filesystem;
using testing::MasterText;

fs::path ExamplesFolder() { return fs::path(SPROCKET_SOURCE_DIR) / "examples"; }

TEST(DemoTimeline, LoadsWithItsMedia) {
  CTestDoc doc;
  std::string error;
  std::vector<std::string> warnings;
  ASSERT_TRUE(ReadTimelineFile(ExamplesFolder() / "demo.tle", doc, &error, &warnings)) << error;
  EXPECT_TRUE(warnings.empty()) << warnings.front();
  EXPECT_EQ(doc.rate, 2500);
  EXPECT_EQ(doc.duration, 5000);
  EXPECT_EQ(doc.movieRange, (TimeRange{0, 5000}));
  ASSERT_EQ(doc.trackCount, 4);
  EXPECT_EQ(MasterText(doc.Head()),
            "B b1 b2 b3 b4 f1@0 f4@0 f2@2000 f3@2000 F1@3000 F2@3000 F4@3000 F3@5000 e1 e2 e3 e4 E");

  const TLEvent* shotA = FindTrack(doc.Head(), 1)->next;
  const TLEvent* dissolve = FindTrack(doc.Head(), 2)->next;
  const TLEvent* shotB = FindTrack(doc.Head(), 3)->next;
  const TLEvent* tone = FindTrack(doc.Head(), 4)->next;
  EXPECT_EQ(FindTrack(doc.Head(), 2)->trackType, kTrackTransition);
  EXPECT_EQ(dissolve->transitionId, 1);
  // The compositor runs the first filter of a transition: it must be the dissolve.
  ASSERT_FALSE(dissolve->filters.empty());
  EXPECT_EQ(dissolve->filters.front().id, 1);
  EXPECT_EQ(dissolve->OutTime(), 3000);
  for (const TLEvent* shot : {shotA, shotB}) {
    ASSERT_TRUE(shot->header && shot->header->Avi() != nullptr) << shot->name;
    const AviClipHeader& avi = *shot->header->Avi();
    EXPECT_EQ(shot->header->FrameCount(), 75);
    EXPECT_DOUBLE_EQ(shot->header->FramesPerSecond(), 25.0);
    EXPECT_EQ(shot->header->CompressorCode(), MakeFourcc('M', 'J', 'P', 'G'));
    EXPECT_EQ(avi.picture.width, 320);
    EXPECT_EQ(avi.picture.height, 240);
    EXPECT_EQ(avi.wave.channels, 2);
    EXPECT_EQ(avi.wave.samplesPerSec, 11025u);
  }
  EXPECT_EQ(shotB->time, 2000);
  EXPECT_EQ(shotB->OutTime(), 5000);
  EXPECT_EQ(shotA->MediaPath(), (ExamplesFolder() / "media/shot-a.avi").lexically_normal().string());
  ASSERT_TRUE(tone->header && tone->header->Wav() != nullptr);
  EXPECT_EQ(tone->header->AudioChannels(), 1);
  EXPECT_EQ(tone->header->Wav()->bitsPerSample, 16);
  EXPECT_DOUBLE_EQ(tone->header->MediaLengthMs(), 3000.0);
}

// What ffprobe says of a stream entry of a file ("nb_frames" of the video
// stream, ...); empty when ffprobe cannot run.
std::string Probe(const fs::path& file, const std::string& stream, const std::string& entry) {
  std::string out =
      testing::RunCommand("ffprobe -v error -select_streams " + stream + " -show_entries stream=" + entry +
                          " -of default=noprint_wrappers=1:nokey=1 '" + file.string() + "' 2>/dev/null")
          .value_or("");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

TEST(DemoTimeline, HeadersAgreeWithFfprobe) {
  if (!testing::ToolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe is not installed";
  CTestDoc doc;
  ASSERT_TRUE(ReadTimelineFile(ExamplesFolder() / "demo.tle", doc));
  for (int track : {1, 3, 4}) {
    const TLEvent* clip = FindTrack(doc.Head(), track)->next;
    ASSERT_TRUE(clip->header.has_value());
    fs::path file = clip->MediaPath();
    EXPECT_EQ(Probe(file, "a:0", "channels"), std::to_string(clip->header->AudioChannels())) << file;
    if (clip->header->Avi() != nullptr) {
      EXPECT_EQ(Probe(file, "v:0", "nb_frames"), std::to_string(clip->header->FrameCount())) << file;
      EXPECT_EQ(Probe(file, "a:0", "sample_rate"), std::to_string(clip->header->Avi()->wave.samplesPerSec)) << file;
    } else {
      EXPECT_EQ(Probe(file, "a:0", "sample_rate"), std::to_string(clip->header->Wav()->samplesPerSec)) << file;
    }
  }
}

}  // namespace
}  // namespace sprocket
