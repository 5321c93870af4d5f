#include "effects/effect_command_rules.h"

#include <filesystem>

#include "effects/custom_fx_apply.h"
#include "effects/effect_sequence_edit.h"
#include "effects/last_movie_stats.h"

namespace sprocket {

namespace {

// The group commands without an update rule of their own, and the pop-up ids.
bool IsAlwaysEnabled(std::int32_t id) {
  switch (id) {
    case kCmdNewCustomFxGroup:
    case kCmdNewCustomFxGroupPopup:
    case kCmdEditCustomFxGroup:
    case kCmdEditCustomFxGroupPopup:
    case kCmdDeleteCustomFxGroup:
    case kCmdDeleteCustomFxGroupPopup:
    case kCmdEffectSequenceOnTransitionPopup:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::optional<bool> EffectCommandEnabled(std::int32_t commandId, const CTestDoc& doc, Profile& profile) {
  if (IsAlwaysEnabled(commandId)) return true;
  switch (commandId) {
    case kCmdLastMovieStatistics:
      return HasLastMovie(profile);
    case kCmdEffectSequenceOnClip:
      return CanEditClipEffectSequence(doc);
    case kCmdEffectSequenceOnTransition:
      return CanEditTransitionEffectSequence(doc);
    default:
      break;
  }
  const int slot = CustomFxSlotOfCommand(commandId);
  if (slot == 0) return std::nullopt;
  if (commandId == CustomFxSlotAlternateId(slot)) return true;
  return IsCustomFxSlotAvailable(doc, CustomFxRegistry(profile), slot) != 0;
}

std::vector<CustomFxMenuItem> CustomFxMenuItems(Profile& profile) {
  std::vector<CustomFxMenuItem> items;
  for (const CustomFxSlot& slot : CustomFxRegistry(profile).Slots()) {
    const std::string title =
        slot.title.empty() ? std::filesystem::path(slot.fileName).filename().string() : slot.title;
    items.push_back({CustomFxSlotCommandId(slot.slot), CustomFxSlotAlternateId(slot.slot), title});
  }
  return items;
}

}  // namespace sprocket
