// Blur, sharpen, relief, edges and mosaic on small known pictures.

#include <gtest/gtest.h>

#include "filter_run.h"
#include "libs/effectcatalog/effect_ids.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;

// A 6 x 1 step from black to white in the middle.
class StepPicture : public ::testing::Test {
protected:
  StepPicture() : run_(6, 1) {
    for (int x = 0; x < 6; ++x) run_.source.Set(x, 0, Grey(x < 3 ? 0 : 240));
  }
  std::vector<int> Row() const {
    std::vector<int> row;
    for (int x = 0; x < 6; ++x) row.push_back(run_.Out(x, 0).blue);
    return row;
  }
  FilterRun run_;
};

TEST_F(StepPicture, BlurAveragesAcrossTheStep) {
  run_.ApplyOk({MakeFilter(kBlur, {{0, 10}})});  // radius 1
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 80, 160, 240, 240}));
  run_.ApplyOk({MakeFilter(kBlur, {{0, 0}})});  // radius 0 copies
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 0, 240, 240, 240}));
}

TEST_F(StepPicture, SharpenSteepensTheStep) {
  run_.ApplyOk({MakeFilter(kSharpen, {{0, 100}})});
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 0, 255, 240, 240}));
}

TEST_F(StepPicture, MotionBlurSmearsAlongItsDirection) {
  run_.ApplyOk({MakeFilter(kMotionBlur, {{0, 3}, {1, 0}})});
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 80, 160, 240, 240}));
  run_.ApplyOk({MakeFilter(kMotionBlur, {{0, 3}, {1, 1}})});  // vertical: a single row stays
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 0, 240, 240, 240}));
}

TEST_F(StepPicture, EdgesLightUpAtTheStep) {
  run_.ApplyOk({MakeFilter(kEdgeDetect)});
  EXPECT_EQ(Row(), (std::vector<int>{0, 0, 240, 240, 0, 0}));
}

TEST_F(StepPicture, EmbossIsGreyWhereFlatAndLitAtTheStep) {
  run_.ApplyOk({MakeFilter(kEmboss, {{0, 1}})});
  // Top-left neighbour minus bottom-right neighbour, halved, about 128.
  EXPECT_EQ(Row(), (std::vector<int>{128, 128, 8, 8, 128, 128}));
}

TEST(Mosaic, BlocksTakeTheirMeanFromTheTopLeft) {
  FilterRun run(3, 3);
  int level = 0;
  for (int y = 2; y >= 0; --y) {
    for (int x = 0; x < 3; ++x) run.source.Set(x, y, Grey(level += 10));
  }
  run.ApplyOk({MakeFilter(kMosaic, {{0, 2}})});
  // Top row of the picture (y = 2): 10 20 30; middle 40 50 60; bottom 70 80 90.
  EXPECT_EQ(run.Out(0, 2), Grey(30));  // mean of 10 20 40 50
  EXPECT_EQ(run.Out(1, 1), Grey(30));
  EXPECT_EQ(run.Out(2, 2), Grey(45));  // 30 and 60
  EXPECT_EQ(run.Out(0, 0), Grey(75));  // 70 and 80
  EXPECT_EQ(run.Out(2, 0), Grey(90));
}

}  // namespace
}  // namespace sprocket
