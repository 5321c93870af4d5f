#include "effects/custom_fx_apply.h"

#include <gtest/gtest.h>

#include "effects/custom_fx_group.h"
#include "effects_fixture.h"

namespace sprocket {
namespace {

using testing::EffectsFixture;
using testing::OneFilter;

struct ApplyFixture : EffectsFixture {
  CustomFxRegistry registry{profile};
  int slot = 0;
  ApplyFixture() {
    const auto path = dir / "wipes.fxc";
    const CustomFxGroup group{"Wipes",
                              {OneFilter(effect_id::kWipeLeftToRight, 10), OneFilter(effect_id::kIrisCircleOut, 20)}};
    EXPECT_TRUE(WriteCustomFxGroup(path, group, nullptr));
    slot = registry.Register(path.string(), group.title);
  }
};

TEST(CustomFxApply, UpdateRuleNeedsASelectedTransitionAndAnAvailableSlot) {
  ApplyFixture f;
  EXPECT_EQ(IsCustomFxSlotAvailable(f.doc, f.registry, f.slot), 0);  // nothing selected
  f.Select(f.clipA);
  EXPECT_EQ(IsCustomFxSlotAvailable(f.doc, f.registry, f.slot), 0);  // a video clip
  f.Select(f.transition);
  EXPECT_EQ(IsCustomFxSlotAvailable(f.doc, f.registry, f.slot), 1);
  EXPECT_EQ(IsCustomFxSlotAvailable(f.doc, f.registry, f.slot + 1), 0);  // not registered
  std::filesystem::remove(f.dir / "wipes.fxc");
  EXPECT_EQ(IsCustomFxSlotAvailable(f.doc, f.registry, f.slot), 0);
}

TEST(CustomFxApply, RefusalsLeaveTheTimelineAlone) {
  ApplyFixture f;
  const std::string before = f.TimelineText();
  f.Select(f.clipB);
  EXPECT_EQ(ApplyCustomFxSlot(f.doc, f.registry, f.slot).result, ApplyFxResult::kNoTransition);
  f.Select(f.transition);
  EXPECT_EQ(ApplyCustomFxSlot(f.doc, f.registry, 5).result, ApplyFxResult::kSlotUnavailable);
  f.dir.Write("wipes.fxc", "{\"format\":\"sprocket-fxc\",");
  const ApplyFxOutcome damaged = ApplyCustomFxSlot(f.doc, f.registry, f.slot);
  EXPECT_EQ(damaged.result, ApplyFxResult::kDamagedFile);
  EXPECT_NE(damaged.error.find("wipes.fxc"), std::string::npos);
  EXPECT_EQ(f.TimelineText(), before);
  EXPECT_TRUE(f.doc.undoSteps.empty());
  EXPECT_FALSE(f.doc.IsModified());
}

TEST(CustomFxApply, StepsThroughTheGroupAndUndoes) {
  ApplyFixture f;
  f.Select(f.transition);
  const std::string before = f.TimelineText();
  const std::int32_t expected[] = {effect_id::kWipeLeftToRight, effect_id::kIrisCircleOut, effect_id::kWipeLeftToRight};
  for (std::int32_t id : expected) {
    ASSERT_EQ(ApplyCustomFxSlot(f.doc, f.registry, f.slot).result, ApplyFxResult::kApplied);
    EXPECT_EQ(f.transition->transitionId, id);
    ASSERT_FALSE(f.transition->filters.empty());
    EXPECT_EQ(f.transition->filters.front().id, id);
    EXPECT_EQ(f.doc.UndoKind(), kEditChangeTransition);
  }
  EXPECT_EQ(f.transition->filters.front().params.front().values[0], 10);
  EXPECT_NE(f.TimelineText(), before);
  EXPECT_TRUE(f.doc.IsModified());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(f.doc.RevertLastEdit());
  EXPECT_EQ(f.TimelineText(), before);
}

}  // namespace
}  // namespace sprocket
