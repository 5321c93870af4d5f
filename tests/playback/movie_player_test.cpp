#include "playback/movie_player.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media_test_clips.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using testing::RampSample;
using testing::TempDir;
using testing::WriteNumberedClip;

constexpr int kFrames = 10;  // 25 fps: 400 ms, 441 ramp samples a frame at 11025 Hz

// The 16-bit ramp the numbered clips carry, sample frames [first, end).
std::vector<std::uint8_t> RampBytes(std::int64_t first, std::int64_t end) {
  std::vector<std::uint8_t> bytes;
  for (std::int64_t n = first; n < end; ++n) {
    const std::int16_t v = RampSample(n, 0);
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  return bytes;
}

struct Played {
  std::vector<std::int64_t> frames;
  std::vector<int> numbers;  // what each shown picture says
  std::vector<std::int32_t> positions;
  int ticks = 0;
};

class MoviePlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    clip_ = (dir_ / "clip.avi").string();
    ASSERT_EQ(WriteNumberedClip(clip_, 0, kFrames, 1, 16), "");
  }

  // Plays [from, to) stepping the clock by `step` ms until the player ends.
  Played PlayRange(MoviePlayer& player, std::int32_t from, std::int32_t to, int step) {
    Played played;
    player.SetFrameHandler([&](const std::uint8_t* dib, std::int64_t frame) {
      played.frames.push_back(frame);
      const std::size_t bytes = 40 + static_cast<std::size_t>(testing::kClipWidth * 3) * testing::kClipHeight;
      GlobalBlock copy = GlobalBlock::Allocate(bytes);
      GlobalLockGuard<std::uint8_t> lock(copy.get());
      std::memcpy(lock.get(), dib, bytes);
      copies_.push_back(std::move(copy));
    });
    player.SetProgressHandler([&](std::int32_t ms) { played.positions.push_back(ms); });
    EXPECT_TRUE(player.Play(from, to));
    while (player.IsPlaying() && played.ticks < 1000) {
      clock_.Advance(step);
      player.Tick();
      ++played.ticks;
    }
    for (const GlobalBlock& copy : copies_) played.numbers.push_back(testing::ReadPictureNumber(copy.get()));
    copies_.clear();
    return played;
  }

  TempDir dir_;
  std::string clip_;
  ManualPlaybackClock clock_;
  RecordingAudioOut audio_;
  std::vector<GlobalBlock> copies_;
};

TEST_F(MoviePlayerTest, ShowsTheFramesOfTheRangeAndPlaysItsSound) {
  struct Case {
    std::int32_t from, to;
    int step;
    std::vector<std::int64_t> frames;
    std::int64_t firstSample, endSample;
  };
  const std::vector<Case> cases = {
      {0, -1, 40, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 4410},
      {80, 200, 40, {2, 3, 4}, 882, 2205},
      {0, -1, 100, {0, 2, 5, 7, 9}, 0, 4410},  // a slow clock skips frames, never the last
  };
  for (const Case& c : cases) {
    MoviePlayer player(audio_, clock_);
    ASSERT_TRUE(player.Open(clip_)) << player.ErrorText();
    EXPECT_EQ(player.FrameCount(), kFrames);
    EXPECT_EQ(player.DurationMs(), 400);
    const Played played = PlayRange(player, c.from, c.to, c.step);
    EXPECT_EQ(played.frames, c.frames) << c.from << ".." << c.to << " step " << c.step;
    EXPECT_EQ(std::vector<int>(played.frames.begin(), played.frames.end()), played.numbers);
    EXPECT_EQ(audio_.format(), (AudioOutFormat{11025, 1, 16}));
    EXPECT_EQ(audio_.samples(), RampBytes(c.firstSample, c.endSample));
    EXPECT_TRUE(std::is_sorted(played.positions.begin(), played.positions.end()));
    EXPECT_EQ(played.positions.back(), c.to < 0 ? 400 : c.to);
    EXPECT_FALSE(player.Tick());
    audio_ = RecordingAudioOut();
  }
}

TEST_F(MoviePlayerTest, StopEndsPicturesAndSoundAtOnce) {
  MoviePlayer player(audio_, clock_);
  ASSERT_TRUE(player.Open(clip_));
  ASSERT_TRUE(player.Play());
  clock_.Advance(40);
  EXPECT_TRUE(player.Tick());
  const std::size_t queued = audio_.samples().size();
  EXPECT_LT(queued, RampBytes(0, 4410).size()) << "sound is queued only a little ahead";
  player.Stop();
  player.Stop();
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(audio_.stops(), 1);
  clock_.Advance(200);
  EXPECT_FALSE(player.Tick());
  EXPECT_EQ(audio_.samples().size(), queued);
  EXPECT_EQ(player.ShownFrame(), 1);
}

TEST_F(MoviePlayerTest, FilesWithoutPicturesOrThatCannotBeReadAreHandled) {
  // A sound file: 0.1 s of 8-bit mono at 8000 Hz.
  std::string wav = "RIFF";
  const std::uint32_t data = 800;
  auto le = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) wav.push_back(static_cast<char>(v >> (8 * i)));
  };
  le(36 + data, 4);
  wav += "WAVEfmt ";
  le(16, 4), le(1, 2), le(1, 2), le(8000, 4), le(8000, 4), le(1, 2), le(8, 2);
  wav += "data";
  le(data, 4);
  for (std::uint32_t i = 0; i < data; ++i) wav.push_back(static_cast<char>(i & 0xFF));
  const std::string wavPath = dir_.Write("sound.wav", wav).string();

  MoviePlayer player(audio_, clock_);
  ASSERT_TRUE(player.Open(wavPath)) << player.ErrorText();
  EXPECT_FALSE(player.HasVideo());
  const Played played = PlayRange(player, 0, -1, 50);
  EXPECT_TRUE(played.frames.empty());
  EXPECT_EQ(audio_.samples().size(), data);
  EXPECT_EQ(audio_.samples()[255], 255);

  EXPECT_FALSE(player.Open(dir_.Write("text.avi", "not a movie").string()));
  EXPECT_FALSE(player.ErrorText().empty());
  EXPECT_FALSE(player.Play());
  ASSERT_TRUE(player.Open(clip_));
  EXPECT_FALSE(player.Play(300, 300)) << "an empty range plays nothing";
}

}  // namespace
}  // namespace sprocket
