#include "playback/timeline_scrub.h"

#include <gtest/gtest.h>

#include <vector>

#include "frame_test_timelines.h"
#include "temp_dir.h"

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

}  // namespace
}  // namespace sprocket
