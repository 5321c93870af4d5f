// The screen-wide and prepared effects on small known pictures.

#include <gtest/gtest.h>

#include <filesystem>

#include "filter_run.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/effectprepare/effect_prepare.h"
#include "libs/sharedservices/effect_work_block.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;

TEST(ScreenAnimation, ShrinksThePictureOntoASmallScreen) {
  FilterRun run(8, 4);
  run.source.FillPattern(3);
  // Half size, centred on the frame: the middle 4 x 2 pixels show the
  // picture at half resolution.
  run.ApplyOk({MakeFilter(kVideoScreenAnimation, {{0, 50}, {1, 50}, {2, 50}, {3, 0}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "........\n..####..\n..####..\n........\n");
  EXPECT_EQ(run.Out(2, 1), run.source.At(1, 1));
  EXPECT_EQ(run.Out(5, 2), run.source.At(7, 3));
  // With a border of one pixel in the border colour.
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kVideoScreenAnimation, {{0, 50}, {1, 50}, {2, 50}, {3, 1}, {4, 0x0000FF}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), ".######.\n.######.\n.######.\n.######.\n");
  EXPECT_EQ(run.Out(1, 0), (BgrPixel{0, 0, 255}));
}

TEST(ScreenAnimation, FollowsTheNodesOfItsWorkBlock) {
  FilterRun run(8, 4);
  const EffectPathNode nodes[] = {{0, 2500, 5000, 5000, 5000, {}}, {10000, 7500, 5000, 5000, 5000, {}}};
  HGLOBAL stored = MakeStoredEffectData(kVideoScreenAnimation, nodes);
  EffectFilter filter = MakeFilter(kVideoScreenAnimation, {{3, 0}});
  filter.workBlock = UnpackEffectData(stored);
  run.ApplyOk({filter}, 0.0f, true);  // at the start: the left half
  EXPECT_EQ(run.AlphaMap(), "........\n####....\n####....\n........\n");
  run.alpha.Fill(Grey(128));
  run.ApplyOk({filter}, 100.0f, true);  // at the end: the right half
  EXPECT_EQ(run.AlphaMap(), "........\n....####\n....####\n........\n");
  GlobalFree(filter.workBlock);
  GlobalFree(stored);
}

TEST(PageEffect, PeelsFromTheCorner) {
  FilterRun run(4, 4);
  run.source.Fill(Grey(50));
  run.ApplyOk({MakeFilter(kPageEffect, {{0, 0}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "####\n####\n####\n####\n");
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  run.ApplyOk({MakeFilter(kPageEffect, {{0, 25}, {1, 0}})}, 0.0f, true);  // from the bottom right
  EXPECT_EQ(run.AlphaMap(), "####\n####\n####\n###.\n");
  // The back of the page lies beside the fold and is paler than the front.
  EXPECT_EQ(run.Out(2, 0), Grey(170));
  EXPECT_EQ(run.Out(0, 3), Grey(50));
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kPageEffect, {{0, 100}})}, 0.0f, true);
  EXPECT_EQ(run.AlphaMap(), "....\n....\n....\n....\n");
}

TEST(FilmGrain, AddsNoiseThatChangesFromFrameToFrame) {
  FilterRun run(16, 16);
  run.source.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kFilmGrain, {{0, 0}})});
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());  // no grain at amount 0
  run.ApplyOk({MakeFilter(kFilmGrain, {{0, 50}, {1, 1}})});
  const std::vector<std::uint8_t> first = run.destination.Pixels();
  EXPECT_NE(first, run.source.Pixels());
  EXPECT_EQ(run.Out(3, 3).blue, run.Out(3, 3).red);  // grey grain
  for (std::uint8_t byte : first) {
    EXPECT_GE(byte, 128 - 64);
    EXPECT_LE(byte, 128 + 64);
  }
  run.ApplyOk({MakeFilter(kFilmGrain, {{0, 50}, {1, 1}})});
  EXPECT_EQ(run.destination.Pixels(), first);  // the same frame draws the same grain
  ASSERT_EQ(run.Apply({MakeFilter(kFilmGrain, {{0, 50}, {1, 1}})}, 0.0f, false, nullptr, 40), kEffectDone);
  EXPECT_NE(run.destination.Pixels(), first);
  // A prepared seed draws another pattern.
  EffectFilter prepared = MakeFilter(kFilmGrain, {{0, 50}, {1, 1}});
  prepared.effectData[0] = 12345;
  ASSERT_EQ(PrepareGrainData(&prepared.effectData[0], &prepared.effectData[1]), 0);
  run.ApplyOk({prepared});
  EXPECT_NE(run.destination.Pixels(), first);
}

