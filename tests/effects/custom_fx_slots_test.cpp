#include "effects/custom_fx_slots.h"

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace sprocket {
namespace {

TEST(CustomFxSlots, CommandIdsOfEverySlotRouteBackToIt) {
  const struct {
    int slot;
    std::int32_t command;
    std::int32_t alternate;
  } cases[] = {{1, 33104, 235}, {2, 132, 236}, {10, 140, 244}, {20, 150, 254}};
  for (const auto& c : cases) {
    EXPECT_EQ(CustomFxSlotCommandId(c.slot), c.command);
    EXPECT_EQ(CustomFxSlotAlternateId(c.slot), c.alternate);
    EXPECT_EQ(CustomFxSlotOfCommand(c.command), c.slot);
    EXPECT_EQ(CustomFxSlotOfCommand(c.alternate), c.slot);
  }
  for (std::int32_t other : {0, 21, 131, 151, 234, 255, 33105}) EXPECT_EQ(CustomFxSlotOfCommand(other), 0) << other;
  EXPECT_EQ(CustomFxSlotCommandId(0), 0);
  EXPECT_EQ(CustomFxSlotAlternateId(21), 0);
}

TEST(CustomFxSlots, RegisterReusesTheFilesSlotThenTakesTheFirstFree) {
  testing::EffectsFixture f;
  CustomFxRegistry registry(f.profile);
  EXPECT_EQ(registry.Register("/g/a.fxc", "A"), 1);
  EXPECT_EQ(registry.Register("/g/b.fxc", "B"), 2);
  EXPECT_EQ(registry.Register("/g/a.fxc", "A renamed"), 1);
  EXPECT_EQ(f.profile.GetProfileString("Custom FXs", "Title1"), "A renamed");
  EXPECT_TRUE(registry.Unregister(1));
  EXPECT_FALSE(registry.Unregister(1));
  EXPECT_EQ(f.profile.GetProfileString("Custom FXs", "File Name1"), "");
  EXPECT_EQ(registry.Register("/g/c.fxc", "C"), 1);
  for (int i = 3; i <= kCustomFxSlotCount; ++i) EXPECT_EQ(registry.Register("/g/" + std::to_string(i), "T"), i);
  EXPECT_EQ(registry.Register("/g/full.fxc", "Full"), 0);
  EXPECT_EQ(registry.Slots().size(), static_cast<std::size_t>(kCustomFxSlotCount));
}

TEST(CustomFxSlots, ASlotIsAvailableOnlyWhileItsFileExists) {
  testing::EffectsFixture f;
  CustomFxRegistry registry(f.profile);
  const auto file = f.dir.Write("g.fxc", "x");
  const int slot = registry.Register(file.string(), "G");
  EXPECT_EQ(registry.IsSlotAvailable(slot), 1);
  EXPECT_EQ(registry.IsSlotAvailable(slot + 1), 0);
  EXPECT_EQ(registry.IsSlotAvailable(0), 0);
  std::filesystem::remove(file);
  EXPECT_EQ(registry.IsSlotAvailable(slot), 0);
}

}  // namespace
}  // namespace sprocket
