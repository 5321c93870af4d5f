#include "imagelib/rescale.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "imagelib/dib_header.h"
#include "imagelib/rescale_kernels.h"
#include "owned_picture.h"

namespace sprocket {
namespace {

using Picture = testing::OwnedPicture;

void FillRandom(Picture& picture, std::mt19937& random) {
  GlobalLockGuard<std::uint8_t> lock(picture.handle);
  const std::size_t size = GlobalSize(picture.handle);
  // Smooth areas and noise both, so that the flat and snap rules are hit.
  std::uniform_int_distribution<int> byte(0, 255), coin(0, 3);
  int value = byte(random);
  for (std::size_t i = 40; i < size; ++i) {
    if (coin(random) == 0) value = byte(random);
    lock.get()[i] = static_cast<std::uint8_t>(coin(random) == 1 ? value + 1 : value);
  }
}

TEST(RescaleKernels, ValuesAndSupports) {
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterHermite, 0.0f), 1.0f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterHermite, 0.5f), 0.5f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterNearest, -0.5f), 0.5f);  // Hermite when given directly
  EXPECT_EQ(RescaleKernel(kFilterBox, 0.5f), 1.0f);
  EXPECT_EQ(RescaleKernel(kFilterBox, -0.5f), 0.0f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterTriangle, -0.25f), 0.75f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterBell, 0.0f), 0.75f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterBell, 1.0f), 0.125f);
  EXPECT_EQ(RescaleKernel(kFilterBell, 1.5f), 0.0f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterBSpline, 0.0f), 0.6666667f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterBSpline, 1.0f), 0.16666667f);
  EXPECT_EQ(RescaleKernel(kFilterLanczos3, 0.0f), 1.0f);
  EXPECT_NEAR(RescaleKernel(kFilterLanczos3, 1.0f), 0.0f, 1e-6);
  EXPECT_EQ(RescaleKernel(kFilterLanczos3, 3.0f), 0.0f);
  EXPECT_FLOAT_EQ(RescaleKernel(kFilterMitchell, 0.0f), 8.0f / 9.0f);
  EXPECT_NEAR(RescaleKernel(kFilterMitchell, 1.0f), 1.0f / 18.0f, 1e-6);
  EXPECT_EQ(RescaleKernel(kFilterMitchell, 2.0f), 0.0f);

  const float supports[] = {1.0f, 1.0f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
  for (int f = 0; f < 8; ++f) EXPECT_EQ(RescaleSupport(static_cast<RescaleFilter>(f)), supports[f]);
  EXPECT_EQ(RescaleSupport(static_cast<RescaleFilter>(8)), 0.0f);
}

TEST(RescaleContributors, IntegerWeightsAtScaleOne) {
  std::vector<ContributorList> lists;
  ASSERT_EQ(BuildContributors(5, 5, kFilterBox, lists), kDibDone);
  ASSERT_EQ(lists.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(lists[i].size(), 2u);
    EXPECT_EQ(lists[i][0].pixel, i);
    EXPECT_EQ(lists[i][0].intWeight, 16384);
    EXPECT_EQ(lists[i][1].pixel, std::min(i + 1, 4));
    EXPECT_EQ(lists[i][1].intWeight, 0);
  }

  ASSERT_EQ(BuildContributors(6, 6, kFilterMitchell, lists), kDibDone);
  const std::vector<int> weights = {0, 910, 14564, 910, 0};
  for (int i = 0; i < 6; ++i) {
    ASSERT_EQ(lists[i].size(), 5u);
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(lists[i][k].intWeight, weights[k]);
      EXPECT_EQ(lists[i][k].pixel, std::clamp(i - 2 + k, 0, 5));
    }
  }
}

