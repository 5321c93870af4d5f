// Flips, rotation, pan and zoom, mirrors, distortions and the repetition
// wall on small known pictures; the alpha moves with the pixels.

#include <gtest/gtest.h>

#include "filter_run.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectprepare/effect_prepare.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;

// Each pixel's blue byte is 10 x (x + 1) + y: the pixel says where it came from.
class NumberedPicture : public ::testing::Test {
protected:
  NumberedPicture() : run_(4, 4) {
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) run_.source.Set(x, y, Grey(Code(x, y)));
    }
  }
  static int Code(int x, int y) { return 10 * (x + 1) + y; }
  int From(int x, int y) const { return run_.Out(x, y).blue; }
  FilterRun run_;
};

TEST_F(NumberedPicture, FlipsMirrorTheAxes) {
  run_.alpha.Set(0, 0, Grey(7));
  run_.ApplyOk({MakeFilter(kFlipHorizontal)}, 0.0f, true);
  EXPECT_EQ(From(0, 0), Code(3, 0));
  EXPECT_EQ(From(1, 2), Code(2, 2));
  EXPECT_EQ(run_.Alpha(3, 0), 7);  // the alpha moved along
  run_.ApplyOk({MakeFilter(kFlipVertical)});
  EXPECT_EQ(From(1, 0), Code(1, 3));
}

TEST_F(NumberedPicture, QuarterTurnsRotateExactly) {
  run_.ApplyOk({MakeFilter(kRotate, {{0, 90}})});
  // Counter-clockwise: the bottom-right corner comes to the top right.
  EXPECT_EQ(From(3, 3), Code(3, 0));
  EXPECT_EQ(From(0, 0), Code(0, 3));
  run_.ApplyOk({MakeFilter(kRotate, {{0, 180}})});
  EXPECT_EQ(From(0, 0), Code(3, 3));
  EXPECT_EQ(From(2, 1), Code(1, 2));
}

TEST_F(NumberedPicture, RotationLeavesUncoveredCornersBlackAndTransparent) {
  run_.ApplyOk({MakeFilter(kRotate, {{0, 45}})}, 0.0f, true);
  EXPECT_EQ(From(0, 0), 0);
  EXPECT_EQ(run_.Alpha(0, 0), 0);
  EXPECT_EQ(run_.Alpha(1, 1), 128);
}

TEST_F(NumberedPicture, PanAndZoomShowsAPartEnlarged) {
  run_.ApplyOk({MakeFilter(kPanZoom, {{0, 200}, {1, 0}, {2, 0}})});  // the bottom-left quarter, doubled
  EXPECT_EQ(From(0, 0), Code(0, 0));
  EXPECT_EQ(From(1, 1), Code(0, 0));
  EXPECT_EQ(From(3, 3), Code(1, 1));
  // The zoom moves from the first value set to the second.
  run_.ApplyOk({MakeFilter(kPanZoom, {{0, 100}}, {{0, 200}, {1, 0}, {2, 0}})}, 0.0f);
  EXPECT_EQ(run_.destination.Pixels(), run_.source.Pixels());
}

TEST_F(NumberedPicture, MirrorReflectsOneHalf) {
  run_.ApplyOk({MakeFilter(kMirror, {{0, 0}})});  // left onto right
  EXPECT_EQ(From(3, 1), Code(0, 1));
  EXPECT_EQ(From(2, 1), Code(1, 1));
  EXPECT_EQ(From(1, 1), Code(1, 1));
  run_.ApplyOk({MakeFilter(kMirror, {{0, 3}})});  // top onto bottom
  EXPECT_EQ(From(2, 0), Code(2, 3));
  EXPECT_EQ(From(2, 3), Code(2, 3));
}

TEST_F(NumberedPicture, RippleShiftsRowsByAWave) {
  // Wavelength 4: rows 0 and 2 have no shift, row 1 shifts by +1 and row 3
  // by -1 in frame 0.
  run_.ApplyOk({MakeFilter(kRipple, {{0, 1}, {1, 4}, {2, 0}})}, 0.0f, false);
  EXPECT_EQ(From(1, 0), Code(1, 0));
  EXPECT_EQ(From(1, 1), Code(2, 1));
  EXPECT_EQ(From(1, 3), Code(0, 3));
  EXPECT_EQ(From(3, 1), Code(3, 1));  // held at the edge
  // One frame later (40 ms at 25 fps) the wave has moved on.
  ASSERT_EQ(run_.Apply({MakeFilter(kRipple, {{0, 1}, {1, 4}, {2, 0}})}, 0.0f, false, nullptr, 40), kEffectDone);
  EXPECT_EQ(From(1, 0), Code(2, 0));
}

TEST_F(NumberedPicture, TwirlTurnsTheMiddleAndLeavesTheRest) {
  run_.ApplyOk({MakeFilter(kTwirl, {{0, 180}, {1, 100}})});
  EXPECT_EQ(From(0, 0), Code(0, 0));  // the corners lie outside the radius
  EXPECT_EQ(From(3, 3), Code(3, 3));
  EXPECT_EQ(From(1, 1), Code(2, 1));  // near the centre: turned by 135 degrees
  EXPECT_NE(run_.destination.Pixels(), run_.source.Pixels());
}

TEST_F(NumberedPicture, RepetitionWallRepeatsThePicture) {
  run_.ApplyOk({MakeFilter(kRepetition3D, {{0, 1}, {1, 0}})});  // one copy, upright
  EXPECT_EQ(run_.destination.Pixels(), run_.source.Pixels());
  run_.ApplyOk({MakeFilter(kRepetition3D, {{0, 2}, {1, 0}})});  // two by two, each half size
  EXPECT_EQ(From(0, 0), Code(1, 1));
  EXPECT_EQ(From(2, 0), Code(1, 1));
  EXPECT_EQ(From(3, 3), Code(3, 3));
  // Leaning back, the top rows are narrower: their outer pixels are empty.
  run_.ApplyOk({MakeFilter(kRepetition3D, {{0, 1}, {1, 60}})}, 0.0f, true);
  EXPECT_EQ(run_.Alpha(0, 3), 0);
  EXPECT_EQ(run_.Alpha(1, 0), 128);
}

TEST(RepetitionWall, PreparedFrameSizeKeepsTheCopiesShape) {
  // A wide movie frame: three copies across give one row on a square picture.
  FilterRun run(6, 6);
  for (int x = 0; x < 6; ++x) {
    for (int y = 0; y < 6; ++y) run.source.Set(x, y, Grey(y * 40));
  }
  EffectFilter filter = MakeFilter(kRepetition3D, {{0, 3}, {1, 0}});
  ASSERT_EQ(PrepareRepetitionLayout(&filter.effectData[0], 600, 200), 0);
  run.ApplyOk({filter});
  EXPECT_EQ(run.Out(0, 5).blue, 200);  // one row of copies: the top row shows the top
  filter.effectData[0] = 0;
  run.ApplyOk({filter});  // square frame: three rows
  EXPECT_EQ(run.Out(0, 5).blue, 160);
}

}  // namespace
}  // namespace sprocket
