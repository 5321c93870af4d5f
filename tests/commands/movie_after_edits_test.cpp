// A movie made after split, fade, speed and channel-mode commands shows what
// the edits say: the fade's first frame is black, the sped-up clip ends
// halfway, and the left channel of the muted-left sound is silent while the
// right one carries the tone. The movie is made by sprocket-render and read
// back with ffmpeg.

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "clip_media_files.h"
#include "command_harness.h"
#include "commands/command_ids.h"
#include "outside_tools.h"
#include "timeline/document/clip_factory.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/tlefile/timeline_file.h"

namespace sprocket::testing {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// The mean of the bytes of one 64 x 48 RGB frame of the movie at `seconds`.
double MeanFrameLevel(const std::string& movie, double seconds) {
  const auto raw = RunCommand("ffmpeg -hide_banner -loglevel error -ss " + std::to_string(seconds) + " -i '" + movie +
                              "' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  if (!raw || raw->size() != static_cast<std::size_t>(kWidth * kHeight * 3)) return -1.0;
  double sum = 0.0;
  for (unsigned char byte : *raw) sum += byte;
  return sum / static_cast<double>(raw->size());
}

// The largest sample of one channel (0 left, 1 right) of the movie's sound.
int PeakSample(const std::string& movie, int channel) {
  const auto raw =
      RunCommand("ffmpeg -hide_banner -loglevel error -i '" + movie + "' -map 0:a -f s16le -acodec pcm_s16le -ac 2 -");
  if (!raw || raw->size() < 4) return -1;
  int peak = 0;
  for (std::size_t at = static_cast<std::size_t>(channel) * 2; at + 1 < raw->size(); at += 4) {
    const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>((*raw)[at]) |
                                                  static_cast<unsigned char>((*raw)[at + 1]) << 8);
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  return peak;
}

TEST_F(CommandTest, MovieAfterSplitFadeSpeedAndChannelModeShowsTheEdits) {
  if (!ToolAvailable("ffmpeg") || !ToolAvailable("ffprobe")) GTEST_SKIP() << "ffmpeg and ffprobe are needed";
  ASSERT_TRUE(MakeAviWithFfmpeg(temp / "shot.avi", 50));  // 2 s, stereo tone
  doc.rate = 2500;
  doc.Head()->rate = 2500;
  TLEvent* video = nullptr;
  ASSERT_EQ(CreateClipFromFile(doc.Head(), 0, kTrackVideo, 1, 0, 2000, kMediaAvi, kNormalSpeed, 0, "shot", "shot",
                               ".avi", temp.path().string() + "/", nullptr, &video),
            1);
  Select(video);
  ASSERT_TRUE(Run(kCmdSplitRejoinAudioVideo));
  Select(FindTrack(doc.Head(), 6)->next);
  ASSERT_TRUE(Run(kPopupMuteLeft));
  Select(video);
  dialogs.Answer("value", 200);
  ASSERT_TRUE(Run(kCmdClipSpeed));
  ASSERT_EQ(video->OutTime(), 1000);
  ASSERT_TRUE(Run(kCmdFadeInFromBlack));

  const std::string timeline = (temp / "edited.tle").string();
  ASSERT_TRUE(WriteTimelineFile(doc, timeline));
  temp.Write("temp/.keep", "");
  temp.Write("config/RODUVER.INI",
             "[Movie]\nVFramesPerSec=2500\nVResWidth=64\nVResHeight=48\nVCompressionType=DIB \nVReserved1=1\n"
             "ABitsPerSample=16\nASamplesPerSec=22050\nAChannels=2\n[Temp File Dir]\nDir=" +
                 (temp / "temp").string() + "\n");
  const std::string movie = (temp / "movie.avi").string();
  const auto output = RunCommand(std::string(SPROCKET_RENDER_EXE) + " '" + timeline + "' --out '" + movie +
                                 "' --config '" + (temp / "config").string() + "' --range 0,2000 2>&1");
  ASSERT_TRUE(std::filesystem::exists(movie)) << output.value_or("");

  EXPECT_LT(MeanFrameLevel(movie, 0.0), 4.0);   // the fade starts black
  EXPECT_GT(MeanFrameLevel(movie, 0.9), 40.0);  // the picture at the fade's end
  EXPECT_LT(MeanFrameLevel(movie, 1.5), 4.0);   // twice as fast: gone after 1 s
  EXPECT_EQ(PeakSample(movie, 0), 0);           // left muted
  EXPECT_GT(PeakSample(movie, 1), 1000);        // right carries the tone
}

}  // namespace
}  // namespace sprocket::testing