TEST(RescaleContributors, ShrinkingByFourWithMitchellSpansEightEachSide) {
  std::vector<ContributorList> lists;
  ASSERT_EQ(BuildContributors(10, 40, kFilterMitchell, lists), kDibDone);
  for (const ContributorList& list : lists) {
    ASSERT_EQ(list.size(), 17u);
    int sum = 0;
    for (const Contributor& c : list) {
      EXPECT_GE(c.pixel, 0);
      EXPECT_LE(c.pixel, 39);
      sum += c.intWeight;
    }
    EXPECT_NEAR(sum, 16384, 8);
  }
  // Centre 2.0: sources -6..10, the first six clamped to 0.
  EXPECT_EQ(lists[0][0].pixel, 0);
  EXPECT_EQ(lists[0][6].pixel, 0);
  EXPECT_EQ(lists[0][7].pixel, 1);
  EXPECT_EQ(lists[0][16].pixel, 10);
  // Centre 38.0: sources 30..46, the last seven clamped to 39.
  EXPECT_EQ(lists[9][0].pixel, 30);
  EXPECT_EQ(lists[9][9].pixel, 39);
  EXPECT_EQ(lists[9][16].pixel, 39);

  EXPECT_EQ(BuildContributors(10, 40, static_cast<RescaleFilter>(8), lists), kDibBadSize);
  EXPECT_EQ(BuildContributors(0, 40, kFilterBox, lists), kDibBadSize);
}

TEST(RescaleFiltered, BoxAtScaleOneKeepsOrSnapsToTheNextPixel) {
  Picture source(5, 1);
  const COLORREF row[] = {0x646464, 0x646365, 0x676767, 0x320000 | 200, 0x1E140A};
  for (int x = 0; x < 5; ++x) source.image.SetPixel(x, 0, row[x]);
  Picture target(5, 1);
  ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterBox), kDibDone);
  // 0: the next pixel is within 1: kept. 1: the next differs by 2..4: snapped to it.
  // 2, 3: the next differs by 5 or more: kept. 4: its own pixel twice.
  const COLORREF expected[] = {row[0], row[2], row[2], row[3], row[4]};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(target.image.GetPixel(x, 0), expected[x]) << x;
}

TEST(RescaleFiltered, MitchellAtScaleOneSoftens) {
  Picture source(5, 1);
  source.SetGrey(2, 0, 255);
  Picture target(5, 1);
  ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterMitchell), kDibDone);
  // 255 x 910 >> 14 = 14, 255 x 14564 >> 14 = 226.
  EXPECT_EQ(target.BlueRow(0), (std::vector<int>{0, 14, 226, 14, 0}));
}

TEST(RescaleFiltered, HalvingShortcutRoundsEachTermDown) {
  Picture white(320, 240);
  white.image.Fill(0xFFFFFF);
  Picture half(160, 120);
  ASSERT_EQ(RescaleFiltered(half.image, white.image, half.Whole(), white.Whole(), kFilterMitchell), kDibDone);
  // 255 -> 250 across, 250 -> 248 down.
  EXPECT_EQ(half.image.GetPixel(0, 0), 0xF8F8F8u);
  EXPECT_EQ(half.image.GetPixel(159, 119), 0xF8F8F8u);

  // Odd source sizes halve the same way; the last column and row are unused.
  Picture odd(321, 241);
  odd.image.Fill(0xFFFFFF);
  for (int y = 0; y < 241; ++y) odd.image.SetPixel(320, y, 0);
  for (int x = 0; x < 321; ++x) odd.image.SetPixel(x, 240, 0);
  Picture oddHalf(160, 120);
  ASSERT_EQ(RescaleFiltered(oddHalf.image, odd.image, oddHalf.Whole(), odd.Whole(), kFilterMitchell), kDibDone);
  EXPECT_EQ(oddHalf.Bytes(), half.Bytes());

  // One more output pixel each way takes the general path: flat white stays white.
  Picture general(161, 121);
  ASSERT_EQ(RescaleFiltered(general.image, white.image, general.Whole(), white.Whole(), kFilterMitchell), kDibDone);
  EXPECT_EQ(general.image.GetPixel(80, 60), 0xFFFFFFu);

  // Another filter never takes the shortcut.
  ASSERT_EQ(RescaleFiltered(half.image, white.image, half.Whole(), white.Whole(), kFilterBell), kDibDone);
  EXPECT_EQ(half.image.GetPixel(10, 10), 0xFFFFFFu);
}

