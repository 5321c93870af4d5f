#include "effects/effect_command_rules.h"

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace sprocket {
namespace {

using testing::EffectsFixture;

TEST(EffectCommandRules, EveryUpdateRuleFollowsTheSelectionTheSlotsAndTheLastMovie) {
  EffectsFixture f;
  CustomFxRegistry(f.profile).Register(f.dir.Write("g.fxc", "x").string(), "Group");
  enum Selection { kNone, kVideo, kTransition };
  const struct {
    std::int32_t id;
    Selection selection;
    bool movieMade;
    std::optional<bool> enabled;
  } cases[] = {
      {33104, kTransition, false, true},   {33104, kVideo, false, false},
      {33104, kNone, false, false},        {132, kTransition, false, false},  // slot 2 is not registered
      {235, kNone, false, true},           {236, kVideo, false, true},        // pop-up ids: no rule
      {33097, kNone, false, true},         {263, kNone, false, true},
      {33102, kNone, false, true},         {262, kNone, false, true},
      {33103, kVideo, false, true},        {264, kVideo, false, true},
      {33114, kNone, false, false},        {33114, kNone, true, true},
      {32887, kVideo, false, true},        {32887, kTransition, false, false},
      {32887, kNone, false, false},        {123, kTransition, false, true},
      {123, kVideo, false, false},         {261, kVideo, false, true},
      {33028, kNone, false, std::nullopt}, {151, kTransition, false, std::nullopt},
  };
  for (const auto& c : cases) {
    f.doc.ClearSelection();
    if (c.selection == kVideo) f.Select(f.clipA);
    if (c.selection == kTransition) f.Select(f.transition);
    if (c.movieMade) f.profile.WriteProfileString("Last Make Movie", "FileName", "/M.AVI");
    EXPECT_EQ(EffectCommandEnabled(c.id, f.doc, f.profile), c.enabled) << c.id << " selection " << c.selection;
  }
}

TEST(EffectCommandRules, MenuItemsListTheRegisteredSlotsWithTheirIds) {
  EffectsFixture f;
  CustomFxRegistry registry(f.profile);
  registry.Register("/g/a.fxc", "Wipes");
  registry.Register("/g/b.fxc", "");
  registry.Unregister(1);
  registry.Register("/g/c.fxc", "Irises");
  const std::vector<CustomFxMenuItem> items = CustomFxMenuItems(f.profile);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].commandId, 33104);
  EXPECT_EQ(items[0].alternateId, 235);
  EXPECT_EQ(items[0].title, "Irises");
  EXPECT_EQ(items[1].commandId, 132);
  EXPECT_EQ(items[1].title, "b.fxc");
}

}  // namespace
}  // namespace sprocket
