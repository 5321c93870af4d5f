#include "timeline/basics/time_code.h"

#include <gtest/gtest.h>

namespace sprocket {
namespace {

TEST(MsToFrames, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MsToFrames(0, 25.0), 0);
  EXPECT_EQ(MsToFrames(20, 25.0), 1);  // exactly half a frame
  EXPECT_EQ(MsToFrames(19, 25.0), 0);
  EXPECT_EQ(MsToFrames(-20, 25.0), -1);  // half away from zero
  EXPECT_EQ(MsToFrames(-19, 25.0), 0);
  EXPECT_EQ(MsToFrames(999, 25.0), 25);
  EXPECT_EQ(MsToFrames(1000, 29.97), 30);
  EXPECT_EQ(MsToFrames(60000, 29.97), 1798);  // 1798.2
  EXPECT_EQ(MsToFrames(3600000, 29.97), 107892);
}

TEST(FramesToMs, RoundsToTheNearestMillisecond) {
  EXPECT_EQ(FramesToMs(1, 25.0), 40);
  EXPECT_EQ(FramesToMs(25, 25.0), 1000);
  EXPECT_EQ(FramesToMs(1, 29.97), 33);  // 33.37
  EXPECT_EQ(FramesToMs(2, 29.97), 67);  // 66.73
  EXPECT_EQ(FramesToMs(30, 29.97), 1001);
  EXPECT_EQ(FramesToMs(-2, 29.97), -67);
  EXPECT_EQ(FramesToMs(1, 30.0), 33);
  EXPECT_EQ(FramesToMs(1, 15.0), 67);
}

TEST(SnapToFrame, NearestBoundaryAtRatesInHundredths) {
  EXPECT_EQ(SnapToFrame(0, 2500), 0);
  EXPECT_EQ(SnapToFrame(19, 2500), 0);
  EXPECT_EQ(SnapToFrame(20, 2500), 40);
  EXPECT_EQ(SnapToFrame(999, 2500), 1000);
  EXPECT_EQ(SnapToFrame(50, 2997), 33);  // 1.4985 frames
  EXPECT_EQ(SnapToFrame(51, 2997), 67);  // 1.528 frames
  EXPECT_EQ(SnapToFrame(1000, 2997), 1001);
  EXPECT_EQ(SnapToFrame(10000, 2997), 10010);  // frame 300
  // A snapped time snaps to itself.
  for (int ms = 0; ms < 5000; ms += 7) {
    int snapped = SnapToFrame(ms, 2997);
    ASSERT_EQ(SnapToFrame(snapped, 2997), snapped) << ms;
  }
}

TEST(TimeHelpers, RatesAtOrBelowZeroGiveZero) {
  EXPECT_EQ(MsToFrames(1000, 0.0), 0);
  EXPECT_EQ(MsToFrames(1000, -25.0), 0);
  EXPECT_EQ(FramesToMs(10, 0.0), 0);
  EXPECT_EQ(SnapToFrame(1234, 0), 0);
  EXPECT_EQ(SnapToFrame(1234, -2500), 0);
  EXPECT_EQ(FormatTimeCode(61000, 0.0), "00:01:01:00");
}

TEST(FormatTimeCode, WallClockFields) {
  EXPECT_EQ(FormatTimeCode(0, 25.0), "00:00:00:00");
  EXPECT_EQ(FormatTimeCode(40, 25.0), "00:00:00:01");
  EXPECT_EQ(FormatTimeCode(999, 25.0), "00:00:01:00");  // the last 1 ms rounds into the next second
  EXPECT_EQ(FormatTimeCode(970, 25.0), "00:00:00:24");
  EXPECT_EQ(FormatTimeCode(980, 25.0), "00:00:01:00");  // 24.5 frames round up and carry
  EXPECT_EQ(FormatTimeCode(3723040, 25.0), "01:02:03:01");
  EXPECT_EQ(FormatTimeCode(59999, 25.0), "00:01:00:00");    // carries through seconds into minutes
  EXPECT_EQ(FormatTimeCode(3599999, 25.0), "01:00:00:00");  // and minutes into hours
}

TEST(FormatTimeCode, NtscRate) {
  EXPECT_EQ(FormatTimeCode(967, 29.97), "00:00:00:29");  // frame 29 exists at 29.97
  EXPECT_EQ(FormatTimeCode(995, 29.97), "00:00:01:00");
  EXPECT_EQ(FormatTimeCode(500, 29.97), "00:00:00:15");
  EXPECT_EQ(FormatTimeCode(-500, 29.97), "00:00:00:00");
}

TEST(FormatTimeCode, FitsItsBuffer) {
  char buffer[kTimeCodeBufferSize];
  FormatTimeCode(2147483647, 29.97, buffer);
  EXPECT_EQ(std::string(buffer), "596:31:23:19");
  EXPECT_EQ(MsToTimeCode(3723040, 25.0), (TimeCode{1, 2, 3, 1}));
}

}  // namespace
}  // namespace sprocket