TEST(RescaleFiltered, HalvingShortcutExactValues) {
  Picture source(4, 2);
  const int row[] = {16, 32, 64, 128};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) source.SetGrey(x, y, row[x]);
  }
  Picture target(2, 1);
  ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterMitchell), kDibDone);
  // Across: 18 and 54; down (a = b = c = row 0, d = row 1): 16 and 50.
  EXPECT_EQ(target.BlueRow(0), (std::vector<int>{16, 50}));
}

TEST(RescaleFiltered, DoublingShortcutExactValues) {
  Picture source(2, 1);
  source.SetGrey(0, 0, 100);
  source.SetGrey(1, 0, 200);
  Picture target(4, 2);
  ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterMitchell), kDibDone);
  // Across: 100, 100, 125, 175; down each value v becomes (v>>2)*2 + (v>>1).
  for (int y = 0; y < 2; ++y) EXPECT_EQ(target.BlueRow(y), (std::vector<int>{100, 100, 124, 173}));
}

TEST(RescaleFiltered, OddDoublingFillsTheLastPlaceWithoutOverrun) {
  Picture source(3, 1);
  source.SetGrey(1, 0, 100);
  source.SetGrey(2, 0, 200);
  Picture target(7, 3);  // 7 / 2 = 3 and 3 / 2 = 1: both axes double, with one place over
  ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterMitchell), kDibDone);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(target.BlueRow(y), (std::vector<int>{0, 0, 24, 73, 124, 173, 200})) << y;
  }
}

TEST(RescaleFiltered, MixedShortcutDirectionsTakeEachAxisOwnWay) {
  for (auto [sw, sh, dw, dh] :
       {std::array{8, 2, 4, 4}, std::array{4, 4, 8, 2}, std::array{320, 120, 160, 240}, std::array{3, 9, 7, 4}}) {
    Picture source(sw, sh);
    source.image.Fill(0xC8C8C8);  // 200: unchanged by both directions
    Picture target(dw, dh);
    ASSERT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), kFilterMitchell), kDibDone);
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw; ++x) ASSERT_EQ(target.image.GetPixel(x, y), 0xC8C8C8u) << x << "," << y;
    }
  }
}

TEST(RescaleFiltered, RectanglesAreNormalisedAndOnlyTheTargetRectangleChanges) {
  EXPECT_EQ(NormaliseDibRect(DibRect{0, 0, 99, 49}, 199, 99), (DibRect{99, 49, 0, 0}));
  EXPECT_EQ(NormaliseDibRect(DibRect{-5, 300, 250, -1}, 199, 99), (DibRect{199, 99, 0, 0}));

  Picture source(6, 6);
  source.image.Fill(0x102030);
  Picture target(8, 8);
  target.image.Fill(0xFFFFFF);
  // Corners in reverse order: x from 2 to 5, y from 1 to 3.
  ASSERT_EQ(RescaleFiltered(target.image, source.image, DibRect{2, 1, 5, 3}, source.Whole(), kFilterTriangle),
            kDibDone);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x <= 5 && y >= 1 && y <= 3;
      EXPECT_EQ(target.image.GetPixel(x, y), inside ? 0x102030u : 0xFFFFFFu) << x << "," << y;
    }
  }
}

