#include "app/preview_window.h"

#include <gtest/gtest.h>

#include <QPixmap>

#include "media_test_clips.h"
#include "platform/qt/qt_audio_out.h"
#include "temp_dir.h"
#include "timeline/records/tl_event.h"

namespace sprocket {
namespace {

using testing::TempDir;

constexpr int kFrames = 10;  // 25 fps, 441 ramp samples a frame

// The number that a picture of the numbered clips spells, or -1 (the same
// blocks as testing::ReadPictureNumber, read from a Qt image of any size).
int PictureNumber(const QImage& image) {
  if (image.isNull()) return -1;
  int value = 0;
  for (int b = 0; b < 8; ++b) {
    const QColor c = image.pixelColor((b % 4) * image.width() / 4 + image.width() / 8,
                                      (b / 4) * image.height() / 2 + image.height() / 4);
    const bool red = c.red() > 128, green = c.green() > 128, blue = c.blue() > 128;
    if (b == 6 && !(blue && !green && !red)) return -1;
    if (b == 7 && !(green && !blue && !red)) return -1;
    if (b < 6 && (green || blue)) return -1;
    if (b < 6 && red) value |= 1 << b;
  }
  return value;
}

std::vector<std::uint8_t> RampBytes(std::int64_t first, std::int64_t end) {
  std::vector<std::uint8_t> bytes;
  for (std::int64_t n = first; n < end; ++n) {
    const std::int16_t v = testing::RampSample(n, 0);
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  }
  return bytes;
}

class PreviewWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    clip_ = (dir_ / "clip.avi").string();
    ASSERT_EQ(testing::WriteNumberedClip(clip_, 0, kFrames, 1, 16), "");
  }

  // Steps the clock a frame at a time until the window stops playing; the
  // number of the picture shown after each step, on the window's screen.
  std::vector<int> RunToEnd(CPreviewWnd& window) {
    std::vector<int> shown{PictureNumber(window.grab(window.PictureRect()).toImage())};
    for (int step = 0; step < 100 && (window.IsMonitorRunning() || window.IsPlaying()); ++step) {
      clock_.Advance(40);
      window.Tick();
      shown.push_back(PictureNumber(window.grab(window.PictureRect()).toImage()));
    }
    return shown;
  }

  TempDir dir_;
  std::string clip_;
  ManualPlaybackClock clock_;
  RecordingAudioOut audio_;
};

TEST_F(PreviewWindowTest, MonitorShowsEveryFrameOfTheFileWithItsSoundAndTimeCode) {
  CPreviewWnd window(&audio_, &clock_);
  window.show();
  ASSERT_TRUE(window.Monitor(clip_)) << window.ErrorText();
  EXPECT_TRUE(window.IsMonitorRunning());
  const std::vector<int> shown = RunToEnd(window);
  // Frame k shows from 40 k ms; the last step reports the end with frame 9 still shown.
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9}));
  EXPECT_EQ(PictureNumber(window.Picture()), 9);
  EXPECT_EQ(window.FramesShown(), kFrames);
  EXPECT_EQ(audio_.samples(), RampBytes(0, 4410));
  EXPECT_EQ(window.TimeCodeText(), "00:00:00:10");
  EXPECT_FALSE(window.IsMonitorRunning()) << "the monitor ends with the file";
}

TEST_F(PreviewWindowTest, PlayStateAndMonitorEachEndWithTheirOwnStop) {
  TLEvent clip;
  const std::size_t slash = clip_.rfind('/');
  clip.directory = clip_.substr(0, slash + 1);
  clip.name = "clip";
  clip.extension = ".avi";
  clip.playIn = 120;
  clip.playOut = 280;
  CPreviewWnd window(&audio_, &clock_);

  ASSERT_TRUE(window.PlayClip(&clip)) << window.ErrorText();
  EXPECT_EQ(window.PlayingClip(), &clip);
  EXPECT_EQ(RunToEnd(window), (std::vector<int>{3, 4, 5, 6, 6}));
  EXPECT_EQ(window.PlayingClip(), nullptr);
  EXPECT_EQ(audio_.samples(), RampBytes(1323, 3087));

  ASSERT_TRUE(window.Monitor(clip_));
  window.StopPlay();  // the other state's stop leaves the monitor running
  EXPECT_TRUE(window.IsMonitorRunning());
  ASSERT_TRUE(window.PlayClip(&clip));
  EXPECT_FALSE(window.IsMonitorRunning()) << "playing a clip ends the monitor";
  window.StopMonitor();
  EXPECT_EQ(window.PlayingClip(), &clip);
  window.StopPlay();
  window.StopPlay();
  EXPECT_EQ(window.PlayingClip(), nullptr);
  EXPECT_FALSE(window.IsPlaying());
  const int stops = audio_.stops();
  clock_.Advance(200);
  window.Tick();
  EXPECT_EQ(audio_.stops(), stops);

  EXPECT_FALSE(window.Monitor((dir_ / "missing.avi").string()));
  EXPECT_FALSE(window.ErrorText().empty());
  EXPECT_FALSE(window.IsMonitorRunning());
}

