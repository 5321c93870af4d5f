// Every transition of the catalogue: A at 0 %, B at 100 %, a mix of both in
// between, and for wipes a share of B that never shrinks as time goes on.

#include <gtest/gtest.h>

#include <string>

#include "effectcatalog/test_pictures.h"
#include "libs/effectcatalog/effect_catalog.h"
#include "libs/transitionrender/transition_render.h"

namespace sprocket {

void PrintTo(const EffectDescriptor& effect, std::ostream* out) { *out << effect.id << " " << effect.name; }

namespace {

using testing::MakeFilter;
using testing::TestPicture;

class EveryTransition : public ::testing::TestWithParam<EffectDescriptor> {
protected:
  static constexpr int kWidth = 97;  // rows with padding
  static constexpr int kHeight = 72;

  // Renders the transition with its default values into `out`.
  void Render(float percent, const TestPicture& a, const TestPicture& b, const TestPicture& out,
              const std::vector<EffectFilter>& filters = {}) {
    std::vector<EffectFilter> list = filters;
    if (list.empty()) list.push_back(MakeFilter(GetParam().id));
    ASSERT_EQ(
        RenderTransitionFrame(0, GetParam().id, percent, a.block(), b.block(), out.block(), 0, 0, list, 0.0f, 0, 25, 1),
        kEffectDone);
  }
};

TEST_P(EveryTransition, ShowsAAtTheStartAndBAtTheEnd) {
  TestPicture a(kWidth, kHeight), b(kWidth, kHeight), out(kWidth, kHeight);
  a.FillPattern(1);
  b.FillPattern(2);
  Render(0.0f, a, b, out);
  EXPECT_EQ(out.Pixels(), a.Pixels()) << "at 0 %";
  Render(100.0f, a, b, out);
  EXPECT_EQ(out.Pixels(), b.Pixels()) << "at 100 %";
  // Percentages outside 0..100 are limited to it.
  Render(-20.0f, a, b, out);
  EXPECT_EQ(out.Pixels(), a.Pixels()) << "below 0 %";
  Render(150.0f, a, b, out);
  EXPECT_EQ(out.Pixels(), b.Pixels()) << "above 100 %";
}

TEST_P(EveryTransition, MixesBothInBetween) {
  TestPicture a(kWidth, kHeight), b(kWidth, kHeight), out(kWidth, kHeight);
  a.FillPattern(1);
  b.FillPattern(2);
  Render(50.0f, a, b, out);
  EXPECT_NE(out.Pixels(), a.Pixels());
  EXPECT_NE(out.Pixels(), b.Pixels());
}

using EveryWipe = EveryTransition;

TEST_P(EveryWipe, NeverGivesBackWhatBHasTaken) {
  const BgrPixel colourA{200, 30, 10};
  const BgrPixel colourB{20, 180, 240};
  TestPicture a(kWidth, kHeight), b(kWidth, kHeight), out(kWidth, kHeight);
  a.Fill(colourA);
  b.Fill(colourB);
  for (int softness : {0, 35}) {
    std::vector<EffectFilter> list{MakeFilter(GetParam().id)};
    if (FindParam(GetParam(), "softness") != nullptr) list[0].params[0].values[2] = softness;
    int previous = -1;
    for (int percent = 0; percent <= 100; percent += 4) {
      Render(static_cast<float>(percent), a, b, out, list);
      const int share = out.CountEqual(colourB);
      EXPECT_GE(share, previous) << "at " << percent << " % with softness " << softness;
      previous = share;
    }
    EXPECT_EQ(previous, kWidth * kHeight);
  }
}

std::string TransitionName(const ::testing::TestParamInfo<EffectDescriptor>& info) {
  return std::to_string(info.param.id) + "_" + std::string(info.param.name);
}

std::vector<EffectDescriptor> Wipes() {
  std::vector<EffectDescriptor> wipes;
  for (const EffectDescriptor& effect : TransitionCatalog()) {
    if (effect.Has(kEffectWipe)) wipes.push_back(effect);
  }
  return wipes;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EveryTransition,
                         ::testing::ValuesIn(TransitionCatalog().begin(), TransitionCatalog().end()), TransitionName);
INSTANTIATE_TEST_SUITE_P(Catalogue, EveryWipe, ::testing::ValuesIn(Wipes()), TransitionName);

TEST(Catalogue, MostTransitionsAreWipes) { EXPECT_EQ(Wipes().size(), 78u); }

}  // namespace
}  // namespace sprocket
