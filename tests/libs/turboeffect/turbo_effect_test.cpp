// The fast path gives the same bytes as the general road, and declines what
// it does not handle.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "effectcatalog/test_pictures.h"
#include "imagelib/drawing/mask_blend.h"
#include "libs/effectcatalog/effect_ids.h"
#include "libs/filterrender/filter_render.h"
#include "libs/transitionrender/transition_render.h"
#include "libs/turboeffect/turbo_effect.h"
#include "platform/message_pump.h"

namespace sprocket {

void PrintTo(const EffectDescriptor& effect, std::ostream* out) { *out << effect.id << " " << effect.name; }

namespace {

using namespace effect_id;
using testing::MakeFilter;
using testing::TestPicture;

class PictureSources : public TurboSources {
public:
  PictureSources(int width, int height) : a(width, height), b(width, height), clip(width, height) {
    a.FillPattern(1);
    b.FillPattern(2);
    clip.FillPattern(3);
  }
  const std::uint8_t* FetchPicture(int side, std::int32_t width, std::int32_t height) override {
    ++fetches;
    askedWidth = width;
    askedHeight = height;
    if (lock != nullptr) {
      bool free = false;
      std::thread([&] {
        free = lock->try_lock();
        if (free) lock->unlock();
      }).join();
      EXPECT_FALSE(free) << "sources are fetched under the render lock";
    }
    if (side == missingSide) return nullptr;
    return side == kTurboSideA ? a.block() : side == kTurboSideB ? b.block() : clip.block();
  }
  TestPicture a, b, clip;
  int fetches = 0;
  int askedWidth = 0;
  int askedHeight = 0;
  int missingSide = -1;
  std::recursive_mutex* lock = nullptr;
};

// The compositor's general road for one transition entry: a black result
// picture, the transition renderer, then the result replaces the output.
void GeneralTransition(const TurboEntry& entry, const PictureSources& sources, const TestPicture& output) {
  TestPicture result(output.width(), output.height());
  const std::uint8_t* a = sources.missingSide == kTurboSideA ? nullptr : sources.a.block();
  const std::uint8_t* b = sources.missingSide == kTurboSideB ? nullptr : sources.b.block();
  ASSERT_EQ(RenderTransitionFrame(0, entry.filters.front().id, entry.transitionPercent, a, b, result.block(), 0, 0,
                                  entry.filters, entry.effectPercent, 0, 25, 1),
            kEffectDone);
  BlendUnderMask(result.block(), output.block(), nullptr);
}

// ... and for one clip with filters: a black work picture, the filter
// renderer, then the work picture replaces the output.
void GeneralClip(const TurboEntry& entry, const PictureSources& sources, const TestPicture& output) {
  TestPicture work(output.width(), output.height());
  ASSERT_EQ(ApplyFilterFrame(0, entry.filters.front().id, entry.effectPercent, sources.clip.block(), 0, work.block(),
                             nullptr, nullptr, entry.filters, 25.0f, 0, 1),
            kEffectDone);
  BlendUnderMask(work.block(), output.block(), nullptr);
}

struct Size {
  int width;
  int height;
};

class FastTransition : public ::testing::TestWithParam<std::tuple<EffectDescriptor, Size>> {};

TEST_P(FastTransition, GivesTheGeneralRoadsBytes) {
  const auto& [effect, size] = GetParam();
  PictureSources sources(size.width, size.height);
  const std::vector<EffectFilter> filters{MakeFilter(effect.id)};
  for (float percent : {0.0f, 0.4f, 13.7f, 33.3f, 50.0f, 66.6f, 86.2f, 99.9f, 100.0f}) {
    TurboEntry entry;
    entry.trackLetter = 'X';
    entry.filters = filters;
    entry.transitionPercent = percent;
    TestPicture fast(size.width, size.height), general(size.width, size.height);
    ASSERT_EQ(TurboProcess(&sources, entry, fast.block(), nullptr, nullptr), 1) << percent;
    GeneralTransition(entry, sources, general);
    EXPECT_EQ(fast.Bytes(), general.Bytes()) << effect.name << " at " << percent << " %";
  }
}

std::vector<EffectDescriptor> FastTransitions() {
  std::vector<EffectDescriptor> fast;
  for (const EffectDescriptor& effect : TransitionCatalog()) {
    if (IsTurboEffect(effect.id, 0) != 0) fast.push_back(effect);
  }
  return fast;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, FastTransition,
                         ::testing::Combine(::testing::ValuesIn(FastTransitions()),
                                            ::testing::Values(Size{37, 23}, Size{64, 48})),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::to_string(std::get<1>(info.param).width);
                         });

TEST(FastPath, CoversTheDissolvesWipesAndMovesOfTheCatalogue) {
  EXPECT_EQ(FastTransitions().size(), 1u + 2u + 8u + 4u + 8u + 8u + 4u + 4u);
  EXPECT_EQ(IsTurboEffect(kCrossDissolve, 0x47504A4D), 1);
  EXPECT_EQ(IsTurboEffect(kSoftCircle, 0), 0);
  EXPECT_EQ(IsTurboEffect(kInvert, 0), 1);
  EXPECT_EQ(IsTurboEffect(kBlur, 0), 0);
  EXPECT_EQ(IsTurboEffect(12345, 0), 0);
}

TEST(FastPath, ColourTableChainsGiveTheGeneralRoadsBytes) {
  PictureSources sources(29, 17);
  const std::vector<EffectFilter> filters{MakeFilter(kBrightnessContrast, {{0, -20}, {1, 30}}, {{0, 40}, {1, -10}}),
                                          MakeFilter(kGamma, {{0, 160}}),
                                          MakeFilter(kColourBalance, {{0, 10}, {1, -5}, {2, 30}}),
                                          MakeFilter(kInvert),
                                          MakeFilter(kPosterize, {{0, 7}}),
                                          MakeFilter(kSolarize, {{0, 200}}),
                                          MakeFilter(kCurves)};
  for (float percent : {0.0f, 42.0f, 100.0f}) {
    TurboEntry entry;
    entry.filters = filters;
    entry.effectPercent = percent;
    TestPicture fast(29, 17), general(29, 17);
    ASSERT_EQ(TurboProcess(&sources, entry, fast.block(), nullptr, nullptr), 1);
    GeneralClip(entry, sources, general);
    EXPECT_EQ(fast.Bytes(), general.Bytes()) << percent;
  }
}

TEST(FastPath, MissingPicturesAreBlackAsOnTheGeneralRoad) {
  PictureSources sources(20, 10);
  const std::vector<EffectFilter> filters{MakeFilter(kWipeLeftToRight)};
  TurboEntry entry;
  entry.trackLetter = 'X';
  entry.filters = filters;
  entry.transitionPercent = 30.0f;
  sources.missingSide = kTurboSideB;
  TestPicture fast(20, 10), general(20, 10);
  ASSERT_EQ(TurboProcess(&sources, entry, fast.block(), nullptr, nullptr), 1);
  GeneralTransition(entry, sources, general);
  EXPECT_EQ(fast.Bytes(), general.Bytes());

  const std::vector<EffectFilter> invert{MakeFilter(kInvert)};
  TurboEntry clip;
  clip.filters = invert;
  sources.missingSide = kTurboSideClip;
  fast.Fill(BgrPixel{9, 9, 9});
  ASSERT_EQ(TurboProcess(&sources, clip, fast.block(), nullptr, nullptr), 1);
  EXPECT_EQ(fast.CountEqual(BgrPixel{0, 0, 0}), 200);
}

TEST(FastPath, FetchesBothSidesAtTheOutputSizeUnderTheRenderLock) {
  PictureSources sources(8, 6);
  std::recursive_mutex lock;
  sources.lock = &lock;
  const std::vector<EffectFilter> filters{MakeFilter(kPushLeft)};
  TurboEntry entry;
  entry.trackLetter = 'X';
  entry.filters = filters;
  TestPicture out(8, 6);
  ASSERT_EQ(TurboProcess(&sources, entry, out.block(), nullptr, &lock), 1);
  EXPECT_EQ(sources.fetches, 2);
  EXPECT_EQ(sources.askedWidth, 8);
  EXPECT_EQ(sources.askedHeight, 6);
}

TEST(FastPath, DeclinesWhatItDoesNotHandleWithoutWriting) {
  PictureSources sources(8, 8);
  TestPicture out(8, 8);
  out.Fill(BgrPixel{1, 2, 3});
  auto declines = [&](const TurboEntry& entry, const char* why) {
    EXPECT_EQ(TurboProcess(&sources, entry, out.block(), nullptr, nullptr), 0) << why;
  };
  const std::vector<EffectFilter> wipe{MakeFilter(kWipeLeftToRight)};
  TurboEntry entry;
  entry.trackLetter = 'X';
  entry.filters = wipe;
  entry.entryCount = 2;
  declines(entry, "another clip lies over the transition");
  entry.entryCount = 1;
  entry.sideAFilters = true;
  declines(entry, "side filters");
  entry.sideAFilters = false;
  entry.doubleSize = true;
  declines(entry, "double size");
  entry.doubleSize = false;
  const std::vector<EffectFilter> soft{MakeFilter(kWipeLeftToRight, {{2, 10}})};
  entry.filters = soft;
  declines(entry, "soft edge");
  const std::vector<EffectFilter> withSecond{MakeFilter(kWipeLeftToRight), MakeFilter(kInvert)};
  entry.filters = withSecond;
  declines(entry, "second filter");
  const std::vector<EffectFilter> circle{MakeFilter(kIrisCircleOut)};
  entry.filters = circle;
  declines(entry, "not a fast transition");
  const std::vector<EffectFilter> none;
  entry.filters = none;
  declines(entry, "no transition record");
  const std::vector<EffectFilter> blur{MakeFilter(kInvert), MakeFilter(kBlur)};
  TurboEntry clip;
  clip.filters = blur;
  declines(clip, "a filter that is not a colour table");
  const std::vector<EffectFilter> invert{MakeFilter(kInvert)};
  clip.filters = invert;
  clip.maskFlag = 1;
  declines(clip, "masks");
  clip.maskFlag = 0;
  clip.filters = none;
  declines(clip, "a clip without filters");
  clip.filters = invert;
  EXPECT_EQ(TurboProcess(nullptr, clip, out.block(), nullptr, nullptr), 0);
  PictureSources smallSources(4, 4);
  EXPECT_EQ(TurboProcess(&smallSources, clip, out.block(), nullptr, nullptr), 0) << "picture of another size";
  RequestAbort();
  declines(clip, "a stop request");
  ClearAbort();
  EXPECT_EQ(out.CountEqual(BgrPixel{1, 2, 3}), 64);
  // A second filter that is not run (999) does not keep the fast path away.
  const std::vector<EffectFilter> skipped{MakeFilter(kWipeLeftToRight), MakeFilter(kEffectSequence)};
  entry.filters = skipped;
  EXPECT_EQ(TurboProcess(&sources, entry, out.block(), nullptr, nullptr), 1);
}

TEST(FastPath, EntryTestMatchesWhatTurboProcessTakes) {
  const std::vector<EffectFilter> wipe{MakeFilter(kWipeLeftToRight)};
  TurboEntry entry;
  entry.trackLetter = 'X';
  entry.filters = wipe;
  entry.entryCount = 3;  // the count is TurboProcess's business
  EXPECT_TRUE(IsTurboEntry(entry, 0x47504A4D));
  entry.sideBFilters = true;
  EXPECT_FALSE(IsTurboEntry(entry, 0x47504A4D));
  const std::vector<EffectFilter> gamma{MakeFilter(kGamma)};
  TurboEntry clip;
  clip.filters = gamma;
  EXPECT_TRUE(IsTurboEntry(clip, 0));
  clip.trackLetter = 'A';
  EXPECT_FALSE(IsTurboEntry(clip, 0));
}

}  // namespace
}  // namespace sprocket
