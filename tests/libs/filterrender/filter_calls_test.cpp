// How the filter renderer's calls treat their arguments: lists, values that
// move with the effect percent, masks, files, bad pictures and stops.

#include <gtest/gtest.h>

#include <fstream>

#include "filter_run.h"
#include "imagelib/dib_header.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/filter_kernels.h"
#include "platform/message_pump.h"
#include "temp_dir.h"

namespace sprocket {
namespace {

using namespace effect_id;
using testing::FilterRun;
using testing::Grey;
using testing::MakeFilter;
using testing::TestPicture;

TEST(FilterCalls, EveryFilterOfTheCatalogueHasAKernel) {
  for (const EffectDescriptor& filter : FilterCatalog()) {
    EXPECT_NE(FindFilterKernel(filter.id), nullptr) << filter.id;
  }
}

TEST(FilterCalls, TheFiltersOfAListRunInOrder) {
  FilterRun run(1, 1);
  run.source.Set(0, 0, Grey(100));
  // Brighter, then negative: 100 -> 228 -> 27. The other way: 100 -> 155 -> 255.
  run.ApplyOk({MakeFilter(kBrightnessContrast, {{0, 50}}), MakeFilter(kInvert)});
  EXPECT_EQ(run.Out(0, 0), Grey(27));
  run.ApplyOk({MakeFilter(kInvert), MakeFilter(kBrightnessContrast, {{0, 50}})});
  EXPECT_EQ(run.Out(0, 0), Grey(255));
}

TEST(FilterCalls, AnEmptyListRunsTheGivenIdWithItsDefaults) {
  FilterRun run(1, 1);
  run.source.Set(0, 0, BgrPixel{10, 20, 30});
  ASSERT_EQ(ApplyFilterFrame(0, kInvert, 0.0f, run.source.block(), 0, run.destination.block(), nullptr, nullptr, {},
                             25.0f, 0, 1),
            kEffectDone);
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{245, 235, 225}));
}

TEST(FilterCalls, ValuesMoveFromTheFirstSetToTheSecondWithTheEffectPercent) {
  FilterRun run(1, 1);
  run.source.Set(0, 0, Grey(100));
  const EffectFilter fade = MakeFilter(kBrightnessContrast, {{0, 0}}, {{0, 100}});
  run.ApplyOk({fade}, 0.0f);
  EXPECT_EQ(run.Out(0, 0), Grey(100));
  run.ApplyOk({fade}, 50.0f);
  EXPECT_EQ(run.Out(0, 0), Grey(228));  // brightness 50: + 127.5
  run.ApplyOk({fade}, 100.0f);
  EXPECT_EQ(run.Out(0, 0), Grey(255));
  // Values outside the range are limited to it.
  run.ApplyOk({MakeFilter(kBrightnessContrast, {{0, -900}})});
  EXPECT_EQ(run.Out(0, 0), Grey(0));
}

TEST(FilterCalls, UnknownFiltersPassThePictureAndTheSourceMayBeTheDestination) {
  FilterRun run(2, 2);
  run.source.FillPattern(1);
  run.ApplyOk({MakeFilter(4242)});
  EXPECT_EQ(run.destination.Pixels(), run.source.Pixels());
  const std::vector<std::uint8_t> before = run.source.Pixels();
  const EffectFilter flip = MakeFilter(kFlipHorizontal);
  ASSERT_EQ(ApplyFilterFrame(0, kFlipHorizontal, 0.0f, run.source.block(), 0, run.source.block(), nullptr, nullptr,
                             {&flip, 1}, 25.0f, 0, 1),
            kEffectDone);
  EXPECT_EQ(run.source.At(0, 1), (BgrPixel{before[9], before[10], before[11]}));
}

TEST(FilterCalls, BadPicturesAreRefusedWithoutWriting) {
  TestPicture source(4, 2), destination(4, 2), small(3, 2), grey(4, 2, 8);
  destination.Fill(Grey(77));
  const EffectFilter invert = MakeFilter(kInvert);
  EXPECT_EQ(
      ApplyFilterFrame(0, kInvert, 0, small.block(), 0, destination.block(), nullptr, nullptr, {&invert, 1}, 25, 0, 1),
      kEffectBadPicture);
  EXPECT_EQ(
      ApplyFilterFrame(0, kInvert, 0, grey.block(), 0, destination.block(), nullptr, nullptr, {&invert, 1}, 25, 0, 1),
      kEffectBadPicture);
  EXPECT_EQ(ApplyFilterFrame(0, kInvert, 0, source.block(), 0, nullptr, nullptr, nullptr, {&invert, 1}, 25, 0, 1),
            kEffectBadPicture);
  EXPECT_EQ(ApplyFilterFrame(0, kInvert, 0, source.block(), 0, destination.block(), nullptr, small.block(),
                             {&invert, 1}, 25, 0, 1),
            kEffectBadPicture);
  EXPECT_EQ(destination.CountEqual(Grey(77)), 8);
}