TEST(RescaleFiltered, ReportsBadInputAndWritesNothing) {
  Picture source(4, 4);
  Picture target(4, 4);
  target.image.Fill(0x123456);
  const auto before = target.Bytes();
  HGLOBAL none = nullptr;
  CDibImage empty(&none);
  CDibImage detached;
  EXPECT_EQ(RescaleFiltered(empty, source.image, target.Whole(), source.Whole(), kFilterBox), kDibNoBlock);
  EXPECT_EQ(RescaleFiltered(target.image, empty, target.Whole(), source.Whole(), kFilterBox), kDibNoBlock);
  EXPECT_EQ(RescaleFiltered(detached, source.image, target.Whole(), source.Whole(), kFilterBox), kDibDetached);
  EXPECT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), static_cast<RescaleFilter>(8)),
            kDibBadSize);
  EXPECT_EQ(RescaleFiltered(target.image, source.image, target.Whole(), source.Whole(), static_cast<RescaleFilter>(-1)),
            kDibBadSize);
  EXPECT_EQ(target.Bytes(), before);
  EXPECT_EQ(GlobalLockCount(target.handle), 0);
  EXPECT_EQ(GlobalLockCount(source.handle), 0);
}

// The whole source scaled to dw x dh by the fast and the plain passes.
void ExpectFastMatchesPlain(Picture& source, int dw, int dh, RescaleFilter filter) {
  Picture plain(dw, dh);
  Picture fast(dw, dh);
  ASSERT_EQ(RescaleFilteredPlain(plain.image, source.image, plain.Whole(), source.Whole(), filter), kDibDone);
  ASSERT_EQ(RescaleFiltered(fast.image, source.image, fast.Whole(), source.Whole(), filter), kDibDone);
  const DibSize size = source.image.GetSize();
  ASSERT_EQ(fast.Bytes(), plain.Bytes()) << size.width << "x" << size.height << " -> " << dw << "x" << dh << " filter "
                                         << filter;
}

// The faster passes must give the same bytes as the plain ones.
TEST(RescaleFiltered, FastAndPlainPassesGiveIdenticalBytes) {
  std::mt19937 random(1234);
  struct Case {
    int sw, sh, dw, dh;
  };
  const Case cases[] = {{1, 1, 1, 1},       {1, 1, 3, 2},         {3, 2, 1, 1},        {2, 3, 5, 7},
                        {7, 5, 3, 2},       {17, 13, 31, 29},     {40, 30, 10, 7},     {33, 21, 66, 42},
                        {33, 21, 67, 43},   {66, 42, 33, 21},     {67, 43, 33, 21},    {64, 48, 32, 96},
                        {101, 77, 100, 76}, {720, 576, 640, 480}, {352, 288, 704, 576}};
  for (const Case& c : cases) {
    Picture source(c.sw, c.sh);
    FillRandom(source, random);
    for (int f = 0; f < 8; ++f) {
      const auto filter = static_cast<RescaleFilter>(f);
      if ((c.sw >= 352) && f != kFilterMitchell && f != kFilterLanczos3) continue;
      ExpectFastMatchesPlain(source, c.dw, c.dh, filter);
      if (HasFatalFailure()) return;
    }
  }
}

// The fast passes keep the tables of the last size pair and filter on each
// thread: a run of jobs that changes one axis, the filter or nothing at a
// time, and returns to earlier ones, must each match the plain passes.
TEST(RescaleFiltered, JobsOfChangingSizesAndFiltersEachMatchThePlainPasses) {
  std::mt19937 random(99);
  struct Job {
    int sw, sh, dw, dh;
    RescaleFilter filter;
  };
  const Job jobs[] = {{72, 48, 64, 48, kFilterMitchell}, {72, 48, 64, 48, kFilterMitchell},
                      {72, 50, 64, 47, kFilterMitchell}, {72, 48, 64, 48, kFilterMitchell},
                      {70, 48, 64, 48, kFilterMitchell}, {72, 48, 63, 48, kFilterMitchell},
                      {72, 48, 64, 48, kFilterLanczos3}, {72, 48, 64, 48, kFilterMitchell}};
  for (const Job& job : jobs) {
    Picture source(job.sw, job.sh);
    FillRandom(source, random);
    ExpectFastMatchesPlain(source, job.dw, job.dh, job.filter);
    if (HasFatalFailure()) return;
  }
}

