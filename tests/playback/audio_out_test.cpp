#include "platform/audioout/audio_out.h"

#include <gtest/gtest.h>

#include <vector>

#include "playback/board_stand_in_player.h"

namespace sprocket {
namespace {

TEST(AudioOutTest, OutputsTakeWholeFramesOnlyWhileStarted) {
  struct Case {
    AudioOutFormat format;
    std::size_t offered;
    std::size_t capacity;
    std::size_t taken;
  };
  const std::vector<Case> cases = {
      {{11025, 1, 8}, 7, 0, 7},
      {{22050, 2, 16}, 10, 0, 8},  // 4-byte frames: the odd part is left
      {{44100, 2, 16}, 100, 16, 16},
      {{44100, 1, 16}, 9, 5, 4},
  };
  for (const Case& c : cases) {
    RecordingAudioOut recording(c.capacity);
    SilentAudioOut silent;
    const std::vector<std::uint8_t> bytes(c.offered, 0x5A);
    EXPECT_EQ(recording.Write(bytes), 0u) << "stopped outputs take nothing";
    EXPECT_EQ(silent.Write(bytes), 0u);
    ASSERT_TRUE(recording.Start(c.format));
    ASSERT_TRUE(silent.Start(c.format));
    EXPECT_EQ(recording.Write(bytes), c.taken);
    EXPECT_EQ(recording.samples(), std::vector<std::uint8_t>(c.taken, 0x5A));
    EXPECT_EQ(silent.Write(bytes), WholeFrameBytes(c.offered, c.format));
  }
}

TEST(AudioOutTest, InvalidFormatsAreRefusedAndStopsAreCounted) {
  RecordingAudioOut out;
  EXPECT_FALSE(out.Start({0, 1, 16}));
  EXPECT_FALSE(out.Start({11025, 3, 16}));
  EXPECT_FALSE(out.Start({11025, 1, 12}));
  EXPECT_FALSE(out.IsStarted());
  ASSERT_TRUE(out.Start({11025, 1, 16}));
  out.Stop();
  out.Stop();
  EXPECT_EQ(out.starts(), 1);
  EXPECT_EQ(out.stops(), 1);
}

class ScriptedScreen : public BoardPlayScreen {
public:
  bool PlayBoardFile(const std::string& path, Progress progress) override {
    paths.push_back(path);
    this->progress = std::move(progress);
    return playable;
  }
  void StopBoardFile() override { ++stops; }
  bool playable = true;
  std::vector<std::string> paths;
  Progress progress;
  int stops = 0;
};

TEST(BoardStandInPlayerTest, PlaysInTheScreenAndReportsTimelineTime) {
  ScriptedScreen screen;
  StandInBoardClipPlayer player(screen);
  std::vector<std::tuple<float, int, int>> calls;
  std::int32_t a = 0, b = 0;
  ASSERT_EQ(player.PlayFile("/tmp/preview.avi", &a, &b, ScreenRect{920, 510, 1000, 570}, 0, 4000,
                            [&](float t, std::int32_t flag, std::int32_t x) { calls.emplace_back(t, flag, x); }),
            0);
  EXPECT_EQ(screen.paths, std::vector<std::string>{"/tmp/preview.avi"});
  screen.progress(0, true);
  screen.progress(120, true);
  screen.progress(400, false);
  const std::vector<std::tuple<float, int, int>> expected = {{4000.f, 1, 0}, {4120.f, 1, 0}, {4400.f, 0, 0}};
  EXPECT_EQ(calls, expected);
  player.StopPlaying();
  EXPECT_EQ(screen.stops, 1);
  screen.playable = false;
  EXPECT_EQ(player.PlayFile("/tmp/none.avi", &a, &b, {}, 0, 0, nullptr), -1);
}

}  // namespace
}  // namespace sprocket
