#pragma once
// The twenty slots of custom transition groups, registered in the settings
// section "Custom FXs" as "File Name<n>" and "Title<n>" (n = 1..20), and the
// command ids that apply a slot.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/settings/profile.h"

namespace sprocket {

inline constexpr int kCustomFxSlotCount = 20;

// Slot 1 is command 33104 (pop-up 235); slot n = 2..20 is 130 + n (pop-up 234 + n).
std::int32_t CustomFxSlotCommandId(int slot);
std::int32_t CustomFxSlotAlternateId(int slot);
// The slot a command id applies (either id of the pair), 0 for other ids.
int CustomFxSlotOfCommand(std::int32_t commandId);

// Commands of the groups themselves (main id, pop-up id).
inline constexpr std::int32_t kCmdNewCustomFxGroup = 33097;
inline constexpr std::int32_t kCmdNewCustomFxGroupPopup = 263;
inline constexpr std::int32_t kCmdEditCustomFxGroup = 33102;
inline constexpr std::int32_t kCmdEditCustomFxGroupPopup = 262;
inline constexpr std::int32_t kCmdDeleteCustomFxGroup = 33103;
inline constexpr std::int32_t kCmdDeleteCustomFxGroupPopup = 264;

struct CustomFxSlot {
  int slot = 0;
  std::string fileName;
  std::string title;
};

class CustomFxRegistry {
public:
  explicit CustomFxRegistry(Profile& profile) : profile_(profile) {}

  // The registration of a slot (1..20); nothing when the slot is out of
  // range or has no file name.
  std::optional<CustomFxSlot> Slot(int slot) const;
  // Every registered slot in slot order.
  std::vector<CustomFxSlot> Slots() const;
  // Nonzero when the slot is registered and its file exists.
  int IsSlotAvailable(int slot) const;

  // Registers a group file under its title: the slot that already names the
  // file, else the first free slot. The slot, or 0 when all twenty are taken
  // or the settings cannot be written.
  int Register(const std::string& fileName, const std::string& title);
  // Removes a slot's keys. False when it was not registered or the settings
  // cannot be written.
  bool Unregister(int slot);

private:
  Profile& profile_;
};

}  // namespace sprocket