TEST_F(PreviewWindowTest, ScrubPicturesShowOnlyWhileNothingPlays) {
  CPreviewWnd window(&audio_, &clock_);
  GlobalBlock five = testing::MakeNumberedPicture(5);
  GlobalBlock six = testing::MakeNumberedPicture(6);
  window.ShowScrubPicture(GlobalLockGuard<const std::uint8_t>(five.get()).get(), 1000, 25.0);
  EXPECT_EQ(PictureNumber(window.grab(window.PictureRect()).toImage()), 5);
  EXPECT_EQ(window.TimeCodeText(), "00:00:01:00");
  ASSERT_TRUE(window.Monitor(clip_));
  window.ShowScrubPicture(GlobalLockGuard<const std::uint8_t>(six.get()).get(), 2000, 25.0);
  EXPECT_EQ(PictureNumber(window.Picture()), 0) << "the monitor's picture stays";
}

TEST_F(PreviewWindowTest, StopPlayEndsTheSoundOfAScrubOnceAndKeepsItsPicture) {
  CPreviewWnd window(&audio_, &clock_);
  GlobalBlock five = testing::MakeNumberedPicture(5);
  // A scrub of the timeline: its frame here, its sound in the window's output.
  AudioOut* sound = window.ScrubSound();
  ASSERT_EQ(sound, &audio_);
  ASSERT_TRUE(sound->Start(AudioOutFormat{11025, 1, 8}));
  window.ShowScrubPicture(GlobalLockGuard<const std::uint8_t>(five.get()).get(), 1000, 25.0);
  EXPECT_TRUE(window.IsScrubShown());
  window.StopPlay();
  EXPECT_FALSE(audio_.IsStarted()) << "the scrub's sound still plays";
  EXPECT_FALSE(window.IsScrubShown());
  EXPECT_EQ(PictureNumber(window.grab(window.PictureRect()).toImage()), 5);
  const int stops = audio_.stops();
  window.StopPlay();
  EXPECT_EQ(audio_.stops(), stops) << "a second stop reached the output";
}

TEST_F(PreviewWindowTest, BoardFilesReportTheirPositionUntilTheyEndOrStop) {
  CPreviewWnd window(&audio_, &clock_);
  StandInBoardClipPlayer board(window);
  std::vector<std::pair<float, int>> calls;
  const auto progress = [&](float ms, std::int32_t flag, std::int32_t) { calls.emplace_back(ms, flag); };
  ASSERT_EQ(board.PlayFile(clip_, nullptr, nullptr, {}, 0, 1000, progress), 0);
  EXPECT_TRUE(window.IsPlaying());
  EXPECT_EQ(window.PlayingClip(), nullptr);
  RunToEnd(window);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), std::make_pair(1000.f, 1));
  EXPECT_EQ(calls.back(), std::make_pair(1400.f, 0));
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.second == 0; }), 1);

  calls.clear();
  ASSERT_EQ(board.PlayFile(clip_, nullptr, nullptr, {}, 0, 0, progress), 0);
  clock_.Advance(80);
  window.Tick();
  board.StopPlaying();
  EXPECT_FALSE(window.IsPlaying());
  EXPECT_EQ(calls.back(), std::make_pair(80.f, 0));
}

}  // namespace
}  // namespace sprocket

namespace sprocket {
namespace {

TEST(QtAudioOutTest, WithoutADeviceTheOutputIsSilentAndTakesEverything) {
  const std::vector<std::uint8_t> samples(1000, 0x40);
  QtAudioOut none{QAudioDevice()};
  ASSERT_TRUE(none.Start({22050, 2, 16}));
  EXPECT_FALSE(none.IsAudible());
  EXPECT_EQ(none.Write(samples), 1000u);
  none.Stop();
  EXPECT_EQ(none.Write(samples), 0u);
  EXPECT_FALSE(none.Start({22050, 2, 24}));

  // The machine's own output, whatever it has: whole frames, never more than offered.
  QtAudioOut machine;
  ASSERT_TRUE(machine.Start({11025, 1, 16}));
  const std::size_t taken = machine.Write(samples);
  EXPECT_LE(taken, samples.size());
  EXPECT_EQ(taken % 2, 0u);
  machine.Stop();
  machine.Stop();
}

}  // namespace
}  // namespace sprocket
