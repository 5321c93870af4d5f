#pragma once
// The process's settings file "RODUVER.INI" and its folder.
//
// The folder is $SPROCKET_CONFIG_DIR, else $XDG_CONFIG_HOME/sprocket, else
// ~/.config/sprocket; SetConfigDir overrides it (the command-line tool's
// --config, tests). The logs live in the same folder.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/settings/profile.h"

namespace sprocket {

inline constexpr std::string_view kSettingsFileName = "RODUVER.INI";

std::filesystem::path ConfigDir();
// Switches the process to another settings folder (the profile is reopened).
void SetConfigDir(const std::filesystem::path& dir);
std::filesystem::path SettingsFilePath();
std::filesystem::path LogDir();

// The process's settings profile.
Profile& AppProfile();

int GetProfileInt(std::string_view section, std::string_view key, int defaultValue);
std::string GetProfileString(std::string_view section, std::string_view key, std::string_view defaultValue = {});
bool WriteProfileInt(std::string_view section, std::string_view key, int value);
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

}  // namespace sprocket