// Wide flat areas with steps of one and rare edges: most pixels take the
// flat or the snap rule, next to pixels that take the sum.
TEST(RescaleFiltered, FastAndPlainAgreeOnNearlyFlatPictures) {
  std::mt19937 random(4321);
  struct Case {
    int sw, sh, dw, dh;
  };
  for (const Case c : {Case{720, 48, 640, 48}, Case{61, 40, 83, 29}, Case{97, 33, 11, 65}, Case{40, 37, 39, 36}}) {
    Picture source(c.sw, c.sh);
    {
      GlobalLockGuard<std::uint8_t> lock(source.handle);
      std::uniform_int_distribution<int> byte(0, 255), step(0, 299);
      int value = byte(random);
      for (std::size_t i = 40; i < GlobalSize(source.handle); ++i) {
        const int roll = step(random);
        if (roll == 0) value = byte(random);
        lock.get()[i] = static_cast<std::uint8_t>(std::clamp(value + (roll % 3) - 1, 0, 255));
      }
    }
    for (const RescaleFilter filter : {kFilterMitchell, kFilterTriangle, kFilterLanczos3}) {
      ExpectFastMatchesPlain(source, c.dw, c.dh, filter);
      if (HasFatalFailure()) return;
    }
  }
}

TEST(RescaleFiltered, FastAndPlainAgreeOnUnpaddedRowsAndSubRectangles) {
  std::mt19937 random(99);
  // An unpadded 5 x 4 source: stride 15.
  Picture source;
  source.handle = GlobalAlloc(GHND, 40 + 15 * 4);
  {
    DibInfoHeader header = MakeDib24Header(5, 4);
    header.biSizeImage = 60;
    GlobalLockGuard<std::uint8_t> lock(source.handle);
    WriteDibHeader(lock.get(), header);
  }
  ASSERT_EQ(source.image.Refresh(), kDibDone);
  FillRandom(source, random);
  for (int f = 1; f < 8; ++f) {
    Picture plain(9, 6);
    Picture fast(9, 6);
    const DibRect to{7, 5, 1, 1};
    const DibRect from{1, 0, 4, 3};
    const auto filter = static_cast<RescaleFilter>(f);
    ASSERT_EQ(RescaleFilteredPlain(plain.image, source.image, to, from, filter), kDibDone);
    ASSERT_EQ(RescaleFiltered(fast.image, source.image, to, from, filter), kDibDone);
    EXPECT_EQ(fast.Bytes(), plain.Bytes()) << f;
  }
  // In place: a picture scaled into a part of itself.
  Picture a(12, 10);
  FillRandom(a, random);
  Picture b;
  ASSERT_EQ(b.image.Copy(a.image), kDibDone);
  ASSERT_EQ(RescaleFilteredPlain(a.image, a.image, DibRect{5, 4, 0, 0}, a.Whole(), kFilterBSpline), kDibDone);
  ASSERT_EQ(RescaleFiltered(b.image, b.image, DibRect{5, 4, 0, 0}, b.Whole(), kFilterBSpline), kDibDone);
  EXPECT_EQ(a.Bytes(), b.Bytes());
}

TEST(StretchRectNearest, ColumnsByErrorWalkRowsByRounding) {
  Picture source(4, 1);
  for (int x = 0; x < 4; ++x) source.SetGrey(x, 0, 10 * (x + 1));
  Picture target(7, 3);
  ASSERT_EQ(target.image.StretchRect(target.Whole(), source.image, source.Whole(), kFilterNearest), kDibDone);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(target.BlueRow(y), (std::vector<int>{10, 20, 20, 30, 30, 40, 40}));

  Picture tall(2, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) tall.SetGrey(x, y, 50 * (y + 1));
  }
  Picture taller(2, 5);
  ASSERT_EQ(taller.image.StretchRect(taller.Whole(), tall.image, tall.Whole(), kFilterNearest), kDibDone);
  std::vector<int> column;
  for (int y = 0; y < 5; ++y) column.push_back(taller.Blue(1, y));
  EXPECT_EQ(column, (std::vector<int>{50, 100, 100, 150, 150}));

  // Swapped corner fields give the same result.
  Picture swapped(7, 3);
  ASSERT_EQ(swapped.image.StretchRectSwapped(DibRect{0, 2, 6, 0}, source.image, DibRect{0, 0, 3, 0}, kFilterNearest),
            kDibDone);
  EXPECT_EQ(swapped.Bytes(), target.Bytes());
}

