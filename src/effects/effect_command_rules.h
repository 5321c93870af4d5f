#pragma once
// The update rules of the effect commands of the timeline view, by command
// id, for a command router: whether an id is one of these commands and
// whether its menu item is enabled. Ids without an update rule of their
// own (the pop-up ids, Edit and Delete of a group) are always enabled: the
// pop-up builder decides what it lists, and the handlers check for
// themselves.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "effects/custom_fx_slots.h"
#include "timeline/document/document.h"

namespace sprocket {

// Enabled or not; nothing for ids that are not effect commands.
std::optional<bool> EffectCommandEnabled(std::int32_t commandId, const CTestDoc& doc, Profile& profile);

// One item of the custom effects menus: a registered slot's two ids and title.
struct CustomFxMenuItem {
  std::int32_t commandId = 0;
  std::int32_t alternateId = 0;
  std::string title;
};
// The registered slots in slot order (a slot without a title shows its file's name).
std::vector<CustomFxMenuItem> CustomFxMenuItems(Profile& profile);

}  // namespace sprocket