TEST(OldFilm, TonesScratchesAndFlickers) {
  FilterRun run(32, 4);
  run.source.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kOldFilm, {{0, 0}, {1, 0}, {2, 0}, {3, 100}})});
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{20, 66, 112}));  // sepia only
  run.ApplyOk({MakeFilter(kOldFilm, {{0, 0}, {1, 1}, {2, 0}, {3, 0}})});
  // One scratch: a column 90 brighter, the rest untouched.
  EXPECT_EQ(run.destination.CountEqual(Grey(218)), 4);
  EXPECT_EQ(run.destination.CountEqual(Grey(128)), 31 * 4);
}

TEST(Explosion, TilesFlyApartAndLeaveGaps) {
  FilterRun run(8, 8);
  run.source.FillPattern(2);
  run.ApplyOk({MakeFilter(kExplosion, {{0, 0}, {1, 2}})}, 0.0f, true);
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  EXPECT_EQ(run.AlphaMap(), "########\n########\n########\n########\n########\n########\n########\n########\n");
  run.alpha.Fill(Grey(128));
  run.ApplyOk({MakeFilter(kExplosion, {{0, 50}, {1, 2}, {2, 100}})}, 0.0f, true);
  EXPECT_EQ(run.Alpha(3, 3), 0);  // the centre opens up
  EXPECT_EQ(run.Alpha(4, 4), 0);
}

TEST(Strobe, HoldsEachPictureForItsFrames) {
  testing::TempDir dir;
  const std::string path = (dir.path() / "frz0001.tmp").string();
  const EffectPathNode none[1] = {};
  HGLOBAL stored = MakeStoredEffectData(kFreezeFrame, std::span<const EffectPathNode>(none, 0));
  EffectFilter filter = MakeFilter(kFreezeFrame, {{0, 3}});
  filter.workBlock = UnpackEffectData(stored);
  ASSERT_TRUE(SetWorkBlockTempFile(filter.workBlock, path, 0, 0, 0));

  FilterRun run(4, 2);
  run.source.FillPattern(1);
  ASSERT_EQ(run.Apply({filter}, 0.0f, false, nullptr, 0), kEffectDone);  // frame 0 is taken
  const std::vector<std::uint8_t> held = run.source.Pixels();
  run.source.FillPattern(2);
  ASSERT_EQ(run.Apply({filter}, 0.0f, false, nullptr, 40), kEffectDone);  // frame 1 holds it
  EXPECT_EQ(run.destination.Pixels(), held);
  ASSERT_EQ(run.Apply({filter}, 0.0f, false, nullptr, 120), kEffectDone);  // frame 3 takes a new one
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  // Without a file every picture passes.
  run.source.FillPattern(3);
  ASSERT_EQ(run.Apply({MakeFilter(kFreezeFrame, {{0, 3}})}, 0.0f, false, nullptr, 40), kEffectDone);
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  GlobalFree(filter.workBlock);
  GlobalFree(stored);
}

TEST(PassThrough, TrailingAndPlugInFiltersCopyThePicture) {
  FilterRun run(3, 2);
  run.source.FillPattern(4);
  run.ApplyOk({MakeFilter(kTrailing)});
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  run.destination.Fill(Grey(0));
  run.ApplyOk({MakeFilter(kPlugIn)});
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
}

}  // namespace
}  // namespace sprocket