TEST(StretchRectNearest, EmptySpansAndEmptyPicturesFail) {
  Picture source(4, 4);
  Picture target(4, 4);
  EXPECT_EQ(target.image.StretchRect(DibRect{2, 3, 2, 0}, source.image, source.Whole(), kFilterNearest), kDibBadSize);
  EXPECT_EQ(target.image.StretchRect(target.Whole(), source.image, DibRect{1, 3, 1, 0}, kFilterNearest), kDibBadSize);
  HGLOBAL none = nullptr;
  CDibImage empty(&none);
  EXPECT_EQ(target.image.StretchRect(target.Whole(), empty, source.Whole(), kFilterNearest), kDibNoBlock);
  EXPECT_EQ(empty.StretchRect(target.Whole(), source.image, source.Whole(), kFilterNearest), kDibNoBlock);
}

struct CallbackLog {
  std::vector<std::pair<float, float>> calls;
  int stopAt = -1;
};

int RecordProgress(int reserved, float last, float current, std::intptr_t log, std::intptr_t tag) {
  EXPECT_EQ(reserved, 0);
  EXPECT_EQ(tag, 77);
  auto* record = reinterpret_cast<CallbackLog*>(log);
  record->calls.emplace_back(last, current);
  return static_cast<int>(record->calls.size()) - 1 == record->stopAt ? 1 : 0;
}

TEST(StretchRectNearest, ProgressCallbackSeesEveryRowAndCanStop) {
  Picture source(4, 4);
  source.image.Fill(0xFFFFFF);
  Picture target(6, 6);
  CallbackLog log;
  ASSERT_EQ(target.image.StretchRect(DibRect{5, 4, 0, 2}, source.image, source.Whole(), kFilterNearest, RecordProgress,
                                     reinterpret_cast<std::intptr_t>(&log), 77),
            kDibDone);
  ASSERT_EQ(log.calls.size(), 3u);
  EXPECT_EQ(log.calls[0], std::make_pair(4.0f, 2.0f));
  EXPECT_EQ(log.calls[2], std::make_pair(4.0f, 4.0f));

  Picture untouched(6, 6);
  const auto before = untouched.Bytes();
  CallbackLog stop;
  stop.stopAt = 0;
  EXPECT_EQ(untouched.image.StretchRect(untouched.Whole(), source.image, source.Whole(), kFilterNearest, RecordProgress,
                                        reinterpret_cast<std::intptr_t>(&stop), 77),
            kDibStopped);
  EXPECT_EQ(untouched.Bytes(), before);
  EXPECT_EQ(GlobalLockCount(untouched.handle), 0);
}

TEST(Resize, SameSizeKeepsTheBlockAndEmptyGivesBlack) {
  Picture picture(5, 3);
  picture.image.Fill(0x010203);
  HGLOBAL block = picture.handle;
  const auto before = picture.Bytes();
  EXPECT_EQ(picture.image.Resize(5, 3, kFilterMitchell), kDibDone);
  EXPECT_EQ(picture.handle, block);
  EXPECT_EQ(picture.Bytes(), before);

  Picture empty;
  EXPECT_EQ(empty.image.Resize(3, 2, kFilterBox), kDibDone);
  ASSERT_NE(empty.handle, nullptr);
  EXPECT_EQ(GlobalSize(empty.handle), 40u + 12 * 2);
  const auto bytes = empty.Bytes();
  for (std::size_t i = 40; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0);

  CDibImage detached;
  EXPECT_EQ(detached.Resize(3, 2, kFilterBox), kDibDetached);
}