TEST(FilterCalls, TheFirstMaskStandsInForAMissingSecond) {
  FilterRun run(2, 1);
  run.source.Set(0, 0, BgrPixel{0, 255, 0});
  ASSERT_EQ(ApplyFilterFrame(0, kColourKey, 0, run.source.block(), 0, run.destination.block(), run.alpha.block(),
                             nullptr, {}, 25, 0, 1),
            kEffectDone);
  EXPECT_EQ(run.AlphaMap(), ".#\n");
}

TEST(FilterCalls, StopRequestsAnswerMinusTwo) {
  FilterRun run(64, 200);
  int calls = 0;
  const RenderPumpCallback stopLater = [&calls] { return ++calls >= 3 ? 1 : 0; };
  const EffectFilter blur = MakeFilter(kBlur, {{0, 100}});
  EXPECT_EQ(ApplyFilterFrame(0, kBlur, 0, run.source.block(), 0, run.destination.block(), nullptr, nullptr, {&blur, 1},
                             25, 0, 1, nullptr, nullptr, stopLater),
            kEffectStopped);
  EXPECT_EQ(calls, 3);
  RequestAbort();
  EXPECT_EQ(run.Apply({MakeFilter(kInvert)}), kEffectStopped);
  ClearAbort();
}

TEST(FilterCalls, FieldsCountAsFramesOfTheirOwn) {
  EffectFrameParams params;
  EXPECT_EQ(EffectFrameNumber(1000, 25.0f, &params), 25);
  params.fieldMode = 1;
  params.currentField = 1;
  EXPECT_EQ(EffectFrameNumber(1000, 25.0f, &params), 51);
  EXPECT_EQ(EffectFrameNumber(1000, std::numeric_limits<float>::quiet_NaN(), nullptr), 0);
}

TEST(FilterCallsToFile, MasksComeFromTheWorkPicturesWhenTheBlockSaysSo) {
  FilterRun run(2, 1);
  TestPicture first(2, 1);
  first.Fill(Grey(128));
  run.source.Set(0, 0, BgrPixel{0, 255, 0});
  EffectFileWorkBlock work;
  work.hasMask = 1;
  ASSERT_EQ(ApplyFilterFrameToFile(0, kColourKey, 0, run.source.block(), run.destination.block(), first.block(),
                                   run.alpha.block(), 0, {}, 25, 0, &work, 1),
            kEffectDone);
  EXPECT_EQ(run.AlphaMap(), ".#\n");
}

TEST(FilterCallsToFile, WithoutMasksTheCompositeFileIsTheBackground) {
  testing::TempDir dir;
  TestPicture composite(2, 1);
  composite.Fill(BgrPixel{5, 6, 7});
  const std::string path = (dir.path() / "~ctmp10.tmp").string();
  {
    const std::vector<std::uint8_t> bytes = composite.Bytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  FilterRun run(2, 1);
  run.source.Set(0, 0, BgrPixel{0, 255, 0});
  run.source.Set(1, 0, Grey(9));
  EffectFileWorkBlock work;
  work.drive = '/';
  path.copy(work.compositePath, path.size());
  ASSERT_EQ(ApplyFilterFrameToFile(0, kColourKey, 0, run.source.block(), run.destination.block(), nullptr, nullptr, 0,
                                   {}, 25, 0, &work, 1),
            kEffectDone);
  EXPECT_EQ(run.Out(0, 0), (BgrPixel{5, 6, 7}));
  EXPECT_EQ(run.Out(1, 0), Grey(9));
  // A composite file of another size is not used: black shows.
  TestPicture other(3, 1);
  {
    const std::vector<std::uint8_t> bytes = other.Bytes();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  ASSERT_EQ(ApplyFilterFrameToFile(0, kColourKey, 0, run.source.block(), run.destination.block(), nullptr, nullptr, 0,
                                   {}, 25, 0, &work, 1),
            kEffectDone);
  EXPECT_EQ(run.Out(0, 0), Grey(0));
}

}  // namespace
}  // namespace sprocket
