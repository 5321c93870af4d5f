#include "effects/custom_fx_slots.h"

#include <filesystem>

#include "platform/settings/settings_keys.h"

namespace sprocket {

namespace {

constexpr std::int32_t kFirstSlotCommand = 33104;
constexpr std::int32_t kFirstAlternateId = 235;

std::string FileKey(int slot) { return "File Name" + std::to_string(slot); }
std::string TitleKey(int slot) { return "Title" + std::to_string(slot); }

bool InRange(int slot) { return slot >= 1 && slot <= kCustomFxSlotCount; }

}  // namespace

std::int32_t CustomFxSlotCommandId(int slot) {
  if (!InRange(slot)) return 0;
  return slot == 1 ? kFirstSlotCommand : 130 + slot;
}

std::int32_t CustomFxSlotAlternateId(int slot) { return InRange(slot) ? kFirstAlternateId - 1 + slot : 0; }

int CustomFxSlotOfCommand(std::int32_t commandId) {
  for (int slot = 1; slot <= kCustomFxSlotCount; ++slot) {
    if (commandId == CustomFxSlotCommandId(slot) || commandId == CustomFxSlotAlternateId(slot)) return slot;
  }
  return 0;
}

std::optional<CustomFxSlot> CustomFxRegistry::Slot(int slot) const {
  if (!InRange(slot)) return std::nullopt;
  std::string fileName = profile_.GetProfileString(settings::kCustomFxs, FileKey(slot));
  if (fileName.empty()) return std::nullopt;
  return CustomFxSlot{slot, std::move(fileName), profile_.GetProfileString(settings::kCustomFxs, TitleKey(slot))};
}

std::vector<CustomFxSlot> CustomFxRegistry::Slots() const {
  std::vector<CustomFxSlot> slots;
  for (int slot = 1; slot <= kCustomFxSlotCount; ++slot) {
    if (std::optional<CustomFxSlot> registered = Slot(slot)) slots.push_back(std::move(*registered));
  }
  return slots;
}

int CustomFxRegistry::IsSlotAvailable(int slot) const {
  const std::optional<CustomFxSlot> registered = Slot(slot);
  if (!registered) return 0;
  std::error_code ec;
  return std::filesystem::is_regular_file(registered->fileName, ec) ? 1 : 0;
}

int CustomFxRegistry::Register(const std::string& fileName, const std::string& title) {
  int chosen = 0;
  for (int slot = 1; slot <= kCustomFxSlotCount && chosen == 0; ++slot) {
    const std::optional<CustomFxSlot> registered = Slot(slot);
    if (registered && registered->fileName == fileName) chosen = slot;
  }
  for (int slot = 1; slot <= kCustomFxSlotCount && chosen == 0; ++slot) {
    if (!Slot(slot)) chosen = slot;
  }
  if (chosen == 0) return 0;
  const bool written =
      profile_.WriteProfileStrings(settings::kCustomFxs, {{FileKey(chosen), fileName}, {TitleKey(chosen), title}});
  return written ? chosen : 0;
}

bool CustomFxRegistry::Unregister(int slot) {
  if (!Slot(slot)) return false;
  return profile_.DeleteProfileKey(settings::kCustomFxs, FileKey(slot)) &&
         profile_.DeleteProfileKey(settings::kCustomFxs, TitleKey(slot));
}

}  // namespace sprocket
