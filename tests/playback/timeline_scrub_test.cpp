#include "playback/timeline_scrub.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "audio_test_media.h"
#include "frame_test_timelines.h"
#include "scripted_prompts.h"
#include "temp_dir.h"
#include "timeline/records/timeline_builder.h"
#include "timeline/records/volume_envelope.h"

namespace sprocket {
namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 24;

TEST(TimelineScrubTest, ShowsTheComposedFrameUnderEachMoveThroughOneOpenSource) {
  testing::TempDir dir;
  const std::string movie = (dir / "cards.avi").string();
  testing::WriteIndexedAvi(movie, 20, kWidth, kHeight, 10);
  EventListSlot head = testing::MakeFrameTimeline();
  testing::PlaceClip(head.get(), testing::ClipPlacement(movie, 1, 400, 800));

  TimelineScrub scrub;
  std::vector<std::int32_t> shown;
  scrub.SetFrameHandler([&](const std::uint8_t*, std::int32_t ms) { shown.push_back(ms); });
  EXPECT_FALSE(scrub.ShowAt(400)) << "nothing shows before the scrub begins";
  scrub.Begin(head.get(), 9, kWidth, kHeight, 2500, true);
  ASSERT_TRUE(scrub.IsActive());

  struct Move {
    std::int32_t ms;
    int card;  // -1: nothing lies under the time (black)
  };
  // 25 frames a second: the clip's frame k is at 400 + 40 k ms; a move shows the nearest frame, once.
  for (const Move& move : {Move{400, 10}, Move{445, 11}, Move{450, 11}, Move{520, 13}, Move{100, -1}, Move{760, 19}}) {
    ASSERT_TRUE(scrub.ShowAt(move.ms)) << move.ms;
    const DibPicture expected =
        move.card < 0 ? DibPicture::Black24(kWidth, kHeight) : testing::CardPicture(move.card, kWidth, kHeight);
    EXPECT_TRUE(testing::SamePixels(scrub.Picture().data(), expected.data())) << move.ms;
    if (move.ms == 520) EXPECT_EQ(scrub.Tracks()->FindNode(1)->OpenCount(), 1) << "moves on one clip read on";
  }
  EXPECT_EQ(shown, (std::vector<std::int32_t>{400, 440, 520, 120, 760}));

  scrub.End();
  scrub.End();
  EXPECT_FALSE(scrub.IsActive());
  EXPECT_EQ(scrub.Tracks(), nullptr);
  EXPECT_FALSE(scrub.ShowAt(500));
}

TEST(TimelineScrubTest, EachNewFrameSoundsTheTimelinesMixOfThatFrame) {
  testing::TempDir dir;
  testing::ScopedConfigDir config;
  testing::ScriptedPrompts prompts;
  const auto wave = dir / "tone.wav";
  testing::WriteTestWave(wave, 1, 22050, 16, 22050, [](std::int64_t n, int) { return n % 2 == 0 ? 1000 : -1000; });
  EventListSlot head = NewTimeline(2500, 600000);
  AppendTrack(head.get(), kTrackVideo);
  AppendTrack(head.get(), kTrackAudio);
  TLEventFields fields = testing::MediaClipFields(wave, 0, 1000);
  fields.volume = FlatEnvelope();
  fields.balance = FlatEnvelope();
  ASSERT_NE(InsertClip(head.get(), 2, 0, 1000, fields), nullptr);

  RecordingAudioOut sound;
  TimelineScrub scrub([](const RenderFrameArgs&, std::int32_t* result) {
    *result = kFrameRendered;
    return kRenderDone;
  });
  scrub.SetSound(&sound, AudioOutFormat{22050, 1, 16});
  scrub.Begin(head.get(), 2, 8, 8, 2500, true);
  struct Move {
    std::int32_t ms;
    int starts;     // the output restarts for every new frame
    int amplitude;  // of the frame's samples; 0 silence
  };
  for (const Move& move : {Move{400, 1, 1000}, Move{410, 1, 1000}, Move{2000, 2, 0}}) {
    ASSERT_TRUE(scrub.ShowAt(move.ms));
    EXPECT_EQ(sound.starts(), move.starts) << move.ms;
    // One frame at 25 frames a second: 882 samples of 2 bytes.
    const std::vector<std::uint8_t>& bytes = sound.samples();
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(882 * 2 * move.starts)) << move.ms;
    const std::size_t last = bytes.size() - 2;
    const int sample = static_cast<std::int16_t>(bytes[last] | (bytes[last + 1] << 8));
    EXPECT_EQ(std::abs(sample), move.amplitude) << move.ms;
  }
  scrub.End();
  EXPECT_EQ(sound.stops(), 1);
}

}  // namespace
}  // namespace sprocket