// The filtered resize writes every pixel of a block it does not clear: the
// rows' padding must still be zero, whatever the memory held before.
TEST(Resize, FilteredResizeLeavesTheRowsPaddingZero) {
  for (int round = 0; round < 3; ++round) {
    {
      GlobalBlock dirty = GlobalBlock::Allocate(40 + 24 * 7, GMEM_MOVEABLE);
      GlobalLockGuard<std::uint8_t> lock(dirty.get());
      std::memset(lock.get(), 0xAB, 40 + 24 * 7);
    }
    Picture picture(9, 4);
    picture.image.Fill(0x405060);
    ASSERT_EQ(picture.image.Resize(7, 7, kFilterMitchell), kDibDone);  // rows of 21 bytes padded to 24
    const auto bytes = picture.Bytes();
    ASSERT_EQ(bytes.size(), 40u + 24 * 7);
    for (int y = 0; y < 7; ++y) {
      for (int i = 21; i < 24; ++i) EXPECT_EQ(bytes[40 + y * 24 + i], 0) << y << "," << i;
      for (int x = 0; x < 7; ++x) EXPECT_EQ(picture.image.GetPixel(x, y), 0x405060u) << x << "," << y;
    }
  }
}

TEST(Resize, NearestWholePictureMapping) {
  Picture source(4, 3);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) source.SetGrey(x, y, 10 * (x + 1) + 100 * y);
  }
  Picture narrow;
  ASSERT_EQ(narrow.image.Copy(source.image), kDibDone);
  ASSERT_EQ(narrow.image.Resize(2, 5, kFilterNearest), kDibDone);
  // Rows trunc(y x 0.6): 0, 0, 1, 1, 2; columns: the first and the last.
  const int rows[] = {0, 0, 1, 1, 2};
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(narrow.BlueRow(y), (std::vector<int>{10 + 100 * rows[y], 40 + 100 * rows[y]})) << y;
  }

  // One pixel wide takes the first column instead of staying black.
  Picture thin;
  ASSERT_EQ(thin.image.Copy(source.image), kDibDone);
  ASSERT_EQ(thin.image.Resize(1, 3, kFilterNearest), kDibDone);
  for (int y = 0; y < 3; ++y) EXPECT_EQ(thin.Blue(0, y), 10 + 100 * y);

  Picture wide;
  ASSERT_EQ(wide.image.Copy(source.image), kDibDone);
  ASSERT_EQ(wide.image.ResizeTo(CDibImage(&narrow.handle)), kDibDone);
  EXPECT_EQ(wide.Bytes(), narrow.Bytes());
}

TEST(Resize, FilteredResizeAndFailuresKeepTheOldPicture) {
  Picture picture(8, 6);
  picture.image.Fill(0xFFFFFF);
  ASSERT_EQ(picture.image.Resize(4, 3, kFilterMitchell), kDibDone);
  EXPECT_EQ(picture.image.GetSize().width, 4);
  EXPECT_EQ(picture.image.GetPixel(3, 2), 0xF8F8F8u);  // the 2:1 path

  HGLOBAL block = picture.handle;
  const auto before = picture.Bytes();
  EXPECT_EQ(picture.image.Resize(0, 3, kFilterMitchell), kDibBadSize);
  EXPECT_EQ(picture.image.Resize(6, 3, static_cast<RescaleFilter>(12)), kDibBadSize);
  EXPECT_EQ(picture.image.Resize(0x7FFFFFFF, 0x7FFFFFFF, kFilterBox), kDibNoMemory);
  EXPECT_EQ(picture.handle, block);
  EXPECT_EQ(picture.Bytes(), before);

  HGLOBAL none = nullptr;
  EXPECT_EQ(picture.image.ResizeTo(CDibImage(&none)), kDibNoBlock);
  EXPECT_EQ(picture.image.ResizeTo(CDibImage()), kDibDetached);
}

}  // namespace
}  // namespace sprocket
